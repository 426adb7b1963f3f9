// The compiled-in charset against every code the engine writes by number: digits, kana, the
// yes/no texts, the line-break table and date signs; its coverage of JIS X 0208; and
// the UTF-8 helpers and table checker the tools read texts with.
#include "tools/charset/charset.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/text_format.h"
#include "scenario/message_code.h"

namespace {

// Decodes message code (two-byte characters, 0xB6 x operands skipped, 0xB0 ignored) up to
// 0xAF into UTF-8 through the charset; an unknown code reads as '?'.
std::string DecodeMessage(const std::string& code) {
  std::string out;
  for (size_t i = 0; i < code.size(); i++) {
    const uint8_t byte = static_cast<uint8_t>(code[i]);
    if (byte == 0xAF) break;
    if (byte == 0xB6) {
      i++;
      continue;
    }
    if (byte >= 0x20 || i + 1 >= code.size()) continue;
    const uint16_t value = static_cast<uint16_t>(byte << 8 | static_cast<uint8_t>(code[++i]));
    const char32_t character = value == 0 ? U' ' : CharsetCharacter(value);
    Utf8Append(out, character ? character : U'?');
  }
  return out;
}

std::u32string Utf32(const std::string& text) {
  std::u32string out;
  for (size_t at = 0; at < text.size();) out += Utf8Next(text, at);
  return out;
}

TEST(CharsetTable, BuiltInTableIsSoundAndFitsTheCodeSpace) {
  EXPECT_EQ(CharsetError(), "");
  EXPECT_GT(CharsetSize(), 6800);
  EXPECT_LT(CharsetLastCode(), kCharsetLimit);
  EXPECT_EQ(CharsetCharacter(0), 0U);  // the empty cell stays unassigned
  int symbols = 0;
  for (uint16_t code = 1; code < kCharsetLimit; code++) {
    const char32_t character = CharsetCharacter(code);
    if (character) {
      ASSERT_EQ(CharsetCode(character), code) << std::hex << code;
    } else if (!CharsetSymbol(code).empty()) {
      ASSERT_EQ(CharsetSymbolCode(CharsetSymbol(code)), code) << std::hex << code;
      symbols++;
    }
  }
  EXPECT_EQ(symbols, 6);
}

TEST(CharsetFixedCodes, FormatterDigitsReadAsFullWidthNumbers) {
  // The formatter's '!' digits, padding blank and overflow mark read back as the number.
  EXPECT_EQ(DecodeMessage(FormatText("%!d", {1234567890})), "１２３４５６７８９０");
  EXPECT_EQ(DecodeMessage(FormatText("%!x", {0xABCDEF})), "ＡＢＣＤＥＦ");
  EXPECT_EQ(DecodeMessage(FormatText("%!2d", {123})), "ーー");
}

TEST(CharsetFixedCodes, KanaRunsInTableOrderAndKatakanaFollowsAt81) {
  const std::u32string hiragana = Utf32(
      "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわを"
      "んがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょ");
  ASSERT_EQ(hiragana.size(), 80U);
  for (uint16_t i = 0; i < 80; i++) {
    EXPECT_EQ(CharsetCharacter(64 + i), hiragana[i]) << 64 + i;
    // The katakana twin: same sound, 0x60 further on in Unicode, 81 further on here.
    EXPECT_EQ(CharsetCharacter(145 + i), hiragana[i] + 0x60) << 145 + i;
  }
}

TEST(CharsetFixedCodes, YesNoTextsAndDateSignsRead) {
  const std::pair<std::u32string, std::vector<uint16_t>> texts[] = {
      {U"よろしいですか？", {0x65, 0x6A, 0x4B, 0x41, 0x7B, 0x4C, 0x45, 0xE9}},
      {U"はい", {0x59, 0x41}},
      {U"いいえ", {0x41, 0x41, 0x43}}};
  for (const auto& [text, codes] : texts) {
    for (size_t i = 0; i < codes.size(); i++) EXPECT_EQ(CharsetCharacter(codes[i]), text.at(i));
  }
  // The save list's date line: month, day, hour and minute signs at fixed codes.
  const std::string line =
      FormatText("%c%c%!2d%c%c%!2d%c%c%!2d%c%c%!2d%c%c%c",
                 {0xB6, 0, 4, 0x02, 0xE6, 15, 0x06, 0xCD, 9, 0x04, 0x03, 30, 0x07, 0x86, 0xAF});
  EXPECT_EQ(DecodeMessage(line), " ４月１５日 ９時３０分");
}

TEST(CharsetFixedCodes, LineBreakTableHoldsOnlyClosingMarksAndSmallKana) {
  const std::u32string allowed =
      Utf32("、。，．・：；？！ー…‥」』）】〉”’ぁぃぅぇぉっゃゅょァィゥェォッャュョ");
  for (uint16_t code : NoBreakTable) {
    EXPECT_NE(allowed.find(CharsetCharacter(code)), std::u32string::npos) << std::hex << code;
  }
  // Opening brackets must not be allowed to end a full line.
  for (char32_t opening : Utf32("「『（【〈“‘")) {
    const std::optional<uint16_t> code = CharsetCode(opening);
    ASSERT_TRUE(code);
    EXPECT_FALSE(InNoBreakTable(*code));
  }
}

// Every character of JIS X 0208 rows `first`..`last`, taken from the system's EUC-JP tables.
std::u32string JisRows(int first, int last) {
  iconv_t cd = iconv_open("UTF-32LE", "EUC-JP");
  std::u32string out;
  for (int row = first; row <= last; row++) {
    for (int cell = 1; cell <= 94; cell++) {
      char in[2] = {static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)}, *from = in;
      char32_t value = 0;
      char* to = reinterpret_cast<char*>(&value);
      size_t inLeft = 2, outLeft = 4;
      if (iconv(cd, &from, &inLeft, &to, &outLeft) == 0) out += value;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

TEST(CharsetCoverage, AllOfJisX0208HasACode) {
  const std::u32string kanji1 = JisRows(16, 47), kanji2 = JisRows(48, 84), other = JisRows(1, 8);
  EXPECT_EQ(kanji1.size(), 2965U);
  EXPECT_EQ(kanji2.size(), 3390U);
  EXPECT_GT(other.size(), 500U);
  for (char32_t character : kanji1 + kanji2 + other) {
    EXPECT_TRUE(CharsetCode(character)) << std::hex << static_cast<uint32_t>(character);
  }
  // Windows-style forms of a few of them are read as the same codes.
  EXPECT_EQ(CharsetCode(U'～'), CharsetCode(U'〜'));
  EXPECT_EQ(CharsetCode(U'－'), CharsetCode(U'−'));
  EXPECT_EQ(CharsetCode(U'∥'), CharsetCode(U'‖'));
}

TEST(CharsetCheck, RefusesAmbiguousOrMalformedTables) {
  EXPECT_EQ(CharsetCheck("# comment\n\n0001 あ\n0002 い  # trailing\n0003 arrow-up\n"), "");
  EXPECT_EQ(CharsetCheck("0001 あ\r\n0002 い\r\n"), "");
  EXPECT_EQ(CharsetCheck("0001 あ\n0001 い\n"), "line 2: code 0001 given twice");
  EXPECT_EQ(CharsetCheck("0001 あ\n0002 あ\n"), "line 2: character 'あ' given twice");
  EXPECT_EQ(CharsetCheck("0001 あ ～\n0002 ～\n"), "line 2: character '～' given twice");
  EXPECT_EQ(CharsetCheck("0001 up\n0002 up\n"), "line 2: symbol 'up' given twice");
  EXPECT_EQ(CharsetCheck("0000 あ\n"), "line 1: code outside 0001..1FFE");
  EXPECT_EQ(CharsetCheck("1FFF あ\n"), "line 1: code outside 0001..1FFE");
  EXPECT_EQ(CharsetCheck("12 あ\n"), "line 1: '12' is not a four-digit hexadecimal code");
  EXPECT_EQ(CharsetCheck("0001\n"), "line 1: code without a character or symbol name");
  EXPECT_EQ(CharsetCheck("0001 あい\n"),
            "line 1: 'あい' is neither one character nor a symbol name");
  EXPECT_EQ(CharsetCheck("0001 Up\n"), "line 1: 'Up' is neither one character nor a symbol name");
}

TEST(CharsetUtf8, DecodesValidAndStepsOverMalformedSequences) {
  const std::string text = "a\xC3\xA9\xE6\x9C\x88\xF0\x9F\x8C\xB8";
  size_t at = 0;
  EXPECT_EQ(Utf8Next(text, at), U'a');
  EXPECT_EQ(Utf8Next(text, at), U'é');
  EXPECT_EQ(Utf8Next(text, at), U'月');
  EXPECT_EQ(Utf8Next(text, at), U'\U0001F338');
  EXPECT_EQ(at, text.size());
  // Overlong, surrogate, cut short, stray continuation, beyond U+10FFFF: one byte each.
  for (const std::string bad :
       {"\xC0\x80", "\xED\xA0\x80", "\xE6\x9C", "\x80", "\xF4\x90\x80\x80"}) {
    at = 0;
    EXPECT_EQ(Utf8Next(bad, at), 0xFFFDU) << bad.size();
    EXPECT_EQ(at, 1U);
  }
}

}  // namespace
