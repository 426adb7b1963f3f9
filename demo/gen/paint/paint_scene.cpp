// Place recipes: the light of the five moods, the sky and the land (sun, moon, stars, clouds,
// hills, towns, sea and water), the plain shapes, and the command table of the place language.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "demo/gen/paint/paint_local.h"

namespace {

// How a mood changes a colour: towards grey by `desat`, then multiplied and lifted.
struct Grade {
  PaintRgb mul, add;
  float desat;
};

// Outdoors: sunlight, the low sun, blue night, an overcast grey, and moonlight alone.
constexpr Grade kOutdoorLight[kPaintMoods] = {
    {{1.00f, 1.00f, 1.00f}, {0, 0, 0}, 0},
    {{1.00f, 0.68f, 0.50f}, {0.05f, 0.01f, 0.04f}, 0.05f},
    {{0.20f, 0.25f, 0.42f}, {0.010f, 0.015f, 0.040f}, 0.15f},
    {{0.66f, 0.70f, 0.76f}, {0.04f, 0.045f, 0.05f}, 0.5f},
    {{0.10f, 0.13f, 0.27f}, {0.005f, 0.008f, 0.025f}, 0.2f},
};
// Indoors: daylight, the evening sun through the window, lamplight, a grey day, a dark room.
constexpr Grade kIndoorLight[kPaintMoods] = {
    {{1.00f, 0.99f, 0.96f}, {0, 0, 0}, 0},
    {{1.00f, 0.80f, 0.62f}, {0.03f, 0.0f, 0.02f}, 0.05f},
    {{0.86f, 0.74f, 0.56f}, {0.0f, 0.0f, 0.0f}, 0.1f},
    {{0.74f, 0.77f, 0.82f}, {0.02f, 0.02f, 0.03f}, 0.3f},
    {{0.15f, 0.18f, 0.33f}, {0.010f, 0.012f, 0.030f}, 0.2f},
};
// Characters stay readable: the same turns, gentler.
constexpr Grade kCharacterLight[kPaintMoods] = {
    {{1.00f, 1.00f, 1.00f}, {0, 0, 0}, 0},
    {{1.00f, 0.92f, 0.82f}, {0.02f, 0.0f, 0.0f}, 0},
    {{0.62f, 0.67f, 0.86f}, {0.0f, 0.0f, 0.02f}, 0.1f},
    {{0.86f, 0.88f, 0.93f}, {0.0f, 0.0f, 0.0f}, 0.2f},
    {{0.42f, 0.48f, 0.72f}, {0.0f, 0.0f, 0.02f}, 0.15f},
};

// A colour under a grade.
PaintRgb ApplyGrade(const Grade& g, PaintRgb c) {
  const float luma = 0.30f * c.r + 0.59f * c.g + 0.11f * c.b;
  c = PaintMix(c, {luma, luma, luma}, g.desat);
  return {std::clamp(c.r * g.mul.r + g.add.r, 0.0f, 1.0f),
          std::clamp(c.g * g.mul.g + g.add.g, 0.0f, 1.0f),
          std::clamp(c.b * g.mul.b + g.add.b, 0.0f, 1.0f)};
}

struct SkyStop {
  float t;
  PaintRgb colour;
};
// Sky gradients, top (0) to horizon (1).
constexpr SkyStop kSky[kPaintMoods][4] = {
    {{0, {0.27f, 0.50f, 0.85f}},
     {0.55f, {0.52f, 0.73f, 0.95f}},
     {0.85f, {0.74f, 0.87f, 0.97f}},
     {1, {0.88f, 0.94f, 0.97f}}},
    {{0, {0.22f, 0.22f, 0.48f}},
     {0.45f, {0.68f, 0.42f, 0.56f}},
     {0.78f, {1.0f, 0.58f, 0.34f}},
     {1, {1.0f, 0.80f, 0.46f}}},
    {{0, {0.02f, 0.035f, 0.11f}},
     {0.5f, {0.05f, 0.08f, 0.20f}},
     {0.85f, {0.11f, 0.14f, 0.28f}},
     {1, {0.20f, 0.20f, 0.33f}}},
    {{0, {0.44f, 0.47f, 0.52f}},
     {0.5f, {0.54f, 0.57f, 0.61f}},
     {0.85f, {0.64f, 0.67f, 0.70f}},
     {1, {0.70f, 0.72f, 0.74f}}},
    {{0, {0.008f, 0.012f, 0.045f}},
     {0.5f, {0.02f, 0.035f, 0.10f}},
     {0.85f, {0.05f, 0.07f, 0.16f}},
     {1, {0.08f, 0.10f, 0.21f}}},
};

// Cloud colours by mood: lit top, shaded bottom, opacity.
struct CloudLook {
  PaintRgb top, bottom;
  float alpha;
};
constexpr CloudLook kClouds[kPaintMoods] = {
    {{1.0f, 1.0f, 1.0f}, {0.76f, 0.83f, 0.94f}, 0.95f},
    {{0.78f, 0.52f, 0.64f}, {1.0f, 0.72f, 0.46f}, 0.9f},
    {{0.16f, 0.19f, 0.31f}, {0.08f, 0.10f, 0.19f}, 0.75f},
    {{0.70f, 0.72f, 0.76f}, {0.42f, 0.44f, 0.49f}, 0.97f},
    {{0.10f, 0.12f, 0.24f}, {0.04f, 0.05f, 0.12f}, 0.6f},
};

// The mood as a table index.
int MoodIndex(const PaintSceneState& scene) {
  return static_cast<int>(scene.mood);
}

// Night or midnight: the moon is up, the stars are out.
bool IsNight(const PaintSceneState& scene) {
  return scene.mood == PaintMood::Night || scene.mood == PaintMood::Midnight;
}

// Clouds as unions of puffs, painted on a layer that is softened before it goes on.
void DrawClouds(PaintSceneState& scene, uint32_t seed, int count, float x0, float x1, float y0,
                float y1, float size) {
  const CloudLook& look = kClouds[MoodIndex(scene)];
  PaintCanvas layer = PaintCanvasMake(scene.canvas->width, scene.canvas->height);
  PaintRandom random = PaintRandomMake(seed);
  for (int i = 0; i < count; i++) {
    const float cx = PaintRandomRange(random, x0, x1);
    const float base = PaintRandomRange(random, y0, y1);
    // Clouds near the horizon look smaller and flatter.
    const float depth = 0.55f + 0.45f * (1 - (base - y0) / std::max(1.0f, y1 - y0));
    const float w = size * PaintRandomRange(random, 0.8f, 1.6f) * depth;
    const float h = w * PaintRandomRange(random, 0.28f, 0.42f);
    PaintPath path;
    const int puffs = 5 + static_cast<int>(PaintRandomUnit(random) * 4);
    for (int p = 0; p < puffs; p++) {
      const float u = (p + 0.5f) / puffs;
      const float bell = std::sin(u * std::numbers::pi_v<float>);
      const float r = h * (0.35f + 0.55f * bell) * PaintRandomRange(random, 0.8f, 1.15f);
      const float px = cx - w / 2 + w * u + PaintRandomRange(random, -0.05f, 0.05f) * w;
      PaintPathEllipse(path, px, base - r * 0.55f, r, r * 0.92f);
    }
    PaintPathEllipse(path, cx, base - h * 0.12f, w * 0.52f, h * 0.22f);
    PaintFill fill = PaintLinear({cx, base - h * 1.1f}, look.top, {cx, base}, look.bottom);
    PaintFillPath(layer, path, fill);
  }
  PaintBlur(layer, 1);
  PaintComposite(*scene.canvas, layer, look.alpha);
}

// [SECTION] Sky and land

// sky horizon:n=300 seed:n=1 clouds:n=4
bool CmdSky(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  scene.horizon = PaintNum(c, 0);
  PaintSceneSky(scene, 0, 0, static_cast<float>(scene.canvas->width),
                static_cast<float>(scene.canvas->height), scene.horizon,
                static_cast<uint32_t>(PaintNum(c, 1)), false);
  const int clouds = static_cast<int>(PaintNum(c, 2));
  const float w = static_cast<float>(scene.canvas->width);
  if (scene.mood == PaintMood::Rain) {
    // A low, closed cloud cover, two layers deep.
    DrawClouds(scene, static_cast<uint32_t>(PaintNum(c, 1)) + 7, 14, -60, w + 60, 10,
               scene.horizon * 0.55f, 260);
    DrawClouds(scene, static_cast<uint32_t>(PaintNum(c, 1)) + 8, 12, -60, w + 60,
               scene.horizon * 0.4f, scene.horizon * 0.95f, 200);
  } else if (clouds > 0) {
    DrawClouds(scene, static_cast<uint32_t>(PaintNum(c, 1)), clouds, -40, w + 40,
               scene.horizon * 0.18f, scene.horizon * 0.9f, 170);
  }
  return true;
}

// sun x:n y:n   (by day only)
bool CmdSun(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  if (scene.mood != PaintMood::Day) return true;
  const float x = PaintNum(c, 0), y = PaintNum(c, 1);
  scene.sunX = x;
  scene.sunY = y;
  PaintGlow(*scene.canvas, x, y, 260, 260, {1.0f, 0.96f, 0.82f}, 0.30f);
  PaintGlow(*scene.canvas, x, y, 70, 70, {1.0f, 1.0f, 0.9f}, 0.7f);
  PaintPath disc;
  PaintPathEllipse(disc, x, y, 20, 20);
  PaintFillPath(*scene.canvas, disc, PaintSolid({1.0f, 1.0f, 0.95f}));
  return true;
}

// sunset x:n y:n   (in the evening only)
bool CmdSunset(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  if (scene.mood != PaintMood::Evening) return true;
  const float x = PaintNum(c, 0), y = PaintNum(c, 1);
  scene.sunX = x;
  scene.sunY = y;
  PaintGlow(*scene.canvas, x, y, 420, 200, {1.0f, 0.55f, 0.22f}, 0.40f);
  PaintGlow(*scene.canvas, x, y, 110, 90, {1.0f, 0.85f, 0.5f}, 0.6f);
  PaintPath disc;
  PaintPathEllipse(disc, x, y, 32, 32);
  PaintFill fill =
      PaintLinear({x, y - 32}, {1.0f, 0.95f, 0.72f}, {x, y + 32}, {1.0f, 0.66f, 0.32f});
  PaintFillPath(*scene.canvas, disc, fill);
  return true;
}

// moon x:n y:n   (at night and midnight)
bool CmdMoon(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  if (!IsNight(scene)) return true;
  const float x = PaintNum(c, 0), y = PaintNum(c, 1);
  scene.sunX = x;
  scene.sunY = y;
  const float k = scene.mood == PaintMood::Midnight ? 1.0f : 0.8f;
  PaintGlow(*scene.canvas, x, y, 150, 150, {0.45f, 0.55f, 0.85f}, 0.25f * k);
  PaintGlow(*scene.canvas, x, y, 46, 46, {0.9f, 0.92f, 1.0f}, 0.5f * k);
  PaintPath disc;
  PaintPathEllipse(disc, x, y, 18, 18);
  PaintFillPath(*scene.canvas, disc, PaintSolid({0.98f, 0.97f, 0.88f}));
  PaintPath marks;
  PaintPathEllipse(marks, x - 5, y - 4, 5, 4);
  PaintPathEllipse(marks, x + 6, y + 5, 4, 3);
  PaintPathEllipse(marks, x - 2, y + 8, 3, 2);
  PaintFillPath(*scene.canvas, marks, PaintSolid({0.86f, 0.86f, 0.78f}, 0.6f));
  return true;
}

// stars count:n=120 seed:n=1 bottom:n=0 always:n=0   (night and midnight, fewer at night;
bool CmdStars(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  // always 1: under every mood, as many as at midnight)
  const bool always = PaintNum(c, 3) != 0;
  if (!IsNight(scene) && !always) return true;
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 1)) + 101);
  const float bottom = PaintNum(c, 2) > 0 ? PaintNum(c, 2) : scene.horizon * 0.9f;
  const int count =
      static_cast<int>(PaintNum(c, 0) * (scene.mood == PaintMood::Night && !always ? 0.5f : 1));
  PaintPath small, bright;
  for (int i = 0; i < count; i++) {
    const float x = PaintRandomRange(random, 0, static_cast<float>(scene.canvas->width));
    const float u = PaintRandomUnit(random);
    const float y = bottom * u * u;  // thicker high up, where the sky is darkest
    const float size = PaintRandomUnit(random);
    if (size > 0.93f) {
      PaintPathEllipse(bright, x, y, 1.4f, 1.4f);
      PaintGlow(*scene.canvas, x, y, 7, 7, {0.8f, 0.85f, 1.0f}, 0.5f);
    } else {
      PaintPathEllipse(small, x, y, 0.55f + size * 0.5f, 0.55f + size * 0.5f);
    }
  }
  PaintFillPath(*scene.canvas, small, PaintSolid({0.92f, 0.94f, 1.0f}, 0.75f));
  PaintFillPath(*scene.canvas, bright, PaintSolid({1.0f, 1.0f, 0.96f}));
  return true;
}

