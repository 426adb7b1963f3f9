// What the SDL backend's frames have cost and shown, for tests and benchmarks (no SDL types).
#pragma once

#include <cstdint>
#include <vector>

struct SdlPresentStats {
  bool partial = false;      // the renderer sends only what changed (the software path)
  uint64_t frames = 0;       // frames composed and sent, whole or in part
  uint64_t wholeFrames = 0;  // of those, frames that sent the whole window
  uint64_t sentPixels = 0;   // canvas pixels composed and sent
};
SdlPresentStats SdlGetPresentStats();

// The window's image as the software renderer holds it (what the display was sent), as 0xRRGGBB
// rows; empty on a graphics processor's renderer.
std::vector<uint32_t> SdlWindowImage(int& width, int& height);
