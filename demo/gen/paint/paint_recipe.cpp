// Recipe text of the painter: one command a line with typed values, checked against the
// command table of the recipe's language; every refusal names its line.
#include <charconv>
#include <cmath>
#include <cstring>

#include "demo/gen/paint/paint.h"

namespace {

struct Param {
  std::string name;
  PaintType type = PaintType::Number;
  bool required = true;
  std::string fallback;  // the default's text
};

// "name:t" or "name:t=default" entries of a command's parameter list.
std::vector<Param> ParseParams(const char* text) {
  std::vector<Param> params;
  std::string_view rest(text);
  while (!rest.empty()) {
    const size_t space = rest.find(' ');
    const std::string_view item = rest.substr(0, space);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    if (item.empty()) continue;
    Param p;
    const size_t colon = item.find(':');
    p.name = std::string(item.substr(0, colon));
    const char t = colon + 1 < item.size() ? item[colon + 1] : 'n';
    p.type = t == 'c'   ? PaintType::Colour
             : t == 'w' ? PaintType::Word
             : t == 'm' ? PaintType::Moods
             : t == 'p' ? PaintType::Points
                        : PaintType::Number;
    const size_t eq = item.find('=');
    if (eq != std::string_view::npos) {
      p.required = false;
      p.fallback = std::string(item.substr(eq + 1));
    }
    params.push_back(std::move(p));
  }
  return params;
}

// What a value type is called in messages.
const char* TypeName(PaintType type) {
  switch (type) {
    case PaintType::Number:
      return "a number";
    case PaintType::Colour:
      return "a colour #rrggbb";
    case PaintType::Word:
      return "a word";
    case PaintType::Moods:
      return "mood letters from DENXZ";
    case PaintType::Points:
      return "points x,y";
  }
  return "a value";
}

// A decimal or 0x hexadecimal number.
bool ParseNumber(std::string_view text, float& value) {
  if (text.empty()) return false;
  bool negative = false;
  std::string_view digits = text;
  if (digits[0] == '-' || digits[0] == '+') {
    negative = digits[0] == '-';
    digits.remove_prefix(1);
  }
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    uint32_t v = 0;
    const char* end = digits.data() + digits.size();
    const auto [p, ec] = std::from_chars(digits.data() + 2, end, v, 16);
    if (ec != std::errc() || p != end) return false;
    value = negative ? -static_cast<float>(v) : static_cast<float>(v);
    return true;
  }
  double v = 0;
  const char* end = text.data() + text.size();
  const auto [p, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || p != end || !std::isfinite(v)) return false;
  value = static_cast<float>(v);
  return true;
}

// Mood letters, or "all"; false on any other letter or none.
bool ParseMoods(std::string_view text, uint32_t& moods) {
  if (text == "all") {
    moods = (1u << kPaintMoods) - 1;
    return true;
  }
  moods = 0;
  for (char c : text) {
    PaintMood mood;
    if (!PaintMoodFromLetter(c, mood)) return false;
    moods |= 1u << static_cast<int>(mood);
  }
  return moods != 0;
}

// "x,y".
bool ParsePoint(std::string_view text, PaintPoint& point) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return false;
  return ParseNumber(text.substr(0, comma), point.x) &&
         ParseNumber(text.substr(comma + 1), point.y);
}

// One value of a type from its text; false when it does not read as that type.
bool ParseValue(std::string_view text, PaintType type, PaintValue& value) {
  value.type = type;
  switch (type) {
    case PaintType::Number:
      return ParseNumber(text, value.number);
    case PaintType::Colour:
      return PaintParseColour(text, value.colour);
    case PaintType::Word:
      value.word = std::string(text);
      return !text.empty();
    case PaintType::Moods:
      return ParseMoods(text, value.moods);
    case PaintType::Points: {
      PaintPoint point;
      if (!ParsePoint(text, point)) return false;
      value.points.push_back(point);
      return true;
    }
  }
  return false;
}

