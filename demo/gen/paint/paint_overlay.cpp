// Overlay recipes: the 16-colour pictures the screen effects and the opening draw over the
// screen (claw marks, blood, lights, the maker's emblem, the opening's name). Painted
// anti-aliased in full colour over the recipe's ground colour, then every pixel takes the
// nearest of the recipe's 16 colours, so the picture is ready for the TZG or TZ2 encoder.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "demo/gen/paint/paint.h"
#include "demo/gen/paint/paint_local.h"

namespace {

// Values by position in each command's parameter list.
enum : size_t { kA, kB, kC, kD, kE, kF, kG, kH, kI };

constexpr PaintCommandSpec kOverlaySpecs[] = {
    {"overlay", "width:n height:n"},
    {"colour", "index:n colour:c"},
    {"claw", "x0:n y0:n x1:n y1:n width:n=16 marks:n=3 gap:n=30 bend:n=20 colour:c=#8a0c0c"},
    {"drip", "x:n y:n length:n width:n=10 colour:c=#7a0808 seed:n=1"},
    {"splat", "x:n y:n size:n colour:c=#8a0c0c seed:n=1"},
    {"glow", "x:n y:n r:n colour:c strength:n=1"},
    {"ellipse", "x:n y:n rx:n ry:n colour:c alpha:n=1"},
    {"poly", "colour:c points:p"},
    {"stroke", "width:n colour:c points:p"},
    // The same lettering as in the place recipes.
    {"text",
     "x:n y:n size:n colour:c text:w font:w=mincho ink:c=#000000 inkwidth:n=0 align:w=left "
     "spacing:n=0"},
};

float Num(const PaintCommand& c, size_t i) {
  return c.values[i].number;
}

// Marks torn across the picture from (x0, y0) towards (x1, y1): `marks` parallel curved
// strokes, thin at both ends, with a light core along each.
void Claw(PaintCanvas& canvas, const PaintCommand& c) {
  const PaintPoint a{Num(c, kA), Num(c, kB)}, b{Num(c, kC), Num(c, kD)};
  const float width = Num(c, kE), gap = Num(c, kG), bend = Num(c, kH);
  const int marks = std::max(1, static_cast<int>(Num(c, kF)));
  const PaintRgb colour = c.values[kI].colour;
  const float dx = b.x - a.x, dy = b.y - a.y, length = std::max(1.0f, std::hypot(dx, dy));
  const PaintPoint normal{-dy / length, dx / length};
  for (int m = 0; m < marks; m++) {
    const float off = (static_cast<float>(m) - (marks - 1) / 2.0f) * gap;
    // The middle mark is the longest.
    const float trim = 0.08f * std::abs(static_cast<float>(m) - (marks - 1) / 2.0f);
    const PaintPoint p0{a.x + dx * trim + normal.x * off, a.y + dy * trim + normal.y * off};
    const PaintPoint p1{b.x - dx * trim + normal.x * off, b.y - dy * trim + normal.y * off};
    const PaintPoint mid{(p0.x + p1.x) / 2 + normal.x * bend, (p0.y + p1.y) / 2 + normal.y * bend};
    const std::vector<PaintPoint> line = PaintCubicPoints(p0, mid, mid, p1, 24);
    std::vector<PaintPoint> first(line.begin(), line.begin() + 13);
    std::vector<PaintPoint> second(line.begin() + 12, line.end());
    PaintPath body;
    PaintPathTaper(body, first, 1.0f, width);
    PaintPathTaper(body, second, width, 1.0f);
    PaintFillPath(canvas, body, PaintSolid(PaintScale(colour, 0.55f)));
    PaintPath core;
    PaintPathTaper(core, first, 0.5f, width * 0.5f);
    PaintPathTaper(core, second, width * 0.5f, 0.5f);
    PaintFillPath(canvas, core, PaintSolid(colour));
    PaintPath light;
    PaintPathTaper(light, first, 0.3f, width * 0.16f);
    PaintPathTaper(light, second, width * 0.16f, 0.3f);
    PaintFillPath(canvas, light, PaintSolid(PaintScale(colour, 1.8f)));
  }
}

// A run of blood from (x, y) downwards: a stain at the top, a thinning trail and a round drop.
void Drip(PaintCanvas& canvas, const PaintCommand& c) {
  const float x = Num(c, kA), y = Num(c, kB), length = Num(c, kC), width = Num(c, kD);
  const PaintRgb colour = c.values[kE].colour;
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(Num(c, kF)));
  std::vector<PaintPoint> trail;
  for (int i = 0; i <= 12; i++) {
    const float t = static_cast<float>(i) / 12;
    trail.push_back({x + PaintRandomRange(random, -1.5f, 1.5f) * t * 3, y + t * length});
  }
  PaintPath path;
  PaintPathEllipse(path, x, y, width * 1.6f, width * 0.9f);
  PaintPathTaper(path, trail, width, width * 0.45f);
  PaintPathEllipse(path, trail.back().x, trail.back().y + width * 0.3f, width * 0.6f,
                   width * 0.75f);
  PaintFillPath(canvas, path, PaintSolid(colour));
  PaintPath shine;
  PaintPathEllipse(shine, trail.back().x - width * 0.2f, trail.back().y + width * 0.1f,
                   width * 0.15f, width * 0.25f);
  PaintFillPath(canvas, shine, PaintSolid(PaintScale(colour, 2.0f)));
}

