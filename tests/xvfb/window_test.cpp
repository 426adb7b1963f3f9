// The real window under a virtual X display: starts the game on Xvfb, finds its window by title,
// takes screenshots (saved beside this binary) and drives it with synthetic input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/game_run.h"
#include "support/rgb_image.h"
#include "support/scene_data.h"
#include "support/test_data.h"

// Xlib defines macros (None, Bool, Status) that clash with GoogleTest: it comes last.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

// The X libraries keep allocations for the life of the process.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=0";
}

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kTitle[] = "Lanternia Vol.3 「Ｍｉｒａｂｅｌ」";
constexpr int kBar = 22;  // one line of the menu bar at the top of the window

// Waits a little, for the other processes to catch up.
void Sleep(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Asks `done` until it holds (true) or `timeoutMs` have passed (false); asks at least once.
bool WaitUntil(int timeoutMs, const std::function<bool()>& done) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (Clock::now() >= end) return false;
    Sleep(50);
  }
  return true;
}

// [SECTION] Processes

struct Process {
  pid_t pid = -1;
  std::string errPath;  // where its standard output and error go
};

// Starts `argv` with standard output and error going to `logPath`; `keepFd` stays open in it.
Process Spawn(const std::vector<std::string>& argv, const std::string& logPath, int keepFd = -1) {
  Process process{fork(), logPath};
  if (process.pid == 0) {
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(log, 1);
    dup2(log, 2);
    if (keepFd >= 0) fcntl(keepFd, F_SETFD, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return process;
}

// The exit status, or nothing when the process still runs after `timeoutMs`.
std::optional<int> WaitExit(Process& process, int timeoutMs) {
  int status = 0;
  if (process.pid <= 0 || !WaitUntil(timeoutMs, [&] {
        return waitpid(process.pid, &status, WNOHANG) == process.pid;
      })) {
    return std::nullopt;
  }
  process.pid = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Ends a process we started and reaps it.
void Kill(Process& process) {
  if (process.pid <= 0) return;
  kill(process.pid, SIGKILL);
  waitpid(process.pid, nullptr, 0);
  process.pid = -1;
}

// [SECTION] Screenshots

// Saves a screenshot beside the test binary (as PPM), for a person to look at after the run.
void Save(const RgbImage& image, const std::string& name) {
  std::ofstream out(fs::read_symlink("/proc/self/exe").parent_path() / name, std::ios::binary);
  out << "P6\n" << image.width << " " << image.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(image.rgb.data()), std::ssize(image.rgb));
}

// How many different colours a rectangle of the image holds.
int CountDistinct(const RgbImage& image, int x0, int y0, int x1, int y1) {
  std::set<uint32_t> seen;
  for (int y = y0; y < std::min(y1, image.height); y++) {
    for (int x = x0; x < std::min(x1, image.width); x++) seen.insert(image.At(x, y));
  }
  return static_cast<int>(seen.size());
}

// A message box shows: its caption strip is a long run of the selection blue (0, 0, 128).
bool BoxShown(const RgbImage& image) {
  for (int y = kBar; y < image.height; y++) {
    int run = 0;
    for (int x = 0; x < image.width; x++) {
      run = image.At(x, y) == 0x000080 ? run + 1 : 0;
      if (run >= 100) return true;
    }
  }
  return false;
}

// [SECTION] The display

class XvfbWindowTest : public ::testing::Test {
 protected:
  // One Xvfb for every case; it tells its display number through a pipe.
  static void SetUpTestSuite() {
    // Windows come and go while the tests look (SDL's helper windows, those of a game that has
    // just ended): a request about one already gone then fails, instead of ending this process.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string log = (fs::temp_directory_path() / "lntr3-xvfb.log").string();
    sXvfb = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp"},
                  log, fds[1]);
    close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char buffer[16];
    ssize_t n = 0;
    while (number.find('\n') == std::string::npos && poll(&wait, 1, 10000) > 0 &&
           (n = read(fds[0], buffer, sizeof buffer)) > 0) {
      number.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start: " << ReadFileText(log);
    sDisplayName = ":" + number.substr(0, number.find('\n'));
    sDisplay = XOpenDisplay(sDisplayName.c_str());
    ASSERT_NE(sDisplay, nullptr);
    // The games started run there with the SDL build's real window and no sound.
    setenv("DISPLAY", sDisplayName.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
  }

  // Closes our connection and ends Xvfb.
  static void TearDownTestSuite() {
    if (sDisplay) XCloseDisplay(sDisplay);
    sDisplay = nullptr;
    Kill(sXvfb);
    std::error_code ignored;
    fs::remove(fs::temp_directory_path() / "lntr3-xvfb.log", ignored);
  }

  // A fresh home, configuration and data directory per case, for the games it starts.
  void SetUp() override {
    ASSERT_NE(sDisplay, nullptr);
    for (const char* name : {"home", "config", "data"}) fs::create_directory(dir_.path / name);
    setenv("HOME", (dir_.path / "home").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_.path / "config").c_str(), 1);
  }

  // Ends any game still running and waits until its windows are gone, so that the next case
  // cannot find them.
  void TearDown() override {
    for (Process& game : games_) Kill(game);
    WaitUntil(5000, [] { return GameWindows().empty(); });
  }

  // Starts the game on the virtual display with the case's directories.
  Process& StartGame(const std::string& logName, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> argv{kGameBinary, "--no-opening", "--data",
                                  (dir_.path / "data").string()};
    argv.insert(argv.end(), extra.begin(), extra.end());
    games_.push_back(Spawn(argv, (dir_.path / logName).string()));
    return games_.back();
  }

  // Every viewable window whose title is the game's (with no window manager on the display, the
  // game's windows are the root window's children).
  static std::vector<Window> GameWindows() {
    const Atom netName = XInternAtom(sDisplay, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(sDisplay, "UTF8_STRING", False);
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> found, windows;
    if (XQueryTree(sDisplay, DefaultRootWindow(sDisplay), &root, &parent, &children, &count) &&
        children) {
      windows.assign(children, children + count);
      XFree(children);
    }
    for (const Window window : windows) {
      Atom type;
      int format;
      unsigned long items, after;
      unsigned char* title = nullptr;
      XWindowAttributes attributes;
      if (XGetWindowProperty(sDisplay, window, netName, 0, 256, False, utf8, &type, &format, &items,
                             &after, &title) != Success ||
          !title) {
        continue;
      }
      if (std::string(reinterpret_cast<char*>(title), items) == kTitle &&
          XGetWindowAttributes(sDisplay, window, &attributes) &&
          attributes.map_state == IsViewable) {
        found.push_back(window);
      }
      XFree(title);
    }
    return found;
  }

  // The game window once it shows, or 0 after the timeout.
  static Window WaitForWindow(int timeoutMs) {
    std::vector<Window> windows;
    WaitUntil(timeoutMs, [&] { return !(windows = GameWindows()).empty(); });
    return windows.empty() ? 0 : windows.front();
  }

  // Grabs the window's pixels as RGB and saves them.
  static RgbImage Shot(Window window, const std::string& name) {
    RgbImage image;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(sDisplay, window, &attributes)) return image;
    XImage* x =
        XGetImage(sDisplay, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!x) return image;
    image.width = attributes.width;
    image.height = attributes.height;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; y++) {
      for (int xx = 0; xx < image.width; xx++) {
        const unsigned long pixel = XGetPixel(x, xx, y);
        uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + xx) * 3];
        p[0] = static_cast<uint8_t>((pixel & x->red_mask) >> __builtin_ctzl(x->red_mask));
        p[1] = static_cast<uint8_t>((pixel & x->green_mask) >> __builtin_ctzl(x->green_mask));
        p[2] = static_cast<uint8_t>((pixel & x->blue_mask) >> __builtin_ctzl(x->blue_mask));
      }
    }
    XDestroyImage(x);
    Save(image, name);
    return image;
  }

  // Puts the pointer over a point of the window, by default the middle; with `focus`, gives the
  // window the keyboard too.
  static void Point(Window window, int x = -1, int y = -1, bool focus = false) {
    XWindowAttributes a;
    XGetWindowAttributes(sDisplay, window, &a);
    XTestFakeMotionEvent(sDisplay, DefaultScreen(sDisplay), a.x + (x < 0 ? a.width / 2 : x),
                         a.y + (y < 0 ? a.height / 2 : y), CurrentTime);
    if (focus) XSetInputFocus(sDisplay, window, RevertToPointerRoot, CurrentTime);
    XSync(sDisplay, False);
    Sleep(focus ? 200 : 100);
  }
  static void Focus(Window window) { Point(window, -1, -1, true); }

  // Presses and releases a key, with a modifier held around it.
  static void Key(KeySym key, KeySym modifier = NoSymbol) {
    const KeyCode code = XKeysymToKeycode(sDisplay, key);
    const KeyCode mod = modifier == NoSymbol ? 0 : XKeysymToKeycode(sDisplay, modifier);
    if (mod) XTestFakeKeyEvent(sDisplay, mod, True, CurrentTime);
    XTestFakeKeyEvent(sDisplay, code, True, CurrentTime);
    XTestFakeKeyEvent(sDisplay, code, False, CurrentTime);
    if (mod) XTestFakeKeyEvent(sDisplay, mod, False, CurrentTime);
    XSync(sDisplay, False);
  }

  // A left click at a point of the window.
  static void Click(Window window, int x, int y) {
    Point(window, x, y);
    XTestFakeButtonEvent(sDisplay, 1, True, CurrentTime);
    XTestFakeButtonEvent(sDisplay, 1, False, CurrentTime);
    XSync(sDisplay, False);
  }

  // What a window manager sends when the close box is clicked.
  static void CloseBox(Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(sDisplay, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(sDisplay, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(sDisplay, window, False, NoEventMask, &event);
    XSync(sDisplay, False);
  }

  // Polls screenshots until a message box shows (or stops showing).
  static bool WaitBox(Window window, bool shown, int timeoutMs, const std::string& name) {
    return WaitUntil(timeoutMs, [&] { return BoxShown(Shot(window, name)) == shown; });
  }

  // Waits until the screenshot's pixel (x, y) has the colour.
  static bool WaitPixel(Window window, int x, int y, uint32_t colour, const std::string& name) {
    return WaitUntil(10000, [&] {
      const RgbImage image = Shot(window, name);
      return x < image.width && y < image.height && image.At(x, y) == colour;
    });
  }

  // Alt+Q asks the quit question, Enter accepts it: the game ends with status 0.
  static void QuitWithAccessKey(Window window, Process& game) {
    Key(XK_q, XK_Alt_L);
    ASSERT_TRUE(WaitBox(window, true, 5000, "xvfb-quit-question.ppm"))
        << ReadFileText(game.errPath);
    Key(XK_Return);
    const std::optional<int> status = WaitExit(game, 10000);
    ASSERT_TRUE(status.has_value()) << "the game did not end";
    EXPECT_EQ(*status, 0) << ReadFileText(game.errPath);
  }

  static inline Process sXvfb;
  static inline std::string sDisplayName;
  static inline Display* sDisplay = nullptr;
  TempDir dir_;
  std::deque<Process> games_;  // references stay valid as games are added
};

// The checks every screenshot of a running game passes: the window has the bar above a
// 640 x 480 client area, and the bar carries text (not one flat colour).
void ExpectWindowLayout(const RgbImage& image) {
  ASSERT_EQ(image.width, 640);
  ASSERT_EQ(image.height, 480 + kBar);
  EXPECT_GT(CountDistinct(image, 0, 0, 320, kBar), 3) << "menu bar without labels";
}

struct Probe {
  int x, y;
  uint32_t colour;
};
void ExpectPixels(const RgbImage& image, std::initializer_list<Probe> probes) {
  for (const Probe& p : probes) {
    EXPECT_EQ(image.At(p.x, p.y), p.colour) << p.x << "," << p.y << " of " << image.width;
  }
}

// [SECTION] Cases

TEST_F(XvfbWindowTest, MissingArchiveBoxOutlivesASecondStartAndEndsWithStatusOne) {
  Process& game = StartGame("missing.log");
  const Window window = WaitForWindow(20000);
  ASSERT_NE(window, 0u) << ReadFileText(game.errPath);
  ASSERT_TRUE(WaitBox(window, true, 10000, "xvfb-fatal-box.ppm")) << ReadFileText(game.errPath);
  const RgbImage image = Shot(window, "xvfb-fatal-box.ppm");
  ExpectWindowLayout(image);
  // The box sits in the middle of the client area, over the black picture.
  EXPECT_GT(CountDistinct(image, 220, 200, 420, 300), 4);

  // A second start hands over to the running copy and leaves at once.
  Process& second = StartGame("second.log");
  const auto started = Clock::now();
  const std::optional<int> handed = WaitExit(second, 15000);
  ASSERT_TRUE(handed.has_value()) << "the second copy kept running";
  EXPECT_EQ(*handed, 0) << ReadFileText(second.errPath);
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(GameWindows().size(), 1u);

  // Enter answers the box (and any notice before it); the game then ends as a failure.
  Focus(window);
  std::optional<int> status;
  for (int tries = 0; tries < 4 && !status; tries++) {
    Key(XK_Return);
    status = WaitExit(game, 3000);
  }
  ASSERT_TRUE(status.has_value()) << "the box did not take Enter";
  EXPECT_EQ(*status, 1);
  const std::string log = ReadFileText(game.errPath);
  EXPECT_NE(log.find("ファイルが開けません : " + (dir_.path / "data").string()), std::string::npos)
      << log;
}

TEST_F(XvfbWindowTest, QuitQuestionFromTheBarTheCloseBoxAndTheAccessKey) {
  WriteStartArchives(dir_.path / "data");
  Process& game = StartGame("quit.log");
  const Window window = WaitForWindow(20000);
  ASSERT_NE(window, 0u) << ReadFileText(game.errPath);
  Focus(window);
  // Notices at start (a missing sound device, say) are answered first.
  Sleep(1500);
  for (int i = 0; i < 3 && BoxShown(Shot(window, "xvfb-running.ppm")); i++) {
    Key(XK_Return);
    Sleep(500);
  }
  ASSERT_FALSE(WaitExit(game, 0).has_value()) << "the game ended: " << ReadFileText(game.errPath);
  const RgbImage running = Shot(window, "xvfb-running.ppm");
  ExpectWindowLayout(running);
  ASSERT_FALSE(BoxShown(running));

  // "終了(&Q)" is the last entry of the bar: its text ends the bar's ink.
  int right = 0;
  for (int y = 2; y < kBar - 2; y++) {
    for (int x = 0; x < running.width; x++) {
      if (running.At(x, y) == 0x000000) right = std::max(right, x);
    }
  }
  ASSERT_GT(right, 100);
  // The bar's entry and the close box ask the question; Escape is Cancel and the game goes on.
  for (const bool closeBox : {false, true}) {
    closeBox ? CloseBox(window) : Click(window, right - 12, kBar / 2);
    ASSERT_TRUE(WaitBox(window, true, 5000,
                        closeBox ? "xvfb-close-question.ppm" : "xvfb-bar-question.ppm"));
    Focus(window);
    Key(XK_Escape);
    ASSERT_TRUE(WaitBox(window, false, 5000, "xvfb-after-cancel.ppm")) << closeBox;
    ASSERT_FALSE(WaitExit(game, 300).has_value()) << closeBox;
  }
  QuitWithAccessKey(window, game);
}

TEST_F(XvfbWindowTest, APictureAtTwoWindowSizesAndInFullScreen) {
  // Four quadrants of distinct colours with a 2 x 2 yellow dot at (100, 100).
  TestPicture quad = SolidPicture(640, 480, 0);
  quad.palette = {
      {255, 0, 0, 0}, {0, 255, 0, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}, {255, 255, 0, 0}};
  for (int y = 0; y < 480; y++) {
    for (int x = 0; x < 640; x++) {
      const bool dot = x / 2 == 50 && y / 2 == 50;
      quad.pixels[y * 640 + x] = static_cast<uint8_t>(dot ? 4 : (y >= 240) * 2 + (x >= 320));
    }
  }
  WritePicture(dir_.path / "data", "QUAD.TZ2", quad);
  WriteStartArchives(dir_.path / "data");
  Process& game = StartGame("view.log", {"--view", "QUAD.TZ2"});
  const Window window = WaitForWindow(20000);
  ASSERT_NE(window, 0u) << ReadFileText(game.errPath);
  Focus(window);

  // 640 x 480: painted 1:1 below the bar.
  ASSERT_TRUE(WaitPixel(window, 10, kBar + 10, 0xFF0000, "xvfb-view-640.ppm"))
      << ReadFileText(game.errPath);
  ExpectPixels(Shot(window, "xvfb-view-640.ppm"), {{319, kBar + 239, 0xFF0000},
                                                   {320, kBar + 239, 0x00FF00},
                                                   {319, kBar + 240, 0x0000FF},
                                                   {639, kBar + 479, 0xFFFFFF},
                                                   {100, kBar + 100, 0xFFFF00},
                                                   {101, kBar + 101, 0xFFFF00},
                                                   {102, kBar + 102, 0xFF0000}});

  // 800 x 600 from the size menu: whole pixels scaled by 5/4; the dot covers 125..127.
  Key(XK_d, XK_Alt_L);
  Sleep(300);
  Key(XK_4);
  ASSERT_TRUE(WaitPixel(window, 799, kBar + 599, 0xFFFFFF, "xvfb-view-800.ppm"))
      << ReadFileText(game.errPath);
  RgbImage image = Shot(window, "xvfb-view-800.ppm");
  EXPECT_EQ(image.width, 800);
  EXPECT_EQ(image.height, 600 + kBar);
  ExpectPixels(image, {{399, kBar + 299, 0xFF0000},
                       {400, kBar + 299, 0x00FF00},
                       {400, kBar + 300, 0xFFFFFF},
                       {125, kBar + 125, 0xFFFF00},
                       {128, kBar + 128, 0xFF0000}});

  // Full screen on the 1024 x 768 display: 1:1, centred on black.
  Key(XK_d, XK_Alt_L);
  Sleep(300);
  Key(XK_f);
  const int left = (1024 - 640) / 2, top = (768 - 480) / 2;
  ASSERT_TRUE(WaitPixel(window, left + 630, top + 470, 0xFFFFFF, "xvfb-view-full.ppm"))
      << ReadFileText(game.errPath);
  image = Shot(window, "xvfb-view-full.ppm");
  EXPECT_EQ(image.width, 1024);
  ExpectPixels(image, {{left - 1, top + 300, 0x000000},
                       {left, top + 300, 0x0000FF},
                       {left + 639, top + 479, 0xFFFFFF},
                       {left + 640, top + 479, 0x000000},
                       {left + 100, top + 100, 0xFFFF00},
                       {left + 320, top + 100, 0x00FF00}});
  QuitWithAccessKey(window, game);
}

}  // namespace
