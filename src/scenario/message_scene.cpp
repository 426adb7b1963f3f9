// Scene commands inside the message script: those shared with the event script, its own effects,
// and the scene changes that repaint the picture under the text and then redraw the page.
#include <algorithm>
#include <array>

#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/calendar.h"
#include "graphics/effects.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "scenario/event_script.h"
#include "scenario/game_state.h"
#include "scenario/message.h"
#include "scenario/message_local.h"
#include "scenario/scenario.h"
#include "screens/background.h"
#include "screens/event_picture.h"

namespace {

constexpr uint8_t kNoTransition = 255;
constexpr int16_t kTransitionCut = 11;
constexpr uint16_t kCharWait = 4;  // the character dissolves' pace
constexpr uint8_t kCharSlotMask = 0x0F;
constexpr uint8_t kCharWholeFrame = 0x80;  // dissolve the whole frame, not the slot's strip
constexpr int kSlots = 6;
constexpr int kFlashEntries = 15;

// Text already read, with fast reading on.
bool ReadFast() {
  return ReadTextFast == 1 && SkipAllowed == 1;
}

// A scene change's pause, passed over in text already read.
void WaitUnlessRead(uint16_t n) {
  if (!ReadFast()) Wait(n);
}

// Transition t, or none for 255; a cut while event picture 0 is up.
void Transition(uint8_t t) {
  if (t == kNoTransition) return;
  ScreenHide(VCgShown == 0 ? kTransitionCut : t);
}

// Display mode m, or none for 255; the same cut rule.
void Display(uint8_t m) {
  if (m == kNoTransition) return;
  ScreenShow(VCgShown == 0 ? kTransitionCut : m);
}

// The music and weather asked for at the next scene change start now.
void StartScheduled() {
  if (CdPlaying == 2) {
    CdFadeOut();
    if (MusicNext != 0) CdPlay(MusicNext, true);
  }
  MusicNext = 0;
  WeatherSet(WeatherNext);
  WeatherNext = 0;
}

// Clears the text and brightens the scene for the change (unless cut or fast).
void LeaveText(uint8_t t) {
  ShowBackFrame();
  if (t != 0 && t != kTransitionCut) {
    PalUndim();
    Wait(20);
  }
}

// The scene is ready: dim it under the text, draw the page so far, go on typing.
void ReturnToText(MessageRun& run) {
  PalDim();
  RedrawPage(run.cursor.at);
  MessageSettle(run);
}

// The character code a slot shows; slots past the six hold nothing.
uint16_t SlotCode(uint8_t slot) {
  return slot < kSlots ? CharCode[slot] : kEmptyCode;
}

// Two codes of the same character (the high byte), neither empty.
bool SameCharacter(uint16_t a, uint16_t b) {
  return a != kEmptyCode && b != kEmptyCode && (a >> 8) == (b >> 8);
}

// 0xBD..0xC0 (p, t1, t2): a new background or event picture.
void NewPicture(MessageRun& run, uint8_t op, const uint8_t* operand) {
  const uint8_t p = operand[0];
  if ((op == 0xBD && p == BgShown) || (op == 0xBF && p == VCgShown) ||
      (op == 0xC0 && p == HCgShown)) {
    return;
  }
  LeaveText(operand[1]);
  Transition(operand[1]);
  if (op == 0xBF) {
    ShowVPicture(p);
  } else if (op == 0xC0) {
    ShowHPicture(p);
  } else {
    BgLoad(p);
  }
  StartScheduled();
  Display(operand[2]);
  if (p != 0) WaitUnlessRead(100);
  ReturnToText(run);
}

// 0xC1..0xC3 (s, h, l): one character changes.
void ChangeCharacter(MessageRun& run, uint8_t op, const uint8_t* operand) {
  const uint8_t slot = operand[0] & kCharSlotMask;
  uint8_t whole = operand[0] & kCharWholeFrame;
  const uint16_t code = static_cast<uint16_t>(operand[1] << 8 | operand[2]);
  const uint16_t current = SlotCode(slot);
  CharRangesRemember(1);
  if (op != 0xC3 && current == code) return;
  ShowBackFrame();
  PalUndim();
  Wait(20);
  const bool same = SameCharacter(code, current);
  if (op == 0xC3) {
    whole = kCharWholeFrame;
    BgRedraw(0);
    if (same) {
      ShowDitherChars(kCharWait);
      CharRangesRemember(0);
    }
  } else if (op == 0xC1) {
    BgRedraw(slot + 1);
    if (same) {
      ShowDitherStripChars(slot, kCharWait);
      CharRangesRemember(0);
    }
  }
  CharShow(slot, code);
  if (whole == 0) {
    ShowDitherStripChars(slot, kCharWait);
  } else {
    ShowDitherChars(kCharWait);
  }
  if (operand[2] != 0xFF) WaitUnlessRead(50);
  ReturnToText(run);
  CharRangesRemember(0);
}

// 0xC4 (b, h, l, s, t1, t2): a new background with one character.
void NewScene(MessageRun& run, const uint8_t* operand) {
  LeaveText(operand[4]);
  Transition(operand[4]);
  BgLoad(operand[0]);
  CharShow(operand[3], static_cast<uint16_t>(operand[1] << 8 | operand[2]));
  StartScheduled();
  Display(operand[5]);
  WaitUnlessRead(100);
  ReturnToText(run);
}

// Shows one triple (s, h, l) of 0xC5 and 0xC6.
void ShowTriple(const uint8_t* triple) {
  CharShow(triple[0] & kCharSlotMask, static_cast<uint16_t>(triple[1] << 8 | triple[2]));
}

// 0xC5, 0xC6 (three triples s, h, l): a new set of characters.
void NewCharacters(MessageRun& run, uint8_t op, const uint8_t* operand) {
  CharRangesRemember(1);
  ShowBackFrame();
  PalUndim();
  Wait(20);
  BgRedraw(0);
  if (op == 0xC5) {
    ShowDitherChars(kCharWait);
    for (int i = 0; i < 3; i++) {
      const uint8_t* triple = operand + 3 * i;
      ShowTriple(triple);
      if (triple[0] & kCharWholeFrame) {
        ShowDitherChars(kCharWait);
      } else {
        ShowDitherStripChars(triple[0] & kCharSlotMask, kCharWait);
      }
    }
  } else {
    // Characters that keep their colour range come first and blend in; the others follow.
    std::array<bool, 3> shown{};
    for (int i = 0; i < 3; i++) {
      const int32_t character = operand[3 * i + 1] << 8;
      if (character == RangePrevChar[0] || character == RangePrevChar[1]) {
        ShowTriple(operand + 3 * i);
        shown[i] = true;
      }
    }
    ShowDitherChars(kCharWait);
    bool more = false;
    for (int i = 0; i < 3; i++) {
      if (shown[i] || operand[3 * i + 2] == 0xFF) continue;
      ShowTriple(operand + 3 * i);
      more = true;
    }
    if (more) ShowDitherChars(kCharWait);
  }
  WaitUnlessRead(50);
  ReturnToText(run);
  CharRangesRemember(0);
}

// 0xBB: a white flash over a scene whose first colours are darkened for it.
void Flash() {
  ScreenUpdate(DirtyRect);
  std::array<PalEntry, kPaletteSize> kept;
  std::copy(ScenePalette, ScenePalette + kPaletteSize, kept.begin());
  for (int i = 0; i < kFlashEntries; i++) {
    ScenePalette[i].red = static_cast<uint8_t>(ScenePalette[i].red * 10 / 15);
    ScenePalette[i].green = static_cast<uint8_t>(ScenePalette[i].green * 10 / 15);
    ScenePalette[i].blue = static_cast<uint8_t>(ScenePalette[i].blue * 10 / 15);
  }
  PalFadeToWhite(1);
  Wait(50);
  PalFadeInFromWhite(1);
  std::copy(kept.begin(), kept.end(), ScenePalette);
  PaletteState = PalStateDimmed;
}

}  // namespace

