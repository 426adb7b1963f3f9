// Screen effects on the headless engine with sound entries in the data: the shake's moves,
// bands and sounds, the scene the splash leaves behind, and the zoom pulse's length and sound.
#include "graphics/effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/audio_fixture.h"
#include "support/frame_probe.h"

namespace {

uint8_t Marked(int x, int y) {
  return static_cast<uint8_t>(1 + (x * 7 + y * 13) % 200);
}

class EffectsTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    // Short sounds for the quake and the zoom pulse: a tenth of a second each.
    std::vector<std::pair<std::string, std::string>> entries;
    for (const char* name : {"MR_VD18.P16", "MR_VD24.P16", "MR_VD40.P16", "MR_VD03.P16"}) {
      entries.emplace_back(name, std::string(4410, '\x01'));
    }
    WriteStartArchives(dir.path, entries);
    ASSERT_TRUE(PackOpen());
    SkipToChoice = SpecLow = ReadTextFast = SkipAllowed = 0;
    PlayMode = PlayModeEventScript;
    Paint(ScreenFrame);
    Paint(BackFrame);
    for (int i = 0; i < kPaletteSize; i++) ScenePalette[i] = PalEntry{90, 90, 90, 1};
    PalShow();
    HeadlessClearAudioCalls();
  }
  void TearDown() override {
    SkipToChoice = 0;
    MemRelease(&BackGrp);
    AudioTest::TearDown();
  }
  static void Paint(MemHandle frame) {
    uint8_t* p = MemLock(frame);
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = 0; x < kFrameWidth; x++) p[FramePixelOffset(x, y)] = Marked(x, y);
    }
    MemUnlock(frame);
  }
  static size_t Plays() { return HeadlessAudioLines({"WaveWrite"}).size(); }
};

// [SECTION] Quake

struct Move {
  int dx, dy;
  bool operator==(const Move&) const = default;
};
std::vector<Move> gMoves;
int gBadBands = 0;

// The move the screen frame shows: the picture moved left by dx and down by dy, the uncovered
// 16-pixel bands black; {99, 99} when it is none of the shake's moves.
Move ShownMove() {
  for (const Move m :
       {Move{0, 0}, Move{16, 16}, Move{-16, -16}, Move{16, -16}, Move{-16, 16}, Move{0, 16}}) {
    bool fits = true;
    for (int y = 16; y < kFrameHeight - 16 && fits; y += 5) {
      for (int x = 16; x < kFrameWidth - 16 && fits; x += 7) {
        fits = FramePixel(ScreenFrame, x, y) == Marked(x + m.dx, y - m.dy);
      }
    }
    if (!fits) continue;
    const auto black = [](int x0, int y0, int x1, int y1) {
      for (int y = y0; y <= y1; y++) {
        for (int x = x0; x <= x1; x++) {
          if (FramePixel(ScreenFrame, x, y) != kColourBlack) return false;
        }
      }
      return true;
    };
    if (m.dx > 0 && !black(624, 0, 639, 479)) gBadBands++;
    if (m.dx < 0 && !black(0, 0, 15, 479)) gBadBands++;
    if (m.dy > 0 && !black(0, 0, 639, 15)) gBadBands++;
    if (m.dy < 0 && !black(0, 464, 639, 479)) gBadBands++;
    return m;
  }
  return {99, 99};
}

int64_t WatchQuake(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT && ScreenBusy) gMoves.push_back(ShownMove());
  return WndProc(message, wParam, lParam);
}

