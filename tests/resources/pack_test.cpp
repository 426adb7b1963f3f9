// Tests of the PACK archives: keys, lookups in hand-built archives (sorted or not), rounded
// reads, loose files, the writer, and every fatal path for damaged archives.
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

TEST(PackFormatTest, KeysNamesAndValidity) {
  const std::pair<const char*, const char*> keys[] = {
      {"title2.tz2", "TITLE2  TZ2"},     {"README", "README     "},   {"ABCDEFGH.X", "ABCDEFGHX  "},
      {"ABCDEFGHIJ.TZ2", "ABCDEFGHTZ2"}, {"AB.CDEFG", "AB      CDE"}, {"", "           "}};
  for (const auto& [name, expected] : keys) {
    char key[12];
    std::memset(key, '#', sizeof key);
    PackMakeKey(name, key);
    EXPECT_EQ(std::string(key, 12), std::string(expected) + '\0') << name;
  }
  for (const char* good : {"a.b", "ABCDEFGH.ABC", "README"}) EXPECT_TRUE(PackIsValidName(good));
  for (const char* bad : {"", ".TZ2", "ABCDEFGHI.TZ2", "A.TZ22", "A.", "A.B.C", "A B.TZ2",
                          "../X.TZ2", "A/B", "A*.TZ2", "\x83\x41.TZ2"}) {
    EXPECT_FALSE(PackIsValidName(bad)) << bad;
  }
  EXPECT_GT(PackCompareKeys("A          ", "\xB1          "), 0) << "bytes compare as signed";
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
  // size when asked.
  std::vector<uint8_t> Load(const char* name, int archive = kPackData,
                            uint32_t* blockSize = nullptr) {
    uint32_t size = 0xDEAD;
    MemHandle block = PackLoad(name, &size, archive);
    EXPECT_EQ(MemLockCount(block), 0);
    EXPECT_GE(MemSize(block), size);
    if (blockSize) *blockSize = MemSize(block);
    const uint8_t* data = MemLock(block);
    std::vector<uint8_t> bytes(data, data + size);
    MemRelease(&block);
    for (const PackArchive& a : Pack.archives) EXPECT_EQ(MemLockCount(a.index), 0);
    return bytes;
  }
};

TEST_F(PackTest, FindsEntriesInAnyCaseInAnUnsortedIndexAndLooseFilesFirst) {
  // Out of key order: a binary search alone misses some of them.
  WriteData({{"TITLE2  TZ2", PatternBytes(33, 3)},
             {"0001    SCN", PatternBytes(5, 6)},
             {"S01D    TZ2", PatternBytes(1000, 2)},
             {"BG01    TZ2", PatternBytes(10, 1)},
             {"ZERO    DAT", {}}});
  ASSERT_TRUE(PackOpen());
  EXPECT_EQ(Load("S01D.TZ2"), PatternBytes(1000, 2));
  EXPECT_EQ(Load("title2.tz2"), PatternBytes(33, 3));
  EXPECT_EQ(Load("Bg01.Tz2"), PatternBytes(10, 1));
  EXPECT_TRUE(Load("ZERO.DAT").empty());
  EXPECT_EQ(Load("0001.SCN", kPackScenario), PatternBytes(50, 9));
  EXPECT_EQ(Load("0001.SCN", kPackData), PatternBytes(5, 6));
  // A file of the same name in the data folder wins, read as it is stored.
  WriteFileBytes(dir.path / "s01d.tz2", PatternBytes(20, 7));
  WriteFileBytes(dir.path / "0001.SCN", PatternBytes(30, 8));
  uint32_t blockSize = 0;
  EXPECT_EQ(Load("S01D.TZ2", kPackData, &blockSize), PatternBytes(20, 7));
  EXPECT_EQ(blockSize, 20u);
  EXPECT_EQ(Load("0001.SCN", kPackScenario), PatternBytes(30, 8));
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

TEST_F(PackTest, WriterBuildsSortedScrambledArchives) {
  // The large entry is scrambled in more than one piece, each going on with the key.
  const std::vector<uint8_t> a = PatternBytes(70000, 1), b = PatternBytes(3, 2), c;
  const std::vector<PackWriteEntry> entries = {{"title2.tz2", a}, {"BG01.TZ2", b}, {"README", c}};
  std::string error;
  ASSERT_TRUE(PackWrite((dir.path / "LNTR3DAT.PAK").string(), entries, &error)) << error;
  // Byte for byte a hand-built archive of the same entries in key order, spare bytes 0.
  EXPECT_EQ(ReadFileBytes(dir.path / "LNTR3DAT.PAK"),
            RawPackArchive({{"BG01    TZ2", b}, {"README     ", c}, {"TITLE2  TZ2", a}}, 0));
}

TEST_F(PackTest, DamagedOrMissingArchivesAreFatal) {
  const std::string dataPath = (dir.path / "LNTR3DAT.PAK").string();
  EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが開けません : " + dataPath);
  const std::vector<uint8_t> good = RawPackArchive({{"A       DAT", PatternBytes(10, 1)}});
  std::vector<uint8_t> badMagic = good, headerOnly(good.begin(), good.begin() + 4), overlap = good;
  badMagic[3] = 'V';
  overlap[8] = 3;  // an entry count whose index would start inside the header
  // Keys that cannot be names: an index scrambled with another key, or damaged.
  const std::vector<uint8_t> controlByte = RawPackArchive({{"A\x01      DAT", {}}});
  const std::vector<uint8_t> blankFirst = RawPackArchive({{"  A     DAT", {}}});
  for (const std::vector<uint8_t>& file :
       {badMagic, headerOnly, overlap, controlByte, blankFirst}) {
    WriteFileBytes(dataPath, file);
    EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが違います : " + dataPath);
  }
}

TEST_F(PackTest, EntriesOutsideTheArchiveOrIndexAreFatal) {
  WriteData({{"A       DAT", PatternBytes(10, 1)},
             {"LONG    DAT", PatternBytes(10, 2), std::nullopt, 100000},
             {"WRAP    DAT", PatternBytes(10, 3), 0xFFFFFFF0u, 0x20}});
  ASSERT_TRUE(PackOpen());
  // Each message names the archive and the entry on a line of its own.
  EXPECT_EXIT(Load("NOPE.TZ2"), ::testing::ExitedWithCode(1),
              "ファイルが見つかりません\\[PACK\\] : NOPE.TZ2\nLNTR3DAT.PAK : NOPE.TZ2");
  EXPECT_EXIT(Load("0009.SCN", kPackScenario), ::testing::ExitedWithCode(1),
              "\nLNTR3SCN.PAK : 0009.SCN");
  for (const std::string name : {"LONG.DAT", "WRAP.DAT"}) {
    EXPECT_EXIT(Load(name.c_str()), ::testing::ExitedWithCode(1),
                "ファイルの読み込みにサイズが異常です。\nLNTR3DAT.PAK : " + name);
  }
  // Not opened at all: nothing can be found.
  PackClose();
  EXPECT_EXIT(Load("A.DAT"), ::testing::ExitedWithCode(1),
              "ファイルが見つかりません\\[PACK\\] : A.DAT");
  // The archive vanished after start-up.
  ASSERT_TRUE(PackOpen());
  fs::remove(dir.path / "LNTR3DAT.PAK");
  EXPECT_EXIT(Load("A.DAT"), ::testing::ExitedWithCode(1),
              "ファイルが開けません : LNTR3DAT.PAK\nLNTR3DAT.PAK : A.DAT");
}

}  // namespace
