// lntr3tool scn: assembles scenario source into scenario files and disassembles them, and the
// file layout both share (two packed blocks on 16-byte boundaries).
#include <algorithm>
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

// The bytes a packed stream uses to give `count` bytes: up to its last item, the decoder
// stopping there even inside a flag group. 0 when the stream ends first.
size_t StreamLength(std::span<const uint8_t> stream, uint32_t count) {
  size_t at = 0;
  uint64_t out = 0;
  while (out < count) {
    if (at >= stream.size()) return 0;
    const uint8_t flags = stream[at++];
    for (int bit = 7; bit >= 0 && out < count; bit--) {
      if (flags >> bit & 1) {  // a reference, its word inverted: length - 3 in the low 4 bits
        if (at + 2 > stream.size()) return 0;
        out += (~stream[at] & 15u) + kLzssMinMatch;
        at += 2;
      } else {
        if (at >= stream.size()) return 0;
        out++;
        at++;
      }
    }
  }
  return at;
}

// Whether a stored stream gives exactly `block`.
bool StreamGives(std::span<const uint8_t> stream, const std::vector<uint8_t>& block) {
  std::vector<uint8_t> out(block.size());
  return LzssDecode(out, stream, LzssCoding::Inverted) && out == block;
}

// The 4-byte count of a packed block, then its stream.
std::vector<uint8_t> CountAndStream(uint32_t count, std::span<const uint8_t> stream) {
  std::vector<uint8_t> bytes = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                                static_cast<uint8_t>(count >> 16),
                                static_cast<uint8_t>(count >> 24)};
  bytes.insert(bytes.end(), stream.begin(), stream.end());
  return bytes;
}

// "0x1234".
std::string Hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%04llX", static_cast<unsigned long long>(value));
  return text;
}

// The offsets where two files differ, as ranges "0x0010..0x001F" (at most eight, then how many
// more); one past the shorter file's end counts as differing.
std::string DifferingRanges(std::span<const uint8_t> want, std::span<const uint8_t> got) {
  std::vector<std::pair<size_t, size_t>> ranges;
  const size_t end = std::max(want.size(), got.size());
  for (size_t i = 0; i < end; i++) {
    const bool differs = i >= want.size() || i >= got.size() || want[i] != got[i];
    if (!differs) continue;
    if (!ranges.empty() && ranges.back().second + 1 == i) {
      ranges.back().second = i;
    } else {
      ranges.push_back({i, i});
    }
  }
  std::string text;
  for (size_t i = 0; i < ranges.size() && i < 8; i++) {
    text += (i ? ", " : "") + Hex(ranges[i].first);
    if (ranges[i].second != ranges[i].first) text += ".." + Hex(ranges[i].second);
  }
  if (ranges.size() > 8) text += " and " + std::to_string(ranges.size() - 8) + " more ranges";
  return text;
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
  std::vector<std::string> notes;
  if (!ScnFileBuild(blocks, file, error, &notes)) return ToolFail(source + ": " + error);
  for (const std::string& note : notes) {
    std::fprintf(stderr, "lntr3tool: %s: note: %s\n", ToolEscape(source).c_str(), note.c_str());
  }
  if (!ToolWriteBytes(output, file)) return ToolFail("cannot write " + output);
  return 0;
}

