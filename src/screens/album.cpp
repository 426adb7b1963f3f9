// Event pictures and the album. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "screens/album.h"

#include "app/pending.h"

// Shows event picture "V" number n on the back frame.
void ShowVPicture(uint8_t /*n*/) {
  ReportNotAvailable("ShowVPicture");
}

// Shows event picture "H" number n on the back frame.
void ShowHPicture(uint8_t /*n*/) {
  ReportNotAvailable("ShowHPicture");
}

// The title's extras menu.
void ExtrasMenu() {
  ReportNotAvailable("ExtrasMenu");
}
