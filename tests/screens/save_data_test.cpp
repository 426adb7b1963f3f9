// Save data: the seal, slot files of every kind (sound, empty, damaged, missing, unreadable),
// what loading and saving leave in the three states, slot 99's progress, and where saves go.
#include "screens/save_data.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "screens/name_entry.h"
#include "support/engine_fixture.h"
#include "support/files.h"
#include "tools/charset/charset.h"

namespace {

namespace fs = std::filesystem;

// Root writes into any folder: this takes away, for its lifetime, the capabilities that pass
// over permission bits, so a folder without write permission refuses root too.
class WithoutOverride {
 public:
  WithoutOverride() {
    syscall(SYS_capget, &header_, saved_);
    __user_cap_data_struct reduced[2];
    std::memcpy(reduced, saved_, sizeof reduced);
    reduced[0].effective &=
        ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER);
    syscall(SYS_capset, &header_, reduced);
  }
  ~WithoutOverride() { syscall(SYS_capset, &header_, saved_); }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
};

// The codes of a name as text through the charset.
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
    savedDataDir_ = DataDir;
    DataDir = dir.path.string();
    SaveDir.clear();
    boxesBefore_ = HeadlessMessageBoxes().size();
  }
  void TearDown() override {
    DataDir = savedDataDir_;
    SaveDir.clear();
    EngineTest::TearDown();
  }

  fs::path Slot(uint16_t n) const { return dir.path / SlotFileName(n); }
  // Writes `state` sealed as slot n's file, the way another copy of the game would have.
  void WriteSlot(uint16_t n, GameState state) {
    SaveSeal(StateBytes(state));
    WriteFileBytes(Slot(n), std::string_view(reinterpret_cast<char*>(&state), kGameStateSize));
  }
  // Slot n's file unsealed; a test failure when it is not a sound save.
  GameState ReadSlot(uint16_t n) const {
    GameState state{};
    const std::vector<uint8_t> bytes = ReadFileBytes(Slot(n));
    EXPECT_EQ(bytes.size(), kGameStateSize);
    std::memcpy(&state, bytes.data(), std::min(bytes.size(), kGameStateSize));
    EXPECT_TRUE(SaveUnseal(StateBytes(state)));
    return state;
  }
  // The boxes this test showed.
  std::vector<HeadlessBox> Boxes() const {
    return {HeadlessMessageBoxes().begin() + static_cast<ptrdiff_t>(boxesBefore_),
            HeadlessMessageBoxes().end()};
  }
  std::string BoxText() const {
    std::string text;
    for (const HeadlessBox& box : Boxes()) text += box.text + "\n";
    return text;
  }

  TempDir dir;

 private:
  std::string savedDataDir_;
  size_t boxesBefore_ = 0;
};

TEST_F(SaveDataTest, TheSealRoundTripsChangesOnlySaltAndSealByteAndRefusesAnyFlippedByte) {
  std::vector<uint8_t> plain = PatternBytes(kGameStateSize, 3);
  std::memset(&plain[offsetof(GameState, checksum)], 0, 4);  // what an unsealed image holds
  std::vector<uint8_t> a = plain, b = plain;
  SaveSeal(a.data());
  SaveSeal(b.data());
  EXPECT_NE(std::vector(a.begin(), a.begin() + kSaltBytes),
            std::vector(b.begin(), b.begin() + kSaltBytes));
  for (std::vector<uint8_t>* sealed : {&a, &b}) {
    std::vector<uint8_t> open = *sealed;
    ASSERT_TRUE(SaveUnseal(open.data()));
    for (size_t i = kSaltBytes; i < kGameStateSize; i++) {
      if (i == offsetof(GameState, sealByte)) continue;
      ASSERT_EQ(open[i], plain[i]) << i;
    }
  }
  // (A flipped salt byte changes some 50 bytes at once and may, rarely, keep the sum.)
  for (size_t at : {size_t{179}, offsetof(GameState, checksum) + 3, offsetof(GameState, sealByte),
                    offsetof(GameState, vars) + 100, kGameStateSize - 1}) {
    std::vector<uint8_t> flipped = a;
    flipped[at] ^= 0x10;
    EXPECT_FALSE(SaveUnseal(flipped.data())) << at;
  }

  // A file sealed elsewhere: salt of 1s, so byte i >= 179 holds plain + 1 + i; the sum of the
  // plain image (179 salt bytes, variable 100 = 0x0F) stored as it is.
  std::vector<uint8_t> other(kGameStateSize);
  for (size_t i = 0; i < kGameStateSize; i++) other[i] = static_cast<uint8_t>(i < 179 ? 1 : 1 + i);
  other[offsetof(GameState, vars) + 100] += 0x0F;
  other[offsetof(GameState, checksum)] = 179 + 0x0F;
  for (int i = 1; i < 4; i++) other[offsetof(GameState, checksum) + i] = 0;
  ASSERT_TRUE(SaveUnseal(other.data()));
  EXPECT_EQ(other[offsetof(GameState, vars) + 100], 0x0F);
  EXPECT_EQ(other[kGameStateSize - 1], 0);
}

