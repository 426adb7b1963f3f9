// Tests of the PACK archives: scrambling, keys, lookups in hand-built archives (sorted or not),
// rounded reads, loose files, the writer, and every fatal path for damaged archives.
#include "resources/pack.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "resources/memory.h"

namespace {

namespace fs = std::filesystem;

// The key written out here on purpose, so the tests do not trust the code under test.
constexpr std::array<uint8_t, 11> kKey = {0x4E, 0x27, 0xB9, 0x0C, 0x73, 0xE5,
                                          0x1A, 0x98, 0xD2, 0x36, 0xAF};

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; i++) bytes[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
  return bytes;
}

void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// One entry of a hand-built archive; `offset`/`size` override the true ones in the index.
struct RawEntry {
  std::string key;  // the 11 stored characters
  std::vector<uint8_t> data;
  std::optional<uint32_t> offset = std::nullopt;
  std::optional<uint32_t> size = std::nullopt;
};

// Header, each entry scrambled as its own run, then the index scrambled as one run, in the
// order given (sorted or not).
std::vector<uint8_t> BuildArchive(const std::vector<RawEntry>& entries) {
  std::vector<uint8_t> file = {'T', 'A', 'Z', 'U', 'P', 'A', 'C', 'K'};
  file.push_back(static_cast<uint8_t>(entries.size()));
  file.push_back(static_cast<uint8_t>(entries.size() >> 8));
  std::vector<uint8_t> index(entries.size() * 24, 0);
  for (size_t e = 0; e < entries.size(); e++) {
    const RawEntry& entry = entries[e];
    std::memcpy(&index[e * 24], entry.key.data(), 11);
    index[e * 24 + 11] = 0x7F;  // unused; the loader must not treat it as part of the key
    PutLe32(index, e * 24 + 12, entry.offset.value_or(static_cast<uint32_t>(file.size())));
    PutLe32(index, e * 24 + 16, entry.size.value_or(static_cast<uint32_t>(entry.data.size())));
    for (size_t i = 0; i < entry.data.size(); i++) file.push_back(entry.data[i] + kKey[i % 11]);
  }
  for (size_t i = 0; i < index.size(); i++) file.push_back(index[i] + kKey[i % 11]);
  return file;
}

void WriteHostFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string LabelOf(MemHandle handle) {
  for (int i = 0; i < MemTable.count; i++) {
    if (MemTable.rows[i].handle == handle) return std::string(MemTable.rows[i].name, 16);
  }
  return "";
}

TEST(PackFormatTest, ScramblingRunsOverTheKey) {
  std::vector<uint8_t> bytes(13, 0);
  PackScramble(bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 11),
            std::vector<uint8_t>(kKey.begin(), kKey.end()));
  EXPECT_EQ(bytes[11], kKey[0]);
  EXPECT_EQ(bytes[12], kKey[1]);
  // The first byte of index record 1 is byte 24 of the run: key byte 2.
  std::vector<uint8_t> one = {0x10};
  PackScramble(one, 24);
  EXPECT_EQ(one[0], static_cast<uint8_t>(0x10 + kKey[2]));
  std::vector<uint8_t> data = Pattern(100, 3);
  PackScramble(data, 5);
  PackUnscramble(data, 5);
  EXPECT_EQ(data, Pattern(100, 3));
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
class PackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "lntr3-pack-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    savedDataDir_ = DataDir;
    DataDir = dir_.string();
    WriteHostFile(dir_ / "LNTR3SCN.PAK", BuildArchive({{"0001    SCN", Pattern(50, 9)}}));
  }
  void TearDown() override {
    PackClose();
    DataDir = savedDataDir_;
    fs::remove_all(dir_);
  }
  void WriteData(const std::vector<RawEntry>& entries) {
    WriteHostFile(dir_ / "LNTR3DAT.PAK", BuildArchive(entries));
  }
  // Loads an entry and checks the block's bookkeeping; answers the contents.
  std::vector<uint8_t> Load(const char* name, int archive = kPackData,
                            uint32_t* blockSize = nullptr) {
    uint32_t size = 0xDEAD;
    MemHandle block = PackLoad(name, &size, archive);
    EXPECT_NE(block, 0u);
    EXPECT_EQ(MemLockCount(block), 0);
    EXPECT_GE(MemSize(block), size);
    if (blockSize) *blockSize = MemSize(block);
    const uint8_t* data = MemLock(block);
    std::vector<uint8_t> bytes(data, data + size);
    MemRelease(&block);
    for (const PackArchive& a : Pack.archives) EXPECT_EQ(MemLockCount(a.index), 0);
    return bytes;
  }

  fs::path dir_;
  std::string savedDataDir_;
};

