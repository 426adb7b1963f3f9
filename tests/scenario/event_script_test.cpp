// The event interpreter on hand-made code: arithmetic at the edges of a byte, unsigned
// comparisons, displacements, random ranges, the 17-bit collection, operand counts of the
// codes that do nothing, variables beyond the 208, and the music codes.
#include <algorithm>
#include <set>

#include "audio/audio.h"
#include "scenario/scenario_support.h"

namespace {

using EventScript = ScenarioTest;

// Opcodes, named as the assembler names them.
enum : uint8_t {
  End = 0x20,
  Ext = 0x21,
  AddSat = 0x34,
  SubSat = 0x35,
  ClearTable = 0x2C,
  StoreA = 0x2D,
  StoreB = 0x2F,
  SkipOk = 0x31,
  Goto = 0x55,
  Set = 0x61,
  Add = 0x62,
  SetBit = 0x63,
  Op6C = 0x6C,
  MusicNext = 0x87,
  Seen = 0x90,
  Nop = 0x91,
  Rand = 0x93,
  Collect = 0x96,
};

TEST_F(EventScript, ArithmeticSaturatesOrWrapsAtTheEdgesOfAByte) {
  Run({Set, 90, 250,  AddSat, 90, 10,                                         // 255
       Set, 91, 3,    AddSat, 91, 4,                                          // 7
       Set, 92, 3,    SubSat, 92, 5,                                          // 0
       Set, 93, 5,    SubSat, 93, 5,                                          // 0
       Set, 94, 9,    SubSat, 94, 5,                                          // 4
       Set, 95, 250,  Add,    95, 10,                                         // 4
       Set, 96, 0,    SetBit, 96, 7,  1, SetBit, 96, 0, 9, SetBit, 96, 8, 1,  // 0x81
       Set, 97, 0xFF, SetBit, 97, 7,  0,                                      // 0x7F
       End});
  EXPECT_EQ(Bytes(ScriptVars + 90, ScriptVars + 98), (Bytes{255, 7, 0, 0, 4, 4, 0x81, 0x7F}));
  EXPECT_EQ(ScriptExit, kScriptEnded);
}

TEST_F(EventScript, VariablesBeyond207ReachTheFieldsBehindThem) {
  Run({Set, 208, 0x11, Set, 220, 0x22, Add, 221, 3, Set, 255, 0x80, End});
  EXPECT_EQ(LiveState.word1F0 & 0xFF, 0x11);
  EXPECT_EQ(LiveState.word1FC, 0x0322);
  EXPECT_EQ(ScenarioSeen[0x21], 0x80);
}

struct Comparison {
  uint8_t op, v, b;
  bool jumps;
};

TEST_F(EventScript, ConditionsCompareUnsignedBytesAndTestBits) {
  const Comparison cases[] = {
      {0x56, 200, 200, true},  {0x56, 200, 100, false}, {0x57, 200, 100, true},
      {0x57, 200, 200, false}, {0x58, 200, 100, true},  {0x58, 100, 200, false},
      {0x58, 200, 200, false}, {0x59, 100, 200, true},  {0x59, 200, 100, false},
      {0x59, 200, 200, false}, {0x5A, 200, 200, true},  {0x5A, 255, 128, true},
      {0x5A, 127, 128, false}, {0x5B, 200, 200, true},  {0x5B, 0, 255, true},
      {0x5B, 201, 200, false}, {0x5E, 0x08, 3, true},   {0x5E, 0xF7, 3, false},
      {0x5E, 0xFF, 8, false},  {0x5F, 0xF7, 3, true},   {0x5F, 0x08, 3, false},
      {0x5F, 0xFF, 9, true},
  };
  for (const Comparison& c : cases) {
    ScriptVars[91] = 0;
    // if v90 OP b goto +3 (over "set v91, 1"), end.
    Run({Set, 90, c.v, c.op, 90, c.b, 3, Set, 91, 1, End});
    EXPECT_EQ(ScriptVars[91] == 0, c.jumps)
        << "op " << std::hex << int{c.op} << " v " << std::dec << int{c.v} << " b " << int{c.b};
  }
}

TEST_F(EventScript, DisplacementsCountFromTheEndOfTheInstruction) {
  // Displacement 0 goes on with the next instruction; a backward loop counts to 5.
  Run({Goto, 0, Set, 90, 1, Set, 91, 0, Add, 91, 1, 0x59, 91, 5, 0xF9, End});
  EXPECT_EQ(Bytes(ScriptVars + 90, ScriptVars + 92), (Bytes{1, 5}));
}

TEST_F(EventScript, RandomNumbersStayBelowTheLimit) {
  // 600 draws of each kind: below 255, below 0 and below 1.
  RandomSeed = 0x1234;
  std::set<int> values;
  for (int draw = 0; draw < 600; draw++) {
    Run({Rand, 90, 255, Rand, 91, 0, Rand, 93, 1, End});
    ASSERT_EQ(ScriptVars[91] + ScriptVars[93], 0) << "b = 0 and b = 1 always give 0";
    values.insert(ScriptVars[90]);
  }
  EXPECT_LE(*values.rbegin(), 254);
  EXPECT_GE(*values.rbegin(), 240) << "the top of the range comes up";
  EXPECT_LE(*values.begin(), 15);
  EXPECT_GT(values.size(), 150u);
}

TEST_F(EventScript, TheCollectionReportsTheStepFromSixteenToSeventeenBits) {
  const auto collect = [this](uint8_t n) {
    Run({Collect, n, End});
    return ScriptVars[155];
  };
  for (uint8_t n = 0; n < 15; n++) collect(static_cast<uint8_t>(n * 5));
  ScriptVars[155] = 7;
  EXPECT_EQ(collect(79), 0) << "16 bits";
  EXPECT_EQ(collect(79), 0) << "a bit set twice counts once";
  EXPECT_EQ(collect(80), 0) << "bit 80 is outside the set";
  EXPECT_EQ(collect(3), 1) << "17 bits";
  EXPECT_EQ(collect(4), 0) << "18 bits";
  EXPECT_EQ(ScriptVars[130], 0x39);  // bits 0, 3, 4, 5
  EXPECT_EQ(ScriptVars[139], 0x80);  // bit 79
  EXPECT_EQ(ScriptVars[140], 0) << "nothing written past the set";
}

TEST_F(EventScript, CodesWithoutEffectTakeTheirOperandBytes) {
  // Each no-effect code is followed by "set" (0x61) as its operand: taken as code, it would
  // set a variable from the bytes after it.
  Run({Op6C, Set, 0x83, Set, 0x84, Set, 0xA4, Set, 0xA5, Set, Nop, 0x10, 0xFF, 0x4C, 0x00, 0xA9,
       Ext, 5, Set, 91, 1,  // an unknown extended command takes
                            // only its selector
       Set, 90, 1, Ext, 0,  // extended command 0 ends the game like 0x20
       Set, 92, 1, End});
  EXPECT_EQ(Bytes(ScriptVars + 90, ScriptVars + 93), (Bytes{1, 1, 0}));
  EXPECT_EQ(ScriptExit, kScriptEnded);
  EXPECT_EQ(std::count(ScriptVars, ScriptVars + kScriptVarCount, 0), kScriptVarCount - 2)
      << "nothing else was set";
}

TEST_F(EventScript, TableClearStoredJumpsSeenAndSkip) {
  for (int v = 163; v <= 201; v++) ScriptVars[v] = 0xEE;
  Run({ClearTable, StoreA, 0x01, 0x23, 4, StoreB, 0x0F, 0xFF, 7, Seen, 0x0F, 0xFF, Seen, 0x10, 0x00,
       SkipOk, End});
  EXPECT_EQ(ScriptVars[176], 0xEE) << "the last table choice stays";
  for (int v = 177; v <= 200; v++) EXPECT_EQ(ScriptVars[v], 0) << v;
  EXPECT_EQ(ScriptVars[201], 0xEE);
  EXPECT_EQ((Bytes{ScriptVars + 163, ScriptVars + 171}),
            (Bytes{0x01, 0x23, 4, 0, 0x0F, 0xFF, 7, 0}));
  EXPECT_TRUE(ScenarioSeenTest(ScenarioSeen, 0x0FFF));
  EXPECT_EQ(SkipAllowed, 1);
}

TEST_F(EventScript, MusicForTheNextSceneChangeIsCancelledByTheTrackNowPlaying) {
  CurrentMusic = 7;
  CdPlaying = 2;
  ScriptVars[kVarMusicNext] = 9;
  Run({MusicNext, 7, End});
  EXPECT_EQ(ScriptVars[kVarMusicNext], 0);
  EXPECT_EQ(CdPlaying, 1u) << "the suspended track goes on";
  Run({MusicNext, 5, End});
  EXPECT_EQ(ScriptVars[kVarMusicNext], 5);
  EXPECT_EQ(CdPlaying, 1u);
  CurrentMusic = kNoMusic;
}

}  // namespace
