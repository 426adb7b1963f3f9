// Window sizes, the size menu, full screen and display changes.
#include "app/presentation.h"

#include <gtest/gtest.h>

#include "app/input.h"
#include "graphics/frame.h"
#include "support/engine_fixture.h"

namespace {

using PresentationTest = EngineTest;

void PumpQueued() {
  for (int i = 0; i < 20; i++) PumpMessages();
}

TEST_F(PresentationTest, SizesLargerThanTheDesktopAreGreyed) {
  HeadlessConfig config;
  config.desktopWidth = 1024;
  config.desktopHeight = 768;
  StartEngine(config);
  EXPECT_TRUE(PlatMenuIsEnabled(40006));   // 1024x768 fits exactly
  EXPECT_FALSE(PlatMenuIsEnabled(40007));  // 1280x960
  EXPECT_FALSE(PlatMenuIsEnabled(40008));  // 1600x1200
  EXPECT_FALSE(PlatMenuIsEnabled(40030));  // skip, until a scenario is loaded
  EXPECT_TRUE(PlatMenuIsChecked(40003));
  // A size that does not fit only stores the settings.
  PlatSendMessage(WM_COMMAND, 40007);
  EXPECT_EQ(ScreenMode, 40003);
  EXPECT_EQ(HeadlessSettings().at("ScreenSize"), "3");
}

TEST_F(PresentationTest, EachSizeCommandSizesTheClientAndIsStored) {
  for (uint16_t command = 40001; command <= 40007; command++) {
    PlatSendMessage(WM_COMMAND, command);
    const WindowSize size = WindowSizeTable[command - 40001];
    EXPECT_EQ(ScreenMode, command);
    EXPECT_EQ(ClientWidth, size.width);
    EXPECT_EQ(ClientHeight, size.height);
    EXPECT_TRUE(PlatMenuIsChecked(command));
    EXPECT_FALSE(PlatMenuIsChecked(40003 == command ? 40004 : 40003));
    EXPECT_EQ(HeadlessSettings().at("ScreenSize"), std::to_string(command - 40000));
    PlatUpdateWindow();
    int width, height;
    HeadlessFrameSize(width, height);
    EXPECT_EQ(width, size.width);
  }
}

TEST_F(PresentationTest, AnOddSizeIsModeOtherAndMarksNothing) {
  PlatMoveWindow(0, 0, 700, 500);
  EXPECT_EQ(ScreenMode, kModeOtherSize);
  EXPECT_EQ(ClientWidth, 700 - 6);
  PresentCheckSizeItems();
  for (uint16_t id = 40000; id <= 40008; id++) EXPECT_FALSE(PlatMenuIsChecked(id)) << id;
}

TEST_F(PresentationTest, FullScreenAndBackOnDeactivation) {
  PlatSendMessage(WM_COMMAND, kModeFullScreen);
  EXPECT_EQ(ScreenMode, kModeFullScreen);
  EXPECT_EQ(ClientWidth, 640);
  EXPECT_EQ(MenuBarShown, 0);
  EXPECT_FALSE(HeadlessCursorVisible());
  EXPECT_EQ(HeadlessSettings().at("ScreenSize"), "0");
  // Mouse positions become picture positions.
  WndProc(WM_MOUSEMOVE, 0, PlatMakeLParam(10, 100));
  EXPECT_EQ(MouseY, 100 + MenuBarHeight);
  // The pointer over the menu strip shows the bar, back over the picture hides it.
  PlatSendMessage(WM_NCHITTEST, 0, PlatMakeLParam(10, -2));
  EXPECT_EQ(MenuBarShown, 1);
  EXPECT_TRUE(HeadlessCursorVisible());
  PlatSendMessage(WM_NCHITTEST, 0, PlatMakeLParam(10, 50));
  EXPECT_EQ(MenuBarShown, 0);

  HeadlessSetFocus(false);
  PumpQueued();
  EXPECT_EQ(ScreenMode, kModeStartSize);
  EXPECT_EQ(ClientWidth, 640);
  EXPECT_TRUE(HeadlessCursorVisible());
  HeadlessSetFocus(true);
  PumpQueued();
}

TEST_F(PresentationTest, FullScreenIsNotEnteredWhenTheDisplayRefuses) {
  HeadlessConfig config;
  config.modeTestResult = DISP_CHANGE_FAILED;
  StartEngine(config);
  PlatSendMessage(WM_COMMAND, kModeFullScreen);
  EXPECT_EQ(ScreenMode, kModeStartSize);
  EXPECT_EQ(ModeBeforeFullScreen, kModeOtherSize);
}

TEST_F(PresentationTest, NoFullScreenItemWithoutA640x480Mode) {
  HeadlessConfig config;
  config.has640x480 = false;
  StartEngine(config);
  EXPECT_FALSE(PlatMenuIsEnabled(kModeFullScreen));
}

TEST_F(PresentationTest, FullScreenPaintsThePictureOneToOne) {
  FrameFillRect(ScreenFrame, 0, 0, 639, 479, 229);
  FrameFillRect(ScreenFrame, 0, MenuBarHeight, 639, MenuBarHeight, 232);  // red row
  PlatSendMessage(WM_COMMAND, kModeFullScreen);
  ScreenUpdate();
  // Picture row MenuBarHeight is client row 0.
  EXPECT_EQ(HeadlessPixel(5, 0), 0xFF0000u);
  EXPECT_EQ(HeadlessPixel(5, 1), 0xFFFFFFu);
  Rect rect{0, 100, 639, 110};
  PlatInvalidate(nullptr);
  PlatUpdateWindow();
  ScreenUpdate(rect);
  EXPECT_EQ(rect, kEmptyRect);
}

TEST_F(PresentationTest, DisplayChangeRechecksSizesAndRecentres) {
  HeadlessGetConfig().desktopWidth = 800;
  HeadlessGetConfig().desktopHeight = 600;
  PlatSendMessage(WM_DISPLAYCHANGE);
  EXPECT_EQ(DisplayChangeSeen, 1u);
  EXPECT_TRUE(PlatMenuIsEnabled(40004));
  EXPECT_FALSE(PlatMenuIsEnabled(40005));

  HeadlessConfig config;
  config.steps.push_back({PlatTicks(), HeadlessAction::Minimise, 1});
  HeadlessConfigure(config);
  PumpQueued();
  PlatSendMessage(WM_DISPLAYCHANGE);
  EXPECT_EQ(MinimisedDisplayChange, 1u);
  HeadlessGetConfig().desktopWidth = 1920;
  HeadlessGetConfig().desktopHeight = 1080;
  config.steps = {{PlatTicks(), HeadlessAction::Minimise, 0}};
  HeadlessConfigure(config);
  HeadlessSetFocus(true);  // activation re-posts the display change
  PumpQueued();
  EXPECT_EQ(MinimisedDisplayChange, 0u);
  EXPECT_TRUE(PlatMenuIsEnabled(40007));
}

}  // namespace
