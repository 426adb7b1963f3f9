// The save and load screens: five framed slots over the dimmed scene, picked with the mouse or
// the keys, and the load and save sequences of the game menu.
#include "screens/save_screen.h"

#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "resources/text_format.h"
#include "scenario/choice.h"
#include "scenario/event_script.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/message.h"
#include "scenario/message_code.h"
#include "scenario/scenario.h"
#include "screens/screen_texts.h"

uint8_t CurrentSlot;

namespace {

constexpr int16_t kNoSlot = -1;
constexpr int kSlotPitch = 86;
constexpr int kBoxLeft = 64, kBoxRight = 575, kBoxTop = 40, kBoxBottom = 121, kBar = 4;
constexpr int kHitRight = 576, kHitBottom = 126;
constexpr uint16_t kHeadingX = 64, kHeadingY = 8;
constexpr uint16_t kLabelX = 96, kLabelY = 56, kNameX = 272;
constexpr uint16_t kGreyColour = 230;
constexpr uint16_t kNoShadow = 0xFFFF;
constexpr uint16_t kSavedX = 216, kSavedY = 160;

// The top of slot i's box.
int Top(int slot) {
  return kBoxTop + kSlotPitch * slot;
}

// The slot whose hit rectangle holds the mouse pointer, or none.
int16_t SlotUnderPointer() {
  for (int16_t i = 0; i < static_cast<int16_t>(kSlotCount); i++) {
    const int x0 = kBoxLeft * ClientWidth / LogicalWidth;
    const int x1 = kHitRight * ClientWidth / LogicalWidth;
    const int y0 = Top(i) * ClientHeight / LogicalHeight;
    const int y1 = (kHitBottom + kSlotPitch * i) * ClientHeight / LogicalHeight;
    if (MouseX >= x0 && MouseX <= x1 && MouseY >= y0 && MouseY <= y1) return i;
  }
  return kNoSlot;
}

// Where the pointer goes for slot i: inside its right edge, a little below its top.
void PointAt(int slot, int& x, int& y) {
  x = kHitRight - 16;
  y = Top(slot) + 32;
}

// The saved notice, shown until a click; the overlay of falling weather repaints by itself.
void SayAndWait(const uint8_t* text) {
  ShowBackFrame();
  TextX = kSavedX;
  TextY = kSavedY;
  DirtyRect = kEmptyRect;
  RunMessage(kSavedX, kSavedY, text, kTextWhite, kTextBlack, false, false);
  if (WeatherMode == 0 || WeatherOn != 1) ScreenUpdate(DirtyRect);
  WaitClick();
  ShowBackFrame();
}

}  // namespace

void DrawSlotEntry(uint16_t slot, const SlotInfo& info, uint16_t colour, uint16_t shadow) {
  const int top = Top(slot);
  const int bars[4][4] = {
      {kBoxLeft, top, kBoxRight, top + kBar - 1},
      {kBoxLeft, top + kBoxBottom - kBoxTop - kBar + 1, kBoxRight, top + kBoxBottom - kBoxTop},
      {kBoxLeft, top + kBar, kBoxLeft + kBar - 1, top + kBoxBottom - kBoxTop},
      {kBoxRight - kBar + 1, top + kBar, kBoxRight, top + kBoxBottom - kBoxTop},
  };
  for (const auto& b : bars) {
    if (shadow != kNoShadow) {
      FrameFillRect(ScreenFrame, static_cast<int16_t>(b[0] + 2), static_cast<int16_t>(b[1] + 2),
                    static_cast<int16_t>(b[2] + 2), static_cast<int16_t>(b[3] + 2), shadow);
    }
    FrameFillRect(ScreenFrame, static_cast<int16_t>(b[0]), static_cast<int16_t>(b[1]),
                  static_cast<int16_t>(b[2]), static_cast<int16_t>(b[3]), colour);
  }
  RectExtend(DirtyRect, kBoxLeft, top, kBoxRight + 2, top + kBoxBottom - kBoxTop + 2);
  const uint16_t labelY = static_cast<uint16_t>(kLabelY + kSlotPitch * slot);
  const uint16_t dateY = static_cast<uint16_t>(kSlotPitch * (slot + 1));
  RunMessage(kLabelX, labelY, kTextSlotLabel[slot], colour, shadow, false, false);
  if (!info.valid) {
    RunMessage(kNameX, dateY, kTextSlotEmpty, colour, shadow, false, false);
    return;
  }
  for (int i = 0; i < kNameLength; i++) {
    if (info.name[i] == kNoCharacter) continue;
    DrawGlyph(static_cast<uint16_t>(kNameX + kCellAdvance * i), labelY, info.name[i], colour,
              shadow);
  }
  // Month, day, hour and minute, each as two full-width digits and its sign.
  const std::string date =
      FormatText("%c%c%!2d%c%c%!2d%c%c%!2d%c%c%!2d%c%c%c",
                 {uint8_t{kMsgClickCompletes}, 0, info.month, 0x02, 0xE6, info.day, 0x06, 0xCD,
                  info.hour, 0x04, 0x03, info.minute, 0x07, 0x86, uint8_t{kMsgEnd}});
  RunMessage(kNameX, dateY, reinterpret_cast<const uint8_t*>(date.data()), colour, shadow, false,
             false);
}

