// The save and load screens: the list of the five slots the player picks one from, the slot
// picked last, and the load and save the game menu runs through them.
#pragma once

#include <cstdint>

#include "screens/save_data.h"

// The three uses of the list; each has its own heading.
enum : uint16_t { kSlotsToLoad = 0, kSlotsToSave = 1, kSlotsToBegin = 2 };

// The slot last picked (0..4); the list starts on it, and opcode 0x94 folds progress into it.
extern uint8_t CurrentSlot;

// The five slots over the dimmed scene, each with its label and the saved game's name and date;
// answers the slot picked (also stored in CurrentSlot) or -1 when cancelled.
int16_t SlotScreen(uint16_t mode);
// Draws slot `slot`'s box and texts into the screen frame in `colour`; shadow 0xFFFF draws
// no shadows.
void DrawSlotEntry(uint16_t slot, const SlotInfo& info, uint16_t colour, uint16_t shadow);

// The game menu's load: pick, confirm, then rebuild the game from the slot. True when a game
// was loaded (the menu closes and the event script starts again on it).
bool LoadFromMenu();
// The game menu's save: pick, confirm, write the slot and the progress file, say so.
void SaveFromMenu();
