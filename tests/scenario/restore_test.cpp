// The event script's scene codes on real pictures, and going back to a checkpoint: the scene
// of the checkpoint is composed again (background, characters in their slots, layers and
// colour ranges, filter) and shown, whatever was on screen since.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "scenario/scenario_support.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/frame_probe.h"
#include "support/scene_data.h"

namespace {

constexpr int kBgColours = kBg51 + 1;  // the colours of background 51

enum : uint8_t {
  End = 0x20,
  Checkpoint = 0x26,
  BgLoadOp = 0x3C,
  BgRedrawOp = 0x3D,
  BgFillOp = 0x3F,
  CharShowOp = 0x43,
  ShowGroupOp = 0x44,
  ScreenShowOp = 0x45,
  NextFilterOp = 0x47,
  FilterOp = 0x48,
  WeatherNextOp = 0x4B,
  RememberOp = 0x7D,
};

class SceneRestoreTest : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    ResetScene();
    WriteSceneSet(dir.path);
  }
  void TearDown() override {
    BackGrp = 0;
    CharPalettes = 0;
    ScenarioTest::TearDown();
  }

  // Runs `code` as scenario 0x40, which also exists as a file for going back to.
  void RunScenario(const Bytes& code) {
    WriteScenario(0x40, ScenarioBlock(code));
    Run(code);
  }
  static uint8_t Screen(int x, int y) { return FramePixel(ScreenFrame, x, y); }
  static uint8_t Back(int x, int y) { return FramePixel(BackFrame, x, y); }
};

// What the scene of a moment consists of.
struct Scene {
  std::vector<uint8_t> back;
  std::vector<PalEntry> colours;  // of the background picture (0..30) and both ranges
  std::vector<uint16_t> codes, orders;
  int32_t rangeA, rangeB;
  uint8_t bg, filter;

  static Scene Now() {
    Scene s{FramePixels(BackFrame),
            {ScenePalette, ScenePalette + kBgColours},
            {CharCode, CharCode + kCharSlots},
            {CharOrder, CharOrder + kCharSlots},
            RangeChar[kRangeA],
            RangeChar[kRangeB],
            BgShown,
            FilterMode};
    s.colours.insert(s.colours.end(), ScenePalette + kPalCharacterAFirst,
                     ScenePalette + kPalWeatherFirst);
    return s;
  }
  bool operator==(const Scene&) const = default;
};

TEST_F(SceneRestoreTest, EventSceneCodesComposeRevealAndClearTheScene) {
  FrameFillRect(ScreenFrame, 0, 0, 639, 479, 99);
  RunScenario({NextFilterOp, 5, BgLoadOp, 1,         // negative colours for this background
               CharShowOp, 0, 0x0C, 0x01,            // range A, columns 60..239
               CharShowOp, 1, 0x0D, 0x01,            // range B, columns 380..559
               ShowGroupOp, 0, 2, WeatherNextOp, 4,  // only the strip at 320 is shown
               End});
  EXPECT_EQ(FilterMode, 5);
  EXPECT_EQ(ScenePalette[kBg1].blue, 255 - 160);
  EXPECT_EQ(Screen(450, 100), InB(6));
  EXPECT_EQ(Screen(100, 100), 99);
  EXPECT_EQ(WeatherNext, 4);

  // The right half redrawn takes its character away and frees its range.
  RunScenario({BgRedrawOp, 2, ShowGroupOp, 0, 0, RememberOp, 1, End});
  EXPECT_EQ(Screen(450, 100), kBg1);
  EXPECT_EQ(Screen(100, 100), InA(5));
  EXPECT_EQ(RangeChar[kRangeB], kRangeFree);
  EXPECT_EQ(RangePrevChar[kRangeA], 0x0C00);

  // A fill clears the scene, forgets the ranges and is on screen at once.
  RunScenario({BgFillOp, 7, End});
  EXPECT_EQ(Screen(100, 100), 7);
  EXPECT_EQ(RangePrevChar[kRangeA], kRangeFree);
}

TEST_F(SceneRestoreTest, GoingBackComposesAndShowsTheSceneOfTheCheckpoint) {
  // Background 51 (group 1), a wide character in slot 4 first, then one in slot 0 that covers
  // columns 260..299 of it, sepia; a cut, then the checkpoint.
  RunScenario({BgLoadOp, 51, CharShowOp, 4, 0x0B, 0x01, CharShowOp, 0, 0x0E, 0x01, FilterOp, 1,
               ScreenShowOp, 11, Checkpoint, End});
  const Scene checkpoint = Scene::Now();
  EXPECT_EQ(Back(280, 100), InB(7)) << "slot 0 on top, in range B";

  // Another scene: another background and filter, a character in slot 1, on screen.
  RunScenario({BgLoadOp, 2, CharShowOp, 1, 0x0C, 0x01, FilterOp, 5, ScreenShowOp, 11, End});
  ASSERT_FALSE(Scene::Now() == checkpoint);

  RestoreCheckpoint(true);
  const Scene restored = Scene::Now();
  EXPECT_EQ(restored.back, checkpoint.back) << "layers and ranges as they were";
  EXPECT_EQ(restored.colours, checkpoint.colours) << "group 1 colours, filtered";
  EXPECT_EQ(restored.codes, checkpoint.codes);
  EXPECT_EQ(restored.orders, checkpoint.orders);
  EXPECT_EQ(std::pair(restored.rangeA, restored.rangeB), std::pair(0x0B00, 0x0E00));
  EXPECT_EQ(restored.bg, 51);
  EXPECT_EQ(restored.filter, 1);

  // Shown: the screen holds the scene and the window its colours at full brightness.
  EXPECT_EQ(FramePixels(ScreenFrame), restored.back);
  for (auto [x, y, i] : {std::tuple{100, 400, kBg51}, {400, 100, InA(3)}, {280, 100, InB(7)}}) {
    const PalEntry& c = ScenePalette[i];
    EXPECT_EQ(HeadlessPixel(x, y), uint32_t(c.red << 16 | c.green << 8 | c.blue)) << int{i};
  }
  EXPECT_EQ(SaveState.charCode[4], 0x0B01) << "the rebuilt scene is the save point";
}

TEST_F(SceneRestoreTest, ACheckpointWithoutPicturesKeepsNoCharacterOfTheSceneLeft) {
  RunScenario({Checkpoint, End});  // nothing composed yet: no background, no characters
  RunScenario({BgLoadOp, 1, CharShowOp, 0, 0x0C, 0x01, CharShowOp, 1, 0x0D, 0x01, FilterOp, 2,
               ShowGroupOp, 0, 0, End});
  RestoreCheckpoint(false);
  EXPECT_EQ(Back(100, 100), kColourBlack);
  EXPECT_EQ(Screen(100, 100), kColourBlack);
  for (int slot = 0; slot < kCharSlots; slot++) EXPECT_EQ(CharCode[slot], kEmptyCode) << slot;
  EXPECT_EQ(FilterMode, 0);
  EXPECT_EQ(BgShown, kNoPicture);
  EXPECT_EQ(SaveState.charCode[0], kEmptyCode) << "a save now records no phantom character";

  // A character then shown takes the first range, as in any fresh scene.
  CharShow(2, 0x0D01);
  EXPECT_EQ(RangeChar[kRangeA], 0x0D00);
}

}  // namespace
