// TZG overlays: the header geometry, bit-interleaved pixel pairs, the 12-bit palette with its
// white colour 15, both layouts, the refusals, and damaged or random files.
#include "resources/tzg.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "resources/lzss_stream.h"
#include "support/pictures.h"

namespace {

constexpr uint8_t kBlank = TestCanvas::kBlank;

struct RawTzg {
  int16_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  uint8_t layout = kTzgLayoutRows, transparent = 0xFF;
  int32_t byteCount = 0;
  std::array<uint8_t, 24> palette{};
  std::vector<uint8_t> stream{};

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out(kTzgMagic, kTzgMagic + 8);
    out.insert(out.end(), palette.begin(), palette.end());
    for (int16_t v : {x0, y0, x1, y1}) {
      out.push_back(static_cast<uint8_t>(v));
      out.push_back(static_cast<uint8_t>(v >> 8));
    }
    out.insert(out.end(), {layout, transparent, 0, 0});
    for (int i = 0; i < 4; i++) out.push_back(static_cast<uint8_t>(byteCount >> 8 * i));
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
  }
};

// Plain-flavour stream: items stored as they are, literals flagged with 1.
TestStream Plain() {
  return TestStream{.inverted = false};
}

// The TZG file of a w x h PatternPixels picture of 16 colours at (x0 * 8, y0).
std::vector<uint8_t> Encode(uint16_t w, uint16_t h, int16_t x0, int16_t y0, uint8_t layout) {
  const std::vector<uint8_t> pixels = PatternPixels(w, h, 16);
  const std::vector<PalEntry> colours(16);
  return TzgEncode({pixels, w, h, colours, x0, y0, layout});
}

class TzgTest : public ::testing::Test, public TestCanvas {
 protected:
  std::vector<uint8_t> colourTable = std::vector<uint8_t>(1024, 0xAA);
  size_t boxesBefore = 0;

  void SetUp() override {
    boxesBefore = HeadlessMessageBoxes().size();
    DirtyRect = kEmptyRect;
  }
  PicError Draw(const std::vector<uint8_t>& file, int16_t x = 0, int16_t y = 0,
                bool useHeader = true) {
    return TzgDecodeQuiet(frame, colourTable, palette, file, kFrameWidth, kFrameHeight, x, y,
                          useHeader);
  }
};

TEST(TzgPairs, LiteralBitsInterleaveTheTwoPixels) {
  const std::pair<uint8_t, uint8_t> cases[] = {
      {0x03, 0x11}, {0x80, 0x80}, {0x01, 0x01}, {0xAA, 0xF0}, {0x55, 0x0F}};
  for (const auto& [stored, pair] : cases) EXPECT_EQ(TzgDeinterleave(stored), pair) << +stored;
}

TEST_F(TzgTest, TheHeaderGivesSizeAndPositionInUnitsOfEightPixels) {
  RawTzg raw{.x0 = 2, .y0 = 10, .x1 = 5, .y1 = 19, .byteCount = 160};
  TestStream s = Plain();
  s.Lit(0x03);
  for (int i = 0; i < 9; i++) s.Ref(0xFEE, 18);
  raw.stream = s.Ref(0xFEE, 18).bytes;
  ASSERT_EQ(Draw(raw.Bytes(), 4, 1), PicError::None);
  EXPECT_EQ(DirtyRect, (Rect{20, 11, 52, 21}));
  EXPECT_EQ(At(20, 11), 1);
  EXPECT_EQ(At(51, 20), 1);
  EXPECT_TRUE(OnlyAreaTouched(20, 11, 32, 10));
  Clear();
  ASSERT_EQ(Draw(raw.Bytes(), 4, 1, false), PicError::None);
  EXPECT_TRUE(OnlyAreaTouched(4, 1, 32, 10));
}

