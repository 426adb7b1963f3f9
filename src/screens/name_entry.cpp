// Name entry: the names a new game starts with, the editing screen of one part with its kana and
// kanji grids, and the whole sequence of the four parts, the summary and the question.
#include "screens/name_entry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/show.h"
#include "platform/platform.h"
#include "resources/text_format.h"
#include "scenario/choice.h"
#include "scenario/font.h"
#include "scenario/message.h"
#include "scenario/message_code.h"
#include "screens/name_lists.h"
#include "screens/save_data.h"
#include "screens/save_screen.h"
#include "screens/screen_texts.h"

// Codes as the font numbers them (demo/charset); 0x0102 is the blank.
const uint8_t DefaultNames[kNameCount][kNameLength * 2] = {
    {0x07, 0x0E, 0x06, 0xCD, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02},  // 春日
    {0x0C, 0xC2, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02},  // 悠
    {0x00, 0xB5, 0x00, 0x93, 0x00, 0x47, 0x00, 0x6D, 0x01, 0x02, 0x01, 0x02},  // ユウくん
    {0x00, 0x64, 0x00, 0x42, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02},  // ゆう
    // ユウ: the kana name with hiragana 0x40..0x8F moved 81 codes on to their katakana
    {0x00, 0xB5, 0x00, 0x93, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x01, 0x02},
};

void LoadDefaultNames(uint16_t array[kNameLength], int part) {
  for (int i = 0; i < kNameLength; i++) {
    uint16_t code = kEmptyCode;
    if (part >= 0 && part < kNameCount) {
      code = static_cast<uint16_t>(DefaultNames[part][2 * i] << 8 | DefaultNames[part][2 * i + 1]);
    }
    array[i] = code == kNameBlank ? kEmptyCode : code;
  }
}

// [SECTION] The editing screen

uint16_t NameGrid[kGridRows][kGridColumns];

