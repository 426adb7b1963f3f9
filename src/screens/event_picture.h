// Event pictures: the full-screen "V" and "H" pictures the story shows in place of a scene.
// Each one the player sees while a game is played also goes into the album of kept scenes.
#pragma once

#include <cstdint>

// Shows event picture "V" number n on the back frame, in place of the scene. Shown again
// while it is on the back frame, it only forgets the scene. 0 leaves the back frame black.
// V pictures 128..134 are one picture, "V80.TZ2", whose entries 210..216 take the colours of
// the number shown.
void ShowVPicture(uint8_t n);
// Shows event picture "H" number n on the back frame, in the same way.
void ShowHPicture(uint8_t n);
