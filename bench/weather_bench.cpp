// The weather overlay through the engine's window on SDL's offscreen video driver at 640 x 480:
// the processor time of the whole process for one step (particles off, moved, on, and the
// repaint of what they touched), to set beside the timer's 80 ms, and a copy of one frame in
// the same run as the yardstick.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "app/app.h"
#include "app/settings.h"
#include "bench_window.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "resources/memory.h"
#include "scenario/game_state.h"

namespace {

constexpr int kStepsPerIteration = 100;

// A full-screen scene: a noisy gradient over the background colours, a character's colours in
// the middle third.
void PaintScene(MemHandle frame) {
  std::mt19937 rng(7);
  uint8_t* block = MemLock(frame);
  for (int y = 0; y < kFrameHeight; y++) {
    for (int x = 0; x < kFrameWidth; x++) {
      const bool figure = x >= 220 && x < 420 && y >= 120;
      block[FramePixelOffset(x, y)] =
          static_cast<uint8_t>(figure ? 124 + (x + y) % 48 : (x + y + rng() % 8) % 124);
    }
  }
  MemUnlock(frame);
}

// Runs 100 steps of `mode` per iteration, each timed as processor time of the process. With
// `busy` the steps leave the repaint to the operation that holds the screen (and move the
// particles at most every 80 ms): the overlay's own work alone.
void RunWeather(benchmark::State& state, uint8_t mode, bool busy = false) {
  if (!BenchWindow(640, 480)) {
    state.SkipWithError("no SDL video");
    return;
  }
  if (!WeatherBuffer) WeatherBuffer = MemAlloc(kWeatherBufferSize, "WEATHER BUF");
  WeatherOn = 1;
  ScreenBusy = 0;
  PaintScene(ScreenFrame);
  ScreenUpdate();
  WeatherMode = 0;
  WeatherSet(mode);
  ScreenBusy = busy ? 1 : 0;
  const uint64_t paints = BenchPaintCount();
  for (auto _ : state) {
    const double cpu = BenchCpuMicros();
    for (int i = 0; i < kStepsPerIteration; i++) WeatherStep();
    state.SetIterationTime((BenchCpuMicros() - cpu) / kStepsPerIteration / 1e6);
  }
  state.counters["paints_per_step"] = static_cast<double>(BenchPaintCount() - paints) /
                                      static_cast<double>(state.iterations() * kStepsPerIteration);
  ScreenBusy = 0;
  WeatherOverlayOff();
}

void BM_WeatherRainStep(benchmark::State& state) {
  RunWeather(state, WeatherRain);
}
BENCHMARK(BM_WeatherRainStep)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

void BM_WeatherPetalStep(benchmark::State& state) {
  RunWeather(state, WeatherPetals);
}
BENCHMARK(BM_WeatherPetalStep)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

// The overlay's own work, without the repaint.
void BM_WeatherRainStepUnpainted(benchmark::State& state) {
  RunWeather(state, WeatherRain, true);
}
BENCHMARK(BM_WeatherRainStepUnpainted)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

void BM_WeatherPetalStepUnpainted(benchmark::State& state) {
  RunWeather(state, WeatherPetals, true);
}
BENCHMARK(BM_WeatherPetalStepUnpainted)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

// A repaint of one changed pixel: what any repaint costs on this window, whatever changed.
void BM_WeatherYardstickRepaintOnePixel(benchmark::State& state) {
  if (!BenchWindow(640, 480)) {
    state.SkipWithError("no SDL video");
    return;
  }
  for (auto _ : state) {
    const double cpu = BenchCpuMicros();
    for (int i = 0; i < kStepsPerIteration; i++) {
      FrameFillRect(ScreenFrame, 10, 10, 10, 10, static_cast<uint16_t>(i % 100));
      Rect pixel{10, 10, 10, 10};
      ScreenUpdate(pixel);
    }
    state.SetIterationTime((BenchCpuMicros() - cpu) / kStepsPerIteration / 1e6);
  }
}
BENCHMARK(BM_WeatherYardstickRepaintOnePixel)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

// The yardstick, measured the same way: one copy of a 640 x 480 frame.
void BM_WeatherYardstickFrameCopy(benchmark::State& state) {
  std::vector<uint8_t> from(kFramePixelCount, 3), to(kFramePixelCount);
  for (auto _ : state) {
    const double cpu = BenchCpuMicros();
    for (int i = 0; i < kStepsPerIteration; i++) {
      from[i] = static_cast<uint8_t>(i);
      std::memcpy(to.data(), from.data(), kFramePixelCount);
      benchmark::DoNotOptimize(to.data());
    }
    state.SetIterationTime((BenchCpuMicros() - cpu) / kStepsPerIteration / 1e6);
  }
}
BENCHMARK(BM_WeatherYardstickFrameCopy)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
