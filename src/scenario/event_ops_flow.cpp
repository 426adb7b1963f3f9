// Event opcodes that steer the script: ending, calls and jumps, other scenarios, waits and
// timers, choices and yes/no questions, checkpoints, and showing the messages.
#include <algorithm>

#include "app/input.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "platform/platform.h"
#include "resources/lzss.h"
#include "scenario/choice.h"
#include "scenario/event_local.h"
#include "scenario/event_script.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/history.h"
#include "scenario/message.h"
#include "scenario/scenario.h"
#include "scenario/wave_message.h"

namespace {

// Selectors of the extended command 0x21.
enum : uint8_t {
  kExtEnd = 0,
  kExtWave = 1,
  kExtRipple = 2,
  kExtClosing = 3,
  kExtTimer = 8,
};
constexpr uint32_t kTimerMark = 0xFFFFFFFF;

// The tick the timer of command 0x21 8 measures from.
uint32_t TimerMark;

// The question AskYesNo puts for opcodes 0x5C and 0x5D: the story has just asked it, so only
// the fixed second line and the two answers are shown.
constexpr uint8_t kEmptyQuestion[] = {0xAF};

// Most options a choice offers.
constexpr uint8_t kMaxOptions = 12;

// The level stops after a wait that ended the script.
void StopOnExit(EventCursor& c) {
  if (ScriptExit != kScriptRunning) c.running = false;
}

// Pumps until `t` ms have passed since the mark; skipping ends the wait and moves the mark so
// that the time counts as passed.
void TimerWait(uint32_t t) {
  while (ElapsedSince(TimerMark) < t) {
    if (SkipToChoice == 1) {
      const uint32_t due = PlatTicks() - t;
      if (static_cast<int32_t>(TimerMark - due) > 0) TimerMark = due;
      return;
    }
    PumpMessages();
  }
}

// The common start of both choices: the question is asked again from this opcode when the
// choice is restored, so the state is taken here.
void BeginChoiceOpcode() {
  BeginChoice();
  ScreenUpdate(DirtyRect);
  EventPrepareText();
}

// The end of a choice that was not aborted: it becomes the point to go back to.
void CommitChoiceOpcode() {
  if (ScriptExit == kScriptRunning) {
    CheckpointValid = 1;
    CommitChoice();
  }
}

}  // namespace

// [SECTION] Text

void EventPrepareText() {
  if (PaletteState == PalStateNormal) {
    PalDim();
  } else if (PaletteState == PalStateBlack) {
    PalFadeInDimmed(1);
  }
}

void EventClearText() {
  ShowBackFrame();
}

// [SECTION] Opcodes

// 0x20: the end of this level and of the game.
void EventOpEnd(EventCursor& c, uint8_t, const uint8_t*) {
  c.running = false;
  ScriptExit = kScriptEnded;
}

// 0x21: the extended command; the selector says how many bytes follow.
void EventOpExtended(EventCursor& c, uint8_t, const uint8_t* operands) {
  switch (operands[0]) {
    case kExtEnd:
      ScriptExit = kScriptEnded;
      break;
    case kExtWave:
    case kExtRipple: {
      EventNeed(c, 3);
      const uint8_t m = c.base[c.pc], in = c.base[c.pc + 1], out = c.base[c.pc + 2];
      c.pc += 3;
      RecordHistory(m);
      if (operands[0] == kExtWave) {
        WaveMessage(m, in, out);
      } else {
        RippleMessage(m, in, out);
      }
      break;
    }
    case kExtClosing:
      ShowClosingPicture();
      break;
    case kExtTimer: {
      EventNeed(c, 4);
      const uint32_t t = ReadLe32(c.base + c.pc);
      c.pc += 4;
      if (t == kTimerMark) {
        TimerMark = PlatTicks();
      } else {
        TimerWait(t);
      }
      break;
    }
    default:
      break;
  }
  StopOnExit(c);
}

// 0x22: runs entry e as a level of its own, then goes on here whatever it ended with.
void EventOpCall(EventCursor& c, uint8_t, const uint8_t* operands) {
  const uint32_t back = c.pc;
  EventPc = EventEntry(operands[0]);
  RunEventScript();
  EventRefresh(c);
  c.pc = back;
}

// 0x23: waits n x 10 ms.
void EventOpWait(EventCursor&, uint8_t, const uint8_t* operands) {
  Wait(operands[0]);
}

// 0x24: a choice between up to 12 options, each a message and a jump.
void EventOpChoice(EventCursor& c, uint8_t, const uint8_t* operands) {
  const uint8_t count = std::min(operands[1], kMaxOptions);
  EventNeed(c, 2u * count);
  const uint8_t* pairs = c.base + c.pc;
  uint8_t steps[kMaxOptions];
  for (int i = 0; i < count; i++) steps[i] = pairs[2 * i + 1];
  const uint32_t end = c.pc + 2u * count;
  BeginChoiceOpcode();
  const uint8_t* next = SelectOption(operands);
  CommitChoiceOpcode();
  StopOnExit(c);
  if (!c.running || !next) return;
  // The chosen option is in variable 144; its jump counts from the end of the list.
  const uint8_t chosen = ScriptVars[kVarChoiceIndex];
  c.pc = end;
  if (chosen < count) EventJump(c, steps[chosen]);
}

