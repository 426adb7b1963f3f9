// Scenario disassembler: writes the event block and the message block back as scenario
// source. Walks each block once from its table's end; whatever cannot be written as a command
// or as text (foreign or damaged data) comes out as raw bytes, so every block reassembles.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/charset/charset.h"
#include "tools/scn/scn.h"
#include "tools/scn/scn_table.h"

namespace {

// printf of one number into a string.
std::string Format(const char* format, unsigned value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// A little-endian 16-bit number of a block.
uint32_t Get16(const std::vector<uint8_t>& block, size_t at) {
  return static_cast<uint32_t>(block[at] | block[at + 1] << 8);
}

// One step of the walk over a block: a command, a character, the end of a text, or raw bytes.
enum class ItemType : uint8_t { Command, Char, Name, End, Raw };

struct Item {
  uint32_t at, size;
  ItemType type;
  ScnDecodeResult result = ScnDecodeResult::Ok;
  ScnInstr instr;
};

// An item of the walk, decoded fields empty.
Item MakeItem(uint32_t at, uint32_t size, ItemType type) {
  Item item;
  item.at = at;
  item.size = size;
  item.type = type;
  return item;
}

// The label written for a jump target.
std::string LabelName(uint32_t at) {
  return Format("L%04X", at);
}

// Writes one operand.
std::string OperandText(char kind, uint32_t value, uint32_t end, const std::vector<bool>& labels) {
  switch (kind) {
    case 'v':
      return "v" + std::to_string(value);
    case 'd': {
      const int64_t target = static_cast<int64_t>(end) + static_cast<int8_t>(value);
      if (target >= 0 && target < static_cast<int64_t>(labels.size()) && labels[target]) {
        return LabelName(static_cast<uint32_t>(target));
      }
      const int displacement = static_cast<int8_t>(value);
      return (displacement < 0 ? "" : "+") + std::to_string(displacement);
    }
    case 's':
      return Format("0x%04X", value);
    case 'c':
      return value == 0xFFFF ? "none" : Format("0x%04X", value);
    case 'k':
      return value < 8 ? std::string(kScnColours[value]) : std::to_string(value);
    default:
      return std::to_string(value);
  }
}

// A decoded command in its written form.
std::string CommandText(const Item& item, const std::vector<bool>& labels) {
  const ScnOp& op = *item.instr.op;
  const uint32_t end = item.at + item.size;
  std::string text;
  for (const char* p = op.form; *p; p++) {
    if (p[0] == '$' && p[1] >= '0' && p[1] <= '9') {
      const int slot = p[1] - '0';
      text += OperandText(op.operands[slot], item.instr.values[slot], end, labels);
      p++;
    } else {
      text += *p;
    }
  }
  return text;
}

// A bytes line for a stretch of the event code.
std::string RawBytes(const std::vector<uint8_t>& block, uint32_t at, uint32_t size) {
  std::string text = "bytes ";
  for (uint32_t i = 0; i < size; i++) {
    text += (i ? ", " : "") + Format("0x%02X", block[at + i]);
  }
  return text;
}

// [SECTION] Event block

// Writes the [events] section: entries, labels, commands, raw bytes.
void DisasmEvents(const std::vector<uint8_t>& block, std::string& out,
                  std::vector<std::string>& notes) {
  const uint32_t size = static_cast<uint32_t>(block.size());
  std::vector<Item> items;
  std::vector<bool> boundary(size + 1, false), labels(size + 1, false);
  for (uint32_t at = kScnTableBytes; at < size;) {
    Item item = MakeItem(at, 1, ItemType::Command);
    item.result = ScnDecode(kScnEvents, block.data() + at, block.data() + size, item.instr);
    if (item.result == ScnDecodeResult::Ok || item.result == ScnDecodeResult::BadOptions) {
      item.size = item.instr.size;
    } else if (item.result == ScnDecodeResult::Truncated) {
      item.size = size - at;
    }
    if (item.result != ScnDecodeResult::Ok) item.type = ItemType::Raw;
    boundary[at] = true;
    items.push_back(item);
    at += item.size;
  }
  boundary[size] = true;
  // Jump targets on a command boundary get labels; others stay displacements.
  for (const Item& item : items) {
    if (item.type != ItemType::Command) continue;
    const uint32_t end = item.at + item.size;
    auto mark = [&](uint8_t displacement) {
      const int64_t target = static_cast<int64_t>(end) + static_cast<int8_t>(displacement);
      if (target >= kScnTableBytes && target <= size && boundary[target]) labels[target] = true;
    };
    for (int slot = 0; item.instr.op->operands[slot]; slot++) {
      if (item.instr.op->operands[slot] == 'd') mark(static_cast<uint8_t>(item.instr.values[slot]));
    }
    for (int i = 0; i < item.instr.optionCount; i++) mark(item.instr.options[i][1]);
  }
  out += "[events]\n";
  if (Get16(block, 0)) out += Format("header 0x%04X\n", Get16(block, 0));
  std::vector<std::vector<int>> entriesAt(size + 1);
  int rawEntries = 0;
  for (uint32_t k = 0; k < kScnEntries; k++) {
    const uint32_t offset = Get16(block, 2 + 2 * k);
    if (offset == 0) continue;
    if (offset >= kScnTableBytes && offset <= size && boundary[offset]) {
      entriesAt[offset].push_back(static_cast<int>(k));
      continue;
    }
    out += "entry " + std::to_string(k) + Format(" at 0x%04X", offset) +
           "  # not the start of a command\n";
    rawEntries++;
  }
  if (rawEntries) {
    notes.push_back("event entries that point outside the code or between commands: " +
                    std::to_string(rawEntries));
  }
  int unknown = 0;
  for (size_t i = 0; i <= items.size(); i++) {
    const uint32_t at = i < items.size() ? items[i].at : size;
    for (int k : entriesAt[at]) out += "\nentry " + std::to_string(k) + "\n";
    if (labels[at]) out += LabelName(at) + ":\n";
    if (i == items.size()) break;
    const Item& item = items[i];
    if (item.type == ItemType::Raw) {
      uint32_t length = item.size;
      // Neighbouring bytes that start no command go on one line while nothing points between.
      while (item.result == ScnDecodeResult::Unknown && i + 1 < items.size() && length < 16 &&
             items[i + 1].result == ScnDecodeResult::Unknown &&
             entriesAt[items[i + 1].at].empty() && !labels[items[i + 1].at]) {
        length++;
        i++;
      }
      out += "    " + RawBytes(block, item.at, length);
      if (item.result == ScnDecodeResult::Unknown) {
        out += "  # no command starts with this; the script steps over it\n";
        unknown += static_cast<int>(length);
      } else if (item.result == ScnDecodeResult::Truncated) {
        out += "  # the block ends inside this command\n";
        notes.push_back("the event block ends inside a command");
      } else {
        out += "  # a choice offering " + std::to_string(block[item.at + 2]) +
               " options (the engine takes 1 to 12)\n";
        notes.push_back("a choice offers " + std::to_string(block[item.at + 2]) + " options");
      }
      continue;
    }
    out += "    " + CommandText(item, labels) + "\n";
    for (int o = 0; o < item.instr.optionCount; o++) {
      out += "        option " + std::to_string(item.instr.options[o][0]) + " goto " +
             OperandText('d', item.instr.options[o][1], item.at + item.size, labels) + "\n";
    }
  }
  if (unknown) {
    notes.push_back("bytes of event code that start no command: " + std::to_string(unknown));
  }
}

// [SECTION] Message block

// The written form of a character code: the character, a {sym} or a raw {c}.
std::string CharText(uint16_t code) {
  const char32_t c = CharsetCharacter(code);
  const bool plain = c > 0x20 && c != 0x7F && c != '{' && c != '}' && c != '\\' && c != '#' &&
                     c != 0xFFFD && (c < 0x80 || c > 0x9F);
  if (c && plain && CharsetCode(c) == code) {
    std::string text;
    Utf8Append(text, c);
    return text;
  }
  const std::string_view symbol = CharsetSymbol(code);
  if (!symbol.empty() && CharsetSymbolCode(symbol) == code)
    return "{sym " + std::string(symbol) + "}";
  return Format("{c 0x%04X}", code);
}

// Writes the body of one text: `items` without its end item.
void TextBody(const std::vector<uint8_t>& block, const std::vector<Item>& items, size_t first,
              size_t last, bool noEnd, std::string& out) {
  std::vector<std::string> lines;
  std::string line;
  const std::vector<bool> noLabels;
  for (size_t i = first; i < last; i++) {
    const Item& item = items[i];
    const bool final = i + 1 == last;
    const uint8_t byte = block[item.at];
    if (item.type == ItemType::Char) {
      line += CharText(static_cast<uint16_t>(byte << 8 | block[item.at + 1]));
    } else if (item.type == ItemType::Raw) {
      line += Format("{byte 0x%02X}", byte);
    } else if (item.type == ItemType::Name) {
      int name = 0, position = 0;
      ScnNameCode(byte, name, position);
      bool whole = position == 0 && last - i >= kScnNameLength;
      for (int k = 1; whole && k < kScnNameLength; k++) {
        whole = items[i + k].type == ItemType::Name && block[items[i + k].at] == byte + k;
      }
      if (whole) {
        line += "{name " + std::to_string(name) + "}";
        i += kScnNameLength - 1;
      } else {
        line += "{name " + std::to_string(name) + " " + std::to_string(position) + "}";
      }
    } else if (byte == kScnNewLine && !final) {
      // The line break itself; a first line that is empty keeps an explicit {n}.
      if (line.empty() && lines.empty()) line = "{n}";
      lines.push_back(line);
      line.clear();
    } else {
      line += "{" + CommandText(item, noLabels) + "}";
      if ((byte == kScnReturn || byte == kScnPageWait) && !final) {
        lines.push_back(line);
        line.clear();
      }
    }
  }
  if (noEnd) line += "{noend}";
  if (!line.empty()) lines.push_back(line);
  for (const std::string& text : lines) out += text.empty() ? "\n" : "    " + text + "\n";
}

// Writes the [messages] section: each text under the entries that point at it.
void DisasmMessages(const std::vector<uint8_t>& block, std::string& out,
                    std::vector<std::string>& notes) {
  const uint32_t size = static_cast<uint32_t>(block.size());
  std::vector<Item> items;
  std::vector<bool> boundary(size + 1, false);
  for (uint32_t at = kScnTableBytes; at < size;) {
    const uint8_t byte = block[at];
    Item item = MakeItem(at, 1, ItemType::Raw);
    int name = 0, position = 0;
    if (byte < kScnCharLimit) {
      if (at + 1 < size) item = MakeItem(at, 2, ItemType::Char);
    } else if (byte == kScnEnd) {
      item.type = ItemType::End;
    } else if (ScnNameCode(byte, name, position)) {
      item.type = ItemType::Name;
    } else if (ScnDecode(kScnMessages, block.data() + at, block.data() + size, item.instr) ==
               ScnDecodeResult::Ok) {
      item.size = item.instr.size;
      item.type = ItemType::Command;
    }
    boundary[at] = true;
    items.push_back(item);
    at += item.size;
  }
  out += "\n[messages]\n";
  if (Get16(block, 0)) out += Format("header 0x%04X\n", Get16(block, 0));
  std::vector<std::vector<int>> startsAt(size + 1);
  int rawEntries = 0;
  for (uint32_t k = 0; k < kScnEntries; k++) {
    const uint32_t offset = Get16(block, 2 + 2 * k);
    if (offset == 0) continue;
    if (offset >= kScnTableBytes && offset < size && boundary[offset]) {
      startsAt[offset].push_back(static_cast<int>(k));
      continue;
    }
    out += "message " + std::to_string(k) + Format(" at 0x%04X", offset) +
           "  # not the start of a text\n";
    rawEntries++;
  }
  if (rawEntries) {
    notes.push_back("message entries that point outside the texts or into one: " +
                    std::to_string(rawEntries));
  }
  int unlisted = 0, unterminated = 0, raw = 0;
  for (size_t first = 0; first < items.size();) {
    // A text runs to its end byte, or to where another entry starts (which may be that very
    // end byte: an empty text sharing it).
    size_t last = first;
    bool rawBytes = false;
    auto entered = [&](size_t i) { return i != first && !startsAt[items[i].at].empty(); };
    while (last < items.size() && !entered(last) && items[last].type != ItemType::End) {
      rawBytes = rawBytes || items[last].type == ItemType::Raw;
      last++;
    }
    const bool noEnd = last == items.size() || entered(last);
    const std::vector<int>& numbers = startsAt[items[first].at];
    out += "\n";
    if (rawBytes) {
      out += "# this text holds bytes that start no command\n";
      raw++;
    }
    if (numbers.empty()) {
      out += "# no entry points at this text\nmessage none\n";
      unlisted++;
    } else {
      out += "message " + std::to_string(numbers[0]) + "\n";
    }
    unterminated += noEnd;
    TextBody(block, items, first, last, noEnd, out);
    for (size_t i = 1; i < numbers.size(); i++) {
      out += "message " + std::to_string(numbers[i]) + " = " + std::to_string(numbers[0]) + "\n";
    }
    first = noEnd ? last : last + 1;
  }
  if (unlisted) notes.push_back("texts no message entry points at: " + std::to_string(unlisted));
  if (unterminated) notes.push_back("texts without an end byte: " + std::to_string(unterminated));
  if (raw) notes.push_back("texts holding bytes that start no command: " + std::to_string(raw));
}

// [SECTION] File layout

// A list of bytes as "0x12, 0x34, ...".
std::string ByteList(const uint8_t* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; i++) text += (i ? ", " : "") + Format("0x%02X", bytes[i]);
  return text;
}

// Writes the [file] section of a file laid out otherwise than the assembler lays one out.
void DisasmFile(const ScnFileLayout& layout, std::string& out, std::vector<std::string>& notes) {
  out += "\n[file]\n";
  out += "# Laid out otherwise than the assembler lays out a file; kept byte for byte.\n";
  out += Format("size %u\n", layout.size);
  out += Format("events at 0x%04X\n", layout.positions[0]);
  out += Format("messages at 0x%04X\n", layout.positions[1]);
  const char* names[2] = {"events", "messages"};
  for (int i = 0; i < 2; i++) {
    if (!layout.keepStream[i]) continue;
    const std::vector<uint8_t>& stream = layout.streams[i];
    out += std::string("# the ") + names[i] +
           " as stored, packed otherwise than the assembler packs\n";
    for (size_t at = 0; at < stream.size(); at += 16) {
      out += std::string("stream ") + names[i] + ": " +
             ByteList(stream.data() + at, std::min<size_t>(16, stream.size() - at)) + "\n";
    }
    notes.push_back(std::string("the ") + names[i] +
                    " block is packed otherwise than the assembler packs: its stream is kept");
  }
  size_t kept = 0;
  for (const auto& [at, bytes] : layout.bytes) {
    out += Format("bytes at 0x%04X: ", at) + ByteList(bytes.data(), bytes.size()) + "\n";
    kept += bytes.size();
  }
  notes.push_back(
      "the file is laid out otherwise than the assembler lays it out (block "
      "positions, padding, bytes outside the blocks): kept in its [file] section");
  if (kept) notes.push_back("bytes outside the blocks kept: " + std::to_string(kept));
}

}  // namespace

// Both sections, after checking that each block holds its entry table.
bool ScnDisassemble(const ScnBlocks& blocks, std::string& text, std::vector<std::string>& notes,
                    std::string& error) {
  for (const std::vector<uint8_t>* block : {&blocks.events, &blocks.messages}) {
    if (block->size() < kScnTableBytes) {
      error = std::string(block == &blocks.events ? "event" : "message") + " block holds " +
              std::to_string(block->size()) + " bytes, less than its " +
              std::to_string(kScnTableBytes) + "-byte entry table";
      return false;
    }
  }
  text = "# Scenario source written by lntr3tool scn disasm.\n\n";
  DisasmEvents(blocks.events, text, notes);
  DisasmMessages(blocks.messages, text, notes);
  if (blocks.layout.given) DisasmFile(blocks.layout, text, notes);
  return true;
}
