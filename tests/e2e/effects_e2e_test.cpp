// The demo's test of courage (0057) played headless with the demo data, clicked through page
// by page, with snapshots in the middle of transitions and screen effects: what a player sees
// at those moments, checked at chosen pixels.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "scenario/game_state.h"
#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

// One click a page; everything between two pages of this story (the claw with its thunder
// takes the longest) is over well within it.
constexpr uint32_t kPageMs = 12000;
constexpr int kPages = 29;

// Pages whose click starts what the test looks at, and how long after the click it looks.
constexpr int kSpiral = 1, kSlideUp = 13, kCurtain = 19, kQuake = 22, kClaw = 23, kSplash = 25,
              kRedScene = 27, kCat = 28, kMemory = 29;
const std::map<std::string, std::pair<int, uint32_t>> kMoments = {
    {"spiral", {kSpiral, 1500}}, {"slide", {kSlideUp, 250}}, {"curtain", {kCurtain, 800}},
    {"quake", {kQuake, 100}},    {"claw", {kClaw, 2600}},    {"splash", {kSplash, 1500}},
};

constexpr uint32_t kBlack = 0x000000, kRed = 0xFF0000;

class EffectsPlay : public ::testing::Test {
 protected:
  void SetUp() override { LinkDemoData(dir.path); }

  fs::path Shot(const std::string& name) const { return dir.path / (name + ".png"); }

  // Plays the story with one click a page, a snapshot of each page 300 ms before its click
  // and one at each moment.
  int Play() {
    std::map<uint32_t, std::string> steps;
    for (int page = 1; page <= kPages; page++) {
      steps[page * kPageMs - 300] = "snapshot " + Shot("page-" + std::to_string(page)).string();
      steps[page * kPageMs] = "mouse click left 320 400";
    }
    for (const auto& [name, moment] : kMoments) {
      steps[moment.first * kPageMs + moment.second] = "snapshot " + Shot(name).string();
    }
    std::string script = "limit " + std::to_string((kPages + 2) * kPageMs) + "\n";
    for (const auto& [at, step] : steps) script += "at " + std::to_string(at) + " " + step + "\n";
    std::string output;
    return PlayScenario(dir.path, "0x57", script, output, end);
  }

  // Pixels of the box [x0, x1) x [y0, y1) of a snapshot that pass `test`.
  static int Count(const RgbImage& image, int x0, int y0, int x1, int y1,
                   const std::function<bool(uint32_t)>& test) {
    int n = 0;
    for (int y = y0; y < y1; y++) {
      for (int x = x0; x < x1; x++) n += test(image.At(x, y));
    }
    return n;
  }
  static int Black(const RgbImage& image, int x0, int y0, int x1, int y1) {
    return Count(image, x0, y0, x1, y1, [](uint32_t c) { return c == kBlack; });
  }
  static bool Reddish(uint32_t c) {
    const int r = c >> 16, g = c >> 8 & 0xFF, b = c & 0xFF;
    return r > 60 && r > 2 * g && r > 2 * b;
  }

  TempDir dir;
  GameState end{};
};

TEST_F(EffectsPlay, TheTestOfCourageShowsEveryEffectOnTheWay) {
  ASSERT_EQ(Play(), 0);
  // Every page was shown once and the story ran to its end, the scene taken away.
  EXPECT_EQ(end.historyCount, kPages);
  EXPECT_EQ(end.bgShown, 255);

  // Half way through the spiral the border is black and the middle still shows the street.
  const RgbImage spiral = ReadRgbPng(Shot("spiral"));
  EXPECT_EQ(Black(spiral, 0, 0, 640, 40), 640 * 40);
  EXPECT_EQ(Black(spiral, 600, 0, 640, 480), 40 * 480);
  EXPECT_EQ(Black(spiral, 280, 200, 360, 280), 0);

  // A quarter of a second into the slide-out the picture has gone half way up, black below.
  const RgbImage slide = ReadRgbPng(Shot("slide"));
  EXPECT_EQ(Black(slide, 0, 270, 640, 480), 640 * 210);
  EXPECT_LT(Black(slide, 0, 0, 640, 200), 640 * 20);

  // The red curtain is coming down: red at the top, the room still below it.
  const RgbImage curtain = ReadRgbPng(Shot("curtain"));
  EXPECT_EQ(Count(curtain, 0, 0, 640, 20, [](uint32_t c) { return c == kRed; }), 640 * 20);
  EXPECT_EQ(Count(curtain, 0, 460, 640, 480, [](uint32_t c) { return c == kRed; }), 0);

  // The long shake's second move, left and up by 16: black bands at the left and the bottom.
  const RgbImage quake = ReadRgbPng(Shot("quake"));
  EXPECT_EQ(Black(quake, 0, 0, 16, 480), 16 * 480);
  EXPECT_EQ(Black(quake, 0, 464, 640, 480), 640 * 16);
  EXPECT_LT(Black(quake, 16, 0, 640, 464), 624 * 464 / 10);

  // Claw marks torn across black.
  const RgbImage claw = ReadRgbPng(Shot("claw"));
  EXPECT_GT(Count(claw, 0, 0, 640, 480, Reddish), 20000);
  EXPECT_EQ(Black(claw, 0, 0, 20, 20), 400);

  // The splash: red blots from the top right to the bottom left, already dimmed.
  const RgbImage splash = ReadRgbPng(Shot("splash"));
  EXPECT_GT(Count(splash, 480, 0, 640, 120, Reddish), 4000);
  EXPECT_EQ(Black(splash, 0, 0, 100, 100), 100 * 100);
  EXPECT_EQ(Black(splash, 540, 380, 640, 480), 100 * 100);
  EXPECT_EQ(Count(splash, 0, 0, 640, 480, [](uint32_t c) { return c == kRed; }), 0);

  // The red curtain that stays: a red scene under the text, dimmed while it is read.
  const RgbImage red = ReadRgbPng(Shot("page-" + std::to_string(kRedScene)));
  EXPECT_EQ(Count(red, 0, 200, 640, 480, [](uint32_t c) { return c == 0xA90000; }), 640 * 280);

  // Transition 32 keeps the picture: the cat's page comes back in old-photograph colours.
  const RgbImage cat = ReadRgbPng(Shot("page-" + std::to_string(kCat)));
  const RgbImage memory = ReadRgbPng(Shot("page-" + std::to_string(kMemory)));
  const auto sepia = [](uint32_t c) {
    const int r = c >> 16, g = c >> 8 & 0xFF, b = c & 0xFF;
    return r >= g && g >= b;
  };
  EXPECT_EQ(Count(memory, 0, 200, 640, 480, sepia), 640 * 280);
  EXPECT_LT(Count(cat, 0, 200, 640, 480, sepia), 640 * 280 / 2);
  EXPECT_EQ(Black(memory, 0, 200, 640, 480), Black(cat, 0, 200, 640, 480));
}

}  // namespace
