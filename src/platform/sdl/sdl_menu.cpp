// The window's menu as this backend draws it: the bar in the top strip, popups with check marks
// and greyed items, and the modal menu loop that runs while a menu is open (the game waits).
#include "platform/sdl/sdl_local.h"
#include "platform/sdl/sdl_menu_layout.h"

namespace {

constexpr uint32_t kMfPopup = 0x10;  // WM_MENUSELECT flags: the selection opens a popup
constexpr uint32_t kMfHilite = 0x80;

// Labels of the menu list, measured once. Cleared by SdlMenuPrepare.
struct MenuShape {
  std::vector<SdlLabel> labels;  // one per menu entry (empty for separators)
  std::vector<int> widths;
  std::vector<SdlBarEntry> bar;
  std::vector<SdlLabel> barLabels;
  std::vector<int> barWidths;
};
MenuShape gShape;

// The open menu. Cleared each time the loop starts; `active` only while it runs.
struct MenuLoop {
  bool active = false;
  int entry = -1;        // highlighted bar entry
  bool open = false;     // its popup is shown
  bool dropped = false;  // popups were open: moving along the bar opens the next one
  int item = -1;         // highlighted popup item (0-based within the popup)
  bool mouseDown = false;
  uint32_t chosen = 0;
  bool redraw = true;
};
MenuLoop gLoop;

// The bar rendered once for what it shows; drawn again only when that changes.
struct BarImage {
  SDL_Texture* texture = nullptr;
  int width = 0, height = 0;
  std::vector<bool> enabled;  // per bar entry
  int selected = -1;          // highlighted entry while the menu loop runs
  bool valid = false;
};
BarImage gBar;

// Whether a menu entry is a separator line.
bool Separator(int menuIndex) {
  return gPlat.menu[menuIndex].item.label == nullptr;
}

// The bar entry with this index, or nullptr.
const SdlBarEntry* Entry(int entry) {
  return entry >= 0 && entry < static_cast<int>(gShape.bar.size()) ? &gShape.bar[entry] : nullptr;
}

// Where the bar entries lie on the canvas now.
void BarBoxes(std::vector<SdlBox>& boxes) {
  int width, height;
  SdlCanvasSize(width, height);
  SdlMenuLayoutBar(gShape.barWidths, width, kSdlBarLineHeight, boxes);
}

// Layout of the open popup in canvas coordinates.
SdlBox PopupBoxes(std::vector<SdlBox>& items) {
  items.clear();
  const SdlBarEntry* e = Entry(gLoop.entry);
  if (!e || !e->popup) return SdlBox{};
  std::vector<SdlBox> bar;
  BarBoxes(bar);
  std::vector<int> widths;
  std::vector<bool> separators;
  for (int i = 0; i < e->itemCount; i++) {
    widths.push_back(gShape.widths[e->firstItem + i]);
    separators.push_back(Separator(e->firstItem + i));
  }
  int canvasW, canvasH;
  SdlCanvasSize(canvasW, canvasH);
  return SdlMenuLayoutPopup(widths, separators, bar[gLoop.entry], canvasW, canvasH, items);
}

// Popup items that keys can move to: every item but separators.
std::vector<bool> UsableItems(const SdlBarEntry& e) {
  std::vector<bool> usable;
  for (int i = 0; i < e.itemCount; i++) usable.push_back(!Separator(e.firstItem + i));
  return usable;
}

// The next item of the open popup in a direction, skipping separators.
int StepItem(int from, int step) {
  const SdlBarEntry* e = Entry(gLoop.entry);
  if (!e) return -1;
  return SdlMenuStep(UsableItems(*e), from, step);
}

// Tells the window procedure which bar entry the menu is on.
void SendMenuSelect() {
  const SdlBarEntry* e = Entry(gLoop.entry);
  if (!e) return;
  const uint32_t item =
      e->popup ? static_cast<uint32_t>(gLoop.entry) : gPlat.menu[e->index].item.id;
  const uint32_t flags = kMfHilite | (e->popup ? kMfPopup : 0);
  PlatSendMessage(WM_MENUSELECT, (item & 0xFFFF) | flags << 16, 0);
}

// Highlights a bar entry; `open` shows its popup (when it has one) with `item` selected.
void Select(int entry, bool open, int item) {
  const bool changed = entry != gLoop.entry;
  gLoop.entry = entry;
  const SdlBarEntry* e = Entry(entry);
  gLoop.open = open && e && e->popup;
  gLoop.item = gLoop.open ? item : -1;
  if (gLoop.open && item == -2) gLoop.item = StepItem(-1, 1);
  gLoop.dropped = gLoop.dropped || gLoop.open;
  if (changed || open) SendMenuSelect();
  gLoop.redraw = true;
}

// Ends the loop with a command, unless the item is greyed.
void Choose(uint32_t id) {
  // A greyed item cannot be chosen; the menu stays as it is.
  if (!PlatMenuIsEnabled(id)) return;
  gLoop.chosen = id;
  gLoop.active = false;
}

// Enter on the bar or a click on a command entry.
void ChooseEntry(int entry) {
  const SdlBarEntry* e = Entry(entry);
  if (!e) return;
  Select(entry, e->popup, -2);
  if (!e->popup) Choose(gPlat.menu[e->index].item.id);
}

// Chooses an item of the open popup.
void ChooseItem(int item) {
  const SdlBarEntry* e = Entry(gLoop.entry);
  if (!e || item < 0 || item >= e->itemCount || Separator(e->firstItem + item)) return;
  Choose(gPlat.menu[e->firstItem + item].item.id);
}

// The popup item under a canvas point, or -1.
int ItemAt(int x, int y) {
  std::vector<SdlBox> items;
  const SdlBox popup = PopupBoxes(items);
  if (!gLoop.open || !popup.Contains(x, y)) return -1;
  for (size_t i = 0; i < items.size(); i++) {
    if (items[i].Contains(x, y)) return static_cast<int>(i);
  }
  return -1;
}

// Whether a canvas point lies on the open popup.
bool InsidePopup(int x, int y) {
  std::vector<SdlBox> items;
  return gLoop.open && PopupBoxes(items).Contains(x, y);
}

// A letter or digit: the item (or bar entry) with that access key.
void AccessKey(char key) {
  const SdlBarEntry* e = Entry(gLoop.entry);
  if (gLoop.open && e) {
    std::vector<SdlLabel> labels(gShape.labels.begin() + e->firstItem,
                                 gShape.labels.begin() + e->firstItem + e->itemCount);
    const int item = SdlMenuFindAccess(labels, UsableItems(*e), key, gLoop.item);
    if (item >= 0) {
      gLoop.item = item;
      gLoop.redraw = true;
      ChooseItem(item);
    }
    return;
  }
  const int entry = SdlMenuFindAccess(gShape.barLabels, std::vector<bool>(gShape.bar.size(), true),
                                      key, gLoop.entry);
  if (entry >= 0) ChooseEntry(entry);
}

// Keys inside the menu loop.
void HandleKey(const SDL_KeyboardEvent& key) {
  const int count = static_cast<int>(gShape.bar.size());
  switch (key.keysym.sym) {
    case SDLK_ESCAPE:
      if (gLoop.open) {
        Select(gLoop.entry, false, -1);
        gLoop.dropped = false;
      } else {
        gLoop.active = false;
      }
      return;
    case SDLK_LALT:
    case SDLK_RALT:
    case SDLK_F10:
      if (!key.repeat) gLoop.active = false;
      return;
    case SDLK_LEFT:
    case SDLK_RIGHT: {
      const int step = key.keysym.sym == SDLK_LEFT ? -1 : 1;
      Select(((gLoop.entry + step) % count + count) % count, gLoop.dropped, -2);
      return;
    }
    case SDLK_UP:
    case SDLK_DOWN: {
      const int step = key.keysym.sym == SDLK_UP ? -1 : 1;
      if (gLoop.open) {
        gLoop.item = StepItem(gLoop.item, step);
        gLoop.redraw = true;
      } else if (const SdlBarEntry* e = Entry(gLoop.entry); e && e->popup) {
        Select(gLoop.entry, true, StepItem(-1, step));
      }
      return;
    }
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      if (gLoop.open) {
        ChooseItem(gLoop.item);
      } else {
        ChooseEntry(gLoop.entry);
      }
      return;
    default:
      break;
  }
  const SDL_Keycode sym = key.keysym.sym;
  if ((sym >= 'a' && sym <= 'z') || (sym >= '0' && sym <= '9')) AccessKey(static_cast<char>(sym));
}

// Pointer moves and clicks inside the menu loop.
void HandleMouse(const SDL_Event& event) {
  const bool motion = event.type == SDL_MOUSEMOTION;
  const int x = motion ? event.motion.x : event.button.x;
  const int y = motion ? event.motion.y : event.button.y;
  const int entry = SdlMenuBarEntryAt(x, y);
  if (motion) {
    if (entry >= 0 && entry != gLoop.entry && (gLoop.open || gLoop.mouseDown)) {
      Select(entry, true, -1);
    } else if (gLoop.open) {
      const int item = ItemAt(x, y);
      if (item >= 0 && Separator(Entry(gLoop.entry)->firstItem + item)) return;
      if (item != gLoop.item && (item >= 0 || !InsidePopup(x, y))) {
        gLoop.item = item;
        gLoop.redraw = true;
      }
    }
    return;
  }
  if (event.type == SDL_MOUSEBUTTONDOWN) {
    gLoop.mouseDown = true;
    if (entry >= 0) {
      if (entry == gLoop.entry && gLoop.open) {
        gLoop.active = false;  // a click on the open title closes it
      } else if (Entry(entry)->popup) {
        Select(entry, true, -1);
      } else {
        gLoop.entry = entry;
        Choose(gPlat.menu[Entry(entry)->index].item.id);
      }
    } else if (!InsidePopup(x, y)) {
      gLoop.active = false;  // a click elsewhere closes the menu and goes nowhere else
    }
    return;
  }
  gLoop.mouseDown = false;
  const int item = ItemAt(x, y);
  if (item >= 0) ChooseItem(item);
}

// The modal loop: runs until an item is chosen or the menu is left.
void RunLoop(int entry, bool open, int item) {
  gLoop = MenuLoop{};
  gLoop.active = true;
  gSdl.inModal = true;
  SDL_ShowCursor(SDL_ENABLE);
  Select(entry, open, item);
  while (gLoop.active) {
    if (gLoop.redraw) {
      SdlPresentFrame();
      gLoop.redraw = false;
    }
    SDL_Event event;
    if (!SDL_WaitEventTimeout(&event, 100)) continue;
    if (event.type == gSdl.raiseEvent) SdlInstanceRaise();
    switch (event.type) {
      case SDL_QUIT:
        SdlQueueClose();
        gLoop.active = false;
        break;
      case SDL_WINDOWEVENT:
        if (SdlHandleWindowEvent(event)) gLoop.active = false;
        gLoop.redraw = true;
        break;
      case SDL_KEYDOWN:
        HandleKey(event.key);
        break;
      case SDL_MOUSEMOTION:
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        HandleMouse(event);
        break;
      default:
        break;
    }
  }
  gLoop.active = false;
  gSdl.inModal = false;
  // Back to what the engine asks for now (it may have changed its mind meanwhile).
  SDL_ShowCursor(gSdl.cursorVisible ? SDL_ENABLE : SDL_DISABLE);
  SdlSuppressHeldKeys();
  SdlPresentFrame();
  if (gLoop.chosen) PlatQueueMessage(WM_COMMAND, gLoop.chosen);
}

// A label in the colours of its state.
void DrawEntryLabel(const SdlLabel& label, bool enabled, bool selected, int x, int y) {
  if (!enabled) {
    if (selected) {
      SdlDrawLabel(label.text, label.accessOffset, label.accessLength, x, y, kSdlShadow);
    } else {
      SdlDrawGreyLabel(label.text, label.accessOffset, label.accessLength, x, y);
    }
    return;
  }
  SdlDrawLabel(label.text, label.accessOffset, label.accessLength, x, y,
               selected ? kSdlSelectedText : kSdlText);
}

// The bar's fill and labels at the top of the current target.
void DrawBarShapes() {
  int width, height;
  SdlCanvasSize(width, height);
  SdlFill(0, 0, width, SdlBarStripHeight(), kSdlFace);
  std::vector<SdlBox> boxes;
  BarBoxes(boxes);
  const int textTop = (kSdlBarLineHeight - SdlTextHeight()) / 2;
  for (size_t i = 0; i < gShape.bar.size(); i++) {
    const SdlBox& box = boxes[i];
    const bool selected = gLoop.active && gLoop.entry == static_cast<int>(i);
    if (selected) SdlFill(box.x, box.y + 1, box.w, box.h - 2, kSdlSelection);
    DrawEntryLabel(gShape.barLabels[i], gPlat.menu[gShape.bar[i].index].enabled, selected,
                   box.x + kSdlBarPadding, box.y + textTop);
  }
}

}  // namespace

