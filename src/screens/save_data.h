// Save data: sealed state images in the slot files and the progress kept across
// games in slot 99.
#pragma once

#include <cstdint>

// Seals a copy of SaveState and writes it to the slot's file.
void SlotSave(uint16_t slot);
// Reads a slot into CheckpointState and SaveState; false for an empty slot.
bool SlotLoad(uint16_t slot);
// Merges SaveState's lasting progress into slot 99.
void ProgressSave();
