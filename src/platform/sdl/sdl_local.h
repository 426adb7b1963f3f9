// The SDL backend's private interface: the window and renderer every piece draws with, and the
// functions the pieces (events, presentation, menu, message box, text, instance) give each other.
#pragma once

#include <SDL.h>

#include <string>
#include <string_view>

#include "platform/platform_local.h"

// [SECTION] Core
// Cleared by SdlInit; released by SdlShutdown.
struct SdlCore {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  bool videoUp = false;
  bool fullScreen = false;    // borderless window over the desktop, picture scaled by whole steps
  bool cursorVisible = true;  // what the engine's pointer counter asks for
  bool inModal = false;       // a menu or message box loop runs (the pointer is shown)
  bool keySuppressed[SDL_NUM_SCANCODES] = {};  // held across a modal loop; ignored until released
  // The software renderer draws into the window's image: a frame recomposes and sends only
  // what changed. A graphics processor's renderer recomposes the whole window every frame.
  bool partialPresent = false;
  uint32_t raiseEvent = 0;  // the event another copy's request to come forward arrives as
};
extern SdlCore gSdl;

// One line of the menu bar; also what the metrics report as the bar height.
constexpr int kSdlBarLineHeight = 22;
// The picture the engine composes.
constexpr int kSdlPictureWidth = 640;
constexpr int kSdlPictureHeight = 480;

// [SECTION] Geometry
// "Canvas" coordinates are what the renderer draws in: the whole window in a window, the
// 640 x 480 logical screen in full screen (scaled to the display by the renderer). SDL hands
// mouse events over in canvas coordinates in both cases.

void SdlCanvasSize(int& width, int& height);
// Height of the menu bar strip at the top of the canvas (more than one line when it wraps).
int SdlBarStripHeight();
// Canvas row where client row 0 lies.
int SdlClientTop();
// Whether the menu bar is drawn: always in a window; in full screen while a menu is open or
// while the engine has not painted the picture over it.
bool SdlBarVisible();

// [SECTION] Window (sdl_window.cpp, sdl_renderer.cpp)

// What a window is made with, to make it again.
struct SdlWindowShape {
  std::string title;  // UTF-8
  int x = 0, y = 0, width = 0, height = 0;
};

bool SdlCreateWindow(const PlatWindowDesc& desc);
void SdlDestroyWindow();
void SdlShowWindow();
PlatMetrics SdlMetrics();
void SdlMoveWindow(int x, int y, int windowWidth, int windowHeight);
bool SdlIsMinimised();
bool SdlIsZoomed();
void SdlRestoreWindow();
void SdlSetTopmost(bool topmost);
void SdlSetFullScreen(bool on);
void SdlSetCursorPos(int clientX, int clientY);
void SdlSetCursorVisible(bool visible);
// Gives gSdl.window its renderer (see sdl_render_pick.h); may make the window again.
bool SdlCreateRenderer(const SdlWindowShape& shape);
// Asked of the window's X server (sdl_x11.cpp): whether it renders directly, whether a window
// manager runs there. 1 yes, 0 no, -1 cannot tell (not X, or the X library is not loaded).
int SdlXDirectRendering(SDL_Window* window);
int SdlXWindowManager(SDL_Window* window);

// [SECTION] Events (sdl_events.cpp)

void SdlPumpEvents();
// Nothing to do: sleeps until a host event arrives or `timeoutMs` have passed.
void SdlWaitEvents(uint32_t timeoutMs);
// Handles a window event (focus, close, expose) the same way inside and outside modal loops.
// Answers true when a modal loop should end (focus lost, window closed).
bool SdlHandleWindowEvent(const SDL_Event& event);
// A modal loop ended: keys still held from it give the game nothing until released.
void SdlSuppressHeldKeys();
// Queues WM_SYSCOMMAND/SC_CLOSE unless one is already waiting.
void SdlQueueClose();

// [SECTION] Presentation (sdl_present.cpp)

