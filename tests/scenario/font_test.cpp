// Glyphs on screen (ink, shadow, the frame's edges) and choosing the font file: the archive's,
// a loose alternative, the fallback and the stored choice.
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

TEST_F(FontFileTest, AChosenFontIsLoadedWhenPresentElseTheArchivesAndTheOutcomeIsStored) {
  WriteLoose(2, 5);
  WriteLoose(4, 5);
  // The "KNJ_ALL.KNJ" entry of the start archives has 16 glyphs.
  const struct {
    uint32_t asked, chosen, glyphs;
  } cases[] = {{2, 2, 5}, {5, 0, 16}, {8, 0, 16}, {0xFFFFFFFF, 0, 16}, {0, 0, 16}};
  const int16_t blocks = MemTable.count;
  for (const auto& c : cases) {
    FontNo = c.asked;
    SelectFont();
    EXPECT_EQ(FontNo, c.chosen) << c.asked;
    EXPECT_EQ(FontBytes, 72u * c.glyphs) << c.asked;
    EXPECT_EQ(HeadlessSettings().at("FontNo"), std::to_string(c.chosen)) << c.asked;
  }
  EXPECT_EQ(MemTable.count, blocks);  // one font block at a time, none left behind
}

TEST_F(FontFileTest, StartUpLoadsTheStoredFont) {
  PackClose();
  WriteLoose(3, 4);
  HeadlessConfig config;
  config.settings = {{"FontNo", "3"}};
  config.settingsKey = true;
  AppConfig.dataDir = dir.path.string();
  StartEngine(config);
  ASSERT_TRUE(InitGame());
  AppConfig.dataDir.clear();
  EXPECT_EQ(FontNo, 3u);
  EXPECT_EQ(FontBytes, 72u * 4);
}

}  // namespace
