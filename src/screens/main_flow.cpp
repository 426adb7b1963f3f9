// The main game flow: for now the story started at its first scenario (or the window kept
// alive on a black screen when the data has none), and a game started directly at one
// scenario for developers and scripted runs.
#include "screens/main_flow.h"

#include <cstdio>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "resources/pack.h"
#include "scenario/event_script.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"

uint16_t PlayMode;
int StartScenario = -1;
std::string StateDumpPath;

namespace {

// Writes the live state record to StateDumpPath; a path that cannot be written is reported.
void DumpState() {
  if (StateDumpPath.empty()) return;
  FILE* file = std::fopen(StateDumpPath.c_str(), "wb");
  const bool written =
      file && std::fwrite(&LiveState, sizeof(GameState), 1, file) == 1 && std::fclose(file) == 0;
  if (!written) std::fprintf(stderr, "lanternia3: cannot write %s\n", StateDumpPath.c_str());
}

}  // namespace

void MainFlow() {
  // The title and its menus are not wired in yet: the story starts at its first scenario.
  // Data without one keeps the window alive on a black screen until the player quits from the
  // menu or closes the window.
  if (PackHas("0000.SCN", kPackScenario)) PlayScenario(0);
  PlayMode = PlayModeTitle;
  for (;;) Wait(100);
}

void PlayScenario(uint16_t number) {
  PlayMode = PlayModeStarting;
  SkipToChoice = 0;
  ScriptExit = kScriptRunning;
  FrameClear(BackFrame);
  FrameClearAndShow(ScreenFrame);
  PalShow();

  // A new game: no history, not finished, nothing resident yet.
  ScriptVars[kVarGameFinished] = 0;
  HistoryCount = 0;
  UnloadScenario(kNoScenario);
  LoadScenario(number, true);
  PalFadeIn(1);

  while (ScriptExit != kScriptEnded) {
    PlayMode = PlayModeEventScript;
    ScriptExit = kScriptRunning;
    RunEventScript();
  }

  WeatherStop();
  PlatMenuEnable(kMenuSkipToChoice, false);
  PlatDrawMenuBar();
  SkipToChoice = 0;
  SkipAllowed = 0;
  if (PaletteState == PalStateNormal) {
    PalFadeOut(1);
  } else {
    PalFadeOutDimmed(1);
  }
  PlayMode = PlayModeTitle;
  DumpState();
  ExitGame(nullptr);
}
