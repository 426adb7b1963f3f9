// The toolchain's shared command line and file helpers.
#include "tools/common/tool.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/atomic_file.h"

namespace {

const char* gProgram = "lntr3tool";

bool IsHelp(std::string_view arg) {
  return arg == "--help" || arg == "-h";
}

int PrintUsage(const char* text, FILE* out, int status) {
  std::fputs(text, out);
  return status;
}

std::string ProgramUsage(std::span<const ToolGroup> groups) {
  std::string text = std::string("usage: ") + gProgram + " COMMAND ARGS...\n\ncommands:\n";
  for (const ToolGroup& group : groups) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-6s %s\n", group.name, group.summary);
    text += line;
  }
  return text + "\n'" + gProgram + " COMMAND --help' describes a command.\n";
}

// Reads the arguments after the subcommand's name. Answers -1 when the subcommand should run,
// else the status to end with (after --help or wrong usage).
int ParseArgs(const ToolSubcommand& sub, int argc, char** argv, ToolArgs& args) {
  bool optionsEnd = false;
  for (int i = 0; i < argc; i++) {
    const std::string_view arg = argv[i];
    if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
      args.operands.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    if (IsHelp(arg)) return PrintUsage(args.usage, stdout, kToolOk);
    const size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const ToolOption* option = nullptr;
    for (const ToolOption& each : sub.options) {
      if (name == each.name) option = &each;
    }
    if (!option) return ToolUsageError(args, "unknown option '" + std::string(name) + "'");
    std::string value;
    if (option->takesValue) {
      if (equals != std::string_view::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < argc) {
        value = argv[++i];
      } else {
        return ToolUsageError(args, std::string(name) + " needs a value");
      }
    } else if (equals != std::string_view::npos) {
      return ToolUsageError(args, std::string(name) + " takes no value");
    }
    args.options.emplace_back(name, std::move(value));
  }
  const int count = static_cast<int>(args.operands.size());
  if (count < sub.minOperands || (sub.maxOperands >= 0 && count > sub.maxOperands)) {
    return ToolUsageError(args,
                          count < sub.minOperands ? "too few arguments" : "too many arguments");
  }
  return -1;
}

int RunGroup(const ToolGroup& group, int argc, char** argv) {
  if (argc < 2) return PrintUsage(group.usage, stderr, kToolUsage);
  const std::string_view name = argv[1];
  if (IsHelp(name)) return PrintUsage(group.usage, stdout, kToolOk);
  for (const ToolSubcommand& sub : group.subcommands) {
    if (name != sub.name) continue;
    ToolArgs args;
    args.command = std::string(group.name) + " " + sub.name;
    args.usage = sub.usage ? sub.usage : group.usage;
    const int status = ParseArgs(sub, argc - 2, argv + 2, args);
    return status >= 0 ? status : sub.run(args);
  }
  std::fprintf(stderr, "%s: %s: unknown subcommand '%s'\n", gProgram, group.name,
               ToolEscape(argv[1]).c_str());
  return PrintUsage(group.usage, stderr, kToolUsage);
}

}  // namespace

bool ToolArgs::Has(std::string_view name) const {
  return Value(name) != nullptr;
}

const std::string* ToolArgs::Value(std::string_view name) const {
  const std::string* found = nullptr;
  for (const auto& [option, value] : options) {
    if (option == name) found = &value;
  }
  return found;
}

std::vector<std::string> ToolArgs::Values(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [option, value] : options) {
    if (option == name) values.push_back(value);
  }
  return values;
}

int ToolMain(const char* program, std::span<const ToolGroup> groups, int argc, char** argv) {
  gProgram = program;
  if (argc < 2) return PrintUsage(ProgramUsage(groups).c_str(), stderr, kToolUsage);
  const std::string_view name = argv[1];
  if (IsHelp(name)) return PrintUsage(ProgramUsage(groups).c_str(), stdout, kToolOk);
  if (name == "--version") {
    std::printf("%s %s\n", gProgram, LNTR3_VERSION);
    return kToolOk;
  }
  for (const ToolGroup& group : groups) {
    if (name == group.name) return RunGroup(group, argc - 1, argv + 1);
  }
  std::fprintf(stderr, "%s: unknown command '%s'\n", gProgram, ToolEscape(argv[1]).c_str());
  return PrintUsage(ProgramUsage(groups).c_str(), stderr, kToolUsage);
}

std::string ToolEscape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<uint8_t>(text[i]);
    // The length of a well-formed UTF-8 sequence starting here, 0 when there is none.
    size_t length = c >= 0x20 && c < 0x7F    ? 1
                    : c >= 0xC2 && c <= 0xDF ? 2
                    : c >= 0xE0 && c <= 0xEF ? 3
                    : c >= 0xF0 && c <= 0xF4 ? 4
                                             : 0;
    for (size_t k = 1; k < length; k++) {
      if (i + k >= text.size() || (static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) length = 0;
    }
    if (length) {
      out.append(text.substr(i, length));
      i += length;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
      i++;
    }
  }
  return out;
}

int ToolFail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", gProgram, ToolEscape(message).c_str());
  return kToolFailed;
}

int ToolUsageError(const ToolArgs& args, const std::string& message) {
  std::fprintf(stderr, "%s: %s: %s\n", gProgram, args.command.c_str(), ToolEscape(message).c_str());
  return PrintUsage(args.usage, stderr, kToolUsage);
}

bool ToolParseNumber(const char* text, int32_t min, int32_t max, int32_t& value) {
  const char* end = text + std::strlen(text);
  int32_t parsed = 0;
  const auto [rest, ec] = std::from_chars(text, end, parsed);
  if (ec != std::errc() || rest != end || parsed < min || parsed > max) return false;
  value = parsed;
  return true;
}

bool ToolOptionNumber(const ToolArgs& args, std::string_view name, int32_t min, int32_t max,
                      int32_t& value) {
  const std::string* text = args.Value(name);
  return !text || ToolParseNumber(text->c_str(), min, max, value);
}

int ToolPictureFailure(const std::string& path, const char* meaning, const char* decoderText) {
  return ToolFail(path + ": " + meaning +
                  (decoderText ? std::string(" (") + decoderText + ")" : ""));
}

bool ToolReadBytes(const std::string& path, std::vector<uint8_t>& bytes) {
  // A folder opens like a file but reads as nothing: never take it for an empty file.
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool ToolWriteBytes(const std::string& path, std::span<const uint8_t> bytes) {
  return AtomicFileWrite(path, bytes);
}