TEST_F(SaveDataTest, ASaveCarriesTheClockAndReadsBackForTheSlotScreenAndTheLoad) {
  HeadlessConfig config;
  config.startTime = PlatLocalTime{2026, 12, 6, 5, 14, 7, 9, 0};
  StartEngine(config);
  SaveState.vars[kVarPlayCounter] = 7;
  SaveState.vars[100] = 0x5A;
  SaveState.currentScenario = 0x50;
  LoadDefaultNames(SaveState.nameArrays[kNameFriendly], kNameFriendly);
  ASSERT_TRUE(SlotSave(1));
  EXPECT_EQ(SaveState.vars[kVarSaveYear], 0) << "the date goes into the file only";

  SlotInfo info{};
  SlotReadInfo(1, info);
  EXPECT_EQ(info.valid, 1);
  EXPECT_EQ(NameText(info.name), "ユウくん");
  EXPECT_EQ(std::vector<int>({info.year, info.month, info.day, info.hour, info.minute, info.second,
                              info.playCounter}),
            std::vector<int>({2026, 12, 5, 14, 7, 9, 7}));

  const GameState saved = SaveState;
  GameStateReset();
  ScriptVars[5] = 1;
  CheckpointValid = 1;
  ASSERT_TRUE(SlotLoad(1));
  EXPECT_EQ(CheckpointState.vars[100], 0x5A);
  EXPECT_EQ(SaveState.currentScenario, 0x50);
  EXPECT_EQ(SaveState.vars[kVarSaveYear + 1] << 8 | SaveState.vars[kVarSaveYear], 2026);
  EXPECT_EQ(std::memcmp(&SaveState.nameArrays, &saved.nameArrays, sizeof saved.nameArrays), 0);
  EXPECT_EQ(std::memcmp(&CheckpointState, &SaveState, kGameStateSize), 0);
  EXPECT_EQ(ScriptVars[5], 0);
  EXPECT_EQ(CheckpointValid, 0);
}

TEST_F(SaveDataTest, AnEmptySlotGivesItsNamesButNoGame) {
  GameState empty{};
  empty.vars[kVarEmptySlot] = 1;
  empty.vars[100] = 9;
  empty.nameArrays[0][0] = 0x0702;
  WriteSlot(2, empty);
  WriteSlot(kProgressSlot, empty);
  std::memset(ScriptVars, 0x33, kScriptVarCount);
  ScenarioSeen[3] = 0xFF;
  HistoryCount = 12;
  FilterMode = 2;
  SaveState.vars[100] = 4;

  EXPECT_FALSE(SlotLoad(2));
  for (const GameState* state : {&LiveState, &CheckpointState, &SaveState}) {
    EXPECT_EQ(state->nameArrays[0][0], 0x0702);
  }
  EXPECT_EQ(SaveState.vars[100], 4) << "the rest of an empty slot is not taken";
  for (int v = 0; v < kScriptVarCount; v++) ASSERT_EQ(ScriptVars[v], 0) << v;
  EXPECT_EQ(ScenarioSeen[3], 0);
  EXPECT_EQ(HistoryCount + FilterMode, 0);
  EXPECT_EQ(LiveState.currentMusic, 255);
  // Slot 99 stands for no game of its own: it loads even marked empty.
  EXPECT_TRUE(SlotLoad(kProgressSlot));
  EXPECT_EQ(SaveState.vars[100], 9);
}

