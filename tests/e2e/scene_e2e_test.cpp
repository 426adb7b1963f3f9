// The demo's staged scenes played headless with the demo data: the scene walk (0055) and the
// festival evening (0000, 0001), clicked through page by page, the picture looked at through
// snapshots taken while the game waits at each page.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scenario/game_state.h"
#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

// One click a page, far enough apart that everything between two waits (the slowest display
// modes take 12 s) is over before the next click: the game then waits at page k when the
// clock reaches k x kPageMs, whatever the effects on the way cost.
constexpr uint32_t kPageMs = 15000;
constexpr uint32_t kSnapshotBeforeMs = 300;

struct Rgb {
  int r, g, b;
  int Brightness() const { return r + g + b; }
  int Spread() const { return std::max({r, g, b}) - std::min({r, g, b}); }  // how far from grey
};

// A box of client pixels, [x0, x1) x [y0, y1).
struct Box {
  int x0, y0, x1, y1;
  int Area() const { return (x1 - x0) * (y1 - y0); }
};

// Below the text of a short page; the character slots' own columns (the figures stand in the
// middle of their 300-pixel pictures, so these columns hold one slot's figure each).
constexpr Box kLower{0, 200, 640, 480};
constexpr Box kSlotLeft{100, 250, 160, 350}, kSlotRight{470, 250, 530, 350};
constexpr Box kSlotMiddle{290, 250, 330, 350};
constexpr Box kLeftEdge{0, 300, 100, 470}, kSky{560, 100, 640, 160};

struct Picture : RgbImage {
  Rgb Pixel(int x, int y) const {
    const uint32_t c = At(x, y);
    return {static_cast<int>(c >> 16), static_cast<int>(c >> 8 & 0xFF), static_cast<int>(c & 0xFF)};
  }
  void ForEach(const Box& box, const std::function<void(int, int, Rgb)>& f) const {
    for (int y = box.y0; y < std::min(box.y1, height); y++) {
      for (int x = box.x0; x < std::min(box.x1, width); x++) f(x, y, Pixel(x, y));
    }
  }
  // The mean colour over a box.
  Rgb Mean(const Box& box) const {
    Rgb sum{0, 0, 0};
    ForEach(box, [&](int, int, Rgb c) { sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b}; });
    const int n = std::max(box.Area(), 1);
    return {sum.r / n, sum.g / n, sum.b / n};
  }
  // How many pixels of the box satisfy `test`.
  int Count(const Box& box, const std::function<bool(Rgb)>& test) const {
    int n = 0;
    ForEach(box, [&](int, int, Rgb c) { n += test(c); });
    return n;
  }
};

// Pixels of the box that differ between two pictures.
int Differing(const Picture& a, const Picture& b, const Box& box) {
  int n = 0;
  a.ForEach(box, [&](int x, int y, Rgb) { n += a.At(x, y) != b.At(x, y); });
  return n;
}

class ScenePlay : public ::testing::Test {
 protected:
  void SetUp() override { LinkDemoData(dir.path); }

  // Plays `scenario` clicking once a page for `pages` pages (in the middle of the lower half,
  // or where `clicks` says for a page with a choice), with a snapshot of each page while the
  // game waits there, and once more `endingMs` after the last page (an ending scene runs on
  // from there). Answers the exit status; `end` gets the state left behind.
  int Play(const std::string& scenario, int pages,
           const std::map<int, std::pair<int, int>>& clicks = {}, uint32_t endingMs = 0) {
    std::string script = "limit " + std::to_string((pages + 2) * kPageMs + endingMs) + "\n";
    if (endingMs) {
      script += "at " + std::to_string(pages * kPageMs + endingMs) + " mouse click left 320 400\n";
    }
    for (int page = 1; page <= pages; page++) {
      const uint32_t at = page * kPageMs;
      fs::remove(Snapshot(page));  // nothing left from an earlier run
      const auto [x, y] = clicks.count(page) ? clicks.at(page) : std::pair{320, 400};
      script += "at " + std::to_string(at - kSnapshotBeforeMs) + " snapshot " +
                Snapshot(page).string() + "\nat " + std::to_string(at) + " mouse click left " +
                std::to_string(x) + " " + std::to_string(y) + "\n";
    }
    pictures.clear();
    std::string output;
    const int status = PlayScenario(dir.path, scenario, script, output, end);
    EXPECT_TRUE(fs::exists(dir.path / "state.bin")) << output;
    return status;
  }

  fs::path Snapshot(int page) const { return dir.path / ("page-" + std::to_string(page) + ".png"); }

  // The snapshot of a page of the last run.
  const Picture& Page(int page) {
    if (!pictures.count(page)) pictures[page] = {ReadRgbPng(Snapshot(page))};
    return pictures[page];
  }

  TempDir dir;
  std::map<int, Picture> pictures;
  GameState end{};
};

// [SECTION] The scene walk

