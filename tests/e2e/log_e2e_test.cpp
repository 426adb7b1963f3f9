// The message log played headless with the demo data: ten pages read, the log opened with the
// wheel, five entries paged back with the up key, and the page given back. Each page is one
// message, so the log's text rows must be the rows the page showed when it was read.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scenario/game_state.h"
#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kPageMs = 3000;
constexpr int kPagesRead = 10;
constexpr int kMessages = 12;
constexpr uint32_t kLogAt = (kPagesRead + 1) * kPageMs;  // the game waits at page 11

// Twelve one-page messages over black, the first cells of each unlike any other's.
std::string Source() {
  const char* numbers[] = {"一", "二", "三", "四", "五",   "六",
                           "七", "八", "九", "十", "十一", "十二"};
  std::string events = "[events]\nentry 0\n    bgfill 228\n    show 11\n";
  std::string messages = "[messages]\n";
  for (int m = 0; m < kMessages; m++) {
    events += "    say m" + std::to_string(m) + " then clear\n";
    messages += "message m" + std::to_string(m) + "\n    文の" + numbers[m] + "。{p}\n";
  }
  return events + "    end\n" + messages;
}

// The white ink of the first four cells of the first text row.
std::vector<bool> FirstCells(const RgbImage& picture) {
  std::vector<bool> ink;
  for (int y = 10; y < 36; y++) {
    for (int x = 16; x < 16 + 4 * 24; x++) ink.push_back(picture.At(x, y) == 0xFFFFFF);
  }
  return ink;
}

TEST(LogPlay, TenPagesReadThenFiveEntriesBackAndTheGameGoesOn) {
  TempDir dir;
  LinkDemoData(dir.path);
  std::ofstream(dir.path / "0060.scs") << Source();
  std::string output;
  ASSERT_EQ(RunCommand("'" + kToolBinary + "' scn asm '" + (dir.path / "0060.scs").string() +
                           "' '" + (dir.path / "0060.SCN").string() + "'",
                       output),
            0)
      << output;

  auto shot = [&dir](const std::string& name) { return dir.path / (name + ".png"); };
  std::string script = "limit 120000\n";
  auto step = [&script](uint32_t at, const std::string& what) {
    script += "at " + std::to_string(at) + " " + what + "\n";
  };
  for (int page = 1; page <= kPagesRead + 1; page++) {
    step(page * kPageMs - 300, "snapshot " + shot("page-" + std::to_string(page)).string());
    if (page <= kPagesRead) step(page * kPageMs, "mouse click left 320 400");
  }
  step(kLogAt, "mouse wheel up 320 400");
  step(kLogAt + 1000, "snapshot " + shot("log-0").string());
  for (int back = 1; back <= 5; back++) {
    const uint32_t at = kLogAt + 1000 + back * 1500;
    step(at, "key up");
    step(at + 800, "snapshot " + shot("log-" + std::to_string(back)).string());
  }
  step(kLogAt + 10000, "key escape");
  step(kLogAt + 11000, "snapshot " + shot("back").string());
  // The story goes on: the last page, then the end.
  step(kLogAt + 12000, "mouse click left 320 400");
  step(kLogAt + 15000, "mouse click left 320 400");
  GameState end{};
  ASSERT_EQ(PlayScenario(dir.path, "0x60", script, output, end), 0) << output;

  std::vector<std::vector<bool>> pages(kPagesRead + 2);
  for (int page = 1; page <= kPagesRead + 1; page++) {
    pages[page] = FirstCells(ReadRgbPng(shot("page-" + std::to_string(page))));
    ASSERT_GT(std::count(pages[page].begin(), pages[page].end(), true), 20) << "page " << page;
  }
  // Entry 9 of 11 first (the one before the page on screen), then one further back each time.
  for (int back = 0; back <= 5; back++) {
    const std::vector<bool> log = FirstCells(ReadRgbPng(shot("log-" + std::to_string(back))));
    EXPECT_EQ(log, pages[kPagesRead - back]) << "log step " << back;
    EXPECT_NE(log, pages[kPagesRead + 1]) << "the page on screen is not in the log";
  }
  EXPECT_EQ(FirstCells(ReadRgbPng(shot("back"))), pages[kPagesRead + 1]);
  EXPECT_EQ(end.historyCount, kMessages);
}

}  // namespace
