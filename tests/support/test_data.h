// Test data directories: temporary folders with small archives the engine can start from.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The programs under test and the demo game's data they play.
inline const std::string kGameBinary = LNTR3_BIN_DIR "/lanternia3";
inline const std::string kToolBinary = LNTR3_BIN_DIR "/lntr3tool";
inline const std::string kGenBinary = LNTR3_BIN_DIR "/demogen";
inline const std::filesystem::path kDemoData = LNTR3_DEMO_DATA;

// A fresh empty directory under the system's temporary directory, removed by the destructor.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::filesystem::path path;
};

// Writes the two archives start-up and the title need (a font and the character palettes, any
// bytes, and plain pictures for the title) into `dir`, plus `extra` entries of the data archive
// given as name/contents pairs. The scenario archive holds no first scenario, so a game
// started there stays at the title.
void WriteStartArchives(const std::filesystem::path& dir,
                        const std::vector<std::pair<std::string, std::string>>& extra = {});

// Runs a command through the shell; answers its exit status and fills `output` with what it
// wrote to standard error and standard output.
int RunCommand(const std::string& command, std::string& output);
