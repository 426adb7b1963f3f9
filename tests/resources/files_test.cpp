// Tests of the data-directory files: case-insensitive lookup, whole-file loads, overlaying
// saves that replace the file in one step, and the fatal paths.
#include "resources/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "resources/memory.h"
#include "support/files.h"

namespace {

namespace fs = std::filesystem;

class FilesTest : public DataDirTest {
 protected:
  // Loads a file and checks the block's bookkeeping; answers the contents.
  std::vector<uint8_t> Load(const char* name) {
    uint32_t size = 0xDEAD;
    MemHandle block = FileLoad(name, &size);
    EXPECT_EQ(MemSize(block), size);
    const uint8_t* data = MemLock(block);
    std::vector<uint8_t> bytes(data, data + size);
    MemUnlock(block);
    EXPECT_EQ(MemLockCount(block), 0);
    MemRelease(&block);
    return bytes;
  }
};

TEST_F(FilesTest, ExactNameWinsThenSmallestCaseVariant) {
  fs::create_directory(dir.path / "SUB.DIR");
  WriteFileBytes(dir.path / "a.dat", "1");
  WriteFileBytes(dir.path / "A.DAT", "2");
  WriteFileBytes(dir.path / "A.dat", PatternBytes(300, 1));
  WriteFileBytes(dir.path / "EMPTY.DAT", "");
  EXPECT_EQ(Load("a.dat"), std::vector<uint8_t>{'1'});
  EXPECT_EQ(Load("A.dat"), PatternBytes(300, 1));
  EXPECT_EQ(Load("a.DAT"), std::vector<uint8_t>{'2'});  // "A.DAT" sorts first
  EXPECT_TRUE(Load("empty.dat").empty());
  EXPECT_TRUE(FileExists("A.DAT") && FileExists("Empty.Dat"));
  EXPECT_FALSE(FileExists("LNTR3_00.SAV") || FileExists("SUB.DIR"));
  EXPECT_EQ(DataPath("NEW.SAV"), (dir.path / "NEW.SAV").string());
  DataDir += "/";
  EXPECT_EQ(DataPath("NEW.SAV"), (dir.path / "NEW.SAV").string());
}

TEST_F(FilesTest, SaveOverlaysOldContentsUnderTheExistingSpelling) {
  const std::vector<uint8_t> old = PatternBytes(200, 10), fresh = PatternBytes(100, 99);
  WriteFileBytes(dir.path / "LNTR3_00.SAV", old);
  fs::permissions(dir.path / "LNTR3_00.SAV", fs::perms(0640));
  EXPECT_TRUE(FileSave("lntr3_00.sav", fresh.data(), 100));
  std::vector<uint8_t> expected = fresh;
  expected.insert(expected.end(), old.begin() + 100, old.end());
  EXPECT_EQ(ReadFileBytes(dir.path / "LNTR3_00.SAV"), expected);
  EXPECT_EQ(fs::status(dir.path / "LNTR3_00.SAV").permissions(), fs::perms(0640));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1)
      << "no temporary file or second spelling left behind";

  // A longer save grows the file; a new name creates it; a link keeps pointing at its target.
  std::vector<uint8_t> longer = PatternBytes(300, 5);
  EXPECT_TRUE(FileSave("LNTR3_00.SAV", longer.data(), 300));
  EXPECT_EQ(ReadFileBytes(dir.path / "LNTR3_00.SAV"), longer);
  fs::create_symlink(dir.path / "LNTR3_00.SAV", dir.path / "LNTR3_99.SAV");
  EXPECT_TRUE(FileSave("LNTR3_99.SAV", fresh.data(), 100));
  EXPECT_TRUE(fs::is_symlink(dir.path / "LNTR3_99.SAV"));
  std::copy(fresh.begin(), fresh.end(), longer.begin());
  EXPECT_EQ(ReadFileBytes(dir.path / "LNTR3_00.SAV"), longer);
  EXPECT_TRUE(FileSave("NEW.SAV", fresh.data(), 100));
  EXPECT_EQ(ReadFileBytes(dir.path / "NEW.SAV"), fresh);
}

TEST_F(FilesTest, FailuresAreFatalWithTheName) {
  EXPECT_EXIT(FileLoad("NOPE.DAT", nullptr), ::testing::ExitedWithCode(1),
              "ファイルが開けません : NOPE.DAT");
  const uint8_t byte = 1;
  DataDir = (dir.path / "missing").string();
  EXPECT_EXIT(FileSave("LNTR3_01.SAV", &byte, 1), ::testing::ExitedWithCode(1),
              "ファイルが開けません : LNTR3_01.SAV");
}

}  // namespace