// The words of a line, split at blanks and tabs.
std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) i++;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') i++;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// Parses one command line into `command`; an error message without the line prefix on failure.
bool ParseCommand(const std::vector<std::string_view>& words,
                  std::span<const PaintCommandSpec> specs, PaintCommand& command,
                  std::string& error) {
  const std::string name(words[0]);
  int found = -1;
  for (size_t i = 0; i < specs.size(); i++) {
    if (name == specs[i].name) found = static_cast<int>(i);
  }
  if (found < 0) {
    error = "unknown command '" + name + "'";
    return false;
  }
  command.spec = found;
  const std::vector<Param> params = ParseParams(specs[found].params);
  command.values.assign(params.size(), PaintValue{});
  std::vector<bool> given(params.size(), false);
  size_t next = 0;  // the next parameter a positional value fills
  for (size_t w = 1; w < words.size(); w++) {
    std::string_view word = words[w];
    size_t target = params.size();
    const size_t eq = word.find('=');
    if (eq != std::string_view::npos && eq > 0) {
      const std::string_view key = word.substr(0, eq);
      if (key == "moods") {
        if (!ParseMoods(word.substr(eq + 1), command.moods)) {
          error = name + ": 'moods' wants mood letters from DENXZ, got '" +
                  std::string(word.substr(eq + 1)) + "'";
          return false;
        }
        continue;
      }
      for (size_t p = 0; p < params.size(); p++) {
        if (params[p].name == key) target = p;
      }
      if (target == params.size()) {
        error = name + ": no parameter '" + std::string(key) + "'";
        return false;
      }
      word = word.substr(eq + 1);
    } else if (word.find(',') != std::string_view::npos && !params.empty() &&
               params.back().type == PaintType::Points) {
      target = params.size() - 1;  // a point joins the list, wherever it stands
    } else {
      while (next < params.size() && given[next] && params[next].type != PaintType::Points) next++;
      if (next == params.size()) {
        error = name + ": too many values (" + specs[found].params + ")";
        return false;
      }
      target = next;
    }
    PaintValue& value = command.values[target];
    if (params[target].type == PaintType::Points) {
      if (!ParseValue(word, PaintType::Points, value)) {
        error = name + ": '" + params[target].name + "' wants points x,y, got '" +
                std::string(word) + "'";
        return false;
      }
    } else if (!ParseValue(word, params[target].type, value)) {
      error = name + ": '" + params[target].name + "' wants " + TypeName(params[target].type) +
              ", got '" + std::string(word) + "'";
      return false;
    }
    given[target] = true;
    value.given = true;
  }
  for (size_t p = 0; p < params.size(); p++) {
    if (given[p]) continue;
    if (params[p].required) {
      error = name + ": missing '" + params[p].name + "' (" + specs[found].params + ")";
      return false;
    }
    if (!params[p].fallback.empty()) {
      command.values[p].given = ParseValue(params[p].fallback, params[p].type, command.values[p]);
    } else {
      command.values[p].type = params[p].type;  // an empty list or word
    }
  }
  return true;
}

}  // namespace

// D, E, N, X or Z as a mood.
bool PaintMoodFromLetter(char letter, PaintMood& mood) {
  const char* at = std::strchr(kPaintMoodLetters, letter);
  if (!at || !letter) return false;
  mood = static_cast<PaintMood>(at - kPaintMoodLetters);
  return true;
}

bool PaintRecipeParse(std::string_view text, std::span<const PaintCommandSpec> specs,
                      PaintRecipe& recipe, std::string& error) {
  recipe.commands.clear();
  int lineNumber = 0;
  while (!text.empty()) {
    lineNumber++;
    const size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    const size_t hash = line.find('#');
    // A '#' that starts a word is a comment; inside a word it begins a colour.
    size_t cut = std::string_view::npos;
    for (size_t i = hash; i != std::string_view::npos && i < line.size();
         i = line.find('#', i + 1)) {
      if (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t') {
        // A command never starts with '#', so the first word is always a comment.
        const bool first = line.find_first_not_of(" \t") == i;
        const bool colour = !first && i + 7 <= line.size() &&
                            (i + 7 == line.size() || line[i + 7] == ' ' || line[i + 7] == '\t' ||
                             line[i + 7] == '\r');
        PaintRgb ignored;
        if (colour && PaintParseColour(line.substr(i, 7), ignored)) continue;
        cut = i;
        break;
      }
    }
    line = line.substr(0, cut);
    const std::vector<std::string_view> words = SplitWords(line);
    if (words.empty()) continue;
    PaintCommand command;
    command.line = lineNumber;
    std::string why;
    if (!ParseCommand(words, specs, command, why)) {
      error = "line " + std::to_string(lineNumber) + ": " + why;
      return false;
    }
    recipe.commands.push_back(std::move(command));
  }
  return true;
}