namespace {

constexpr int kCell = 28, kHit = 24;  // a grid cell and the part of it that takes the pointer
constexpr int kGridX = 32, kGridY = 76, kGridBottom = 304, kArrowColumn = 20, kPageCells = 160;
constexpr int kGridListColumns = 20;
constexpr int kNameX = 176, kNameY = 24;
constexpr int kLowerX = 32, kLowerY = 326, kNumberCell = 72, kNumberHit = 48;
constexpr int kNumbersPerRow = 8, kKeyCount = 60, kStrokeCounts = 24;
constexpr int kMarkOffset = 24;  // the mode mark, left of its button
constexpr uint16_t kHighlight = 232;
constexpr int kPointerStep = 8;        // pixels per held arrow key
constexpr uint32_t kPointerPace = 10;  // ms between two pointer moves
constexpr int kLineX0 = 16, kLineX1 = 623, kLineShadow = 2;
constexpr int kLinesY[] = {56, 308, 420};  // the three double lines, each 4 pixels high
constexpr int kSummaryX = 320;
constexpr int kSummaryY[] = {90, 130, 210, 170};  // parts A, B, C, D
constexpr uint16_t kYesNoX = 272, kYesNoGap = 8;
constexpr int kFieldOrder[] = {kNameFamily, kNameGiven, kNameKana, kNameFriendly};

enum : int { kModeKana = 0, kModeReading = 1, kModeStrokes = 2, kModeFinish = 3 };
enum : int { kCommandLeft = 0, kCommandRight = 1, kCommandDelete = 2, kCommandDefault = 3 };
constexpr int kButtons = 4;

// What the pointer is over, drawn in the highlight colour.
enum class Spot { None, Command, Mode, Lower, Grid };

struct Editor {
  std::array<uint16_t, kNameLength> codes;  // kNameBlank for an empty position
  int cursor = 0;
  int field = 0;
  int mode = kModeKana, key = 0, page = 0;
  bool modeShown[kButtons] = {true, true, true, true};
  Rect commandRect[kButtons], modeRect[kButtons];
  Spot spot = Spot::None;
  int spotIndex = 0;
};

// Client coordinates of picture coordinates, at the window's scale.
int ClientX(int x) {
  return x * ClientWidth / LogicalWidth;
}
int ClientY(int y) {
  return y * ClientHeight / LogicalHeight;
}
// Whether the pointer lies in the picture rectangle, compared in client coordinates.
bool PointerIn(int x0, int y0, int x1, int y1) {
  return MouseX >= ClientX(x0) && MouseX <= ClientX(x1) && MouseY >= ClientY(y0) &&
         MouseY <= ClientY(y1);
}
bool PointerIn(const Rect& r) {
  return !RectIsEmpty(r) && PointerIn(r.x0, r.y0, r.x1, r.y1);
}

void RestoreArea(int x0, int y0, int x1, int y1) {
  Rect area;
  RectSet(area, x0, y0, x1, y1);
  FrameCopyRect(ScreenFrame, BackFrame, area);
  RectUnion(DirtyRect, area);
}

// A list of codes and its size, as the grid pages show them.
struct CodeList {
  const uint16_t* codes;
  int count;
};

CodeList ReadingList(int key) {
  if (key < 0 || key + 1 >= static_cast<int>(std::size(kNameReadingStart))) return {nullptr, 0};
  return {kNameReadingCodes + kNameReadingStart[key],
          kNameReadingStart[key + 1] - kNameReadingStart[key]};
}
CodeList StrokeList(int strokes) {
  if (strokes < 1 || strokes >= static_cast<int>(std::size(kNameStrokeStart))) return {nullptr, 0};
  return {kNameStrokeCodes + kNameStrokeStart[strokes - 1],
          kNameStrokeStart[strokes] - kNameStrokeStart[strokes - 1]};
}

// Grid cell (row, column) at its place in `colour`.
void DrawGridCell(int row, int column, uint16_t colour) {
  const uint16_t code = NameGrid[row][column];
  if (code != 0) DrawGlyph(kGridX + kCell * column, kGridY + kCell * row, code, colour, kTextBlack);
}

// One page of `list` into the grid and onto the screen.
void ShowGridPage(CodeList list, int page) {
  DirtyRect = kEmptyRect;
  RestoreArea(0, kGridY, kFrameWidth - 1, kGridBottom);
  std::memset(NameGrid, 0, sizeof NameGrid);
  const int first = page * kPageCells;
  for (int i = 0; i < kPageCells && first + i < list.count; i++) {
    NameGrid[i / kGridListColumns][i % kGridListColumns] = list.codes[first + i];
  }
  if (page > 0) NameGrid[0][kArrowColumn] = kPreviousPage;
  if (first + kPageCells < list.count) NameGrid[kGridRows - 1][kArrowColumn] = kNextPage;
  for (int row = 0; row < kGridRows; row++) {
    for (int column = 0; column < kGridColumns; column++) DrawGridCell(row, column, kTextWhite);
  }
  ScreenUpdate(DirtyRect);
}

// The lower panel's number text of n strokes ("１０"), message code.
std::string StrokeNumberText(int n) {
  return FormatText("%c%c%!2d%c", {uint8_t{kMsgClickCompletes}, 0, n, uint8_t{kMsgEnd}});
}

// Reading key or stroke number i of the lower panel in `colour`; nothing for an empty key.
void DrawLowerItem(int mode, int i, uint16_t colour) {
  if (mode == kModeReading) {
    const uint16_t code = kNameReadingKeys[i];
    if (code != 0) {
      DrawGlyph(kLowerX + kCell * (i % kGridListColumns), kLowerY + kCell * (i / kGridListColumns),
                code, colour, kTextBlack);
    }
  } else if (mode == kModeStrokes) {
    const std::string text = StrokeNumberText(i + 1);
    RunMessage(static_cast<uint16_t>(kLowerX + kNumberCell * (i % kNumbersPerRow)),
               static_cast<uint16_t>(kLowerY + kCell * (i / kNumbersPerRow)),
               reinterpret_cast<const uint8_t*>(text.data()), colour, kTextBlack, false, false);
  }
}

int LowerCount(int mode) {
  return mode == kModeReading ? kKeyCount : mode == kModeStrokes ? kStrokeCounts : 0;
}

// The lower item under the pointer, or -1.
int LowerUnderPointer(int mode) {
  for (int i = 0; i < LowerCount(mode); i++) {
    int x, y, w;
    if (mode == kModeReading) {
      if (kNameReadingKeys[i] == 0) continue;
      x = kLowerX + kCell * (i % kGridListColumns);
      y = kLowerY + kCell * (i / kGridListColumns);
      w = kHit;
    } else {
      x = kLowerX + kNumberCell * (i % kNumbersPerRow);
      y = kLowerY + kCell * (i / kNumbersPerRow);
      w = kNumberHit;
    }
    if (PointerIn(x, y, x + w - 1, y + kHit - 1)) return i;
  }
  return -1;
}

// The grid cell under the pointer as row x kGridColumns + column, or -1 (empty cells too).
int GridUnderPointer() {
  for (int row = 0; row < kGridRows; row++) {
    for (int column = 0; column < kGridColumns; column++) {
      if (NameGrid[row][column] == 0) continue;
      const int x = kGridX + kCell * column, y = kGridY + kCell * row;
      if (PointerIn(x, y, x + kHit - 1, y + kHit - 1)) return row * kGridColumns + column;
    }
  }
  return -1;
}

void ShowModeGrid(const Editor& e) {
  if (e.mode == kModeReading) {
    ShowReadingPage(e.key, e.page);
  } else if (e.mode == kModeStrokes) {
    ShowStrokePage(e.key + 1, e.page);
  } else {
    ShowKanaPage(e.page);
  }
}

// The lower panel of the mode, then its grid.
void ShowPickerPanel(Editor& e) {
  DirtyRect = kEmptyRect;
  RestoreArea(0, kLinesY[1] + 4 + kLineShadow, kFrameWidth - 1, kLinesY[2] - 1);
  for (int i = 0; i < LowerCount(e.mode); i++) DrawLowerItem(e.mode, i, kTextWhite);
  ScreenUpdate(DirtyRect);
  ShowModeGrid(e);
  if (e.spot == Spot::Lower || e.spot == Spot::Grid) e.spot = Spot::None;
}

// The six codes of the name at their places, the one at the cursor highlighted.
void ShowNameLine(const Editor& e) {
  DirtyRect = kEmptyRect;
  RestoreArea(kNameX, kNameY, kNameX + kGlyphSize * kNameLength + kLineShadow - 1,
              kNameY + kGlyphCell - 1);
  for (int i = 0; i < kNameLength; i++) {
    DrawGlyph(static_cast<uint16_t>(kNameX + kGlyphSize * i), kNameY, e.codes[i],
              i == e.cursor ? kHighlight : kTextWhite, kTextBlack);
  }
  ScreenUpdate(DirtyRect);
}

// A button's text; its rectangle is what the drawing covered.
Rect DrawButton(const uint8_t* text, uint16_t colour) {
  DirtyRect = kEmptyRect;
  RunMessage(0, 0, text, colour, kTextBlack, false, false);
  const Rect drawn = DirtyRect;
  ScreenUpdate(DirtyRect);
  return drawn;
}

void DrawModeMark(const Editor& e, bool shown) {
  const Rect& r = e.modeRect[e.mode];
  DirtyRect = kEmptyRect;
  const int x = r.x0 - kMarkOffset;
  if (shown) {
    DrawGlyph(static_cast<uint16_t>(x), static_cast<uint16_t>(r.y0), kModeMark, kTextWhite,
              kTextBlack);
  } else {
    RestoreArea(x, r.y0, x + kGlyphCell - 1, r.y0 + kGlyphCell - 1);
  }
  ScreenUpdate(DirtyRect);
}

// Draws the highlighted element again in `colour`.
void DrawSpot(const Editor& e, uint16_t colour) {
  DirtyRect = kEmptyRect;
  switch (e.spot) {
    case Spot::None:
      return;
    case Spot::Command:
      DrawButton(kTextNameCommand[e.spotIndex], colour);
      return;
    case Spot::Mode:
      DrawButton(kTextNameMode[e.spotIndex], colour);
      return;
    case Spot::Lower:
      DrawLowerItem(e.mode, e.spotIndex, colour);
      break;
    case Spot::Grid:
      DrawGridCell(e.spotIndex / kGridColumns, e.spotIndex % kGridColumns, colour);
      break;
  }
  ScreenUpdate(DirtyRect);
}

// Highlights what lies under the pointer now.
void FollowPointer(Editor& e) {
  Spot spot = Spot::None;
  int index = -1;
  for (int i = 0; i < kButtons && spot == Spot::None; i++) {
    if (PointerIn(e.commandRect[i])) spot = Spot::Command, index = i;
    if (e.modeShown[i] && PointerIn(e.modeRect[i])) spot = Spot::Mode, index = i;
  }
  if (spot == Spot::None && (index = LowerUnderPointer(e.mode)) >= 0) spot = Spot::Lower;
  if (spot == Spot::None && (index = GridUnderPointer()) >= 0) spot = Spot::Grid;
  if (spot == e.spot && index == e.spotIndex) return;
  DrawSpot(e, kTextWhite);
  e.spot = spot;
  e.spotIndex = index;
  DrawSpot(e, kHighlight);
}

// Held arrow keys move the pointer, 8 pixels of the picture per direction and step.
void MovePointerByKeys(uint32_t& last) {
  if (ElapsedSince(last) < kPointerPace) return;
  last = PlatTicks();
  const int dx =
      (KeysHeld & InputRight ? kPointerStep : 0) - (KeysHeld & InputLeft ? kPointerStep : 0);
  const int dy =
      (KeysHeld & InputDown ? kPointerStep : 0) - (KeysHeld & InputUp ? kPointerStep : 0);
  if ((dx == 0 && dy == 0) || ClientWidth == 0 || ClientHeight == 0) return;
  const int x = std::clamp(MouseX * LogicalWidth / ClientWidth + dx, 0, kFrameWidth - 1);
  const int y = std::clamp(MouseY * LogicalHeight / ClientHeight + dy, 0, kFrameHeight - 1);
  MoveCursorTo(static_cast<uint16_t>(ClientX(x)), static_cast<uint16_t>(ClientY(y)));
}

void DrawDoubleLine(int y) {
  FrameFillRect(ScreenFrame, kLineX0 + kLineShadow, static_cast<int16_t>(y + kLineShadow),
                kLineX1 + kLineShadow, static_cast<int16_t>(y + kLineShadow), kTextBlack);
  FrameFillRect(ScreenFrame, kLineX0 + kLineShadow, static_cast<int16_t>(y + 3 + kLineShadow),
                kLineX1 + kLineShadow, static_cast<int16_t>(y + 3 + kLineShadow), kTextBlack);
  FrameFillRect(ScreenFrame, kLineX0, static_cast<int16_t>(y), kLineX1, static_cast<int16_t>(y),
                kTextWhite);
  FrameFillRect(ScreenFrame, kLineX0, static_cast<int16_t>(y + 3), kLineX1,
                static_cast<int16_t>(y + 3), kTextWhite);
}

// The whole screen of one part: prompt, name, lines, buttons, mode 0's grid.
void DrawEditor(Editor& e) {
  FrameCopy(ScreenFrame, BackFrame);
  RunMessage(0, 0, kTextNamePrompt[e.field], kTextWhite, kTextBlack, false, false);
  for (int y : kLinesY) DrawDoubleLine(y);
  for (int i = 0; i < kButtons; i++) {
    e.commandRect[i] = DrawButton(kTextNameCommand[i], kTextWhite);
    e.modeRect[i] = e.modeShown[i] ? DrawButton(kTextNameMode[i], kTextWhite) : kEmptyRect;
  }
  e.mode = kModeKana;
  e.key = e.page = 0;
  DrawModeMark(e, true);
  ShowNameLine(e);
  ShowPickerPanel(e);
  ScreenUpdate();
}

// A click on command button i.
void Command(Editor& e, int i) {
  switch (i) {
    case kCommandLeft:
      if (e.cursor > 0) e.cursor--;
      break;
    case kCommandRight:
      if (e.cursor < kNameLength - 1 && e.codes[e.cursor] != kNameBlank) e.cursor++;
      break;
    case kCommandDelete:
      if (e.codes[e.cursor] != kNameBlank) {
        std::copy(e.codes.begin() + e.cursor + 1, e.codes.end(), e.codes.begin() + e.cursor);
        e.codes[kNameLength - 1] = kNameBlank;
      }
      break;
    case kCommandDefault: {
      uint16_t defaults[kNameLength];
      LoadDefaultNames(defaults, e.field);
      for (int k = 0; k < kNameLength; k++) {
        e.codes[k] = defaults[k] == kEmptyCode ? kNameBlank : defaults[k];
      }
      e.cursor = 0;
      break;
    }
  }
  ShowNameLine(e);
}

// A click on mode button i: true when it finished the name.
bool ChooseMode(Editor& e, int i) {
  if (i == kModeFinish) return e.codes[0] != kNameBlank;
  if (i == e.mode) return false;
  DrawModeMark(e, false);
  e.mode = i;
  e.key = e.page = 0;
  DrawModeMark(e, true);
  ShowPickerPanel(e);
  return false;
}

// A click on lower item i: another reading key or stroke count.
void ChooseLower(Editor& e, int i) {
  if (i == e.key) return;
  e.key = i;
  e.page = 0;
  ShowModeGrid(e);
  e.spot = Spot::Lower;  // still under the pointer, still highlighted
}

// A click on grid cell `cell`: a page arrow or a character for the cursor's place.
void ChooseCell(Editor& e, int cell) {
  const uint16_t code = NameGrid[cell / kGridColumns][cell % kGridColumns];
  if (code == kPreviousPage || code == kNextPage) {
    e.page += code == kNextPage ? 1 : -1;
    ShowModeGrid(e);
    e.spot = Spot::None;
    return;
  }
  e.codes[e.cursor] = code;
  if (e.cursor < kNameLength - 1) e.cursor++;
  ShowNameLine(e);
}

}  // namespace

