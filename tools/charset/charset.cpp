// The message code's character set, read once from the text of demo/charset that the build
// compiles in (kCharsetText), plus the UTF-8 helpers the tools read their texts with.
#include "tools/charset/charset.h"

#include <array>
#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

extern const char kCharsetText[];
extern const size_t kCharsetTextSize;

namespace {

struct CharsetTable {
  std::array<char32_t, kCharsetLimit> characters{};  // 0: unused or a symbol
  std::map<uint16_t, std::string> symbols;           // primary name of each symbol code
  std::map<uint16_t, std::u32string> aliases;        // further characters of a code
  std::unordered_map<char32_t, uint16_t> codes;      // characters and their aliases
  std::map<std::string, uint16_t, std::less<>> symbolCodes;
  std::array<bool, kCharsetLimit> used{};
  int size = 0;
  uint16_t lastCode = 0;
  std::string error;
};

// Strips a trailing comment: '#' at the start of the line or after a blank.
std::string_view CharsetStripComment(std::string_view line) {
  for (size_t i = 0; i < line.size(); i++) {
    if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
      return line.substr(0, i);
    }
  }
  return line;
}

// Splits a line into blank-separated fields.
std::vector<std::string_view> CharsetFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) at++;
    const size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') at++;
    if (at > start) fields.push_back(line.substr(start, at - start));
  }
  return fields;
}

// A symbol name: two or more of a-z, 0-9 and '-'.
bool CharsetIsName(std::string_view field) {
  if (field.size() < 2) return false;
  for (char c : field) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return false;
  }
  return true;
}

// Reads a four-digit hexadecimal code; false when the field is not one.
bool CharsetReadCode(std::string_view field, uint16_t& code) {
  if (field.size() != 4) return false;
  unsigned value = 0;
  for (char c : field) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      return false;
    }
    value = value * 16 + digit;
  }
  code = static_cast<uint16_t>(value);
  return true;
}

// Parses a whole charset text into `table`; the first fault ends it with table.error set.
void CharsetParse(std::string_view text, CharsetTable& table) {
  int lineNo = 0;
  size_t at = 0;
  auto fail = [&](const std::string& why) {
    table.error = "line " + std::to_string(lineNo) + ": " + why;
  };
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    lineNo++;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::vector<std::string_view> fields = CharsetFields(CharsetStripComment(line));
    if (fields.empty()) continue;
    uint16_t code = 0;
    if (!CharsetReadCode(fields[0], code))
      return fail("'" + std::string(fields[0]) + "' is not a four-digit hexadecimal code");
    // 0x1FFF is the engine's invisible cell: a character there would never show.
    if (code == 0 || code >= kCharsetLimit - 1) return fail("code outside 0001..1FFE");
    if (table.used[code]) return fail("code " + std::string(fields[0]) + " given twice");
    if (fields.size() < 2) return fail("code without a character or symbol name");
    for (size_t f = 1; f < fields.size(); f++) {
      const std::string_view field = fields[f];
      if (CharsetIsName(field)) {
        if (table.symbolCodes.count(field)) {
          return fail("symbol '" + std::string(field) + "' given twice");
        }
        table.symbolCodes.emplace(std::string(field), code);
        if (f == 1) table.symbols.emplace(code, std::string(field));
        continue;
      }
      size_t pos = 0;
      const char32_t character = Utf8Next(field, pos);
      if (pos != field.size() || character == 0xFFFD || character <= 0x20) {
        return fail("'" + std::string(field) + "' is neither one character nor a symbol name");
      }
      if (table.codes.count(character)) {
        return fail("character '" + std::string(field) + "' given twice");
      }
      table.codes.emplace(character, code);
      if (f == 1) {
        table.characters[code] = character;
      } else {
        table.aliases[code] += character;
      }
    }
    table.used[code] = true;
    table.size++;
    if (code > table.lastCode) table.lastCode = code;
  }
}

// The compiled-in table, read on first use; a faulty text leaves it empty with the reason.
const CharsetTable& CharsetBuiltIn() {
  static const CharsetTable table = [] {
    CharsetTable parsed;
    CharsetParse(std::string_view(kCharsetText, kCharsetTextSize), parsed);
    if (parsed.error.empty()) return parsed;
    CharsetTable empty;
    empty.error = parsed.error;
    return empty;
  }();
  return table;
}

}  // namespace

// Looks a character up, aliases included.
std::optional<uint16_t> CharsetCode(char32_t character) {
  const CharsetTable& table = CharsetBuiltIn();
  const auto found = table.codes.find(character);
  if (found == table.codes.end()) return std::nullopt;
  return found->second;
}

// The primary character of a code.
char32_t CharsetCharacter(uint16_t code) {
  return code < kCharsetLimit ? CharsetBuiltIn().characters[code] : 0;
}

// The alias characters of a code.
std::u32string CharsetAliases(uint16_t code) {
  const CharsetTable& table = CharsetBuiltIn();
  const auto found = table.aliases.find(code);
  return found == table.aliases.end() ? std::u32string() : found->second;
}

// The primary name of a symbol code.
std::string_view CharsetSymbol(uint16_t code) {
  const CharsetTable& table = CharsetBuiltIn();
  const auto found = table.symbols.find(code);
  return found == table.symbols.end() ? std::string_view() : std::string_view(found->second);
}

// Looks a symbol name up, aliases included.
std::optional<uint16_t> CharsetSymbolCode(std::string_view name) {
  const CharsetTable& table = CharsetBuiltIn();
  const auto found = table.symbolCodes.find(name);
  if (found == table.symbolCodes.end()) return std::nullopt;
  return found->second;
}

// Counts the codes in use.
int CharsetSize() {
  return CharsetBuiltIn().size;
}

// The highest code in use.
uint16_t CharsetLastCode() {
  return CharsetBuiltIn().lastCode;
}

// The reason the compiled-in table was refused, if it was.
std::string_view CharsetError() {
  return CharsetBuiltIn().error;
}

// Checks a charset text without touching the compiled-in table.
std::string CharsetCheck(std::string_view text) {
  CharsetTable table;
  CharsetParse(text, table);
  return table.error;
}

// Decodes one UTF-8 sequence, refusing overlong forms, surrogates and values past U+10FFFF.
char32_t Utf8Next(std::string_view text, size_t& at) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  if (at >= text.size()) {
    at++;
    return 0xFFFD;
  }
  const uint8_t lead = byte(at);
  if (lead < 0x80) {
    at++;
    return lead;
  }
  int extra;
  char32_t value;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    at++;
    return 0xFFFD;
  }
  if (at + static_cast<size_t>(extra) >= text.size()) {
    at++;
    return 0xFFFD;
  }
  for (int i = 1; i <= extra; i++) {
    const uint8_t next = byte(at + static_cast<size_t>(i));
    if ((next & 0xC0) != 0x80) {
      at++;
      return 0xFFFD;
    }
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    at++;
    return 0xFFFD;
  }
  at += static_cast<size_t>(extra) + 1;
  return value;
}

// Appends one character as UTF-8 (U+FFFD for values that have no encoding).
void Utf8Append(std::string& out, char32_t character) {
  if (character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)) character = 0xFFFD;
  if (character < 0x80) {
    out += static_cast<char>(character);
  } else if (character < 0x800) {
    out += static_cast<char>(0xC0 | (character >> 6));
    out += static_cast<char>(0x80 | (character & 0x3F));
  } else if (character < 0x10000) {
    out += static_cast<char>(0xE0 | (character >> 12));
    out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (character & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (character >> 18));
    out += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (character & 0x3F));
  }
}
