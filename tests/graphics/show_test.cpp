// Show effects on the headless engine: the screen ends equal to the back frame, effects take
// their time on the virtual clock, and the skip, low-spec and strip rules hold.
#include "graphics/show.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "platform/headless/headless.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"

namespace {

class ShowTest : public EngineTest {
 protected:
  void SetUp() override {
    StartEngine();
    Prepare();
  }
  void TearDown() override {
    DisplayBpp = 8;
    WeatherMode = 0;
    EngineTest::TearDown();
  }
  // Distinct pictures: every back row differs from the screen, and rows differ from each other.
  static void Prepare() {
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, 20);
    for (int y = 0; y < kFrameHeight; y++) {
      FrameFillRect(BackFrame, 0, static_cast<int16_t>(y), 639, static_cast<int16_t>(y),
                    static_cast<uint16_t>(30 + y % 100));
    }
    FrameFillRect(BackFrame, 100, 200, 540, 260, 7);
    SkipToChoice = SpecLow = ReadTextFast = SkipAllowed = 0;
    WeatherMode = 0;
    PlayMode = PlayModeEventScript;
  }
  // Whether the screen's columns x0..x1 (inclusive) still hold the old colour 20 everywhere.
  static bool ColumnsUntouched(int x0, int x1) {
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = x0; x <= x1; x++) {
        if (FramePixel(ScreenFrame, x, y) != 20) return false;
      }
    }
    return true;
  }
  static void ExpectUnlocked() {
    EXPECT_EQ(MemLockCount(ScreenFrame), 0);
    EXPECT_EQ(MemLockCount(BackFrame), 0);
    EXPECT_EQ(ScreenBusy, 0);
  }
};

// [SECTION] Every effect

// The conditions an effect runs under.
enum : int {
  kLowSpec = 1,   // the low-spec setting
  kSkipping = 2,  // skipping to the next choice
  kReadFast = 4,  // fast reading of text already read
  kUnread = 8,    // fast reading on, but the text is new
  kEnding = 16,   // an ending plays
  kDeep = 32,     // a display deeper than 8 bits
  kWeather = 64,  // a weather overlay runs
};

// One effect: it leaves the back frame on screen (only its strip, when it has one) in
// minMs..maxMs of virtual time, repainting `paints` times when that is given.
struct EffectRun {
  const char* name;
  void (*show)();
  uint32_t minMs, maxMs;
  int when = 0;
  int strip = -1;  // left column of the 320-pixel strip shown; -1 the whole frame
  int paints = -1;
};
void PrintTo(const EffectRun& run, std::ostream* os) {
  *os << run.name;
}

template <uint16_t kMode>
void Mode() {
  ScreenShow(kMode);
}