void ShowKanaPage(int page) {
  ShowGridPage({kNameKanaTable, static_cast<int>(std::size(kNameKanaTable))}, page);
}

void ShowReadingPage(int key, int page) {
  ShowGridPage(ReadingList(key), page);
}

void ShowStrokePage(int strokes, int page) {
  ShowGridPage(StrokeList(strokes), page);
}

bool EditName(uint16_t codes[kNameLength], int field, bool kanaOnly) {
  Editor e;
  e.field = field;
  for (int i = 0; i < kNameLength; i++) e.codes[i] = codes[i] == kEmptyCode ? kNameBlank : codes[i];
  if (kanaOnly) e.modeShown[kModeReading] = e.modeShown[kModeStrokes] = false;
  DrawEditor(e);
  if (MouseMove == 1 && PlatHasFocus()) {
    const Rect& finish = e.modeRect[kModeFinish];
    GlidePointerTo(static_cast<uint16_t>(finish.x0 + 8),
                   static_cast<uint16_t>((finish.y0 + finish.y1) / 2));
  }
  ClearInput();

  uint32_t lastMove = PlatTicks();
  for (;;) {
    MovePointerByKeys(lastMove);
    const uint16_t input = InputTriggers;
    ClearInput();
    // A click that came with a cancel is still a click.
    const bool clicked = (input & InputOk) != 0;
    if ((input & InputCancel) && !clicked) return false;
    FollowPointer(e);
    if (clicked) {
      bool finished = false;
      switch (e.spot) {
        case Spot::Command:
          Command(e, e.spotIndex);
          break;
        case Spot::Mode:
          finished = ChooseMode(e, e.spotIndex);
          break;
        case Spot::Lower:
          ChooseLower(e, e.spotIndex);
          break;
        case Spot::Grid:
          ChooseCell(e, e.spotIndex);
          break;
        case Spot::None:
          break;
      }
      if (finished) {
        for (int i = 0; i < kNameLength; i++) {
          codes[i] = e.codes[i] == kNameBlank ? kEmptyCode : e.codes[i];
        }
        return true;
      }
    }
    PumpMessages();
  }
}

