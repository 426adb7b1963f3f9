// The scenario assembler on any source text; what it accepts disassembles to source that
// assembles to the same blocks.
#include <string>
#include <vector>

#include "fuzz/harness.h"
#include "tools/scn/scn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view source(reinterpret_cast<const char*>(data), size);
  ScnBlocks blocks;
  std::string errors;
  if (!ScnAssemble(source, "fuzz.scs", blocks, errors)) return 0;
  ScnTextsHeader(blocks, "fuzz.scs");

  std::string text, error;
  std::vector<std::string> notes;
  FUZZ_CHECK(ScnDisassemble(blocks, text, notes, error));
  ScnBlocks again;
  FUZZ_CHECK(ScnAssemble(text, "again.scs", again, errors));
  FUZZ_CHECK(again.events == blocks.events && again.messages == blocks.messages);
  return 0;
}
