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
  std::vector<uint8_t> Load(const char* name, std::string* label = nullptr) {
    uint32_t size = 0xDEAD;
    MemHandle block = FileLoad(name, &size);
    EXPECT_EQ(MemSize(block), size);
    for (int i = 0; label && i < MemTable.count; i++) {
      if (MemTable.rows[i].handle == block) *label = std::string(MemTable.rows[i].name, 16);
    }
    const uint8_t* data = MemLock(block);
    std::vector<uint8_t> bytes(data, data + size);
    MemUnlock(block);
    EXPECT_EQ(MemLockCount(block), 0);
    MemRelease(&block);
    return bytes;
  }
  size_t EntriesInDir() {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir.path), {}));
  }
};

TEST_F(FilesTest, LoadsWholeFileUnderItsNameInAnyCase) {
  WriteFileBytes(dir.path / "Title2.Tz2", PatternBytes(300, 1));
  EXPECT_EQ(Load("TITLE2.TZ2"), PatternBytes(300, 1));
  std::string label;
  EXPECT_EQ(Load("title2.tz2", &label), PatternBytes(300, 1));
  EXPECT_EQ(label, "title2.tz2      ");
  WriteFileBytes(dir.path / "EMPTY.DAT", "");
  EXPECT_TRUE(Load("empty.dat").empty());
}

TEST_F(FilesTest, ExactNameWinsThenSmallestCaseVariant) {
  WriteFileBytes(dir.path / "a.dat", "1");
  WriteFileBytes(dir.path / "A.DAT", "2");
  WriteFileBytes(dir.path / "A.dat", "3");
  EXPECT_EQ(Load("a.dat"), std::vector<uint8_t>{'1'});
  EXPECT_EQ(Load("A.dat"), std::vector<uint8_t>{'3'});
  EXPECT_EQ(Load("a.DAT"), std::vector<uint8_t>{'2'});  // "A.DAT" sorts first
  EXPECT_EQ(DataPath("NEW.SAV"), (dir.path / "NEW.SAV").string());
  DataDir += "/";
  EXPECT_EQ(DataPath("NEW.SAV"), (dir.path / "NEW.SAV").string());
}

TEST_F(FilesTest, ExistsOnlyForReadableRegularFiles) {
  WriteFileBytes(dir.path / "LNTR3.ALB", "0");
  fs::create_directory(dir.path / "SUB.DIR");
  EXPECT_TRUE(FileExists("LNTR3.ALB"));
  EXPECT_TRUE(FileExists("lntr3.alb"));
  EXPECT_FALSE(FileExists("LNTR3_00.SAV"));
  EXPECT_FALSE(FileExists("SUB.DIR"));
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
  EXPECT_EQ(EntriesInDir(), 1u) << "no temporary file or second spelling left behind";

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
  fs::create_directory(dir.path / "SUB.SAV");
  const uint8_t byte = 1;
  EXPECT_EXIT(FileSave("SUB.SAV", &byte, 1), ::testing::ExitedWithCode(1),
              "ファイルが開けません : SUB.SAV");
  DataDir = (dir.path / "missing").string();
  EXPECT_EXIT(FileSave("LNTR3_01.SAV", &byte, 1), ::testing::ExitedWithCode(1),
              "ファイルが開けません : LNTR3_01.SAV");
}

}  // namespace
