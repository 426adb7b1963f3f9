// TZ2 pictures: placement in the bottom-up frame, transparency and colour offsets, the palette,
// the three refusals and their order, clipping, and damaged or random files.
#include "resources/tz2.h"

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

// A hand-made file: the header as given (colour count included, even when it disagrees with
// the palette bytes), then palette and stream bytes.
struct RawTz2 {
  uint16_t x = 0, y = 0, width = 1, height = 1, transparent = 0xFFFF, firstIndex = 0;
  uint16_t colourCount = 0;
  std::vector<uint8_t> palette{};  // blue, green, red triples
  std::vector<uint8_t> stream{};

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out(kTz2Magic, kTz2Magic + 8);
    for (uint16_t v : {x, y, width, height, uint16_t{0}, transparent, firstIndex, colourCount}) {
      out.push_back(static_cast<uint8_t>(v));
      out.push_back(static_cast<uint8_t>(v >> 8));
    }
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
  }
};

// The TZ2 file of a w x h PatternPixels picture in `colours` PatternColours.
std::vector<uint8_t> Encode(uint16_t w, uint16_t h, int colours, uint16_t x = 0, uint16_t y = 0,
                            uint16_t transparent = kTz2NoTransparent, uint16_t firstIndex = 0) {
  const std::vector<uint8_t> pixels = PatternPixels(w, h, colours);
  const std::vector<PalEntry> palette = PatternColours(colours);
  std::string reason;
  std::vector<uint8_t> file =
      Tz2Encode({pixels, w, h, palette, x, y, transparent, firstIndex}, &reason);
  EXPECT_FALSE(file.empty()) << reason;
  return file;
}

class Tz2Test : public ::testing::Test, public TestCanvas {
 protected:
  size_t boxesBefore = 0;

  void SetUp() override {
    boxesBefore = HeadlessMessageBoxes().size();
    DirtyRect = kEmptyRect;
  }
  PicError Draw(const std::vector<uint8_t>& file, int16_t x = 0, int16_t y = 0,
                int32_t transparent = -1, uint32_t offset = 0, bool useHeader = true) {
    return Tz2DecodeQuiet(frame, palette, file, kFrameWidth, kFrameHeight, x, y, transparent,
                          offset, useHeader);
  }
  size_t NewBoxes() const { return HeadlessMessageBoxes().size() - boxesBefore; }
};

TEST_F(Tz2Test, DrawsTopRowFirstWithColourOffsetAndTransparency) {
  // Rows long enough for the chunked writes, odd widths so rows end mid-run, and a frame that
  // is not blank so that every pixel left alone can be told from one written.
  for (size_t i = 0; i < frame.size(); i++) frame[i] = static_cast<uint8_t>(i % 199);
  const std::vector<uint8_t> before = frame, pixels = PatternPixels(237, 61, 7);
  for (const int transparent : {-1, 3}) {
    frame = before;
    palette = {};
    const auto file = Encode(237, 61, 7, 0, 0, transparent < 0 ? kTz2NoTransparent : 3);
    ASSERT_EQ(Draw(file, 301, 17, -1, 50, false), PicError::None);
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = 0; x < kFrameWidth; x++) {
        const size_t at = FramePixelOffset(x, y) - kFramePixelsOffset;
        const bool inside = x >= 301 && x < 301 + 237 && y >= 17 && y < 17 + 61;
        const uint8_t v = inside ? pixels[(y - 17) * 237 + (x - 301)] : 0;
        const uint8_t want =
            !inside || v == transparent ? before[at] : static_cast<uint8_t>(v + 50);
        ASSERT_EQ(frame[at], want) << x << "," << y << " transparent " << transparent;
      }
    }
    EXPECT_EQ(DirtyRect, (Rect{301, 17, 538, 78}));
    // The file keeps blue, green, red; the palette gets red, green, blue and the reserved flag.
    EXPECT_EQ(palette[53], (PalEntry{3, 103, 197, PC_RESERVED}));
    EXPECT_EQ(palette[49], PalEntry{});
    EXPECT_EQ(palette[57], PalEntry{});
  }
  EXPECT_EQ(NewBoxes(), 0u);
}

