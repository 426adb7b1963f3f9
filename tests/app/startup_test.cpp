// Start values, settings, the colour-depth check, InitGame and the ways out.
#include <gtest/gtest.h>

#include "app/input.h"
#include "app/presentation.h"
#include "graphics/frame.h"
#include "resources/sjis.h"
#include "scenario/font.h"
#include "scenario/scenario.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"
#include "support/test_data.h"

// Machines are described by designated initializers that leave the other members as they are.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using StartupTest = EngineTest;

HeadlessConfig WithSettings(std::vector<std::pair<std::string, std::string>> settings) {
  return {.settings = std::move(settings), .settingsKey = true};
}

TEST_F(StartupTest, NoStoredKeyKeepsTheStartValues) {
  SettingsCheckMenu();
  for (uint32_t id : {kMenuMusic, kMenuPcm, kMenuMouseMove, kMenuWeather, kMenuCalendarFast}) {
    EXPECT_TRUE(PlatMenuIsChecked(id)) << id;
  }
  EXPECT_FALSE(PlatMenuIsChecked(kMenuReadTextFast));

  SettingsCommand(kMenuReadTextFast);
  const auto& stored = HeadlessSettings();
  EXPECT_EQ(stored.size(), 8u);
  EXPECT_EQ(stored.at("Calender"), "1");
  EXPECT_EQ(stored.at("MesSkip"), "1");
  EXPECT_EQ(stored.at("ScreenSize"), "3");
  EXPECT_EQ(stored.count("SpecLow"), 0u);
}

TEST_F(StartupTest, AStoredKeyWithoutAValueTakesTheValuesDefault) {
  StartEngine(WithSettings({{"Music", "0"}, {"SpecLow", "1"}}));
  EXPECT_EQ(MusicOn, 0);
  EXPECT_EQ(CalendarFast, 0);  // key present, value missing
  EXPECT_EQ(PcmOn, 1);
  EXPECT_EQ(SpecLow, 1);
  SettingsCommand(kMenuMusic);
  EXPECT_EQ(MusicOn, 1);
  EXPECT_TRUE(PlatMenuIsChecked(kMenuMusic));
  EXPECT_EQ(HeadlessSettings().at("SpecLow"), "1");  // never written, survives every save
}

TEST_F(StartupTest, SkipCommandOnlyWhileTheScriptRunsAReadScenario) {
  for (const auto& [mode, allowed, skips] : {std::tuple{PlayModeTitle, 1, 0},
                                             {PlayModeEventScript, 0, 0},
                                             {PlayModeEventScript, 1, 1}}) {
    PlayMode = mode;
    SkipAllowed = allowed;
    SettingsCommand(kMenuSkipToChoice);
    EXPECT_EQ(SkipToChoice, skips) << static_cast<int>(mode) << " " << allowed;
    SkipToChoice = 0;
  }
  PlayMode = PlayModeTitle;
  SkipAllowed = 0;
}

TEST_F(StartupTest, HelpCommandsShowTheControlsAndTheSettingsInJapanese) {
  const struct {
    uint16_t command;
    const char* caption;
    const char* mentions;
  } cases[] = {{kMenuHelpKeyword, "操作方法", "ホイール上"},
               {kMenuHelpOnHelp, "環境設定とメニュー", "日時表示速く"}};
  for (const auto& c : cases) {
    const size_t before = HeadlessMessageBoxes().size();
    SettingsCommand(c.command);
    ASSERT_EQ(HeadlessMessageBoxes().size(), before + 1) << c.caption;
    const HeadlessBox& box = HeadlessMessageBoxes().back();
    EXPECT_EQ(box.caption, c.caption);
    EXPECT_NE(box.text.find(c.mentions), std::string::npos) << box.text;
    EXPECT_EQ(ModalBoxOpen, 0u);
  }
}

TEST_F(StartupTest, WeatherCommandWaitsForBusyDrawing) {
  ScreenBusy = 1;
  SettingsCommand(kMenuWeather);
  EXPECT_EQ(WeatherOn, 1);
  ScreenBusy = 0;
  SettingsCommand(kMenuWeather);
  EXPECT_EQ(WeatherOn, 0);
  EXPECT_FALSE(PlatMenuIsChecked(kMenuWeather));
}

