// The host seam: every service the engine asks of the machine it runs on.
// Engine code includes this header and never a backend's. Two backends live behind it:
// sdl/ (a real window, keyboard, mouse, sound) and headless/ (virtual clock, scripted input).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// [SECTION] Messages
// Window messages keep their classic numbers, so the window procedure reads like its table.
enum : uint32_t {
  WM_CREATE = 1,
  WM_DESTROY = 2,
  WM_MOVE = 3,
  WM_SIZE = 5,
  WM_ACTIVATE = 6,
  WM_PAINT = 15,
  WM_CLOSE = 16,
  WM_QUIT = 18,
  WM_ACTIVATEAPP = 28,
  WM_DISPLAYCHANGE = 126,
  WM_NCHITTEST = 132,
  WM_NCPAINT = 133,
  WM_COMMAND = 273,
  WM_SYSCOMMAND = 274,
  WM_TIMER = 275,
  WM_MENUSELECT = 287,
  WM_MOUSEMOVE = 512,
  WM_LBUTTONDOWN = 513,
  WM_LBUTTONUP = 514,
  WM_RBUTTONDOWN = 516,
  WM_RBUTTONUP = 517,
  WM_MOUSEWHEEL = 522,  // high word of wParam: signed turn, 120 a notch, up (away) positive
  WM_QUERYNEWPALETTE = 783,
  WM_PALETTECHANGED = 785,
  MM_WOM_DONE = 957,
  WM_USER = 1024,
};

constexpr uint32_t SC_CLOSE = 0xF060;  // WM_SYSCOMMAND: the close box or Alt+F4

// WM_NCHITTEST answers.
enum : int32_t { HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTMENU = 5 };

// WM_ACTIVATE: low word of wParam.
enum : uint32_t { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };

// One queued message. Mouse messages carry client x in the low 16 bits of lParam and y in
// the next 16; WM_SIZE carries the client width and height the same way.
struct PlatMsg {
  uint32_t message = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
};

constexpr int64_t PlatMakeLParam(int low, int high) {
  return static_cast<int64_t>((static_cast<uint32_t>(high & 0xFFFF) << 16) |
                              static_cast<uint32_t>(low & 0xFFFF));
}
constexpr uint16_t PlatLoWord(int64_t v) {
  return static_cast<uint16_t>(v & 0xFFFF);
}
// One notch of the mouse wheel in WM_MOUSEWHEEL.
constexpr int kWheelNotch = 120;
constexpr uint16_t PlatHiWord(int64_t v) {
  return static_cast<uint16_t>((v >> 16) & 0xFFFF);
}

// The engine's window procedure. The platform calls it for every sent message and the
// engine's pump calls it for every message it takes from the queue.
using PlatWndProc = int64_t (*)(uint32_t message, uint64_t wParam, int64_t lParam);

// [SECTION] Start and end

enum class PlatBackendKind { Sdl, Headless };

struct PlatOptions {
  PlatBackendKind backend = PlatBackendKind::Sdl;
  std::string scriptPath;  // headless: the input script (empty: no input at all)
  std::string dumpDir;     // headless: write every painted frame there as PNG (empty: don't)
};

// Brings the chosen backend up. False (with a line on standard error) when it cannot start,
// for example an SDL backend without a display or a headless script that does not parse.
bool PlatInit(const PlatOptions& options);
// Releases the host resources. Safe to call when PlatInit failed or was never called.
void PlatShutdown();
// Ends the process; the runtime's normal exit runs (static destructors, stream flushes).
[[noreturn]] void PlatExit(int code);
// Takes the place of PlatExit's end of the process from now on (nullptr: the normal end again):
// the handler gets the status and must not return (it throws). Nothing is shut down first, so
// a harness that runs many inputs in one process (the fuzz targets) turns a refused input's
// fatal box into a clean unwind back to itself.
using PlatExitHandler = void (*)(int code);
void PlatSetExitHandler(PlatExitHandler handler);

// Single instance: when another copy whose window title begins with `sjisTitle` runs, brings
// it to the front (restoring it if minimised) and answers true. Otherwise this process becomes
// the copy that later starts will find, and the answer is false.
bool PlatActivateRunningCopy(std::string_view sjisTitle);

// [SECTION] Message queue

