// The message history: appending (scenario, message) pairs to the live state, once per message
// shown in a row, making room by dropping the oldest quarter when the 2000 entries are full.
#include "scenario/history.h"

#include <algorithm>

#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/show.h"
#include "platform/platform.h"
#include "scenario/choice.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/message_code.h"
#include "scenario/scenario.h"

namespace {

constexpr uint16_t kArrowX = 608, kArrowUpY = 4, kArrowDownY = 452;
constexpr uint16_t kArrowUp = 0xFB, kArrowDown = 0xFC;
constexpr uint16_t kArrowGrey = 230;
constexpr uint16_t kPointerX = 620, kPointerTop = 16, kPointerTopFull = 24, kPointerBottom = 464;

uint16_t ToClientX(uint16_t x) {
  return static_cast<uint16_t>(x * ClientWidth / LogicalWidth);
}
uint16_t ToClientY(uint16_t y) {
  return static_cast<uint16_t>(y * ClientHeight / LogicalHeight);
}

// The arrow's colour: black where there is nothing more that way, white while the pointer is
// in its half, grey otherwise.
uint16_t ArrowColour(bool more, bool pointerHere) {
  if (!more) return kTextBlack;
  return pointerHere ? kTextWhite : kArrowGrey;
}

}  // namespace

// Appends one (scenario, message) pair unless it repeats the newest.
void RecordHistory(uint8_t message) {
  // Clamp a count a damaged save may carry, so the entries are never indexed past their end.
  HistoryCount = std::min<uint16_t>(HistoryCount, kHistoryMax);
  if (HistoryCount > 0) {
    const HistoryEntry& last = History[HistoryCount - 1];
    if (last.scenario == CurrentScenario && last.message == message) return;
  }
  if (HistoryCount >= kHistoryMax) {
    std::copy(History + kHistoryDrop, History + kHistoryMax, History);
    HistoryCount = kHistoryMax - kHistoryDrop;
  }
  History[HistoryCount] = HistoryEntry{CurrentScenario, message};
  HistoryCount++;
}

void ShowMessageLog() {
  ShowBackFrame();
  HistoryCount = std::min<uint16_t>(HistoryCount, kHistoryMax);
  if (HistoryCount < 2) return;
  PlatShowCursor(true);
  UnloadMessageBlock();
  const uint16_t last = static_cast<uint16_t>(HistoryCount - 2);
  uint16_t index = last;
  bool lower = true, first = true;
  int drawnIndex = -1;
  bool drawnLower = lower;

  for (;;) {
    const bool indexChanged = index != drawnIndex;
    if (indexChanged) {
      ShowBackFrame();
      const HistoryEntry entry = History[index];
      LoadMessageBlock(entry.scenario);
      DrawTextPlain(kStoryX, kStoryY, ViewMessageCode(static_cast<uint8_t>(entry.message)),
                    kTextWhite, kTextBlack);
      if (first && MouseMove == 1 && PlatHasFocus()) {
        GlidePointerTo(kPointerX, ScreenMode == kModeFullScreen ? kPointerTopFull : kPointerTop);
      }
      first = false;
    }
    if (indexChanged || lower != drawnLower) {
      DrawGlyph(kArrowX, kArrowUpY, kArrowUp, ArrowColour(index > 0, !lower), kTextBlack);
      DrawGlyph(kArrowX, kArrowDownY, kArrowDown, ArrowColour(index < last, lower), kTextBlack);
      ScreenUpdate(DirtyRect);
      drawnIndex = index;
      drawnLower = lower;
    }
    Wait(2);
    lower = MouseY >= ClientHeight / 2;
    if (InputTriggers & (InputCancel | InputSpace)) break;
    // Wheel down past the last entry closes the view, as turning on would leave it.
    if ((InputTriggers & InputWheelDown) && index >= last) break;
    if (InputTriggers & (InputUp | InputWheelUp)) {
      if (index > 0) {
        MoveCursorTo(ToClientX(kPointerX), ToClientY(kPointerTop));
        InputTriggers |= InputOk;
        lower = false;
      }
      InputTriggers &= ~(InputUp | InputWheelUp);
    }
    if (InputTriggers & (InputDown | InputWheelDown)) {
      if (index < last) {
        MoveCursorTo(ToClientX(kPointerX), ToClientY(kPointerBottom));
        InputTriggers |= InputOk;
        lower = true;
      }
      InputTriggers &= ~(InputDown | InputWheelDown);
    }
    if (InputTriggers & InputOk) {
      if (lower && index < last) index++;
      if (!lower && index > 0) index--;
      ClearInput();
    }
    PumpMessages();
  }

  UnloadMessageBlock();
  PlatShowCursor(false);
  ClearInput();
  ShowBackFrame();
}