TEST_F(TzgTest, HandMadeStreamsDrawTheirPairs) {
  const int kLeft = -1;  // the pixel keeps the blank frame
  const struct {
    const char* what;
    RawTzg raw;
    TestStream stream;
    std::vector<int> row0, row1;
  } cases[] = {
      {"the ring holds de-interleaved pairs (0x80: 8 0, 0x01: 0 1) and references copy them",
       {.x1 = 1, .byteCount = 8},
       Plain().Lit(0x80).Lit(0x01).Ref(0xFEE, 6),
       {8, 0, 0, 1, 8, 0, 0, 1, 8, 0, 0, 1, 8, 0, 0, 1},
       {kLeft}},
      {"the transparent colour 0 leaves its pixel alone (0x11: 0 5)",
       {.transparent = 0, .byteCount = 4},
       Plain().Lit(0x11).Ref(0xFEE, 3),
       {kLeft, 5, kLeft, 5, kLeft, 5, kLeft, 5},
       {kLeft}},
      {"a transparent byte above 15 draws every pixel",
       {.transparent = 16, .byteCount = 4},
       Plain().Lit(0x11).Ref(0xFEE, 3),
       {0, 5, 0, 5, 0, 5, 0, 5},
       {kLeft}},
      {"a count short of the picture draws only that much",
       {.x1 = 1, .y1 = 3, .byteCount = 10},
       Plain().Lit(0xFF).Ref(0xFEE, 18),
       std::vector<int>(16, 15),
       {15, 15, 15, 15, kLeft}},
  };
  for (const auto& c : cases) {
    Clear();
    RawTzg raw = c.raw;
    raw.stream = c.stream.bytes;
    ASSERT_EQ(Draw(raw.Bytes()), PicError::None) << c.what;
    for (size_t x = 0; x < c.row0.size(); x++)
      EXPECT_EQ(At(x, 0), c.row0[x] == kLeft ? kBlank : c.row0[x]) << c.what << " x " << x;
    for (size_t x = 0; x < c.row1.size(); x++)
      EXPECT_EQ(At(x, 1), c.row1[x] == kLeft ? kBlank : c.row1[x]) << c.what << " x " << x;
  }
}

TEST_F(TzgTest, PaletteIsTwelveBitWithColourFifteenWhiteAndIdentityColourTable) {
  RawTzg raw{.layout = 7};
  raw.palette[0] = 0xF8;   // colour 0: red 15, green 8
  raw.palette[1] = 0x01;   // colour 0 blue 0, colour 1 red 1
  raw.palette[22] = 0x12;  // colour 14 blue 1, colour 15 red 2
  raw.palette[23] = 0x34;  // colour 15 green 3, blue 4
  // Layout 7 is refused, but only after the palette and colour table are set.
  EXPECT_EQ(Draw(raw.Bytes()), PicError::BadVersion);
  EXPECT_EQ(palette[0], (PalEntry{255, 136, 0, PC_RESERVED}));
  EXPECT_EQ(palette[1].red, 17);
  EXPECT_EQ(palette[15], (PalEntry{255, 255, 255, PC_RESERVED}));
  EXPECT_EQ(palette[16], PalEntry{});
  for (int i = 0; i < 16; i++) {
    EXPECT_EQ(colourTable[2 * i], i);
    EXPECT_EQ(colourTable[2 * i + 1], 0);
  }
  EXPECT_EQ(colourTable[32], 0xAA);
  // The file's own colour 15 stays readable for the tools.
  std::array<PalEntry, kTzgColours> stored;
  ASSERT_TRUE(TzgReadPalette(raw.Bytes(), stored));
  EXPECT_EQ(stored[15], (PalEntry{34, 51, 68, PC_RESERVED}));
}

TEST_F(TzgTest, LayoutErrorsShowTheBoxAndAnEmptyCountShowsNothing) {
  RawTzg raw{.layout = 2, .byteCount = 4};
  EXPECT_FALSE(TzgDecode(frame, colourTable, palette, raw.Bytes(), 640, 480, 0, 0, true));
  raw.layout = kTzgLayoutRows;
  raw.byteCount = 0;
  EXPECT_FALSE(TzgDecode(frame, colourTable, palette, raw.Bytes(), 640, 480, 0, 0, true));
  EXPECT_EQ(DirtyRect, kEmptyRect);
  EXPECT_TRUE(OnlyAreaTouched(0, 0, 0, 0));
  ASSERT_EQ(HeadlessMessageBoxes().size(), boxesBefore + 1);
  EXPECT_EQ(HeadlessMessageBoxes().back().caption, "ＧＲＰ展開エラー");
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "非対応のバージョンです");
  EXPECT_EQ(HeadlessMessageBoxes().back().flags, MB_OK | MB_ICONSTOP);
  std::vector<uint8_t> bad = raw.Bytes();
  bad[7] = 'X';
  EXPECT_FALSE(TzgDecode(frame, colourTable, palette, bad, 640, 480, 0, 0, true));
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "データ異常です");
}

TEST_F(TzgTest, BothLayoutsRoundTripThroughTheEncoder) {
  const std::vector<uint8_t> pixels = PatternPixels(24, 7, 16);
  std::vector<PalEntry> colours(16);
  for (int i = 0; i < 16; i++) colours[i] = PalEntry{static_cast<uint8_t>(i * 17), 0, 255, 0};
  for (uint8_t layout : {kTzgLayoutStrips, kTzgLayoutRows}) {
    Clear();
    std::string reason;
    const std::vector<uint8_t> file =
        TzgEncode({pixels, 24, 7, colours, -1, 3, layout, 0xFF}, &reason);
    ASSERT_FALSE(file.empty()) << reason;
    ASSERT_EQ(Draw(file, 100, 0), PicError::None);
    for (int y = 0; y < 7; y++) {
      for (int x = 0; x < 24; x++) ASSERT_EQ(At(92 + x, 3 + y), pixels[y * 24 + x]);
    }
    EXPECT_TRUE(OnlyAreaTouched(92, 3, 24, 7));
    EXPECT_EQ(palette[4], (PalEntry{68, 0, 255, PC_RESERVED}));
  }
}

