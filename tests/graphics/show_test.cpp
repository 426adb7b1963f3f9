// Show effects on the headless engine: the screen ends equal to the back frame, effects take
// their time on the virtual clock, and the skip, low-spec and strip rules hold.
#include "graphics/show.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"

namespace {

// Rows of the screen frame that equal the back frame, noted at every paint (paint index).
std::vector<int> gFirstPaint;
int gPaints = 0;
int gRowsGainedMax = 0;

// Whether row y of the screen frame equals the back frame.
bool RowShown(int y) {
  const uint8_t* s = MemLock(ScreenFrame);
  const uint8_t* b = MemLock(BackFrame);
  const bool same = std::memcmp(s + FramePixelOffset(0, y), b + FramePixelOffset(0, y), 640) == 0;
  MemUnlock(BackFrame);
  MemUnlock(ScreenFrame);
  return same;
}

// A window procedure that notes, at each paint, the rows newly equal to the back frame.
int64_t WatchRows(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT && !gFirstPaint.empty()) {
    int gained = 0;
    for (int y = 0; y < kFrameHeight; y++) {
      if (gFirstPaint[y] < 0 && RowShown(y)) {
        gFirstPaint[y] = gPaints;
        gained++;
      }
    }
    if (gained > gRowsGainedMax) gRowsGainedMax = gained;
    gPaints++;
  }
  return WndProc(message, wParam, lParam);
}

class ShowTest : public EngineTest {
 protected:
  void SetUp() override {
    StartEngine();
    Prepare();
  }
  // Distinct pictures: every back row differs from the screen, and rows differ from each other.
  void Prepare() {
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, 20);
    for (int y = 0; y < kFrameHeight; y++) {
      FrameFillRect(BackFrame, 0, static_cast<int16_t>(y), 639, static_cast<int16_t>(y),
                    static_cast<uint16_t>(30 + y % 100));
    }
    FrameFillRect(BackFrame, 100, 200, 540, 260, 7);
    SkipToChoice = 0;
    SpecLow = 0;
    ReadTextFast = 0;
    SkipAllowed = 0;
    WeatherMode = 0;
    PlayMode = PlayModeEventScript;
  }
  // Whether the screen's columns x0..x1 (inclusive) equal the back frame in every row.
  static bool ColumnsShown(int x0, int x1) {
    const uint8_t* s = MemLock(ScreenFrame);
    const uint8_t* b = MemLock(BackFrame);
    bool same = true;
    for (int y = 0; y < kFrameHeight && same; y++) {
      const uint32_t at = FramePixelOffset(x0, y);
      same = std::memcmp(s + at, b + at, static_cast<size_t>(x1 - x0 + 1)) == 0;
    }
    MemUnlock(BackFrame);
    MemUnlock(ScreenFrame);
    return same;
  }
  // Whether the screen's columns x0..x1 still hold the old colour 20 everywhere.
  static bool ColumnsUntouched(int x0, int x1) {
    const uint8_t* s = MemLock(ScreenFrame);
    bool same = true;
    for (int y = 0; y < kFrameHeight && same; y++) {
      for (int x = x0; x <= x1 && same; x++) same = s[FramePixelOffset(x, y)] == 20;
    }
    MemUnlock(ScreenFrame);
    return same;
  }
  static bool ScreenIsBack() { return ColumnsShown(0, 639); }
  // Virtual milliseconds that `run` takes.
  template <typename Run>
  static uint32_t Duration(Run run) {
    const uint32_t start = PlatTicks();
    run();
    return PlatTicks() - start;
  }
  static void ExpectUnlocked() {
    EXPECT_EQ(MemLockCount(ScreenFrame), 0);
    EXPECT_EQ(MemLockCount(BackFrame), 0);
    EXPECT_EQ(ScreenBusy, 0);
  }
};

TEST_F(ShowTest, BackFrameIsCopiedAtOnce) {
  const int paints = HeadlessPaintCount();
  EXPECT_LE(Duration([] { ShowBackFrame(); }), 1u);
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GT(HeadlessPaintCount(), paints);
  ExpectUnlocked();
}

