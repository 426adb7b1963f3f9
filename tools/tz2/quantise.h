// Colour reduction of full-colour pictures to a palette of at most N entries, through
// libimagequant; several pictures can share one palette, and transparency keeps an entry.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"

struct QuantPicture {
  uint32_t width = 0, height = 0;
  std::span<const uint8_t> rgba;  // straight RGBA, top row first; alpha below 128 is transparent
};

struct QuantResult {
  std::vector<PalEntry> palette;             // at most the colours asked for
  int transparent = -1;                      // 0 when any pixel was transparent, else -1
  std::vector<std::vector<uint8_t>> pixels;  // per picture, palette indices top row first
};

// Reduces the pictures to one shared palette of at most `colours` entries (2..256), the
// transparent entry included and placed first. `dither` 0..1 is the error-diffusion strength.
// Deterministic: the same pictures give the same bytes on every machine. False, with `error`,
// when the pictures are inconsistent or the quantiser fails.
bool QuantReduce(std::span<const QuantPicture> pictures, int colours, float dither,
                 QuantResult& result, std::string& error);
