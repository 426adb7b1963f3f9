// Glyphs on screen (ink, shadow, the frame's edges), plain text drawing, and choosing the font
// file: the archive's, a loose alternative, the fallback and the stored choice.
#include "app/app.h"
#include "app/presentation.h"
#include "resources/pack.h"
#include "scenario/text_fixture.h"
#include "support/test_data.h"

namespace {

using FontTest = TextTest;

TEST_F(FontTest, InkOverShadowAtTheCellPosition) {
  // Code 4: ink at (0, 0) and (2, 2), so the shadow of the first falls on the second.
  std::vector<uint8_t> font = TestFontBytes(4);
  font[72 * 3 + 2 * 3] = 0x20;
  InstallFont(font);
  DrawGlyph(100, 50, 4, 229, 228);
  EXPECT_EQ(Pixel(100, 50), 229);
  EXPECT_EQ(Pixel(102, 52), 229);            // ink is written after the shadow
  EXPECT_EQ(Pixel(104, 54), 228);            // shadow of (2, 2)
  EXPECT_EQ(Pixel(101, 50), kScreenColour);  // 0 bits leave the picture alone
  EXPECT_EQ(DirtyRect, (Rect{100, 50, 126, 76}));

  // A missing layer: only the shadow, only the ink, neither (the cell still counts).
  DrawGlyph(40, 40, 1, 0xFFFF, 228);
  DrawGlyph(80, 40, 1, 229, 0xFFFF);
  EXPECT_EQ(Pixel(40, 40), kScreenColour);
  EXPECT_EQ(Pixel(42, 42), 228);
  EXPECT_EQ(Pixel(80, 40), 229);
  EXPECT_EQ(Pixel(82, 42), kScreenColour);
  for (uint16_t code : {1, 0}) {
    DirtyRect = kEmptyRect;
    DrawGlyph(120, 40, code, code ? 0xFFFF : 229, code ? 0xFFFF : 228);
    EXPECT_EQ(DirtyRect, (Rect{120, 40, 146, 66}));
    EXPECT_EQ(Pixel(120, 40), kScreenColour);
  }
}

TEST_F(FontTest, GlyphsAtTheFrameEdges) {
  std::vector<uint8_t> font = TestFontBytes(2);
  std::fill(font.begin() + 72, font.end(), 0xFF);  // code 2: every pixel ink
  InstallFont(font);
  DrawGlyph(614, 454, 2, 229, 228);
  EXPECT_EQ(Pixel(637, 477), 229);
  EXPECT_EQ(Pixel(639, 479), 228);  // the shadow's last pixel is the frame's last
  EXPECT_EQ(DirtyRect, (Rect{614, 454, 639, 479}));

  DirtyRect = kEmptyRect;
  DrawGlyph(615, 10, 2, 229, 228);
  DrawGlyph(10, 455, 2, 229, 228);
  DrawGlyph(0xFFFF, 10, 2, 229, 228);
  EXPECT_EQ(Pixel(615, 10), kScreenColour);
  EXPECT_EQ(Pixel(10, 455), kScreenColour);
  EXPECT_TRUE(RectIsEmpty(DirtyRect));
}

TEST_F(FontTest, CodePastTheFontLeavesItsCellEmpty) {
  InstallFont(TestFontBytes(0x10));
  DrawGlyph(40, 40, 0x10, 229, 228);
  DrawGlyph(80, 40, 0x11, 229, 228);
  DrawGlyph(120, 40, 0x1FFF, 229, 228);
  EXPECT_EQ(CodeAt(40, 40), 0x10);
  EXPECT_EQ(Pixel(80, 40), kScreenColour);
  EXPECT_EQ(Pixel(120, 40), kScreenColour);
  EXPECT_EQ(DirtyRect, (Rect{40, 40, 146, 66}));
}

TEST_F(FontTest, PlainTextFollowsTheLineRulesAndStepsOverCommands) {
  NameArrays[1][0] = C(U'ア');
  Code text;
  text.Op({0xB4, 2})
      .Text("あ")
      .Op({0xDF, 0xD8})                                // an empty name position, then ア
      .Op({0xC4, 0x01, 0x05, 0x10, 0x00, 0x02, 0x03})  // six operands, some below 0x20
      .Op({0x43, 0x00, 0x01, 0x02, 0x44, 0x1F, 0x1F})  // three, then two
      .Text("い")
      .Op({0xB9, 40})          // x and margin 320
      .Char(C(U'う'), 13)      // the 13th breaks back to 320
      .Op({0xBA, 0x2C, 0x01})  // y = 300
      .Text("え")
      .End();
  DrawTextPlain(16, 10, text.data(), 229, 228);
  EXPECT_EQ(CodeAt(16, 10, 230), C(U'あ'));
  EXPECT_EQ(CodeAt(40, 10, 230), C(U'ア'));
  EXPECT_EQ(CodeAt(64, 10, 230), C(U'い'));
  EXPECT_EQ(CodeAt(320, 10, 230), C(U'う'));
  EXPECT_EQ(CodeAt(584, 10, 230), C(U'う'));
  EXPECT_EQ(CodeAt(320, 40, 230), C(U'う'));
  EXPECT_EQ(CodeAt(344, 300, 230), C(U'え'));
  EXPECT_EQ(Pixel(88, 10), kScreenColour);
}

// [SECTION] Font files

class FontFileTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    WriteStartArchives(dir.path);
    ASSERT_TRUE(PackOpen());
  }
  void TearDown() override {
    PackClose();
    TextTest::TearDown();
  }
  void WriteLoose(int n, size_t glyphs) {
    WriteFileBytes(dir.path / ("LNTR3_0" + std::to_string(n) + ".KNJ"),
                   std::string(72 * glyphs, '\xFF'));
  }
};

