// lntr3tool scn: assembles scenario source into scenario files and disassembles them, and the
// file layout both share (two packed blocks on 16-byte boundaries).
#include <cstdio>
#include <string>
#include <vector>

#include "resources/lzss.h"
#include "tools/common/tool.h"
#include "tools/groups.h"
#include "tools/scn/scn.h"

namespace {

constexpr const char* kScnUsage =
    "usage: lntr3tool scn asm SOURCE OUT.SCN\n"
    "       lntr3tool scn disasm IN.SCN [-o SOURCE]\n"
    "       lntr3tool scn texts SOURCE OUT.h\n"
    "\n"
    "A scenario file holds an event script and its messages. The source language is\n"
    "described in docs/script-language.md.\n"
    "  asm     assembles SOURCE (UTF-8 text) into a scenario file; errors name file and line\n"
    "  disasm  writes a scenario file back as source (on standard output, or into SOURCE);\n"
    "          assembling that source gives the same file\n"
    "  texts   writes the named messages of SOURCE as a C++ header of byte arrays, the\n"
    "          form in which the engine keeps its own fixed texts\n";

constexpr size_t kFileHeader = 4;     // two 16-bit block positions
constexpr uint32_t kBlockAlign = 16;  // blocks start on 16-byte boundaries
constexpr uint64_t kMaxPosition = 0xFFFF;

// Fills with zero bytes up to the next 16-byte boundary.
void Pad(std::vector<uint8_t>& file) {
  while (file.size() % kBlockAlign) file.push_back(0);
}

// Unpacks the block at `position` (in 16-byte units).
bool ReadBlock(std::span<const uint8_t> file, uint32_t position, const char* what,
               std::vector<uint8_t>& out, std::string& error) {
  const uint64_t at = static_cast<uint64_t>(position) * kBlockAlign;
  const std::string name = what;
  if (at + 4 > file.size()) {
    error = name + " block position " + std::to_string(at) + " lies outside the file (" +
            std::to_string(file.size()) + " bytes)";
    return false;
  }
  const std::span<const uint8_t> block = file.subspan(static_cast<size_t>(at));
  const int32_t count = static_cast<int32_t>(ReadLe32(block.data()));
  out.clear();
  if (count <= 0) return true;  // the engine unpacks nothing; the caller reports the short block
  const uint32_t size = LzssBlockSize(block);
  out.resize(size);
  if (size == 0 || !LzssUnpack(out, block)) {
    error = name + " block is damaged: its packed stream ends before the " + std::to_string(count) +
            " bytes it announces";
    out.clear();
    return false;
  }
  return true;
}

// Reads and assembles a source file; on failure answers the exit status after saying why.
int AssembleFile(const std::string& source, ScnBlocks& blocks) {
  std::vector<uint8_t> text;
  if (!ToolReadBytes(source, text)) return ToolFail("cannot read " + source);
  std::string errors;
  const std::string_view view(reinterpret_cast<const char*>(text.data()), text.size());
  if (!ScnAssemble(view, source, blocks, errors)) {
    std::fputs(errors.c_str(), stderr);
    return kToolFailed;
  }
  return kToolOk;
}

// scn asm: source file to scenario file.
int Assemble(const ToolArgs& args) {
  const std::string& source = args.operands[0];
  const std::string& output = args.operands[1];
  ScnBlocks blocks;
  if (const int status = AssembleFile(source, blocks); status != kToolOk) return status;
  std::vector<uint8_t> file;
  std::string error;
  if (!ScnFileBuild(blocks, file, error)) return ToolFail(source + ": " + error);
  if (!ToolWriteBytes(output, file)) return ToolFail("cannot write " + output);
  return 0;
}

// scn disasm: scenario file to source, on standard output unless -o names a file.
int Disassemble(const ToolArgs& args) {
  const std::string& input = args.operands[0];
  const std::string output = args.Has("-o") ? *args.Value("-o") : std::string();
  std::vector<uint8_t> file;
  if (!ToolReadBytes(input, file)) return ToolFail("cannot read " + input);
  ScnBlocks blocks;
  std::string text, error;
  std::vector<std::string> notes;
  if (!ScnFileRead(file, blocks, error) || !ScnDisassemble(blocks, text, notes, error)) {
    return ToolFail(input + ": " + error);
  }
  for (const std::string& note : notes) {
    std::fprintf(stderr, "lntr3tool: %s: note: %s\n", input.c_str(), note.c_str());
  }
  if (output.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : ToolFail("cannot write the standard output");
  }
  if (!ToolWriteBytes(output, {reinterpret_cast<const uint8_t*>(text.data()), text.size()})) {
    return ToolFail("cannot write " + output);
  }
  return 0;
}

// scn texts: the named messages of a source file as a C++ header.
int Texts(const ToolArgs& args) {
  const std::string& source = args.operands[0];
  const std::string& output = args.operands[1];
  ScnBlocks blocks;
  if (const int status = AssembleFile(source, blocks); status != kToolOk) return status;
  const size_t slash = source.find_last_of('/');
  const std::string header =
      ScnTextsHeader(blocks, slash == std::string::npos ? source : source.substr(slash + 1));
  if (!ToolWriteBytes(output, {reinterpret_cast<const uint8_t*>(header.data()), header.size()})) {
    return ToolFail("cannot write " + output);
  }
  return 0;
}

constexpr ToolOption kDisasmOptions[] = {{"-o", true}};

const ToolSubcommand kScnCommands[] = {
    {"asm", Assemble, nullptr, {}, 2, 2},
    {"disasm", Disassemble, nullptr, kDisasmOptions, 1, 1},
    {"texts", Texts, nullptr, {}, 2, 2},
};

}  // namespace

const ToolGroup kScnGroup = {"scn", "assemble and disassemble scenario files", kScnUsage,
                             kScnCommands};

// Event block at position 1 (offset 16), the message block after it, both padded.
bool ScnFileBuild(const ScnBlocks& blocks, std::vector<uint8_t>& file, std::string& error) {
  file.assign(kFileHeader, 0);
  Pad(file);
  uint32_t positions[2] = {};
  const std::vector<uint8_t>* parts[2] = {&blocks.events, &blocks.messages};
  for (int i = 0; i < 2; i++) {
    if (file.size() / kBlockAlign > kMaxPosition) {
      error = "the scenario file grows past 1 MiB, beyond what its block positions reach";
      return false;
    }
    positions[i] = static_cast<uint32_t>(file.size() / kBlockAlign);
    const std::vector<uint8_t> packed = LzssPack(*parts[i]);
    file.insert(file.end(), packed.begin(), packed.end());
    Pad(file);
  }
  for (int i = 0; i < 2; i++) {
    file[2 * i] = static_cast<uint8_t>(positions[i]);
    file[2 * i + 1] = static_cast<uint8_t>(positions[i] >> 8);
  }
  return true;
}

// Reads the two position words and unpacks each block.
bool ScnFileRead(std::span<const uint8_t> file, ScnBlocks& blocks, std::string& error) {
  if (file.size() < kFileHeader) {
    error = "too short for a scenario file (" + std::to_string(file.size()) + " bytes)";
    return false;
  }
  return ReadBlock(file, ReadLe16(file.data()), "event", blocks.events, error) &&
         ReadBlock(file, ReadLe16(file.data() + 2), "message", blocks.messages, error);
}
