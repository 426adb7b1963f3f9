// Wave displays. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "scenario/wave_message.h"

#include "app/pending.h"

// Shows a message of the resident block over a sideways wave.
void WaveMessage(uint8_t /*message*/, uint8_t /*modeIn*/, uint8_t /*modeOut*/) {
  ReportNotAvailable("WaveMessage");
}

// The same over a vertical wave.
void RippleMessage(uint8_t /*message*/, uint8_t /*modeIn*/, uint8_t /*modeOut*/) {
  ReportNotAvailable("RippleMessage");
}

// The closing picture.
void ShowClosingPicture() {
  ReportNotAvailable("ShowClosingPicture");
}
