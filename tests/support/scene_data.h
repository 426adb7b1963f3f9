// Scene test data: small TZ2 pictures written into a data directory (backgrounds, character
// sprites with transparent parts) and a character palette block whose colours tell which
// record they came from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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
