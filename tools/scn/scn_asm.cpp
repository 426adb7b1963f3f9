// Scenario assembler, source reader: splits the source into sections, lines and message
// bodies, keeps the names, and lays out both blocks with their entry tables at the end.
#include "tools/scn/scn_asm.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/scn/scn.h"

namespace {

constexpr size_t kMaxErrors = 40;

enum class Section { Events, Messages, File };

// The largest file a [file] section may describe.
constexpr uint32_t kMaxFileSize = 64u << 20;

// One line of a message body, indentation removed.
struct BodyLine {
  std::string_view text;
  int line;
};

// The source reader's state besides the assembly itself.
struct Reader {
  Section section = Section::Events;
  bool inBody = false;  // the last message header takes indented text lines
  std::vector<BodyLine> body;
  std::vector<int> blanks;  // blank lines seen inside the body, kept if more text follows
};

// Drops blanks (and a carriage return) at both ends.
std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// Checks a new name against the reserved words and the given table.
template <typename Table>
bool NewName(ScnAsm& a, std::string_view name, const Table& taken, const char* what) {
  if (ScnAsmReserved(name)) {
    ScnAsmError(a, "'" + std::string(name) + "' is a reserved word and cannot name " + what);
    return false;
  }
  if (taken.count(std::string(name))) {
    ScnAsmError(a, "'" + std::string(name) + "' is already defined");
    return false;
  }
  return true;
}

// Ends the open choice: its jumps count from the end of the last option.
void CloseChoice(ScnAsm& a) {
  if (a.choiceAt < 0) return;
  const uint8_t count = a.events[static_cast<size_t>(a.choiceAt) + 2];
  if (count == 0) {
    const int line = a.line;
    a.line = a.choiceLine;
    ScnAsmError(a, "a choice needs at least one 'option' line after it");
    a.line = line;
  }
  const uint32_t end = static_cast<uint32_t>(a.choiceAt) + 3 + 2u * count;
  for (size_t i = a.choiceFixups; i < a.fixups.size(); i++) a.fixups[i].end = end;
  a.choiceAt = -1;
}

// Encodes the message whose header was read last.
void CloseBody(ScnAsm& a, Reader& r) {
  if (!r.inBody) return;
  r.inBody = false;
  r.blanks.clear();
  ScnMessageDef& def = a.messageDefs.back();
  if (def.form != ScnMessageForm::Text) {
    if (!r.body.empty()) {
      a.line = r.body.front().line;
      ScnAsmError(a, "this message shares or points at other text and takes no lines of its own");
    }
    r.body.clear();
    return;
  }
  def.offset = static_cast<uint32_t>(a.messages.size());
  bool noEnd = false;
  const int line = a.line;
  for (size_t i = 0; i < r.body.size(); i++) {
    a.line = r.body[i].line;
    ScnAsmTextLine(a, r.body[i].text, i + 1 == r.body.size(), noEnd);
  }
  a.line = line;
  if (!noEnd) a.messages.push_back(kScnEnd);
  r.body.clear();
}

// const NAME = N, var NAME = N (N a variable number, written vN or N).
void DefineSymbol(ScnAsm& a, const std::vector<ScnToken>& t) {
  const bool isVar = t[0].text == "var";
  if (t.size() != 4 || t[1].type != ScnTokenType::Word || t[2].text != "=") {
    ScnAsmError(a, std::string("expected '") + (isVar ? "var NAME = vN'" : "const NAME = N'"));
    return;
  }
  if (!NewName(a, t[1].text, a.symbols, "a constant")) return;
  uint32_t value = 0;
  if (isVar && t[3].type == ScnTokenType::Word && t[3].text.size() > 1 && t[3].text[0] == 'v') {
    std::vector<ScnToken> number;
    std::string error;
    if (!ScnLex(t[3].text.substr(1), number, error) || number.size() != 1 ||
        number[0].type != ScnTokenType::Number) {
      ScnAsmError(a, "expected a variable vN after '='");
      return;
    }
    if (!ScnAsmNumber(a, number[0], 255, value)) return;
  } else if (!ScnAsmNumber(a, t[3], isVar ? 255 : 0xFFFFFFFFu, value)) {
    return;
  }
  a.symbols[std::string(t[1].text)] = ScnSymbol{value, isVar};
}

// header N: the block's first word, which the engine does not read.
void SetHeader(ScnAsm& a, const Reader& r, const std::vector<ScnToken>& t) {
  uint32_t value = 0;
  if (t.size() != 2) {
    ScnAsmError(a, "expected 'header N'");
    return;
  }
  if (!ScnAsmNumber(a, t[1], 0xFFFF, value)) return;
  (r.section == Section::Events ? a.eventHeader : a.messageHeader) = static_cast<uint16_t>(value);
}

// Reads a name and a number, each optional, in either order, from t[1..]; answers the index
// after them, or 0 after an error.
size_t NameAndNumber(ScnAsm& a, const std::vector<ScnToken>& t, std::string& name, int& number) {
  size_t i = 1;
  for (int taken = 0; taken < 2 && i < t.size(); taken++) {
    if (t[i].type == ScnTokenType::Word && name.empty() && t[i].text != "at" &&
        t[i].text != "none") {
      name = std::string(t[i++].text);
    } else if (t[i].type == ScnTokenType::Number && number < 0) {
      uint32_t value = 0;
      if (!ScnAsmNumber(a, t[i++], kScnEntries - 1, value)) return 0;
      number = static_cast<int>(value);
    }
  }
  return i;
}

// entry N [NAME] | entry NAME | entry N at OFFSET
void DefineEntry(ScnAsm& a, const std::vector<ScnToken>& t) {
  ScnEntryDef def{"", -1, static_cast<uint32_t>(a.events.size()), a.line};
  size_t i = NameAndNumber(a, t, def.name, def.number);
  if (i == 0) return;
  if (i == 1 && t.size() == 2 && t[1].type == ScnTokenType::Word && t[1].text != "at") {
    ScnAsmError(a, "'" + std::string(t[1].text) + "' cannot name an entry");
    return;
  }
  const bool raw = i + 2 == t.size() && t[i].text == "at";
  if (raw) {
    uint32_t offset = 0;
    if (def.number < 0 || !def.name.empty()) {
      ScnAsmError(a, "an 'at' entry is written 'entry N at OFFSET'");
      return;
    }
    if (!ScnAsmNumber(a, t[i + 1], 0xFFFF, offset)) return;
    def.offset = offset;
  } else if (i != t.size() || (def.name.empty() && def.number < 0)) {
    ScnAsmError(a, "expected 'entry N', 'entry N NAME', 'entry NAME' or 'entry N at OFFSET'");
    return;
  }
  if (!def.name.empty()) {
    if (!NewName(a, def.name, a.labels, "an entry")) return;
    a.labels[def.name] = def.offset;
  }
  a.entries.push_back(def);
}

// message [NAME] [N] | message none | message [NAME] [N] = OTHER | message N at OFFSET
void DefineMessage(ScnAsm& a, Reader& r, const std::vector<ScnToken>& t) {
  ScnMessageDef def{"", -1, ScnMessageForm::Text, "", -1, 0, a.line};
  size_t i = 1;
  if (t.size() == 2 && t[1].text == "none") {
    def.number = -2;
    i = 2;
  } else {
    i = NameAndNumber(a, t, def.name, def.number);
    if (i == 0) return;
  }
  if (i + 2 == t.size() && t[i].text == "=") {
    def.form = ScnMessageForm::Alias;
    if (t[i + 1].type == ScnTokenType::Number) {
      uint32_t number = 0;
      if (!ScnAsmNumber(a, t[i + 1], kScnEntries - 1, number)) return;
      def.targetNumber = static_cast<int>(number);
    } else {
      def.target = std::string(t[i + 1].text);
    }
    i += 2;
  } else if (i + 2 == t.size() && t[i].text == "at") {
    uint32_t offset = 0;
    if (def.number < 0 || !def.name.empty()) {
      ScnAsmError(a, "an 'at' message is written 'message N at OFFSET'");
      return;
    }
    if (!ScnAsmNumber(a, t[i + 1], 0xFFFF, offset)) return;
    def.form = ScnMessageForm::Raw;
    def.offset = offset;
    i += 2;
  }
  if (def.number == -2 && def.form != ScnMessageForm::Text) i = 0;
  if (i != t.size()) {
    ScnAsmError(a,
                "expected 'message NAME', 'message NAME N', 'message N', 'message none', "
                "'message NAME = OTHER' or 'message N at OFFSET'");
    return;
  }
  if (!def.name.empty()) {
    for (const ScnMessageDef& other : a.messageDefs) {
      if (other.name == def.name) {
        ScnAsmError(a, "message '" + def.name + "' is already defined");
        return;
      }
    }
    if (ScnAsmReserved(def.name)) {
      ScnAsmError(a, "'" + def.name + "' is a reserved word and cannot name a message");
      return;
    }
  }
  a.messageDefs.push_back(def);
  r.inBody = true;
}

// "N, N, ..." from t[from] on, each 0..255; false after an error naming `form`.
bool ByteList(ScnAsm& a, const std::vector<ScnToken>& t, size_t from, const char* form,
              std::vector<uint8_t>& bytes) {
  bytes.clear();
  for (size_t i = from; i < t.size(); i += 2) {
    uint32_t value = 0;
    if (!ScnAsmNumber(a, t[i], 0xFF, value)) return false;
    bytes.push_back(static_cast<uint8_t>(value));
    if (i + 1 < t.size() && t[i + 1].text != ",") {
      ScnAsmError(a, std::string("expected '") + form + "'");
      return false;
    }
  }
  if (bytes.empty() || t.back().text == ",") {
    ScnAsmError(a, std::string("expected '") + form + "'");
    return false;
  }
  return true;
}

// bytes N, N, ...: raw bytes in the event code.
void RawBytes(ScnAsm& a, const std::vector<ScnToken>& t) {
  std::vector<uint8_t> bytes;
  if (ByteList(a, t, 1, "bytes N, N, ...", bytes)) {
    a.events.insert(a.events.end(), bytes.begin(), bytes.end());
  }
}

// One line of the [file] section: how a file made elsewhere is laid out.
//   size N                        the file's length
//   events at N, messages at N    block positions, in 16-byte units
//   stream events: N, N, ...      the stored packed stream of a block (lines add up)
//   bytes at OFFSET: N, N, ...    bytes outside the blocks
void FileLine(ScnAsm& a, const std::vector<ScnToken>& t) {
  ScnFileLayout& layout = a.layout;
  const std::string_view word = t[0].text;
  const bool isBlock = t.size() > 1 && (t[1].text == "events" || t[1].text == "messages");
  const int block = isBlock && t[1].text == "messages" ? 1 : 0;
  uint32_t value = 0;
  std::vector<uint8_t> bytes;
  layout.given = true;
  if (a.fileLine == 0) a.fileLine = a.line;
  if (word == "size" && t.size() == 2) {
    if (ScnAsmNumber(a, t[1], kMaxFileSize, value)) layout.size = value;
  } else if ((word == "events" || word == "messages") && t.size() == 3 && t[1].text == "at") {
    if (ScnAsmNumber(a, t[2], 0xFFFF, value)) {
      const int which = word == "messages" ? 1 : 0;
      layout.positions[which] = static_cast<uint16_t>(value);
      a.positionGiven[which] = true;
    }
  } else if (word == "stream" && isBlock && t.size() > 3 && t[2].text == ":") {
    if (ByteList(a, t, 3, "stream events: N, N, ...", bytes)) {
      layout.keepStream[block] = true;
      layout.streams[block].insert(layout.streams[block].end(), bytes.begin(), bytes.end());
    }
  } else if (word == "bytes" && t.size() > 4 && t[1].text == "at" && t[3].text == ":") {
    if (ScnAsmNumber(a, t[2], kMaxFileSize, value) &&
        ByteList(a, t, 4, "bytes at OFFSET: N, N, ...", bytes)) {
      layout.bytes.push_back({value, bytes});
    }
  } else {
    ScnAsmError(a,
                "expected 'size N', 'events at N', 'messages at N', 'stream events: N, ...', "
                "'stream messages: N, ...' or 'bytes at OFFSET: N, ...' in [file]");
  }
}

// One line of the event section.
void EventLine(ScnAsm& a, const std::vector<ScnToken>& t) {
  const std::string_view word = t[0].text;
  if (word == "option") {
    ScnAsmOption(a, t);
    return;
  }
  CloseChoice(a);
  if (t.size() == 2 && t[1].text == ":") {
    if (NewName(a, word, a.labels, "a label"))
      a.labels[std::string(word)] = static_cast<uint32_t>(a.events.size());
    return;
  }
  if (word == "entry") {
    DefineEntry(a, t);
    return;
  }
  if (word == "bytes") {
    RawBytes(a, t);
    return;
  }
  const size_t start = a.events.size();
  if (ScnAsmCommand(a, kScnEvents, t, a.events) && a.events[start] == kScnChoice) {
    a.choiceAt = static_cast<int64_t>(start);
    a.choiceLine = a.line;
    a.choiceFixups = a.fixups.size();
  }
}

// Handles one source line.
void ReadLine(ScnAsm& a, Reader& r, std::string_view raw) {
  const std::string_view line = Trim(raw);
  if (r.inBody) {
    if (line.empty()) {
      if (!r.body.empty()) r.blanks.push_back(a.line);
      return;
    }
    if (raw[0] == ' ' || raw[0] == '\t') {
      if (line[0] == '#') return;
      for (int blank : r.blanks) r.body.push_back({std::string_view(), blank});
      r.blanks.clear();
      r.body.push_back({line, a.line});
      return;
    }
    CloseBody(a, r);
  }
  if (line.empty() || line[0] == '#') return;
  if (line[0] == '[') {
    const std::string_view name = Trim(line.substr(0, line.find('#')));
    if (name != "[events]" && name != "[messages]" && name != "[file]") {
      ScnAsmError(a, "unknown section '" + std::string(name) +
                         "' (sections: [events], [messages], [file])");
      return;
    }
    CloseChoice(a);
    r.section = name == "[events]"     ? Section::Events
                : name == "[messages]" ? Section::Messages
                                       : Section::File;
    return;
  }
  std::vector<ScnToken> t;
  std::string error;
  if (!ScnLex(line, t, error)) {
    if (r.section == Section::Messages && static_cast<unsigned char>(line[0]) >= 0x80) {
      error = "text outside a message (message text lines are indented under 'message')";
    }
    ScnAsmError(a, error);
    return;
  }
  if (t.empty()) return;
  if (t[0].type != ScnTokenType::Word) {
    ScnAsmError(a, "a line starts with a command, a label or a directive, not '" +
                       std::string(t[0].text) + "'");
    return;
  }
  if (t[0].text == "const" || t[0].text == "var") {
    DefineSymbol(a, t);
  } else if (r.section == Section::File) {
    FileLine(a, t);
  } else if (t[0].text == "header") {
    SetHeader(a, r, t);
  } else if (r.section == Section::Events) {
    EventLine(a, t);
  } else if (t[0].text == "message") {
    DefineMessage(a, r, t);
  } else {
    ScnAsmError(a, "expected 'message' (message text lines are indented under their header)");
  }
}

// Gives every entry or message without a number the lowest free one; answers false when the
// numbers clash or run out.
template <typename Def>
void Number(ScnAsm& a, std::vector<Def>& defs, const char* what) {
  std::vector<bool> used(kScnEntries, false);
  for (Def& def : defs) {
    if (def.number < 0) continue;
    if (used[def.number]) {
      a.line = def.line;
      ScnAsmError(a, std::string(what) + " " + std::to_string(def.number) + " is defined twice");
    }
    used[def.number] = true;
  }
  size_t next = 0;
  for (Def& def : defs) {
    if (def.number != -1) continue;
    while (next < kScnEntries && used[next]) next++;
    if (next == kScnEntries) {
      a.line = def.line;
      ScnAsmError(a, std::string("more than 256 ") + what + "s");
      return;
    }
    used[next] = true;
    def.number = static_cast<int>(next);
  }
}

// Stores a little-endian 16-bit number.
void Put16(std::vector<uint8_t>& block, size_t at, uint32_t value) {
  block[at] = static_cast<uint8_t>(value);
  block[at + 1] = static_cast<uint8_t>(value >> 8);
}

// Fills both entry tables and patches every name; the last step of an assembly.
void Layout(ScnAsm& a) {
  Number(a, a.entries, "entry");
  Number(a, a.messageDefs, "message");
  Put16(a.events, 0, a.eventHeader);
  Put16(a.messages, 0, a.messageHeader);
  for (const ScnEntryDef& def : a.entries) {
    a.line = def.line;
    if (def.offset > 0xFFFF) {
      ScnAsmError(a, "entry " + std::to_string(def.number) + " lies at offset " +
                         std::to_string(def.offset) + ", beyond the 65535 an entry can reach");
    }
    if (def.number >= 0) Put16(a.events, 2 + 2 * static_cast<size_t>(def.number), def.offset);
  }
  for (size_t i = 0; i < a.messageDefs.size(); i++) {
    ScnMessageDef& def = a.messageDefs[i];
    a.line = def.line;
    // An alias takes the offset of its target, following a chain of aliases.
    const ScnMessageDef* target = &def;
    for (int hops = 0; target && target->form == ScnMessageForm::Alias && hops <= 256; hops++) {
      const ScnMessageDef* found = nullptr;
      for (const ScnMessageDef& other : a.messageDefs) {
        if (target->targetNumber >= 0 ? other.number == target->targetNumber
                                      : !target->target.empty() && other.name == target->target) {
          found = &other;
        }
      }
      target = found;
    }
    if (!target || target->form == ScnMessageForm::Alias) {
      const std::string want =
          def.targetNumber >= 0 ? std::to_string(def.targetNumber) : "'" + def.target + "'";
      ScnAsmError(a, "message " + want + ", whose text this one shares, is not defined");
      continue;
    }
    if (target->offset > 0xFFFF) {
      ScnAsmError(a, "message text starts at offset " + std::to_string(target->offset) +
                         ", beyond the 65535 an entry can reach");
    }
    if (def.number >= 0) Put16(a.messages, 2 + 2 * static_cast<size_t>(def.number), target->offset);
  }
  for (const ScnFixup& fix : a.fixups) {
    a.line = fix.line;
    if (fix.kind == 'd') {
      auto it = a.labels.find(fix.name);
      if (it == a.labels.end()) {
        ScnAsmError(a, "no label '" + fix.name + "'");
        continue;
      }
      const int64_t distance = static_cast<int64_t>(it->second) - fix.end;
      if (distance < -128 || distance > 127) {
        ScnAsmError(a, "'" + fix.name + "' is " + std::to_string(distance) +
                           " bytes away; a jump reaches -128..127 bytes from the end of its "
                           "command (jump to a label nearer by, or use an entry)");
        continue;
      }
      a.events[fix.at] = static_cast<uint8_t>(static_cast<int8_t>(distance));
    } else if (fix.kind == 'e') {
      auto it = std::find_if(a.entries.begin(), a.entries.end(),
                             [&](const ScnEntryDef& def) { return def.name == fix.name; });
      if (it == a.entries.end()) {
        ScnAsmError(a, "no entry '" + fix.name + "'" +
                           (a.labels.count(fix.name) ? " ('" + fix.name + "' is a label)" : ""));
        continue;
      }
      a.events[fix.at] = static_cast<uint8_t>(it->number);
    } else {
      auto it = std::find_if(a.messageDefs.begin(), a.messageDefs.end(),
                             [&](const ScnMessageDef& def) { return def.name == fix.name; });
      if (it == a.messageDefs.end() || it->number < 0) {
        ScnAsmError(a, it == a.messageDefs.end() ? "no message '" + fix.name + "'"
                                                 : "message '" + fix.name + "' has no number");
        continue;
      }
      a.events[fix.at] = static_cast<uint8_t>(it->number);
    }
  }
}

}  // namespace

