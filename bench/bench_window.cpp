// The engine's window on an SDL video driver, shared by the painting benchmarks.
#include "bench_window.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>

#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "platform/platform.h"
#include "resources/memory.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"

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

// Fills a frame with a noisy gradient over the background colours.
void Paint(MemHandle frame, uint32_t seed) {
  std::mt19937 rng(seed);
  uint8_t* block = MemLock(frame);
  for (int y = 0; y < kFrameHeight; y++) {
    for (int x = 0; x < kFrameWidth; x++) {
      block[FramePixelOffset(x, y)] = static_cast<uint8_t>((x + y + rng() % 8) % 124);
    }
  }
  MemUnlock(frame);
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

void BenchRunEffect(benchmark::State& state, void (*effect)()) {
  if (!BenchWindow(640, 480)) {
    state.SkipWithError("no SDL video");
    return;
  }
  SkipToChoice = 0;
  SpecLow = 0;
  ReadTextFast = 0;
  WeatherMode = 0;
  Paint(BackFrame, 2);
  uint64_t steps = 0;
  double wallMs = 0;
  for (auto _ : state) {
    Paint(ScreenFrame, 1);
    const uint64_t paints = BenchPaintCount();
    const uint32_t start = PlatTicks();
    const double cpu = BenchCpuMicros();
    effect();
    const double used = BenchCpuMicros() - cpu;
    wallMs = PlatTicks() - start;
    steps = BenchPaintCount() - paints;
    state.SetIterationTime(used / static_cast<double>(steps ? steps : 1) / 1e6);
  }
  state.counters["steps"] = static_cast<double>(steps);
  state.counters["effect_ms"] = wallMs;
}
