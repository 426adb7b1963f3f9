// The message pump, the waits the whole game runs on, keyboard and mouse input, and the one
// random-number generator.
#pragma once

#include <cstdint>

// [SECTION] Input state
// Cleared by SetDefaults; lives for the whole run.

// Input bits, the same in KeysHeld, KeysPressed and InputTriggers.
enum : uint16_t {
  InputUp = 0x01,
  InputRight = 0x02,
  InputDown = 0x04,
  InputLeft = 0x08,
  InputCancel = 0x10,  // Escape, Home, right button
  InputOk = 0x20,      // Enter, left button
  InputSpace = 0x40,
  // Only in InputTriggers: a turn of the mouse wheel.
  InputWheelUp = 0x80,
  InputWheelDown = 0x100,
};

extern uint8_t KeysHeld;          // keys down at the last poll
extern uint8_t PrevKeys;          // keys down at the poll before
extern uint8_t KeysPressed;       // keys that went down at the last poll
extern uint16_t InputTriggers;    // input not yet consumed; consumers test and clear bits
extern uint16_t MouseButtons;     // buttons pressed inside the client area, not yet released
extern uint16_t MouseX, MouseY;   // last pointer position in client pixels
extern uint32_t MouseInClient;    // the last hit test found the pointer in the client area
extern uint32_t IgnoreNextInput;  // set on activation: the next poll and button are swallowed
extern uint16_t SkipToChoice;     // every timed wait ends at once while set
extern uint16_t RandomSeed;

// Clears the input state (start values).
void InputReset();

// [SECTION] Pump and waits

// One pump step: at most one message handled, the random generator stepped, keys polled, the
// CD polled. True when a quit message was found (the program is then ending). With no message
// the step idles for about a millisecond (PlatIdle).
bool PumpMessages();
// The same step for a wait that ends at PlatTicks() `wakeAt`: with no message it idles until
// then at most (PlatIdleUntil), so a real window sleeps instead of looking every millisecond.
bool PumpMessagesUntil(uint32_t wakeAt);
// The same step for a wait that only input ends (PlatIdleForInput).
bool PumpMessagesForInput();
// One keyboard poll into the input state (only while the window has the focus).
void PollKeys();
// Mouse messages of the window procedure.
void InputMouseMessage(uint32_t message, int64_t lParam);
// WM_MOUSEWHEEL: a turn over the client area becomes InputWheelUp or InputWheelDown.
void InputWheel(int delta);
// The hit-test bookkeeping: whether the pointer is in the client area.
void InputHitTest(bool inClient);

// Wait n x 10 ms (n = 0: return at once).
void Wait(uint16_t n);
// Wait until n x 10 ms after `start`.
void WaitSince(uint32_t start, int16_t n);
// Wait for OK or space.
void WaitClick();
// Wait for OK, space or cancel; the bits that ended it stay set.
void WaitAnyInput();
// Wait for OK or space at most n x 10 ms; true when the input came.
bool WaitClickOrTimeout(uint32_t n);

// Milliseconds since `start` as the absolute value of the signed difference.
uint32_t ElapsedSince(uint32_t start);

// [SECTION] Helpers

// The random generator: mode 2 steps it, mode 1 mixes in the clock, others seed from the clock.
uint8_t Random(uint16_t mode);
// Byte length of a zero-terminated Shift-JIS text, a lead byte (0x80 or more) counting two.
int16_t SjisLength(const char* text);
// Puts the pointer at client coordinates and remembers them.
void MoveCursorTo(uint16_t x, uint16_t y);
// InputTriggers = 0.
void ClearInput();
