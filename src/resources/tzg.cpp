// TZG pictures: the 16-colour overlay decoder that draws into a frame, its drawing call, and
// the encoder behind the authoring tools.
#include "resources/tzg.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/lzss.h"

namespace {

constexpr const char* kTzgErrorCaption = "ＧＲＰ展開エラー";
constexpr uint32_t kTzgPaletteOffset = 8;
constexpr uint32_t kTzgColourTableEntries = 16;

// Literals are de-interleaved as they are read, so the ring holds plain pixel pairs.
constexpr std::array<uint8_t, 256> kDeinterleave = [] {
  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; i++) table[i] = TzgDeinterleave(static_cast<uint8_t>(i));
  return table;
}();

// The encoder's way back: the stored byte for each pixel pair.
constexpr std::array<uint8_t, 256> kInterleave = [] {
  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; i++) table[kDeinterleave[i]] = static_cast<uint8_t>(i);
  return table;
}();

bool HasMagic(std::span<const uint8_t> src) {
  return src.size() >= sizeof kTzgMagic && !std::memcmp(src.data(), kTzgMagic, sizeof kTzgMagic);
}

// Where the decoded pairs go and the walk through the layout.
struct TzgWalk {
  uint8_t* pixels;
  int32_t frameWidth, frameHeight;
  int32_t x, y;  // frame position of the picture's top-left pixel
  int32_t pairsPerRow, height;
  bool strips;
  uint8_t transparent;  // 16 and above: none
  int32_t pair = 0, row = 0;

  void Put(int32_t px, int32_t py, uint8_t v) const {
    if (v == transparent || px < 0 || px >= frameWidth || py < 0 || py >= frameHeight) return;
    pixels[static_cast<size_t>(frameHeight - 1 - py) * frameWidth + px] = v;
  }
  void Pair(uint8_t v) {
    const int32_t px = x + 2 * pair, py = y + row;
    Put(px, py, v >> 4);
    Put(px + 1, py, v & 15);
    if (strips) {
      if (++row == height) {
        row = 0;
        pair++;
      }
    } else if (++pair == pairsPerRow) {
      pair = 0;
      row++;
    }
  }
};

}  // namespace

// [SECTION] Decoding

bool TzgReadHeader(std::span<const uint8_t> src, TzgHeader& header) {
  if (src.size() < kTzgHeaderSize || !HasMagic(src)) return false;
  const uint8_t* p = src.data();
  header.x0 = static_cast<int16_t>(ReadLe16(p + 32));
  header.y0 = static_cast<int16_t>(ReadLe16(p + 34));
  header.x1 = static_cast<int16_t>(ReadLe16(p + 36));
  header.y1 = static_cast<int16_t>(ReadLe16(p + 38));
  header.layout = p[40];
  header.transparent = p[41];
  header.byteCount = static_cast<int32_t>(ReadLe32(p + 44));
  return true;
}

bool TzgReadPalette(std::span<const uint8_t> src, std::span<PalEntry, kTzgColours> colours) {
  if (src.size() < kTzgPaletteOffset + kTzgColours * 3 / 2) return false;
  // 48 four-bit values, high nibble first: red, green, blue of colour 0, then colour 1, ...
  const auto value = [&](int n) {
    const uint8_t b = src[kTzgPaletteOffset + n / 2];
    const uint8_t v = n % 2 ? b & 15 : b >> 4;
    return static_cast<uint8_t>(v * 255 / 15);
  };
  for (int k = 0; k < kTzgColours; k++) {
    colours[k] = PalEntry{value(3 * k), value(3 * k + 1), value(3 * k + 2), PC_RESERVED};
  }
  return true;
}

PicError TzgDecodeQuiet(std::span<uint8_t> pixels, std::span<uint8_t> colourTable,
                        std::span<PalEntry> palette, std::span<const uint8_t> src,
                        uint16_t frameWidth, uint16_t frameHeight, int16_t x, int16_t y,
                        bool useHeaderPosition) {
  if (static_cast<size_t>(frameWidth) * frameHeight > pixels.size() ||
      colourTable.size() < 2 * kTzgColourTableEntries) {
    return PicError::BadFrame;
  }
  TzgHeader h;
  if (!TzgReadHeader(src, h)) return PicError::BadData;

  PalEntry colours[kTzgColours];
  TzgReadPalette(src, colours);
  colours[15] = PalEntry{255, 255, 255, PC_RESERVED};
  for (size_t k = 0; k < kTzgColours && k < palette.size(); k++) palette[k] = colours[k];
  for (uint32_t i = 0; i < kTzgColourTableEntries; i++) {
    colourTable[2 * i] = static_cast<uint8_t>(i);
    colourTable[2 * i + 1] = 0;
  }

  if (h.layout != kTzgLayoutStrips && h.layout != kTzgLayoutRows) return PicError::BadVersion;
  if (h.byteCount <= 0) return PicError::NoPixels;
  const int32_t width = (h.x1 - h.x0) * 8 + 8;
  const int32_t height = h.y1 - h.y0 + 1;
  if (width <= 0 || height <= 0) return PicError::BadData;
  // Decoding ends with the byte count or with the last strip or row, whichever comes first.
  const uint64_t pairs = static_cast<uint64_t>(width / 2) * static_cast<uint64_t>(height);
  const uint32_t count =
      static_cast<uint32_t>(std::min<uint64_t>(pairs, static_cast<uint64_t>(h.byteCount)));
  const std::span<const uint8_t> stream = src.subspan(kTzgHeaderSize);
  // The pairs are decoded before anything is drawn, so that a damaged stream leaves the frame
  // as it was. A count beyond what the stream could hold is damage found without decoding.
  if (count > stream.size() * kLzssMaxExpansion) return PicError::BadData;
  std::vector<uint8_t> decoded(count);
  if (!LzssDecode(decoded, stream, LzssCoding::Plain, kDeinterleave.data())) {
    return PicError::BadData;
  }

  int32_t px = x, py = y;
  if (useHeaderPosition) {
    px += h.x0 * 8;
    py += h.y0;
  }
  RectSet(DirtyRect, px, py, px + width, py + height);
  TzgWalk walk{pixels.data(),
               frameWidth,
               frameHeight,
               px,
               py,
               width / 2,
               height,
               h.layout == kTzgLayoutStrips,
               h.transparent};
  for (const uint8_t pair : decoded) walk.Pair(pair);
  return PicError::None;
}

