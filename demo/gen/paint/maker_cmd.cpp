// demogen paint maker: the maker's picture that closes the ending scenes, written straight as
// a TZ2 file because the engine fixes its colour numbers: the ending draws it over a frame of
// colour 0, which it has made white, skipping colour 124. So the recipe's ground (the colour of
// its top-left pixel) becomes 124, entry 0 is that ground colour, and the painted mark is
// reduced to the 123 colours between.
#include <string>
#include <vector>

#include "demo/gen/paint/paint.h"
#include "resources/tz2.h"
#include "tools/common/tool.h"
#include "tools/tz2/quantise.h"

namespace {

constexpr int kW = 640, kH = 480;
constexpr uint8_t kClear = 124;
constexpr int kMarkColours = kClear - 1;  // 1..123

}  // namespace

int PaintMaker(const ToolArgs& args) {
  const std::string& recipePath = args.operands[0];
  const std::string& out = args.operands[1];
  std::vector<uint8_t> bytes;
  if (!ToolReadBytes(recipePath, bytes)) return ToolFail("cannot read " + recipePath);
  PaintRecipe recipe;
  PaintCanvas canvas;
  std::string error;
  if (!PaintRecipeParse(std::string(bytes.begin(), bytes.end()), PaintSceneSpecs(), recipe,
                        error) ||
      !PaintScene(recipe, PaintMood::Day, canvas, error)) {
    return ToolFail(recipePath + ": " + error);
  }
  std::vector<uint8_t> rgba = PaintCanvasRgba8(canvas);
  const uint8_t ground[3] = {rgba[0], rgba[1], rgba[2]};
  std::vector<bool> isGround(static_cast<size_t>(kW) * kH);
  for (size_t i = 0; i < isGround.size(); i++) {
    const uint8_t* p = &rgba[i * 4];
    isGround[i] = p[0] == ground[0] && p[1] == ground[1] && p[2] == ground[2];
  }
  const QuantPicture picture{kW, kH, rgba};
  QuantResult reduced;
  if (!QuantReduce({&picture, 1}, kMarkColours, 0.5f, reduced, error)) {
    return ToolFail(recipePath + ": " + error);
  }
  const PalEntry groundEntry{ground[0], ground[1], ground[2], 0};
  std::vector<PalEntry> palette{groundEntry};
  palette.insert(palette.end(), reduced.palette.begin(), reduced.palette.end());
  palette.resize(kClear, groundEntry);
  palette.push_back(groundEntry);
  std::vector<uint8_t> pixels(isGround.size());
  for (size_t i = 0; i < pixels.size(); i++) {
    pixels[i] = isGround[i] ? kClear : static_cast<uint8_t>(1 + reduced.pixels[0][i]);
  }
  Tz2Picture tz2;
  tz2.pixels = pixels;
  tz2.width = kW;
  tz2.height = kH;
  tz2.palette = palette;
  tz2.transparent = kClear;
  std::string reason;
  const std::vector<uint8_t> file = Tz2Encode(tz2, &reason);
  if (file.empty()) return ToolFail(out + ": " + reason);
  if (!ToolWriteBytes(out, file)) return ToolFail("cannot write " + out);
  return 0;
}
