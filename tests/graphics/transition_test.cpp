// Screen transitions on the headless engine: every transition ends black in its time with the
// scene state it promises, the skip and low-spec rules pick the right one, and the tile,
// curtain and slide effects draw what they should on the way.
#include "graphics/transition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"

namespace {

// Colour of back pixel (x, y): rows and columns all differ, never black (228) nor 0.
uint8_t Marked(int x, int y) {
  return static_cast<uint8_t>(1 + (x * 7 + y * 13) % 200);
}

class TransitionTest : public EngineTest {
 protected:
  void SetUp() override {
    StartEngine();
    Prepare();
  }
  void TearDown() override {
    DisplayBpp = 8;
    EngineTest::TearDown();
  }
  // The scene on both frames, two characters in their slots, a shown background and pictures,
  // the palette shown in full.
  static void Prepare() {
    uint8_t* screen = MemLock(ScreenFrame);
    uint8_t* back = MemLock(BackFrame);
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = 0; x < kFrameWidth; x++) {
        screen[FramePixelOffset(x, y)] = back[FramePixelOffset(x, y)] = Marked(x, y);
      }
    }
    MemUnlock(BackFrame);
    MemUnlock(ScreenFrame);
    for (int i = 0; i < kPaletteSize; i++) {
      ScenePalette[i] = PalEntry{static_cast<uint8_t>(i), 100, static_cast<uint8_t>(255 - i), 1};
    }
    PalShow();
    SkipToChoice = SpecLow = ReadTextFast = SkipAllowed = 0;
    PlayMode = PlayModeEventScript;
    WeatherMode = 0;
    CharCode[0] = 0x0101, CharOrder[0] = 0;
    CharCode[4] = 0x0203, CharOrder[4] = 1;
    RangeChar[kRangeA] = 0x0100, RangeChar[kRangeB] = 0x0200;
    BgShown = 12, VCgShown = 3, HCgShown = 4;
  }
  static bool AllBlack(MemHandle frame) {
    const std::vector<uint8_t> pixels = FramePixels(frame);
    return std::all_of(pixels.begin(), pixels.end(), [](uint8_t p) { return p == kColourBlack; });
  }
  static bool SlotsEmpty() {
    for (int s = 0; s < 6; s++) {
      if (CharCode[s] != kEmptyCode || CharOrder[s] != kEmptyCode) return false;
    }
    return RangeChar[kRangeA] == kRangeFree && RangeChar[kRangeB] == kRangeFree;
  }
};

// [SECTION] Every transition

struct HideRun {
  int16_t t;
  uint32_t minMs, maxMs;
  bool backKept = false;   // the back frame keeps the scene
  bool slotsKept = false;  // the character slots stay as they were
};
void PrintTo(const HideRun& run, std::ostream* os) {
  *os << run.t;
}

const HideRun kHides[] = {
    {0, 800, 830},
    {1, 150 * 20, 150 * 22},
    {2, 38 * 10, 38 * 12},
    {3, 33 * 30, 33 * 32},
    {4, 52 * 30, 52 * 32},
    {5, 16 * 40, 16 * 42},
    {6, 46 * 20, 46 * 22},
    {7, 56 * 20, 56 * 22},
    {8, 56 * 20, 56 * 22},
    {9, 300, 302, true},
    {10, 16 * 40, 16 * 42},
    {11, 0, 1},
    {12, 800, 830},
    {13, 700, 702},
    {14, 500, 510, false, true},
    {15, 500, 510, false, true},
    {16, 500, 510, false, true},
    {17, 500, 510, false, true},
    {18, 30 * 40, 30 * 42},
    {19, 400, 3000},
    {20, 900, 4000},
    {21, 300, 3000},
    {22, 800, 830},
    {30, 1200, 1222},
    {31, 3200, 3230},
    {40, 800, 830},
    {-1, 800, 830},
};

class HideTest : public TransitionTest, public ::testing::WithParamInterface<HideRun> {};

TEST_P(HideTest, EndsBlackInItsTimeWithTheSceneGone) {
  const HideRun& run = GetParam();
  RandomSeed = 0x1234;
  const int paints = HeadlessPaintCount();
  const uint32_t took = Duration([&] { ScreenHide(run.t); });
  EXPECT_TRUE(AllBlack(ScreenFrame));
  EXPECT_EQ(AllBlack(BackFrame), !run.backKept);
  EXPECT_EQ(SlotsEmpty(), !run.slotsKept);
  EXPECT_EQ(BgShown, kNoPicture);
  EXPECT_EQ(VCgShown, kNoPicture);
  EXPECT_EQ(HCgShown, kNoPicture);
  EXPECT_GE(took, run.minMs);
  EXPECT_LE(took, run.maxMs);
  EXPECT_GT(HeadlessPaintCount(), paints);
  EXPECT_EQ(MemLockCount(ScreenFrame), 0);
  EXPECT_EQ(MemLockCount(BackFrame), 0);
  EXPECT_EQ(ScreenBusy, 0);
}

