// lntr3tool tzg: turns 16-colour palette PNGs into TZG overlay pictures and back, through the
// engine's own encoder and decoder.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/tzg.h"
#include "tools/image_png.h"
#include "tools/tool.h"

namespace {

constexpr const char* kTzgUsage =
    "usage: lntr3tool tzg encode IN.png OUT.TZG [--pos X,Y] [--layout rows|strips]\n"
    "                                           [--transparent N|none]\n"
    "       lntr3tool tzg decode IN.TZG OUT.png [--frame]\n"
    "\n"
    "encode  stores a palette PNG of at most 16 colours, its width a multiple of 8, as a TZG\n"
    "        picture. Colours keep 4 bits a component.\n"
    "        --pos X,Y        position in the frame; X a multiple of 8 (default 0,0)\n"
    "        --layout L       'rows' (default) or 'strips' (columns two pixels wide)\n"
    "        --transparent N  the colour 0..15 drawn as nothing (default: the PNG's fully\n"
    "                         transparent palette entry, else none)\n"
    "decode  writes the picture with the file's 16 colours, its transparent colour marked\n"
    "        transparent, and prints the header with the encode options that rebuild it.\n"
    "        --frame  draws it as the game does instead: into a black 640 x 480 frame at its\n"
    "                 position, colour 15 shown white (236-colour PNG)\n";

int Usage() {
  std::fputs(kTzgUsage, stderr);
  return 2;
}

bool ParsePosition(const char* text, int32_t& x, int32_t& y) {
  const char* comma = std::strchr(text, ',');
  if (!comma) return false;
  const std::string first(text, comma);
  return ToolParseNumber(first.c_str(), INT16_MIN * 8, INT16_MAX * 8, x) && x % 8 == 0 &&
         ToolParseNumber(comma + 1, INT16_MIN, INT16_MAX, y);
}

int Encode(int argc, char** argv) {
  std::vector<const char*> files;
  int32_t x = 0, y = 0;
  int32_t transparent = -1;  // -1: from the PNG
  uint8_t layout = kTzgLayoutRows;
  for (int i = 2; i < argc; i++) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--pos") && hasValue) {
      if (!ParsePosition(argv[++i], x, y)) {
        return ToolFail("--pos wants X,Y with X a multiple of 8");
      }
    } else if (!std::strcmp(argv[i], "--layout") && hasValue) {
      const char* name = argv[++i];
      if (!std::strcmp(name, "rows")) {
        layout = kTzgLayoutRows;
      } else if (!std::strcmp(name, "strips")) {
        layout = kTzgLayoutStrips;
      } else {
        return ToolFail("--layout wants 'rows' or 'strips'");
      }
    } else if (!std::strcmp(argv[i], "--transparent") && hasValue) {
      if (!std::strcmp(argv[++i], "none")) {
        transparent = 0xFF;
      } else if (!ToolParseNumber(argv[i], 0, kTzgColours - 1, transparent)) {
        return ToolFail("--transparent wants a colour 0..15 or 'none'");
      }
    } else if (argv[i][0] == '-') {
      return Usage();
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() != 2) return Usage();
  PngIndexed image;
  std::string error;
  if (!PngReadIndexed(files[0], image, error)) return ToolFail(error);
  if (image.palette.size() > kTzgColours) {
    return ToolFail(std::string(files[0]) + " has " + std::to_string(image.palette.size()) +
                    " palette colours; a TZG picture holds at most 16");
  }
  if (image.width > UINT16_MAX || image.height > UINT16_MAX) {
    return ToolFail(std::string(files[0]) + " is too large for a TZG picture");
  }
  if (transparent == -1) transparent = image.transparent >= 0 ? image.transparent : 0xFF;
  TzgPicture picture;
  picture.pixels = image.pixels;
  picture.width = static_cast<uint16_t>(image.width);
  picture.height = static_cast<uint16_t>(image.height);
  picture.palette = image.palette;
  picture.x0 = static_cast<int16_t>(x / 8);
  picture.y0 = static_cast<int16_t>(y);
  picture.layout = layout;
  picture.transparent = static_cast<uint8_t>(transparent);
  const std::vector<uint8_t> file = TzgEncode(picture, &error);
  if (file.empty()) return ToolFail(std::string(files[0]) + ": " + error);
  if (!ToolWriteBytes(files[1], file)) return ToolFail(std::string("cannot write ") + files[1]);
  return 0;
}

