// Show effects through the engine's window on SDL's offscreen video driver at 640 x 480: the
// processor time one step costs (its copy from the back frame and its repaint), to set beside
// the step's pacing interval. The waits between steps sleep, so they add next to nothing.
#include <benchmark/benchmark.h>

#include "app/input.h"
#include "bench_window.h"
#include "graphics/show.h"
#include "platform/platform.h"

namespace {

// 46 steps of 16 rows each, every step repainting only its rows; paced at 20 ms.
void BM_CombStep(benchmark::State& state) {
  BenchRunEffect(state, ShowComb);
}
BENCHMARK(BM_CombStep)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

// 16 passes of scattered pixels, each repainting the whole window; paced at 40 ms.
void BM_DitherPass(benchmark::State& state) {
  BenchRunEffect(state, ShowDither);
}
BENCHMARK(BM_DitherPass)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

// 1200 tiles in random order, repainted 32 at a time; paced at 10 ms.
void BM_RandomTilesStep(benchmark::State& state) {
  BenchRunEffect(state, [] { ScreenShow(2); });
}
BENCHMARK(BM_RandomTilesStep)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

// The old picture pushed out as the new one comes in over 4 s: every step moves and repaints
// the whole frame, as often as the machine allows.
void BM_PushStep(benchmark::State& state) {
  BenchRunEffect(state, [] { ScreenShow(26); });
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
