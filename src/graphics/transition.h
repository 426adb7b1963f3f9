// Screen transitions: the ways a scene leaves the screen before the next one is
// composed.
#pragma once

#include <cstdint>

// Takes the scene off the screen with transition t.
void ScreenHide(int16_t t);
// The red curtain; with p = 1 it stays as a red scene.
void HideRedCurtain(uint8_t p);
