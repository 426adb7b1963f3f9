// The scenario loader: reading both blocks, the skip permission with its menu item, the seen
// set, reloading the resident scenario, the log view's cached message block, and files whose
// blocks or entries point outside them.
#include <cstring>

#include "app/settings.h"
#include "platform/platform.h"
#include "scenario/scenario_support.h"

namespace {

using ScenarioLoader = ScenarioTest;

bool SkipItemEnabled() {
  return PlatMenuIsEnabled(kMenuSkipToChoice);
}

std::string BlockLabel(MemHandle handle) {
  for (int i = 0; i < MemTable.count; i++) {
    if (MemTable.rows[i].handle == handle) return std::string(MemTable.rows[i].name, 16);
  }
  return "";
}

TEST_F(ScenarioLoader, ReadsBothBlocksAndStartsAtEntryZero) {
  WriteScenario(0x07A, ScenarioBlock({0x91, 0x91, 0x20}, {{0, 2}, {1, 1}}), SimpleMessages(3));
  LoadScenario(0x7A, true);
  EXPECT_EQ(CurrentScenario, 0x7A);
  EXPECT_EQ(EventPc, kBodyStart + 2);
  EXPECT_EQ(EventEntry(1), kBodyStart + 1);
  EXPECT_EQ(ScriptVars[kVarScenarioStarted], 1);
  EXPECT_EQ(MemSize(EventData), kBodyStart + 3u);
  EXPECT_EQ(BlockLabel(EventData), "EVENT DATA      ");
  EXPECT_EQ(BlockLabel(MessageData), "MESSAGE DATA    ");
  const uint8_t* third = MessageCode(2);
  EXPECT_EQ(third[0], 0x00);
  EXPECT_EQ(third[1], 0x43);
  EXPECT_EQ(third[2], 0xAF);
}

TEST_F(ScenarioLoader, LoadingWithoutStartKeepsEventPcAndVariable141) {
  WriteScenario(0x100, ScenarioBlock({0x20}));
  EventPc = 1234;
  LoadScenario(0x100, false);
  EXPECT_EQ(EventPc, 1234);
  EXPECT_EQ(ScriptVars[kVarScenarioStarted], 0);
}

TEST_F(ScenarioLoader, SkipIsAllowedForSeenScenariosAndAlwaysFor32To127) {
  for (uint16_t number : {0x1F, 0x20, 0x7F, 0x80, 0x85})
    WriteScenario(number, ScenarioBlock({0x20}));
  ScenarioSeenMark(ScenarioSeen, 0x85);

  SkipToChoice = 1;
  LoadScenario(0x1F, true);
  EXPECT_EQ(SkipAllowed, 0);
  EXPECT_EQ(SkipToChoice, 0);
  EXPECT_FALSE(SkipItemEnabled());

  LoadScenario(0x20, true);
  EXPECT_EQ(SkipAllowed, 1);
  EXPECT_TRUE(SkipItemEnabled());
  SkipToChoice = 1;
  LoadScenario(0x7F, true);
  EXPECT_EQ(SkipAllowed, 1);
  EXPECT_EQ(SkipToChoice, 1) << "an allowed skip goes on";

  LoadScenario(0x80, true);
  EXPECT_EQ(SkipAllowed, 0);
  EXPECT_FALSE(SkipItemEnabled());
  LoadScenario(0x85, true);
  EXPECT_EQ(SkipAllowed, 1);
  EXPECT_TRUE(SkipItemEnabled());
}

TEST_F(ScenarioLoader, LeavingMarksTheScenarioButTheFirstLoadMarksNothing) {
  WriteScenario(0x000, ScenarioBlock({0x20}));
  WriteScenario(0x201, ScenarioBlock({0x20}));
  ASSERT_EQ(CurrentScenario, kNoScenario);
  LoadScenario(0x000, true);
  for (uint8_t byte : ScenarioSeen) ASSERT_EQ(byte, 0) << "nothing was left yet";
  LoadScenario(0x201, true);
  EXPECT_TRUE(ScenarioSeenTest(ScenarioSeen, 0x000));
  EXPECT_FALSE(ScenarioSeenTest(ScenarioSeen, 0x201));
  EXPECT_EQ(ScenarioSeen[0x201 >> 3], 0);
}

TEST_F(ScenarioLoader, ReloadingTheResidentScenarioReadsNothingButCountsAsLeavingIt) {
  WriteScenario(0x200, ScenarioBlock({0x91, 0x20}, {{0, 1}}));
  LoadScenario(0x200, true);
  const MemHandle events = EventData, messages = MessageData;
  EventPc = 0;
  ScriptVars[kVarScenarioStarted] = 0;

  // The file may even be gone: nothing is read again.
  std::filesystem::remove(dir.path / "0200.SCN");
  LoadScenario(0x200, true);
  EXPECT_EQ(EventData, events);
  EXPECT_EQ(MessageData, messages);
  EXPECT_EQ(EventPc, kBodyStart + 1);
  EXPECT_EQ(ScriptVars[kVarScenarioStarted], 1);
  EXPECT_TRUE(ScenarioSeenTest(ScenarioSeen, 0x200));
  // The permission was decided before the mark: the third load is the first one allowed.
  EXPECT_EQ(SkipAllowed, 0);
  LoadScenario(0x200, false);
  EXPECT_EQ(SkipAllowed, 1);
  EXPECT_TRUE(SkipItemEnabled());
}

TEST_F(ScenarioLoader, UnloadKeepsOnlyTheScenarioItIsToldTo) {
  WriteScenario(0x300, ScenarioBlock({0x20}));
  LoadScenario(0x300, false);
  UnloadScenario(0x300);
  EXPECT_NE(EventData, 0u);
  EXPECT_EQ(CurrentScenario, 0x300);
  const int blocks = MemTable.count;
  UnloadScenario(255);
  EXPECT_EQ(EventData, 0u);
  EXPECT_EQ(MessageData, 0u);
  EXPECT_EQ(CurrentScenario, kNoScenario);
  EXPECT_EQ(MemTable.count, blocks - 2);
}

TEST_F(ScenarioLoader, TheLogViewBlockIsCachedAndLeavesTheResidentScenarioAlone) {
  WriteScenario(0x10, ScenarioBlock({0x20}), SimpleMessages(2));
  WriteScenario(0x11, ScenarioBlock({0x20}), SimpleMessages(5));
  LoadScenario(0x10, false);
  const MemHandle resident = MessageData;

  LoadMessageBlock(0x11);
  const MemHandle view = ViewMessageData;
  EXPECT_EQ(BlockLabel(view), "VIEW MES DATA   ");
  EXPECT_EQ(MemSize(view), kBodyStart + 15u);
  EXPECT_EQ(ViewMessageScenario, 0x11);
  std::filesystem::remove(dir.path / "0011.SCN");
  LoadMessageBlock(0x11);
  EXPECT_EQ(ViewMessageData, view) << "the cached block is used again";

  LoadMessageBlock(0x10);
  EXPECT_EQ(ViewMessageScenario, 0x10);
  EXPECT_EQ(MemSize(ViewMessageData), MemSize(resident));
  EXPECT_EQ(MessageData, resident);
  EXPECT_EQ(CurrentScenario, 0x10);
  UnloadMessageBlock();
  EXPECT_EQ(ViewMessageData, 0u);
  EXPECT_EQ(ViewMessageScenario, kNoScenario);
}

// [SECTION] Damaged files

TEST_F(ScenarioLoader, ABlockPositionPastTheFileIsFatal) {
  Bytes file = ScenarioFile(ScenarioBlock({0x20}), SimpleMessages(1));
  file[2] = 0xFF;  // the message block far behind the end
  WriteFile(dir.path / "0123.SCN", file);
  EXPECT_SCENARIO_FATAL(LoadScenario(0x123, true), "0123.SCN");
}

TEST_F(ScenarioLoader, EntriesOutsideATinyEventBlockAreFatal) {
  WriteScenario(0x124, Bytes{0, 0, 9, 0, 0x20});
  EXPECT_SCENARIO_FATAL(LoadScenario(0x124, true), "0124.SCN");
  LoadScenario(0x124, false);                        // only starting reads an entry
  EXPECT_SCENARIO_FATAL(EventEntry(1), "0124.SCN");  // the table itself is cut short
}

TEST_F(ScenarioLoader, EntryAndMessageOffsetsPastTheirBlocksAreFatal) {
  Bytes events = ScenarioBlock({0x20}, {{0, 0}, {1, 1}});
  Bytes messages = SimpleMessages(2);
  messages[4] = 0xFF;  // message 1 far behind the end
  WriteScenario(0x125, events, messages);
  LoadScenario(0x125, true);
  EXPECT_SCENARIO_FATAL(EventEntry(1), "0125.SCN");
  EXPECT_SCENARIO_FATAL(MessageCode(1), "0125.SCN");
  EXPECT_EQ(MessageCode(0)[1], 0x41);
}

}  // namespace
