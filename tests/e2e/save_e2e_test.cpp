// A game killed at any moment while it saves: every slot file it leaves is a whole save.
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
  const std::string game = kGameBinary + " --headless --scenario 0x40 --data " + dir.path.string();
  std::mt19937 random(7);
  std::string last[2], output;
  int changed = 0;
  for (int run = 0; run < 200; run++) {
    const int ms = std::uniform_int_distribution<int>(20, 80)(random);
    const int status = RunCommand("timeout -s KILL 0.0" + std::to_string(ms) + " " + game, output);
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
