// Modal message boxes drawn inside the window, centred over the last picture: caption, text,
// an icon, OK or OK and Cancel. The game waits while one is open, as with a native box.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/sdl/sdl_local.h"

namespace {

constexpr int kCaptionHeight = 20;
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 8;
constexpr int kMinWidth = 180;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// The open box. Cleared when a box opens; `active` only while it runs.
struct BoxState {
  bool active = false;
  std::string caption;
  std::vector<std::string> lines;
  uint32_t flags = 0;
  int buttons = 1;   // 1: OK; 2: OK and Cancel
  int focus = 0;     // button with the focus frame
  int pressed = -1;  // button held down by the mouse
  bool pressedInside = false;
  int answer = 0;
  Rect box, button[2];
  bool redraw = true;
};
BoxState gBox;

// Label of button 0 (OK) or 1 (Cancel).
const char* ButtonLabel(int button) {
  return button == 0 ? "OK" : "キャンセル";
}

// Byte index of the character after the one starting at `i`.
size_t Utf8Next(const std::string& s, size_t i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return std::min(s.size(), i + length);
}

// Breaks one line into pieces no wider than `maxWidth`, at a blank where there is one.
void WrapLine(const std::string& line, int maxWidth, std::vector<std::string>& out) {
  std::string rest = line;
  while (!rest.empty()) {
    int width, height;
    SdlTextSize(rest, width, height);
    if (width <= maxWidth) break;
    size_t fit = 0, blank = 0;
    for (size_t i = 0; i < rest.size();) {
      const size_t next = Utf8Next(rest, i);
      SdlTextSize(rest.substr(0, next), width, height);
      if (width > maxWidth) break;
      if (rest[i] == ' ') blank = next;
      fit = next;
      i = next;
    }
    if (fit == 0) fit = Utf8Next(rest, 0);  // one character wider than the box still goes
    const size_t cut = blank > 0 ? blank : fit;
    out.push_back(rest.substr(0, cut));
    rest.erase(0, cut);
  }
  out.push_back(rest);
}

// Splits and wraps the text, then sizes and centres the box and its buttons.
void Layout(const std::string& text) {
  int canvasW, canvasH;
  SdlCanvasSize(canvasW, canvasH);
  const int clientTop = SdlClientTop();
  const bool icon = (gBox.flags & (MB_ICONSTOP | MB_ICONQUESTION | MB_ICONINFORMATION)) != 0;
  const int textLeft = kMargin + (icon ? kIconSize + kMargin : 0);
  const int maxText = std::max(120, canvasW - 24 - textLeft - kMargin);
  gBox.lines.clear();
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find('\n', start);
    WrapLine(text.substr(start, end == std::string::npos ? std::string::npos : end - start),
             maxText, gBox.lines);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  int textW = 0;
  for (const std::string& line : gBox.lines) {
    int w, h;
    SdlTextSize(line, w, h);
    textW = std::max(textW, w);
  }
  const int lineH = SdlTextHeight() + 2;
  const int textH = static_cast<int>(gBox.lines.size()) * lineH;
  int captionW, captionH;
  SdlTextSize(gBox.caption, captionW, captionH);
  // Buttons share one width, wide enough for the longer label.
  int buttonW = kButtonWidth;
  for (int i = 0; i < gBox.buttons; i++) {
    int w, h;
    SdlTextSize(ButtonLabel(i), w, h);
    buttonW = std::max(buttonW, w + 16);
  }
  const int buttonsW = gBox.buttons * buttonW + (gBox.buttons - 1) * kButtonGap;
  const int width = std::max(
      {kMinWidth, textLeft + textW + kMargin, buttonsW + 2 * kMargin, captionW + 2 * kMargin});
  const int bodyH = std::max(textH, icon ? kIconSize : 0);
  const int height = kCaptionHeight + 3 + kMargin + bodyH + kMargin + kButtonHeight + kMargin;
  // Centred over the client area, never off the top-left corner.
  const int clientH = std::max(0, canvasH - clientTop);
  gBox.box = Rect{std::max(0, (canvasW - width) / 2),
                  std::max(0, clientTop + (clientH - height) / 2), width, height};
  int x = gBox.box.x + (width - buttonsW) / 2;
  const int y = gBox.box.y + height - kMargin - kButtonHeight;
  for (int i = 0; i < gBox.buttons; i++) {
    gBox.button[i] = Rect{x, y, buttonW, kButtonHeight};
    x += buttonW + kButtonGap;
  }
}

// A filled disc, one span per row.
void FillCircle(int cx, int cy, int r, SDL_Color colour) {
  for (int dy = -r; dy <= r; dy++) {
    int dx = 0;
    while ((dx + 1) * (dx + 1) + dy * dy <= r * r) dx++;
    SdlFill(cx - dx, cy + dy, 2 * dx + 1, 1, colour);
  }
}

// The icon the flags ask for: stop, question or information.
void DrawIcon(int x, int y) {
  const int c = kIconSize / 2;
  const char* glyph = nullptr;
  if (gBox.flags & MB_ICONSTOP) {
    FillCircle(x + c, y + c, c - 1, SDL_Color{255, 0, 0, 255});
    // A white cross three pixels thick.
    for (int i = -6; i <= 6; i++) {
      SdlFill(x + c + i - 1, y + c + i - 1, 3, 3, kSdlLight);
      SdlFill(x + c + i - 1, y + c - i - 1, 3, 3, kSdlLight);
    }
    return;
  }
  if (gBox.flags & MB_ICONQUESTION) {
    FillCircle(x + c, y + c, c - 1, kSdlDark);
    FillCircle(x + c, y + c, c - 2, kSdlLight);
    glyph = "？";
  } else if (gBox.flags & MB_ICONINFORMATION) {
    FillCircle(x + c, y + c, c - 1, kSdlDark);
    FillCircle(x + c, y + c, c - 2, kSdlLight);
    glyph = "ｉ";
  }
  if (!glyph) return;
  int w, h;
  SdlTextSize(glyph, w, h);
  SdlDrawText(glyph, x + c - w / 2, y + c - h / 2, SDL_Color{0, 0, 255, 255});
}

// One push button, sunk while held, ringed when it has the focus.
void DrawButton(int i) {
  const Rect& b = gBox.button[i];
  const bool down = gBox.pressed == i && gBox.pressedInside;
  SdlFill(b.x, b.y, b.w, b.h, kSdlFace);
  if (gBox.focus == i) {
    // The default button wears a black ring around its bevel.
    SdlFill(b.x, b.y, b.w, b.h, kSdlDark);
    SdlFill(b.x + 1, b.y + 1, b.w - 2, b.h - 2, kSdlFace);
    SdlDrawBevel(b.x + 1, b.y + 1, b.w - 2, b.h - 2, !down);
  } else {
    SdlDrawBevel(b.x, b.y, b.w, b.h, !down);
  }
  int w, h;
  SdlTextSize(ButtonLabel(i), w, h);
  const int shift = down ? 1 : 0;
  SdlDrawText(ButtonLabel(i), b.x + (b.w - w) / 2 + shift, b.y + (b.h - h) / 2 + shift, kSdlText);
}

// The button under a canvas point, or -1.
int ButtonAt(int x, int y) {
  for (int i = 0; i < gBox.buttons; i++) {
    if (gBox.button[i].Contains(x, y)) return i;
  }
  return -1;
}

// Closes the box with the answer of button 0 (OK) or 1 (Cancel).
void Answer(int button) {
  gBox.answer = button == 0 ? IDOK : IDCANCEL;
  gBox.active = false;
}

// Escape, the close box: Cancel where there is one, else OK.
void Dismiss() {
  Answer(gBox.buttons - 1);
}

// One host event while the box is open.
void HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      Dismiss();
      return;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        Dismiss();
        return;
      }
      SdlHandleWindowEvent(event);
      gBox.redraw = true;
      return;
    case SDL_KEYDOWN:
      if (event.key.repeat) return;
      switch (event.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
          Answer(0);
          return;
        case SDLK_ESCAPE:
          Dismiss();
          return;
        case SDLK_SPACE:
          Answer(gBox.focus);
          return;
        case SDLK_TAB:
        case SDLK_LEFT:
        case SDLK_RIGHT:
          gBox.focus = (gBox.focus + 1) % gBox.buttons;
          gBox.redraw = true;
          return;
        case SDLK_F4:
          if (event.key.keysym.mod & KMOD_ALT) Dismiss();
          return;
        default:
          return;
      }
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button != SDL_BUTTON_LEFT) return;
      gBox.pressed = ButtonAt(event.button.x, event.button.y);
      gBox.pressedInside = gBox.pressed >= 0;
      if (gBox.pressed >= 0) gBox.focus = gBox.pressed;
      gBox.redraw = true;
      return;
    case SDL_MOUSEMOTION:
      if (gBox.pressed >= 0) {
        const bool inside = ButtonAt(event.motion.x, event.motion.y) == gBox.pressed;
        gBox.redraw = gBox.redraw || inside != gBox.pressedInside;
        gBox.pressedInside = inside;
      }
      return;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button != SDL_BUTTON_LEFT || gBox.pressed < 0) return;
      if (ButtonAt(event.button.x, event.button.y) == gBox.pressed) {
        Answer(gBox.pressed);
      }
      gBox.pressed = -1;
      gBox.redraw = true;
      return;
    default:
      return;
  }
}