TEST_F(Tz2Test, TransparencyIsTestedBeforeTheColourOffsetIsAdded) {
  // Row 0: 5 6 5 100.
  RawTz2 raw{.width = 4, .transparent = 5};
  raw.stream = TestStream{}.Lit(5).Lit(6).Lit(5).Lit(100).bytes;
  ASSERT_EQ(Draw(raw.Bytes(), 0, 0, -1, 124), PicError::None);
  EXPECT_EQ(At(0, 0), kBlank);
  EXPECT_EQ(At(1, 0), 130);
  EXPECT_EQ(At(2, 0), kBlank);
  EXPECT_EQ(At(3, 0), 224);
  // The sum wraps at 256.
  ASSERT_EQ(Draw(raw.Bytes(), 0, 1, -1, 200), PicError::None);
  EXPECT_EQ(At(3, 1), 44);
  // No transparent index in the header: every pixel is drawn.
  raw.transparent = 0xFFFF;
  ASSERT_EQ(Draw(raw.Bytes(), 0, 2), PicError::None);
  EXPECT_EQ(At(0, 2), 5);
  // The caller's index overrides the header's.
  raw.transparent = 5;
  ASSERT_EQ(Draw(raw.Bytes(), 0, 3, 6), PicError::None);
  EXPECT_EQ(At(0, 3), 5);
  EXPECT_EQ(At(1, 3), kBlank);
}

TEST_F(Tz2Test, TheHeaderPositionIsAddedOnlyWhenAsked) {
  const std::vector<uint8_t> file = Encode(10, 10, 3, 100, 50);
  ASSERT_EQ(Draw(file, 0, 0), PicError::None);
  EXPECT_TRUE(OnlyAreaTouched(100, 50, 10, 10));
  EXPECT_EQ(DirtyRect, (Rect{100, 50, 110, 60}));
  Clear();
  ASSERT_EQ(Draw(file, 20, 30, -1, 0, false), PicError::None);
  EXPECT_TRUE(OnlyAreaTouched(20, 30, 10, 10));
}

TEST_F(Tz2Test, PicturesPastTheFrameEdgesAreClippedOrMovedDown) {
  const std::vector<uint8_t> pixels = PatternPixels(100, 40, 11), file = Encode(100, 40, 11);
  // A picture above the top edge is not clipped there: it is drawn from line 0 down.
  const struct {
    int16_t x, y, drawnY;
    Rect visible;
  } cases[] = {{600, 460, 460, {600, 460, 640, 480}},
               {-30, 10, 10, {0, 10, 70, 50}},
               {3, -4, 0, {3, 0, 103, 40}},
               {0, 0, 0, {0, 0, 100, 40}}};
  for (const auto& c : cases) {
    Clear();
    ASSERT_EQ(Draw(file, c.x, c.y), PicError::None);
    for (int y = c.visible.y0; y < c.visible.y1; y++) {
      for (int x = c.visible.x0; x < c.visible.x1; x++)
        ASSERT_EQ(At(x, y), pixels[(y - c.drawnY) * 100 + (x - c.x)]) << c.x << "," << c.y;
    }
    EXPECT_TRUE(OnlyAreaTouched(c.visible.x0, c.visible.y0, c.visible.x1 - c.visible.x0,
                                c.visible.y1 - c.visible.y0))
        << c.x << "," << c.y;
    EXPECT_EQ(DirtyRect, (Rect{c.x, c.y, c.x + 100, c.y + 40}));
  }
  // A picture of the whole frame fits.
  const std::vector<uint8_t> whole = PatternPixels(640, 480, 236);
  ASSERT_EQ(Draw(Encode(640, 480, 236)), PicError::None);
  EXPECT_EQ(At(0, 0), whole[0]);
  EXPECT_EQ(At(639, 479), whole.back());
}

