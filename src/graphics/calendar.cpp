// The calendar and the clock: pages built from small pictures in the back frame, torn off one
// by one over the screen frame with the page sound, and the clock faces shown in the middle
// strip with their chime. The menu's skip command hurries both; the fast setting leaves out
// the pages and hours in between.
#include "graphics/calendar.h"

#include <array>

#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "platform/platform.h"
#include "resources/pack.h"
#include "resources/text_format.h"
#include "resources/tz2.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/background.h"

namespace {

constexpr int kTearFrames = 8;
// Where each tear-off frame is drawn; frames 6 and 7 (the page flying off) carry no keys.
constexpr std::array<std::array<int16_t, 2>, kTearFrames> kTearAt = {
    {{192, 80}, {192, 80}, {192, 80}, {192, 56}, {192, 24}, {192, 24}, {440, 24}, {584, 24}}};
constexpr int kKeyedFrames = 6;
constexpr int kTearSoundFrame = 3;
constexpr int16_t kPageOnScreenX = 199, kPageOnScreenY = 88;
constexpr uint32_t kTearFrameMs = 10;  // in 10 ms units
constexpr uint32_t kLookWait = 120;
constexpr uint16_t kShowZoom = 30;
constexpr uint8_t kPageSound = 5;
constexpr uint8_t kClockSound = 23;
constexpr int16_t kClockX = 160;
constexpr uint32_t kClockColours = 124;  // character colour range A
constexpr uint16_t kClockStrip = 2;
constexpr uint8_t kMonthDays[] = {31, 30};  // March, April

// Clock values whose picture comes without the chime.
bool Silent(int h) {
  for (int quiet : {1, 4, 7, 10, 12, 14, 17})
    if (h == quiet) return true;
  return false;
}

bool Holiday(int month, int day) {
  return (month == 3 && day == 20) || (month == 4 && day == 29) ||
         (month == 5 && (day == 3 || day == 5));
}

MemHandle Picture(const char* pattern, int number) {
  uint32_t size = 0;
  return PackLoad(FormatText(pattern, {number}).c_str(), &size);
}

// Draws and releases one picture of a page.
void DrawPart(const char* pattern, int number, int16_t x, int16_t y, bool headerPosition) {
  MemHandle picture = Picture(pattern, number);
  if (headerPosition) {
    Tz2Draw(BackFrame, picture, x, y, 0);
  } else {
    Tz2DrawNoOffset(BackFrame, picture, x, y, 0);
  }
  MemRelease(&picture);
}

void DrawBackdrop() {
  MemHandle picture = Picture("cbak.tz2", 0);
  Tz2Draw(ScreenFrame, picture, 0, 0, 0);
  MemRelease(&picture);
}

// Around both displays: the skip command may hurry them even in a scenario not yet read.
struct DisplayFrame {
  uint16_t skipAllowed = SkipAllowed;
  DisplayFrame() {
    SkipAllowed = 1;
    PlatMenuEnable(kMenuSkipToChoice, true);
    PlatDrawMenuBar();
  }
  ~DisplayFrame() {
    SkipAllowed = skipAllowed;
    if (skipAllowed == 0) {
      SkipToChoice = 0;
      PlatMenuEnable(kMenuSkipToChoice, false);
      PlatDrawMenuBar();
    }
  }
  DisplayFrame(const DisplayFrame&) = delete;
  DisplayFrame& operator=(const DisplayFrame&) = delete;
};

void ClearBoth() {
  FrameClearAndShow(ScreenFrame);
  FrameClear(BackFrame);
}

// Backdrop and the page of day a, zoomed in from black.
void OpenCalendar(int a, MemHandle firstFrame) {
  CalendarPageDraw(a, 0);
  DrawBackdrop();
  CalendarTearFrame(firstFrame, 0);
  ScreenUpdate();
  FrameCopy(BackFrame, ScreenFrame);
  ScreenShow(kShowZoom);
}

// Tears the pages of days a .. n - 1 off, one frame every 100 ms, with the page sound.
void TearPages(int a, int n, const std::array<MemHandle, kTearFrames>& frames) {
  const uint8_t remembered = PcmPlaying == 0 ? PcmEntry : kNoPcm;
  if (PcmPlaying == 0) PcmLoad(kPageSound);
  for (int e = a; e < n; e++) {
    CalendarPageDraw(e, 0);
    CalendarPageDraw(e + 1, 1);
    for (int k = 0; k < kTearFrames; k++) {
      if (k == kTearSoundFrame) PcmPlay(1, 0);
      const uint32_t start = PlatTicks();
      if (k < kKeyedFrames) {
        CalendarTearFrame(frames[k], k);
      } else {
        Tz2Draw(ScreenFrame, frames[k], kTearAt[k][0], kTearAt[k][1], 0);
      }
      ScreenUpdate(DirtyRect);
      WaitSince(start, kTearFrameMs);
    }
  }
  if (PcmEntry != kNoPcm) {
    PcmFinish();
    PcmUnload();
  }
  if (remembered != kNoPcm) PcmLoad(remembered);
}

// Clock picture h into the back frame's middle.
void DrawClock(int h) {
  MemHandle picture = Picture("oc_%02d.tz2", h);
  Tz2Draw(BackFrame, picture, kClockX, 0, kClockColours);
  MemRelease(&picture);
}

// The chime (unless this hour has none), a look, and the scene back.
void ClockLook(int h) {
  const bool chime = !Silent(h);
  if (chime) {
    PcmLoad(kClockSound);
    PcmPlay(1, 0);
  }
  WaitClickOrTimeout(kLookWait);
  if (chime) {
    PcmFinish();
    PcmUnload();
  }
  BgRedraw(3);
  ShowDitherStripChars(kClockStrip, 4);
}

}  // namespace

