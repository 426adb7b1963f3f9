// The program's frame: start-up, the window procedure, the one quit path and the final
// release of resources.
#pragma once

#include <cstdint>
#include <string>

#include "resources/memory.h"

// [SECTION] Frame globals
// Set at start-up and on display changes; live for the whole run.
extern uint16_t FixedFrameX, FixedFrameY;  // border of the fixed window frame
extern uint16_t MenuBarHeight;             // one line of the menu bar
extern uint16_t CaptionHeight;
extern uint16_t ScreenWidth, ScreenHeight;    // current display size
extern uint32_t DesktopWidth, DesktopHeight;  // display size found at start; restored at the end
extern uint32_t DisplayChangeSeen;            // set after each handled display change
extern uint32_t ModalBoxOpen;                 // 1 while the version box or quit question is open
constexpr uint32_t WindowStyle = 0x90CA0000;  // popup, visible, caption, system menu, minimise

// The directory every data file is looked up in.
extern std::string DataDir;

// Blocks kept for the whole run from InitGame to Shutdown.
extern MemHandle CharPalettes;     // "CHR_PAL.DAT", the characters' colours
extern MemHandle WeatherBuffer;    // "WEATHER BUF"
extern uint32_t WeatherSemaphore;  // "sWtr": 1 while free

// Fixed texts (UTF-8 here; converted to Shift-JIS where used).
inline constexpr const char* kWindowClassName = "TAZU_VEX3";
inline constexpr const char* kWindowTitle = "Lanternia Vol.3 「Ｍｉｒａｂｅｌ」";
inline constexpr const char* kBoxTitle = "Lanternia Vol.3";
inline constexpr const char* kFatalTitle = "終了します";

// [SECTION] Start-up and shutdown

// Command-line choices that start-up honours.
struct AppOptions {
  std::string dataDir;          // overrides the "DataDir" setting when not empty
  std::string fallbackDataDir;  // used instead of the current directory when not empty
  std::string viewPicture;      // show this picture instead of running the game
  std::string saveDir;          // where the slot files go, when not empty
  bool userSaveFolder = true;   // saves may go to the user's data folder (not when headless)
};
extern AppOptions AppConfig;

// The entry point's start-up, after the platform is up. Answers the process exit code when
// start-up stops early (a running copy was found, no window); does not return otherwise.
int AppRun();
// The colour-depth check of start-up.
void CheckColourDepth();
// Every global of the game to its start value, then the settings.
void SetDefaults();
// The second start-up stage, run from the start message. False: start-up failed (the failing
// part has shown its message).
bool InitGame();
// The one way out. `message` (Shift-JIS) is shown first when not null. Never returns.
// A quit without message ends with status 0, a fatal message with status 1.
[[noreturn]] void ExitGame(const char* message);
// ExitGame(nullptr) for a start that failed after its message was shown: status 1.
[[noreturn]] void ExitGameFailed();
// Releases what InitGame acquired; called only by ExitGame.
void Shutdown();
// Starts the window's 80 ms timer (music poll delay, weather steps).
void StartWindowTimer();
// The window procedure.
int64_t WndProc(uint32_t message, uint64_t wParam, int64_t lParam);
// An information box (Shift-JIS texts) with the pointer shown; the weather holds still while
// it is open.
void ShowNotice(const char* sjisText, const char* sjisCaption);
// Asks "終了します。よろしいですか？" and ends the game on OK.
void AskQuit();
