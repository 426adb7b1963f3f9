// Name entry: the hero's five names. So far the names the game starts with; the screen that
// lets the player change them comes later.
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

// Lets the player name the hero: the four edited parts, then a summary and a question.
void NameEntry();