bool TzgDecode(std::span<uint8_t> pixels, std::span<uint8_t> colourTable,
               std::span<PalEntry> palette, std::span<const uint8_t> src, uint16_t frameWidth,
               uint16_t frameHeight, int16_t x, int16_t y, bool useHeaderPosition) {
  const PicError error = TzgDecodeQuiet(pixels, colourTable, palette, src, frameWidth, frameHeight,
                                        x, y, useHeaderPosition);
  PicShowError(kTzgErrorCaption, error);
  return error == PicError::None;
}

bool TzgDraw(MemHandle frame, MemHandle picture, int16_t x, int16_t y) {
  uint8_t* frameData = MemLock(frame);
  uint8_t* pictureData = MemLock(picture);
  std::span<uint8_t> pixels, colourTable;
  if (frameData && MemSize(frame) >= kFramePixelsOffset + kFramePixelCount) {
    pixels = std::span<uint8_t>(frameData + kFramePixelsOffset, kFramePixelCount);
    colourTable = std::span<uint8_t>(frameData + kFrameColourTableOffset,
                                     kFramePixelsOffset - kFrameColourTableOffset);
  }
  std::span<const uint8_t> src;
  if (pictureData) src = std::span<const uint8_t>(pictureData, MemSize(picture));
  const bool drawn =
      TzgDecode(pixels, colourTable, ScenePalette, src, kFrameWidth, kFrameHeight, x, y, true);
  if (pictureData) MemUnlock(picture);
  if (frameData) MemUnlock(frame);
  return drawn;
}

// [SECTION] Encoding

std::vector<uint8_t> TzgEncode(const TzgPicture& picture, std::string* reason) {
  const auto fail = [reason](const std::string& why) {
    if (reason) *reason = why;
    return std::vector<uint8_t>{};
  };
  const int32_t w = picture.width, h = picture.height;
  if (w == 0 || h == 0) return fail("the picture has no pixels");
  if (w % 8) return fail("the width " + std::to_string(w) + " is not a multiple of 8");
  if (picture.pixels.size() != static_cast<size_t>(w) * h) {
    return fail("the pixel count does not match the picture size");
  }
  if (picture.palette.size() > kTzgColours) {
    return fail("the palette has " + std::to_string(picture.palette.size()) +
                " colours; a TZG picture holds at most 16");
  }
  const int32_t x1 = picture.x0 + w / 8 - 1, y1 = picture.y0 + h - 1;
  if (x1 > INT16_MAX || y1 > INT16_MAX) return fail("the picture reaches too far right or down");
  for (uint8_t v : picture.pixels) {
    if (v >= kTzgColours) return fail("a pixel uses colour " + std::to_string(v) + " of 0..15");
  }
  if (picture.layout != kTzgLayoutStrips && picture.layout != kTzgLayoutRows) {
    return fail("unknown layout " + std::to_string(picture.layout));
  }

  std::vector<uint8_t> out(kTzgHeaderSize, 0);
  std::memcpy(out.data(), kTzgMagic, sizeof kTzgMagic);
  // Colours keep four bits a component; round to the nearest of 0, 17, ..., 255.
  const auto nibble = [&](int n) -> uint8_t {
    const int k = n / 3;
    if (static_cast<size_t>(k) >= picture.palette.size()) return 0;
    const PalEntry& c = picture.palette[k];
    const uint8_t v = n % 3 == 0 ? c.red : n % 3 == 1 ? c.green : c.blue;
    return static_cast<uint8_t>((v + 8) / 17);
  };
  for (int n = 0; n < kTzgColours * 3; n += 2) {
    out[kTzgPaletteOffset + n / 2] = static_cast<uint8_t>(nibble(n) << 4 | nibble(n + 1));
  }
  const auto put16 = [&out](size_t at, int32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  put16(32, picture.x0);
  put16(34, picture.y0);
  put16(36, x1);
  put16(38, y1);
  out[40] = picture.layout;
  out[41] = picture.transparent;
  const uint32_t byteCount = static_cast<uint32_t>(w / 2) * static_cast<uint32_t>(h);
  for (int i = 0; i < 4; i++) out[44 + i] = static_cast<uint8_t>(byteCount >> 8 * i);

  std::vector<uint8_t> pairs;
  pairs.reserve(byteCount);
  const auto pair = [&](int32_t px, int32_t row) {
    const uint8_t* p = &picture.pixels[static_cast<size_t>(row) * w + px];
    pairs.push_back(static_cast<uint8_t>(p[0] << 4 | p[1]));
  };
  if (picture.layout == kTzgLayoutStrips) {
    for (int32_t px = 0; px < w; px += 2) {
      for (int32_t row = 0; row < h; row++) pair(px, row);
    }
  } else {
    for (int32_t row = 0; row < h; row++) {
      for (int32_t px = 0; px < w; px += 2) pair(px, row);
    }
  }
  const std::vector<uint8_t> stream = LzssPackStream(pairs, LzssCoding::Plain, kInterleave.data());
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}
