// Scenario files for the toolchain: the text language (assembler and disassembler) and the
// file layout of two packed blocks. The language is described in docs/script-language.md.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The unpacked contents of one scenario: the event block and the message block, each a header
// word, 256 entry offsets and the code or text they point into.
struct ScnBlocks {
  std::vector<uint8_t> events;
  std::vector<uint8_t> messages;
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

// The scenario file: two 16-bit block positions (in 16-byte units), then each block on a
// 16-byte boundary as a packed block (unpacked size, then the LZSS stream).
// False, with `error`, when the file would be too large for 16-bit positions.
bool ScnFileBuild(const ScnBlocks& blocks, std::vector<uint8_t>& file, std::string& error);
// Unpacks both blocks of a file. False, with `error`, for positions outside the file or a
// damaged packed block; never reads outside `file`.
bool ScnFileRead(std::span<const uint8_t> file, ScnBlocks& blocks, std::string& error);
