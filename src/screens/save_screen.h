// The save and load screens: the list of the five slots the player picks one from, and the
// slot picked last.
#pragma once

#include <cstdint>

// The slot last picked on the save or load screen (0..4); opcode 0x94 folds progress into it.
extern uint8_t CurrentSlot;
