// What the event interpreter's files share: the cursor of one interpreter level over the
// resident event block, and the opcode handlers each file supplies.
#pragma once

#include <array>
#include <cstdint>

#include "resources/memory.h"

// One interpreter level's view of the event block. The block is wired while the level runs;
// every read is checked with EventNeed first, so nothing is read outside it.
struct EventCursor {
  MemHandle block;      // the event block this level has wired
  const uint8_t* base;  // its address
  uint32_t size;        // bytes the code may use (EventPc is 16 bits: at most 65536)
  uint32_t pc;          // offset of the next byte to read
  bool running;         // cleared to leave this level
};

// Ends the game unless `count` more bytes follow the cursor.
void EventNeed(const EventCursor& c, uint32_t count);
// Moves the cursor by displacement d from where it stands (the end of the instruction).
void EventJump(EventCursor& c, uint8_t d);
// Continues at `offset` of the resident block and stores it in EventPc.
void EventGoTo(EventCursor& c, uint32_t offset);
// Makes `number` resident with LoadScenario, keeping the level's wiring straight around it.
void EventLoadScenario(EventCursor& c, uint16_t number, bool start);
// Picks up the resident event block again when something else replaced it (a game loaded
// from a menu inside a wait, an inner level that moved to another scenario).
void EventRefresh(EventCursor& c);

// [SECTION] Shared scene commands

// The shared codes: operand bytes, and whether the message script settles afterwards.
struct SceneCode {
  int8_t operands;  // -1: not a shared command
  bool settles;
};

inline constexpr std::array<SceneCode, 256> kSceneCodes = [] {
  std::array<SceneCode, 256> codes{};
  for (SceneCode& code : codes) code = {-1, false};
  auto set = [&codes](int code, int8_t operands, bool settles) {
    codes[code] = {operands, settles};
  };
  set(0x25, 0, false);  // WaitClick
  set(0x3C, 1, false);  // BgLoad
  set(0x3D, 1, false);  // BgRedraw
  set(0x3E, 0, false);  // BgForget
  set(0x3F, 1, true);   // BgFill
  set(0x40, 1, true);   // ScreenHide
  set(0x41, 1, true);   // ShowHPicture
  set(0x42, 1, true);   // ShowVPicture
  set(0x43, 3, true);   // CharShow
  set(0x44, 2, true);   // show operation of a group
  set(0x45, 1, true);   // ScreenShow
  set(0x46, 1, true);   // ColourFilter, cross-faded
  set(0x47, 1, false);  // colour filter for the next picture
  set(0x48, 1, true);   // ColourFilter, at once
  set(0x61, 2, false);  // v[a] = b
  set(0x62, 2, false);  // v[a] += b
  set(0x70, 0, false);  // PalShow
  set(0x71, 0, false);  // PalBlack
  set(0x72, 1, true);   // PalFadeOut
  set(0x73, 1, true);   // PalFadeIn
  set(0x74, 0, false);  // PalSave
  set(0x75, 0, false);  // PalRestore
  set(0x76, 0, false);  // all white
  set(0x77, 1, true);   // PalFadeToWhite
  set(0x78, 1, true);   // PalFadeInFromWhite
  set(0x79, 0, true);   // PalUndim
  set(0x7A, 0, true);   // PalDim
  set(0x7B, 1, true);   // PalFadeInDimmed
  set(0x7C, 1, true);   // PalFadeOutDimmed
  set(0x80, 1, false);  // music, looped
  set(0x81, 0, false);  // CdSuspend
  set(0x82, 0, false);  // CdStop
  set(0x83, 1, false);  // nothing
  set(0x84, 1, false);  // nothing
  set(0x85, 0, true);   // CdFadeOut
  set(0x86, 0, true);   // CdWaitEnd
  set(0x87, 1, false);  // music for the next scene change
  set(0x88, 1, false);  // music, once
  set(0xA0, 1, false);  // PcmLoad
  set(0xA1, 0, false);  // PcmUnload
  set(0xA2, 2, false);  // PcmPlay
  set(0xA3, 0, false);  // PcmStop
  set(0xA4, 1, false);  // nothing
  set(0xA5, 1, false);  // nothing
  set(0xA6, 0, true);   // PcmFinish
  set(0xA7, 2, false);  // PcmPlayFadeIn
  set(0xA8, 0, false);  // PcmFadeOut
  return codes;
}();

// [SECTION] Handlers by file

// Runs opcode `op` whose fixed operands (from the opcode table) start at `operands`.
using EventHandler = void (*)(EventCursor& c, uint8_t op, const uint8_t* operands);

// event_ops_flow.cpp: end, calls, jumps, scenarios, choices, checkpoints, messages, timers.
void EventOpEnd(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpExtended(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpCall(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpWait(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpChoice(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpCheckpoint(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpRestore(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpScenario(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpEntry(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpNextDay(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpTableChoice(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpStoredJump(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpAskYesNo(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpMessage(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpClearText(EventCursor& c, uint8_t op, const uint8_t* operands);

// event_ops_vars.cpp: variables, conditions, the option table, the seen set, progress.
void EventOpVariable(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpCondition(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpSkipAllowed(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpClearTable(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpStoreJump(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpMarkSeen(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpFoldProgress(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpCollect(EventCursor& c, uint8_t op, const uint8_t* operands);

// event_ops_scene.cpp: the shared scene commands and the event script's own scene codes.
void EventOpShared(EventCursor& c, uint8_t op, const uint8_t* operands);
void EventOpScene(EventCursor& c, uint8_t op, const uint8_t* operands);

// The preparation before a message or a choice: the scene dims under the text.
void EventPrepareText();
// Clears the text: the back frame goes back onto the screen.
void EventClearText();
