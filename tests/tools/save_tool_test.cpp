// lntr3tool save on the files the game itself writes: what info tells, and unseal and seal
// giving back the same record.
#include "scenario/game_state.h"
#include "scenario/scenario_support.h"
#include "screens/save_data.h"
#include "support/game_run.h"
#include "support/tool_run.h"

namespace {

using SaveTool = ToolRunTest;

TEST_F(SaveTool, InfoUnsealAndSealWorkOnTheGamesOwnFiles) {
  // A game that sets variable 100 to 7, folds its progress into slots 0 and 99 and ends.
  WriteStartArchives(dir.path);
  WriteFile(At("0040.SCN"),
            ScenarioFile(ScenarioBlock({0x34, 100, 7, 0x94, 0x20}), SimpleMessages(1)));
  const std::string script = WriteScript(dir.path, "date 2026-12-05 14:07:09\n");
  ASSERT_EQ(
      RunHeadless("--data " + dir.path.string() + " --scenario 0x40 --script " + script, output), 0)
      << output;
  ASSERT_EQ(Tool("save info LNTR3_00.SAV LNTR3_99.SAV"), 0) << output;
  EXPECT_TRUE(
      Said("LNTR3_00.SAV: sound save (9028 bytes, checksum holds)\n"
           "  names: 春日 / 悠 / ユウくん / ゆう / ユウ\n"
           "  saved: 2026-12-05 14:07:09\n  play counter: 1\n"))
      << output;
  EXPECT_TRUE(Said("  empty slot: yes (variable 154 = 1)")) << output;

  // Unsealed and sealed again, a save holds the same record under a new salt.
  ASSERT_EQ(Tool("save unseal LNTR3_00.SAV raw.bin"), 0) << output;
  const std::string raw = ReadFileText(At("raw.bin"));
  ASSERT_EQ(raw.size(), kGameStateSize);
  EXPECT_EQ(raw[offsetof(GameState, vars) + 100], 7);
  ASSERT_EQ(Tool("save seal raw.bin NEW.SAV") + Tool("save unseal NEW.SAV again.bin"), 0) << output;
  const size_t sealByte = offsetof(GameState, sealByte);
  EXPECT_EQ(ReadFileText(At("again.bin")).substr(kSaltBytes, sealByte - kSaltBytes),
            raw.substr(kSaltBytes, sealByte - kSaltBytes));

  std::string damaged = ReadFileText(At("NEW.SAV"));
  damaged[5000] ^= 4;
  WriteFileBytes(At("BAD.SAV"), damaged);
  WriteFileBytes(At("SHORT.SAV"), damaged.substr(1));
  EXPECT_EQ(Tool("save info BAD.SAV SHORT.SAV NONE.SAV"), 1);
  for (const char* line :
       {"BAD.SAV: damaged save: the checksum does not hold",
        "SHORT.SAV: not a save: 9027 bytes, a save holds 9028", "cannot read NONE.SAV"}) {
    EXPECT_TRUE(Said(line)) << line << "\n" << output;
  }
  ExpectRefused("save unseal BAD.SAV out.bin", "BAD.SAV: the checksum does not hold");
  EXPECT_EQ(Tool("save unseal --force BAD.SAV out.bin"), 0) << output;
  ExpectRefused("save seal SHORT.SAV X.SAV", "SHORT.SAV: 9027 bytes, a save holds 9028");
}

}  // namespace