TEST_F(PackTest, OpensBothIndexesAndLoadsEntriesInAnyCase) {
  WriteData({{"0001    SCN", Pattern(5, 6)},
             {"BG01    TZ2", Pattern(10, 1)},
             {"S01D    TZ2", Pattern(1000, 2)},
             {"TITLE2  TZ2", Pattern(33, 3)},
             {"ZERO    DAT", {}}});
  ASSERT_TRUE(PackOpen());
  EXPECT_EQ(Pack.archives[kPackData].count, 5);
  EXPECT_EQ(Pack.archives[kPackScenario].count, 1);
  EXPECT_EQ(LabelOf(Pack.archives[kPackData].index), "PACK FILE INDEX ");
  EXPECT_EQ(LabelOf(Pack.archives[kPackScenario].index), "SCN FILE INDEX  ");
  EXPECT_EQ(MemLockCount(Pack.archives[kPackData].index), 0);

  EXPECT_EQ(Load("S01D.TZ2"), Pattern(1000, 2));
  EXPECT_EQ(Load("title2.tz2"), Pattern(33, 3));
  EXPECT_EQ(Load("Bg01.Tz2"), Pattern(10, 1));
  EXPECT_TRUE(Load("ZERO.DAT").empty());
  EXPECT_EQ(Load("0001.SCN", kPackScenario), Pattern(50, 9));
  EXPECT_EQ(Load("0001.SCN", kPackData), Pattern(5, 6));

  uint32_t size = 0;
  MemHandle block = PackLoad("title2.tz2", &size);
  EXPECT_EQ(LabelOf(block), "pk:title2.tz2   ");
  MemRelease(&block);
}

TEST_F(PackTest, ReadsEndOnTheNext4096ByteBoundary) {
  // Entry A runs from 10 to exactly 4096; B from 4096 to 9096, near the end of the file.
  WriteData({{"A       DAT", Pattern(4086, 4)}, {"B       DAT", Pattern(5000, 5)}});
  ASSERT_TRUE(PackOpen());
  uint32_t blockSize = 0;
  EXPECT_EQ(Load("A.DAT", kPackData, &blockSize), Pattern(4086, 4));
  EXPECT_EQ(blockSize, 4086u + 4096u) << "a whole further 4096 bytes";
  EXPECT_EQ(Load("B.DAT", kPackData, &blockSize), Pattern(5000, 5));
  EXPECT_EQ(blockSize, 8192u) << "rounded past the end of the file; the short read is normal";
}

TEST_F(PackTest, UnsortedIndexStillFindsEveryEntry) {
  std::vector<RawEntry> entries;
  for (char c : std::string("QWERTYUIOPASDFG")) {
    entries.push_back({std::string(1, c) + "       BIN", Pattern(7, static_cast<uint8_t>(c))});
  }
  WriteData(entries);
  ASSERT_TRUE(PackOpen());
  for (char c : std::string("QWERTYUIOPASDFG")) {
    const std::string name = std::string(1, c) + ".bin";
    EXPECT_EQ(Load(name.c_str()), Pattern(7, static_cast<uint8_t>(c))) << name;
  }
}

TEST_F(PackTest, LooseFileWinsAndIsReadAsStored) {
  WriteData({{"S01D    TZ2", Pattern(100, 1)}, {"0001    SCN", Pattern(100, 2)}});
  ASSERT_TRUE(PackOpen());
  WriteHostFile(dir_ / "s01d.tz2", Pattern(20, 7));
  WriteHostFile(dir_ / "0001.SCN", Pattern(30, 8));
  uint32_t blockSize = 0;
  EXPECT_EQ(Load("S01D.TZ2", kPackData, &blockSize), Pattern(20, 7));
  EXPECT_EQ(blockSize, 20u);
  EXPECT_EQ(Load("0001.SCN", kPackScenario), Pattern(30, 8));
  uint32_t size = 0;
  MemHandle block = PackLoad("S01D.TZ2", &size);
  EXPECT_EQ(LabelOf(block), "S01D.TZ2        ");
  MemRelease(&block);
}

