// TZ2 pictures: up to 640 x 480 colour indices with a partial palette, LZSS-packed, drawn
// straight into a frame with a transparent colour and a colour offset. Also the encoder.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "resources/memory.h"

// [SECTION] File layout

inline constexpr char kTz2Magic[8] = {'T', 'A', 'Z', 'U', '2', '5', '6', 0};
constexpr uint32_t kTz2HeaderSize = 24;
constexpr uint16_t kTz2MaxWidth = 640;
constexpr uint16_t kTz2MaxHeight = 480;
constexpr uint16_t kTz2MaxColours = 236;
constexpr uint16_t kTz2NoTransparent = 0xFFFF;

// The first 24 bytes of a TZ2 file.
struct Tz2Header {
  char magic[8];
  uint16_t x, y;  // where the picture belongs in the frame
  uint16_t width, height;
  uint16_t unused;
  uint16_t transparent;  // colour index drawn as nothing; 0xFFFF = none
  uint16_t firstIndex;   // first palette entry the colours were made for
  uint16_t colourCount;  // palette entries that follow the header
};
static_assert(sizeof(Tz2Header) == kTz2HeaderSize);

// Why a picture was not drawn. The texts are what the decoders' message boxes say.
enum class PicError {
  None,
  BadData,      // wrong magic, or a header, palette or stream cut short
  PaletteOver,  // TZ2: first palette index + colour count above 236
  SizeOver,     // TZ2: wider than 640 or higher than 480
  NoPixels,     // nothing to draw; no message
  BadVersion,   // TZG: a layout the decoder does not know
  BadFrame,     // the caller's frame is smaller than it claims; no message
};
// The message (UTF-8) for an error; nullptr for those that show none.
const char* PicErrorText(PicError error);

// [SECTION] Decoding

// The header at the start of `src`; false, with `header` all zero, when `src` is shorter than
// a header. The magic is copied, not checked.
bool Tz2ParseHeader(std::span<const uint8_t> src, Tz2Header& header);
// Copies the header of a picture block into `header` (locking and unlocking the block). False,
// with `header` all zero, when the block is missing or shorter than a header.
bool Tz2ReadHeader(MemHandle picture, Tz2Header& header);

// The decoder, without message boxes. Draws the picture `src` into `pixels`, a bottom-up
// frameWidth x frameHeight area, at (x, y) (plus the header's position when
// `useHeaderPosition`), and copies its colours into `palette` from entry `colourOffset` on.
// `transparent` -1 takes the header's transparent index. Decoded values are compared with the
// transparent index first, then written plus colourOffset (mod 256). Sets DirtyRect to the
// picture's area. On any error nothing has been written anywhere.
PicError Tz2DecodeQuiet(std::span<uint8_t> pixels, std::span<PalEntry> palette,
                        std::span<const uint8_t> src, uint16_t frameWidth, uint16_t frameHeight,
                        int16_t x, int16_t y, int32_t transparent, uint32_t colourOffset,
                        bool useHeaderPosition);

// The same, showing the picture error box ("ＴＺ２展開エラー") when the picture is refused.
bool Tz2Decode(std::span<uint8_t> pixels, std::span<PalEntry> palette, std::span<const uint8_t> src,
               uint16_t frameWidth, uint16_t frameHeight, int16_t x, int16_t y, int32_t transparent,
               uint32_t colourOffset, bool useHeaderPosition);

// Draws a picture block into a frame block at (x, y) plus the header's position, colours into
// ScenePalette from `colourOffset`, transparency from the header.
bool Tz2Draw(MemHandle frame, MemHandle picture, int16_t x, int16_t y, uint32_t colourOffset);
// The same at (x, y) exactly, without the header's position.
bool Tz2DrawNoOffset(MemHandle frame, MemHandle picture, int16_t x, int16_t y,
                     uint32_t colourOffset);

// Shows a picture decoder's error box with the stop icon, the mouse pointer visible meanwhile.
void PicShowError(const char* utf8Caption, PicError error);

// [SECTION] Encoding

struct Tz2Picture {
  std::span<const uint8_t> pixels;  // width x height colour indices, top row first
  uint16_t width = 0, height = 0;
  std::span<const PalEntry> palette;  // at most 236 colours
  uint16_t x = 0, y = 0;
  uint16_t transparent = kTz2NoTransparent;
  uint16_t firstIndex = 0;
};

// The TZ2 file for a picture. Empty, with `reason` set, when it cannot be stored (size, palette
// or pixel count out of range). Pixel values are stored as given, even beyond the palette.
std::vector<uint8_t> Tz2Encode(const Tz2Picture& picture, std::string* reason = nullptr);
