// Helpers of the scenario tool tests: run `lntr3tool scn` on files in a temporary directory,
// and read a scenario file's blocks back through the engine's own unpacker.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/lzss.h"
#include "resources/memory.h"
#include "support/files.h"
#include "support/test_data.h"

namespace scntest {

inline std::string Tool() {
  return "'" + kToolBinary + "'";
}

// The unpacked event and message blocks of a scenario file.
struct Blocks {
  std::vector<uint8_t> events, messages;
  bool operator==(const Blocks&) const = default;
};

// A block: the header word, the 256-entry table with the given entries, then `code`.
inline std::vector<uint8_t> Block(uint16_t header, std::vector<std::pair<int, uint16_t>> entries,
                                  const std::vector<uint8_t>& code = {}) {
  std::vector<uint8_t> block(514, 0);
  block[0] = static_cast<uint8_t>(header);
  block[1] = static_cast<uint8_t>(header >> 8);
  for (auto [k, offset] : entries) {
    block[2 + 2 * k] = static_cast<uint8_t>(offset);
    block[3 + 2 * k] = static_cast<uint8_t>(offset >> 8);
  }
  block.insert(block.end(), code.begin(), code.end());
  return block;
}

// A scenario file of two packed blocks, laid out as the assembler does.
inline std::vector<uint8_t> BuildFile(const Blocks& blocks) {
  std::vector<uint8_t> file(16, 0);
  for (int i = 0; i < 2; i++) {
    const uint32_t position = static_cast<uint32_t>(file.size() / 16);
    file[2 * i] = static_cast<uint8_t>(position);
    file[2 * i + 1] = static_cast<uint8_t>(position >> 8);
    const std::vector<uint8_t> packed = LzssPack(i == 0 ? blocks.events : blocks.messages);
    file.insert(file.end(), packed.begin(), packed.end());
    while (file.size() % 16) file.push_back(0);
  }
  return file;
}

// Unpacks the block at the file's position word `which` (0 events, 1 messages) with the
// engine's UnpackBlock, as the scenario loader does.
inline std::vector<uint8_t> EngineBlock(const std::vector<uint8_t>& file, int which) {
  const size_t at = static_cast<size_t>(ReadLe16(file.data() + 2 * which)) * 16;
  EXPECT_LT(at + 4, file.size() + 1);
  if (at + 4 > file.size()) return {};
  const MemHandle handle = UnpackBlock(std::span<const uint8_t>(file).subspan(at),
                                       which ? "MESSAGE DATA" : "EVENT DATA");
  const uint8_t* bytes = MemLock(handle);
  std::vector<uint8_t> block(bytes, bytes + MemSize(handle));
  MemUnlock(handle);
  MemFree(handle);
  return block;
}

inline Blocks EngineBlocks(const std::vector<uint8_t>& file) {
  return Blocks{EngineBlock(file, 0), EngineBlock(file, 1)};
}

// A fixture with a temporary directory and the two tool commands.
class ScnToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemFreeAll();
    MemReset();
  }
  void TearDown() override { MemFreeAll(); }

  // Assembles `source` (written as NAME) into NAME.SCN; answers the exit status and fills
  // `output` with what the tool printed.
  int Asm(const std::string& source, std::string& output, const std::string& name = "t.scs") {
    WriteFileBytes(dir.path / name, source);
    return RunCommand(Tool() + " scn asm '" + (dir.path / name).string() + "' '" +
                          (dir.path / (name + ".SCN")).string() + "'",
                      output);
  }
  // Assembles a source that must be right; answers the scenario file.
  std::vector<uint8_t> AsmOk(const std::string& source, const std::string& name = "t.scs") {
    std::string output;
    EXPECT_EQ(Asm(source, output, name), 0) << output;
    return ReadFileBytes(dir.path / (name + ".SCN"));
  }
  // Disassembles a scenario file; answers the status, the source in `text` and the messages
  // of the tool in `output`.
  int Disasm(const std::vector<uint8_t>& file, std::string& text, std::string& output) {
    WriteFileBytes(dir.path / "in.SCN", file);
    std::filesystem::remove(dir.path / "out.scs");
    const int status = RunCommand(Tool() + " scn disasm '" + (dir.path / "in.SCN").string() +
                                      "' -o '" + (dir.path / "out.scs").string() + "'",
                                  output);
    text = ReadFileText(dir.path / "out.scs");
    return status;
  }

  TempDir dir;
};

}  // namespace scntest
