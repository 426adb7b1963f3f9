// Save data: the seal, slot files of every kind (sound, empty, damaged, missing, unreadable,
// unwritable), slot 99's progress, and where saves go.
#include "screens/save_data.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>

#include "platform/headless/headless.h"
#include "scenario/game_state.h"
#include "support/engine_fixture.h"
#include "support/files.h"
#include "tools/charset/charset.h"

namespace {

namespace fs = std::filesystem;

std::string NameText(const uint16_t (&name)[kNameLength]) {
  std::string text;
  for (uint16_t code : name) {
    if (code != kEmptyCode) Utf8Append(text, CharsetCharacter(code));
  }
  return text;
}

class SaveDataTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    DataDir = dir.path.string();
    boxesBefore_ = HeadlessMessageBoxes().size();
  }
  void TearDown() override {
    DataDir.clear();
    EngineTest::TearDown();
  }
  fs::path Slot(uint16_t n) const { return dir.path / SlotFileName(n); }
  // Slot n's file as another copy of the game would have written `state`, and read back.
  void WriteSlot(uint16_t n, GameState state) {
    SaveSeal(StateBytes(state));
    WriteFileBytes(Slot(n), std::string_view(reinterpret_cast<char*>(&state), kGameStateSize));
  }
  GameState ReadSlot(uint16_t n) const {
    std::string bytes = ReadFileText(Slot(n));
    bytes.resize(kGameStateSize);
    EXPECT_TRUE(SaveUnseal(reinterpret_cast<uint8_t*>(bytes.data())));
    return *reinterpret_cast<const GameState*>(bytes.data());
  }
  std::string LastBox() const {
    const auto& boxes = HeadlessMessageBoxes();
    return boxes.size() == boxesBefore_ + 1 ? boxes.back().text : "not one box";
  }
  // Runs `write` without the rights that let root pass over permission bits.
  static bool AsPlainUser(bool (*write)()) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2], reduced[2];
    syscall(SYS_capget, &header, saved);
    std::memcpy(reduced, saved, sizeof saved);
    reduced[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_FOWNER);
    syscall(SYS_capset, &header, reduced);
    const bool result = write();
    syscall(SYS_capset, &header, saved);
    return result;
  }

  TempDir dir;
  size_t boxesBefore_ = 0;
};

TEST_F(SaveDataTest, TheSealChangesOnlySaltAndSealByteAndRefusesFlippedBytes) {
  std::vector<uint8_t> plain = PatternBytes(kGameStateSize, 3);
  std::memset(&plain[offsetof(GameState, checksum)], 0, 4);
  std::vector<uint8_t> a = plain, b = plain;
  SaveSeal(a.data());
  SaveSeal(b.data());
  EXPECT_FALSE(std::equal(a.begin(), a.begin() + kSaltBytes, b.begin()));
  for (std::vector<uint8_t> open : {a, b}) {
    ASSERT_TRUE(SaveUnseal(open.data()));
    open[offsetof(GameState, sealByte)] = plain[offsetof(GameState, sealByte)];
    EXPECT_TRUE(std::equal(open.begin() + kSaltBytes, open.end(), plain.begin() + kSaltBytes));
  }
  for (size_t at : {size_t{179}, offsetof(GameState, checksum) + 3, kGameStateSize - 1}) {
    std::vector<uint8_t> flipped = a;
    flipped[at] ^= 0x10;
    EXPECT_FALSE(SaveUnseal(flipped.data())) << at;
  }
  // Sealed elsewhere: a zero record under a salt of 1s is byte i = 1 + i, the sum 179 plain.
  std::vector<uint8_t> other(kGameStateSize);
  for (size_t i = 0; i < kGameStateSize; i++) other[i] = static_cast<uint8_t>(i < 179 ? 1 : 1 + i);
  std::memcpy(&other[offsetof(GameState, checksum)], "\xB3\0\0\0", 4);
  EXPECT_TRUE(SaveUnseal(other.data()));
}

TEST_F(SaveDataTest, ASaveKeepsTheClockForTheSlotScreenAndLoadsBack) {
  HeadlessConfig config;
  config.startTime = PlatLocalTime{2026, 12, 6, 5, 14, 7, 9, 0};
  StartEngine(config);
  SaveState.vars[kVarPlayCounter] = 7;
  SaveState.vars[100] = 0x5A;
  std::fill_n(SaveState.nameArrays[2], kNameLength, kEmptyCode);
  SaveState.nameArrays[2][0] = 0x00B5;  // ユ
  ASSERT_TRUE(SlotSave(1));
  SlotInfo info{};
  SlotReadInfo(1, info);
  EXPECT_EQ(NameText(info.name), "ユ");
  EXPECT_EQ(std::vector<int>({info.year, info.month, info.day, info.hour, info.minute, info.second,
                              info.playCounter, info.valid}),
            std::vector<int>({2026, 12, 5, 14, 7, 9, 7, 1}));
  GameStateReset();
  ASSERT_TRUE(SlotLoad(1));
  EXPECT_EQ(CheckpointState.vars[100] + SaveState.vars[100], 2 * 0x5A);
}

