// The dream story (0059) played headless with the demo data: its wave texts, asked for from
// the text and by the event script, each told to its end, and the text standing still while
// the picture under it sways.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

TEST(WaveStory, EveryWaveTextIsToldAndTheWordsStayStillOverTheSwayingPicture) {
  TempDir dir;
  LinkDemoData(dir.path);
  // A click every 1.5 s; the first wave text waits at its first line from about 3.2 s on.
  std::string script = "limit 120000\n";
  for (int t = 1500; t < 100000; t += 1500) {
    script += "at " + std::to_string(t) + " mouse click left 320 400\n";
  }
  const auto shot = [&](int t) { return dir.path / ("wave-" + std::to_string(t) + ".png"); };
  for (int t : {4000, 4030})
    script += "at " + std::to_string(t) + " snapshot " + shot(t).string() + "\n";
  std::string output;
  GameState end{};
  ASSERT_EQ(PlayScenario(dir.path, "0x59", script, output, end), 0) << output;

  std::vector<int> told;
  for (int i = 0; i < end.historyCount; i++) told.push_back(end.history[i].message);
  EXPECT_EQ(told, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

  // The first ten characters of the line, in white, are where they were; the picture is not.
  const RgbImage a = ReadRgbPng(shot(4000)), b = ReadRgbPng(shot(4030));
  ASSERT_EQ(a.width, 640);
  int white = 0, unlike = 0, moved = 0;
  for (int y = 10; y < 36; y++) {
    for (int x = 16; x < 256; x++) {
      white += a.At(x, y) == 0xFFFFFF;
      unlike += (a.At(x, y) == 0xFFFFFF) != (b.At(x, y) == 0xFFFFFF);
    }
  }
  EXPECT_EQ(unlike, 0);
  for (int y = 100; y < 480; y++) {
    for (int x = 0; x < 640; x++) moved += a.At(x, y) != b.At(x, y);
  }
  EXPECT_GT(white, 300);
  EXPECT_GT(moved, 640 * 380 / 4);
}

}  // namespace
