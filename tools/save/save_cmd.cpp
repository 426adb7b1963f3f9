// lntr3tool save: looks into save files and seals and unseals them, through the engine's own
// seal.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/input.h"
#include "platform/platform.h"
#include "scenario/game_state.h"
#include "screens/save_data.h"
#include "tools/charset/charset.h"
#include "tools/common/tool.h"
#include "tools/groups.h"

namespace {

constexpr const char* kSaveUsage =
    "usage: lntr3tool save info FILE...\n"
    "       lntr3tool save unseal FILE OUT [--force]\n"
    "       lntr3tool save seal IN FILE\n"
    "\n"
    "A save file (LNTR3_00.SAV .. LNTR3_04.SAV, LNTR3_99.SAV) is the 9028-byte game state\n"
    "record, sealed: a random salt, the rest scrambled with it, and a checksum.\n"
    "  info    prints whether each file is a sound save, the five names, the date and time it\n"
    "          was saved, the play counter, the scenario and event position and the empty flag\n"
    "  unseal  writes the plain 9028-byte record; a file whose checksum does not hold is\n"
    "          refused unless --force is given\n"
    "  seal    seals a plain 9028-byte record into a save file (date and time as IN has them)\n";

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

// A name as text: characters through the charset, symbols as {sym NAME}, other codes as
// {c 0xNNNN}; empty positions are left out.
std::string NameText(const uint16_t (&name)[kNameLength]) {
  std::string text;
  for (uint16_t code : name) {
    if (code == kEmptyCode) continue;
    const char32_t c = CharsetCharacter(code);
    const std::string_view symbol = CharsetSymbol(code);
    if (c && c > 0x20 && CharsetCode(c) == code) {
      Utf8Append(text, c);
    } else if (!symbol.empty()) {
      text += "{sym " + std::string(symbol) + "}";
    } else {
      text += "{c " + Hex(code, 4) + "}";
    }
  }
  return text.empty() ? "-" : text;
}

// The seal draws its salt from the engine's random generator, which runs on the platform clock.
void StartRandom() {
  static bool started = false;
  if (started) return;
  started = true;
  PlatOptions options;
  options.backend = PlatBackendKind::Headless;
  PlatInit(options);
  RandomSeed = static_cast<uint16_t>(std::random_device{}());
}

void PrintInfo(const std::string& path, std::vector<uint8_t>& bytes) {
  if (bytes.size() != kGameStateSize) {
    std::printf("%s: not a save: %zu bytes, a save holds %zu\n", path.c_str(), bytes.size(),
                kGameStateSize);
    return;
  }
  const bool sound = SaveUnseal(bytes.data());
  GameState state;
  std::memcpy(&state, bytes.data(), kGameStateSize);
  std::printf("%s: %s\n", path.c_str(),
              sound ? "sound save (9028 bytes, checksum holds)"
                    : "damaged save: the checksum does not hold (the game takes it for empty)");
  std::string names;
  for (int part = 0; part < kNameCount; part++) {
    if (part) names += " / ";
    names += NameText(state.nameArrays[part]);
  }
  const uint8_t* v = state.vars;
  std::printf("  names: %s\n", names.c_str());
  std::printf("  saved: %04d-%02d-%02d %02d:%02d:%02d\n",
              v[kVarSaveYear] | v[kVarSaveYear + 1] << 8, v[kVarSaveYear + 2], v[kVarSaveYear + 3],
              v[kVarSaveYear + 4], v[kVarSaveYear + 5], v[kVarSaveYear + 6]);
  std::printf("  play counter: %d\n", v[kVarPlayCounter]);
  std::printf("  scenario: %s, event position %s\n",
              state.currentScenario == kNoScenario ? "none" : Hex(state.currentScenario, 4).c_str(),
              Hex(state.eventPc, 4).c_str());
  std::printf("  empty slot: %s (variable 154 = %d)\n", v[kVarEmptySlot] ? "yes" : "no",
              v[kVarEmptySlot]);
}

int Info(const ToolArgs& args) {
  int status = kToolOk;
  for (const std::string& path : args.operands) {
    std::vector<uint8_t> bytes;
    if (!ToolReadBytes(path, bytes)) {
      ToolFail("cannot read " + path);
      status = kToolFailed;
      continue;
    }
    PrintInfo(path, bytes);
  }
  return status;
}

bool ReadRecord(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
  if (!ToolReadBytes(path, bytes)) {
    problem = "cannot read " + path;
    return false;
  }
  if (bytes.size() != kGameStateSize) {
    problem = path + ": " + std::to_string(bytes.size()) + " bytes, a save holds " +
              std::to_string(kGameStateSize);
    return false;
  }
  return true;
}

int Unseal(const ToolArgs& args) {
  const std::string &in = args.operands[0], &out = args.operands[1];
  std::vector<uint8_t> bytes;
  std::string problem;
  if (!ReadRecord(in, bytes, problem)) return ToolFail(problem);
  if (!SaveUnseal(bytes.data()) && !args.Has("--force")) {
    return ToolFail(in + ": the checksum does not hold (a damaged save); --force writes it anyway");
  }
  if (!ToolWriteBytes(out, bytes)) return ToolFail("cannot write " + out);
  return kToolOk;
}

int Seal(const ToolArgs& args) {
  const std::string &in = args.operands[0], &out = args.operands[1];
  std::vector<uint8_t> bytes;
  std::string problem;
  if (!ReadRecord(in, bytes, problem)) return ToolFail(problem);
  StartRandom();
  SaveSeal(bytes.data());
  if (!ToolWriteBytes(out, bytes)) return ToolFail("cannot write " + out);
  return kToolOk;
}

constexpr ToolOption kUnsealOptions[] = {{"--force"}};

const ToolSubcommand kSaveCommands[] = {
    {"info", Info, nullptr, {}, 1},
    {"unseal", Unseal, nullptr, kUnsealOptions, 2, 2},
    {"seal", Seal, nullptr, {}, 2, 2},
};

}  // namespace

const ToolGroup kSaveGroup = {"save", "look into, seal and unseal save files", kSaveUsage,
                              kSaveCommands};
