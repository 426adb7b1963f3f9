// The event interpreter's loop: the opcode table with each code's operand bytes, the level
// that walks the resident event block, and the cursor helpers that keep it inside the block.
#include "scenario/event_script.h"

#include <algorithm>
#include <array>

#include "app/input.h"
#include "scenario/event_local.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"

uint16_t ScriptExit;
void (*EventStepHook)(uint16_t pc, uint8_t op);

namespace {

// EventPc is a 16-bit field: code beyond it could never be resumed from a saved game.
constexpr uint32_t kMaxCode = 0x10000;

// Codes that take operand bytes and do nothing with them (0x6C, 0x91).
void EventOpNone(EventCursor&, uint8_t, const uint8_t*) {}

struct EventOp {
  uint8_t operands;  // fixed operand bytes; handlers of longer forms read the rest themselves
  EventHandler run;  // null: a one-byte no-op
};

// The event code. Codes without a handler (below 0x20, above 0xA8 and the gaps) are skipped
// as one-byte no-ops.
constexpr std::array<EventOp, 256> kEventOps = [] {
  std::array<EventOp, 256> ops{};
  auto set = [&ops](int code, uint8_t operands, EventHandler run) { ops[code] = {operands, run}; };
  set(0x20, 0, EventOpEnd);
  set(0x21, 1, EventOpExtended);  // selector; its arguments follow
  set(0x22, 1, EventOpCall);
  set(0x23, 1, EventOpWait);
  set(0x24, 2, EventOpChoice);  // question, count; the option pairs follow
  set(0x26, 0, EventOpCheckpoint);
  set(0x27, 0, EventOpRestore);
  set(0x28, 3, EventOpScenario);
  set(0x29, 1, EventOpEntry);
  set(0x2A, 0, EventOpNextDay);
  set(0x2B, 2, EventOpTableChoice);
  set(0x2C, 0, EventOpClearTable);
  set(0x2D, 3, EventOpStoreJump);
  set(0x2E, 0, EventOpStoredJump);
  set(0x2F, 3, EventOpStoreJump);
  set(0x30, 0, EventOpStoredJump);
  set(0x31, 0, EventOpSkipAllowed);
  set(0x32, 1, EventOpScene);
  set(0x33, 1, EventOpScene);
  set(0x34, 2, EventOpVariable);
  set(0x35, 2, EventOpVariable);
  set(0x49, 2, EventOpScene);
  set(0x4A, 1, EventOpScene);
  set(0x4B, 1, EventOpScene);
  set(0x55, 1, EventOpCondition);
  for (int code = 0x56; code <= 0x5B; code++) set(code, 3, EventOpCondition);
  set(0x5C, 1, EventOpAskYesNo);
  set(0x5D, 1, EventOpAskYesNo);
  set(0x5E, 3, EventOpCondition);
  set(0x5F, 3, EventOpCondition);
  set(0x60, 1, EventOpCondition);
  set(0x63, 3, EventOpVariable);
  set(0x69, 1, EventOpMessage);
  set(0x6A, 1, EventOpMessage);
  set(0x6B, 0, EventOpClearText);
  set(0x6C, 1, EventOpNone);
  set(0x7D, 1, EventOpScene);
  set(0x90, 2, EventOpMarkSeen);
  set(0x91, 0, EventOpNone);
  set(0x92, 1, EventOpScene);
  set(0x93, 2, EventOpVariable);
  set(0x94, 0, EventOpFoldProgress);
  set(0x95, 1, EventOpScene);
  set(0x96, 1, EventOpCollect);
  set(0x97, 0, EventOpScene);
  set(0x98, 0, EventOpScene);
  set(0x99, 0, EventOpScene);
  set(0x9A, 1, EventOpScene);
  // The commands the message script shares (0x25, 0x3C..0x48, 0x61, 0x62, 0x70..0x7C,
  // 0x80..0x88, 0xA0..0xA8).
  for (int code = 0x20; code <= 0xA8; code++) {
    const int8_t operands = kSceneCodes[code].operands;
    if (operands >= 0) set(code, static_cast<uint8_t>(operands), EventOpShared);
  }
  return ops;
}();

// Takes the resident event block as this level's block.
void Attach(EventCursor& c) {
  c.block = EventData;
  c.base = c.block ? MemWire(c.block) : nullptr;
  c.size = c.block ? std::min(MemSize(c.block), kMaxCode) : 0;
}

}  // namespace

// [SECTION] Cursor

void EventNeed(const EventCursor& c, uint32_t count) {
  if (c.pc > c.size || c.size - c.pc < count) ScenarioDataError();
}

void EventJump(EventCursor& c, uint8_t d) {
  const int64_t target = int64_t{c.pc} + static_cast<int8_t>(d);
  if (target < 0) ScenarioDataError();
  c.pc = static_cast<uint32_t>(target);
}

void EventGoTo(EventCursor& c, uint32_t offset) {
  c.pc = offset;
  EventPc = static_cast<uint16_t>(offset);
}

void EventLoadScenario(EventCursor& c, uint16_t number, bool start) {
  if (c.block) MemUnwire(c.block);
  c.block = 0;
  LoadScenario(number, start);
  Attach(c);
}

void EventRefresh(EventCursor& c) {
  // The block this level had wired is gone with the scenario it belonged to.
  if (EventData != c.block) Attach(c);
}

// [SECTION] Interpreter

void RunEventScript() {
  EventCursor c{};
  Attach(c);
  c.pc = EventPc;
  c.running = true;
  do {
    if (c.pc >= c.size) ScenarioDataError();
    EventPc = static_cast<uint16_t>(c.pc);
    const uint8_t op = c.base[c.pc++];
    if (EventStepHook) EventStepHook(EventPc, op);
    const EventOp& entry = kEventOps[op];
    if (entry.run) {
      EventNeed(c, entry.operands);
      const uint8_t* operands = c.base + c.pc;
      c.pc += entry.operands;
      entry.run(c, op, operands);
      EventRefresh(c);
    }
    Random(1);
    PumpMessages();
  } while (c.running);
  if (c.block) MemUnwire(c.block);
}