INSTANTIATE_TEST_SUITE_P(Transitions, HideTest, ::testing::ValuesIn(kHides), [](const auto& info) {
  const int t = info.param.t;
  return t < 0 ? std::string("Minus1") : std::to_string(t);
});

TEST_F(TransitionTest, Transition32KeepsTheColoursAndChangesNothingElse) {
  const std::vector<uint8_t> screen = FramePixels(ScreenFrame), back = FramePixels(BackFrame);
  const int paints = HeadlessPaintCount();
  ScreenHide(32);
  EXPECT_EQ(FramePixels(ScreenFrame), screen);
  EXPECT_EQ(FramePixels(BackFrame), back);
  EXPECT_EQ(HeadlessPaintCount(), paints);
  EXPECT_EQ(CharCode[4], 0x0203);
  EXPECT_EQ(RangeChar[kRangeB], 0x0200);
  EXPECT_TRUE(std::equal(ScenePalette, ScenePalette + kPaletteSize, SavedPalette));
  EXPECT_EQ(BgShown, kNoPicture);
}

TEST_F(TransitionTest, DeepDisplaysShowTheHalvedEffectsEveryOtherStep) {
  DisplayBpp = 32;
  const struct {
    int16_t t;
    int steps;
  } halved[] = {{3, 17}, {4, 26}, {10, 9}};
  for (const auto& h : halved) {
    Prepare();
    const int paints = HeadlessPaintCount();
    ScreenHide(h.t);
    // The steps shown (and the blinds' colours put up first, a repaint on such a display).
    EXPECT_EQ(HeadlessPaintCount() - paints, h.steps) << h.t;
    EXPECT_TRUE(AllBlack(ScreenFrame)) << h.t;
  }
}

// [SECTION] Which transition runs

TEST_F(TransitionTest, SkippingCutsAndLowSpecFadesWhicheverIsAskedFor) {
  const struct {
    const char* what;
    uint16_t skip, lowSpec, readFast, read, playMode;
    int16_t asked;
    uint32_t minMs, maxMs;
    int paints;  // -1: more than one
    uint8_t paletteAfter;
  } cases[] = {
      {"skipping cuts", 1, 0, 0, 0, PlayModeEventScript, 1, 0, 1, 1, PalStateNormal},
      {"read text cuts", 0, 0, 1, 1, PlayModeEventScript, 13, 0, 1, 1, PalStateNormal},
      {"unread text runs it", 0, 0, 1, 0, PlayModeEventScript, 1, 3000, 3300, -1, PalStateNormal},
      {"low spec fades", 0, 1, 0, 0, PlayModeEventScript, 1, 800, 830, 1, PalStateBlack},
      {"low spec wins over the skip", 1, 1, 0, 0, PlayModeEventScript, 13, 0, 1, 1, PalStateBlack},
      {"an ending is not cut", 0, 0, 1, 1, PlayModeEnding, 1, 3000, 3300, -1, PalStateNormal},
      {"an ending skipped fast", 1, 0, 0, 0, PlayModeEnding, 1, 0, 300, -1, PalStateNormal},
  };
  for (const auto& c : cases) {
    Prepare();
    SkipToChoice = c.skip, SpecLow = c.lowSpec, ReadTextFast = c.readFast, SkipAllowed = c.read;
    PlayMode = c.playMode;
    const int paints = HeadlessPaintCount();
    const uint32_t took = Duration([&] { ScreenHide(c.asked); });
    EXPECT_GE(took, c.minMs) << c.what;
    EXPECT_LE(took, c.maxMs) << c.what;
    if (c.paints > 0) {
      EXPECT_EQ(HeadlessPaintCount() - paints, c.paints) << c.what;
    } else {
      EXPECT_GT(HeadlessPaintCount() - paints, 10) << c.what;
    }
    EXPECT_EQ(PaletteState, c.paletteAfter) << c.what;
    EXPECT_TRUE(AllBlack(ScreenFrame)) << c.what;
  }
}

TEST_F(TransitionTest, FadeFromBlackChangesNoColoursAndStillClears) {
  PalBlack();
  const std::vector<PalEntry> shown(ShownPalette, ShownPalette + kPaletteSize);
  const uint32_t took = Duration([] { ScreenHide(0); });
  EXPECT_LE(took, 1u);
  EXPECT_EQ(std::vector<PalEntry>(ShownPalette, ShownPalette + kPaletteSize), shown);
  EXPECT_TRUE(AllBlack(ScreenFrame));
  EXPECT_TRUE(AllBlack(BackFrame));
}

