// lntr3tool font build and show, run as a modder would on the Debian fonts the build installs:
// file size and bit order, the shapes of a few known characters, the builder's own symbols,
// fallback faces and missing glyphs, and the refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "support/files.h"
#include "tools/charset/charset.h"

namespace {

namespace fs = std::filesystem;

const std::string kGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const std::string kMincho = "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf";
const std::string kRounded = "/usr/share/fonts/truetype/motoya-l-maruberi/MTLmr3m.ttf";

// One glyph read back from a font file: ink[y][x].
using Bitmap = std::array<std::array<bool, 24>, 24>;

std::string Tool() {
  return "'" + kToolBinary + "'";
}

// Glyph of `code` (glyph code - 1), decoded as the engine draws it: rows of three bytes, the
// top bit leftmost.
Bitmap GlyphOf(const std::vector<uint8_t>& font, uint16_t code) {
  Bitmap ink{};
  const size_t base = static_cast<size_t>(code - 1) * 72;
  for (int y = 0; y < 24; y++) {
    for (int x = 0; x < 24; x++) {
      ink[y][x] = (font.at(base + static_cast<size_t>(y * 3 + x / 8)) >> (7 - x % 8)) & 1;
    }
  }
  return ink;
}

Bitmap GlyphOf(const std::vector<uint8_t>& font, char32_t character) {
  const std::optional<uint16_t> code = CharsetCode(character);
  EXPECT_TRUE(code);
  return GlyphOf(font, code.value_or(1));
}

int Ink(const Bitmap& glyph) {
  int count = 0;
  for (const auto& row : glyph) count += static_cast<int>(std::count(row.begin(), row.end(), true));
  return count;
}

int RowInk(const Bitmap& glyph, int y) {
  return static_cast<int>(std::count(glyph[y].begin(), glyph[y].end(), true));
}

int ColumnInk(const Bitmap& glyph, int x) {
  int count = 0;
  for (int y = 0; y < 24; y++) count += glyph[y][x];
  return count;
}

// Runs of consecutive inked rows (horizontal bands).
int Bands(const Bitmap& glyph) {
  int bands = 0;
  for (int y = 0; y < 24; y++) {
    if (RowInk(glyph, y) && (y == 0 || !RowInk(glyph, y - 1))) bands++;
  }
  return bands;
}

class FontToolTest : public ::testing::Test {
 protected:
  // One gothic build shared by the suite: rendering the whole charset takes a while.
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    std::string output;
    status_ = RunCommand(Tool() + " font build --font '" + kGothic + "' '" +
                             (dir_->path / "KNJ_ALL.KNJ").string() + "'",
                         output);
    output_ = new std::string(output);
    font_ = new std::vector<uint8_t>(ReadFileBytes(dir_->path / "KNJ_ALL.KNJ"));
  }
  static void TearDownTestSuite() {
    delete font_;
    delete output_;
    delete dir_;
  }
  void SetUp() override { ASSERT_EQ(status_, 0) << *output_; }
  // Runs "lntr3tool font ARGS"; answers the exit status.
  static int Font(const std::string& args, std::string& output) {
    return RunCommand(Tool() + " font " + args, output);
  }

  std::string P(const std::string& name) const { return (dir_->path / name).string(); }

  static TempDir* dir_;
  static int status_;
  static std::string* output_;
  static std::vector<uint8_t>* font_;
};

TempDir* FontToolTest::dir_ = nullptr;
int FontToolTest::status_ = -1;
std::string* FontToolTest::output_ = nullptr;
std::vector<uint8_t>* FontToolTest::font_ = nullptr;

TEST_F(FontToolTest, FileHoldsOneGlyphPerCodeAndEveryCharacterHasInk) {
  EXPECT_EQ(font_->size(), 72U * CharsetLastCode());
  EXPECT_NE(output_->find("0 missing"), std::string::npos) << *output_;
  for (uint16_t code = 1; code <= CharsetLastCode(); code++) {
    const bool blank = code == 258 || CharsetCharacter(code) == U'\u3000';
    EXPECT_EQ(Ink(GlyphOf(*font_, code)) == 0, blank) << std::hex << code;
  }
}

