// The headless input script: set-up lines, timed steps and their errors.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"

namespace {

TEST(HeadlessScriptTest, ParsesSetupAndTimedSteps) {
  HeadlessConfig config;
  std::string error;
  ASSERT_TRUE(
      HeadlessParseScript("setting DataDir=/some dir\n"
                          "display bpp 16   # deep display\n"
                          "display test restart\n"
                          "display desktop 1024x768\n"
                          "limit 5000\n"
                          "at 200 mouse click left 10 20\n"
                          "at 100 key enter\n"
                          "at 100 menu 40001\n",
                          config, error))
      << error;
  EXPECT_EQ(config.displayBpp, 16);
  EXPECT_EQ(config.modeTestResult, DISP_CHANGE_RESTART);
  EXPECT_EQ(config.desktopWidth, 1024);
  EXPECT_EQ(config.timeLimit, 5000u);
  ASSERT_EQ(config.settings.size(), 1u);
  EXPECT_EQ(config.settings[0].second, "/some dir");
  ASSERT_EQ(config.steps.size(), 6u);
  // Sorted by time, equal times in written order; a key press is held 50 ms.
  EXPECT_EQ(config.steps[0].action, HeadlessAction::KeyDown);
  EXPECT_EQ(config.steps[1].action, HeadlessAction::Menu);
  EXPECT_EQ(config.steps[1].a, 40001);
  EXPECT_EQ(config.steps[2].time, 150u);
  EXPECT_EQ(config.steps[2].action, HeadlessAction::KeyUp);
  EXPECT_EQ(config.steps[3].action, HeadlessAction::MouseMove);
  EXPECT_EQ(config.steps[5].action, HeadlessAction::MouseUp);
  EXPECT_EQ(config.steps[5].time, 220u);
}

TEST(HeadlessScriptTest, ReportsTheLineOfAnError) {
  for (const char* bad : {"at 10 key nosuchkey\n", "at -1 quit\n", "display bpp x\n", "wobble\n",
                          "at 10 mouse click middle 1 2\n", "setting =1\n"}) {
    HeadlessConfig config;
    std::string error;
    EXPECT_FALSE(HeadlessParseScript(std::string("# first\n") + bad, config, error)) << bad;
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  }
}

}  // namespace
