// A game killed at any moment while it saves: every slot file it leaves is a whole save.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "scenario/scenario_support.h"
#include "screens/save_data.h"

namespace {

TEST(SaveCrash, AGameKilledWhileSavingLeavesEverySlotFileWhole) {
  TempDir dir;
  WriteStartArchives(dir.path);
  // add v100, 1; fold progress (saves slot 0 and slot 99); jump back to the add.
  WriteFile(dir.path / "0040.SCN",
            ScenarioFile(ScenarioBlock({0x34, 100, 1, 0x94, 0x55, 0xFA}), SimpleMessages(1)));
  const std::string data = dir.path.string();
  const char* argv[] = {kGameBinary.c_str(), "--headless", "--data", data.c_str(),
                        "--scenario",        "0x40",       nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  std::mt19937 random(7);
  std::string last[2];
  int changed = 0;
  for (int run = 0; run < 200; run++) {
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &quiet, nullptr, const_cast<char**>(argv), environ), 0);
    usleep(std::uniform_int_distribution<useconds_t>(20000, 70000)(random));
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the game ended by itself, status " << status;
    for (uint16_t slot : {0, 1}) {
      std::string bytes = ReadFileText(dir.path / SlotFileName(slot ? kProgressSlot : 0));
      if (bytes.empty()) continue;  // not made yet
      changed += bytes != last[slot];
      last[slot] = bytes;
      ASSERT_EQ(bytes.size(), kGameStateSize) << "slot " << slot << " after run " << run;
      ASSERT_TRUE(SaveUnseal(reinterpret_cast<uint8_t*>(bytes.data()))) << slot << " " << run;
    }
  }
  posix_spawn_file_actions_destroy(&quiet);
  EXPECT_GT(changed, 200) << "most runs were killed after saving began";
  // Each start clears what the killed write before it left behind.
  int leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
    leftovers += entry.path().extension() == ".tmp";
  }
  EXPECT_LE(leftovers, 1);
}

}  // namespace
