// Tests of FormatText and SjisTextWidth: conversions, message-font digits, kana modes,
// Shift-JIS pairs, and that neither the destination nor the format is ever overrun.
#include "resources/text_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(FormatTextTest, NumbersPadJustifyAndOverflow) {
  EXPECT_EQ(FormatText("%02d", {7}), "07");
  EXPECT_EQ(FormatText("%2d", {7}), " 7");
  EXPECT_EQ(FormatText("%-3d|", {7}), "7  |");
  EXPECT_EQ(FormatText("%04x", {161}), "00A1");
  EXPECT_EQ(FormatText("C%04x.TZ2", {161}), "C00A1.TZ2");
  EXPECT_EQ(FormatText("%X/%x", {0xBEEF, 0}), "BEEF/0");
  EXPECT_EQ(FormatText("%2d", {123}), "--");
  EXPECT_EQ(FormatText("%d", {123}), "123");
  EXPECT_EQ(FormatText("%d", {-1}), "4294967295");
  EXPECT_EQ(FormatText("%ld %LD", {5, 6}), "5 6");
  // A later group of digits replaces the width; the earlier leading zero still pads.
  EXPECT_EQ(FormatText("%05-3d|", {7}), "7  |");
  EXPECT_EQ(FormatText("%04!3d", {7}), Bytes({0, 0x36, 0, 0x36, 0, 0x3D}));
  EXPECT_EQ(FormatText("S%02d%c.TZ2", {1, 'D'}), "S01D.TZ2");
}

TEST(FormatTextTest, MessageFontDigits) {
  EXPECT_EQ(FormatText("%!3d", {5}), Bytes({0, 0, 0, 0, 0, 0x3B}));
  EXPECT_EQ(FormatText("%!03d", {5}), Bytes({0, 0x36, 0, 0x36, 0, 0x3B}));
  EXPECT_EQ(FormatText("%!-3d", {5}), Bytes({0, 0x3B, ' ', ' ', ' ', ' '}));
  EXPECT_EQ(FormatText("%!x", {0xAF}), Bytes({0, 0x02, 0, 0x07}));
  EXPECT_EQ(FormatText("%!d", {1234567890}), Bytes({0, 0x37, 0, 0x38, 0, 0x39, 0, 0x3A, 0, 0x3B,
                                                    0, 0x3C, 0, 0x3D, 0, 0x3E, 0, 0x3F, 0, 0x36}));
  EXPECT_EQ(FormatText("%!2d", {100}), Bytes({0, 0xEC, 0, 0xEC}));
}

TEST(FormatTextTest, TextWidthJustifyAndCut) {
  EXPECT_EQ(FormatText("%3s", {"ab"}), " ab");
  EXPECT_EQ(FormatText("%-3s|", {"ab"}), "ab |");
  EXPECT_EQ(FormatText("%2s", {"abcd"}), "ab");
  EXPECT_EQ(FormatText("%s", {"abcd"}), "abcd");
  // A two-byte character that crosses the width is still written whole.
  const std::string kanji = Bytes({'a', 0x88, 0x9F, 'b', 0});
  EXPECT_EQ(FormatText("%2s", {kanji.c_str()}), Bytes({'a', 0x88, 0x9F}));
  EXPECT_EQ(FormatText("%4s", {kanji.c_str()}), Bytes({'a', 0x88, 0x9F, 'b'}));
  // Zero padding and '!' do nothing to text; '^' inside a text is just a byte.
  EXPECT_EQ(FormatText("%!04s", {"a^%"}), " a^%");
  EXPECT_EQ(FormatText("%s:%s", {std::string("dir"), "X.TZ2"}), "dir:X.TZ2");
}

TEST(FormatTextTest, KanaModes) {
  const std::string a = Bytes({0xB1});
  EXPECT_EQ(FormatText(("@" + a).c_str()), PlatUtf8ToSjis("ア"));
  EXPECT_EQ(FormatText(("#" + a).c_str()), PlatUtf8ToSjis("あ"));
  EXPECT_EQ(FormatText(("@#&" + a).c_str()), a);
  EXPECT_EQ(FormatText(a.c_str()), a);
  // The mode applies to inserted text and to its width.
  const std::string kana = Bytes({0xB6, 0xC5, 0});  // half-width "ka na"
  EXPECT_EQ(FormatText("#%6s", {kana.c_str()}), "  " + PlatUtf8ToSjis("かな"));
  EXPECT_EQ(FormatText("%3s", {kana.c_str()}), " " + kana.substr(0, 2));
  // Voiced marks stay separate characters.
  EXPECT_EQ(FormatText(Bytes({'@', 0xB6, 0xDE, 0}).c_str()), PlatUtf8ToSjis("カ゛"));
}

// Every entry of both conversion tables against the host's own Shift-JIS encoder.
TEST(FormatTextTest, KanaTablesMatchShiftJis) {
  const char* katakana =
      "　。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒ"
      "フヘホマミムメモヤユヨラリルレロワン゛゜";
  const char* hiragana =
      "　。「」、・をぁぃぅぇぉゃゅょっーあいうえおかきくけこさしすせそたちつてとなにぬねのはひ"
      "ふへほまみむめもやゆよらりるれろわん゛゜";
  std::string all;
  for (int b = 0xA0; b <= 0xDF; b++) all.push_back(static_cast<char>(b));
  EXPECT_EQ(FormatText(("@" + all).c_str()), PlatUtf8ToSjis(katakana));
  EXPECT_EQ(FormatText(("#" + all).c_str()), PlatUtf8ToSjis(hiragana));
}

