// TZ2 pictures: placement in the bottom-up frame, transparency and colour offsets, the palette,
// the three refusals and their order, clipping, and damaged or random files.
#include "resources/tz2.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "resources/lzss.h"
#include "resources/lzss_stream.h"

namespace {

constexpr uint8_t kBlank = 228;

struct RawTz2 {
  uint16_t x = 0, y = 0, width = 1, height = 1, transparent = 0xFFFF, firstIndex = 0;
  uint16_t colourCount = 0;
  std::vector<uint8_t> palette{};  // blue, green, red triples
  std::vector<uint8_t> stream{};

  // The file as given, colour count included even when it disagrees with the palette bytes.
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

// A picture of `w` x `h` whose pixel (x, y) is (x * 3 + y * 7) % colours, top row first.
std::vector<uint8_t> Pattern(int w, int h, int colours) {
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) pixels[y * w + x] = static_cast<uint8_t>((x * 3 + y * 7) % colours);
  }
  return pixels;
}

std::vector<PalEntry> Colours(int count) {
  std::vector<PalEntry> colours(count);
  for (int i = 0; i < count; i++) {
    colours[i] = PalEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(100 + i),
                          static_cast<uint8_t>(200 - i), 0};
  }
  return colours;
}

std::vector<uint8_t> Encode(const std::vector<uint8_t>& pixels, uint16_t w, uint16_t h,
                            const std::vector<PalEntry>& colours, uint16_t x = 0, uint16_t y = 0,
                            uint16_t transparent = kTz2NoTransparent, uint16_t firstIndex = 0) {
  Tz2Picture picture{pixels, w, h, colours, x, y, transparent, firstIndex};
  std::string reason;
  std::vector<uint8_t> file = Tz2Encode(picture, &reason);
  EXPECT_FALSE(file.empty()) << reason;
  return file;
}

class Tz2Test : public ::testing::Test {
 protected:
  std::vector<uint8_t> frame = std::vector<uint8_t>(kFramePixelCount, kBlank);
  std::array<PalEntry, kPaletteSize> palette{};
  size_t boxesBefore = 0;

  void SetUp() override {
    boxesBefore = HeadlessMessageBoxes().size();
    DirtyRect = kEmptyRect;
  }
  uint8_t At(int x, int y) const { return frame[FramePixelOffset(x, y) - kFramePixelsOffset]; }
  PicError Draw(const std::vector<uint8_t>& file, int16_t x = 0, int16_t y = 0,
                int32_t transparent = -1, uint32_t offset = 0, bool useHeader = true) {
    return Tz2DecodeQuiet(frame, palette, file, kFrameWidth, kFrameHeight, x, y, transparent,
                          offset, useHeader);
  }
  // Every frame pixel outside the w x h area at (x0, y0) still blank.
  bool OnlyAreaTouched(int x0, int y0, int w, int h) const {
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = 0; x < kFrameWidth; x++) {
        const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
        if (!inside && At(x, y) != kBlank) return false;
      }
    }
    return true;
  }
  size_t NewBoxes() const { return HeadlessMessageBoxes().size() - boxesBefore; }
};

