#include "fuzz/harness.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "app/app.h"
#include "app/settings.h"
#include "platform/platform.h"
#include "resources/memory.h"

namespace {

[[noreturn]] void ThrowEnd(int status) {
  throw FuzzEnd{status};
}

void RemoveDataDir();

std::filesystem::path& DataDirPath() {
  static std::filesystem::path path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "lntr3-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) FuzzFail("cannot make a temporary directory");
    return std::filesystem::path(pattern);
  }();
  // Registered once the path is made, so that it runs before the path is destroyed.
  static const bool removedAtExit = std::atexit(RemoveDataDir) == 0;
  (void)removedAtExit;
  return path;
}

void RemoveDataDir() {
  std::error_code ignored;
  std::filesystem::remove_all(DataDirPath(), ignored);
}

}  // namespace

void FuzzEmptyDataDir() {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(DataDirPath(), ignored)) {
    std::filesystem::remove_all(entry.path(), ignored);
  }
}

void FuzzStartPlatform() {
  PlatSetExitHandler(ThrowEnd);
  PlatOptions options;
  options.backend = PlatBackendKind::Headless;
  if (!PlatInit(options)) FuzzFail("the headless platform did not start");
  DataDir = DataDirPath().string();
}

void FuzzStartEngine(const HeadlessConfig& config) {
  FuzzStartPlatform();
  FuzzEmptyDataDir();
  HeadlessConfigure(config);
  MemFreeAll();
  MemReset();
  SetDefaults();
  DataDir = DataDirPath().string();
  PlatWindowDesc desc;
  desc.sjisTitle = "fuzz";
  desc.wndProc = WndProc;
  desc.menu = SettingsMenu();
  if (!PlatCreateWindow(desc)) FuzzFail("no headless window");
  // The creation's own messages are not the input's business.
  PlatMsg msg;
  while (PlatPeekMessage(msg, true) && msg.message != WM_PAINT && msg.message != WM_TIMER) {
  }
  PlatKillTimer(1);
}

void FuzzStopEngine() {
  PlatKillTimer(1);
  MemFreeAll();
}

const std::filesystem::path& FuzzDataDir() {
  return DataDirPath();
}

void FuzzWriteData(const std::string& name, std::span<const uint8_t> bytes) {
  std::ofstream out(DataDirPath() / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) FuzzFail("cannot write to the data directory");
}

void FuzzFail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}
