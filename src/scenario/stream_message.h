// Frame-stepped message text: a message of the resident block typed by a small state machine
// that an animation loop steps once per frame, for displays that redraw the whole screen every
// frame and so cannot hand control to the message interpreter. Glyphs and the wait cursor are
// drawn in colour 128 without shadow, so that they set bit 7 of the screen frame's pixels: the
// display maps every value with that bit to white.
#pragma once

#include <cstdint>

// 1 while the message runs, 0 once its end mark has been read.
extern uint8_t StreamRunning;

// Sets up message `code` (inside the resident message block) at (x, y); `colour` and `shadow`
// are kept as the text's colour codes, which the drawing does not use. Clears the input.
void StreamMessageStart(uint16_t x, uint16_t y, const uint8_t* code, uint16_t colour,
                        uint16_t shadow);
// One frame of typing, or of the blinking cursor at a wait. On an 8-bit display one code is
// taken per step, three on a deeper one; a click places the rest up to the next wait at once.
void StreamMessageStep();
