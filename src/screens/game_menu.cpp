// The game menu over the dimmed scene: the in-game date, then the list of actions, shown again
// after each action that does not leave it.
#include "screens/game_menu.h"

#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "resources/text_format.h"
#include "scenario/choice.h"
#include "scenario/event_script.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/history.h"
#include "scenario/message.h"
#include "scenario/message_code.h"
#include "scenario/scenario.h"
#include "screens/album.h"
#include "screens/main_flow.h"
#include "screens/name_entry.h"
#include "screens/save_data.h"
#include "screens/save_screen.h"
#include "screens/screen_texts.h"

int16_t LastMenuItem;

namespace {

constexpr uint16_t kDateX = 208, kWeekdayX = 336;
constexpr uint16_t kListX = 240;
constexpr uint16_t kStatusTitleX = 232, kStatusTitleY = 60;
constexpr uint16_t kStatusLabelX = 208, kStatusValueX = 352, kStatusTop = 110, kStatusPitch = 36;
constexpr uint8_t kVarStatusFirst = 20;
constexpr int kStatusCount = 8;

// What an item did to the menu.
enum class After { Stay, Leave };

// Shows the date line of the calendar day, if it has one, and the weekday after it.
bool ShowDate(int16_t count) {
  int month, day;
  if (!MenuDate(ScriptVar(kVarCalendarDay), month, day)) return false;
  const uint16_t y = count == kMenuItemsAll ? 48 : 80;
  const std::string date = FormatText(
      "%c%c%!1d%c%c%!2d%c%c%c",
      {uint8_t{kMsgClickCompletes}, 0, month, 0x02, 0xE6, day, 0x06, 0xCD, uint8_t{kMsgEnd}});
  DirtyRect = kEmptyRect;
  RunMessage(kDateX, y, reinterpret_cast<const uint8_t*>(date.data()), kTextWhite, kTextBlack,
             false, false);
  RunMessage(kWeekdayX, y, kTextWeekday[ScriptVar(kVarWeekday) % 7], kTextWhite, kTextBlack, false,
             false);
  ScreenUpdate(DirtyRect);
  return true;
}

// A three-digit full-width number at (x, y).
void ShowNumber(uint16_t x, uint16_t y, int value) {
  const std::string text =
      FormatText("%c%c%!3d%c", {uint8_t{kMsgClickCompletes}, 0, value, uint8_t{kMsgEnd}});
  RunMessage(x, y, reinterpret_cast<const uint8_t*>(text.data()), kTextWhite, kTextBlack, false,
             false);
}

// Keeps the scene in the album when the player says so, and tells how it went.
void KeepScene() {
  constexpr uint16_t kNoticeX = 192, kNoticeY = 160, kCountY = 192;
  if (AlbumData.count >= kAlbumScenes) {
    ShowBackFrame();
    RunMessage(kNoticeX, kNoticeY, kTextKeepFull, kTextWhite, kTextBlack, false, false);
  } else {
    if (!AskYesNo(kTextKeepQuestion)) return;
    DirtyRect = kEmptyRect;
    if (AlbumAdd(true)) {
      AlbumSave();
      ShowBackFrame();
      RunMessage(kNoticeX, kNoticeY, kTextKeepAdded, kTextWhite, kTextBlack, false, false);
      RunMessage(kNoticeX, kCountY, kTextKeepCount[0], kTextWhite, kTextBlack, false, false);
      ShowNumber(TextX, TextY, static_cast<int>(AlbumData.count));
      RunMessage(TextX, TextY, kTextKeepCount[1], kTextWhite, kTextBlack, false, false);
    } else {
      RunMessage(kNoticeX, kNoticeY, kTextKeepAlready, kTextWhite, kTextBlack, false, false);
    }
  }
  if (WeatherMode == 0 || WeatherOn != 1) ScreenUpdate(DirtyRect);
  WaitClick();
  ShowBackFrame();
}

// The eight status values with their labels, until any input.
void ShowStatus() {
  ShowBackFrame();
  DirtyRect = kEmptyRect;
  RunMessage(kStatusTitleX, kStatusTitleY, kTextStatusTitle, kTextWhite, kTextBlack, false, false);
  for (int i = 0; i < kStatusCount; i++) {
    const uint16_t y = static_cast<uint16_t>(kStatusTop + kStatusPitch * i);
    RunMessage(kStatusLabelX, y, kTextStatusLabel[i], kTextWhite, kTextBlack, false, false);
    ShowNumber(kStatusValueX, y, ScriptVar(static_cast<uint8_t>(kVarStatusFirst + i)));
  }
  ScreenUpdate(DirtyRect);
  WaitAnyInput();
  ShowBackFrame();
}

After Perform(int16_t item) {
  switch (item) {
    case kMenuLook:
      ShowBackFrame();
      PalUndim();
      WaitClick();
      PalDim();
      return After::Leave;
    case kMenuLoad:
      return LoadFromMenu() ? After::Leave : After::Stay;
    case kMenuSave:
      SaveFromMenu();
      return After::Stay;
    case kMenuLog:
      ShowMessageLog();
      return After::Stay;
    case kMenuNames:
      NameEntry();
      return After::Stay;
    case kMenuFont:
      NextFont();
      ShowBackFrame();
      return After::Stay;
    case kMenuKeepScene:
      KeepScene();
      return After::Stay;
    case kMenuTitle:
      if (!AskYesNo(kTextTitleQuestion)) return After::Stay;
      SkipToChoice = 0;
      SkipAllowed = 0;
      ScreenHide(6);
      ScriptExit = kScriptEnded;
      return After::Leave;
    case kMenuBack:
      if (!AskYesNo(kTextBackQuestion)) return After::Stay;
      CdStop();
      PcmStop();
      PcmUnload();
      ProgressLoad();
      RestoreCheckpoint(true);
      ScriptExit = kScriptLoaded;
      return After::Leave;
    case kMenuStatus:
      ShowStatus();
      return After::Stay;
  }
  return After::Stay;
}

}  // namespace

bool MenuDate(uint8_t day, int& month, int& dayOfMonth) {
  // Day 0 reads as March 0, as the calendar counts from day 1.
  const int d = day - 1;
  if (d <= 30) {
    month = 3;
    dayOfMonth = d + 1;
  } else if (d <= 60) {
    month = 4;
    dayOfMonth = d - 30;
  } else if (d <= 91) {
    month = 5;
    dayOfMonth = d - 60;
  } else {
    return false;
  }
  return true;
}

void GameMenu() {
  SkipToChoice = 0;
  uint8_t enabled[kMenuItemsAll] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  enabled[kMenuBack] = CheckpointValid;
  ShowBackFrame();
  const int16_t count = FirstRunFlag ? kMenuItemsAll : kMenuItemsFirstRun;
  if (LastMenuItem >= count || LastMenuItem < 0) LastMenuItem = 0;

  for (;;) {
    const bool dated = ShowDate(count);
    TextX = kListX;
    TextY = static_cast<uint16_t>((dated ? 140 : 100) - (count == kMenuItemsAll ? 32 : 0));
    const int16_t item = SelectItem(kTextMenuItem, count, enabled, LastMenuItem, true, false, true);
    if (item < 0) {
      ShowBackFrame();
      break;
    }
    LastMenuItem = item;
    if (Perform(item) == After::Leave) break;
    ShowBackFrame();
  }
  TextX = kStoryX;
  TextY = kStoryY;
}
