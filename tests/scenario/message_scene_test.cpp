// Scene changes in the middle of the text, on real pictures: which background and characters
// end up on the back frame, what part of it reaches the screen, the colour ranges and their
// blending, what the change queues, and the page drawn again over the new scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include "graphics/show.h"
#include "scenario/message.h"
#include "scenario/text_fixture.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/frame_probe.h"
#include "support/scene_data.h"

namespace {

// The scene set's pictures; character c in group g takes palette record 5c + g, red 5c + g.
class MessageSceneTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    ResetScene();
    WriteSceneSet(dir.path);
  }
  void TearDown() override {
    HeadlessWatchPaletteEntry(-1);
    BackGrp = 0;
    CharPalettes = 0;
    TextTest::TearDown();
  }

  // Background n with characters (slot, code) shown in that order, on screen and dimmed under
  // the text, as the event script leaves a scene before a message.
  static void ShowScene(uint8_t n, std::initializer_list<std::pair<uint8_t, uint16_t>> chars) {
    BgLoad(n);
    for (auto [slot, code] : chars) CharShow(slot, code);
    ShowBackFrame();
    PalShow();
    PalDim();
  }

  // Runs "あ", the scene command `command` with its operands, "い" as a story message.
  void SayAround(const std::vector<uint8_t>& command) {
    Code text;
    text.Text("あ").bytes.insert(text.bytes.end(), command.begin(), command.end());
    InstallMessages({text.Text("い").End()});
    ASSERT_NE(RunMessage(16, 10, MessageCode(0), 229, 228, true, true), nullptr);
  }

  // The page's text stands over the new scene, the second character after the first.
  static void ExpectPageRedrawn() {
    EXPECT_EQ(CodeAt(16, 10), C(U'あ'));
    EXPECT_EQ(CodeAt(40, 10), C(U'い'));
    EXPECT_EQ(PaletteState, PalStateDimmed);
  }
  // The reds the watched entry showed at full brightness (blue 200 of the character palette;
  // dimming lowers the blue too): a range in mid-blend shows reds between its two records.
  static std::set<int> RedsShownUndimmed() {
    std::set<int> reds;
    for (const PalEntry& e : HeadlessWatchedColours()) {
      if (e.blue == 200) reds.insert(e.red);
    }
    return reds;
  }
};

// [SECTION] Backgrounds

TEST_F(MessageSceneTest, ChangeBgSkipsTheShownBackgroundAndLoadBgReloadsIt) {
  ShowScene(1, {{0, 0x0A01}});
  FrameFillRect(BackFrame, 600, 400, 639, 479, 99);  // a reload would paint over this
  FrameFillRect(ScreenFrame, 600, 400, 639, 479, 98);
  EXPECT_LT(Duration([&] { SayAround({0xBD, 1, 255, 11}); }), 100u);
  EXPECT_EQ(FramePixel(BackFrame, 620, 450), 99);
  EXPECT_EQ(Pixel(620, 450), 98) << "not even the text was cleared";
  EXPECT_EQ(CharCode[0], 0x0A01);

  SayAround({0xBE, 1, 255, 11});
  EXPECT_EQ(FramePixel(BackFrame, 620, 450), kBg1);
  EXPECT_EQ(Pixel(620, 450), kBg1);
  EXPECT_EQ(Pixel(100, 100), kBg1) << "the character went with the reload";
  EXPECT_EQ(BgShown, 1);
  ExpectPageRedrawn();
}

