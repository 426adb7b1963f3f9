// Start values, settings, the colour-depth check, InitGame and the ways out.
#include <gtest/gtest.h>

#include "app/input.h"
#include "app/presentation.h"
#include "graphics/frame.h"
#include "scenario/font.h"
#include "scenario/scenario.h"
#include "screens/main_flow.h"
#include "support/engine_fixture.h"
#include "support/test_data.h"

namespace {

using StartupTest = EngineTest;

HeadlessConfig WithSettings(std::vector<std::pair<std::string, std::string>> settings) {
  HeadlessConfig config;
  config.settings = std::move(settings);
  config.settingsKey = true;
  return config;
}

TEST_F(StartupTest, NoStoredKeyKeepsTheStartValues) {
  SettingsCheckMenu();
  for (uint32_t id : {kMenuMusic, kMenuPcm, kMenuMouseMove, kMenuWeather, kMenuCalendarFast}) {
    EXPECT_TRUE(PlatMenuIsChecked(id)) << id;
  }
  EXPECT_FALSE(PlatMenuIsChecked(kMenuReadTextFast));
  EXPECT_FALSE(PlatSettingsKeyExists());

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
  PlayMode = PlayModeTitle;
  SkipAllowed = 1;
  SettingsCommand(kMenuSkipToChoice);
  EXPECT_EQ(SkipToChoice, 0);
  PlayMode = PlayModeEventScript;
  SkipAllowed = 0;
  SettingsCommand(kMenuSkipToChoice);
  EXPECT_EQ(SkipToChoice, 0);
  SkipAllowed = 1;
  SettingsCommand(kMenuSkipToChoice);
  EXPECT_EQ(SkipToChoice, 1);
  SkipToChoice = 0;
  PlayMode = PlayModeTitle;
  SkipAllowed = 0;
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

TEST_F(StartupTest, VersionBoxShowsTheVersion) {
  const size_t boxes = HeadlessMessageBoxes().size();
  SettingsCommand(kMenuVersion);
  ASSERT_EQ(HeadlessMessageBoxes().size(), boxes + 1);
  EXPECT_EQ(HeadlessMessageBoxes().back().caption, "Lanternia Vol.3 のﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_NE(HeadlessMessageBoxes().back().text.find("Version 1.04"), std::string::npos);
  EXPECT_EQ(ModalBoxOpen, 0u);
}

TEST_F(StartupTest, DeepDisplayAcceptedSwitchesWithoutRestartQuestion) {
  HeadlessConfig config;
  config.displayBpp = 16;
  StartEngine(config);
  const size_t boxes = HeadlessMessageBoxes().size();
  CheckColourDepth();
  ASSERT_EQ(HeadlessMessageBoxes().size(), boxes + 1);
  EXPECT_NE(HeadlessMessageBoxes().back().text.find("２５６色モードでの起動を推奨します"),
            std::string::npos);
  EXPECT_EQ(PlatDisplayBpp(), 8);
}

TEST_F(StartupTest, RestartNeededAsksTheRestartQuestion) {
  HeadlessConfig config;
  config.displayBpp = 16;
  config.modeTestResult = DISP_CHANGE_RESTART;
  StartEngine(config);
  const size_t boxes = HeadlessMessageBoxes().size();
  CheckColourDepth();
  ASSERT_EQ(HeadlessMessageBoxes().size(), boxes + 2);
  EXPECT_NE(HeadlessMessageBoxes().back().text.find("再起動しますか"), std::string::npos);
}

TEST_F(StartupTest, DeepDisplayRefusedGoesOn) {
  HeadlessConfig config;
  config.displayBpp = 24;
  StartEngine(config);
  HeadlessQueueAnswer(IDCANCEL);
  CheckColourDepth();
  EXPECT_EQ(PlatDisplayBpp(), 24);
  EXPECT_EQ(DisplayBpp, 24);  // painting takes the deep-display path
}

TEST_F(StartupTest, ShallowDisplayWithoutAnEightBitModeEnds) {
  HeadlessConfig config;
  config.displayBpp = 4;
  config.modeTestResult = DISP_CHANGE_FAILED;
  StartEngine(config);
  EXPECT_EXIT(CheckColourDepth(), ::testing::ExitedWithCode(1), "起動できません。\n終了します。");
}

TEST_F(StartupTest, ShallowDisplayRefusedEnds) {
  HeadlessConfig config;
  config.displayBpp = 4;
  StartEngine(config);
  HeadlessQueueAnswer(IDCANCEL);
  EXPECT_EXIT(CheckColourDepth(), ::testing::ExitedWithCode(1), "Lanternia Vol.3: 終了します。");
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
  EXPECT_EQ(DataDir, data.path.string());
  // Archive reads end on a 4096-byte boundary, so the blocks may be longer than the entries.
  EXPECT_GE(MemSize(FontBlock), 72u * 16);
  EXPECT_GE(MemSize(CharPalettes), 720u);
  EXPECT_EQ(MemSize(WeatherBuffer), 15360u);
  EXPECT_EQ(ScreenMode, kModeStartSize);
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

TEST_F(InitGameTest, StoredScreenSizeZeroStartsInFullScreen) {
  StartWith(WithSettings({{"ScreenSize", "0"}}));
  ASSERT_TRUE(InitGame());
  EXPECT_EQ(ScreenMode, kModeFullScreen);
  EXPECT_TRUE(PlatMenuIsChecked(kModeFullScreen));
}

TEST_F(InitGameTest, StoredScreenSizeOutOfRangeIsIgnored) {
  for (const char* value : {"9", "-1", "3"}) {
    StartWith(WithSettings({{"ScreenSize", value}}));
    ASSERT_TRUE(InitGame());
    EXPECT_EQ(ScreenMode, kModeStartSize) << value;
  }
}

TEST_F(InitGameTest, StoredWindowSizeIsApplied) {
  StartWith(WithSettings({{"ScreenSize", "1"}}));
  ASSERT_TRUE(InitGame());
  EXPECT_EQ(ScreenMode, 40001);
  EXPECT_EQ(ClientWidth, 320);
  EXPECT_EQ(ClientHeight, 240);
}

TEST_F(InitGameTest, StoredDataDirIsUsedWhenNoneIsGiven) {
  WriteStartArchives(data.path);
  StartEngine(WithSettings({{"DataDir", data.path.string()}}));
  ASSERT_TRUE(InitGame());
  EXPECT_EQ(DataDir, data.path.string());
}

TEST_F(InitGameTest, FallbackDirComesAfterTheStoredOne) {
  WriteStartArchives(data.path);
  AppConfig.fallbackDataDir = data.path.string();
  StartEngine(HeadlessConfig{});
  ASSERT_TRUE(InitGame());
  EXPECT_EQ(DataDir, data.path.string());
  StartEngine(WithSettings({{"DataDir", "/stored"}}));
  EXPECT_EXIT(InitGame(), ::testing::ExitedWithCode(1), "/stored/LNTR3DAT.PAK");
  AppConfig.fallbackDataDir.clear();
}

TEST_F(InitGameTest, MissingArchiveIsFatal) {
  AppConfig.dataDir = (data.path / "missing").string();
  EXPECT_EXIT(InitGame(), ::testing::ExitedWithCode(1),
              "終了します: ファイルが開けません : .*missing/LNTR3DAT.PAK");
}

TEST_F(StartupTest, QuitQuestionCancelGoesOnAndOkEnds) {
  HeadlessQueueAnswer(IDCANCEL);
  AskQuit();
  EXPECT_EQ(ModalBoxOpen, 0u);
  EXPECT_EQ(HeadlessMessageBoxes().back().text, "終了します。\nよろしいですか？");
  EXPECT_EXIT(WndProc(WM_COMMAND, kMenuQuit, 0), ::testing::ExitedWithCode(0), "よろしいですか");
  EXPECT_EXIT(WndProc(WM_SYSCOMMAND, SC_CLOSE, 0), ::testing::ExitedWithCode(0), "");
}

TEST_F(StartupTest, FatalMessageEndsWithStatusOne) {
  EXPECT_EXIT(ExitGame("bad thing"), ::testing::ExitedWithCode(1), "終了します: bad thing");
  EXPECT_EXIT(
      {
        PlatPostQuitMessage(0);
        PumpMessages();
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
