// What every effect that rewrites the screen frame step by step shares: the busy flag and the
// weather overlay taken off while it works, the two frames locked, the repaint of a step, the
// tile and dither geometry, and the window area the zooms draw into.
#pragma once

#include <cstdint>
#include <cstring>

#include "graphics/frame.h"
#include "platform/platform.h"

// [SECTION] Geometry

// The 40 x 30 grid of 16 x 16 tiles.
constexpr int kTileCols = 40, kTileRows = 30, kTileSize = 16;
constexpr int kTileCount = kTileCols * kTileRows;

struct DitherCell {
  uint8_t x, y;
};
// The position inside a 4 x 4 block that dither pass k fills.
inline constexpr DitherCell DitherOrder[16] = {{0, 3}, {2, 1}, {2, 3}, {0, 1}, {1, 2}, {3, 0},
                                               {3, 2}, {1, 0}, {1, 3}, {3, 1}, {3, 3}, {1, 1},
                                               {0, 2}, {2, 0}, {2, 2}, {0, 0}};

// [SECTION] The effect frame

struct Effect {
  uint8_t* screen;      // the screen frame's block, locked
  const uint8_t* back;  // the back frame's block, locked
  uint8_t weatherMode;  // the weather mode whose overlay was taken off, 0 for none
  bool weather;         // a weather mode was active
};

// [SECTION] Pixel operations
// What a step does to a row or pixel of the screen frame: takes it from the back frame (the
// show effects) or blacks it (the transitions).

// Copies columns x0 .. x0 + width - 1 of row y (0 = top) from back to screen.
inline void CopyRow(const Effect& e, int y, int x0, int width) {
  const uint32_t at = FramePixelOffset(x0, y);
  std::memcpy(e.screen + at, e.back + at, static_cast<size_t>(width));
}

// Copies one pixel from back to screen.
inline void CopyPixel(const Effect& e, int x, int y) {
  const uint32_t at = FramePixelOffset(x, y);
  e.screen[at] = e.back[at];
}

// Row y (0 = top), columns x0 .. x0 + width - 1, in black.
inline void BlackRow(const Effect& e, int y, int x0, int width) {
  std::memset(e.screen + FramePixelOffset(x0, y), kColourBlack, static_cast<size_t>(width));
}

// One pixel in black.
inline void BlackPixel(const Effect& e, int x, int y) {
  e.screen[FramePixelOffset(x, y)] = kColourBlack;
}

// [SECTION] Opening and closing

// Marks the screen busy, takes the overlay off and locks both frames.
Effect EffectBegin();
// Unlocks the frames, puts the overlay back and clears the busy flag.
void EffectEnd(const Effect& e);
// Repaints a step: DirtyRect without weather, the whole window with the overlay on otherwise.
void RepaintDirty(const Effect& e);
// Repaints the whole window for a step, with the overlay on while it is painted.
void RepaintWhole(const Effect& e);
// Whether every repaint is a full colour conversion (the effects that halve their pace).
bool DeepDisplay();
// The client area a zoom stretches the picture over: in full screen the picture's top rows lie
// under the menu bar.
PlatRect ZoomClientRect();
