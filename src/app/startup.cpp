// Start-up, the colour-depth check, the quit question, and the one way out of the program.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/platform.h"
#include "resources/memory.h"
#include "resources/pack.h"
#include "resources/sjis.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/album.h"
#include "screens/main_flow.h"
#include "screens/save_data.h"

uint16_t FixedFrameX, FixedFrameY;
uint16_t MenuBarHeight;
uint16_t CaptionHeight;
uint16_t ScreenWidth, ScreenHeight;
uint32_t DesktopWidth, DesktopHeight;
uint32_t DisplayChangeSeen;
uint32_t ModalBoxOpen;
std::string DataDir;
AppOptions AppConfig;

MemHandle CharPalettes;
MemHandle WeatherBuffer;
uint32_t WeatherSemaphore;

namespace {

// Status of the process when ExitGame ends it; a fatal path raises it to 1.
int ExitStatus = 0;
bool Exiting = false;

// How long ExitGame waits for the display to report its restored mode.
constexpr uint32_t kDisplayRestoreWaitMs = 2000;

int AskBox(const char* text, uint32_t flags) {
  PlatShowCursor(true);
  const int answer = PlatMessageBox(Sjis(text), Sjis(kBoxTitle), flags);
  PlatShowCursor(false);
  return answer;
}

// The restart question where needed, then the switch to 8 bits per pixel.
void SwitchTo8Bit(int testResult) {
  if (testResult == DISP_CHANGE_RESTART &&
      AskBox("設定を有効にするにはシステムを再起動する必要があります。\n再起動しますか？",
             MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
    return;
  }
  PlatDisplayMode mode;
  mode.bitsPerPixel = 8;
  if (PlatChangeDisplayMode(mode, CDS_UPDATEREGISTRY) == DISP_CHANGE_RESTART) PlatRestartSystem();
}

// The data directory: the command line, else the stored "DataDir", else the fallback the
// launcher gave (the demo game), else the current directory.
std::string FindDataDir() {
  if (!AppConfig.dataDir.empty()) return AppConfig.dataDir;
  if (auto stored = PlatSettingsGetString("DataDir")) return stored->substr(0, 256);
  if (!AppConfig.fallbackDataDir.empty()) return AppConfig.fallbackDataDir;
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  return error ? std::string(".") : current.string();
}

}  // namespace

// [SECTION] Start-up

int AppRun() {
  if (PlatActivateRunningCopy(Sjis(kWindowTitle))) return 0;
  MemReset();
  SetDefaults();

  PresentReadMetrics();
  DesktopWidth = ScreenWidth;
  DesktopHeight = ScreenHeight;

  PlatWindowDesc desc;
  desc.sjisTitle = Sjis(kWindowTitle);
  int windowWidth, windowHeight;
  PlatAdjustWindowRect(640, 480, windowWidth, windowHeight);
  desc.x = (ScreenWidth - windowWidth) / 2;
  desc.y = (ScreenHeight - windowHeight) / 2;
  desc.wndProc = WndProc;
  desc.menu = SettingsMenu();
  if (!PlatCreateWindow(desc)) return 1;

  CheckColourDepth();
  PlatShowWindow();
  PlatUpdateWindow();
  PlatSendMessage(WM_USER);

  // Only reached should the game flow ever come back: an ordinary message loop.
  for (;;) {
    PlatMsg msg;
    if (!PlatPeekMessage(msg, true)) {
      PlatIdle();
      continue;
    }
    if (msg.message == WM_QUIT) break;
    WndProc(msg.message, msg.wParam, msg.lParam);
    PollKeys();
  }
  MemFreeAll();
  return 0;
}

void SetDefaults() {
  // Not on the way out (a harness may start the engine again after an end it caught).
  Exiting = false;
  ExitStatus = 0;
  MusicOn = PcmOn = WeatherOn = MouseMove = CalendarFast = 1;
  ReadTextFast = 0;
  FontNo = 0;
  SpecLow = 0;
  LogicalWidth = 640;
  LogicalHeight = 480;
  ClientWidth = 640;
  ClientHeight = 480;
  InputReset();
  PlayMode = PlayModeTitle;
  GameStateReset();
  AudioReset();
  PalSetInitial();
  PalResetTables();
  SettingsLoad();
}

void CheckColourDepth() {
  const int depth = PlatDisplayBpp();
  if (depth == 8) return;
  PlatDisplayMode mode;
  mode.bitsPerPixel = 8;
  const int test = PlatChangeDisplayMode(mode, CDS_TEST);
  const bool usable = test == DISP_CHANGE_SUCCESSFUL || test == DISP_CHANGE_RESTART;
  if (depth > 8) {
    if (usable &&
        AskBox("当ソフトは２５６色モードでの起動を推奨します。\n２５６色モードに変更しますか？",
               MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
      SwitchTo8Bit(test);
    }
    return;
  }
  if (!usable) {
    AskBox("当ソフトは２５６色以下のモードでは起動できません。\n終了します。",
           MB_OK | MB_ICONINFORMATION);
    ExitStatus = 1;
    ExitGame(nullptr);
  }
  if (AskBox("当ソフトは２５６色以下のモードでは起動できません。\n２５６色モードに変更しますか？",
             MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
    AskBox("終了します。", MB_OK | MB_ICONINFORMATION);
    ExitStatus = 1;
    ExitGame(nullptr);
  }
  SwitchTo8Bit(test);
}

bool InitGame() {
  DataDir = FindDataDir();
  SaveDirInit(DataDir, AppConfig.saveDir, AppConfig.userSaveFolder);
  AlbumLoad();
  // Without a CD device music only stays silent; start-up goes on.
  CdOpen(false);
  if (!PackOpen()) return false;
  uint32_t size;
  FontBlock = PackLoad("KNJ_ALL.KNJ", &size, kPackData);
  if (!FontBlock) return false;
  CharPalettes = PackLoad("CHR_PAL.DAT", &size, kPackData);
  if (!CharPalettes) return false;
  StartWindowTimer();
  SettingsCheckMenu();
  SelectFont();
  WeatherBuffer = MemAlloc(15360, "WEATHER BUF");
  WeatherSemaphore = 1;  // "sWtr": free

  const uint32_t stored = PlatSettingsGetNumber("ScreenSize").value_or(3);
  const uint32_t command = kModeFullScreen + stored;
  if (stored <= 8 && command != kModeStartSize) {
    PlatSendMessage(WM_COMMAND, command);
    Wait(100);
  }
  return true;
}

void ShowNotice(const char* sjisText, const char* sjisCaption) {
  const uint32_t wasOpen = ModalBoxOpen;
  ModalBoxOpen = 1;
  PlatShowCursor(true);
  PlatMessageBox(sjisText, sjisCaption, MB_OK | MB_ICONINFORMATION);
  PlatShowCursor(false);
  ModalBoxOpen = wasOpen;
}

void AskQuit() {
  ModalBoxOpen = 1;
  const int answer = AskBox("終了します。\nよろしいですか？", MB_OKCANCEL | MB_ICONQUESTION);
  ModalBoxOpen = 0;
  if (answer == IDOK) ExitGame(nullptr);
}

// [SECTION] The way out

// Writes the live state record to StateDumpPath; a path that cannot be written is reported.
static void DumpState() {
  FILE* file = std::fopen(StateDumpPath.c_str(), "wb");
  const bool written =
      file && std::fwrite(&LiveState, sizeof(GameState), 1, file) == 1 && std::fclose(file) == 0;
  if (!written) std::fprintf(stderr, "lanternia3: cannot write %s\n", StateDumpPath.c_str());
}

void ExitGame(const char* message) {
  if (message) ExitStatus = 1;
  // A failure met while already on the way out ends the process at once.
  if (Exiting) PlatExit(ExitStatus);
  Exiting = true;

  if (message) {
    PlatShowCursor(true);
    PlatMessageBox(message, Sjis(kFatalTitle), MB_OK | MB_ICONSTOP);
    PlatShowCursor(false);
  }
  if (ScreenFrame) FrameClearAndShow(ScreenFrame);
  if (ExitStatus == 0 && !StateDumpPath.empty()) DumpState();

  if (ScreenMode == kModeFullScreen && !(DesktopWidth == 640 && DesktopHeight == 480) &&
      !(ScreenWidth == DesktopWidth && ScreenHeight == DesktopHeight)) {
    DisplayChangeSeen = 0;
    PlatDisplayMode mode;
    mode.width = static_cast<int>(DesktopWidth);
    mode.height = static_cast<int>(DesktopHeight);
    const int result = PlatChangeDisplayMode(mode, 0);
    if (result == DISP_CHANGE_SUCCESSFUL || result == DISP_CHANGE_RESTART) {
      // The notice normally comes during the switch; never wait for it for long.
      const uint32_t start = PlatTicks();
      while (DisplayChangeSeen == 0 && ElapsedSince(start) < kDisplayRestoreWaitMs) PumpMessages();
    }
  }

  MemRelease(&BackFrame);
  MemRelease(&ScreenFrame);
  PlatPostQuitMessage(0);
  Shutdown();
  PlatExit(ExitStatus);
}

void ExitGameFailed() {
  ExitStatus = 1;
  ExitGame(nullptr);
}

void Shutdown() {
  PlatKillTimer(1);
  MemRelease(&FontBlock);
  // The wave device lets go of the sound before its block goes.
  PcmClose();
  MemRelease(&PcmBlock);
  WeatherSemaphore = 0;
  MemRelease(&WeatherBuffer);
  MemRelease(&CharPalettes);
  UnloadScenario(kNoScenario);
  PackClose();
  CdClose();
  MemFreeAll();
}
