// The calendar and clock. Only the names exist so far.
// Each operation says once that it is not there yet and does nothing else.
#include "graphics/calendar.h"

#include "app/pending.h"

// Shows the calendar: 240 resets, 0 the current page, 241 the next day, else day n.
void CalendarShow(uint8_t /*n*/) {
  ReportNotAvailable("CalendarShow");
}

// Shows the clock: 240 resets, 241 the current clock again, else clock value n.
void ClockShow(uint8_t /*n*/) {
  ReportNotAvailable("ClockShow");
}
