// The demo played as a player plays it, twice with the same save folder: from start-up through
// the maker's logo and the opening (watched to its end, then cut short during the name), the
// title, a new game with the name entry, the festival evening each way to its ending scene,
// and back at the title.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

// One page of the story every 15 s of the virtual clock, as in the scene walk.
constexpr uint32_t kPageMs = 15000;

struct Way {
  const char* name;
  std::vector<std::string> toTheNameEntry;  // steps from start-up to the name entry's first part
  uint32_t story;                           // the answer to the summary, the story beginning
  int pages;
  std::map<int, std::pair<int, int>> clicks;  // the choice and the question
  uint32_t ending;                            // how long the ending runs before a click
  int endingBit;                              // the bit of variable 81 this way sets
};

const Way kWays[] = {
    // The whole opening, its title, "start", slot 1; the bridge, a lantern floated, the first
    // ending cut short while its credits glow.
    {"bridge",
     {"at 145000 key enter", "at 147000 key enter", "at 149000 key enter"},
     162000,
     35,
     {{14, {60, 60}}, {30, {290, 192}}},
     30000,
     1},
    // OK during the name: the title comes at once and waits; "start", down to the empty slot 2;
    // the riverbank, only watched, the second ending to its last click.
    {"riverbank",
     {"at 30000 key enter", "at 34000 key enter", "at 36000 key down", "at 37000 key enter"},
     49000,
     33,
     {{14, {60, 96}}, {29, {290, 228}}},
     200000,
     2},
};

// The share of the box's pixels that are pure white.
double WhiteShare(const RgbImage& image, int x0, int y0, int x1, int y1) {
  int white = 0;
  for (int y = y0; y < y1; y++) {
    for (int x = x0; x < x1; x++) white += image.At(x, y) == 0xFFFFFF;
  }
  return static_cast<double>(white) / ((x1 - x0) * (y1 - y0));
}

TEST(WholeGameE2E, FromStartUpToEachEndingAndBackToTheTitle) {
  TempDir dir;
  LinkDemoData(dir.path);
  const std::string saves = " --save-dir " + (dir.path / "saves").string();
  int seen = 0;
  for (const Way& way : kWays) {
    SCOPED_TRACE(way.name);
    const auto shot = [&](const std::string& name) {
      return (dir.path / (std::string(way.name) + "-" + name + ".png")).string();
    };
    std::vector<std::pair<uint32_t, std::string>> steps;
    const auto at = [&](uint32_t t, const std::string& what) {
      steps.emplace_back(t, "at " + std::to_string(t) + " " + what);
    };
    for (const std::string& step : way.toTheNameEntry) {
      steps.emplace_back(std::stoul(step.substr(3)), step);
    }
    // Every part as it stands (the pointer glides onto "finish"), then "yes" above "no".
    for (uint32_t t : {5000, 4000, 3000, 2000}) at(way.story - t, "key enter");
    at(way.story - 500, "key up");
    at(way.story, "key enter");
    for (int page = 1; page <= way.pages; page++) {
      const auto [x, y] = way.clicks.count(page) ? way.clicks.at(page) : std::pair{320, 400};
      at(way.story + page * kPageMs,
         "mouse click left " + std::to_string(x) + " " + std::to_string(y));
    }
    const uint32_t ending = way.story + way.pages * kPageMs;
    at(ending + 14000, "snapshot " + shot("ending"));
    at(ending + way.ending, "mouse click left 320 400");
    at(ending + way.ending + 8000, "snapshot " + shot("title"));
    at(ending + way.ending + 9000, "quit");
    std::sort(steps.begin(), steps.end());
    std::string script = "limit " + std::to_string(ending + way.ending + 20000) + "\n";
    for (const auto& step : steps) script += step.second + "\n";

    std::string output;
    GameState end{};
    ASSERT_EQ(PlayGame(dir.path, saves.substr(1), script, output, end), 0) << output;
    seen |= way.endingBit;
    EXPECT_EQ(end.vars[80], 255) << "the story seen through";
    EXPECT_EQ(end.vars[81], seen) << "the ways of ending seen, kept across games";
    EXPECT_NE(end.nameArrays[0][0], kEmptyCode) << "the names the name entry confirmed";

    // The ending: the last picture shrunk into the upper left, the white ground beside it.
    const RgbImage shrunk = ReadRgbPng(shot("ending"));
    EXPECT_GT(WhiteShare(shrunk, 460, 0, 640, 330), 0.9);
    EXPECT_LT(WhiteShare(shrunk, 0, 0, 440, 330), 0.5);
    // Back at the title: its picture, not the black the ending leaves.
    const RgbImage title = ReadRgbPng(shot("title"));
    int lit = 0;
    for (int y = 0; y < title.height; y += 8) {
      for (int x = 0; x < title.width; x += 8) lit += title.At(x, y) != 0;
    }
    EXPECT_GT(lit, 0.95 * (title.width / 8) * (title.height / 8));
  }
}

}  // namespace
