// The weather overlay on the headless engine: where particles go, what they may cover, what
// taking them off gives back, how weathers end and change, the menu switch, what a step repaints.
#include "graphics/weather.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/app.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "platform/headless/headless.h"
#include "scenario/game_state.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"

namespace {

constexpr uint8_t kScene = 40;  // a background colour

// Every paint's update rectangle.
std::vector<PlatRect> gPainted;
int64_t RecordingWndProc(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT) {
    gPainted.push_back(PlatBeginPaint());
    PlatEndPaint();
    return 0;
  }
  return WndProc(message, wParam, lParam);
}

class WeatherTest : public EngineTest {
 protected:
  void SetUp() override {
    StartEngine(HeadlessConfig{}, RecordingWndProc);
    WeatherBuffer = MemAlloc(kWeatherBufferSize, "WEATHER BUF");
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, kScene);
    WeatherMode = 0;
    WeatherPutOnRequest = WeatherTakeOffRequest = 0;
    WeatherOn = 1;
    DirtyRect = kEmptyRect;
    gPainted.clear();
  }
  void TearDown() override {
    WeatherMode = 0;
    EngineTest::TearDown();
  }
  // Every particle far off the frame, so that a test places only the ones it looks at.
  static void ClearParticles() {
    for (WeatherParticle& p : WeatherParticles) p = {-5000, -5000};
  }
  static int CountOverlayPixels() {
    const std::vector<uint8_t> p = FramePixels(ScreenFrame);
    return static_cast<int>(
        std::count_if(p.begin(), p.end(), [](uint8_t v) { return v >= 220 && v < 228; }));
  }
};

// [SECTION] Movement

TEST_F(WeatherTest, ParticlesWrapAroundTheFrameUntilTheirWeatherEnds) {
  // Particle 4 of the petals flies straight by (16, 8) a step.
  const struct {
    uint8_t mode;
    WeatherParticle from, to;
  } moves[] = {
      {WeatherRain, {650, 100}, {-22, 164}},        // past the right edge: back to the left
      {WeatherRain, {100, 500}, {132, -44}},        // past the bottom: back to the top
      {WeatherRainEnding, {100, 500}, {132, 564}},  // an ending rain falls out
      {WeatherRainEnding, {650, 100}, {-22, 164}},  // but still wraps across
      {WeatherPetals, {650, 490}, {666 - 672, 498 - 512}},
      {WeatherPetalsEnding, {650, 490}, {674, 502}},  // faster, and out
  };
  for (const auto& m : moves) {
    ClearParticles();
    const int i = m.mode <= WeatherRainEnding ? 0 : 4;
    WeatherParticles[i] = m.from;
    WeatherParticles[1] = {100, 100};  // keeps an ending weather on the screen
    WeatherMode = m.mode;
    WeatherStep();
    EXPECT_EQ(WeatherParticles[i].x, m.to.x) << int{m.mode} << " from " << m.from.x;
    EXPECT_EQ(WeatherParticles[i].y, m.to.y) << int{m.mode} << " from " << m.from.x;
    EXPECT_EQ(WeatherMode, m.mode);
  }
}

// [SECTION] Drawing and taking off

TEST_F(WeatherTest, TakingTheOverlayOffAfterANewPictureLeavesThePictureIntact) {
  WeatherSet(WeatherRain);
  WeatherStep();
  ASSERT_GT(CountOverlayPixels(), 500);
  FrameFillRect(ScreenFrame, 0, 0, 319, 479, 77);  // a new picture over the left half
  WeatherOverlayOff();
  for (int y = 0; y < kFrameHeight; y += 3) {
    for (int x = 0; x < kFrameWidth; x += 3) {
      ASSERT_EQ(FramePixel(ScreenFrame, x, y), x < 320 ? 77 : kScene) << x << "," << y;
    }
  }
}

