// TZ2 pictures: the decoder that unpacks a picture and draws it into a frame, the drawing calls
// the game uses, and the encoder behind the authoring tools.
#include "resources/tz2.h"

#include <algorithm>
#include <cstring>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/lzss.h"
#include "resources/sjis.h"

namespace {

constexpr const char* kTz2ErrorCaption = "ＴＺ２展開エラー";

// A picture's pixels as decoded, bottom row first, before they are drawn: a damaged stream is
// found out before the frame is touched.
uint8_t DecodedRows[kTz2MaxWidth * kTz2MaxHeight];

Tz2Header ParseHeader(const uint8_t* p) {
  Tz2Header h;
  std::memcpy(h.magic, p, sizeof h.magic);
  h.x = ReadLe16(p + 8);
  h.y = ReadLe16(p + 10);
  h.width = ReadLe16(p + 12);
  h.height = ReadLe16(p + 14);
  h.unused = ReadLe16(p + 16);
  h.transparent = ReadLe16(p + 18);
  h.firstIndex = ReadLe16(p + 20);
  h.colourCount = ReadLe16(p + 22);
  return h;
}

// Where and how the pixels go: the picture's bottom row lands on frame row `row` (counted from
// the bottom of the bottom-up frame), its left column on frame column `x`.
struct Tz2Target {
  uint8_t* pixels;
  int32_t frameWidth, frameHeight;
  int32_t x, row;
  int32_t width, height;
  bool hasTransparent;
  uint8_t transparent;
  uint8_t offset;
};

// Rows are drawn in chunks of this many pixels, fixed-size byte loops that the compiler turns
// into a few vector operations, and the rest of a row one pixel at a time.
constexpr uint32_t kChunk = 32;

void DrawOpaqueRow(uint8_t* to, const uint8_t* from, uint32_t n, uint8_t offset) {
  if (offset == 0) {
    std::memcpy(to, from, n);
    return;
  }
  uint32_t i = 0;
  for (; i + kChunk <= n; i += kChunk) {
    uint8_t chunk[kChunk];
    std::memcpy(chunk, from + i, kChunk);
    for (uint32_t k = 0; k < kChunk; k++) chunk[k] = static_cast<uint8_t>(chunk[k] + offset);
    std::memcpy(to + i, chunk, kChunk);
  }
  for (; i < n; i++) to[i] = static_cast<uint8_t>(from[i] + offset);
}

// Values equal to `transparent` leave the frame pixel as it is.
void DrawTransparentRow(uint8_t* to, const uint8_t* from, uint32_t n, uint8_t transparent,
                        uint8_t offset) {
  uint32_t i = 0;
  for (; i + kChunk <= n; i += kChunk) {
    uint8_t in[kChunk], out[kChunk];
    std::memcpy(in, from + i, kChunk);
    std::memcpy(out, to + i, kChunk);
    for (uint32_t k = 0; k < kChunk; k++) {
      const auto draw = static_cast<uint8_t>(-static_cast<uint8_t>(in[k] != transparent));
      out[k] =
          static_cast<uint8_t>((static_cast<uint8_t>(in[k] + offset) & draw) | (out[k] & ~draw));
    }
    std::memcpy(to + i, out, kChunk);
  }
  for (; i < n; i++) {
    if (from[i] != transparent) to[i] = static_cast<uint8_t>(from[i] + offset);
  }
}

// Draws the decoded rows into the frame, clipped to it.
void DrawRows(const uint8_t* rows, const Tz2Target& t) {
  const int32_t left = std::max(t.x, 0), right = std::min(t.x + t.width, t.frameWidth);
  const int32_t first = std::max(-t.row, 0), last = std::min(t.height, t.frameHeight - t.row);
  if (left >= right) return;
  const auto n = static_cast<uint32_t>(right - left);
  for (int32_t j = first; j < last; j++) {
    const uint8_t* from = rows + static_cast<size_t>(j) * t.width + (left - t.x);
    uint8_t* to = t.pixels + static_cast<size_t>(t.row + j) * t.frameWidth + left;
    if (t.hasTransparent) {
      DrawTransparentRow(to, from, n, t.transparent, t.offset);
    } else {
      DrawOpaqueRow(to, from, n, t.offset);
    }
  }
}

// Locks both blocks and decodes into the frame's pixel area and ScenePalette.
bool Tz2DrawFrame(MemHandle frame, MemHandle picture, int16_t x, int16_t y, uint32_t colourOffset,
                  bool useHeaderPosition) {
  uint8_t* frameData = MemLock(frame);
  uint8_t* pictureData = MemLock(picture);
  std::span<uint8_t> pixels;
  if (frameData && MemSize(frame) >= kFramePixelsOffset + kFramePixelCount) {
    pixels = std::span<uint8_t>(frameData + kFramePixelsOffset, kFramePixelCount);
  }
  std::span<const uint8_t> src;
  if (pictureData) src = std::span<const uint8_t>(pictureData, MemSize(picture));
  const bool drawn = Tz2Decode(pixels, ScenePalette, src, kFrameWidth, kFrameHeight, x, y, -1,
                               colourOffset, useHeaderPosition);
  if (pictureData) MemUnlock(picture);
  if (frameData) MemUnlock(frame);
  return drawn;
}

}  // namespace

