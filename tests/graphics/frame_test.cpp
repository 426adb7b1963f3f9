// Frame blocks and the screen update's mapping to the window.
#include "graphics/frame.h"

#include <gtest/gtest.h>

#include "app/presentation.h"
#include "support/engine_fixture.h"
#include "support/frame_probe.h"

namespace {

using FrameTest = EngineTest;

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

TEST_F(FrameTest, ScreenUpdateMapsToTheClientAndEmptiesTheRectangle) {
  PlatSendMessage(WM_COMMAND, 40001);  // 320 x 240
  ASSERT_EQ(ClientWidth, 320);
  PlatUpdateWindow();
  const int paints = HeadlessPaintCount();
  FrameFillRect(ScreenFrame, 0, 0, 639, 479, 229);  // white
  Rect all{0, 0, 639, 479};
  ScreenUpdate(all);
  EXPECT_EQ(all, kEmptyRect);
  EXPECT_EQ(HeadlessPaintCount(), paints + 1);
  EXPECT_EQ(HeadlessPixel(319, 239), 0xFFFFFFu);
  // Clearing and showing cuts to black.
  FrameClearAndShow(ScreenFrame);
  EXPECT_EQ(HeadlessPixel(160, 120), 0u);
}

TEST_F(FrameTest, AnUpdateRepaintsAllThatItsRectangleShowsAtEveryWindowSize) {
  uint8_t colour = kColourBlack;
  for (uint16_t command = kModeFullScreen; command <= kModeLastSize; command++) {
    PlatSendMessage(WM_COMMAND, command);
    if (ScreenMode != command) continue;  // larger than the display
    ScreenUpdate();
    colour = colour == kColourBlack ? 229 : kColourBlack;  // white and black by turns
    FrameFillRect(ScreenFrame, 500, 400, 525, 425, colour);
    Rect cell{500, 400, 525, 425};
    ScreenUpdate(cell);
    const std::vector<uint8_t> updated = HeadlessLastFrame();
    ScreenUpdate();
    EXPECT_TRUE(updated == HeadlessLastFrame()) << ClientWidth << " x " << ClientHeight;
  }
}

}  // namespace