int16_t SlotScreen(uint16_t mode) {
  PlatShowCursor(true);
  DirtyRect = kEmptyRect;
  RunMessage(kHeadingX, kHeadingY, kTextSlotTitle[mode], kTextWhite, kTextBlack, false, false);
  int16_t highlight = CurrentSlot < kSlotCount ? CurrentSlot : 0;
  SlotInfo info[kSlotCount] = {};
  for (uint16_t i = 0; i < kSlotCount; i++) {
    SlotReadInfo(i, info[i]);
    DrawSlotEntry(i, info[i], i == highlight ? kTextWhite : kGreyColour, kTextBlack);
  }
  ScreenUpdate();
  if (MouseMove == 1 && PlatHasFocus()) {
    int x, y;
    PointAt(highlight, x, y);
    GlidePointerTo(static_cast<uint16_t>(x), static_cast<uint16_t>(y));
  }
  if (PaletteState == PalStateBlack) PalFadeInDimmed(1);

  int16_t drawn = highlight, last = highlight, result = kNoSlot;
  for (;;) {
    if (highlight != drawn) {
      DirtyRect = kEmptyRect;
      if (drawn != kNoSlot) DrawSlotEntry(drawn, info[drawn], kGreyColour, kNoShadow);
      if (highlight != kNoSlot) DrawSlotEntry(highlight, info[highlight], kTextWhite, kNoShadow);
      ScreenUpdate();
      drawn = highlight;
    }
    highlight = SlotUnderPointer();
    if (highlight != kNoSlot) last = highlight;
    if (InputTriggers & InputCancel) {
      ClearInput();
      break;
    }
    if (InputTriggers & InputOk) {
      ClearInput();
      if (highlight != kNoSlot) {
        result = highlight;
        break;
      }
    }
    const uint16_t keys = InputTriggers & (InputUp | InputDown);
    if (keys) {
      InputTriggers &= ~(InputUp | InputDown);
      const int16_t n = static_cast<int16_t>(kSlotCount);
      const int16_t next = keys & InputUp ? (last + n - 1) % n : (last + 1) % n;
      int x, y;
      PointAt(next, x, y);
      MoveCursorTo(static_cast<uint16_t>(x * ClientWidth / LogicalWidth),
                   static_cast<uint16_t>(y * ClientHeight / LogicalHeight));
      last = next;
    }
    PumpMessages();
  }
  PlatShowCursor(false);
  if (result != kNoSlot) CurrentSlot = static_cast<uint8_t>(result);
  return result;
}

bool LoadFromMenu() {
  ShowBackFrame();
  if (SlotScreen(kSlotsToLoad) < 0) return false;
  ShowBackFrame();
  if (!AskYesNo(kTextLoadQuestion)) return false;

  ScreenHide(6);
  WeatherStop();
  const bool loaded = SlotLoad(CurrentSlot);
  ProgressLoad();
  if (loaded && StateVar(CheckpointState, kVarGameFinished) == 0) {
    RestoreCheckpoint(false);
  } else {
    // An empty slot, or a game already seen through: the story starts again from its
    // beginning, keeping what lasts across games.
    CdStop();
    PcmStop();
    PcmUnload();
    if (loaded) PersistentRestore();
    HistoryCount = loaded ? 255 : 0;
    CurrentScenario = 255;
    LoadScenario(0, true);
    EventPc = EventEntry(1);
  }
  ScriptExit = kScriptLoaded;
  return true;
}

void SaveFromMenu() {
  ShowBackFrame();
  if (SlotScreen(kSlotsToSave) < 0) return;
  ShowBackFrame();
  if (!AskYesNo(kTextSaveQuestion)) return;
  SaveState.vars[kVarEmptySlot] = 0;
  // A save that could not be written has said so in a box; nothing was saved to report.
  if (!SlotSave(CurrentSlot)) return;
  ProgressSave();
  SayAndWait(kTextSavedNotice);
}