// scn disasm: scenario file to source, on standard output unless -o names a file.
int Disassemble(const ToolArgs& args) {
  const std::string& input = args.operands[0];
  const std::string output = args.Has("-o") ? *args.Value("-o") : std::string();
  if (args.Has("-o") && output.empty()) return ToolUsageError(args, "-o wants a file name");
  std::vector<uint8_t> file;
  if (!ToolReadBytes(input, file)) return ToolFail("cannot read " + input);
  ScnBlocks blocks;
  std::string text, error;
  std::vector<std::string> notes;
  if (!ScnFileRead(file, blocks, error) || !ScnDisassemble(blocks, text, notes, error)) {
    return ToolFail(input + ": " + error);
  }
  for (const std::string& note : notes) {
    std::fprintf(stderr, "lntr3tool: %s: note: %s\n", ToolEscape(input).c_str(), note.c_str());
  }
  // The proof of the round trip: the source must assemble back to this very file. Whatever
  // would come out otherwise is named, and the status says that bytes are lost.
  ScnBlocks again;
  std::vector<uint8_t> rebuilt;
  std::string errors, unused;
  const bool assembles = ScnAssemble(text, input, again, errors);
  const bool lossless = assembles && ScnFileBuild(again, rebuilt, unused) && rebuilt == file;
  if (output.empty()) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0) return ToolFail("cannot write the standard output");
  } else if (!ToolWriteBytes(output,
                             {reinterpret_cast<const uint8_t*>(text.data()), text.size()})) {
    return ToolFail("cannot write " + output);
  }
  if (!lossless) {
    return ToolFail(input + ": the source does not give back the file: " +
                    (assembles
                         ? "bytes " + DifferingRanges(file, rebuilt) + " would differ"
                         : "it does not assemble (" + errors.substr(0, errors.find('\n')) + ")"));
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

namespace {

// A file laid out as `layout` says: every byte placed once, or twice with the same value (two
// blocks may share their bytes).
bool BuildLaidOut(const ScnBlocks& blocks, std::vector<uint8_t>& file, std::string& error,
                  std::vector<std::string>* notes) {
  const ScnFileLayout& layout = blocks.layout;
  file.assign(layout.size, 0);
  std::vector<const char*> placed(layout.size, nullptr);  // what put each byte there
  const auto put = [&](uint64_t at, std::span<const uint8_t> bytes, const char* what) {
    if (at + bytes.size() > file.size()) {
      file.resize(at + bytes.size(), 0);
      placed.resize(file.size(), nullptr);
    }
    for (size_t i = 0; i < bytes.size(); i++) {
      if (placed[at + i] && file[at + i] != bytes[i]) {
        error = std::string(what) + " runs into " + placed[at + i] + " at file offset " +
                Hex(at + i) + " (drop the [file] section to lay the file out afresh)";
        return false;
      }
      file[at + i] = bytes[i];
      placed[at + i] = what;
    }
    return true;
  };
  const uint8_t header[kFileHeader] = {
      static_cast<uint8_t>(layout.positions[0]), static_cast<uint8_t>(layout.positions[0] >> 8),
      static_cast<uint8_t>(layout.positions[1]), static_cast<uint8_t>(layout.positions[1] >> 8)};
  if (!put(0, header, "the block positions")) return false;
  const std::vector<uint8_t>* parts[2] = {&blocks.events, &blocks.messages};
  const char* names[2] = {"the event block", "the message block"};
  for (int i = 0; i < 2; i++) {
    std::vector<uint8_t> stream;
    if (layout.keepStream[i] && StreamGives(layout.streams[i], *parts[i])) {
      stream = layout.streams[i];
    } else {
      if (layout.keepStream[i] && notes) {
        notes->push_back(std::string("the kept packing of ") + names[i] +
                         " no longer gives its bytes: packed anew");
      }
      stream = LzssPackStream(*parts[i], LzssCoding::Inverted);
    }
    const auto count = static_cast<uint32_t>(parts[i]->size());
    if (!put(uint64_t{layout.positions[i]} * kBlockAlign, CountAndStream(count, stream),
             names[i])) {
      return false;
    }
  }
  for (const auto& [at, bytes] : layout.bytes) {
    if (!put(at, bytes, "kept bytes")) return false;
  }
  return true;
}

}  // namespace

// Event block at position 1 (offset 16), the message block after it, both padded; or as the
// layout says.
bool ScnFileBuild(const ScnBlocks& blocks, std::vector<uint8_t>& file, std::string& error,
                  std::vector<std::string>* notes) {
  if (blocks.layout.given) return BuildLaidOut(blocks, file, error, notes);
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
  blocks.layout = ScnFileLayout{};
  if (!ReadBlock(file, ReadLe16(file.data()), "event", blocks.events, error) ||
      !ReadBlock(file, ReadLe16(file.data() + 2), "message", blocks.messages, error)) {
    return false;
  }
  // Laid out as the assembler would: nothing more to say.
  std::vector<uint8_t> ours;
  std::string unused;
  if (ScnFileBuild(blocks, ours, unused) &&
      std::equal(ours.begin(), ours.end(), file.begin(), file.end())) {
    return true;
  }
  // Otherwise every byte the blocks do not account for is kept.
  ScnFileLayout& layout = blocks.layout;
  layout.given = true;
  layout.size = static_cast<uint32_t>(file.size());
  std::vector<bool> covered(file.size(), false);
  std::fill_n(covered.begin(), kFileHeader, true);
  const std::vector<uint8_t>* parts[2] = {&blocks.events, &blocks.messages};
  for (int i = 0; i < 2; i++) {
    layout.positions[i] = ReadLe16(file.data() + 2 * i);
    const size_t at = size_t{layout.positions[i]} * kBlockAlign + 4;
    if (parts[i]->empty()) continue;  // a count of 0 or below: the disassembler refuses it
    const size_t length = StreamLength(file.subspan(at), static_cast<uint32_t>(parts[i]->size()));
    std::fill(covered.begin() + static_cast<std::ptrdiff_t>(at - 4),
              covered.begin() + static_cast<std::ptrdiff_t>(at + length), true);
    const std::span<const uint8_t> stored = file.subspan(at, length);
    const std::vector<uint8_t> packed = LzssPackStream(*parts[i], LzssCoding::Inverted);
    if (!std::equal(stored.begin(), stored.end(), packed.begin(), packed.end())) {
      layout.keepStream[i] = true;
      layout.streams[i].assign(stored.begin(), stored.end());
    }
  }
  // Bytes outside the blocks, in lines of at most 16 from a byte that is not 0 to the last
  // one that is not.
  for (size_t i = 0; i < file.size(); i++) {
    if (covered[i] || file[i] == 0) continue;
    size_t end = i, last = i;
    while (end < file.size() && end - i < 16 && !covered[end]) {
      if (file[end]) last = end;
      end++;
    }
    layout.bytes.push_back({static_cast<uint32_t>(i), {file.begin() + i, file.begin() + last + 1}});
    i = last;
  }
  return true;
}
