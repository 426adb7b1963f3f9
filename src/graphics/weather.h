// The weather overlay: rain or cherry petals drawn over the screen frame by the
// window timer.
#pragma once

#include <cstdint>

// Starts, changes or ends the weather.
void WeatherSet(uint8_t mode);
// Takes the overlay off and ends the weather.
void WeatherStop();

// Takes the overlay off the screen frame while a show effect rewrites it. Nothing is drawn by
// the overlay yet, so there is nothing to take off.
inline void WeatherOverlayOff() {}
// Puts the overlay back on the screen frame after a show effect step.
inline void WeatherOverlayOn() {}