TEST_F(MessageSceneTest, ChangeBgShowsTheNewSceneAndStartsWhatWasQueued) {
  ShowScene(1, {{0, 0x0A01}});
  MusicNext = 5;  // no track is suspended: the request is dropped
  WeatherNext = 4;
  ScriptVar(kVarNextFilter) = 5;
  SayAround({0xBD, 2, 255, 11});
  EXPECT_EQ(BgShown, 2);
  EXPECT_EQ(FramePixel(BackFrame, 320, 240), kBg2);
  EXPECT_TRUE(ScreenShowsBack(0, 40, 639, 479));
  EXPECT_EQ(CharCode[0], kEmptyCode);
  EXPECT_EQ(MusicNext, 0);
  EXPECT_EQ(WeatherNext, 0);
  EXPECT_EQ(FilterMode, 5) << "the filter asked for the next picture";
  EXPECT_EQ(ScenePalette[kBg2], (PalEntry{255, 95, 255, ScenePalette[kBg2].flags}));
  ExpectPageRedrawn();
}

TEST_F(MessageSceneTest, TheSceneBrightensForTheChangeUnlessItIsCut) {
  // Transition 255 (none) lifts the dimming first; 0 and 11 leave the scene dimmed.
  for (uint8_t t1 : {255, 0, 11}) {
    ShowScene(1, {});
    HeadlessWatchPaletteEntry(kBg1);
    SayAround({0xBE, 2, t1, 11});
    const auto& seen = HeadlessWatchedColours();
    const bool bright =
        std::any_of(seen.begin(), seen.end(), [](const PalEntry& e) { return e.blue == 160; });
    EXPECT_EQ(bright, t1 == 255) << int{t1};
    EXPECT_EQ(BgShown, 2);
  }
}

// [SECTION] One character

TEST_F(MessageSceneTest, ChangeCharRevealsItsStripOrWithTheFlagTheWholeFrame) {
  ShowScene(1, {});
  // The wide sprite in slot 1 ends at the right edge: columns 260..639, past its strip's 320.
  SayAround({0xC1, 1, 0x0B, 0x01});
  EXPECT_EQ(FramePixel(BackFrame, 300, 100), InA(3));
  EXPECT_EQ(Pixel(300, 100), kBg1) << "left of the strip: not revealed";
  EXPECT_EQ(Pixel(400, 100), InA(3));
  EXPECT_EQ(Pixel(400, kCharTop - 1), kBg1) << "transparent rows";
  EXPECT_EQ(RangePrevChar[kRangeA], kRangeFree) << "forgotten after the change";
  ExpectPageRedrawn();

  // The same person in another picture, slot + 0x80: the whole frame is revealed.
  SayAround({0xC1, 0x81, 0x0B, 0x02});
  EXPECT_EQ(Pixel(300, 100), InA(4));
  EXPECT_EQ(Pixel(400, 100), InA(4));
  EXPECT_TRUE(ScreenShowsBack(0, 40, 639, 479));
  ExpectPageRedrawn();
}

TEST_F(MessageSceneTest, AddCharJoinsTheSceneInTheFreeRangeAndTheSameCodeDoesNothing) {
  ShowScene(1, {{0, 0x0A01}});
  SayAround({0xC2, 2, 0x0C, 0x01});
  EXPECT_EQ(Pixel(100, 100), InA(1)) << "the first character stays";
  EXPECT_EQ(Pixel(300, 100), InB(5));
  EXPECT_EQ(CharOrder[0], 0);
  EXPECT_EQ(CharOrder[2], 5);
  ExpectPageRedrawn();

  FrameFillRect(ScreenFrame, 600, 400, 639, 479, 98);
  EXPECT_LT(Duration([&] { SayAround({0xC2, 2, 0x0C, 0x01}); }), 100u);
  EXPECT_EQ(Pixel(620, 450), 98);
}

