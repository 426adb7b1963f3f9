// Scenario files for the toolchain: the text language (assembler and disassembler) and the
// file layout of two packed blocks. The language is described in docs/script-language.md.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The unpacked contents of one scenario: the event block and the message block, each a header
// word, 256 entry offsets and the code or text they point into.
struct ScnBlocks {
  std::vector<uint8_t> events;
  std::vector<uint8_t> messages;
  // Named messages with text of their own and their numbers, in source order (the assembler
  // fills it; a file does not keep names).
  std::vector<std::pair<std::string, int>> messageNames;
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
// 16-byte boundary as a packed block (unpacked size, then the LZSS stream).
// False, with `error`, when the file would be too large for 16-bit positions.
bool ScnFileBuild(const ScnBlocks& blocks, std::vector<uint8_t>& file, std::string& error);
// Unpacks both blocks of a file. False, with `error`, for positions outside the file or a
// damaged packed block; never reads outside `file`.
bool ScnFileRead(std::span<const uint8_t> file, ScnBlocks& blocks, std::string& error);
