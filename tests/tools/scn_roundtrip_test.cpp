// Tests of `lntr3tool scn disasm` and of round trips: every command written back as it was
// written, foreign blocks that keep every byte, and files that are damaged,
// truncated or random.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/test_data.h"
#include "tools/scn_tool.h"

namespace {

namespace fs = std::filesystem;
using scntest::Block;
using scntest::Blocks;
using scntest::BuildFile;
using scntest::EngineBlocks;
using scntest::ScnToolTest;

// Every event command and every message command, in the form the disassembler writes; jumps
// that land inside a command stay displacements, the rest are labels named by offset.
const std::string kEveryCommand =
    ReadFileText(fs::path(LNTR3_SOURCE_DIR) / "tests/tools/data/every_command.scs");

TEST_F(ScnToolTest, EveryCommandIsWrittenBackAsItWasWritten) {
  const std::vector<uint8_t> file = AsmOk(kEveryCommand);
  std::string text;
  ASSERT_EQ(Disasm(file, text), 0) << output;
  EXPECT_EQ(text, kEveryCommand);
  EXPECT_EQ(AsmOk(text, "again.scs"), file);
}

TEST_F(ScnToolTest, ForeignBlocksKeepEveryByte) {
  std::vector<uint8_t> code = {
      0x55, 0x01,        // 0x202: a jump into the middle of the next command
      0x3C, 0x05,        // 0x204
      0xFF, 0x00, 0x01,  // 0x206: bytes no command starts with
      0x24, 0x00, 14,    // 0x209: a choice of 14 options: the engine takes twelve pairs
  };
  for (int i = 0; i < 14; i++) code.insert(code.end(), {0x91, 0x91});
  code.insert(code.end(), {0x21, 0x01, 0x05});  // a command cut off by the block's end
  const std::vector<uint8_t> messages = {
      0x00, 0x40, 0x00, 0x41, 0xAF,  // 0x202
      0x00, 0x42, 0x00, 0x43, 0xAF,  // 0x207, and a second entry at its second character
      0x00, 0x44, 0xAF,              // 0x20C: no entry points here
      0x3C, 0x05, 0xF9, 0xAF,        // 0x20F: a command, then a byte that starts none
      0x00, 0x45, 0x05,              // 0x213: no end byte, the last character cut off
  };
  const Blocks blocks{
      Block(0xBEEF, {{0, 0x202}, {1, 0x205}, {2, 0x0010}, {3, 0x22B}, {4, 0xFFFF}, {5, 0x202}},
            code),
      Block(0,
            {{0, 0x202}, {1, 0x207}, {2, 0x209}, {3, 0x20F}, {4, 0x208}, {5, 0x202}, {6, 0x9999}},
            messages)};
  std::string text;
  ASSERT_EQ(Disasm(BuildFile(blocks), text), 0) << output;
  for (const char* note : {"event entries that point outside the code or between commands: 3",
                           "bytes of event code that start no command: 3",
                           "a choice offers 14 options", "the event block ends inside a command",
                           "message entries that point outside the texts or into one: 2",
                           "texts no message entry points at: 2", "texts without an end byte: 2",
                           "texts holding bytes that start no command: 2"}) {
    EXPECT_TRUE(Said(note)) << note << "\n" << output;
  }
  for (const char* line :
       {"entry 1 at 0x0205", "goto +1", "bytes 0xFF, 0x00, 0x01", "message 4 at 0x0208",
        "message 5 = 0", "{byte 0xF9}", "{noend}", "message none"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
  EXPECT_EQ(EngineBlocks(AsmOk(text, "again.scs")), blocks) << text;
}

// A packed block of `data` as another packer might store it: literals only.
std::vector<uint8_t> LiteralsOnly(const std::vector<uint8_t>& data) {
  const uint32_t n = static_cast<uint32_t>(data.size());
  std::vector<uint8_t> block = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), 0, 0};
  for (size_t i = 0; i < data.size(); i++) {
    if (i % 8 == 0) block.push_back(0);  // eight literals
    block.push_back(static_cast<uint8_t>(~data[i]));
  }
  return block;
}

// Block positions `events` and `messages` (16-byte units) over `size` bytes of `fill`.
std::vector<uint8_t> LaidOut(const std::vector<uint8_t>& events,
                             const std::vector<uint8_t>& messages, uint16_t eventsAt,
                             uint16_t messagesAt, size_t size, uint8_t fill) {
  std::vector<uint8_t> file(size, fill);
  const std::vector<uint8_t>* parts[2] = {&events, &messages};
  const uint16_t at[2] = {eventsAt, messagesAt};
  for (int i = 0; i < 2; i++) {
    file[2 * i] = static_cast<uint8_t>(at[i]);
    file[2 * i + 1] = static_cast<uint8_t>(at[i] >> 8);
    std::copy(parts[i]->begin(), parts[i]->end(), file.begin() + at[i] * 16);
  }
  return file;
}

TEST_F(ScnToolTest, FilesMadeElsewhereComeBackByteForByte) {
  ASSERT_EQ(Tool("pack extract '" + (kDemoData / "LNTR3SCN.PAK").string() + "' demo 0000.SCN"), 0)
      << output;
  const std::vector<uint8_t> demo = ReadFileBytes(At("demo/0000.SCN"));
  const Blocks blocks = EngineBlocks(demo);
  ASSERT_EQ(BuildFile(blocks), demo) << "the demo's file is laid out by the assembler";
  const std::vector<uint8_t> events = LzssPack(blocks.events), messages = LzssPack(blocks.messages);
  const auto eventsEnd = static_cast<uint16_t>((16 + events.size() + 15) / 16);
  const size_t end = 16 * (eventsEnd + (messages.size() + 15) / 16);

  const std::vector<uint8_t> literalEvents = LiteralsOnly(blocks.events),
                             literalMessages = LiteralsOnly(blocks.messages);
  const auto literalsEnd = static_cast<uint16_t>((16 + literalEvents.size() + 15) / 16);

  std::vector<uint8_t> header = demo, trailing = demo, padding = demo;
  for (int i = 4; i < 16; i++) header[i] = static_cast<uint8_t>(0xA0 + i);  // never read
  trailing.insert(trailing.end(), {0x1A, 0x00, 0x00, 0x7F});
  ASSERT_GT(16u * eventsEnd, 16 + events.size()) << "the event block is padded";
  padding[16 * eventsEnd - 1] = 0x55;
  const struct {
    const char* name;
    std::vector<uint8_t> file;
    const char* note;  // a part of what disasm says; "" for a file the assembler lays out so
  } cases[] = {
      {"as built", demo, ""},
      {"header bytes", header, "kept in its [file] section"},
      {"trailing bytes", trailing, "kept in its [file] section"},
      {"padding", padding, "kept in its [file] section"},
      {"messages first, gaps of 0xEE",
       LaidOut(events, messages, static_cast<uint16_t>(3 + (messages.size() + 15) / 16), 2,
               end + 64, 0xEE),
       "kept in its [file] section"},
      {"one packed block for both", LaidOut(events, events, 1, 1, 16 + events.size(), 0),
       "kept in its [file] section"},
      {"literals only",
       LaidOut(literalEvents, literalMessages, 1, literalsEnd,
               16 * literalsEnd + literalMessages.size(), 0),
       "packed otherwise than the assembler packs"},
  };
  for (const auto& c : cases) {
    std::string text;
    ASSERT_EQ(Disasm(c.file, text), 0) << c.name << "\n" << output;
    EXPECT_EQ(*c.note == 0, text.find("[file]") == std::string::npos) << c.name;
    EXPECT_TRUE(Said(c.note)) << c.name << "\n" << output;
    EXPECT_EQ(AsmOk(text, "again.scs"), c.file) << c.name << "\n" << text;
  }
  // An edited source whose kept packing no longer fits is packed anew, where it was.
  std::string text;
  ASSERT_EQ(Disasm(cases[6].file, text), 0);
  const size_t code = text.find("\n[messages]");
  text.insert(code, "\n    nop\n");
  ASSERT_EQ(Asm(text, "edited.scs"), 0) << output;
  EXPECT_TRUE(Said("the kept packing of the event block no longer gives its bytes")) << output;
}

TEST_F(ScnToolTest, DamagedFilesAreRefusedInOneLine) {
  const std::vector<uint8_t> good = AsmOk("    end\n[messages]\nmessage\n    あ\n");
  std::vector<uint8_t> outside = good, cut = good;
  outside[2] = 0xFF;  // message block far behind the end
  cut.resize(cut.size() - 20);
  const std::pair<std::vector<uint8_t>, const char*> cases[] = {
      {{1, 0, 2}, "too short for a scenario file (3 bytes)"},
      {outside, "message block position 4080 lies outside the file"},
      {cut, "message block is damaged: its packed stream ends before the"},
      {BuildFile({{}, Block(0, {})}), "event block holds 0 bytes, less than its 514-byte entry"},
      {BuildFile({std::vector<uint8_t>(100, 0x20), Block(0, {})}), "event block holds 100 bytes"},
  };
  for (const auto& [bytes, expected] : cases) {
    WriteFileBytes(At("in.SCN"), bytes);
    ExpectRefused("scn disasm in.SCN -o out.scs", expected);
  }
}

TEST_F(ScnToolTest, TruncatedAndRandomFilesNeverCrashTheDisassembler) {
  std::mt19937 random(7);
  auto bytes = [&](size_t n) {
    std::vector<uint8_t> out(n);
    for (uint8_t& b : out) b = static_cast<uint8_t>(random());
    return out;
  };
  const std::vector<uint8_t> valid = AsmOk(kEveryCommand);
  std::vector<std::vector<uint8_t>> files;
  for (size_t n = 0; n < valid.size(); n += 37)
    files.emplace_back(valid.begin(), valid.begin() + n);
  for (int i = 0; i < 25; i++) files.push_back(bytes(random() % 2000));
  // Packed blocks that hold random code and text: every one must come back byte for byte.
  const size_t firstWellFormed = files.size();
  std::vector<Blocks> wellFormed;
  for (int i = 0; i < 25; i++) {
    Blocks blocks{bytes(514 + random() % 600), bytes(514 + random() % 600)};
    for (int k = 0; k < 256 && i % 2; k++) {  // entries that mostly point into the code
      const uint16_t at = static_cast<uint16_t>(514 + random() % 700);
      blocks.events[2 + 2 * k] = static_cast<uint8_t>(at);
      blocks.events[3 + 2 * k] = static_cast<uint8_t>(at >> 8);
      blocks.messages[2 + 2 * k] = static_cast<uint8_t>(k % 3 ? 0 : at);
      blocks.messages[3 + 2 * k] = static_cast<uint8_t>(k % 3 ? 0 : at >> 8);
    }
    wellFormed.push_back(blocks);
    files.push_back(BuildFile(blocks));
  }
  // One shell loop: the tool starts once per file.
  const auto name = [](size_t i) { return "f" + std::to_string(1000 + i) + ".SCN"; };
  for (size_t i = 0; i < files.size(); i++) WriteFileBytes(At(name(i)), files[i]);
  RunCommand("cd '" + dir.path.string() + "' && for f in f*.SCN; do '" + kToolBinary +
                 "' scn disasm $f -o $f.scs 2>$f.err; echo $? >$f.rc; done",
             output);
  for (size_t i = 0; i < files.size(); i++) {
    const std::string rc = ReadFileText(At(name(i) + ".rc")),
                      err = ReadFileText(At(name(i) + ".err"));
    EXPECT_TRUE(rc == "0\n" || rc == "1\n") << name(i) << " status " << rc << "\n" << err;
    EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
    EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
    if (i < firstWellFormed) continue;
    ASSERT_EQ(rc, "0\n") << err;
    const std::vector<uint8_t> again = AsmOk(ReadFileText(At(name(i) + ".scs")), "again.scs");
    EXPECT_EQ(EngineBlocks(again), wellFormed[i - firstWellFormed]) << name(i);
  }
}

}  // namespace
