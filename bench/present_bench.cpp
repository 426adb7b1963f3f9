// Presenting the 8-bit screen frame through the SDL backend: palette conversion, texture
// upload, the scaled copy and the send to the display, as processor time of the whole process
// (a renderer's own threads count), beside a memcpy of a 1280 x 960 frame in the same run.
// The Offscreen cases need no display; the X11 cases run the real window on the display in
// DISPLAY (a virtual one will do: xvfb-run) and are skipped without one.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/presentation.h"
#include "bench_window.h"
#include "graphics/frame.h"
#include "platform/platform.h"

namespace {

constexpr int kBar = 22;  // the menu bar's height in full screen, as the engine places the picture

// Where the frame goes: a window of a size, or full screen.
struct Layout {
  int width, height;  // 0 x 0: full screen
};
constexpr Layout kLayouts[] = {{640, 480}, {1280, 960}, {0, 0}};

// The window in `layout` with a palette of distinct colours.
bool StartWindow(BenchVideo video, const Layout& layout) {
  const bool up =
      layout.width ? BenchWindow(layout.width, layout.height, video) : BenchFullScreen(video);
  if (!up) return false;
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

// One paint of the whole client area, placed as the engine's paint places the frame.
void Paint(const std::vector<uint8_t>& picture, const Layout& layout, const PlatRect* update) {
  PlatInvalidate(update);
  PlatBeginPaint();
  if (layout.width) {
    PlatDrawPicture(picture.data(), 0, 480, 0, 0, layout.width, layout.height);
  } else {
    PlatDrawPicture(picture.data(), kBar, 480 - kBar, 0, 0, 640, 480 - kBar);
  }
  PlatEndPaint();
}

// Times `step` by the processor time of the whole process.
template <typename Step>
void RunCpuTimed(benchmark::State& state, Step step) {
  for (auto _ : state) {
    const double cpu = BenchCpuMicros();
    step();
    state.SetIterationTime((BenchCpuMicros() - cpu) / 1e6);
  }
}

const char* SkipText(BenchVideo video) {
  return video == BenchVideo::X11 ? "no X display (run under xvfb-run)" : "no SDL video";
}

// A whole new picture each frame: every pixel converted, uploaded, scaled and sent.
void BM_PresentFullFrame(benchmark::State& state, BenchVideo video, Layout layout) {
  if (!StartWindow(video, layout)) {
    state.SkipWithError(SkipText(video));
    return;
  }
  const std::vector<uint8_t> pictures[2] = {NoisePicture(1), NoisePicture(2)};
  int which = 0;
  RunCpuTimed(state, [&] {
    Paint(pictures[which], layout, nullptr);
    which ^= 1;
  });
}

// The same picture again: nothing changed, so nothing is converted.
void BM_PresentUnchangedFrame(benchmark::State& state, BenchVideo video, Layout layout) {
  if (!StartWindow(video, layout)) {
    state.SkipWithError(SkipText(video));
    return;
  }
  const std::vector<uint8_t> picture = NoisePicture(3);
  Paint(picture, layout, nullptr);
  RunCpuTimed(state, [&] { Paint(picture, layout, nullptr); });
}

// The click-wait cursor's blink: a 26 x 26 cell of the picture changes and its part of the
// client is repainted, as the message wait does eight times a second.
void BM_PresentCursorBlink(benchmark::State& state, BenchVideo video, Layout layout) {
  if (!StartWindow(video, layout)) {
    state.SkipWithError(SkipText(video));
    return;
  }
  std::vector<uint8_t> pictures[2] = {NoisePicture(4), NoisePicture(4)};
  constexpr int kX = 300, kY = 200, kCell = 26;
  for (int y = kY; y < kY + kCell; y++) {
    std::memset(&pictures[1][static_cast<size_t>(479 - y) * 640 + kX], 7, kCell);
  }
  // The cell's client rectangle, as the engine's screen update computes it.
  const int w = layout.width ? layout.width : 640, h = layout.height ? layout.height : 480;
  const int y0 = layout.width ? kY : kY - kBar;
  const PlatRect cell{w * kX / 640, h * y0 / 480, w * (kX + kCell) / 640 + 1,
                      h * (y0 + kCell) / 480 + 1};
  Paint(pictures[0], layout, nullptr);
  int which = 1;
  RunCpuTimed(state, [&] {
    Paint(pictures[which], layout, &cell);
    which ^= 1;
  });
}

void BM_MemcpyOf1280x960Argb(benchmark::State& state) {
  std::vector<uint8_t> from(size_t{1280} * 960 * 4, 1), to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(from.size()));
}
BENCHMARK(BM_MemcpyOf1280x960Argb)->Unit(benchmark::kMicrosecond);

// Offscreen at 1280 x 960 (no display needed), then the real X11 window at each layout.
void Register() {
  const char* names[] = {"640x480", "1280x960", "FullScreen"};
  const struct {
    const char* name;
    void (*run)(benchmark::State&, BenchVideo, Layout);
  } cases[] = {{"BM_PresentFullFrame", BM_PresentFullFrame},
               {"BM_PresentUnchangedFrame", BM_PresentUnchangedFrame},
               {"BM_PresentCursorBlink", BM_PresentCursorBlink}};
  for (const auto& c : cases) {
    benchmark::RegisterBenchmark((std::string(c.name) + "/Offscreen/1280x960").c_str(), c.run,
                                 BenchVideo::Offscreen, kLayouts[1])
        ->UseManualTime()
        ->Unit(benchmark::kMicrosecond);
  }
  for (const auto& c : cases) {
    for (int i = 0; i < 3; i++) {
      benchmark::RegisterBenchmark((std::string(c.name) + "/X11/" + names[i]).c_str(), c.run,
                                   BenchVideo::X11, kLayouts[i])
          ->UseManualTime()
          ->Unit(benchmark::kMicrosecond);
    }
  }
}
const bool gRegistered = (Register(), true);

}  // namespace
