// Reading what the engine shows: pixels of the screen and back frames, whether a part of the
// screen frame equals the back frame, and how long a call takes on the virtual clock.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/frame.h"
#include "platform/platform.h"
#include "resources/memory.h"

// Pixel (x, y) of a frame, y = 0 the top row.
inline uint8_t FramePixel(MemHandle frame, int x, int y) {
  const uint8_t value = MemLock(frame)[FramePixelOffset(x, y)];
  MemUnlock(frame);
  return value;
}

// All pixels of a frame, in memory order.
inline std::vector<uint8_t> FramePixels(MemHandle frame) {
  const uint8_t* p = MemLock(frame) + kFramePixelsOffset;
  std::vector<uint8_t> pixels(p, p + kFramePixelCount);
  MemUnlock(frame);
  return pixels;
}

// Whether the screen frame equals the back frame in columns x0..x1 of rows y0..y1 (inclusive).
inline bool ScreenShowsBack(int x0 = 0, int y0 = 0, int x1 = kFrameWidth - 1,
                            int y1 = kFrameHeight - 1) {
  const uint8_t* s = MemLock(ScreenFrame);
  const uint8_t* b = MemLock(BackFrame);
  bool same = true;
  for (int y = y0; y <= y1 && same; y++) {
    const uint32_t at = FramePixelOffset(x0, y);
    same = std::memcmp(s + at, b + at, static_cast<size_t>(x1 - x0 + 1)) == 0;
  }
  MemUnlock(BackFrame);
  MemUnlock(ScreenFrame);
  return same;
}

// Virtual milliseconds that `run` takes.
template <typename Run>
uint32_t Duration(Run run) {
  const uint32_t start = PlatTicks();
  run();
  return PlatTicks() - start;
}