// [SECTION] Errors

const char* PicErrorText(PicError error) {
  switch (error) {
    case PicError::BadData:
      return "データ異常です";
    case PicError::PaletteOver:
      return "パレットオーバーです";
    case PicError::SizeOver:
      return "サイズオーバーです";
    case PicError::BadVersion:
      return "非対応のバージョンです";
    case PicError::None:
    case PicError::NoPixels:
    case PicError::BadFrame:
      break;
  }
  return nullptr;
}

void PicShowError(const char* utf8Caption, PicError error) {
  const char* text = PicErrorText(error);
  if (!text) return;
  PlatShowCursor(true);
  PlatMessageBox(Sjis(text), Sjis(utf8Caption), MB_OK | MB_ICONSTOP);
  PlatShowCursor(false);
}

// [SECTION] Decoding

bool Tz2ParseHeader(std::span<const uint8_t> src, Tz2Header& header) {
  std::memset(&header, 0, sizeof header);
  if (src.size() < kTz2HeaderSize) return false;
  header = ParseHeader(src.data());
  return true;
}

bool Tz2ReadHeader(MemHandle picture, Tz2Header& header) {
  const uint8_t* data = MemLock(picture);
  const bool whole = Tz2ParseHeader(
      data ? std::span<const uint8_t>(data, MemSize(picture)) : std::span<const uint8_t>(), header);
  if (data) MemUnlock(picture);
  return whole;
}

PicError Tz2DecodeQuiet(std::span<uint8_t> pixels, std::span<PalEntry> palette,
                        std::span<const uint8_t> src, uint16_t frameWidth, uint16_t frameHeight,
                        int16_t x, int16_t y, int32_t transparent, uint32_t colourOffset,
                        bool useHeaderPosition) {
  if (static_cast<size_t>(frameWidth) * frameHeight > pixels.size()) return PicError::BadFrame;
  // The checks run in the order magic, palette, size, and all of them before anything is
  // written: a refused picture leaves the frame and the palette as they were.
  if (src.size() < kTz2HeaderSize || std::memcmp(src.data(), kTz2Magic, sizeof kTz2Magic)) {
    return PicError::BadData;
  }
  const Tz2Header h = ParseHeader(src.data());
  if (static_cast<uint32_t>(h.firstIndex) + h.colourCount > kTz2MaxColours) {
    return PicError::PaletteOver;
  }
  if (transparent == -1 && h.transparent != kTz2NoTransparent) transparent = h.transparent;
  if (h.width > kTz2MaxWidth || h.height > kTz2MaxHeight) return PicError::SizeOver;
  const uint32_t count = static_cast<uint32_t>(h.width) * h.height;
  if (count == 0) return PicError::NoPixels;
  const size_t paletteBytes = 3 * static_cast<size_t>(h.colourCount);
  if (src.size() - kTz2HeaderSize < paletteBytes) return PicError::BadData;
  const std::span<const uint8_t> stream = src.subspan(kTz2HeaderSize + paletteBytes);
  if (!LzssDecode(std::span<uint8_t>(DecodedRows, count), stream, LzssCoding::Inverted)) {
    return PicError::BadData;
  }

  int32_t px = x, py = y;
  if (useHeaderPosition) {
    px += h.x;
    py += h.y;
  }
  RectSet(DirtyRect, px, py, px + h.width, py + h.height);
  // Bottom-up frame: the picture's bottom line lies at row frameHeight - y - height. A picture
  // above the top edge is drawn with its top at line 0.
  int32_t row = frameHeight - py - h.height;
  if (row + h.height > frameHeight) row = frameHeight - h.height;

  const uint8_t* colours = src.data() + kTz2HeaderSize;
  for (uint32_t k = 0; k < h.colourCount; k++) {
    const uint64_t entry = static_cast<uint64_t>(colourOffset) + k;
    if (entry >= palette.size()) break;
    palette[entry] = PalEntry{colours[3 * k + 2], colours[3 * k + 1], colours[3 * k], PC_RESERVED};
  }

  const Tz2Target target{pixels.data(),
                         frameWidth,
                         frameHeight,
                         px,
                         row,
                         h.width,
                         h.height,
                         transparent != -1,
                         static_cast<uint8_t>(transparent),
                         static_cast<uint8_t>(colourOffset)};
  DrawRows(DecodedRows, target);
  return PicError::None;
}

