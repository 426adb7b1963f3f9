// PACK archives: the two scrambled archives of the data directory, their in-memory indexes,
// entry loads (a loose file of the same name wins) and the writer the toolchain builds them with.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "resources/memory.h"

// Archive selectors.
constexpr int kPackData = 0;      // pictures, palettes, fonts, sound
constexpr int kPackScenario = 1;  // scenario files
constexpr int kPackArchives = 2;
inline constexpr const char* kPackFileNames[kPackArchives] = {"LNTR3DAT.PAK", "LNTR3SCN.PAK"};
inline constexpr const char* kPackIndexLabels[kPackArchives] = {"PACK FILE INDEX",
                                                                "SCN FILE INDEX"};

// File layout: magic, 16-bit entry count, entry contents, then the index at the very end.
inline constexpr char kPackMagic[8] = {'T', 'A', 'Z', 'U', 'P', 'A', 'C', 'K'};
constexpr uint32_t kPackHeaderSize = 10;
constexpr uint32_t kPackRecordSize = 24;  // key[11], unused, offset u32, size u32, unused u32
constexpr uint32_t kPackKeyLength = 11;
constexpr uint32_t kPackReadAlign = 4096;

// The open archives. Filled by PackOpen at start-up, released by PackClose at shutdown.
struct PackArchive {
  MemHandle index;  // unscrambled records, byte 11 of each set to 0; unlocked between lookups
  uint16_t count;
};
struct PackState {
  PackArchive archives[kPackArchives];
};
extern PackState Pack;

// [SECTION] Engine

// Reads both archive indexes from the data directory. True; fatal when an archive is missing
// ("ファイルが開けません"), not an archive, or its index does not fit or holds records whose keys
// are no names ("ファイルが違います").
bool PackOpen();
// Releases both indexes.
void PackClose();
// Loads the entry `name` (8.3, any case): the loose file of that name when one exists, else
// the entry of archive `archive` (kPackScenario selects the scenario archive, anything else the
// data archive), unscrambled. The block is unlocked, owned by the caller, and may run on past
// `size` (reads end on a 4096-byte boundary of the archive). Fatal when the name is in neither
// place, the archive cannot be read, or the entry does not lie inside the archive file; each
// such message names the archive and the entry on a second line ("LNTR3DAT.PAK : NAME").
MemHandle PackLoad(const char* name, uint32_t* size, int archive = kPackData);

// [SECTION] Format helpers (engine and toolchain)

// Adds (scramble) or subtracts (unscramble) key byte (startIndex + i) mod 11 to byte i.
void PackScramble(std::span<uint8_t> bytes, uint32_t startIndex = 0);
void PackUnscramble(std::span<uint8_t> bytes, uint32_t startIndex = 0);
// The 11-character index key of a name ("s01d.tz2" -> "S01D    TZ2"), zero byte at key[11].
void PackMakeKey(const char* name, char key[12]);
// Compares two 11-byte keys byte by byte as signed bytes: <0, 0 or >0.
int PackCompareKeys(const char* a, const char* b);
// The file name a key stands for ("S01D    TZ2" -> "S01D.TZ2").
std::string PackKeyName(const char* key);
// Whether a name can be stored: 1-8 characters, optionally a dot and 1-3 more, printable ASCII
// without blanks, dots elsewhere or path and wildcard characters.
bool PackIsValidName(std::string_view name);

// One record of an unscrambled index.
struct PackRecord {
  char key[12];  // 11 characters and a zero byte
  uint32_t offset;
  uint32_t size;
};
// Record `i` of an unscrambled index (the caller keeps i below the record count).
PackRecord PackRecordAt(std::span<const uint8_t> index, uint32_t i);

// The first record of an unscrambled index whose key cannot be a name (a control byte, or a
// blank first character): the mark of an index scrambled with another key or damaged. -1 when
// every key is plausible.
int32_t PackFirstDamagedRecord(std::span<const uint8_t> index, uint16_t count);

enum class PackIndexResult { Ok, CannotOpen, NotArchive, BadIndex };
// Reads the header and the index of the archive at host path `path`: `index` gets the
// unscrambled records (byte 11 of each set to 0), `count` their number, `fileSize` the size of
// the archive. NotArchive: no "TAZUPACK" magic; BadIndex: the index does not fit between the
// header and the end of the file. Entry offsets and sizes are not checked here.
PackIndexResult PackReadIndex(const std::string& path, std::vector<uint8_t>& index, uint16_t& count,
                              uint64_t& fileSize);

// One entry to write: its 8.3 name and plain contents.
struct PackWriteEntry {
  std::string name;
  std::span<const uint8_t> data;
};
// Writes an archive to host path `path`: contents and index sorted by key, both scrambled.
// False with a reason in `error` (bad or duplicate name, too many entries, too large, I/O);
// the file is replaced only once the whole archive is written, so a failure leaves it as it was.
bool PackWrite(const std::string& path, std::span<const PackWriteEntry> entries,
               std::string* error);