// 0x26: the next instruction becomes the point to go back to.
void EventOpCheckpoint(EventCursor& c, uint8_t, const uint8_t*) {
  EventPc = static_cast<uint16_t>(c.pc);
  SetCheckpoint();
}

// 0x27: goes back to the checkpoint and runs on from there.
void EventOpRestore(EventCursor& c, uint8_t, const uint8_t*) {
  if (c.block) MemUnwire(c.block);
  c.block = 0;
  RestoreCheckpoint(true);
  EventRefresh(c);
  c.pc = EventPc;
}

// 0x28: scenario h x 256 + l from its entry e.
void EventOpScenario(EventCursor& c, uint8_t, const uint8_t* operands) {
  const uint16_t number = static_cast<uint16_t>(operands[0] << 8 | operands[1]);
  const uint8_t e = operands[2];
  EventLoadScenario(c, number, true);
  EventGoTo(c, EventEntry(e));
}

// 0x29: entry e of the resident scenario.
void EventOpEntry(EventCursor& c, uint8_t, const uint8_t* operands) {
  EventGoTo(c, EventEntry(operands[0]));
}

// 0x2A: the scenario of the next calendar day, from its entry 1.
void EventOpNextDay(EventCursor& c, uint8_t, const uint8_t*) {
  EventLoadScenario(c, static_cast<uint16_t>(0x30 + ScriptVars[kVarCalendarDay] + 1), true);
  EventGoTo(c, EventEntry(1));
}

// 0x2B: a choice from the option table; option i jumps s x (its step) past this instruction.
void EventOpTableChoice(EventCursor& c, uint8_t, const uint8_t* operands) {
  const uint8_t s = operands[0];
  const uint32_t end = c.pc;
  ScriptVars[kVarTableChoice] = 0;
  BeginChoiceOpcode();
  const uint8_t* next = SelectFromTable(operands);
  CommitChoiceOpcode();
  StopOnExit(c);
  if (!c.running || !next) return;
  const uint8_t chosen = ScriptVars[kVarTableChoice];
  const uint8_t step = chosen < kTableOptions ? ScriptVars[kVarTableStep + chosen] : 0;
  c.pc = end + uint32_t{s} * step;
}

// 0x2E, 0x30: takes stored jump A or B and forgets it.
void EventOpStoredJump(EventCursor& c, uint8_t op, const uint8_t*) {
  uint8_t* jump = &ScriptVars[op == 0x2E ? kVarJumpA : kVarJumpB];
  const uint16_t number = static_cast<uint16_t>(jump[0] << 8 | jump[1]);
  const uint8_t e = jump[2];
  jump[0] = jump[1] = jump[2] = 0;
  EventLoadScenario(c, number, true);
  EventGoTo(c, EventEntry(e));
}

// 0x5C, 0x5D: asks yes or no and jumps on yes (0x5C) or on no (0x5D).
void EventOpAskYesNo(EventCursor& c, uint8_t op, const uint8_t* operands) {
  const uint8_t d = operands[0];
  const bool yes = AskYesNo(kEmptyQuestion);
  if (yes == (op == 0x5C)) EventJump(c, d);
}

// 0x69, 0x6A: shows message m (over a wave when one was requested); 0x6A then clears it.
void EventOpMessage(EventCursor& c, uint8_t op, const uint8_t* operands) {
  const uint8_t m = operands[0];
  const uint8_t* code = MessageCode(m);
  for (uint8_t request : {kVarWaveRequest, kVarRippleRequest}) {
    if (ScriptVars[request] == 0) continue;
    ScriptVars[request] = 0;
    RecordHistory(m);
    const MemHandle screen = ScreenFrame, font = FontBlock;
    MemWire(screen);
    MemWire(font);
    const uint8_t in = ScriptVars[request + 1], out = ScriptVars[request + 2];
    if (request == kVarWaveRequest) {
      WaveMessage(m, in, out);
    } else {
      RippleMessage(m, in, out);
    }
    MemUnwire(font);
    MemUnwire(screen);
    StopOnExit(c);
    return;
  }
  EventPrepareText();
  RecordHistory(m);
  const MemHandle messages = MessageData, screen = ScreenFrame, font = FontBlock;
  MemWire(messages);
  MemWire(screen);
  MemWire(font);
  RunMessage(16, 10, code, 229, 228, true, true);
  MemUnwire(font);
  MemUnwire(screen);
  MemUnwire(messages);
  StopOnExit(c);
  if (c.running && op == 0x6A) EventClearText();
}

// 0x6B: clears the text.
void EventOpClearText(EventCursor&, uint8_t, const uint8_t*) {
  EventClearText();
}
