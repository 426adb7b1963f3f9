// The SDL backend in this process, on SDL's offscreen video driver (no display needed), where
// the window gets the software renderer: frames send only what changed and look exactly as a
// whole frame would, the blinking cursor sends its cell, and the idle waits sleep until their
// deadline, a timer or a host event instead of looking every millisecond.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_local.h"
#include "platform/sdl/sdl_stats.h"
#include "resources/memory.h"
#include "support/test_data.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process in milliseconds.
double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Where a frame is placed: a window of a size, or full screen (0 x 0).
struct Layout {
  const char* name;
  int width, height;
};
constexpr Layout kLayouts[] = {
    {"640x480", 640, 480}, {"1280x960", 1280, 960}, {"800x600", 800, 600},
    {"320x240", 320, 240}, {"full screen", 0, 0},
};

class SdlBackendTest : public ::testing::Test {
 protected:
  // One window for the whole suite, as a game has.
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("LNTR3_RENDERER");
    unsetenv("SDL_RENDER_DRIVER");
    // The running-copy socket is named after the display: this process's own.
    setenv("DISPLAY", (":lntr3-sdl-test-" + std::to_string(getpid())).c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    sConfig = new TempDir;
    setenv("XDG_CONFIG_HOME", sConfig->path.c_str(), 1);
    PlatOptions options;
    ASSERT_TRUE(PlatInit(options));
    ASSERT_TRUE(MemReset());
    SetDefaults();
    PlatWindowDesc desc;
    desc.sjisTitle = "test";
    desc.wndProc = WndProc;
    desc.menu = SettingsMenu();
    ASSERT_TRUE(PlatCreateWindow(desc));
    PlatShowWindow();
    ASSERT_FALSE(PlatActivateRunningCopy("test"));
    DistinctColours();
  }
  // A palette of colours all different from each other (a window move reloads the game's own).
  static void DistinctColours() {
    std::vector<PalEntry> palette(kPaletteSize);
    for (int i = 0; i < kPaletteSize; i++) {
      palette[i] = PalEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(i * 5),
                            static_cast<uint8_t>(255 - i), PC_RESERVED};
    }
    PlatSetPalette(0, palette);
  }
  static void TearDownTestSuite() {
    PlatShutdown();
    delete sConfig;
  }

  void SetUp() override { ASSERT_TRUE(SdlGetPresentStats().partial); }

  // Handles everything queued, paints included.
  static void Settle() {
    PlatMsg msg;
    while (PlatPeekMessage(msg, true)) PlatSendMessage(msg.message, msg.wParam, msg.lParam);
  }

  static void Place(const Layout& layout) {
    if (layout.width == 0) {
      PresentModeCommand(kModeFullScreen);
    } else {
      if (ScreenMode == kModeFullScreen) PresentModeCommand(kModeStartSize);
      int width, height;
      PlatAdjustWindowRect(layout.width, layout.height, width, height);
      PlatMoveWindow(0, 0, width, height);
    }
    Settle();
  }

  // Writes a rectangle of the screen frame and updates its part of the window, as drawing does.
  static void Fill(int x0, int y0, int x1, int y1, uint8_t colour) {
    uint8_t* pixels = MemLock(ScreenFrame);
    for (int y = y0; y < y1; y++) {
      for (int x = x0; x < x1; x++) pixels[FramePixelOffset(x, y)] = colour;
    }
    MemUnlock(ScreenFrame);
    Rect rect{x0, y0, x1 - 1, y1 - 1};  // inclusive corners
    ScreenUpdate(rect);
  }

  static void Noise(uint32_t seed) {
    std::mt19937 rng(seed);
    uint8_t* pixels = MemLock(ScreenFrame) + kFramePixelsOffset;
    for (int i = 0; i < kFrameWidth * kFrameHeight; i++) {
      pixels[i] = static_cast<uint8_t>(rng() % kPaletteSize);
    }
    MemUnlock(ScreenFrame);
    ScreenUpdate();
  }

  // What the window shows now, and what a whole frame of the same state shows.
  static void ShownAndWhole(std::vector<uint32_t>& shown, std::vector<uint32_t>& whole) {
    int w, h;
    shown = SdlWindowImage(w, h);
    SdlPresentInvalidateAll();
    SdlPresentFrame();
    whole = SdlWindowImage(w, h);
  }

  static inline TempDir* sConfig = nullptr;
};

