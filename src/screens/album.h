// Event pictures: the full-screen "V" and "H" pictures the story shows in place of a scene,
// which also go into the album of kept scenes.
#pragma once

#include <cstdint>

// Shows event picture "V" number n on the back frame.
void ShowVPicture(uint8_t n);
// Shows event picture "H" number n on the back frame.
void ShowHPicture(uint8_t n);