// clouds count:n y0:n y1:n size:n=160 seed:n=1
bool CmdClouds(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  if (scene.mood == PaintMood::Rain) return true;  // the sky is closed already
  DrawClouds(scene, static_cast<uint32_t>(PaintNum(c, 4)) + 31, static_cast<int>(PaintNum(c, 0)),
             -40, scene.canvas->width + 40.0f, PaintNum(c, 1), PaintNum(c, 2), PaintNum(c, 3));
  return true;
}

// A colour lit, then faded towards the sky at the horizon by `haze` (distance).
PaintRgb Hazed(const PaintSceneState& scene, PaintRgb albedo, float haze) {
  return PaintMix(PaintSceneLit(scene, albedo), PaintSkyAt(scene, 0.97f), haze);
}

// hills y:n height:n colour:c seed:n=1 haze:n=0 bottom:n=480 sharp:n=0
bool CmdHills(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float y = PaintNum(c, 0), amp = PaintNum(c, 1), haze = PaintNum(c, 4);
  const float bottom = PaintNum(c, 5), sharp = PaintNum(c, 6);
  const uint32_t seed = static_cast<uint32_t>(PaintNum(c, 3));
  PaintPath path;
  const float w = static_cast<float>(scene.canvas->width);
  PaintPathMove(path, -4, bottom);
  for (float x = -4; x <= w + 4; x += 4) {
    float n = 0.6f * PaintNoise(x / 170, 0.5f, seed) + 0.3f * PaintNoise(x / 60, 1.5f, seed) +
              0.1f * PaintNoise(x / 22, 2.5f, seed);
    if (sharp > 0) n = (1 - sharp) * n + sharp * (1 - std::fabs(2 * n - 1));
    PaintPathLine(path, x, y - amp * n);
  }
  PaintPathLine(path, w + 4, bottom);
  PaintPathClose(path);
  const PaintRgb top = Hazed(scene, c.values[2].colour, haze);
  const PaintRgb low = Hazed(scene, PaintScale(c.values[2].colour, 0.78f), haze * 0.8f);
  PaintFillPath(*scene.canvas, path, PaintLinear({0, y - amp}, top, {0, bottom}, low));
  return true;
}

