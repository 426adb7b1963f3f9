// The common part of the host seam: message queue, timers, invalid region, menu model, pointer
// counter, display palette and settings; host-specific questions go to the active backend.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform_local.h"

PlatState gPlat;

namespace {

const PlatBackend& Backend() {
  if (!gPlat.backend) {
    std::fprintf(stderr, "lanternia3: platform used before PlatInit\n");
    std::abort();
  }
  return *gPlat.backend;
}

PlatRect ClipToClient(PlatRect rect) {
  rect.left = std::max(rect.left, 0);
  rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, gPlat.clientWidth);
  rect.bottom = std::min(rect.bottom, gPlat.clientHeight);
  return rect;
}

PlatRect UnionRect(const PlatRect& a, const PlatRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

// Whether a timer's ticks may pass unseen now (see PlatSetTimer).
bool Quiet(const PlatTimer& timer) {
  return timer.quiet && Backend().idleSleeps && timer.quiet();
}

// The timer due first, or nullptr when none is due yet. Elapsed time is a signed difference,
// so the comparison survives the tick counter wrapping. A quiet timer's passed ticks are let go
// and its next one is set on its phase.
PlatTimer* DueTimer() {
  const uint32_t now = Backend().ticks();
  PlatTimer* due = nullptr;
  for (PlatTimer& timer : gPlat.timers) {
    if (static_cast<int32_t>(now - timer.due) < 0) continue;
    if (Quiet(timer)) {
      timer.due += ((now - timer.due) / timer.period + 1) * timer.period;
      continue;
    }
    if (!due || static_cast<int32_t>(timer.due - due->due) < 0) due = &timer;
  }
  return due;
}

}  // namespace

// [SECTION] Start and end

bool PlatInit(const PlatOptions& options) {
  PlatShutdown();
  gPlat = PlatState{};
  gPlat.backend = options.backend == PlatBackendKind::Headless ? &kHeadlessBackend : &kSdlBackend;
  if (!gPlat.backend->init(options)) {
    gPlat.backend = nullptr;
    return false;
  }
  gPlat.backend->settingsLoad(gPlat.settings, gPlat.settingsKeyExists);
  PlatAudioInit(options.backend);
  return true;
}

void PlatShutdown() {
  if (!gPlat.backend) return;
  gPlat.backend->shutdown();
  gPlat.backend = nullptr;
}

// Outside gPlat: it outlives PlatInit and PlatShutdown.
static PlatExitHandler gExitHandler = nullptr;

void PlatSetExitHandler(PlatExitHandler handler) {
  gExitHandler = handler;
}

void PlatExit(int code) {
  if (gPlat.exitOverride >= 0) code = gPlat.exitOverride;
  if (gExitHandler) {
    gExitHandler(code);
    std::abort();  // a handler that returns breaks the promise of [[noreturn]]
  }
  PlatShutdown();
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(code);
}

bool PlatActivateRunningCopy(std::string_view sjisTitle) {
  return Backend().activateRunningCopy(sjisTitle);
}

// [SECTION] Message queue

void PlatQueueMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
  gPlat.queue.push_back(PlatMsg{message, wParam, lParam});
}

bool PlatPeekMessage(PlatMsg& out, bool remove) {
  Backend().pumpEvents();
  PlatAudioPump();
  if (!gPlat.queue.empty()) {
    out = gPlat.queue.front();
    if (remove) gPlat.queue.pop_front();
    return true;
  }
  if (gPlat.quitPosted) {
    out = PlatMsg{WM_QUIT, static_cast<uint64_t>(gPlat.quitCode), 0};
    if (remove) gPlat.quitPosted = false;
    return true;
  }
  // Paint and timer messages are made on demand, after everything posted.
  if (!gPlat.invalid.Empty()) {
    out = PlatMsg{WM_PAINT, 0, 0};
    return true;
  }
  if (PlatTimer* timer = DueTimer()) {
    out = PlatMsg{WM_TIMER, timer->id, 0};
    // A late timer fires once, not once for every period it missed.
    if (remove) timer->due = Backend().ticks() + timer->period;
    return true;
  }
  return false;
}

void PlatPostMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
  PlatQueueMessage(message, wParam, lParam);
}

void PlatPostQuitMessage(int exitCode) {
  gPlat.quitPosted = true;
  gPlat.quitCode = exitCode;
}

int64_t PlatSendMessage(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (!gPlat.wndProc) return 0;
  return gPlat.wndProc(message, wParam, lParam);
}