TEST_F(TzgTest, StripsRunDownEachTwoPixelColumnFirst) {
  // 8 x 2, strips: the pairs come column pair by column pair, top row then bottom row.
  RawTzg raw{.x1 = 0, .y1 = 1, .layout = kTzgLayoutStrips, .byteCount = 8};
  TestStream s = Plain();
  for (uint8_t pair : {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}) {
    // Literals are stored interleaved: store the byte that de-interleaves to the pair.
    int stored = 0;
    while (TzgDeinterleave(static_cast<uint8_t>(stored)) != pair) stored++;
    s.Lit(static_cast<uint8_t>(stored));
  }
  raw.stream = s.bytes;
  ASSERT_EQ(Draw(raw.Bytes()), PicError::None);
  const uint8_t top[8] = {1, 2, 5, 6, 9, 10, 13, 14};
  const uint8_t bottom[8] = {3, 4, 7, 8, 11, 12, 15, 0};
  for (int x = 0; x < 8; x++) {
    EXPECT_EQ(At(x, 0), top[x]) << x;
    EXPECT_EQ(At(x, 1), bottom[x]) << x;
  }
}

TEST_F(TzgTest, PicturesOutsideTheFrameAreClipped) {
  const std::vector<uint8_t> pixels = PatternPixels(32, 16, 16);
  const std::vector<uint8_t> file = Encode(32, 16, 0, 0, kTzgLayoutStrips);
  ASSERT_EQ(Draw(file, 624, 472), PicError::None);
  EXPECT_EQ(At(624, 472), pixels[0]);
  EXPECT_TRUE(OnlyAreaTouched(624, 472, 16, 8));
  Clear();
  ASSERT_EQ(Draw(file, -8, -4), PicError::None);
  EXPECT_EQ(At(0, 0), pixels[4 * 32 + 8]);
  EXPECT_TRUE(OnlyAreaTouched(0, 0, 24, 12));
}

TEST_F(TzgTest, DamagedAndRandomFilesAreRefusedOrStayInside) {
  const std::vector<uint8_t> good = Encode(40, 30, 70, 50, kTzgLayoutRows);
  for (size_t cut = 0; cut < good.size(); cut++) {
    ASSERT_EQ(Draw(std::vector<uint8_t>(good.begin(), good.begin() + cut)), PicError::BadData);
  }
  EXPECT_TRUE(OnlyAreaTouched(0, 0, 0, 0));
  std::mt19937 rng(3);
  std::vector<uint8_t> smallFrame(48 * 20);
  std::vector<uint8_t> smallTable(32);
  std::vector<PalEntry> smallPalette(16);
  for (int round = 0; round < 1500; round++) {
    std::vector<uint8_t> file = good;
    const size_t from = round % 2 ? 32 : kTzgHeaderSize;
    for (int flips = 1 + rng() % 6; flips > 0; flips--) {
      file[from + rng() % (file.size() - from)] = static_cast<uint8_t>(rng());
    }
    file.resize(rng() % (file.size() + 1));
    const auto x = static_cast<int16_t>(rng() % 1000 - 500);
    const auto y = static_cast<int16_t>(rng() % 800 - 400);
    ASSERT_NE(TzgDecodeQuiet(smallFrame, smallTable, smallPalette, file, 48, 20, x, y, true),
              PicError::BadFrame);
    Draw(file, x, y);
  }
}

TEST(TzgBlocks, DrawPutsThePictureIntoAFrameBlock) {
  MemFreeAll();
  MemReset();
  const std::vector<uint8_t> pixels = PatternPixels(8, 4, 16),
                             file = Encode(8, 4, 3, 2, kTzgLayoutRows);
  const MemHandle picture = MemAlloc(static_cast<uint32_t>(file.size()), "pk:LIGHT.TZG");
  std::copy(file.begin(), file.end(), MemLock(picture));
  MemUnlock(picture);
  const MemHandle frame = FrameCreate("VmemDIB");
  ASSERT_TRUE(TzgDraw(frame, picture, 1, 1));
  const uint8_t* block = MemLock(frame);
  EXPECT_EQ(block[FramePixelOffset(25, 3)], pixels[0]);
  EXPECT_EQ(block[FramePixelOffset(32, 6)], pixels[31]);
  EXPECT_EQ(ScenePalette[15], (PalEntry{255, 255, 255, PC_RESERVED}));
  MemUnlock(frame);
  EXPECT_EQ(MemLockCount(frame), 0);
  EXPECT_EQ(MemLockCount(picture), 0);
  MemFreeAll();
}

}  // namespace
