// The main game flow: logo, opening, title, and the game itself.
#pragma once

#include <cstdint>

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
