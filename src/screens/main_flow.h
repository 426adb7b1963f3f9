// The main game flow: logo, opening, title, and the game itself.
#pragma once

#include <cstdint>
#include <string>

// What the flow is doing.
enum : uint16_t {
  PlayModeTitle = 0,
  PlayModeStarting = 1,
  PlayModeOpening = 3,
  PlayModeEventScript = 4,
  PlayModeEnding = 6,
  PlayModeExtras = 9,
};
extern uint16_t PlayMode;

// Runs the game; never returns (the program ends through ExitGame).
[[noreturn]] void MainFlow();

// [SECTION] Starting at a scenario
// Set from the command line before start-up; live for the whole run.

extern int StartScenario;          // --scenario N: the scenario to play, -1 = the normal flow
extern std::string StateDumpPath;  // --dump-state FILE: where the final state record goes

// Plays a new game from entry 0 of scenario `number`, without logo, opening or title, until
// the script ends it; then writes the state record to StateDumpPath (when given) and quits.
[[noreturn]] void PlayScenario(uint16_t number);
