// The real window under a virtual X display: starts the game on Xvfb, finds its window by title,
// takes screenshots (saved beside this binary as PNG) and drives it with synthetic input.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

// Xlib defines macros (None, Bool, Status) that clash with GoogleTest: it comes last.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
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

// [SECTION] Processes

struct Process {
  pid_t pid = -1;
  std::string errPath;
};

// Starts `argv` with the environment changes (NAME=VALUE; an empty value unsets the name),
// standard output and error going to `logPath`.
Process Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
              const std::string& logPath, int keepFd = -1) {
  Process process;
  process.errPath = logPath;
  process.pid = fork();
  if (process.pid == 0) {
    for (const std::string& entry : env) {
      const size_t equals = entry.find('=');
      const std::string name = entry.substr(0, equals), value = entry.substr(equals + 1);
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log >= 0) {
      dup2(log, 1);
      dup2(log, 2);
    }
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
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (process.pid > 0) {
    int status = 0;
    const pid_t done = waitpid(process.pid, &status, WNOHANG);
    if (done == process.pid) {
      process.pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    if (Clock::now() > end) return std::nullopt;
    Sleep(20);
  }
  return std::nullopt;
}

// Ends a process we started and reaps it.
void Kill(Process& process) {
  if (process.pid <= 0) return;
  kill(process.pid, SIGKILL);
  waitpid(process.pid, nullptr, 0);
  process.pid = -1;
}

// A whole file as text (empty when missing).
std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// [SECTION] Screenshots

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  // The pixel as 0xRRGGBB.
  uint32_t At(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
};

// Beside the test binary, for a person to look at after the run.
void SavePng(const Image& image, const std::string& name) {
  const fs::path dir = fs::read_symlink("/proc/self/exe").parent_path();
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  png_image_write_to_file(&png, (dir / name).c_str(), 0, image.rgb.data(), image.width * 3,
                          nullptr);
}

// How many different colours a rectangle of the image holds.
int CountDistinct(const Image& image, int x0, int y0, int x1, int y1) {
  std::vector<uint32_t> seen;
  for (int y = y0; y < y1 && y < image.height; y++) {
    for (int x = x0; x < x1 && x < image.width; x++) {
      const uint32_t c = image.At(x, y);
      if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
  }
  return static_cast<int>(seen.size());
}

// A message box shows: its caption strip is a long run of the selection blue (0, 0, 128).
bool BoxShown(const Image& image) {
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
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string log = (fs::temp_directory_path() / "lntr3-xvfb.log").string();
    sXvfb = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp"},
                  {}, log, fds[1]);
    close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end && number.find('\n') == std::string::npos) {
      if (poll(&wait, 1, 200) <= 0) continue;
      char buffer[16];
      const ssize_t n = read(fds[0], buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<size_t>(n));
    }
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start: " << ReadFile(log);
    sDisplayName = ":" + number.substr(0, number.find('\n'));
    sDisplay = XOpenDisplay(sDisplayName.c_str());
    ASSERT_NE(sDisplay, nullptr);
  }

  // Closes our connection and ends Xvfb.
  static void TearDownTestSuite() {
    if (sDisplay) XCloseDisplay(sDisplay);
    sDisplay = nullptr;
    Kill(sXvfb);
    std::error_code ignored;
    fs::remove(fs::temp_directory_path() / "lntr3-xvfb.log", ignored);
  }

  // A fresh home, configuration and data directory per case.
  void SetUp() override {
    ASSERT_NE(sDisplay, nullptr);
    std::string dir = (fs::temp_directory_path() / "lntr3-xvfb-XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    root_ = dir;
    fs::create_directories(root_ / "home");
    fs::create_directories(root_ / "config");
    fs::create_directories(root_ / "data");
  }

  // Ends any game still running and removes the directories.
  void TearDown() override {
    for (Process& game : games_) Kill(game);
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Starts the game on the virtual display with the case's directories.
  Process& StartGame(const std::string& logName, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> argv{LNTR3_BIN_DIR "/lanternia3", "--data", (root_ / "data").string()};
    argv.insert(argv.end(), extra.begin(), extra.end());
    games_.push_back(
        Spawn(argv,
              {"DISPLAY=" + sDisplayName, "WAYLAND_DISPLAY=", "SDL_VIDEODRIVER=x11",
               "SDL_AUDIODRIVER=dummy", "HOME=" + (root_ / "home").string(),
               "XDG_CONFIG_HOME=" + (root_ / "config").string(), "ASAN_OPTIONS=detect_leaks=0"},
              (root_ / logName).string()));
    return games_.back();
  }

  // Every viewable window whose title is the game's.
  static std::vector<Window> GameWindows() {
    std::vector<Window> found;
    const Atom netName = XInternAtom(sDisplay, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(sDisplay, "UTF8_STRING", False);
    std::vector<Window> pending{DefaultRootWindow(sDisplay)};
    while (!pending.empty()) {
      const Window window = pending.back();
      pending.pop_back();
      Window rootReturn, parent, *children = nullptr;
      unsigned count = 0;
      if (XQueryTree(sDisplay, window, &rootReturn, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; i++) pending.push_back(children[i]);
        if (children) XFree(children);
      }
      std::string title;
      Atom type;
      int format;
      unsigned long items, after;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(sDisplay, window, netName, 0, 256, False, utf8, &type, &format, &items,
                             &after, &data) == Success &&
          data) {
        title.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
      } else if (char* name = nullptr; XFetchName(sDisplay, window, &name) && name) {
        title = name;
        XFree(name);
      }
      XWindowAttributes attributes;
      if (title == kTitle && XGetWindowAttributes(sDisplay, window, &attributes) &&
          attributes.map_state == IsViewable) {
        found.push_back(window);
      }
    }
    return found;
  }

  // The game window once it shows, or 0 after the timeout.
  static Window WaitForWindow(int timeoutMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      const std::vector<Window> windows = GameWindows();
      if (!windows.empty()) return windows.front();
      Sleep(50);
    }
    return 0;
  }

  // Grabs the window's pixels as RGB and saves them as PNG.
  static Image Shot(Window window, const std::string& name) {
    Image image;
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
    SavePng(image, name);
    return image;
  }

  // Gives the window the keyboard and puts the pointer over its client area.
  static void Focus(Window window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(sDisplay, window, &attributes);
    XTestFakeMotionEvent(sDisplay, DefaultScreen(sDisplay), attributes.x + attributes.width / 2,
                         attributes.y + attributes.height / 2, CurrentTime);
    XSetInputFocus(sDisplay, window, RevertToPointerRoot, CurrentTime);
    XSync(sDisplay, False);
    Sleep(200);
  }

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
    XWindowAttributes attributes;
    XGetWindowAttributes(sDisplay, window, &attributes);
    XTestFakeMotionEvent(sDisplay, DefaultScreen(sDisplay), attributes.x + x, attributes.y + y,
                         CurrentTime);
    XSync(sDisplay, False);
    Sleep(100);
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
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < end) {
      if (BoxShown(Shot(window, name)) == shown) return true;
      Sleep(100);
    }
    return false;
  }

  // Writes a PACK archive of the given entries (any bytes) with the toolchain.
  bool Pack(const std::string& archive, const std::vector<std::string>& entries) {
    const fs::path src = root_ / "src";
    fs::create_directories(src);
    std::vector<std::string> argv{LNTR3_BIN_DIR "/lntr3tool", "pack", "create",
                                  (root_ / "data" / archive).string()};
    for (const std::string& name : entries) {
      std::ofstream(src / name, std::ios::binary) << "entry " << name << std::string(200, '\x5a');
      argv.push_back((src / name).string());
    }
    Process tool = Spawn(argv, {}, (root_ / "tool.log").string());
    return WaitExit(tool, 10000) == 0;
  }

  // Writes a palette PNG of 640 x 480 indices and encodes it as a TZ2 picture in the data
  // directory with the toolchain.
  bool Picture(const std::string& name, const std::vector<uint8_t>& indices,
               const std::vector<uint8_t>& rgbColours) {
    const fs::path png = root_ / "picture.png";
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 640;
    image.height = 480;
    image.format = PNG_FORMAT_RGB_COLORMAP;
    image.colormap_entries = static_cast<png_uint_32>(rgbColours.size() / 3);
    if (!png_image_write_to_file(&image, png.c_str(), 0, indices.data(), 640, rgbColours.data())) {
      return false;
    }
    Process tool = Spawn({LNTR3_BIN_DIR "/lntr3tool", "tz2", "encode", png.string(),
                          (root_ / "data" / name).string()},
                         {}, (root_ / "tool.log").string());
    return WaitExit(tool, 10000) == 0;
  }

  // Waits until the screenshot's pixel (x, y) has the colour.
  static bool WaitPixel(Window window, int x, int y, uint32_t colour, const std::string& name) {
    for (int i = 0; i < 100; i++) {
      XWindowAttributes attributes;
      if (XGetWindowAttributes(sDisplay, window, &attributes) && x < attributes.width &&
          y < attributes.height && Shot(window, name).At(x, y) == colour) {
        return true;
      }
      Sleep(100);
    }
    return false;
  }

  static inline Process sXvfb;
  static inline std::string sDisplayName;
  static inline Display* sDisplay = nullptr;
  fs::path root_;
  std::deque<Process> games_;  // references stay valid as games are added
};