TEST_F(MessageSceneTest, SwapCharBlendsTheRangeOfAnotherPersonWhenBothRangesAreTaken) {
  // Range A holds 0x0A (record 50, red 50), range B 0x0C. 0x0D (record 65) takes range A,
  // whose colours blend from 0x0A's to 0x0D's while the picture dissolves.
  ShowScene(1, {{0, 0x0A01}, {1, 0x0C01}});
  HeadlessWatchPaletteEntry(124);
  const uint32_t other = Duration([&] { SayAround({0xC3, 0, 0x0D, 0x01}); });
  const std::set<int> blended = RedsShownUndimmed();
  EXPECT_TRUE(
      std::any_of(blended.begin(), blended.end(), [](int red) { return red > 50 && red < 65; }));
  EXPECT_EQ(ScenePalette[124].red, 65);
  EXPECT_EQ(Pixel(100, 100), InA(6));
  EXPECT_EQ(Pixel(450, 100), kBg1) << "the whole background was redrawn";
  EXPECT_TRUE(ScreenShowsBack(0, 40, 639, 479));
  ExpectPageRedrawn();

  // The same person: the old picture dissolves away, the new one comes in its own colours.
  ShowScene(1, {{0, 0x0A01}, {1, 0x0C01}});
  HeadlessWatchPaletteEntry(124);
  const uint32_t same = Duration([&] { SayAround({0xC3, 0, 0x0A, 0x02}); });
  EXPECT_EQ(RedsShownUndimmed(), std::set<int>{50});
  EXPECT_EQ(ScenePalette[124].red, 50);
  EXPECT_EQ(RangeChar[kRangeB], kRangeFree);
  EXPECT_EQ(Pixel(100, 100), InA(2));
  EXPECT_EQ(Pixel(450, 100), kBg1);
  EXPECT_GE(same, other + 600) << "two dissolves of 16 passes of 40 ms";
  ExpectPageRedrawn();
}

// [SECTION] Whole scenes and sets of characters

TEST_F(MessageSceneTest, ChangeSceneLoadsTheBackgroundWithOneCharacterInItsGroupColours) {
  ShowScene(1, {{0, 0x0A01}});
  SayAround({0xC4, 51, 0x0B, 0x01, 1, 255, 11});
  EXPECT_EQ(BgShown, 51);
  EXPECT_EQ(Pixel(100, 100), kBg51);
  EXPECT_EQ(Pixel(300, 100), InA(3));
  EXPECT_EQ(ScenePalette[124].red, 0x0B * 5 + 1) << "record of group 1";
  EXPECT_TRUE(ScreenShowsBack(0, 40, 639, 479));
  ExpectPageRedrawn();
}

TEST_F(MessageSceneTest, ReturnCharsGivesTheRememberedCharacterItsRangeBack) {
  // 0x0A in range A and 0x0C in range B; the new set brings 0x0D first, then 0x0A again.
  // 0xC5 takes the set in the given order: the newcomer takes the first free range.
  ShowScene(1, {{0, 0x0A01}, {1, 0x0C01}});
  SayAround({0xC5, 2, 0x0D, 0x01, 0, 0x0A, 0x02, 3, 0xFF, 0xFF});
  EXPECT_EQ(Pixel(100, 100), InB(2));
  EXPECT_EQ(Pixel(300, 100), InA(6));
  EXPECT_EQ(Pixel(450, 100), kBg1) << "0x0C left the scene";
  EXPECT_EQ(CharCode[3], kEmptyCode);
  EXPECT_TRUE(ScreenShowsBack(0, 40, 639, 479));
  ExpectPageRedrawn();

  // 0xC6 brings the returning character first: it keeps range A.
  ShowScene(1, {{0, 0x0A01}, {1, 0x0C01}});
  SayAround({0xC6, 2, 0x0D, 0x01, 0, 0x0A, 0x02, 3, 0xFF, 0xFF});
  EXPECT_EQ(RangePrevChar[kRangeA], kRangeFree);
  EXPECT_EQ(RangePrevChar[kRangeB], kRangeFree);
  EXPECT_EQ(Pixel(100, 100), InA(2));
  EXPECT_EQ(Pixel(300, 100), InB(6));
  EXPECT_EQ(CharOrder[2], 5) << "shown last, on top";
  EXPECT_EQ(CharCode[3], kEmptyCode);
  EXPECT_TRUE(ScreenShowsBack(0, 40, 639, 479));
  ExpectPageRedrawn();
}

}  // namespace