// Looks at the next message; `remove` takes it off the queue. Paint (when part of the window
// is invalid) and timer messages are made only when nothing else waits, as on the original
// platform. False when the queue is empty.
bool PlatPeekMessage(PlatMsg& out, bool remove);
void PlatPostMessage(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0);
void PlatPostQuitMessage(int exitCode);
// Calls the window procedure at once and gives back its answer.
int64_t PlatSendMessage(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0);
// The host's default handling of a message (hit tests, menu bar painting, close box).
int64_t PlatDefWindowProc(uint32_t message, uint64_t wParam, int64_t lParam);
// Called by the pump when it found nothing to do: the SDL backend sleeps about a millisecond
// (less when input arrives), the headless one moves its virtual clock on by one millisecond.
void PlatIdle();
// The same for a wait that knows its end: nothing to do before PlatTicks() reaches `wakeTicks`.
// The SDL backend sleeps in the host's event wait until then, or until input arrives or a
// timer, a sound device event or a deferred repaint is due, whichever comes first; the headless
// one moves its virtual clock on by one millisecond, exactly as PlatIdle.
void PlatIdleUntil(uint32_t wakeTicks);
// The same for a wait that ends only with input (or what a timer or sound event brings).
void PlatIdleForInput();

// [SECTION] Time

// Milliseconds since an arbitrary start; wraps at 2^32.
uint32_t PlatTicks();

struct PlatLocalTime {
  uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};
PlatLocalTime PlatGetLocalTime();

// Tells whether a timer's tick would find nothing to do now.
using PlatTimerQuiet = bool (*)();

// A periodic WM_TIMER (wParam = id) every `periodMs` milliseconds. While `quiet` says so, a
// backend whose waits really sleep lets the ticks pass without waking for them; once the timer
// has work again its next tick comes at once, or on its old phase when the game was awake
// when that tick was due. A backend on a stepped clock delivers every tick.
bool PlatSetTimer(uint32_t id, uint32_t periodMs, PlatTimerQuiet quiet = nullptr);
void PlatKillTimer(uint32_t id);

// [SECTION] Keyboard, mouse and focus

// Virtual-key codes of the keys the game reads.
enum : int {
  VK_RETURN = 13,
  VK_ESCAPE = 27,
  VK_SPACE = 32,
  VK_HOME = 36,
  VK_LEFT = 37,
  VK_UP = 38,
  VK_RIGHT = 39,
  VK_DOWN = 40,
};

// Whether the key is down at this moment.
bool PlatKeyDown(int virtualKey);
// Whether the game window has the keyboard focus.
bool PlatHasFocus();

// Show/hide counter of the mouse pointer: the pointer is visible while the counter is >= 0.
// Answers the new counter.
int PlatShowCursor(bool show);
// Puts the pointer at a point of the client area.
void PlatSetCursorPos(int clientX, int clientY);

// [SECTION] Window

// One item of the window's menu. A top-level entry with `popup` set opens the items that
// follow it up to the next top-level entry; a top-level entry without it is a command on the
// bar itself. Labels are Shift-JIS with '&' marking the access key.
struct PlatMenuItem {
  uint32_t id = 0;    // command number; 0 for a popup title or a separator
  const char* label;  // nullptr for a separator
  bool topLevel = false;
  bool popup = false;
};

struct PlatWindowDesc {
  std::string sjisTitle;
  int x = 0, y = 0;  // outer top-left on the display
  int clientWidth = 640;
  int clientHeight = 480;
  PlatWndProc wndProc = nullptr;
  std::span<const PlatMenuItem> menu;
};

// Creates the window (hidden) with its menu and sends it WM_CREATE. False when the host has
// no window to give.
bool PlatCreateWindow(const PlatWindowDesc& desc);
// Shows the window and paints it.
void PlatShowWindow();

// Sizes the host reports, the equivalents of the classic system metrics.
struct PlatMetrics {
  int fixedFrameX, fixedFrameY;  // border of a non-sizable window
  int menuBarHeight;             // one line of the menu bar
  int captionHeight;
  int screenWidth, screenHeight;  // the display (desktop) in pixels
};
PlatMetrics PlatGetMetrics();

