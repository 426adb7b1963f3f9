// The name-entry pickers' character lists in demo/names: sizes the picker pages by (the 24
// stroke-count sets, 60 keys, 50 reading lists, 360 kana cells), every cell a charset
// character, and every kanji reachable both by stroke count and by reading.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/charset/charset.h"

namespace {

constexpr char32_t kGap = U'.';
using Cells = std::u32string;

// The lines of a demo/names file without comments, each split into its characters and, where it
// has a blank, into the head before it and the cells after it.
std::vector<std::pair<Cells, Cells>> ReadLines(const std::string& name) {
  std::ifstream in(std::string(LNTR3_SOURCE_DIR) + "/demo/names/" + name);
  EXPECT_TRUE(in) << name;
  std::vector<std::pair<Cells, Cells>> lines;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    Cells chars;
    for (size_t at = 0; at < line.size();) chars += Utf8Next(line, at);
    const size_t blank = chars.find(U' ');
    lines.emplace_back(chars.substr(0, blank),
                       blank == Cells::npos ? U"" : chars.substr(blank + 1));
  }
  return lines;
}

// All the cells of a grid file, row after row.
Cells Grid(const std::string& name) {
  Cells all;
  for (const auto& [row, none] : ReadLines(name)) all += row;
  return all;
}

TEST(NameLists, StrokeSetsHaveTheirSizesAndHoldDistinctCharsetKanji) {
  constexpr size_t kSizes[] = {20,  20,  40,  80,  120, 140, 180, 240, 240, 260, 260, 260,
                               200, 160, 140, 100, 60,  60,  40,  20,  20,  20,  20,  20};
  const auto sets = ReadLines("strokes.txt");
  ASSERT_EQ(sets.size(), std::size(kSizes));
  std::map<char32_t, int> strokes;
  for (size_t i = 0; i < sets.size(); i++) {
    const Cells& cells = sets[i].second;
    EXPECT_EQ(cells.size(), kSizes[i]) << "strokes " << i + 1;
    // Gaps only pad the end of a set.
    EXPECT_EQ(cells.find_first_not_of(kGap, std::min(cells.find(kGap), cells.size())), Cells::npos);
    for (char32_t c : cells) {
      if (c == kGap) continue;
      const bool kanji = (c >= 0x4E00 && c <= 0x9FFF) || c == U'々';
      EXPECT_TRUE(kanji && CharsetCode(c)) << static_cast<uint32_t>(c);
      EXPECT_TRUE(strokes.emplace(c, static_cast<int>(i) + 1).second) << "twice: " << uint32_t(c);
    }
  }
  // A few counts every dictionary agrees on.
  for (const auto& [c, count] :
       {std::pair{U'一', 1}, {U'川', 3}, {U'花', 7}, {U'桜', 10}, {U'鷹', 24}}) {
    EXPECT_EQ(strokes[c], count) << static_cast<uint32_t>(c);
  }
  EXPECT_GT(strokes.size(), 2500U);
}

TEST(NameLists, KeysSelectReadingListsOfPickableKanji) {
  const Cells keys = Grid("keys.txt");
  const auto readings = ReadLines("readings.txt");
  ASSERT_EQ(keys.size(), 60U);
  ASSERT_EQ(readings.size(), 50U);
  // Keys: the plain kana 64..109 in order with gaps, then ten empty keys.
  uint16_t next = 64;
  for (size_t i = 0; i < keys.size(); i++) {
    if (keys[i] == kGap) continue;
    EXPECT_LT(i, 50U);
    EXPECT_EQ(CharsetCode(keys[i]).value_or(0), next++) << i;
  }
  EXPECT_EQ(next, 110);
  // Every kanji of a stroke set is in a reading list and the other way round; 岡 is found under
  // its on reading (コウ) and its kun reading (おか).
  std::set<char32_t> pickable, listed;
  for (const auto& [count, cells] : ReadLines("strokes.txt")) {
    pickable.insert(cells.begin(), cells.end());
  }
  pickable.erase(kGap);
  for (size_t k = 0; k < readings.size(); k++) {
    const auto& [key, cells] = readings[k];
    EXPECT_EQ(key, Cells(1, keys[k])) << k;
    EXPECT_TRUE(keys[k] != kGap || cells.empty()) << k;
    listed.insert(cells.begin(), cells.end());
  }
  EXPECT_TRUE(listed == pickable) << listed.size() << " kanji listed, " << pickable.size()
                                  << " in the stroke sets";
  EXPECT_NE(readings[9].second.find(U'岡'), Cells::npos);
  EXPECT_NE(readings[4].second.find(U'岡'), Cells::npos);
}

TEST(NameLists, KanaTableHoldsBothKanaSetsInCharsetCodes) {
  const Cells kana = Grid("kana.txt");
  ASSERT_EQ(kana.size(), 360U);
  std::set<uint16_t> codes;
  for (char32_t c : kana) {
    if (c == kGap) continue;
    const std::optional<uint16_t> code = CharsetCode(c);
    ASSERT_TRUE(code) << static_cast<uint32_t>(c);
    EXPECT_TRUE(codes.insert(*code).second) << "twice: " << static_cast<uint32_t>(c);
  }
  for (uint16_t code = 64; code <= 143; code++) {
    EXPECT_TRUE(codes.count(code) && codes.count(code + 81)) << code;
  }
  EXPECT_FALSE(codes.count(258)) << "the name blank is a marker, never a character to pick";
}

}  // namespace
