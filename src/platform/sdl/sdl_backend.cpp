// The SDL backend's hook table and its small answers: start and end, the clock, polled keys,
// focus, the emulated 8-bit display. The larger pieces live in the other files of this folder.
#include <time.h>

#include <cstdio>
#include <cstring>

#include "platform/sdl/sdl_ini.h"
#include "platform/sdl/sdl_local.h"

SdlCore gSdl;

namespace {

// Brings SDL video and the UI font up; refuses drivers that show nothing.
bool SdlInit(const PlatOptions&) {
  gSdl = SdlCore{};
  // Ctrl+C and kill end the process as usual instead of turning into a close request.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The close box is a request the game answers (its quit question), not the end.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // Losing the focus in full screen returns the game to a window; the host must not minimise.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr,
                 "lanternia3: no display to open the window on (%s); --headless runs without one\n",
                 SDL_GetError());
    return false;
  }
  gSdl.videoUp = true;
  // Without a display SDL may settle on a driver that shows nothing; a game nobody can see
  // waiting for input is worse than a clear refusal (unless that driver was asked for).
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = SDL_getenv("SDL_VIDEODRIVER");
  if (driver && (!std::strcmp(driver, "offscreen") || !std::strcmp(driver, "dummy")) &&
      !(asked && !SDL_strcasecmp(asked, driver))) {
    std::fprintf(stderr,
                 "lanternia3: no display to open the window on (only SDL's '%s' driver works); "
                 "--headless runs without one\n",
                 driver);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    gSdl.videoUp = false;
    return false;
  }
  if (!SdlDrawInit()) {
    SdlDrawShutdown();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    gSdl.videoUp = false;
    return false;
  }
  return true;
}

// Releases everything in reverse order; safe to call again.
void SdlShutdown() {
  SdlInstanceClose();
  SdlDrawShutdown();  // its cached texts belong to the renderer, so they go first
  SdlDestroyWindow();
  if (gSdl.videoUp) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  gSdl.videoUp = false;
  if (SDL_WasInit(0) == 0) SDL_Quit();
}

// Nothing pending: give the processor away until something happens or the time is up.
void SdlIdle(uint32_t maxWaitMs) {
  SdlWaitEvents(maxWaitMs);
}

// Milliseconds since SDL started; wraps at 2^32 like the original counter.
uint32_t SdlTicks() {
  return SDL_GetTicks();
}

// The wall clock in local time, milliseconds included.
PlatLocalTime SdlLocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return PlatLocalTime{
      static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint16_t>(local.tm_mon + 1),
      static_cast<uint16_t>(local.tm_wday),        static_cast<uint16_t>(local.tm_mday),
      static_cast<uint16_t>(local.tm_hour),        static_cast<uint16_t>(local.tm_min),
      static_cast<uint16_t>(local.tm_sec),         static_cast<uint16_t>(now.tv_nsec / 1000000)};
}

// Down now, and not held over from a menu or message box.
bool ScancodeDown(const Uint8* state, SDL_Scancode code) {
  if (!state[code]) {
    gSdl.keySuppressed[code] = false;
    return false;
  }
  return !gSdl.keySuppressed[code];
}

// One of the eight keys the game polls, as the keyboard state has it now.
bool SdlKeyDown(int virtualKey) {
  const Uint8* state = SDL_GetKeyboardState(nullptr);
  switch (virtualKey) {
    case VK_UP:
      return ScancodeDown(state, SDL_SCANCODE_UP);
    case VK_RIGHT:
      return ScancodeDown(state, SDL_SCANCODE_RIGHT);
    case VK_DOWN:
      return ScancodeDown(state, SDL_SCANCODE_DOWN);
    case VK_LEFT:
      return ScancodeDown(state, SDL_SCANCODE_LEFT);
    case VK_SPACE:
      return ScancodeDown(state, SDL_SCANCODE_SPACE);
    case VK_RETURN: {
      // Both Enter keys count; evaluate both so a released one drops its hold-over mark.
      const bool main = ScancodeDown(state, SDL_SCANCODE_RETURN);
      const bool keypad = ScancodeDown(state, SDL_SCANCODE_KP_ENTER);
      return main || keypad;
    }
    case VK_ESCAPE:
      return ScancodeDown(state, SDL_SCANCODE_ESCAPE);
    case VK_HOME:
      return ScancodeDown(state, SDL_SCANCODE_HOME);
    default:
      return false;
  }
}

// Whether keyboard input goes to the game window.
bool SdlHasFocus() {
  return gSdl.window && SDL_GetKeyboardFocus() == gSdl.window;
}

// The game was made for a 256-colour desktop; this backend shows it through an emulated one.
int SdlDisplayBpp() {
  return 8;
}

// Nothing real changes: full screen is a borderless window and the palette is emulated.
int SdlChangeDisplayMode(const PlatDisplayMode&, uint32_t) {
  return DISP_CHANGE_SUCCESSFUL;
}

// A size fits when the desktop is at least that large.
bool SdlHasDisplayMode(int width, int height) {
  const PlatMetrics m = SdlMetrics();
  return width <= m.screenWidth && height <= m.screenHeight;
}

// Restarting the machine is not ours to do.
bool SdlRestartSystem() {
  return false;
}

// The title plays no part: the socket name identifies the game.
bool SdlActivateRunningCopy(std::string_view) {
  return SdlInstanceActivate();
}

}  // namespace

const PlatBackend kSdlBackend = {
    .init = SdlInit,
    .shutdown = SdlShutdown,
    .pumpEvents = SdlPumpEvents,
    .idle = SdlIdle,
    .idleSleeps = true,
    .ticks = SdlTicks,
    .localTime = SdlLocalTime,
    .keyDown = SdlKeyDown,
    .hasFocus = SdlHasFocus,
    .setCursorVisible = SdlSetCursorVisible,
    .setCursorPos = SdlSetCursorPos,
    .createWindow = SdlCreateWindow,
    .showWindow = SdlShowWindow,
    .metrics = SdlMetrics,
    .moveWindow = SdlMoveWindow,
    .isMinimised = SdlIsMinimised,
    .isZoomed = SdlIsZoomed,
    .restoreWindow = SdlRestoreWindow,
    .setTopmost = SdlSetTopmost,
    .setFullScreen = SdlSetFullScreen,
    .displayBpp = SdlDisplayBpp,
    .changeDisplayMode = SdlChangeDisplayMode,
    .hasDisplayMode = SdlHasDisplayMode,
    .restartSystem = SdlRestartSystem,
    .menuChanged = SdlMenuChangedHook,
    .drawPicture = SdlDrawPicture,
    .drawPictureOverMenuBar = SdlDrawPictureOverMenuBar,
    .present = SdlPresentHook,
    .paletteChanged = SdlPaletteChanged,
    .messageBox = SdlBoxRun,
    .settingsLoad = SdlSettingsLoad,
    .settingsSave = SdlSettingsSave,
    .activateRunningCopy = SdlActivateRunningCopy,
};