// city x0:n x1:n base:n top:n colour:c seed:n=1 haze:n=0.3
bool CmdCity(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x0 = PaintNum(c, 0), x1 = PaintNum(c, 1), base = PaintNum(c, 2), top = PaintNum(c, 3);
  const float haze = PaintNum(c, 6);
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 5)) + 7);
  const PaintRgb body = Hazed(scene, PaintCol(c, 4), haze);
  const PaintRgb side = Hazed(scene, PaintScale(PaintCol(c, 4), 0.8f), haze);
  const float lit = PaintWindowChance(scene);
  PaintPath bodies, shades, windows, dims;
  for (float x = x0; x < x1;) {
    const float w = PaintRandomRange(random, 16, 46);
    const float h = (base - top) * PaintRandomRange(random, 0.3f, 1.0f);
    PaintPathRect(bodies, x, base - h, x + w, base + 1);
    PaintPathRect(shades, x + w * 0.7f, base - h, x + w, base + 1);
    if (PaintRandomUnit(random) < 0.25f)
      PaintPathRect(bodies, x + w * 0.4f, base - h - 10, x + w * 0.45f, base - h);
    for (float wy = base - h + 5; wy < base - 6; wy += 8) {
      for (float wx = x + 3; wx < x + w - 5; wx += 6) {
        if (PaintRandomUnit(random) < lit) {
          PaintPathRect(windows, wx, wy, wx + 3, wy + 4);
        } else if (!IsNight(scene)) {
          PaintPathRect(dims, wx, wy, wx + 3, wy + 4);
        }
      }
    }
    x += w + PaintRandomRange(random, -4, 2);
  }
  PaintFillPath(*scene.canvas, bodies, PaintSolid(body));
  PaintFillPath(*scene.canvas, shades, PaintSolid(side));
  PaintFillPath(*scene.canvas, dims, PaintSolid(PaintMix(body, PaintSkyAt(scene, 0.3f), 0.35f)));
  PaintFillPath(*scene.canvas, windows, PaintSolid({1.0f, 0.84f, 0.52f}, 0.9f));
  return true;
}

