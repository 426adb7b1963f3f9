// The message code's character set: which character each two-byte code stands for. The table
// is the text file demo/charset (one line per code), compiled into the toolchain.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The highest code the table may use (codes are below 0x2000, so the first byte of a
// character stays below 0x20).
constexpr uint16_t kCharsetLimit = 0x2000;

// The code of a character, or nothing when the charset has no such character.
std::optional<uint16_t> CharsetCode(char32_t character);
// The character of a code, or 0 when the code is unused or a drawn symbol (cursor, arrows).
char32_t CharsetCharacter(uint16_t code);
// The further characters read as `code` (Windows-style forms of a few JIS characters), in the
// table's order; empty for most codes.
std::u32string CharsetAliases(uint16_t code);
// The name of a code that stands for a drawn symbol rather than a character ("cursor-line",
// "cursor-page", "arrow-up", ...), or an empty view.
std::string_view CharsetSymbol(uint16_t code);
// The code of a named symbol (aliases included), or nothing.
std::optional<uint16_t> CharsetSymbolCode(std::string_view name);
// Number of codes in use.
int CharsetSize();
// The highest code in use; a font file holds glyphs up to this one.
uint16_t CharsetLastCode();
// Why the compiled-in table could not be read ("line N: ..."), or an empty view when it is
// sound. A broken table reads as empty.
std::string_view CharsetError();
// Checks a charset text as the build would read it: the first fault as "line N: ...", or an
// empty string.
std::string CharsetCheck(std::string_view text);

// UTF-8 helpers shared by the tools that read text.
// Decodes one character at `text[at]`, moving `at` past it; 0xFFFD for a malformed sequence
// (then `at` moves by one byte).
char32_t Utf8Next(std::string_view text, size_t& at);
void Utf8Append(std::string& out, char32_t character);
