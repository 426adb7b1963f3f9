// Plain files of the data directory. Loads read whole files into memory blocks; saves overlay
// the old contents and replace the file in one step so that a save is never torn.
#include "resources/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "platform/atomic_file.h"
#include "platform/platform.h"
#include "resources/sjis.h"
#include "resources/text_format.h"

namespace {

// [SECTION] Host helpers

// Host file names are UTF-8; the engine's are Shift-JIS (in practice plain ASCII).
std::string HostName(const char* name) {
  std::string_view view(name ? name : "");
  for (char c : view) {
    if (static_cast<uint8_t>(c) >= 0x80) return PlatSjisToUtf8(view);
  }
  return std::string(view);
}

// ASCII-only folding: UTF-8 bytes of other characters never equal an ASCII letter.
bool SameIgnoringCase(const char* a, const char* b) {
  for (; *a && *b; a++, b++) {
    char x = *a, y = *b;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return *a == *b;
}

// Opens a regular file for reading; -1 for anything else (missing, a directory, no right).
int OpenRegular(const std::string& path, struct stat* info) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat local;
  if (!info) info = &local;
  if (fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

bool ReadAll(int fd, uint8_t* dest, size_t count) {
  while (count > 0) {
    ssize_t got = read(fd, dest, count);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    dest += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

// [SECTION] Public

[[noreturn]] void FileFatal(const char* utf8Format, const char* sjisArg, const char* sjisAbout) {
  char message[512];
  FormatText(message, Sjis(utf8Format), {sjisArg ? sjisArg : ""});
  std::string text = message;
  if (sjisAbout) text += std::string("\n") + sjisAbout;
  ExitGame(text.c_str());
}

std::string DataPath(const char* name) {
  const std::string hostName = HostName(name);
  std::string joined = DataDir;
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += hostName;
  struct stat info;
  if (lstat(joined.c_str(), &info) == 0) return joined;
  if (hostName.empty() || hostName.find('/') != std::string::npos) return joined;

  // The data may come from a case-insensitive medium: accept any letter case. Among several
  // candidates the smallest name wins, so the choice does not depend on directory order.
  DIR* dir = opendir(DataDir.empty() ? "." : DataDir.c_str());
  if (!dir) return joined;
  std::string best;
  while (const dirent* entry = readdir(dir)) {
    if (!SameIgnoringCase(entry->d_name, hostName.c_str())) continue;
    if (best.empty() || std::strcmp(entry->d_name, best.c_str()) < 0) best = entry->d_name;
  }
  closedir(dir);
  if (best.empty()) return joined;
  return joined.substr(0, joined.size() - hostName.size()) + best;
}

MemHandle FileLoad(const char* name, uint32_t* size) {
  struct stat info;
  int fd = OpenRegular(DataPath(name), &info);
  if (fd < 0) FileFatal("ファイルが開けません : %s", name);
  if (static_cast<uint64_t>(info.st_size) > UINT32_MAX) {
    close(fd);
    FileFatal("メモリ不足です : %s", name);
  }
  const auto length = static_cast<uint32_t>(info.st_size);
  MemHandle block = MemAlloc(length, name);
  if (block == 0) {
    close(fd);
    FileFatal("メモリ不足です : %s", name);
  }
  const bool ok = ReadAll(fd, MemLock(block), length);
  close(fd);
  MemUnlock(block);
  if (!ok) {
    MemFree(block);
    FileFatal("ファイルの読み込みに失敗しました。", nullptr, name);
  }
  if (size) *size = length;
  return block;
}

bool FileSave(const char* name, const void* bytes, uint32_t count) {
  const std::string path = DataPath(name);
  // The old contents stay behind the new bytes, as a write without truncation leaves them.
  std::vector<uint8_t> contents;
  struct stat info;
  const bool existed = stat(path.c_str(), &info) == 0;
  if (!existed && errno != ENOENT) FileFatal("ファイルが開けません : %s", name);
  if (existed) {
    int fd = OpenRegular(path, &info);
    if (fd < 0) FileFatal("ファイルが開けません : %s", name);
    contents.resize(static_cast<size_t>(info.st_size));
    const bool ok = ReadAll(fd, contents.data(), contents.size());
    close(fd);
    if (!ok) FileFatal("ファイルが開けません : %s", name);
  }
  if (contents.size() < count) contents.resize(count);
  if (count > 0) std::memcpy(contents.data(), bytes, count);
  if (!AtomicFileWrite(path, contents)) FileFatal("ファイルが開けません : %s", name);
  return true;
}

bool FileExists(const char* name) {
  int fd = OpenRegular(DataPath(name), nullptr);
  if (fd < 0) return false;
  close(fd);
  return true;
}
