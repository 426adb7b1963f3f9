// TZ2 pictures: placement in the bottom-up frame, transparency and colour offsets, the palette,
// the refusals and their order, clipping, and damaged or random files.
#include "resources/tz2.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "resources/lzss_stream.h"
#include "support/pictures.h"

namespace {

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
  std::string reason;
  std::vector<uint8_t> file = Tz2Encode(
      {PatternPixels(w, h, colours), w, h, PatternColours(colours), x, y, transparent, firstIndex},
      &reason);
  EXPECT_FALSE(file.empty()) << reason;
  return file;
}

class Tz2Test : public ::testing::Test, public TestCanvas {
 protected:
  size_t boxesBefore = HeadlessMessageBoxes().size();

  void SetUp() override { DirtyRect = kEmptyRect; }
  PicError Draw(const std::vector<uint8_t>& file, int16_t x = 0, int16_t y = 0,
                int32_t transparent = -1, uint32_t offset = 0, bool useHeader = true) {
    return Tz2DecodeQuiet(frame, palette, file, kFrameWidth, kFrameHeight, x, y, transparent,
                          offset, useHeader);
  }
};

TEST_F(Tz2Test, DrawsTopRowFirstWithColourOffsetAndTransparency) {
  // Rows long enough for the chunked writes, odd widths so rows end mid-run, and a frame that
  // is not blank so that every pixel left alone can be told from one written.
  for (size_t i = 0; i < frame.size(); i++) frame[i] = static_cast<uint8_t>(i % 199);
  const std::vector<uint8_t> before = frame, pixels = PatternPixels(237, 61, 7);
  const struct {
    uint16_t inFile;
    int32_t given, drawn;  // the caller's transparent index overrides the file's
  } cases[] = {{kTz2NoTransparent, -1, -1}, {3, -1, 3}, {3, 5, 5}};
  for (const auto& c : cases) {
    frame = before;
    palette = {};
    ASSERT_EQ(Draw(Encode(237, 61, 7, 0, 0, c.inFile), 301, 17, c.given, 50, false),
              PicError::None);
    EXPECT_EQ(Differs(pixels, 301, 17, 237, 61, 50, c.drawn, &before), "") << c.drawn;
    EXPECT_EQ(DirtyRect, (Rect{301, 17, 538, 78}));
    // The file keeps blue, green, red; the palette gets red, green, blue and the reserved flag.
    EXPECT_EQ(palette[53], (PalEntry{3, 103, 197, PC_RESERVED}));
    EXPECT_EQ(palette[49], PalEntry{});
    EXPECT_EQ(palette[57], PalEntry{});
  }
  EXPECT_EQ(HeadlessMessageBoxes().size(), boxesBefore);
}

TEST_F(Tz2Test, PicturesPastTheFrameEdgesAreClippedOrMovedDown) {
  const std::vector<uint8_t> pixels = PatternPixels(100, 40, 11), file = Encode(100, 40, 11);
  // A picture above the top edge is not clipped there: it is drawn from line 0 down.
  const struct { int16_t x, y, drawnY; } cases[] = {{600, 460, 460}, {-30, 10, 10}, {3, -4, 0}};
  for (const auto& c : cases) {
    Clear();
    ASSERT_EQ(Draw(file, c.x, c.y), PicError::None);
    EXPECT_EQ(Differs(pixels, c.x, c.drawnY, 100, 40), "") << c.x << "," << c.y;
    EXPECT_EQ(DirtyRect, (Rect{c.x, c.y, c.x + 100, c.y + 40}));
  }
  // A picture of the whole frame fits.
  Clear();
  ASSERT_EQ(Draw(Encode(640, 480, 236)), PicError::None);
  EXPECT_EQ(Differs(PatternPixels(640, 480, 236), 0, 0, 640, 480), "");
}

TEST_F(Tz2Test, TransparencyAndOffsetHoldAtTheFrameEdges) {
  for (size_t i = 0; i < frame.size(); i++) frame[i] = static_cast<uint8_t>(i % 199);
  const std::vector<uint8_t> before = frame, pixels = PatternPixels(100, 40, 11);
  const std::vector<uint8_t> file = Encode(100, 40, 11, 0, 0, 4);
  const struct { int16_t x, y, drawnY; } cases[] = {{600, 460, 460}, {-30, 10, 10}, {3, -4, 0}};
  for (const auto& c : cases) {
    frame = before;
    ASSERT_EQ(Draw(file, c.x, c.y, -1, 200), PicError::None);
    EXPECT_EQ(Differs(pixels, c.x, c.drawnY, 100, 40, 200, 4, &before), "") << c.x << "," << c.y;
  }
}

TEST_F(Tz2Test, AStreamCutNearItsEndChangesNothing) {
  // Most of the picture decodes before the damage shows.
  std::vector<uint8_t> file = Encode(640, 480, 236);
  file.resize(file.size() - 2);
  EXPECT_EQ(Draw(file), PicError::BadData);
  EXPECT_EQ(Differs(), "");
  EXPECT_EQ(palette[0], PalEntry{});
  EXPECT_EQ(DirtyRect, kEmptyRect);
}

TEST_F(Tz2Test, RefusalsComeInTheOrderMagicPaletteSizeTouchNothingAndShowABox) {
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
  const std::vector<uint8_t> tall = raw.Bytes();
  EXPECT_EQ(Draw(tall), PicError::SizeOver);
  raw.height = 0;
  EXPECT_EQ(Draw(raw.Bytes()), PicError::NoPixels);
  EXPECT_EQ(Differs(), "");
  EXPECT_EQ(palette[200], PalEntry{});
  EXPECT_EQ(DirtyRect, kEmptyRect);
  std::vector<uint8_t> small(100);
  EXPECT_EQ(Tz2DecodeQuiet(small, palette, Encode(4, 4, 2), 640, 480, 0, 0, -1, 0, true),
            PicError::BadFrame);
  // Where the game draws, a box tells of each but the empty picture, the pointer shown meanwhile.
  const bool cursorVisible = HeadlessCursorVisible();
  for (const auto& bytes : {file, raw.Bytes(), tall})
    EXPECT_FALSE(Tz2Decode(frame, palette, bytes, 640, 480, 0, 0, -1, 0, true));
  ASSERT_EQ(HeadlessMessageBoxes().size(), boxesBefore + 2);
  const HeadlessBox& data = HeadlessMessageBoxes()[boxesBefore];
  EXPECT_EQ(data.caption, "ＴＺ２展開エラー");
  EXPECT_EQ(data.text, "データ異常です");
  EXPECT_EQ(data.flags, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "サイズオーバーです");
  EXPECT_EQ(HeadlessCursorVisible(), cursorVisible);
  // The colours go from the offset on, up to the last entry.
  raw.height = 1;
  EXPECT_EQ(Draw(raw.Bytes(), 0, 0, -1, 200), PicError::None);
  EXPECT_EQ(palette[235], (PalEntry{9, 9, 9, PC_RESERVED}));
}

TEST_F(Tz2Test, DamagedAndRandomFilesAreRefusedOrStayInside) {
  const std::vector<uint8_t> cutFrom = Encode(30, 20, 12, 10, 10, 3);
  for (size_t cut = 0; cut < cutFrom.size(); cut++) {
    const std::vector<uint8_t> head(cutFrom.begin(), cutFrom.begin() + cut);
    ASSERT_EQ(Draw(head), PicError::BadData) << "cut at " << cut;
  }
  EXPECT_EQ(Differs(), "");
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

}  // namespace
