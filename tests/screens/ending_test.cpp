// The ending scenes on the headless engine: the shrink and its scaling, the caption times of
// the second scene, a first scene cut short, and what both leave behind.
#include "screens/ending.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "resources/text_format.h"
#include "scenario/game_state.h"
#include "scenario/text_fixture.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/audio_fixture.h"
#include "support/frame_probe.h"
#include "support/scene_data.h"

namespace {

constexpr uint8_t kInk = 234, kGround = 232, kMakerInk = 5;
constexpr int kMusicTrack = 35;  // music 31
constexpr uint8_t kShrunkBackgrounds[] = {31, 8, 9, 10, 11, 12, 13, 14, 15, 7, 21, 32, 17};

std::vector<uint8_t> RandomPicture(uint8_t below) {
  std::mt19937 random(7);
  std::vector<uint8_t> pixels(kFramePixelCount);
  for (uint8_t& p : pixels) p = static_cast<uint8_t>(random() % below);
  return pixels;
}

// Pixel (x, y) of a bottom-up 640 x 480 picture.
uint8_t At(const std::vector<uint8_t>& pixels, int x, int y) {
  return pixels[static_cast<size_t>(kFrameHeight - 1 - y) * kFrameWidth + x];
}

TEST(ScaleDown, KeepsEvenlySpreadRowsAndColumnsInTheCorner) {
  const std::vector<uint8_t> source = RandomPicture(255);
  struct Case {
    int w, h;
  };
  for (const Case c : {Case{640, 480}, Case{320, 240}, Case{448, 336}, Case{1, 1}}) {
    std::vector<uint8_t> out(kFramePixelCount, 255);
    ScaleDown(out.data(), source.data(), c.w, c.h);
    int covered = 0, outside = 0;
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = 0; x < kFrameWidth; x++) {
        const bool inside = x < c.w && y < c.h;
        (inside ? covered : outside) += (At(out, x, y) != 255) == inside;
      }
    }
    EXPECT_EQ(covered, c.w * c.h) << c.w << " x " << c.h << ": the corner is filled";
    EXPECT_EQ(outside, kFrameWidth * kFrameHeight - c.w * c.h) << c.w << ": nothing else";
    if (c.w * 2 == kFrameWidth) {
      // Half size keeps every second row and column, the first one dropped.
      for (int y = 0; y < c.h; y += 37) {
        for (int x = 0; x < c.w; x += 29) {
          ASSERT_EQ(At(out, x, y), At(source, 2 * x + 1, 2 * y + 1)) << x << "," << y;
        }
      }
    }
    if (c.w == kFrameWidth) {
      EXPECT_EQ(out, source);
    }
  }
}

// [SECTION] Scenes

// What the screen showed, noted at the presents.
struct Watched {
  uint32_t firstCaption = ~0u;  // scene time of the first caption on screen
  bool makerSeen = false;       // the last caption was seen over the maker's picture
};
Watched Watch;

class EndingTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    GameStateReset();
    const Bytes font = TestFontBytes(0x1000);
    FontBlock = MemAlloc(static_cast<uint32_t>(font.size()), "KNJ_ALL.KNJ");
    std::memcpy(MemLock(FontBlock), font.data(), font.size());
    MemUnlock(FontBlock);
    FontBytes = static_cast<uint32_t>(font.size());
    WriteTrack(kMusicTrack, 3, 30, 0);
    for (uint8_t n : kShrunkBackgrounds) {
      WritePicture(dir.path, FormatText("S%02dD.TZ2", {n}), SolidPicture(640, 480, 40));
    }
    // The maker's picture: a box of its own ink, the rest transparent over colour 0.
    TestPicture maker;
    maker.width = 640;
    maker.height = 480;
    maker.pixels.assign(kFramePixelCount, 124);
    for (int y = 100; y < 200; y++) std::fill_n(&maker.pixels[y * 640 + 100], 100, kMakerInk);
    maker.palette.assign(125, PalEntry{255, 255, 255, 0});
    maker.palette[kMakerInk] = {20, 40, 60, 0};
    maker.transparent = 124;
    WritePicture(dir.path, "tazu.tz2", maker);
    // An event picture is up: it is what shrinks.
    VCgShown = 0x20;
    FrameFillRect(BackFrame, 0, 0, 639, 479, 50);
    FrameCopy(ScreenFrame, BackFrame);
    PalShow();
    PlayMode = PlayModeEventScript;
    Watch = Watched{};
  }
  void TearDown() override {
    HeadlessOnPresent(nullptr);
    BgForget();
    MemRelease(&FontBlock);
    AudioTest::TearDown();
  }

  // OK pressed `after` ms from now.
  static void PressOk(uint32_t after) {
    auto& steps = HeadlessGetConfig().steps;
    steps.push_back({PlatTicks() + after, HeadlessAction::KeyDown, VK_RETURN});
    steps.push_back({PlatTicks() + after + 50, HeadlessAction::KeyUp, VK_RETURN});
  }

  // Black screen, the start palette, no music, the flow's own mode back.
  static void ExpectLeftClean() {
    const std::vector<uint8_t> screen = FramePixels(ScreenFrame);
    EXPECT_TRUE(std::all_of(screen.begin(), screen.end(), [](uint8_t p) { return p == 228; }));
    EXPECT_EQ(PaletteState, PalStateNormal);
    for (int i = 0; i < kPaletteSize; i++) {
      ASSERT_EQ(ShownPalette[i].red, InitialPalette[i].red) << i;
      ASSERT_EQ(ScenePalette[i].blue, InitialPalette[i].blue) << i;
    }
    EXPECT_EQ(CdPlaying, 0u);
    EXPECT_EQ(WeatherMode, 0);
    EXPECT_EQ(PlayMode, PlayModeEventScript);
  }

  static bool StripHasInk() {
    const uint8_t* pixels = MemLock(ScreenFrame);
    bool ink = false;
    for (int y = 420; y <= 450 && !ink; y++) {
      const uint8_t* row = pixels + FramePixelOffset(0, y);
      ink = std::find(row, row + kFrameWidth, kInk) != row + kFrameWidth;
    }
    MemUnlock(ScreenFrame);
    return ink;
  }
  static void WatchCaptions() {
    const uint32_t t = PlatTicks() - SceneStart;
    if (Watch.firstCaption == ~0u && t > kShrinkStartMs && StripHasInk()) Watch.firstCaption = t;
    if (t >= kCaptionTimes[kEndingCaptions - 1] && !Watch.makerSeen) {
      Watch.makerSeen = StripHasInk() && FramePixel(ScreenFrame, 150, 150) == kMakerInk &&
                        FramePixel(ScreenFrame, 20, 20) == 0;
    }
  }
};

TEST_F(EndingTest, SecondSceneShowsItsCaptionsOnTime) {
  PressOk(190000);  // after the last caption
  HeadlessOnPresent(WatchCaptions);
  EndingScene(1);
  EXPECT_GE(Watch.firstCaption, kCaptionTimes[0]);
  EXPECT_LT(Watch.firstCaption, kCaptionTimes[0] + 50);
  EXPECT_TRUE(Watch.makerSeen) << "caption 13 over the maker's picture";
  ExpectLeftClean();
}

TEST_F(EndingTest, OkInTheFourthGroupCutsTheFirstSceneShort) {
  const uint32_t press = PlatTicks() + 52000;
  PressOk(52000);
  EndingScene(0);
  // The press came while group 3 was up; the scene ended with a fade and the music faded.
  EXPECT_GT(press, SceneStart + kEndingGroupTimes[3].glow);
  EXPECT_LT(press, SceneStart + kEndingGroupTimes[4].glow);
  EXPECT_LT(PlatTicks() - press, 3000u);
  EXPECT_LT(TimeOf("CdPlay"), SceneStart + 1);
  EXPECT_LT(TimeOf("AuxSetVolume", press), TimeOf("CdStop", press));
  ExpectLeftClean();
}

// The shrink reaches 70 % 2 s after it began however unevenly the frames come.
TEST_F(EndingTest, ShrinkEndsAtSeventyPercentAfterTwoSeconds) {
  const std::vector<uint8_t> picture = RandomPicture(200);
  std::memcpy(MemLock(BackFrame) + kFramePixelsOffset, picture.data(), kFramePixelCount);
  MemUnlock(BackFrame);
  HeadlessOnPresent([] {
    static const uint32_t steps[] = {7, 163, 41, 389, 2, 97};
    static int next = 0;
    HeadlessAdvance(steps[next++ % 6]);
  });
  const uint32_t took = Duration([] { ShrinkPicture(); });
  EXPECT_GE(took, 2000u);
  EXPECT_LT(took, 2400u);
  std::vector<uint8_t> expected(kFramePixelCount, kGround);
  ScaleDown(expected.data(), picture.data(), 448, 336);
  EXPECT_EQ(FramePixels(ScreenFrame), expected);
}

}  // namespace