TEST_F(WeatherTest, PetalsCoverOnlyWhatTheyMay) {
  // The large petal (particle 0) goes over all but the interface colours; the small one
  // (particle 1) only over the background, so that it passes behind the characters.
  const struct {
    uint8_t under;
    bool large, small;
  } cases[] = {{0, true, true},    {123, true, true},   {124, true, false},
               {219, true, false}, {228, false, false}, {235, false, false}};
  for (const auto& c : cases) {
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, c.under);
    ClearParticles();
    WeatherParticles[0] = {100, 100};
    WeatherParticles[1] = {300, 300};
    ScreenBusy = 1;  // put on where they are, without moving
    WeatherLastMove = PlatTicks();
    WeatherOverlayOn(WeatherFewPetalsKeep);
    ScreenBusy = 0;
    bool large = false, small = false;
    for (int y = 0; y < 16; y++) {
      for (int x = 0; x < 16; x++) {
        large |= FramePixel(ScreenFrame, 100 + x, 100 + y) != c.under;
        if (x < 8 && y < 8) small |= FramePixel(ScreenFrame, 300 + x, 300 + y) != c.under;
      }
    }
    EXPECT_EQ(large, c.large) << int{c.under};
    EXPECT_EQ(small, c.small) << int{c.under};
    WeatherOverlayOff();
    EXPECT_EQ(CountOverlayPixels(), 0) << int{c.under};
  }
}

// [SECTION] Modes

TEST_F(WeatherTest, AnEndingRainEndsWhenItsLastDropHasLeft) {
  ClearParticles();
  WeatherParticles[0] = {100, 416};  // its lowest point on the last row
  WeatherMode = WeatherRainEnding;
  WeatherStep();
  EXPECT_EQ(WeatherMode, 0);
  EXPECT_EQ(CountOverlayPixels(), 0);
}

TEST_F(WeatherTest, ChangingOrStoppingTheWeatherLeavesNothingBehind) {
  WeatherSet(WeatherRain);
  WeatherStep();
  ASSERT_GT(CountOverlayPixels(), 500);
  WeatherSet(WeatherFewPetalsEnter);  // the old drops come off at once
  EXPECT_EQ(CountOverlayPixels(), 0);
  EXPECT_EQ(WeatherMode, WeatherFewPetals);
  // No timer runs here: the stop takes the overlay off itself after waiting for one.
  WeatherStep();
  WeatherStop();
  EXPECT_EQ(CountOverlayPixels(), 0);
  // Stopping no weather leaves no request that would end the next weather at its first step.
  WeatherStop();
  WeatherSet(WeatherFewPetalsKeep);
  ClearParticles();
  WeatherParticles[0] = {100, 100};
  WeatherStep();
  EXPECT_EQ(WeatherMode, WeatherFewPetalsKeep);
  EXPECT_GT(CountOverlayPixels(), 0);
}

// [SECTION] The menu setting

TEST_F(WeatherTest, TheSettingTakesTheOverlayOffAndKeepsTheWeather) {
  PlatSetTimer(1, 80);
  WeatherSet(WeatherPetals);
  WeatherStep();
  ASSERT_GT(CountOverlayPixels(), 0);
  SettingsCommand(kMenuWeather);
  EXPECT_EQ(WeatherOn, 0);
  EXPECT_EQ(WeatherMode, WeatherPetals);
  WeatherStep();
  EXPECT_EQ(CountOverlayPixels(), 0);
  SettingsCommand(kMenuWeather);
  WeatherStep();
  EXPECT_GT(CountOverlayPixels(), 0);
}

// [SECTION] Repainting

TEST_F(WeatherTest, AStepRepaintsWhatItsParticlesTouchedAndWhatWasLeftForIt) {
  ClearParticles();
  WeatherParticles[0] = {100, 100};
  WeatherSet(WeatherFewPetalsKeep);
  PlatUpdateWindow();  // the paint still due from the start
  gPainted.clear();
  RectSet(DirtyRect, 400, 400, 500, 420);  // a notice drawn under the falling petals
  WeatherStep();                           // off where it was, swayed a little, drawn again
  ASSERT_EQ(gPainted.size(), 1u);
  const PlatRect painted = gPainted.back();
  EXPECT_EQ(painted.left, 100);
  EXPECT_EQ(painted.top, 100);
  EXPECT_EQ(painted.right, 501);
  EXPECT_EQ(painted.bottom, 421);
  EXPECT_TRUE(RectIsEmpty(DirtyRect));
  // Without the notice, only the petal's corner of the window.
  WeatherStep();
  EXPECT_LT(gPainted.back().right - gPainted.back().left, 60);
  EXPECT_LT(gPainted.back().bottom - gPainted.back().top, 60);
}

}  // namespace
