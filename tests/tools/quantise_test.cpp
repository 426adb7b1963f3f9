// Colour reduction: palette size, transparency kept as entry 0, shared palettes, the same bytes
// every time; and "lntr3tool tz2 encode --colors" on full-colour PNGs as a modder runs it.
#include "tools/tz2/quantise.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/tz2.h"
#include "support/files.h"
#include "support/pictures.h"

namespace {

// A smooth full-colour picture with far more colours than a palette holds; `holes` makes a
// transparent disc in the middle.
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

// Reduces pictures that must be reducible.
QuantResult Reduce(std::span<const QuantPicture> pictures, int colours, float dither) {
  QuantResult result;
  std::string error;
  EXPECT_TRUE(QuantReduce(pictures, colours, dither, result, error)) << error;
  EXPECT_EQ(result.pixels.size(), pictures.size());
  return result;
}

TEST(Quantise, AtMostTheColoursAskedForTheSameEveryTime) {
  const std::vector<uint8_t> rgba = Gradient(64, 48, false);
  const QuantPicture picture{64, 48, rgba};
  const QuantResult result = Reduce({&picture, 1}, 20, 1);
  EXPECT_LE(result.palette.size(), 20u);
  EXPECT_GE(result.palette.size(), 12u);  // a rich picture uses the palette it gets
  EXPECT_EQ(result.transparent, -1);
  ASSERT_EQ(result.pixels[0].size(), 64u * 48);
  for (uint8_t v : result.pixels[0]) ASSERT_LT(v, result.palette.size());
  // The corners keep their colours near enough.
  const PalEntry& corner = result.palette[result.pixels[0][64 * 48 - 1]];
  EXPECT_NEAR(corner.red, 255, 40);
  EXPECT_NEAR(corner.green, 255, 40);
  const QuantResult a = Reduce({&picture, 1}, 20, 0.5f), b = Reduce({&picture, 1}, 20, 0.5f);
  EXPECT_EQ(a.palette, b.palette);
  EXPECT_EQ(a.pixels, b.pixels);
}

TEST(Quantise, TransparencyBecomesEntryZero) {
  const std::vector<uint8_t> rgba = Gradient(40, 40, true);
  const QuantPicture picture{40, 40, rgba};
  const QuantResult result = Reduce({&picture, 1}, 16, 0);
  EXPECT_LE(result.palette.size(), 16u);
  EXPECT_EQ(result.transparent, 0);
  for (size_t i = 0; i < 40 * 40; i++) {
    EXPECT_EQ(result.pixels[0][i] == 0, rgba[i * 4 + 3] < 128) << "pixel " << i;
  }
  // A wholly transparent picture is all entry 0.
  const std::vector<uint8_t> clear(6 * 3 * 4, 0);
  const QuantPicture nothing{6, 3, clear};
  const QuantResult none = Reduce({&nothing, 1}, 48, 1);
  EXPECT_EQ(none.transparent, 0);
  EXPECT_EQ(none.pixels[0], std::vector<uint8_t>(18, 0));
}

TEST(Quantise, FewColoursComeBackExactly) {
  std::vector<uint8_t> rgba(8 * 2 * 4, 255);
  const uint8_t colours[4][3] = {{10, 20, 30}, {200, 0, 0}, {0, 200, 0}, {250, 250, 250}};
  for (size_t i = 0; i < 16; i++) std::memcpy(&rgba[i * 4], colours[i % 4], 3);
  const QuantPicture picture{8, 2, rgba};
  const QuantResult result = Reduce({&picture, 1}, 8, 1);
  for (size_t i = 0; i < 16; i++) {
    const PalEntry& e = result.palette[result.pixels[0][i]];
    EXPECT_EQ((std::array<int, 3>{e.red, e.green, e.blue}),
              (std::array<int, 3>{colours[i % 4][0], colours[i % 4][1], colours[i % 4][2]}));
  }
}

TEST(Quantise, PicturesShareOnePalette) {
  // Two pictures of different colours: each keeps its own, both in the one palette.
  std::vector<uint8_t> red(16 * 16 * 4, 255), blue(16 * 16 * 4, 255);
  for (size_t i = 0; i < 256; i++) {
    red[i * 4 + 1] = red[i * 4 + 2] = 0;
    blue[i * 4] = blue[i * 4 + 1] = 0;
  }
  red[3] = 0;  // one transparent pixel
  const QuantPicture pictures[] = {{16, 16, red}, {16, 16, blue}};
  const QuantResult result = Reduce(pictures, 8, 1);
  EXPECT_EQ(result.transparent, 0);
  EXPECT_EQ(result.pixels[0][0], 0);
  EXPECT_EQ(result.palette[result.pixels[0][5]].red, 255);
  EXPECT_EQ(result.palette[result.pixels[0][5]].blue, 0);
  EXPECT_EQ(result.palette[result.pixels[1][5]].blue, 255);
  EXPECT_EQ(result.palette[result.pixels[1][5]].red, 0);
}

TEST(Quantise, RefusesWhatItCannotDo) {
  const std::vector<uint8_t> rgba(4 * 4 * 4, 255);
  QuantPicture picture{4, 4, rgba};
  QuantResult result;
  std::string error;
  EXPECT_FALSE(QuantReduce({&picture, 1}, 1, 1, result, error));
  EXPECT_FALSE(QuantReduce({&picture, 1}, 257, 1, result, error));
  EXPECT_FALSE(QuantReduce({}, 16, 1, result, error));
  picture.width = 5;  // more pixels claimed than given
  EXPECT_FALSE(QuantReduce({&picture, 1}, 16, 1, result, error));
  EXPECT_FALSE(error.empty());
}

// [SECTION] The tool

class Tz2EncodeColours : public ::testing::Test {
 protected:
  // Runs "lntr3tool tz2 encode ARGS" in the temporary directory; answers the exit status.
  int Encode(const std::string& args) {
    return RunCommand("cd '" + dir.path.string() + "' && '" + kToolBinary + "' tz2 encode " + args,
                      output);
  }
  // The TZ2 file `name` and its header.
  Tz2Header Read(const std::string& name, std::vector<uint8_t>& bytes) {
    bytes = ReadFileBytes(dir.path / name);
    Tz2Header h{};
    EXPECT_TRUE(Tz2ParseHeader(bytes, h)) << name;
    return h;
  }

