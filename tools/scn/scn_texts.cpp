// Named messages as a C++ header: the form in which the engine keeps its own fixed texts (menus,
// questions, notices), written in the scenario language and turned into byte arrays by
// "lntr3tool scn texts".
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "scenario/message_code.h"
#include "tools/charset/charset.h"
#include "tools/scn/scn.h"
#include "tools/scn/scn_table.h"

namespace {

// "title_start" -> "TitleStart"; '-' splits words like '_'.
std::string CamelCase(const std::string& name) {
  std::string out;
  bool upper = true;
  for (char c : name) {
    if (c == '_' || c == '-') {
      upper = true;
      continue;
    }
    out += upper && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    upper = false;
  }
  return out;
}

// The characters of a text, commands left out, for the comment above its array.
std::string Readable(const std::vector<uint8_t>& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const uint8_t b = text[i];
    if (b < 0x20 && i + 1 < text.size()) {
      const char32_t c = CharsetCharacter(static_cast<uint16_t>(b << 8 | text[i + 1]));
      if (c) Utf8Append(out, c);
      i += 2;
    } else if (b == kMsgNewLine || b == kMsgReturn) {
      out += " / ";
      i++;
    } else {
      i += 1 + MessageOperandCounts[b];
    }
  }
  while (out.size() >= 3 && out.compare(out.size() - 3, 3, " / ") == 0) out.resize(out.size() - 3);
  return out;
}

}  // namespace

std::string ScnTextsHeader(const ScnBlocks& blocks, const std::string& source) {
  const std::vector<uint8_t>& block = blocks.messages;
  // Each text runs from its entry to the start of the next text in the block.
  std::set<uint32_t> starts = {static_cast<uint32_t>(block.size())};
  const auto offset = [&](int number) {
    return static_cast<uint32_t>(block[2 + 2 * number] | block[3 + 2 * number] << 8);
  };
  for (int number = 0; number < static_cast<int>(kScnEntries); number++) {
    if (offset(number) >= kScnTableBytes) starts.insert(offset(number));
  }

  std::string out =
      "// The fixed texts in message code, made from " + source +
      " by \"lntr3tool scn texts\".\n// Edit that file and run the command "
      "again; do not edit this one.\n#pragma once\n\n#include <cstdint>\n\n// clang-format off\n";
  std::map<std::string, std::map<int, std::string>> runs;  // stem -> index -> array name
  for (const auto& [name, number] : blocks.messageNames) {
    const uint32_t from = offset(number), to = *starts.upper_bound(from);
    const std::vector<uint8_t> text(block.begin() + from, block.begin() + to);
    const std::string array = "kText" + CamelCase(name);
    out += "\n// " + Readable(text) + "\ninline constexpr uint8_t " + array + "[] = {";
    for (size_t i = 0; i < text.size(); i++) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", text[i]);
      out += (i % 12 == 0 ? "\n    " : " ") + std::string(hex) + (i + 1 < text.size() ? "," : "");
    }
    out += "};\n";
    const size_t cut = name.find_last_of('_');
    if (cut != std::string::npos && cut + 1 < name.size() &&
        name.find_first_not_of("0123456789", cut + 1) == std::string::npos) {
      runs[name.substr(0, cut)][std::stoi(name.substr(cut + 1))] = array;
    }
  }
  for (const auto& [stem, members] : runs) {
    // Only a run that starts at 0 and has no gap becomes a list.
    if (members.begin()->first != 0 || members.rbegin()->first + 1 != int(members.size())) {
      continue;
    }
    out += "\ninline constexpr const uint8_t* kText" + CamelCase(stem) + "[] = {";
    for (const auto& [index, array] : members) {
      out += (index % 4 == 0 ? "\n    " : " ") + array + ",";
    }
    out += "\n};\n";
  }
  return out + "\n// clang-format on\n";
}
