// The SDL backend's settings file: reading the INI section, rewriting it without disturbing the
// rest of the file, where the file lies, and replacing it on the disk in one step.
#include "platform/sdl/sdl_ini.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "support/files.h"

namespace {

namespace fs = std::filesystem;

TEST(SdlIniParseTest, ReadsOnlyItsSectionWhateverTheCaseAndLayout) {
  const std::string text =
      "; written by hand\r\n"
      "[Other]\r\n"
      "Music=7\r\n"
      "  [ software\\tazu\\MIRABEL ]  \r\n"
      "Music = 0\r\n"
      "# a comment=1\r\n"
      "DataDir=  \"  /games/vol 3  \"  \r\n"
      "no equals sign here\r\n"
      "=5\r\n"
      "[Later]\r\n"
      "Wave=9\r\n"
      "[SoftWare\\Tazu\\Mirabel]\r\n"
      "Wave=1\r\n"
      "Music=1\r\n";
  SdlIniValues values;
  EXPECT_TRUE(SdlIniParse(text, kSdlIniSection, values));
  // The section given twice reads as one; the later value wins; quotes keep edge blanks.
  EXPECT_EQ(values, (SdlIniValues{{"Music", "1"}, {"Wave", "1"}, {"DataDir", "  /games/vol 3  "}}));

  SdlIniValues none;
  EXPECT_FALSE(SdlIniParse("[Other]\nMusic=1\n", kSdlIniSection, none));
  EXPECT_TRUE(none.empty());
  // An empty section still counts as the key being there.
  EXPECT_TRUE(SdlIniParse("[SoftWare\\Tazu\\Mirabel]", kSdlIniSection, none));
}

TEST(SdlIniMergeTest, ReplacesItsSectionAndKeepsEverythingElse) {
  const std::string old =
      "; settings\n"
      "[Other]\n"
      "Keep=this\n"
      "\n"
      "[SoftWare\\Tazu\\Mirabel]\n"
      "Music=1\n"
      "Gone=1\n"
      "[Tail]\n"
      "x=y\n"
      "[softWARE\\tazu\\mirabel]\n"
      "Music=0\n";
  const SdlIniValues values{{"Music", "0"}, {"ScreenSize", "3"}, {"DataDir", " spaced "}};
  std::string text;
  ASSERT_TRUE(SdlIniMerge(old, kSdlIniSection, values, text));
  EXPECT_EQ(text,
            "; settings\n"
            "[Other]\n"
            "Keep=this\n"
            "\n"
            "[SoftWare\\Tazu\\Mirabel]\n"
            "DataDir=\" spaced \"\n"
            "Music=0\n"
            "ScreenSize=3\n"
            "[Tail]\n"
            "x=y\n");

  // A file without the section gets it at the end, after a blank line.
  ASSERT_TRUE(SdlIniMerge("[Other]\nA=1", kSdlIniSection, {{"Music", "1"}}, text));
  EXPECT_EQ(text, "[Other]\nA=1\n\n[SoftWare\\Tazu\\Mirabel]\nMusic=1\n");
  ASSERT_TRUE(SdlIniMerge("", kSdlIniSection, {}, text));
  EXPECT_EQ(text, "[SoftWare\\Tazu\\Mirabel]\n");
}

TEST(SdlIniMergeTest, ValuesReadBackExactlyOrAreRefused) {
  // Quotes and blanks survive a round trip.
  const SdlIniValues tricky{{"A", "\"quoted\""}, {"B", "\""}, {"C", ""}, {"D", "a=b;c"}};
  std::string text;
  ASSERT_TRUE(SdlIniMerge("", kSdlIniSection, tricky, text));
  SdlIniValues back;
  SdlIniParse(text, kSdlIniSection, back);
  EXPECT_EQ(back, tricky);

  // What cannot be written so that it reads back the same is refused, output untouched.
  for (const SdlIniValues& bad :
       {SdlIniValues{{"DataDir", "a\nMusic=0"}}, SdlIniValues{{"DataDir", "a\rb"}},
        SdlIniValues{{"DataDir", std::string("a\0b", 3)}}, SdlIniValues{{"Na=me", "1"}},
        SdlIniValues{{"[Sec]", "1"}}, SdlIniValues{{"", "1"}}, SdlIniValues{{" Music", "1"}},
        SdlIniValues{{";Music", "1"}}}) {
    std::string out = "untouched";
    EXPECT_FALSE(SdlIniMerge("", kSdlIniSection, bad, out)) << bad.begin()->first;
    EXPECT_EQ(out, "untouched");
  }
}

TEST(SdlIniPathTest, FollowsTheXdgRules) {
  EXPECT_EQ(SdlIniPath("/cfg", "/home/u"), "/cfg/lanternia3/lanternia3.ini");
  EXPECT_EQ(SdlIniPath("/cfg/", "/home/u"), "/cfg/lanternia3/lanternia3.ini");
  // A relative or empty XDG_CONFIG_HOME is ignored.
  EXPECT_EQ(SdlIniPath("relative", "/home/u"), "/home/u/.config/lanternia3/lanternia3.ini");
  EXPECT_EQ(SdlIniPath("", "/home/u/"), "/home/u/.config/lanternia3/lanternia3.ini");
  EXPECT_EQ(SdlIniPath(nullptr, "/home/u"), "/home/u/.config/lanternia3/lanternia3.ini");
  EXPECT_EQ(SdlIniPath(nullptr, nullptr), "");
  EXPECT_EQ(SdlIniPath("", ""), "");
}

// The settings file under a configuration folder of the test's own.
class SdlIniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg) savedXdg_ = xdg;
    setenv("XDG_CONFIG_HOME", (dir_.path / "config").c_str(), 1);
  }
  void TearDown() override {
    savedXdg_ ? setenv("XDG_CONFIG_HOME", savedXdg_->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  }
  TempDir dir_;
  const fs::path settings_ = dir_.path / "config" / "lanternia3" / "lanternia3.ini";
  std::optional<std::string> savedXdg_;
};