TEST_F(FontToolTest, KnownCharactersHaveTheirShapes) {
  // 一: one wide horizontal band; 二 and 三: two and three.
  const Bitmap one = GlyphOf(*font_, U'一');
  EXPECT_EQ(Bands(one), 1);
  int widest = 0;
  for (int y = 0; y < 24; y++) widest = std::max(widest, RowInk(one, y));
  EXPECT_GE(widest, 16);
  EXPECT_EQ(Bands(GlyphOf(*font_, U'二')), 2);
  EXPECT_EQ(Bands(GlyphOf(*font_, U'三')), 3);
  // 口: closed outline, empty middle.
  const Bitmap mouth = GlyphOf(*font_, U'口');
  EXPECT_FALSE(mouth[12][12]);
  EXPECT_GT(Ink(mouth), 40);
  // Ｌ: its tallest column lies left of the middle, its widest row below it (a swapped bit
  // order or upside-down rows would move them).
  const Bitmap ell = GlyphOf(*font_, U'Ｌ');
  int tallColumn = 0, wideRow = 0;
  for (int i = 0; i < 24; i++) {
    if (ColumnInk(ell, i) > ColumnInk(ell, tallColumn)) tallColumn = i;
    if (RowInk(ell, i) > RowInk(ell, wideRow)) wideRow = i;
  }
  EXPECT_LT(tallColumn, 12);
  EXPECT_GT(wideRow, 12);
  // Ink keeps off the cell's edges, so the drop shadow never meets the next cell's text.
  for (char32_t character : std::u32string(U"永鬱Ｗ漢あ")) {
    const Bitmap glyph = GlyphOf(*font_, character);
    for (int i = 0; i < 24; i++) {
      EXPECT_FALSE(glyph[0][i] || glyph[23][i] || glyph[i][0] || glyph[i][23]);
    }
  }
}

TEST_F(FontToolTest, CursorAndArrowSymbolsPointTheirWay) {
  const Bitmap right = GlyphOf(*font_, uint16_t{0xFA});
  const Bitmap left = GlyphOf(*font_, uint16_t{0xF9});
  const Bitmap up = GlyphOf(*font_, uint16_t{0xFB});
  const Bitmap down = GlyphOf(*font_, uint16_t{0xFC});
  const Bitmap page = GlyphOf(*font_, uint16_t{0xFD});
  for (const Bitmap* glyph : {&right, &left, &up, &down, &page}) EXPECT_GT(Ink(*glyph), 60);
  // A triangle's ink narrows towards its tip; back mirrors forward, up mirrors down.
  EXPECT_GT(ColumnInk(right, 7), ColumnInk(right, 16));
  EXPECT_GT(ColumnInk(left, 16), ColumnInk(left, 7));
  EXPECT_GT(RowInk(up, 16), RowInk(up, 7));
  EXPECT_GT(RowInk(down, 7), RowInk(down, 16));
  for (int y = 0; y < 24; y++) {
    for (int x = 0; x < 24; x++) {
      EXPECT_EQ(right[y][x], left[y][23 - x]);
      EXPECT_EQ(up[y][x], down[23 - y][x]);
    }
  }
  // The page cursor differs from the next-page arrow: it rests on a bar.
  EXPECT_NE(page, down);
  EXPECT_EQ(Bands(page), 2);
}