// Water under the sky: the sky mirrored and darkened, with ripples of light.
void DrawWater(PaintSceneState& scene, float x0, float y0, float x1, float y1, PaintRgb deep,
               uint32_t seed) {
  PaintPath rect;
  PaintPathRect(rect, x0, y0, x1, y1);
  const PaintRgb near = PaintMix(PaintSkyAt(scene, 0.95f), PaintSceneLit(scene, deep), 0.45f);
  const PaintRgb far = PaintMix(PaintSceneLit(scene, deep), PaintSkyAt(scene, 0.2f), 0.3f);
  PaintFill fill = PaintLinear({0, y0}, near, {0, y1}, far);
  PaintFillPath(*scene.canvas, rect, fill);
  PaintRandom random = PaintRandomMake(seed + 55);
  PaintPath ripples, glints;
  const float lightX = scene.sunX;
  const int n = static_cast<int>((y1 - y0) * (x1 - x0) / 900);
  for (int i = 0; i < n; i++) {
    const float u = PaintRandomUnit(random);
    const float y = y0 + (y1 - y0) * u * u;
    const float len = 6 + 30 * u * PaintRandomUnit(random);
    float x = PaintRandomRange(random, x0, x1);
    const bool glint = PaintRandomUnit(random) < 0.5f && scene.mood != PaintMood::Rain;
    if (glint) x = lightX + (x - lightX) * 0.18f * (0.3f + u);  // a path of light to the sun
    PaintPathRect(glint ? glints : ripples, x - len / 2, y, x + len / 2, y + 1 + u);
  }
  PaintFillPath(*scene.canvas, ripples, PaintSolid(PaintMix(near, {1, 1, 1}, 0.25f), 0.5f));
  const PaintRgb light = scene.mood == PaintMood::Evening ? PaintRgb{1.0f, 0.78f, 0.45f}
                         : IsNight(scene)                 ? PaintRgb{0.85f, 0.88f, 1.0f}
                                                          : PaintRgb{1.0f, 1.0f, 0.95f};
  PaintFillPath(*scene.canvas, glints, PaintSolid(light, IsNight(scene) ? 0.55f : 0.8f));
}

// sea y0:n y1:n colour:c=#2f74a8 seed:n=1
bool CmdSea(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  DrawWater(scene, 0, PaintNum(c, 0), static_cast<float>(scene.canvas->width), PaintNum(c, 1),
            PaintCol(c, 2), static_cast<uint32_t>(PaintNum(c, 3)));
  return true;
}