// The outer size of a window whose client area is clientWidth x clientHeight.
void PlatAdjustWindowRect(int clientWidth, int clientHeight, int& windowWidth, int& windowHeight);
// Moves and sizes the outer window; WM_MOVE and WM_SIZE are sent before this returns.
void PlatMoveWindow(int x, int y, int windowWidth, int windowHeight);
void PlatGetWindowRect(int& x, int& y, int& windowWidth, int& windowHeight);
bool PlatIsMinimised();
bool PlatIsZoomed();
void PlatRestoreWindow();
void PlatSetTopmost(bool topmost);
// Full screen: the window covers the whole display without border or caption; the picture is
// shown at the largest whole scale that fits, centred on black.
void PlatSetFullScreen(bool on);

// [SECTION] Display modes

// Bits per pixel of the display.
int PlatDisplayBpp();

// Answers of PlatChangeDisplayMode.
enum : int {
  DISP_CHANGE_SUCCESSFUL = 0,
  DISP_CHANGE_RESTART = 1,
  DISP_CHANGE_FAILED = -1,
  DISP_CHANGE_BADMODE = -2,
};
enum : uint32_t { CDS_UPDATEREGISTRY = 1, CDS_TEST = 2, CDS_FULLSCREEN = 4 };

// A requested display mode; 0 leaves a field as it is.
struct PlatDisplayMode {
  int bitsPerPixel = 0;
  int width = 0;
  int height = 0;
};
int PlatChangeDisplayMode(const PlatDisplayMode& mode, uint32_t flags);
// Whether the display lists a mode of this size at any colour depth.
bool PlatHasDisplayMode(int width, int height);
// Asks the host to restart the machine; false when it cannot (the caller then goes on).
bool PlatRestartSystem();

// [SECTION] Menu

void PlatMenuCheck(uint32_t id, bool checked);
void PlatMenuEnable(uint32_t id, bool enabled);
bool PlatMenuIsChecked(uint32_t id);
bool PlatMenuIsEnabled(uint32_t id);
void PlatDrawMenuBar();

// [SECTION] Painting

// A rectangle of the client area: left and top inclusive, right and bottom exclusive.
struct PlatRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

// One colour of the display palette, laid out as red, green, blue, flags.
struct PalEntry {
  uint8_t red = 0, green = 0, blue = 0, flags = 0;
  bool operator==(const PalEntry&) const = default;
};
constexpr uint8_t PC_RESERVED = 1;
constexpr int kPaletteSize = 236;  // colours the game draws with

// Adds a rectangle (nullptr: the whole client area) to the part of the window to repaint.
void PlatInvalidate(const PlatRect* rect);
// Paints now (a WM_PAINT sent to the window procedure) when any part is invalid.
void PlatUpdateWindow();
// Inside the WM_PAINT handler: starts painting and answers the part to repaint.
PlatRect PlatBeginPaint();
void PlatEndPaint();

// The window's display palette (236 entries). Setting entries re-presents the picture, the way
// animating a palette changes what a palette display shows.
void PlatSetPalette(int first, std::span<const PalEntry> entries);
void PlatGetPalette(int first, std::span<PalEntry> entries);

// A picture's colour table: for each of the 256 pixel values the display-palette entry it
// shows, as 16-bit little-endian numbers (512 bytes, the layout of a frame's header). nullptr
// is the usual table: every value shows its own entry, 236..255 entry 0. An entry of 236 or
// more shows entry 0 too. The table is applied when the picture is drawn; a later palette
// change recolours what was drawn, as on a palette display.
using PlatColourTable = const uint8_t*;

// Copies rows [srcTop, srcTop + srcRows) of a 640 x 480 bottom-up 8-bit picture to the client
// rectangle (dstX, dstY, dstWidth, dstHeight), scaling by whole pixels. Pixel values go through
// `colourTable` to the display palette.
void PlatDrawPicture(const uint8_t* bottomUpPixels, int srcTop, int srcRows, int dstX, int dstY,
                     int dstWidth, int dstHeight, PlatColourTable colourTable = nullptr);
// Outside a paint: draws the part `src` (top-down coordinates) of a 640 x 480 bottom-up picture
// stretched over the client rectangle `dst` straight into the window and shows it at once, as
// drawing into the window's device context does. The next paint draws over it. Nothing happens
// for an empty rectangle.
void PlatStretchPicture(const uint8_t* bottomUpPixels, const PlatRect& src, const PlatRect& dst,
                        PlatColourTable colourTable = nullptr);
// Full screen with the menu bar hidden: shows picture rows [0, rows) where the menu bar lies.
void PlatDrawPictureOverMenuBar(const uint8_t* bottomUpPixels, int rows,
                                PlatColourTable colourTable = nullptr);

