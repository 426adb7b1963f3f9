// The engine's window on an SDL video driver, shared by the painting benchmarks.
#include "bench_window.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "app/app.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "platform/platform.h"
#include "resources/memory.h"

namespace {

uint64_t gPaints = 0;
bool gStarted = false;
BenchVideo gVideo = BenchVideo::Offscreen;

// The engine's own window procedure, counting paints.
int64_t CountingWndProc(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT) gPaints++;
  return WndProc(message, wParam, lParam);
}

bool Start(BenchVideo video) {
  if (gStarted && gVideo == video) return true;
  PlatShutdown();
  gStarted = false;
  gVideo = video;
  setenv("SDL_VIDEODRIVER", video == BenchVideo::X11 ? "x11" : "offscreen", 1);
  // The size menu stores its choice: keep it away from the user's own settings.
  static const std::string config =
      (std::filesystem::temp_directory_path() / "lntr3-bench-config").string();
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  PlatOptions options;
  if (!PlatInit(options) || !MemReset()) return false;
  SetDefaults();
  PlatWindowDesc desc;
  desc.sjisTitle = "bench";
  desc.wndProc = CountingWndProc;
  desc.menu = SettingsMenu();
  if (!PlatCreateWindow(desc)) return false;
  PlatShowWindow();
  gStarted = true;
  return true;
}

// Handles everything queued (moves, sizes, paints).
void Settle() {
  PlatMsg msg;
  while (PlatPeekMessage(msg, true)) PlatSendMessage(msg.message, msg.wParam, msg.lParam);
}

}  // namespace

bool BenchWindow(int clientWidth, int clientHeight, BenchVideo video) {
  if (!Start(video)) return false;
  if (ScreenMode == kModeFullScreen) PresentModeCommand(kModeStartSize);
  int width, height;
  PlatAdjustWindowRect(clientWidth, clientHeight, width, height);
  PlatMoveWindow(0, 0, width, height);
  Settle();
  return true;
}

bool BenchFullScreen(BenchVideo video) {
  if (!Start(video)) return false;
  PresentModeCommand(kModeFullScreen);
  Settle();
  return ScreenMode == kModeFullScreen;
}

uint64_t BenchPaintCount() {
  return gPaints;
}

double BenchCpuMicros() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}