TEST_F(SaveDataTest, DamagedFilesCountAsEmptyAndStayAsTheyAre) {
  GameState state{};
  WriteSlot(0, state);
  const std::vector<uint8_t> sound = ReadFileBytes(Slot(0));
  std::vector<uint8_t> flipped = sound;
  flipped[4000] ^= 1;
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"9027 bytes", std::vector(sound.begin(), sound.end() - 1)},
      {"9029 bytes",
       [&] {
         std::vector<uint8_t> longer = sound;
         longer.push_back(0);
         return longer;
       }()},
      {"a flipped byte", flipped},
  };
  for (const auto& c : cases) {
    WriteFileBytes(Slot(0), c.bytes);
    SlotInfo info{};
    info.name[0] = 0x1234;
    info.year = 1999;
    info.valid = 1;
    SlotReadInfo(0, info);
    EXPECT_EQ(info.valid + info.year + info.playCounter, 0) << c.what;
    EXPECT_EQ(info.name[0], 0x1234) << c.what << ": the name is left as it was";
    EXPECT_FALSE(SlotLoad(0)) << c.what;
    EXPECT_FALSE(SlotUpdateNames(0)) << c.what;
    EXPECT_EQ(ReadFileBytes(Slot(0)), c.bytes) << c.what;
  }
  EXPECT_TRUE(Boxes().empty()) << BoxText();
}

TEST_F(SaveDataTest, MissingFilesAreMadeEmptyWithTheDefaultNamesUnreadableOnesAreLeft) {
  SlotInfo info{};
  SlotReadInfo(3, info);
  EXPECT_EQ(info.valid, 0);
  const GameState fresh = ReadSlot(3);
  EXPECT_EQ(fresh.vars[kVarGameFinished], 1);
  EXPECT_EQ(fresh.vars[kVarEmptySlot], 1);
  EXPECT_EQ(fresh.currentScenario, kNoScenario);
  EXPECT_EQ(fresh.textColour, 229) << "the start record";
  const char* names[] = {"春日", "悠", "ユウくん", "ゆう", "ユウ"};
  for (int part = 0; part < kNameCount; part++) {
    EXPECT_EQ(NameText(fresh.nameArrays[part]), names[part]);
    EXPECT_EQ(fresh.nameArrays[part][5], kEmptyCode) << "blanks are empty positions";
  }
  // Slot 99 made on the way: the names and the play counter a first game starts with.
  LiveState.vars[kVarPlayCounter] = 2;
  ProgressLoad();
  EXPECT_TRUE(fs::exists(Slot(kProgressSlot)));
  EXPECT_EQ(LiveState.vars[kVarPlayCounter], 2);

  // A file that is there but cannot be read is reported, counts as empty and is kept.
  fs::create_directory(Slot(4));
  SlotReadInfo(4, info);
  EXPECT_EQ(info.valid, 0);
  EXPECT_FALSE(SlotLoad(4));
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_NE(BoxText().find("セーブデータを読み込めませんでした。\n" + Slot(4).string()),
            std::string::npos)
      << BoxText();
  EXPECT_TRUE(fs::is_directory(Slot(4)));
}

TEST_F(SaveDataTest, ASaveThatCannotBeWrittenSaysWhyAndKeepsTheOldFile) {
  SaveState.vars[100] = 1;
  ASSERT_TRUE(SlotSave(0));
  const std::vector<uint8_t> old = ReadFileBytes(Slot(0));
  SaveState.vars[100] = 2;
  fs::permissions(dir.path, fs::perms(0500));
  bool saved;
  {
    WithoutOverride notRoot;
    saved = SlotSave(0);
  }
  fs::permissions(dir.path, fs::perms(0700));
  EXPECT_FALSE(saved);
  EXPECT_EQ(ReadFileBytes(Slot(0)), old);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "セーブできませんでした。\n" + Slot(0).string() +
                                 "\nアクセスが許可されていません (Permission denied)\n"
                                 "前のセーブデータはそのまま残っています。");
  EXPECT_EQ(fs::directory_iterator(dir.path)->path(), Slot(0)) << "no temporary file is left";
}

