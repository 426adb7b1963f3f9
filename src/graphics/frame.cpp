// Frames, rectangles and the screen update.
#include "graphics/frame.h"

#include <algorithm>
#include <cstring>

#include "app/app.h"
#include "app/presentation.h"
#include "platform/platform.h"

MemHandle ScreenFrame;
MemHandle BackFrame;
Rect DirtyRect;
uint16_t ScreenBusy;

namespace {

void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint8_t* Pixels(uint8_t* block) {
  return block + kFramePixelsOffset;
}

// Locks a frame and answers its pixel area, or nullptr for a handle that holds no frame (then
// nothing is locked and the caller draws nothing).
uint8_t* LockPixels(MemHandle frame) {
  if (MemSize(frame) < kFrameBlockSize) return nullptr;
  return Pixels(MemLock(frame));
}

// Start of row y (top = 0) in a frame's pixel area; rows are stored bottom-up.
uint8_t* Row(uint8_t* pixels, int y) {
  return pixels + static_cast<size_t>(kFrameHeight - 1 - y) * kFrameWidth;
}

}  // namespace

MemHandle FrameCreate(const char* name) {
  const MemHandle frame = MemAlloc(kFrameBlockSize, name);
  if (!frame) return 0;
  uint8_t* block = MemLock(frame);
  uint8_t* header = block + kFrameHeaderOffset;
  PutLe32(header, 40);
  PutLe32(header + 4, kFrameWidth);
  PutLe32(header + 8, kFrameHeight);  // positive: bottom-up
  PutLe16(header + 12, 1);
  PutLe16(header + 14, 8);
  PutLe32(header + 16, 0);
  PutLe32(header + 20, kFramePixelCount);
  std::memset(Pixels(block), kColourBlack, kFramePixelCount);
  MemUnlock(frame);
  FrameResetColourTable(frame);
  return frame;
}

void FrameMapColours(MemHandle frame, int first, int count, uint16_t index) {
  if (MemSize(frame) < kFrameBlockSize) return;
  uint8_t* table = MemLock(frame) + kFrameColourTableOffset;
  for (int i = std::max(first, 0); i < std::min(first + count, 256); i++) {
    PutLe16(table + 2 * i, index);
  }
  MemUnlock(frame);
}

void FrameResetColourTable(MemHandle frame) {
  if (MemSize(frame) < kFrameBlockSize) return;
  uint8_t* table = MemLock(frame) + kFrameColourTableOffset;
  for (int i = 0; i < 256; i++) PutLe16(table + 2 * i, i < kPaletteSize ? i : 0);
  MemUnlock(frame);
}

// [SECTION] Rectangles

void RectSet(Rect& rect, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  rect = {x0, y0, x1, y1};
}

void RectExtend(Rect& rect, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (x0 < rect.x0) rect.x0 = std::max(x0, 0);
  if (y0 < rect.y0) rect.y0 = std::max(y0, 0);
  if (x1 > rect.x1) rect.x1 = std::min(x1, kFrameWidth - 1);
  if (y1 > rect.y1) rect.y1 = std::min(y1, kFrameHeight - 1);
}

void RectUnion(Rect& rect, const Rect& other) {
  rect.x0 = std::min(rect.x0, other.x0);
  rect.y0 = std::min(rect.y0, other.y0);
  rect.x1 = std::max(rect.x1, other.x1);
  rect.y1 = std::max(rect.y1, other.y1);
}

void RectCopy(Rect& dst, const Rect& src) {
  dst = src;
}

bool RectIsEmpty(const Rect& rect) {
  return rect.x1 < rect.x0 || rect.y0 > rect.y1;
}

// [SECTION] Frame operations
// Rectangles are clipped to the frame: a caller's rectangle reaching outside it touches only
// the pixels inside.

void FrameFillRect(MemHandle frame, int16_t x0, int16_t y0, int16_t x1, int16_t y1,
                   uint16_t colour) {
  if (x1 < x0) std::swap(x0, x1);
  if (y1 < y0) std::swap(y0, y1);
  const int left = std::max<int>(x0, 0), top = std::max<int>(y0, 0);
  const int right = std::min<int>(x1, kFrameWidth - 1),
            bottom = std::min<int>(y1, kFrameHeight - 1);
  if (right < left || bottom < top) return;
  uint8_t* pixels = LockPixels(frame);
  if (!pixels) return;
  for (int y = top; y <= bottom; y++) {
    std::memset(Row(pixels, y) + left, static_cast<uint8_t>(colour), right - left + 1);
  }
  MemUnlock(frame);
}

