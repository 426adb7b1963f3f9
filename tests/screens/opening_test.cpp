// The opening: the name's dissolve and the lights on the screen frame, and the opening played
// on the demo data with OK pressed at its turning points.
#include "screens/opening.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/app.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "support/engine_fixture.h"
#include "support/test_data.h"

namespace {

// The screen frame's pixel at (x, y).
uint8_t& ScreenAt(uint8_t* screen, int x, int y) {
  return screen[FramePixelOffset(x, y)];
}

class OpeningDraw : public EngineTest {
 protected:
  void TearDown() override {
    OpeningName = {};
    for (MemHandle& light : OpeningLights) light = 0;
    EngineTest::TearDown();
  }
  // An 8 x 8 name of letter pixels (1) at (100, 50), not dissolved yet.
  void MakeName() {
    OpeningName = {MemAlloc(64, "OP NAME"), 100, 50, 8, 8};
    std::memset(MemLock(OpeningName.block), 1, 64);
    MemUnlock(OpeningName.block);
    NameLevel = -1;
  }
  // Name pixels on the screen frame after one frame over a screen of colour 9.
  int NamePixelsDrawn(int step) {
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, 9);
    DrawOpeningName(step);
    uint8_t* screen = MemLock(ScreenFrame);
    int drawn = 0;
    for (int y = 50; y < 58; y++) {
      for (int x = 100; x < 108; x++) drawn += ScreenAt(screen, x, y) == 1;
    }
    MemUnlock(ScreenFrame);
    return drawn;
  }
};

TEST_F(OpeningDraw, TheNameDissolvesInSixteenLevelsAndIsGoneAfterStep300) {
  MakeName();
  // Level (step - 270) x 256 / 480 marks level + 1 cells of every 4 x 4 block; 300 marks all.
  const struct {
    int step, level, drawn;
  } cases[] = {{0, -1, 64}, {270, -1, 64}, {271, 0, 60}, {285, 8, 28}, {300, 15, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(NamePixelsDrawn(c.step), c.drawn) << c.step;
    EXPECT_EQ(NameLevel, c.level) << c.step;
  }
  // A level already reached is not marked again, and a fresh name draws nothing after 300.
  MakeName();
  EXPECT_EQ(NamePixelsDrawn(301), 0);
  EXPECT_EQ(NameLevel, -1);
  EXPECT_EQ(NamePixelsDrawn(280), 64 - 4 * 6);
  EXPECT_EQ(NamePixelsDrawn(275), 64 - 4 * 6);
}

TEST_F(OpeningDraw, ALightLiftsTheSkyTowardColourOne) {
  // The small light at step 0 is centred on (531, 37), unfaded: five steps up the ramp, or
  // colour 1 for what would leave it (0 is the name's ink) and for what is no sky colour.
  OpeningLights[2] = MemAlloc(120 * 120, "OP LIGHT S");
  std::memset(MemLock(OpeningLights[2]), 5, 120 * 120);
  MemUnlock(OpeningLights[2]);
  const std::pair<int, int> cases[] = {{30, 25}, {6, 1}, {5, 1}, {3, 1}, {50, 1}};
  for (const auto& [sky, after] : cases) {
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, static_cast<uint16_t>(sky));
    DrawOpeningLights(0);
    uint8_t* screen = MemLock(ScreenFrame);
    EXPECT_EQ(ScreenAt(screen, 531, 37), after) << sky;
    EXPECT_EQ(ScreenAt(screen, 400, 37), sky);  // left of the light
    MemUnlock(ScreenFrame);
  }
  MemRelease(&OpeningLights[2]);
}

// The opening on the demo data, OK pressed at a moment of its schedule.
class OpeningPlay : public EngineTest {
 protected:
  void SetUp() override {
    AppConfig.dataDir = kDemoData.string();
    StartEngine();
    ASSERT_TRUE(InitGame());
  }
  void TearDown() override {
    AppConfig.dataDir.clear();
    EngineTest::TearDown();
  }
  // Plays the opening with OK pressed `at` ms into it (never when 0); answers its result and
  // leaves in `took` how long it ran.
  bool Play(uint32_t at, uint32_t& took) {
    const uint32_t start = PlatTicks();
    if (at != 0) {
      auto& steps = HeadlessGetConfig().steps;
      steps.push_back({start + at, HeadlessAction::KeyDown, 0x0D});
      steps.push_back({start + at + 50, HeadlessAction::KeyUp, 0x0D});
    }
    const bool shown = PlayOpening();
    took = PlatTicks() - start;
    return shown;
  }
  // Whether the screen frame shows the back frame (the title), the petals over it aside.
  static bool ScreenShowsBackFrame() {
    const uint8_t* screen = MemLock(ScreenFrame) + kFramePixelsOffset;
    const uint8_t* back = MemLock(BackFrame) + kFramePixelsOffset;
    bool same = true;
    for (uint32_t i = 0; i < kFramePixelCount; i++) {
      same &= screen[i] == back[i] || (screen[i] >= 220 && screen[i] < 228);
    }
    MemUnlock(BackFrame);
    MemUnlock(ScreenFrame);
    return same;
  }
};

TEST_F(OpeningPlay, OkDuringTheNameFadesTheMusicOutAndLeavesTheTitleToTheFlow) {
  uint32_t took = 0;
  EXPECT_FALSE(Play(14000, took));
  EXPECT_GT(took, 14000u);
  EXPECT_LT(took, 17000u);
  // The music faded out in 32 steps and stopped; the screen is black.
  EXPECT_GE(HeadlessAudioLines({"AuxSetVolume"}).size(), 32u);
  EXPECT_EQ(HeadlessAudioHeard().cdTrack, 0);
  EXPECT_EQ(PaletteState, PalStateBlack);
}

TEST_F(OpeningPlay, OkDuringTheScrollShowsTheTitleDimmedAtOnce) {
  uint32_t took = 0;
  EXPECT_TRUE(Play(17000, took));
  EXPECT_LT(took, 19500u);  // the title dissolves in, dims, and the music fades
  EXPECT_EQ(PaletteState, PalStateDimmed);
  EXPECT_TRUE(ScreenShowsBackFrame());
}

TEST_F(OpeningPlay, TheLowSpecSettingShowsTheTitleAfterTheNameWithoutScrolling) {
  SpecLow = 1;
  uint32_t took = 0;
  EXPECT_TRUE(Play(0, took));
  // Name until 15 s, then a fade to white, a fade out, the title's fade in and the dimming:
  // long before the scroll would have ended, and the characters never come.
  EXPECT_GT(took, 15000u);
  EXPECT_LT(took, 20000u);
  EXPECT_EQ(PaletteState, PalStateDimmed);
  EXPECT_TRUE(ScreenShowsBackFrame());
}

}  // namespace
