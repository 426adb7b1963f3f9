// Backgrounds and characters: the background picture on the back frame, its kept copy, the
// six character slots with their colour ranges, and the colour filters.
#pragma once

#include <cstdint>

// Loads background n onto the back frame and empties every character slot.
void BgLoad(uint8_t n);
// Redraws the kept background: 0 whole, 1 left half, 2 right half, 3 middle.
void BgRedraw(uint8_t mode);
// Releases the kept background picture.
void BgForget();
// Empties the slots and fills the back frame with one colour.
void BgFill(uint8_t colour);
// Draws character picture `code` into a slot of the back frame.
void CharShow(uint8_t slot, uint16_t code);
// Remembers (flag != 0) or forgets which characters hold the two colour ranges.
void CharRangesRemember(uint8_t flag);
// Applies colour filter `mode` to the picture colours, cross-fading when `animate`.
void ColourFilter(uint8_t mode, bool animate);
