// The album as a player meets it on the demo data: a scene kept from the game menu, found again
// in the title's extras after the program was started anew with the same save folder.
#include <gtest/gtest.h>

#include <string>

#include "screens/album.h"
#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

TEST(AlbumRun, ASceneKeptInTheGameMenuIsInTheAlbumAfterARestart) {
  TempDir dir;
  LinkDemoData(dir.path);
  const fs::path saves = dir.path / "saves", shots = dir.path / "shots";
  fs::create_directories(shots);
  const std::string folder = " --save-dir " + saves.string();
  std::string output;
  GameState end{};

  // The story up to Mina's first words; the game menu's first item shows the bare scene; the
  // menu again, up twice to "keep the scene", "yes" (up from "no"), the notice clicked away.
  const std::string keep =
      "at 2000 key enter\nat 3000 key enter\nat 4000 key enter\nat 5000 key enter\n"
      "at 6000 key enter\nat 7500 key escape\nat 8500 key enter\n"
      "at 9500 snapshot " +
      (shots / "scene.png").string() +
      "\n"
      "at 10000 key enter\nat 11000 key escape\n"
      "at 12000 key up\nat 12300 key up\nat 12600 key enter\n"
      "at 13500 key up\nat 13800 key enter\nat 15000 key enter\nat 16000 key escape\n"
      "at 17000 quit\n";
  ASSERT_EQ(PlayGame(dir.path, "--scenario 0" + folder, keep, output, end), 0) << output;
  EXPECT_EQ(fs::file_size(saves / kAlbumFileName), kAlbumFileSize);
  EXPECT_FALSE(fs::exists(dir.path / kAlbumFileName));

  // From the title: the extras (two down), their first item, the album's first scene.
  const std::string look =
      "at 2000 key enter\nat 3000 key down\nat 3300 key down\nat 3600 key enter\n"
      "at 6500 key enter\nat 9500 snapshot " +
      (shots / "kept.png").string() +
      "\n"
      "at 10000 quit\n";
  ASSERT_EQ(PlayGame(dir.path, "--no-opening" + folder, look, output, end), 0) << output;

  // The same picture, with the date caption in red at the bottom right.
  const RgbImage scene = ReadRgbPng(shots / "scene.png"), kept = ReadRgbPng(shots / "kept.png");
  ASSERT_EQ(kept.width, scene.width);
  ASSERT_EQ(kept.height, 480);
  int differ = 0, red = 0, redBefore = 0;
  for (int y = 0; y < 480; y++) {
    for (int x = 0; x < 640; x++) {
      const bool caption = x >= 400 && y >= 450;
      if (!caption) differ += kept.At(x, y) != scene.At(x, y);
      if (caption) red += kept.At(x, y) == 0xFF0000;
      if (caption) redBefore += scene.At(x, y) == 0xFF0000;
    }
  }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(red, 200);
  EXPECT_EQ(redBefore, 0);
}

}  // namespace
