// Wave message displays: a message shown over a picture whose rows wave sideways or up and
// down, and the closing picture.
#pragma once

#include <cstdint>

// Shows a message of the resident block over a sideways wave.
void WaveMessage(uint8_t message, uint8_t modeIn, uint8_t modeOut);
// The same over a vertical wave.
void RippleMessage(uint8_t message, uint8_t modeIn, uint8_t modeOut);
// The closing picture.
void ShowClosingPicture();