// Pages of 0055, in the order the story reaches them. At the pond Mina and Yuzu hold both
// colour ranges and the cat is refused; slots 0, 1, 2 get one Mina each, then slots 3 and 5
// come in front of 0 and 2, slot 4 in front of 1. The shop shows filters 2, 1, 5 and 0; the old
// street goes from evening to night by a change in the text, the street to midnight by the zoom;
// the moonlight is filter 4 shown by the colour cross-fade.
constexpr int kRoomMorning = 1, kStreetMorning = 2, kPondBeforeCat = 7, kPondAfterCat = 8,
              kThreeMinas = 10, kSixSlots = 11, kYuzuInSlot4 = 12, kGroundsBare = 13,
              kKaedeLeft = 14, kMinaRight = 15, kRooftopBare = 18, kKaedeMiddle = 19, kCafeDay = 21,
              kCafeRain = 23, kShopPlain = 31, kShopRed = 32, kShopSepia = 35, kShopNegative = 36,
              kShopPlainAgain = 38, kOldStreetEvening = 39, kOldStreetNight = 41,
              kStreetMidnight = 53, kMoonlight = 54, kRoomMidnight = 57, kTheEnd = 59;
constexpr int kWalkPages = 59;
constexpr int kWalkMessages = 33;

TEST_F(ScenePlay, TheSceneWalkShowsEveryLightSlotAndFilter) {
  ASSERT_EQ(Play("0x55", kWalkPages), 0);
  // Every message was shown once, and the story ran to its last page.
  EXPECT_EQ(end.historyCount, kWalkMessages);
  ASSERT_GT(end.historyCount, 0);
  EXPECT_EQ(end.history[end.historyCount - 1].scenario, 0x55);
  EXPECT_EQ(end.history[end.historyCount - 1].message, kWalkMessages - 1);
  EXPECT_EQ(end.bgShown, 0);

  // The groups are lights on the same places: midnight far darker and bluer than the day,
  // evening warm and night blue, rain greyer than the day.
  for (const auto& [day, midnight] :
       {std::pair{kRoomMorning, kRoomMidnight}, std::pair{kStreetMorning, kStreetMidnight}}) {
    const Rgb d = Page(day).Mean(kLeftEdge), m = Page(midnight).Mean(kLeftEdge);
    EXPECT_LT(m.Brightness() * 2, d.Brightness()) << "page " << midnight;
    EXPECT_GT(m.b, m.r + 5) << "page " << midnight;
  }
  const Rgb evening = Page(kOldStreetEvening).Mean(kSky);
  const Rgb night = Page(kOldStreetNight).Mean(kSky);
  EXPECT_GT(evening.r, evening.b + 20);
  EXPECT_GT(night.b, night.r + 10);
  EXPECT_LT(night.Brightness(), evening.Brightness());
  const Box between{270, 150, 350, 300};  // between the two friends at the cafe table
  EXPECT_LT(Page(kCafeRain).Mean(between).Spread() * 2, Page(kCafeDay).Mean(between).Spread());

  // A character lands in its slot's column and nowhere else: slot 0 at x 0, 1 at 320, 2 at
  // 160; the rest of the picture stays exactly as it was.
  const Picture &bare = Page(kGroundsBare), &left = Page(kKaedeLeft), &right = Page(kMinaRight);
  EXPECT_GT(Differing(bare, left, kSlotLeft), kSlotLeft.Area() / 4);
  EXPECT_EQ(Differing(bare, left, kSlotRight), 0);
  EXPECT_EQ(Differing(bare, left, kSlotMiddle), 0);
  EXPECT_GT(Differing(left, right, kSlotRight), kSlotRight.Area() / 4);
  EXPECT_EQ(Differing(left, right, kSlotLeft), 0);
  EXPECT_EQ(Differing(left, right, kSlotMiddle), 0);
  const Picture &roof = Page(kRooftopBare), &middle = Page(kKaedeMiddle);
  EXPECT_GT(Differing(roof, middle, kSlotMiddle), kSlotMiddle.Area() / 4);
  EXPECT_EQ(Differing(roof, middle, Box{0, 200, 90, 480}), 0);
  EXPECT_EQ(Differing(roof, middle, Box{550, 200, 640, 480}), 0);

  // Slots 3 and 5 stand where 0 and 2 stand, slot 4 where 1 stands.
  const Box leftHalf{0, 120, 300, 480}, rightPart{470, 120, 640, 480};
  EXPECT_GT(Differing(Page(kThreeMinas), Page(kSixSlots), leftHalf), 1000);
  EXPECT_EQ(Differing(Page(kThreeMinas), Page(kSixSlots), rightPart), 0);
  EXPECT_GT(Differing(Page(kSixSlots), Page(kYuzuInSlot4), rightPart), 1000);
  EXPECT_EQ(Differing(Page(kSixSlots), Page(kYuzuInSlot4), leftHalf), 0);

  // A third character while both colour ranges are taken is not drawn at all.
  EXPECT_EQ(Differing(Page(kPondBeforeCat), Page(kPondAfterCat), Box{0, 120, 640, 480}), 0);

  // Filters, on the lantern shop under the text: red keeps red only, sepia orders the
  // channels, the negative mirrors the plain colours, filter 0 brings them back.
  const Picture& plain = Page(kShopPlain);
  EXPECT_EQ(Page(kShopRed).Count(kLower, [](Rgb c) { return c.g == 0 && c.b == 0; }),
            kLower.Area());
  EXPECT_GT(Page(kShopRed).Count(kLower, [](Rgb c) { return c.r > 20; }), kLower.Area() / 2);
  EXPECT_EQ(Page(kShopSepia).Count(kLower, [](Rgb c) { return c.r >= c.g && c.g >= c.b; }),
            kLower.Area());
  EXPECT_GT(Page(kShopSepia).Count(kLower, [](Rgb c) { return c.r > c.b + 20; }),
            kLower.Area() / 2);
  // Both pages are dimmed to two thirds: plain + negative = 255 x 2/3 in every channel.
  const Picture& again = Page(kShopPlainAgain);
  int unmirrored = 0, changed = 0;
  Page(kShopNegative).ForEach(kLower, [&](int x, int y, Rgb n) {
    const Rgb p = plain.Pixel(x, y), c = again.Pixel(x, y);
    for (int sum : {p.r + n.r, p.g + n.g, p.b + n.b}) unmirrored += std::abs(sum - 170) > 3;
    changed += std::abs(c.r - p.r) > 2 || std::abs(c.g - p.g) > 2 || std::abs(c.b - p.b) > 2;
  });
  EXPECT_EQ(unmirrored, 0);
  EXPECT_EQ(changed, 0);
  // The blue filter brought in by the colours-only display mode.
  EXPECT_EQ(Page(kMoonlight).Count(kLower, [](Rgb c) { return c.r == 0 && c.g == 0; }),
            kLower.Area());
  EXPECT_GT(Page(kMoonlight).Count(kLower, [](Rgb c) { return c.b > 10; }), kLower.Area() / 2);

  // The last page stands on black.
  const Box underText{0, 60, 640, 480};
  EXPECT_EQ(Page(kTheEnd).Count(underText, [](Rgb c) { return c.Brightness() == 0; }),
            underText.Area());
}