// The checks every screenshot of a running game passes: the window has the bar above a
// 640 x 480 client area, and the bar carries text (not one flat colour).
void ExpectWindowLayout(const Image& image) {
  ASSERT_EQ(image.width, 640);
  ASSERT_EQ(image.height, 480 + kBar);
  EXPECT_GT(CountDistinct(image, 0, 0, 320, kBar), 3) << "menu bar without labels";
}

// [SECTION] Cases

TEST_F(XvfbWindowTest, MissingArchiveShowsTheFatalBoxAndEndsWithStatusOne) {
  Process& game = StartGame("missing.log");
  const Window window = WaitForWindow(20000);
  ASSERT_NE(window, 0u) << ReadFile(game.errPath);
  ASSERT_TRUE(WaitBox(window, true, 10000, "xvfb-fatal-box.png")) << ReadFile(game.errPath);
  const Image image = Shot(window, "xvfb-fatal-box.png");
  ExpectWindowLayout(image);
  // The box sits in the middle of the client area, over the black picture.
  EXPECT_GT(CountDistinct(image, 220, 200, 420, 300), 4);

  // Enter answers the box (and any notice before it); the game then ends as a failure.
  Focus(window);
  std::optional<int> status;
  for (int tries = 0; tries < 4 && !status; tries++) {
    Key(XK_Return);
    status = WaitExit(game, 3000);
  }
  ASSERT_TRUE(status.has_value()) << "the box did not take Enter";
  EXPECT_EQ(*status, 1);
  const std::string log = ReadFile(game.errPath);
  EXPECT_NE(log.find("ファイルが開けません : " + (root_ / "data").string()), std::string::npos)
      << log;
}

