// The whole game as a player meets it, on the demo data: a new game from the title, a save in
// the game menu, the saved game continued from the title, the after-story the title offers
// once both endings were seen, and the music room.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "screens/save_data.h"
#include "support/game_run.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

// The title waits for any key, then its menu starts on its first item.
constexpr const char* kToTitleMenu = "at 2000 key enter\n";
// "Start" on the title, then slot 3 (two down from the first) on the slot list.
constexpr const char* kToSlot3 =
    "at 3000 key enter\n"
    "at 5000 key down\nat 5300 key down\nat 5600 key enter\n";

class TitleRun : public ::testing::Test {
 protected:
  void SetUp() override { LinkDemoData(dir.path); }
  // Plays `script` from the title, without the opening (quitting at its end, time `quitAt`);
  // the state at the quit goes to `end`.
  void Play(const std::string& script, int quitAt, GameState& end) {
    const std::string all = "limit " + std::to_string(quitAt + 5000) + "\n" + script + "at " +
                            std::to_string(quitAt) + " quit\n";
    ASSERT_EQ(PlayGame(dir.path, "--no-opening", all, output, end), 0) << output;
  }
  // Slot 3's file, unsealed; false when it does not hold a sound save.
  bool ReadSlot3(GameState& state) {
    const std::string bytes = ReadFileText(dir.path / "LNTR3_02.SAV");
    if (bytes.size() != kGameStateSize) return false;
    std::memcpy(&state, bytes.data(), kGameStateSize);
    return SaveUnseal(StateBytes(state));
  }

  TempDir dir;
  std::string output;
};

TEST_F(TitleRun, ASavedGameContinuesAsItWasAndTheAfterStoryOpensAfterBothEndings) {
  // A new game in slot 3 with the names it starts with (the name entry cancelled); at the
  // first click wait the game menu (cancel), down twice to "save", the slot list on slot 3 (the
  // one picked last), "yes" (up from the preselected "no"), the notice clicked away, the menu
  // left.
  GameState saved{}, continued{};
  Play(std::string(kToTitleMenu) + kToSlot3 +
           "at 10000 key escape\n"
           "at 20000 key escape\n"
           "at 22000 key down\nat 22300 key down\nat 22600 key enter\n"
           "at 24600 key enter\n"
           "at 26000 key up\nat 26300 key enter\n"
           "at 28000 key enter\nat 30000 key escape\n",
       32000, saved);
  GameState slot{};
  ASSERT_TRUE(ReadSlot3(slot));
  EXPECT_EQ(slot.vars[kVarEmptySlot], 0);
  EXPECT_EQ(slot.currentScenario, saved.currentScenario);
  EXPECT_EQ(slot.eventPc, saved.eventPc);

  // Continued from the title: the same state as at the quit, but for the date of the save the
  // loaded record carries.
  Play(std::string(kToTitleMenu) + kToSlot3 + "at 7500 key enter\n", 20000, continued);
  std::memcpy(&continued.vars[kVarSaveYear], &saved.vars[kVarSaveYear], 7);
  EXPECT_EQ(std::memcmp(&continued, &saved, kGameStateSize), 0);

  // With the story seen through both ways (variable 80 all set, bits 0 and 1 of 81), the
  // continue menu has a third item, the after-story; with one way only, two down from the
  // first item wraps back to "continue".
  const struct {
    uint8_t endings;
    uint16_t scenario;
  } cases[] = {{3, 0x72}, {1, saved.currentScenario}};
  for (const auto& c : cases) {
    slot.vars[80] = 0xFF;
    slot.vars[81] = c.endings;
    GameState sealed = slot;
    SaveSeal(StateBytes(sealed));
    WriteFileBytes(dir.path / "LNTR3_02.SAV",
                   std::string(reinterpret_cast<const char*>(&sealed), kGameStateSize));
    GameState end{};
    Play(std::string(kToTitleMenu) + kToSlot3 +
             "at 7500 key down\nat 7800 key down\nat 8100 key enter\n",
         20000, end);
    EXPECT_EQ(end.currentScenario, c.scenario) << int(c.endings);
  }
}

TEST_F(TitleRun, TheMusicRoomWrapsBothWaysAndPlaysEntriesByItsTable) {
  // The music room is the title's last item (up from the first). Its buttons lie on one line:
  // previous, play, fade, next. From entry 0: back to 33, on to 0, back to 33, six back to 27,
  // play; entry 27 plays music 32.
  std::string script = std::string(kToTitleMenu) + "at 3000 key up\nat 3300 key enter\n";
  const int kPrevious = 110, kPlay = 250, kNext = 480;
  const int clicks[] = {kPrevious, kNext,     kPrevious, kPrevious, kPrevious,
                        kPrevious, kPrevious, kPrevious, kPrevious, kPlay};
  // The title dissolves into black before the room comes up.
  int t = 6000;
  for (const int x : clicks) {
    script += "at " + std::to_string(t) + " mouse click left " + std::to_string(x) + " 392\n";
    t += 500;
  }
  GameState end{};
  Play(script, t, end);
  EXPECT_EQ(end.currentMusic, 32) << output;
}

}  // namespace