void CalendarDate(int d, int& month, int& dayOfMonth) {
  if (d <= kMonthDays[0]) {
    month = 3;
    dayOfMonth = d;
  } else if (d <= kMonthDays[0] + kMonthDays[1]) {
    month = 4;
    dayOfMonth = d - kMonthDays[0];
  } else {
    month = 5;
    dayOfMonth = d - kMonthDays[0] - kMonthDays[1];
  }
}

int CalendarWeekday(int d) {
  return (d + 5) % 7;
}

int CalendarShift(int d) {
  int month, day;
  CalendarDate(d, month, day);
  const int w = CalendarWeekday(d);
  if (w == 0 || Holiday(month, day)) return kCalendarInkColours;
  if (w == 6) return 2 * kCalendarInkColours;
  return 0;
}

void CalendarPageDraw(int d, int s) {
  const auto x0 = static_cast<int16_t>(kCalendarPageWidth * s);
  int month, day;
  CalendarDate(d, month, day);
  const int tens = day / 10 > 3 ? 0 : day / 10, ones = day % 10;
  DrawPart("cmon_%02d.tz2", month, x0, 0, true);
  if (tens == 0) {
    DrawPart("clno_%02d.tz2", ones, static_cast<int16_t>(x0 + 65), 106, false);
  } else {
    DrawPart("csno_%02d.tz2", tens, static_cast<int16_t>(x0 + 36), 108, false);
    DrawPart("csno_%02d.tz2", ones, static_cast<int16_t>(x0 + 122), 108, false);
  }
  DrawPart("cweek_%02d.tz2", CalendarWeekday(d), static_cast<int16_t>(x0 + 82), 257, false);

  const int shift = CalendarShift(d);
  if (shift == 0) return;
  uint8_t* pixels = MemLock(BackFrame);
  for (int y = 0; y < kCalendarPageHeight; y++) {
    uint8_t* row = pixels + FramePixelOffset(x0, y);
    for (int x = 0; x < kCalendarPageWidth; x++) {
      if (row[x] < kCalendarInkColours) row[x] = static_cast<uint8_t>(row[x] + shift);
    }
  }
  MemUnlock(BackFrame);
}