bool SdlPresentInit();
void SdlPresentShutdown();
void SdlDrawPicture(const uint8_t* bottomUpPixels, const PlatRect& src, const PlatRect& dst);
void SdlDrawPictureOverMenuBar(const uint8_t* bottomUpPixels, int rows);
// Composes picture, menu bar, open menu and message box and shows them; with partial presents
// only what changed since the last frame is composed and sent.
void SdlPresentFrame();
// The host may have lost what was shown (exposed, resized, overlays closed): the next frame
// composes and sends the whole window.
void SdlPresentInvalidateAll();
// Milliseconds until a deferred present is due (0: now); UINT32_MAX when none waits.
uint32_t SdlPresentDueIn();
void SdlPresentHook();
// Shows a palette change that came too soon after the last frame, once its time has come.
void SdlPresentIfDue();
void SdlPaletteChanged();
void SdlMenuChangedHook();
// Full screen was switched on or off: forget what was painted over the bar.
void SdlPresentModeChanged();
bool SdlPictureCoversBar();

// [SECTION] Drawing helpers (sdl_draw.cpp)

bool SdlDrawInit();
void SdlDrawShutdown();
// Size of a UTF-8 text in the UI font.
void SdlTextSize(std::string_view utf8, int& width, int& height);
int SdlTextHeight();
void SdlDrawText(std::string_view utf8, int x, int y, SDL_Color colour);
// A menu label: text with the access character underlined (byte range within the text).
void SdlDrawLabel(std::string_view utf8, int accessOffset, int accessLength, int x, int y,
                  SDL_Color colour);
// Greyed text as the classic desktop drew it: grey with a white shadow.
void SdlDrawGreyLabel(std::string_view utf8, int accessOffset, int accessLength, int x, int y);
void SdlFill(int x, int y, int w, int h, SDL_Color colour);
// A 3D frame two pixels wide: raised (buttons, popups) or sunken (pressed buttons).
void SdlDrawBevel(int x, int y, int w, int h, bool raised);
void SdlDrawCheck(int x, int y, SDL_Color colour);

// The classic desktop colours.
constexpr SDL_Color kSdlFace{192, 192, 192, 255};
constexpr SDL_Color kSdlShadow{128, 128, 128, 255};
constexpr SDL_Color kSdlLight{255, 255, 255, 255};
constexpr SDL_Color kSdlDark{0, 0, 0, 255};
constexpr SDL_Color kSdlSelection{0, 0, 128, 255};
constexpr SDL_Color kSdlText{0, 0, 0, 255};
constexpr SDL_Color kSdlSelectedText{255, 255, 255, 255};

// [SECTION] Menu (sdl_menu.cpp)

// Reads labels and measures them; called when the window is made.
void SdlMenuPrepare();
// Lines the bar needs at this width (at least 1).
int SdlMenuBarLines(int width);
// Brings the pre-rendered bar up to date; true when its look changed.
bool SdlMenuUpdateBar();
// Copies the pre-rendered bar to the top of the canvas.
void SdlMenuDrawBar();
// Drops the pre-rendered bar (it belongs to the renderer).
void SdlMenuDropBar();
void SdlMenuDrawOverlay();
bool SdlMenuActive();
// The bar entry under a canvas point, or -1.
int SdlMenuBarEntryAt(int x, int y);
// A press on a bar entry: a command is sent at once, a popup opens in the modal menu loop.
void SdlMenuOpenByMouse(int entry);
// Alt+key: the entry with that access key (its command, or its popup in the loop).
bool SdlMenuOpenByAccessKey(char key);
// F10 or Alt alone: the loop starts with the first entry highlighted and nothing open.
void SdlMenuOpenByKeyboard();

// [SECTION] Message box (sdl_box.cpp)

int SdlBoxRun(const std::string& text, const std::string& caption, uint32_t flags);
void SdlBoxDrawOverlay();
bool SdlBoxActive();

// [SECTION] Single instance (sdl_instance.cpp)

// Hands over to a running copy (true), or becomes the copy later starts find: a thread then
// listens and posts gSdl.raiseEvent for each request to come forward.
bool SdlInstanceActivate();
// Brings the window to the front, restoring it when minimised (the raise event's handling).
void SdlInstanceRaise();
void SdlInstanceClose();
