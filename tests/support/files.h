// Host files for tests: whole files read and written in one call, recognisable contents, and a
// data folder of its own for the engine's file and archive code.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "support/test_data.h"

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadFileText(const std::filesystem::path& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  WriteFileBytes(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// `size` bytes that differ from their neighbours, repeat at no short period (a read from the
// wrong offset shows) and differ from one seed to another.
inline std::vector<uint8_t> PatternBytes(size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; i++) bytes[i] = static_cast<uint8_t>(seed + i * 13 + (i >> 8));
  return bytes;
}

// A fixture whose engine data folder (DataDir) is an empty temporary folder of its own.
class DataDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedDataDir_ = DataDir;
    DataDir = dir.path.string();
  }
  void TearDown() override { DataDir = savedDataDir_; }

  TempDir dir;

 private:
  std::string savedDataDir_;
};