TEST_F(ShowTest, BackStripTouchesOnlyItsColumns) {
  ShowBackStrip(4);  // 4 mod 3 = 1: the strip at x = 320
  EXPECT_TRUE(ColumnsShown(320, 639));
  EXPECT_TRUE(ColumnsUntouched(0, 319));
  ExpectUnlocked();
}

TEST_F(ShowTest, CentreStripStartsAt160) {
  ShowBackStrip(2);
  EXPECT_TRUE(ColumnsShown(160, 479));
  EXPECT_TRUE(ColumnsUntouched(0, 159));
  EXPECT_TRUE(ColumnsUntouched(480, 639));
}

TEST_F(ShowTest, InterlaceTakesAbout2400Ms) {
  const uint32_t took = Duration([] { ShowInterlace(); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 2400u);
  EXPECT_LE(took, 2700u);
  ExpectUnlocked();
}

TEST_F(ShowTest, InterlaceStripTouchesOnlyItsColumns) {
  ShowInterlaceStrip(0);
  EXPECT_TRUE(ColumnsShown(0, 319));
  EXPECT_TRUE(ColumnsUntouched(320, 639));
}

TEST_F(ShowTest, CombTakes46StepsOf20Ms) {
  const uint32_t took = Duration([] { ShowComb(); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 46u * 20);
  EXPECT_LE(took, 46u * 22);
  ExpectUnlocked();
}

TEST_F(ShowTest, CombStripTouchesOnlyItsColumns) {
  ShowCombStrip(1);
  EXPECT_TRUE(ColumnsShown(320, 639));
  EXPECT_TRUE(ColumnsUntouched(0, 319));
}

TEST_F(ShowTest, DitherTakes16PassesOf40Ms) {
  const uint32_t took = Duration([] { ShowDither(); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 16u * 40);
  EXPECT_LE(took, 16u * 42);
  ExpectUnlocked();
}

TEST_F(ShowTest, DitherOnADeepDisplayWaitsAfterOddPassesOnly) {
  DisplayBpp = 32;
  const int paints = HeadlessPaintCount();
  const uint32_t took = Duration([] { ShowDither(); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 8u * 80);
  EXPECT_LE(took, 8u * 82);
  EXPECT_EQ(HeadlessPaintCount() - paints, 8);
  DisplayBpp = 8;
}

TEST_F(ShowTest, DitherStripCharsTouchesOnlyItsStripAndTakesNPerPass) {
  const uint32_t took = Duration([] { ShowDitherStripChars(2, 4); });
  EXPECT_TRUE(ColumnsShown(160, 479));
  EXPECT_TRUE(ColumnsUntouched(0, 159));
  EXPECT_TRUE(ColumnsUntouched(480, 639));
  EXPECT_GE(took, 16u * 40);
  EXPECT_LE(took, 16u * 42);
  ExpectUnlocked();
}

TEST_F(ShowTest, WindowOperationsAreInstantWhenSkippingOrLowSpec) {
  SpecLow = 1;
  EXPECT_LE(Duration([] { ShowComb(); }), 1u);
  EXPECT_TRUE(ScreenIsBack());
  Prepare();
  SkipToChoice = 1;
  EXPECT_LE(Duration([] { ShowInterlaceStrip(1); }), 1u);
  EXPECT_TRUE(ColumnsShown(320, 639));
  EXPECT_TRUE(ColumnsUntouched(0, 319));
  Prepare();
  ReadTextFast = 1;
  SkipAllowed = 1;
  EXPECT_LE(Duration([] { ShowDitherChars(4); }), 1u);
  EXPECT_TRUE(ScreenIsBack());
  Prepare();
  ReadTextFast = 1;  // fast reading alone, on unread text, changes nothing
  EXPECT_GE(Duration([] { ShowDither(); }), 16u * 40);
}

class ShowRowsTest : public ShowTest {
 protected:
  void SetUp() override {
    StartEngine(HeadlessConfig{}, WatchRows);
    Prepare();
    gFirstPaint.assign(kFrameHeight, -1);
    gPaints = 0;
    gRowsGainedMax = 0;
  }
  void TearDown() override {
    gFirstPaint.clear();
    ShowTest::TearDown();
  }
};

TEST_F(ShowRowsTest, CombShowsEveryRowAtItsStep) {
  ShowComb();
  EXPECT_EQ(gPaints, 46);
  EXPECT_LE(gRowsGainedMax, 16);
  for (int y = 0; y < kFrameHeight; y++) {
    // The step j with 16j - 17m = y for one m in 0..15.
    int step = -1;
    for (int m = 0; m < 16; m++) {
      if ((y + 17 * m) % 16 == 0) step = (y + 17 * m) / 16;
    }
    EXPECT_EQ(gFirstPaint[y], step) << "row " << y;
  }
  EXPECT_EQ(gFirstPaint[479], 31);
}

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
  const uint8_t* s = MemLock(ScreenFrame);
  const int row = (s[FramePixelOffset(1, y)] - 20) * 200 + s[FramePixelOffset(0, y)] - 20;
  const int picture = s[FramePixelOffset(2, y)];
  MemUnlock(ScreenFrame);
  return {picture, row};
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
      const bool isNew = up ? y >= kFrameHeight - n : y < n;
      const int row =
          up ? (isNew ? y - (kFrameHeight - n) : y + n) : (isNew ? y + kFrameHeight - n : y - n);
      if (ShownRow(y) != std::make_pair(isNew ? 5 : 6, row)) {
        gPushFaults++;
        break;
      }
    }
  }
  return WndProc(message, wParam, lParam);
}

class ShowPushTest : public ShowTest {
 protected:
  void SetUp() override {
    StartEngine(HeadlessConfig{}, WatchPush);
    Prepare();
    MarkRows(BackFrame, 5);
    MarkRows(ScreenFrame, 6);
    gPushFaults = 0;
    gPushPaints = 0;
  }
};

TEST_F(ShowPushTest, UpMovesTheOldPictureUpAsTheNewFillsTheBottom) {
  gPushDirection = 0;
  ShowPush(0, 1);
  EXPECT_GT(gPushPaints, 100);
  EXPECT_EQ(gPushFaults, 0);
  EXPECT_TRUE(ScreenIsBack());
}

TEST_F(ShowPushTest, DownMovesTheOldPictureDownAsTheNewFillsTheTop) {
  gPushDirection = 2;
  ShowPush(2, 1);
  EXPECT_GT(gPushPaints, 100);
  EXPECT_EQ(gPushFaults, 0);
  EXPECT_TRUE(ScreenIsBack());
}

TEST_F(ShowRowsTest, InterlaceShowsTwoRowsAStepFromBothEdges) {
  ShowInterlace();
  EXPECT_EQ(gPaints, 480);
  EXPECT_EQ(gFirstPaint[0], 0);
  EXPECT_EQ(gFirstPaint[479], 1);
  EXPECT_EQ(gFirstPaint[2], 2);
  EXPECT_EQ(gFirstPaint[477], 3);
  EXPECT_EQ(gFirstPaint[1], 479);  // row 479 - 2 * 239
}

TEST_F(ShowTest, ScreenShowOutOfRangeBehavesAsModeZero) {
  const uint32_t took = Duration([] { ScreenShow(40); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 800u);  // the fade-in of one 800 ms unit
  ExpectUnlocked();
}

TEST_F(ShowTest, ScreenShowLowSpecIsACutToBlackAndAFadeIn) {
  SpecLow = 1;
  const uint32_t took = Duration([] { ScreenShow(6); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 800u);
  EXPECT_LT(took, 1000u);
}

TEST_F(ShowTest, ScreenShowWhileSkippingIsAnInstantCutExceptInEndings) {
  SkipToChoice = 1;
  EXPECT_LE(Duration([] { ScreenShow(6); }), 1u);
  EXPECT_TRUE(ScreenIsBack());
  Prepare();
  ReadTextFast = 1;
  SkipAllowed = 1;
  PlayMode = PlayModeEnding;  // read text does not skip the effect of an ending
  EXPECT_GE(Duration([] { ScreenShow(10); }), 16u * 40);
  EXPECT_TRUE(ScreenIsBack());
}

TEST_F(ShowTest, ScreenShowCombAndDitherModes) {
  EXPECT_GE(Duration([] { ScreenShow(6); }), 46u * 20);
  EXPECT_TRUE(ScreenIsBack());
  Prepare();
  EXPECT_GE(Duration([] { ScreenShow(12); }), 16u * 40);
  EXPECT_TRUE(ScreenIsBack());
  Prepare();
  EXPECT_LE(Duration([] { ScreenShow(11); }), 1u);
  EXPECT_TRUE(ScreenIsBack());
}

TEST_F(ShowTest, BlindsAndRandomLinesCompleteThePicture) {
  EXPECT_GE(Duration([] { ScreenShow(10); }), 16u * 40);
  EXPECT_TRUE(ScreenIsBack());
  Prepare();
  EXPECT_GE(Duration([] { ScreenShow(18); }), 30u * 40);
  EXPECT_TRUE(ScreenIsBack());
  ExpectUnlocked();
}

TEST_F(ShowTest, SpiralCopiesEveryTileEightAWait) {
  const uint32_t took = Duration([] { ScreenShow(1); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 150u * 20);
  EXPECT_LE(took, 150u * 22);
  ExpectUnlocked();
}

TEST_F(ShowTest, RandomTilesCopyAllTilesWhateverTheRandomValues) {
  for (const uint16_t seed : {0, 1, 255, 4321}) {
    Prepare();
    RandomSeed = seed;
    const uint32_t took = Duration([] { ScreenShow(2); });
    EXPECT_TRUE(ScreenIsBack()) << "seed " << seed;
    EXPECT_GE(took, 37u * 10);
    EXPECT_LE(took, 37u * 12);
  }
  ExpectUnlocked();
}

TEST_F(ShowTest, DiamondsGrowIn33StepsAndSweepIn52) {
  EXPECT_GE(Duration([] { ScreenShow(3); }), 33u * 30);
  EXPECT_TRUE(ScreenIsBack());
  Prepare();
  const uint32_t took = Duration([] { ScreenShow(4); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 52u * 30);
  EXPECT_LE(took, 52u * 32);
  ExpectUnlocked();
}

TEST_F(ShowTest, ColumnCombAndDitherSweepCompleteThePicture) {
  const uint32_t took = Duration([] { ScreenShow(7); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 56u * 20);
  EXPECT_LE(took, 56u * 22);
  Prepare();
  EXPECT_GE(Duration([] { ScreenShow(8); }), 56u * 20);
  EXPECT_TRUE(ScreenIsBack());
  ExpectUnlocked();
}

TEST_F(ShowTest, SlidesAndPushesEndOnTheNewPictureInTheirTime) {
  for (const uint16_t mode : {14, 15, 16, 17}) {
    Prepare();
    const uint32_t took = Duration([mode] { ScreenShow(mode); });
    EXPECT_TRUE(ScreenIsBack()) << mode;
    EXPECT_GE(took, 500u);
    EXPECT_LE(took, 510u);
  }
  for (const uint16_t mode : {26, 27, 28, 29}) {
    Prepare();
    const uint32_t took = Duration([mode] { ScreenShow(mode); });
    EXPECT_TRUE(ScreenIsBack()) << mode;
    EXPECT_GE(took, 4000u);
    EXPECT_LE(took, 4010u);
  }
  ExpectUnlocked();
}

TEST(ShowSineTest, FoldsEveryQuarter) {
  EXPECT_EQ(SinDeg(0), 0);
  EXPECT_EQ(SinDeg(30), 16383);
  EXPECT_EQ(SinDeg(90), 32767);
  EXPECT_EQ(SinDeg(150), 16383);
  EXPECT_EQ(SinDeg(180), 0);
  EXPECT_EQ(SinDeg(210), -16383);
  EXPECT_EQ(SinDeg(270), -32767);
  EXPECT_EQ(SinDeg(450), 32767);
  EXPECT_EQ(CosDeg(0), 32767);
  EXPECT_EQ(CosDeg(180), -32767);
  EXPECT_EQ(SinHalfDeg(60), 16383);
  EXPECT_EQ(SinHalfDeg(1), 285);  // 32767 x sin(0.5 degrees)
  EXPECT_EQ(CosHalfDeg(360), -32767);
  EXPECT_EQ(CosHalfDeg(720), 32767);
  EXPECT_EQ(CosHalfDeg(1080), -32767);
}

TEST_F(ShowTest, StretchAndIrisEndOnTheNewPictureInTheirTime) {
  uint32_t took = Duration([] { ScreenShow(9); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 200u);
  EXPECT_LE(took, 202u);
  Prepare();
  took = Duration([] { ScreenShow(13); });
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_GE(took, 700u);
  EXPECT_LE(took, 702u);
  ExpectUnlocked();
}

// What the window showed at the first present 600 ms or more into a zoom started at
// gZoomStart.
struct HalfWay {
  bool seen = false;
  uint32_t topLeft = 0, bottomRight = 0, centre = 0;
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
  gHalfWay.centre = HeadlessPixel(320, 240);
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
  // Runs the zoom; answers its virtual milliseconds.
  static uint32_t Zoom() {
    gZoomStart = PlatTicks();
    ScreenShow(30);
    return PlatTicks() - gZoomStart;
  }
};

TEST_F(ZoomTest, GrowsFromTheCentreWhileTheColoursRiseAndEndsOnThePicture) {
  const uint32_t took = Zoom();
  EXPECT_GE(took, 1200u);
  EXPECT_LE(took, 1222u);
  ASSERT_TRUE(gHalfWay.seen);
  // Half way the window shows the middle half of the picture at twice its size: the corners
  // show cells (2, 2) and (7, 7), the centre the cell right of and below it, (5, 5) ...
  EXPECT_EQ(gHalfWay.topLeft, Rgb(gHalfWay.shown[Cell(2, 2)]));
  EXPECT_EQ(gHalfWay.bottomRight, Rgb(gHalfWay.shown[Cell(7, 7)]));
  EXPECT_EQ(gHalfWay.centre, Rgb(gHalfWay.shown[Cell(5, 5)]));
  // ... at about half brightness.
  EXPECT_NEAR(gHalfWay.shown[0].blue, 100, 4);
  // At the end the whole picture in its own colours, the screen frame equal to the back frame.
  EXPECT_TRUE(ScreenIsBack());
  EXPECT_EQ(ShownPalette[Cell(0, 0)], ScenePalette[Cell(0, 0)]);
  EXPECT_EQ(HeadlessPixel(0, 0), Rgb(ScenePalette[Cell(0, 0)]));
  EXPECT_EQ(HeadlessPixel(639, 479), Rgb(ScenePalette[Cell(9, 9)]));
  ExpectUnlocked();
}

TEST_F(ZoomTest, FillsTheWholeClientAreaAtAnySize) {
  int width, height;
  PlatAdjustWindowRect(1280, 960, width, height);
  PlatMoveWindow(0, 0, width, height);
  ASSERT_EQ(ClientWidth, 1280);
  Zoom();
  ASSERT_TRUE(gHalfWay.seen);
  EXPECT_EQ(gHalfWay.topLeft, Rgb(gHalfWay.shown[Cell(2, 2)]));
  EXPECT_EQ(gHalfWay.bottomRight, Rgb(gHalfWay.shown[Cell(7, 7)]));
  // Client (320, 240) is a quarter of the way in: picture (160 + 80, 120 + 60), cell (3, 3).
  EXPECT_EQ(gHalfWay.centre, Rgb(gHalfWay.shown[Cell(3, 3)]));
  EXPECT_EQ(HeadlessPixel(1279, 959), Rgb(ScenePalette[Cell(9, 9)]));
}

TEST_F(ShowTest, WithWeatherStripsStillTouchOnlyTheirColumns) {
  WeatherMode = 1;
  ShowCombStrip(0);
  EXPECT_TRUE(ColumnsShown(0, 319));
  EXPECT_TRUE(ColumnsUntouched(320, 639));
  Prepare();
  WeatherMode = 1;
  ShowBackStrip(1);
  EXPECT_TRUE(ColumnsShown(320, 639));
  EXPECT_TRUE(ColumnsUntouched(0, 319));
  ExpectUnlocked();
  WeatherMode = 0;
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
  WeatherOn = 0;
  WeatherMode = 6;
  EXPECT_EQ(WeatherOverlayOff(), 6);
  EXPECT_EQ(WeatherMode, 0);
  WeatherMode = 1;
  EXPECT_EQ(WeatherOverlayOff(), 1);
  EXPECT_EQ(WeatherMode, 1);
  WeatherOn = 1;
  EXPECT_EQ(WeatherOverlayOff(), 1);
  EXPECT_EQ(WeatherMode, 0);
  WeatherOverlayOn(1);
  EXPECT_EQ(WeatherMode, 1);
}

TEST_F(ShowTest, LowSpecTurnsEveryModeIntoTheFadeIn) {
  SpecLow = 1;
  for (const uint16_t mode : {1, 3, 9, 13, 22, 30}) {
    Prepare();
    SpecLow = 1;
    const uint32_t took = Duration([mode] { ScreenShow(mode); });
    EXPECT_TRUE(ScreenIsBack()) << mode;
    EXPECT_GE(took, 800u) << mode;
    EXPECT_LT(took, 1000u) << mode;
  }
}

TEST_F(ShowTest, DitherCharsBlendsTheRangeFromThePreviousCharacter) {
  CharPalettes = MemAlloc(20 * kCharPaletteRecordSize, "CHR_PAL.DAT");
  uint8_t* records = MemLock(CharPalettes);
  std::memset(records, 0, 20 * kCharPaletteRecordSize);
  for (int i = 0; i < kCharPaletteColours; i++) {
    uint8_t* colour = records + 10 * kCharPaletteRecordSize + i * 3;  // character 2, group 0
    colour[0] = 30;
    colour[1] = 60;
    colour[2] = 150;
  }
  MemUnlock(CharPalettes);
  BgShown = 0;
  RangePrevChar[kRangeA] = 0x100;
  RangeChar[kRangeA] = 0x200;
  RangePrevChar[kRangeB] = kRangeFree;
  RangeChar[kRangeB] = kRangeFree;
  HeadlessWatchPaletteEntry(kPalCharacterAFirst + 5);
  ShowDitherChars(4);
  EXPECT_TRUE(ScreenIsBack());
  const PalEntry& shown = ScenePalette[kPalCharacterAFirst + 5];
  EXPECT_EQ(shown.red, 150);
  EXPECT_EQ(shown.green, 60);
  EXPECT_EQ(shown.blue, 30);
  bool sawFirstPass = false;  // pass 1: 150 x 1 / 15 = 10
  for (const PalEntry& colour : HeadlessWatchedColours()) sawFirstPass |= colour.red == 10;
  EXPECT_TRUE(sawFirstPass);
  MemRelease(&CharPalettes);
  RangePrevChar[kRangeA] = kRangeFree;
  RangeChar[kRangeA] = kRangeFree;
}

TEST_F(ShowTest, Mode32ChangesColoursOnly) {
  ScreenShow(32);
  EXPECT_TRUE(ColumnsUntouched(0, 639));
}

}  // namespace