TEST_F(FontFileTest, ChosenLooseFontIsLoadedAndStored) {
  WriteLoose(2, 5);
  FontNo = 2;
  SelectFont();
  EXPECT_EQ(FontNo, 2u);
  EXPECT_EQ(FontBytes, 72u * 5);
  EXPECT_EQ(HeadlessSettings().at("FontNo"), "2");
  DrawGlyph(40, 40, 5, 229, 228);
  EXPECT_EQ(Pixel(63, 63), 229);  // the loose font's glyphs are all ink
}

TEST_F(FontFileTest, MissingOrImpossibleFontFallsBackToTheArchiveAndStoresZero) {
  WriteLoose(4, 5);
  // The "KNJ_ALL.KNJ" entry of the start archives has 16 glyphs.
  const int16_t blocks = MemTable.count;
  for (uint32_t n : {5u, 8u, 0xFFFFFFFFu, 0u}) {
    FontNo = n;
    SelectFont();
    EXPECT_EQ(FontNo, 0u) << n;
    EXPECT_EQ(FontBytes, 72u * 16) << n;
    EXPECT_EQ(HeadlessSettings().at("FontNo"), "0") << n;
  }
  EXPECT_EQ(MemTable.count, blocks);  // one font block at a time, none left behind
}

TEST_F(FontFileTest, NextFontVisitsThePresentFontsThenGoesBackToZero) {
  WriteLoose(2, 1);
  WriteLoose(6, 2);
  FindFonts();
  EXPECT_EQ(FontPresent, (std::array<uint8_t, 7>{0, 1, 0, 0, 0, 1, 0}));
  FontNo = 0;
  std::vector<uint32_t> seen;
  for (int i = 0; i < 4; i++) {
    NextFont();
    seen.push_back(FontNo);
  }
  EXPECT_EQ(seen, (std::vector<uint32_t>{2, 6, 0, 2}));
  EXPECT_EQ(FontBytes, 72u);

  // With nothing present, font 0 stays and nothing is loaded again.
  std::filesystem::remove(dir.path / "LNTR3_02.KNJ");
  std::filesystem::remove(dir.path / "LNTR3_06.KNJ");
  FindFonts();
  FontNo = 0;
  SelectFont();
  const MemHandle block = FontBlock;
  NextFont();
  EXPECT_EQ(FontNo, 0u);
  EXPECT_EQ(FontBlock, block);
}

TEST_F(FontFileTest, StartUpLoadsTheStoredFont) {
  PackClose();
  WriteLoose(3, 4);
  HeadlessConfig config;
  config.settings = {{"FontNo", "3"}};
  config.settingsKey = true;
  AppConfig.dataDir = dir.path.string();
  StartEngine(config);
  EXPECT_EQ(FontNo, 3u);
  ASSERT_TRUE(InitGame());
  AppConfig.dataDir.clear();
  EXPECT_EQ(FontNo, 3u);
  EXPECT_EQ(FontBytes, 72u * 4);
  EXPECT_EQ(MemSize(FontBlock), 72u * 4);
}

}  // namespace
