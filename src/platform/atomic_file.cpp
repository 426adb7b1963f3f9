// Files written in one step: temporary file beside the target, flush, rename, flush the folder.
#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// The temporary file of a write of "NAME" is ".NAME.XXXXXX.tmp" in the same folder: hidden,
// and recognisable afterwards by what it is for.
constexpr const char* kTempSuffix = ".tmp";
constexpr size_t kTempRandom = 6;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty() || folder == "." || folder == "/") return true;
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const size_t slash = folder.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) {
    return false;
  }
  // Folders the game makes for itself (its settings, its saves) are private to the user.
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const ssize_t put = write(fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    bytes += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

// Creates the temporary file ".NAME.XXXXXX.tmp" beside the target with `mode` (the umask
// applies, as for any new file). -1 when none can be made.
int CreateTemporary(const std::string& folder, const std::string& base, mode_t mode,
                    std::string& temp) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  static uint64_t counter = 0;
  for (int attempt = 0; attempt < 100; attempt++) {
    uint64_t seed = (static_cast<uint64_t>(getpid()) << 32) ^ ++counter * 0x9E3779B97F4A7C15ull;
    std::string random(kTempRandom, 'x');
    for (char& c : random) {
      c = kLetters[seed % (sizeof kLetters - 1)];
      seed /= sizeof kLetters - 1;
    }
    temp = folder + "/." + base + "." + random + kTempSuffix;
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

bool Fail(std::string* error, const std::string& path, int reason) {
  if (error) *error = "cannot write " + path + ": " + std::strerror(reason);
  errno = reason;
  return false;
}

}  // namespace

bool AtomicFileWriteWith(const std::string& requested,
                         const std::function<bool(const AtomicFileSink& sink)>& produce,
                         const AtomicFileOptions& options, std::string* error) {
  std::string path = requested;
  struct stat info {};
  // Writing through a link replaces the file it names, as writing in place would.
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    if (char* resolved = realpath(path.c_str(), nullptr)) {
      path = resolved;
      std::free(resolved);
    }
  }
  const std::string folder = FolderOf(path);
  if (options.makeFolders && !MakeFolders(folder)) return Fail(error, requested, errno);
  // A file that exists keeps its permission bits; a new one gets those asked for.
  const bool existed = stat(path.c_str(), &info) == 0;
  const mode_t newMode = options.newMode >= 0 ? static_cast<mode_t>(options.newMode) : 0666;
  std::string temp;
  const int fd = CreateTemporary(folder, BaseOf(path), existed ? 0600 : newMode, temp);
  if (fd < 0) return Fail(error, requested, errno);
  int reason = 0;
  const AtomicFileSink sink = [&](const void* data, size_t size) {
    if (reason) return false;
    if (!WriteAll(fd, data, size)) reason = errno ? errno : EIO;
    return reason == 0;
  };
  bool ok = true;
  // Each step runs only after the ones before it went well; the first failure's reason stays.
  const auto step = [&](bool done) {
    if (!done && ok) {
      ok = false;
      if (!reason) reason = errno ? errno : EIO;
    }
  };
  if (existed) step(fchmod(fd, info.st_mode & 07777) == 0);
  if (ok && !produce(sink)) {
    if (!reason) reason = ECANCELED;  // the producer gave up on its own
    step(false);
  }
  if (ok) step(fsync(fd) == 0);
  step(close(fd) == 0);
  if (ok) step(rename(temp.c_str(), path.c_str()) == 0);
  if (!ok) {
    unlink(temp.c_str());
    return Fail(error, requested, reason);
  }
  // The rename itself reaches the disk with the folder; some file systems refuse to sync one.
  if (const int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

bool AtomicFileWrite(const std::string& path, std::span<const uint8_t> bytes,
                     const AtomicFileOptions& options, std::string* error) {
  return AtomicFileWriteWith(
      path, [&](const AtomicFileSink& sink) { return sink(bytes.data(), bytes.size()); }, options,
      error);
}

void AtomicFileRemoveStale(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string prefix = "." + BaseOf(path) + ".";
  const size_t length = prefix.size() + kTempRandom + std::strlen(kTempSuffix);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() == length && name.compare(0, prefix.size(), prefix) == 0 &&
        name.compare(length - std::strlen(kTempSuffix), std::string::npos, kTempSuffix) == 0) {
      unlink((folder + "/" + name).c_str());
    }
  }
  closedir(dir);
}
