// The entry point: command line, the platform backend, then the game's start-up.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/app.h"
#include "audio/audio.h"
#include "platform/platform.h"
#include "screens/main_flow.h"

namespace {

void PrintHelp(FILE* out) {
  std::fprintf(
      out,
      "usage: lanternia3 [--data DIR] [--view NAME] [--headless --script FILE [--dump-dir DIR]]\n"
      "\n"
      "  --data DIR      game data directory (default: the stored \"DataDir\" setting,\n"
      "                  else the demo game that comes with the program, else the\n"
      "                  current directory)\n"
      "  --fallback-data DIR\n"
      "                  data directory when neither --data nor \"DataDir\" gives one,\n"
      "                  in place of the demo game that comes with the program\n"
      "  --save-dir DIR  where the save files go (default: the data directory when it\n"
      "                  can be written, else a folder of this game's own under\n"
      "                  $XDG_DATA_HOME/lanternia3, normally ~/.local/share/lanternia3)\n"
      "  --view NAME     show the TZ2 picture NAME of the game data instead of\n"
      "                  playing (for checking artwork)\n"
      "  --headless      run without a window: virtual clock, input from a script,\n"
      "                  message boxes on standard error\n"
      "  --script FILE   the headless input script\n"
      "  --dump-dir DIR  headless: write every painted frame there as PNG\n"
      "  --scenario N    start a game at scenario N (hexadecimal with 0x), skipping\n"
      "                  logo, opening and title; quit when the game ends\n"
      "  --no-opening    start at the title, without the maker's logo and the\n"
      "                  opening (cancelling the title menu shows the title again)\n"
      "  --dump-state FILE\n"
      "                  write the game state record to FILE when the game ends\n"
      "                  without a failure (a quit, or the end of a --scenario game)\n"
      "  --play-music N  developer: once started, play music index N (looped)\n"
      "  --play-sound N  developer: once started, play sound entry N once\n"
      "  --help          this text\n"
      "  --version       the version\n");
}

// The demo data that comes with this copy of the game, when there is one: an installed game
// keeps it under share/ beside its bin/ folder, a built one in the build tree's demo-data.
std::string BundledDataDir() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  for (const std::filesystem::path& dir :
       {self.parent_path() / LNTR3_DEMO_FROM_BIN, self.parent_path() / ".." / "demo-data"}) {
    if (std::filesystem::is_regular_file(dir / "LNTR3DAT.PAK", error)) {
      return dir.lexically_normal().string();
    }
  }
  return {};
}

// A decimal number 0..255, or -1 for anything else.
int SmallNumber(const char* text) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  return *text && *end == 0 && number >= 0 && number <= 255 ? static_cast<int>(number) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  PlatOptions options;
  for (int i = 1; i < argc; i++) {
    const char* arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "lanternia3: %s needs a value\n", name);
        std::exit(2);
      }
      return argv[++i];
    };
    if (!std::strcmp(arg, "--help") || !std::strcmp(arg, "-h")) {
      PrintHelp(stdout);
      return 0;
    } else if (!std::strcmp(arg, "--version")) {
      std::printf("lanternia3 %s\n", LNTR3_VERSION);
      return 0;
    } else if (!std::strcmp(arg, "--data")) {
      AppConfig.dataDir = value("--data");
    } else if (!std::strcmp(arg, "--fallback-data")) {
      AppConfig.fallbackDataDir = value("--fallback-data");
    } else if (!std::strcmp(arg, "--save-dir")) {
      AppConfig.saveDir = value("--save-dir");
    } else if (!std::strcmp(arg, "--view")) {
      AppConfig.viewPicture = value("--view");
    } else if (!std::strcmp(arg, "--headless")) {
      options.backend = PlatBackendKind::Headless;
    } else if (!std::strcmp(arg, "--script")) {
      options.scriptPath = value("--script");
    } else if (!std::strcmp(arg, "--dump-dir")) {
      options.dumpDir = value("--dump-dir");
    } else if (!std::strcmp(arg, "--scenario")) {
      const char* text = value("--scenario");
      char* end = nullptr;
      const long number = std::strtol(text, &end, 0);
      if (*text == 0 || *end != 0 || number < 0 || number > 0xFFFE) {
        std::fprintf(stderr, "lanternia3: --scenario takes a number 0..65534\n");
        return 2;
      }
      StartScenario = static_cast<int>(number);
    } else if (!std::strcmp(arg, "--no-opening")) {
      SkipOpening = true;
    } else if (!std::strcmp(arg, "--dump-state")) {
      StateDumpPath = value("--dump-state");
    } else if (!std::strcmp(arg, "--play-music") || !std::strcmp(arg, "--play-sound")) {
      const int number = SmallNumber(value(arg));
      if (number < 0) {
        std::fprintf(stderr, "lanternia3: %s takes a number 0..255\n", arg);
        return 2;
      }
      const bool music = !std::strcmp(arg, "--play-music");
      (music ? AudioStartRequests.music : AudioStartRequests.sound) = number;
    } else {
      std::fprintf(stderr, "lanternia3: unknown argument '%s'\n", arg);
      PrintHelp(stderr);
      return 2;
    }
  }
  if (options.backend != PlatBackendKind::Headless &&
      (!options.scriptPath.empty() || !options.dumpDir.empty())) {
    std::fprintf(stderr, "lanternia3: --script and --dump-dir go with --headless\n");
    return 2;
  }
  if (AppConfig.fallbackDataDir.empty()) AppConfig.fallbackDataDir = BundledDataDir();
  // A headless run never leaves saves in the user's own folders.
  AppConfig.userSaveFolder = options.backend != PlatBackendKind::Headless;
  if (!PlatInit(options)) return 1;
  const int status = AppRun();
  PlatShutdown();
  return status;
}
