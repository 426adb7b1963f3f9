// The ending scenes. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "screens/ending.h"

#include "app/pending.h"

// Plays the first ending scene (0) or the second one.
void EndingScene(uint8_t /*which*/) {
  ReportNotAvailable("EndingScene");
}
