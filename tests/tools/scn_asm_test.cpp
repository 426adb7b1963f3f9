// Tests of `lntr3tool scn asm`: the bytes of commands, tables and text as the engine unpacks
// them, the line rules of message text, names and numbering, and errors with their lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/scn_tool.h"

namespace {

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
  ASSERT_GE(file.size(), 32u);
  EXPECT_EQ(file[0], 1);  // the event block right after the 16-byte file header
  EXPECT_EQ(file[1], 0);
  EXPECT_EQ(file.size() % 16, 0u);

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
  const std::vector<uint8_t> text = EngineBlocks(file).messages;
  ASSERT_GT(text.size(), 514u);
  EXPECT_EQ(std::vector<uint8_t>(text.begin() + 514, text.end()),
            (std::vector<uint8_t>{0x00, 0x40, 0xB0, 0x00, 0x41, 0x00, 0x42, 0xB3, 0x00, 0x43,
                                  0xB1, 0xB0, 0x00, 0x44, 0xB0, 0x00, 0x45, 0xB2, 0xAF,  //
                                  0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xB4, 4,    0xB5, 9,
                                  0x1F, 0xFF, 0x00, 0xFD, 0xF9, 0xAF,  //
                                  0xAF}));
  EXPECT_EQ(text[2], 0x02);  // m at 0x202
  EXPECT_EQ(text[4], 0x15);  // n at 0x215
  EXPECT_EQ(text[6], 0x25);  // o at 0x225
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
  std::string output;
  EXPECT_EQ(Asm(R"([events]
entry 0
    bg 300
    goto nowhere
    sya 1
    ext 1
    flash
    choice 1
    say 2
    option 3 goto x
[messages]
message a
    abc
    あ{color purple}
    あ{w
text outside
message a
message b = c
)",
                output),
            1);
  for (const char* expected :
       {"t.scs:3: '300' does not fit in 0..255", "t.scs:4: no label 'nowhere'",
        "t.scs:5: unknown command 'sya'", "t.scs:6: this 'ext' would be read back as 'wave'",
        "t.scs:7: unknown command 'flash' (it is a message text command",
        "t.scs:8: a choice needs at least one 'option'", "t.scs:10: 'option' outside a choice",
        "t.scs:13: 'a' (U+0061) is not in the character set",
        "t.scs:14: cannot read this 'color': expected 'color COLOUR'",
        "t.scs:15: '{' without its '}'", "t.scs:16: expected 'message'",
        "t.scs:17: message 'a' is already defined", "t.scs:18: message 'c', whose text"}) {
    EXPECT_NE(output.find(expected), std::string::npos) << expected << "\n" << output;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.path / "t.scs.SCN"));
}

TEST_F(ScnToolTest, AJumpReachesFrom128BackTo127Ahead) {
  std::string output;
  const std::vector<uint8_t> ahead = AsmOk("    goto far\n" + Padding(127) + "far:\n");
  EXPECT_EQ(EngineBlocks(ahead).events[515], 127);
  EXPECT_EQ(Asm("    goto far\n" + Padding(128) + "far:\n", output), 1);
  EXPECT_NE(output.find("t.scs:1: 'far' is 128 bytes away; a jump reaches -128..127"),
            std::string::npos)
      << output;

  const std::vector<uint8_t> back = AsmOk("back:\n" + Padding(126) + "    goto back\n");
  EXPECT_EQ(EngineBlocks(back).events[514 + 127], 0x80);
  EXPECT_EQ(Asm("back:\n" + Padding(127) + "    goto back\n", output), 1);
  EXPECT_NE(output.find("t.scs:3: 'back' is -129 bytes away"), std::string::npos) << output;
  EXPECT_EQ(Asm("    goto +128\n", output), 1);
  EXPECT_NE(output.find("displacement +128 does not fit"), std::string::npos) << output;
}

TEST_F(ScnToolTest, NumbersAndOptionCountsStayWithinTheirTables) {
  std::string output;
  std::string choice = "    choice 0\n";
  for (int i = 0; i < 13; i++) choice += "        option 1 goto +0\n";
  EXPECT_EQ(Asm(choice, output), 1);
  EXPECT_NE(output.find("t.scs:14: a choice offers at most 12 options"), std::string::npos)
      << output;

  EXPECT_EQ(Asm("entry 4 x\nentry 4 y\n", output), 1);
  EXPECT_NE(output.find("entry 4 is defined twice"), std::string::npos) << output;
  EXPECT_EQ(Asm("[messages]\nmessage 256\n", output), 1);
  EXPECT_NE(output.find("t.scs:2: '256' does not fit in 0..255"), std::string::npos) << output;
  std::string many = "[messages]\n";
  for (int i = 0; i < 257; i++) many += "message\n";
  EXPECT_EQ(Asm(many, output), 1);
  EXPECT_NE(output.find("more than 256 messages"), std::string::npos) << output;
  EXPECT_EQ(Asm("entry 0 v3\nbit:\nconst red = 1\n", output), 1);
  EXPECT_NE(output.find("t.scs:1: 'v3' is a reserved word"), std::string::npos) << output;
  EXPECT_NE(output.find("t.scs:2: 'bit' is a reserved word"), std::string::npos) << output;
  EXPECT_NE(output.find("t.scs:3: 'red' is a reserved word"), std::string::npos) << output;
}

}  // namespace
