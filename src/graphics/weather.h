// The weather overlay: rain or cherry petals drawn over the screen frame by the window timer.
// The overlay lives only in the screen frame: each step puts back the pixels saved under the
// particles, moves them, saves what lies under their new places and paints them. Operations
// that rewrite the screen frame take the overlay off first and put it back afterwards.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// [SECTION] Modes
// WeatherMode (a field of the game state) holds 0 or one of the running and ending modes.
enum : uint8_t {
  WeatherNone = 0,
  WeatherRain = 1,            // 60 drops
  WeatherRainEnter = 2,       // rain entering from above; stored as 1
  WeatherRainEnding = 3,      // drops fall on without wrapping; 0 once none is on the screen
  WeatherPetals = 4,          // 30 petals, 15 large and 15 small
  WeatherPetalsEnter = 5,     // stored as 4
  WeatherPetalsEnding = 6,    // petals drift off without wrapping; 0 once none is on the screen
  WeatherFewPetals = 7,       // 10 petals, 5 large and 5 small
  WeatherFewPetalsEnter = 8,  // stored as 7
  WeatherFewPetalsKeep = 9,   // the 10 petals from where the particles are now
  WeatherAwaitEnd = 255,      // WeatherSet only: wait until an ending mode has run out
};

// [SECTION] State

constexpr int kWeatherParticles = 60;
constexpr uint32_t kWeatherBufferSize = 15360;  // 60 slots of 256 saved pixels

// Top-left corner of each particle in frame pixels (y downwards). Rain uses all 60; petals the
// first 30 or 10, in pairs: even index a large petal (16 x 16), odd index a small one (8 x 8).
struct WeatherParticle {
  int32_t x, y;
};
extern WeatherParticle WeatherParticles[kWeatherParticles];

extern uint32_t WeatherMoves;     // movements so far: the petals' sway and turning follow it
extern uint32_t WeatherLastMove;  // the clock at the last movement

// Read and cleared by the next step: put the overlay on without restoring anything first /
// take it off, draw nothing and end the mode (the requester gives the mode back afterwards).
extern uint16_t WeatherPutOnRequest, WeatherTakeOffRequest;

// The petals' animation frames: 8 turning positions of the large (16 x 16) and the small
// (8 x 8) petal, rows top first. 0 is transparent; v in 1..8 paints colour 219 + v.
struct WeatherPetalShapes {
  uint8_t large[8][16][16];
  uint8_t small[8][8][8];
};
extern const WeatherPetalShapes PetalShapes;

// [SECTION] Operations

// Starts, changes or ends the weather (modes above).
void WeatherSet(uint8_t mode);
// Takes the overlay off and ends the weather, waiting for the timer to do it.
void WeatherStop();

// One step of the overlay: the window timer runs it every 80 ms while a weather mode is on,
// and the requests run it at once. Unless ScreenBusy is set it repaints the part of the window
// the particles touched, together with the pending DirtyRect.
void WeatherStep();

// Takes the overlay off the screen frame before an operation rewrites it. Answers the weather
// mode to hand back to WeatherOverlayOn (0: no weather, nothing was done).
uint8_t WeatherOverlayOff();
// Puts the overlay back on the screen frame and the weather mode back to `mode`.
void WeatherOverlayOn(uint8_t mode);

// The rain's colours (entries 220..227) for background number `background`: bright over the
// day and evening groups, grey over the others.
void WeatherRainColours(uint8_t background, PalEntry colours[8]);