// Without a window to draw in: the host's own box, or at worst the terminal.
int FallbackBox(const std::string& text, const std::string& caption, uint32_t flags) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, IDOK, "OK"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDCANCEL, "キャンセル"},
  };
  const SDL_MessageBoxData data{
      (flags & MB_ICONSTOP) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION,
      gSdl.window,
      caption.c_str(),
      text.c_str(),
      (flags & MB_OKCANCEL) ? 2 : 1,
      buttons,
      nullptr};
  int answer = IDOK;
  if (SDL_ShowMessageBox(&data, &answer) != 0) {
    std::fprintf(stderr, "lanternia3: %s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
  }
  return answer == IDCANCEL ? IDCANCEL : IDOK;
}

}  // namespace

// Shows the box and runs its modal loop until it is answered.
int SdlBoxRun(const std::string& text, const std::string& caption, uint32_t flags) {
  // Errors also go to the terminal, where a player who started the game from one looks.
  if (flags & MB_ICONSTOP) {
    std::string oneLine = text;
    std::replace(oneLine.begin(), oneLine.end(), '\n', ' ');
    std::fprintf(stderr, "lanternia3: %s: %s\n", caption.c_str(), oneLine.c_str());
  }
  if (!gSdl.window || !gSdl.renderer || gBox.active) return FallbackBox(text, caption, flags);
  if (!(SDL_GetWindowFlags(gSdl.window) & SDL_WINDOW_SHOWN)) SDL_ShowWindow(gSdl.window);

  gBox = BoxState{};
  gBox.active = true;
  gBox.caption = caption;
  gBox.flags = flags;
  gBox.buttons = (flags & MB_OKCANCEL) ? 2 : 1;
  Layout(text);
  gSdl.inModal = true;
  SDL_ShowCursor(SDL_ENABLE);
  while (gBox.active) {
    if (gBox.redraw) {
      SdlPresentFrame();
      gBox.redraw = false;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, 100)) {
      if (event.type == gSdl.raiseEvent) SdlInstanceRaise();
      HandleEvent(event);
    } else {
      gBox.redraw = true;  // cheap, and covers hosts that lose the window's contents silently
    }
  }
  gSdl.inModal = false;
  // Back to what the engine asks for now (it may have changed its mind meanwhile).
  SDL_ShowCursor(gSdl.cursorVisible ? SDL_ENABLE : SDL_DISABLE);
  SdlSuppressHeldKeys();
  SdlPresentFrame();
  return gBox.answer;
}

