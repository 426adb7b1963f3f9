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
#include "support/scene_fixture.h"
#include "support/test_data.h"

namespace {

class EventPictureTest : public SceneTest {
 protected:
  // A picture whose pixels are all `value`, with that entry coloured `colour`.
  void Write(const std::string& name, uint8_t value, PalEntry colour = {10, 20, 30, 0}) {
    WritePicture(data.path, name, SolidPicture(8, 8, value, colour));
  }
  static uint8_t Back() { return FramePixel(BackFrame, 3, 3); }
  // An entry's colour without its flags.
  static PalEntry Colour(const PalEntry& e) { return {e.red, e.green, e.blue, 0}; }
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

TEST_F(EventPictureTest, TintedPicturesShareOneFileWithTheirOwnColoursAndTakeTheNextFilter) {
  Write("V80.TZ2", 4, {200, 100, 0, 0});
  const struct {
    uint8_t n;
    int entry;
    PalEntry colour;
  } cases[] = {{128, 210, {150, 146, 142, 0}}, {131, 210, {186, 117, 138, 0}},
               {131, 216, {105, 65, 85, 0}},   {133, 213, {166, 182, 213, 0}},
               {134, 215, {170, 121, 97, 0}},  {134, 216, {48, 28, 28, 0}}};
  for (const auto& c : cases) {
    ShowVPicture(c.n);
    EXPECT_EQ(Back(), 4) << int(c.n);
    EXPECT_EQ(Colour(ScenePalette[c.entry]), c.colour) << int(c.n) << " entry " << c.entry;
    EXPECT_EQ(Colour(UnfilteredPalette[c.entry]), c.colour) << int(c.n) << " entry " << c.entry;
  }
  // The filter asked for the next picture comes on once, over the picture's own colours.
  ScriptVar(kVarNextFilter) = 5;
  ShowVPicture(130);
  EXPECT_EQ(FilterMode, 5);
  EXPECT_EQ(ScriptVar(kVarNextFilter), 0);
  EXPECT_EQ(Colour(ScenePalette[4]), (PalEntry{55, 155, 255, 0}));
  ShowVPicture(129);
  EXPECT_EQ(FilterMode, 0);
  EXPECT_EQ(Colour(ScenePalette[4]), (PalEntry{200, 100, 0, 0}));
}

}  // namespace