// water x0:n y0:n x1:n y1:n colour:c=#3f7f9a seed:n=1
bool CmdWater(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  DrawWater(scene, PaintNum(c, 0), PaintNum(c, 1), PaintNum(c, 2), PaintNum(c, 3), PaintCol(c, 4),
            static_cast<uint32_t>(PaintNum(c, 5)));
  return true;
}

// [SECTION] Plain shapes

// light kind:w   (outdoor, indoor, or bright: indoors, lit the same at every hour)
bool CmdLight(PaintSceneState& scene, const PaintCommand& c, std::string& error) {
  const std::string& kind = PaintWord(c, 0);
  if (kind != "outdoor" && kind != "indoor" && kind != "bright") {
    error = "light: 'kind' is outdoor, indoor or bright, not '" + kind + "'";
    return false;
  }
  scene.indoor = kind != "outdoor";
  scene.bright = kind == "bright";
  return true;
}

// Fills with one colour, or a gradient to colour2 / alpha2 when given.
void FillShaped(PaintSceneState& scene, const PaintPath& path, const PaintCommand& c, int colour,
                PaintPoint a, PaintPoint b, bool lit) {
  const PaintValue& c2 = c.values[colour + 1];
  const float alpha = c.values[colour + 2].number;
  const float alpha2 = c.values[colour + 3].given ? c.values[colour + 3].number : alpha;
  const PaintRgb first = lit ? PaintCol(c, colour) : PaintSceneLit(scene, PaintCol(c, colour));
  const PaintRgb second = !c2.given ? first : lit ? c2.colour : PaintSceneLit(scene, c2.colour);
  if (!c2.given && alpha2 == alpha) {
    PaintFillPath(*scene.canvas, path, PaintSolid(first, alpha));
  } else {
    PaintFillPath(*scene.canvas, path, PaintLinear(a, first, b, second, alpha, alpha2));
  }
}

// rect x0:n y0:n x1:n y1:n colour:c colour2:c= alpha:n=1 alpha2:n= dir:w=v radius:n=0 lit:n=0
bool CmdRect(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x0 = PaintNum(c, 0), y0 = PaintNum(c, 1), x1 = PaintNum(c, 2), y1 = PaintNum(c, 3);
  PaintPath path;
  PaintPathRect(path, x0, y0, x1, y1, PaintNum(c, 9));
  const bool across = PaintWord(c, 8) == "h";
  FillShaped(scene, path, c, 4, {x0, y0}, across ? PaintPoint{x1, y0} : PaintPoint{x0, y1},
             PaintNum(c, 10) != 0);
  return true;
}

// ellipse x:n y:n rx:n ry:n colour:c colour2:c= alpha:n=1 alpha2:n= lit:n=0
bool CmdEllipse(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), rx = PaintNum(c, 2), ry = PaintNum(c, 3);
  PaintPath path;
  PaintPathEllipse(path, x, y, rx, ry);
  FillShaped(scene, path, c, 4, {x, y - ry}, {x, y + ry}, PaintNum(c, 8) != 0);
  return true;
}

