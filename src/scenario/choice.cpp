// Choices and selection menus: the list picker with keys, mouse and the pointer glide, the two
// story choices of the event script, and the yes/no question with its fixed texts.
#include "scenario/choice.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/platform.h"
#include "scenario/event_script.h"
#include "scenario/game_state.h"
#include "scenario/history.h"
#include "scenario/message.h"
#include "scenario/message_code.h"
#include "scenario/scenario.h"
#include "screens/game_menu.h"
#include "screens/main_flow.h"

// "Yes" / "no" and the line under the question, in the font's codes.
const uint8_t kAskSecondLine[] = {kMsgClickCompletes,
                                  0x00,
                                  0x00,
                                  0x65,
                                  0x00,
                                  0x6A,
                                  0x00,
                                  0x4B,
                                  0x00,
                                  0x41,
                                  0x00,
                                  0x7B,
                                  0x00,
                                  0x4C,
                                  0x00,
                                  0x45,
                                  0x00,
                                  0xE9,
                                  kMsgNewLine,
                                  kMsgEnd};
const uint8_t kAskYes[] = {kMsgClickCompletes, 0x00, 0x00, 0x59, 0x00, 0x41, kMsgNewLine, kMsgEnd};
const uint8_t kAskNo[] = {kMsgClickCompletes, 0x00,   0x00, 0x41, 0x00, 0x41, 0x00, 0x43,
                          kMsgNewLine,        kMsgEnd};

namespace {

constexpr int16_t kNone = -1;  // no item highlighted
constexpr uint16_t kItemColour = 229;
constexpr uint16_t kGreyColour = 230;
constexpr uint16_t kItemGap = 4;     // pixels between two items
constexpr uint16_t kChoiceGap = 12;  // between the question and the first option
constexpr int kGlideSteps = 16;
constexpr uint16_t kAskX = 224, kAskY = 144, kAskItemX = 272, kAskItemGap = 8;

// One item of the list on screen.
struct Item {
  const uint8_t* text;  // after its position commands
  uint16_t x, y;
  Rect rect;
};

struct List {
  std::array<Item, kMaxItems> items;
  int16_t count;
  const uint8_t* enabled;
};

// Client coordinates of picture coordinates.
int ClientX(int x) {
  return x * ClientWidth / LogicalWidth;
}
// The same for y.
int ClientY(int y) {
  return y * ClientHeight / LogicalHeight;
}

// Applies the position commands an item starts with and answers what follows them.
const uint8_t* TakePosition(const uint8_t* text) {
  MessageCursor cursor = MessageCursorAt(text);
  for (;;) {
    const uint8_t* before = cursor.at;
    const uint8_t op = MessageNext(cursor);
    if (op == kMsgMargin) {
      TextX = static_cast<uint16_t>(MessageNext(cursor) * 8);
    } else if (op == kMsgTextY) {
      const uint8_t low = MessageNext(cursor);
      TextY = static_cast<uint16_t>(low + MessageNext(cursor) * 256);
    } else {
      return before;
    }
  }
}

// Whether item i is there and enabled.
bool Selectable(const List& list, int16_t i) {
  return i != kNone && list.enabled[i] != 0;
}

// Draws item i at its place in `colour`.
void DrawItem(const List& list, int16_t i, uint16_t colour) {
  const Item& item = list.items[i];
  SkipToChoice = 0;
  RunMessage(item.x, item.y, item.text, colour, kTextBlack, false, false);
}

// Draws the whole list from the text position down and records where each item went.
void DrawList(List& list, const uint8_t* const* texts, int16_t highlight) {
  Rect all = kEmptyRect;
  for (int16_t i = 0; i < list.count; i++) {
    Item& item = list.items[i];
    DirtyRect = kEmptyRect;
    item.text = TakePosition(texts[i]);
    item.x = TextX;
    item.y = TextY;
    DrawItem(list, i, i == highlight && Selectable(list, i) ? kItemColour : kGreyColour);
    item.rect = DirtyRect;
    TextY += kItemGap;
    RectUnion(all, item.rect);
  }
  DirtyRect = all;
  ScreenUpdate(DirtyRect);
}

// Where the pointer goes for item i: just inside its left edge, halfway down.
void ItemPoint(const Item& item, int dx, int& x, int& y) {
  x = item.rect.x0 + dx;
  y = (item.rect.y0 + item.rect.y1) / 2;
}

// The item under the mouse pointer, or none.
int16_t ItemUnderPointer(const List& list) {
  for (int16_t i = 0; i < list.count; i++) {
    const Rect& r = list.items[i].rect;
    if (RectIsEmpty(r)) continue;
    if (MouseX >= ClientX(r.x0) && MouseX <= ClientX(r.x1) && MouseY >= ClientY(r.y0) &&
        MouseY <= ClientY(r.y1)) {
      return i;
    }
  }
  return kNone;
}

// The list is drawn again over the page after the game menu or the hidden text.
void RedrawUnderList(const uint8_t* firstItem) {
  RedrawPage(firstItem);
  TextY += kChoiceGap;
  ScreenUpdate(DirtyRect);
}

// Every way out of the list picker.
int16_t Leave(int16_t answer) {
  SkipToChoice = 0;
  PlatShowCursor(false);
  return answer;
}

// Shared by both story choices: question q, then the options; the chosen list index or kNone
// when the script was ended meanwhile.
int16_t Choose(uint8_t q, const uint8_t* const* options, int16_t count) {
  RecordHistory(q);
  RunMessage(kStoryX, kStoryY, MessageCode(q), kTextWhite, kTextBlack, true, true);
  ScreenUpdate(DirtyRect);
  TextY += kChoiceGap;
  if (ScriptExit != kScriptRunning) return kNone;
  const std::array<uint8_t, kMaxItems> enabled = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  SkipToChoice = 0;
  const int16_t i = SelectItem(options, count, enabled.data(), kNone, false, true, true);
  SkipToChoice = 0;
  if (ScriptExit != kScriptRunning) return kNone;
  return i;
}

}  // namespace

