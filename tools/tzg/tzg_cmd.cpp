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
#include "tools/common/image_png.h"
#include "tools/common/tool.h"
#include "tools/groups.h"

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

bool ParsePosition(const char* text, int32_t& x, int32_t& y) {
  const char* comma = std::strchr(text, ',');
  if (!comma) return false;
  const std::string first(text, comma);
  return ToolParseNumber(first.c_str(), INT16_MIN * 8, INT16_MAX * 8, x) && x % 8 == 0 &&
         ToolParseNumber(comma + 1, INT16_MIN, INT16_MAX, y);
}

int Encode(const ToolArgs& args) {
  const std::string& in = args.operands[0];
  const std::string& out = args.operands[1];
  int32_t x = 0, y = 0;
  int32_t transparent = -1;  // -1: from the PNG
  uint8_t layout = kTzgLayoutRows;
  if (const std::string* pos = args.Value("--pos"); pos && !ParsePosition(pos->c_str(), x, y)) {
    return ToolUsageError(args, "--pos wants X,Y with X a multiple of 8");
  }
  if (const std::string* name = args.Value("--layout")) {
    if (*name == "rows") {
      layout = kTzgLayoutRows;
    } else if (*name == "strips") {
      layout = kTzgLayoutStrips;
    } else {
      return ToolUsageError(args, "--layout wants 'rows' or 'strips'");
    }
  }
  if (const std::string* value = args.Value("--transparent")) {
    if (*value == "none") {
      transparent = 0xFF;
    } else if (!ToolParseNumber(value->c_str(), 0, kTzgColours - 1, transparent)) {
      return ToolUsageError(args, "--transparent wants a colour 0..15 or 'none'");
    }
  }
  PngIndexed image;
  std::string error;
  if (!PngReadIndexed(in, image, error)) return ToolFail(error);
  if (image.palette.size() > kTzgColours) {
    return ToolFail(in + " has " + std::to_string(image.palette.size()) +
                    " palette colours; a TZG picture holds at most 16");
  }
  if (image.width > UINT16_MAX || image.height > UINT16_MAX) {
    return ToolFail(in + " is too large for a TZG picture");
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
  if (file.empty()) return ToolFail(in + ": " + error);
  if (!ToolWriteBytes(out, file)) return ToolFail("cannot write " + out);
  return 0;
}

int DecodeFailure(const std::string& path, PicError error) {
  const char* meaning = "cannot be decoded";
  if (error == PicError::BadData) meaning = "not a TZG picture, or damaged or cut short";
  if (error == PicError::BadVersion) meaning = "unknown layout";
  if (error == PicError::NoPixels) meaning = "the picture has no pixels";
  return ToolPictureFailure(path, meaning, PicErrorText(error));
}

int Decode(const ToolArgs& args) {
  const std::string& in = args.operands[0];
  const std::string& out = args.operands[1];
  const bool frame = args.Has("--frame");
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
  // The decoder fills rows bottom first, as in a frame.
  std::string failure;
  if (!PngWriteIndexedBottomUp(out, std::move(image), failure)) return ToolFail(failure);
  const std::string transparent = hasTransparent ? std::to_string(h.transparent) : "none";
  const char* layout = h.layout == kTzgLayoutStrips ? "strips" : "rows";
  std::printf("%s: %d x %d at %d,%d, layout %s, transparent %s, %d data bytes\n", in.c_str(), width,
              height, h.x0 * 8, h.y0, layout, transparent.c_str(), h.byteCount);
  std::printf("  rebuild: lntr3tool tzg encode %s %s --pos %d,%d --layout %s --transparent %s\n",
              out.c_str(), in.c_str(), h.x0 * 8, h.y0, layout, transparent.c_str());
  return 0;
}

constexpr ToolOption kEncodeOptions[] = {
    {"--pos", true}, {"--layout", true}, {"--transparent", true}};
constexpr ToolOption kDecodeOptions[] = {{"--frame"}};

const ToolSubcommand kTzgCommands[] = {
    {"encode", Encode, nullptr, kEncodeOptions, 2, 2},
    {"decode", Decode, nullptr, kDecodeOptions, 2, 2},
};

}  // namespace

const ToolGroup kTzgGroup = {"tzg", "convert 16-colour TZG pictures to and from PNG", kTzgUsage,
                             kTzgCommands};