const EffectRun kEffects[] = {
    {"BackFrame", ShowBackFrame, 0, 1},
    {"BackStrip4", [] { ShowBackStrip(4); }, 0, 1, 0, 320},  // 4 mod 3 = 1: the strip at 320
    {"BackStrip2", [] { ShowBackStrip(2); }, 0, 1, 0, 160},
    {"BackStripWithWeather", [] { ShowBackStrip(1); }, 0, 1, kWeather, 320},
    {"Interlace", ShowInterlace, 2400, 2700, 0, -1, 480},  // rows 2i and 479 - 2i at step i
    {"InterlaceStrip", [] { ShowInterlaceStrip(0); }, 2400, 2700, 0, 0},
    {"InterlaceStripSkipping", [] { ShowInterlaceStrip(1); }, 0, 1, kSkipping, 320},
    {"Comb", ShowComb, 46 * 20, 46 * 22, 0, -1, 46},
    {"CombLowSpec", ShowComb, 0, 1, kLowSpec},
    {"CombStrip", [] { ShowCombStrip(1); }, 46 * 20, 46 * 22, 0, 320},
    {"CombStripWithWeather", [] { ShowCombStrip(0); }, 46 * 20, 46 * 22, kWeather, 0},
    {"Dither", ShowDither, 16 * 40, 16 * 42},
    {"DitherUnreadText", ShowDither, 16 * 40, 16 * 42, kUnread},
    {"DitherDeepDisplayWaitsAfterOddPasses", ShowDither, 8 * 80, 8 * 82, kDeep, -1, 8},
    {"DitherCharsReadText", [] { ShowDitherChars(4); }, 0, 1, kReadFast},
    {"DitherStripChars", [] { ShowDitherStripChars(2, 4); }, 16 * 40, 16 * 42, 0, 160},
    {"OutOfRangeIsMode0", Mode<40>, 800, 999},
    {"Spiral", Mode<1>, 150 * 20, 150 * 22},
    {"RandomTiles", Mode<2>, 37 * 10, 37 * 12},
    {"Diamonds", Mode<3>, 33 * 30, 33 * 32},
    {"DiamondSweep", Mode<4>, 52 * 30, 52 * 32},
    {"Mode6Comb", Mode<6>, 46 * 20, 46 * 22},
    {"Mode6Skipping", Mode<6>, 0, 1, kSkipping},
    {"ColumnComb", Mode<7>, 56 * 20, 56 * 22},
    {"DitherSweep", Mode<8>, 56 * 20, 56 * 22},
    {"Stretch", Mode<9>, 200, 202},
    {"Blinds", Mode<10>, 16 * 40, 16 * 42},
    {"BlindsOfAnEndingOnReadText", Mode<10>, 16 * 40, 16 * 42, kReadFast | kEnding},
    {"Cut", Mode<11>, 0, 1},
    {"Mode12Dither", Mode<12>, 16 * 40, 16 * 42},
    {"Iris", Mode<13>, 700, 702},
    {"SlideUp", Mode<14>, 500, 510},
    {"SlideLeft", Mode<15>, 500, 510},
    {"SlideDown", Mode<16>, 500, 510},
    {"SlideRight", Mode<17>, 500, 510},
    {"RandomLines", Mode<18>, 30 * 40, 30 * 42},
    {"PushUp", Mode<26>, 4000, 4010},
    {"PushLeft", Mode<27>, 4000, 4010},
    {"PushDown", Mode<28>, 4000, 4010},
    {"PushRight", Mode<29>, 4000, 4010},
    // Low spec turns every mode into the cut to black and the fade-in of one 800 ms unit.
    {"SpiralLowSpec", Mode<1>, 800, 999, kLowSpec},
};

class ShowEffectTest : public ShowTest, public ::testing::WithParamInterface<EffectRun> {};

TEST_P(ShowEffectTest, LeavesTheBackFrameOnScreenInItsTime) {
  const EffectRun& run = GetParam();
  SpecLow = run.when & kLowSpec ? 1 : 0;
  SkipToChoice = run.when & kSkipping ? 1 : 0;
  ReadTextFast = run.when & (kReadFast | kUnread) ? 1 : 0;
  SkipAllowed = run.when & kReadFast ? 1 : 0;
  PlayMode = run.when & kEnding ? PlayModeEnding : PlayModeEventScript;
  DisplayBpp = run.when & kDeep ? 32 : 8;
  WeatherMode = run.when & kWeather ? 1 : 0;
  RandomSeed = 0;
  const int paints = HeadlessPaintCount();
  const uint32_t took = Duration(run.show);
  if (run.strip < 0) {
    EXPECT_TRUE(ScreenShowsBack());
  } else {
    EXPECT_TRUE(ScreenShowsBack(run.strip, 0, run.strip + 319, kFrameHeight - 1));
    EXPECT_TRUE(run.strip == 0 || ColumnsUntouched(0, run.strip - 1));
    EXPECT_TRUE(run.strip == 320 || ColumnsUntouched(run.strip + 320, 639));
  }
  EXPECT_GE(took, run.minMs);
  EXPECT_LE(took, run.maxMs);
  if (run.paints >= 0) {
    EXPECT_EQ(HeadlessPaintCount() - paints, run.paints);
  } else {
    EXPECT_GT(HeadlessPaintCount(), paints);
  }
  ExpectUnlocked();
}

