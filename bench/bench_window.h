// The engine's window for benchmarks that paint: started on first use with the engine's
// frames, palette and window procedure, on SDL's offscreen video driver (no display needed) or
// on the real X11 driver (a display, such as a virtual one, is needed).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>

enum class BenchVideo { Offscreen, X11 };

// Starts the window (again, when it runs on the other driver) and sets its client size; false
// without SDL video or, for X11, without a display.
bool BenchWindow(int clientWidth, int clientHeight, BenchVideo video = BenchVideo::Offscreen);
// The same window in full screen, as the size menu's Full Screen puts it.
bool BenchFullScreen(BenchVideo video);
// Paint messages the window has handled so far.
uint64_t BenchPaintCount();
// Processor time of this whole process (every thread) in microseconds.
double BenchCpuMicros();

// Runs `effect` once per iteration over a fresh old picture (a noisy gradient) with the back
// frame holding another; the iteration's time is the processor time per repainted step
// (counters: `steps`, and `effect_ms`, the effect's length by the clock).
void BenchRunEffect(benchmark::State& state, void (*effect)());
