// The weather overlay: rain or cherry petals drawn over the screen frame by the
// window timer.
#pragma once

#include <cstdint>

// Starts, changes or ends the weather.
void WeatherSet(uint8_t mode);
// Takes the overlay off and ends the weather.
void WeatherStop();
