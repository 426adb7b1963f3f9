// Scenario language tables: every event opcode and message command with its bytes, operand
// kinds and written form. The assembler and the disassembler both read this one table.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Where a command may be written: the event script, the message text, or both.
enum ScnScope : uint8_t { kScnEvents = 1, kScnMessages = 2, kScnBoth = 3 };

// Operand kinds, one letter each in ScnOp::operands, in byte order:
//   b byte 0..255               v variable v0..v255             k colour code (byte; names 0..7)
//   d jump: a label, or a signed displacement -128..127 counted from the end of the instruction
//   e entry (name or 0..255)    m message (name or 0..255)
//   s scenario number, c character code: 16 bits, high byte first (c: none = 0xFFFF)
//   w 16 bits, low byte first   l 32 bits, low byte first
//   o choice options: a count, then that many (message, jump) pairs; always the last operand
struct ScnOp {
  uint8_t scope;
  uint8_t length;  // bytes of the fixed prefix: the code, and for 0x21 its selector
  uint8_t prefix[6];
  const char* operands;
  const char* form;  // how it is written; $0, $1, ... stand for the operands in byte order
};

constexpr int kScnMaxOperands = 6;
constexpr int kScnMaxOptions = 12;  // the selection shows at most twelve items
constexpr uint32_t kScnEntries = 256;
constexpr uint32_t kScnTableBytes = 2 + 2 * kScnEntries;  // header word, then the entry table

// Message code bytes the language handles itself.
constexpr uint8_t kScnCharLimit = 0x20;  // a byte below this starts a two-byte character
constexpr uint8_t kScnEnd = 0xAF;
constexpr uint8_t kScnNewLine = 0xB0;
constexpr uint8_t kScnReturn = 0xB1;
constexpr uint8_t kScnPageWait = 0xB3;
constexpr uint8_t kScnChoice = 0x24;
// Name characters: name n, character k is kScnNameBase[n] + k.
constexpr int kScnNames = 5;
constexpr int kScnNameLength = 6;
constexpr uint8_t kScnNameBase[kScnNames] = {0xD1, 0xD8, 0xDF, 0xE6, 0xED};
// Colour codes 0..7 by name (palette entries 228..235).
constexpr std::string_view kScnColours[8] = {"black", "white", "grey",  "darkgrey",
                                             "red",   "blue",  "green", "yellow"};

// The whole table.
std::span<const ScnOp> ScnOps();
// The command word of an op (the first word of its form).
std::string_view ScnOpName(const ScnOp& op);
// Bytes an operand kind takes; 0 for the option list, whose length depends on its count.
int ScnKindSize(char kind);
// The name n and position k of a name-character byte; false for other bytes.
bool ScnNameCode(uint8_t byte, int& name, int& position);

// One decoded command.
struct ScnInstr {
  const ScnOp* op = nullptr;
  uint32_t size = 0;
  uint32_t values[kScnMaxOperands] = {};  // operands in byte order, the option list excluded
  int optionCount = 0;
  uint8_t options[kScnMaxOptions][2] = {};  // message, displacement byte
};

enum class ScnDecodeResult {
  Ok,
  Unknown,     // no command starts with this byte: the interpreters step over it alone
  Truncated,   // the bytes end inside the command
  BadOptions,  // a choice with no options or more than twelve; `size` is what the engine takes
};

// Decodes the command at p (the op with the longest matching prefix in `scope`), reading
// nothing at or after `end`.
ScnDecodeResult ScnDecode(uint8_t scope, const uint8_t* p, const uint8_t* end, ScnInstr& out);