// [SECTION] The list picker

// Halfway to the target per 10 ms step, at most 16 steps, unless the player takes over.
void GlidePointerTo(uint16_t x, uint16_t y) {
  const int targetX = ClientX(x), targetY = ClientY(y);
  auto there = [&] { return std::abs(targetX - MouseX) <= 1 && std::abs(targetY - MouseY) <= 1; };
  for (int step = 0; step < kGlideSteps; step++) {
    if (there()) return;
    const int nextX = MouseX + (targetX - MouseX) / 2;
    const int nextY = MouseY + (targetY - MouseY) / 2;
    MoveCursorTo(static_cast<uint16_t>(nextX), static_cast<uint16_t>(nextY));
    Wait(1);
    // The player took the mouse: leave it to them.
    if (MouseX != nextX || MouseY != nextY) return;
  }
  if (!there()) MoveCursorTo(static_cast<uint16_t>(targetX), static_cast<uint16_t>(targetY));
}

// The list picker: draw, glide, then keys, mouse, cancel, OK and space until an answer.
int16_t SelectItem(const uint8_t* const* items, int16_t count, const uint8_t* enabled,
                   int16_t initial, bool cancelAllowed, bool menuAllowed, bool moveMouse) {
  PlatShowCursor(true);
  SkipToChoice = 0;
  List list{};
  list.count = std::clamp<int16_t>(count, 0, kMaxItems);
  list.enabled = enabled;
  int16_t highlight = initial >= 0 && initial < list.count ? initial : kNone;
  int16_t drawn = highlight;
  bool marked = true, first = true;

  for (;;) {
    if (marked) {
      DrawList(list, items, highlight);
      drawn = highlight;
      marked = false;
      if (first && list.count > 0) {
        first = false;
        if (MouseMove == 1 && moveMouse && PlatHasFocus()) {
          int x, y;
          if (highlight != kNone) {
            ItemPoint(list.items[highlight], 8, x, y);
          } else {
            ItemPoint(list.items[0], -16, x, y);
          }
          GlidePointerTo(static_cast<uint16_t>(std::max(x, 0)), static_cast<uint16_t>(y));
        }
        if (PaletteState == PalStateBlack) PalFadeInDimmed(1);
        ClearInput();
      }
    }
    if (highlight != drawn) {
      DirtyRect = kEmptyRect;
      if (drawn != kNone) DrawItem(list, drawn, kGreyColour);
      if (highlight != kNone) {
        DrawItem(list, highlight, Selectable(list, highlight) ? kItemColour : kGreyColour);
      }
      ScreenUpdate(DirtyRect);
      drawn = highlight;
    }
    highlight = ItemUnderPointer(list);

    const uint16_t keys = InputTriggers & (InputUp | InputRight | InputDown | InputLeft);
    if (keys && list.count > 0) {
      InputTriggers &= ~(InputUp | InputRight | InputDown | InputLeft);
      if (keys & (InputUp | InputLeft)) {
        highlight = highlight <= 0 ? list.count - 1 : highlight - 1;
      }
      if (keys & (InputDown | InputRight)) {
        highlight = highlight == kNone || highlight >= list.count - 1 ? 0 : highlight + 1;
      }
      int x, y;
      ItemPoint(list.items[highlight], 8, x, y);
      MoveCursorTo(static_cast<uint16_t>(ClientX(x)), static_cast<uint16_t>(ClientY(y)));
    }
    if (InputTriggers & InputCancel) {
      ClearInput();
      if (menuAllowed && PlayMode == PlayModeEventScript) {
        GameMenu();
        SkipToChoice = 0;
        if (ScriptExit != kScriptRunning) return Leave(kNoItem);
        if (list.count > 0) RedrawUnderList(items[0]);
        marked = true;
      }
      if (cancelAllowed) return Leave(kNoItem);
    }
    if (InputTriggers & InputOk) {
      ClearInput();
      if (Selectable(list, highlight)) {
        DirtyRect = kEmptyRect;
        DrawItem(list, highlight, kItemColour);
        ScreenUpdate(DirtyRect);
        return Leave(highlight);
      }
    }
    if (InputTriggers & InputSpace) {
      ClearInput();
      if (menuAllowed && PlayMode == PlayModeEventScript) {
        HideTextUntilClick();
        if (list.count > 0) RedrawUnderList(items[0]);
        marked = true;
      }
    }
    PumpMessages();
  }
}

