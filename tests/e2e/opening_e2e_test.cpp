// The start of the game as a player meets it, on the demo data: the maker's logo, the opening's
// framed pictures, the scroll from the name down to the title, OK at the title, and the
// opening played again when the title menu is cancelled. Looked at through snapshots.
#include <gtest/gtest.h>

#include <string>

#include "scenario/game_state.h"
#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

// The logo takes the first ten seconds; the opening's clock starts then.
constexpr int kOpening = 10050;

struct Colour {
  int r, g, b;
};
Colour At(const RgbImage& image, int x, int y) {
  const uint32_t c = image.At(x, y);
  return {static_cast<int>(c >> 16), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c & 0xFF)};
}

TEST(OpeningE2E, LogoPicturesScrollTitleAndTheReplayAfterCancel) {
  TempDir dir;
  LinkDemoData(dir.path);
  const auto shot = [&](const char* name) { return (dir.path / name).string(); };
  // OK while the title stands after the scroll brings the menu; cancel plays the opening again.
  const std::string script =
      "limit 80000\n"
      "at 6500 snapshot " +
      shot("logo.png") + "\n" + "at " + std::to_string(kOpening + 1500) + " snapshot " +
      shot("picture.png") + "\n" + "at " + std::to_string(kOpening + 31000) + " snapshot " +
      shot("scroll.png") + "\n" + "at " + std::to_string(kOpening + 44000) + " snapshot " +
      shot("title.png") + "\n" + "at " + std::to_string(kOpening + 45000) + " key enter\n" + "at " +
      std::to_string(kOpening + 47000) + " snapshot " + shot("menu.png") + "\n" + "at " +
      std::to_string(kOpening + 48000) + " key escape\n" + "at " +
      std::to_string(kOpening + 50500) + " snapshot " + shot("again.png") + "\n" + "at " +
      std::to_string(kOpening + 51500) + " quit\n";
  std::string output;
  GameState end{};
  ASSERT_EQ(PlayGame(dir.path, "", script, output, end), 0) << output;

  // The emblem on white, its halo glinting blue-white to the left of the lantern's orange.
  const RgbImage logo = ReadRgbPng(shot("logo.png"));
  const Colour lantern = At(logo, 320, 180), halo = At(logo, 231, 196);
  EXPECT_EQ(logo.At(10, 10), 0xFFFFFFu);
  EXPECT_GT(lantern.r, lantern.b + 100);
  EXPECT_GT(halo.b, halo.r + 30);

  // A framed picture in its pale mat over the night river.
  for (const char* name : {"picture.png", "again.png"}) {
    const RgbImage picture = ReadRgbPng(shot(name));
    const Colour mat = At(picture, 320, 95), sky = At(picture, 320, 70);
    EXPECT_GT(mat.r + mat.g + mat.b, 600) << name;
    EXPECT_LT(sky.r + sky.g + sky.b, 250) << name;
  }

  // Two thirds down: the sky above, the cherry slope come up from below.
  const RgbImage scroll = ReadRgbPng(shot("scroll.png"));
  int blue = 0;
  for (int x = 0; x < 640; x += 8) {
    for (int y = 0; y < 100; y += 4) blue += At(scroll, x, y).b - At(scroll, x, y).r;
  }
  EXPECT_GT(blue, 80 * 25 * 20);
  const Colour ground = At(scroll, 320, 470);
  EXPECT_LT(ground.b, ground.r);

  // OK at the title dims it for the menu: the picture at two thirds.
  const Colour title = At(ReadRgbPng(shot("title.png")), 40, 20);
  const Colour dimmed = At(ReadRgbPng(shot("menu.png")), 40, 20);
  EXPECT_NEAR(dimmed.b, title.b * 2 / 3, 3);
  EXPECT_NEAR(dimmed.r, title.r * 2 / 3, 3);
}

}  // namespace