// The vertical extent of a list of points.
void Extent(const std::vector<PaintPoint>& pts, float& y0, float& y1) {
  y0 = 1e9f;
  y1 = -1e9f;
  for (const PaintPoint& p : pts) {
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
}

// poly colour:c colour2:c= alpha:n=1 alpha2:n= lit:n=0 points:p
bool CmdPoly(PaintSceneState& scene, const PaintCommand& c, std::string& error) {
  const std::vector<PaintPoint>& pts = PaintPts(c, 5);
  if (pts.size() < 3) {
    error = "poly: wants at least three points";
    return false;
  }
  PaintPath path;
  PaintPathPolygon(path, pts);
  float y0, y1;
  Extent(pts, y0, y1);
  FillShaped(scene, path, c, 0, {0, y0}, {0, y1}, PaintNum(c, 4) != 0);
  return true;
}

// line width:n colour:c alpha:n=1 lit:n=0 points:p
bool CmdLine(PaintSceneState& scene, const PaintCommand& c, std::string& error) {
  const std::vector<PaintPoint>& pts = PaintPts(c, 4);
  if (pts.size() < 2) {
    error = "line: wants at least two points";
    return false;
  }
  PaintPath path;
  PaintPathStroke(path, pts, PaintNum(c, 0));
  const PaintRgb colour =
      PaintNum(c, 3) != 0 ? PaintCol(c, 1) : PaintSceneLit(scene, PaintCol(c, 1));
  PaintFillPath(*scene.canvas, path, PaintSolid(colour, PaintNum(c, 2)));
  return true;
}

// glow x:n y:n r:n colour:c strength:n=0.5 ry:n
bool CmdGlow(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float r = PaintNum(c, 2);
  const float ry = c.values[5].given ? PaintNum(c, 5) : r;
  PaintGlow(*scene.canvas, PaintNum(c, 0), PaintNum(c, 1), r, ry, PaintCol(c, 3), PaintNum(c, 4));
  return true;
}

// shade x0:n y0:n x1:n y1:n alpha:n=0.35 alpha2:n=0 dir:w=v   (a darkening, any mood)
bool CmdShade(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x0 = PaintNum(c, 0), y0 = PaintNum(c, 1), x1 = PaintNum(c, 2), y1 = PaintNum(c, 3);
  PaintPath path;
  PaintPathRect(path, x0, y0, x1, y1);
  const PaintPoint b = PaintWord(c, 6) == "h" ? PaintPoint{x1, y0} : PaintPoint{x0, y1};
  const PaintRgb dark = PaintSceneLit(scene, {0.10f, 0.08f, 0.14f});
  PaintFillPath(*scene.canvas, path,
                PaintLinear({x0, y0}, dark, b, dark, PaintNum(c, 4), PaintNum(c, 5)));
  return true;
}

constexpr PaintSceneCommand kSceneCommands[] = {
    {{"light", "kind:w"}, CmdLight},
    {{"sky", "horizon:n=300 seed:n=1 clouds:n=4"}, CmdSky},
    {{"sun", "x:n y:n"}, CmdSun},
    {{"sunset", "x:n y:n"}, CmdSunset},
    {{"moon", "x:n y:n"}, CmdMoon},
    {{"stars", "count:n=120 seed:n=1 bottom:n=0 always:n=0"}, CmdStars},
    {{"clouds", "count:n y0:n y1:n size:n=160 seed:n=1"}, CmdClouds},
    {{"hills", "y:n height:n colour:c seed:n=1 haze:n=0 bottom:n=480 sharp:n=0"}, CmdHills},
    {{"city", "x0:n x1:n base:n top:n colour:c seed:n=1 haze:n=0.3"}, CmdCity},
    {{"sea", "y0:n y1:n colour:c=#2f74a8 seed:n=1"}, CmdSea},
    {{"water", "x0:n y0:n x1:n y1:n colour:c=#3f7f9a seed:n=1"}, CmdWater},
    {{"rect",
      "x0:n y0:n x1:n y1:n colour:c colour2:c= alpha:n=1 alpha2:n= dir:w=v radius:n=0 lit:n=0"},
     CmdRect},
    {{"ellipse", "x:n y:n rx:n ry:n colour:c colour2:c= alpha:n=1 alpha2:n= lit:n=0"}, CmdEllipse},
    {{"poly", "colour:c colour2:c= alpha:n=1 alpha2:n= lit:n=0 points:p"}, CmdPoly},
    {{"line", "width:n colour:c alpha:n=1 lit:n=0 points:p"}, CmdLine},
    {{"glow", "x:n y:n r:n colour:c strength:n=0.5 ry:n="}, CmdGlow},
    {{"shade", "x0:n y0:n x1:n y1:n alpha:n=0.35 alpha2:n=0 dir:w=v"}, CmdShade},
    // Outdoor things (paint_outdoor.cpp).
    {{"tree", "x:n y:n size:n colour:c=#4f8a3c seed:n=1"}, PaintCmdTree},
    {{"cherry", "x:n y:n size:n stage:w=bloom seed:n=1"}, PaintCmdCherry},
    {{"pine", "x:n y:n size:n colour:c=#2f5a3a"}, PaintCmdPine},
    {{"bush", "x:n y:n w:n h:n colour:c=#4a7d3a seed:n=1"}, PaintCmdBush},
    {{"lamp", "x:n y:n height:n=150"}, PaintCmdLamp},
    {{"lantern", "x:n y:n size:n=16 colour:c=#e04a3a lit:n=0"}, PaintCmdLantern},
    {{"lanterns", "x0:n y0:n x1:n y1:n count:n sag:n=20 size:n=10 colour:c=#e04a3a"},
     PaintCmdLanterns},
    {{"house", "x:n y:n w:n h:n wall:c=#e8dcc4 roof:c=#5a5e6e seed:n=1"}, PaintCmdHouse},
    {{"building", "x:n y:n w:n h:n colour:c=#c8c0b4 rows:n=4 cols:n=6 seed:n=1"}, PaintCmdBuilding},
    {{"school", "x:n y:n w:n h:n colour:c=#ece4d4 floors:n=3 seed:n=1"}, PaintCmdSchool},
    {{"fence", "x0:n x1:n y:n h:n colour:c=#8a6a4a gap:n=18"}, PaintCmdFence},
    {{"rail", "x0:n x1:n y:n h:n colour:c=#7a8088 gap:n=24"}, PaintCmdRail},
    {{"pole", "x:n y:n height:n=200 wire:n=1"}, PaintCmdPole},
    {{"torii", "x:n y:n w:n h:n colour:c=#d8452e"}, PaintCmdTorii},
    {{"shrine", "x:n y:n w:n h:n colour:c=#8a5a3a"}, PaintCmdShrine},
    {{"bench", "x:n y:n w:n colour:c=#9a6a40"}, PaintCmdBench},
    {{"petals", "count:n x0:n y0:n x1:n y1:n seed:n=1"}, PaintCmdPetals},
    {{"text",
      "x:n y:n size:n colour:c text:w font:w=mincho ink:c=#000000 inkwidth:n=0 align:w=left "
      "spacing:n=0"},
     PaintCmdText},
    {{"grass", "count:n x0:n y0:n x1:n y1:n colour:c=#5a8a3a seed:n=1"}, PaintCmdGrass},
    {{"ferris", "x:n y:n r:n"}, PaintCmdFerris},
    {{"train", "x:n y:n w:n colour:c=#e8e8e0 stripe:c=#3a8a5a"}, PaintCmdTrain},
    {{"stall", "x:n y:n w:n colour:c=#d84a4a"}, PaintCmdStall},
    // Rooms (paint_indoor.cpp).
    {{"floor", "x0:n y0:n x1:n y1:n colour:c=#b07a4a vx:n=320 boards:n=10"}, PaintCmdFloor},
    {{"window", "x:n y:n w:n h:n frame:c=#f0ece4 panes:n=2 seed:n=1"}, PaintCmdWindow},
    {{"curtain", "x:n y:n w:n h:n colour:c=#e8c8a0"}, PaintCmdCurtain},
    {{"shelf", "x:n y:n w:n h:n colour:c=#8a5a34 rows:n=4 seed:n=1"}, PaintCmdShelf},
    {{"desk", "x:n y:n w:n h:n colour:c=#c89a64"}, PaintCmdDesk},
    {{"chair", "x:n y:n size:n colour:c=#a87a4a"}, PaintCmdChair},
    {{"bed", "x:n y:n w:n h:n colour:c=#f0f0f8 blanket:c=#7aa0d8"}, PaintCmdBed},
    {{"board", "x:n y:n w:n h:n seed:n=1"}, PaintCmdBoard},
    {{"door", "x:n y:n w:n h:n colour:c=#b08454 glass:n=0"}, PaintCmdDoor},
    {{"ceilinglight", "x:n y:n w:n on:n=0"}, PaintCmdCeilingLight},
    {{"pendant", "x:n y:n size:n colour:c=#f0e0b0 drop:n=60"}, PaintCmdPendant},
    {{"plant", "x:n y:n size:n pot:c=#c86a4a"}, PaintCmdPlant},
    {{"frame", "x:n y:n w:n h:n colour:c=#8a6a40 seed:n=1"}, PaintCmdFrame},
    {{"counter", "x:n y:n w:n h:n colour:c=#a06a3a top:c=#d8b890"}, PaintCmdCounter},
};

constexpr size_t kSceneCommandCount = std::size(kSceneCommands);

}  // namespace

