// TZG pictures: 16-colour overlays, two bit-interleaved pixels a byte, LZSS-packed without
// inversion, in vertical strips or in rows. The decoder draws into a frame; also the encoder.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "resources/memory.h"
#include "resources/tz2.h"

// [SECTION] File layout

inline constexpr char kTzgMagic[8] = {'T', 'A', 'Z', 'U', 'C', 'O', 'D', 'E'};
constexpr uint32_t kTzgHeaderSize = 48;
constexpr int kTzgColours = 16;

enum : uint8_t {
  kTzgLayoutStrips = 0,  // strips two pixels wide, left to right, each from the top down
  kTzgLayoutRows = 1,    // rows from the top down
};

// The header fields the decoder reads.
struct TzgHeader {
  int16_t x0, y0;  // left edge in units of 8 pixels, top edge in rows
  int16_t x1, y1;  // right edge (units of 8, inclusive) and bottom row (inclusive)
  uint8_t layout;
  uint8_t transparent;  // 0..15; any other value draws every pixel
  int32_t byteCount;    // decoded bytes, two pixels each
};

// The pixel pair a stored literal stands for: left pixel in the high nibble, right in the low.
// The left pixel's bits 3..0 are the stored bits 7, 5, 3, 1, the right pixel's bits 6, 4, 2, 0.
constexpr uint8_t TzgDeinterleave(uint8_t stored) {
  uint8_t left = 0, right = 0;
  for (int bit = 0; bit < 4; bit++) {
    left |= static_cast<uint8_t>(((stored >> (2 * bit + 1)) & 1) << bit);
    right |= static_cast<uint8_t>(((stored >> (2 * bit)) & 1) << bit);
  }
  return static_cast<uint8_t>(left << 4 | right);
}

// [SECTION] Decoding

// The header of a TZG file; false when `src` is too short to hold one or has the wrong magic.
bool TzgReadHeader(std::span<const uint8_t> src, TzgHeader& header);
// The file's 16 colours as stored (each 4-bit value v becomes v * 17), before the decoder
// forces colour 15 to white. False when `src` is too short to hold them.
bool TzgReadPalette(std::span<const uint8_t> src, std::span<PalEntry, kTzgColours> colours);

// The decoder, without message boxes. Sets palette entries 0..15 (15 always white) and the
// first 16 entries of the frame's colour table (16-bit, little-endian) to identity, then draws
// the picture into `pixels`, a bottom-up frameWidth x frameHeight area, at (x, y) (plus the
// header's position when `useHeaderPosition`). Pixels outside the frame are dropped. A
// truncated file is refused before anything is written; a wrong layout after the palette.
PicError TzgDecodeQuiet(std::span<uint8_t> pixels, std::span<uint8_t> colourTable,
                        std::span<PalEntry> palette, std::span<const uint8_t> src,
                        uint16_t frameWidth, uint16_t frameHeight, int16_t x, int16_t y,
                        bool useHeaderPosition);
// The same, showing the picture error box ("ＧＲＰ展開エラー") when the picture is refused.
bool TzgDecode(std::span<uint8_t> pixels, std::span<uint8_t> colourTable,
               std::span<PalEntry> palette, std::span<const uint8_t> src, uint16_t frameWidth,
               uint16_t frameHeight, int16_t x, int16_t y, bool useHeaderPosition);
// Draws a picture block into a frame block at (x, y) plus the header's position, its colours
// into ScenePalette.
bool TzgDraw(MemHandle frame, MemHandle picture, int16_t x, int16_t y);

// [SECTION] Encoding

struct TzgPicture {
  std::span<const uint8_t> pixels;    // width x height colour indices 0..15, top row first
  uint16_t width = 0, height = 0;     // width a multiple of 8
  std::span<const PalEntry> palette;  // at most 16 colours, kept to 4 bits each
  int16_t x0 = 0, y0 = 0;             // position: x0 in units of 8 pixels, y0 in rows
  uint8_t layout = kTzgLayoutRows;
  uint8_t transparent = 0xFF;  // 0..15, or anything else for none
};

// The TZG file for a picture. Empty, with `reason` set, when it cannot be stored.
std::vector<uint8_t> TzgEncode(const TzgPicture& picture, std::string* reason = nullptr);
