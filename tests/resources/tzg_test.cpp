// TZG overlays: the header geometry, bit-interleaved pixel pairs, the 12-bit palette with its
// white colour 15, both layouts, the refusals, and damaged or random files; and both picture
// formats drawn from memory blocks as the engine draws them.
#include "resources/tzg.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "resources/lzss_stream.h"
#include "resources/tz2.h"
#include "support/pictures.h"

namespace {

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

// The TZG file of a w x h PatternPixels picture of 16 colours at (x0 * 8, y0); colour i has
// red i * 17.
std::vector<uint8_t> Encode(uint16_t w, uint16_t h, int16_t x0, int16_t y0, uint8_t layout) {
  std::vector<PalEntry> colours(16);
  for (int i = 0; i < 16; i++) colours[i] = PalEntry{static_cast<uint8_t>(i * 17), 0, 255, 0};
  std::string reason;
  std::vector<uint8_t> file =
      TzgEncode({PatternPixels(w, h, 16), w, h, colours, x0, y0, layout, 0xFF}, &reason);
  EXPECT_FALSE(file.empty()) << reason;
  return file;
}

class TzgTest : public ::testing::Test, public TestCanvas {
 protected:
  std::vector<uint8_t> colourTable = std::vector<uint8_t>(1024, 0xAA);
  size_t boxesBefore = HeadlessMessageBoxes().size();

