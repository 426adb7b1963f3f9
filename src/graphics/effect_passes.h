// The walks over the screen frame that a show effect and the transition of the same number
// share, step for step, wait for wait and repaint for repaint: the show takes each pixel it
// reaches from the back frame, the transition blacks it. Each runs inside an effect frame its
// caller has opened (and closes after whatever else it does).
#pragma once

#include <cstdint>

#include "graphics/effect_frame.h"

// What a walk does to the pixels it reaches.
enum class PixelOp : uint8_t {
  Copy,   // CopyPixel, CopyRow
  Black,  // BlackPixel, BlackRow
};

// Vertical comb: step j of 56 takes whole columns 16j - 15m, m = 0..15, 20 ms a step (mode 7).
void ColumnComb(const Effect& e, PixelOp op);
// A soft dithered edge 256 pixels wide sweeping from left to right: at step j of 56 the band of
// 16 columns from 16j - 16m gets dither pass m, 20 ms a step (mode 8).
void DitherSweep(const Effect& e, PixelOp op);
// Blinds: pass k of 16 takes every column whose x mod 16 is k, 40 ms a pass; a deep display
// repaints the odd passes only, 80 ms each (mode 10).
void ColumnBlinds(const Effect& e, PixelOp op);
// Random lines: each of 16 bands of 30 rows takes one row it has not taken yet a step, 40 ms a
// step for 30 steps (mode 18).
void RandomLines(const Effect& e, PixelOp op);

// The back frame squeezed vertically about the centre line with black above and below it, in
// 16 heights over `durationMs`, without pumping: opening from the line to the whole frame, or
// closing from the whole frame to the line (mode 9).
void StretchFrames(const Effect& e, uint32_t durationMs, bool closing);
// The screen frame stretched straight into the window over 1200 ms (mode 30): zooming in, from
// its centre point out to the whole frame while the colours rise from black; zooming away, from
// the whole frame in to its centre while they fall to black. `withWeather` shows the weather
// overlay, when there is one, over each frame drawn.
void ZoomFrames(const Effect& e, bool away, bool withWeather);
