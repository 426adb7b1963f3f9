// Presenting the 8-bit screen frame through the SDL backend: palette conversion, texture
// upload and the scaled copy to a 1280 x 960 client area, beside a memcpy of the output size.
// Runs on SDL's offscreen video driver, so no display is needed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "bench_window.h"
#include "graphics/frame.h"
#include "platform/platform.h"

namespace {

// The window at 1280 x 960 with a palette of distinct colours.
bool StartWindow() {
  if (!BenchWindow(1280, 960)) return false;
  std::vector<PalEntry> palette(kPaletteSize);
  for (int i = 0; i < kPaletteSize; i++) {
    palette[i] = PalEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                          static_cast<uint8_t>(i * 7), PC_RESERVED};
  }
  PlatSetPalette(0, palette);
  return true;
}

std::vector<uint8_t> NoisePicture(uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> pixels(kFramePixelCount);
  for (uint8_t& p : pixels) p = static_cast<uint8_t>(rng() % kPaletteSize);
  return pixels;
}

// A whole new picture each frame: every pixel converted, uploaded and scaled.
void BM_PresentFullFrameAt1280x960(benchmark::State& state) {
  if (!StartWindow()) {
    state.SkipWithError("no SDL video");
    return;
  }
  const std::vector<uint8_t> pictures[2] = {NoisePicture(1), NoisePicture(2)};
  int which = 0;
  for (auto _ : state) {
    PlatInvalidate(nullptr);
    PlatBeginPaint();
    PlatDrawPicture(pictures[which].data(), 0, 480, 0, 0, 1280, 960);
    PlatEndPaint();
    which ^= 1;
  }
  state.SetBytesProcessed(state.iterations() * int64_t{1280} * 960 * 4);
}
BENCHMARK(BM_PresentFullFrameAt1280x960)->Unit(benchmark::kMicrosecond);

// The same picture again: nothing changed, so nothing is converted (the copy still runs).
void BM_PresentUnchangedFrameAt1280x960(benchmark::State& state) {
  if (!StartWindow()) {
    state.SkipWithError("no SDL video");
    return;
  }
  const std::vector<uint8_t> picture = NoisePicture(3);
  for (auto _ : state) {
    PlatInvalidate(nullptr);
    PlatBeginPaint();
    PlatDrawPicture(picture.data(), 0, 480, 0, 0, 1280, 960);
    PlatEndPaint();
  }
}
BENCHMARK(BM_PresentUnchangedFrameAt1280x960)->Unit(benchmark::kMicrosecond);

void BM_MemcpyOf1280x960Argb(benchmark::State& state) {
  std::vector<uint8_t> from(size_t{1280} * 960 * 4, 1), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(from.size()));
}
BENCHMARK(BM_MemcpyOf1280x960Argb)->Unit(benchmark::kMicrosecond);

}  // namespace
