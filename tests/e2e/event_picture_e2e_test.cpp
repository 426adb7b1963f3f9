// The pictures of one summer (005A) played headless with the demo data, clicked through page by
// page: the event pictures as the player sees them, shown by the event script and by the text.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

constexpr uint32_t kPageMs = 6000, kShotBeforeMs = 300;
constexpr int kPages = 21, kMessages = 16;

// Pages of 005A: Mina at the stall; on the bridge in her uniform (variable 1 clear), then in her
// summer clothes (set, from the text); Haruka on the rooftop; Aoi as 0x80 and as 0x83; Haruka at
// the shrine after "nextfilter 1"; the lanterns on the river, last.
constexpr int kStall = 1, kBridgeUniform = 3, kBridgeSummer = 5, kRooftop = 7, kAoi = 13,
              kAoiPink = 14, kShrineSepia = 17, kRiver = 21;

// Below the text of a one-line page; the hero at the left of the bridge; Mina at its right.
struct Box {
  int x0, y0, x1, y1;
};
constexpr Box kLower{0, 160, 640, 480}, kHero{0, 300, 100, 480}, kMina{450, 260, 600, 470};

int Differing(const RgbImage& a, const RgbImage& b, const Box& box) {
  int n = 0;
  for (int y = box.y0; y < box.y1; y++) {
    for (int x = box.x0; x < box.x1; x++) n += a.At(x, y) != b.At(x, y);
  }
  return n;
}

class EventPictureStory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir.emplace();
    LinkDemoData(dir->path);
    std::string script = "limit " + std::to_string((kPages + 2) * kPageMs) + "\n";
    for (int page = 1; page <= kPages; page++) {
      script += "at " + std::to_string(page * kPageMs - kShotBeforeMs) + " snapshot " +
                Shot(page).string() + "\n";
      script += "at " + std::to_string(page * kPageMs) + " mouse click left 320 400\n";
    }
    status = PlayScenario(dir->path, "0x5A", script, output, end);
  }
  static std::filesystem::path Shot(int page) {
    return dir->path / ("page-" + std::to_string(page) + ".png");
  }
  static RgbImage Page(int page) { return ReadRgbPng(Shot(page)); }

  static inline std::optional<TempDir> dir;
  static inline int status = -1;
  static inline std::string output;
  static inline GameState end{};
};

TEST_F(EventPictureStory, ThePicturesAreShownAsTheStorySays) {
  ASSERT_EQ(status, 0) << output;
  EXPECT_EQ(end.historyCount, kMessages);
  EXPECT_EQ(end.vCgShown, 0x98) << "the last picture, from the text";
  EXPECT_EQ(end.hCgShown, 255);
  EXPECT_EQ(end.bgShown, 255);

  // A painted picture fills the screen: many colours under the text, none of it black.
  const RgbImage stall = Page(kStall);
  std::set<uint32_t> colours;
  int black = 0;
  for (int y = kLower.y0; y < kLower.y1; y++) {
    for (int x = kLower.x0; x < kLower.x1; x++) {
      colours.insert(stall.At(x, y));
      black += stall.At(x, y) == 0;
    }
  }
  EXPECT_GT(colours.size(), 100u);
  EXPECT_LT(black, 640 * 4);

  // 0x11 and 0x12 are one moment: the hero stays as he is, Mina changes her clothes.
  const RgbImage uniform = Page(kBridgeUniform), summer = Page(kBridgeSummer);
  EXPECT_EQ(Differing(uniform, summer, kHero), 0);
  EXPECT_GT(Differing(uniform, summer, kMina), (kMina.x1 - kMina.x0) * (kMina.y1 - kMina.y0) / 4);
  EXPECT_GT(Differing(uniform, Page(kStall), kLower), 100000);

  // 0x83 is 0x80 with its own colours in 210..216: only Aoi's apron changes, and it turns pink.
  const RgbImage aoi = Page(kAoi), pink = Page(kAoiPink);
  int changed = 0, pinker = 0;
  for (int y = kLower.y0; y < kLower.y1; y++) {
    for (int x = kLower.x0; x < kLower.x1; x++) {
      const uint32_t a = aoi.At(x, y), b = pink.At(x, y);
      if (a == b) continue;
      changed++;
      const auto redOverGreen = [](uint32_t c) { return int(c >> 16) - int(c >> 8 & 0xFF); };
      pinker += redOverGreen(b) > redOverGreen(a);
    }
  }
  EXPECT_GT(changed, 2000);
  EXPECT_LT(changed, 640 * 320 / 8);
  EXPECT_GT(pinker, changed / 2);

  // "nextfilter 1" turns the next picture into an old photograph: red, green, blue in falling
  // order everywhere, which the rooftop by day is not.
  auto sepia = [](const RgbImage& image) {
    int n = 0;
    for (int y = kLower.y0; y < kLower.y1; y++) {
      for (int x = kLower.x0; x < kLower.x1; x++) {
        const uint32_t c = image.At(x, y);
        n += (c >> 16) >= (c >> 8 & 0xFF) && (c >> 8 & 0xFF) >= (c & 0xFF);
      }
    }
    return n;
  };
  const int all = (kLower.x1 - kLower.x0) * (kLower.y1 - kLower.y0);
  EXPECT_EQ(sepia(Page(kShrineSepia)), all);
  EXPECT_LT(sepia(Page(kRooftop)), all / 2);
  EXPECT_GT(Differing(Page(kRiver), Page(kRiver - 2), kLower), all / 2);
}

}  // namespace
