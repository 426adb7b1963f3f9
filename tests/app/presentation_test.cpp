// Window sizes, the size menu, full screen and display changes.
#include "app/presentation.h"

#include <gtest/gtest.h>

#include "app/input.h"
#include "support/engine_fixture.h"

// Machines are described by designated initializers that leave the other members as they are.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using PresentationTest = EngineTest;

void PumpQueued() {
  for (int i = 0; i < 20; i++) PumpMessages();
}

TEST_F(PresentationTest, SizesLargerThanTheDesktopAreGreyed) {
  StartEngine({.desktopWidth = 1024, .desktopHeight = 768});
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
    PlatUpdateWindow();
    const WindowSize size = WindowSizeTable[command - 40001];
    int width, height;
    HeadlessFrameSize(width, height);
    EXPECT_EQ(width, size.width) << command;
    EXPECT_EQ(height, size.height) << command;
    EXPECT_TRUE(PlatMenuIsChecked(command));
    EXPECT_FALSE(PlatMenuIsChecked(40003 == command ? 40004 : 40003));
    EXPECT_EQ(HeadlessSettings().at("ScreenSize"), std::to_string(command - 40000));
  }
}

TEST_F(PresentationTest, AnOddSizeIsModeOtherAndMarksNothing) {
  PlatMoveWindow(0, 0, 700, 500);
  EXPECT_EQ(ScreenMode, kModeOtherSize);
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

TEST_F(PresentationTest, FullScreenNeedsADisplayThatTakes640x480) {
  StartEngine({.has640x480 = false});
  EXPECT_FALSE(PlatMenuIsEnabled(kModeFullScreen));
  StartEngine({.modeTestResult = DISP_CHANGE_FAILED});
  PlatSendMessage(WM_COMMAND, kModeFullScreen);
  EXPECT_EQ(ScreenMode, kModeStartSize);
  EXPECT_EQ(ModeBeforeFullScreen, kModeOtherSize);
}

TEST_F(PresentationTest, DisplayChangeRechecksSizesAndRecentres) {
  HeadlessGetConfig().desktopWidth = 800;
  HeadlessGetConfig().desktopHeight = 600;
  PlatSendMessage(WM_DISPLAYCHANGE);
  EXPECT_EQ(DisplayChangeSeen, 1u);
  EXPECT_TRUE(PlatMenuIsEnabled(40004));
  EXPECT_FALSE(PlatMenuIsEnabled(40005));

  HeadlessConfigure({.steps = {{PlatTicks(), HeadlessAction::Minimise, 1}}});
  PumpQueued();
  PlatSendMessage(WM_DISPLAYCHANGE);
  EXPECT_EQ(MinimisedDisplayChange, 1u);
  HeadlessGetConfig().desktopWidth = 1920;
  HeadlessGetConfig().desktopHeight = 1080;
  HeadlessConfigure({.steps = {{PlatTicks(), HeadlessAction::Minimise, 0}}});
  HeadlessSetFocus(true);  // activation re-posts the display change
  PumpQueued();
  EXPECT_EQ(MinimisedDisplayChange, 0u);
  EXPECT_TRUE(PlatMenuIsEnabled(40007));
}

}  // namespace
