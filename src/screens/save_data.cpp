// Save data: the seal, the slot files, the progress of slot 99 and the save folder.
#include "screens/save_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <span>

#include "app/app.h"
#include "app/input.h"
#include "platform/atomic_file.h"
#include "platform/platform.h"
#include "resources/memory.h"
#include "resources/sjis.h"
#include "scenario/game_state.h"
#include "screens/name_entry.h"

std::string SaveDir;

namespace {

constexpr size_t kChecksumAt = offsetof(GameState, checksum);
constexpr size_t kSealByteAt = offsetof(GameState, sealByte);
constexpr size_t kYearAt = offsetof(GameState, vars) + kVarSaveYear;
constexpr int kLastingFirst = kVarScratchEnd;                        // 80
constexpr int kLastingCount = kVarCollectSet + 10 - kVarScratchEnd;  // 80..139

uint32_t Sum(std::span<const uint8_t> image) {
  uint32_t sum = 0;
  for (uint8_t byte : image) sum += byte;
  return sum;
}

void PutChecksum(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; i++) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetChecksum(const uint8_t* at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; i++) value |= static_cast<uint32_t>(at[i]) << (8 * i);
  return value;
}

GameState& AsState(uint8_t* bytes) {
  return *reinterpret_cast<GameState*>(bytes);
}

// [SECTION] Boxes

}  // namespace

std::string SaveErrorReason(int error) {
  const char* words = nullptr;
  switch (error) {
    case EACCES:
    case EPERM:
      words = "アクセスが許可されていません";
      break;
    case ENOSPC:
    case EDQUOT:
      words = "ディスクの空きが足りません";
      break;
    case EROFS:
      words = "書き込みできない場所です";
      break;
    case EISDIR:
      words = "ファイルではなくフォルダです";
      break;
    case ENOTDIR:
    case ENOENT:
      words = "フォルダを作れません";
      break;
    case EIO:
      words = "ディスクの読み書きに失敗しました";
      break;
    default:
      break;
  }
  const std::string system = std::strerror(error);
  return words ? std::string(words) + " (" + system + ")" : system;
}

void SaveShowBox(const std::string& utf8Text) {
  ShowNotice(PlatUtf8ToSjis(utf8Text).c_str(), Sjis(kBoxTitle));
}

namespace {

void ReportWriteFailure(const std::string& path, int error) {
  SaveShowBox("セーブできませんでした。\n" + path + "\n" + SaveErrorReason(error) +
              "\n前のセーブデータはそのまま残っています。");
}

void ReportReadFailure(const std::string& path, int error) {
  SaveShowBox("セーブデータを読み込めませんでした。\n" + path + "\n" + SaveErrorReason(error) +
              "\nこのスロットは空として扱います。");
}

// [SECTION] Slot files

bool WriteImage(const std::string& path, const uint8_t* image, bool report) {
  AtomicFileOptions options;
  options.makeFolders = true;
  if (AtomicFileWrite(path, std::span<const uint8_t>(image, kGameStateSize), options)) return true;
  if (report) ReportWriteFailure(path, errno);
  return false;
}

// The sealed image of an empty slot: the live record's start values without variables, seen
// scenarios or history, marked finished and empty, with the default names.
void FreshImage(uint8_t* image) {
  GameState& state = AsState(image);
  std::memcpy(&state, &StartRecord(), kGameStateSize);
  std::memset(state.vars, 0, sizeof state.vars);
  state.word1F0 = 0;
  std::memset(state.scenarioSeen, 0, sizeof state.scenarioSeen);
  state.vars[kVarGameFinished] = 1;
  state.vars[kVarEmptySlot] = 1;
  for (int part = 0; part < kNameCount; part++) LoadDefaultNames(state.nameArrays[part], part);
  SaveSeal(image);
}

bool ReadAll(int fd, uint8_t* dest, size_t count) {
  while (count > 0) {
    const ssize_t got = read(fd, dest, count);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got == 0) errno = EIO;
      return false;
    }
    dest += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

// A slot file as read: a block labelled with the file's name holding the sealed image, and its
// size. A missing file is created empty first (it is used as made even when it cannot be
// written); one that cannot be read gives no block after a box.
struct SlotFile {
  MemHandle block = 0;
  uint64_t size = 0;