// [SECTION] Light

// A daylight colour under the scene's light (indoor, outdoor or bright).
PaintRgb PaintSceneLit(const PaintSceneState& scene, PaintRgb albedo) {
  if (scene.bright && scene.indoor) return ApplyGrade(kIndoorLight[0], albedo);
  const Grade* table = scene.indoor ? kIndoorLight : kOutdoorLight;
  return ApplyGrade(table[MoodIndex(scene)], albedo);
}

// A character colour under a group's light, for the palette file.
PaintRgb PaintCharacterLight(PaintMood mood, PaintRgb colour) {
  return ApplyGrade(kCharacterLight[static_cast<int>(mood)], colour);
}

// The mood's sky colour at a height.
PaintRgb PaintSkyAt(const PaintSceneState& scene, float t) {
  const SkyStop* s = kSky[MoodIndex(scene)];
  t = std::clamp(t, 0.0f, 1.0f);
  for (int i = 1; i < 4; i++) {
    if (t <= s[i].t)
      return PaintMix(s[i - 1].colour, s[i].colour, (t - s[i - 1].t) / (s[i].t - s[i - 1].t));
  }
  return s[3].colour;
}

// The share of windows lit at this hour.
float PaintWindowChance(const PaintSceneState& scene) {
  switch (scene.mood) {
    case PaintMood::Evening:
      return 0.18f;
    case PaintMood::Night:
      return 0.45f;
    case PaintMood::Midnight:
      return 0.04f;
    default:
      return 0;
  }
}

// Whether a window with this random draw is lit.
bool PaintWindowsLit(const PaintSceneState& scene, float chance) {
  return chance < PaintWindowChance(scene);
}

// Street lamps burn at every hour but the day's.
bool PaintLampsOn(const PaintSceneState& scene) {
  return scene.mood != PaintMood::Day;
}

// [SECTION] Drawing helpers

// Fills with a lit colour.
void PaintSceneFill(PaintSceneState& scene, const PaintPath& path, PaintRgb albedo, float alpha) {
  PaintFillPath(*scene.canvas, path, PaintSolid(PaintSceneLit(scene, albedo), alpha));
}

