// The headless backend: a virtual clock that moves only while the engine waits, input from a
// script, painted frames kept in memory (and optionally written as PNG), boxes on stderr.
#include "platform/headless/headless.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>

#include "platform/platform_local.h"

namespace {

// [SECTION] State
// Cleared by init; lives until the next init.
struct HeadlessState {
  HeadlessConfig config;
  size_t nextStep = 0;
  uint32_t now = 0;
  uint64_t idleSteps = 0;
  bool keys[256] = {};
  bool focus = true;
  bool minimised = false;
  bool cursorVisible = true;
  std::deque<int> answers;
  std::vector<HeadlessBox> boxes;
  // What the client area shows, as palette indices at client resolution, and its RGB image.
  std::vector<uint8_t> client;
  int clientWidth = 0, clientHeight = 0;
  std::vector<uint8_t> frame;
  int frameWidth = 0, frameHeight = 0;
  int paints = 0;
  std::string dumpDir;
  void (*onPresent)() = nullptr;
  bool frameStale = false;  // the RGB image is made when someone looks at it
  int watchedEntry = -1;
  std::vector<PalEntry> watched;
};
HeadlessState gHl;

void WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr)) {
    std::fprintf(stderr, "headless: cannot write %s: %s\n", path.c_str(), image.message);
  }
}

// Makes sure the client image matches the client size.
void FitClient() {
  if (gHl.clientWidth == gPlat.clientWidth && gHl.clientHeight == gPlat.clientHeight) return;
  gHl.clientWidth = gPlat.clientWidth;
  gHl.clientHeight = gPlat.clientHeight;
  gHl.client.assign(static_cast<size_t>(gHl.clientWidth) * gHl.clientHeight, 0);
}

void RenderFrame() {
  gHl.frameStale = false;
  FitClient();
  gHl.frameWidth = gHl.clientWidth;
  gHl.frameHeight = gHl.clientHeight;
  gHl.frame.resize(gHl.client.size() * 3);
  for (size_t i = 0; i < gHl.client.size(); i++) {
    const uint8_t index = gHl.client[i];
    const PalEntry& colour = gPlat.palette[index < kPaletteSize ? index : 0];
    gHl.frame[i * 3] = colour.red;
    gHl.frame[i * 3 + 1] = colour.green;
    gHl.frame[i * 3 + 2] = colour.blue;
  }
}

// Writes what the window shows now: the last paint in the colours the display has at this
// moment (a palette change shows at once, without a paint). Black before the first paint.
void WriteSnapshot(const std::string& path) {
  if (gHl.paints == 0) {
    FitClient();
    std::vector<uint8_t> black(gHl.client.size() * 3, 0);
    WritePng(path, black, gHl.clientWidth, gHl.clientHeight);
    return;
  }
  if (gHl.frameStale || gHl.frame.empty()) RenderFrame();
  WritePng(path, gHl.frame, gHl.frameWidth, gHl.frameHeight);
}

void SendMouse(uint32_t message, int x, int y, uint64_t wParam = 0) {
  const int64_t position = PlatMakeLParam(x, y);
  if (PlatSendMessage(WM_NCHITTEST, 0, position) == HTCLIENT)
    PlatQueueMessage(message, wParam, position);
}

void RunStep(const HeadlessStep& step) {
  switch (step.action) {
    case HeadlessAction::KeyDown:
    case HeadlessAction::KeyUp:
      gHl.keys[step.a & 0xFF] = step.action == HeadlessAction::KeyDown;
      break;
    case HeadlessAction::MouseMove:
      SendMouse(WM_MOUSEMOVE, step.a, step.b);
      break;
    case HeadlessAction::MouseDown:
      SendMouse(step.c == 0 ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, step.a, step.b);
      break;
    case HeadlessAction::MouseUp:
      SendMouse(step.c == 0 ? WM_LBUTTONUP : WM_RBUTTONUP, step.a, step.b);
      break;
    case HeadlessAction::MouseWheel: {
      const auto delta = static_cast<uint16_t>(static_cast<int16_t>(step.c * kWheelNotch));
      SendMouse(WM_MOUSEWHEEL, step.a, step.b, uint64_t{delta} << 16);
      break;
    }
    case HeadlessAction::Menu:
      // A greyed item cannot be chosen.
      if (PlatMenuIsEnabled(static_cast<uint32_t>(step.a))) {
        PlatQueueMessage(WM_COMMAND, static_cast<uint64_t>(step.a));
      }
      break;
    case HeadlessAction::Answer:
      gHl.answers.push_back(step.a);
      break;
    case HeadlessAction::Close:
      PlatQueueMessage(WM_SYSCOMMAND, SC_CLOSE);
      break;
    case HeadlessAction::Quit:
      PlatPostQuitMessage(0);
      break;
    case HeadlessAction::Focus:
      HeadlessSetFocus(step.a != 0);
      break;
    case HeadlessAction::Minimise:
      gHl.minimised = step.a != 0;
      break;
    case HeadlessAction::Snapshot:
      WriteSnapshot(step.path);
      break;
  }
}

