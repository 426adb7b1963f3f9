// lntr3tool font names: the name entry's character lists (demo/names) as a C++ header of font
// codes, the form in which the engine keeps them beside its fixed texts.
#include "tools/font/font_names.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/charset/charset.h"
#include "tools/common/tool.h"

namespace {

constexpr char32_t kGap = U'.';
constexpr size_t kKanaCells = 360, kKeyCells = 60, kReadingLists = 50, kStrokeSets = 24;

// One line of a list file: its head (before the first blank) and its cells (after it); a grid
// row has no blank and is all cells.
struct ListLine {
  std::u32string head, cells;
};

bool ReadListFile(const std::string& path, std::vector<ListLine>& lines, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot open '" + path + "'";
    return false;
  }
  for (std::string text; std::getline(in, text);) {
    if (text.empty() || text[0] == '#') continue;
    std::u32string chars;
    for (size_t at = 0; at < text.size();) chars += Utf8Next(text, at);
    const size_t blank = chars.find(U' ');
    if (blank == std::u32string::npos) {
      lines.push_back({U"", chars});
    } else {
      lines.push_back({chars.substr(0, blank), chars.substr(blank + 1)});
    }
  }
  return true;
}

// The cells as font codes, 0 for a gap; false (and `error`) for a character the charset lacks.
bool Codes(const std::u32string& cells, std::vector<uint16_t>& out, std::string& error) {
  for (char32_t c : cells) {
    if (c == kGap) {
      out.push_back(0);
    } else if (const std::optional<uint16_t> code = CharsetCode(c)) {
      out.push_back(*code);
    } else {
      char label[16];
      std::snprintf(label, sizeof label, "U+%04X", static_cast<unsigned>(c));
      error = std::string(label) + " is not in the charset";
      return false;
    }
  }
  return true;
}

void AppendArray(std::string& out, const char* name, const std::vector<uint16_t>& values) {
  out += "\ninline constexpr uint16_t " + std::string(name) + "[] = {";
  for (size_t i = 0; i < values.size(); i++) {
    char number[8];
    std::snprintf(number, sizeof number, "%u", values[i]);
    out += (i % 12 == 0 ? "\n    " : " ") + std::string(number) + ",";
  }
  out += "\n};\n";
}

// Lists one after the other in `codes`, list i at starts[i] .. starts[i + 1].
void AppendLists(std::string& out, const char* codesName, const char* startsName,
                 const std::vector<std::vector<uint16_t>>& lists) {
  std::vector<uint16_t> codes, starts = {0};
  for (const auto& list : lists) {
    codes.insert(codes.end(), list.begin(), list.end());
    starts.push_back(static_cast<uint16_t>(codes.size()));
  }
  AppendArray(out, codesName, codes);
  AppendArray(out, startsName, starts);
}

}  // namespace

int FontNames(const ToolArgs& args) {
  const std::string dir = args.operands[0];
  std::vector<ListLine> kana, keys, readings, strokes;
  std::string error;
  if (!ReadListFile(dir + "/kana.txt", kana, error) ||
      !ReadListFile(dir + "/keys.txt", keys, error) ||
      !ReadListFile(dir + "/readings.txt", readings, error) ||
      !ReadListFile(dir + "/strokes.txt", strokes, error)) {
    return ToolFail(error);
  }
  std::vector<uint16_t> kanaCodes, keyCodes;
  for (const ListLine& row : kana) {
    if (!Codes(row.cells, kanaCodes, error)) return ToolFail(dir + "/kana.txt: " + error);
  }
  for (const ListLine& row : keys) {
    if (!Codes(row.cells, keyCodes, error)) return ToolFail(dir + "/keys.txt: " + error);
  }
  if (kanaCodes.size() != kKanaCells || keyCodes.size() != kKeyCells ||
      readings.size() != kReadingLists || strokes.size() != kStrokeSets) {
    return ToolFail(dir + ": expected " + std::to_string(kKanaCells) + " kana cells, " +
                    std::to_string(kKeyCells) + " keys, " + std::to_string(kReadingLists) +
                    " reading lists and " + std::to_string(kStrokeSets) + " stroke sets");
  }
  std::vector<std::vector<uint16_t>> readingLists, strokeSets;
  for (const ListLine& line : readings) {
    if (!Codes(line.cells, readingLists.emplace_back(), error)) {
      return ToolFail(dir + "/readings.txt: " + error);
    }
  }
  for (const ListLine& line : strokes) {
    if (!Codes(line.cells, strokeSets.emplace_back(), error)) {
      return ToolFail(dir + "/strokes.txt: " + error);
    }
  }

  std::string out =
      "// The name entry's character lists in font codes (0 an empty cell), made from demo/names\n"
      "// by \"lntr3tool font names\". Edit those lists and run the command again; do not edit\n"
      "// this file.\n#pragma once\n\n#include <cstdint>\n\n// clang-format off\n";
  out += "\n// The kana table: 18 rows of 20.";
  AppendArray(out, "kNameKanaTable", kanaCodes);
  out += "\n// The reading keys: key k opens reading list k.";
  AppendArray(out, "kNameReadingKeys", keyCodes);
  out +=
      "\n// Reading list k: kNameReadingCodes[kNameReadingStart[k] .. kNameReadingStart[k + 1]].";
  AppendLists(out, "kNameReadingCodes", "kNameReadingStart", readingLists);
  out +=
      "\n// Kanji of n strokes: kNameStrokeCodes[kNameStrokeStart[n - 1] .. kNameStrokeStart[n]].";
  AppendLists(out, "kNameStrokeCodes", "kNameStrokeStart", strokeSets);
  out += "\n// clang-format on\n";
  if (!ToolWriteBytes(args.operands[1],
                      std::span(reinterpret_cast<const uint8_t*>(out.data()), out.size()))) {
    return ToolFail("cannot write '" + args.operands[1] + "'");
  }
  return kToolOk;
}

const char kFontNamesUsage[] =
    "usage: lntr3tool font names DIR OUT.h\n"
    "Writes the name entry's character lists (kana.txt, keys.txt, readings.txt and strokes.txt\n"
    "in DIR) as a C++ header of font codes, the engine's copy of them.\n";