void FrameClear(MemHandle frame) {
  uint8_t* pixels = LockPixels(frame);
  if (!pixels) return;
  std::memset(pixels, kColourBlack, kFramePixelCount);
  MemUnlock(frame);
}

void FrameClearAndShow(MemHandle frame) {
  FrameClear(frame);
  ScreenUpdate();
}

void FrameCopy(MemHandle dst, MemHandle src) {
  if (MemSize(dst) < kFrameBlockSize || MemSize(src) < kFrameBlockSize) return;
  uint8_t* to = LockPixels(dst);
  const uint8_t* from = LockPixels(src);
  std::memmove(to, from, kFramePixelCount);
  MemUnlock(src);
  MemUnlock(dst);
}

void FrameCopyRect(MemHandle dst, MemHandle src, const Rect& rect) {
  const int left = std::max(rect.x0, 0), top = std::max(rect.y0, 0);
  const int right = std::min(rect.x1, kFrameWidth - 1);
  const int bottom = std::min(rect.y1, kFrameHeight - 1);
  if (right < left || bottom < top) return;
  if (MemSize(dst) < kFrameBlockSize || MemSize(src) < kFrameBlockSize) return;
  uint8_t* to = LockPixels(dst);
  const uint8_t* from = LockPixels(src);
  for (int y = top; y <= bottom; y++) {
    std::memmove(Row(to, y) + left, Row(const_cast<uint8_t*>(from), y) + left, right - left + 1);
  }
  MemUnlock(src);
  MemUnlock(dst);
}

namespace {

// Calls copy(frame pixel, block byte) for every pixel of the w x h area at (x, y) that lies
// inside both the frame and a plain block of `capacity` bytes holding the area row by row.
template <typename Copy>
void ForBlockPixels(uint8_t* pixels, uint32_t capacity, int x, int y, int w, int h, Copy copy) {
  for (int row = 0; row < h; row++) {
    const int fy = y + row;
    if (fy < 0 || fy >= kFrameHeight) continue;
    for (int col = 0; col < w; col++) {
      const int fx = x + col;
      const size_t at = static_cast<size_t>(row) * w + col;
      if (fx < 0 || fx >= kFrameWidth || at >= capacity) continue;
      copy(Row(pixels, fy)[fx], at);
    }
  }
}

}  // namespace

void FrameGetBlock(MemHandle dst, MemHandle src, int16_t x, int16_t y, int16_t w, int16_t h) {
  if (w <= 0 || h <= 0 || MemSize(src) < kFrameBlockSize) return;
  uint8_t* to = MemLock(dst);
  ForBlockPixels(LockPixels(src), MemSize(dst), x, y, w, h,
                 [to](uint8_t& pixel, size_t at) { to[at] = pixel; });
  MemUnlock(src);
  MemUnlock(dst);
}

void FramePutBlock(MemHandle dst, MemHandle src, int16_t x, int16_t y, int16_t w, int16_t h) {
  if (w <= 0 || h <= 0 || MemSize(dst) < kFrameBlockSize) return;
  const uint8_t* from = MemLock(src);
  ForBlockPixels(LockPixels(dst), MemSize(src), x, y, w, h,
                 [from](uint8_t& pixel, size_t at) { pixel = from[at]; });
  MemUnlock(src);
  MemUnlock(dst);
  RectExtend(DirtyRect, x, y, x + w, y + h);
}

// [SECTION] Screen update

void ScreenUpdate() {
  PlatInvalidate(nullptr);
  PlatUpdateWindow();
}

void ScreenUpdate(Rect& rect) {
  if (RectIsEmpty(rect)) return;
  const int32_t w = ClientWidth, h = ClientHeight;
  // The far edges reach the last client pixel that shows the corner's picture pixel: at an
  // enlarged size one picture pixel covers several client pixels.
  const auto farEdge = [](int32_t last, int32_t size, int32_t span) {
    return std::max(size * last / span + 1, (size * (last + 1) + span - 1) / span);
  };
  PlatRect client;
  client.left = w * rect.x0 / 640;
  client.right = farEdge(rect.x1, w, 640);
  if (ScreenMode == kModeFullScreen) {
    const int32_t v = MenuBarHeight;
    client.top = (rect.y0 - v) * h / 480;
    client.bottom = farEdge(rect.y1 - v, h, 480);
  } else {
    client.top = h * rect.y0 / 480;
    client.bottom = farEdge(rect.y1, h, 480);
  }
  PlatInvalidate(&client);
  rect = kEmptyRect;
  PlatUpdateWindow();
}
