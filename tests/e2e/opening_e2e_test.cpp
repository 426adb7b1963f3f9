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
  std::string script = "limit 80000\nat 6500 snapshot " + shot("logo.png") + "\n";
  const auto at = [&](int t, const std::string& step) {
    script += "at " + std::to_string(kOpening + t) + " " + step + "\n";
  };
  at(1500, "snapshot " + shot("picture.png"));
  at(31000, "snapshot " + shot("scroll.png"));
  at(45000, "key enter");
  at(48000, "key escape");
  at(50500, "snapshot " + shot("again.png"));
  at(51500, "quit");
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

  // Two thirds down: the blue sky above, the cherry slope come up from below.
  const RgbImage scroll = ReadRgbPng(shot("scroll.png"));
  const Colour sky = At(scroll, 40, 20), ground = At(scroll, 320, 470);
  EXPECT_GT(sky.b, sky.r + 30);
  EXPECT_LT(ground.b, ground.r);
}

}  // namespace
