// The weather overlay on the headless engine: where drops and petals go, what they may cover,
// what taking them off gives back, how the modes start and end, the menu switch, and what a
// step repaints.
#include "graphics/weather.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
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
    WeatherOn = 1;
    WeatherPutOnRequest = WeatherTakeOffRequest = 0;
    SkipToChoice = ReadTextFast = SkipAllowed = 0;
    ScreenBusy = 0;
    DirtyRect = kEmptyRect;
    gPainted.clear();
  }
  void TearDown() override {
    ScreenBusy = 0;
    WeatherMode = 0;
    EngineTest::TearDown();
  }
  // Every particle far off the frame, so that a test places only the ones it looks at.
  static void ClearParticles() {
    for (WeatherParticle& p : WeatherParticles) p = {-5000, -5000};
  }
  // Draws `mode` with the particles where they are: put on without moving.
  static void PutOnInPlace(uint8_t mode) {
    ScreenBusy = 1;
    WeatherLastMove = PlatTicks();
    WeatherOverlayOn(mode);
    ScreenBusy = 0;
  }
  static int CountOverlayPixels() {
    const std::vector<uint8_t> pixels = FramePixels(ScreenFrame);
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](uint8_t p) {
      return p >= kPalWeatherFirst && p < kPalInterfaceFirst;
    }));
  }
};

// [SECTION] Movement

TEST_F(WeatherTest, DropsFallAndWrapAroundTheFrameUnlessTheRainEnds) {
  const struct {
    uint8_t mode;
    WeatherParticle from, to;
  } moves[] = {
      {WeatherRain, {650, 100}, {-22, 164}},        // past the right edge: back to the left
      {WeatherRain, {100, 500}, {132, -44}},        // past the bottom: back to the top
      {WeatherRain, {639, 479}, {671, 543}},        // not yet far enough to wrap
      {WeatherRainEnding, {100, 500}, {132, 564}},  // an ending rain does not wrap downwards
      {WeatherRainEnding, {650, 100}, {-22, 164}},  // but still across
  };
  for (const auto& m : moves) {
    ClearParticles();
    WeatherParticles[0] = m.from;
    WeatherParticles[1] = {100, 100};  // keeps an ending rain on the screen
    WeatherMode = m.mode;
    WeatherStep();
    EXPECT_EQ(WeatherParticles[0].x, m.to.x) << m.from.x << "," << m.from.y;
    EXPECT_EQ(WeatherParticles[0].y, m.to.y) << m.from.x << "," << m.from.y;
    EXPECT_EQ(WeatherMode, m.mode);
  }
}

TEST_F(WeatherTest, PetalsDriftAndWrapAndAnEndingDriftFasterWithoutWrapping) {
  // Particle 4 flies straight (16, 8) a step; particle 0 sways, never upwards or leftwards.
  const struct {
    uint8_t mode;
    WeatherParticle from, to;
  } moves[] = {
      {WeatherPetals, {100, 100}, {116, 108}},
      {WeatherPetals, {650, 490}, {666 - 672, 498 - 512}},
      {WeatherPetalsEnding, {650, 490}, {674, 502}},
      {WeatherFewPetalsKeep, {640, 100}, {656 - 672, 108}},
  };
  for (const auto& m : moves) {
    ClearParticles();
    WeatherParticles[4] = m.from;
    WeatherParticles[0] = {300, 200};
    WeatherMode = m.mode;
    WeatherStep();
    EXPECT_EQ(WeatherParticles[4].x, m.to.x) << int{m.mode} << " " << m.from.x;
    EXPECT_EQ(WeatherParticles[4].y, m.to.y) << int{m.mode} << " " << m.from.x;
    EXPECT_GE(WeatherParticles[0].x, 300);
    EXPECT_GT(WeatherParticles[0].y, 200);
  }
}

TEST_F(WeatherTest, WhileAnotherOperationDrivesTheOverlayParticlesMoveAtMostEvery80Ms) {
  WeatherSet(WeatherRain);
  WeatherStep();
  ScreenBusy = 1;
  const WeatherParticle start = WeatherParticles[0];
  for (int i = 0; i < 10; i++) {
    WeatherOverlayOn(WeatherOverlayOff());
    HeadlessAdvance(10);
  }
  // 100 ms: one move, however often the overlay went off and on.
  EXPECT_EQ(WeatherParticles[0].y - start.y, 64);
}

// [SECTION] Drawing and taking off