TEST_F(SaveDataTest, ProgressMergesIntoTheThreeStatesAndIntoSlot99) {
  GameState progress{};
  progress.vars[100] = 0x0F;
  progress.vars[139] = 0x80;
  progress.vars[kVarPlayCounter] = 9;
  progress.scenarioSeen[10] = 0x01;
  WriteSlot(kProgressSlot, progress);
  ScriptVars[100] = 0xF0;
  ScriptVars[5] = 0x44;
  ScriptVars[kVarPlayCounter] = 3;
  CheckpointState.vars[100] = 0x30;
  CheckpointState.scenarioSeen[10] = 0x02;

  ProgressLoad();
  EXPECT_EQ(LiveState.vars[100], 0xFF);
  EXPECT_EQ(CheckpointState.vars[100], 0x3F);
  EXPECT_EQ(SaveState.vars[100], 0x0F);
  EXPECT_EQ(SaveState.vars[139], 0x80);
  EXPECT_EQ(CheckpointState.scenarioSeen[10], 0x03);
  EXPECT_EQ(ScriptVars[5], 0x44) << "variables below 80 are the game's own";
  for (const GameState* state : {&LiveState, &CheckpointState, &SaveState}) {
    EXPECT_EQ(state->vars[kVarPlayCounter], 9);
  }

  // Saving merges SaveState's lasting part back; the game goes on untouched but for the counter.
  SaveState.vars[101] = 0x21;
  SaveState.vars[kVarPlayCounter] = 12;
  CheckpointValid = 1;
  const GameState live = LiveState;
  ProgressSave();
  const GameState saved = ReadSlot(kProgressSlot);
  EXPECT_EQ(saved.vars[100], 0x0F);
  EXPECT_EQ(saved.vars[101], 0x21);
  EXPECT_EQ(saved.vars[kVarGameFinished] + saved.vars[kVarEmptySlot], 2);
  EXPECT_EQ(saved.vars[kVarPlayCounter], 12);
  EXPECT_EQ(CheckpointValid, 1);
  EXPECT_EQ(LiveState.vars[kVarPlayCounter], 12);
  LiveState.vars[kVarPlayCounter] = live.vars[kVarPlayCounter];
  EXPECT_EQ(std::memcmp(&LiveState, &live, kGameStateSize), 0);

  // Restoring the lasting part: everything from the checkpoint but the scratch variables.
  CheckpointState.vars[3] = CheckpointState.vars[120] = 6;
  PersistentRestore();
  EXPECT_EQ(ScriptVars[3], 0);
  EXPECT_EQ(ScriptVars[120], 6);
  EXPECT_EQ(ScenarioSeen[10], 0x03);
}

TEST_F(SaveDataTest, SavesGoWhereTheyMayAndTwoGamesNeverShareAFolder) {
  const fs::path home = dir.path / "home", data = dir.path / "games" / "demo";
  const fs::path other = dir.path / "more" / "demo", link = dir.path / "link";
  for (const fs::path& folder : {home, data, other}) fs::create_directories(folder);
  fs::create_directory_symlink(data, link);
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const std::string kept = xdg ? xdg : "";
  setenv("XDG_DATA_HOME", home.c_str(), 1);

  EXPECT_EQ(SaveDirFor(data, "/elsewhere", true), "/elsewhere");
  EXPECT_EQ(SaveDirFor(data, "", true), data.string());
  std::string own, otherOwn, linked, headless;
  for (const fs::path& folder : {data, other}) fs::permissions(folder, fs::perms(0500));
  {
    WithoutOverride notRoot;
    own = SaveDirFor(data, "", true);
    otherOwn = SaveDirFor(other, "", true);
    linked = SaveDirFor(link.string() + "/", "", true);
    headless = SaveDirFor(data, "", false);
  }
  for (const fs::path& folder : {data, other}) fs::permissions(folder, fs::perms(0700));
  if (xdg) {
    setenv("XDG_DATA_HOME", kept.c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
  EXPECT_EQ(fs::path(own).parent_path(), home / "lanternia3");
  EXPECT_EQ(fs::path(own).filename().string().rfind("demo-", 0), 0u) << own;
  EXPECT_NE(own, otherOwn);
  EXPECT_EQ(own, linked);
  EXPECT_EQ(headless, data.string());

  // Made on demand, private to the user.
  SaveDir = own;
  SaveState.vars[100] = 1;
  ASSERT_TRUE(SlotSave(2));
  EXPECT_TRUE(fs::exists(fs::path(own) / "LNTR3_02.SAV"));
  EXPECT_EQ(fs::status(own).permissions(), fs::perms(0700));
}

}  // namespace