TEST(FormatTextTest, DirectivesAndShiftJisPairs) {
  EXPECT_EQ(FormatText("^%d", {5}), "%d");
  EXPECT_EQ(FormatText("^^^&^@^#", {}), "^&@#");
  EXPECT_EQ(FormatText("%%d", {5}), "5");
  EXPECT_EQ(FormatText("^%", {}), "%");
  EXPECT_EQ(FormatText("%c%c", {0x00, 0xB6}), Bytes({0x00, 0xB6}));
  EXPECT_EQ(FormatText("%c", {0x1234}), "4");
  EXPECT_EQ(FormatText(""), "");
  // Trail bytes that look like directives are part of their character.
  for (int trail : {0x5E, 0x25, 0x40, 0x23, 0x26}) {
    const std::string format = Bytes({0x83, trail, '%', 'd', 0});
    EXPECT_EQ(FormatText(format.c_str(), {9}), Bytes({0x83, trail, '9'})) << trail;
  }
  // The error messages are Shift-JIS formats with a %s.
  EXPECT_EQ(FormatText(PlatUtf8ToSjis("ファイルが開けません : %s").c_str(), {"A.DAT"}),
            PlatUtf8ToSjis("ファイルが開けません : A.DAT"));
}

TEST(FormatTextTest, MissingOrMismatchedArgumentsAreHarmless) {
  EXPECT_EQ(FormatText("%d|%s|%x", {}), "0||0");
  EXPECT_EQ(FormatText("%s|%d", {7, "x"}), "|0");
  EXPECT_EQ(FormatText("%s", {static_cast<const char*>(nullptr)}), "");
  EXPECT_EQ(FormatText(nullptr), "");
}

// Formats placed at the very end of heap blocks, so that the sanitizer sees any read past
// their zero byte.
TEST(FormatTextTest, NeverReadsPastTheFormat) {
  const std::pair<const char*, const char*> cases[] = {
      {"ab%", "ab"}, {"ab%05", "ab"}, {"ab^", "ab"}, {"ab\x83", "ab\x83"}, {"%-!", ""}};
  for (const auto& [text, expected] : cases) {
    const size_t n = std::strlen(text) + 1;
    auto exact = std::make_unique<char[]>(n);
    std::memcpy(exact.get(), text, n);
    EXPECT_EQ(FormatText(exact.get(), {1}), expected) << text;
  }
  const std::string lone = Bytes({'x', 0x83, 0});
  EXPECT_EQ(FormatText("%s", {lone.c_str()}), Bytes({'x', 0x83}));
  EXPECT_EQ(SjisTextWidth(lone.c_str()), 2);
}

TEST(FormatTextTest, FixedBufferIsNeverOverrun) {
  std::vector<char> dest(8, '#');
  // Room for 7 bytes and the zero.
  EXPECT_EQ(FormatText(std::span<char>(dest.data(), 8), "%s", {"0123456789"}), 7u);
  EXPECT_STREQ(dest.data(), "0123456");
  // A two-byte character that does not fit is dropped whole, and so is all that follows.
  const std::string text = Bytes({'a', 'b', 'c', 'd', 'e', 'f', 0x88, 0x9F, 'g', 0});
  dest.assign(8, '#');
  EXPECT_EQ(FormatText(std::span<char>(dest.data(), 8), text.c_str()), 6u);
  EXPECT_STREQ(dest.data(), "abcdef");
  EXPECT_EQ(dest[7], '#');
  // Embedded zero bytes are counted in the answer.
  char small[16];
  EXPECT_EQ(FormatText(small, "%!2d", {42}), 4u);
  EXPECT_EQ(std::string(small, 5), Bytes({0, 0x3A, 0, 0x38, 0}));
  char one[1] = {'#'};
  EXPECT_EQ(FormatText(one, "abc"), 0u);
  EXPECT_EQ(one[0], 0);
  EXPECT_EQ(FormatText(std::span<char>(), "abc"), 0u);
  // A huge width is bounded, not an endless write.
  EXPECT_EQ(FormatText("%99999999999d", {1}).size(), 32767u);
}

TEST(SjisTextWidthTest, CountsHalfWidthPositions) {
  FormatText("");  // kana mode 0
  const std::string mixed = Bytes({'a', 0x88, 0x9F, 0xB1, 0xE0, 0x40, 0});
  EXPECT_EQ(SjisTextWidth(mixed.c_str()), 6);
  FormatText("@");
  EXPECT_EQ(FormatKanaMode, kKanaKatakana);
  EXPECT_EQ(SjisTextWidth(mixed.c_str()), 7);
  FormatText("#");
  EXPECT_EQ(SjisTextWidth(mixed.c_str()), 7);
  FormatText("");
  EXPECT_EQ(FormatKanaMode, kKanaAsIs);
  EXPECT_EQ(SjisTextWidth(""), 0);
}

}  // namespace