TEST_F(XvfbWindowTest, QuitQuestionFromTheBarTheCloseBoxAndTheAccessKey) {
  if (!fs::exists(LNTR3_BIN_DIR "/lntr3tool")) GTEST_SKIP() << "lntr3tool not built";
  ASSERT_TRUE(Pack("LNTR3DAT.PAK", {"KNJ_ALL.KNJ", "CHR_PAL.DAT"}));
  ASSERT_TRUE(Pack("LNTR3SCN.PAK", {"00FF.SCN"}));
  Process& game = StartGame("quit.log");
  const Window window = WaitForWindow(20000);
  ASSERT_NE(window, 0u) << ReadFile(game.errPath);
  Focus(window);
  // Notices at start (a missing sound device, say) are answered first.
  Sleep(1500);
  for (int i = 0; i < 3 && BoxShown(Shot(window, "xvfb-running.png")); i++) {
    Key(XK_Return);
    Sleep(500);
  }
  ASSERT_FALSE(WaitExit(game, 0).has_value()) << "the game ended: " << ReadFile(game.errPath);
  const Image running = Shot(window, "xvfb-running.png");
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
  Click(window, right - 12, kBar / 2);
  ASSERT_TRUE(WaitBox(window, true, 5000, "xvfb-quit-question.png")) << ReadFile(game.errPath);
  // Escape is Cancel: the question goes away and the game goes on.
  Focus(window);
  Key(XK_Escape);
  ASSERT_TRUE(WaitBox(window, false, 5000, "xvfb-after-cancel.png"));
  ASSERT_FALSE(WaitExit(game, 300).has_value());

  // The close box asks the same question.
  CloseBox(window);
  ASSERT_TRUE(WaitBox(window, true, 5000, "xvfb-close-question.png")) << ReadFile(game.errPath);
  Key(XK_Escape);
  ASSERT_TRUE(WaitBox(window, false, 5000, "xvfb-after-cancel.png"));
  ASSERT_FALSE(WaitExit(game, 300).has_value());

  Key(XK_q, XK_Alt_L);
  ASSERT_TRUE(WaitBox(window, true, 5000, "xvfb-quit-question.png")) << ReadFile(game.errPath);
  Key(XK_Return);
  const std::optional<int> status = WaitExit(game, 10000);
  ASSERT_TRUE(status.has_value()) << "the game did not end";
  EXPECT_EQ(*status, 0) << ReadFile(game.errPath);
}