// [SECTION] Message boxes

enum : uint32_t {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2 };

// A modal box over the window; answers IDOK or IDCANCEL. Texts are Shift-JIS, '\n' breaks a line.
int PlatMessageBox(std::string_view sjisText, std::string_view sjisCaption, uint32_t flags);

// [SECTION] Settings store
// One key of per-user settings: named 32-bit numbers and strings.

bool PlatSettingsKeyExists();
std::optional<uint32_t> PlatSettingsGetNumber(std::string_view name);
std::optional<std::string> PlatSettingsGetString(std::string_view name);
// Creates the key when it is missing. Answers false when the store could not be written; a
// value the store holds already is not written again.
bool PlatSettingsSetNumber(std::string_view name, uint32_t value);

// [SECTION] CD audio
// Music tracks of the game CD, emulated from audio files. Calls answer 0 or an MCI error.

enum : uint32_t {
  MCIERR_DEVICE_NOT_READY = 276,
  MCIERR_DEVICE_OPEN = 265,
  MCIERR_MUST_USE_SHAREABLE = 291,
  MCIERR_OUTOFRANGE = 282,
  MCIERR_HARDWARE = 262,
};
enum : uint32_t { MCI_MODE_NOT_READY = 524, MCI_MODE_STOP = 525, MCI_MODE_PLAY = 526 };

// Positions: TMSF packs track, minutes, seconds, frames (75 a second) in bytes 0..3.
constexpr uint32_t PlatTmsf(int track, int minutes, int seconds, int frames) {
  return static_cast<uint32_t>(track & 0xFF) | static_cast<uint32_t>(minutes & 0xFF) << 8 |
         static_cast<uint32_t>(seconds & 0xFF) << 16 | static_cast<uint32_t>(frames & 0xFF) << 24;
}

// Opens the device on the track files of `directory` ("TRACKnn.OGG" or "TRACKnn.WAV", any
// case, nn the CD track number). Missing files are tracks that cannot be played; an unreadable
// directory is a drive without a disc. Fails only when the machine has no such device.
uint32_t PlatCdOpen(std::string_view directory);
uint32_t PlatCdClose();
uint32_t PlatCdSeekTrack(int track);
// Length of a track as minutes, seconds and frames.
uint32_t PlatCdTrackLength(int track, int& minutes, int& seconds, int& frames);
uint32_t PlatCdPlay(uint32_t fromTmsf, uint32_t toTmsf);
uint32_t PlatCdStop();
uint32_t PlatCdMode(uint32_t& mode);

// Auxiliary volume: the mixer controls that fade the CD music.
enum : uint32_t { AUXCAPS_CDAUDIO = 1, AUXCAPS_AUXIN = 2 };    // technology
enum : uint32_t { AUXCAPS_VOLUME = 1, AUXCAPS_LRVOLUME = 2 };  // support
struct PlatAuxCaps {
  uint16_t manufacturer, product;
  uint32_t technology, support;
};
int PlatAuxCount();
bool PlatAuxGetCaps(int device, PlatAuxCaps& caps);
// Volumes: left in the low word, right in the high word, 0..0xFFFF each.
bool PlatAuxGetVolume(int device, uint32_t& volume);
bool PlatAuxSetVolume(int device, uint32_t volume);

// [SECTION] Wave output
// One buffer of 16-bit mono PCM at a time. When it has played its loops (or the device was
// reset) MM_WOM_DONE is posted to the window.

// Answers of the wave calls besides 0.
enum : uint32_t { MMSYSERR_INVALHANDLE = 5, MMSYSERR_NODRIVER = 6, WAVERR_BADFORMAT = 32 };

uint32_t PlatWaveOpen(int samplesPerSecond, int bitsPerSample, int channels);
// `loops` 0xFFFFFFFF plays until reset. The samples must stay valid until MM_WOM_DONE.
uint32_t PlatWaveWrite(std::span<const uint8_t> samples, uint32_t loops);
void PlatWaveReset();
void PlatWaveClose();
bool PlatWaveGetVolume(uint32_t& volume);
bool PlatWaveSetVolume(uint32_t volume);

// [SECTION] Text encoding
// The engine keeps its texts as Shift-JIS (code page 932) bytes; the host speaks UTF-8.

std::string PlatSjisToUtf8(std::string_view sjis);
std::string PlatUtf8ToSjis(std::string_view utf8);