TEST_F(TransitionTest, TilesAllGoBlackWhateverTheRandomValues) {
  for (const uint16_t seed : {0, 1, 0x8000, 0xFFFF, 0x5A5A}) {
    for (const int16_t t : {1, 2}) {
      Prepare();
      RandomSeed = seed;
      ScreenHide(t);
      EXPECT_TRUE(AllBlack(ScreenFrame)) << t << " seed " << seed;
    }
  }
}

// [SECTION] On the way

// Screen pixels seen at each paint of a running effect.
struct Watch {
  int paints = 0;
  int faults = 0;
  int16_t direction = 0;
  bool redSeen = false;
};
Watch gWatch;

// At every paint of a slide-out: the picture moved by one amount towards its direction, black
// where it left, and a horizontal amount a multiple of 4.
int64_t WatchSlide(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT && ScreenBusy) {
    gWatch.paints++;
    const int d = gWatch.direction;
    // The amount: black rows at the bottom (0) or top (2), black columns at the left (1) or
    // right (3).
    int amount = 0;
    if (d % 2 == 0) {
      while (amount < kFrameHeight &&
             FramePixel(ScreenFrame, 5, d == 0 ? kFrameHeight - 1 - amount : amount) ==
                 kColourBlack)
        amount++;
    } else {
      while (amount < kFrameWidth &&
             FramePixel(ScreenFrame, d == 1 ? amount : kFrameWidth - 1 - amount, 5) == kColourBlack)
        amount++;
    }
    bool fault = amount == 0 || (d % 2 == 1 && amount % 4 != 0);
    for (int y = 0; y < kFrameHeight && !fault; y += 7) {
      for (int x = 0; x < kFrameWidth && !fault; x += 11) {
        const int sx = d == 1 ? x - amount : d == 3 ? x + amount : x;
        const int sy = d == 0 ? y + amount : d == 2 ? y - amount : y;
        const bool gone = sx < 0 || sx >= kFrameWidth || sy < 0 || sy >= kFrameHeight;
        fault = FramePixel(ScreenFrame, x, y) != (gone ? kColourBlack : Marked(sx, sy));
      }
    }
    gWatch.faults += fault;
  }
  return WndProc(message, wParam, lParam);
}

TEST_F(TransitionTest, SlideOutsMoveThePictureOffTheirEdge) {
  StartEngine(HeadlessConfig{}, WatchSlide);
  for (int16_t d = 0; d < 4; d++) {
    Prepare();
    gWatch = Watch{};
    gWatch.direction = d;
    ScreenHide(static_cast<int16_t>(14 + d));
    EXPECT_GT(gWatch.paints, 20) << d;
    EXPECT_EQ(gWatch.faults, 0) << d;
  }
}

// At every paint of the red curtain: each column is red (220) from the top down to some row
// and the old picture below it.
int64_t WatchCurtain(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT && ScreenBusy) {
    gWatch.paints++;
    for (int x = 0; x < kFrameWidth; x += 13) {
      int y = 0;
      while (y < kFrameHeight && FramePixel(ScreenFrame, x, y) == kPalWeatherFirst) y++;
      gWatch.redSeen = gWatch.redSeen || (y > 0 && y < kFrameHeight);
      for (int below = y; below < kFrameHeight; below += 3) {
        gWatch.faults += FramePixel(ScreenFrame, x, below) != Marked(x, below);
      }
    }
  }
  return WndProc(message, wParam, lParam);
}

TEST_F(TransitionTest, TheRedCurtainComesDownAndStaysAsARedScene) {
  StartEngine(HeadlessConfig{}, WatchCurtain);
  Prepare();
  gWatch = Watch{};
  HideRedCurtain(1);
  EXPECT_GT(gWatch.paints, 5);
  EXPECT_TRUE(gWatch.redSeen);
  EXPECT_EQ(gWatch.faults, 0);
  const PalEntry red{255, 0, 0, PC_RESERVED};
  EXPECT_EQ(ScenePalette[kPalWeatherFirst], red);
  EXPECT_EQ(ScenePalette[0], red);
  EXPECT_EQ(ShownPalette[0], red);
  const std::vector<uint8_t> back = FramePixels(BackFrame);
  EXPECT_TRUE(std::all_of(back.begin(), back.end(), [](uint8_t p) { return p == 0; }));
  EXPECT_EQ(FramePixels(ScreenFrame), back);
  EXPECT_EQ(BgShown, 253);
  EXPECT_EQ(VCgShown, kNoPicture);
  EXPECT_TRUE(SlotsEmpty());
}

}  // namespace
