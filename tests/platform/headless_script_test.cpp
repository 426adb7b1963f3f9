// The headless input script: set-up lines, timed steps and their errors, and the snapshots
// it takes of the window.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "graphics/frame.h"
#include "platform/headless/headless.h"
#include "support/engine_fixture.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

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
                          "answer cancel\n"
                          "at 200 mouse click left 10 20\n"
                          "at 300 mouse wheel down 5 6 3\n"
                          "at 100 key enter\n"
                          "at 100 menu 40001\n"
                          "at 150 snapshot shots/page-1.png\n",
                          config, error))
      << error;
  EXPECT_EQ(config.displayBpp, 16);
  EXPECT_EQ(config.modeTestResult, DISP_CHANGE_RESTART);
  EXPECT_EQ(config.desktopWidth, 1024);
  EXPECT_EQ(config.timeLimit, 5000u);
  EXPECT_EQ(config.settings, (decltype(config.settings){{"DataDir", "/some dir"}}));
  EXPECT_EQ(config.answers, std::vector<int>{IDCANCEL});
  // Sorted by time, equal times in written order; a key press is held 50 ms, a click 20 ms.
  using A = HeadlessAction;
  const std::vector<std::tuple<uint32_t, HeadlessAction, int>> expected = {
      {100, A::KeyDown, VK_RETURN}, {100, A::Menu, 40001},   {150, A::KeyUp, VK_RETURN},
      {150, A::Snapshot, 0},        {200, A::MouseMove, 10}, {200, A::MouseDown, 10},
      {220, A::MouseUp, 10},        {300, A::MouseWheel, 5}};
  std::vector<std::tuple<uint32_t, HeadlessAction, int>> steps;
  for (const HeadlessStep& step : config.steps) steps.emplace_back(step.time, step.action, step.a);
  EXPECT_EQ(steps, expected);
  EXPECT_EQ(config.steps[3].path, "shots/page-1.png");
  EXPECT_EQ(config.steps[7].c, -3) << "three notches towards the player";
}

TEST(HeadlessScriptTest, ReportsTheLineOfAnError) {
  for (const char* bad : {"at 10 key nosuchkey\n", "at -1 quit\n", "display bpp x\n", "wobble\n",
                          "at 10 mouse click middle 1 2\n", "setting =1\n", "at 10 snapshot\n",
                          "at 10 snapshot a.png b.png\n", "at 10 mouse wheel left 1 2\n",
                          "at 10 mouse wheel up 1 2 0\n"}) {
    HeadlessConfig config;
    std::string error;
    EXPECT_FALSE(HeadlessParseScript(std::string("# first\n") + bad, config, error)) << bad;
    EXPECT_EQ(error.rfind("line 2:", 0), 0u) << error;
  }
}

// [SECTION] Snapshots

using HeadlessSnapshotTest = EngineTest;

// Takes the steps due `after` ms from now.
void RunFor(uint32_t after) {
  HeadlessAdvance(after);
  PlatMsg msg;
  PlatPeekMessage(msg, false);
}

TEST_F(HeadlessSnapshotTest, WritesThePictureInTheColoursShownAtThatMoment) {
  TempDir dir;
  // Two colours of our own, a left and a right half, one paint.
  const PalEntry colours[2] = {{10, 20, 30, 0}, {200, 100, 50, 0}};
  PlatSetPalette(10, colours);
  FrameFillRect(ScreenFrame, 0, 0, 319, 479, 10);
  FrameFillRect(ScreenFrame, 320, 0, 639, 479, 11);
  ScreenUpdate();
  for (const auto& [after, path] : {std::pair{10u, dir.path / "painted.png"},
                                    {20u, dir.path / "recoloured.png"},
                                    {30u, dir.path / "no-such-folder" / "lost.png"}}) {
    HeadlessGetConfig().steps.push_back(
        {PlatTicks() + after, HeadlessAction::Snapshot, 0, 0, 0, path});
  }
  RunFor(10);
  // A palette change shows at once, with no paint: the next snapshot has the new colour.
  const PalEntry darker = {1, 2, 3, 0};
  PlatSetPalette(10, {&darker, 1});
  RunFor(10);
  RunFor(10);

  const RgbImage painted = ReadRgbPng(dir.path / "painted.png");
  int width, height;
  HeadlessFrameSize(width, height);
  ASSERT_EQ(painted.width, width);
  ASSERT_EQ(painted.height, height);
  EXPECT_EQ(painted.At(0, 0), 0x0A141Eu);
  EXPECT_EQ(painted.At(width - 1, 0), 0xC86432u);
  const RgbImage recoloured = ReadRgbPng(dir.path / "recoloured.png");
  ASSERT_EQ(recoloured.width, width);
  EXPECT_EQ(recoloured.At(0, 0), 0x010203u);
  EXPECT_EQ(recoloured.At(width - 1, 0), 0xC86432u);
  // A snapshot that cannot be written is reported and the run goes on.
  EXPECT_FALSE(std::filesystem::exists(dir.path / "no-such-folder"));
}

// [SECTION] Settings store

using SettingsStoreTest = EngineTest;

TEST_F(SettingsStoreTest, AValueIsWrittenWhenItChangesOrWasNotKept) {
  HeadlessConfig& config = HeadlessGetConfig();
  const struct {
    bool readOnly;
    uint32_t value;
    bool kept;
  } steps[] = {{true, 1, false}, {true, 1, false},  // not kept: tried again, and failing again
               {false, 1, true}, {true, 1, true},   // kept: the same value needs no write
               {true, 2, false}, {false, 3, true}};
  for (const auto& step : steps) {
    config.settingsReadOnly = step.readOnly;
    EXPECT_EQ(PlatSettingsSetNumber("StoreTestValue", step.value), step.kept) << step.value;
  }
}

}  // namespace
