// lntr3tool font build and show, run as a modder would on the Debian fonts the build installs:
// file size and bit order, the shapes of a few known characters, the builder's own symbols,
// fallback faces and missing glyphs, the refusals, and the name lists made into the engine's
// header.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "support/tool_run.h"
#include "tools/charset/charset.h"

namespace {

namespace fs = std::filesystem;

const std::string kGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
const std::string kMincho = "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf";
const std::string kRounded = "/usr/share/fonts/truetype/motoya-l-maruberi/MTLmr3m.ttf";

// One glyph read back from a font file as the engine draws it: rows of three bytes, the top
// bit leftmost; ink[y][x].
struct Glyph {
  std::array<std::array<bool, 24>, 24> ink{};
  bool operator==(const Glyph&) const = default;

  int Row(int y) const { return static_cast<int>(std::count(ink[y].begin(), ink[y].end(), true)); }
  int Column(int x) const {
    int count = 0;
    for (const auto& row : ink) count += row[x];
    return count;
  }
  int Total() const {
    int count = 0;
    for (int y = 0; y < 24; y++) count += Row(y);
    return count;
  }
  int Widest() const {
    int widest = 0;
    for (int y = 0; y < 24; y++) widest = std::max(widest, Row(y));
    return widest;
  }
  // Runs of consecutive inked rows (horizontal bands).
  int Bands() const {
    int bands = 0;
    for (int y = 0; y < 24; y++) bands += Row(y) && (y == 0 || !Row(y - 1));
    return bands;
  }
};

// The glyph of a code (glyph code - 1 in the file) or of a character.
Glyph GlyphOf(const std::vector<uint8_t>& font, uint16_t code) {
  Glyph glyph;
  const size_t base = static_cast<size_t>(code - 1) * 72;
  for (int y = 0; y < 24; y++) {
    for (int x = 0; x < 24; x++)
      glyph.ink[y][x] = (font.at(base + static_cast<size_t>(y * 3 + x / 8)) >> (7 - x % 8)) & 1;
  }
  return glyph;
}
Glyph GlyphOf(const std::vector<uint8_t>& font, char32_t character) {
  const std::optional<uint16_t> code = CharsetCode(character);
  EXPECT_TRUE(code);
  return GlyphOf(font, code.value_or(1));
}

// One gothic build shared by the tests: rendering the whole charset takes a while.
struct GothicFont {
  TempDir dir;
  std::string path = (dir.path / "KNJ_ALL.KNJ").string(), output;
  int status = RunCommand(
      "'" + kToolBinary + "' font build --font '" + kGothic + "' '" + path + "'", output);
  std::vector<uint8_t> bytes = ReadFileBytes(path);
};

class FontToolTest : public ToolRunTest {
 protected:
  static const GothicFont& Gothic() {
    static const GothicFont built;
    return built;
  }
  void SetUp() override { ASSERT_EQ(gothic.status, 0) << gothic.output; }
  const GothicFont& gothic = Gothic();
  const std::vector<uint8_t>& font = gothic.bytes;
};

TEST_F(FontToolTest, FileHoldsOneGlyphPerCodeAndEveryCharacterHasInk) {
  EXPECT_EQ(font.size(), 72U * CharsetLastCode());
  EXPECT_NE(gothic.output.find("0 missing"), std::string::npos) << gothic.output;
  for (uint16_t code = 1; code <= CharsetLastCode(); code++) {
    const bool blank = code == 258 || CharsetCharacter(code) == U'\u3000';
    EXPECT_EQ(GlyphOf(font, code).Total() == 0, blank) << std::hex << code;
  }
}

TEST_F(FontToolTest, KnownCharactersHaveTheirShapes) {
  // 一: one wide horizontal band; 三: three.
  EXPECT_EQ((std::array{GlyphOf(font, U'一').Bands(), GlyphOf(font, U'三').Bands()}),
            (std::array{1, 3}));
  EXPECT_GE(GlyphOf(font, U'一').Widest(), 16);
  // Ｌ: its tallest column lies left of the middle, its widest row below it (a swapped bit
  // order or upside-down rows would move them).
  const Glyph ell = GlyphOf(font, U'Ｌ');
  int tallColumn = 0, wideRow = 0;
  for (int i = 0; i < 24; i++) {
    if (ell.Column(i) > ell.Column(tallColumn)) tallColumn = i;
    if (ell.Row(i) > ell.Row(wideRow)) wideRow = i;
  }
  EXPECT_LT(tallColumn, 12);
  EXPECT_GT(wideRow, 12);
  // Ink keeps off the cell's edges, so the drop shadow never meets the next cell's text.
  for (char32_t character : std::u32string(U"永鬱Ｗ漢あ")) {
    const Glyph glyph = GlyphOf(font, character);
    EXPECT_EQ(glyph.Row(0) + glyph.Row(23) + glyph.Column(0) + glyph.Column(23), 0);
  }
}

TEST_F(FontToolTest, CursorAndArrowSymbolsPointTheirWay) {
  const Glyph right = GlyphOf(font, uint16_t{0xFA}), left = GlyphOf(font, uint16_t{0xF9});
  const Glyph up = GlyphOf(font, uint16_t{0xFB}), down = GlyphOf(font, uint16_t{0xFC});
  const Glyph page = GlyphOf(font, uint16_t{0xFD});
  for (const Glyph* glyph : {&right, &left, &up, &down, &page}) EXPECT_GT(glyph->Total(), 60);
  // A triangle's ink narrows towards its tip; back mirrors forward, up mirrors down.
  EXPECT_GT(right.Column(7), right.Column(16));
  EXPECT_GT(up.Row(16), up.Row(7));
  for (int y = 0; y < 24; y++) {
    for (int x = 0; x < 24; x++) {
      EXPECT_EQ(right.ink[y][x], left.ink[y][23 - x]);
      EXPECT_EQ(up.ink[y][x], down.ink[23 - y][x]);
    }
  }
  // The page cursor differs from the next-page arrow: it rests on a bar.
  EXPECT_NE(page, down);
  EXPECT_EQ(page.Bands(), 2);
}

TEST_F(FontToolTest, ShowPrintsTheFileBits) {
  ASSERT_EQ(Tool("font show '" + gothic.path + "' 0x25E 258 一"), 0) << output;
  const Glyph one = GlyphOf(font, U'一');
  std::string expected = "0x025E 一\n", blank = "0x0102 blank\n";
  for (int y = 0; y < 24; y++) {
    for (int x = 0; x < 24; x++) expected += one.ink[y][x] ? '#' : '.';
    expected += '\n';
    blank += std::string(24, '.') + '\n';
  }
  EXPECT_EQ(output, expected + blank + expected);
}

TEST_F(FontToolTest, RefusesCodesAndFontsItCannotUse) {
  const std::string show = "font show '" + gothic.path + "' ";
  ExpectRefused(show + "0x1FFE", gothic.path + ": 0x1FFE (unused) is beyond its");
  EXPECT_EQ(Tool(show + "0"), 1);
  ExpectRefused(show + "abc", "'a' is not in the charset");
  EXPECT_EQ(Tool("font show NONE.KNJ 1"), 1);
  ExpectRefused("font build --font none.ttf X.KNJ", "cannot open face 0");
  EXPECT_EQ(Tool("font build --face 3 --font '" + kGothic + "' X.KNJ"), 1);
  EXPECT_EQ(Tool("font build --font '" + gothic.path + "' X.KNJ"), 1);
  EXPECT_FALSE(fs::exists(At("X.KNJ")));
}

TEST_F(FontToolTest, OtherFacesSizesAndFallbacks) {
  // A smaller em gives a narrower 一; mincho draws 永 differently from gothic.
  ASSERT_EQ(Tool("font build --size 16 --font '" + kMincho + "' M16.KNJ"), 0) << output;
  const std::vector<uint8_t> small = ReadFileBytes(At("M16.KNJ"));
  EXPECT_LT(GlyphOf(small, U'一').Widest(), GlyphOf(font, U'一').Widest());
  EXPECT_NE(GlyphOf(small, U'永'), GlyphOf(font, U'永'));

  // The rounded face lacks a few characters: listed, and --strict writes nothing; a fallback
  // face fills them.
  ASSERT_EQ(Tool("font build --font '" + kRounded + "' R.KNJ"), 0);
  EXPECT_TRUE(Said("has no glyph for")) << output;
  EXPECT_TRUE(Said("♥")) << output;
  EXPECT_EQ(GlyphOf(ReadFileBytes(At("R.KNJ")), U'♥').Total(), 0);
  EXPECT_EQ(Tool("font build --strict --font '" + kRounded + "' S.KNJ"), 1);
  EXPECT_FALSE(fs::exists(At("S.KNJ")));
  ASSERT_EQ(
      Tool("font build --strict --font '" + kRounded + "' --fallback '" + kGothic + "' F.KNJ"), 0)
      << output;
  const std::vector<uint8_t> filled = ReadFileBytes(At("F.KNJ"));
  EXPECT_EQ(GlyphOf(filled, U'♥'), GlyphOf(font, U'♥'));
  EXPECT_NE(GlyphOf(filled, U'永'), GlyphOf(font, U'永'));
  // Characters the face has only in their Windows-style form are taken in that form.
  EXPECT_GT(GlyphOf(filled, U'−').Total(), 0);
}

using FontNamesTest = ToolRunTest;

TEST_F(FontNamesTest, TheEnginesNameListsAreTheDemoListsInFontCodes) {
  const fs::path source(LNTR3_SOURCE_DIR);
  ASSERT_EQ(Tool("font names '" + (source / "demo/names").string() + "' made.h"), 0) << output;
  EXPECT_EQ(ReadFileText(At("made.h")), ReadFileText(source / "src/screens/name_lists.h"))
      << "run: lntr3tool font names demo/names src/screens/name_lists.h";
  fs::create_directory(At("none"));
  ExpectRefused("font names none made.h", "cannot open 'none/kana.txt'");
}

}  // namespace
