// A new game from the title on the demo data: the family name entered with the mouse, what
// friends call the hero with the arrow keys moving the pointer, and both names then in the
// story's text and on the slot screen after a save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

// The pure-white pixels of the 24 x 24 cell at (x, y): a character's ink in the text colour.
std::vector<bool> Ink(const RgbImage& image, int x, int y) {
  std::vector<bool> ink;
  for (int dy = 0; dy < 24; dy++) {
    for (int dx = 0; dx < 24; dx++) ink.push_back(image.At(x + dx, y + dy) == 0xFFFFFF);
  }
  return ink;
}

TEST(NameEntryE2E, NamesEnteredByMouseAndKeysShowInTheStoryAndOnTheSlotScreen) {
  TempDir dir;
  LinkDemoData(dir.path);
  const auto shot = [&](const char* name) { return (dir.path / name).string(); };
  const auto snap = [&](int t, const char* name) {
    return "at " + std::to_string(t) + " snapshot " + shot(name) + "\n";
  };
  // The title, "start", slot 1 (empty: a fresh start), and the name entry on its first part.
  std::string script = "limit 60000\nat 2000 key enter\nat 3000 key enter\nat 5000 key enter\n";
  // Family name by mouse: delete 春 and 日, pick さ, く, ら from the kana table, finish.
  script +=
      "at 11000 mouse click left 200 436\nat 11200 mouse click left 200 436\n"
      "at 11400 mouse click left 312 84\nat 11600 mouse click left 228 84\n"
      "at 11800 mouse click left 452 112\nat 12200 mouse click left 490 462\n" +
      snap(12000, "family.png");
  // Given name and its reading as they are: the pointer glides onto "finish" (489, 465).
  script += "at 13000 key enter\nat 14000 key enter\n";
  // What friends call him, by keys, 8 pixels per 10 ms held: to "delete" (249, 441) and four
  // deletes; to ハ (185, 225), to ル (521, 225), to "finish" (521, 465).
  script +=
      "at 15000 key left down\nat 15300 key left up\nat 15400 key up down\nat 15430 key up up\n"
      "at 15600 key enter\nat 15800 key enter\nat 16000 key enter\nat 16200 key enter\n"
      "at 16400 key left down\nat 16480 key left up\nat 16500 key up down\nat 16770 key up up\n"
      "at 16900 key enter\nat 17000 key right down\nat 17420 key right up\nat 17500 key enter\n"
      "at 17600 key down down\nat 17900 key down up\nat 18100 key enter\n" +
      snap(18000, "friendly.png");
  // The summary: "yes" is up from "no". The story's second page names the hero.
  script += "at 19500 key up\nat 19800 key enter\n" + snap(30400, "story.png");
  script += "at 26000 key enter\nat 27500 key enter\nat 29000 key enter\nat 30500 key enter\n";
  // Game menu, "save", slot 1, "yes", the notice; "save" again shows the slots.
  script +=
      "at 33000 key escape\nat 35000 key down\nat 35300 key down\nat 35600 key enter\n"
      "at 37600 key enter\nat 39000 key up\nat 39300 key enter\nat 41300 key enter\n"
      "at 42000 key enter\nat 45000 quit\n" +
      snap(44000, "slots.png");
  std::string output;
  GameState end{};
  ASSERT_EQ(PlayGame(dir.path, "--no-opening", script, output, end), 0) << output;

  using Name = std::vector<uint16_t>;
  const auto name = [&](int part) { return Name(end.nameArrays[part], end.nameArrays[part] + 6); };
  const uint16_t E = kEmptyCode;
  EXPECT_EQ(name(0), (Name{74, 71, 102, E, E, E}));  // さくら
  EXPECT_EQ(name(2), (Name{170, 185, E, E, E, E}));  // ハル
  EXPECT_EQ(name(4), (Name{181, 147, E, E, E, E}));  // ユウ, from ゆう

  // The characters as the name entry drew them are the ones in the story and on the slot.
  const RgbImage family = ReadRgbPng(shot("family.png")),
                 friendly = ReadRgbPng(shot("friendly.png"));
  const RgbImage story = ReadRgbPng(shot("story.png")), slots = ReadRgbPng(shot("slots.png"));
  for (int i = 0; i < 3; i++) {
    const std::vector<bool> ink = Ink(family, 176 + 24 * i, 24);
    EXPECT_GT(std::count(ink.begin(), ink.end(), true), 20) << i;
    EXPECT_EQ(Ink(story, 16 + 24 * i, 10), ink) << "story, character " << i;
  }
  for (int i = 0; i < 2; i++) {
    const std::vector<bool> ink = Ink(friendly, 176 + 24 * i, 24);
    EXPECT_GT(std::count(ink.begin(), ink.end(), true), 20) << i;
    EXPECT_EQ(Ink(slots, 272 + 24 * i, 56), ink) << "slot screen, character " << i;
  }
}

}  // namespace