TEST_F(PackTest, WriterBuildsSortedScrambledArchives) {
  const std::vector<uint8_t> a = Pattern(5000, 1), b = Pattern(3, 2), c = Pattern(0, 0);
  const std::vector<PackWriteEntry> entries = {{"title2.tz2", a}, {"BG01.TZ2", b}, {"README", c}};
  std::string error;
  ASSERT_TRUE(PackWrite((dir_ / "LNTR3DAT.PAK").string(), entries, &error)) << error;

  // Checked byte for byte against a hand-built archive of the same entries in key order.
  EXPECT_EQ(ReadHostFile(dir_ / "LNTR3DAT.PAK").size(), 10u + 5003u + 72u);
  std::vector<uint8_t> file = ReadHostFile(dir_ / "LNTR3DAT.PAK");
  std::vector<uint8_t> expected =
      BuildArchive({{"BG01    TZ2", b}, {"README     ", c}, {"TITLE2  TZ2", a}});
  for (size_t r = 0; r < 3; r++) {  // byte 11 of each record is written as 0
    const size_t at = expected.size() - 72 + r * 24 + 11;
    expected[at] = static_cast<uint8_t>(expected[at] - 0x7F);
  }
  EXPECT_EQ(file, expected);

  ASSERT_TRUE(PackOpen());
  EXPECT_EQ(Load("TITLE2.TZ2"), a);
  EXPECT_EQ(Load("bg01.tz2"), b);
  EXPECT_TRUE(Load("readme").empty());

  const std::vector<PackWriteEntry> duplicate = {{"a.tz2", b}, {"A.TZ2", b}};
  EXPECT_FALSE(PackWrite((dir_ / "X.PAK").string(), duplicate, &error));
  EXPECT_NE(error.find("same name"), std::string::npos) << error;
  const std::vector<PackWriteEntry> longName = {{"LONGNAME1.TZ2", b}};
  EXPECT_FALSE(PackWrite((dir_ / "X.PAK").string(), longName, &error));
  EXPECT_NE(error.find("8.3"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir_ / "X.PAK"));
  EXPECT_FALSE(PackWrite((dir_ / "no" / "X.PAK").string(), entries, &error));
  // A write that cannot be put in place leaves what was there, and no partial file.
  fs::create_directories(dir_ / "BUSY.PAK" / "inside");
  EXPECT_FALSE(PackWrite((dir_ / "BUSY.PAK").string(), entries, &error));
  EXPECT_TRUE(fs::exists(dir_ / "BUSY.PAK" / "inside"));
  for (const auto& item : fs::directory_iterator(dir_)) {
    EXPECT_EQ(item.path().filename().string().find(".part"), std::string::npos);
  }
}

TEST_F(PackTest, DamagedOrMissingArchivesAreFatal) {
  const std::string dataPath = (dir_ / "LNTR3DAT.PAK").string();
  EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが開けません : " + dataPath);

  std::vector<uint8_t> file = BuildArchive({{"A       DAT", Pattern(10, 1)}});
  file[3] = 'V';
  WriteHostFile(dataPath, file);
  EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが違います : " + dataPath);
  WriteHostFile(dataPath, {'T', 'A', 'Z', 'U'});
  EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが違います : " + dataPath);

  // An entry count whose index would start inside the header.
  file = BuildArchive({{"A       DAT", Pattern(10, 1)}});
  file[8] = 3;
  WriteHostFile(dataPath, file);
  EXPECT_EXIT(PackOpen(), ::testing::ExitedWithCode(1), "ファイルが違います : " + dataPath);
}

TEST_F(PackTest, EntriesOutsideTheArchiveOrIndexAreFatal) {
  WriteData({{"A       DAT", Pattern(10, 1)},
             {"LONG    DAT", Pattern(10, 2), std::nullopt, 100000},
             {"WRAP    DAT", Pattern(10, 3), 0xFFFFFFF0u, 0x20}});
  ASSERT_TRUE(PackOpen());
  EXPECT_EQ(Load("A.DAT"), Pattern(10, 1));
  EXPECT_EXIT(Load("NOPE.TZ2"), ::testing::ExitedWithCode(1),
              "ファイルが見つかりません\\[PACK\\] : NOPE.TZ2");
  EXPECT_EXIT(Load("LONG.DAT"), ::testing::ExitedWithCode(1),
              "ファイルの読み込みにサイズが異常です。");
  EXPECT_EXIT(Load("WRAP.DAT"), ::testing::ExitedWithCode(1),
              "ファイルの読み込みにサイズが異常です。");
  // Not opened at all: nothing can be found.
  PackClose();
  EXPECT_EXIT(Load("A.DAT"), ::testing::ExitedWithCode(1),
              "ファイルが見つかりません\\[PACK\\] : A.DAT");
  // The archive vanished after start-up.
  ASSERT_TRUE(PackOpen());
  fs::remove(dir_ / "LNTR3DAT.PAK");
  EXPECT_EXIT(Load("A.DAT"), ::testing::ExitedWithCode(1), "ファイルが開けません : LNTR3DAT.PAK");
}

}  // namespace
