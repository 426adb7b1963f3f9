// The message history: one entry per message shown in a row, and room made by dropping the
// oldest 500 entries once 2000 are kept.
#include "scenario/history.h"

#include <gtest/gtest.h>

#include "scenario/game_state.h"

namespace {

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override { GameStateReset(); }
  void TearDown() override { GameStateReset(); }
};

TEST_F(HistoryTest, AMessageShownAgainRightAwayIsRecordedOnce) {
  CurrentScenario = 0x30;
  RecordHistory(4);
  RecordHistory(4);
  CurrentScenario = 0x31;
  RecordHistory(4);  // the same number in another scenario is another message
  RecordHistory(5);
  RecordHistory(4);  // not right after its first showing
  ASSERT_EQ(HistoryCount, 4);
  EXPECT_EQ(History[0].scenario, 0x30);
  EXPECT_EQ(History[1].scenario, 0x31);
  EXPECT_EQ(History[1].message, 4);
  EXPECT_EQ(History[2].message, 5);
  EXPECT_EQ(History[3].message, 4);
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
}

TEST_F(HistoryTest, ACountBeyondTheEntriesIsTreatedAsFull) {
  // A damaged save may carry any count; the entries are never read or written past their end.
  HistoryCount = 0xFFFF;
  CurrentScenario = 1;
  RecordHistory(2);
  EXPECT_EQ(HistoryCount, 1501);
  EXPECT_EQ(History[1500].message, 2);
}

}  // namespace
