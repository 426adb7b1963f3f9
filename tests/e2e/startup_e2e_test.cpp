// The game binary run the way a player or a script runs it: the command line, starts refused
// with a message, scripted sessions with their answers and limits, frames dumped, a second copy.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/game_run.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

TEST(CommandLineE2E, HelpVersionAndWrongArguments) {
  const struct {
    std::string arguments;
    int status;
    std::string shown;  // a part of the output
  } cases[] = {
      {"--help", 0, "--headless"},
      {"--version", 0, "lanternia3 "},
      {"--bogus", 2, "unknown argument '--bogus'"},
      {"--script x", 2, "go with --headless"},
      {"--headless --scenario 0x10000", 2, "--scenario takes"},
      {"--headless --scenario twelve", 2, "--scenario takes"},
      {"--headless --play-music 3x", 2, "--play-music takes a number 0..255"},
      {"--headless --play-sound 256", 2, "--play-sound takes a number 0..255"},
  };
  for (const auto& c : cases) {
    std::string output;
    EXPECT_EQ(RunCommand(kGameBinary + " " + c.arguments, output), c.status) << c.arguments;
    EXPECT_NE(output.find(c.shown), std::string::npos) << c.arguments << ": " << output;
  }
}

// A folder with the archives start-up needs, the game run on it with an input script, straight
// to the title (the folder has no opening).
class StartupE2E : public ::testing::Test {
 protected:
  void SetUp() override { WriteStartArchives(dir.path); }
  // Answers the exit status; later arguments override the folder and the script.
  int Run(const std::string& script, const std::string& arguments = "") {
    return RunHeadless("--no-opening --data " + dir.path.string() + " --script " +
                           WriteScript(dir.path, script) + " " + arguments,
                       output);
  }
  TempDir dir;
  std::string output;
};

TEST_F(StartupE2E, ScriptedQuitFromTheMenu) {
  // The set-up answer goes to the colour-depth question of start-up, the timed one to the first
  // quit question; the close box's question gets OK.
  EXPECT_EQ(Run("display bpp 16\n"
                "answer cancel\n"
                "limit 5000\n"
                "at 500 answer cancel\n"
                "at 500 menu 40050\n"
                "at 900 close\n"),
            0);
  EXPECT_EQ(output,
            "Lanternia Vol.3: 当ソフトは２５６色モードでの起動を推奨します。\n"
            "２５６色モードに変更しますか？\n"
            "Lanternia Vol.3: 終了します。\nよろしいですか？\n"
            "Lanternia Vol.3: 終了します。\nよろしいですか？\n");
}

TEST_F(StartupE2E, RunsEndWithTheirStatusAndMessage) {
  const fs::path plain = dir.path / "plain";
  std::ofstream(plain) << "x";
  std::ofstream(dir.path / "BAD.TZ2") << "TZ2 but nothing more";
  fs::create_directory(dir.path / "folder");
  const std::string script = (dir.path / "input.txt").string();
  const struct {
    std::string script, arguments;
    int status;
    std::string output;
  } cases[] = {
      {"", "--data /nonexistent", 1,
       "終了します: ファイルが開けません : /nonexistent/LNTR3DAT.PAK\n"},
      // A shallow display without an 8-bit mode, or a set-up answer refusing the switch to 256
      // colours, ends the start.
      {"display bpp 4\ndisplay test fail\n", "", 1,
       "Lanternia Vol.3: 当ソフトは２５６色以下のモードでは起動できません。\n終了します。\n"},
      {"display bpp 4\nanswer cancel\nlimit 5000\n", "", 1,
       "Lanternia Vol.3: 当ソフトは２５６色以下のモードでは起動できません。\n"
       "２５６色モードに変更しますか？\nLanternia Vol.3: 終了します。\n"},
      {"at 10 key enter\nat x menu 1\n", "", 1,
       "headless: " + script + ": line 2: at TIME STEP...\n"},
      // A folder opens like a file but cannot be read.
      {"", "--script " + dir.path.string() + "/folder", 1,
       "headless: cannot read script " + dir.path.string() + "/folder: Is a directory\n"},
      {"", "--script " + dir.path.string() + "/none", 1,
       "headless: cannot read script " + dir.path.string() + "/none: No such file or directory\n"},
      {"limit 1000\n", "--dump-dir " + plain.string(), 1,
       "headless: cannot write frames to " + plain.string() + ": Not a directory\n"},
      {"limit 2000\n", "", 3, "headless: time limit of 2000 ms reached\n"},
      // The viewer ends as failed after the box of a picture it cannot show.
      {"", "--view BAD.TZ2", 1, "ＴＺ２展開エラー: データ異常です\n"},
      {"", "--view NOPE.TZ2", 1,
       "終了します: ファイルが見つかりません[PACK] : NOPE.TZ2\nLNTR3DAT.PAK : NOPE.TZ2\n"},
      {"limit 1000\nat 500 quit\n", "--view TITLE.TZ2", 0, ""},
      // A second copy hands over before it looks for data.
      {"running-copy\n", "--data /nonexistent", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Run(c.script, c.arguments), c.status) << c.script << c.arguments;
    EXPECT_EQ(output, c.output);
  }
}

TEST_F(StartupE2E, SettingsThatCannotBeKeptAreReportedOnce) {
  EXPECT_EQ(Run("settings-readonly\nat 500 menu 40021\nat 1500 menu 40021\nat 2500 quit\n"), 0);
  EXPECT_EQ(output,
            "Lanternia Vol.3: 設定を保存できませんでした。\n"
            "変更した設定は次に起動したときには戻ります。\n");
}

TEST_F(StartupE2E, PaintedFramesAreDumpedIntoAFolderMadeForThem) {
  const fs::path frames = dir.path / "frames" / "run";
  EXPECT_EQ(Run("at 300 quit\n", "--dump-dir " + frames.string()), 0) << output;
  EXPECT_TRUE(fs::exists(frames / "frame-000001.png"));
}

}  // namespace
