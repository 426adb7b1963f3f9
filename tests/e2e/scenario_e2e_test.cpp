// Games started at a scenario, the way "lanternia3 --scenario N" plays them on the headless
// backend: the demo's side story to its end with the state it leaves, the epilogue, a choice
// of fourteen options, and a scenario whose code jumps out of its block.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scenario/scenario_support.h"
#include "support/game_run.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

class ScenarioRun : public ::testing::Test {
 protected:
  void SetUp() override { LinkDemoData(dir.path); }

  // Plays scenario `number` to its end, clicking in turn every 100 ms for `seconds` of the
  // virtual clock where the first option of a choice lies (options start 12 pixels under a
  // one-line question, at the margin 6 x 8) and where "yes" of a yes/no question lies; answers
  // the exit status, fills `output` and `end`.
  int Play(const std::string& number, int seconds = 300) {
    std::string script = "limit " + std::to_string(seconds * 1000 + 1000) + "\n";
    for (int t = 500; t < seconds * 1000; t += 200) {
      script += "at " + std::to_string(t) + " mouse click left 60 60\nat " +
                std::to_string(t + 100) + " mouse click left 290 192\n";
    }
    return PlayScenario(dir.path, number, script, output, end);
  }

  TempDir dir;
  std::string output;
  GameState end{};
};

TEST_F(ScenarioRun, TheSideStoryTakesEveryBranchItShouldAndLeavesItsCountsBehind) {
  ASSERT_EQ(Play("0x50"), 0) << output;
  // 0050: counting, the edges of a byte, every kind of conditional jump jumped (105) and went
  // on (106), the collection counted to 17 and no further (110); going back, the fold after the
  // checkpoint undone once (111), the choice asked twice, the first colour (112). 0051: table
  // option 0 (113, one step of five bytes), the timer, both yes/no jumps. 0052, 0053: the
  // lantern loop (116), the next day, and the caller going on after its call ended the game.
  const std::pair<int, int> expected[] = {{100, 12},   {101, 255},
                                          {102, 0},    {103, 4},
                                          {105, 0xFF}, {106, 0xFF},
                                          {108, 0},    {109, 0},
                                          {110, 0x1F}, {111, 1},
                                          {112, 0},    {kVarChoiceIndex, 0},
                                          {113, 1},    {kVarTableChoice, 0},
                                          {114, 3},    {115, 1},
                                          {116, 3},    {kVarCalendarDay, 0x22},
                                          {117, 1}};
  for (const auto& [n, value] : expected) EXPECT_EQ(end.vars[n], value) << n;
  EXPECT_LT(end.vars[107], 6);
  EXPECT_EQ(end.word1FC, 0x0202);
  EXPECT_EQ(end.currentScenario, 0x53);
  for (int a = kVarJumpA; a < kVarJumpA + 8; a++) EXPECT_EQ(end.vars[a], 0) << "jumps taken";
  for (uint32_t n : {0x50u, 0x51u, 0x52u, 0x53u}) {
    EXPECT_TRUE(ScenarioSeenTest(end.scenarioSeen, n)) << std::hex << n;
  }
  // The history has no message shown before going back and undone by it.
  std::vector<std::pair<int, int>> shown;
  for (int i = 0; i < end.historyCount; i++) {
    shown.emplace_back(end.history[i].scenario, end.history[i].message);
  }
  const std::vector<std::pair<int, int>> opening = {{0x50, 0}, {0x50, 1}, {0x50, 2}, {0x50, 3},
                                                    {0x50, 4}, {0x50, 6}, {0x50, 7}, {0x50, 8},
                                                    {0x50, 9}, {0x50, 13}};
  ASSERT_GE(shown.size(), opening.size());
  EXPECT_EQ(std::vector(shown.begin(), shown.begin() + opening.size()), opening);
  EXPECT_EQ(shown.back(), std::make_pair(0x53, 1));
}

TEST_F(ScenarioRun, TheEpilogueEndsWithTheExtendedQuit) {
  // The slot files a game from the title would have: unreadable ones count as empty.
  for (const char* name : {"LNTR3_00.SAV", "LNTR3_99.SAV"}) {
    std::ofstream(dir.path / name) << std::string(kGameStateSize, '\0');
  }
  ASSERT_EQ(Play("0x54", 60), 0) << output;
  EXPECT_EQ(end.vars[118], 1);
  EXPECT_EQ(end.currentScenario, 0x54);
}

TEST_F(ScenarioRun, AChoiceOfFourteenOptionsOffersTwelveAndGoesOnAfterTheTwelfth) {
  // Question 0, then 14 pairs; option 0 jumps 0 bytes, the others 4. The bytes of pairs 13 and
  // 14 are then run as code: "add v92, 1; nop"; the other options jump over them.
  Bytes code = {0x24, 0, 14};
  for (uint8_t i = 0; i < 12; i++) {
    code.insert(code.end(), {static_cast<uint8_t>(i + 1), static_cast<uint8_t>(i == 0 ? 0 : 4)});
  }
  code.insert(code.end(), {0x62, 92, 1, 0x91, 0x61, 90, 1, 0x20});
  Bytes messages = {0x00, 0x41, 0xB0, 0xAF};  // the question: one character and a line break
  std::map<int, uint16_t> entries{{0, 0}};
  for (int k = 1; k <= 12; k++) {
    entries[k] = static_cast<uint16_t>(messages.size());
    messages.insert(messages.end(), {0xB9, 6, 0x00, 0x42, 0x00, 0x43, 0x00, 0x44, 0xB0, 0xAF});
  }
  WriteFile(dir.path / "0060.SCN",
            ScenarioFile(ScenarioBlock(code), ScenarioBlock(messages, entries)));
  ASSERT_EQ(Play("0x60", 30), 0) << output;
  EXPECT_EQ(end.vars[kVarChoiceIndex], 0);
  EXPECT_EQ(end.vars[92], 1);
  EXPECT_EQ(end.vars[90], 1);
  EXPECT_EQ(end.historyCount, 2) << "the question and the option chosen";
}

TEST_F(ScenarioRun, CodeThatJumpsOutOfItsBlockEndsTheGameNamingTheFile) {
  WriteFile(dir.path / "0061.SCN",
            ScenarioFile(ScenarioBlock({0x61, 90, 1, 0x55, 0x7F}), SimpleMessages(1)));
  EXPECT_EQ(Play("0x61", 10), 1);
  EXPECT_NE(output.find("終了します: データ異常です : 0061.SCN"), std::string::npos) << output;
  EXPECT_FALSE(fs::exists(dir.path / "state.bin"));
}

}  // namespace
