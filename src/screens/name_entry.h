// Name entry: the hero's five names, the names a new game starts with, and the screen on which
// the player picks the characters of each part from grids of kana and kanji.
#pragma once

#include <cstdint>

#include "scenario/game_state.h"

// The five parts of the hero's name, in the order of the state record's name arrays.
enum : int {
  kNameFamily = 0,    // A: family name
  kNameGiven = 1,     // B: given name
  kNameFriendly = 2,  // C: what his friends call him (the slot screen shows this one)
  kNameKana = 3,      // D: given name in hiragana
  kNameKatakana = 4,  // E: the same in katakana
};

// The blank of the name-entry grid: a position the player left empty.
constexpr uint16_t kNameBlank = 258;

// The names a new game starts with: six font codes per part, each big-endian, kNameBlank where
// a name is shorter than six.
extern const uint8_t DefaultNames[kNameCount][kNameLength * 2];

// Part `part` (0..4) of the default names into `array`; a blank becomes kEmptyCode. A part out
// of range empties the array.
void LoadDefaultNames(uint16_t array[kNameLength], int part);

// Lets the player name the hero: the four edited parts (family name, given name, the given name
// in hiragana, then what friends call him), then a summary and a question. On yes the names go
// into the live state, SaveState and CheckpointState, and into the current slot's file.
void NameEntry();

// Edits part `field` (0..3) in `codes` (kEmptyCode for an empty position). True when the player
// finished it (the edited name written back), false on cancel (`codes` unchanged). `kanaOnly`
// offers the kana table alone.
bool EditName(uint16_t codes[kNameLength], int field, bool kanaOnly);

// Part E from part D: hiragana and katakana codes swapped (code +/- kKanaShift), the rest kept.
void DeriveKatakanaName(const uint16_t kana[kNameLength], uint16_t out[kNameLength]);
constexpr uint16_t kFirstHiragana = 64, kLastHiragana = 143, kKanaShift = 81;

// The upper grid as shown: 8 rows of 20 codes (0 an empty cell) and, in column 20, the page
// arrows (kPreviousPage in row 0, kNextPage in row 7).
constexpr int kGridRows = 8, kGridColumns = 21;
constexpr uint16_t kModeMark = 250, kPreviousPage = 251, kNextPage = 252;
extern uint16_t NameGrid[kGridRows][kGridColumns];

// Grid pages: each restores the grid area from the back frame, then shows 160 codes of its list
// from page x 160, with the arrows where there is a page before or after.
void ShowKanaPage(int page);
void ShowReadingPage(int key, int page);
void ShowStrokePage(int strokes, int page);