INSTANTIATE_TEST_SUITE_P(Effects, ShowEffectTest, ::testing::ValuesIn(kEffects),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShowTest, Mode32ChangesColoursOnly) {
  ScreenShow(32);
  EXPECT_TRUE(ColumnsUntouched(0, 639));
}

// [SECTION] Pushes

// Row identities for the push: column 0 and 1 give the row, column 2 the picture (5 new, 6 old).
void MarkRows(MemHandle frame, uint16_t picture) {
  for (int16_t y = 0; y < kFrameHeight; y++) {
    FrameFillRect(frame, 0, y, 0, y, static_cast<uint16_t>(20 + y % 200));
    FrameFillRect(frame, 1, y, 1, y, static_cast<uint16_t>(20 + y / 200));
    FrameFillRect(frame, 2, y, 2, y, picture);
  }
}

// The picture (5 new, 6 old) and row shown on screen row y.
std::pair<int, int> ShownRow(int y) {
  const int row = (FramePixel(ScreenFrame, 1, y) - 20) * 200 + FramePixel(ScreenFrame, 0, y) - 20;
  return {FramePixel(ScreenFrame, 2, y), row};
}

uint16_t gPushDirection = 0;
int gPushFaults = 0;
int gPushPaints = 0;

// At each paint of a vertical push: the screen is the old picture moved by n rows and the
// new picture's n rows, for one n.
int64_t WatchPush(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT && ScreenBusy) {
    gPushPaints++;
    const bool up = gPushDirection == 0;
    const auto edge = ShownRow(up ? kFrameHeight - 1 : 0);
    const int n = edge.first != 5 ? 0 : up ? edge.second + 1 : kFrameHeight - edge.second;
    for (int y = 0; y < kFrameHeight; y++) {
      // Row r of both pictures stacked, the new one below going up and above going down.
      const int r = up ? y + n : y - n + kFrameHeight;
      if (ShownRow(y) != std::make_pair(up == (r >= kFrameHeight) ? 5 : 6, r % kFrameHeight)) {
        gPushFaults++;
        break;
      }
    }
  }
  return WndProc(message, wParam, lParam);
}

TEST_F(ShowTest, VerticalPushesMoveTheOldPictureOutAsTheNewComesIn) {
  StartEngine(HeadlessConfig{}, WatchPush);
  Prepare();
  for (const uint16_t direction : {0, 2}) {
    MarkRows(BackFrame, 5);
    MarkRows(ScreenFrame, 6);
    gPushDirection = direction;
    gPushFaults = gPushPaints = 0;
    ShowPush(direction, 1);
    EXPECT_GT(gPushPaints, 100) << direction;
    EXPECT_EQ(gPushFaults, 0) << direction;
    EXPECT_TRUE(ScreenShowsBack()) << direction;
  }
}

TEST_F(ShowTest, PushesEndWithTheWholeNewPictureInTheWindow) {
  // The window, not only the screen frame: the last step leaves a row or column of the old
  // picture, which the end must repaint.
  for (int i = 0; i < kPaletteSize; i++) {
    ScenePalette[i] = PalEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 0, 0};
  }
  for (const uint16_t direction : {0, 1, 2, 3}) {
    Prepare();
    ShowPush(direction, 1);
    ASSERT_TRUE(ScreenShowsBack());
    int wrong = 0;
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = 0; x < kFrameWidth; x++) {
        const PalEntry& c = ShownPalette[FramePixel(BackFrame, x, y)];
        wrong += HeadlessPixel(x, y) != (uint32_t{c.red} << 16 | c.green << 8 | c.blue);
      }
    }
    EXPECT_EQ(wrong, 0) << "direction " << direction;
  }
}

