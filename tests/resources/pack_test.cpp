// Tests of the PACK archives: scrambling, keys, lookups in hand-built archives (sorted or not),
// rounded reads, loose files, the writer, and every fatal path for damaged archives.
#include "resources/pack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/memory.h"
#include "support/archives.h"
#include "support/files.h"

namespace {

namespace fs = std::filesystem;

TEST(PackFormatTest, ScramblingRunsOverTheKey) {
  std::vector<uint8_t> bytes(13, 0);
  PackScramble(bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 11),
            std::vector<uint8_t>(kTestPackKey, kTestPackKey + 11));
  EXPECT_EQ(bytes[11], kTestPackKey[0]);
  EXPECT_EQ(bytes[12], kTestPackKey[1]);
  // The first byte of index record 1 is byte 24 of the run: key byte 2.
  std::vector<uint8_t> one = {0x10};
  PackScramble(one, 24);
  EXPECT_EQ(one[0], static_cast<uint8_t>(0x10 + kTestPackKey[2]));
  std::vector<uint8_t> data = PatternBytes(100, 3);
  PackScramble(data, 5);
  PackUnscramble(data, 5);
  EXPECT_EQ(data, PatternBytes(100, 3));
}

TEST(PackFormatTest, KeysNamesAndValidity) {
  char key[12];
  const std::pair<const char*, const char*> cases[] = {
      {"S01D.TZ2", "S01D    TZ2"}, {"title2.tz2", "TITLE2  TZ2"},
      {"README", "README     "},   {"ABCDEFGH.X", "ABCDEFGHX  "},
      {"AB.CDEFG", "AB      CDE"}, {"ABCDEFGHIJ.TZ2", "ABCDEFGHTZ2"},
      {"", "           "}};
  for (const auto& [name, expected] : cases) {
    std::memset(key, '#', sizeof key);
    PackMakeKey(name, key);
    EXPECT_EQ(std::string(key, 11), expected) << name;
    EXPECT_EQ(key[11], 0);
  }
  EXPECT_EQ(PackKeyName("S01D    TZ2"), "S01D.TZ2");
  EXPECT_EQ(PackKeyName("README     "), "README");
  for (const char* good : {"S01D.TZ2", "a.b", "ABCDEFGH.ABC", "README", "C00A1.TZ2"}) {
    EXPECT_TRUE(PackIsValidName(good)) << good;
  }
  for (const char* bad : {"", ".TZ2", "ABCDEFGHI.TZ2", "A.TZ22", "A.", "A.B.C", "A B.TZ2",
                          "../X.TZ2", "A/B", "A*.TZ2", "\x83\x41.TZ2"}) {
    EXPECT_FALSE(PackIsValidName(bad)) << bad;
  }
  EXPECT_GT(PackCompareKeys("A          ", "\xB1          "), 0) << "bytes compare as signed";
  EXPECT_LT(PackCompareKeys("A          ", "B          "), 0);
  EXPECT_EQ(PackCompareKeys("A          ", "A          "), 0);
}

// A data directory of its own with both archives in it.
class PackTest : public DataDirTest {
 protected:
  void SetUp() override {
    DataDirTest::SetUp();
    WriteFileBytes(dir.path / "LNTR3SCN.PAK",
                   RawPackArchive({{"0001    SCN", PatternBytes(50, 9)}}));
  }
  void TearDown() override {
    PackClose();
    DataDirTest::TearDown();
  }
  void WriteData(const std::vector<RawPackEntry>& entries) {
    WriteFileBytes(dir.path / "LNTR3DAT.PAK", RawPackArchive(entries));
  }
  // Loads an entry and checks the block's bookkeeping; answers the contents, and the block's
  // size and label when asked.
  std::vector<uint8_t> Load(const char* name, int archive = kPackData,
                            uint32_t* blockSize = nullptr, std::string* label = nullptr) {
    uint32_t size = 0xDEAD;
    MemHandle block = PackLoad(name, &size, archive);
    EXPECT_NE(block, 0u);
    EXPECT_EQ(MemLockCount(block), 0);
    EXPECT_GE(MemSize(block), size);
    if (blockSize) *blockSize = MemSize(block);
    if (label) *label = Label(block);
    const uint8_t* data = MemLock(block);
    std::vector<uint8_t> bytes(data, data + size);
    MemRelease(&block);
    for (const PackArchive& a : Pack.archives) EXPECT_EQ(MemLockCount(a.index), 0);
    return bytes;
  }
  static std::string Label(MemHandle handle) {
    for (int i = 0; i < MemTable.count; i++) {
      if (MemTable.rows[i].handle == handle) return std::string(MemTable.rows[i].name, 16);
    }
    return "";
  }
};

