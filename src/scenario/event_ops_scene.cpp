// The scene, palette, music and sound commands both scripts share, and the event script's own
// scene codes: pictures, characters, show effects, weather, screen effects and the endings.
#include <array>

#include "app/input.h"
#include "audio/audio.h"
#include "graphics/calendar.h"
#include "graphics/effects.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "scenario/event_local.h"
#include "scenario/event_script.h"
#include "scenario/game_state.h"
#include "screens/background.h"
#include "screens/ending.h"
#include "screens/event_picture.h"

namespace {

// Music n from the start: a track still playing is faded out and stopped first.
void PlayMusic(uint8_t n, bool loop) {
  if (n == CurrentMusic) return;
  if (CurrentMusic != kNoMusic) {
    CdSuspend();
    CdFadeOut();
    CdStop();
  }
  CdPlay(n, loop);
}

// Music n at the next scene change of the text, or, when n plays already, no change at all.
void ScheduleMusic(uint8_t n) {
  if (n == CurrentMusic) {
    MusicNext = 0;
    if (CdPlaying == 2) CdPlaying = 1;
  } else {
    MusicNext = n;
  }
}

// Show operation of group g: v = 0 the whole frame, otherwise strip v - 1.
void ShowGroup(uint8_t g, uint8_t v) {
  const uint16_t strip = static_cast<uint16_t>(v - 1);
  switch (g) {
    case 0:
      v == 0 ? ShowBackFrame() : ShowBackStrip(strip);
      break;
    case 1:
      v == 0 ? ShowInterlace() : ShowInterlaceStrip(strip);
      break;
    case 2:
      v == 0 ? ShowDitherChars(4) : ShowDitherStripChars(strip, 4);
      break;
    case 3:
      v == 0 ? ShowComb() : ShowCombStrip(strip);
      break;
    default:
      break;
  }
}

}  // namespace

// [SECTION] Shared commands

int SceneCommandOperands(uint8_t code) {
  return kSceneCodes[code].operands;
}

bool SceneCommand(uint8_t code, const uint8_t* operands, bool fromMessage) {
  const uint8_t a = kSceneCodes[code].operands > 0 ? operands[0] : 0;
  const uint8_t b = kSceneCodes[code].operands > 1 ? operands[1] : 0;
  switch (code) {
    case 0x25:
      WaitClick();
      break;
    case 0x3C:
      BgLoad(a);
      break;
    case 0x3D:
      BgRedraw(a);
      break;
    case 0x3E:
      BgForget();
      break;
    case 0x3F:
      BgFill(a);
      if (!fromMessage) {
        FrameCopy(ScreenFrame, BackFrame);
        ScreenUpdate();
      }
      break;
    case 0x40:
      ScreenHide(a);
      break;
    case 0x41:
      ShowHPicture(a);
      break;
    case 0x42:
      ShowVPicture(a);
      break;
    case 0x43:
      CharShow(a, static_cast<uint16_t>(b << 8 | operands[2]));
      break;
    case 0x44:
      ShowGroup(a, b);
      break;
    case 0x45:
      ScreenShow(a);
      break;
    case 0x46:
      if (fromMessage) ScreenUpdate(DirtyRect);
      ColourFilter(a, true);
      break;
    case 0x47:
      ScriptVars[kVarNextFilter] = a;
      break;
    case 0x48:
      ColourFilter(a, false);
      break;
    case 0x61:
      ScriptVar(a) = b;
      break;
    case 0x62:
      ScriptVar(a) = static_cast<uint8_t>(ScriptVar(a) + b);
      break;
    case 0x70:
      PalShow();
      break;
    case 0x71:
      PalBlack();
      break;
    case 0x72:
      PalFadeOut(a);
      break;
    case 0x73:
      PalFadeIn(a);
      break;
    case 0x74:
      PalSave();
      break;
    case 0x75:
      PalRestore();
      break;
    case 0x76:
      for (int i = 0; i < kPalInterfaceFirst; i++) PalSetEntry(i, 255, 255, 255);
      PalShow();
      PaletteState = PalStateWhite;
      break;
    case 0x77:
      PalFadeToWhite(a);
      break;
    case 0x78:
      PalFadeInFromWhite(a);
      break;
    case 0x79:
      PalUndim();
      break;
    case 0x7A:
      PalDim();
      break;
    case 0x7B:
      PalFadeInDimmed(a);
      break;
    case 0x7C:
      PalFadeOutDimmed(a);
      break;
    case 0x80:
      PlayMusic(a, true);
      break;
    case 0x81:
      CdSuspend();
      break;
    case 0x82:
      CdStop();
      break;
    case 0x85:
      CdFadeOut();
      break;
    case 0x86:
      CdWaitEnd();
      break;
    case 0x87:
      ScheduleMusic(a);
      break;
    case 0x88:
      PlayMusic(a, false);
      break;
    case 0xA0:
      PcmLoad(a);
      break;
    case 0xA1:
      PcmUnload();
      break;
    case 0xA2:
      PcmPlay(a, static_cast<uint16_t>(b * 20));
      break;
    case 0xA3:
      PcmStop();
      break;
    case 0xA6:
      if (fromMessage) ScreenUpdate(DirtyRect);
      PcmFinish();
      break;
    case 0xA7:
      PcmPlayFadeIn(a, static_cast<uint16_t>(b * 20));
      break;
    case 0xA8:
      PcmFadeOut();
      break;
    default:
      break;
  }
  return kSceneCodes[code].settles;
}

// [SECTION] Event opcodes

// A shared command run by the event script.
void EventOpShared(EventCursor&, uint8_t op, const uint8_t* operands) {
  SceneCommand(op, operands, false);
}

// The event script's own scene codes.
void EventOpScene(EventCursor&, uint8_t op, const uint8_t* operands) {
  switch (op) {
    case 0x32:
      CalendarShow(operands[0]);
      break;
    case 0x33:
      ClockShow(operands[0]);
      break;
    case 0x49:
      ShowPush(operands[0], operands[1]);
      break;
    case 0x4A:
      WeatherSet(operands[0]);
      break;
    case 0x4B:
      WeatherNext = operands[0];
      break;
    case 0x7D:
      CharRangesRemember(operands[0]);
      break;
    case 0x92:
      ScreenQuake(operands[0]);
      break;
    case 0x95:
      CheckpointValid = 0;
      EndingScene(operands[0]);
      break;
    case 0x97:
      ScreenClaw();
      break;
    case 0x98:
      HideRedCurtain(1);
      break;
    case 0x99:
      ScreenSplash(1);
      break;
    case 0x9A:
      ScreenZoomPulse(operands[0]);
      break;
    default:
      break;
  }
}
