// Scenario language lexer. Statements are short, so tokens are views into the line and a
// number is range-checked only against 64 bits here; the parser checks operand ranges.
#include "tools/scn/scn_lex.h"

namespace {

// Character classes of the language (ASCII only).
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
bool IsWordStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsWordChar(char c) {
  return IsWordStart(c) || IsDigit(c) || c == '-';
}

// The value of a hexadecimal digit, or -1.
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a number at line[at] (sign already consumed by the caller); false when malformed.
bool LexNumber(std::string_view line, size_t& at, int64_t& value) {
  value = 0;
  const bool hex =
      line.size() - at > 2 && line[at] == '0' && (line[at + 1] == 'x' || line[at + 1] == 'X');
  if (hex) at += 2;
  const size_t start = at;
  while (at < line.size()) {
    const int digit = hex ? HexValue(line[at]) : (IsDigit(line[at]) ? line[at] - '0' : -1);
    if (digit < 0) break;
    value = value * (hex ? 16 : 10) + digit;
    if (value > 0xFFFFFFFFll) return false;
    at++;
  }
  if (at == start) return false;
  return at == line.size() || !IsWordChar(line[at]);
}

}  // namespace

// One pass over the line; each branch takes one token.
bool ScnLex(std::string_view line, std::vector<ScnToken>& tokens, std::string& error) {
  tokens.clear();
  size_t at = 0;
  while (at < line.size()) {
    const char c = line[at];
    const size_t start = at;
    if (c == ' ' || c == '\t' || c == '\r') {
      at++;
    } else if (c == '#') {
      break;
    } else if (IsWordStart(c)) {
      while (at < line.size() && IsWordChar(line[at])) at++;
      tokens.push_back({ScnTokenType::Word, line.substr(start, at - start)});
    } else if (IsDigit(c) ||
               ((c == '-' || c == '+') && at + 1 < line.size() && IsDigit(line[at + 1]))) {
      if (c == '-' || c == '+') at++;
      int64_t value = 0;
      if (!LexNumber(line, at, value)) {
        while (at < line.size() && IsWordChar(line[at])) at++;
        error = "malformed number '" + std::string(line.substr(start, at - start)) + "'";
        return false;
      }
      tokens.push_back(
          {ScnTokenType::Number, line.substr(start, at - start), c == '-' ? -value : value});
    } else if (c == '$' && at + 1 < line.size() && IsDigit(line[at + 1])) {
      at += 2;
      tokens.push_back({ScnTokenType::Slot, line.substr(start, 2), line[start + 1] - '0'});
    } else if (c == ',' || c == ':' || c == '=' || c == '<' || c == '>' || c == '!') {
      at++;
      if (at < line.size() && line[at] == '=' && c != ',' && c != ':') at++;
      if (c == '!' && at - start == 1) {
        error = "'!' must be followed by '='";
        return false;
      }
      tokens.push_back({ScnTokenType::Punct, line.substr(start, at - start)});
    } else {
      error = "unexpected character '" + std::string(1, c) + "'";
      if (static_cast<unsigned char>(c) >= 0x80) error = "unexpected non-ASCII text";
      return false;
    }
  }
  return true;
}

// A word as the lexer reads it.
bool ScnIsName(std::string_view text) {
  if (text.empty() || !IsWordStart(text[0])) return false;
  for (char c : text) {
    if (!IsWordChar(c)) return false;
  }
  return true;
}