TEST_F(WeatherTest, ADropIsDrawnFromItsBrightHeadAndTakenOffWithoutATrace) {
  ClearParticles();
  WeatherParticles[0] = {100, 100};
  PutOnInPlace(WeatherRain);
  EXPECT_EQ(FramePixel(ScreenFrame, 100, 100), 227);  // the head
  EXPECT_EQ(FramePixel(ScreenFrame, 100, 101), 227);
  EXPECT_EQ(FramePixel(ScreenFrame, 131, 162), 220);  // the tail
  EXPECT_EQ(FramePixel(ScreenFrame, 131, 163), 220);
  EXPECT_EQ(FramePixel(ScreenFrame, 101, 100), kScene);  // a thin streak
  EXPECT_EQ(CountOverlayPixels(), 64);
  WeatherOverlayOff();
  EXPECT_EQ(CountOverlayPixels(), 0);
  EXPECT_EQ(WeatherMode, 0);
}

TEST_F(WeatherTest, TakingTheOverlayOffAfterANewPictureLeavesThePictureIntact) {
  WeatherSet(WeatherRain);
  WeatherStep();
  ASSERT_GT(CountOverlayPixels(), 500);
  // The left half of the screen gets a new picture over the drops, one that holds an overlay
  // colour of its own nowhere.
  FrameFillRect(ScreenFrame, 0, 0, 319, 479, 77);
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
  } cases[] = {
      {0, true, true},    {123, true, true},   {124, true, false},
      {219, true, false}, {228, false, false}, {235, false, false},
  };
  for (const auto& c : cases) {
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, c.under);
    ClearParticles();
    WeatherParticles[0] = {100, 100};
    WeatherParticles[1] = {300, 300};
    PutOnInPlace(WeatherFewPetalsKeep);
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
    EXPECT_EQ(FramePixel(ScreenFrame, 108, 106), c.under) << int{c.under};
  }
}

TEST_F(WeatherTest, OverlappingParticlesComeOffCleanly) {
  ClearParticles();
  for (int i = 0; i < 30; i++) WeatherParticles[i] = {200 + i % 3, 200 + i % 2};
  PutOnInPlace(WeatherPetals);
  ASSERT_GT(CountOverlayPixels(), 0);
  WeatherOverlayOff();
  EXPECT_EQ(CountOverlayPixels(), 0);
}

TEST_F(WeatherTest, EveryPetalFrameIsAPetalInTheOverlayColours) {
  const auto check = [](const auto& frames, const char* which) {
    for (int f = 0; f < 8; f++) {
      int painted = 0;
      for (const auto& row : frames[f]) {
        for (const uint8_t v : row) {
          EXPECT_LE(v, 8) << which << " frame " << f;
          painted += v != 0;
        }
      }
      EXPECT_GE(painted, 6) << which << " frame " << f;
      if (f > 0) {
        EXPECT_NE(std::memcmp(frames[f], frames[0], sizeof frames[0]), 0) << which << f;
      }
    }
  };
  check(PetalShapes.large, "large");
  check(PetalShapes.small, "small");
}

// [SECTION] Modes

TEST_F(WeatherTest, SettingAModeStoresItsRunningFormAndPlacesOnlyWhatItStarts) {
  const struct {
    uint8_t running, set, stored;
    bool placed;
  } cases[] = {
      {0, WeatherRainEnter, WeatherRain, true},
      {0, WeatherPetalsEnter, WeatherPetals, true},
      {0, WeatherFewPetalsEnter, WeatherFewPetals, true},
      {WeatherRain, WeatherRain, WeatherRain, false},  // already running: nothing at all
      {WeatherRain, WeatherRainEnding, WeatherRainEnding, false},
      {WeatherPetals, WeatherPetalsEnding, WeatherPetalsEnding, false},
      {WeatherFewPetals, WeatherFewPetalsKeep, WeatherFewPetalsKeep, false},
      {WeatherRain, 12, WeatherRain, false},  // no such mode: the colours only
  };
  for (const auto& c : cases) {
    ClearParticles();
    WeatherMode = c.running;
    WeatherSet(c.set);
    EXPECT_EQ(WeatherMode, c.stored) << int{c.set};
    EXPECT_EQ(WeatherParticles[0].x != -5000, c.placed) << int{c.set};
    WeatherMode = 0;
  }
}

TEST_F(WeatherTest, TheOverlayColoursFitTheWeatherAndTheLight) {
  const struct {
    uint8_t mode, background;
    PalEntry first, last;
  } cases[] = {
      {WeatherRain, 10, {255, 255, 255, 1}, {143, 199, 255, 1}},  // day
      {WeatherRain, 60, {255, 255, 255, 1}, {143, 199, 255, 1}},  // evening
      {WeatherRain, 121, {159, 159, 159, 1}, {89, 124, 159, 1}},  // night
      {WeatherPetals, 121, {228, 152, 178, 1}, {255, 231, 255, 1}},
  };
  for (const auto& c : cases) {
    BgShown = c.background;
    WeatherMode = 0;
    WeatherSet(c.mode);
    EXPECT_EQ(ScenePalette[220], c.first) << int{c.background};
    EXPECT_EQ(ScenePalette[227], c.last) << int{c.background};
  }
}

