// The calendar and the clock on the headless engine, with pictures whose colour tells which
// part of a page they are: the day's page, its colours, the tearing and its sound, the fast
// setting, and the values that only store themselves.
#include "graphics/calendar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "resources/text_format.h"
#include "scenario/text_fixture.h"
#include "support/scene_data.h"

namespace {

// Where the large (one-digit) day number lies on screen on a page being torn off; on a
// two-digit day the tens digit covers it.
constexpr int kDigitX = 199 + 65 + 5, kDigitY = 88 + 106 + 5;

class CalendarTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    CalendarFast = 0;
    Picture("cbak.tz2", SolidPicture(640, 480, 100));
    for (int k = 0; k < 8; k++) {
      // Frames 0..2 show the top page through their key colour, 3..5 the page under it.
      TestPicture frame = SolidPicture(242, 306, k < 3 ? 209 : k < 6 ? 211 : 150);
      frame.x = 7;
      frame.y = 8;
      Picture(FormatText("cbak_%02d.tz2", {k}), frame);
    }
    for (int m = 3; m <= 5; m++)
      Picture(FormatText("cmon_%02d.tz2", {m}), SolidPicture(242, 100, 1));
    // Digits print in colours 2 + digit (large) and 12 + digit (small), weekdays in 24.
    for (int o = 0; o < 10; o++) {
      Picture(FormatText("clno_%02d.tz2", {o}),
              SolidPicture(100, 100, static_cast<uint8_t>(2 + o)));
      Picture(FormatText("csno_%02d.tz2", {o}),
              SolidPicture(80, 100, static_cast<uint8_t>(12 + o)));
    }
    for (int w = 0; w < 7; w++)
      Picture(FormatText("cweek_%02d.tz2", {w}), SolidPicture(80, 40, 24));
    WriteFile(dir.path / "MR_VD05.P16", Bytes(4410, 1));
    Probes = {{kDigitX, kDigitY}};
    HeadlessClearAudioCalls();
  }
  void Picture(const std::string& name, const TestPicture& picture) {
    WritePicture(dir.path, name, picture);
  }
  // What a cleared frame holds.
  static constexpr uint8_t kColourCleared = 228;
  // The digit colours the probe showed, each change once, cleared frames left out.
  std::vector<uint8_t> DigitsShown() const {
    std::vector<uint8_t> shown;
    for (const Paint& paint : Paints) {
      const uint8_t v = paint.probes[0];
      if (v != kColourCleared && (shown.empty() || shown.back() != v)) shown.push_back(v);
    }
    return shown;
  }
  bool PageSoundLoaded() const {
    const auto& calls = HeadlessAudioCalls();
    return !calls.empty();
  }
};

TEST_F(CalendarTest, SundaysAndHolidaysTakeTheSundayColoursSaturdaysTheirOwn) {
  struct Case {
    int day;
    int shift;
  };
  // Day 2 is a Sunday, day 5 a Tuesday; March 20 a Thursday holiday, March 21 a Friday, March 22
  // a Saturday; April 29 (day 60) a Tuesday holiday, May 5 (day 66) a Monday holiday.
  const Case cases[] = {{2, 26}, {5, 0}, {20, 26}, {21, 0}, {22, 52}, {60, 26}, {66, 26}};
  for (const Case& c : cases) {
    FrameClear(BackFrame);
    CalendarPageDraw(c.day, 1);
    EXPECT_EQ(FramePixel(BackFrame, 242 + 10, 10), 1 + c.shift) << c.day;     // month header
    EXPECT_EQ(FramePixel(BackFrame, 242 + 100, 280), 24 + c.shift) << c.day;  // weekday
    EXPECT_EQ(FramePixel(BackFrame, 10, 10), kColourCleared) << "slot 0 untouched";
  }
}

TEST_F(CalendarTest, TheDayAfterAResetTearsOffOnePageToTheFourth) {
  CalendarShow(kTimeReset);
  EXPECT_EQ(ScriptVar(kVarCalendarDay), 3);
  EXPECT_EQ(ScriptVar(kVarWeekday), 1);
  const uint32_t took = Duration([] { CalendarShow(kTimeNext); });
  EXPECT_EQ(ScriptVar(kVarCalendarDay), 4);
  EXPECT_EQ(ScriptVar(kVarWeekday), 2);
  // The third's page, then the fourth's showing from under it as the page comes off.
  EXPECT_EQ(DigitsShown(), (std::vector<uint8_t>{2 + 3, 2 + 4}));
  EXPECT_GE(took, 8 * 100u);
  EXPECT_TRUE(PageSoundLoaded());
  EXPECT_EQ(PcmEntry, kNoPcm);
  EXPECT_EQ(SkipAllowed, 0) << "the skip permission comes back";
}

TEST_F(CalendarTest, FastCalendarGoesStraightToTheDayWithoutTearingOrSound) {
  CalendarFast = 1;
  CalendarShow(kTimeReset);
  const uint32_t took = Duration([] { CalendarShow(10); });
  EXPECT_EQ(ScriptVar(kVarCalendarDay), 10);
  EXPECT_EQ(ScriptVar(kVarWeekday), 1);
  EXPECT_EQ(DigitsShown(), (std::vector<uint8_t>{12 + 1}));  // the tens digit of the tenth
  EXPECT_FALSE(PageSoundLoaded());
  // Zoom in, a look of 1.2 s, and the zoom away (1.2 s): no 7 x 800 ms of pages on top.
  EXPECT_LT(took, 4500u);
}

TEST_F(CalendarTest, AValueNotPastTheShownOneIsOnlyStored) {
  ScriptVar(kVarCalendarDay) = 12;
  ScriptVar(kVarClockShown) = 6;
  struct Case {
    const char* name;
    void (*show)();
    uint8_t var, expected;
  };
  const Case cases[] = {
      {"calendar, same day", [] { CalendarShow(12); }, kVarCalendarDay, 12},
      {"calendar, earlier day", [] { CalendarShow(9); }, kVarCalendarDay, 9},
      {"clock, same value", [] { ClockShow(9); }, kVarClockShown, 9},
      {"clock, earlier value", [] { ClockShow(4); }, kVarClockShown, 4},
  };
  ScriptVar(kVarClockShown) = 9;
  for (const Case& c : cases) {
    Paints.clear();
    EXPECT_LT(Duration(c.show), 5u) << c.name;
    EXPECT_EQ(ScriptVar(c.var), c.expected) << c.name;
    EXPECT_TRUE(DigitsShown().empty()) << c.name;
    EXPECT_FALSE(PageSoundLoaded()) << c.name;
  }
  EXPECT_EQ(ScriptVar(kVarWeekday), CalendarWeekday(9));
}

}  // namespace
