// Event pictures: a place painted under one light, framed closer than a scene, with characters
// painted large over it, then any place commands on top (lanterns in front, glows, petals).
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "demo/gen/paint/paint.h"
#include "demo/gen/paint/paint_local.h"

namespace {

enum EventSpec { kEvent, kPlace, kZoom, kFigure, kEventSpecCount };

constexpr PaintCommandSpec kEventSpecs[] = {
    {"event", "light:w"},
    {"place", "recipe:w"},
    {"zoom", "x:n y:n scale:n"},
    {"figure", "recipe:w pose:n x:n y:n scale:n=1.6 flip:n=0 light:n=1 tint:w="},
};
static_assert(std::size(kEventSpecs) == kEventSpecCount);

// The straight colour and alpha of a canvas at a point between pixels (bilinear, premultiplied
// so that edges do not darken); transparent outside.
void SampleAt(const PaintCanvas& canvas, float x, float y, float out[4]) {
  const float fx = x - 0.5f, fy = y - 0.5f;
  const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
  const float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
  for (int k = 0; k < 4; k++) out[k] = 0;
  for (int dy = 0; dy < 2; dy++) {
    for (int dx = 0; dx < 2; dx++) {
      const int sx = std::clamp(x0 + dx, 0, canvas.width - 1);
      const int sy = y0 + dy;
      if (x0 + dx < -1 || x0 + dx > canvas.width || sy < 0 || sy >= canvas.height) continue;
      const float w = (dx ? tx : 1 - tx) * (dy ? ty : 1 - ty);
      const float* p = &canvas.px[(static_cast<size_t>(sy) * canvas.width + sx) * 4];
      for (int k = 0; k < 4; k++) out[k] += p[k] * w;
    }
  }
}

// Magnifies the canvas around (x, y) by `scale`: that point comes to the middle.
void Zoom(PaintCanvas& canvas, float x, float y, float scale) {
  const PaintCanvas source = canvas;
  for (int py = 0; py < canvas.height; py++) {
    for (int px = 0; px < canvas.width; px++) {
      const float sx =
          std::clamp(x + (px + 0.5f - canvas.width / 2.0f) / scale, 0.5f, canvas.width - 0.5f);
      const float sy =
          std::clamp(y + (py + 0.5f - canvas.height / 2.0f) / scale, 0.5f, canvas.height - 0.5f);
      SampleAt(source, sx, sy, &canvas.px[(static_cast<size_t>(py) * canvas.width + px) * 4]);
    }
  }
}

// Lights a figure's colours for the mood, as the character palette file does for sprites.
void LightFigure(PaintCanvas& figure, PaintMood mood) {
  for (size_t i = 0; i < figure.px.size(); i += 4) {
    const float a = figure.px[i + 3];
    if (a <= 0) continue;
    const PaintRgb lit =
        PaintCharacterLight(mood, {figure.px[i] / a, figure.px[i + 1] / a, figure.px[i + 2] / a});
    figure.px[i] = lit.r * a;
    figure.px[i + 1] = lit.g * a;
    figure.px[i + 2] = lit.b * a;
  }
}

// Puts the figure over the canvas, `scale` times its size, its middle at x and its top at y.
// The tint mask of the picture follows: what the figure covers takes the figure's own mask
// (`mask`, the same size as the figure; empty: nothing of it is tinted).
void PlaceFigure(PaintCanvas& canvas, std::vector<float>& tint, const PaintCanvas& figure,
                 const PaintCanvas& mask, float x, float y, float scale, bool flip) {
  const float left = x - figure.width * scale / 2;
  const int x0 = std::max(0, static_cast<int>(left)),
            x1 = std::min(canvas.width, static_cast<int>(left + figure.width * scale) + 1);
  const int y0 = std::max(0, static_cast<int>(y)),
            y1 = std::min(canvas.height, static_cast<int>(y + figure.height * scale) + 1);
  for (int py = y0; py < y1; py++) {
    for (int px = x0; px < x1; px++) {
      float fx = (px + 0.5f - left) / scale;
      if (flip) fx = figure.width - fx;
      float s[4];
      SampleAt(figure, fx, (py + 0.5f - y) / scale, s);
      if (s[3] <= 0) continue;
      const size_t at = static_cast<size_t>(py) * canvas.width + px;
      float* d = &canvas.px[at * 4];
      for (int k = 0; k < 3; k++) d[k] = s[k] + d[k] * (1 - s[3]);
      d[3] = s[3] + d[3] * (1 - s[3]);
      float m[4] = {};
      if (!mask.px.empty()) SampleAt(mask, fx, (py + 0.5f - y) / scale, m);
      tint[at] = m[3] + tint[at] * (1 - s[3]);
    }
  }
}

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

// Reads a recipe named relative to `folder` in one of the recipe languages.
bool LoadRelative(const std::string& folder, const std::string& name,
                  std::span<const PaintCommandSpec> specs, PaintRecipe& recipe,
                  std::string& error) {
  const std::string path = folder + "/" + name;
  std::string text;
  if (!ReadText(path, text)) {
    error = "cannot read " + path;
    return false;
  }
  if (!PaintRecipeParse(text, specs, recipe, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

// Where a figure wears the outfit colour `part` (top, bottom, accent or trim): the picture
// painted again with that colour in a key colour, compared with the picture as it is. The mask's
// alpha is how much of each pixel is that colour.
bool TintMask(const PaintRecipe& recipe, int pose, const std::string& part,
              const PaintCanvas& figure, PaintCanvas& mask, std::string& error) {
  constexpr const char* kParts[] = {"top", "bottom", "accent", "trim"};
  const auto found = std::find(std::begin(kParts), std::end(kParts), part);
  if (found == std::end(kParts)) {
    error = "figure: 'tint' is one of top, bottom, accent, trim";
    return false;
  }
  const int value = 1 + static_cast<int>(found - std::begin(kParts));  // after the style
  const std::span<const PaintCommandSpec> specs = PaintFigureSpecs();
  PaintRecipe keyed = recipe;
  for (PaintCommand& command : keyed.commands) {
    if (std::string_view(specs[static_cast<size_t>(command.spec)].name) == "outfit")
      command.values[static_cast<size_t>(value)].colour = {1, 0, 1};
  }
  PaintCanvas other;
  if (!PaintFigure(keyed, pose, other, error)) return false;
  mask = PaintCanvasMake(figure.width, figure.height);
  for (size_t i = 0; i < figure.px.size(); i += 4) {
    float d = 0;
    for (int k = 0; k < 3; k++) d = std::max(d, std::abs(figure.px[i + k] - other.px[i + k]));
    mask.px[i + 3] = std::clamp(d / 0.5f, 0.0f, 1.0f);
  }
  return true;
}

// figure: paints a character recipe's picture, lit and enlarged, over the canvas.
bool DrawFigure(PaintCanvas& canvas, std::vector<float>& tint, const PaintCommand& c,
                PaintMood mood, const std::string& folder, std::string& error) {
  PaintRecipe recipe;
  std::string why;
  if (!LoadRelative(folder, PaintWord(c, 0), PaintFigureSpecs(), recipe, why)) {
    error = "figure: " + why;
    return false;
  }
  PaintCanvas figure, mask;
  const int pose = static_cast<int>(PaintNum(c, 1));
  if (!PaintFigure(recipe, pose, figure, why)) {
    error = "figure: " + PaintWord(c, 0) + ": " + why;
    return false;
  }
  if (c.values[7].given && !TintMask(recipe, pose, PaintWord(c, 7), figure, mask, error))
    return false;
  const float scale = PaintNum(c, 4);
  if (scale < 0.25f || scale > 4) {
    error = "figure: 'scale' is 0.25..4";
    return false;
  }
  if (PaintNum(c, 6) != 0) LightFigure(figure, mood);
  PlaceFigure(canvas, tint, figure, mask, PaintNum(c, 2), PaintNum(c, 3), scale,
              PaintNum(c, 5) != 0);
  return true;
}

}  // namespace

std::span<const PaintCommandSpec> PaintEventSpecs() {
  static const std::vector<PaintCommandSpec> specs = [] {
    std::vector<PaintCommandSpec> out(std::begin(kEventSpecs), std::end(kEventSpecs));
    for (const PaintCommandSpec& spec : PaintSceneSpecs()) out.push_back(spec);
    return out;
  }();
  return specs;
}

bool PaintEvent(const PaintRecipe& recipe, const std::string& folder, PaintCanvas& canvas,
                std::vector<float>& tint, std::string& error) {
  canvas = PaintCanvasMake(640, 480, {0, 0, 0}, 1);
  tint.assign(640 * 480, 0);
  PaintSceneState scene;
  scene.canvas = &canvas;
  for (const PaintCommand& c : recipe.commands) {
    const auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(c.line) + ": " + why;
      return false;
    };
    switch (c.spec) {
      case kEvent:
        if (PaintWord(c, 0).size() != 1 || !PaintMoodFromLetter(PaintWord(c, 0)[0], scene.mood))
          return fail("event: the light is one of D, E, N, X, Z");
        break;
      case kPlace: {
        PaintRecipe place;
        std::string why;
        if (!LoadRelative(folder, PaintWord(c, 0), PaintSceneSpecs(), place, why))
          return fail("place: " + why);
        for (const PaintCommand& command : place.commands) {
          if (!PaintSceneStep(scene, command, why)) return fail("place: " + why);
        }
        break;
      }
      case kZoom:
        if (PaintNum(c, 2) < 1 || PaintNum(c, 2) > 4) return fail("zoom: 'scale' is 1..4");
        Zoom(canvas, PaintNum(c, 0), PaintNum(c, 1), PaintNum(c, 2));
        break;
      case kFigure: {
        std::string why;
        if (!DrawFigure(canvas, tint, c, scene.mood, folder, why)) return fail(why);
        break;
      }
      default: {
        PaintCommand place = c;
        place.spec -= kEventSpecCount;
        if (!PaintSceneStep(scene, place, error)) return false;
        break;
      }
    }
  }
  return true;
}
