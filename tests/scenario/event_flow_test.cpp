// The event interpreter's flow: nested levels, moving between scenarios and entries, going
// back to a checkpoint, the timer of the extended command, and code that would lead outside
// its block.
#include "audio/audio.h"
#include "platform/platform.h"
#include "scenario/scenario_support.h"
#include "support/frame_probe.h"

namespace {

using EventFlow = ScenarioTest;

enum : uint8_t {
  End = 0x20,
  Ext = 0x21,
  Call = 0x22,
  Checkpoint = 0x26,
  Restore = 0x27,
  Scenario = 0x28,
  Jump = 0x29,
  NextDay = 0x2A,
  TakeA = 0x2E,
  TakeB = 0x30,
  Goto = 0x55,
  IfGe = 0x5A,
  Set = 0x61,
  Add = 0x62,
};

TEST_F(EventFlow, EndInACalledEntryEndsThatLevelAndTheCallerGoesOn) {
  Run({Call, 1, Set, 90, 1, End,      // entry 0
       Set, 91, 1, End, Set, 92, 1},  // entry 1 at 6
      {{0, 0}, {1, 6}});
  // v90 says the caller went on after the call; v92 that entry 1 stopped at its end.
  EXPECT_EQ(Bytes(ScriptVars + 90, ScriptVars + 93), (Bytes{1, 1, 0}));
  EXPECT_EQ(ScriptExit, kScriptEnded);
}

TEST_F(EventFlow, ACalledLevelThatEndedTheGameStopsItsCallerAtTheNextStopPoint) {
  // After the call ScriptExit is 1: the caller's next extended command stops it.
  Run({Call, 1, Set, 90, 1, Ext, 7, Set, 91, 1, End, End}, {{0, 0}, {1, 11}});
  EXPECT_EQ(ScriptVars[90], 1);
  EXPECT_EQ(ScriptVars[91], 0);
}

TEST_F(EventFlow, JumpsToEntriesAndToOtherScenarios) {
  WriteScenario(0x0123, ScenarioBlock({Set, 91, 1, End, Set, 92, 1, End}, {{0, 0}, {4, 4}}));
  Run({Jump, 2, Set, 90, 9, End,              // entry 0
       Set, 90, 1, Scenario, 0x01, 0x23, 4},  // entry 2 at 6
      {{0, 0}, {2, 6}});
  EXPECT_EQ(CurrentScenario, 0x123);
  EXPECT_EQ(Bytes(ScriptVars + 90, ScriptVars + 93), (Bytes{1, 0, 1})) << "entry 2, then 4";
  EXPECT_EQ(ScriptVars[kVarScenarioStarted], 1);
  EXPECT_TRUE(ScenarioSeenTest(ScenarioSeen, 0x40)) << "the scenario left is marked";
}

TEST_F(EventFlow, NextDayGoesToTheScenarioOfTheNextDayAtEntryOne) {
  WriteScenario(0x0053, ScenarioBlock({Set, 91, 1, End, Set, 92, 1, End}, {{0, 0}, {1, 4}}));
  WriteScenario(0x0130, ScenarioBlock({Set, 93, 1, End}, {{0, 0}, {1, 0}}));
  Run({Set, kVarCalendarDay, 0x22, NextDay});
  EXPECT_EQ(CurrentScenario, 0x53);
  EXPECT_EQ(Bytes(ScriptVars + 91, ScriptVars + 93), (Bytes{0, 1})) << "entry 1";
  Run({Set, kVarCalendarDay, 255, NextDay});
  EXPECT_EQ(CurrentScenario, 0x130) << "0x30 + 255 + 1 does not wrap";
}

TEST_F(EventFlow, StoredJumpsAreTakenOnceAndForgotten) {
  WriteScenario(0x0041, ScenarioBlock({Set, 91, 1, TakeB, Set, 92, 1, End}, {{0, 0}, {3, 4}}));
  Run({0x2D, 0x00, 0x41, 3, 0x2F, 0x00, 0x42, 0, TakeA});
  EXPECT_EQ(Bytes(ScriptVars + 91, ScriptVars + 93), (Bytes{0, 1})) << "entry 3";
  EXPECT_EQ(CurrentScenario, 0x41);
  EXPECT_EQ(Bytes(ScriptVars + 163, ScriptVars + 169), (Bytes{0, 0, 0, 0, 0x00, 0x42}))
      << "jump A is forgotten, jump B still kept";
}

TEST_F(EventFlow, GoingBackRestoresTheCheckpointAndRunsOnFromIt) {
  // v10 = 5; checkpoint; v10 += 1; v220 += 1 (outside what going back restores);
  // if v220 >= 2 skip the restore; restore; end.
  const Bytes code = {Set, 10, 5,   Set, 150, 1,    Checkpoint, Add, 10, 1,       Add,
                      220, 1,  Set, 150, 2,   IfGe, 220,        2,   1,  Restore, End};
  WriteScenario(0x0040, ScenarioBlock(code));
  LoadScenario(0x40, true);
  RunEventScript();
  EXPECT_EQ(ScriptVars[10], 6) << "the increment before going back was undone";
  EXPECT_EQ(ScriptVars[150], 2);
  EXPECT_EQ(ScriptVar(220), 2);
  EXPECT_EQ(CheckpointState.eventPc, kBodyStart + 7) << "the instruction after the checkpoint";
  EXPECT_EQ(CheckpointValid, 0);
  EXPECT_EQ(EventPc, kBodyStart + 21);
  EXPECT_EQ(ScriptExit, kScriptEnded);
}

TEST_F(EventFlow, RestoringTakesVariablesSeenSetAndHistoryButNotTheRest) {
  WriteScenario(0x0044, ScenarioBlock({End}));
  CheckpointState = LiveState;
  CheckpointState.currentScenario = 0x44;
  CheckpointState.eventPc = kBodyStart;
  CheckpointState.vars[3] = 33;
  CheckpointState.word1F0 = 0x1F0;
  CheckpointState.scenarioSeen[7] = 0x77;
  CheckpointState.historyCount = 2;
  CheckpointState.history[1999] = {0x44, 9};
  CheckpointState.pageOffset = 0x1234;
  ScriptVars[kVarWeatherNext] = 4;
  CheckpointState.vars[kVarWeatherNext] = 5;
  LiveState.pageOffset = 0x4321;
  LiveState.word1FC = 0x1FC;
  RestoreCheckpoint(false);
  EXPECT_EQ(ScriptVars[3], 33);
  EXPECT_EQ(LiveState.word1F0, 0x1F0);
  EXPECT_EQ(ScenarioSeen[7], 0x77);
  EXPECT_EQ(HistoryCount, 2);
  EXPECT_EQ(History[1999].message, 9);
  EXPECT_EQ(PageOffset, 0x4321);
  EXPECT_EQ(LiveState.word1FC, 0x1FC);
  EXPECT_EQ(ScriptVars[kVarWeatherNext], 0);
  EXPECT_EQ(CurrentScenario, 0x44);
  EXPECT_EQ(EventPc, kBodyStart);
  EXPECT_EQ(ChoiceState.vars[3], 33) << "the choice copy follows the checkpoint";
}

TEST_F(EventFlow, TheTimerWaitsFromItsMarkAndSkippingEndsIt) {
  const Bytes mark = {Ext, 8, 0xFF, 0xFF, 0xFF, 0xFF}, wait500 = {Ext, 8, 0xF4, 0x01, 0x00, 0x00};
  const auto run = [&](std::initializer_list<Bytes> parts) {
    Bytes code;
    for (const Bytes& part : parts) code.insert(code.end(), part.begin(), part.end());
    code.push_back(End);
    return Duration([&] { Run(code); });
  };
  const uint32_t took = run({mark, {0x23, 20}, wait500});  // 200 ms pass on their own
  EXPECT_GE(took, 500u);
  EXPECT_LT(took, 520u);
  // Skipping: the wait ends at once, and the mark moves so that the time counts as passed.
  SkipToChoice = 1;
  EXPECT_LT(run({mark, wait500}), 20u);
  SkipToChoice = 0;
  EXPECT_LT(run({wait500}), 20u);
}

// [SECTION] Code that leads outside its block

TEST_F(EventFlow, CodeRunningOrJumpingPastItsBlockIsFatal) {
  const Bytes cases[] = {
      {Set, 90, 1},                          // off the end
      {Goto, 0x7F, End},                     // jumps past the end
      {Set, 90, 0, 0x56, 90, 0, 0x7F, End},  // the same, conditionally
      {Set, 90},                             // operands cut off by the end
      {Ext, 8, 0xFF, 0xFF},
      {0x24, 1, 3, 1, 0},
  };
  for (const Bytes& code : cases) EXPECT_SCENARIO_FATAL(Run(code), "0040.SCN");
  // Backwards past the start of the block: code right at the start, no entry table before it.
  EXPECT_SCENARIO_FATAL(
      {
        EventData = Block(Bytes{Goto, 0xF0, End}, "EVENT DATA");
        CurrentScenario = 0x40;
        EventPc = 0;
        RunEventScript();
      },
      "0040.SCN");
}

}  // namespace