TEST_F(Tz2Test, ColoursGoFromTheOffsetOnAndNeverPastTheLastEntry) {
  ASSERT_EQ(Draw(Encode(4, 4, 100), 0, 0, -1, 200), PicError::None);
  EXPECT_EQ(palette[199], PalEntry{});
  EXPECT_EQ(palette[200], (PalEntry{0, 100, 200, PC_RESERVED}));
  EXPECT_EQ(palette[235], (PalEntry{35, 135, 165, PC_RESERVED}));
}

TEST_F(Tz2Test, RefusalsComeInTheOrderMagicPaletteSizeAndTouchNothing) {
  RawTz2 raw{.width = 641, .firstIndex = 200, .colourCount = 37};
  raw.palette.assign(3 * 37, 9);
  raw.stream = TestStream{}.Lit(1).bytes;
  std::vector<uint8_t> file = raw.Bytes();
  file[3] = 'V';
  EXPECT_EQ(Draw(file), PicError::BadData);
  EXPECT_EQ(Draw(raw.Bytes()), PicError::PaletteOver);
  raw.colourCount = 36;
  EXPECT_EQ(Draw(raw.Bytes()), PicError::SizeOver);
  raw.width = 1;
  raw.height = 481;
  EXPECT_EQ(Draw(raw.Bytes()), PicError::SizeOver);
  raw.height = 0;
  EXPECT_EQ(Draw(raw.Bytes()), PicError::NoPixels);
  EXPECT_TRUE(OnlyAreaTouched(0, 0, 0, 0));
  EXPECT_EQ(palette[200], PalEntry{});
  EXPECT_EQ(DirtyRect, kEmptyRect);
  raw.height = 1;
  EXPECT_EQ(Draw(raw.Bytes(), 0, 0, -1, 200), PicError::None);
  EXPECT_EQ(palette[235], (PalEntry{9, 9, 9, PC_RESERVED}));
  std::vector<uint8_t> small(100);
  EXPECT_EQ(Tz2DecodeQuiet(small, palette, Encode(4, 4, 2), 640, 480, 0, 0, -1, 0, true),
            PicError::BadFrame);
}

TEST_F(Tz2Test, RefusalsShowTheirMessageBox) {
  const bool cursorVisible = HeadlessCursorVisible();
  EXPECT_FALSE(
      Tz2Decode(frame, palette, std::vector<uint8_t>{'T', 'A'}, 640, 480, 0, 0, -1, 0, true));
  RawTz2 raw{.width = 1, .height = 0};
  EXPECT_FALSE(Tz2Decode(frame, palette, raw.Bytes(), 640, 480, 0, 0, -1, 0, true));
  raw.width = 700;
  EXPECT_FALSE(Tz2Decode(frame, palette, raw.Bytes(), 640, 480, 0, 0, -1, 0, true));
  // No box for an empty picture; one each for the others.
  ASSERT_EQ(NewBoxes(), 2u);
  const HeadlessBox& data = HeadlessMessageBoxes()[boxesBefore];
  EXPECT_EQ(data.caption, "ＴＺ２展開エラー");
  EXPECT_EQ(data.text, "データ異常です");
  EXPECT_EQ(data.flags, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "サイズオーバーです");
  // The pointer was shown for each box and hidden again.
  EXPECT_EQ(HeadlessCursorVisible(), cursorVisible);
}

