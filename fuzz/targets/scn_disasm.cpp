// The scenario disassembler on any scenario file: the file reader, then the disassembler, whose
// source assembles back to the very blocks it was read from, and packs to a file that reads
// back the same.
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "tools/scn/scn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScnBlocks blocks;
  std::string error;
  if (!ScnFileRead(std::span<const uint8_t>(data, size), blocks, error)) return 0;
  std::string text;
  std::vector<std::string> notes;
  if (!ScnDisassemble(blocks, text, notes, error)) return 0;
  ScnBlocks again;
  std::string errors;
  if (!ScnAssemble(text, "fuzz.scs", again, errors)) {
    FuzzFail(("disassembled source does not assemble:\n" + errors).c_str());
  }
  FUZZ_CHECK(again.events == blocks.events && again.messages == blocks.messages);
  std::vector<uint8_t> file;
  if (ScnFileBuild(again, file, error)) {
    ScnBlocks read;
    FUZZ_CHECK(ScnFileRead(file, read, error));
    FUZZ_CHECK(read.events == blocks.events && read.messages == blocks.messages);
  }
  return 0;
}