TEST_F(StartupTest, ADeepDisplayIsOfferedTheSwitchTo256Colours) {
  const struct {
    int bpp, modeTest, answer;
    size_t boxes;  // the question, then the restart question where the mode needs one
    const char* last;
    int bppAfter;
  } cases[] = {
      {16, DISP_CHANGE_SUCCESSFUL, IDOK, 1, "２５６色モードでの起動を推奨します", 8},
      {16, DISP_CHANGE_RESTART, IDOK, 2, "再起動しますか", 8},
      {24, DISP_CHANGE_SUCCESSFUL, IDCANCEL, 1, "２５６色モードでの起動を推奨します", 24},
  };
  for (const auto& c : cases) {
    StartEngine({.displayBpp = c.bpp, .modeTestResult = c.modeTest, .answers = {c.answer}});
    const size_t boxes = HeadlessMessageBoxes().size();
    CheckColourDepth();
    ASSERT_EQ(HeadlessMessageBoxes().size(), boxes + c.boxes) << c.last;
    EXPECT_NE(HeadlessMessageBoxes().back().text.find(c.last), std::string::npos);
    EXPECT_EQ(PlatDisplayBpp(), c.bppAfter) << c.last;
  }
  EXPECT_EQ(DisplayBpp, 24);  // refused: painting takes the deep-display path
}

class InitGameTest : public EngineTest {
 protected:
  void StartWith(HeadlessConfig config) {
    WriteStartArchives(data.path);
    AppConfig.dataDir = data.path.string();
    StartEngine(config);
  }
  void TearDown() override {
    AppConfig.dataDir.clear();
    EngineTest::TearDown();
  }
  TempDir data;
};

TEST_F(InitGameTest, LoadsTheKeptBlocksAndStartsTheTimer) {
  StartWith(HeadlessConfig{});
  ASSERT_TRUE(InitGame());
  EXPECT_GE(MemSize(FontBlock), 72u * 16);  // archive reads may run on past the entry
  EXPECT_GE(MemSize(CharPalettes), 720u);
  // The timer ticks every 80 ms.
  const uint32_t start = PlatTicks();
  PlatMsg msg;
  for (;;) {
    if (!PlatPeekMessage(msg, true)) {
      PlatIdle();
    } else if (msg.message == WM_TIMER) {
      break;
    } else {
      WndProc(msg.message, msg.wParam, msg.lParam);
    }
  }
  EXPECT_EQ(PlatTicks() - start, 80u);
}

TEST_F(InitGameTest, StoredScreenSizeIsAppliedWhenInRange) {
  const struct {
    const char* stored;
    uint16_t mode;
    int width;
  } cases[] = {{"0", kModeFullScreen, 640},
               {"1", 40001, 320},
               {"9", kModeStartSize, 640},
               {"-1", kModeStartSize, 640}};
  for (const auto& c : cases) {
    StartWith(WithSettings({{"ScreenSize", c.stored}}));
    ASSERT_TRUE(InitGame());
    EXPECT_TRUE(PlatMenuIsChecked(c.mode)) << c.stored;
    EXPECT_EQ(ClientWidth, c.width) << c.stored;
  }
}

TEST_F(InitGameTest, DataDirComesFromTheCommandLineTheStoreOrTheFallback) {
  WriteStartArchives(data.path);
  AppConfig.fallbackDataDir = data.path.string();
  StartEngine(HeadlessConfig{});
  ASSERT_TRUE(InitGame());
  EXPECT_EQ(DataDir, data.path.string());
  StartEngine(WithSettings({{"DataDir", "/stored"}}));
  EXPECT_EXIT(InitGame(), ::testing::ExitedWithCode(1), "/stored/LNTR3DAT.PAK");
  AppConfig.fallbackDataDir.clear();
  StartEngine(WithSettings({{"DataDir", data.path.string()}}));
  ASSERT_TRUE(InitGame());
  EXPECT_EQ(DataDir, data.path.string());
}

TEST_F(StartupTest, QuitQuestionCancelGoesOn) {
  HeadlessQueueAnswer(IDCANCEL);
  AskQuit();
  EXPECT_EQ(ModalBoxOpen, 0u);
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "終了します。\nよろしいですか？");
}

// A harness that runs many inputs in one process catches the way out instead of ending: the
// fatal box is still shown, the status comes back, and a fresh start is no longer on the way out.
TEST_F(StartupTest, AnExitHandlerCatchesTheWayOut) {
  PlatSetExitHandler([](int status) { throw status; });
  int status = -1;
  try {
    ExitGame(Sjis("データ異常です : 0040.SCN"));
  } catch (int caught) {
    status = caught;
  }
  EXPECT_EQ(status, 1);
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "データ異常です : 0040.SCN");
  StartEngine();
  try {
    ExitGame(nullptr);
  } catch (int caught) {
    status = caught;
  }
  PlatSetExitHandler(nullptr);
  EXPECT_EQ(status, 0);
}

}  // namespace
