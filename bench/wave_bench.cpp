// The wave displays through the engine's window on SDL's offscreen video driver at 640 x 480:
// the processor time one frame costs (480 rows moved, one step of the text, the whole window
// repainted through the text's colour table), to set beside the frame's 10 ms pacing.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "bench_window.h"
#include "resources/memory.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "scenario/wave_message.h"

namespace {

// A font whose every glyph is a box, and a message of 40 characters: 41 frames of typing, one
// more as the text goes. The window comes first: starting it resets the memory table.
bool Prepare(benchmark::State& state) {
  if (!BenchWindow(640, 480)) {
    state.SkipWithError("no SDL video");
    return false;
  }
  if (MemSize(FontBlock) == 0) {
    FontBlock = MemAlloc(0x200 * kGlyphBytes, "KNJ_ALL.KNJ");
    uint8_t* font = MemLock(FontBlock);
    for (uint32_t i = 0; i < 0x200 * kGlyphBytes; i++) font[i] = i % 3 == 1 ? 0x7E : 0x3C;
    MemUnlock(FontBlock);
    FontBytes = 0x200 * kGlyphBytes;
  }
  if (MemSize(MessageData) == 0) {
    std::vector<uint8_t> block(2 + 2 * 256, 0);
    block[2] = static_cast<uint8_t>(block.size());
    block[3] = static_cast<uint8_t>(block.size() >> 8);
    for (int i = 0; i < 40; i++) block.insert(block.end(), {0x00, static_cast<uint8_t>(0x40 + i)});
    block.push_back(0xAF);
    MessageData = MemAlloc(static_cast<uint32_t>(block.size()), "MESSAGE DATA");
    std::copy(block.begin(), block.end(), MemLock(MessageData));
    MemUnlock(MessageData);
    CurrentScenario = 0x59;
  }
  return true;
}

void BM_WaveFrame(benchmark::State& state) {
  if (Prepare(state)) BenchRunEffect(state, [] { WaveMessage(0, 0, 0); });
}
BENCHMARK(BM_WaveFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

void BM_RippleFrame(benchmark::State& state) {
  if (Prepare(state)) BenchRunEffect(state, [] { RippleMessage(0, 0, 0); });
}
BENCHMARK(BM_RippleFrame)->UseManualTime()->Iterations(5)->Unit(benchmark::kMicrosecond);

}  // namespace
