// The engine's window on SDL's offscreen video driver, for benchmarks that paint: started once
// per process with the engine's frames, palette and window procedure.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

// Starts the window on first use and sets its client size; false without SDL video.
bool BenchWindow(int clientWidth, int clientHeight);
// Paint messages the window has handled so far.
uint64_t BenchPaintCount();
// Processor time of this process in microseconds.
double BenchCpuMicros();

// Runs `effect` once per iteration over a fresh old picture (a noisy gradient) with the back
// frame holding another; the iteration's time is the processor time per repainted step
// (counters: `steps`, and `effect_ms`, the effect's length by the clock).
void BenchRunEffect(benchmark::State& state, void (*effect)());
