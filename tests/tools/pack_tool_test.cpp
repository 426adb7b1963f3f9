// Tests of `lntr3tool pack`: create, list and extract round-trip real files, and damaged
// archives or bad names end in one clear line on standard error.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/pack.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; i++) bytes[i] = static_cast<uint8_t>(seed ^ (i * 31 + (i >> 7)));
  return bytes;
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

std::string ReadText(const fs::path& path) {
  std::vector<uint8_t> bytes = ReadHostFile(path);
  return std::string(bytes.begin(), bytes.end());
}

struct ToolRun {
  int status;
  std::string out, err;
};

class PackToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "lntr3-packtool-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs lntr3tool with the arguments (quoted for the shell) and collects its output.
  ToolRun Run(const std::vector<std::string>& args) {
    std::string command = std::string("'") + LNTR3_BIN_DIR + "/lntr3tool'";
    for (const std::string& arg : args) command += " '" + arg + "'";
    command += " >'" + (dir_ / "out.txt").string() + "' 2>'" + (dir_ / "err.txt").string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir_ / "out.txt"),
            ReadText(dir_ / "err.txt")};
  }
  std::string P(const std::string& name) { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST_F(PackToolTest, CreateListExtractRoundTrip) {
  fs::create_directory(dir_ / "in");
  const std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
      {"title2.tz2", Pattern(5000, 1)},
      {"S01D.TZ2", Pattern(4086, 2)},
      {"README", Pattern(17, 3)},
      {"EMPTY.DAT", {}}};
  std::vector<std::string> args = {"pack", "create", P("OUT.PAK")};
  for (const auto& [name, bytes] : files) {
    WriteHostFile(dir_ / "in" / name, bytes);
    args.push_back(P("in/" + name));
  }
  ToolRun run = Run(args);
  ASSERT_EQ(run.status, 0) << run.err;

  run = Run({"pack", "list", P("OUT.PAK")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "EMPTY.DAT            10          0\n"
            "README               10         17\n"
            "S01D.TZ2             27       4086\n"
            "TITLE2.TZ2         4113       5000\n");

  run = Run({"pack", "extract", P("OUT.PAK"), P("all/deeper")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadHostFile(dir_ / "all/deeper/TITLE2.TZ2"), files[0].second);
  EXPECT_EQ(ReadHostFile(dir_ / "all/deeper/S01D.TZ2"), files[1].second);
  EXPECT_EQ(ReadHostFile(dir_ / "all/deeper/README"), files[2].second);
  EXPECT_TRUE(fs::exists(dir_ / "all/deeper/EMPTY.DAT"));
  EXPECT_EQ(fs::file_size(dir_ / "all/deeper/EMPTY.DAT"), 0u);

  run = Run({"pack", "extract", P("OUT.PAK"), P("one"), "s01d.tz2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadHostFile(dir_ / "one/S01D.TZ2"), files[1].second);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "one"), {}), 1);

  // What the tool writes, the engine's reader takes.
  std::vector<uint8_t> index;
  uint16_t count = 0;
  uint64_t fileSize = 0;
  ASSERT_EQ(PackReadIndex(P("OUT.PAK"), index, count, fileSize), PackIndexResult::Ok);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(fileSize, fs::file_size(dir_ / "OUT.PAK"));
}

TEST_F(PackToolTest, BadInputsGiveOneClearLine) {
  WriteHostFile(dir_ / "LONGNAME1.TZ2", {1});
  ToolRun run = Run({"pack", "create", P("OUT.PAK"), P("LONGNAME1.TZ2")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("8.3"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_ / "OUT.PAK"));

  WriteHostFile(dir_ / "a.dat", {1});
  WriteHostFile(dir_ / "A.DAT", {2});
  run = Run({"pack", "create", P("OUT.PAK"), P("a.dat"), P("A.DAT")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("same name"), std::string::npos) << run.err;

  run = Run({"pack", "create", P("OUT.PAK"), P("MISSING.DAT")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("cannot read"), std::string::npos) << run.err;

  WriteHostFile(dir_ / "JUNK.PAK", Pattern(100, 0));
  run = Run({"pack", "list", P("JUNK.PAK")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("not a PACK archive"), std::string::npos) << run.err;

  // A good archive cut short: its index no longer lies where the header says.
  ASSERT_EQ(Run({"pack", "create", P("OUT.PAK"), P("a.dat")}).status, 0);
  std::vector<uint8_t> bytes = ReadHostFile(dir_ / "OUT.PAK");
  bytes[8] = 0xFF;  // 255 entries
  WriteHostFile(dir_ / "CUT.PAK", bytes);
  run = Run({"pack", "extract", P("CUT.PAK"), P("x")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("does not fit"), std::string::npos) << run.err;

  // An entry that points past the end (the size field of the only record made huge).
  bytes = ReadHostFile(dir_ / "OUT.PAK");
  bytes[bytes.size() - 24 + 19] ^= 0x40;
  WriteHostFile(dir_ / "LONG.PAK", bytes);
  run = Run({"pack", "list", P("LONG.PAK")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("beyond the end"), std::string::npos) << run.err;

  run = Run({"pack", "extract", P("OUT.PAK"), P("x"), "NOPE.DAT"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("NOPE.DAT is not in"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_ / "x"));

  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST_F(PackToolTest, UsageAndHelp) {
  EXPECT_EQ(Run({"pack"}).status, 2);
  EXPECT_EQ(Run({"pack", "frobnicate"}).status, 2);
  EXPECT_EQ(Run({"pack", "list"}).status, 2);
  EXPECT_EQ(Run({"pack", "extract", "X.PAK"}).status, 2);
  for (const char* sub : {"create", "list", "extract"}) {
    ToolRun run = Run({"pack", sub, "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find(std::string("lntr3tool pack ") + sub), std::string::npos);
  }
  ToolRun run = Run({"pack", "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("extract PAK DIR"), std::string::npos);
}

}  // namespace
