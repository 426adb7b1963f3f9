// Tests of FormatText and SjisTextWidth: conversions, message-font digits, kana modes,
// Shift-JIS pairs, and that the destination is never overrun.
#include "resources/text_format.h"

#include <gtest/gtest.h>

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

TEST(FormatTextTest, NumbersPadJustifyAndOverflowPastTheirWidth) {
  EXPECT_EQ(FormatText("%02d", {7}), "07");
  EXPECT_EQ(FormatText("%2d", {7}), " 7");
  EXPECT_EQ(FormatText("%-3d|", {7}), "7  |");
  EXPECT_EQ(FormatText("C%04x.TZ2", {161}), "C00A1.TZ2");
  EXPECT_EQ(FormatText("%X/%x", {0xBEEF, 0}), "BEEF/0");
  EXPECT_EQ(FormatText("%02d|%2d", {12, 123}), "12|--");
  EXPECT_EQ(FormatText("%d", {-1}), "4294967295");
  // Message-font digits (more of them in the charset tests) pad with their own blank.
  EXPECT_EQ(FormatText("%!3d", {5}), Bytes({0, 0, 0, 0, 0, 0x3B}));
  EXPECT_EQ(FormatText("%!03d", {5}), Bytes({0, 0x36, 0, 0x36, 0, 0x3B}));
  EXPECT_EQ(FormatText("%!-3d", {5}), Bytes({0, 0x3B, ' ', ' ', ' ', ' '}));
}

TEST(FormatTextTest, TextWidthJustifyAndCut) {
  EXPECT_EQ(FormatText("%3s", {"ab"}), " ab");
  EXPECT_EQ(FormatText("%-3s|", {"ab"}), "ab |");
  EXPECT_EQ(FormatText("%2s", {"abcd"}), "ab");
  // A two-byte character that crosses the width is still written whole.
  const std::string kanji = Bytes({'a', 0x88, 0x9F, 'b', 0});
  EXPECT_EQ(FormatText("%2s", {kanji.c_str()}), Bytes({'a', 0x88, 0x9F}));
  EXPECT_EQ(FormatText("%4s", {kanji.c_str()}), Bytes({'a', 0x88, 0x9F, 'b'}));
  // Zero padding and '!' do nothing to text; '^' inside a text is just a byte.
  EXPECT_EQ(FormatText("%!04s", {std::string("a^%")}), " a^%");
}

// Every entry of both conversion tables against the host's own Shift-JIS encoder; the last
// mode character wins, and the mode applies to inserted text and to its width.
TEST(FormatTextTest, KanaModesMatchShiftJis) {
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
  EXPECT_EQ(FormatText(("@#&" + all).c_str()), all);
  EXPECT_EQ(FormatText(all.c_str()), all);
  const std::string kana = Bytes({0xB6, 0xC5, 0});  // half-width "ka na"
  EXPECT_EQ(FormatText("#%6s", {kana.c_str()}), "  " + PlatUtf8ToSjis("かな"));
  EXPECT_EQ(FormatText("%3s", {kana.c_str()}), " " + kana.substr(0, 2));
}

TEST(FormatTextTest, DirectivesAndShiftJisPairs) {
  EXPECT_EQ(FormatText("^%d^^", {5}), "%d^");
  EXPECT_EQ(FormatText("%c", {0x1234}), "4");
  // Trail bytes that look like directives are part of their character; a lead byte at the
  // end of a text is copied, with the zero byte after it left alone.
  for (int trail : {0x5E, 0x25, 0x40, 0x23, 0x26}) {
    const std::string format = Bytes({0x83, trail, '%', 'd', 0});
    EXPECT_EQ(FormatText(format.c_str(), {9}), Bytes({0x83, trail, '9'})) << trail;
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

TEST(SjisTextWidthTest, CountsHalfWidthPositionsInTheLastKanaMode) {
  const std::string mixed = Bytes({'a', 0x88, 0x9F, 0xB1, 0xE0, 0x40, 0});
  FormatText("");
  EXPECT_EQ(SjisTextWidth(mixed.c_str()), 6);
  FormatText("@");
  EXPECT_EQ(SjisTextWidth(mixed.c_str()), 7);
  FormatText("");
  EXPECT_EQ(SjisTextWidth(""), 0);
}

}  // namespace