TEST_F(PackTest, OpensBothIndexesAndLoadsEntriesInAnyCase) {
  WriteData({{"0001    SCN", PatternBytes(5, 6)},
             {"BG01    TZ2", PatternBytes(10, 1)},
             {"S01D    TZ2", PatternBytes(1000, 2)},
             {"TITLE2  TZ2", PatternBytes(33, 3)},
             {"ZERO    DAT", {}}});
  ASSERT_TRUE(PackOpen());
  EXPECT_EQ(Pack.archives[kPackData].count, 5);
  EXPECT_EQ(Pack.archives[kPackScenario].count, 1);
  EXPECT_EQ(Label(Pack.archives[kPackData].index), "PACK FILE INDEX ");
  EXPECT_EQ(Label(Pack.archives[kPackScenario].index), "SCN FILE INDEX  ");

  EXPECT_EQ(Load("S01D.TZ2"), PatternBytes(1000, 2));
  std::string label;
  EXPECT_EQ(Load("title2.tz2", kPackData, nullptr, &label), PatternBytes(33, 3));
  EXPECT_EQ(label, "pk:title2.tz2   ");
  EXPECT_EQ(Load("Bg01.Tz2"), PatternBytes(10, 1));
  EXPECT_TRUE(Load("ZERO.DAT").empty());
  EXPECT_EQ(Load("0001.SCN", kPackScenario), PatternBytes(50, 9));
  EXPECT_EQ(Load("0001.SCN", kPackData), PatternBytes(5, 6));
}

TEST_F(PackTest, ReadsEndOnTheNext4096ByteBoundary) {
  // Entry A runs from 10 to exactly 4096; B from 4096 to 9096, near the end of the file.
  WriteData({{"A       DAT", PatternBytes(4086, 4)}, {"B       DAT", PatternBytes(5000, 5)}});
  ASSERT_TRUE(PackOpen());
  uint32_t blockSize = 0;
  EXPECT_EQ(Load("A.DAT", kPackData, &blockSize), PatternBytes(4086, 4));
  EXPECT_EQ(blockSize, 4086u + 4096u) << "a whole further 4096 bytes";
  EXPECT_EQ(Load("B.DAT", kPackData, &blockSize), PatternBytes(5000, 5));
  EXPECT_EQ(blockSize, 8192u) << "rounded past the end of the file; the short read is normal";
}

TEST_F(PackTest, UnsortedIndexStillFindsEveryEntry) {
  const std::string names = "QWERTYUIOPASDFG";
  std::vector<RawPackEntry> entries;
  for (char c : names) {
    entries.push_back({std::string(1, c) + "       BIN", PatternBytes(7, static_cast<uint8_t>(c))});
  }
  WriteData(entries);
  ASSERT_TRUE(PackOpen());
  for (char c : names) {
    const std::string name = std::string(1, c) + ".bin";
    EXPECT_EQ(Load(name.c_str()), PatternBytes(7, static_cast<uint8_t>(c))) << name;
  }
}

TEST_F(PackTest, LooseFileWinsAndIsReadAsStored) {
  WriteData({{"S01D    TZ2", PatternBytes(100, 1)}, {"0001    SCN", PatternBytes(100, 2)}});
  ASSERT_TRUE(PackOpen());
  WriteFileBytes(dir.path / "s01d.tz2", PatternBytes(20, 7));
  WriteFileBytes(dir.path / "0001.SCN", PatternBytes(30, 8));
  uint32_t blockSize = 0;
  std::string label;
  EXPECT_EQ(Load("S01D.TZ2", kPackData, &blockSize, &label), PatternBytes(20, 7));
  EXPECT_EQ(blockSize, 20u);
  EXPECT_EQ(label, "S01D.TZ2        ");
  EXPECT_EQ(Load("0001.SCN", kPackScenario), PatternBytes(30, 8));
}

