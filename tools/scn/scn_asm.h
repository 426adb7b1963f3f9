// Scenario assembler internals shared by the source reader (scn_asm.cpp) and the statement
// and text encoder (scn_encode.cpp).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "tools/scn/scn.h"
#include "tools/scn/scn_lex.h"
#include "tools/scn/scn_table.h"

// A name used before its position or number is known, patched when the whole file is read.
struct ScnFixup {
  char kind;     // 'd' label (displacement), 'e' entry name, 'm' message name
  uint32_t at;   // the operand byte in the event block
  uint32_t end;  // 'd': block offset of the end of the instruction
  std::string name;
  int line;
};

struct ScnSymbol {
  uint32_t value;
  bool isVar;  // declared with 'var': usable where a variable is expected
};

struct ScnEntryDef {
  std::string name;  // may be empty
  int number;        // -1: the lowest number no other entry takes
  uint32_t offset;   // block offset of the code (or the raw value of an 'at' entry)
  int line;
};

enum class ScnMessageForm : uint8_t { Text, Alias, Raw };

struct ScnMessageDef {
  std::string name;  // may be empty
  int number;        // -1: the lowest free number; -2: no entry ('message none')
  ScnMessageForm form;
  std::string target;  // Alias: the name of the message it shares, or empty
  int targetNumber;    // Alias: the number of the message it shares, when given by number
  uint32_t offset;     // Text: block offset; Raw: the raw entry value
  int line;
};

// The state of one assembly.
struct ScnAsm {
  std::string file;
  int line = 0;
  std::vector<std::string> errors;
  std::vector<uint8_t> events;    // the whole event block, table space first
  std::vector<uint8_t> messages;  // the whole message block, table space first
  uint16_t eventHeader = 0, messageHeader = 0;
  std::map<std::string, uint32_t, std::less<>> labels;  // label and entry names: block offsets
  std::vector<ScnEntryDef> entries;
  std::vector<ScnMessageDef> messageDefs;
  std::map<std::string, ScnSymbol, std::less<>> symbols;
  std::vector<ScnFixup> fixups;
  // The choice whose option lines are being read: offset of its code, its line, the first of
  // its fixups; -1 when none is open.
  int64_t choiceAt = -1;
  int choiceLine = 0;
  size_t choiceFixups = 0;
  // The [file] section, and which block positions it gave.
  ScnFileLayout layout;
  bool positionGiven[2] = {false, false};
  int fileLine = 0;  // its first line
};

// Records "file:line: what" for the current line.
void ScnAsmError(ScnAsm& a, const std::string& what);
// True for words the language reserves (they cannot name labels, messages or constants).
bool ScnAsmReserved(std::string_view word);

// Encodes one command from its tokens (the command word first) into `out`, for the event
// script or the message text. False after reporting an error.
bool ScnAsmCommand(ScnAsm& a, uint8_t scope, const std::vector<ScnToken>& tokens,
                   std::vector<uint8_t>& out);
// Encodes an option line ("option MESSAGE goto LABEL") into the open choice.
bool ScnAsmOption(ScnAsm& a, const std::vector<ScnToken>& tokens);
// Encodes one line of message text. `last`: the message's last line (no line break after it).
// Sets `noEnd` when the line ends with {noend}.
void ScnAsmTextLine(ScnAsm& a, std::string_view text, bool last, bool& noEnd);
// Reads a number token or constant into `value` within 0..`max`; false after an error.
bool ScnAsmNumber(ScnAsm& a, const ScnToken& token, uint32_t max, uint32_t& value);
