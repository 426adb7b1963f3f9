// Show effects through the engine's window on SDL's offscreen video driver at 640 x 480: the
// processor time one step costs (its copy from the back frame and its repaint), to set beside
// the step's pacing interval. The waits between steps sleep, so they add next to nothing.
#include <benchmark/benchmark.h>

#include <random>

#include "app/input.h"
#include "app/settings.h"
#include "bench_window.h"
#include "graphics/frame.h"
#include "graphics/show.h"
#include "resources/memory.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"

namespace {

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

// Runs `effect` once per iteration from a fresh old picture; the iteration's time is the
// processor time per repainted step.
void RunEffect(benchmark::State& state, void (*effect)()) {
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

// 46 steps of 16 rows each, every step repainting only its rows; paced at 20 ms.
void BM_CombStep(benchmark::State& state) {
  RunEffect(state, ShowComb);
}
BENCHMARK(BM_CombStep)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

// 16 passes of scattered pixels, each repainting the whole window; paced at 40 ms.
void BM_DitherPass(benchmark::State& state) {
  RunEffect(state, ShowDither);
}
BENCHMARK(BM_DitherPass)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

// 1200 tiles in random order, repainted 32 at a time; paced at 10 ms.
void BM_RandomTilesStep(benchmark::State& state) {
  RunEffect(state, [] { ScreenShow(2); });
}
BENCHMARK(BM_RandomTilesStep)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

// The old picture pushed out as the new one comes in over 4 s: every step moves and repaints
// the whole frame, as often as the machine allows.
void BM_PushStep(benchmark::State& state) {
  RunEffect(state, [] { ScreenShow(26); });
}
BENCHMARK(BM_PushStep)->UseManualTime()->Iterations(2)->Unit(benchmark::kMicrosecond);

// What a 20 ms pacing wait alone costs in processor time (the message pumping between
// steps), to take off the figures above.
void BM_PacingWait20Ms(benchmark::State& state) {
  if (!BenchWindow(640, 480)) {
    state.SkipWithError("no SDL video");
    return;
  }
  for (auto _ : state) {
    const double cpu = BenchCpuMicros();
    WaitSince(PlatTicks(), 2);
    state.SetIterationTime((BenchCpuMicros() - cpu) / 1e6);
  }
}
BENCHMARK(BM_PacingWait20Ms)->UseManualTime()->Iterations(50)->Unit(benchmark::kMicrosecond);

}  // namespace
