// What the two backends share: the hooks a backend fills in, and the state the common part of
// the seam keeps (message queue, timers, invalid region, menu model, pointer counter, palette,
// settings). Only platform code includes this header.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

// [SECTION] Backend hooks
// A backend answers the host-specific questions; everything else lives in platform.cpp.
struct PlatBackend {
  bool (*init)(const PlatOptions& options);
  void (*shutdown)();
  // Moves pending host events into the queue (PlatQueueMessage) and runs due script steps.
  void (*pumpEvents)();
  // Nothing was pending: wait up to `maxWaitMs` for a host event (SDL; 0 does not wait) or
  // move the clock on by 1 ms whatever the figure (headless).
  void (*idle)(uint32_t maxWaitMs);
  // Whether idle really sleeps, so that every wake-up costs: quiet timers are then skipped.
  bool idleSleeps;
  uint32_t (*ticks)();
  PlatLocalTime (*localTime)();
  bool (*keyDown)(int virtualKey);
  bool (*hasFocus)();
  // The pointer counter crossed 0: show (true) or hide (false) the pointer.
  void (*setCursorVisible)(bool visible);
  void (*setCursorPos)(int clientX, int clientY);

  bool (*createWindow)(const PlatWindowDesc& desc);
  void (*showWindow)();
  PlatMetrics (*metrics)();
  // Moves the outer window; the backend then calls PlatNotifyWindowMoved.
  void (*moveWindow)(int x, int y, int windowWidth, int windowHeight);
  bool (*isMinimised)();
  bool (*isZoomed)();
  void (*restoreWindow)();
  void (*setTopmost)(bool topmost);
  void (*setFullScreen)(bool on);

  int (*displayBpp)();
  int (*changeDisplayMode)(const PlatDisplayMode& mode, uint32_t flags);
  bool (*hasDisplayMode)(int width, int height);
  bool (*restartSystem)();

  // The menu model changed (check marks, greyed items) or a redraw of the bar was asked for.
  void (*menuChanged)();
  // Draws the part `src` (top-down picture coordinates) of a 640 x 480 bottom-up picture over
  // the client rectangle `dst`; shown by the next `present` (see PlatDrawPicture).
  void (*drawPicture)(const uint8_t* bottomUpPixels, const PlatRect& src, const PlatRect& dst);
  void (*drawPictureOverMenuBar)(const uint8_t* bottomUpPixels, int rows);
  // A WM_PAINT handler finished; the backend presents what was drawn.
  void (*present)();
  // The display palette changed outside painting; the backend re-presents.
  void (*paletteChanged)();
  // Texts are UTF-8 here.
  int (*messageBox)(const std::string& text, const std::string& caption, uint32_t flags);

  // Settings persistence: load the whole key once at start, save it whole after a change.
  // `exists` tells whether the key was there.
  void (*settingsLoad)(std::map<std::string, std::string>& values, bool& exists);
  bool (*settingsSave)(const std::map<std::string, std::string>& values);

  bool (*activateRunningCopy)(std::string_view sjisTitle);
};

extern const PlatBackend kSdlBackend;
extern const PlatBackend kHeadlessBackend;

// [SECTION] Sound output hooks
// The CD and wave devices themselves (track files, positions, play state, loops, volumes) live
// in audio.cpp and run on PlatTicks(); a backend only makes them heard (SDL) or records them
// (headless). See audio_local.h for the types.
struct PlatAudioMachine;
struct PlatWaveFormat;
struct PlatAudioBackend {
  // The sound hardware the devices find: mixer controls and the answers of failing opens.
  const PlatAudioMachine& (*machine)();
  // Output is wanted (a device was opened); a backend brings it up by then or for the first
  // sound. No output: silent.
  void (*open)();
  // Both devices are closed: give the output back.
  void (*release)();
  // Sound sample frames [first, end) of a track file, replacing what the CD played.
  void (*cdStart)(const std::string& path, uint64_t first, uint64_t end);
  void (*cdStop)();
  // Still making sound from what was started (output lags behind the clock).
  bool (*cdSounding)();
  // Sound a buffer `loops` times (0xFFFFFFFF: until stopped); the backend keeps its own copy.
  void (*waveStart)(std::span<const uint8_t> samples, const PlatWaveFormat& format, uint32_t loops);
  void (*waveStop)();
  bool (*waveSounding)();
  // Left in the low word, right in the high word.
  void (*setVolumes)(uint32_t cdVolume, uint32_t waveVolume);
  // One line per device call or device event, at PlatTicks() `time`; nullptr: nobody records.
  void (*trace)(uint32_t time, const std::string& line);
};
extern const PlatAudioBackend kSdlAudio;
extern const PlatAudioBackend kHeadlessAudio;

// Closes both sound devices and picks the output of `kind`; PlatInit calls it.
void PlatAudioInit(PlatBackendKind kind);
// Device events: a wave buffer that has played out posts MM_WOM_DONE, a CD play that reached
// its end stops. Runs on every look at the queue.
void PlatAudioPump();
// Milliseconds until PlatAudioPump may have a device event to report (0: look now);
// UINT32_MAX when no device plays anything that ends.
uint32_t PlatAudioNextEventIn();

// [SECTION] Shared state
// Cleared by PlatInit; lives until PlatShutdown.

struct PlatMenuEntry {
  PlatMenuItem item;
  bool checked = false;
  bool enabled = true;
};

struct PlatTimer {
  uint32_t id;
  uint32_t period;
  uint32_t due;  // PlatTicks() value at which it fires next
  PlatTimerQuiet quiet;
};

struct PlatState {
  const PlatBackend* backend = nullptr;
  PlatWndProc wndProc = nullptr;
  std::string sjisTitle;
  std::deque<PlatMsg> queue;
  bool quitPosted = false;
  int quitCode = 0;
  std::vector<PlatTimer> timers;
  PlatRect invalid;   // union of invalidated client rectangles; empty when nothing to paint
  PlatRect painting;  // the update rectangle of the WM_PAINT being handled
  bool inPaint = false;
  int cursorCounter = 0;
  std::vector<PlatMenuEntry> menu;
  PalEntry palette[kPaletteSize] = {};
  int clientWidth = 640, clientHeight = 480;
  int windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;  // outer window
  bool fullScreen = false;
  std::map<std::string, std::string> settings;  // values as text; numbers in decimal
  bool settingsKeyExists = false;
  bool settingsUnsaved = false;  // the last write of the store failed
  int exitOverride = -1;         // when >= 0, the status PlatExit ends the process with
};

extern PlatState gPlat;

// Backends call these to feed the common part.
void PlatQueueMessage(uint32_t message, uint64_t wParam = 0, int64_t lParam = 0);
// After the host moved or sized the window: records the client size, sends WM_MOVE and WM_SIZE.
void PlatNotifyWindowMoved(int clientWidth, int clientHeight);
// The menu entry with this command id, or nullptr.
PlatMenuEntry* PlatFindMenu(uint32_t id);
