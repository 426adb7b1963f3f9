// The two 640 x 480 frames (screen and back), the rectangle type, the dirty rectangle and the
// screen update that repaints what changed.
#pragma once

#include <cstdint>

#include "resources/memory.h"

// [SECTION] Frame layout
// A frame is one memory block holding a bottom-up 8-bit bitmap: a 40-byte header, a 1024-byte
// colour table (256 16-bit palette indices, then unused bytes), the pixels, and spare bytes.
constexpr int kFrameWidth = 640;
constexpr int kFrameHeight = 480;
constexpr uint32_t kFramePixelCount = kFrameWidth * kFrameHeight;  // 307200
constexpr uint32_t kFrameHeaderOffset = 0;
constexpr uint32_t kFrameColourTableOffset = 40;
constexpr uint32_t kFramePixelsOffset = 1064;
constexpr uint32_t kFrameBlockSize = 310824;
constexpr uint8_t kColourBlack = 228;  // the colour of a cleared frame

// Offset in the block of pixel (x, y), y = 0 being the top row of the picture.
constexpr uint32_t FramePixelOffset(int x, int y) {
  return kFramePixelsOffset + static_cast<uint32_t>((kFrameHeight - 1 - y) * kFrameWidth + x);
}

// The screen frame "VmemDIB" (what the window shows) and the back frame "VbufDIB" (where scenes
// are composed). Made by the window's creation handler, freed by ExitGame.
extern MemHandle ScreenFrame;
extern MemHandle BackFrame;

// Makes a frame block: header, identity colour table, every pixel black.
MemHandle FrameCreate(const char* name);
// The colour table says which palette entry each pixel value shows; the window draws the
// screen frame through it. Points the values first .. first + count - 1 at entry `index`.
void FrameMapColours(MemHandle frame, int first, int count, uint16_t index);
// Back to the table a frame is made with: 0..235 show their own entry, 236..255 entry 0.
void FrameResetColourTable(MemHandle frame);

// [SECTION] Rectangles
// Inclusive corners in frame pixels; empty when x1 < x0 or y0 > y1.
struct Rect {
  int32_t x0, y0, x1, y1;
  bool operator==(const Rect&) const = default;
};
constexpr Rect kEmptyRect{640, 480, 0, 0};

// What changed on the screen frame since the last screen update.
extern Rect DirtyRect;

void RectSet(Rect& rect, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Widens rect to cover the given corners, limited to the frame.
void RectExtend(Rect& rect, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Widens rect to cover other, without limit.
void RectUnion(Rect& rect, const Rect& other);
void RectCopy(Rect& dst, const Rect& src);
bool RectIsEmpty(const Rect& rect);

// [SECTION] Frame operations
// Each locks the frames it touches for its own duration.

void FrameFillRect(MemHandle frame, int16_t x0, int16_t y0, int16_t x1, int16_t y1,
                   uint16_t colour);
void FrameClear(MemHandle frame);
// Clears the frame and repaints the whole window at once.
void FrameClearAndShow(MemHandle frame);
void FrameCopy(MemHandle dst, MemHandle src);
void FrameCopyRect(MemHandle dst, MemHandle src, const Rect& rect);
// Copies a w x h area into a plain block (rows top first, no gaps) and back.
void FrameGetBlock(MemHandle dst, MemHandle src, int16_t x, int16_t y, int16_t w, int16_t h);
void FramePutBlock(MemHandle dst, MemHandle src, int16_t x, int16_t y, int16_t w, int16_t h);

// Repaints the whole window now.
void ScreenUpdate();
// Repaints the part of the window showing rect now, then empties rect; nothing when rect is empty.
void ScreenUpdate(Rect& rect);

// Set by drawing code while it rewrites the screen frame; the timer's overlay step and the
// overlay menu command keep out meanwhile.
extern uint16_t ScreenBusy;
