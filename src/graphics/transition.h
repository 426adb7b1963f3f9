// Screen transitions: the ways a scene leaves the screen before the next one is composed. Each
// ends the scene's bookkeeping too: the background and event pictures count as no longer shown
// and (for most transitions) the character slots are emptied.
#pragma once

#include <cstdint>

// Takes the scene off the screen with transition t (0..32; any other number is 0).
void ScreenHide(int16_t t);
// The red curtain; with p = 1 it stays as a red scene (background 253).
void HideRedCurtain(uint8_t p);

// The curve of the curtain edges: entry k = 65536 x sin(k x 90 / 19 degrees), rounded.
inline constexpr int32_t EaseTable[20] = {0,     5412,  10787, 16088, 21280, 26326, 31192,
                                          35845, 40253, 44386, 48216, 51717, 54865, 57637,
                                          60016, 61985, 63531, 64642, 65312, 65536};
