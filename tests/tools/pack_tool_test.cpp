// Tests of `lntr3tool pack`: create, list and extract round-trip real files, and damaged
// archives or bad names end in one clear line on standard error.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/archives.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;

using PackToolTest = ToolRunTest;

TEST_F(PackToolTest, CreateListExtractRoundTrip) {
  fs::create_directory(At("in"));
  const struct {
    std::string name, stored;
    std::vector<uint8_t> bytes;
  } files[] = {{"title2.tz2", "TITLE2.TZ2", PatternBytes(5000, 1)},
               {"S01D.TZ2", "S01D.TZ2", PatternBytes(4086, 2)},
               {"README", "README", PatternBytes(17, 3)},
               {"EMPTY.DAT", "EMPTY.DAT", {}}};
  std::string args = "pack create OUT.PAK";
  for (const auto& [name, stored, bytes] : files) {
    WriteFileBytes(At("in/" + name), bytes);
    args += " in/" + name;
  }
  ASSERT_EQ(Tool(args), 0) << output;

  ASSERT_EQ(Tool("pack list OUT.PAK"), 0) << output;
  EXPECT_EQ(output,
            "EMPTY.DAT            10          0\n"
            "README               10         17\n"
            "S01D.TZ2             27       4086\n"
            "TITLE2.TZ2         4113       5000\n");

  ASSERT_EQ(Tool("pack extract OUT.PAK all/deeper"), 0) << output;
  for (const auto& [name, stored, bytes] : files) {
    const fs::path path = At("all/deeper/" + stored);
    EXPECT_TRUE(fs::exists(path)) << path;
    EXPECT_EQ(ReadFileBytes(path), bytes) << path;
  }
  ASSERT_EQ(Tool("pack extract OUT.PAK one s01d.tz2"), 0) << output;
  EXPECT_EQ(ReadFileBytes(At("one/S01D.TZ2")), files[1].bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(At("one")), {}), 1);
}

TEST_F(PackToolTest, BadInputsGiveOneClearLine) {
  WriteFileBytes(At("LONGNAME1.TZ2"), "1");
  WriteFileBytes(At("a.dat"), "1");
  WriteFileBytes(At("A.DAT"), "2");
  WriteFileBytes(At("JUNK.PAK"), PatternBytes(100, 0));
  std::vector<uint8_t> cut = RawPackArchive({{"A       DAT", {1}}});
  cut[8] = 0xFF;  // 255 entries: the index no longer lies where the header says
  WriteFileBytes(At("CUT.PAK"), cut);
  WriteFileBytes(At("LONG.PAK"), RawPackArchive({{"A       DAT", {1}, std::nullopt, 1 << 22}}));
  WriteFileBytes(At("OK.PAK"), RawPackArchive({{"A       DAT", {1}}}));
  // Names from a damaged index come out escaped, never as raw bytes.
  WriteFileBytes(At("KEY.PAK"), RawPackArchive({{"A\x1B[2J   DAT", {1}}}));
  fs::create_directory(At("folder"));
  const std::pair<const char*, const char*> cases[] = {
      {"create OUT.PAK LONGNAME1.TZ2", "LONGNAME1.TZ2: 'LONGNAME1.TZ2' is not an 8.3"},
      {"create OUT.PAK a.dat A.DAT", "a.dat and A.DAT would both be stored as A.DAT"},
      {"create OUT.PAK MISSING.DAT", "cannot read MISSING.DAT"},
      {"create OUT.PAK folder", "cannot read folder"},
      {"create folder OK.PAK", "cannot write folder"},
      {"list KEY.PAK", "KEY.PAK: damaged index: entry 0 ('A\\x1B[2J.DAT') has no usable name"},
      {"list JUNK.PAK", "not a PACK archive"},
      {"extract CUT.PAK x", "does not fit"},
      {"list LONG.PAK", "beyond the end"},
      {"extract OK.PAK x NOPE.DAT", "NOPE.DAT is not in"},
  };
  for (const auto& [args, reason] : cases) ExpectRefused("pack " + std::string(args), reason);
  EXPECT_FALSE(fs::exists(At("OUT.PAK")));
  EXPECT_FALSE(fs::exists(At("x")));
}

}  // namespace