TEST_F(XvfbWindowTest, APictureAtTwoWindowSizesAndInFullScreen) {
  if (!fs::exists(LNTR3_BIN_DIR "/lntr3tool")) GTEST_SKIP() << "lntr3tool not built";
  // Four quadrants of distinct colours with a 2 x 2 yellow dot at (100, 100).
  const std::vector<uint8_t> colours{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255, 255, 0};
  std::vector<uint8_t> indices(640 * 480);
  for (int y = 0; y < 480; y++) {
    for (int x = 0; x < 640; x++)
      indices[y * 640 + x] = static_cast<uint8_t>((y >= 240) * 2 + (x >= 320));
  }
  for (int y = 100; y < 102; y++) {
    for (int x = 100; x < 102; x++) indices[y * 640 + x] = 4;
  }
  ASSERT_TRUE(Picture("QUAD.TZ2", indices, colours));
  ASSERT_TRUE(Pack("LNTR3DAT.PAK", {"KNJ_ALL.KNJ", "CHR_PAL.DAT"}));
  ASSERT_TRUE(Pack("LNTR3SCN.PAK", {"00FF.SCN"}));
  Process& game = StartGame("view.log", {"--view", "QUAD.TZ2"});
  const Window window = WaitForWindow(20000);
  ASSERT_NE(window, 0u) << ReadFile(game.errPath);
  Focus(window);

  // 640 x 480: painted 1:1 below the bar.
  ASSERT_TRUE(WaitPixel(window, 10, kBar + 10, 0xFF0000, "xvfb-view-640.png"))
      << ReadFile(game.errPath);
  Image image = Shot(window, "xvfb-view-640.png");
  EXPECT_EQ(image.At(319, kBar + 239), 0xFF0000u);
  EXPECT_EQ(image.At(320, kBar + 239), 0x00FF00u);
  EXPECT_EQ(image.At(319, kBar + 240), 0x0000FFu);
  EXPECT_EQ(image.At(639, kBar + 479), 0xFFFFFFu);
  EXPECT_EQ(image.At(100, kBar + 100), 0xFFFF00u);
  EXPECT_EQ(image.At(101, kBar + 101), 0xFFFF00u);
  EXPECT_EQ(image.At(102, kBar + 102), 0xFF0000u);

  // 800 x 600 from the size menu: whole pixels scaled by 5/4.
  Key(XK_d, XK_Alt_L);
  Sleep(300);
  Key(XK_4);
  ASSERT_TRUE(WaitPixel(window, 799, kBar + 599, 0xFFFFFF, "xvfb-view-800.png"))
      << ReadFile(game.errPath);
  image = Shot(window, "xvfb-view-800.png");
  EXPECT_EQ(image.width, 800);
  EXPECT_EQ(image.height, 600 + kBar);
  EXPECT_EQ(image.At(399, kBar + 299), 0xFF0000u);
  EXPECT_EQ(image.At(400, kBar + 299), 0x00FF00u);
  EXPECT_EQ(image.At(400, kBar + 300), 0xFFFFFFu);
  EXPECT_EQ(image.At(125, kBar + 125), 0xFFFF00u);  // the dot covers 125..127
  EXPECT_EQ(image.At(128, kBar + 128), 0xFF0000u);

  // Full screen on the 1024 x 768 display: 1:1, centred on black.
  Key(XK_d, XK_Alt_L);
  Sleep(300);
  Key(XK_f);
  const int left = (1024 - 640) / 2, top = (768 - 480) / 2;
  ASSERT_TRUE(WaitPixel(window, left + 630, top + 470, 0xFFFFFF, "xvfb-view-full.png"))
      << ReadFile(game.errPath);
  image = Shot(window, "xvfb-view-full.png");
  EXPECT_EQ(image.width, 1024);
  EXPECT_EQ(image.At(left - 1, top + 300), 0x000000u);
  EXPECT_EQ(image.At(left, top + 300), 0x0000FFu);
  EXPECT_EQ(image.At(left + 639, top + 479), 0xFFFFFFu);
  EXPECT_EQ(image.At(left + 640, top + 479), 0x000000u);
  EXPECT_EQ(image.At(left + 100, top + 100), 0xFFFF00u);
  EXPECT_EQ(image.At(left + 320, top + 100), 0x00FF00u);

  Key(XK_q, XK_Alt_L);
  ASSERT_TRUE(WaitBox(window, true, 5000, "xvfb-view-quit.png")) << ReadFile(game.errPath);
  Key(XK_Return);
  const std::optional<int> status = WaitExit(game, 10000);
  ASSERT_TRUE(status.has_value()) << "the game did not end";
  EXPECT_EQ(*status, 0) << ReadFile(game.errPath);
}

TEST_F(XvfbWindowTest, SecondStartLeavesTheFirstCopyAlone) {
  Process& first = StartGame("first.log");
  const Window window = WaitForWindow(20000);
  ASSERT_NE(window, 0u) << ReadFile(first.errPath);

  Process& second = StartGame("second.log");
  const auto started = Clock::now();
  const std::optional<int> status = WaitExit(second, 15000);
  ASSERT_TRUE(status.has_value()) << "the second copy kept running";
  EXPECT_EQ(*status, 0) << ReadFile(second.errPath);
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(GameWindows().size(), 1u);
  EXPECT_FALSE(WaitExit(games_.front(), 0).has_value()) << "the first copy ended";
}

}  // namespace
