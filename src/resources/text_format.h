// The engine's own text formatter: file names, memory labels, error messages and the numbers
// drawn in the message window all go through FormatText. Texts are Shift-JIS bytes.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

// One argument of a conversion: a 32-bit number (%c, %d, %x) or a zero-terminated text (%s).
// A number given to %s reads as an empty text; a text given to a number conversion reads as 0.
struct FormatArg {
  enum class Kind : uint8_t { Number, Text };
  Kind kind;
  uint32_t number;
  const char* text;

  template <std::integral T>
  constexpr FormatArg(T value)  // NOLINT(google-explicit-constructor)
      : kind(Kind::Number), number(static_cast<uint32_t>(value)), text(nullptr) {}
  constexpr FormatArg(const char* value)  // NOLINT(google-explicit-constructor)
      : kind(Kind::Text), number(0), text(value) {}
  FormatArg(const std::string& value)  // NOLINT(google-explicit-constructor)
      : kind(Kind::Text), number(0), text(value.c_str()) {}
};

// Kana modes: what half-width katakana (0xA0..0xDF) become.
enum : uint16_t {
  kKanaAsIs = 0,      // copied unchanged ('&')
  kKanaKatakana = 1,  // full-width katakana ('@')
  kKanaHiragana = 2,  // full-width hiragana ('#')
};

// The current kana mode. Every FormatText call starts at kKanaAsIs; the mode characters of the
// format change it and it keeps the last value after the call (SjisTextWidth reads it).
extern uint16_t FormatKanaMode;

// Formats into `dest` and zero-terminates it. Directives: '^' escapes the next byte; '&', '@',
// '#' set the kana mode; '%' starts a conversion of flags ('!' message-font digits, '-' left
// justify, 'L' ignored, digits = width, leading '0' = zero padding) ended by c, s, d or x.
// Shift-JIS pairs are copied whole. Never writes past `dest`: output that does not fit is cut
// before the first piece (byte or two-byte character) that would not fit, and the zero byte
// always follows. Answers the bytes written before the zero byte (the output may hold further
// zero bytes: %c of 0 and the message-font digit codes).
size_t FormatText(std::span<char> dest, const char* format,
                  std::initializer_list<FormatArg> args = {});
// The same, answering the whole result (no size limit beyond the 32767 bytes of a width).
std::string FormatText(const char* format, std::initializer_list<FormatArg> args = {});

// Width of a zero-terminated Shift-JIS text in half-width positions: 1 per byte below 0x80,
// 2 per two-byte character, 1 or 2 per half-width katakana in kana mode 0 or the others.
uint16_t SjisTextWidth(const char* text);
