// The engine's window on SDL's offscreen video driver, shared by the painting benchmarks.
#include "bench_window.h"

#include <cstdlib>
#include <ctime>

#include "app/app.h"
#include "app/settings.h"
#include "platform/platform.h"
#include "resources/memory.h"

namespace {

uint64_t gPaints = 0;

// The engine's own window procedure, counting paints.
int64_t CountingWndProc(uint32_t message, uint64_t wParam, int64_t lParam) {
  if (message == WM_PAINT) gPaints++;
  return WndProc(message, wParam, lParam);
}

bool Start() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  PlatOptions options;
  if (!PlatInit(options) || !MemReset()) return false;
  SetDefaults();
  PlatWindowDesc desc;
  desc.sjisTitle = "bench";
  desc.wndProc = CountingWndProc;
  desc.menu = SettingsMenu();
  if (!PlatCreateWindow(desc)) return false;
  PlatShowWindow();
  return true;
}

}  // namespace

bool BenchWindow(int clientWidth, int clientHeight) {
  static const bool started = Start();
  if (!started) return false;
  int width, height;
  PlatAdjustWindowRect(clientWidth, clientHeight, width, height);
  PlatMoveWindow(0, 0, width, height);
  PlatMsg msg;
  while (PlatPeekMessage(msg, true)) PlatSendMessage(msg.message, msg.wParam, msg.lParam);
  return true;
}

uint64_t BenchPaintCount() {
  return gPaints;
}

double BenchCpuMicros() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}
