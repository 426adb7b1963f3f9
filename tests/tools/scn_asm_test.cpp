// Tests of `lntr3tool scn asm`: the bytes of commands, tables and text as the engine unpacks
// them, the line rules of message text, names and numbering, and errors with their lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/scn_tool.h"

namespace {

namespace fs = std::filesystem;
using scntest::Block;
using scntest::EngineBlocks;
using scntest::ScnToolTest;

// "bytes 0, 0, ..." with n zeros.
std::string Padding(int n) {
  std::string line = "    bytes 0";
  for (int i = 1; i < n; i++) line += ", 0";
  return line + "\n";
}

TEST_F(ScnToolTest, CommandsTablesAndTextComeOutAsTheEngineReadsThem) {
  const std::vector<uint8_t> file = AsmOk(R"(# operands of every width
[events]
header 0x0102
entry 3 first
    scenario 0x0A31, 2
    char 4, 0x0B05
    timer 70000
back:
    if v12 >= 200 goto back
    choice ask
        option yes_opt goto first
        option no_opt goto after
after:
    call first
    jump 7
entry 7
    end

[messages]
header 7
message ask
    あい
message yes_opt 5
    う{n}
message no_opt
    {name 2}
message again = yes_opt
message 9 at 0x1234
)");
  const scntest::Blocks blocks = EngineBlocks(file);
  EXPECT_EQ(blocks.events,
            Block(0x0102, {{3, 0x202}, {7, 0x21F}},
                  {0x28, 0x0A, 0x31, 0x02,                    // scenario: high byte first
                   0x43, 0x04, 0x0B, 0x05,                    // character code: high byte first
                   0x21, 0x08, 0x70, 0x11, 0x01, 0x00,        // 70000 ms, low byte first
                   0x5A, 12,   200,  0xFC,                    // back to its own start: -4
                   0x24, 0,    2,    5,    0xE7, 1,    0x00,  // options jump from the choice's end
                   0x22, 3,    0x29, 7,    0x20}));
  EXPECT_EQ(blocks.messages,
            Block(7, {{0, 0x202}, {1, 0x20B}, {2, 0x207}, {5, 0x207}, {9, 0x1234}},
                  {0x00, 0x40, 0x00, 0x41, 0xAF,                 // あい
                   0x00, 0x42, 0xB0, 0xAF,                       // う{n}
                   0xDF, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xAF}));  // the six of name 2
}

TEST_F(ScnToolTest, EachTextLineIsALineOfThePage) {
  const std::vector<uint8_t> file = AsmOk(
      "[messages]\n"
      "message m\n"
      "\n"                 // before the first line: not part of the text
      "    あ\n"           // a line break follows
      "    い\\\n"         // joined to the next line
      "  う{p}\n"          // a page wait ends the line by itself
      "\tえ{cr}\n"         // so does {cr}
      "\n"                 // an empty line between text lines
      "    # a comment\n"  // not text
      "    お{n}   \n"     // an explicit break is the only one; trailing blanks are dropped
      "    か{w}\n"        // the last line: no break
      "\n"
      "\n"
      "message n\n"
      "    {name 0}{color red}{shadow 9}{c 0x1FFF}{sym cursor-page}{byte 0xF9}\n"
      "message o\n");
  EXPECT_EQ(EngineBlocks(file).messages,
            Block(0, {{0, 0x202}, {1, 0x215}, {2, 0x225}},
                  {0x00, 0x40, 0xB0, 0x00, 0x41, 0x00, 0x42, 0xB3, 0x00, 0x43,
                   0xB1, 0xB0, 0x00, 0x44, 0xB0, 0x00, 0x45, 0xB2, 0xAF,  //
                   0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xB4, 4,    0xB5, 9,
                   0x1F, 0xFF, 0x00, 0xFD, 0xF9, 0xAF,  //
                   0xAF}));
}

TEST_F(ScnToolTest, NamesAndConstantsResolveAndFreeNumbersAreHandedOut) {
  const std::vector<uint8_t> file = AsmOk(R"([messages]
message late
    あ
[events]
const LIMIT = 30
const FIRST = 0
var trust = v90
entry a
entry 0 zero
    addsat trust, LIMIT
    say late
    say FIRST
entry b
    call a
    call b
[messages]
message 0 early
    い
message 1 = late
)");
  const scntest::Blocks blocks = EngineBlocks(file);
  // 'a' and 'b' take 1 and 2 around the explicit 0; 'late' takes 2 (0 and 1 are claimed).
  EXPECT_EQ(blocks.events, Block(0, {{0, 0x202}, {1, 0x202}, {2, 0x209}},
                                 {0x34, 90, 30, 0x69, 2, 0x69, 0, 0x22, 1, 0x22, 2}));
  EXPECT_EQ(blocks.messages,
            Block(0, {{0, 0x205}, {1, 0x202}, {2, 0x202}}, {0x00, 0x40, 0xAF, 0x00, 0x41, 0xAF}));
}

TEST_F(ScnToolTest, ErrorsNameTheFileAndLineAndWriteNothing) {
  AsmRefused(
      ReadFileText(fs::path(LNTR3_SOURCE_DIR) / "tests/tools/data/errors.scs"),
      {"errors.scs:4: '300' does not fit in 0..255", "errors.scs:5: no label 'nowhere'",
       "errors.scs:6: unknown command 'sya'",
       "errors.scs:7: this 'ext' would be read back as 'wave'",
       "errors.scs:8: unknown command 'flash' (it is a message text command",
       "errors.scs:9: a choice needs at least one 'option'",
       "errors.scs:11: 'option' outside a choice",
       "errors.scs:14: 'a' (U+0061) is not in the character set",
       "errors.scs:15: cannot read this 'color': expected 'color COLOUR'",
       "errors.scs:16: '{' without its '}'", "errors.scs:17: expected 'message'",
       "errors.scs:18: message 'a' is already defined", "errors.scs:19: message 'c', whose text",
       "entry 4 is defined twice", "errors.scs:23: 'v3' is a reserved word",
       "errors.scs:24: 'bit' is a reserved word", "errors.scs:25: 'red' is a reserved word",
       "errors.scs:39: a choice offers at most 12 options",
       "errors.scs:41: '256' does not fit in 0..255"},
      "errors.scs");
  std::string many = "[messages]\n";
  for (int i = 0; i < 257; i++) many += "message\n";
  AsmRefused(many, {"more than 256 messages"});
}

TEST_F(ScnToolTest, AJumpReachesFrom128BackTo127Ahead) {
  EXPECT_EQ(EngineBlocks(AsmOk("    goto far\n" + Padding(127) + "far:\n")).events[515], 127);
  AsmRefused("    goto far\n" + Padding(128) + "far:\n",
             {"t.scs:1: 'far' is 128 bytes away; a jump reaches -128..127"});
  EXPECT_EQ(EngineBlocks(AsmOk("back:\n" + Padding(126) + "    goto back\n")).events[514 + 127],
            0x80);
  AsmRefused("back:\n" + Padding(127) + "    goto back\n", {"t.scs:3: 'back' is -129 bytes away"});
  AsmRefused("    goto +128\n", {"displacement +128 does not fit"});
}

TEST_F(ScnToolTest, TextsBecomeByteArraysAndTheEnginesOwnAreUpToDate) {
  WriteFileBytes(At("t.scs"),
                 "[messages]\nmessage a_0\n    {clickdone 0}あ\nmessage 9\n    い\n"
                 "message a_1\n    {color red}う{n}\n");
  ASSERT_EQ(Tool("scn texts t.scs t.h"), 0) << output;
  const std::string header = ReadFileText(At("t.h"));
  for (const char* part :
       {"// あ\ninline constexpr uint8_t kTextA0[] = {\n    0xB6, 0x00, 0x00, 0x40, 0xAF};",
        "// う\ninline constexpr uint8_t kTextA1[] = {\n    0xB4, 0x04, 0x00, 0x42, 0xB0, 0xAF};",
        "kTextA[] = {\n    kTextA0, kTextA1,\n};"}) {
    EXPECT_NE(header.find(part), std::string::npos) << part << " in\n" << header;
  }
  EXPECT_EQ(header.find("0x41"), std::string::npos) << "a message without a name stays out";
  // The engine's fixed texts: the header beside their source is the one the tool makes.
  const std::filesystem::path source = std::filesystem::path(LNTR3_SOURCE_DIR) / "src/screens";
  ASSERT_EQ(Tool("scn texts '" + (source / "screen_texts.scs").string() + "' made.h"), 0);
  EXPECT_EQ(ReadFileText(At("made.h")), ReadFileText(source / "screen_texts.h"))
      << "run: lntr3tool scn texts src/screens/screen_texts.scs src/screens/screen_texts.h";
}

}  // namespace
