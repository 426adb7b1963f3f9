// The event script: the story's control program, run byte code by byte code from EventPc in
// the resident event block; going back to a checkpoint; the scene, palette, music and sound
// commands the message script shares with it.
#pragma once

#include <cstdint>

// [SECTION] Interpreter state
// ScriptExit lives outside the state record: the main flow clears it before each run.

enum : uint16_t {
  kScriptRunning = 0,
  kScriptEnded = 1,   // the game is over: the main flow leaves its loop
  kScriptLoaded = 2,  // a saved game was loaded or the player went back: run again
};
extern uint16_t ScriptExit;

// Called before each opcode with its offset in the event block and the opcode; null (the
// default) for none. Lets tests and tracing tools follow the script.
extern void (*EventStepHook)(uint16_t pc, uint8_t op);

// Runs the resident event block from EventPc until the script ends or a wait aborts (a game
// loaded or ended meanwhile). Calls itself for opcode 0x22. Code that leads outside the block
// ends the game with a message naming the scenario file.
void RunEventScript();

// Rebuilds the live state and the whole scene from CheckpointState: variables, seen set and
// history, the scenario and EventPc, music, picture, characters, sound, filter and weather.
// With `withTransition` the old scene leaves through transition 6 first.
void RestoreCheckpoint(bool withTransition);

// [SECTION] Shared scene commands
// Codes 0x25, 0x3C..0x48, 0x61, 0x62, 0x70..0x7C and 0x80..0x88, 0xA0..0xA8 mean the same in
// both scripts, with the same operands.

// The operand bytes of shared code `code`; -1 when `code` is not a shared command.
int SceneCommandOperands(uint8_t code);
// Runs shared code `code` on its operands (SceneCommandOperands(code) bytes at `operands`).
// `fromMessage` selects the message script's form (0x3F without the frame copy, a screen
// update before 0x46 and 0xA6). True when the message script settles after the command.
bool SceneCommand(uint8_t code, const uint8_t* operands, bool fromMessage);