// Converts and measures every label of the menu once.
void SdlMenuPrepare() {
  gShape = MenuShape{};
  gBar.valid = false;
  for (const PlatMenuEntry& entry : gPlat.menu) {
    SdlLabel label;
    if (entry.item.label) label = SdlMenuParseLabel(PlatSjisToUtf8(entry.item.label));
    int width = 0, height = 0;
    SdlTextSize(label.text, width, height);
    gShape.labels.push_back(label);
    gShape.widths.push_back(width);
  }
  gShape.bar = SdlMenuBarEntries(gPlat.menu);
  for (const SdlBarEntry& e : gShape.bar) {
    gShape.barLabels.push_back(gShape.labels[e.index]);
    gShape.barWidths.push_back(gShape.widths[e.index]);
  }
}

// How many lines the bar wraps into at a width.
int SdlMenuBarLines(int width) {
  if (gShape.bar.empty()) return 1;
  std::vector<SdlBox> boxes;
  return SdlMenuLayoutBar(gShape.barWidths, width, kSdlBarLineHeight, boxes);
}

bool SdlMenuUpdateBar() {
  if (!gSdl.renderer) return false;
  int width, canvasHeight;
  SdlCanvasSize(width, canvasHeight);
  const int height = SdlBarStripHeight();
  std::vector<bool> enabled;
  for (const SdlBarEntry& e : gShape.bar) enabled.push_back(gPlat.menu[e.index].enabled);
  const int selected = gLoop.active ? gLoop.entry : -1;
  if (gBar.valid && gBar.width == width && gBar.height == height && gBar.enabled == enabled &&
      gBar.selected == selected) {
    return false;
  }
  if (gBar.texture && (gBar.width != width || gBar.height != height)) SdlMenuDropBar();
  if (!gBar.texture && width > 0 && height > 0) {
    gBar.texture = SDL_CreateTexture(gSdl.renderer, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_TARGET, width, height);
    if (gBar.texture) SDL_SetTextureBlendMode(gBar.texture, SDL_BLENDMODE_NONE);
  }
  gBar.width = width;
  gBar.height = height;
  gBar.enabled = enabled;
  gBar.selected = selected;
  gBar.valid = true;
  // Without a texture to keep it in, the bar is drawn with every frame instead.
  if (gBar.texture && SDL_SetRenderTarget(gSdl.renderer, gBar.texture) == 0) {
    DrawBarShapes();
    SDL_SetRenderTarget(gSdl.renderer, nullptr);
  } else {
    SdlMenuDropBar();
    gBar.valid = true;
  }
  return true;
}