int DecodeFailure(const std::string& path, PicError error) {
  const char* meaning = "cannot be decoded";
  if (error == PicError::BadData) meaning = "not a TZG picture, or damaged or cut short";
  if (error == PicError::BadVersion) meaning = "unknown layout";
  if (error == PicError::NoPixels) meaning = "the picture has no pixels";
  return ToolPictureFailure(path, meaning, PicErrorText(error));
}

int Decode(int argc, char** argv) {
  std::vector<const char*> files;
  bool frame = false;
  if (!ToolDecodeArgs(argc, argv, files, frame)) return Usage();
  const std::string in = files[0];
  std::vector<uint8_t> src;
  if (!ToolReadBytes(in, src)) return ToolFail("cannot read " + in);
  TzgHeader h;
  if (!TzgReadHeader(src, h)) return DecodeFailure(in, PicError::BadData);
  const int32_t width = (h.x1 - h.x0) * 8 + 8, height = h.y1 - h.y0 + 1;
  if (width <= 0 || height <= 0) return DecodeFailure(in, PicError::BadData);
  if (width > kFrameWidth || height > kFrameHeight) {
    return ToolFail(in + ": " + std::to_string(width) + " x " + std::to_string(height) +
                    " is larger than the 640 x 480 frame");
  }
  const bool hasTransparent = h.transparent < kTzgColours;
  PalEntry palette[kPaletteSize] = {};
  uint8_t colourTable[2 * kTzgColours] = {};
  PngIndexed image;
  PicError error;
  if (frame) {
    PalSetInitial();
    std::copy(InitialPalette + kPalInterfaceFirst, InitialPalette + kPaletteSize,
              palette + kPalInterfaceFirst);
    std::vector<uint8_t> pixels(kFramePixelCount, kColourBlack);
    error =
        TzgDecodeQuiet(pixels, colourTable, palette, src, kFrameWidth, kFrameHeight, 0, 0, true);
    image.width = kFrameWidth;
    image.height = kFrameHeight;
    image.palette.assign(palette, palette + kPaletteSize);
    image.pixels = std::move(pixels);
  } else {
    // Transparent pixels are left alone, so an area filled with the transparent colour comes
    // out holding every stored value.
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height,
                                hasTransparent ? h.transparent : 0);
    error = TzgDecodeQuiet(pixels, colourTable, palette, src, static_cast<uint16_t>(width),
                           static_cast<uint16_t>(height), 0, 0, false);
    // The file's own colours, colour 15 as stored rather than the white the game shows.
    PalEntry colours[kTzgColours];
    TzgReadPalette(src, colours);
    image.width = static_cast<uint32_t>(width);
    image.height = static_cast<uint32_t>(height);
    image.palette.assign(colours, colours + kTzgColours);
    if (hasTransparent) image.transparent = h.transparent;
    image.pixels = std::move(pixels);
  }
  if (error != PicError::None) return DecodeFailure(in, error);
  // Frame rows arrive bottom first; PNG rows go top first.
  const size_t stride = image.width;
  for (size_t top = 0, bottom = image.height - 1; top < bottom; top++, bottom--) {
    std::swap_ranges(image.pixels.begin() + top * stride, image.pixels.begin() + (top + 1) * stride,
                     image.pixels.begin() + bottom * stride);
  }
  std::string failure;
  if (!PngWriteIndexed(files[1], image, failure)) return ToolFail(failure);
  const std::string transparent = hasTransparent ? std::to_string(h.transparent) : "none";
  const char* layout = h.layout == kTzgLayoutStrips ? "strips" : "rows";
  std::printf("%s: %d x %d at %d,%d, layout %s, transparent %s, %d data bytes\n", in.c_str(), width,
              height, h.x0 * 8, h.y0, layout, transparent.c_str(), h.byteCount);
  std::printf("  rebuild: lntr3tool tzg encode %s %s --pos %d,%d --layout %s --transparent %s\n",
              files[1], in.c_str(), h.x0 * 8, h.y0, layout, transparent.c_str());
  return 0;
}

}  // namespace

int ToolTzgMain(int argc, char** argv) {
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(kTzgUsage, stdout);
      return 0;
    }
  }
  if (argc < 2) return Usage();
  if (!std::strcmp(argv[1], "encode")) return Encode(argc, argv);
  if (!std::strcmp(argv[1], "decode")) return Decode(argc, argv);
  return Usage();
}