  void SetUp() override { DirtyRect = kEmptyRect; }
  PicError Draw(const std::vector<uint8_t>& file, int16_t x = 0, int16_t y = 0,
                bool useHeader = true) {
    return TzgDecodeQuiet(frame, colourTable, palette, file, kFrameWidth, kFrameHeight, x, y,
                          useHeader);
  }
};

TEST_F(TzgTest, TheHeaderGivesSizeAndPositionInUnitsOfEightPixels) {
  RawTzg raw{.x0 = 2, .y0 = 10, .x1 = 5, .y1 = 19, .byteCount = 160};
  TestStream s = Plain();
  s.Lit(0x03);  // the pair 1, 1
  for (int i = 0; i < 9; i++) s.Ref(0xFEE, 18);
  raw.stream = s.Ref(0xFEE, 18).bytes;
  ASSERT_EQ(Draw(raw.Bytes(), 4, 1), PicError::None);
  EXPECT_EQ(DirtyRect, (Rect{20, 11, 52, 21}));
  EXPECT_EQ(Differs(std::vector<uint8_t>(32 * 10, 1), 20, 11, 32, 10), "");
  Clear();
  ASSERT_EQ(Draw(raw.Bytes(), 4, 1, false), PicError::None);
  EXPECT_EQ(Differs(std::vector<uint8_t>(32 * 10, 1), 4, 1, 32, 10), "");
}

TEST_F(TzgTest, HandMadeStreamsDrawTheirPairs) {
  // Rows 0 and 1 as hexadecimal colours; '.' keeps the blank frame.
  const struct {
    const char* what;
    RawTzg raw;
    TestStream stream;
    std::string rows;
  } cases[] = {
      {"the ring holds de-interleaved pairs (0x80: 8 0, 0x01: 0 1) and references copy them",
       {.x1 = 1, .byteCount = 8},
       Plain().Lit(0x80).Lit(0x01).Ref(0xFEE, 6),
       "8001800180018001|................"},
      {"the transparent colour 0 leaves its pixel alone (0x11: 0 5)",
       {.transparent = 0, .byteCount = 4},
       Plain().Lit(0x11).Ref(0xFEE, 3),
       ".5.5.5.5|........"},
      {"a count short of the picture draws only that much",
       {.x1 = 1, .y1 = 3, .byteCount = 10},
       Plain().Lit(0xFF).Ref(0xFEE, 18),
       "FFFFFFFFFFFFFFFF|FFFF............"},
      {"strips run down each column pair first, top row then bottom row",
       {.x1 = 0, .y1 = 1, .layout = kTzgLayoutStrips, .byteCount = 8},
       Plain().Lit(0x06).Lit(0x1A).Lit(0x36).Lit(0x6A).Lit(0xC6).Lit(0xDA).Lit(0xF6).Lit(0xAA),
       "12569ADE|3478BCF0"},
  };
  for (const auto& c : cases) {
    Clear();
    RawTzg raw = c.raw;
    raw.stream = c.stream.bytes;
    ASSERT_EQ(Draw(raw.Bytes()), PicError::None) << c.what;
    std::string drawn;
    for (int y = 0; y < 2; y++) {
      for (size_t x = 0; x < c.rows.find('|'); x++)
        drawn += At(x, y) == kBlank ? '.' : At(x, y) < 16 ? "0123456789ABCDEF"[At(x, y)] : '?';
      drawn += y ? "" : "|";
    }
    EXPECT_EQ(drawn, c.rows) << c.what;
  }
}

TEST_F(TzgTest, PaletteIsTwelveBitWithColourFifteenWhiteAndIdentityColourTable) {
  RawTzg raw{.layout = 7};
  raw.palette[0] = 0xF8;   // colour 0: red 15, green 8
  raw.palette[1] = 0x01;   // colour 0 blue 0, colour 1 red 1
  raw.palette[22] = 0x12;  // colour 14 blue 1, colour 15 red 2
  raw.palette[23] = 0x34;  // colour 15 green 3, blue 4
  // Layout 7 is refused with a box, but only after the palette and colour table are set.
  EXPECT_FALSE(TzgDecode(frame, colourTable, palette, raw.Bytes(), 640, 480, 0, 0, true));
  ASSERT_EQ(HeadlessMessageBoxes().size(), boxesBefore + 1);
  EXPECT_EQ(HeadlessMessageBoxes().back().caption, "ＧＲＰ展開エラー");
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "非対応のバージョンです");
  EXPECT_EQ(HeadlessMessageBoxes().back().flags, MB_OK | MB_ICONSTOP);
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

TEST_F(TzgTest, AnEmptyCountShowsNothingNotEvenABox) {
  RawTzg raw{.layout = kTzgLayoutRows};
  EXPECT_FALSE(TzgDecode(frame, colourTable, palette, raw.Bytes(), 640, 480, 0, 0, true));
  EXPECT_EQ(DirtyRect, kEmptyRect);
  EXPECT_EQ(Differs(), "");
  EXPECT_EQ(HeadlessMessageBoxes().size(), boxesBefore);
}

TEST_F(TzgTest, BothLayoutsRoundTripThroughTheEncoderAndAreClippedAtTheEdges) {
  // Header position (-8, 3); drawn inside, past the right and bottom edges, past the top left.
  const std::vector<uint8_t> pixels = PatternPixels(32, 16, 16);
  const std::pair<int16_t, int16_t> places[] = {{100, 0}, {632, 469}, {0, -7}};
  for (uint8_t layout : {kTzgLayoutStrips, kTzgLayoutRows}) {
    for (const auto& [x, y] : places) {
      Clear();
      ASSERT_EQ(Draw(Encode(32, 16, -1, 3, layout), x, y), PicError::None);
      EXPECT_EQ(Differs(pixels, x - 8, y + 3, 32, 16), "") << x << "," << y << " " << +layout;
    }
    EXPECT_EQ(palette[4], (PalEntry{68, 0, 255, PC_RESERVED}));
  }
}

TEST_F(TzgTest, DamagedAndRandomFilesAreRefusedOrStayInside) {
  const std::vector<uint8_t> good = Encode(40, 30, 70, 50, kTzgLayoutRows);
  for (size_t cut = 0; cut < good.size(); cut++) {
    ASSERT_EQ(Draw(std::vector<uint8_t>(good.begin(), good.begin() + cut)), PicError::BadData);
  }
  EXPECT_EQ(Differs(), "");
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

// The engine's drawing calls on memory blocks: a TZ2 with and without its header's position,
// and a TZG beside it.
TEST(PictureBlocks, DrawAndReadHeaderWorkOnMemoryBlocks) {
  MemFreeAll();
  MemReset();
  const auto block = [](const std::vector<uint8_t>& file, const char* label) {
    const MemHandle handle = MemAlloc(static_cast<uint32_t>(file.size()), label);
    std::copy(file.begin(), file.end(), MemLock(handle));
    MemUnlock(handle);
    return handle;
  };
  const MemHandle tz2 = block(
      Tz2Encode({PatternPixels(16, 8, 4), 16, 8, PatternColours(4), 40, 30, 2, 124}), "C1.TZ2");
  const MemHandle tzg = block(Encode(8, 4, 3, 2, kTzgLayoutRows), "LIGHT.TZG");
  Tz2Header h;
  ASSERT_TRUE(Tz2ReadHeader(tz2, h));
  EXPECT_EQ(
      (std::array<int, 7>{h.x, h.y, h.width, h.height, h.transparent, h.firstIndex, h.colourCount}),
      (std::array<int, 7>{40, 30, 16, 8, 2, 124, 4}));
  const MemHandle frame = FrameCreate("VbufDIB");
  ASSERT_TRUE(Tz2Draw(frame, tz2, 10, 0, 124));
  ASSERT_TRUE(Tz2DrawNoOffset(frame, tz2, 0, 100, 172));
  ASSERT_TRUE(TzgDraw(frame, tzg, 1, 1));
  const uint8_t* pixels = MemLock(frame);
  // TZ2 pixel (0, 0) is 0, drawn plus the offset; pixel (2, 0) is 6 % 4 = 2, transparent, so
  // the black frame shows through.
  EXPECT_EQ(pixels[FramePixelOffset(50, 30)], 124);
  EXPECT_EQ(pixels[FramePixelOffset(52, 30)], kColourBlack);
  EXPECT_EQ(pixels[FramePixelOffset(0, 100)], 172);
  EXPECT_EQ(ScenePalette[172 + 1], (PalEntry{1, 101, 199, PC_RESERVED}));
  EXPECT_EQ(pixels[FramePixelOffset(25, 3)], PatternPixels(8, 4, 16)[0]);
  EXPECT_EQ(pixels[FramePixelOffset(32, 6)], PatternPixels(8, 4, 16)[31]);
  EXPECT_EQ(ScenePalette[15], (PalEntry{255, 255, 255, PC_RESERVED}));
  MemUnlock(frame);
  for (const MemHandle handle : {frame, tz2, tzg}) EXPECT_EQ(MemLockCount(handle), 0);
  const MemHandle stub = MemAlloc(10, "stub");
  EXPECT_FALSE(Tz2ReadHeader(stub, h));
  EXPECT_FALSE(Tz2Draw(frame, stub, 0, 0, 0));
  MemFreeAll();
}

}  // namespace
