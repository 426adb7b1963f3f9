// lntr3tool: entry point and subcommand dispatch.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/tool.h"

namespace {

struct ToolCommand {
  const char* name;
  int (*main)(int argc, char** argv);
  const char* summary;
};

constexpr ToolCommand kCommands[] = {
    {"pack", ToolPackMain, "create, list and extract PACK archives"},
    {"lzss", ToolLzssMain, "pack and unpack LZSS packed blocks"},
    {"tz2", ToolTz2Main, "convert 256-colour TZ2 pictures to and from PNG"},
    {"tzg", ToolTzgMain, "convert 16-colour TZG pictures to and from PNG"},
    {"scn", ToolScnMain, "assemble and disassemble scenario files"},
    {"font", ToolFontMain, "build font files from TrueType fonts and show their glyphs"},
    {"synth", ToolSynthMain, "render the demo's music tracks and sound entries from recipes"},
    {"paint", ToolPaintMain, "paint the demo's places and characters from recipes"},
};

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: lntr3tool COMMAND ARGS...\n\ncommands:\n");
  for (const ToolCommand& command : kCommands) {
    std::fprintf(out, "  %-6s %s\n", command.name, command.summary);
  }
  std::fprintf(out, "\n'lntr3tool COMMAND --help' describes a command.\n");
}

}  // namespace

int ToolFail(const std::string& message) {
  std::fprintf(stderr, "lntr3tool: %s\n", message.c_str());
  return 1;
}

bool ToolParseNumber(const char* text, int32_t min, int32_t max, int32_t& value) {
  const char* end = text + std::strlen(text);
  const auto [rest, ec] = std::from_chars(text, end, value);
  return ec == std::errc() && rest == end && value >= min && value <= max;
}

bool ToolDecodeArgs(int argc, char** argv, std::vector<const char*>& files, bool& frame) {
  for (int i = 2; i < argc; i++) {
    if (!std::strcmp(argv[i], "--frame")) {
      frame = true;
    } else if (argv[i][0] == '-') {
      return false;
    } else {
      files.push_back(argv[i]);
    }
  }
  return files.size() == 2;
}

int ToolPictureFailure(const std::string& path, const char* meaning, const char* decoderText) {
  return ToolFail(path + ": " + meaning +
                  (decoderText ? std::string(" (") + decoderText + ")" : ""));
}

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (!std::strcmp(argv[1], "--version")) {
    std::printf("lntr3tool %s\n", LNTR3_VERSION);
    return 0;
  }
  for (const ToolCommand& command : kCommands) {
    if (!std::strcmp(argv[1], command.name)) return command.main(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "lntr3tool: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
