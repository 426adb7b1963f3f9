// The dream story (0059) played headless with the demo data: every wave text, asked for from
// the text, from inside another wave text and by the event script, is told to its end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_run.h"
#include "support/test_data.h"

namespace {

TEST(WaveStory, EveryWaveTextIsToldInTurn) {
  TempDir dir;
  LinkDemoData(dir.path);
  std::string script = "limit 120000\n";
  for (int t = 1500; t < 100000; t += 1500) {
    script += "at " + std::to_string(t) + " mouse click left 320 400\n";
  }
  std::string output;
  GameState end{};
  ASSERT_EQ(PlayScenario(dir.path, "0x59", script, output, end), 0) << output;
  std::vector<int> told;
  for (int i = 0; i < end.historyCount; i++) told.push_back(end.history[i].message);
  EXPECT_EQ(told, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(end.vars[kVarWaveRequest], 0);
  EXPECT_EQ(end.vars[kVarRippleRequest], 0);
}

}  // namespace
