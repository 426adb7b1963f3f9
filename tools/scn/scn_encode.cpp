// Scenario assembler, statements and text: matches a command against the forms of the table,
// turns its operands into bytes, and encodes message text lines into message code.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tools/charset/charset.h"
#include "tools/scn/scn_asm.h"

namespace {

// What a placeholder of each kind is called in error messages.
const char* KindName(char kind) {
  switch (kind) {
    case 'v':
      return "VAR";
    case 'd':
      return "LABEL";
    case 'e':
      return "ENTRY";
    case 'm':
      return "MESSAGE";
    case 's':
      return "SCENARIO";
    case 'c':
      return "CHARACTER";
    case 'k':
      return "COLOUR";
    default:
      return "N";
  }
}

// The form of an op with its placeholders named, for "expected ..." messages.
std::string FormUsage(const ScnOp& op) {
  std::string usage;
  for (const char* p = op.form; *p; p++) {
    if (p[0] == '$' && p[1] >= '0' && p[1] <= '9') {
      usage += KindName(op.operands[p[1] - '0']);
      p++;
    } else {
      usage += *p;
    }
  }
  return usage;
}

// A variable written vN, with N in 0..255.
bool VarWord(std::string_view text, uint32_t& value) {
  if (text.size() < 2 || text.size() > 4 || text[0] != 'v') return false;
  value = 0;
  for (char c : text.substr(1)) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  return value <= 255;
}

// The constant or variable name, or null.
const ScnSymbol* FindSymbol(const ScnAsm& a, std::string_view name) {
  auto it = a.symbols.find(name);
  return it == a.symbols.end() ? nullptr : &it->second;
}

// Whether a token can stand for an operand of this kind at all; used to pick between forms
// that share a command word, before any value is checked.
bool Accepts(const ScnAsm& a, char kind, const ScnToken& t) {
  const bool word = t.type == ScnTokenType::Word;
  if (t.type != ScnTokenType::Number && !word) return false;
  const ScnSymbol* symbol = word ? FindSymbol(a, t.text) : nullptr;
  uint32_t unused = 0;
  switch (kind) {
    case 'v':
      return word && (VarWord(t.text, unused) || (symbol && symbol->isVar));
    case 'd':
    case 'e':
    case 'm':
      return !word || !ScnAsmReserved(t.text);
    case 'k':
      if (word) {
        for (std::string_view colour : kScnColours) {
          if (t.text == colour) return true;
        }
      }
      break;
    case 'c':
      if (word && t.text == "none") return true;
      break;
    default:
      break;
  }
  return !word || (symbol && !symbol->isVar);
}

// Appends the operand's bytes; names of labels, entries and messages become fixups.
bool EncodeOperand(ScnAsm& a, char kind, const ScnToken& t, std::vector<uint8_t>& out) {
  const bool word = t.type == ScnTokenType::Word;
  uint32_t value = 0;
  if (kind == 'v') {
    if (!VarWord(t.text, value)) value = FindSymbol(a, t.text)->value;
    out.push_back(static_cast<uint8_t>(value));
    return true;
  }
  // Labels, and entry and message names (unless a constant gives the number), wait for the end.
  const bool named = kind == 'd' || ((kind == 'e' || kind == 'm') && !FindSymbol(a, t.text));
  if (word && named) {
    a.fixups.push_back({kind, static_cast<uint32_t>(out.size()), 0, std::string(t.text), a.line});
    out.push_back(0);
    return true;
  }
  if (kind == 'd') {
    if (t.number < -128 || t.number > 127) {
      ScnAsmError(a, "displacement " + std::string(t.text) + " does not fit in -128..127");
      return false;
    }
    out.push_back(static_cast<uint8_t>(static_cast<int8_t>(t.number)));
    return true;
  }
  if (kind == 'k' && word) {
    for (uint32_t i = 0; i < 8; i++) {
      if (t.text == kScnColours[i]) {
        out.push_back(static_cast<uint8_t>(i));
        return true;
      }
    }
  }
  if (kind == 'c' && word && t.text == "none") {
    value = 0xFFFF;
  } else {
    const uint32_t max = kind == 'l' ? 0xFFFFFFFFu : ScnKindSize(kind) == 2 ? 0xFFFFu : 0xFFu;
    if (!ScnAsmNumber(a, t, max, value)) return false;
  }
  if (kind == 's' || kind == 'c') {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
    return true;
  }
  for (int i = 0; i < ScnKindSize(kind); i++) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  return true;
}

// Matches the tokens against one form; fills `slots` with the operand tokens.
bool MatchForm(const ScnAsm& a, const ScnOp& op, const std::vector<ScnToken>& tokens,
               const ScnToken* slots[kScnMaxOperands]) {
  std::vector<ScnToken> form;
  std::string unused;
  ScnLex(op.form, form, unused);
  if (form.size() != tokens.size()) return false;
  for (size_t i = 0; i < form.size(); i++) {
    if (form[i].type == ScnTokenType::Slot) {
      const int slot = static_cast<int>(form[i].number);
      if (!Accepts(a, op.operands[slot], tokens[i])) return false;
      slots[slot] = &tokens[i];
    } else if (form[i].text != tokens[i].text || tokens[i].type == ScnTokenType::Number) {
      return false;
    }
  }
  return true;
}

// The one-line list of the forms of a command word, for errors.
std::string Usages(uint8_t scope, std::string_view name) {
  std::string usage;
  for (const ScnOp& op : ScnOps()) {
    if ((op.scope & scope) && ScnOpName(op) == name) {
      usage += usage.empty() ? "'" : "' or '";
      usage += FormUsage(op);
    }
  }
  return usage + "'";
}

}  // namespace

