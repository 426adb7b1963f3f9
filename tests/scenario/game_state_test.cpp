// The game state record: the names the engine uses are the bytes at their save-file offsets, the
// copies between the four instances go the right way and take every byte, the seen set, and
// the message history kept in it (one entry per message shown in a row, the oldest 500 dropped
// once 2000 are kept).
#include "scenario/game_state.h"

#include <cstddef>
#include <utility>

#include "audio/audio.h"
#include "gtest/gtest.h"
#include "scenario/history.h"

namespace {

class GameStateTest : public ::testing::Test {
 protected:
  void SetUp() override { GameStateReset(); }
  void TearDown() override { GameStateReset(); }
};

TEST_F(GameStateTest, NamedFieldsAreTheBytesOfTheSaveImage) {
  const struct {
    const void* field;
    ptrdiff_t offset;
  } fields[] = {
      {&EventPc, 0x0FE},         {&CurrentScenario, 0x100},   {&TextX, 0x1F4},
      {&TextY, 0x1F6},           {&ShadowColour, 0x1FA},      {&PageOffset, 0x1F2},
      {&HistoryCount, 0x3FE},    {&History[1], 0x406},        {&NameArrays[2][0], 0x0CC},
      {&CharCode[5], 0x118},     {&CharOrder[0], 0x0F2},      {&WeatherMode, 0x0F0},
      {&BgShown, 0x10A},         {&VCgShown, 0x10C},          {&HCgShown, 0x10D},
      {&FilterMode, 0x11A},      {&ScenarioSeen[0], 0x1FE},   {&ScriptVars[207], 0x1EF},
      {&MusicNext, 0x120 + 140}, {&WeatherNext, 0x120 + 201}, {&ScriptVar(210), 0x1F2},
  };
  for (const auto& f : fields) {
    EXPECT_EQ(static_cast<const uint8_t*>(f.field) - StateBytes(LiveState), f.offset)
        << "field at 0x" << std::hex << f.offset;
  }
}

TEST_F(GameStateTest, CopiesTakeTheWholeRecordInTheirDirection) {
  const struct {
    void (*copy)();
    GameState *from, *to;
  } copies[] = {{TakeSavePoint, &LiveState, &SaveState},
                {SetCheckpoint, &LiveState, &CheckpointState},
                {BeginChoice, &LiveState, &ChoiceState},
                {CommitChoice, &ChoiceState, &CheckpointState},
                {ResetChoice, &CheckpointState, &ChoiceState}};
  uint8_t mark = 1;
  for (const auto& c : copies) {
    // A fresh mark on the first and last byte of the source reaches both ends of the copy.
    StateBytes(*c.from)[0] = StateBytes(*c.from)[kGameStateSize - 1] = ++mark;
    c.copy();
    EXPECT_EQ(StateBytes(*c.to)[0], mark) << int{mark};
    EXPECT_EQ(StateBytes(*c.to)[kGameStateSize - 1], mark) << int{mark};
    EXPECT_EQ(CheckpointValid, mark >= 3) << "valid once SetCheckpoint ran";
  }
}

TEST_F(GameStateTest, TheSeenSetHasOneBitPerScenarioUpTo4095) {
  for (uint32_t n : {0u, 13u, 4095u, 4096u, 65535u}) ScenarioSeenMark(ScenarioSeen, n);
  EXPECT_EQ(ScenarioSeen[0], 0x01);
  EXPECT_EQ(ScenarioSeen[1], 0x20);
  EXPECT_EQ(ScenarioSeen[511], 0x80);
  EXPECT_TRUE(ScenarioSeenTest(ScenarioSeen, 13));
  EXPECT_FALSE(ScenarioSeenTest(ScenarioSeen, 12));
  EXPECT_FALSE(ScenarioSeenTest(ScenarioSeen, 65535));
  EXPECT_EQ(LiveState.historyCount, 0) << "nothing written behind the set";
}

using HistoryTest = GameStateTest;

TEST_F(HistoryTest, AMessageShownAgainRightAwayIsRecordedOnce) {
  CurrentScenario = 0x30;
  RecordHistory(4);
  RecordHistory(4);
  CurrentScenario = 0x31;
  RecordHistory(4);  // the same number in another scenario is another message
  RecordHistory(5);
  RecordHistory(4);  // not right after its first showing
  ASSERT_EQ(HistoryCount, 4);
  const std::pair<int, int> expected[] = {{0x30, 4}, {0x31, 4}, {0x31, 5}, {0x31, 4}};
  for (int i = 0; i < 4; i++)
    EXPECT_EQ((std::pair<int, int>(History[i].scenario, History[i].message)), expected[i]) << i;
}

TEST_F(HistoryTest, TheEntryAfterTwoThousandDropsTheOldestFiveHundred) {
  for (uint16_t i = 0; i < kHistoryMax; i++) {
    CurrentScenario = i;
    RecordHistory(static_cast<uint8_t>(i));
  }
  ASSERT_EQ(HistoryCount, kHistoryMax);
  CurrentScenario = 0x999;
  RecordHistory(7);
  ASSERT_EQ(HistoryCount, 1501);
  EXPECT_EQ(History[0].scenario, 500);
  EXPECT_EQ(History[0].message, 500 % 256);
  EXPECT_EQ(History[1499].scenario, 1999);
  EXPECT_EQ(History[1500].scenario, 0x999);
  EXPECT_EQ(History[1500].message, 7);
  // A damaged save may carry any count: it is taken as full, nothing past the entries is touched.
  HistoryCount = 0xFFFF;
  RecordHistory(2);
  EXPECT_EQ(HistoryCount, 1501);
  EXPECT_EQ(History[1500].message, 2);
}

}  // namespace
