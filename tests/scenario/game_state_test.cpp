// The game state record: the named fields land at their save-file offsets, the copies between
// the four instances go the right way and take every byte, and the start values.
#include "scenario/game_state.h"

#include <cstring>

#include "audio/audio.h"
#include "gtest/gtest.h"

namespace {

class GameStateTest : public ::testing::Test {
 protected:
  void SetUp() override { GameStateReset(); }
  void TearDown() override { GameStateReset(); }

  static uint16_t Word(GameState& state, size_t offset) {
    const uint8_t* bytes = StateBytes(state);
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
  }
};

TEST_F(GameStateTest, NamedFieldsAreTheBytesOfTheSaveImage) {
  EventPc = 0x1234;
  CurrentScenario = 0x0A0B;
  TextX = 0x0102;
  ShadowColour = 0x00E4;
  PageOffset = 0x0F0F;
  HistoryCount = 0x07D0;
  History[0] = {0x55, 0x66};
  NameArrays[2][0] = 0x0102;
  CharCode[5] = 0xBEEF;
  CharOrder[0] = 3;
  WeatherMode = 4;
  BgShown = 57;
  HCgShown = 9;
  FilterMode = 6;
  ScenarioSeen[0] = 0x81;
  ScriptVars[0] = 0x10;
  ScriptVars[207] = 0x20;
  MusicNext = 12;
  WeatherNext = 7;

  EXPECT_EQ(Word(LiveState, 0x0FE), 0x1234);
  EXPECT_EQ(Word(LiveState, 0x100), 0x0A0B);
  EXPECT_EQ(Word(LiveState, 0x1F4), 0x0102);
  EXPECT_EQ(Word(LiveState, 0x1FA), 0x00E4);
  EXPECT_EQ(Word(LiveState, 0x1F2), 0x0F0F);
  EXPECT_EQ(Word(LiveState, 0x3FE), 0x07D0);
  EXPECT_EQ(Word(LiveState, 0x402), 0x55);
  EXPECT_EQ(Word(LiveState, 0x404), 0x66);
  EXPECT_EQ(Word(LiveState, 0x0B4 + 2 * 6 * 2), 0x0102);
  EXPECT_EQ(Word(LiveState, 0x10E + 2 * 5), 0xBEEF);
  EXPECT_EQ(Word(LiveState, 0x0F2), 3);
  const uint8_t* bytes = StateBytes(LiveState);
  EXPECT_EQ(bytes[0x0F0], 4);
  EXPECT_EQ(bytes[0x10A], 57);
  EXPECT_EQ(bytes[0x10D], 9);
  EXPECT_EQ(bytes[0x11A], 6);
  EXPECT_EQ(bytes[0x1FE], 0x81);
  EXPECT_EQ(bytes[0x120], 0x10);
  EXPECT_EQ(bytes[0x1EF], 0x20);
  EXPECT_EQ(bytes[0x120 + 140], 12);
  EXPECT_EQ(bytes[0x120 + 201], 7);
}

TEST_F(GameStateTest, VariableNumbersUpTo255ReachOnIntoTheRecord) {
  ScriptVar(208) = 1;
  ScriptVar(210) = 2;
  ScriptVar(220) = 3;
  ScriptVar(255) = 4;
  EXPECT_EQ(LiveState.word1F0, 1);
  EXPECT_EQ(PageOffset, 2);
  EXPECT_EQ(LiveState.word1FC, 3);
  EXPECT_EQ(ScenarioSeen[0x21], 4);
  StateVar(CheckpointState, 154) = 9;
  EXPECT_EQ(CheckpointState.vars[154], 9);
}

TEST_F(GameStateTest, CopiesTakeTheWholeRecordInTheirDirection) {
  auto mark = [](GameState& state, uint8_t value) {
    StateBytes(state)[0] = value;
    StateBytes(state)[kGameStateSize - 1] = value;
  };
  auto marked = [](GameState& state) {
    const uint8_t first = StateBytes(state)[0];
    return first == StateBytes(state)[kGameStateSize - 1] ? first : 0xFF;
  };
  mark(LiveState, 1);
  TakeSavePoint();
  EXPECT_EQ(marked(SaveState), 1);
  EXPECT_EQ(CheckpointValid, 0);
  mark(LiveState, 2);
  SetCheckpoint();
  EXPECT_EQ(marked(CheckpointState), 2);
  EXPECT_EQ(CheckpointValid, 1);
  mark(LiveState, 3);
  BeginChoice();
  EXPECT_EQ(marked(ChoiceState), 3);
  EXPECT_EQ(marked(CheckpointState), 2);
  CommitChoice();
  EXPECT_EQ(marked(CheckpointState), 3);
  mark(CheckpointState, 4);
  ResetChoice();
  EXPECT_EQ(marked(ChoiceState), 4);
  EXPECT_EQ(marked(LiveState), 3);
  EXPECT_EQ(marked(SaveState), 1);
}

TEST_F(GameStateTest, ANewRecordHasNothingResidentShownOrNamed) {
  EXPECT_EQ(CurrentScenario, kNoScenario);
  EXPECT_EQ(LiveState.currentMusic, 255);
  EXPECT_EQ(LiveState.pcmEntry, 255);
  EXPECT_EQ(BgShown, kNoPicture);
  EXPECT_EQ(VCgShown, kNoPicture);
  for (int slot = 0; slot < 6; slot++) EXPECT_EQ(CharCode[slot], kEmptyCode);
  EXPECT_EQ(NameArrays[4][5], kEmptyCode);
  for (uint8_t v : ScriptVars) EXPECT_EQ(v, 0);
  for (uint8_t b : CheckpointState.salt) EXPECT_EQ(b, 0);
}

TEST_F(GameStateTest, TheSeenSetHasOneBitPerScenarioUpTo4095) {
  ScenarioSeenMark(ScenarioSeen, 0);
  ScenarioSeenMark(ScenarioSeen, 13);
  ScenarioSeenMark(ScenarioSeen, 4095);
  ScenarioSeenMark(ScenarioSeen, 4096);
  ScenarioSeenMark(ScenarioSeen, 65535);
  EXPECT_EQ(ScenarioSeen[0], 0x01);
  EXPECT_EQ(ScenarioSeen[1], 0x20);
  EXPECT_EQ(ScenarioSeen[511], 0x80);
  EXPECT_TRUE(ScenarioSeenTest(ScenarioSeen, 13));
  EXPECT_FALSE(ScenarioSeenTest(ScenarioSeen, 12));
  EXPECT_FALSE(ScenarioSeenTest(ScenarioSeen, 65535));
  EXPECT_EQ(LiveState.historyCount, 0) << "nothing written behind the set";
}

}  // namespace
