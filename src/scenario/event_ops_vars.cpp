// Event opcodes on the game's variables: arithmetic, bits and random numbers, the conditional
// jumps, the option table and stored jumps, the seen set, the 80-bit collection, and folding
// this game's progress into the current save slot.
#include <bit>
#include <cstring>

#include "app/input.h"
#include "resources/memory.h"
#include "scenario/event_local.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/save_data.h"
#include "screens/save_screen.h"

namespace {

// Set bits of the 80-bit collection in variables 130..139.
int CollectedBits() {
  int count = 0;
  for (int i = 0; i < kCollectBits / 8; i++) count += std::popcount(ScriptVars[kVarCollectSet + i]);
  return count;
}

// Bit b of a byte variable; bits 8 and above lie outside it and are always 0.
uint8_t BitMask(uint8_t b) {
  return b < 8 ? static_cast<uint8_t>(1u << b) : 0;
}

}  // namespace

// 0x34, 0x35, 0x63, 0x93: saturating add and subtract, one bit, a random number.
void EventOpVariable(EventCursor&, uint8_t op, const uint8_t* operands) {
  uint8_t& v = ScriptVar(operands[0]);
  const uint8_t b = operands[1];
  switch (op) {
    case 0x34:
      v = static_cast<uint8_t>(std::min(v + b, 255));
      break;
    case 0x35:
      v = v <= b ? 0 : static_cast<uint8_t>(v - b);
      break;
    case 0x63:
      v = operands[2] != 0 ? (v | BitMask(b)) : (v & ~BitMask(b));
      break;
    case 0x93:
      v = static_cast<uint8_t>((Random(2) * b) >> 8);
      break;
    default:
      break;
  }
}

// 0x55..0x5B, 0x5E, 0x5F, 0x60: jumps, always or on a comparison of unsigned bytes, a bit or
// a pending OK.
void EventOpCondition(EventCursor& c, uint8_t op, const uint8_t* operands) {
  if (op == 0x55 || op == 0x60) {
    if (op == 0x55 || (InputTriggers & InputOk)) EventJump(c, operands[0]);
    return;
  }
  const uint8_t v = ScriptVar(operands[0]);
  const uint8_t b = operands[1];
  bool jump = false;
  switch (op) {
    case 0x56:
      jump = v == b;
      break;
    case 0x57:
      jump = v != b;
      break;
    case 0x58:
      jump = v > b;
      break;
    case 0x59:
      jump = v < b;
      break;
    case 0x5A:
      jump = v >= b;
      break;
    case 0x5B:
      jump = v <= b;
      break;
    case 0x5E:
      jump = (v & BitMask(b)) != 0;
      break;
    case 0x5F:
      jump = (v & BitMask(b)) == 0;
      break;
    default:
      break;
  }
  if (jump) EventJump(c, operands[2]);
}

// 0x31: the resident scenario may be skipped from here on.
void EventOpSkipAllowed(EventCursor&, uint8_t, const uint8_t*) {
  SkipAllowed = 1;
}

// 0x2C: no option of opcode 0x2B is offered any more.
void EventOpClearTable(EventCursor&, uint8_t, const uint8_t*) {
  std::memset(&ScriptVars[kVarTableMessage], 0, 2 * kTableOptions);
}

// 0x2D, 0x2F: keeps scenario jump A or B for later.
void EventOpStoreJump(EventCursor&, uint8_t op, const uint8_t* operands) {
  uint8_t* jump = &ScriptVars[op == 0x2D ? kVarJumpA : kVarJumpB];
  jump[0] = operands[0];
  jump[1] = operands[1];
  jump[2] = operands[2];
  jump[3] = 0;
}

// 0x90: marks scenario h x 256 + l as seen.
void EventOpMarkSeen(EventCursor&, uint8_t, const uint8_t* operands) {
  ScenarioSeenMark(ScenarioSeen, static_cast<uint32_t>(operands[0] << 8 | operands[1]));
}

// 0x96: adds bit n to the collection; variable 155 tells whether that made the 17th.
void EventOpCollect(EventCursor&, uint8_t, const uint8_t* operands) {
  const uint8_t n = operands[0];
  const int before = CollectedBits();
  if (n < kCollectBits) {
    uint8_t& bits = ScriptVars[kVarCollectSet + (n >> 3)];
    bits = static_cast<uint8_t>(bits | (1u << (n & 7)));
  }
  ScriptVars[kVarCollectResult] = before == 16 && CollectedBits() == 17 ? 1 : 0;
}

// 0x94: folds what this game has reached (lasting variables, seen scenarios, the play
// counter) into the current slot and into slot 99, leaving the live state as it was.
void EventOpFoldProgress(EventCursor&, uint8_t, const uint8_t*) {
  MemHandle tmp = MemAlloc(kGameStateSize, "save tmp");
  auto* kept = reinterpret_cast<GameState*>(MemLock(tmp));
  std::memcpy(kept, &LiveState, kGameStateSize);

  SlotLoad(CurrentSlot);
  std::memcpy(&SaveState.vars[kVarScratchEnd], &kept->vars[kVarScratchEnd],
              kVarCollectSet + kCollectBits / 8 - kVarScratchEnd);
  std::memcpy(SaveState.scenarioSeen, kept->scenarioSeen, kSeenBytes);
  if (kept->vars[kVarEmptySlot] == 1) {
    SaveState.vars[kVarPlayCounter] = 0;
    SaveState.vars[kVarGameFinished] = 1;
  } else if (SaveState.vars[kVarPlayCounter] != 255) {
    SaveState.vars[kVarPlayCounter]++;
  }
  SaveState.vars[kVarEmptySlot] = 0;
  ScenarioSeenMark(SaveState.scenarioSeen, kept->currentScenario);

  SlotSave(CurrentSlot);
  std::memcpy(&LiveState, kept, kGameStateSize);
  ProgressSave();
  MemUnlock(tmp);
  MemRelease(&tmp);
}