TEST_F(SdlBackendTest, FramesSentInPartsLookExactlyAsWholeFrames) {
  for (const Layout& layout : kLayouts) {
    Place(layout);
    Noise(1);
    std::vector<uint32_t> shown, whole;
    // A cursor cell, a text line, a strip at the picture's edges, a single pixel.
    const struct {
      int x0, y0, x1, y1;
    } changes[] = {{301, 203, 327, 229}, {40, 30, 600, 56},    {0, 0, 640, 3},
                   {0, 470, 640, 480},   {639, 479, 640, 480}, {317, 11, 318, 12}};
    uint8_t colour = 3;
    for (const auto& c : changes) {
      const SdlPresentStats before = SdlGetPresentStats();
      Fill(c.x0, c.y0, c.x1, c.y1, colour);
      colour = static_cast<uint8_t>((colour * 7 + 11) % kPaletteSize);
      Settle();
      EXPECT_EQ(SdlGetPresentStats().wholeFrames, before.wholeFrames) << layout.name;
      ShownAndWhole(shown, whole);
      ASSERT_FALSE(shown.empty());
      EXPECT_TRUE(shown == whole) << layout.name << ": change at " << c.x0 << "," << c.y0;
    }
  }
}

TEST_F(SdlBackendTest, TheCursorBlinkSendsItsCellOnly) {
  const struct {
    Layout layout;
    uint64_t most;  // the 26 x 26 cell at the window's scale, with the update's extra pixel
  } cases[] = {{kLayouts[0], 27 * 27}, {kLayouts[1], 54 * 54}, {kLayouts[4], 27 * 27}};
  for (const auto& c : cases) {
    Place(c.layout);
    Noise(2);
    Settle();
    for (int blink = 0; blink < 4; blink++) {
      const SdlPresentStats before = SdlGetPresentStats();
      Fill(300, 200, 326, 226, static_cast<uint8_t>(blink * 40));
      Settle();
      const SdlPresentStats after = SdlGetPresentStats();
      EXPECT_EQ(after.frames - before.frames, 1u) << c.layout.name;
      EXPECT_EQ(after.wholeFrames, before.wholeFrames) << c.layout.name;
      EXPECT_LE(after.sentPixels - before.sentPixels, c.most) << c.layout.name;
    }
  }
}

TEST_F(SdlBackendTest, APaintChangesOnlyItsUpdateRectangle) {
  const auto differing = [](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    size_t count = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); i++) count += a[i] != b[i];
    return count;
  };
  for (const Layout& layout : kLayouts) {
    Place(layout);
    DistinctColours();
    Noise(4);
    Settle();
    int w, h;
    const std::vector<uint32_t> before = SdlWindowImage(w, h);
    // The frame changes near the top, but only a cell at the bottom right is updated: the
    // change shows only when the whole window is.
    uint8_t* pixels = MemLock(ScreenFrame);
    for (int y = 30; y < 32; y++) {
      for (int x = 0; x < 100; x++) pixels[FramePixelOffset(x, y)] ^= 1;
    }
    MemUnlock(ScreenFrame);
    Fill(500, 400, 526, 426, 5);
    Settle();
    const size_t cell = differing(before, SdlWindowImage(w, h));
    ScreenUpdate();
    Settle();
    EXPECT_GT(differing(before, SdlWindowImage(w, h)), cell) << layout.name;
  }
}

TEST_F(SdlBackendTest, ChangesFarApartAreSentApartAndLookAsAWholeFrame) {
  // Two cells at opposite corners in one paint, as falling petals make them: each goes alone,
  // not the box around both.
  Place(kLayouts[0]);
  Noise(3);
  Settle();
  const SdlPresentStats before = SdlGetPresentStats();
  Fill(4, 4, 30, 30, 7);
  Fill(600, 440, 626, 466, 9);
  Settle();
  EXPECT_LE(SdlGetPresentStats().sentPixels - before.sentPixels, 2u * 27 * 27);
  std::vector<uint32_t> shown, whole;
  ShownAndWhole(shown, whole);
  EXPECT_TRUE(shown == whole);
}

