// The weather story (0056) played headless with the demo data, clicked through page by page.
// At every page two snapshots one timer step apart tell whether the overlay is moving, and a
// snapshot beside one of the same place without weather tells what the overlay changed.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kPageMs = 10000;
constexpr uint32_t kFirstShotBeforeMs = 300;
constexpr uint32_t kStepMs = 80;  // the second snapshot: one timer step later
constexpr int kPages = 22;
constexpr int kMessages = 6;

// Pages of 0056 in the order the story reaches them, by the weather that runs there.
constexpr int kPetalsEntered = 1, kFewKept = 3, kPetalsAgain = 5, kPetalsGone = 7, kFewEntering = 9,
              kSlopeCalm = 11, kRiverBloom = 12, kRiverFew = 13, kRainFalling = 15, kRainOff = 16,
              kRainGone = 17, kRainGoneStill = 18, kRainAgain = 19, kRainAgainLater = 20,
              kHome = 21, kHomeLast = 22;

// Below the text lines of a short page.
constexpr int kSceneTop = 110;

struct Rgb {
  int r, g, b;
};

Rgb Colour(const RgbImage& image, int x, int y) {
  const uint32_t c = image.At(x, y);
  return {static_cast<int>(c >> 16), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c & 0xFF)};
}

// Pixels of the scene (below the text) that differ between two pictures, and how many of them
// `b` shows in petal pink (red over green) or in rain grey-blue (blue at least red).
struct Changes {
  int count = 0, pink = 0, rainy = 0;
};
Changes Compare(const RgbImage& a, const RgbImage& b) {
  Changes changes;
  for (int y = kSceneTop; y < std::min(a.height, b.height); y++) {
    for (int x = 0; x < std::min(a.width, b.width); x++) {
      if (a.At(x, y) == b.At(x, y)) continue;
      changes.count++;
      const Rgb c = Colour(b, x, y);
      changes.pink += c.r > c.g;
      changes.rainy += c.b >= c.r;
    }
  }
  return changes;
}

class WeatherStory : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir = new TempDir;
    LinkDemoData(dir->path);
    std::string script = "limit " + std::to_string((kPages + 2) * kPageMs) + "\n";
    for (int page = 1; page <= kPages; page++) {
      const uint32_t at = page * kPageMs;
      const uint32_t shot = at - kFirstShotBeforeMs;
      if (page == kRainOff) {
        // The player switches the weather off for this page, and on again after the shots.
        script += "at " + std::to_string(shot - 1000) + " menu 40025\n";
        script += "at " + std::to_string(shot + kStepMs + 50) + " menu 40025\n";
      }
      script += "at " + std::to_string(shot) + " snapshot " + Shot(page, 'a').string() + "\n";
      script +=
          "at " + std::to_string(shot + kStepMs) + " snapshot " + Shot(page, 'b').string() + "\n";
      script += "at " + std::to_string(at) + " mouse click left 320 400\n";
    }
    status = PlayScenario(dir->path, "0x56", script, output, end);
  }
  static void TearDownTestSuite() {
    delete dir;
    dir = nullptr;
  }

  static fs::path Shot(int page, char which) {
    return dir->path / ("page-" + std::to_string(page) + which + ".png");
  }
  static const RgbImage& Picture(int page, char which) {
    static std::map<std::pair<int, char>, RgbImage> pictures;
    const auto key = std::pair{page, which};
    if (!pictures.count(key)) pictures[key] = ReadRgbPng(Shot(page, which));
    return pictures[key];
  }
  // What moved on a page in one timer step.
  static Changes Moving(int page) { return Compare(Picture(page, 'a'), Picture(page, 'b')); }

  static TempDir* dir;
  static int status;
  static std::string output;
  static GameState end;
};

TempDir* WeatherStory::dir = nullptr;
int WeatherStory::status = -1;
std::string WeatherStory::output;
GameState WeatherStory::end{};

TEST_F(WeatherStory, TheStoryRunsToItsEndWithTheWeatherOver) {
  ASSERT_EQ(status, 0) << output;
  EXPECT_EQ(end.historyCount, kMessages);
  EXPECT_EQ(end.weatherMode, 0);
  EXPECT_EQ(end.vars[171], 40);
  EXPECT_EQ(output.find("not available yet: Weather"), std::string::npos) << output;
}

TEST_F(WeatherStory, PetalsFallOnTheSlopeAndAtTheRiver) {
  ASSERT_EQ(status, 0) << output;
  for (const int page :
       {kPetalsEntered, kFewKept, kPetalsAgain, kFewEntering, kRiverBloom, kRiverFew}) {
    EXPECT_GT(Moving(page).count, 40) << "page " << page;
  }
  // Thirty petals against the ten that stay or come back.
  EXPECT_GT(Moving(kPetalsAgain).count, Moving(kFewKept).count * 3 / 2);
  EXPECT_GT(Moving(kRiverBloom).count, Moving(kRiverFew).count * 3 / 2);
}

TEST_F(WeatherStory, TheOverlayChangesNothingButWhereItsParticlesAre) {
  ASSERT_EQ(status, 0) << output;
  // The same slope without weather: every pixel the petals changed now shows pink, and the
  // petals lie over no more than a small part of the picture.
  const Changes petals = Compare(Picture(kSlopeCalm, 'a'), Picture(kPetalsAgain, 'a'));
  EXPECT_GT(petals.count, 200);
  EXPECT_EQ(petals.pink, petals.count);
  EXPECT_LT(petals.count, 640 * 400 / 20);
  // The same street without rain: every changed pixel shows the rain's grey-blue.
  const Changes rain = Compare(Picture(kRainGoneStill, 'a'), Picture(kRainFalling, 'a'));
  EXPECT_GT(rain.count, 500);
  EXPECT_EQ(rain.rainy, rain.count);
}

TEST_F(WeatherStory, RainFallsAtNightEndsAndStartsAgainFromAbove) {
  ASSERT_EQ(status, 0) << output;
  const Changes falling = Moving(kRainFalling);
  EXPECT_GT(falling.count, 500);
  // Entering from above one drop after another, the rain grows heavier page by page.
  const Changes again = Moving(kRainAgain), later = Moving(kRainAgainLater);
  EXPECT_GT(again.count, 0);
  EXPECT_GT(later.count, again.count * 3 / 2);
  EXPECT_LT(later.count, falling.count);
}

TEST_F(WeatherStory, NothingMovesWhereTheWeatherEndedOrIsSwitchedOff) {
  ASSERT_EQ(status, 0) << output;
  const struct {
    int page;
    const char* why;
  } still[] = {
      {kPetalsGone, "the petals drifted off and were waited for"},
      {kSlopeCalm, "weather 0"},
      {kRainOff, "the setting is off"},
      {kRainGone, "the rain ended and was waited for"},
      {kRainGoneStill, "the rain ended"},
      {kHome, "a scene change in the text with no weather of its own"},
      {kHomeLast, "a scene change in the text with no weather of its own"},
  };
  for (const auto& s : still)
    EXPECT_EQ(Moving(s.page).count, 0) << "page " << s.page << ": " << s.why;
  // The page with the setting off shows the bare street; switched on again, the rain goes on.
  EXPECT_EQ(Compare(Picture(kRainGoneStill, 'a'), Picture(kRainOff, 'a')).count, 0);
}

}  // namespace
