// Colour reduction: palette size, transparency kept as entry 0, the same bytes every time; and
// "lntr3tool tz2 encode --colors" on full-colour PNGs as a modder runs it, with one palette
// shared by several pictures or one each.
#include "tools/tz2/quantise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/tz2.h"
#include "support/pictures.h"
#include "support/tool_run.h"

namespace {

// A smooth full-colour picture with far more colours than a palette holds; `holes` makes a
// transparent disc in the middle (alpha 0 on its left half, 100 on its right).
std::vector<uint8_t> Gradient(uint32_t w, uint32_t h, bool holes) {
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
  for (uint32_t y = 0; y < h; y++) {
    for (uint32_t x = 0; x < w; x++) {
      uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = static_cast<uint8_t>(x * 255 / (w - 1));
      p[1] = static_cast<uint8_t>(y * 255 / (h - 1));
      p[2] = static_cast<uint8_t>((x + y) * 127 / (w + h));
      const int dx = static_cast<int>(x) - static_cast<int>(w / 2),
                dy = static_cast<int>(y) - static_cast<int>(h / 2);
      p[3] = holes && dx * dx + dy * dy < 100 ? (dx > 0 ? 100 : 0) : 255;
    }
  }
  return rgba;
}

// Reduces one picture that must be reducible.
QuantResult Reduce(const std::vector<uint8_t>& rgba, uint32_t w, uint32_t h, int colours,
                   float dither) {
  const QuantPicture picture{w, h, rgba};
  QuantResult result;
  std::string error;
  EXPECT_TRUE(QuantReduce({&picture, 1}, colours, dither, result, error)) << error;
  EXPECT_EQ(result.pixels.size(), 1u);
  return result;
}

TEST(Quantise, AtMostTheColoursAskedForTheSameEveryTime) {
  const std::vector<uint8_t> rgba = Gradient(64, 48, false);
  const QuantResult result = Reduce(rgba, 64, 48, 20, 1);
  EXPECT_LE(result.palette.size(), 20u);
  EXPECT_GE(result.palette.size(), 12u);  // a rich picture uses the palette it gets
  EXPECT_EQ(result.transparent, -1);
  ASSERT_EQ(result.pixels[0].size(), 64u * 48);
  for (uint8_t v : result.pixels[0]) ASSERT_LT(v, result.palette.size());
  const QuantResult a = Reduce(rgba, 64, 48, 20, 0.5f), b = Reduce(rgba, 64, 48, 20, 0.5f);
  EXPECT_EQ(a.palette, b.palette);
  EXPECT_EQ(a.pixels, b.pixels);
}

TEST(Quantise, TransparencyBecomesEntryZero) {
  const std::vector<uint8_t> rgba = Gradient(40, 40, true);
  const QuantResult result = Reduce(rgba, 40, 40, 16, 0);
  EXPECT_LE(result.palette.size(), 16u);
  EXPECT_EQ(result.transparent, 0);
  for (size_t i = 0; i < 40 * 40; i++) {
    EXPECT_EQ(result.pixels[0][i] == 0, rgba[i * 4 + 3] < 128) << "pixel " << i;
  }
  // A wholly transparent picture is all entry 0.
  const QuantResult none = Reduce(std::vector<uint8_t>(6 * 3 * 4, 0), 6, 3, 48, 1);
  EXPECT_EQ(none.transparent, 0);
  EXPECT_EQ(none.pixels[0], std::vector<uint8_t>(18, 0));
}

TEST(Quantise, FewColoursComeBackExactly) {
  std::vector<uint8_t> rgba(8 * 2 * 4, 255);
  const uint8_t colours[4][3] = {{10, 20, 30}, {200, 0, 0}, {0, 200, 0}, {250, 250, 250}};
  for (size_t i = 0; i < 16; i++) std::memcpy(&rgba[i * 4], colours[i % 4], 3);
  const QuantResult result = Reduce(rgba, 8, 2, 8, 1);
  for (size_t i = 0; i < 16; i++) {
    const PalEntry& e = result.palette[result.pixels[0][i]];
    EXPECT_EQ((std::array<int, 3>{e.red, e.green, e.blue}),
              (std::array<int, 3>{colours[i % 4][0], colours[i % 4][1], colours[i % 4][2]}));
  }
}

// [SECTION] The tool

class Tz2EncodeColours : public ToolRunTest {
 protected:
  // The TZ2 file `name`, its header, and its w x h picture drawn as the game draws a sprite
  // (colour offset from the header) on a frame of colour 7.
  Tz2Header Read(const std::string& name, std::vector<uint8_t>& bytes, std::vector<uint8_t>& frame,
                 std::array<PalEntry, kPaletteSize>& palette, uint16_t w, uint16_t h) {
    bytes = ReadFileBytes(At(name));
    Tz2Header header{};
    EXPECT_TRUE(Tz2ParseHeader(bytes, header)) << name;
    frame.assign(w * h, 7);
    EXPECT_EQ(Tz2DecodeQuiet(frame, palette, bytes, w, h, 0, 0, -1, header.firstIndex, false),
              PicError::None);
    return header;
  }
};

TEST_F(Tz2EncodeColours, SpritesForACharacterRange) {
  WriteRgbaPng(At("a.png"), 40, 40, Gradient(40, 40, true));
  WriteRgbaPng(At("b.png"), 40, 40, Gradient(40, 40, false));
  ASSERT_EQ(Tool("tz2 encode a.png A.TZ2 b.png B.TZ2 --colors 48 --first-index 124 --dither 0.5"),
            0)
      << output;
  std::vector<uint8_t> a, b, frame;
  std::array<PalEntry, kPaletteSize> palette{};
  const Tz2Header hb = Read("B.TZ2", b, frame, palette, 40, 40);
  const Tz2Header ha = Read("A.TZ2", a, frame, palette, 40, 40);
  EXPECT_EQ(ha.transparent, 0);
  EXPECT_EQ(ha.firstIndex, 124);
  EXPECT_LE(ha.colourCount, 48);
  EXPECT_EQ(ha.colourCount, hb.colourCount);
  // One palette for both pictures.
  EXPECT_TRUE(std::equal(a.begin() + kTz2HeaderSize,
                         a.begin() + kTz2HeaderSize + 3 * ha.colourCount,
                         b.begin() + kTz2HeaderSize));
  // Transparent pixels leave the frame alone, whether their alpha is 0 or just under half.
  EXPECT_EQ(frame[20 * 40 + 15], 7);
  EXPECT_EQ(frame[20 * 40 + 25], 7);
  EXPECT_GE(frame[0], 124);
  EXPECT_LT(frame[0], 124 + 48);
  // A range that would pass the last palette entry is wrong usage.
  EXPECT_EQ(Tool("tz2 encode a.png X.TZ2 --colors 200 --first-index 124"), 2);
  EXPECT_FALSE(std::filesystem::exists(At("X.TZ2")));
}

TEST_F(Tz2EncodeColours, OpaquePicturesEachWithItsOwnPaletteOrShared) {
  std::vector<uint8_t> red(8 * 8 * 4, 255), blue(8 * 8 * 4, 255);
  for (size_t i = 0; i < 64; i++) {
    red[i * 4 + 1] = red[i * 4 + 2] = 0;
    blue[i * 4] = blue[i * 4 + 1] = 0;
  }
  WriteRgbaPng(At("r.png"), 8, 8, red);
  WriteRgbaPng(At("b.png"), 8, 8, blue);
  std::vector<uint8_t> bytes, frame;
  std::array<PalEntry, kPaletteSize> palette{};
  // Opaque pictures keep no transparent entry and start at entry 0, as backgrounds do; each
  // keeps its own colour, with a palette of its own or in the shared one.
  for (const char* shared : {" --each", ""}) {
    ASSERT_EQ(Tool(std::string("tz2 encode r.png R.TZ2 b.png B.TZ2 --colors 4") + shared), 0)
        << output;
    const Tz2Header h = Read("R.TZ2", bytes, frame, palette, 8, 8);
    EXPECT_EQ(h.transparent, kTz2NoTransparent);
    EXPECT_EQ(h.firstIndex, 0);
    EXPECT_EQ(h.colourCount, *shared ? 1 : 2);
    EXPECT_EQ(palette[frame[9]], (PalEntry{255, 0, 0, PC_RESERVED})) << shared;
    Read("B.TZ2", bytes, frame, palette, 8, 8);
    EXPECT_EQ(palette[frame[9]], (PalEntry{0, 0, 255, PC_RESERVED})) << shared;
  }
}

}  // namespace
