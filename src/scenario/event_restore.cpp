// Going back to the checkpoint: the live state takes the checkpoint's variables, seen set and
// history, and the scene is rebuilt from what the checkpoint recorded of it.
#include <cstring>

#include "app/input.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "scenario/event_script.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/background.h"
#include "screens/event_picture.h"

namespace {

// Copies the byte range [first, last) of the record from the checkpoint into the live state.
void TakeRange(size_t first, size_t last) {
  std::memcpy(StateBytes(LiveState) + first, StateBytes(CheckpointState) + first, last - first);
}

}  // namespace

void RestoreCheckpoint(bool withTransition) {
  const GameState& point = CheckpointState;

  // The old scene goes: music, weather, both frames, sound, the kept background.
  ResetChoice();
  CheckpointValid = 0;
  CdSuspend();
  if (withTransition) ScreenHide(6);
  CdFadeOut();
  WeatherStop();
  FrameClear(BackFrame);
  FrameClear(ScreenFrame);
  PcmStop();
  PcmUnload();
  BgForget();

  // The variables with the word after them, the seen set, and the history with its count and
  // the word after it.
  TakeRange(offsetof(GameState, vars), offsetof(GameState, pageOffset));
  TakeRange(offsetof(GameState, scenarioSeen), offsetof(GameState, historyCount));
  TakeRange(offsetof(GameState, historyCount), offsetof(GameState, unused2342));

  // The scenario from scratch, at the checkpoint's opcode, with its music. The old scene's
  // characters, colour ranges and filter go with its pictures: a checkpoint without any
  // picture loads nothing that would reset them, and they must not outlive the cleared frames.
  BgShown = kNoPicture;
  VCgShown = kNoPicture;
  HCgShown = kNoPicture;
  CharSlotsClear();
  FilterMode = 0;
  CurrentScenario = kNoScenario;
  LoadScenario(point.currentScenario, false);
  EventPc = point.eventPc;
  CdPlay(point.currentMusic, true);

  // The picture: an event picture when no background was recorded.
  if (point.bgShown == kNoPicture) {
    if (point.vCgShown != kNoPicture) {
      ShowVPicture(point.vCgShown);
    } else if (point.hCgShown != kNoPicture) {
      ShowHPicture(point.hCgShown);
    }
  } else {
    BgLoad(point.bgShown);
  }

  // The characters, lowest layer first.
  for (uint16_t layer = 0; layer < 6; layer++) {
    for (uint8_t slot = 0; slot < 6; slot++) {
      if (point.charOrder[slot] == layer && point.charCode[slot] != kEmptyCode) {
        CharShow(slot, point.charCode[slot]);
      }
    }
  }

  // The sound, playing again when it was.
  if (point.pcmEntry != kNoPcm) {
    PcmLoad(point.pcmEntry);
    if (point.pcmPlaying == 1) PcmPlay(point.pcmLoops, point.pcmArg);
  } else {
    PcmUnload();
  }

  PalSave();
  if (point.filterMode != 0) ColourFilter(point.filterMode, false);
  WeatherSet(point.weatherMode);
  WeatherNext = 0;
  ScreenShow(0);
  TakeSavePoint();
  ClearInput();
  Wait(30);
}
