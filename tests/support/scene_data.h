// Scene test data: small TZ2 pictures written into a data directory (backgrounds, character
// sprites with transparent parts), a character palette block whose colours tell which record
// they came from, and the scene set the scene tests compose from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/palette.h"
#include "platform/platform.h"
#include "resources/memory.h"

// A picture before encoding: width x height colour indices, top row first.
struct TestPicture {
  uint16_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
  std::vector<PalEntry> palette;
  uint16_t x = 0, y = 0;          // the header's position
  uint16_t transparent = 0xFFFF;  // the picture's own colour number drawn as nothing
};

// A w x h picture of colour index `value`; its palette has value + 1 colours, the last one
// `colour`, the others (1, 1, 1).
TestPicture SolidPicture(uint16_t w, uint16_t h, uint8_t value, PalEntry colour = {10, 20, 30, 0});

// A character sprite: w x h of colour index `value`, whose leftmost `clearColumns` columns
// and top `clearRows` rows are the transparent index 0.
TestPicture SpritePicture(uint16_t w, uint16_t h, uint8_t value, uint16_t clearColumns,
                          uint16_t clearRows, PalEntry colour = {10, 20, 30, 0});

// Writes the picture as the TZ2 file `name` into `dir` (a failed encoding fails the test).
void WritePicture(const std::filesystem::path& dir, const std::string& name,
                  const TestPicture& picture);

// A "CHR_PAL.DAT" block of `records` records; colour j of record i is red i, green j, blue 200.
MemHandle CharPaletteBlock(int records);

// [SECTION] The scene set
// Backgrounds are solid; every sprite is 300 rows high with its top kCharTop rows and leftmost
// 20 columns transparent, in colour `value` of its range.
constexpr uint8_t kBg1 = 10;   // colour of background 1 (S01D), blue
constexpr uint8_t kBg2 = 20;   // colour of background 2 (S02D), green
constexpr uint8_t kBg51 = 30;  // colour of background 51 (S01E, group 1), red
constexpr int kCharTop = 40;   // first sprite row drawn

// The colour number a sprite's value takes in range A or B.
constexpr uint8_t InA(uint8_t value) {
  return static_cast<uint8_t>(kPalCharacterAFirst + value);
}
constexpr uint8_t InB(uint8_t value) {
  return static_cast<uint8_t>(kPalCharacterBFirst + value);
}

// Writes the scene set into `dir`: backgrounds 1, 2 and 51, and characters 0x0A01, 0x0A02,
// 0x0C01 and 0x0D01 (200 wide at header x 40; values 1, 2, 5, 6), 0x0B01 and 0x0B02 (400 wide;
// values 3, 4) and 0x0E01 (300 wide; value 7).
void WriteSceneSet(const std::filesystem::path& dir);

// An empty scene as the event script composes it: no kept background, no character and both
// colour ranges free, and 80 character palette records (CharPaletteBlock).
void ResetScene();
