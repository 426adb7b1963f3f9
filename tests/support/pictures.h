// Pictures for the decoder and tool tests: recognisable pixel patterns and palettes, PNG files
// written and read through libpng (not through the tools' own PNG code), and a blank frame
// with its palette for the decoders to draw on.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/frame.h"
#include "platform/platform.h"

// w x h colour indices, top row first: pixel (x, y) is (3x + 5y + xy) % colours, so rows,
// columns and neighbours all differ.
std::vector<uint8_t> PatternPixels(int w, int h, int colours);
// `count` colours, colour i being red i, green 100 + i, blue 200 - i.
std::vector<PalEntry> PatternColours(int count);

// An indexed PNG as libpng hands it over: RGBA palette entries, pixels top row first.
using PngColour = std::array<uint8_t, 4>;
struct TestPng {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;
  std::vector<PngColour> colours;
};

// A w x h PNG of PatternPixels whose opaque colour i is (5i, 255 - i, 17).
TestPng PatternPng(uint32_t w, uint32_t h, int colours);
void WritePng(const std::filesystem::path& path, const TestPng& png);
// A full-colour PNG of w x h RGBA pixels.
void WriteRgbaPng(const std::filesystem::path& path, uint32_t w, uint32_t h,
                  const std::vector<uint8_t>& rgba);
// Reads an indexed PNG (anything else fails the test).
TestPng ReadPng(const std::filesystem::path& path);

// A whole frame of blank pixels and an empty palette, as the decoders take them.
struct TestCanvas {
  static constexpr uint8_t kBlank = 228;
  std::vector<uint8_t> frame = std::vector<uint8_t>(kFramePixelCount, kBlank);
  std::array<PalEntry, kPaletteSize> palette{};

  uint8_t At(int x, int y) const { return frame[FramePixelOffset(x, y) - kFramePixelsOffset]; }
  void Clear() { std::fill(frame.begin(), frame.end(), kBlank); }
  // Where the frame does not show the w x h `pixels` (top row first) drawn at (x0, y0) and
  // clipped to the frame, each plus `offset` except the `transparent` ones, and every other
  // pixel as in `before` (blank when not given): the first pixel that differs, as "x,y", or ""
  // when the frame is just so. No pixels: the frame is untouched.
  std::string Differs(const std::vector<uint8_t>& pixels = {}, int x0 = 0, int y0 = 0, int w = 0,
                      int h = 0, int offset = 0, int transparent = -1,
                      const std::vector<uint8_t>* before = nullptr) const;
};
