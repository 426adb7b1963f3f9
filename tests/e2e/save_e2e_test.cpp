// A game killed at any moment while it saves: every slot file it leaves is a whole save.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "scenario/scenario_support.h"
#include "screens/save_data.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

// Starts the game on `dir` at scenario 0x40, its output dropped; answers its process id.
pid_t StartGame(const fs::path& dir) {
  const std::string data = dir.string();
  const char* argv[] = {kGameBinary.c_str(), "--headless", "--data", data.c_str(),
                        "--scenario",        "0x40",       nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

TEST(SaveCrash, AGameKilledWhileSavingLeavesEverySlotFileWhole) {
  TempDir dir;
  WriteStartArchives(dir.path);
  // add v100, 1; fold progress (saves slot 0 and slot 99); jump back to the add.
  WriteFile(dir.path / "0040.SCN",
            ScenarioFile(ScenarioBlock({0x34, 100, 1, 0x94, 0x55, 0xFA}), SimpleMessages(1)));
  std::mt19937 random(7);
  std::uniform_int_distribution<int> delay(20000, 70000);  // microseconds
  const fs::path files[] = {dir.path / "LNTR3_00.SAV", dir.path / "LNTR3_99.SAV"};
  std::vector<uint8_t> last[2];
  int changed = 0;
  for (int run = 0; run < 200; run++) {
    const pid_t pid = StartGame(dir.path);
    ASSERT_GT(pid, 0);
    usleep(static_cast<useconds_t>(delay(random)));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the game ended by itself, status " << status;
    for (int f = 0; f < 2; f++) {
      if (!fs::exists(files[f])) continue;
      std::vector<uint8_t> bytes = ReadFileBytes(files[f]);
      ASSERT_EQ(bytes.size(), kGameStateSize) << files[f] << " after run " << run;
      if (bytes != last[f]) changed++;
      last[f] = bytes;
      ASSERT_TRUE(SaveUnseal(bytes.data())) << files[f] << " after run " << run;
    }
  }
  EXPECT_GT(changed, 200) << "most runs were killed after saving began";
  // Each start clears what the killed writes before it left behind.
  int leftovers = 0;
  for (const auto& entry : fs::directory_iterator(dir.path)) {
    leftovers += entry.path().extension() == ".tmp";
  }
  EXPECT_LE(leftovers, 1);
}

}  // namespace