void SdlMenuDrawBar() {
  if (!gBar.texture) {
    DrawBarShapes();
    return;
  }
  const SDL_Rect dst{0, 0, gBar.width, gBar.height};
  SDL_RenderCopy(gSdl.renderer, gBar.texture, nullptr, &dst);
}

void SdlMenuDropBar() {
  if (gBar.texture) SDL_DestroyTexture(gBar.texture);
  gBar = BarImage{};
}

// The open popup over the frame being composed.
void SdlMenuDrawOverlay() {
  if (!gLoop.active || !gLoop.open) return;
  const SdlBarEntry* e = Entry(gLoop.entry);
  std::vector<SdlBox> items;
  const SdlBox popup = PopupBoxes(items);
  SdlFill(popup.x, popup.y, popup.w, popup.h, kSdlFace);
  SdlDrawBevel(popup.x, popup.y, popup.w, popup.h, true);
  const int textTop = (kSdlItemHeight - SdlTextHeight()) / 2;
  for (int i = 0; i < e->itemCount; i++) {
    const SdlBox& box = items[i];
    const PlatMenuEntry& entry = gPlat.menu[e->firstItem + i];
    if (Separator(e->firstItem + i)) {
      const int y = box.y + box.h / 2 - 1;
      SdlFill(box.x + 1, y, box.w - 2, 1, kSdlShadow);
      SdlFill(box.x + 1, y + 1, box.w - 2, 1, kSdlLight);
      continue;
    }
    const bool selected = gLoop.item == i;
    if (selected) SdlFill(box.x, box.y, box.w, box.h, kSdlSelection);
    const SDL_Color ink = !entry.enabled ? kSdlShadow : selected ? kSdlSelectedText : kSdlText;
    if (entry.checked) SdlDrawCheck(box.x + 6, box.y + (box.h - 7) / 2, ink);
    DrawEntryLabel(gShape.labels[e->firstItem + i], entry.enabled, selected,
                   box.x + kSdlCheckColumn, box.y + textTop);
  }
}

