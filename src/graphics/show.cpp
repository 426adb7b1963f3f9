// Show effects. Only the names exist so far; the effects come later.
// Each operation says once that it is not there yet and does nothing else.
#include "graphics/show.h"

#include "app/pending.h"

// Brings the back frame on screen with display mode `mode`.
void ScreenShow(uint16_t /*mode*/) {
  ReportNotAvailable("ScreenShow");
}

// Copies the back frame onto the screen at once.
void ShowBackFrame() {
  ReportNotAvailable("ShowBackFrame");
}

// The same for one 320-pixel strip.
void ShowBackStrip(uint16_t /*strip*/) {
  ReportNotAvailable("ShowBackStrip");
}

// Interlaced reveal of the whole frame.
void ShowInterlace() {
  ReportNotAvailable("ShowInterlace");
}

// Interlaced reveal of one strip.
void ShowInterlaceStrip(uint16_t /*strip*/) {
  ReportNotAvailable("ShowInterlaceStrip");
}

// Dither dissolve blending the character colours; `wait` x 10 ms a pass.
void ShowDitherChars(uint16_t /*wait*/) {
  ReportNotAvailable("ShowDitherChars");
}

// The same within one strip.
void ShowDitherStripChars(uint16_t /*strip*/, uint16_t /*wait*/) {
  ReportNotAvailable("ShowDitherStripChars");
}

// Comb reveal of the whole frame.
void ShowComb() {
  ReportNotAvailable("ShowComb");
}

// Comb reveal of one strip.
void ShowCombStrip(uint16_t /*strip*/) {
  ReportNotAvailable("ShowCombStrip");
}

// Pushes the new picture in, the old one out, over `speed` seconds.
void ShowPush(uint16_t /*direction*/, uint16_t /*speed*/) {
  ReportNotAvailable("ShowPush");
}