TEST_F(SdlBackendTest, AnUnchangedRepaintSendsNothingAndTheBarOnlyWhenItChanges) {
  Place(kLayouts[0]);
  Noise(3);
  Settle();
  SdlPresentStats before = SdlGetPresentStats();
  ScreenUpdate();
  Settle();
  EXPECT_EQ(SdlGetPresentStats().frames, before.frames);

  // Greying a bar entry redraws the bar strip, and only it.
  std::vector<uint32_t> shown, whole;
  before = SdlGetPresentStats();
  PlatMenuEnable(kMenuSkipToChoice, true);
  PlatDrawMenuBar();
  const SdlPresentStats after = SdlGetPresentStats();
  EXPECT_EQ(after.frames - before.frames, 1u);
  EXPECT_EQ(after.wholeFrames, before.wholeFrames);
  EXPECT_EQ(after.sentPixels - before.sentPixels, uint64_t{640} * kSdlBarLineHeight);
  ShownAndWhole(shown, whole);
  EXPECT_TRUE(shown == whole);
  PlatMenuEnable(kMenuSkipToChoice, false);
  PlatDrawMenuBar();
}

TEST_F(SdlBackendTest, AnIdleWaitSleepsUntilItsDeadlineOrTheNextTimerWithWork) {
  Place(kLayouts[0]);
  Settle();
  PlatKillTimer(1);
  // Nothing due: the wait ends at its deadline, having slept rather than looked each millisecond.
  const auto start = Clock::now();
  const double cpu = CpuMs();
  const uint32_t end = PlatTicks() + 150;
  while (static_cast<int32_t>(PlatTicks() - end) < 0) PlatIdleUntil(end);
  EXPECT_GE(MsSince(start), 140);
  EXPECT_LT(CpuMs() - cpu, 30);

  // A timer due first ends the idle step when it fires.
  PlatSetTimer(9, 40);
  const auto timerStart = Clock::now();
  PlatIdleUntil(PlatTicks() + 1000);
  const double slept = MsSince(timerStart);
  PlatKillTimer(9);
  EXPECT_GE(slept, 30);
  EXPECT_LT(slept, 500);

  // A timer with nothing to do neither wakes the wait nor ticks; once it has, it ticks again.
  static bool quiet = true;
  PlatSetTimer(9, 20, [] { return quiet; });
  PlatMsg msg;
  int steps = 0;
  const uint32_t quietEnd = PlatTicks() + 150;
  while (static_cast<int32_t>(PlatTicks() - quietEnd) < 0) {
    if (PlatPeekMessage(msg, true)) {
      EXPECT_NE(msg.message, WM_TIMER);
    } else {
      steps++;
      PlatIdleUntil(quietEnd);
    }
  }
  EXPECT_LE(steps, 3) << "a 20 ms timer woke the wait";
  quiet = false;
  const uint32_t give = PlatTicks() + 1000;
  bool ticked = false;
  while (!ticked && static_cast<int32_t>(PlatTicks() - give) < 0) {
    if (PlatPeekMessage(msg, true)) {
      ticked = msg.message == WM_TIMER && msg.wParam == 9;
    } else {
      PlatIdleUntil(give);
    }
  }
  PlatKillTimer(9);
  EXPECT_TRUE(ticked);
}

TEST_F(SdlBackendTest, ARunningCopyRequestWakesAWaitForInput) {
  Place(kLayouts[0]);
  Settle();
  // Should the request never come, this timer ends the wait.
  PlatSetTimer(9, 3000);
  // Another copy starting: it connects to the socket and asks this one to come forward.
  std::thread other([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name =
        "lanternia3." + std::to_string(getuid()) + "." + std::string(std::getenv("DISPLAY"));
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
      (void)!send(fd, "raise\n", 6, MSG_NOSIGNAL);
    }
    close(fd);
  });
  const auto start = Clock::now();
  PlatIdleForInput();
  const double slept = MsSince(start);
  other.join();
  PlatKillTimer(9);
  EXPECT_GE(slept, 50);
  EXPECT_LT(slept, 2000);
  Settle();
}

}  // namespace