int64_t PlatDefWindowProc(uint32_t message, uint64_t wParam, int64_t lParam) {
  (void)wParam;
  switch (message) {
    case WM_NCHITTEST: {
      // Mouse positions are client coordinates; the menu bar lies just above the client area.
      const int x = static_cast<int16_t>(PlatLoWord(lParam));
      const int y = static_cast<int16_t>(PlatHiWord(lParam));
      if (x >= 0 && y >= 0 && x < gPlat.clientWidth && y < gPlat.clientHeight) return HTCLIENT;
      if (y < 0 && y >= -Backend().metrics().menuBarHeight) return HTMENU;
      return HTNOWHERE;
    }
    case WM_NCPAINT:
      Backend().menuChanged();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) PlatSendMessage(WM_CLOSE);
      return 0;
    case WM_CLOSE:
      PlatSendMessage(WM_DESTROY);
      return 0;
    default:
      return 0;
  }
}

namespace {

// Milliseconds until a timer fires or a sound device may have an event.
uint32_t NextDueIn() {
  const uint32_t now = Backend().ticks();
  uint32_t left = PlatAudioNextEventIn();
  for (const PlatTimer& timer : gPlat.timers) {
    if (Quiet(timer)) continue;
    const int32_t until = static_cast<int32_t>(timer.due - now);
    left = std::min(left, static_cast<uint32_t>(std::max(until, 0)));
  }
  return left;
}

}  // namespace

void PlatIdle() {
  Backend().idle(1);
}

void PlatIdleUntil(uint32_t wakeTicks) {
  const int32_t until = static_cast<int32_t>(wakeTicks - Backend().ticks());
  Backend().idle(std::min(static_cast<uint32_t>(std::max(until, 0)), NextDueIn()));
}

void PlatIdleForInput() {
  Backend().idle(NextDueIn());
}

// [SECTION] Time

uint32_t PlatTicks() {
  return Backend().ticks();
}

PlatLocalTime PlatGetLocalTime() {
  return Backend().localTime();
}

bool PlatSetTimer(uint32_t id, uint32_t periodMs, PlatTimerQuiet quiet) {
  PlatKillTimer(id);
  periodMs = std::max<uint32_t>(periodMs, 1);
  gPlat.timers.push_back(PlatTimer{id, periodMs, Backend().ticks() + periodMs, quiet});
  return true;
}

void PlatKillTimer(uint32_t id) {
  std::erase_if(gPlat.timers, [id](const PlatTimer& timer) { return timer.id == id; });
}

// [SECTION] Keyboard, mouse and focus

bool PlatKeyDown(int virtualKey) {
  return Backend().keyDown(virtualKey);
}

bool PlatHasFocus() {
  return Backend().hasFocus();
}

int PlatShowCursor(bool show) {
  const bool wasVisible = gPlat.cursorCounter >= 0;
  gPlat.cursorCounter += show ? 1 : -1;
  const bool visible = gPlat.cursorCounter >= 0;
  if (visible != wasVisible) Backend().setCursorVisible(visible);
  return gPlat.cursorCounter;
}

void PlatSetCursorPos(int clientX, int clientY) {
  Backend().setCursorPos(clientX, clientY);
}

// [SECTION] Window

bool PlatCreateWindow(const PlatWindowDesc& desc) {
  gPlat.wndProc = desc.wndProc;
  gPlat.sjisTitle = desc.sjisTitle;
  gPlat.clientWidth = desc.clientWidth;
  gPlat.clientHeight = desc.clientHeight;
  gPlat.windowX = desc.x;
  gPlat.windowY = desc.y;
  PlatAdjustWindowRect(desc.clientWidth, desc.clientHeight, gPlat.windowWidth, gPlat.windowHeight);
  gPlat.menu.clear();
  for (const PlatMenuItem& item : desc.menu) gPlat.menu.push_back(PlatMenuEntry{item});
  if (!Backend().createWindow(desc)) return false;
  if (PlatSendMessage(WM_CREATE) == -1) return false;
  return true;
}

void PlatShowWindow() {
  Backend().showWindow();
  PlatInvalidate(nullptr);
}

PlatMetrics PlatGetMetrics() {
  return Backend().metrics();
}

