// Event pictures on the headless engine: what they record in the state, which file a number
// shows, the tinted pictures' colours and the filter asked for the next picture.
#include "screens/event_picture.h"

#include <gtest/gtest.h>

#include <string>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "scenario/game_state.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"
#include "support/scene_data.h"
#include "support/test_data.h"

namespace {

class EventPictureTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    DataDir = data.path.string();
    GameStateReset();
    PlayMode = PlayModeTitle;
    BackGrp = 0;
    RangePrevChar[0] = RangePrevChar[1] = kRangeFree;
  }
  void TearDown() override {
    DataDir.clear();
    PlayMode = PlayModeTitle;
    EngineTest::TearDown();
  }
  // A picture whose pixels are all `value`, with that entry coloured `colour`.
  void Write(const std::string& name, uint8_t value, PalEntry colour = {10, 20, 30, 0}) {
    WritePicture(data.path, name, SolidPicture(8, 8, value, colour));
  }
  static uint8_t Back() { return FramePixel(BackFrame, 3, 3); }

  TempDir data;
};

TEST_F(EventPictureTest, VThenHThenVRecordWhatIsShown) {
  Write("V10.TZ2", 5);
  Write("H10.TZ2", 6);
  Write("S01D.TZ2", 7);
  BgLoad(1);
  RangePrevChar[0] = 0x0100;
  ScriptVar(kVarWeatherNext) = 4;

  ShowVPicture(0x10);
  EXPECT_EQ(Back(), 5);
  EXPECT_EQ(VCgShown, 0x10);
  EXPECT_EQ(HCgShown, kNoPicture);
  EXPECT_EQ(BgShown, kNoPicture);
  EXPECT_EQ(BgHeld, kNoPicture);
  EXPECT_EQ(BackGrp, 0u) << "the kept background is dropped";
  EXPECT_EQ(RangePrevChar[0], kRangeFree);
  EXPECT_EQ(ScriptVar(kVarWeatherNext), 0);

  ShowHPicture(0x10);
  EXPECT_EQ(Back(), 6);
  EXPECT_EQ(HCgShown, 0x10);
  EXPECT_EQ(VCgShown, kNoPicture);

  ShowVPicture(0x10);
  EXPECT_EQ(Back(), 5) << "the H picture put the V picture away: it is drawn again";
  EXPECT_EQ(VCgShown, 0x10);
  EXPECT_EQ(HCgShown, kNoPicture);

  // The same picture again draws nothing and keeps the filter in force.
  FrameFillRect(BackFrame, 0, 0, 639, 479, 9);
  FilterMode = 3;
  ShowVPicture(0x10);
  EXPECT_EQ(Back(), 9);
  EXPECT_EQ(FilterMode, 3);
  ShowHPicture(0);
  EXPECT_EQ(Back(), 0) << "picture 0 is a black frame";
  EXPECT_EQ(HCgShown, 0);
  EXPECT_EQ(FilterMode, 0);
}

TEST_F(EventPictureTest, SeventeenAndEighteenFollowTheVariantWhilePlaying) {
  Write("V11.TZ2", 1);
  Write("V12.TZ2", 2);
  const struct {
    uint16_t playMode;
    uint8_t variant, n, shows;
  } cases[] = {
      {PlayModeEventScript, 0, 0x12, 1}, {PlayModeEventScript, 1, 0x11, 2},
      {PlayModeEventScript, 2, 0x12, 1}, {PlayModeEventScript, 3, 0x11, 2},
      {PlayModeTitle, 1, 0x11, 1},       {PlayModeTitle, 0, 0x12, 2},
  };
  for (const auto& c : cases) {
    PlayMode = c.playMode;
    ScriptVar(1) = c.variant;
    VCgShown = kNoPicture;
    ShowVPicture(c.n);
    EXPECT_EQ(Back(), c.shows) << "mode " << c.playMode << " variant " << int(c.variant)
                               << " picture " << int(c.n);
    EXPECT_EQ(VCgShown, c.n) << "the number asked for is recorded";
  }
}

TEST_F(EventPictureTest, TintedPicturesShareOneFileWithTheirOwnColours) {
  Write("V80.TZ2", 4, {1, 2, 3, 0});
  for (int n = 128; n <= 134; n++) {
    ShowVPicture(static_cast<uint8_t>(n));
    EXPECT_EQ(Back(), 4);
    EXPECT_EQ(ScenePalette[4], (PalEntry{1, 2, 3, 0}));
    for (int i = 0; i < kVTints; i++) {
      const PalEntry& e = ScenePalette[kVTintFirstEntry + i];
      const PalEntry& want = kVTintColours[n - 128][i];
      EXPECT_EQ(e.red, want.red) << n << " entry " << 210 + i;
      EXPECT_EQ(e.green, want.green) << n << " entry " << 210 + i;
      EXPECT_EQ(e.blue, want.blue) << n << " entry " << 210 + i;
      EXPECT_EQ(UnfilteredPalette[kVTintFirstEntry + i].red, want.red);
    }
  }
  // Spot checks against the table as written: 131 pink, 134 dark brown.
  ShowVPicture(131);
  EXPECT_EQ(ScenePalette[210].red, 186);
  EXPECT_EQ(ScenePalette[216].blue, 85);
  ShowVPicture(134);
  EXPECT_EQ(ScenePalette[215].green, 121);
}

TEST_F(EventPictureTest, NextFilterAppliesToThePictureOnce) {
  Write("V93.TZ2", 4, {200, 100, 0, 0});
  Write("H21.TZ2", 4, {200, 100, 0, 0});
  ScriptVar(kVarNextFilter) = 5;
  ShowVPicture(0x93);
  EXPECT_EQ(FilterMode, 5);
  EXPECT_EQ(ScriptVar(kVarNextFilter), 0);
  EXPECT_EQ(ScenePalette[4], (PalEntry{55, 155, 255, 0}));
  ShowHPicture(0x21);
  EXPECT_EQ(FilterMode, 0);
  EXPECT_EQ(ScenePalette[4], (PalEntry{200, 100, 0, 0}));
}

}  // namespace