// [SECTION] Zoom and weather

// What the window showed at the first present 600 ms or more into a zoom started at
// gZoomStart.
struct HalfWay {
  bool seen = false;
  uint32_t topLeft = 0, bottomRight = 0;
  PalEntry shown[kPaletteSize]{};
};
HalfWay gHalfWay;
uint32_t gZoomStart = 0;

uint32_t Rgb(const PalEntry& c) {
  return static_cast<uint32_t>(c.red) << 16 | static_cast<uint32_t>(c.green) << 8 | c.blue;
}

void WatchHalfWay() {
  if (gHalfWay.seen || PlatTicks() - gZoomStart < 600) return;
  gHalfWay.seen = true;
  gHalfWay.topLeft = HeadlessPixel(0, 0);
  gHalfWay.bottomRight = HeadlessPixel(ClientWidth - 1, ClientHeight - 1);
  std::copy(ShownPalette, ShownPalette + kPaletteSize, gHalfWay.shown);
}

// Grid cell (cx, cy) of the zoom test picture: colour 10 + cx + 10 cy.
constexpr int Cell(int cx, int cy) {
  return 10 + cx + 10 * cy;
}

class ZoomTest : public ShowTest {
 protected:
  void SetUp() override {
    ShowTest::SetUp();
    // A 10 x 10 grid of colours (cells of 64 x 48), colours far apart even when darkened.
    for (int cy = 0; cy < 10; cy++) {
      for (int cx = 0; cx < 10; cx++) {
        FrameFillRect(BackFrame, static_cast<int16_t>(cx * 64), static_cast<int16_t>(cy * 48),
                      static_cast<int16_t>(cx * 64 + 63), static_cast<int16_t>(cy * 48 + 47),
                      static_cast<uint16_t>(Cell(cx, cy)));
      }
    }
    for (int i = 0; i < kPaletteSize; i++) {
      ScenePalette[i] =
          PalEntry{static_cast<uint8_t>(i * 37), static_cast<uint8_t>(i * 91), 200, PC_RESERVED};
    }
    gHalfWay = HalfWay{};
    HeadlessOnPresent(WatchHalfWay);
  }
  void TearDown() override {
    HeadlessOnPresent(nullptr);
    ShowTest::TearDown();
  }
};

TEST_F(ZoomTest, GrowsFromTheCentreOverTheWholeClientWhileTheColoursRise) {
  // Half way the window shows the middle half of the picture at twice its size: the corners
  // show cells (2, 2) and (7, 7), whatever the size of the window.
  for (const int width : {640, 1280}) {
    int w, h;
    PlatAdjustWindowRect(width, width * 3 / 4, w, h);
    PlatMoveWindow(0, 0, w, h);
    ASSERT_EQ(ClientWidth, width);
    gHalfWay = HalfWay{};
    gZoomStart = PlatTicks();
    const uint32_t took = Duration([] { ScreenShow(30); });
    EXPECT_GE(took, 1200u);
    EXPECT_LE(took, 1222u);
    ASSERT_TRUE(gHalfWay.seen);
    EXPECT_EQ(gHalfWay.topLeft, Rgb(gHalfWay.shown[Cell(2, 2)])) << width;
    EXPECT_EQ(gHalfWay.bottomRight, Rgb(gHalfWay.shown[Cell(7, 7)])) << width;
    EXPECT_NEAR(gHalfWay.shown[0].blue, 100, 4) << "about half brightness";
    // At the end the whole picture in its own colours, the screen frame equal to the back frame.
    EXPECT_TRUE(ScreenShowsBack());
    EXPECT_EQ(HeadlessPixel(0, 0), Rgb(ScenePalette[Cell(0, 0)]));
    EXPECT_EQ(HeadlessPixel(width - 1, width * 3 / 4 - 1), Rgb(ScenePalette[Cell(9, 9)]));
    ExpectUnlocked();
  }
}