TEST_F(FontToolTest, ShowPrintsTheFileBits) {
  std::string output;
  ASSERT_EQ(Font("show " + P("KNJ_ALL.KNJ") + " 0x25E 258 一", output), 0) << output;
  const Bitmap one = GlyphOf(*font_, U'一');
  std::string expected = "0x025E 一\n";
  for (int y = 0; y < 24; y++) {
    for (int x = 0; x < 24; x++) expected += one[y][x] ? '#' : '.';
    expected += '\n';
  }
  std::string blank = "0x0102 blank\n";
  for (int y = 0; y < 24; y++) blank += std::string(24, '.') + '\n';
  EXPECT_EQ(output, expected + blank + expected);
  ASSERT_EQ(Font("show " + P("KNJ_ALL.KNJ") + " cursor-page", output), 0);
  EXPECT_EQ(output.substr(0, 19), "0x00FD cursor-page\n");
}

TEST_F(FontToolTest, RefusesCodesAndFontsItCannotUse) {
  std::string output;
  EXPECT_EQ(Font("show " + P("KNJ_ALL.KNJ") + " 0x1FFE", output), 1);
  EXPECT_NE(output.find("beyond the font"), std::string::npos) << output;
  EXPECT_EQ(Font("show " + P("KNJ_ALL.KNJ") + " 0", output), 1);
  EXPECT_EQ(Font("show " + P("KNJ_ALL.KNJ") + " abc", output), 1);
  EXPECT_NE(output.find("'a' is not in the charset"), std::string::npos) << output;
  EXPECT_EQ(Font("show " + P("NONE.KNJ") + " 1", output), 1);
  EXPECT_EQ(Font("build --font " + P("none.ttf") + " " + P("X.KNJ"), output), 1);
  EXPECT_NE(output.find("cannot open face 0"), std::string::npos) << output;
  EXPECT_EQ(Font("build --face 3 --font '" + kGothic + "' " + P("X.KNJ"), output), 1);
  EXPECT_EQ(Font("build --font " + P("KNJ_ALL.KNJ") + " " + P("X.KNJ"), output), 1);
  EXPECT_FALSE(fs::exists(P("X.KNJ")));
}

TEST_F(FontToolTest, OtherFacesSizesAndFallbacks) {
  std::string output;
  // A smaller em gives a narrower 一; mincho draws 永 differently from gothic.
  ASSERT_EQ(Font("build --size 16 --font '" + kMincho + "' " + P("M16.KNJ"), output), 0) << output;
  const std::vector<uint8_t> small = ReadFileBytes(P("M16.KNJ"));
  int widestSmall = 0, widest = 0;
  for (int y = 0; y < 24; y++) {
    widestSmall = std::max(widestSmall, RowInk(GlyphOf(small, U'一'), y));
    widest = std::max(widest, RowInk(GlyphOf(*font_, U'一'), y));
  }
  EXPECT_LT(widestSmall, widest);
  EXPECT_NE(GlyphOf(small, U'永'), GlyphOf(*font_, U'永'));

  // The rounded face lacks a few characters: listed, and --strict writes nothing; a fallback
  // face fills them.
  ASSERT_EQ(Font("build --font '" + kRounded + "' " + P("R.KNJ"), output), 0);
  EXPECT_NE(output.find("has no glyph for"), std::string::npos) << output;
  EXPECT_NE(output.find("♥"), std::string::npos) << output;
  EXPECT_EQ(Ink(GlyphOf(ReadFileBytes(P("R.KNJ")), U'♥')), 0);
  EXPECT_EQ(Font("build --strict --font '" + kRounded + "' " + P("S.KNJ"), output), 1);
  EXPECT_FALSE(fs::exists(P("S.KNJ")));
  ASSERT_EQ(
      Font("build --strict --font '" + kRounded + "' --fallback '" + kGothic + "' " + P("F.KNJ"),
           output),
      0)
      << output;
  const std::vector<uint8_t> filled = ReadFileBytes(P("F.KNJ"));
  EXPECT_EQ(GlyphOf(filled, U'♥'), GlyphOf(*font_, U'♥'));
  EXPECT_NE(GlyphOf(filled, U'永'), GlyphOf(*font_, U'永'));
  // Characters the face has only in their Windows-style form are taken in that form.
  EXPECT_GT(Ink(GlyphOf(filled, U'−')), 0);
}

}  // namespace
