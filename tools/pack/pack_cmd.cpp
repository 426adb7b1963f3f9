// lntr3tool pack: builds, lists and unpacks PACK archives through the engine's own archive
// code. Damaged archives are reported here in one line instead of reaching the engine's fatal path.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/pack.h"
#include "tools/tool.h"

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

bool WantsHelp(int argc, char** argv) {
  for (int i = 0; i < argc; i++) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) return true;
  }
  return false;
}

int Usage(const char* text) {
  std::fputs(text, stderr);
  return 2;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

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

int Create(int argc, char** argv) {
  if (WantsHelp(argc, argv)) return std::fputs(kCreateUsage, stdout), 0;
  if (argc < 2) return Usage(kCreateUsage);
  std::vector<std::vector<uint8_t>> contents(argc - 2);
  std::vector<PackWriteEntry> entries;
  for (int i = 2; i < argc; i++) {
    const std::string name = fs::path(argv[i]).filename().string();
    if (!PackIsValidName(name)) {
      return ToolFail(std::string(argv[i]) + ": '" + name +
                      "' is not an 8.3 name (1-8 characters, optionally a dot and 1-3 more)");
    }
    std::vector<uint8_t>& bytes = contents[i - 2];
    if (!ReadFile(argv[i], bytes)) return ToolFail(std::string("cannot read ") + argv[i]);
    entries.push_back(PackWriteEntry{name, bytes});
  }
  std::string error;
  if (!PackWrite(argv[1], entries, &error)) return ToolFail(error);
  return 0;
}

int List(int argc, char** argv) {
  if (WantsHelp(argc, argv)) return std::fputs(kListUsage, stdout), 0;
  if (argc != 2) return Usage(kListUsage);
  ToolArchive archive;
  if (!LoadArchive(argv[1], archive)) return 1;
  for (const PackRecord& record : archive.records) {
    std::printf("%-12s %10u %10u\n", PackKeyName(record.key).c_str(), record.offset, record.size);
  }
  return 0;
}

int Extract(int argc, char** argv) {
  if (WantsHelp(argc, argv)) return std::fputs(kExtractUsage, stdout), 0;
  if (argc < 3) return Usage(kExtractUsage);
  ToolArchive archive;
  if (!LoadArchive(argv[1], archive)) return 1;

  // Everything asked for is found before anything is written.
  std::vector<const PackRecord*> chosen;
  if (argc == 3) {
    for (const PackRecord& record : archive.records) chosen.push_back(&record);
  }
  for (int i = 3; i < argc; i++) {
    char key[12];
    PackMakeKey(argv[i], key);
    const PackRecord* match = nullptr;
    for (const PackRecord& record : archive.records) {
      if (PackCompareKeys(record.key, key) == 0) {
        match = &record;
        break;
      }
    }
    if (!match) return ToolFail(std::string(argv[i]) + " is not in " + archive.path);
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
  fs::create_directories(argv[2], code);
  if (code) return ToolFail(std::string("cannot create ") + argv[2] + ": " + code.message());
  std::vector<uint8_t> bytes;
  for (const PackRecord* record : chosen) {
    const std::string name = PackKeyName(record->key);
    if (!ReadEntry(archive, *record, bytes)) return ToolFail("cannot read " + name);
    const std::string out = (fs::path(argv[2]) / name).string();
    if (!WriteFile(out, bytes))
      return ToolFail("cannot write " + out + ": " + std::strerror(errno));
  }
  return 0;
}

}  // namespace

int ToolPackMain(int argc, char** argv) {
  if (argc < 2) return Usage(kPackUsage);
  const char* sub = argv[1];
  if (!std::strcmp(sub, "--help") || !std::strcmp(sub, "-h")) {
    return std::fputs(kPackUsage, stdout), 0;
  }
  if (!std::strcmp(sub, "create")) return Create(argc - 1, argv + 1);
  if (!std::strcmp(sub, "list")) return List(argc - 1, argv + 1);
  if (!std::strcmp(sub, "extract")) return Extract(argc - 1, argv + 1);
  std::fprintf(stderr, "lntr3tool: pack: unknown subcommand '%s'\n", sub);
  return Usage(kPackUsage);
}
