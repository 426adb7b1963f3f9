// Screen transitions. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "graphics/transition.h"

#include "app/pending.h"

// Takes the scene off the screen with transition t.
void ScreenHide(int16_t /*t*/) {
  ReportNotAvailable("ScreenHide");
}

// The red curtain; with p = 1 it stays as a red scene.
void HideRedCurtain(uint8_t /*p*/) {
  ReportNotAvailable("HideRedCurtain");
}
