// Event pictures: the full-screen "V" and "H" pictures the story shows in place of a scene,
// which also go into the album of kept scenes; the extras menu of the title.
#pragma once

#include <cstdint>

// Shows event picture "V" number n on the back frame.
void ShowVPicture(uint8_t n);
// Shows event picture "H" number n on the back frame.
void ShowHPicture(uint8_t n);
// The title's extras menu: the album of kept scenes and the other extras.
void ExtrasMenu();