void PlatAdjustWindowRect(int clientWidth, int clientHeight, int& windowWidth, int& windowHeight) {
  const PlatMetrics m = Backend().metrics();
  windowWidth = clientWidth + 2 * m.fixedFrameX;
  windowHeight = clientHeight + 2 * m.fixedFrameY + m.captionHeight + m.menuBarHeight;
}

void PlatMoveWindow(int x, int y, int windowWidth, int windowHeight) {
  gPlat.windowX = x;
  gPlat.windowY = y;
  gPlat.windowWidth = windowWidth;
  gPlat.windowHeight = windowHeight;
  Backend().moveWindow(x, y, windowWidth, windowHeight);
}

void PlatGetWindowRect(int& x, int& y, int& windowWidth, int& windowHeight) {
  x = gPlat.windowX;
  y = gPlat.windowY;
  windowWidth = gPlat.windowWidth;
  windowHeight = gPlat.windowHeight;
}

void PlatNotifyWindowMoved(int clientWidth, int clientHeight) {
  gPlat.clientWidth = clientWidth;
  gPlat.clientHeight = clientHeight;
  gPlat.invalid = ClipToClient(gPlat.invalid);
  PlatSendMessage(WM_MOVE);
  PlatSendMessage(WM_SIZE, 0, PlatMakeLParam(clientWidth, clientHeight));
}

bool PlatIsMinimised() {
  return Backend().isMinimised();
}
bool PlatIsZoomed() {
  return Backend().isZoomed();
}
void PlatRestoreWindow() {
  Backend().restoreWindow();
}
void PlatSetTopmost(bool topmost) {
  Backend().setTopmost(topmost);
}

void PlatSetFullScreen(bool on) {
  gPlat.fullScreen = on;
  Backend().setFullScreen(on);
}

// [SECTION] Display modes

int PlatDisplayBpp() {
  return Backend().displayBpp();
}

int PlatChangeDisplayMode(const PlatDisplayMode& mode, uint32_t flags) {
  return Backend().changeDisplayMode(mode, flags);
}

bool PlatHasDisplayMode(int width, int height) {
  return Backend().hasDisplayMode(width, height);
}

bool PlatRestartSystem() {
  return Backend().restartSystem();
}

// [SECTION] Menu

PlatMenuEntry* PlatFindMenu(uint32_t id) {
  if (id == 0) return nullptr;
  for (PlatMenuEntry& entry : gPlat.menu) {
    if (entry.item.id == id) return &entry;
  }
  return nullptr;
}

void PlatMenuCheck(uint32_t id, bool checked) {
  if (PlatMenuEntry* entry = PlatFindMenu(id)) entry->checked = checked;
}

void PlatMenuEnable(uint32_t id, bool enabled) {
  if (PlatMenuEntry* entry = PlatFindMenu(id)) entry->enabled = enabled;
}

bool PlatMenuIsChecked(uint32_t id) {
  const PlatMenuEntry* entry = PlatFindMenu(id);
  return entry && entry->checked;
}

bool PlatMenuIsEnabled(uint32_t id) {
  const PlatMenuEntry* entry = PlatFindMenu(id);
  return entry && entry->enabled;
}

void PlatDrawMenuBar() {
  Backend().menuChanged();
}

// [SECTION] Painting

void PlatInvalidate(const PlatRect* rect) {
  const PlatRect whole{0, 0, gPlat.clientWidth, gPlat.clientHeight};
  gPlat.invalid = UnionRect(gPlat.invalid, ClipToClient(rect ? *rect : whole));
}

void PlatUpdateWindow() {
  if (!gPlat.invalid.Empty()) PlatSendMessage(WM_PAINT);
}

PlatRect PlatBeginPaint() {
  gPlat.painting = gPlat.invalid;
  gPlat.invalid = PlatRect{};
  gPlat.inPaint = true;
  return gPlat.painting;
}

void PlatEndPaint() {
  gPlat.inPaint = false;
  Backend().present();
}

void PlatSetPalette(int first, std::span<const PalEntry> entries) {
  for (size_t i = 0; i < entries.size() && first + static_cast<int>(i) < kPaletteSize; i++) {
    if (first + static_cast<int>(i) >= 0) gPlat.palette[first + i] = entries[i];
  }
  Backend().paletteChanged();
}

void PlatGetPalette(int first, std::span<PalEntry> entries) {
  for (size_t i = 0; i < entries.size(); i++) {
    const int index = first + static_cast<int>(i);
    entries[i] = index >= 0 && index < kPaletteSize ? gPlat.palette[index] : PalEntry{};
  }
}

