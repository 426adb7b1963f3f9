// The pictures of one summer (005A) played headless with the demo data, clicked through page by
// page: the event pictures as the player sees them, shown by the event script and by the text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

constexpr uint32_t kPageMs = 6000, kShotBeforeMs = 300;
constexpr int kPages = 21, kMessages = 16;

// Pages of 005A: Mina at the stall; on the bridge in her uniform (variable 1 clear), then in her
// summer clothes (set, from the text); Aoi as 0x80 and as 0x83.
constexpr int kStall = 1, kBridgeUniform = 3, kBridgeSummer = 5, kAoi = 13, kAoiPink = 14;

// Below the text of a one-line page; the hero at the left of the bridge; Mina at its right.
struct Box {
  int x0, y0, x1, y1;
  int Area() const { return (x1 - x0) * (y1 - y0); }
};
constexpr Box kLower{0, 160, 640, 480}, kHero{0, 300, 100, 480}, kMina{450, 260, 600, 470};

// Pixels of the box whose red, green and blue differ by more than `tolerance` in all between two
// pictures, and how many of them `b` shows redder against green than `a` does.
std::pair<int, int> Differing(const RgbImage& a, const RgbImage& b, const Box& box,
                              int tolerance = 0) {
  int n = 0, redder = 0;
  const auto redOverGreen = [](uint32_t c) { return int(c >> 16) - int(c >> 8 & 0xFF); };
  const auto distance = [](uint32_t c, uint32_t d) {
    return std::abs(int(c >> 16) - int(d >> 16)) +
           std::abs(int(c >> 8 & 0xFF) - int(d >> 8 & 0xFF)) +
           std::abs(int(c & 0xFF) - int(d & 0xFF));
  };
  for (int y = box.y0; y < box.y1; y++) {
    for (int x = box.x0; x < box.x1; x++) {
      if (distance(a.At(x, y), b.At(x, y)) <= tolerance) continue;
      n++;
      redder += redOverGreen(b.At(x, y)) > redOverGreen(a.At(x, y));
    }
  }
  return {n, redder};
}

TEST(EventPictureStory, ThePicturesAreShownAsTheStorySays) {
  TempDir dir;
  LinkDemoData(dir.path);
  const auto shot = [&](int page) { return dir.path / ("page-" + std::to_string(page) + ".png"); };
  std::string script = "limit " + std::to_string((kPages + 2) * kPageMs) + "\n";
  for (int page = 1; page <= kPages; page++) {
    script += "at " + std::to_string(page * kPageMs - kShotBeforeMs) + " snapshot " +
              shot(page).string() + "\nat " + std::to_string(page * kPageMs) +
              " mouse click left 320 400\n";
  }
  std::string output;
  GameState end{};
  ASSERT_EQ(PlayScenario(dir.path, "0x5A", script, output, end), 0) << output;
  EXPECT_EQ(end.historyCount, kMessages);
  EXPECT_EQ(end.vCgShown, 0x98) << "the last picture, from the text";
  EXPECT_EQ(end.bgShown, 255);

  // A painted picture fills the screen: many colours under the text, little of it black.
  const RgbImage stall = ReadRgbPng(shot(kStall));
  std::multiset<uint32_t> colours;
  for (int y = kLower.y0; y < kLower.y1; y++) {
    for (int x = kLower.x0; x < kLower.x1; x++) colours.insert(stall.At(x, y));
  }
  EXPECT_GT(std::set<uint32_t>(colours.begin(), colours.end()).size(), 100u);
  EXPECT_LT(colours.count(0), 640u * 4);

  // 0x11 and 0x12 are one moment: the hero stays as he is (but for the colours each picture was
  // reduced to), Mina changes her clothes.
  const RgbImage uniform = ReadRgbPng(shot(kBridgeUniform)),
                 summer = ReadRgbPng(shot(kBridgeSummer));
  EXPECT_LT(Differing(uniform, summer, kHero, 30).first, kHero.Area() / 50);
  EXPECT_GT(Differing(uniform, summer, kMina, 30).first, kMina.Area() / 6);

  // 0x83 is 0x80 with its own colours in 210..216: only Aoi's apron changes, and turns pink.
  const auto [changed, pinker] =
      Differing(ReadRgbPng(shot(kAoi)), ReadRgbPng(shot(kAoiPink)), kLower);
  EXPECT_GT(changed, 2000);
  EXPECT_LT(changed, kLower.Area() / 8);
  EXPECT_GT(pinker, changed / 2);
}

}  // namespace