// Makes the folder for dumped frames, parents included. Answers why it cannot take files, empty
// when it can: a run whose frames would all be lost fails at start instead.
std::string PrepareDumpDir(const std::string& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (error) return error.message();
  if (!std::filesystem::is_directory(dir, error)) return "Not a directory";
  if (access(dir.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  return "";
}

// Reads the whole script into `text`. Answers why it cannot, empty when it can. A stream would
// open a folder without complaint and read it as an empty script; read() says what is wrong.
std::string ReadScript(const std::string& path, std::string& text) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  std::string problem;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) problem = std::strerror(errno);
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  return problem;
}

// [SECTION] Hooks

bool HlInit(const PlatOptions& options) {
  gHl = HeadlessState{};
  gHl.dumpDir = options.dumpDir;
  if (!gHl.dumpDir.empty()) {
    if (const std::string problem = PrepareDumpDir(gHl.dumpDir); !problem.empty()) {
      std::fprintf(stderr, "headless: cannot write frames to %s: %s\n", gHl.dumpDir.c_str(),
                   problem.c_str());
      return false;
    }
  }
  if (options.scriptPath.empty()) return true;
  std::string text;
  if (const std::string problem = ReadScript(options.scriptPath, text); !problem.empty()) {
    std::fprintf(stderr, "headless: cannot read script %s: %s\n", options.scriptPath.c_str(),
                 problem.c_str());
    return false;
  }
  std::string error;
  if (!HeadlessParseScript(text, gHl.config, error)) {
    std::fprintf(stderr, "headless: %s: %s\n", options.scriptPath.c_str(), error.c_str());
    return false;
  }
  gHl.answers.assign(gHl.config.answers.begin(), gHl.config.answers.end());
  return true;
}

void HlShutdown() {}

void HlPumpEvents() {
  while (gHl.nextStep < gHl.config.steps.size() && gHl.config.steps[gHl.nextStep].time <= gHl.now) {
    RunStep(gHl.config.steps[gHl.nextStep++]);
  }
  // Past the limit the game is asked to quit, so that it still releases what it holds; one
  // that does not react within a further minute is stopped where it is.
  if (gHl.now > gHl.config.timeLimit && gPlat.exitOverride < 0) {
    std::fprintf(stderr, "headless: time limit of %u ms reached\n", gHl.config.timeLimit);
    gPlat.exitOverride = 3;
    PlatPostQuitMessage(0);
  } else if (gHl.now - gHl.config.timeLimit > 60000 && gHl.now > gHl.config.timeLimit) {
    PlatExit(3);
  }
}

// Whatever the wait, the virtual clock moves on by one step.
void HlIdle(uint32_t) {
  gHl.now++;
  gHl.idleSteps++;
}

uint32_t HlTicks() {
  return gHl.now;
}

PlatLocalTime HlLocalTime() {
  const PlatLocalTime& s = gHl.config.startTime;
  std::tm start{};
  start.tm_year = s.year - 1900;
  start.tm_mon = s.month - 1;
  start.tm_mday = s.day;
  start.tm_hour = s.hour;
  start.tm_min = s.minute;
  start.tm_sec = s.second;
  const std::time_t t = timegm(&start) + gHl.now / 1000;
  std::tm now{};
  gmtime_r(&t, &now);
  return PlatLocalTime{
      static_cast<uint16_t>(now.tm_year + 1900), static_cast<uint16_t>(now.tm_mon + 1),
      static_cast<uint16_t>(now.tm_wday),        static_cast<uint16_t>(now.tm_mday),
      static_cast<uint16_t>(now.tm_hour),        static_cast<uint16_t>(now.tm_min),
      static_cast<uint16_t>(now.tm_sec),         static_cast<uint16_t>(gHl.now % 1000)};
}

bool HlKeyDown(int virtualKey) {
  return virtualKey >= 0 && virtualKey < 256 && gHl.keys[virtualKey];
}
bool HlHasFocus() {
  return gHl.focus;
}
void HlSetCursorVisible(bool visible) {
  gHl.cursorVisible = visible;
}
void HlSetCursorPos(int, int) {}

