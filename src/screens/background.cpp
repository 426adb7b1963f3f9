// Backgrounds and characters. Only the names exist so far; the pictures come later.
// Each operation says once that it is not there yet and does nothing else.
#include "screens/background.h"

#include "app/pending.h"

// Loads background n onto the back frame and empties every character slot.
void BgLoad(uint8_t /*n*/) {
  ReportNotAvailable("BgLoad");
}

// Redraws the kept background: 0 whole, 1 left half, 2 right half, 3 middle.
void BgRedraw(uint8_t /*mode*/) {
  ReportNotAvailable("BgRedraw");
}

// Releases the kept background picture.
void BgForget() {
  ReportNotAvailable("BgForget");
}

// Empties the slots and fills the back frame with one colour.
void BgFill(uint8_t /*colour*/) {
  ReportNotAvailable("BgFill");
}

// Draws character picture `code` into a slot of the back frame.
void CharShow(uint8_t /*slot*/, uint16_t /*code*/) {
  ReportNotAvailable("CharShow");
}

// Remembers (flag != 0) or forgets which characters hold the two colour ranges.
void CharRangesRemember(uint8_t /*flag*/) {
  ReportNotAvailable("CharRangesRemember");
}

// Applies colour filter `mode` to the picture colours, cross-fading when `animate`.
void ColourFilter(uint8_t /*mode*/, bool /*animate*/) {
  ReportNotAvailable("ColourFilter");
}