// A number token, or a constant, within 0..max.
bool ScnAsmNumber(ScnAsm& a, const ScnToken& t, uint32_t max, uint32_t& value) {
  if (t.type == ScnTokenType::Word) {
    const ScnSymbol* symbol = FindSymbol(a, t.text);
    if (!symbol || symbol->isVar) {
      ScnAsmError(a, "'" + std::string(t.text) + "' is not a number or a constant");
      return false;
    }
    value = symbol->value;
  } else if (t.type != ScnTokenType::Number) {
    ScnAsmError(a, "expected a number, not '" + std::string(t.text) + "'");
    return false;
  } else if (t.number < 0 || t.number > static_cast<int64_t>(max)) {
    ScnAsmError(a, "'" + std::string(t.text) + "' does not fit in 0.." + std::to_string(max));
    return false;
  } else {
    value = static_cast<uint32_t>(t.number);
  }
  if (value > max) {
    ScnAsmError(a, "constant '" + std::string(t.text) + "' (" + std::to_string(value) +
                       ") does not fit in 0.." + std::to_string(max));
    return false;
  }
  return true;
}

// Tries the forms of the command word in table order; the first that matches is encoded.
bool ScnAsmCommand(ScnAsm& a, uint8_t scope, const std::vector<ScnToken>& tokens,
                   std::vector<uint8_t>& out) {
  const std::string_view name = tokens[0].text;
  bool known = false;
  for (const ScnOp& op : ScnOps()) {
    if (!(op.scope & scope) || ScnOpName(op) != name) continue;
    known = true;
    const ScnToken* slots[kScnMaxOperands] = {};
    if (!MatchForm(a, op, tokens, slots)) continue;
    const size_t start = out.size();
    const size_t firstFixup = a.fixups.size();
    out.insert(out.end(), op.prefix, op.prefix + op.length);
    int slot = 0;
    for (const char* kind = op.operands; *kind; kind++) {
      if (*kind == 'o') {
        out.push_back(0);  // the option count, raised by each option line
        continue;
      }
      if (!EncodeOperand(a, *kind, *slots[slot++], out)) {
        out.resize(start);
        a.fixups.resize(firstFixup);
        return false;
      }
    }
    for (size_t i = firstFixup; i < a.fixups.size(); i++) {
      a.fixups[i].end = static_cast<uint32_t>(out.size());
    }
    if (op.prefix[0] == kScnChoice) return true;  // its options follow on their own lines
    // A form that reads back as another command (ext 1 is the start of 'wave') is refused.
    ScnInstr check;
    if (ScnDecode(scope, out.data() + start, out.data() + out.size(), check) !=
            ScnDecodeResult::Ok ||
        check.size != out.size() - start) {
      const std::string other = check.op ? std::string(ScnOpName(*check.op)) : "?";
      ScnAsmError(a, "this '" + std::string(name) + "' would be read back as '" + other +
                         "'; write it with that command instead");
      out.resize(start);
      a.fixups.resize(firstFixup);
      return false;
    }
    return true;
  }
  if (!known) {
    const uint8_t other = scope == kScnEvents ? kScnMessages : kScnEvents;
    std::string hint;
    for (const ScnOp& op : ScnOps()) {
      if ((op.scope & other) && ScnOpName(op) == name) {
        hint = scope == kScnEvents ? " (it is a message text command: {" + FormUsage(op) + "})"
                                   : " (it is an event script command)";
        break;
      }
    }
    ScnAsmError(a, "unknown command '" + std::string(name) + "'" + hint);
  } else {
    ScnAsmError(a, "cannot read this '" + std::string(name) + "': expected " + Usages(scope, name));
  }
  return false;
}

// Appends a (message, jump) pair and raises the choice's option count.
bool ScnAsmOption(ScnAsm& a, const std::vector<ScnToken>& tokens) {
  if (a.choiceAt < 0) {
    ScnAsmError(a, "'option' outside a choice (options follow their 'choice' line directly)");
    return false;
  }
  const ScnToken* message = tokens.size() == 4 ? &tokens[1] : nullptr;
  if (!message || !Accepts(a, 'm', *message) || tokens[2].text != "goto" ||
      !Accepts(a, 'd', tokens[3])) {
    ScnAsmError(a, "cannot read this option: expected 'option MESSAGE goto LABEL'");
    return false;
  }
  const size_t countAt = static_cast<size_t>(a.choiceAt) + 2;
  if (a.events[countAt] == kScnMaxOptions) {
    ScnAsmError(a, "a choice offers at most 12 options");
    return false;
  }
  if (!EncodeOperand(a, 'm', *message, a.events) || !EncodeOperand(a, 'd', tokens[3], a.events)) {
    return false;
  }
  a.events[countAt]++;  // the encoding may have moved the block: index it afresh
  return true;
}