// Input collected during a scene change is dropped; the typewriter goes on.
void MessageSettle(MessageRun& run) {
  if (SkipToChoice != 1) ClearInput();
  run.typewriter = true;
}

// Reads the command's operands (inside the block) and runs it.
bool MessageSceneCommand(MessageRun& run, uint8_t op) {
  std::array<uint8_t, 9> operand{};
  const int shared = SceneCommandOperands(op);
  if (shared >= 0) {
    for (int i = 0; i < shared; i++) operand[i] = MessageNext(run.cursor);
    if (SceneCommand(op, operand.data(), true)) MessageSettle(run);
    return true;
  }
  // Operands of the message script's own commands (0xB4.. are text commands, already run).
  int count;
  switch (op) {
    case 0xBB:
    case 0xCA:
    case 0xCB:
    case 0xCD:
    case 0xF4:
      count = 0;
      break;
    case 0xBC:
    case 0xCF:
    case 0xF3:
    case 0xF5:
    case 0xF6:
    case 0xF7:
    case 0xF8:
      count = 1;
      break;
    case 0xC8:
    case 0xCC:
    case 0xCE:
      count = 2;
      break;
    case 0xBD:
    case 0xBE:
    case 0xBF:
    case 0xC0:
    case 0xC1:
    case 0xC2:
    case 0xC3:
      count = 3;
      break;
    case 0xC4:
      count = 6;
      break;
    case 0xC5:
    case 0xC6:
      count = 9;
      break;
    default:
      return false;
  }
  for (int i = 0; i < count; i++) operand[i] = MessageNext(run.cursor);

  switch (op) {
    case 0xBB:
      Flash();
      MessageSettle(run);
      break;
    case 0xBC:
      ScreenQuake(operand[0]);
      MessageSettle(run);
      break;
    case 0xBD:
    case 0xBE:
    case 0xBF:
    case 0xC0:
      NewPicture(run, op, operand.data());
      break;
    case 0xC1:
    case 0xC2:
    case 0xC3:
      ChangeCharacter(run, op, operand.data());
      break;
    case 0xC4:
      NewScene(run, operand.data());
      break;
    case 0xC5:
    case 0xC6:
      NewCharacters(run, op, operand.data());
      break;
    case 0xC8:
      ScriptVar(kVarWaveRequest) = 1;
      ScriptVar(kVarWaveRequest + 1) = operand[0];
      ScriptVar(kVarWaveRequest + 2) = operand[1];
      break;
    case 0xCA:
      ScreenClaw();
      MessageSettle(run);
      break;
    case 0xCB:
      HideRedCurtain(1);
      MessageSettle(run);
      break;
    case 0xCC:
      ScriptVar(kVarRippleRequest) = 1;
      ScriptVar(kVarRippleRequest + 1) = operand[0];
      ScriptVar(kVarRippleRequest + 2) = operand[1];
      break;
    case 0xCD:
      ScreenSplash(1);
      MessageSettle(run);
      break;
    case 0xCE:
      ShowPush(operand[0], operand[1]);
      MessageSettle(run);
      break;
    case 0xCF:
      WeatherSet(operand[0]);
      MessageSettle(run);
      break;
    case 0xF3:
      CharRangesRemember(operand[0]);
      break;
    case 0xF4:
      SkipAllowed = 1;
      break;
    case 0xF5:
      CalendarShow(operand[0]);
      MessageSettle(run);
      break;
    case 0xF6:
      ClockShow(operand[0]);
      MessageSettle(run);
      break;
    case 0xF7:
      WeatherNext = operand[0];
      break;
    case 0xF8:
      ScreenZoomPulse(operand[0]);
      MessageSettle(run);
      break;
  }
  return true;
}
