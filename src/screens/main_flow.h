// The main game flow: logo, opening, title and its menu, starting or continuing a game, the
// reset of the saved data and the music room.
#pragma once

#include <cstdint>
#include <string>

// What the flow is doing.
enum : uint16_t {
  PlayModeTitle = 0,
  PlayModeStarting = 1,
  PlayModeOpening = 3,
  PlayModeEventScript = 4,
  PlayModeEnding = 6,
  PlayModeExtras = 9,
};
extern uint16_t PlayMode;

// The low byte of the stored "Rekka" value, read after each title-menu choice: set once the
// story has been seen through (the game menu then offers its last two items).
extern uint8_t FirstRunFlag;

// Runs the game; never returns (the program ends through ExitGame).
[[noreturn]] void MainFlow();

// [SECTION] The title

// The title's six items, in menu order.
enum : int16_t {
  kTitleStart = 0,
  kTitleReset = 1,
  kTitleExtras = 2,
  kTitleNextFont = 3,
  kTitleQuit = 4,
  kTitleMusic = 5,
  kTitleItems = 6,
};

// Draws "TITLE.TZ2" over the whole back frame; its colours become the scene's background.
void LoadTitlePicture();
// The title picture fading in under falling petals; waits for any input, then dims it.
void ShowTitleScreen();
// The six-item menu over the dimmed title, `previous` highlighted; the item or -1 (cancelled).
int16_t TitleMenu(int16_t previous);
// The slot choice, then a new, continued or after-story game played to its end. 1 when the
// player backed out of the slot choice, 0 when a game was played.
int16_t StartGame();
// Asks, then empties every slot and the progress file.
void ResetAllData();

// [SECTION] The music room

constexpr int kMusicEntries = 34;
// The music index entry n plays: 0..26 the same, 27 and 28 the last two, 29..33 27..31.
uint8_t MusicIndexOfEntry(int entry);
// Browses and plays the game's music until cancelled; answers 1.
int16_t MusicMode();
// Entry n's number, title and line about it at line y of the screen, over the back frame.
void ShowMusicEntry(int n, uint16_t y);

// [SECTION] Starting at a scenario
// Set from the command line before start-up; live for the whole run.

extern int StartScenario;          // --scenario N: the scenario to play, -1 = the normal flow
extern bool SkipOpening;           // --no-opening: straight to the title, never the opening
extern std::string StateDumpPath;  // --dump-state FILE: where the state record goes at a quit

// Plays a new game from entry 0 of scenario `number`, without logo, opening or title, until
// the script ends it; then quits.
[[noreturn]] void PlayScenario(uint16_t number);