// Keeps the first errors; one more line says when there were too many.
void ScnAsmError(ScnAsm& a, const std::string& what) {
  if (a.errors.size() == kMaxErrors) a.errors.push_back(a.file + ": too many errors, stopping");
  if (a.errors.size() > kMaxErrors) return;
  a.errors.push_back(a.file + ":" + std::to_string(a.line) + ": " + what);
}

// Command words may name things; the words inside forms and directives may not.
bool ScnAsmReserved(std::string_view word) {
  static constexpr std::string_view kReserved[] = {
      "at",   "bit", "clear", "clicked", "const", "entry",  "goto", "header", "message",
      "mark", "no",  "none",  "not",     "of",    "option", "then", "var",    "yes"};
  for (std::string_view reserved : kReserved) {
    if (word == reserved) return true;
  }
  for (std::string_view colour : kScnColours) {
    if (word == colour) return true;
  }
  if (word.size() >= 2 && word[0] == 'v' &&
      word.substr(1).find_first_not_of("0123456789") == std::string_view::npos) {
    return true;
  }
  return false;
}

// Reads the source line by line, then lays out both blocks.
bool ScnAssemble(std::string_view source, const std::string& fileName, ScnBlocks& blocks,
                 std::string& errors) {
  ScnAsm a;
  a.file = fileName;
  a.events.assign(kScnTableBytes, 0);
  a.messages.assign(kScnTableBytes, 0);
  Reader r;
  size_t at = source.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;  // a byte order mark is not text
  while (at <= source.size() && a.errors.size() <= kMaxErrors) {
    size_t end = source.find('\n', at);
    if (end == std::string_view::npos) end = source.size();
    a.line++;
    ReadLine(a, r, source.substr(at, end - at));
    at = end + 1;
  }
  a.line++;
  CloseBody(a, r);
  CloseChoice(a);
  Layout(a);
  if (a.layout.given && !(a.positionGiven[0] && a.positionGiven[1])) {
    a.line = a.fileLine;
    ScnAsmError(a, "a [file] section gives both 'events at N' and 'messages at N'");
  }
  // Layout reports after the whole file was read; put everything in line order.
  const size_t prefix = a.file.size() + 1;
  std::stable_sort(a.errors.begin(), a.errors.end(),
                   [&](const std::string& x, const std::string& y) {
                     return std::atoi(x.c_str() + std::min(prefix, x.size())) <
                            std::atoi(y.c_str() + std::min(prefix, y.size()));
                   });
  errors.clear();
  for (const std::string& error : a.errors) errors += error + "\n";
  if (!a.errors.empty()) return false;
  blocks.events = std::move(a.events);
  blocks.messages = std::move(a.messages);
  blocks.layout = std::move(a.layout);
  blocks.messageNames.clear();
  for (const ScnMessageDef& def : a.messageDefs) {
    if (!def.name.empty() && def.form == ScnMessageForm::Text && def.number >= 0) {
      blocks.messageNames.emplace_back(def.name, def.number);
    }
  }
  return true;
}
