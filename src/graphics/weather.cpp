// The weather overlay. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "graphics/weather.h"

#include "app/pending.h"

// Starts, changes or ends the weather.
void WeatherSet(uint8_t /*mode*/) {
  ReportNotAvailable("WeatherSet");
}

// Takes the overlay off and ends the weather.
void WeatherStop() {
  ReportNotAvailable("WeatherStop");
}
