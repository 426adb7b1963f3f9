// Tests of the data-directory files: case-insensitive lookup, whole-file loads, overlaying
// saves that replace the file in one step, and the fatal paths.
#include "resources/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/app.h"
#include "resources/memory.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteHostFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; i++) bytes[i] = static_cast<uint8_t>(seed + i * 7);
  return bytes;
}

std::string LabelOf(MemHandle handle) {
  for (int i = 0; i < MemTable.count; i++) {
    if (MemTable.rows[i].handle == handle) return std::string(MemTable.rows[i].name, 16);
  }
  return "";
}

// Each test gets an empty data directory of its own.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "lntr3-files-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    savedDataDir_ = DataDir;
    DataDir = dir_.string();
  }
  void TearDown() override {
    DataDir = savedDataDir_;
    fs::remove_all(dir_);
  }
  std::vector<uint8_t> Load(const char* name) {
    uint32_t size = 0xDEAD;
    MemHandle block = FileLoad(name, &size);
    EXPECT_NE(block, 0u);
    EXPECT_EQ(MemSize(block), size);
    const uint8_t* data = MemLock(block);
    std::vector<uint8_t> bytes(data, data + size);
    MemUnlock(block);
    EXPECT_EQ(MemLockCount(block), 0);
    MemFree(block);
    return bytes;
  }
  size_t EntriesInDir() {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
  std::string savedDataDir_;
};

TEST_F(FilesTest, LoadsWholeFileUnderItsNameInAnyCase) {
  WriteHostFile(dir_ / "Title2.Tz2", Pattern(300, 1));
  EXPECT_EQ(Load("TITLE2.TZ2"), Pattern(300, 1));
  EXPECT_EQ(Load("title2.tz2"), Pattern(300, 1));
  WriteHostFile(dir_ / "EMPTY.DAT", {});
  EXPECT_TRUE(Load("empty.dat").empty());

  uint32_t size = 0;
  MemHandle block = FileLoad("Title2.TZ2", &size);
  EXPECT_EQ(LabelOf(block), "Title2.TZ2      ");
  MemRelease(&block);
}

TEST_F(FilesTest, ExactNameWinsThenSmallestCaseVariant) {
  WriteHostFile(dir_ / "a.dat", {1});
  WriteHostFile(dir_ / "A.DAT", {2});
  WriteHostFile(dir_ / "A.dat", {3});
  EXPECT_EQ(Load("a.dat"), std::vector<uint8_t>{1});
  EXPECT_EQ(Load("A.dat"), std::vector<uint8_t>{3});
  EXPECT_EQ(Load("a.DAT"), std::vector<uint8_t>{2});  // "A.DAT" sorts first
  EXPECT_EQ(DataPath("NEW.SAV"), (dir_ / "NEW.SAV").string());
  DataDir += "/";
  EXPECT_EQ(DataPath("NEW.SAV"), (dir_ / "NEW.SAV").string());
}

TEST_F(FilesTest, ExistsOnlyForReadableRegularFiles) {
  WriteHostFile(dir_ / "LNTR3.ALB", {0});
  fs::create_directory(dir_ / "SUB.DIR");
  EXPECT_TRUE(FileExists("LNTR3.ALB"));
  EXPECT_TRUE(FileExists("lntr3.alb"));
  EXPECT_FALSE(FileExists("LNTR3_00.SAV"));
  EXPECT_FALSE(FileExists("SUB.DIR"));
}

TEST_F(FilesTest, SaveOverlaysOldContentsAndReplacesInOneStep) {
  const std::vector<uint8_t> old = Pattern(200, 10), fresh = Pattern(100, 99);
  WriteHostFile(dir_ / "LNTR3_00.SAV", old);
  fs::permissions(dir_ / "LNTR3_00.SAV", fs::perms(0640));
  const auto permsBefore = fs::status(dir_ / "LNTR3_00.SAV").permissions();

  EXPECT_TRUE(FileSave("lntr3_00.sav", fresh.data(), 100));
  std::vector<uint8_t> expected = fresh;
  expected.insert(expected.end(), old.begin() + 100, old.end());
  EXPECT_EQ(ReadHostFile(dir_ / "LNTR3_00.SAV"), expected);
  EXPECT_EQ(fs::status(dir_ / "LNTR3_00.SAV").permissions(), permsBefore);
  EXPECT_EQ(EntriesInDir(), 1u) << "no temporary file or second spelling left behind";

  // A longer save grows the file; a new name creates it.
  const std::vector<uint8_t> longer = Pattern(300, 5);
  EXPECT_TRUE(FileSave("LNTR3_00.SAV", longer.data(), 300));
  EXPECT_EQ(ReadHostFile(dir_ / "LNTR3_00.SAV"), longer);
  EXPECT_TRUE(FileSave("LNTR3_99.SAV", fresh.data(), 100));
  EXPECT_EQ(ReadHostFile(dir_ / "LNTR3_99.SAV"), fresh);
  EXPECT_EQ(EntriesInDir(), 2u);
}

TEST_F(FilesTest, SaveThroughLinkUpdatesTheTarget) {
  fs::create_directory(dir_ / "real");
  WriteHostFile(dir_ / "real" / "target.sav", Pattern(8, 0));
  fs::create_symlink(dir_ / "real" / "target.sav", dir_ / "LNTR3.ALB");
  const std::vector<uint8_t> fresh = {9, 9};
  EXPECT_TRUE(FileSave("LNTR3.ALB", fresh.data(), 2));
  EXPECT_TRUE(fs::is_symlink(dir_ / "LNTR3.ALB"));
  std::vector<uint8_t> expected = Pattern(8, 0);
  expected[0] = expected[1] = 9;
  EXPECT_EQ(ReadHostFile(dir_ / "real" / "target.sav"), expected);
}

TEST_F(FilesTest, FailuresAreFatalWithTheName) {
  EXPECT_EXIT(FileLoad("NOPE.DAT", nullptr), ::testing::ExitedWithCode(1),
              "ファイルが開けません : NOPE.DAT");
  fs::create_directory(dir_ / "SUB.SAV");
  const uint8_t byte = 1;
  EXPECT_EXIT(FileSave("SUB.SAV", &byte, 1), ::testing::ExitedWithCode(1),
              "ファイルが開けません : SUB.SAV");
  DataDir = (dir_ / "missing").string();
  EXPECT_EXIT(FileSave("LNTR3_01.SAV", &byte, 1), ::testing::ExitedWithCode(1),
              "ファイルが開けません : LNTR3_01.SAV");
}

}  // namespace
