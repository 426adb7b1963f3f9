// lntr3tool save on the files the game itself writes: what info tells, and unseal and seal
// giving back the same record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scenario/game_state.h"
#include "scenario/scenario_support.h"
#include "support/game_run.h"
#include "support/tool_run.h"

namespace {

class SaveTool : public ToolRunTest {
 protected:
  // A game that sets variable 100 to 7, folds its progress once on a known day and ends: slot 0
  // and slot 99 as the engine writes them (no message was shown, so no save point was taken and
  // the slot holds no scenario).
  void SetUp() override {
    WriteStartArchives(dir.path);
    WriteFile(At("0040.SCN"),
              ScenarioFile(ScenarioBlock({0x34, 100, 7, 0x94, 0x20}), SimpleMessages(1)));
    std::string run;
    ASSERT_EQ(RunHeadless("--data " + dir.path.string() + " --scenario 0x40 --script " +
                              WriteScript(dir.path, "date 2026-12-05 14:07:09\n"),
                          run),
              0)
        << run;
  }
  GameState Record(const std::string& name) {
    GameState state{};
    const std::vector<uint8_t> bytes = ReadFileBytes(At(name));
    EXPECT_EQ(bytes.size(), kGameStateSize) << name;
    std::memcpy(&state, bytes.data(), std::min(bytes.size(), kGameStateSize));
    return state;
  }
};

TEST_F(SaveTool, InfoUnsealAndSealWorkOnTheGamesOwnFiles) {
  ASSERT_EQ(Tool("save info LNTR3_00.SAV LNTR3_99.SAV"), 0) << output;
  for (const char* line : {"LNTR3_00.SAV: sound save (9028 bytes, checksum holds)\n"
                           "  names: 春日 / 悠 / ユウくん / ゆう / ユウ\n"
                           "  saved: 2026-12-05 14:07:09\n"
                           "  play counter: 1\n"
                           "  scenario: 0x0000, event position 0x0000\n"
                           "  empty slot: no (variable 154 = 0)\n",
                           "LNTR3_99.SAV: sound save", "  empty slot: yes (variable 154 = 1)"}) {
    EXPECT_TRUE(Said(line)) << line << "\n" << output;
  }

  // A modder's round trip: unseal, change a variable, seal; the game's record comes back.
  ASSERT_EQ(Tool("save unseal LNTR3_00.SAV raw.bin"), 0) << output;
  GameState raw = Record("raw.bin");
  EXPECT_EQ(raw.vars[100], 7);
  raw.vars[101] = 0x42;
  WriteFileBytes(At("raw.bin"), std::string_view(reinterpret_cast<char*>(&raw), kGameStateSize));
  ASSERT_EQ(Tool("save seal raw.bin LNTR3_01.SAV"), 0) << output;
  ASSERT_EQ(Tool("save unseal LNTR3_01.SAV again.bin"), 0) << output;
  const GameState again = Record("again.bin");
  EXPECT_EQ(std::memcmp(&again.unused0B3, &raw.unused0B3, offsetof(GameState, sealByte) - 179), 0);

  // A damaged file: info says so, unseal refuses it unless forced.
  std::vector<uint8_t> damaged = ReadFileBytes(At("LNTR3_01.SAV"));
  damaged[5000] ^= 4;
  WriteFileBytes(At("BAD.SAV"), damaged);
  ASSERT_EQ(Tool("save info BAD.SAV"), 0) << output;
  EXPECT_TRUE(Said("BAD.SAV: damaged save: the checksum does not hold")) << output;
  ExpectRefused("save unseal BAD.SAV out.bin", "BAD.SAV: the checksum does not hold");
  EXPECT_EQ(Tool("save unseal --force BAD.SAV out.bin"), 0) << output;

  // Files that cannot be read or have the wrong size.
  damaged.pop_back();
  WriteFileBytes(At("SHORT.SAV"), damaged);
  EXPECT_EQ(Tool("save info SHORT.SAV NONE.SAV"), 1);
  EXPECT_TRUE(Said("SHORT.SAV: not a save: 9027 bytes, a save holds 9028")) << output;
  EXPECT_TRUE(Said("cannot read NONE.SAV")) << output;
  ExpectRefused("save seal SHORT.SAV X.SAV", "SHORT.SAV: 9027 bytes, a save holds 9028");
}

}  // namespace
