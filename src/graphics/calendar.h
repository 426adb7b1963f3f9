// The calendar and clock display: the desk calendar whose pages tear off day by day up to the
// story's new date, and the clock face that shows the time of day. Their state lives in script
// variables 171..175, so a saved game keeps the day and the clock.
#pragma once

#include <cstdint>

#include "resources/memory.h"

// Script variables of the calendar and the clock besides the day (kVarCalendarDay: 1..31
// March, 32..61 April, 62 on May) and its weekday (kVarWeekday).
enum : uint8_t {
  kVarCalendarSpare = 172,  // cleared with the calendar
  kVarClockShown = 174,     // number of the clock picture now shown
  kVarClockSpare = 175,     // cleared with the clock
};

// CalendarShow and ClockShow arguments with a meaning of their own.
constexpr uint8_t kCalendarCurrent = 0;
constexpr uint8_t kTimeReset = 240;
constexpr uint8_t kTimeNext = 241;

// A calendar page is 242 x 306 pixels; page slot s of the back frame starts at x = 242 s.
constexpr int kCalendarPageWidth = 242;
constexpr int kCalendarPageHeight = 306;
// Colours of a page: 0..25 on weekdays, shifted by 26 on Sundays and holidays, 52 on Saturdays.
constexpr uint8_t kCalendarInkColours = 26;
// Key colours of the tear-off frames: the top page, and the page under it.
constexpr uint8_t kCalendarKeyTop = 209;
constexpr uint8_t kCalendarKeyUnder = 211;

// Month (3..5) and day of the month of day number d.
void CalendarDate(int d, int& month, int& dayOfMonth);
// Weekday of day number d, 0 = Sunday (day 1 is a Saturday).
int CalendarWeekday(int d);
// The colour shift of day d's page: 26 on Sundays and holidays, 52 on Saturdays, else 0.
int CalendarShift(int d);

// Shows the calendar: 240 resets, 0 the current page, 241 the next day, else day n.
void CalendarShow(uint8_t n);
// Shows the clock: 240 resets, 241 the current clock again, else clock value n.
void ClockShow(uint8_t n);
// Builds the page of day d in slot s (0 the top page, 1 the page under it) of the back frame.
void CalendarPageDraw(int d, int s);
// Draws tear-off frame k onto the screen frame and fills its key colours from the two pages.
void CalendarTearFrame(MemHandle picture, int k);
