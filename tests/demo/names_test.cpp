// The name-entry pickers' character lists in demo/names: sizes the picker pages by (the 24
// stroke-count sets, 60 keys, 50 reading lists, 360 kana cells), every cell a charset
// character, and every kanji reachable both by stroke count and by reading.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/charset/charset.h"

namespace {

constexpr char32_t kGap = U'.';

// The lines of a demo/names file without comments, each split into its characters.
std::vector<std::u32string> ReadLines(const std::string& name) {
  std::ifstream in(std::string(LNTR3_SOURCE_DIR) + "/demo/names/" + name);
  EXPECT_TRUE(in) << name;
  std::vector<std::u32string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::u32string chars;
    for (size_t at = 0; at < line.size();) chars += Utf8Next(line, at);
    lines.push_back(chars);
  }
  return lines;
}

// Splits "HEAD CELLS" at its first ASCII blank.
std::pair<std::u32string, std::u32string> HeadAndCells(const std::u32string& line) {
  const size_t blank = line.find(U' ');
  if (blank == std::u32string::npos) return {line, U""};
  return {line.substr(0, blank), line.substr(blank + 1)};
}

bool IsKanji(char32_t c) {
  return (c >= 0x4E00 && c <= 0x9FFF) || c == U'々';
}

struct NameLists {
  std::vector<std::u32string> strokes, readings;
  std::u32string keys, kana;
};

NameLists LoadLists() {
  NameLists lists;
  for (const std::u32string& line : ReadLines("strokes.txt")) {
    lists.strokes.push_back(HeadAndCells(line).second);
  }
  for (const std::u32string& line : ReadLines("keys.txt")) lists.keys += line;
  for (const std::u32string& line : ReadLines("readings.txt")) lists.readings.push_back(line);
  for (const std::u32string& line : ReadLines("kana.txt")) lists.kana += line;
  return lists;
}

TEST(NameLists, StrokeSetsHaveTheirSizesAndHoldDistinctCharsetKanji) {
  constexpr std::array<size_t, 24> kSizes = {20,  20,  40,  80,  120, 140, 180, 240,
                                             240, 260, 260, 260, 200, 160, 140, 100,
                                             60,  60,  40,  20,  20,  20,  20,  20};
  const std::vector<std::u32string> lines = ReadLines("strokes.txt");
  ASSERT_EQ(lines.size(), 24U);
  std::set<char32_t> seen;
  for (size_t i = 0; i < lines.size(); i++) {
    const auto [head, cells] = HeadAndCells(lines[i]);
    std::string number;
    for (char32_t c : head) Utf8Append(number, c);
    EXPECT_EQ(number, std::to_string(i + 1));
    EXPECT_EQ(cells.size(), kSizes[i]) << "strokes " << i + 1;
    // Gaps only pad the end of a set.
    const size_t firstGap = cells.find(kGap);
    if (firstGap != std::u32string::npos) {
      EXPECT_EQ(cells.find_first_not_of(kGap, firstGap), std::u32string::npos);
    }
    for (char32_t c : cells) {
      if (c == kGap) continue;
      EXPECT_TRUE(IsKanji(c) && CharsetCode(c)) << static_cast<uint32_t>(c);
      EXPECT_TRUE(seen.insert(c).second) << "twice: " << static_cast<uint32_t>(c);
    }
  }
  // A few counts every dictionary agrees on.
  const auto set = [&](char32_t c) {
    for (size_t i = 0; i < lines.size(); i++) {
      if (HeadAndCells(lines[i]).second.find(c) != std::u32string::npos) return int(i) + 1;
    }
    return 0;
  };
  EXPECT_EQ(set(U'一'), 1);
  EXPECT_EQ(set(U'川'), 3);
  EXPECT_EQ(set(U'花'), 7);
  EXPECT_EQ(set(U'桜'), 10);
  EXPECT_EQ(set(U'鷹'), 24);
  EXPECT_GT(seen.size(), 2500U);
}

TEST(NameLists, KeysSelectReadingListsOfPickableKanji) {
  const NameLists lists = LoadLists();
  ASSERT_EQ(lists.keys.size(), 60U);
  ASSERT_EQ(lists.readings.size(), 50U);
  // Keys: the plain kana 64..109 in order with gaps, then ten empty keys.
  std::vector<uint16_t> codes;
  for (size_t i = 0; i < 60; i++) {
    if (lists.keys[i] == kGap) continue;
    ASSERT_LT(i, 50U);
    codes.push_back(CharsetCode(lists.keys[i]).value_or(0));
  }
  ASSERT_EQ(codes.size(), 46U);
  for (size_t i = 0; i < codes.size(); i++) EXPECT_EQ(codes[i], 64 + i);

  std::set<char32_t> pickable;
  for (const std::u32string& set : lists.strokes) pickable.insert(set.begin(), set.end());
  pickable.erase(kGap);
  std::set<char32_t> listed;
  for (size_t k = 0; k < 50; k++) {
    const auto [head, cells] = HeadAndCells(lists.readings[k]);
    EXPECT_EQ(head, std::u32string(1, lists.keys[k])) << k;
    if (lists.keys[k] == kGap) {
      EXPECT_TRUE(cells.empty());
    }
    for (char32_t c : cells) {
      EXPECT_TRUE(pickable.count(c)) << static_cast<uint32_t>(c);
      listed.insert(c);
    }
  }
  EXPECT_EQ(listed, pickable);
  // 岡 is found under its on reading (コウ) and its kun reading (おか).
  EXPECT_NE(lists.readings[9].find(U'岡'), std::u32string::npos);
  EXPECT_NE(lists.readings[4].find(U'岡'), std::u32string::npos);
}

TEST(NameLists, KanaTableHoldsBothKanaSetsInCharsetCodes) {
  const NameLists lists = LoadLists();
  ASSERT_EQ(lists.kana.size(), 360U);
  std::set<uint16_t> codes;
  for (char32_t c : lists.kana) {
    if (c == kGap) continue;
    const std::optional<uint16_t> code = CharsetCode(c);
    ASSERT_TRUE(code) << static_cast<uint32_t>(c);
    EXPECT_TRUE(codes.insert(*code).second) << "twice: " << static_cast<uint32_t>(c);
  }
  for (uint16_t code = 64; code <= 143; code++) {
    EXPECT_TRUE(codes.count(code)) << code;
    EXPECT_TRUE(codes.count(code + 81)) << code + 81;
  }
  // The name blank is a marker, never a character to pick.
  EXPECT_FALSE(codes.count(258));
}

}  // namespace