namespace {

// Encodes the {command} whose inside is `inner`; answers the first byte written (0 when
// nothing was written) and sets `noEnd` for {noend}.
int TextCommand(ScnAsm& a, std::string_view inner, bool& noEnd) {
  std::vector<ScnToken> tokens;
  std::string error;
  if (!ScnLex(inner, tokens, error)) {
    ScnAsmError(a, "in {" + std::string(inner) + "}: " + error);
    return -1;
  }
  if (tokens.empty() || tokens[0].type != ScnTokenType::Word) {
    ScnAsmError(a, "'{" + std::string(inner) + "}' names no command");
    return -1;
  }
  std::vector<uint8_t>& out = a.messages;
  const std::string_view name = tokens[0].text;
  const size_t count = tokens.size();
  uint32_t value = 0, position = 0;
  if (name == "c" || name == "byte") {
    const uint32_t max = name == "c" ? kCharsetLimit - 1 : 0xFF;
    if (count != 2 || !ScnAsmNumber(a, tokens[1], max, value)) {
      if (count != 2) ScnAsmError(a, "expected {" + std::string(name) + " N}");
      return -1;
    }
    if (name == "c") out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
    return name == "c" ? 0 : static_cast<int>(value);
  }
  if (name == "sym") {
    const auto code = count == 2 ? CharsetSymbolCode(tokens[1].text) : std::nullopt;
    if (!code) {
      ScnAsmError(a, count == 2
                         ? "no symbol '" + std::string(tokens[1].text) + "' in the character set"
                         : "expected {sym NAME}");
      return -1;
    }
    out.push_back(static_cast<uint8_t>(*code >> 8));
    out.push_back(static_cast<uint8_t>(*code));
    return 0;
  }
  if (name == "name") {
    if ((count != 2 && count != 3) || !ScnAsmNumber(a, tokens[1], kScnNames - 1, value) ||
        (count == 3 && !ScnAsmNumber(a, tokens[2], kScnNameLength - 1, position))) {
      if (count != 2 && count != 3) ScnAsmError(a, "expected {name N} or {name N K}");
      return -1;
    }
    if (count == 3) {
      out.push_back(static_cast<uint8_t>(kScnNameBase[value] + position));
    } else {
      for (int k = 0; k < kScnNameLength; k++) {
        out.push_back(static_cast<uint8_t>(kScnNameBase[value] + k));
      }
    }
    return 0;
  }
  if (name == "noend") {
    if (count != 1) ScnAsmError(a, "{noend} takes no operands");
    noEnd = true;
    return 0;
  }
  const size_t start = out.size();
  if (!ScnAsmCommand(a, kScnMessages, tokens, out)) return -1;
  return out[start];
}

// Appends the hexadecimal code point of a character, for messages.
std::string CodePoint(char32_t c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
  return buffer;
}

}  // namespace

// Characters through the character set, {commands} through TextCommand, then the line break.
void ScnAsmTextLine(ScnAsm& a, std::string_view text, bool last, bool& noEnd) {
  bool joined = false;
  if (!text.empty() && text.back() == '\\') {
    joined = true;
    text.remove_suffix(1);
  }
  std::vector<uint8_t>& out = a.messages;
  int lastByte = 0;  // first byte of the last item on the line
  size_t at = 0;
  while (at < text.size()) {
    if (noEnd) {
      ScnAsmError(a, "{noend} must be the last thing in a message");
      return;
    }
    if (text[at] == '{') {
      const size_t close = text.find('}', at);
      if (close == std::string_view::npos) {
        ScnAsmError(a, "'{' without its '}'");
        return;
      }
      const int first = TextCommand(a, text.substr(at + 1, close - at - 1), noEnd);
      if (first < 0) return;
      lastByte = first;
      at = close + 1;
      continue;
    }
    if (text[at] == '}') {
      ScnAsmError(a, "'}' without its '{'");
      return;
    }
    const size_t start = at;
    const char32_t c = Utf8Next(text, at);
    const auto code = c == 0xFFFD ? std::nullopt : CharsetCode(c);
    if (!code) {
      if (c == 0xFFFD) {
        ScnAsmError(a, "malformed UTF-8");
      } else {
        std::string what = "'" + std::string(text.substr(start, at - start)) + "' (" +
                           CodePoint(c) + ") is not in the character set";
        if (c == U' ') what += "; the full-width space is '\u3000'";
        ScnAsmError(a, what);
      }
      return;
    }
    out.push_back(static_cast<uint8_t>(*code >> 8));
    out.push_back(static_cast<uint8_t>(*code));
    lastByte = 0;
  }
  const bool breaks = lastByte == kScnNewLine || lastByte == kScnReturn || lastByte == kScnPageWait;
  if (!last && !joined && !breaks && !noEnd) out.push_back(kScnNewLine);
}