TEST_F(EffectsTest, QuakesShakeWithTheirListAndSoundAndRestoreThePicture) {
  const std::vector<Move> shortList{{16, 16}, {-16, -16}, {16, -16}, {0, 0}};
  const std::vector<Move> bump{{0, 16}, {0, 0}};
  const struct {
    uint8_t n;
    uint16_t skip;
    size_t moves;                // paints, the return included
    std::vector<Move> expected;  // when given, the moves in order
    size_t plays;
  } cases[] = {
      {12, 0, 4, shortList, 1}, {0, 0, 13, {}, 0},
      {11, 0, 7, {}, 1},        {3, 0, 3, {{16, 16}, {-16, -16}, {0, 0}}, 0},
      {37, 0, 2, bump, 1},      {12, 1, 2, bump, 0},  // skipping: one bump, no sound
  };
  StartEngine(HeadlessConfig{}, WatchQuake);
  DataDir = dir.path.string();
  ASSERT_TRUE(PackOpen());
  for (const auto& c : cases) {
    Paint(ScreenFrame);
    SkipToChoice = c.skip;
    HeadlessClearAudioCalls();
    gMoves.clear();
    gBadBands = 0;
    ScreenQuake(c.n);
    EXPECT_EQ(gMoves.size(), c.moves) << int{c.n};
    if (!c.expected.empty()) {
      EXPECT_EQ(gMoves, c.expected) << int{c.n};
    }
    EXPECT_EQ(std::count(gMoves.begin(), gMoves.end(), Move{99, 99}), 0) << int{c.n};
    EXPECT_EQ(gBadBands, 0) << int{c.n};
    EXPECT_EQ(Plays(), c.plays) << int{c.n};
    EXPECT_EQ(PcmEntry, kNoPcm) << int{c.n};
    EXPECT_EQ(ShownMove(), (Move{0, 0})) << "the picture is back";
    EXPECT_EQ(MemLockCount(ScreenFrame), 0);
    EXPECT_EQ(ScreenBusy, 0);
  }
}

// [SECTION] Splash

// Red pixels (colour 0) of the back frame in columns x0..x1 of rows y0..y1.
int RedIn(int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y <= y1; y++) {
    for (int x = x0; x <= x1; x++) n += FramePixel(BackFrame, x, y) == 0;
  }
  return n;
}

void ExpectBlotsOnTheDiagonal() {
  EXPECT_GT(RedIn(480, 0, 639, 120), 4000);
  EXPECT_GT(RedIn(240, 180, 400, 300), 2000);
  EXPECT_GT(RedIn(0, 400, 120, 479), 200);
  EXPECT_EQ(RedIn(0, 0, 100, 100), 0);
  EXPECT_EQ(RedIn(540, 380, 639, 479), 0);
}

TEST_F(EffectsTest, SplashEndsAsADimmedBackgroundOfRedBlots) {
  CharCode[1] = 0x0203;
  RangeChar[kRangeA] = 0x0200;
  FilterMode = 2;
  ScreenSplash(1);
  EXPECT_EQ(PaletteState, PalStateDimmed);
  EXPECT_EQ(BgShown, 252);
  EXPECT_EQ(BgHeld, 252);
  EXPECT_EQ(CharCode[1], kEmptyCode);
  EXPECT_EQ(RangeChar[kRangeA], kRangeFree);
  EXPECT_EQ(FilterMode, 0);
  EXPECT_EQ(ScenePalette[0], (PalEntry{255, 0, 0, PC_RESERVED}));
  // The blots run from the top right to the bottom left: nothing but red and black, red on
  // the diagonal, the two other corners black.
  const std::vector<uint8_t> back = FramePixels(BackFrame);
  EXPECT_EQ(FramePixels(ScreenFrame), back);
  EXPECT_TRUE(
      std::all_of(back.begin(), back.end(), [](uint8_t p) { return p == 0 || p == kColourBlack; }));
  ExpectBlotsOnTheDiagonal();
  // The kept picture is the splash, for a redraw.
  ASSERT_NE(BackGrp, 0u);
  const uint8_t* kept = MemLock(BackGrp);
  EXPECT_TRUE(std::equal(back.begin(), back.end(), kept));
  MemUnlock(BackGrp);
}

// [SECTION] Zoom pulse

TEST_F(EffectsTest, ZoomPulsesLastTheirTimeWithTheirSound) {
  const struct {
    uint8_t n;
    uint16_t skip;
    uint32_t minMs, maxMs;
    size_t plays;
  } cases[] = {
      {0, 0, 1200, 1260, 1}, {3, 0, 2000, 2060, 1}, {5, 1, 200, 260, 1},
      {0, 1, 120, 180, 1},   {6, 0, 0, 0, 0},  // no such anchor: nothing at all
  };
  for (const auto& c : cases) {
    SkipToChoice = c.skip;
    HeadlessClearAudioCalls();
    const std::vector<uint8_t> before = FramePixels(ScreenFrame);
    const uint32_t took = Duration([&] { ScreenZoomPulse(c.n); });
    EXPECT_GE(took, c.minMs) << int{c.n};
    EXPECT_LE(took, c.maxMs) << int{c.n};
    EXPECT_EQ(Plays(), c.plays) << int{c.n};
    EXPECT_EQ(FramePixels(ScreenFrame), before) << int{c.n};
    EXPECT_EQ(ScreenBusy, 0);
  }
}

}  // namespace
