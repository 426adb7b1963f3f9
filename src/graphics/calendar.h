// The calendar and clock display: the page of the day and the clock face drawn over the
// scene when the story moves on in time.
#pragma once

#include <cstdint>

// Shows the calendar: 240 resets, 0 the current page, 241 the next day, else day n.
void CalendarShow(uint8_t n);
// Shows the clock: 240 resets, 241 the current clock again, else clock value n.
void ClockShow(uint8_t n);