  uint8_t* Image() const { return block ? MemAddress(block) : nullptr; }
  // The right size and a checksum that holds; the image is then unsealed.
  bool Unseal() const { return block && size == kGameStateSize && SaveUnseal(Image()); }
  void Release() { MemRelease(&block); }
};

SlotFile ReadSlotFile(uint16_t slot) {
  const std::string path = SlotPath(slot);
  const std::string name = SlotFileName(slot);
  SlotFile file;
  // Non-blocking: a pipe put in a slot file's place must not hang the game.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 && errno == ENOENT) {
    file.block = MemAlloc(kGameStateSize, name.c_str());
    file.size = kGameStateSize;
    FreshImage(file.Image());
    WriteImage(path, file.Image(), false);
    return file;
  }
  int error = errno;
  struct stat info {};
  bool ok = fd >= 0 && fstat(fd, &info) == 0;
  if (ok && S_ISDIR(info.st_mode)) {
    ok = false;
    errno = EISDIR;
  }
  if (ok) {
    file.size = static_cast<uint64_t>(info.st_size);
    // Only a file of the right size can hold a save; the others need not be read.
    if (file.size == kGameStateSize) {
      file.block = MemAlloc(kGameStateSize, name.c_str());
      ok = ReadAll(fd, file.Image(), kGameStateSize);
    }
  }
  if (!ok) error = errno;
  if (fd >= 0) close(fd);
  if (!ok) {
    file.Release();
    file.size = 0;
    ReportReadFailure(path, error);
  }
  return file;
}

// Keeps copies of the live state, CheckpointState and SaveState in three labelled blocks and
// puts them back.
class StateCopies {
 public:
  explicit StateCopies(std::initializer_list<const char*> labels) {
    int i = 0;
    for (const char* label : labels) {
      blocks_[i] = MemAlloc(kGameStateSize, label);
      std::memcpy(MemLock(blocks_[i]), kStates[i], kGameStateSize);
      i++;
    }
  }
  ~StateCopies() {
    for (int i = 0; i < 3; i++) {
      std::memcpy(kStates[i], MemAddress(blocks_[i]), kGameStateSize);
      MemUnlock(blocks_[i]);
      MemRelease(&blocks_[i]);
    }
  }
  StateCopies(const StateCopies&) = delete;
  StateCopies& operator=(const StateCopies&) = delete;

  GameState& operator[](int i) { return AsState(MemAddress(blocks_[i])); }

  // The largest play counter of the three copies and `progress`, set in all four.
  void SharePlayCounter(GameState& progress) {
    uint8_t largest = progress.vars[kVarPlayCounter];
    for (int i = 0; i < 3; i++) largest = std::max(largest, (*this)[i].vars[kVarPlayCounter]);
    for (int i = 0; i < 3; i++) (*this)[i].vars[kVarPlayCounter] = largest;
    progress.vars[kVarPlayCounter] = largest;
  }

 private:
  static inline GameState* const kStates[3] = {&LiveState, &CheckpointState, &SaveState};
  MemHandle blocks_[3] = {};
};

// The lasting variables and seen scenarios of `from` added to those of `to`.
void MergeLasting(GameState& to, const GameState& from) {
  for (int i = 0; i < kLastingCount; i++)
    to.vars[kLastingFirst + i] |= from.vars[kLastingFirst + i];
  for (int i = 0; i < kSeenBytes; i++) to.scenarioSeen[i] |= from.scenarioSeen[i];
}