bool HlCreateWindow(const PlatWindowDesc&) {
  return true;
}
void HlShowWindow() {}

PlatMetrics HlMetrics() {
  return PlatMetrics{3, 3, 20, 19, gHl.config.desktopWidth, gHl.config.desktopHeight};
}

void HlMoveWindow(int, int, int windowWidth, int windowHeight) {
  int frameWidth, frameHeight;
  PlatAdjustWindowRect(0, 0, frameWidth, frameHeight);
  PlatNotifyWindowMoved(std::max(0, windowWidth - frameWidth),
                        std::max(0, windowHeight - frameHeight));
}

bool HlIsMinimised() {
  return gHl.minimised;
}
bool HlIsZoomed() {
  return false;
}
void HlRestoreWindow() {
  gHl.minimised = false;
}
void HlSetTopmost(bool) {}
void HlSetFullScreen(bool) {}

int HlDisplayBpp() {
  return gHl.config.displayBpp;
}

int HlChangeDisplayMode(const PlatDisplayMode& mode, uint32_t flags) {
  const int result = gHl.config.modeTestResult;
  if ((flags & CDS_TEST) || result < 0) return result;
  if (mode.bitsPerPixel) gHl.config.displayBpp = mode.bitsPerPixel;
  return result;
}

bool HlHasDisplayMode(int width, int height) {
  return width == 640 && height == 480
             ? gHl.config.has640x480
             : width <= gHl.config.desktopWidth && height <= gHl.config.desktopHeight;
}

bool HlRestartSystem() {
  std::fprintf(stderr, "headless: system restart requested\n");
  return false;
}

void HlMenuChanged() {}

// Nearest pixel: client pixel (x, y) of `dst` shows picture pixel src + (x, y) x src / dst.
void HlDrawPicture(const uint8_t* pixels, const PlatRect& src, const PlatRect& dst) {
  FitClient();
  if (!pixels || src.Empty() || dst.Empty()) return;
  const int srcWidth = src.right - src.left, srcHeight = src.bottom - src.top;
  const int dstWidth = dst.right - dst.left, dstHeight = dst.bottom - dst.top;
  // Inside a paint only its update rectangle changes, as on a real window.
  const PlatRect area =
      gPlat.inPaint ? gPlat.painting : PlatRect{0, 0, gHl.clientWidth, gHl.clientHeight};
  for (int y = std::max(area.top, dst.top);
       y < std::min({gHl.clientHeight, area.bottom, dst.bottom}); y++) {
    const int row = src.top + (y - dst.top) * srcHeight / dstHeight;
    if (row < 0 || row >= 480) continue;
    const uint8_t* from = pixels + static_cast<size_t>(479 - row) * 640;
    uint8_t* to = &gHl.client[static_cast<size_t>(y) * gHl.clientWidth];
    const int x0 = std::max({0, area.left, dst.left});
    const int x1 = std::min({gHl.clientWidth, area.right, dst.right});
    if (srcWidth == dstWidth) {
      // One to one across, as every paint at 640 x 480 is: copy the part of the row that lies
      // inside the picture. Long effects repaint hundreds of times, so this matters.
      const int first = std::max(x0, dst.left - src.left);
      const int last = std::min(x1, dst.left - src.left + 640);
      if (first < last) {
        std::memcpy(to + first, from + src.left + (first - dst.left),
                    static_cast<size_t>(last - first));
      }
      continue;
    }
    for (int x = x0; x < x1; x++) {
      const int column = src.left + (x - dst.left) * srcWidth / dstWidth;
      if (column >= 0 && column < 640) to[x] = from[column];
    }
  }
}

void HlDrawPictureOverMenuBar(const uint8_t*, int) {}

void HlPresent() {
  gHl.frameStale = true;
  gHl.paints++;
  if (!gHl.dumpDir.empty()) {
    RenderFrame();
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", gHl.paints);
    WritePng(gHl.dumpDir + name, gHl.frame, gHl.frameWidth, gHl.frameHeight);
  }
  if (gHl.onPresent) gHl.onPresent();
}

// A palette display shows new colours at once; here the kept frame takes them on.
void HlPaletteChanged() {
  if (gHl.watchedEntry >= 0) gHl.watched.push_back(gPlat.palette[gHl.watchedEntry]);
  if (gHl.paints > 0) gHl.frameStale = true;
}

int HlMessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
  int answer = IDOK;
  if (!gHl.answers.empty()) {
    answer = gHl.answers.front();
    gHl.answers.pop_front();
  }
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  gHl.boxes.push_back(HeadlessBox{caption, text, flags, answer});
  return answer;
}