void PaintSceneFillV(PaintSceneState& scene, const PaintPath& path, PaintRgb top, PaintRgb bottom,
                     float y0, float y1, float alpha) {
  PaintFillPath(*scene.canvas, path,
                PaintLinear({0, y0}, PaintSceneLit(scene, top), {0, y1},
                            PaintSceneLit(scene, bottom), alpha, alpha));
}

void PaintSceneRect(PaintSceneState& scene, float x0, float y0, float x1, float y1, PaintRgb albedo,
                    float alpha) {
  PaintPath path;
  PaintPathRect(path, x0, y0, x1, y1);
  PaintSceneFill(scene, path, albedo, alpha);
}

// Fills with a light's own colour.
void PaintSceneEmit(PaintSceneState& scene, const PaintPath& path, PaintRgb colour, float alpha) {
  PaintFillPath(*scene.canvas, path, PaintSolid(colour, alpha));
}

void PaintSceneGlow(PaintSceneState& scene, float x, float y, float rx, float ry, PaintRgb colour,
                    float strength) {
  PaintGlow(*scene.canvas, x, y, rx, ry, colour, strength);
}

void PaintSceneSky(PaintSceneState& scene, float x0, float y0, float x1, float y1, float horizon,
                   uint32_t seed, bool clouds) {
  PaintPath rect;
  PaintPathRect(rect, x0, y0, x1, y1);
  PaintFill fill = PaintLinear({0, y0}, PaintSkyAt(scene, 0), {0, horizon}, PaintSkyAt(scene, 1));
  fill.count = 0;
  const SkyStop* s = kSky[MoodIndex(scene)];
  for (int i = 0; i < 4; i++) PaintFillStop(fill, s[i].t, s[i].colour);
  PaintFillPath(*scene.canvas, rect, fill);
  if (!clouds) return;
  // A window's view: a few small clouds, or the moon and some stars.
  PaintRandom random = PaintRandomMake(seed + 3);
  const float w = x1 - x0, h = y1 - y0;
  if (IsNight(scene)) {
    PaintPath stars;
    for (int i = 0; i < static_cast<int>(w * h / 1400); i++) {
      PaintPathEllipse(stars, PaintRandomRange(random, x0, x1),
                       PaintRandomRange(random, y0, y0 + h * 0.7f), 0.7f, 0.7f);
    }
    PaintFillPath(*scene.canvas, stars, PaintSolid({0.9f, 0.92f, 1.0f}, 0.7f));
    return;
  }
  const CloudLook& look = kClouds[MoodIndex(scene)];
  PaintPath puffs;
  const int n = scene.mood == PaintMood::Rain ? 8 : 3;
  for (int i = 0; i < n; i++) {
    const float cx = PaintRandomRange(random, x0, x1),
                cy = PaintRandomRange(random, y0 + h * 0.1f, y0 + h * 0.6f);
    const float r =
        w * PaintRandomRange(random, 0.06f, 0.12f) * (scene.mood == PaintMood::Rain ? 2 : 1);
    PaintPathEllipse(puffs, cx, cy, r * 1.6f, r * 0.6f);
    PaintPathEllipse(puffs, cx - r * 0.5f, cy - r * 0.3f, r * 0.7f, r * 0.6f);
    PaintPathEllipse(puffs, cx + r * 0.4f, cy - r * 0.35f, r * 0.8f, r * 0.7f);
  }
  PaintFillPath(
      *scene.canvas, puffs,
      PaintLinear({0, y0}, look.top, {0, y0 + h * 0.7f}, look.bottom, look.alpha, look.alpha),
      PaintBlend::Over, 1, &rect);
}

// [SECTION] Entry points

// The command table of place recipes, built once from the handler table.
std::span<const PaintCommandSpec> PaintSceneSpecs() {
  static const std::vector<PaintCommandSpec> specs = [] {
    std::vector<PaintCommandSpec> out;
    for (const PaintSceneCommand& command : kSceneCommands) out.push_back(command.spec);
    return out;
  }();
  return specs;
}

bool PaintSceneStep(PaintSceneState& scene, const PaintCommand& command, std::string& error) {
  if (command.spec < 0 || static_cast<size_t>(command.spec) >= kSceneCommandCount) {
    error = "line " + std::to_string(command.line) + ": not a place command";
    return false;
  }
  if (!(command.moods & (1u << static_cast<int>(scene.mood)))) return true;
  std::string why;
  if (!kSceneCommands[command.spec].handler(scene, command, why)) {
    error = "line " + std::to_string(command.line) + ": " + why;
    return false;
  }
  return true;
}

bool PaintScene(const PaintRecipe& recipe, PaintMood mood, PaintCanvas& canvas,
                std::string& error) {
  canvas = PaintCanvasMake(640, 480, {0, 0, 0}, 1);
  PaintSceneState scene;
  scene.canvas = &canvas;
  scene.mood = mood;
  for (const PaintCommand& command : recipe.commands) {
    if (!PaintSceneStep(scene, command, error)) return false;
  }
  return true;
}
