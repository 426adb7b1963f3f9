// The game binary run the way a player or a script runs it: command line, the fatal start
// without data, a scripted session quit from the menu, a second copy.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "support/test_data.h"

namespace {

const std::string kGame = kGameBinary;

std::string WriteScript(const TempDir& dir, const std::string& text) {
  const std::string path = (dir.path / "input.txt").string();
  std::ofstream(path) << text;
  return path;
}

TEST(StartupE2E, HelpAndVersion) {
  std::string output;
  EXPECT_EQ(RunCommand(kGame + " --help", output), 0);
  EXPECT_NE(output.find("--headless"), std::string::npos);
  EXPECT_EQ(RunCommand(kGame + " --version", output), 0);
  EXPECT_NE(output.find("lanternia3 "), std::string::npos);
  EXPECT_EQ(RunCommand(kGame + " --bogus", output), 2);
  EXPECT_EQ(RunCommand(kGame + " --script x", output), 2);
}

TEST(StartupE2E, NoDataShowsTheArchiveMessageAndFails) {
  std::string output;
  EXPECT_EQ(RunCommand(kGame + " --headless --data /nonexistent", output), 1);
  EXPECT_EQ(output, "終了します: ファイルが開けません : /nonexistent/LNTR3DAT.PAK\n");
}

TEST(StartupE2E, ScriptedQuitFromTheMenu) {
  TempDir dir;
  WriteStartArchives(dir.path);
  // The set-up answer goes to the colour-depth question of start-up, the timed one to the first
  // quit question; the close box's question gets OK.
  const std::string script = WriteScript(dir,
                                         "display bpp 16\n"
                                         "answer cancel\n"
                                         "limit 5000\n"
                                         "at 500 answer cancel\n"
                                         "at 500 menu 40050\n"
                                         "at 900 close\n");
  std::string output;
  EXPECT_EQ(
      RunCommand(kGame + " --headless --data " + dir.path.string() + " --script " + script, output),
      0);
  EXPECT_EQ(output,
            "Lanternia Vol.3: 当ソフトは２５６色モードでの起動を推奨します。\n"
            "２５６色モードに変更しますか？\n"
            "Lanternia Vol.3: 終了します。\nよろしいですか？\n"
            "Lanternia Vol.3: 終了します。\nよろしいですか？\n");
}

TEST(StartupE2E, ASetUpAnswerCanRefuseTheStart) {
  TempDir dir;
  WriteStartArchives(dir.path);
  const std::string script = WriteScript(dir, "display bpp 4\nanswer cancel\nlimit 5000\n");
  std::string output;
  EXPECT_EQ(
      RunCommand(kGame + " --headless --data " + dir.path.string() + " --script " + script, output),
      1);
  EXPECT_EQ(output,
            "Lanternia Vol.3: 当ソフトは２５６色以下のモードでは起動できません。\n"
            "２５６色モードに変更しますか？\n"
            "Lanternia Vol.3: 終了します。\n");
}

TEST(StartupE2E, PaintedFramesAreDumpedIntoAFolderMadeForThem) {
  TempDir dir;
  WriteStartArchives(dir.path);
  const std::string script = WriteScript(dir, "at 300 quit\n");
  const std::filesystem::path frames = dir.path / "frames" / "run";
  std::string output;
  EXPECT_EQ(RunCommand(kGame + " --headless --data " + dir.path.string() + " --script " + script +
                           " --dump-dir " + frames.string(),
                       output),
            0);
  EXPECT_TRUE(std::filesystem::exists(frames / "frame-000001.png"));
}

TEST(StartupE2E, AFolderThatCannotTakeTheFramesFailsTheStart) {
  TempDir dir;
  WriteStartArchives(dir.path);
  std::ofstream(dir.path / "plain") << "x";
  const std::string script = WriteScript(dir, "limit 1000\n");
  for (const std::filesystem::path& frames : {dir.path / "plain", dir.path / "plain" / "run"}) {
    std::string output;
    EXPECT_EQ(RunCommand(kGame + " --headless --data " + dir.path.string() + " --script " + script +
                             " --dump-dir " + frames.string(),
                         output),
              1);
    EXPECT_EQ(output,
              "headless: cannot write frames to " + frames.string() + ": Not a directory\n");
  }
}

TEST(StartupE2E, ARunThatNeverEndsIsStoppedAtTheLimit) {
  TempDir dir;
  WriteStartArchives(dir.path);
  const std::string script = WriteScript(dir, "limit 2000\n");
  std::string output;
  EXPECT_EQ(
      RunCommand(kGame + " --headless --data " + dir.path.string() + " --script " + script, output),
      3);
  EXPECT_NE(output.find("time limit of 2000 ms"), std::string::npos);
}

TEST(StartupE2E, ASecondCopyHandsOverAndLeaves) {
  TempDir dir;
  const std::string script = WriteScript(dir, "running-copy\n");
  std::string output;
  EXPECT_EQ(RunCommand(kGame + " --headless --data /nonexistent --script " + script, output), 0);
  EXPECT_EQ(output, "");
}

TEST(StartupE2E, AScriptThatCannotBeReadFailsTheStart) {
  TempDir dir;
  std::filesystem::create_directory(dir.path / "folder");
  // A folder opens like a file and reads as nothing; memory at address 0 cannot be read.
  for (const std::string& script : {(dir.path / "folder").string(), std::string("/proc/self/mem"),
                                    (dir.path / "none").string()}) {
    std::string output;
    EXPECT_EQ(RunCommand(kGame + " --headless --data /nonexistent --script " + script, output), 1);
    EXPECT_EQ(output.rfind("headless: cannot read script " + script + ": ", 0), 0u) << output;
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
  }
}

TEST(StartupE2E, ABadScriptIsRefused) {
  TempDir dir;
  const std::string script = WriteScript(dir, "at 10 key enter\nat x menu 1\n");
  std::string output;
  EXPECT_EQ(RunCommand(kGame + " --headless --script " + script, output), 1);
  EXPECT_NE(output.find("line 2"), std::string::npos);
}

}  // namespace
