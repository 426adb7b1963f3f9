// Scenario files: the one resident scenario (its event and message blocks), the set of
// scenarios already left, the skip permission, and the message block the log view reads.
#pragma once

#include <cstdint>
#include <span>

#include "resources/memory.h"

// [SECTION] Resident scenario
// EventData and MessageData belong to the scenario in CurrentScenario (a field of the live
// state, game_state.h); both are 0 while nothing is resident. Replaced by LoadScenario, freed
// by UnloadScenario and at shutdown.

extern MemHandle EventData;    // "EVENT DATA": header word, 256 entry offsets, event code
extern MemHandle MessageData;  // "MESSAGE DATA": header word, 256 message offsets, texts

// 1 when the resident scenario was read before: skipping to the next choice is allowed.
extern uint16_t SkipAllowed;

// Scenario numbers that always allow skipping, read or not.
constexpr uint16_t kSkipAlwaysFirst = 0x20;
constexpr uint16_t kSkipAlwaysLast = 0x7F;

// Makes scenario `number` resident (reading "%04x.SCN" from the scenario archive unless it is
// resident already). First decides the skip permission and marks the scenario being left as
// seen. With `start`, fades the music out unless it is playing, moves EventPc to entry 0 and
// sets variable 141. A file that is missing or whose blocks lie outside it is fatal.
void LoadScenario(uint16_t number, bool start);
// Frees both blocks and forgets the resident scenario, unless it is `keep`.
void UnloadScenario(uint16_t keep);

// [SECTION] Reading the resident blocks
// Scenario data never leads a read outside its block: an entry table, entry offset or message
// offset past the end ends the game with a message naming the file.

// Ends the game: the resident scenario file holds data that leads outside its blocks.
[[noreturn]] void ScenarioDataError();
// Offset in the event block of entry e's code.
uint16_t EventEntry(uint8_t e);
// The resident message block's bytes (locked for as long as it stays resident).
std::span<const uint8_t> MessageBlockBytes();
// Address of message m of the resident message block.
const uint8_t* MessageCode(uint8_t m);

// [SECTION] Message blocks for the log view
// Kept apart from the resident scenario and cached by number; released by UnloadMessageBlock.

extern MemHandle ViewMessageData;     // "VIEW MES DATA", 0 = none
extern uint16_t ViewMessageScenario;  // the scenario it came from, 65535 = none

// Makes the message block of scenario `number` the cached one (nothing when it is already).
void LoadMessageBlock(uint16_t number);
// Releases the cached block.
void UnloadMessageBlock();
// Address of message m of the cached block; an entry outside the block is fatal, naming the
// cached block's scenario.
const uint8_t* ViewMessageCode(uint8_t m);
