// Test data directories and child processes.
#include "support/test_data.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "resources/pack.h"
#include "resources/tz2.h"

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lntr3-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path, error);
}

namespace {

void WriteArchive(const std::filesystem::path& file,
                  const std::vector<std::pair<std::string, std::string>>& contents) {
  std::vector<PackWriteEntry> entries;
  for (const auto& [name, data] : contents) {
    entries.push_back(PackWriteEntry{
        name,
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(data.data()), data.size())});
  }
  std::string error;
  if (!PackWrite(file.string(), entries, &error)) throw std::runtime_error(error);
}

// A small picture of one colour: enough for the title's place and picture.
std::string PlainPicture() {
  const std::vector<uint8_t> pixels(16 * 16, 0);
  const PalEntry colour[1] = {{40, 60, 90, 0}};
  Tz2Picture picture;
  picture.pixels = pixels;
  picture.width = picture.height = 16;
  picture.palette = colour;
  const std::vector<uint8_t> file = Tz2Encode(picture);
  return std::string(file.begin(), file.end());
}

}  // namespace

void WriteStartArchives(const std::filesystem::path& dir,
                        const std::vector<std::pair<std::string, std::string>>& extra) {
  std::vector<std::pair<std::string, std::string>> data = {
      {"KNJ_ALL.KNJ", std::string(72 * 16, '\x11')},
      {"CHR_PAL.DAT", std::string(144 * 5, '\x22')},
      {"S17D.TZ2", PlainPicture()},
      {"TITLE.TZ2", PlainPicture()},
  };
  data.insert(data.end(), extra.begin(), extra.end());
  WriteArchive(dir / "LNTR3DAT.PAK", data);
  // No scenario a game could start with: a run stays at the title.
  WriteArchive(dir / "LNTR3SCN.PAK", {{"00FF.SCN", "scenario"}});
}

int RunCommand(const std::string& command, std::string& output) {
  FILE* pipe = popen((command + " 2>&1 </dev/null").c_str(), "r");
  if (!pipe) throw std::runtime_error("popen failed");
  output.clear();
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