TEST_F(PackTest, WriterBuildsSortedScrambledArchives) {
  const std::vector<uint8_t> a = PatternBytes(5000, 1), b = PatternBytes(3, 2), c;
  const std::vector<PackWriteEntry> entries = {{"title2.tz2", a}, {"BG01.TZ2", b}, {"README", c}};
  std::string error;
  ASSERT_TRUE(PackWrite((dir.path / "LNTR3DAT.PAK").string(), entries, &error)) << error;
  // Byte for byte a hand-built archive of the same entries in key order, spare bytes 0.
  EXPECT_EQ(ReadFileBytes(dir.path / "LNTR3DAT.PAK"),
            RawPackArchive({{"BG01    TZ2", b}, {"README     ", c}, {"TITLE2  TZ2", a}}, 0));
  ASSERT_TRUE(PackOpen());
  EXPECT_EQ(Load("TITLE2.TZ2"), a);

  const std::vector<PackWriteEntry> duplicate = {{"a.tz2", b}, {"A.TZ2", b}};
  EXPECT_FALSE(PackWrite((dir.path / "X.PAK").string(), duplicate, &error));
  EXPECT_NE(error.find("same name"), std::string::npos) << error;
  const std::vector<PackWriteEntry> longName = {{"LONGNAME1.TZ2", b}};
  EXPECT_FALSE(PackWrite((dir.path / "X.PAK").string(), longName, &error));
  EXPECT_NE(error.find("8.3"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir.path / "X.PAK"));
  EXPECT_FALSE(PackWrite((dir.path / "no" / "X.PAK").string(), entries, &error));
  // A write that cannot be put in place leaves what was there.
  fs::create_directories(dir.path / "BUSY.PAK" / "inside");
  EXPECT_FALSE(PackWrite((dir.path / "BUSY.PAK").string(), entries, &error));
  EXPECT_TRUE(fs::exists(dir.path / "BUSY.PAK" / "inside"));
}

TEST_F(PackTest, DamagedOrMissingArchivesAreFatal) {
  const std::string dataPath = (dir.path / "LNTR3DAT.PAK").string();
  EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが開けません : " + dataPath);
  const std::vector<uint8_t> good = RawPackArchive({{"A       DAT", PatternBytes(10, 1)}});
  std::vector<uint8_t> badMagic = good, headerOnly(good.begin(), good.begin() + 4), overlap = good;
  badMagic[3] = 'V';
  overlap[8] = 3;  // an entry count whose index would start inside the header
  for (const std::vector<uint8_t>& file : {badMagic, headerOnly, overlap}) {
    WriteFileBytes(dataPath, file);
    EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが違います : " + dataPath);
  }
}

TEST_F(PackTest, EntriesOutsideTheArchiveOrIndexAreFatal) {
  WriteData({{"A       DAT", PatternBytes(10, 1)},
             {"LONG    DAT", PatternBytes(10, 2), std::nullopt, 100000},
             {"WRAP    DAT", PatternBytes(10, 3), 0xFFFFFFF0u, 0x20}});
  ASSERT_TRUE(PackOpen());
  EXPECT_EQ(Load("A.DAT"), PatternBytes(10, 1));
  EXPECT_EXIT(Load("NOPE.TZ2"), ::testing::ExitedWithCode(1),
              "ファイルが見つかりません\\[PACK\\] : NOPE.TZ2");
  for (const char* name : {"LONG.DAT", "WRAP.DAT"}) {
    EXPECT_EXIT(Load(name), ::testing::ExitedWithCode(1), "ファイルの読み込みにサイズが異常です。");
  }
  // Not opened at all: nothing can be found.
  PackClose();
  EXPECT_EXIT(Load("A.DAT"), ::testing::ExitedWithCode(1),
              "ファイルが見つかりません\\[PACK\\] : A.DAT");
  // The archive vanished after start-up.
  ASSERT_TRUE(PackOpen());
  fs::remove(dir.path / "LNTR3DAT.PAK");
  EXPECT_EXIT(Load("A.DAT"), ::testing::ExitedWithCode(1), "ファイルが開けません : LNTR3DAT.PAK");
}

}  // namespace
