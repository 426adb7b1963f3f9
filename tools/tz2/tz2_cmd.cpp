// lntr3tool tz2: turns palette PNGs (or full-colour ones, reduced to a palette) into TZ2
// pictures and back, through the engine's own encoder and decoder.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/tz2.h"
#include "tools/common/image_png.h"
#include "tools/common/tool.h"
#include "tools/groups.h"
#include "tools/tz2/quantise.h"

namespace {

constexpr const char* kTz2Usage =
    "usage: lntr3tool tz2 encode IN.png OUT.TZ2 [--pos X,Y] [--transparent N|none]\n"
    "                                           [--first-index N]\n"
    "       lntr3tool tz2 encode IN.png OUT.TZ2 [IN.png OUT.TZ2...] --colors N [--dither D]\n"
    "                                           [--each] [--pos X,Y] [--first-index N]\n"
    "       lntr3tool tz2 decode IN.TZ2 OUT.png [--frame]\n"
    "\n"
    "encode  stores a palette PNG (at most 640 x 480, at most 236 colours) as a TZ2 picture.\n"
    "        --pos X,Y        where the picture belongs in the 640 x 480 frame (default 0,0)\n"
    "        --transparent N  the colour drawn as nothing (default: the PNG's fully transparent\n"
    "                         palette entry, else none)\n"
    "        --first-index N  the first palette entry the colours are made for (default 0);\n"
    "                         N + colours may not pass 236\n"
    "        --colors N       takes full-colour PNGs too and reduces them to at most N colours\n"
    "                         (2..236); pixels with alpha below half become one transparent\n"
    "                         colour, index 0. Several IN OUT pairs share one palette.\n"
    "        --each           gives each of several IN OUT pairs a palette of its own\n"
    "        --dither D       error diffusion of the reduction, 0 (none) to 1 (default 1)\n"
    "decode  writes the picture with its own palette, its transparent colour marked transparent,\n"
    "        and prints the header with the encode options that rebuild it.\n"
    "        --frame  draws it as the game does instead: into a black 640 x 480 frame at its\n"
    "                 position, colours placed from its first index on (236-colour PNG)\n";

bool ParsePosition(const char* text, int32_t& x, int32_t& y) {
  const char* comma = std::strchr(text, ',');
  if (!comma) return false;
  const std::string first(text, comma);
  return ToolParseNumber(first.c_str(), 0, UINT16_MAX, x) &&
         ToolParseNumber(comma + 1, 0, UINT16_MAX, y);
}

// Writes one TZ2 file; 0 or the failure status.
int WriteTz2(const std::string& in, const char* out, const PngIndexed& image, int32_t x, int32_t y,
             int32_t transparent, int32_t firstIndex) {
  if (image.width > kTz2MaxWidth || image.height > kTz2MaxHeight) {
    return ToolFail(in + " is " + std::to_string(image.width) + " x " +
                    std::to_string(image.height) + "; a TZ2 picture is at most 640 x 480");
  }
  Tz2Picture picture;
  picture.pixels = image.pixels;
  picture.width = static_cast<uint16_t>(image.width);
  picture.height = static_cast<uint16_t>(image.height);
  picture.palette = image.palette;
  picture.x = static_cast<uint16_t>(x);
  picture.y = static_cast<uint16_t>(y);
  picture.transparent = static_cast<uint16_t>(transparent);
  picture.firstIndex = static_cast<uint16_t>(firstIndex);
  std::string error;
  const std::vector<uint8_t> file = Tz2Encode(picture, &error);
  if (file.empty()) return ToolFail(in + ": " + error);
  if (!ToolWriteBytes(out, file)) return ToolFail(std::string("cannot write ") + out);
  return 0;
}

// Full-colour pictures reduced to one shared palette, then stored one by one.
int EncodeReduced(const std::vector<const char*>& files, int32_t colours, float dither, int32_t x,
                  int32_t y, int32_t firstIndex, bool each) {
  std::vector<PngRgba> images(files.size() / 2);
  std::vector<QuantPicture> pictures;
  std::string error;
  for (size_t i = 0; i < images.size(); i++) {
    if (!PngReadRgba(files[2 * i], images[i], error)) return ToolFail(error);
    if (images[i].width > kTz2MaxWidth || images[i].height > kTz2MaxHeight) {
      return ToolFail(std::string(files[2 * i]) + " is " + std::to_string(images[i].width) + " x " +
                      std::to_string(images[i].height) + "; a TZ2 picture is at most 640 x 480");
    }
    pictures.push_back({images[i].width, images[i].height, images[i].rgba});
  }
  QuantResult reduced;
  if (!each && !QuantReduce(pictures, colours, dither, reduced, error)) return ToolFail(error);
  for (size_t i = 0; i < images.size(); i++) {
    size_t which = i;  // the picture's pixels in `reduced`
    if (each) {
      if (!QuantReduce({&pictures[i], 1}, colours, dither, reduced, error)) return ToolFail(error);
      which = 0;
    }
    PngIndexed image;
    image.width = images[i].width;
    image.height = images[i].height;
    image.palette = reduced.palette;
    image.pixels = std::move(reduced.pixels[which]);
    const int32_t transparent = reduced.transparent >= 0 ? reduced.transparent : kTz2NoTransparent;
    const int status =
        WriteTz2(files[2 * i], files[2 * i + 1], image, x, y, transparent, firstIndex);
    if (status) return status;
  }
  return 0;
}

int Encode(const ToolArgs& args) {
  std::vector<const char*> files;
  for (const std::string& file : args.operands) files.push_back(file.c_str());
  int32_t x = 0, y = 0, firstIndex = 0;
  int32_t transparent = -1;  // -1: from the PNG
  int32_t colours = 0;       // 0: the PNG's own palette
  float dither = 1;
  const bool each = args.Has("--each");
  if (const std::string* pos = args.Value("--pos"); pos && !ParsePosition(pos->c_str(), x, y)) {
    return ToolUsageError(args, "--pos wants X,Y (0..65535 each)");
  }
  if (const std::string* value = args.Value("--transparent")) {
    if (*value == "none") {
      transparent = kTz2NoTransparent;
    } else if (!ToolParseNumber(value->c_str(), 0, 255, transparent)) {
      return ToolUsageError(args, "--transparent wants a colour index 0..255 or 'none'");
    }
  }
  if (!ToolOptionNumber(args, "--first-index", 0, kTz2MaxColours - 1, firstIndex)) {
    return ToolUsageError(args, "--first-index wants 0..235");
  }
  if (!ToolOptionNumber(args, "--colors", 2, kTz2MaxColours, colours)) {
    return ToolUsageError(args, "--colors wants 2..236");
  }
  if (const std::string* value = args.Value("--dither")) {
    char* end = nullptr;
    dither = std::strtof(value->c_str(), &end);
    if (value->empty() || *end || !(dither >= 0 && dither <= 1)) {
      return ToolUsageError(args, "--dither wants 0..1");
    }
  }
  if (!colours && (each || args.Has("--dither"))) {
    return ToolUsageError(args, std::string(each ? "--each" : "--dither") + " goes with --colors");
  }
  if (colours) {
    if (files.size() % 2) return ToolUsageError(args, "files go in pairs: IN.png OUT.TZ2");
    if (firstIndex + colours > kTz2MaxColours) {
      return ToolUsageError(args, "--first-index " + std::to_string(firstIndex) + " + --colors " +
                                      std::to_string(colours) + " passes palette entry 235");
    }
    if (args.Has("--transparent")) {
      return ToolUsageError(
          args, "--transparent does not go with --colors: transparency comes from alpha");
    }
    return EncodeReduced(files, colours, dither, x, y, firstIndex, each);
  }
  if (files.size() != 2) return ToolUsageError(args, "one IN.png OUT.TZ2 pair without --colors");
  PngIndexed image;
  std::string error;
  if (!PngReadIndexed(files[0], image, error)) return ToolFail(error);
  if (image.palette.size() > kTz2MaxColours) {
    return ToolFail(std::string(files[0]) + " has " + std::to_string(image.palette.size()) +
                    " palette colours; a TZ2 picture holds at most 236");
  }
  if (transparent == -1) {
    transparent = image.transparent >= 0 ? image.transparent : kTz2NoTransparent;
  }
  return WriteTz2(files[0], files[1], image, x, y, transparent, firstIndex);
}

// The decoder's refusal as one line: its own message and what it means.
int DecodeFailure(const std::string& path, PicError error) {
  const char* meaning = "";
  switch (error) {
    case PicError::BadData:
      meaning = "not a TZ2 picture, or cut short";
      break;
    case PicError::PaletteOver:
      meaning = "first palette index + colour count passes 236";
      break;
    case PicError::SizeOver:
      meaning = "larger than 640 x 480";
      break;
    case PicError::NoPixels:
      meaning = "the picture has no pixels";
      break;
    default:
      meaning = "cannot be decoded";
      break;
  }
  return ToolPictureFailure(path, meaning, PicErrorText(error));
}

int Decode(const ToolArgs& args) {
  const std::string& in = args.operands[0];
  const std::string& out = args.operands[1];
  const bool frame = args.Has("--frame");
  std::vector<uint8_t> src;
  if (!ToolReadBytes(in, src)) return ToolFail("cannot read " + in);
  Tz2Header h;
  Tz2ParseHeader(src, h);
  PalEntry palette[kPaletteSize] = {};
  PngIndexed image;
  PicError error;
  if (frame) {
    // The game's view: a cleared frame, the interface colours, the picture's colours placed
    // where its header says they were made for.
    PalSetInitial();
    std::copy(InitialPalette + kPalInterfaceFirst, InitialPalette + kPaletteSize,
              palette + kPalInterfaceFirst);
    std::vector<uint8_t> pixels(kFramePixelCount, kColourBlack);
    error = Tz2DecodeQuiet(pixels, palette, src, kFrameWidth, kFrameHeight, 0, 0, -1, h.firstIndex,
                           true);
    image.width = kFrameWidth;
    image.height = kFrameHeight;
    image.palette.assign(palette, palette + kPaletteSize);
    image.pixels = std::move(pixels);
  } else {
    // Transparent pixels are left alone by the decoder, so a picture-sized area filled with the
    // transparent colour comes out holding every stored value.
    // An oversized header gets a small area; the decoder refuses it before drawing.
    const uint8_t fill = h.transparent == kTz2NoTransparent ? 0 : h.transparent & 0xFF;
    const uint16_t width = std::min(h.width, kTz2MaxWidth);
    const uint16_t height = std::min(h.height, kTz2MaxHeight);
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height, fill);
    error = Tz2DecodeQuiet(pixels, palette, src, width, height, 0, 0, -1, 0, false);
    size_t colours = std::max<size_t>(h.colourCount, 1);
    for (uint8_t v : pixels) colours = std::max<size_t>(colours, v + 1u);
    image.width = h.width;
    image.height = h.height;
    image.palette.assign(colours, PalEntry{});
    std::copy_n(palette, std::min<size_t>(colours, kPaletteSize), image.palette.begin());
    if (h.transparent != kTz2NoTransparent) image.transparent = h.transparent & 0xFF;
    image.pixels = std::move(pixels);
  }
  if (error != PicError::None) return DecodeFailure(in, error);
  // The decoder fills rows bottom first, as in a frame.
  std::string failure;
  if (!PngWriteIndexedBottomUp(out, std::move(image), failure)) return ToolFail(failure);
  std::string transparent =
      h.transparent == kTz2NoTransparent ? "none" : std::to_string(h.transparent & 0xFF);
  std::printf("%s: %u x %u at %u,%u, %u colours from index %u, transparent %s\n", in.c_str(),
              h.width, h.height, h.x, h.y, h.colourCount, h.firstIndex, transparent.c_str());
  std::printf(
      "  rebuild: lntr3tool tz2 encode %s %s --pos %u,%u --transparent %s "
      "--first-index %u\n",
      out.c_str(), in.c_str(), h.x, h.y, transparent.c_str(), h.firstIndex);
  return 0;
}

constexpr ToolOption kEncodeOptions[] = {
    {"--pos", true},    {"--transparent", true}, {"--first-index", true},
    {"--colors", true}, {"--dither", true},      {"--each"},
};
constexpr ToolOption kDecodeOptions[] = {{"--frame"}};

const ToolSubcommand kTz2Commands[] = {
    {"encode", Encode, nullptr, kEncodeOptions, 2},
    {"decode", Decode, nullptr, kDecodeOptions, 2, 2},
};

}  // namespace

const ToolGroup kTz2Group = {"tz2", "convert 256-colour TZ2 pictures to and from PNG", kTz2Usage,
                             kTz2Commands};
