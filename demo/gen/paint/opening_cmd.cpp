// demogen paint vignette and paint sky: the pictures of the opening that a place recipe alone
// cannot give.
//
// A vignette is the middle of a painted place in a paper mat with rounded corners, transparent
// outside them, for the opening's framed pictures.
//
// The sky pair is the open sky the game's name stands on and the place the opening scrolls
// down to, in one palette laid out for the opening's lights: entry 0 the name's ink, entry 1
// white, entries 2..44 every colour of the sky from the brightest to the darkest (a light lifts
// a sky pixel toward entry 1 by stepping down the numbers), and the place's own colours after
// them. The sky is drawn in entries 1..44 only.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "demo/gen/paint/paint.h"
#include "resources/tz2.h"
#include "tools/common/image_png.h"
#include "tools/common/tool.h"
#include "tools/tz2/quantise.h"

namespace {

constexpr int kSkyColours = 43;  // entries 2..44
constexpr int kSkyFirst = 2;
constexpr int kPlaceColours = 124 - kSkyFirst - kSkyColours;

bool ParsePair(const std::string* text, int& a, int& b) {
  if (!text) return false;
  const size_t comma = text->find(',');
  if (comma == std::string::npos) return false;
  int32_t x = 0, y = 0;
  if (!ToolParseNumber(text->substr(0, comma).c_str(), 1, 640, x) ||
      !ToolParseNumber(text->substr(comma + 1).c_str(), 1, 480, y)) {
    return false;
  }
  a = x;
  b = y;
  return true;
}

bool ParseColour(const std::string* text, PalEntry& colour) {
  if (!text || text->size() != 7 || (*text)[0] != '#') return false;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text->c_str() + 1, &end, 16);
  if (*end) return false;
  colour = PalEntry{static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                    static_cast<uint8_t>(value), 0};
  return true;
}

// How far (x, y) of a w x h picture lies inside its rounded corners: negative outside.
float InsideCorners(int x, int y, int w, int h, float radius) {
  const float cx = std::clamp(x + 0.5f, radius, w - radius);
  const float cy = std::clamp(y + 0.5f, radius, h - radius);
  return radius - std::hypot(x + 0.5f - cx, y + 0.5f - cy);
}

int Brightness(const PalEntry& e) {
  return e.red * 30 + e.green * 59 + e.blue * 11;
}

bool WriteTz2File(const std::string& path, std::span<const uint8_t> pixels, int w, int h,
                  std::span<const PalEntry> palette) {
  Tz2Picture picture;
  picture.pixels = pixels;
  picture.width = static_cast<uint16_t>(w);
  picture.height = static_cast<uint16_t>(h);
  picture.palette = palette;
  std::string reason;
  const std::vector<uint8_t> bytes = Tz2Encode(picture, &reason);
  if (bytes.empty()) return ToolFail(path + ": " + reason), false;
  if (!ToolWriteBytes(path, bytes)) return ToolFail("cannot write " + path), false;
  return true;
}

}  // namespace

