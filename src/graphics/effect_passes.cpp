// The walks over the screen frame shared by the show effects and the transitions.
#include "graphics/effect_passes.h"

#include <algorithm>

#include "app/input.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "platform/platform.h"

namespace {

void PutPixel(const Effect& e, PixelOp op, int x, int y) {
  if (op == PixelOp::Copy) {
    CopyPixel(e, x, y);
  } else {
    BlackPixel(e, x, y);
  }
}

void PutRow(const Effect& e, PixelOp op, int y, int x0, int width) {
  if (op == PixelOp::Copy) {
    CopyRow(e, y, x0, width);
  } else {
    BlackRow(e, y, x0, width);
  }
}

}  // namespace

// [SECTION] Columns, dither and lines

void ColumnComb(const Effect& e, PixelOp op) {
  for (int j = 0; j < 56; j++) {
    const uint32_t start = PlatTicks();
    DirtyRect = kEmptyRect;
    for (int m = 0; m < 16; m++) {
      const int x = 16 * j - 15 * m;
      if (x < 0 || x >= kFrameWidth) continue;
      for (int y = 0; y < kFrameHeight; y++) PutPixel(e, op, x, y);
      RectExtend(DirtyRect, x, 0, x + 1, kFrameHeight);
    }
    RepaintDirty(e);
    WaitSince(start, 2);
  }
}

void DitherSweep(const Effect& e, PixelOp op) {
  for (int j = 0; j < 56; j++) {
    const uint32_t start = PlatTicks();
    DirtyRect = kEmptyRect;
    for (int m = 0; m < 16; m++) {
      const int x0 = 16 * j - 16 * m;
      if (x0 < 0 || x0 >= kFrameWidth) continue;
      const DitherCell cell = DitherOrder[m];
      for (int y = cell.y; y < kFrameHeight; y += 4) {
        for (int x = x0 + cell.x; x < x0 + 16; x += 4) PutPixel(e, op, x, y);
      }
      RectExtend(DirtyRect, x0, 0, x0 + 16, kFrameHeight);
    }
    RepaintDirty(e);
    WaitSince(start, 2);
  }
}

void ColumnBlinds(const Effect& e, PixelOp op) {
  const bool deep = DeepDisplay();
  uint32_t start = PlatTicks();
  for (int k = 0; k < 16; k++) {
    if (!deep) start = PlatTicks();
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = k; x < kFrameWidth; x += 16) PutPixel(e, op, x, y);
    }
    if (deep && k % 2 == 0) continue;
    RepaintWhole(e);
    WaitSince(start, 4);
    start = PlatTicks();
  }
}

void RandomLines(const Effect& e, PixelOp op) {
  constexpr int kBands = 16, kBandRows = 30;
  bool taken[kFrameHeight] = {};
  for (int step = 0; step < kBandRows; step++) {
    const uint32_t start = PlatTicks();
    for (int band = 0; band < kBands; band++) {
      int row = Random(2) * kBandRows / 256;
      while (taken[band * kBandRows + row]) row = (row + 1) % kBandRows;
      taken[band * kBandRows + row] = true;
      PutRow(e, op, band * kBandRows + row, 0, kFrameWidth);
    }
    RepaintWhole(e);
    WaitSince(start, 4);
  }
}

// [SECTION] Timed shapes

void StretchFrames(const Effect& e, uint32_t durationMs, bool closing) {
  uint8_t* screen = e.screen + kFramePixelsOffset;  // bottom row first
  const uint8_t* back = e.back + kFramePixelsOffset;
  const uint32_t start = PlatTicks();
  int last = -1;
  for (;;) {
    const uint32_t t = std::min(ElapsedSince(start), durationMs);
    const int level = static_cast<int>(16 * (closing ? durationMs - t : t) / durationMs);
    if (level != last) {
      last = level;
      const int h = 30 * level, below = (kFrameHeight - h) / 2;
      for (int r = 0; r < kFrameHeight; r++) {
        uint8_t* to = screen + r * kFrameWidth;
        if (r < below || r >= below + h) {
          std::memset(to, kColourBlack, kFrameWidth);
        } else {
          std::memcpy(to, back + (r - below) * kFrameHeight / h * kFrameWidth, kFrameWidth);
        }
      }
      RepaintWhole(e);
    }
    if (t >= durationMs) break;
    PlatIdle();
  }
}

void ZoomFrames(const Effect& e, bool away, bool withWeather) {
  constexpr uint32_t kZoomMs = 1200;
  const bool deep = DeepDisplay(), overlay = withWeather && e.weather;
  const PlatRect client = ZoomClientRect();
  const uint32_t begin = PlatTicks();
  for (bool last = false; !last;) {
    const uint32_t start = PlatTicks();
    const uint32_t t = std::min(ElapsedSince(begin), kZoomMs);
    last = t == kZoomMs;
    // The margin left off each side of the frame, by the time it stands for.
    const uint32_t margin = away ? t : kZoomMs - t;
    const int x = static_cast<int>(margin * 320 / kZoomMs);
    const int y = static_cast<int>(margin * 240 / kZoomMs);
    const int level = static_cast<int>((kZoomMs - margin) * PaletteLevels / kZoomMs);
    if (deep) {
      PalApplyUnpainted(level);
    } else {
      PalApply(level, 0);
    }
    if (overlay) WeatherOverlayOn(e.weatherMode);
    PlatStretchPicture(e.screen + kFramePixelsOffset,
                       PlatRect{x, y, kFrameWidth - x, kFrameHeight - y}, client,
                       e.screen + kFrameColourTableOffset);
    if (!last) WaitSince(start, 2);
    if (overlay) WeatherOverlayOff();
  }
}
