// Screen effects. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "graphics/effects.h"

#include "app/pending.h"

// Shakes the screen (list n mod 10, sound n / 10).
void ScreenQuake(uint8_t /*n*/) {
  ReportNotAvailable("ScreenQuake");
}

// The claw effect.
void ScreenClaw() {
  ReportNotAvailable("ScreenClaw");
}

// The splash: 1 animated with the scene reset, 0 the instant background.
void ScreenSplash(uint8_t /*animate*/) {
  ReportNotAvailable("ScreenSplash");
}

// A zoom pulse around anchor n.
void ScreenZoomPulse(uint8_t /*n*/) {
  ReportNotAvailable("ScreenZoomPulse");
}
