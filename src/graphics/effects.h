// Screen effects: quakes, the claw, the splash and the zoom pulse, each played over the
// picture on screen.
#pragma once

#include <cstdint>

// Shakes the screen (list n mod 10, sound n / 10).
void ScreenQuake(uint8_t n);
// The claw effect.
void ScreenClaw();
// The splash: 1 animated with the scene reset, 0 the instant background.
void ScreenSplash(uint8_t animate);
// A zoom pulse around anchor n.
void ScreenZoomPulse(uint8_t n);