// A short stable hash of a text (FNV-1a, 32 bits).
uint32_t ShortHash(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

bool Writable(const std::string& dir) {
  struct stat info {};
  return stat(dir.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         faccessat(AT_FDCWD, dir.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace

// [SECTION] The seal

void SealRandomField(uint8_t* field, size_t count) {
  Random(1);
  for (size_t i = 0; i < count; i++) field[i] = Random(2);
}

void SealScramble(std::span<uint8_t> image, size_t saltBytes, size_t checksumAt) {
  PutChecksum(&image[checksumAt], 0);
  const uint32_t sum = Sum(image);
  for (size_t i = saltBytes; i < image.size(); i++) {
    image[i] = static_cast<uint8_t>(image[i] + image[i % saltBytes] + i);
  }
  PutChecksum(&image[checksumAt], sum);
}

bool SealUnscramble(std::span<uint8_t> image, size_t saltBytes, size_t checksumAt) {
  const uint32_t stored = GetChecksum(&image[checksumAt]);
  for (size_t i = saltBytes; i < image.size(); i++) {
    image[i] = static_cast<uint8_t>(image[i] - image[i % saltBytes] - i);
  }
  PutChecksum(&image[checksumAt], 0);
  return Sum(image) == stored;
}

void SaveSeal(uint8_t* image) {
  SealRandomField(image, kSaltBytes);
  SealRandomField(image + kSealByteAt, 1);
  SealScramble({image, kGameStateSize}, kSaltBytes, kChecksumAt);
}

bool SaveUnseal(uint8_t* image) {
  return SealUnscramble({image, kGameStateSize}, kSaltBytes, kChecksumAt);
}

// [SECTION] Slots

bool SlotSave(uint16_t slot) {
  MemHandle tmp = MemAlloc(kGameStateSize, "save tmp");
  uint8_t* image = MemLock(tmp);
  std::memcpy(image, &SaveState, kGameStateSize);
  const PlatLocalTime now = PlatGetLocalTime();
  const uint8_t stamp[7] = {static_cast<uint8_t>(now.year),  static_cast<uint8_t>(now.year >> 8),
                            static_cast<uint8_t>(now.month), static_cast<uint8_t>(now.day),
                            static_cast<uint8_t>(now.hour),  static_cast<uint8_t>(now.minute),
                            static_cast<uint8_t>(now.second)};
  std::memcpy(image + kYearAt, stamp, sizeof stamp);
  SaveSeal(image);
  const bool saved = WriteImage(SlotPath(slot), image, true);
  MemUnlock(tmp);
  MemRelease(&tmp);
  return saved;
}

bool SlotLoad(uint16_t slot) {
  SlotFile file = ReadSlotFile(slot);

  CheckpointValid = 0;
  std::memset(ScriptVars, 0, kScriptVarCount);
  LiveState.word1F0 = 0;
  std::memset(ScenarioSeen, 0, kSeenBytes);
  HistoryCount = 0;
  FilterMode = 0;
  LiveState.word400 = 0;
  LiveState.currentMusic = 255;

  if (!file.Unseal()) {
    file.Release();
    return false;
  }
  const GameState& saved = AsState(file.Image());
  for (GameState* state : {&LiveState, &CheckpointState, &SaveState}) {
    std::memcpy(state->nameArrays, saved.nameArrays, sizeof saved.nameArrays);
  }
  if (saved.vars[kVarEmptySlot] != 0 && slot != kProgressSlot) {
    file.Release();
    return false;
  }
  std::memcpy(&CheckpointState, &saved, kGameStateSize);
  std::memcpy(&SaveState, &saved, kGameStateSize);
  file.Release();
  return true;
}

void SlotReadInfo(uint16_t slot, SlotInfo& info) {
  SlotFile file = ReadSlotFile(slot);
  // A copy of the image: the block's address is beyond what the compiler can follow.
  GameState saved;
  const bool sound = file.Unseal();
  if (sound) std::memcpy(&saved, file.Image(), kGameStateSize);
  if (sound && saved.vars[kVarEmptySlot] == 0) {
    std::copy_n(saved.nameArrays[kNameFriendly], kNameLength, info.name);
    info.year = static_cast<uint16_t>(saved.vars[kVarSaveYear] | saved.vars[kVarSaveYear + 1] << 8);
    info.month = saved.vars[kVarSaveYear + 2];
    info.day = saved.vars[kVarSaveYear + 3];
    info.hour = saved.vars[kVarSaveYear + 4];
    info.minute = saved.vars[kVarSaveYear + 5];
    info.second = saved.vars[kVarSaveYear + 6];
    info.playCounter = saved.vars[kVarPlayCounter];
    info.valid = 1;
  } else {
    info.year = 0;
    info.month = info.day = info.hour = info.minute = info.second = 0;
    info.playCounter = 0;
    info.valid = 0;
  }
  file.Release();
}

bool SlotUpdateNames(uint16_t slot) {
  SlotFile file = ReadSlotFile(slot);
  const bool valid = file.Unseal();
  if (valid) {
    uint8_t* image = file.Image();
    std::memcpy(AsState(image).nameArrays, NameArrays, sizeof NameArrays);
    SaveSeal(image);
    WriteImage(SlotPath(slot), image, true);
  }
  file.Release();
  return valid;
}

// [SECTION] Progress

void ProgressLoad() {
  StateCopies copies({"load99 nowp", "load99 prep", "load99 savp"});
  if (!SlotLoad(kProgressSlot)) return;
  GameState& progress = SaveState;  // slot 99 as read
  for (int i = 0; i < 3; i++) MergeLasting(copies[i], progress);
  copies.SharePlayCounter(progress);
}

void ProgressSave() {
  const uint8_t checkpointValid = CheckpointValid;
  {
    StateCopies copies({"save99 nowp", "save99 prep", "save99 savp"});
    if (SlotLoad(kProgressSlot)) {
      GameState& progress = SaveState;  // slot 99 as read
      MergeLasting(progress, copies[2]);
      progress.vars[kVarGameFinished] = 1;
      progress.vars[kVarEmptySlot] = 1;
      copies.SharePlayCounter(progress);
      SlotSave(kProgressSlot);
    }
  }
  CheckpointValid = checkpointValid;
}

void PersistentRestore() {
  std::memcpy(ScriptVars, CheckpointState.vars, kScriptVarCount);
  LiveState.word1F0 = CheckpointState.word1F0;
  std::memset(ScriptVars, 0, kVarScratchEnd);
  std::memcpy(ScenarioSeen, CheckpointState.scenarioSeen, kSeenBytes);
}

// [SECTION] Where the files live

std::string SlotFileName(uint16_t slot) {
  char name[16];
  std::snprintf(name, sizeof name, "LNTR3_%02d.SAV", slot);
  return name;
}

std::string SavePath(const std::string& fileName) {
  std::string dir = SaveDir.empty() ? DataDir : SaveDir;
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir + fileName;
}

std::string SlotPath(uint16_t slot) {
  return SavePath(SlotFileName(slot));
}

std::string SaveDirFor(const std::string& dataDir, const std::string& requested, bool userFolder) {
  if (!requested.empty()) return requested;
  const std::string data = dataDir.empty() ? "." : dataDir;
  if (Writable(data) || !userFolder) return data;

  // One folder per game: the data folder's name to recognise it by, a hash of its full path to
  // keep two games of the same name apart.
  std::error_code error;
  std::filesystem::path canonical = std::filesystem::weakly_canonical(data, error);
  if (error) canonical = std::filesystem::absolute(data, error).lexically_normal();
  if (!canonical.has_filename()) canonical = canonical.parent_path();  // "dir/" is dir
  std::string name = canonical.filename().string();
  if (name.empty()) name = "data";
  char hash[9];
  std::snprintf(hash, sizeof hash, "%08x", ShortHash(canonical.string()));

  std::filesystem::path base;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (xdg && xdg[0] == '/') {
    base = xdg;
  } else if (home && home[0]) {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    return data;
  }
  return (base / "lanternia3" / (name + "-" + hash)).string();
}

void SaveDirInit(const std::string& dataDir, const std::string& requested, bool userFolder) {
  SaveDir = SaveDirFor(dataDir, requested, userFolder);
  for (uint16_t slot = 0; slot < kSlotCount; slot++) AtomicFileRemoveStale(SlotPath(slot));
  AtomicFileRemoveStale(SlotPath(kProgressSlot));
}