TEST_F(SdlIniFileTest, SettingsAreKeptInTheirSectionOfAFileOnlyThePlayerReads) {
  SdlIniValues values;
  bool exists = true;
  SdlSettingsLoad(values, exists);
  EXPECT_FALSE(exists);
  EXPECT_TRUE(values.empty());

  // The first save makes the folders on the way; other sections written by hand stay.
  ASSERT_TRUE(SdlSettingsSave({{"Music", "0"}, {"DataDir", "/games/Mirabel"}}));
  EXPECT_EQ(fs::status(settings_).permissions(), fs::perms(0600));
  ASSERT_TRUE(SdlIniWriteFile(settings_.string(), "[Mine]\nx=1\n" + ReadFileText(settings_)));
  ASSERT_TRUE(SdlSettingsSave({{"Music", "1"}, {"SpecLow", "1"}}));
  SdlSettingsLoad(values, exists);
  EXPECT_TRUE(exists);
  EXPECT_EQ(values, (SdlIniValues{{"Music", "1"}, {"SpecLow", "1"}}));
  EXPECT_EQ(ReadFileText(settings_).rfind("[Mine]\nx=1\n", 0), 0u);
}

TEST_F(SdlIniFileTest, AFileThatCannotBeReadOrWrittenIsLeftAlone) {
  // The settings path is a directory: it cannot be read, so saving must not replace it.
  fs::create_directories(settings_ / "inside");
  EXPECT_FALSE(SdlSettingsSave({{"Music", "1"}}));
  EXPECT_TRUE(fs::is_directory(settings_ / "inside"));
  SdlIniValues values;
  bool exists = true;
  SdlSettingsLoad(values, exists);
  EXPECT_FALSE(exists);
  // A plain file where a folder should be: the write fails and says so.
  WriteFileBytes(dir_.path / "plain", "x");
  EXPECT_FALSE(SdlIniWriteFile((dir_.path / "plain" / "settings.ini").string(), "x"));
}

}  // namespace
