// lntr3tool pack: builds, lists and unpacks PACK archives through the engine's own archive
// code. Damaged archives are reported here in one line instead of reaching the engine's fatal path.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "resources/pack.h"
#include "tools/common/tool.h"
#include "tools/groups.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPackUsage =
    "usage: lntr3tool pack create OUT.PAK FILE...\n"
    "       lntr3tool pack list PAK\n"
    "       lntr3tool pack extract PAK DIR [NAME...]\n"
    "\n'lntr3tool pack SUBCOMMAND --help' describes a subcommand.\n";
constexpr const char* kCreateUsage =
    "usage: lntr3tool pack create OUT.PAK FILE...\n"
    "Writes a scrambled, sorted PACK archive holding the given files. Each entry is named after\n"
    "its file's base name, which must be an 8.3 name (stored in upper case).\n";
constexpr const char* kListUsage =
    "usage: lntr3tool pack list PAK\n"
    "Prints one line per entry in index order: name, offset and size in bytes.\n";
constexpr const char* kExtractUsage =
    "usage: lntr3tool pack extract PAK DIR [NAME...]\n"
    "Writes the unscrambled entries (all, or only the NAMEs, in any case) into DIR, which is\n"
    "created when missing.\n";

// An archive's index, checked so far that every entry lies inside the file.
struct ToolArchive {
  std::string path;
  std::vector<PackRecord> records;
  uint64_t fileSize = 0;
};

// Reads and checks the index; false after printing why.
bool LoadArchive(const std::string& path, ToolArchive& archive) {
  std::vector<uint8_t> index;
  uint16_t count = 0;
  archive.path = path;
  switch (PackReadIndex(path, index, count, archive.fileSize)) {
    case PackIndexResult::CannotOpen:
      ToolFail("cannot open " + path);
      return false;
    case PackIndexResult::NotArchive:
      ToolFail(path + " is not a PACK archive (no TAZUPACK magic)");
      return false;
    case PackIndexResult::BadIndex:
      ToolFail(path + ": an index of " + std::to_string(count) + " entries does not fit in " +
               std::to_string(archive.fileSize) + " bytes");
      return false;
    case PackIndexResult::Ok:
      break;
  }
  if (const int32_t damaged = PackFirstDamagedRecord(index, count); damaged >= 0) {
    ToolFail(path + ": damaged index: entry " + std::to_string(damaged) + " ('" +
             PackKeyName(PackRecordAt(index, static_cast<uint32_t>(damaged)).key) +
             "') has no usable name");
    return false;
  }
  for (uint32_t i = 0; i < count; i++) {
    PackRecord record = PackRecordAt(index, i);
    if (uint64_t{record.offset} + record.size > archive.fileSize) {
      ToolFail(path + ": entry " + std::to_string(i) + " ('" + PackKeyName(record.key) +
               "') lies beyond the end of the file");
      return false;
    }
    archive.records.push_back(record);
  }
  return true;
}

bool ReadEntry(const ToolArchive& archive, const PackRecord& record, std::vector<uint8_t>& bytes) {
  std::ifstream in(archive.path, std::ios::binary);
  bytes.assign(record.size, 0);
  in.seekg(record.offset);
  in.read(reinterpret_cast<char*>(bytes.data()), record.size);
  if (!in) return false;
  PackUnscramble(bytes);
  return true;
}

int Create(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  std::vector<std::vector<uint8_t>> contents(files.size() - 1);
  std::vector<PackWriteEntry> entries;
  for (size_t i = 1; i < files.size(); i++) {
    const std::string name = fs::path(files[i]).filename().string();
    if (!PackIsValidName(name)) {
      return ToolFail(files[i] + ": '" + name +
                      "' is not an 8.3 name (1-8 characters, optionally a dot and 1-3 more)");
    }
    std::vector<uint8_t>& bytes = contents[i - 1];
    if (!ToolReadBytes(files[i], bytes)) return ToolFail("cannot read " + files[i]);
    entries.push_back(PackWriteEntry{name, bytes});
  }
  // Two files stored under one name: the inputs are at fault, so they are named.
  for (size_t i = 0; i < entries.size(); i++) {
    for (size_t k = 0; k < i; k++) {
      char a[12], b[12];
      PackMakeKey(entries[i].name.c_str(), a);
      PackMakeKey(entries[k].name.c_str(), b);
      if (PackCompareKeys(a, b) == 0) {
        return ToolFail(files[k + 1] + " and " + files[i + 1] + " would both be stored as " +
                        PackKeyName(a));
      }
    }
  }
  std::string error;
  if (!PackWrite(files[0], entries, &error)) {
    // What is left is about the archive being written.
    return ToolFail(error.rfind("cannot write ", 0) == 0 ? error : files[0] + ": " + error);
  }
  return 0;
}

int List(const ToolArgs& args) {
  ToolArchive archive;
  if (!LoadArchive(args.operands[0], archive)) return 1;
  for (const PackRecord& record : archive.records) {
    std::printf("%-12s %10u %10u\n", ToolEscape(PackKeyName(record.key)).c_str(), record.offset,
                record.size);
  }
  return 0;
}

int Extract(const ToolArgs& args) {
  ToolArchive archive;
  if (!LoadArchive(args.operands[0], archive)) return 1;
  const std::string& folder = args.operands[1];

  // Everything asked for is found before anything is written.
  std::vector<const PackRecord*> chosen;
  if (args.operands.size() == 2) {
    for (const PackRecord& record : archive.records) chosen.push_back(&record);
  }
  for (size_t i = 2; i < args.operands.size(); i++) {
    const std::string& wanted = args.operands[i];
    char key[12];
    PackMakeKey(wanted.c_str(), key);
    const PackRecord* match = nullptr;
    for (const PackRecord& record : archive.records) {
      if (PackCompareKeys(record.key, key) == 0) {
        match = &record;
        break;
      }
    }
    if (!match) return ToolFail(wanted + " is not in " + archive.path);
    chosen.push_back(match);
  }
  for (const PackRecord* record : chosen) {
    // The name becomes a file name: refuse anything that could leave the directory.
    if (!PackIsValidName(PackKeyName(record->key))) {
      return ToolFail(archive.path + ": an entry has the unusable name '" +
                      PackKeyName(record->key) + "'");
    }
  }

  std::error_code code;
  fs::create_directories(folder, code);
  if (code) return ToolFail("cannot create " + folder + ": " + code.message());
  std::vector<uint8_t> bytes;
  for (const PackRecord* record : chosen) {
    const std::string name = PackKeyName(record->key);
    if (!ReadEntry(archive, *record, bytes)) {
      return ToolFail("cannot read " + name + " from " + archive.path);
    }
    const std::string out = (fs::path(folder) / name).string();
    if (!ToolWriteBytes(out, bytes)) return ToolFail("cannot write " + out);
  }
  return 0;
}

const ToolSubcommand kPackCommands[] = {
    {"create", Create, kCreateUsage, {}, 1},
    {"list", List, kListUsage, {}, 1, 1},
    {"extract", Extract, kExtractUsage, {}, 2},
};

}  // namespace

const ToolGroup kPackGroup = {"pack", "create, list and extract PACK archives", kPackUsage,
                              kPackCommands};