bool SdlBoxActive() {
  return gBox.active;
}

// Draws the open box over the frame being composed.
void SdlBoxDrawOverlay() {
  if (!gBox.active) return;
  const Rect& b = gBox.box;
  SdlFill(b.x, b.y, b.w, b.h, kSdlFace);
  SdlDrawBevel(b.x, b.y, b.w, b.h, true);
  SdlFill(b.x + 3, b.y + 3, b.w - 6, kCaptionHeight - 2, kSdlSelection);
  int w, h;
  SdlTextSize(gBox.caption, w, h);
  SdlDrawText(gBox.caption, b.x + 7, b.y + 3 + (kCaptionHeight - 2 - h) / 2, kSdlSelectedText);
  const int top = b.y + kCaptionHeight + 3 + kMargin;
  const bool icon = (gBox.flags & (MB_ICONSTOP | MB_ICONQUESTION | MB_ICONINFORMATION)) != 0;
  if (icon) DrawIcon(b.x + kMargin, top);
  const int textLeft = b.x + kMargin + (icon ? kIconSize + kMargin : 0);
  const int lineH = SdlTextHeight() + 2;
  for (size_t i = 0; i < gBox.lines.size(); i++) {
    SdlDrawText(gBox.lines[i], textLeft, top + static_cast<int>(i) * lineH, kSdlText);
  }
  for (int i = 0; i < gBox.buttons; i++) DrawButton(i);
}