// The weather modes seen at every present while an effect runs with weather.
std::vector<int> gModesAtPresent;
void NoteModeAtPresent() {
  gModesAtPresent.push_back(WeatherMode);
}

class WeatherHandOffTest : public ShowTest {
 protected:
  void SetUp() override {
    ShowTest::SetUp();
    WeatherBuffer = MemAlloc(15360, "WEATHER BUF");
    gModesAtPresent.clear();
    HeadlessOnPresent(NoteModeAtPresent);
  }
  void TearDown() override {
    HeadlessOnPresent(nullptr);
    WeatherMode = 0;
    ShowTest::TearDown();
  }
  // Runs `show` with weather mode 4; expects the overlay on at every paint and back after.
  template <typename Show>
  void ExpectOverlayHandedBack(Show show, const char* what) {
    Prepare();
    PlatUpdateWindow();  // a paint still due now would come in the middle of `show`
    WeatherMode = 4;
    gModesAtPresent.clear();
    show();
    EXPECT_EQ(WeatherMode, 4) << what;
    EXPECT_EQ(WeatherPutOnRequest, 0) << what;
    EXPECT_EQ(WeatherTakeOffRequest, 0) << what;
    EXPECT_FALSE(gModesAtPresent.empty()) << what;
    for (const int mode : gModesAtPresent) EXPECT_EQ(mode, 4) << what;
  }
};

TEST_F(WeatherHandOffTest, EffectsPaintWithTheOverlayOnAndGiveTheModeBack) {
  ExpectOverlayHandedBack([] { ShowComb(); }, "comb");
  ExpectOverlayHandedBack([] { ShowInterlaceStrip(2); }, "interlace strip");
  ExpectOverlayHandedBack([] { ShowBackStrip(1); }, "strip");
  ExpectOverlayHandedBack([] { ShowBackFrame(); }, "back frame");
  for (const uint16_t mode : {1, 2, 3, 5, 13, 14, 18, 22}) {
    ExpectOverlayHandedBack([mode] { ScreenShow(mode); }, std::to_string(mode).c_str());
  }
}

TEST_F(WeatherHandOffTest, ZoomTakesTheOverlayOffUntilItEnds) {
  Prepare();
  WeatherMode = 4;
  ScreenShow(30);
  // The zoom draws straight into the window from a screen frame without the overlay.
  ASSERT_FALSE(gModesAtPresent.empty());
  EXPECT_EQ(gModesAtPresent.front(), 0);
  EXPECT_EQ(WeatherMode, 4);
}

TEST_F(WeatherHandOffTest, DeepDisplayFadesDriveTheOverlayThemselves) {
  HeadlessConfig deep;
  deep.displayBpp = 32;
  TearDown();
  StartEngine(deep);
  WeatherBuffer = MemAlloc(15360, "WEATHER BUF");
  HeadlessOnPresent(NoteModeAtPresent);
  ExpectOverlayHandedBack([] { PalFadeIn(1); }, "deep fade");
  EXPECT_EQ(ScreenBusy, 0);
}

TEST_F(WeatherHandOffTest, WithTheSettingOffAnEndingModeEndsAndARunningOneStays) {
  const struct { uint8_t on, mode, after; } offs[] = {{0, 6, 0}, {0, 1, 1}, {1, 1, 0}};
  for (const auto& c : offs) {
    WeatherOn = c.on;
    WeatherMode = c.mode;
    EXPECT_EQ(WeatherOverlayOff(), c.mode) << int{c.on} << " " << int{c.mode};
    EXPECT_EQ(WeatherMode, c.after) << int{c.on} << " " << int{c.mode};
  }
  WeatherOverlayOn(1);
  EXPECT_EQ(WeatherMode, 1);
}

}  // namespace