// Whether the menu loop runs.
bool SdlMenuActive() {
  return gLoop.active;
}

// The bar entry under a canvas point while the bar shows, or -1.
int SdlMenuBarEntryAt(int x, int y) {
  if (!SdlBarVisible()) return -1;
  std::vector<SdlBox> boxes;
  BarBoxes(boxes);
  for (size_t i = 0; i < boxes.size(); i++) {
    if (boxes[i].Contains(x, y)) return static_cast<int>(i);
  }
  return -1;
}

// A click on a bar entry.
void SdlMenuOpenByMouse(int entry) {
  const SdlBarEntry* e = Entry(entry);
  if (!e || gLoop.active) return;
  if (!e->popup) {
    // A command on the bar acts at once, as a click on it does on a real frame.
    gLoop.entry = entry;
    SendMenuSelect();
    gLoop.entry = -1;
    const uint32_t id = gPlat.menu[e->index].item.id;
    if (PlatMenuIsEnabled(id)) PlatQueueMessage(WM_COMMAND, id);
    return;
  }
  RunLoop(entry, true, -1);
}

// Alt+key on the bar.
bool SdlMenuOpenByAccessKey(char key) {
  if (gLoop.active || gShape.bar.empty()) return false;
  const int entry =
      SdlMenuFindAccess(gShape.barLabels, std::vector<bool>(gShape.bar.size(), true), key, -1);
  if (entry < 0) return false;
  if (!gShape.bar[entry].popup) {
    SdlMenuOpenByMouse(entry);
  } else {
    RunLoop(entry, true, -2);
  }
  return true;
}

// F10 or a lone Alt: keyboard on the bar, nothing open.
void SdlMenuOpenByKeyboard() {
  if (gLoop.active || gShape.bar.empty()) return;
  RunLoop(0, false, -1);
}
