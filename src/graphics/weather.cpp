// The weather overlay. The requests that take the overlay off the screen frame and put it
// back are kept here for every operation that rewrites the screen; the rain and petals
// themselves are not drawn yet, and setting the weather says once that it is not there yet.
#include "graphics/weather.h"

#include "app/app.h"
#include "app/pending.h"
#include "app/settings.h"
#include "resources/memory.h"
#include "scenario/game_state.h"

uint16_t WeatherPutOnRequest = 0, WeatherTakeOffRequest = 0;

// Starts, changes or ends the weather.
void WeatherSet(uint8_t /*mode*/) {
  ReportNotAvailable("WeatherSet");
}

// Takes the overlay off and ends the weather.
void WeatherStop() {
  ReportNotAvailable("WeatherStop");
}

void WeatherStep() {
  if (MemSize(WeatherBuffer) == 0 || WeatherMode == 0) return;
  if (WeatherOn == 0) {
    // With the setting off nothing is drawn, but a running mode stays; an ending one ends.
    if (WeatherMode == 3 || WeatherMode == 6) WeatherMode = 0;
  } else if (WeatherTakeOffRequest == 1) {
    WeatherMode = 0;
  }
  WeatherPutOnRequest = 0;
  WeatherTakeOffRequest = 0;
}

uint8_t WeatherOverlayOff() {
  const uint8_t mode = WeatherMode;
  if (mode != 0) {
    WeatherTakeOffRequest = 1;
    WeatherStep();
  }
  return mode;
}

void WeatherOverlayOn(uint8_t mode) {
  WeatherPutOnRequest = 1;
  WeatherMode = mode;
  WeatherStep();
}