void DeriveKatakanaName(const uint16_t kana[kNameLength], uint16_t out[kNameLength]) {
  for (int i = 0; i < kNameLength; i++) {
    const uint16_t code = kana[i];
    if (code >= kFirstHiragana && code <= kLastHiragana) {
      out[i] = code + kKanaShift;
    } else if (code >= kFirstHiragana + kKanaShift && code <= kLastHiragana + kKanaShift) {
      out[i] = code - kKanaShift;
    } else {
      out[i] = code;
    }
  }
}

// [SECTION] The whole name entry

namespace {

// The four parts with their labels, then yes or no; true for yes.
bool ConfirmNames(const uint16_t (&names)[kNameCount][kNameLength]) {
  ShowBackFrame();
  DirtyRect = kEmptyRect;
  for (const uint8_t* label : kTextNameSummary) {
    RunMessage(0, 0, label, kTextWhite, kTextBlack, false, false);
  }
  for (int part = 0; part < kNameKatakana; part++) {
    for (int i = 0; i < kNameLength; i++) {
      const uint16_t code = names[part][i];
      if (code == kEmptyCode || code == kNameBlank) continue;
      DrawGlyph(static_cast<uint16_t>(kSummaryX + kGlyphSize * i),
                static_cast<uint16_t>(kSummaryY[part]), code, kTextWhite, kTextBlack);
    }
  }
  RunMessage(0, 0, kTextNameQuestion, kTextWhite, kTextBlack, false, false);
  ScreenUpdate(DirtyRect);
  TextX = kYesNoX;
  TextY += kYesNoGap;
  const uint8_t* answers[] = {kAskYes, kAskNo};
  const uint8_t enabled[] = {1, 1};
  return SelectItem(answers, 2, enabled, 1, true, false, true) == 0;
}

}  // namespace

void NameEntry() {
  PlatShowCursor(true);
  uint16_t names[kNameCount][kNameLength];
  for (;;) {
    std::memcpy(names, NameArrays, sizeof names);
    int step = 0;
    while (step >= 0 && step < static_cast<int>(std::size(kFieldOrder))) {
      const int field = kFieldOrder[step];
      step += EditName(names[field], field, field == kNameKana) ? 1 : -1;
    }
    if (step < 0) {
      // Cancelled at the first part: every name stays as it was.
      ShowBackFrame();
      PlatShowCursor(false);
      return;
    }
    if (ConfirmNames(names)) break;
  }
  DeriveKatakanaName(names[kNameKana], names[kNameKatakana]);
  for (GameState* state : {&LiveState, &SaveState, &CheckpointState}) {
    std::memcpy(state->nameArrays, names, sizeof names);
  }
  ShowBackFrame();
  PlatShowCursor(false);
  if (CurrentSlot < kSlotCount) SlotUpdateNames(CurrentSlot);
}
