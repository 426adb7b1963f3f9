// Scenario files for the toolchain: the text language (assembler and disassembler) and the
// file layout of two packed blocks. The language is described in docs/script-language.md.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How a scenario file is laid out when it is not the way the assembler lays one out (a file
// made elsewhere, or changed by hand): the source's [file] section. Everything the blocks do
// not say is here, so that such a file is written back byte for byte.
struct ScnFileLayout {
  bool given = false;                   // false: the assembler's own layout
  uint32_t size = 0;                    // the file's length
  uint16_t positions[2] = {1, 1};       // event and message block, in 16-byte units
  bool keepStream[2] = {false, false};  // the packed stream is kept as stored...
  std::vector<uint8_t> streams[2];      // ...as these bytes (after the 4-byte count)
  // Bytes outside the two blocks and the position words that are not 0: file offset, bytes.
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> bytes;
};

// The unpacked contents of one scenario: the event block and the message block, each a header
// word, 256 entry offsets and the code or text they point into.
struct ScnBlocks {
  std::vector<uint8_t> events;
  std::vector<uint8_t> messages;
  // Named messages with text of their own and their numbers, in source order (the assembler
  // fills it; a file does not keep names).
  std::vector<std::pair<std::string, int>> messageNames;
  // The file's layout, when it is not the assembler's (ScnFileRead and the [file] section
  // fill it).
  ScnFileLayout layout;
};

// Assembles scenario source. `fileName` prefixes every error ("name:line: what"). False when
// anything was wrong; `errors` then holds one line per problem (at most a screenful).
bool ScnAssemble(std::string_view source, const std::string& fileName, ScnBlocks& blocks,
                 std::string& errors);

// Writes the blocks back as source that assembles to the same bytes. Oddities of foreign data
// (entries that point between commands, unterminated text, bytes no command starts with) come
// out in forms that keep the bytes, each with a comment, and one line each in `notes`.
// False, with `error`, when a block is too short to hold its entry table.
bool ScnDisassemble(const ScnBlocks& blocks, std::string& text, std::vector<std::string>& notes,
                    std::string& error);

// The named messages of assembled blocks as a C++ header of byte arrays, one
// "inline constexpr uint8_t kTextNAME[]" each (NAME in CamelCase, a comment with its source
// text above it), and for every run of names STEM_0, STEM_1, ... an array kTextSTEM of them;
// how the engine keeps its own fixed texts. `source` is the file's name for the header comment.
std::string ScnTextsHeader(const ScnBlocks& blocks, const std::string& source);

// The scenario file: two 16-bit block positions (in 16-byte units), then each block on a
// 16-byte boundary as a packed block (unpacked size, then the LZSS stream). With a layout
// given, the blocks go where it says, with its kept streams and bytes; a kept stream that no
// longer gives its block (the source was edited) is replaced by a new packing, with a line in
// `notes` when given. False, with `error`, when the file would be too large for 16-bit
// positions, or the layout's blocks and bytes collide.
bool ScnFileBuild(const ScnBlocks& blocks, std::vector<uint8_t>& file, std::string& error,
                  std::vector<std::string>* notes = nullptr);
// Unpacks both blocks of a file. False, with `error`, for positions outside the file or a
// damaged packed block; never reads outside `file`. When the file is not laid out as the
// assembler would lay out those blocks, `blocks.layout` describes how it is.
bool ScnFileRead(std::span<const uint8_t> file, ScnBlocks& blocks, std::string& error);
