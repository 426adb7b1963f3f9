// The toolchain's shared command line: every command group lists its subcommands with their
// usage, options and operand counts, and one parser reads the arguments, answers --help and
// reports wrong usage the same way for all of them. The demo's generator program uses it too.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Exit statuses of every command: done, failed (a line on standard error says why), wrong usage.
constexpr int kToolOk = 0;
constexpr int kToolFailed = 1;
constexpr int kToolUsage = 2;

// An option a subcommand accepts: "--pos X,Y" takes a value, "--each" does not. A value may
// also be joined with '=' ("--pos=8,0").
struct ToolOption {
  const char* name;
  bool takesValue = false;
};

// What the parser read: the operands in order and the options as given (a repeated option keeps
// every value).
struct ToolArgs {
  std::string command;  // "tz2 encode", for messages
  const char* usage = "";
  std::vector<std::string> operands;
  std::vector<std::pair<std::string, std::string>> options;

  bool Has(std::string_view name) const;
  // The last value given for the option; nullptr when it is absent.
  const std::string* Value(std::string_view name) const;
  std::vector<std::string> Values(std::string_view name) const;
};

struct ToolSubcommand {
  const char* name;
  int (*run)(const ToolArgs& args);
  const char* usage;  // its --help text; nullptr: the group's
  std::span<const ToolOption> options = {};
  int minOperands = 0;
  int maxOperands = -1;  // -1: no limit
};

struct ToolGroup {
  const char* name;
  const char* summary;  // one line in the program's list of commands
  const char* usage;    // the group's --help text
  std::span<const ToolSubcommand> subcommands;
};

// The program's entry: "PROGRAM GROUP SUBCOMMAND ARGS...", --help and --version.
int ToolMain(const char* program, std::span<const ToolGroup> groups, int argc, char** argv);

// `text` as it may go to a terminal: control bytes and bytes that are not UTF-8 (a damaged
// name, a Shift-JIS one) written as \xNN, everything else as it is.
std::string ToolEscape(std::string_view text);

// Prints "PROGRAM: <message>" on standard error, escaped, and answers kToolFailed.
int ToolFail(const std::string& message);
// Prints "PROGRAM: COMMAND: <message>" and the subcommand's usage on standard error; answers
// kToolUsage.
int ToolUsageError(const ToolArgs& args, const std::string& message);

// A whole argument as a decimal number in min..max; false for anything else.
bool ToolParseNumber(const char* text, int32_t min, int32_t max, int32_t& value);
// An option's value as a decimal number in min..max: true when the option is absent (`value`
// kept) or fits; false for anything else.
bool ToolOptionNumber(const ToolArgs& args, std::string_view name, int32_t min, int32_t max,
                      int32_t& value);
// A picture that did not decode: "PATH: MEANING (DECODER TEXT)" as a failure.
int ToolPictureFailure(const std::string& path, const char* meaning, const char* decoderText);

// Reads a whole file; false when it cannot be opened or read.
bool ToolReadBytes(const std::string& path, std::vector<uint8_t>& bytes);
// Writes a whole file, replacing it as one step (an interrupted run leaves the old file whole);
// false when it cannot be written.
bool ToolWriteBytes(const std::string& path, std::span<const uint8_t> bytes);
