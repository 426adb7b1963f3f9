// The weather story (0056) played headless with the demo data, clicked through page by page.
// Two snapshots of each page one timer step apart show whether the overlay moves there; a
// page beside one of the same place without weather shows what the overlay changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

constexpr uint32_t kPageMs = 10000, kShotBeforeMs = 300, kStepMs = 80;
constexpr int kPages = 22, kMessages = 6;
constexpr int kSceneTop = 110;  // below the text of a short page

// Pages of 0056, by the weather there.
constexpr int kPetals = 1, kFewKept = 3, kPetalsAgain = 5, kPetalsGone = 7, kSlopeCalm = 11,
              kRiverBloom = 12, kRiverFew = 13, kRain = 15, kRainSwitchedOff = 16, kRainGone = 17,
              kRainGoneStill = 18, kRainAgain = 19, kRainAgainLater = 20, kHome = 21;

// Scene pixels that differ between two pictures, and how many of them `b` shows in petal pink
// (red over green) or in the rain's grey-blue (blue at least red).
struct Changes {
  int count = 0, pink = 0, rainy = 0;
};
Changes Compare(const RgbImage& a, const RgbImage& b) {
  Changes changes;
  for (int y = kSceneTop; y < a.height; y++) {
    for (int x = 0; x < a.width; x++) {
      const uint32_t c = b.At(x, y);
      if (a.At(x, y) == c) continue;
      changes.count++;
      changes.pink += (c >> 16) > (c >> 8 & 0xFF);
      changes.rainy += (c & 0xFF) >= (c >> 16);
    }
  }
  return changes;
}

class WeatherStory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir.emplace();
    LinkDemoData(dir->path);
    std::string script = "limit " + std::to_string((kPages + 2) * kPageMs) + "\n";
    for (int page = 1; page <= kPages; page++) {
      const uint32_t shot = page * kPageMs - kShotBeforeMs;
      if (page == kRainSwitchedOff) {  // off for the snapshots, on again after them
        script += "at " + std::to_string(shot - 1000) + " menu 40025\n";
        script += "at " + std::to_string(shot + 2 * kStepMs) + " menu 40025\n";
      }
      for (const char which : {'a', 'b'}) {
        script += "at " + std::to_string(shot + (which == 'b' ? kStepMs : 0)) + " snapshot " +
                  Shot(page, which).string() + "\n";
      }
      script += "at " + std::to_string(page * kPageMs) + " mouse click left 320 400\n";
    }
    status = PlayScenario(dir->path, "0x56", script, output, end);
  }

  static std::filesystem::path Shot(int page, char which) {
    return dir->path / ("page-" + std::to_string(page) + which + ".png");
  }
  static RgbImage Picture(int page, char which = 'a') { return ReadRgbPng(Shot(page, which)); }
  // What the overlay moved on a page in one timer step.
  static int Moving(int page) { return Compare(Picture(page, 'a'), Picture(page, 'b')).count; }

  static inline std::optional<TempDir> dir;
  static inline int status = -1;
  static inline std::string output;
  static inline GameState end{};
};

TEST_F(WeatherStory, PetalsAndRainFallWhereTheStorySaysAndEndWhenItSays) {
  ASSERT_EQ(status, 0) << output;
  EXPECT_EQ(end.historyCount, kMessages);
  EXPECT_EQ(end.weatherMode, 0);
  for (const int page : {kPetals, kFewKept, kPetalsAgain, kRiverBloom, kRiverFew, kRain, kRainAgain,
                         kRainAgainLater}) {
    EXPECT_GT(Moving(page), 40) << "page " << page;
  }
  // Thirty petals against the ten that stay or come; the rain growing as its drops come in.
  EXPECT_GT(Moving(kPetalsAgain), Moving(kFewKept) * 3 / 2);
  EXPECT_GT(Moving(kRiverBloom), Moving(kRiverFew) * 3 / 2);
  EXPECT_GT(Moving(kRainAgainLater), Moving(kRainAgain) * 3 / 2);
  EXPECT_LT(Moving(kRainAgainLater), Moving(kRain));
  // Ended and waited for, stopped, switched off, or gone with a scene change in the text.
  for (const int page : {kPetalsGone, kSlopeCalm, kRainSwitchedOff, kRainGone, kHome}) {
    EXPECT_EQ(Moving(page), 0) << "page " << page;
  }
}

TEST_F(WeatherStory, TheOverlayChangesNothingButWhereItsParticlesAre) {
  ASSERT_EQ(status, 0) << output;
  // Beside the same slope without weather, every changed pixel is pink, and few are.
  const Changes petals = Compare(Picture(kSlopeCalm), Picture(kPetalsAgain));
  EXPECT_GT(petals.count, 200);
  EXPECT_EQ(petals.pink, petals.count);
  EXPECT_LT(petals.count, 640 * 370 / 20);
  // Beside the same street without rain, every changed pixel is grey-blue; with the setting
  // off, none is.
  const Changes rain = Compare(Picture(kRainGoneStill), Picture(kRain));
  EXPECT_GT(rain.count, 500);
  EXPECT_EQ(rain.rainy, rain.count);
  EXPECT_EQ(Compare(Picture(kRainGoneStill), Picture(kRainSwitchedOff)).count, 0);
}

}  // namespace
