// Files written in one step: a failed write keeps the old file whole and leaves nothing behind,
// a link is written through, and the leftovers of killed writes are cleared.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <set>
#include <string>

#include "support/files.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& item : fs::directory_iterator(dir)) names.insert(item.path().filename());
  return names;
}

TEST(AtomicFile, ReplacesWholeOrNotAtAllFollowsLinksAndClearsLeftovers) {
  TempDir dir;
  const std::string save = (dir.path / "SAVE.DAT").string();
  const std::vector<uint8_t> old = PatternBytes(5000, 1), fresh = PatternBytes(300, 2);
  WriteFileBytes(save, old);
  fs::permissions(save, fs::perms(0640));

  // A producer that gives up halfway: the old file stays, whole, and no temporary file is left.
  std::string error;
  const auto givesUp = [&](const AtomicFileSink& sink) {
    EXPECT_TRUE(sink(fresh.data(), 100));
    return false;
  };
  EXPECT_FALSE(AtomicFileWriteWith(save, givesUp, {}, &error));
  EXPECT_NE(error.find(save), std::string::npos) << error;
  EXPECT_EQ(ReadFileBytes(save), old);
  EXPECT_EQ(Names(dir.path), std::set<std::string>{"SAVE.DAT"});

  // A write through a link replaces the file it names, keeping its mode; the link stays.
  fs::create_symlink("SAVE.DAT", dir.path / "LINK.DAT");
  ASSERT_TRUE(AtomicFileWrite((dir.path / "LINK.DAT").string(), fresh, {}, &error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir.path / "LINK.DAT"));
  EXPECT_EQ(ReadFileBytes(save), fresh);
  EXPECT_EQ(fs::status(save).permissions(), fs::perms(0640));
  EXPECT_EQ(Names(dir.path), (std::set<std::string>{"LINK.DAT", "SAVE.DAT"}));

  // Leftovers of killed writes of SAVE.DAT go; other files, however alike, stay.
  std::set<std::string> others = Names(dir.path);
  for (const char* name :
       {".SAVE.DAT.tmp", ".SAVE.DAT.ab12.tmp", ".SAVE.DAT.abc1234.tmp", ".SAVE.DAT.abc123.txt",
        ".SAVE.DA.abc123.tmp", "SAVE.DAT.abc123.tmp", ".OTHER.DAT.abc123.tmp"}) {
    WriteFileBytes(dir.path / name, "x");
    others.insert(name);
  }
  for (const char* name : {".SAVE.DAT.abc123.tmp", ".SAVE.DAT.Zz9_-Q.tmp"}) {
    WriteFileBytes(dir.path / name, "x");
  }
  AtomicFileRemoveStale(save);
  EXPECT_EQ(Names(dir.path), others);
  EXPECT_EQ(ReadFileBytes(save), fresh);
}

}  // namespace
