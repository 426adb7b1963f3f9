// Tests of `lntr3tool pack`: create, list and extract round-trip real files, and damaged
// archives or bad names end in one clear line on standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "resources/pack.h"
#include "support/archives.h"
#include "support/files.h"

namespace {

namespace fs = std::filesystem;

class PackToolTest : public ::testing::Test {
 protected:
  // Runs "lntr3tool pack ARGS" in the temporary directory; answers the exit status.
  int Pack(const std::string& args) {
    return RunCommand("cd '" + dir.path.string() + "' && '" + kToolBinary + "' pack " + args,
                      output);
  }
  bool Said(const std::string& text) const { return output.find(text) != std::string::npos; }

  TempDir dir;
  std::string output;
};

TEST_F(PackToolTest, CreateListExtractRoundTrip) {
  fs::create_directory(dir.path / "in");
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
      {"title2.tz2", PatternBytes(5000, 1)},
      {"S01D.TZ2", PatternBytes(4086, 2)},
      {"README", PatternBytes(17, 3)},
      {"EMPTY.DAT", {}}};
  std::string args = "create OUT.PAK";
  for (const auto& [name, bytes] : files) {
    WriteFileBytes(dir.path / "in" / name, bytes);
    args += " in/" + name;
  }
  ASSERT_EQ(Pack(args), 0) << output;

  ASSERT_EQ(Pack("list OUT.PAK"), 0) << output;
  EXPECT_EQ(output,
            "EMPTY.DAT            10          0\n"
            "README               10         17\n"
            "S01D.TZ2             27       4086\n"
            "TITLE2.TZ2         4113       5000\n");

  ASSERT_EQ(Pack("extract OUT.PAK all/deeper"), 0) << output;
  EXPECT_EQ(ReadFileBytes(dir.path / "all/deeper/TITLE2.TZ2"), files[0].second);
  EXPECT_EQ(ReadFileBytes(dir.path / "all/deeper/S01D.TZ2"), files[1].second);
  EXPECT_EQ(ReadFileBytes(dir.path / "all/deeper/README"), files[2].second);
  EXPECT_TRUE(fs::exists(dir.path / "all/deeper/EMPTY.DAT"));
  EXPECT_EQ(fs::file_size(dir.path / "all/deeper/EMPTY.DAT"), 0u);

  ASSERT_EQ(Pack("extract OUT.PAK one s01d.tz2"), 0) << output;
  EXPECT_EQ(ReadFileBytes(dir.path / "one/S01D.TZ2"), files[1].second);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "one"), {}), 1);

  // What the tool writes, the engine's reader takes.
  std::vector<uint8_t> index;
  uint16_t count = 0;
  uint64_t fileSize = 0;
  ASSERT_EQ(PackReadIndex((dir.path / "OUT.PAK").string(), index, count, fileSize),
            PackIndexResult::Ok);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(fileSize, fs::file_size(dir.path / "OUT.PAK"));
}

TEST_F(PackToolTest, BadInputsGiveOneClearLine) {
  WriteFileBytes(dir.path / "LONGNAME1.TZ2", "1");
  WriteFileBytes(dir.path / "a.dat", "1");
  WriteFileBytes(dir.path / "A.DAT", "2");
  WriteFileBytes(dir.path / "JUNK.PAK", PatternBytes(100, 0));
  std::vector<uint8_t> cut = RawPackArchive({{"A       DAT", {1}}});
  cut[8] = 0xFF;  // 255 entries: the index no longer lies where the header says
  WriteFileBytes(dir.path / "CUT.PAK", cut);
  WriteFileBytes(dir.path / "LONG.PAK",
                 RawPackArchive({{"A       DAT", {1}, std::nullopt, 1 << 22}}));
  WriteFileBytes(dir.path / "OK.PAK", RawPackArchive({{"A       DAT", {1}}}));
  const std::pair<const char*, const char*> cases[] = {
      {"create OUT.PAK LONGNAME1.TZ2", "8.3"},
      {"create OUT.PAK a.dat A.DAT", "same name"},
      {"create OUT.PAK MISSING.DAT", "cannot read"},
      {"list JUNK.PAK", "not a PACK archive"},
      {"extract CUT.PAK x", "does not fit"},
      {"list LONG.PAK", "beyond the end"},
      {"extract OK.PAK x NOPE.DAT", "NOPE.DAT is not in"},
  };
  for (const auto& [args, reason] : cases) {
    EXPECT_EQ(Pack(args), 1) << args;
    EXPECT_TRUE(Said(reason)) << args << ": " << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1) << output;
  }
  EXPECT_FALSE(fs::exists(dir.path / "OUT.PAK"));
  EXPECT_FALSE(fs::exists(dir.path / "x"));
}

}  // namespace
