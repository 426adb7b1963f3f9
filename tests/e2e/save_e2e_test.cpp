// A game killed at any moment while it saves: every slot file it leaves is a whole save.
#include <chrono>
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
  // A game that ends at once shows how long this machine takes to start and end one now; the
  // kills fall within 60 ms after that, while the game saves.
  WriteFile(dir.path / "0041.SCN", ScenarioFile(ScenarioBlock({0x20}), SimpleMessages(1)));
  const std::string game = kGameBinary + " --headless --data " + dir.path.string() + " --scenario ";
  std::string last[2], output;
  const auto before = std::chrono::steady_clock::now();
  ASSERT_EQ(RunCommand(game + "0x41", output), 0) << output;
  const int start = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - before)
                                         .count());
  std::mt19937 random(7);
  int changed = 0;
  for (int run = 0; run < 200; run++) {
    const int ms = start + std::uniform_int_distribution<int>(0, 60)(random);
    const int status =
        RunCommand("timeout -s KILL " + std::to_string(ms / 1000.0) + " " + game + "0x40", output);
    ASSERT_TRUE(status == 124 || status == 137) << "the game ended by itself: " << output;
    for (uint16_t slot : {0, 1}) {
      std::string bytes = ReadFileText(dir.path / SlotFileName(slot ? kProgressSlot : 0));
      if (bytes.empty()) continue;  // not made yet
      changed += bytes != last[slot];
      last[slot] = bytes;
      ASSERT_EQ(bytes.size(), kGameStateSize) << "slot " << slot << " after run " << run;
      ASSERT_TRUE(SaveUnseal(reinterpret_cast<uint8_t*>(bytes.data()))) << slot << " " << run;
    }
  }
  // Each run that saved changed both files; a busy machine starts the game late.
  EXPECT_GT(changed, 100) << "too few runs were killed after saving began";
  // Each start clears what the killed write before it left behind.
  int leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path)) {
    leftovers += entry.path().extension() == ".tmp";
  }
  EXPECT_LE(leftovers, 1);
}

}  // namespace