TEST_F(SaveDataTest, EmptyDamagedAndUnreadableSlotsLoadNoGame) {
  GameState empty{};
  empty.vars[kVarEmptySlot] = 1;
  empty.nameArrays[0][0] = 0x0702;
  WriteSlot(2, empty);
  std::memset(ScriptVars, 0x33, kScriptVarCount);
  SaveState.vars[100] = 4;
  EXPECT_FALSE(SlotLoad(2));
  EXPECT_EQ(std::vector<int>({LiveState.nameArrays[0][0], CheckpointState.nameArrays[0][0],
                              SaveState.nameArrays[0][0], SaveState.vars[100]}),
            std::vector<int>({0x0702, 0x0702, 0x0702, 4}))
      << "the names and nothing else";
  EXPECT_EQ(std::count(ScriptVars, ScriptVars + kScriptVarCount, 0), kScriptVarCount);
  WriteSlot(kProgressSlot, empty);
  EXPECT_TRUE(SlotLoad(kProgressSlot)) << "slot 99 is always marked empty";

  // Damaged files: the slot is empty and the file stays as it is.
  const std::string sound = ReadFileText(Slot(2));
  std::string flipped = sound;
  flipped[4000] ^= 1;
  for (const std::string& bytes : {sound.substr(1), sound + '\0', flipped}) {
    WriteFileBytes(Slot(0), bytes);
    SlotInfo info{};
    info.name[0] = 0x1234;
    info.valid = 1;
    SlotReadInfo(0, info);
    EXPECT_EQ(info.valid, 0) << bytes.size();
    EXPECT_EQ(info.name[0], 0x1234) << "the name is left as it was";
    EXPECT_FALSE(SlotLoad(0) || SlotUpdateNames(0));
    EXPECT_EQ(ReadFileText(Slot(0)), bytes);
  }
  // A file that cannot be read is reported, counts as empty and is kept.
  fs::create_directory(Slot(4));
  EXPECT_FALSE(SlotLoad(4));
  EXPECT_EQ(LastBox().rfind("セーブデータを読み込めませんでした。\n" + Slot(4).string(), 0), 0u);
  EXPECT_TRUE(fs::is_directory(Slot(4)));
}

TEST_F(SaveDataTest, MissingFilesAreMadeEmptyAndUnwritableOnesKeepTheOldSave) {
  SlotInfo info{};
  SlotReadInfo(3, info);
  EXPECT_EQ(info.valid, 0);
  const GameState fresh = ReadSlot(3);
  EXPECT_EQ(fresh.vars[kVarGameFinished] + fresh.vars[kVarEmptySlot], 2);
  EXPECT_EQ(fresh.currentScenario, kNoScenario);
  const char* names[] = {"春日", "悠", "ユウくん", "ゆう", "ユウ"};
  for (int part = 0; part < kNameCount; part++) {
    EXPECT_EQ(NameText(fresh.nameArrays[part]), names[part]);
  }
  const std::string old = ReadFileText(Slot(3));
  fs::permissions(dir.path, fs::perms(0500));
  EXPECT_FALSE(AsPlainUser([] { return SlotSave(3); }));
  fs::permissions(dir.path, fs::perms(0700));
  EXPECT_EQ(ReadFileText(Slot(3)), old);
  EXPECT_EQ(LastBox(), "セーブできませんでした。\n" + Slot(3).string() +
                           "\nアクセスが許可されていません (Permission denied)\n"
                           "前のセーブデータはそのまま残っています。");
}

TEST_F(SaveDataTest, ProgressMergesIntoTheThreeStatesAndIntoSlot99) {
  GameState progress{};
  progress.vars[100] = 0x0F;
  progress.vars[kVarPlayCounter] = 9;
  progress.scenarioSeen[10] = 0x01;
  WriteSlot(kProgressSlot, progress);
  ScriptVars[100] = 0xF0;
  ScriptVars[5] = 0x44;
  CheckpointState.vars[100] = 0x30;
  CheckpointState.scenarioSeen[10] = 0x02;
  ProgressLoad();
  EXPECT_EQ(std::vector<int>({LiveState.vars[100], CheckpointState.vars[100], SaveState.vars[100],
                              CheckpointState.scenarioSeen[10], ScriptVars[5],
                              LiveState.vars[kVarPlayCounter], SaveState.vars[kVarPlayCounter]}),
            std::vector<int>({0xFF, 0x3F, 0x0F, 0x03, 0x44, 9, 9}));

  SaveState.vars[101] = 0x21;
  SaveState.vars[kVarPlayCounter] = 12;
  CheckpointValid = 1;
  GameState live = LiveState;
  ProgressSave();
  const GameState saved = ReadSlot(kProgressSlot);
  EXPECT_EQ(std::vector<int>({saved.vars[100], saved.vars[101], saved.vars[kVarGameFinished],
                              saved.vars[kVarEmptySlot], saved.vars[kVarPlayCounter]}),
            std::vector<int>({0x0F, 0x21, 1, 1, 12}));
  EXPECT_EQ(CheckpointValid, 1);
  live.vars[kVarPlayCounter] = 12;
  EXPECT_EQ(std::memcmp(&LiveState, &live, kGameStateSize), 0) << "only the counter changes";
}

TEST_F(SaveDataTest, SavesGoWhereTheyMayAndTwoGamesNeverShareAFolder) {
  // Data folders that do not exist stand for ones the game may not write.
  fs::create_directory_symlink(dir.path, dir.path / "link");
  const fs::path data = dir.path / "demo";
  setenv("XDG_DATA_HOME", (dir.path / "home").c_str(), 1);
  const std::string own = SaveDirFor(data, "", true);
  EXPECT_EQ(own.rfind((dir.path / "home" / "lanternia3" / "demo-").string(), 0), 0u) << own;
  EXPECT_NE(SaveDirFor(dir.path / "more" / "demo", "", true), own);
  EXPECT_EQ(SaveDirFor(dir.path / "link" / "demo/", "", true), own);
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(SaveDirFor(data, "", false), data.string()) << "never the user's folders headless";
  EXPECT_EQ(SaveDirFor(dir.path, "", true), dir.path.string());
  EXPECT_EQ(SaveDirFor(data, "/elsewhere", true), "/elsewhere");
}

}  // namespace
