// Save data. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "screens/save_data.h"

#include "app/pending.h"

// Seals a copy of SaveState and writes it to the slot's file.
void SlotSave(uint16_t /*slot*/) {
  ReportNotAvailable("SlotSave");
}

// Reads a slot into CheckpointState and SaveState; false for an empty slot.
bool SlotLoad(uint16_t /*slot*/) {
  ReportNotAvailable("SlotLoad");
  return false;
}

// Merges SaveState's lasting progress into slot 99.
void ProgressSave() {
  ReportNotAvailable("ProgressSave");
}