// A splash: a wavy-edged stain with drops thrown around it.
void Splat(PaintCanvas& canvas, const PaintCommand& c) {
  const float x = Num(c, kA), y = Num(c, kB), size = Num(c, kC);
  const PaintRgb colour = c.values[kD].colour;
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(Num(c, kE)));
  const float p1 = PaintRandomRange(random, 0, 6.28f), p2 = PaintRandomRange(random, 0, 6.28f);
  std::vector<PaintPoint> outline;
  for (int i = 0; i < 64; i++) {
    const float angle = 6.2831853f * static_cast<float>(i) / 64;
    const float r = size * (1 + 0.2f * std::sin(5 * angle + p1) + 0.1f * std::sin(9 * angle + p2));
    outline.push_back({x + r * std::cos(angle), y + r * std::sin(angle)});
  }
  PaintPath path;
  PaintPathPolygon(path, outline);
  for (int i = 0; i < 9; i++) {
    const float angle = PaintRandomRange(random, 0, 6.28f);
    const float reach = size * PaintRandomRange(random, 1.3f, 2.0f);
    const float r = size * PaintRandomRange(random, 0.06f, 0.16f);
    PaintPathEllipse(path, x + reach * std::cos(angle), y + reach * std::sin(angle), r, r);
  }
  PaintFillPath(canvas, path, PaintSolid(colour));
}

}  // namespace

std::span<const PaintCommandSpec> PaintOverlaySpecs() {
  return kOverlaySpecs;
}

bool PaintOverlay(const PaintRecipe& recipe, PaintOverlayPicture& out, std::string& error) {
  out = PaintOverlayPicture{};
  for (const PaintCommand& c : recipe.commands) {
    if (c.spec != 0) continue;
    out.width = static_cast<int>(Num(c, kA));
    out.height = static_cast<int>(Num(c, kB));
  }
  if (out.width <= 0 || out.height <= 0 || out.width > 640 || out.height > 480 ||
      out.width % 8 != 0) {
    error = "overlay: a size up to 640 x 480, the width a multiple of 8, is needed";
    return false;
  }
  bool given[16] = {};
  for (const PaintCommand& c : recipe.commands) {
    if (c.spec != 1) continue;
    const int index = static_cast<int>(Num(c, kA));
    if (index < 0 || index > 15) {
      error = "line " + std::to_string(c.line) + ": colour: 'index' is 0..15";
      return false;
    }
    out.palette[static_cast<size_t>(index)] = c.values[kB].colour;
    given[index] = true;
  }
  out.colours = 0;
  while (out.colours < 16 && given[out.colours]) out.colours++;
  if (out.colours == 0) {
    error = "colour: at least colour 0 (the ground) is needed";
    return false;
  }

  PaintCanvas canvas = PaintCanvasMake(out.width, out.height, out.palette[0], 1);
  for (const PaintCommand& c : recipe.commands) {
    switch (c.spec) {
      case 2:
        Claw(canvas, c);
        break;
      case 3:
        Drip(canvas, c);
        break;
      case 4:
        Splat(canvas, c);
        break;
      case 5:
        PaintGlow(canvas, Num(c, kA), Num(c, kB), Num(c, kC), Num(c, kC), c.values[kD].colour,
                  Num(c, kE));
        break;
      case 6: {
        PaintPath path;
        PaintPathEllipse(path, Num(c, kA), Num(c, kB), Num(c, kC), Num(c, kD));
        PaintFillPath(canvas, path, PaintSolid(c.values[kE].colour, Num(c, kF)));
        break;
      }
      case 7: {
        PaintPath path;
        PaintPathPolygon(path, c.values[kB].points);
        PaintFillPath(canvas, path, PaintSolid(c.values[kA].colour));
        break;
      }
      case 8: {
        PaintPath path;
        PaintPathStroke(path, c.values[kC].points, Num(c, kA));
        PaintFillPath(canvas, path, PaintSolid(c.values[kB].colour));
        break;
      }
      case 9: {
        PaintSceneState lettering;
        lettering.canvas = &canvas;
        if (!PaintCmdText(lettering, c, error)) {
          error = "line " + std::to_string(c.line) + ": text: " + error;
          return false;
        }
        break;
      }
      default:
        break;
    }
  }

  // Every pixel the nearest of the colours.
  out.pixels.resize(static_cast<size_t>(out.width * out.height));
  for (int y = 0; y < out.height; y++) {
    for (int x = 0; x < out.width; x++) {
      const PaintRgb p = PaintCanvasAt(canvas, x, y);
      int best = 0;
      float bestDistance = 1e9f;
      for (int i = 0; i < out.colours; i++) {
        const PaintRgb& q = out.palette[static_cast<size_t>(i)];
        const float d = (p.r - q.r) * (p.r - q.r) * 0.3f + (p.g - q.g) * (p.g - q.g) * 0.59f +
                        (p.b - q.b) * (p.b - q.b) * 0.11f;
        if (d < bestDistance) bestDistance = d, best = i;
      }
      out.pixels[static_cast<size_t>(y * out.width + x)] = static_cast<uint8_t>(best);
    }
  }
  return true;
}
