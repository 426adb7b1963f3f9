// Decoding speed of packed blocks and TZ2 pictures, each beside a plain memcpy of the same
// output size so the figures read as a ratio on any machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/frame.h"
#include "resources/lzss.h"
#include "resources/tz2.h"

namespace {

// A background-like 640 x 480 picture: a diagonal gradient over 200 colours with dithering
// noise, a few filled circles and rectangles, a band of fine stripes.
std::vector<uint8_t> BackgroundPixels() {
  std::mt19937 rng(1998);
  std::vector<uint8_t> pixels(kFramePixelCount);
  for (int y = 0; y < kFrameHeight; y++) {
    for (int x = 0; x < kFrameWidth; x++) {
      int v = (x + 2 * y) * 120 / (kFrameWidth + 2 * kFrameHeight);
      if (rng() % 4 == 0) v += static_cast<int>(rng() % 3) - 1;
      pixels[y * kFrameWidth + x] = static_cast<uint8_t>(std::clamp(v, 0, 123));
    }
  }
  for (int c = 0; c < 12; c++) {
    const int cx = static_cast<int>(rng() % 640), cy = static_cast<int>(rng() % 480);
    const int r = 10 + static_cast<int>(rng() % 60);
    const auto colour = static_cast<uint8_t>(124 + rng() % 76);
    for (int y = std::max(0, cy - r); y < std::min(480, cy + r); y++) {
      for (int x = std::max(0, cx - r); x < std::min(640, cx + r); x++) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r) pixels[y * 640 + x] = colour;
      }
    }
  }
  for (int y = 300; y < 340; y++) {
    for (int x = 0; x < 640; x++) pixels[y * 640 + x] = static_cast<uint8_t>(200 + (x / 3) % 5);
  }
  return pixels;
}

std::vector<PalEntry> BenchColours() {
  std::vector<PalEntry> colours(205);
  for (size_t i = 0; i < colours.size(); i++) {
    colours[i] = PalEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 90, 0};
  }
  return colours;
}

const std::vector<uint8_t>& PictureFile() {
  static const std::vector<uint8_t> file = [] {
    const std::vector<uint8_t> pixels = BackgroundPixels();
    const std::vector<PalEntry> colours = BenchColours();
    return Tz2Encode(Tz2Picture{pixels, 640, 480, colours});
  }();
  return file;
}

void BM_Memcpy307200(benchmark::State& state) {
  std::vector<uint8_t> src = BackgroundPixels(), dst(kFramePixelCount);
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFramePixelCount);
}
BENCHMARK(BM_Memcpy307200);

void BM_Tz2Decode640x480(benchmark::State& state) {
  const std::vector<uint8_t>& file = PictureFile();
  std::vector<uint8_t> frame(kFramePixelCount);
  std::vector<PalEntry> palette(kPaletteSize);
  for (auto _ : state) {
    const PicError e = Tz2DecodeQuiet(frame, palette, file, 640, 480, 0, 0, -1, 0, true);
    benchmark::DoNotOptimize(e);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFramePixelCount);
  state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_Tz2Decode640x480);

void BM_Tz2DecodeTransparentOffset(benchmark::State& state) {
  // A sprite-like draw: transparency test and colour offset on every pixel.
  const std::vector<uint8_t>& file = PictureFile();
  std::vector<uint8_t> frame(kFramePixelCount);
  std::vector<PalEntry> palette(kPaletteSize);
  for (auto _ : state) {
    const PicError e = Tz2DecodeQuiet(frame, palette, file, 640, 480, 0, 0, 0, 30, true);
    benchmark::DoNotOptimize(e);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFramePixelCount);
}
BENCHMARK(BM_Tz2DecodeTransparentOffset);

void BM_LzssUnpack307200(benchmark::State& state) {
  const std::vector<uint8_t> block = LzssPack(BackgroundPixels());
  std::vector<uint8_t> out(kFramePixelCount);
  for (auto _ : state) {
    benchmark::DoNotOptimize(LzssUnpack(out, block));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFramePixelCount);
  state.counters["block_bytes"] = static_cast<double>(block.size());
}
BENCHMARK(BM_LzssUnpack307200);

void BM_LzssPack307200(benchmark::State& state) {
  const std::vector<uint8_t> pixels = BackgroundPixels();
  for (auto _ : state) benchmark::DoNotOptimize(LzssPack(pixels));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFramePixelCount);
}
BENCHMARK(BM_LzssPack307200);

}  // namespace

BENCHMARK_MAIN();
