// lntr3tool font: builds the game's font files from a TrueType/OpenType face, one glyph per
// charset code, and prints glyphs of a font file as text for checking.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "tools/charset/charset.h"
#include "tools/common/tool.h"
#include "tools/font/font_names.h"
#include "tools/font/font_render.h"
#include "tools/groups.h"

namespace {

constexpr const char* kFontUsage =
    "usage: lntr3tool font build --font FILE [--face N] [--fallback FILE]... [--size PIXELS]\n"
    "                            [--strict] OUT.KNJ\n"
    "       lntr3tool font show KNJ CODE...\n"
    "       lntr3tool font names DIR OUT.h\n"
    "\n'lntr3tool font SUBCOMMAND --help' describes a subcommand.\n";
constexpr const char* kBuildUsage =
    "usage: lntr3tool font build --font FILE [--face N] [--fallback FILE]... [--size PIXELS]\n"
    "                            [--strict] OUT.KNJ\n"
    "Renders every code of the charset from a TrueType/OpenType font (face N of a collection,\n"
    "default 0) into a font file of 24 x 24 one-bit glyphs; glyph CODE - 1 draws CODE. The em is\n"
    "PIXELS high (16..24, default 22), centred in the cell. Cursors and arrows are drawn by the\n"
    "builder. Characters the font lacks are taken from the --fallback fonts (face 0) in order;\n"
    "those none has stay empty and are listed, and --strict then writes nothing.\n";
constexpr const char* kShowUsage =
    "usage: lntr3tool font show KNJ CODE...\n"
    "Prints glyphs of a font file as rows of '#' (ink) and '.' (empty). A CODE is 0x and hex\n"
    "digits, decimal digits, a symbol name of the charset (cursor-line, arrow-up, ...) or text,\n"
    "whose characters are shown one by one.\n";

constexpr int kDefaultPixels = 22;

// A character or symbol code with its label for reports ("U+6708 月" or "cursor-line").
std::string FontCodeLabel(uint16_t code) {
  char head[16];
  std::snprintf(head, sizeof head, "0x%04X", code);
  std::string label = head;
  if (const char32_t character = CharsetCharacter(code)) {
    label += ' ';
    Utf8Append(label, character);
  } else if (!CharsetSymbol(code).empty()) {
    label += ' ';
    label += CharsetSymbol(code);
  } else {
    label += " (unused)";
  }
  return label;
}

// Renders a code's character, or one of its aliases, from the first face that has either.
bool FontRenderCode(const std::vector<FontFacePtr>& faces, uint16_t code, char32_t character,
                    FontGlyph& glyph) {
  const std::u32string characters = character + CharsetAliases(code);
  for (const FontFacePtr& face : faces) {
    for (char32_t each : characters) {
      if (FontRenderCharacter(*face, each, glyph)) return true;
    }
  }
  return false;
}

// font build: one glyph for every code up to the charset's last, unused codes empty.
int FontBuild(const ToolArgs& args) {
  const std::string* fontPath = args.Value("--font");
  const std::string& outPath = args.operands[0];
  const std::vector<std::string> fallbackPaths = args.Values("--fallback");
  int32_t faceIndex = 0, pixels = kDefaultPixels;
  const bool strict = args.Has("--strict");
  if (!fontPath) return ToolUsageError(args, "--font names the font to build from");
  if (!ToolOptionNumber(args, "--face", 0, 255, faceIndex)) {
    return ToolUsageError(args, "--face wants 0..255");
  }
  if (!ToolOptionNumber(args, "--size", 16, kFontGlyphSize, pixels)) {
    return ToolUsageError(args, "--size wants 16..24");
  }
  if (!CharsetError().empty()) {
    return ToolFail("the built-in charset is damaged: " + std::string(CharsetError()));
  }

  std::vector<FontFacePtr> faces;
  std::string error;
  faces.push_back(FontFaceOpen(*fontPath, faceIndex, pixels, error));
  if (!faces.back()) return ToolFail(error);
  for (const std::string& path : fallbackPaths) {
    faces.push_back(FontFaceOpen(path, 0, pixels, error));
    if (!faces.back()) return ToolFail(error);
  }

  const uint16_t last = CharsetLastCode();
  std::vector<uint8_t> file(static_cast<size_t>(last) * kFontGlyphBytes, 0);
  std::vector<uint16_t> missing;
  for (uint16_t code = 1; code <= last; code++) {
    FontGlyph glyph{};
    if (const char32_t character = CharsetCharacter(code)) {
      if (!FontRenderCode(faces, code, character, glyph)) missing.push_back(code);
    } else if (!CharsetSymbol(code).empty()) {
      if (!FontDrawSymbol(CharsetSymbol(code), glyph)) {
        return ToolFail("the charset names a symbol the builder cannot draw: " +
                        std::string(CharsetSymbol(code)));
      }
    }
    std::copy(glyph.begin(), glyph.end(), file.begin() + (code - 1) * kFontGlyphBytes);
  }

  if (!missing.empty()) {
    std::string list;
    for (size_t i = 0; i < missing.size() && i < 8; i++) list += "\n  " + FontCodeLabel(missing[i]);
    if (missing.size() > 8) list += "\n  ...";
    std::fprintf(stderr, "lntr3tool: %s has no glyph for %zu character(s):%s\n",
                 FontFaceName(*faces[0]).c_str(), missing.size(), list.c_str());
    if (strict) return ToolFail("nothing written (--strict)");
  }

  if (!ToolWriteBytes(outPath, file)) return ToolFail("cannot write '" + outPath + "'");
  std::printf("%s: %u glyphs from %s, %d pixels, %zu missing\n", outPath.c_str(), last,
              FontFaceName(*faces[0]).c_str(), pixels, missing.size());
  return 0;
}

// Turns one CODE argument into codes: a number, a symbol name or the characters of a text.
bool FontParseCodes(const std::string& arg, std::vector<uint16_t>& codes, std::string& error) {
  const auto isDigits = [](const std::string& s, size_t from, bool hex) {
    if (s.size() <= from) return false;
    for (size_t i = from; i < s.size(); i++) {
      if (!(hex ? std::isxdigit(static_cast<unsigned char>(s[i]))
                : std::isdigit(static_cast<unsigned char>(s[i])))) {
        return false;
      }
    }
    return true;
  };
  unsigned long value = 0;
  if ((arg.rfind("0x", 0) == 0 || arg.rfind("0X", 0) == 0) && isDigits(arg, 2, true)) {
    value = std::strtoul(arg.c_str() + 2, nullptr, 16);
  } else if (isDigits(arg, 0, false)) {
    value = std::strtoul(arg.c_str(), nullptr, 10);
  } else if (const std::optional<uint16_t> symbol = CharsetSymbolCode(arg)) {
    codes.push_back(*symbol);
    return true;
  } else {
    for (size_t at = 0; at < arg.size();) {
      const char32_t character = Utf8Next(arg, at);
      const std::optional<uint16_t> code = CharsetCode(character);
      if (!code) {
        std::string shown;
        Utf8Append(shown, character);
        error = "'" + shown + "' is not in the charset";
        return false;
      }
      codes.push_back(*code);
    }
    return true;
  }
  if (value == 0 || value >= kCharsetLimit) {
    error = "code '" + arg + "' is outside 1..0x1FFF";
    return false;
  }
  codes.push_back(static_cast<uint16_t>(value));
  return true;
}

// font show: prints the glyphs asked for, each under a line naming its code.
int FontShow(const ToolArgs& args) {
  std::vector<uint16_t> codes;
  for (size_t i = 1; i < args.operands.size(); i++) {
    std::string error;
    if (!FontParseCodes(args.operands[i], codes, error)) return ToolFail(error);
  }
  std::vector<uint8_t> file;
  if (!ToolReadBytes(args.operands[0], file)) {
    return ToolFail("cannot open '" + args.operands[0] + "'");
  }
  const size_t glyphs = file.size() / kFontGlyphBytes;
  for (uint16_t code : codes) {
    if (code > glyphs) {
      return ToolFail(args.operands[0] + ": " + FontCodeLabel(code) + " is beyond its " +
                      std::to_string(glyphs) + " glyphs");
    }
  }
  for (uint16_t code : codes) {
    FontGlyph glyph;
    std::copy_n(file.begin() + (code - 1) * kFontGlyphBytes, kFontGlyphBytes, glyph.begin());
    std::printf("%s\n%s", FontCodeLabel(code).c_str(), FontGlyphText(glyph).c_str());
  }
  return 0;
}

constexpr ToolOption kBuildOptions[] = {
    {"--font", true}, {"--face", true}, {"--fallback", true}, {"--size", true}, {"--strict"},
};

const ToolSubcommand kFontCommands[] = {
    {"build", FontBuild, kBuildUsage, kBuildOptions, 1, 1},
    {"show", FontShow, kShowUsage, {}, 2},
    {"names", FontNames, kFontNamesUsage, {}, 2, 2},
};

}  // namespace

const ToolGroup kFontGroup = {"font", "build font files from TrueType fonts and show their glyphs",
                              kFontUsage, kFontCommands};