// [SECTION] The festival evening

// Pages of 0000 and 0001 on the way over the bridge: the old street in the evening before and
// after Mina comes, where to watch from, the place at dusk and at night (the scene changes in
// the text), an event picture (the two on the bridge, Mina at the stall on the riverbank), the
// yes/no question (page 29 on the riverbank), the lanterns rising in old-photograph colours.
constexpr int kStreetWaiting = 4, kMinaArrives = 5, kChoice = 14, kDusk = 17, kNightFallen = 19,
              kFloatQuestion = 30, kLastPage = 35;
// After the last page an ending scene runs: the first is cut short by a click while its second
// credit group is up, the second runs its three minutes to the click after its last caption.
constexpr uint32_t kCutEndingMs = 30000, kWholeEndingMs = 200000;
constexpr int kFirstOptionX = 60, kFirstOptionY = 60, kSecondOptionY = 96;
constexpr int kYesX = 290, kYesY = 192, kNoY = 228;

TEST_F(ScenePlay, TheFestivalEveningTakesEitherWay) {
  ASSERT_EQ(Play("0", kLastPage,
                 {{kChoice, {kFirstOptionX, kFirstOptionY}}, {kFloatQuestion, {kYesX, kYesY}}},
                 kCutEndingMs),
            0);
  EXPECT_EQ(end.vars[30], 1) << "the bridge";
  EXPECT_EQ(end.vars[31], 1) << "a lantern floated";
  EXPECT_EQ(end.vars[80], 255) << "the story seen through";
  EXPECT_EQ(end.vars[81], 1) << "the first way of ending";
  EXPECT_EQ(end.currentScenario, 1);

  EXPECT_GT(Differing(Page(kStreetWaiting), Page(kMinaArrives), kSlotMiddle),
            kSlotMiddle.Area() / 4);
  EXPECT_EQ(Differing(Page(kStreetWaiting), Page(kMinaArrives), kLeftEdge), 0);
  const Rgb dusk = Page(kDusk).Mean(kLeftEdge), night = Page(kNightFallen).Mean(kLeftEdge);
  EXPECT_LT(night.Brightness() * 2, dusk.Brightness());

  // The other way: the second option and "no"; the riverbank is another place than the bridge.
  const Picture bridge = Page(kDusk);
  ASSERT_EQ(Play("0", kLastPage - 2,
                 {{kChoice, {kFirstOptionX, kSecondOptionY}}, {kFloatQuestion - 1, {kYesX, kNoY}}},
                 kWholeEndingMs),
            0);
  EXPECT_EQ(end.vars[30], 2) << "the riverbank";
  EXPECT_EQ(end.vars[31], 0) << "only watched";
  EXPECT_EQ(end.vars[81], 2) << "the other way of ending";
  EXPECT_GT(Differing(bridge, Page(kDusk), kLeftEdge), kLeftEdge.Area() / 2);
}

}  // namespace
