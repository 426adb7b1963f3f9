// The maker's logo, shown once a run, and the opening: a fixed schedule counted from its start
// on which the opening pictures, the game's name, the scroll down to the title with its lights,
// the characters and the event pictures follow each other. OK or cancel cuts it short.
#pragma once

#include <cstdint>

#include "resources/memory.h"

// [SECTION] State
// Lives while the opening plays; the blocks are made and released by PlayOpening.

// The clock at the start of the opening's schedule; WaitInputUntil counts from it.
extern uint32_t OpeningStart;

// The three lights cut from "LIGHT.TZG", large, middle and small: square blocks of 16-colour
// pixels (0 = no light), rows top first.
constexpr int kOpeningLights = 3;
extern MemHandle OpeningLights[kOpeningLights];
inline constexpr int16_t kOpeningLightSize[kOpeningLights] = {320, 200, 120};

// The name block cut from "OP_NAME.TZ2": w x h pixels, rows top first, shown at (x, y). Pixels
// 0 and 1 are the letters; every other value lets the picture under it show.
struct OpeningNameBlock {
  MemHandle block;
  int16_t x, y, w, h;
};
extern OpeningNameBlock OpeningName;
// How far the name has dissolved: 0..15, -1 before the first step.
extern int32_t NameLevel;

// [SECTION] Operations

// The maker's logo: the emblem brought up from white, its colours glinting, closed by a
// shutter from the top and the bottom, then faded out.
void ShowLogo();
// Plays the opening from its start. True when it ends with the title on the screen (dimmed, so
// the menu can come at once); false when the flow must draw the title itself.
bool PlayOpening();
// The scroll from the name over the sky down to the title, over `seconds`. True when OK or
// cancel cut it short.
bool TitleScroll(uint16_t seconds);
// One frame of the three lights on the screen frame for scroll step 0..479.
void DrawOpeningLights(int step);
// One frame of the name on the screen frame for scroll step 0..479 (none after step 300).
void DrawOpeningName(int step);
// Waits until `ms` milliseconds after OpeningStart. True, with the input cleared, when OK or
// cancel came first.
bool WaitInputUntil(uint32_t ms);
