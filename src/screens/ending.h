// The ending scenes played when a story comes to its end, each with its own music, pictures
// and timing.
#pragma once

#include <cstdint>

// Plays the first ending scene (0) or the second one.
void EndingScene(uint8_t which);
