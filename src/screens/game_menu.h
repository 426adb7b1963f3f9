// The game menu: opened with cancel from a wait of the story text or a choice; saving, loading,
// the message log, going back to the last choice and leaving the game.
#pragma once

#include <cstdint>

// The menu's items, in their order; the last two are listed only once the story has been seen
// through (FirstRunFlag).
enum : int16_t {
  kMenuLook = 0,
  kMenuLoad = 1,
  kMenuSave = 2,
  kMenuLog = 3,
  kMenuNames = 4,
  kMenuFont = 5,
  kMenuKeepScene = 6,
  kMenuTitle = 7,
  kMenuBack = 8,
  kMenuStatus = 9,
  kMenuItemsFirstRun = 8,
  kMenuItemsAll = 10,
};

// The item chosen last; the menu starts on it.
extern int16_t LastMenuItem;

// The in-game date of calendar day `day` (variable 171): March 1 is day 1, through May 31;
// false for a day outside the calendar.
bool MenuDate(uint8_t day, int& month, int& dayOfMonth);

// Runs the menu until an item leaves it or the player cancels. Callers test ScriptExit
// afterwards: a game loaded or ended from the menu stops the script.
void GameMenu();
