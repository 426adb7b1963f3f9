// Frames, rectangles and the screen update's mapping to the window.
#include "graphics/frame.h"

#include <gtest/gtest.h>

#include "app/presentation.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"

namespace {

using FrameTest = EngineTest;

TEST_F(FrameTest, FramesStartBlackWithTheirHeader) {
  ASSERT_EQ(MemSize(ScreenFrame), kFrameBlockSize);
  ASSERT_EQ(MemSize(BackFrame), kFrameBlockSize);
  const uint8_t* block = MemLock(ScreenFrame);
  EXPECT_EQ(block[0], 40);
  EXPECT_EQ(block[4] | block[5] << 8, 640);
  EXPECT_EQ(block[8] | block[9] << 8, 480);
  EXPECT_EQ(block[14], 8);
  EXPECT_EQ(block[40 + 2 * 235], 235);  // colour table: 0..235 to themselves
  EXPECT_EQ(block[40 + 2 * 240], 0);    // 236..255 to 0
  MemUnlock(ScreenFrame);
  EXPECT_EQ(FramePixel(ScreenFrame, 0, 0), kColourBlack);
  EXPECT_EQ(FramePixel(BackFrame, 639, 479), kColourBlack);
  EXPECT_EQ(MemLockCount(ScreenFrame), 0);
}

TEST_F(FrameTest, FillTakesCornersInAnyOrderAndClipsAtTheFrame) {
  FrameFillRect(BackFrame, 20, 30, 10, 5, 7);
  EXPECT_EQ(FramePixel(BackFrame, 10, 5), 7);
  EXPECT_EQ(FramePixel(BackFrame, 20, 30), 7);
  EXPECT_EQ(FramePixel(BackFrame, 21, 30), kColourBlack);
  FrameFillRect(BackFrame, 600, 450, 700, 500, 9);
  EXPECT_EQ(FramePixel(BackFrame, 639, 479), 9);
  EXPECT_EQ(FramePixel(BackFrame, 599, 479), kColourBlack);
  // The bottom row of the picture is the first row in memory.
  EXPECT_EQ(MemLock(BackFrame)[kFramePixelsOffset + 639], 9);
  MemUnlock(BackFrame);
}

TEST_F(FrameTest, RectExtendLimitsToTheFrame) {
  Rect rect = kEmptyRect;
  RectExtend(rect, 10, 20, 30, 40);
  EXPECT_EQ(rect, (Rect{10, 20, 30, 40}));
  rect = kEmptyRect;
  RectExtend(rect, -5, -5, 700, 500);
  EXPECT_EQ(rect, (Rect{0, 0, 639, 479}));
  RectUnion(rect, Rect{-10, 5, 800, 5});
  EXPECT_EQ(rect, (Rect{-10, 0, 800, 479}));
}

TEST_F(FrameTest, GetAndPutBlockRoundTrip) {
  FrameFillRect(BackFrame, 100, 100, 125, 125, 42);
  FrameFillRect(BackFrame, 110, 110, 112, 112, 43);
  const MemHandle saved = MemAlloc(26 * 26, "cursor buf 1");
  FrameGetBlock(saved, BackFrame, 100, 100, 26, 26);
  RectSet(DirtyRect, 640, 480, 0, 0);
  FramePutBlock(ScreenFrame, saved, 300, 200, 26, 26);
  EXPECT_EQ(FramePixel(ScreenFrame, 300, 200), 42);
  EXPECT_EQ(FramePixel(ScreenFrame, 311, 211), 43);
  EXPECT_EQ(FramePixel(ScreenFrame, 326, 226), kColourBlack);
  EXPECT_EQ(DirtyRect, (Rect{300, 200, 326, 226}));
  // A block reaching past the frame writes only what lies inside.
  FramePutBlock(ScreenFrame, saved, 630, 470, 26, 26);
  EXPECT_EQ(FramePixel(ScreenFrame, 639, 479), 42);
}

TEST_F(FrameTest, CopyRectMovesOnlyTheRectangle) {
  FrameFillRect(BackFrame, 0, 0, 639, 479, 5);
  FrameCopyRect(ScreenFrame, BackFrame, Rect{10, 10, 20, 20});
  EXPECT_EQ(FramePixel(ScreenFrame, 10, 10), 5);
  EXPECT_EQ(FramePixel(ScreenFrame, 21, 20), kColourBlack);
  FrameCopy(ScreenFrame, BackFrame);
  EXPECT_EQ(FramePixel(ScreenFrame, 639, 0), 5);
}

TEST_F(FrameTest, ScreenUpdateMapsToTheClientAndEmptiesTheRectangle) {
  PlatUpdateWindow();
  const int paints = HeadlessPaintCount();
  Rect empty = kEmptyRect;
  ScreenUpdate(empty);
  EXPECT_EQ(HeadlessPaintCount(), paints);

  PlatSendMessage(WM_COMMAND, 40001);  // 320 x 240
  ASSERT_EQ(ClientWidth, 320);
  PlatUpdateWindow();
  FrameFillRect(ScreenFrame, 0, 0, 639, 479, 229);  // white
  Rect all{0, 0, 639, 479};
  ScreenUpdate(all);
  EXPECT_EQ(all, kEmptyRect);
  EXPECT_EQ(HeadlessPaintCount(), paints + 2);
  int width, height;
  HeadlessFrameSize(width, height);
  EXPECT_EQ(width, 320);
  EXPECT_EQ(height, 240);
  EXPECT_EQ(HeadlessPixel(319, 239), 0xFFFFFFu);
}

TEST_F(FrameTest, ClearAndShowCutsToBlack) {
  FrameFillRect(ScreenFrame, 0, 0, 639, 479, 229);
  FrameClearAndShow(ScreenFrame);
  EXPECT_EQ(HeadlessPixel(320, 240), 0u);
}

}  // namespace
