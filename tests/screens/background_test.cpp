// Backgrounds and characters on the headless engine: picture names, calendar variants, the
// colour ranges, placement, drawing order, partial redraws and the colour filters.
#include "screens/background.h"

#include <gtest/gtest.h>

#include <string>

#include "app/app.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/tz2.h"
#include "scenario/game_state.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"
#include "support/scene_data.h"
#include "support/scene_fixture.h"
#include "support/test_data.h"

namespace {

class BackgroundTest : public SceneTest {
 protected:
  // Writes a w x h picture of one colour index `value`; its palette has value + 1 colours,
  // the last one `colour`.
  void WritePicture(const std::string& name, uint16_t w, uint16_t h, uint8_t value,
                    PalEntry colour = {10, 20, 30, 0}) {
    ::WritePicture(data.path, name, SolidPicture(w, h, value, colour));
  }
  static uint8_t Back(int x, int y) { return FramePixel(BackFrame, x, y); }
  uint8_t Kept(int x, int y) {
    return MemAddress(BackGrp)[(kFrameHeight - 1 - y) * kFrameWidth + x];
  }
};

using CharTest = BackgroundTest;

TEST_F(BackgroundTest, SpecialNumbersFillTheFrameOrKeepIt) {
  // The filled numbers clear the frame and set entry 0.
  const std::pair<uint8_t, PalEntry> fills[] = {
      {0, {0, 0, 0, 0}}, {251, {255, 120, 0, 0}}, {253, {255, 0, 0, 0}}, {254, {255, 255, 255, 0}}};
  for (const auto& [number, colour] : fills) {
    FrameFillRect(BackFrame, 0, 0, 639, 479, 9);
    ScenePalette[0] = {9, 9, 9, 0};
    BgLoad(number);
    EXPECT_EQ(Back(639, 479), 0) << int{number};
    EXPECT_EQ(Kept(320, 240), 0) << int{number};
    EXPECT_EQ(BgShown, number);
    EXPECT_EQ(ScenePalette[0], colour) << int{number};
  }
  // A number without a group gives an empty scene.
  FrameFillRect(BackFrame, 0, 0, 639, 479, 7);
  BgLoad(250);
  EXPECT_EQ(Back(10, 10), kColourBlack);
  EXPECT_EQ(BgShown, 250);
  // The splash number draws a fresh splash of red blots on black and keeps it.
  FrameFillRect(BackFrame, 0, 0, 639, 479, 9);
  BgLoad(252);
  EXPECT_EQ(BgShown, 252);
  EXPECT_EQ(Kept(639, 479), kColourBlack);
  EXPECT_EQ(Back(639, 479), kColourBlack);
  EXPECT_EQ(ScenePalette[0].red, 255);
  EXPECT_EQ(ScenePalette[0].green, 0);
}

TEST_F(BackgroundTest, CalendarDayPicksTheVariant) {
  WritePicture("S17D.TZ2", 4, 4, 1);
  WritePicture("S18D.TZ2", 4, 4, 2);
  PlayMode = PlayModeEventScript;
  ScriptVar(kVarCalendarDay) = 40;
  BgLoad(18);
  EXPECT_EQ(Back(0, 0), 1);
  EXPECT_EQ(BgShown, 17);
  EXPECT_EQ(ScriptVar(kVarWeatherNext), 4);

  ScriptVar(kVarCalendarDay) = 59;
  BgLoad(34);
  EXPECT_EQ(Back(0, 0), 2);
  EXPECT_EQ(ScriptVar(kVarWeatherNext), 0);

  // Outside a running game the scene asked for is the scene shown.
  PlayMode = PlayModeTitle;
  ScriptVar(kVarCalendarDay) = 40;
  ScriptVar(kVarWeatherNext) = 9;
  BgLoad(18);
  EXPECT_EQ(Back(0, 0), 2);
  EXPECT_EQ(BgShown, 18);
  EXPECT_EQ(ScriptVar(kVarWeatherNext), 9);
}

TEST_F(BackgroundTest, OverlayColoursComeWithTheRainAndLoseTheFilterWithTheScene) {
  WritePicture("S07E.TZ2", 4, 4, 1);
  WritePicture("S07X.TZ2", 4, 4, 1);
  WeatherMode = 0;
  ScenePalette[220] = {10, 20, 30, 0};
  BgLoad(57);
  EXPECT_EQ(ScenePalette[220], (PalEntry{10, 20, 30, 0})) << "no rain colours without rain";
  ColourFilter(5, false);
  EXPECT_EQ(ScenePalette[220].red, 245);
  // The next scene comes without the filter: the overlay's colours are untinted again, and a
  // later filter starts from them, not from the tinted ones.
  BgLoad(57);
  EXPECT_EQ(ScenePalette[220].red, 10);
  ColourFilter(5, false);
  ColourFilter(0, false);
  EXPECT_EQ(ScenePalette[220].red, 10);
  // Rain brings its colours; taking a filter off gives them back.
  WeatherMode = 1;
  BgLoad(57);
  EXPECT_EQ(ScenePalette[221], (PalEntry{239, 247, 255, 1}));
  BgLoad(157);
  EXPECT_EQ(ScenePalette[227], (PalEntry{89, 124, 159, 1}));
  ColourFilter(2, false);
  EXPECT_EQ(ScenePalette[227].green, 0);
  ColourFilter(0, false);
  EXPECT_EQ(ScenePalette[227].green, 124);
}

TEST_F(BackgroundTest, NextFilterAppliesOnceAfterTheLoad) {
  ScriptVar(kVarNextFilter) = 5;
  ScenePalette[0].flags = 0;
  BgLoad(254);
  EXPECT_EQ(ScenePalette[0], (PalEntry{0, 0, 0, 0}));
  EXPECT_EQ(FilterMode, 5);
  BgLoad(254);
  EXPECT_EQ(FilterMode, 0);
  EXPECT_EQ(ScenePalette[0].red, 255);
}

TEST_F(CharTest, SameCharacterSharesARangeAndAThirdIsRefused) {
  WritePicture("C0A01.TZ2", 4, 4, 1);
  WritePicture("C0A02.TZ2", 4, 4, 2);
  WritePicture("C0B01.TZ2", 4, 4, 3);
  WritePicture("C0C01.TZ2", 4, 4, 4);
  BgLoad(0);
  CharShow(0, 0x0A01);
  CharShow(1, 0x0A02);
  EXPECT_EQ(Back(0, 0), 124 + 1);
  EXPECT_EQ(Back(320, 0), 124 + 2);
  CharShow(2, 0x0B01);
  EXPECT_EQ(Back(160, 0), 172 + 3);
  CharShow(3, 0x0C01);
  EXPECT_EQ(CharCode[3], kEmptyCode);
  EXPECT_EQ(Back(0, 0), 124 + 1);
  // No picture and no slot: nothing at all.
  CharShow(4, 0x0AFF);
  CharShow(6, 0x0A01);
  EXPECT_EQ(CharCode[4], kEmptyCode);
}

TEST_F(CharTest, ReturningCharacterGetsItsRememberedRange) {
  for (const char* name : {"C0A01.TZ2", "C0B01.TZ2", "C0C01.TZ2", "S01D.TZ2"})
    WritePicture(name, 4, 4, 1);
  BgLoad(0);
  CharShow(0, 0x0A01);
  CharShow(1, 0x0B01);
  CharRangesRemember(1);
  BgLoad(1);
  CharShow(1, 0x0B01);
  EXPECT_EQ(Back(320, 0), 172 + 1);
  // A newcomer takes the free range even though it was remembered for another.
  CharShow(0, 0x0C01);
  EXPECT_EQ(RangeChar[kRangeA], 0x0C00);
  // A filled background forgets, as BgFill does; the first free range is taken again.
  BgFill(0);
  CharShow(0, 0x0B01);
  EXPECT_EQ(RangeChar[kRangeA], 0x0B00);
}

TEST_F(CharTest, CharacterZeroWearsCharacterOnesPictures) {
  WritePicture("C0185.TZ2", 4, 4, 1);
  WritePicture("C0105.TZ2", 4, 4, 2);
  CharPalettes = CharPaletteBlock(10);  // record i colour j: red i, green j
  BgLoad(0);
  ScriptVar(1) = 0x03;
  CharShow(2, 0x0005);
  EXPECT_EQ(Back(160, 0), 124 + 1);
  EXPECT_EQ(CharCode[2], 0x0005);
  // Record 0: character 0, group 0.
  EXPECT_EQ(ScenePalette[124 + 7], (PalEntry{0, 7, 200, ScenePalette[124 + 7].flags}));
  ScriptVar(1) = 0x02;
  CharShow(2, 0x0085);
  EXPECT_EQ(Back(160, 0), 124 + 2);
}

TEST_F(CharTest, PaletteRecordFollowsTheBackgroundGroup) {
  WritePicture("C0101.TZ2", 4, 4, 0, {42, 43, 44, 0});
  CharPalettes = CharPaletteBlock(10);  // record i colour j: red i, green j
  BgLoad(0);
  const struct {
    uint8_t bg;
    int record;
  } cases[] = {{76, 6},  {75, 5},  {175, 5}, {177, 5}, {178, 5},
               {187, 5}, {186, 8}, {227, 9}, {128, 7}, {254, 5}};
  for (const auto& c : cases) {
    BgShown = c.bg;
    RangeChar[0] = RangeChar[1] = kRangeFree;
    CharShow(0, 0x0101);
    EXPECT_EQ(ScenePalette[124].red, c.record) << int{c.bg};
  }
  // Character 2 has records 10..14, beyond the file: the picture's colours stay.
  WritePicture("C0201.TZ2", 4, 4, 0, {42, 43, 44, 0});
  BgShown = 0;
  RangeChar[0] = RangeChar[1] = kRangeFree;
  CharShow(0, 0x0201);
  EXPECT_EQ(ScenePalette[124].red, 42);
}

TEST_F(CharTest, OrderCompactionPutsTheNewestOnTop) {
  for (const char* name : {"C0A01.TZ2", "C0A02.TZ2", "C0B01.TZ2"}) WritePicture(name, 4, 4, 1);
  BgLoad(0);
  CharShow(4, 0x0A01);
  CharShow(0, 0x0A02);
  CharShow(2, 0x0B01);
  EXPECT_EQ(CharOrder[4], 0);
  EXPECT_EQ(CharOrder[0], 1);
  EXPECT_EQ(CharOrder[2], 5);
  // Showing again in a taken slot moves it to the top, the others close up.
  CharShow(4, 0x0A02);
  EXPECT_EQ(CharOrder[0], 0);
  EXPECT_EQ(CharOrder[2], 1);
  EXPECT_EQ(CharOrder[4], 5);
}

TEST_F(CharTest, RedrawLeftHalfFreesItsRange) {
  WritePicture("S01D.TZ2", 640, 480, 2);
  for (const char* name : {"C0A01.TZ2", "C0B01.TZ2"}) WritePicture(name, 4, 4, 1);
  BgLoad(1);
  CharShow(0, 0x0A01);
  CharShow(3, 0x0A01);
  CharShow(1, 0x0B01);
  ScenePalette[5] = {1, 1, 1, 0};
  BgRedraw(1);
  EXPECT_EQ(Back(0, 0), 2);
  EXPECT_EQ(Back(320, 0), 172 + 1);
  EXPECT_EQ(CharCode[0], kEmptyCode);
  EXPECT_EQ(CharCode[3], kEmptyCode);
  EXPECT_EQ(RangeChar[kRangeA], kRangeFree);
  EXPECT_EQ(ScenePalette[5], BackgroundPalette[5]);

  // A character still standing on the other side keeps its range.
  CharShow(0, 0x0B01);
  BgRedraw(2);
  EXPECT_EQ(RangeChar[kRangeB], 0x0B00);
  EXPECT_EQ(Back(320, 0), 2);
  EXPECT_EQ(Back(0, 0), 172 + 1);

  BgShown = 255;
  BgRedraw(0);
  EXPECT_EQ(BgShown, 1);
  EXPECT_EQ(Back(0, 0), 2);
  for (uint16_t code : CharCode) EXPECT_EQ(code, kEmptyCode);
  EXPECT_EQ(RangeChar[kRangeB], kRangeFree);
}

TEST_F(CharTest, RedrawWithoutKeptPictureClearsTheFrame) {
  BgLoad(254);
  BgForget();
  BgRedraw(0);
  EXPECT_EQ(Back(5, 5), kColourBlack);
}

TEST_F(CharTest, FiltersTintFromTheRawColoursAndSpareTheInterface) {
  WritePicture("S01D.TZ2", 4, 4, 1, {255, 255, 255, 0});
  WritePicture("C0A01.TZ2", 4, 4, 0, {100, 50, 200, 0});
  BgLoad(1);
  ColourFilter(1, false);
  EXPECT_EQ(ScenePalette[1], (PalEntry{255, 230, 150, ScenePalette[1].flags}));
  // A character shown under a filter is drawn filtered.
  CharShow(0, 0x0A01);
  const PalEntry ui = ScenePalette[229];
  // Every filter starts from the raw colours, never stacked; unknown modes only record
  // themselves. The grey of (100, 50, 200) is 82.
  const struct {
    uint8_t mode, red, green, blue;
  } cases[] = {{1, 82, 73, 48}, {5, 155, 205, 55}, {6, 66, 33, 133}, {3, 0, 82, 0},
               {9, 0, 82, 0},   {2, 82, 0, 0},     {4, 0, 0, 82},    {0, 100, 50, 200}};
  for (const auto& c : cases) {
    if (c.mode != 1) ColourFilter(c.mode, false);
    EXPECT_EQ(FilterMode, c.mode);
    EXPECT_EQ(ScenePalette[124], (PalEntry{c.red, c.green, c.blue, ScenePalette[124].flags}))
        << int{c.mode};
    EXPECT_EQ(ScenePalette[229], ui) << int{c.mode};
  }
  EXPECT_EQ(ScenePalette[1].blue, 255);
  // A redraw of the background keeps it filtered.
  ColourFilter(1, false);
  BgRedraw(0);
  EXPECT_EQ(ScenePalette[1].green, 230);
}

TEST_F(CharTest, AnimatedFilterCrossFadesOverOneUnit) {
  WritePicture("S01D.TZ2", 4, 4, 1, {255, 255, 255, 0});
  BgLoad(1);
  PalShow();
  const PalEntry ui = ScenePalette[229];
  const uint32_t start = PlatTicks();
  ColourFilter(1, true);
  EXPECT_GE(PlatTicks() - start, 800u);
  EXPECT_EQ(ScenePalette[1].blue, 150);
  EXPECT_EQ(ScenePalette[229], ui);
  PalEntry shown;
  PlatGetPalette(1, {&shown, 1});
  EXPECT_EQ(shown.green, 230);
}

}  // namespace
