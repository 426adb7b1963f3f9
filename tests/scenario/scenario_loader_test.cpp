// The scenario loader: reading both blocks, the skip permission with its menu item, the seen
// set, reloading the resident scenario, and files whose blocks or entries point outside them.
#include "app/settings.h"
#include "platform/platform.h"
#include "scenario/scenario_support.h"

namespace {

using ScenarioLoader = ScenarioTest;

bool SkipItemEnabled() {
  return PlatMenuIsEnabled(kMenuSkipToChoice);
}

TEST_F(ScenarioLoader, ReadsBothBlocksAndStartsAtEntryZero) {
  WriteScenario(0x07A, ScenarioBlock({0x91, 0x91, 0x20}, {{0, 2}, {1, 1}}), SimpleMessages(3));
  LoadScenario(0x7A, true);
  EXPECT_EQ(CurrentScenario, 0x7A);
  EXPECT_EQ(EventPc, kBodyStart + 2);
  EXPECT_EQ(EventEntry(1), kBodyStart + 1);
  EXPECT_EQ(ScriptVars[kVarScenarioStarted], 1);
  EXPECT_EQ(MemSize(EventData), kBodyStart + 3u);
  EXPECT_EQ(Bytes(MessageCode(2), MessageCode(2) + 3), (Bytes{0x00, 0x43, 0xAF}));
}

TEST_F(ScenarioLoader, SkipIsAllowedForSeenScenariosAndAlwaysFor32To127) {
  const struct {
    uint16_t number;
    bool allowed;
  } loads[] = {{0x1F, false}, {0x20, true}, {0x7F, true}, {0x80, false}, {0x85, true}};
  for (const auto& load : loads) WriteScenario(load.number, ScenarioBlock({0x20}));
  ScenarioSeenMark(ScenarioSeen, 0x85);
  for (const auto& load : loads) {
    SkipToChoice = 1;
    LoadScenario(load.number, true);
    EXPECT_EQ(SkipAllowed, load.allowed) << std::hex << load.number;
    EXPECT_EQ(SkipItemEnabled(), load.allowed) << std::hex << load.number;
    EXPECT_EQ(SkipToChoice, load.allowed) << "only an allowed skip goes on";
  }
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
  EventPc = 1234;
  ScriptVars[kVarScenarioStarted] = 0;
  LoadScenario(0x200, false);  // without starting: no entry, no start flag
  EXPECT_EQ(SkipAllowed, 1);
  EXPECT_EQ(EventPc, 1234);
  EXPECT_EQ(ScriptVars[kVarScenarioStarted], 0);
}

// [SECTION] Damaged files

TEST_F(ScenarioLoader, BlocksEntriesAndMessagesPastTheirEndAreFatal) {
  Bytes file = ScenarioFile(ScenarioBlock({0x20}), SimpleMessages(1));
  file[2] = 0xFF;  // the message block far behind the end
  WriteFile(dir.path / "0123.SCN", file);
  EXPECT_SCENARIO_FATAL(LoadScenario(0x123, true), "0123.SCN");
  // An event block too small for its entry table; only starting reads an entry.
  WriteScenario(0x124, Bytes{0, 0, 9, 0, 0x20});
  EXPECT_SCENARIO_FATAL(LoadScenario(0x124, true), "0124.SCN");
  LoadScenario(0x124, false);
  EXPECT_SCENARIO_FATAL(EventEntry(1), "0124.SCN");
  // Entry 1 and message 1 point far behind the end of their blocks.
  Bytes messages = SimpleMessages(2);
  messages[4] = 0xFF;
  WriteScenario(0x125, ScenarioBlock({0x20}, {{0, 0}, {1, 1}}), messages);
  LoadScenario(0x125, true);
  EXPECT_SCENARIO_FATAL(EventEntry(1), "0125.SCN");
  EXPECT_SCENARIO_FATAL(MessageCode(1), "0125.SCN");
  EXPECT_EQ(MessageCode(0)[1], 0x41);
  // A packed block that cannot give the 4096 bytes it announces: the unpacker's own message,
  // and the scenario it belongs to.
  Bytes cut(16, 0);
  cut[0] = cut[2] = 1;
  cut.insert(cut.end(), {0x00, 0x10, 0, 0, 0xFF, 0x00});
  WriteFile(dir.path / "0126.SCN", cut);
  EXPECT_EXIT(LoadScenario(0x126, true), ::testing::ExitedWithCode(1),
              "データ異常です : 展開バッファ\n0126.SCN");
}

}  // namespace
