// The message script: story text drawn cell by cell over the dimmed scene, the line and page
// waits with their blinking cursor, names and colours, and scene changes in mid-text.
#pragma once

#include <cstdint>

// Runs one message from `code` at (x, y) in `colour` on `shadow`. `showProgress`: draw cell by
// cell with screen updates (otherwise the caller updates the screen). `storyText`: a message
// of the resident message block (page bookkeeping, save point, game menu at the waits).
// Answers the address after the message's 0xAF, or null when a wait ended the script (a game
// loaded or ended from the game menu). Story text runs as (16, 10, code, 229, 228, true, true).
const uint8_t* RunMessage(uint16_t x, uint16_t y, const uint8_t* code, uint16_t colour,
                          uint16_t shadow, bool showProgress, bool storyText);

// Takes the page start back from CheckpointState and draws the page again from its start up to
// `upTo` (exclusive), without waits or commands; then invalidates the whole window.
void RedrawPage(const uint8_t* upTo);

// The click wait with a blinking cursor glyph at (x, y); `allowMenu` lets cancel open the game
// menu. True when the text was hidden or the menu was open: the page must be redrawn.
bool WaitWithCursor(uint16_t x, uint16_t y, uint16_t glyph, uint16_t colour, uint16_t shadow,
                    bool allowMenu);

// Hides the text until the next click: the bare scene, undimmed; dimmed again afterwards.
void HideTextUntilClick();