  TempDir dir;
  std::string output;
};

TEST_F(Tz2EncodeColours, SpritesForACharacterRange) {
  WriteRgbaPng(dir.path / "a.png", 40, 40, Gradient(40, 40, true));
  WriteRgbaPng(dir.path / "b.png", 40, 40, Gradient(40, 40, false));
  ASSERT_EQ(Encode("a.png A.TZ2 b.png B.TZ2 --colors 48 --first-index 124 --dither 0.5"), 0)
      << output;
  std::vector<uint8_t> a, b;
  const Tz2Header ha = Read("A.TZ2", a), hb = Read("B.TZ2", b);
  EXPECT_EQ(ha.transparent, 0);
  EXPECT_EQ(ha.firstIndex, 124);
  EXPECT_LE(ha.colourCount, 48);
  EXPECT_EQ(ha.colourCount, hb.colourCount);
  // One palette for both pictures.
  EXPECT_TRUE(std::equal(a.begin() + kTz2HeaderSize,
                         a.begin() + kTz2HeaderSize + 3 * ha.colourCount,
                         b.begin() + kTz2HeaderSize));
  // Drawn as the game draws a sprite: transparent pixels leave the frame alone.
  std::vector<uint8_t> frame(40 * 40, 7);
  PalEntry palette[kPaletteSize] = {};
  ASSERT_EQ(Tz2DecodeQuiet(frame, palette, a, 40, 40, 0, 0, -1, 124, false), PicError::None);
  EXPECT_EQ(frame[20 * 40 + 15], 7);  // the disc in the middle (left half: alpha 0)
  EXPECT_EQ(frame[20 * 40 + 25], 7);  // (right half: alpha 100 of 255, still transparent)
  EXPECT_GE(frame[0], 124);
  EXPECT_LT(frame[0], 124 + 48);
  // A range that would pass the last palette entry is refused.
  EXPECT_EQ(Encode("a.png X.TZ2 --colors 200 --first-index 124"), 1);
  EXPECT_NE(output.find("passes palette entry 235"), std::string::npos) << output;
  EXPECT_FALSE(std::filesystem::exists(dir.path / "X.TZ2"));
}

TEST_F(Tz2EncodeColours, OpaquePicturesEachWithItsOwnPaletteOrShared) {
  std::vector<uint8_t> red(8 * 8 * 4, 255), blue(8 * 8 * 4, 255);
  for (size_t i = 0; i < 64; i++) {
    red[i * 4 + 1] = red[i * 4 + 2] = 0;
    blue[i * 4] = blue[i * 4 + 1] = 0;
  }
  WriteRgbaPng(dir.path / "r.png", 8, 8, red);
  WriteRgbaPng(dir.path / "b.png", 8, 8, blue);
  ASSERT_EQ(Encode("r.png R.TZ2 b.png B.TZ2 --colors 4 --each"), 0) << output;
  std::vector<uint8_t> r, b;
  const Tz2Header h = Read("R.TZ2", r);
  // Opaque pictures keep no transparent entry and start at entry 0, as backgrounds do.
  EXPECT_EQ(h.transparent, kTz2NoTransparent);
  EXPECT_EQ(h.firstIndex, 0);
  EXPECT_EQ(h.colourCount, 1);
  EXPECT_EQ(Read("B.TZ2", b).colourCount, 1);
  EXPECT_EQ(r[24 + 2], 255);  // red, stored blue, green, red
  EXPECT_EQ(b[24], 255);      // blue
  ASSERT_EQ(Encode("r.png R.TZ2 b.png B.TZ2 --colors 4"), 0) << output;
  EXPECT_EQ(Read("R.TZ2", r).colourCount, 2);  // shared: both colours
}

}  // namespace
