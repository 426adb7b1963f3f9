// Headless runs of the game binary.
#include "support/game_run.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "support/test_data.h"

std::string WriteScript(const std::filesystem::path& dir, const std::string& text) {
  const std::filesystem::path path = dir / "input.txt";
  std::ofstream(path) << text;
  return path.string();
}

int RunHeadless(const std::string& arguments, std::string& output) {
  return RunCommand(kGameBinary + " --headless " + arguments, output);
}

void LinkDemoData(const std::filesystem::path& dir) {
  ASSERT_TRUE(std::filesystem::exists(kDemoData / "LNTR3SCN.PAK"))
      << "the demo-data target is not built";
  for (const std::filesystem::directory_entry& entry :
       std::filesystem::directory_iterator(kDemoData)) {
    std::filesystem::create_symlink(std::filesystem::absolute(entry.path()),
                                    dir / entry.path().filename());
  }
}

int PlayScenario(const std::filesystem::path& dir, const std::string& number,
                 const std::string& script, std::string& output, GameState& end) {
  return PlayGame(dir, "--scenario " + number, script, output, end);
}

int PlayGame(const std::filesystem::path& dir, const std::string& arguments,
             const std::string& script, std::string& output, GameState& end) {
  const std::filesystem::path dump = dir / "state.bin";
  std::filesystem::remove(dump);
  const int status = RunHeadless("--data " + dir.string() + " " + arguments + " --script " +
                                     WriteScript(dir, script) + " --dump-state " + dump.string(),
                                 output);
  if (std::filesystem::exists(dump)) {
    const std::string bytes = ReadFileText(dump);
    EXPECT_EQ(bytes.size(), kGameStateSize) << dump;
    std::memcpy(&end, bytes.data(), std::min(bytes.size(), kGameStateSize));
  }
  return status;
}
