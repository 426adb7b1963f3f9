// Transitions through the engine's window on SDL's offscreen video driver at 640 x 480: the
// processor time of the whole process per repainted step, to set beside the step's pacing
// interval and beside the plain copy of one picture (BM_Memcpy307200) of the same run.
#include <benchmark/benchmark.h>

#include "bench_window.h"
#include "graphics/transition.h"

namespace {

// 1200 tiles closing in along the spiral, 8 a step, each step repainting only what changed;
// paced at 20 ms.
void BM_HideSpiralStep(benchmark::State& state) {
  BenchRunEffect(state, [] { ScreenHide(1); });
}
BENCHMARK(BM_HideSpiralStep)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

// 640 columns sliding down at random speeds, every step moving pixels one at a time down the
// columns and repainting the whole window; paced at 20 ms.
void BM_HideMeltStep(benchmark::State& state) {
  BenchRunEffect(state, [] { ScreenHide(19); });
}
BENCHMARK(BM_HideMeltStep)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);

}  // namespace