TEST_F(Tz2Test, DamagedAndRandomFilesAreRefusedOrStayInside) {
  const std::vector<uint8_t> cutFrom = Encode(30, 20, 12, 10, 10, 3);
  for (size_t cut = 0; cut < cutFrom.size(); cut++) {
    const std::vector<uint8_t> head(cutFrom.begin(), cutFrom.begin() + cut);
    ASSERT_EQ(Draw(head), PicError::BadData) << "cut at " << cut;
  }
  EXPECT_TRUE(OnlyAreaTouched(0, 0, 0, 0));
  EXPECT_EQ(palette[0], PalEntry{});
  // Frame, palette and source are exactly sized heap buffers: the sanitizers catch any stray
  // access. Whatever the bytes, the answer is an error or a picture inside the frame.
  std::mt19937 rng(5);
  const std::vector<uint8_t> good = Encode(64, 48, 50, 600, 450);
  std::vector<uint8_t> smallFrame(50 * 40);
  std::vector<PalEntry> smallPalette(30);
  for (int round = 0; round < 1500; round++) {
    std::vector<uint8_t> file = good;
    if (round % 3 == 0) {
      file.resize(kTz2HeaderSize + rng() % 200);
      for (size_t i = 8; i < file.size(); i++) file[i] = static_cast<uint8_t>(rng());
    } else {
      for (int flips = 1 + rng() % 8; flips > 0; flips--)
        file[rng() % file.size()] = static_cast<uint8_t>(rng());
      file.resize(rng() % (file.size() + 1));
    }
    const auto x = static_cast<int16_t>(rng() % 1400 - 700);
    const auto y = static_cast<int16_t>(rng() % 1000 - 500);
    const PicError e =
        Tz2DecodeQuiet(smallFrame, smallPalette, file, 50, 40, x, y, -1, rng() % 300, rng() % 2);
    ASSERT_NE(e, PicError::BadFrame);
    Draw(file, x, y, -1, rng() % 512);
  }
}

TEST(Tz2Blocks, DrawAndReadHeaderWorkOnMemoryBlocks) {
  MemFreeAll();
  MemReset();
  const std::vector<uint8_t> file = Encode(16, 8, 4, 40, 30, 2, 124);
  const MemHandle picture = MemAlloc(static_cast<uint32_t>(file.size()), "pk:C0001.TZ2");
  std::copy(file.begin(), file.end(), MemLock(picture));
  MemUnlock(picture);
  Tz2Header h;
  ASSERT_TRUE(Tz2ReadHeader(picture, h));
  EXPECT_EQ(std::string(h.magic), "TAZU256");
  EXPECT_EQ(
      (std::array<int, 7>{h.x, h.y, h.width, h.height, h.transparent, h.firstIndex, h.colourCount}),
      (std::array<int, 7>{40, 30, 16, 8, 2, 124, 4}));

  const MemHandle frame = FrameCreate("VbufDIB");
  ASSERT_TRUE(Tz2Draw(frame, picture, 10, 0, 124));
  ASSERT_TRUE(Tz2DrawNoOffset(frame, picture, 0, 100, 172));
  const uint8_t* block = MemLock(frame);
  // Pixel (0, 0) of the pattern is 0, drawn plus the offset; pixel (2, 0) is 6 % 4 = 2,
  // transparent, so the black frame shows through.
  EXPECT_EQ(block[FramePixelOffset(50, 30)], 124);
  EXPECT_EQ(block[FramePixelOffset(52, 30)], kColourBlack);
  EXPECT_EQ(block[FramePixelOffset(0, 100)], 172);
  EXPECT_EQ(ScenePalette[172 + 1], (PalEntry{1, 101, 199, PC_RESERVED}));
  MemUnlock(frame);
  EXPECT_EQ(MemLockCount(frame), 0);
  EXPECT_EQ(MemLockCount(picture), 0);

  const MemHandle stub = MemAlloc(10, "stub");
  EXPECT_FALSE(Tz2ReadHeader(stub, h));
  EXPECT_EQ(h.width, 0);
  EXPECT_FALSE(Tz2Draw(frame, stub, 0, 0, 0));
  MemFreeAll();
}

}  // namespace