namespace {

// The backends draw with the usual colour table; a picture with another one is put through it
// first, the rows [top, bottom) that are drawn.
const uint8_t* PictureThroughTable(const uint8_t* bottomUpPixels, PlatColourTable table, int top,
                                   int bottom) {
  static const std::array<uint8_t, 512> kUsual = [] {
    std::array<uint8_t, 512> usual{};
    for (int i = 0; i < kPaletteSize; i++) usual[2 * i] = static_cast<uint8_t>(i);
    return usual;
  }();
  if (!bottomUpPixels || !table || std::memcmp(table, kUsual.data(), kUsual.size()) == 0) {
    return bottomUpPixels;
  }
  uint8_t entry[256];
  for (int i = 0; i < 256; i++) {
    const int index = table[2 * i] | table[2 * i + 1] << 8;
    entry[i] = static_cast<uint8_t>(index < kPaletteSize ? index : 0);
  }
  static std::vector<uint8_t> mapped;
  mapped.resize(640 * 480);
  for (int row = std::max(top, 0); row < std::min(bottom, 480); row++) {
    const size_t at = static_cast<size_t>(479 - row) * 640;
    for (size_t x = at; x < at + 640; x++) mapped[x] = entry[bottomUpPixels[x]];
  }
  return mapped.data();
}

}  // namespace

void PlatDrawPicture(const uint8_t* bottomUpPixels, int srcTop, int srcRows, int dstX, int dstY,
                     int dstWidth, int dstHeight, PlatColourTable colourTable) {
  Backend().drawPicture(PictureThroughTable(bottomUpPixels, colourTable, srcTop, srcTop + srcRows),
                        PlatRect{0, srcTop, 640, srcTop + srcRows},
                        PlatRect{dstX, dstY, dstX + dstWidth, dstY + dstHeight});
}

void PlatStretchPicture(const uint8_t* bottomUpPixels, const PlatRect& src, const PlatRect& dst,
                        PlatColourTable colourTable) {
  if (src.Empty() || dst.Empty()) return;
  Backend().drawPicture(PictureThroughTable(bottomUpPixels, colourTable, src.top, src.bottom), src,
                        dst);
  if (!gPlat.inPaint) Backend().present();
}

void PlatDrawPictureOverMenuBar(const uint8_t* bottomUpPixels, int rows,
                                PlatColourTable colourTable) {
  Backend().drawPictureOverMenuBar(PictureThroughTable(bottomUpPixels, colourTable, 0, rows), rows);
}

// [SECTION] Message boxes

int PlatMessageBox(std::string_view sjisText, std::string_view sjisCaption, uint32_t flags) {
  const int answer =
      Backend().messageBox(PlatSjisToUtf8(sjisText), PlatSjisToUtf8(sjisCaption), flags);
  // A box without Cancel can only be answered with OK.
  return (flags & MB_OKCANCEL) ? answer : IDOK;
}

// [SECTION] Settings store

bool PlatSettingsKeyExists() {
  return gPlat.settingsKeyExists;
}

std::optional<uint32_t> PlatSettingsGetNumber(std::string_view name) {
  if (!gPlat.settingsKeyExists) return std::nullopt;
  auto it = gPlat.settings.find(std::string(name));
  if (it == gPlat.settings.end()) return std::nullopt;
  // Numbers are stored as 32-bit values; a stored negative number reads as its two's complement.
  char* end = nullptr;
  const long long value = std::strtoll(it->second.c_str(), &end, 0);
  if (end == it->second.c_str() || *end != 0) return std::nullopt;
  return static_cast<uint32_t>(value);
}

std::optional<std::string> PlatSettingsGetString(std::string_view name) {
  if (!gPlat.settingsKeyExists) return std::nullopt;
  auto it = gPlat.settings.find(std::string(name));
  if (it == gPlat.settings.end()) return std::nullopt;
  return it->second;
}

bool PlatSettingsSetNumber(std::string_view name, uint32_t value) {
  std::string& stored = gPlat.settings[std::string(name)];
  const std::string text = std::to_string(value);
  // A value the store already holds needs no write; saving a group of settings changes one.
  if (gPlat.settingsKeyExists && !gPlat.settingsUnsaved && stored == text) return true;
  gPlat.settingsKeyExists = true;
  stored = text;
  gPlat.settingsUnsaved = !Backend().settingsSave(gPlat.settings);
  return !gPlat.settingsUnsaved;
}