TEST_F(WeatherTest, AnEndingModeEndsWhenItsLastParticleHasLeft) {
  // Rain: one drop whose lowest point is the frame's last row, one far below.
  ClearParticles();
  WeatherParticles[0] = {100, 416};
  WeatherMode = WeatherRainEnding;
  WeatherStep();  // now at 480: nothing on the screen
  EXPECT_EQ(WeatherMode, 0);
  EXPECT_EQ(CountOverlayPixels(), 0);
  // Petals: still painting stays; painting nothing (off the frame, or only over the
  // interface colours) ends.
  ClearParticles();
  WeatherParticles[0] = {100, 100};
  WeatherMode = WeatherPetalsEnding;
  WeatherStep();
  EXPECT_EQ(WeatherMode, WeatherPetalsEnding);
  FrameFillRect(ScreenFrame, 0, 0, 639, 479, kColourBlack);
  WeatherStep();
  EXPECT_EQ(WeatherMode, 0);
}

TEST_F(WeatherTest, TheEndingIsWaitedForAndCutShortWhenSkipping) {
  PlatSetTimer(1, 80);
  WeatherSet(WeatherRain);
  WeatherSet(WeatherRainEnding);
  const uint32_t took = Duration([] { WeatherSet(WeatherAwaitEnd); });
  EXPECT_EQ(WeatherMode, 0);
  EXPECT_GT(took, 80u);       // the drops fall out over several steps...
  EXPECT_LT(took, 80u * 12);  // ...of 64 rows each
  EXPECT_EQ(CountOverlayPixels(), 0);
  // Skipping to the next choice: an ending weather stops at once.
  WeatherSet(WeatherPetals);
  WeatherStep();
  SkipToChoice = 1;
  WeatherSet(WeatherPetalsEnding);
  EXPECT_EQ(WeatherMode, 0);
  EXPECT_EQ(CountOverlayPixels(), 0);
}

TEST_F(WeatherTest, ChangingTheWeatherLeavesNothingOfTheOldOverlay) {
  WeatherSet(WeatherRain);
  WeatherStep();
  ASSERT_GT(CountOverlayPixels(), 500);
  WeatherSet(WeatherFewPetalsEnter);
  EXPECT_EQ(CountOverlayPixels(), 0);
  EXPECT_EQ(WeatherMode, WeatherFewPetals);
  WeatherStep();
  EXPECT_GT(CountOverlayPixels(), 0);  // the first petal, at the top
}

TEST_F(WeatherTest, StoppingNeverHangsAndLeavesNoRequestBehind) {
  // No timer runs here: the stop takes the overlay off itself after waiting for one.
  WeatherSet(WeatherRain);
  WeatherStep();
  WeatherStop();
  EXPECT_EQ(WeatherMode, 0);
  EXPECT_EQ(CountOverlayPixels(), 0);
  EXPECT_EQ(WeatherTakeOffRequest, 0);
  // Stopping no weather, then keeping ten petals where they are: they are drawn.
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
  EXPECT_EQ(CountOverlayPixels(), 0);
  for (int i = 0; i < 5; i++) WeatherStep();
  EXPECT_EQ(CountOverlayPixels(), 0);
  // An ending weather ends while the setting is off.
  WeatherMode = WeatherPetalsEnding;
  WeatherStep();
  EXPECT_EQ(WeatherMode, 0);
  // Switched on again, the kept weather comes back.
  WeatherMode = WeatherPetals;
  SettingsCommand(kMenuWeather);
  EXPECT_EQ(WeatherOn, 1);
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
  WeatherStep();  // off where it was, swayed a little, drawn again
  ASSERT_EQ(gPainted.size(), 1u);
  const PlatRect first = gPainted.back();
  EXPECT_LE(first.left, 100);
  EXPECT_LE(first.top, 100);
  EXPECT_GE(first.right, 116);
  EXPECT_GE(first.bottom, 116);
  EXPECT_LT(first.right - first.left, 60);
  EXPECT_LT(first.bottom - first.top, 60);
  // A notice drawn meanwhile is shown with the next step.
  RectSet(DirtyRect, 400, 400, 500, 420);
  WeatherStep();
  ASSERT_EQ(gPainted.size(), 2u);
  EXPECT_LE(gPainted.back().left, 116);
  EXPECT_GE(gPainted.back().right, 500);
  EXPECT_GE(gPainted.back().bottom, 420);
  EXPECT_TRUE(RectIsEmpty(DirtyRect));
  // Nothing on the screen: nothing to repaint.
  WeatherParticles[0] = {-5000, -5000};
  WeatherOverlayOff();
  const size_t paints = gPainted.size();
  WeatherOverlayOn(WeatherFewPetalsKeep);
  EXPECT_EQ(gPainted.size(), paints);
}

}  // namespace
