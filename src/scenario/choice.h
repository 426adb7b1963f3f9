// Choices and selection menus: the one list picker every list of the game uses (story choices,
// yes/no prompts, menus, slot lists), the story's two choice opcodes and the yes/no question.
#pragma once

#include <cstdint>

constexpr int kMaxItems = 12;    // longer lists are cut to this many items
constexpr int16_t kNoItem = -1;  // the answer of a cancelled or aborted selection

// Lets the player pick one of `count` items (message code each; `enabled[i]` 0 shows item i
// greyed and not selectable) with the keys or the mouse. Items are drawn from TextX, TextY
// down, each preceded by its own position commands. `initial` is highlighted first when it is
// an item. Answers the chosen index, or kNoItem when cancelled (only with `cancelAllowed`) or
// when the game menu (only with `menuAllowed`) loaded or ended a game. `moveMouse` glides the
// pointer onto the list at the start when the mouse-move setting is on.
int16_t SelectItem(const uint8_t* const* items, int16_t count, const uint8_t* enabled,
                   int16_t initial, bool cancelAllowed, bool menuAllowed, bool moveMouse);

// Event opcode 0x24 from its operands q, n, then n pairs (m, d) in the event block: asks
// question q with options m (the first 12). The chosen index goes to variable 144. Answers the
// address after the last pair taken plus the chosen d, or null when the game menu ended the
// script.
const uint8_t* SelectOption(const uint8_t* operands);

// Event opcode 0x2B from its operands s, q: asks question q with the options of the table in
// variables 177..200. The chosen table index goes to variable 176. Answers the address after
// the operands plus s x the option's step, or null when the game menu ended the script.
const uint8_t* SelectFromTable(const uint8_t* operands);

// Asks `question` (message code) in the middle of the screen, then "yes" / "no" with "no"
// highlighted. True for yes; cancel counts as no.
bool AskYesNo(const uint8_t* question);

// Glides the mouse pointer to (x, y) of the 640 x 480 picture: halfway at a time, at most 16
// steps of 10 ms, stopping when the player moves the mouse.
void GlidePointerTo(uint16_t x, uint16_t y);

// The fixed texts of the yes/no question, in message code.
extern const uint8_t kAskSecondLine[];
extern const uint8_t kAskYes[];
extern const uint8_t kAskNo[];
