// The one window: creation with its title and menu, showing, moving and sizing (the menu bar
// sits inside the window's top strip), full screen as a borderless desktop-sized window.
#include <algorithm>
#include <cstdio>

#include "platform/sdl/sdl_local.h"

// The hidden window with its renderer, sized for the client plus the bar.
bool SdlCreateWindow(const PlatWindowDesc& desc) {
  if (gSdl.window) return true;
  const std::string title = PlatSjisToUtf8(desc.sjisTitle);
  SdlMenuPrepare();
  const int width = std::max(1, desc.clientWidth);
  const int height = std::max(1, desc.clientHeight + SdlMenuBarLines(width) * kSdlBarLineHeight);
  const SdlWindowShape shape{title, desc.x, desc.y, width, height};
  gSdl.window = SDL_CreateWindow(title.c_str(), desc.x, desc.y, width, height, SDL_WINDOW_HIDDEN);
  if (!gSdl.window) {
    std::fprintf(stderr, "lanternia3: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  if (!SdlCreateRenderer(shape) || !SdlPresentInit()) {
    std::fprintf(stderr, "lanternia3: cannot draw in the window: %s\n", SDL_GetError());
    SdlDestroyWindow();
    return false;
  }
  SDL_SetRenderDrawBlendMode(gSdl.renderer, SDL_BLENDMODE_NONE);
  // Keys are polled; text input would only bring an input method up.
  SDL_StopTextInput();
  SDL_ShowCursor(gSdl.cursorVisible ? SDL_ENABLE : SDL_DISABLE);
  return true;
}

// Frees renderer and window.
void SdlDestroyWindow() {
  SdlMenuDropBar();
  SdlPresentShutdown();
  if (gSdl.renderer) SDL_DestroyRenderer(gSdl.renderer);
  gSdl.renderer = nullptr;
  if (gSdl.window) SDL_DestroyWindow(gSdl.window);
  gSdl.window = nullptr;
  gSdl.fullScreen = false;
}

// Shows and raises the window and draws what it has.
void SdlShowWindow() {
  if (!gSdl.window) return;
  SDL_ShowWindow(gSdl.window);
  SDL_RaiseWindow(gSdl.window);
  SdlPresentFrame();
}

// Only the bar takes room inside the window; the screen is the desktop.
PlatMetrics SdlMetrics() {
  PlatMetrics m{};
  // The host draws its own frame and caption outside the window; only the bar is ours.
  m.menuBarHeight = kSdlBarLineHeight;
  SDL_DisplayMode mode{};
  const int display = gSdl.window ? std::max(0, SDL_GetWindowDisplayIndex(gSdl.window)) : 0;
  if (gSdl.videoUp && SDL_GetDesktopDisplayMode(display, &mode) == 0) {
    m.screenWidth = mode.w;
    m.screenHeight = mode.h;
  } else {
    m.screenWidth = 640;
    m.screenHeight = 480;
  }
  return m;
}

// Moves and sizes the window; the client is what the bar leaves.
void SdlMoveWindow(int x, int y, int windowWidth, int windowHeight) {
  const int width = std::max(1, windowWidth);
  if (gSdl.fullScreen) {
    // The window covers the display whatever is asked; the engine's client stays 640 x 480
    // below the one-line bar, as its full-screen placement computes it.
    PlatNotifyWindowMoved(width, std::max(0, windowHeight - kSdlBarLineHeight));
    return;
  }
  const int bar = SdlMenuBarLines(width) * kSdlBarLineHeight;
  const int height = std::max(bar + 1, windowHeight);
  if (gSdl.window) {
    SDL_SetWindowSize(gSdl.window, width, height);
    SDL_SetWindowPosition(gSdl.window, x, y);
  }
  PlatNotifyWindowMoved(width, height - bar);
}

// Whether the window is minimised.
bool SdlIsMinimised() {
  return gSdl.window && (SDL_GetWindowFlags(gSdl.window) & SDL_WINDOW_MINIMIZED);
}

// Whether the window is maximised.
bool SdlIsZoomed() {
  return gSdl.window && (SDL_GetWindowFlags(gSdl.window) & SDL_WINDOW_MAXIMIZED);
}

// Back from minimised or maximised.
void SdlRestoreWindow() {
  if (gSdl.window) SDL_RestoreWindow(gSdl.window);
}

// Keeps the window above others (full screen).
void SdlSetTopmost(bool topmost) {
  if (gSdl.window) SDL_SetWindowAlwaysOnTop(gSdl.window, topmost ? SDL_TRUE : SDL_FALSE);
}

// Full screen on or off.
void SdlSetFullScreen(bool on) {
  if (!gSdl.window || gSdl.fullScreen == on) return;
  // Full screen is the window manager's to grant. Without one the request changes nothing, and
  // SDL waits a tenth of a second for a change that never comes: the window covers the display
  // by our own move instead. Leaving is always followed by the engine's own move.
  if (!on || SdlXWindowManager(gSdl.window) != 0) {
    if (SDL_SetWindowFullscreen(gSdl.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
      std::fprintf(stderr, "lanternia3: full screen refused: %s\n", SDL_GetError());
    }
  }
  SDL_Rect bounds{};
  if (on &&
      SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(gSdl.window)), &bounds) == 0) {
    int x, y, width, height;
    SDL_GetWindowPosition(gSdl.window, &x, &y);
    SDL_GetWindowSize(gSdl.window, &width, &height);
    if (x != bounds.x || y != bounds.y) SDL_SetWindowPosition(gSdl.window, bounds.x, bounds.y);
    if (width != bounds.w || height != bounds.h) SDL_SetWindowSize(gSdl.window, bounds.w, bounds.h);
  }
  gSdl.fullScreen = on;
  // In full screen the renderer draws a 640 x 480 screen at the largest whole scale that fits,
  // centred on black, and hands mouse positions back in that screen's pixels.
  SDL_RenderSetLogicalSize(gSdl.renderer, on ? kSdlPictureWidth : 0, on ? kSdlPictureHeight : 0);
  SDL_RenderSetIntegerScale(gSdl.renderer, on ? SDL_TRUE : SDL_FALSE);
  SdlPresentModeChanged();
  SdlPresentFrame();
}

// Warps the pointer to a client point.
void SdlSetCursorPos(int clientX, int clientY) {
  if (!gSdl.window) return;
  const int canvasX = clientX;
  const int canvasY = clientY + SdlClientTop();
  if (!gSdl.fullScreen) {
    SDL_WarpMouseInWindow(gSdl.window, canvasX, canvasY);
    return;
  }
  int windowX = 0, windowY = 0;
  SDL_RenderLogicalToWindow(gSdl.renderer, static_cast<float>(canvasX), static_cast<float>(canvasY),
                            &windowX, &windowY);
  SDL_WarpMouseInWindow(gSdl.window, windowX, windowY);
}

// Shows or hides the pointer as the engine asks.
void SdlSetCursorVisible(bool visible) {
  gSdl.cursorVisible = visible;
  // A menu or box shows the pointer while open; the wish takes effect when it closes.
  if (!gSdl.inModal) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}