void CalendarTearFrame(MemHandle picture, int k) {
  Tz2Draw(ScreenFrame, picture, kTearAt[k][0], kTearAt[k][1], 0);
  uint8_t* screen = MemLock(ScreenFrame);
  const uint8_t* back = MemLock(BackFrame);
  for (int y = 0; y < kCalendarPageHeight; y++) {
    uint8_t* row = screen + FramePixelOffset(kPageOnScreenX, kPageOnScreenY + y);
    const uint8_t* top = back + FramePixelOffset(0, y);
    const uint8_t* under = back + FramePixelOffset(kCalendarPageWidth, y);
    for (int x = 0; x < kCalendarPageWidth; x++) {
      if (row[x] == kCalendarKeyTop) {
        row[x] = top[x];
      } else if (row[x] == kCalendarKeyUnder) {
        row[x] = under[x];
      }
    }
  }
  MemUnlock(BackFrame);
  MemUnlock(ScreenFrame);
  RectExtend(DirtyRect, kPageOnScreenX, kPageOnScreenY, kPageOnScreenX + kCalendarPageWidth - 1,
             kPageOnScreenY + kCalendarPageHeight - 1);
}

void CalendarShow(uint8_t n) {
  if (n == kTimeReset) {
    ScriptVar(kVarCalendarDay) = 3;
    ScriptVar(kVarCalendarSpare) = 0;
    ScriptVar(kVarWeekday) = 1;
    return;
  }
  if (n == kCalendarCurrent) {
    DisplayFrame display;
    const int d = ScriptVar(kVarCalendarDay);
    PalBlack();
    ClearBoth();
    MemHandle first = Picture("cbak_%02d.tz2", 0);
    OpenCalendar(d, first);
    MemRelease(&first);
    WaitClickOrTimeout(kLookWait);
    ScreenHide(kShowZoom);
    ClearBoth();
    PalShow();
    return;
  }
  const int c = ScriptVar(kVarCalendarDay);
  const int target = n == kTimeNext ? (c + 1) & 0xFF : n;
  ScriptVar(kVarCalendarDay) = static_cast<uint8_t>(target);
  ScriptVar(kVarWeekday) = static_cast<uint8_t>(CalendarWeekday(target));
  if (c >= target) {
    ClearBoth();
    PalShow();
    return;
  }
  DisplayFrame display;
  PalBlack();
  ClearBoth();
  std::array<MemHandle, kTearFrames> frames{};
  for (int k = 0; k < kTearFrames; k++) frames[k] = Picture("cbak_%02d.tz2", k);
  const int a = CalendarFast == 1 ? target : c;
  OpenCalendar(a, frames[0]);
  FrameClear(BackFrame);
  if (CalendarFast != 1) TearPages(a, target, frames);
  WaitClickOrTimeout(kLookWait);
  FrameCopy(BackFrame, ScreenFrame);
  ScreenHide(kShowZoom);
  ClearBoth();
  for (MemHandle& frame : frames) MemRelease(&frame);
  PalShow();
}

void ClockShow(uint8_t n) {
  if (n == kTimeReset) {
    ScriptVar(kVarClockShown) = 0;
    ScriptVar(kVarClockSpare) = 0;
    return;
  }
  if (n == kTimeNext) {
    DisplayFrame display;
    const int h = ScriptVar(kVarClockShown);
    PalUndim();
    DrawClock(h);
    ShowDitherStripChars(kClockStrip, 4);
    ClockLook(h);
    return;
  }
  const int c = ScriptVar(kVarClockShown);
  ScriptVar(kVarClockShown) = n;
  if (c >= n) return;
  DisplayFrame display;
  PalUndim();
  const int a = CalendarFast == 1 ? n : c;
  for (int h = a; h <= n; h++) {
    DrawClock(h);
    if (h == a) {
      ShowDitherStripChars(kClockStrip, 4);
      WaitClickOrTimeout(30);
    } else if (CalendarFast == 1) {
      ShowBackStrip(kClockStrip);
    } else {
      ShowDitherStripChars(kClockStrip, 1);
    }
    if (SkipToChoice == 1) {
      PumpMessages();
      if (InputTriggers & (InputOk | InputCancel)) {
        SkipToChoice = 0;
        ClearInput();
      }
    }
  }
  ClockLook(n);
}