// [SECTION] Story choices

// Event opcode 0x24: the question and up to 12 options, each with its jump.
const uint8_t* SelectOption(const uint8_t* operands) {
  const uint8_t q = operands[0];
  const int16_t count = std::min<int16_t>(operands[1], kMaxItems);
  const uint8_t* pairs = operands + 2;
  std::array<const uint8_t*, kMaxItems> options{};
  for (int16_t i = 0; i < count; i++) options[i] = MessageCode(pairs[2 * i]);
  const int16_t i = Choose(q, options.data(), count);
  if (i == kNone) return nullptr;
  ScriptVar(kVarChoiceIndex) = static_cast<uint8_t>(i);
  RecordHistory(pairs[2 * i]);
  return pairs + 2 * count + static_cast<int8_t>(pairs[2 * i + 1]);
}

// Event opcode 0x2B: the options offered by the table in the variables.
const uint8_t* SelectFromTable(const uint8_t* operands) {
  const uint8_t s = operands[0], q = operands[1];
  std::array<const uint8_t*, kMaxItems> options{};
  std::array<uint8_t, kMaxItems> index{};
  int16_t count = 0;
  for (uint8_t i = 0; i < kTableOptions; i++) {
    const uint8_t m = ScriptVar(kVarTableMessage + i);
    if (m == 0) continue;
    options[count] = MessageCode(m);
    index[count++] = i;
  }
  const int16_t chosen = Choose(q, options.data(), count);
  if (chosen == kNone) return nullptr;
  const uint8_t i = index[chosen];
  ScriptVar(kVarTableChoice) = i;
  RecordHistory(ScriptVar(kVarTableMessage + i));
  return operands + 2 + s * ScriptVar(kVarTableStep + i);
}

// [SECTION] Yes or no

// The question in mid-screen, the fixed line under it, then yes or no.
bool AskYesNo(const uint8_t* question) {
  FrameCopy(ScreenFrame, BackFrame);
  ScreenUpdate();
  RunMessage(kAskX, kAskY, question, kTextWhite, kTextBlack, false, false);
  RunMessage(kAskX, TextY, kAskSecondLine, kTextWhite, kTextBlack, false, false);
  ScreenUpdate(DirtyRect);
  TextX = kAskItemX;
  TextY += kAskItemGap;
  const uint8_t* answers[] = {kAskYes, kAskNo};
  const uint8_t enabled[] = {1, 1};
  const int16_t i = SelectItem(answers, 2, enabled, 1, true, false, true);
  FrameCopy(ScreenFrame, BackFrame);
  ScreenUpdate();
  return i == 0;
}