void HlSettingsLoad(std::map<std::string, std::string>& values, bool& exists) {
  for (const auto& [name, value] : gHl.config.settings) values[name] = value;
  exists = gHl.config.settingsKey;
}

bool HlSettingsSave(const std::map<std::string, std::string>&) {
  return !gHl.config.settingsReadOnly;
}

bool HlActivateRunningCopy(std::string_view) {
  return gHl.config.runningCopy;
}

}  // namespace

const PlatBackend kHeadlessBackend = {
    .init = HlInit,
    .shutdown = HlShutdown,
    .pumpEvents = HlPumpEvents,
    .idle = HlIdle,
    .idleSleeps = false,
    .ticks = HlTicks,
    .localTime = HlLocalTime,
    .keyDown = HlKeyDown,
    .hasFocus = HlHasFocus,
    .setCursorVisible = HlSetCursorVisible,
    .setCursorPos = HlSetCursorPos,
    .createWindow = HlCreateWindow,
    .showWindow = HlShowWindow,
    .metrics = HlMetrics,
    .moveWindow = HlMoveWindow,
    .isMinimised = HlIsMinimised,
    .isZoomed = HlIsZoomed,
    .restoreWindow = HlRestoreWindow,
    .setTopmost = HlSetTopmost,
    .setFullScreen = HlSetFullScreen,
    .displayBpp = HlDisplayBpp,
    .changeDisplayMode = HlChangeDisplayMode,
    .hasDisplayMode = HlHasDisplayMode,
    .restartSystem = HlRestartSystem,
    .menuChanged = HlMenuChanged,
    .drawPicture = HlDrawPicture,
    .drawPictureOverMenuBar = HlDrawPictureOverMenuBar,
    .present = HlPresent,
    .paletteChanged = HlPaletteChanged,
    .messageBox = HlMessageBox,
    .settingsLoad = HlSettingsLoad,
    .settingsSave = HlSettingsSave,
    .activateRunningCopy = HlActivateRunningCopy,
};

// [SECTION] Observation

void HeadlessConfigure(const HeadlessConfig& config) {
  gHl.config = config;
  gHl.nextStep = 0;
  std::fill(std::begin(gHl.keys), std::end(gHl.keys), false);
  gHl.answers.assign(config.answers.begin(), config.answers.end());
  gHl.focus = true;
  gHl.minimised = false;
  gPlat.settings.clear();
  HlSettingsLoad(gPlat.settings, gPlat.settingsKeyExists);
}

HeadlessConfig& HeadlessGetConfig() {
  return gHl.config;
}

void HeadlessAdvance(uint32_t milliseconds) {
  gHl.now += milliseconds;
}

void HeadlessSetKey(int virtualKey, bool down) {
  gHl.keys[virtualKey & 0xFF] = down;
}

void HeadlessSetFocus(bool focus) {
  gHl.focus = focus;
  PlatQueueMessage(WM_ACTIVATEAPP, focus ? 1 : 0);
  PlatQueueMessage(WM_ACTIVATE, focus ? WA_ACTIVE : WA_INACTIVE);
}

void HeadlessQueueAnswer(int answer) {
  gHl.answers.push_back(answer);
}

const std::vector<HeadlessBox>& HeadlessMessageBoxes() {
  return gHl.boxes;
}

int HeadlessPaintCount() {
  return gHl.paints;
}

const std::vector<uint8_t>& HeadlessLastFrame() {
  if (gHl.frameStale) RenderFrame();
  return gHl.frame;
}

void HeadlessFrameSize(int& width, int& height) {
  if (gHl.frameStale) RenderFrame();
  width = gHl.frameWidth;
  height = gHl.frameHeight;
}

uint32_t HeadlessPixel(int x, int y) {
  if (gHl.frameStale) RenderFrame();
  if (x < 0 || y < 0 || x >= gHl.frameWidth || y >= gHl.frameHeight) return 0;
  const uint8_t* p = &gHl.frame[(static_cast<size_t>(y) * gHl.frameWidth + x) * 3];
  return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

bool HeadlessCursorVisible() {
  return gHl.cursorVisible;
}

const std::map<std::string, std::string>& HeadlessSettings() {
  return gPlat.settings;
}

uint64_t HeadlessIdleSteps() {
  return gHl.idleSteps;
}

void HeadlessOnPresent(void (*hook)()) {
  gHl.onPresent = hook;
}

void HeadlessWatchPaletteEntry(int index) {
  gHl.watchedEntry = index >= 0 && index < kPaletteSize ? index : -1;
  gHl.watched.clear();
}

const std::vector<PalEntry>& HeadlessWatchedColours() {
  return gHl.watched;
}
