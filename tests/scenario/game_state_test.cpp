// The game state record: the names the engine uses are the bytes at their save-file offsets, the
// copies between the four instances go the right way and take every byte, and the start values.
#include "scenario/game_state.h"

#include <cstddef>

#include "audio/audio.h"
#include "gtest/gtest.h"

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
