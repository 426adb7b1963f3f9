// Scenario language lexer: splits one statement (an event line, or the inside of a {command}
// in message text) into words, numbers and punctuation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class ScnTokenType : uint8_t {
  Word,    // a letter or '_', then letters, digits, '_' and '-'
  Number,  // decimal or 0x hexadecimal, with an optional sign
  Punct,   // , : = == != < > <= >=
  Slot,    // $0..$9, only in the command table's forms
};

struct ScnToken {
  ScnTokenType type;
  std::string_view text;
  int64_t number = 0;  // the value of a Number, the index of a Slot
};

// Splits `line`; a '#' ends it (a comment). False, with `error`, on a character that starts
// no token or a malformed number.
bool ScnLex(std::string_view line, std::vector<ScnToken>& tokens, std::string& error);

// True when `text` is a valid label, entry, message or constant name.
bool ScnIsName(std::string_view text);
