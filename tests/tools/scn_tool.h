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
#include "support/tool_run.h"

namespace scntest {

// The unpacked event and message blocks of a scenario file.
struct Blocks {
  std::vector<uint8_t> events, messages;
  bool operator==(const Blocks&) const = default;
};

// A block: the header word (entry -1), the 256-entry table with the given entries, then `code`.
inline std::vector<uint8_t> Block(uint16_t header, std::vector<std::pair<int, uint16_t>> entries,
                                  const std::vector<uint8_t>& code = {}) {
  std::vector<uint8_t> block(514, 0);
  entries.push_back({-1, header});
  for (auto [k, value] : entries) {
    block[2 + 2 * k] = static_cast<uint8_t>(value);
    block[3 + 2 * k] = static_cast<uint8_t>(value >> 8);
  }
  block.insert(block.end(), code.begin(), code.end());
  return block;
}

// A scenario file of two packed blocks, laid out as the assembler does.
inline std::vector<uint8_t> BuildFile(const Blocks& blocks) {
  std::vector<uint8_t> file(16, 0);
  for (int i = 0; i < 2; i++) {
    file[2 * i] = static_cast<uint8_t>(file.size() / 16);
    file[2 * i + 1] = static_cast<uint8_t>(file.size() / 16 >> 8);
    const std::vector<uint8_t> packed = LzssPack(i == 0 ? blocks.events : blocks.messages);
    file.insert(file.end(), packed.begin(), packed.end());
    file.resize((file.size() + 15) / 16 * 16);
  }
  return file;
}

// The blocks at the file's two position words, unpacked with the engine's UnpackBlock as the
// scenario loader does.
inline Blocks EngineBlocks(const std::vector<uint8_t>& file) {
  Blocks blocks;
  for (int which = 0; which < 2; which++) {
    const size_t at = static_cast<size_t>(ReadLe16(file.data() + 2 * which)) * 16;
    if (at + 4 > file.size()) {
      ADD_FAILURE() << "block " << which << " lies outside the file";
      continue;
    }
    MemHandle handle = UnpackBlock(std::span<const uint8_t>(file).subspan(at), "SCENARIO");
    const uint8_t* bytes = MemLock(handle);
    (which ? blocks.messages : blocks.events).assign(bytes, bytes + MemSize(handle));
    MemRelease(&handle);
  }
  return blocks;
}

// A fixture that assembles and disassembles in its temporary directory.
class ScnToolTest : public ToolRunTest {
 protected:
  void TearDown() override { MemFreeAll(); }

  // Assembles `source` (written as NAME) into a new NAME.SCN; answers the exit status.
  int Asm(const std::string& source, const std::string& name = "t.scs") {
    WriteFileBytes(At(name), source);
    std::filesystem::remove(At(name + ".SCN"));
    return Tool("scn asm " + name + " " + name + ".SCN");
  }
  // Assembles a source that must be right; answers the scenario file.
  std::vector<uint8_t> AsmOk(const std::string& source, const std::string& name = "t.scs") {
    EXPECT_EQ(Asm(source, name), 0) << output;
    return ReadFileBytes(At(name + ".SCN"));
  }
  // Assembles a source that must be refused with every one of `errors`; nothing is written.
  void AsmRefused(const std::string& source, std::initializer_list<const char*> errors,
                  const std::string& name = "t.scs") {
    EXPECT_EQ(Asm(source, name), 1);
    for (const char* error : errors) EXPECT_TRUE(Said(error)) << error << "\n" << output;
    EXPECT_FALSE(std::filesystem::exists(At(name + ".SCN")));
  }
  // Disassembles a scenario file; answers the status, and the source in `text`.
  int Disasm(const std::vector<uint8_t>& file, std::string& text) {
    WriteFileBytes(At("in.SCN"), file);
    std::filesystem::remove(At("out.scs"));
    const int status = Tool("scn disasm in.SCN -o out.scs");
    text = ReadFileText(At("out.scs"));
    return status;
  }
};

}  // namespace scntest
