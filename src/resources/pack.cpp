// PACK archives: index loading and lookup, entry loads with their 4096-byte rounded reads, and
// the archive writer. Every offset and size from a file is checked against the file first.
#include "resources/pack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>

#include "platform/atomic_file.h"
#include "platform/platform.h"
#include "resources/files.h"
#include "resources/text_format.h"

PackState Pack;

namespace {

// [SECTION] Bytes

constexpr std::array<uint8_t, kPackKeyLength> kScrambleKey = {0x4E, 0x27, 0xB9, 0x0C, 0x73, 0xE5,
                                                              0x1A, 0x98, 0xD2, 0x36, 0xAF};

uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void WriteLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
void WriteLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// Reads up to `count` bytes at `offset`; answers the bytes read (short only at the end of the
// file) or -1 on an error.
int64_t ReadAt(int fd, uint8_t* dest, uint64_t count, uint64_t offset) {
  uint64_t done = 0;
  while (done < count) {
    ssize_t got = pread(fd, dest + done, count - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<uint64_t>(got);
  }
  return static_cast<int64_t>(done);
}

const char* KeyAt(const uint8_t* index, uint32_t i) {
  return reinterpret_cast<const char*>(index + static_cast<size_t>(i) * kPackRecordSize);
}

// Binary search first; an index that is not sorted is still searched record by record.
int32_t FindRecord(const uint8_t* index, uint16_t count, const char* key) {
  uint32_t low = 0, high = count;
  while (low < high) {
    uint32_t middle = (low + high) / 2;
    int order = PackCompareKeys(KeyAt(index, middle), key);
    if (order == 0) return static_cast<int32_t>(middle);
    if (order > 0) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  for (uint32_t i = 0; i < count; i++) {
    if (PackCompareKeys(KeyAt(index, i), key) == 0) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace

// [SECTION] Format helpers

void PackScramble(std::span<uint8_t> bytes, uint32_t startIndex) {
  uint32_t k = startIndex % kPackKeyLength;
  for (uint8_t& b : bytes) {
    b = static_cast<uint8_t>(b + kScrambleKey[k]);
    if (++k == kPackKeyLength) k = 0;
  }
}

void PackUnscramble(std::span<uint8_t> bytes, uint32_t startIndex) {
  uint32_t k = startIndex % kPackKeyLength;
  for (uint8_t& b : bytes) {
    b = static_cast<uint8_t>(b - kScrambleKey[k]);
    if (++k == kPackKeyLength) k = 0;
  }
}

void PackMakeKey(const char* name, char key[12]) {
  std::memset(key, ' ', kPackKeyLength);
  key[kPackKeyLength] = 0;
  uint32_t pos = 0;
  for (const char* p = name; *p && pos < kPackKeyLength; p++) {
    if (*p == '.') {
      pos = 8;
      continue;
    }
    key[pos++] = (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 32) : *p;
  }
}

int PackCompareKeys(const char* a, const char* b) {
  for (uint32_t i = 0; i < kPackKeyLength; i++) {
    auto x = static_cast<int8_t>(a[i]), y = static_cast<int8_t>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

std::string PackKeyName(const char* key) {
  std::string base(key, 8), ext(key + 8, 3);
  base.erase(base.find_last_not_of(' ') + 1);
  ext.erase(ext.find_last_not_of(' ') + 1);
  return ext.empty() ? base : base + "." + ext;
}

bool PackIsValidName(std::string_view name) {
  size_t dot = name.find('.');
  std::string_view base = name.substr(0, dot);
  std::string_view ext = dot == std::string_view::npos ? "" : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dot != std::string_view::npos && ext.empty()) return false;
  for (std::string_view part : {base, ext}) {
    for (char c : part) {
      if (c <= ' ' || c >= 0x7F || std::strchr("./\\:*?\"<>|", c)) return false;
    }
  }
  return true;
}

PackRecord PackRecordAt(std::span<const uint8_t> index, uint32_t i) {
  PackRecord record;
  const uint8_t* p = index.data() + static_cast<size_t>(i) * kPackRecordSize;
  std::memcpy(record.key, p, kPackKeyLength);
  record.key[kPackKeyLength] = 0;
  record.offset = ReadLe32(p + 12);
  record.size = ReadLe32(p + 16);
  return record;
}

int32_t PackFirstDamagedRecord(std::span<const uint8_t> index, uint16_t count) {
  for (uint32_t i = 0; i < count && (i + 1) * size_t{kPackRecordSize} <= index.size(); i++) {
    const char* key = KeyAt(index.data(), i);
    // A writer pads names with blanks: no name starts with one, and none holds a control byte.
    bool damaged = key[0] == ' ';
    for (uint32_t k = 0; k < kPackKeyLength; k++) {
      const auto c = static_cast<uint8_t>(key[k]);
      damaged = damaged || c < 0x20 || c == 0x7F;
    }
    if (damaged) return static_cast<int32_t>(i);
  }
  return -1;
}

PackIndexResult PackReadIndex(const std::string& path, std::vector<uint8_t>& index, uint16_t& count,
                              uint64_t& fileSize) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info;
  if (fd < 0) return PackIndexResult::CannotOpen;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return PackIndexResult::CannotOpen;
  }
  fileSize = static_cast<uint64_t>(info.st_size);
  uint8_t header[kPackHeaderSize];
  if (ReadAt(fd, header, kPackHeaderSize, 0) != kPackHeaderSize ||
      std::memcmp(header, kPackMagic, sizeof kPackMagic) != 0) {
    close(fd);
    return PackIndexResult::NotArchive;
  }
  count = ReadLe16(header + 8);
  const uint64_t indexSize = uint64_t{count} * kPackRecordSize;
  if (kPackHeaderSize + indexSize > fileSize) {
    close(fd);
    return PackIndexResult::BadIndex;
  }
  index.assign(indexSize, 0);
  const int64_t got = ReadAt(fd, index.data(), indexSize, fileSize - indexSize);
  close(fd);
  if (got != static_cast<int64_t>(indexSize)) return PackIndexResult::BadIndex;
  PackUnscramble(index);
  for (uint32_t i = 0; i < count; i++) index[i * kPackRecordSize + kPackKeyLength] = 0;
  return PackIndexResult::Ok;
}

// [SECTION] Engine

bool PackOpen() {
  for (int a = 0; a < kPackArchives; a++) {
    const std::string path = DataPath(kPackFileNames[a]);
    const std::string sjisPath = PlatUtf8ToSjis(path);
    std::vector<uint8_t> index;
    uint16_t count = 0;
    uint64_t fileSize = 0;
    switch (PackReadIndex(path, index, count, fileSize)) {
      case PackIndexResult::CannotOpen:
        FileFatal("ファイルが開けません : %s", sjisPath.c_str());
      case PackIndexResult::NotArchive:
      case PackIndexResult::BadIndex:
        FileFatal("ファイルが違います : %s", sjisPath.c_str());
      case PackIndexResult::Ok:
        break;
    }
    // An index whose names are not names was scrambled wrongly or damaged: every lookup in it
    // would end as a missing file, so the archive is reported as the wrong file instead.
    if (PackFirstDamagedRecord(index, count) >= 0) {
      FileFatal("ファイルが違います : %s", sjisPath.c_str());
    }
    MemRelease(&Pack.archives[a].index);
    MemHandle block = MemAlloc(static_cast<uint32_t>(index.size()), kPackIndexLabels[a]);
    if (block == 0) FileFatal("メモリ不足です : %s", kPackFileNames[a]);
    std::copy(index.begin(), index.end(), MemLock(block));
    MemUnlock(block);
    Pack.archives[a] = PackArchive{block, count};
  }
  return true;
}

void PackClose() {
  for (PackArchive& archive : Pack.archives) {
    MemRelease(&archive.index);
    archive.count = 0;
  }
}

MemHandle PackLoad(const char* name, uint32_t* size, int archive) {
  if (FileExists(name)) return FileLoad(name, size);

  const int a = archive == kPackData ? kPackData : kPackScenario;
  // Every fault of an archive entry names the archive and the entry.
  const std::string about = std::string(kPackFileNames[a]) + " : " + name;
  char key[12];
  PackMakeKey(name, key);
  const PackArchive& opened = Pack.archives[a];
  const uint8_t* index = opened.index ? MemLock(opened.index) : nullptr;
  const int32_t found = index ? FindRecord(index, opened.count, key) : -1;
  if (found < 0) {
    if (index) MemUnlock(opened.index);
    FileFatal("ファイルが見つかりません[PACK] : %s", name, about.c_str());
  }
  const PackRecord record =
      PackRecordAt({index, size_t{opened.count} * kPackRecordSize}, static_cast<uint32_t>(found));
  MemUnlock(opened.index);

  // Reads end on the first 4096-byte boundary of the archive after the contents.
  const uint64_t end = uint64_t{record.offset} + record.size;
  const uint64_t readSize = uint64_t{record.size} + kPackReadAlign - end % kPackReadAlign;

  int fd = open(DataPath(kPackFileNames[a]).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) FileFatal("ファイルが開けません : %s", kPackFileNames[a], about.c_str());
  struct stat info;
  if (fstat(fd, &info) != 0) {
    close(fd);
    FileFatal("ファイルの読み込みに失敗しました。", nullptr, about.c_str());
  }
  // An entry must lie inside the archive: a damaged index never makes us read or allocate
  // beyond what the file holds.
  if (end > static_cast<uint64_t>(info.st_size) || readSize > UINT32_MAX) {
    close(fd);
    FileFatal("ファイルの読み込みにサイズが異常です。", nullptr, about.c_str());
  }

  MemHandle block = MemAlloc(static_cast<uint32_t>(readSize), FormatText("pk:%s", {name}).c_str());
  if (block == 0) {
    close(fd);
    FileFatal("メモリ不足です : %s", name, about.c_str());
  }
  uint8_t* data = MemLock(block);
  const int64_t got = ReadAt(fd, data, readSize, record.offset);
  close(fd);
  if (got < 0 || got < int64_t{record.size}) {
    MemUnlock(block);
    MemFree(block);
    FileFatal(
        got < 0 ? "ファイルの読み込みに失敗しました。" : "ファイルの読み込みにサイズが異常です。",
        nullptr, about.c_str());
  }
  PackUnscramble({data, record.size});
  MemUnlock(block);
  if (size) *size = record.size;
  return block;
}

// [SECTION] Writer

bool PackWrite(const std::string& path, std::span<const PackWriteEntry> entries,
               std::string* error) {
  auto fail = [&](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  if (entries.size() > UINT16_MAX) return fail("too many entries (at most 65535)");

  std::vector<std::array<char, 12>> keys(entries.size());
  for (size_t i = 0; i < entries.size(); i++) {
    if (!PackIsValidName(entries[i].name)) {
      return fail("'" + entries[i].name + "' is not an 8.3 file name");
    }
    PackMakeKey(entries[i].name.c_str(), keys[i].data());
  }
  std::vector<size_t> order(entries.size());
  std::iota(order.begin(), order.end(), 0);
  std::sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    return PackCompareKeys(keys[x].data(), keys[y].data()) < 0;
  });
  for (size_t i = 1; i < order.size(); i++) {
    if (PackCompareKeys(keys[order[i - 1]].data(), keys[order[i]].data()) == 0) {
      return fail("'" + entries[order[i - 1]].name + "' and '" + entries[order[i]].name +
                  "' are the same name");
    }
  }

  // Contents follow the header in key order; the index closes the file.
  std::vector<uint8_t> index(entries.size() * kPackRecordSize, 0);
  uint64_t offset = kPackHeaderSize;
  for (size_t i = 0; i < order.size(); i++) {
    const PackWriteEntry& entry = entries[order[i]];
    if (offset + entry.data.size() > UINT32_MAX) return fail("archive larger than 4 GiB");
    uint8_t* record = index.data() + i * kPackRecordSize;
    std::memcpy(record, keys[order[i]].data(), kPackKeyLength);
    WriteLe32(record + 12, static_cast<uint32_t>(offset));
    WriteLe32(record + 16, static_cast<uint32_t>(entry.data.size()));
    offset += entry.data.size();
  }
  PackScramble(index);

  // Replaced in one step, so a failed run leaves an old archive whole.
  uint8_t header[kPackHeaderSize];
  std::memcpy(header, kPackMagic, sizeof kPackMagic);
  WriteLe16(header + 8, static_cast<uint16_t>(entries.size()));
  const auto produce = [&](const AtomicFileSink& sink) {
    if (!sink(header, sizeof header)) return false;
    std::vector<uint8_t> chunk;
    for (size_t i = 0; i < order.size(); i++) {
      std::span<const uint8_t> data = entries[order[i]].data;
      for (size_t done = 0; done < data.size();) {
        const size_t n = std::min<size_t>(data.size() - done, 1 << 16);
        chunk.assign(data.begin() + done, data.begin() + done + n);
        PackScramble(chunk, static_cast<uint32_t>(done % kPackKeyLength));  // one run per entry
        if (!sink(chunk.data(), n)) return false;
        done += n;
      }
    }
    return index.empty() || sink(index.data(), index.size());
  };
  std::string reason;
  if (!AtomicFileWriteWith(path, produce, {}, &reason)) return fail(reason);
  return true;
}
