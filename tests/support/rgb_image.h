// Pictures as a player sees them, read from PNG files: snapshots and dumped frames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

struct RgbImage {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // three bytes a pixel, top row first
  // The pixel as 0xRRGGBB.
  uint32_t At(int x, int y) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
  }
};

// Reads a PNG file as RGB; an empty image, and a failure of the running test, when it cannot.
RgbImage ReadRgbPng(const std::filesystem::path& path);