// paint vignette PLACE.png OUT.png --size W,H [--mat N] [--colour #rrggbb]
int PaintVignette(const ToolArgs& args) {
  int w = 0, h = 0;
  if (!ParsePair(args.Value("--size"), w, h)) return ToolUsageError(args, "--size wants W,H");
  int32_t mat = 10;
  if (const std::string* value = args.Value("--mat");
      value && !ToolParseNumber(value->c_str(), 0, 60, mat)) {
    return ToolUsageError(args, "--mat wants 0..60");
  }
  PalEntry paper{236, 226, 204, 0};
  if (args.Has("--colour") && !ParseColour(args.Value("--colour"), paper)) {
    return ToolUsageError(args, "--colour wants #rrggbb");
  }
  PngRgba place;
  std::string error;
  if (!PngReadRgba(args.operands[0], place, error)) return ToolFail(error);
  if (place.width < static_cast<uint32_t>(w) || place.height < static_cast<uint32_t>(h)) {
    return ToolFail(args.operands[0] + " is smaller than the vignette");
  }
  const int x0 = (static_cast<int>(place.width) - w) / 2;
  const int y0 = (static_cast<int>(place.height) - h) / 2;
  const float radius = 18;
  PngRgba out;
  out.width = static_cast<uint32_t>(w);
  out.height = static_cast<uint32_t>(h);
  out.rgba.resize(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      const uint8_t* from = &place.rgba[((static_cast<size_t>(y0 + y)) * place.width + x0 + x) * 4];
      uint8_t* to = &out.rgba[(static_cast<size_t>(y) * w + x) * 4];
      const float inside = InsideCorners(x, y, w, h, radius);
      const int edge = std::min({x, y, w - 1 - x, h - 1 - y});
      if (inside < 0) {
        std::fill(to, to + 4, 0);
        continue;
      }
      // The mat, a dark line inside it, then the picture.
      PalEntry c{from[0], from[1], from[2], 0};
      if (edge < mat) {
        c = paper;
        if (edge < 2)
          c = {static_cast<uint8_t>(paper.red * 3 / 4), static_cast<uint8_t>(paper.green * 3 / 4),
               static_cast<uint8_t>(paper.blue * 3 / 4), 0};
      } else if (edge < mat + 2) {
        c = {72, 52, 40, 0};
      }
      to[0] = c.red;
      to[1] = c.green;
      to[2] = c.blue;
      to[3] = 255;
    }
  }
  if (!PngWriteRgba(args.operands[1], out, error)) return ToolFail(error);
  return 0;
}

// paint sky SKY.png SKY.TZ2 PLACE.png PLACE.TZ2... --ink #rrggbb
int PaintSky(const ToolArgs& args) {
  const std::vector<std::string>& files = args.operands;
  if (files.size() % 2) return ToolUsageError(args, "files go in pairs: IN.png OUT.TZ2");
  PalEntry ink{};
  if (!ParseColour(args.Value("--ink"), ink)) return ToolUsageError(args, "--ink wants #rrggbb");
  std::vector<PngRgba> images(files.size() / 2);
  std::string error;
  for (size_t i = 0; i < images.size(); i++) {
    if (!PngReadRgba(files[2 * i], images[i], error)) return ToolFail(error);
    if (images[i].width != 640 || images[i].height != 480) {
      return ToolFail(files[2 * i] + " is not a 640 x 480 picture");
    }
  }
  std::vector<QuantPicture> places;
  for (size_t i = 1; i < images.size(); i++) {
    places.push_back({images[i].width, images[i].height, images[i].rgba});
  }
  const QuantPicture skyPicture{images[0].width, images[0].height, images[0].rgba};
  QuantResult skyColours, placeColours;
  if (!QuantReduce({&skyPicture, 1}, kSkyColours, 1, skyColours, error) ||
      (!places.empty() && !QuantReduce(places, kPlaceColours, 1, placeColours, error))) {
    return ToolFail(error);
  }

  // The sky's colours from the brightest down.
  std::vector<int> order(skyColours.palette.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return Brightness(skyColours.palette[a]) > Brightness(skyColours.palette[b]);
  });
  std::vector<uint8_t> rank(order.size());
  std::vector<PalEntry> palette{ink, PalEntry{255, 255, 255, 0}};
  for (size_t k = 0; k < order.size(); k++) {
    rank[order[k]] = static_cast<uint8_t>(kSkyFirst + k);
    palette.push_back(skyColours.palette[order[k]]);
  }
  palette.resize(kSkyFirst + kSkyColours, palette.back());
  palette.insert(palette.end(), placeColours.palette.begin(), placeColours.palette.end());

  std::vector<uint8_t> pixels(skyColours.pixels[0].size());
  for (size_t i = 0; i < pixels.size(); i++) pixels[i] = rank[skyColours.pixels[0][i]];
  if (!WriteTz2File(files[1], pixels, 640, 480, palette)) return kToolFailed;
  for (size_t i = 0; i < places.size(); i++) {
    pixels = placeColours.pixels[i];
    for (uint8_t& p : pixels) p = static_cast<uint8_t>(p + kSkyFirst + kSkyColours);
    if (!WriteTz2File(files[2 * i + 3], pixels, 640, 480, palette)) return kToolFailed;
  }
  return 0;
}
