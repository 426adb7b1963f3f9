// The weather overlay: rain or cherry petals drawn over the screen frame by the
// window timer.
#pragma once

#include <cstdint>

// Starts, changes or ends the weather.
void WeatherSet(uint8_t mode);
// Takes the overlay off and ends the weather.
void WeatherStop();

// Read and cleared by the next step: put the overlay on without restoring anything first /
// take it off, draw nothing and end the mode (the requester gives the mode back afterwards).
extern uint16_t WeatherPutOnRequest, WeatherTakeOffRequest;

// One step of the overlay: the window timer runs it every 80 ms while a weather mode is on,
// and the two requests below run it at once.
void WeatherStep();

// Takes the overlay off the screen frame before an operation rewrites it. Answers the weather
// mode to hand back to WeatherOverlayOn (0: no weather, nothing was done).
uint8_t WeatherOverlayOff();
// Puts the overlay back on the screen frame and the weather mode back to `mode`.
void WeatherOverlayOn(uint8_t mode);
