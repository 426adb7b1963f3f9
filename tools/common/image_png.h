// Pictures of the toolchain: palette PNGs (indexed pixels with their colours and one
// optional transparent entry) and full-colour RGBA PNGs, read and written via libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

struct PngIndexed {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> pixels;    // width x height palette indices, top row first
  std::vector<PalEntry> palette;  // 1..256 colours (flags unused)
  int transparent = -1;           // the palette entry stored fully transparent; -1 none
};

// Reads an indexed-colour PNG. False, with `error` saying why, when the file cannot be read, is
// not a palette PNG, or has a pixel beyond its palette.
bool PngReadIndexed(const std::string& path, PngIndexed& image, std::string& error);
// Writes an indexed-colour PNG; a transparent entry becomes fully transparent. False, with
// `error`, when the image is inconsistent or the file cannot be written.
bool PngWriteIndexed(const std::string& path, const PngIndexed& image, std::string& error);
// The same for pixels whose rows come bottom first, as the engine's frames hold them.
bool PngWriteIndexedBottomUp(const std::string& path, PngIndexed image, std::string& error);

// A full-colour picture: straight RGBA bytes, top row first.
struct PngRgba {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

// Reads any PNG (grey, palette, RGB, with or without alpha) as RGBA. False, with `error`, when
// the file cannot be read.
bool PngReadRgba(const std::string& path, PngRgba& image, std::string& error);
// Writes an RGBA PNG (RGB when every pixel is opaque); `fast` trades size for speed, for
// pictures that only pass from one tool to the next. False, with `error`, on failure.
bool PngWriteRgba(const std::string& path, const PngRgba& image, std::string& error,
                  bool fast = false);