TEST_F(Tz2Test, DrawsThePictureTopRowFirstAtItsPlaceWithItsColours) {
  const std::vector<uint8_t> pixels = Pattern(37, 23, 20);
  ASSERT_EQ(Draw(Encode(pixels, 37, 23, Colours(20)), 5, 7, -1, 0, false), PicError::None);
  for (int y = 0; y < 23; y++) {
    for (int x = 0; x < 37; x++) ASSERT_EQ(At(5 + x, 7 + y), pixels[y * 37 + x]) << x << "," << y;
  }
  EXPECT_TRUE(OnlyAreaTouched(5, 7, 37, 23));
  EXPECT_EQ(DirtyRect, (Rect{5, 7, 42, 30}));
  // The file keeps blue, green, red; the palette gets red, green, blue and the reserved flag.
  EXPECT_EQ(palette[3], (PalEntry{3, 103, 197, PC_RESERVED}));
  EXPECT_EQ(palette[20], PalEntry{});
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

TEST_F(Tz2Test, WidePicturesMatchPixelForPixelWithAndWithoutTransparency) {
  // Rows long enough for the chunked writes, odd widths so rows end mid-run, and a frame that
  // is not blank so that every pixel left alone can be told from one written.
  for (int i = 0; i < static_cast<int>(frame.size()); i++) frame[i] = static_cast<uint8_t>(i % 199);
  const std::vector<uint8_t> before = frame;
  const std::vector<uint8_t> pixels = Pattern(237, 61, 7);
  for (const int transparent : {-1, 3}) {
    frame = before;
    const auto file =
        Encode(pixels, 237, 61, Colours(7), 0, 0,
               transparent < 0 ? kTz2NoTransparent : static_cast<uint16_t>(transparent));
    ASSERT_EQ(Draw(file, 301, 17, -1, 50), PicError::None);
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
  }
}

TEST_F(Tz2Test, TheHeaderPositionIsAddedOnlyWhenAsked) {
  const std::vector<uint8_t> file = Encode(Pattern(10, 10, 3), 10, 10, Colours(3), 100, 50);
  ASSERT_EQ(Draw(file, 0, 0), PicError::None);
  EXPECT_TRUE(OnlyAreaTouched(100, 50, 10, 10));
  EXPECT_EQ(DirtyRect, (Rect{100, 50, 110, 60}));
  std::fill(frame.begin(), frame.end(), kBlank);
  ASSERT_EQ(Draw(file, 20, 30, -1, 0, false), PicError::None);
  EXPECT_TRUE(OnlyAreaTouched(20, 30, 10, 10));
}

TEST_F(Tz2Test, APictureAboveTheTopEdgeIsDrawnFromLineZero) {
  const std::vector<uint8_t> pixels = Pattern(8, 6, 9);
  ASSERT_EQ(Draw(Encode(pixels, 8, 6, Colours(9)), 3, -4), PicError::None);
  EXPECT_EQ(At(3, 0), pixels[0]);
  EXPECT_EQ(At(10, 5), pixels[47]);
  EXPECT_TRUE(OnlyAreaTouched(3, 0, 8, 6));
  EXPECT_EQ(DirtyRect, (Rect{3, -4, 11, 2}));
}

TEST_F(Tz2Test, APictureReachingPastTheRightOrBottomEdgeIsClipped) {
  const std::vector<uint8_t> pixels = Pattern(100, 40, 11);
  const std::vector<uint8_t> file = Encode(pixels, 100, 40, Colours(11));
  ASSERT_EQ(Draw(file, 600, 460), PicError::None);
  EXPECT_EQ(At(600, 460), pixels[0]);
  EXPECT_EQ(At(639, 479), pixels[19 * 100 + 39]);
  // Nothing wrapped into the left of the frame or spilled anywhere else.
  EXPECT_TRUE(OnlyAreaTouched(600, 460, 40, 20));
  std::fill(frame.begin(), frame.end(), kBlank);
  ASSERT_EQ(Draw(file, -30, 10), PicError::None);
  EXPECT_EQ(At(0, 10), pixels[30]);
  EXPECT_TRUE(OnlyAreaTouched(0, 10, 70, 40));
}

TEST_F(Tz2Test, ColoursGoFromTheOffsetOnAndNeverPastTheLastEntry) {
  const std::vector<uint8_t> file = Encode(Pattern(4, 4, 100), 4, 4, Colours(100));
  ASSERT_EQ(Draw(file, 0, 0, -1, 200), PicError::None);
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
}

TEST_F(Tz2Test, AFullFramePictureIsAccepted) {
  const std::vector<uint8_t> pixels = Pattern(640, 480, 236);
  ASSERT_EQ(Draw(Encode(pixels, 640, 480, Colours(236))), PicError::None);
  EXPECT_EQ(At(0, 0), pixels[0]);
  EXPECT_EQ(At(639, 479), pixels.back());
  EXPECT_EQ(DirtyRect, (Rect{0, 0, 640, 480}));
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

TEST_F(Tz2Test, EveryCutOfAPictureIsRefusedWithoutDrawing) {
  const std::vector<uint8_t> file = Encode(Pattern(30, 20, 12), 30, 20, Colours(12), 10, 10, 3);
  for (size_t cut = 0; cut < file.size(); cut++) {
    const std::vector<uint8_t> head(file.begin(), file.begin() + cut);
    ASSERT_EQ(Draw(head), PicError::BadData) << "cut at " << cut;
  }
  EXPECT_TRUE(OnlyAreaTouched(0, 0, 0, 0));
  EXPECT_EQ(palette[0], PalEntry{});
  EXPECT_EQ(Draw(file), PicError::None);
}

TEST_F(Tz2Test, RandomAndMangledFilesStayInsideFrameAndSource) {
  // Frame, palette and source are exactly sized heap buffers: the sanitizers catch any stray
  // access. Whatever the bytes, the answer is an error or a picture inside the frame.
  std::mt19937 rng(5);
  const std::vector<uint8_t> good = Encode(Pattern(64, 48, 50), 64, 48, Colours(50), 600, 450);
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

TEST_F(Tz2Test, AFrameSmallerThanClaimedIsRefused) {
  std::vector<uint8_t> small(100);
  const std::vector<uint8_t> file = Encode(Pattern(4, 4, 2), 4, 4, Colours(2));
  EXPECT_EQ(Tz2DecodeQuiet(small, palette, file, 640, 480, 0, 0, -1, 0, true), PicError::BadFrame);
}

TEST(Tz2Blocks, DrawAndReadHeaderWorkOnMemoryBlocks) {
  MemFreeAll();
  MemReset();
  const std::vector<uint8_t> file = Encode(Pattern(16, 8, 4), 16, 8, Colours(4), 40, 30, 2, 124);
  const MemHandle picture = MemAlloc(static_cast<uint32_t>(file.size()), "pk:C0001.TZ2");
  std::copy(file.begin(), file.end(), MemLock(picture));
  MemUnlock(picture);
  Tz2Header h;
  ASSERT_TRUE(Tz2ReadHeader(picture, h));
  EXPECT_EQ(std::string(h.magic), "TAZU256");
  EXPECT_EQ(h.x, 40);
  EXPECT_EQ(h.y, 30);
  EXPECT_EQ(h.width, 16);
  EXPECT_EQ(h.height, 8);
  EXPECT_EQ(h.transparent, 2);
  EXPECT_EQ(h.firstIndex, 124);
  EXPECT_EQ(h.colourCount, 4);

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
