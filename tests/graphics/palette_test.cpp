// Palette operations and timed fades on the virtual clock.
#include "graphics/palette.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/input.h"
#include "app/presentation.h"
#include "scenario/scenario.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"

namespace {

class PaletteTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    for (int i = 0; i < 228; i++) {
      PalSetEntry(i, static_cast<uint8_t>(i), 100, 255);
    }
  }
  // The colours the display was last given.
  PalEntry Displayed(int index) {
    PalEntry entry;
    PlatGetPalette(index, {&entry, 1});
    return entry;
  }
};

TEST_F(PaletteTest, FadesRunOnlyInTheRightState) {
  PalBlack();
  EXPECT_EQ(Duration([] { PalFadeOut(1); }), 0u);  // already black
  EXPECT_EQ(Duration([] { PalFadeIn(0); }), 0u);   // immediate
  EXPECT_EQ(PaletteState, PalStateNormal);
  EXPECT_EQ(Displayed(5), ScenePalette[5]);
  EXPECT_EQ(Duration([] { PalFadeIn(1); }), 0u);  // already shown
  PalUndim();                                     // not dimmed
  EXPECT_EQ(PaletteState, PalStateNormal);
}

TEST_F(PaletteTest, LevelsNeverStepBackAndTheLastIsAppliedOnce) {
  PalSetEntry(0, 255, 255, 255);
  PalBlack();
  HeadlessWatchPaletteEntry(0);
  PalFadeIn(1);
  const std::vector<PalEntry> seen = HeadlessWatchedColours();
  HeadlessWatchPaletteEntry(-1);
  ASSERT_GT(seen.size(), 100u);
  EXPECT_LE(seen.size(), 256u);
  for (size_t i = 1; i < seen.size(); i++) ASSERT_GE(seen[i].red, seen[i - 1].red) << i;
  EXPECT_EQ(seen.back().red, 255);
  EXPECT_EQ(std::count_if(seen.begin(), seen.end(), [](const PalEntry& e) { return e.red == 255; }),
            1);
}

TEST_F(PaletteTest, TimedFadeTakesItsTimeAndEndsExactly) {
  PalBlack();
  const uint32_t took = Duration([] { PalFadeIn(2); });
  EXPECT_GE(took, 1600u);
  EXPECT_LE(took, 1610u);
  EXPECT_EQ(PaletteState, PalStateNormal);
  for (int i : {0, 100, 227, 228, 235}) EXPECT_EQ(Displayed(i), ScenePalette[i]) << i;
  PalFadeToWhite(1);
  EXPECT_EQ(Displayed(3), (PalEntry{255, 255, 255, PC_RESERVED}));
  EXPECT_EQ(PaletteState, PalStateWhite);
  PalFadeInFromWhite(1);
  EXPECT_EQ(Displayed(3), ScenePalette[3]);
}

TEST_F(PaletteTest, SkipAndFastReadTakeTheImmediateForm) {
  PalBlack();
  const uint32_t start = PlatTicks();
  SkipToChoice = 1;
  PalFadeIn(5);
  EXPECT_EQ(PaletteState, PalStateNormal);
  PalFadeOut(5);
  EXPECT_EQ(Displayed(7), (PalEntry{0, 0, 0, PC_RESERVED}));
  SkipToChoice = 0;
  ReadTextFast = 1;
  SkipAllowed = 1;
  PalFadeIn(5);
  PalDim();
  EXPECT_EQ(PaletteState, PalStateDimmed);
  PalUndim();
  EXPECT_LE(PlatTicks() - start, 1u);
  ReadTextFast = 0;
  SkipAllowed = 0;
}

TEST_F(PaletteTest, DimmingShowsTwoThirdsOfThePictureAndUndimmingTheScene) {
  PalBlack();
  PalFadeInDimmed(1);
  EXPECT_EQ(PaletteState, PalStateDimmed);
  EXPECT_EQ(Displayed(150).red, 100);
  EXPECT_EQ(ScenePalette[150].red, 150);  // the scene itself is put back
  PalUndim();
  EXPECT_EQ(PaletteState, PalStateNormal);
  for (int i = 0; i < kPaletteSize; i++) ASSERT_EQ(Displayed(i), ScenePalette[i]) << i;
  PalDim();
  EXPECT_EQ(Displayed(200).red, 132);
  EXPECT_EQ(Displayed(230), ScenePalette[230]);  // interface colours keep their brightness
  PalFadeOutDimmed(1);
  EXPECT_EQ(PaletteState, PalStateBlack);
}

TEST_F(PaletteTest, CrossFadeKeepsTheInterfaceColours) {
  PalShow();
  PalEntry from[kPaletteSize], to[kPaletteSize];
  std::fill(std::begin(from), std::end(from), PalEntry{0, 0, 0, PC_RESERVED});
  std::fill(std::begin(to), std::end(to), PalEntry{200, 200, 200, PC_RESERVED});
  const PalEntry scene5 = ScenePalette[5];
  PalCrossFade(from, to, 1);
  EXPECT_EQ(Displayed(5), (PalEntry{200, 200, 200, PC_RESERVED}));
  for (int i = 228; i < kPaletteSize; i++) EXPECT_EQ(Displayed(i), InitialPalette[i]) << i;
  EXPECT_EQ(ScenePalette[5], scene5);  // the animated form leaves the scene alone
}

}  // namespace