bool Tz2Decode(std::span<uint8_t> pixels, std::span<PalEntry> palette, std::span<const uint8_t> src,
               uint16_t frameWidth, uint16_t frameHeight, int16_t x, int16_t y, int32_t transparent,
               uint32_t colourOffset, bool useHeaderPosition) {
  const PicError error = Tz2DecodeQuiet(pixels, palette, src, frameWidth, frameHeight, x, y,
                                        transparent, colourOffset, useHeaderPosition);
  PicShowError(kTz2ErrorCaption, error);
  return error == PicError::None;
}

bool Tz2Draw(MemHandle frame, MemHandle picture, int16_t x, int16_t y, uint32_t colourOffset) {
  return Tz2DrawFrame(frame, picture, x, y, colourOffset, true);
}

bool Tz2DrawNoOffset(MemHandle frame, MemHandle picture, int16_t x, int16_t y,
                     uint32_t colourOffset) {
  return Tz2DrawFrame(frame, picture, x, y, colourOffset, false);
}

// [SECTION] Encoding

namespace {

void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

}  // namespace

std::vector<uint8_t> Tz2Encode(const Tz2Picture& picture, std::string* reason) {
  const auto fail = [reason](const std::string& why) {
    if (reason) *reason = why;
    return std::vector<uint8_t>{};
  };
  const uint16_t w = picture.width, h = picture.height;
  if (w == 0 || h == 0) return fail("the picture has no pixels");
  if (w > kTz2MaxWidth || h > kTz2MaxHeight) {
    return fail("the picture is " + std::to_string(w) + " x " + std::to_string(h) +
                "; a TZ2 picture is at most 640 x 480");
  }
  if (picture.pixels.size() != static_cast<size_t>(w) * h) {
    return fail("the pixel count does not match the picture size");
  }
  if (picture.palette.size() > kTz2MaxColours) {
    return fail("the palette has " + std::to_string(picture.palette.size()) +
                " colours; a TZ2 picture holds at most 236");
  }
  if (picture.firstIndex + picture.palette.size() > kTz2MaxColours) {
    return fail("first index " + std::to_string(picture.firstIndex) + " + " +
                std::to_string(picture.palette.size()) + " colours passes palette entry 235");
  }

  std::vector<uint8_t> out(kTz2Magic, kTz2Magic + sizeof kTz2Magic);
  PutLe16(out, picture.x);
  PutLe16(out, picture.y);
  PutLe16(out, w);
  PutLe16(out, h);
  PutLe16(out, 0);
  PutLe16(out, picture.transparent);
  PutLe16(out, picture.firstIndex);
  PutLe16(out, static_cast<uint16_t>(picture.palette.size()));
  for (const PalEntry& c : picture.palette) {
    out.push_back(c.blue);
    out.push_back(c.green);
    out.push_back(c.red);
  }
  // Rows go bottom line first, the order of the frame they are drawn into.
  std::vector<uint8_t> bottomUp;
  bottomUp.reserve(picture.pixels.size());
  for (int32_t row = h - 1; row >= 0; row--) {
    const auto line = picture.pixels.subspan(static_cast<size_t>(row) * w, w);
    bottomUp.insert(bottomUp.end(), line.begin(), line.end());
  }
  const std::vector<uint8_t> stream = LzssPackStream(bottomUp, LzssCoding::Inverted);
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}
