// Outdoor things of place recipes: trees and cherry trees, lamps and paper lanterns, houses,
// buildings and the school, fences, the shrine, and the town's odds and ends.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "demo/gen/paint/paint_local.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr PaintRgb kWarmLight = {1.0f, 0.82f, 0.50f};
constexpr PaintRgb kBark = {0.40f, 0.29f, 0.22f};

// A tapering trunk from (x, y) up to `top`, with darker right side.
void Trunk(PaintSceneState& scene, float x, float y, float top, float w, PaintRgb bark) {
  PaintPath path;
  const PaintPoint trunk[] = {{x - w, y}, {x - w * 0.55f, top}, {x + w * 0.55f, top}, {x + w, y}};
  PaintPathPolygon(path, trunk);
  PaintSceneFill(scene, path, bark);
  PaintPath side;
  const PaintPoint right[] = {
      {x + w * 0.2f, y}, {x + w * 0.15f, top}, {x + w * 0.55f, top}, {x + w, y}};
  PaintPathPolygon(side, right);
  PaintSceneFill(scene, side, PaintScale(bark, 0.72f));
}

// A crown of puffs: a shaded union, then lighter puffs up and to the left.
void Crown(PaintSceneState& scene, PaintRandom& random, float cx, float cy, float r, float squash,
           PaintRgb light, PaintRgb dark, PaintRgb shine, int puffs, float alpha = 1) {
  PaintPath path;
  for (int i = 0; i < puffs; i++) {
    const float a = PaintRandomRange(random, 0, 2 * kPi),
                d = r * 0.55f * std::sqrt(PaintRandomUnit(random));
    const float pr = r * PaintRandomRange(random, 0.38f, 0.55f);
    PaintPathEllipse(path, cx + d * std::cos(a), cy + d * std::sin(a) * squash, pr, pr * 0.9f);
  }
  PaintFillPath(
      *scene.canvas, path,
      PaintLinear({cx - r * 0.5f, cy - r * squash}, PaintSceneLit(scene, light),
                  {cx + r * 0.4f, cy + r * squash}, PaintSceneLit(scene, dark), alpha, alpha));
  PaintPath hi;
  for (int i = 0; i < puffs / 2; i++) {
    const float a = PaintRandomRange(random, kPi * 0.9f, kPi * 1.6f),
                d = r * PaintRandomRange(random, 0.15f, 0.5f);
    const float pr = r * PaintRandomRange(random, 0.16f, 0.28f);
    PaintPathEllipse(hi, cx + d * std::cos(a), cy + d * std::sin(a) * squash, pr, pr * 0.85f);
  }
  PaintSceneFill(scene, hi, shine, 0.55f * alpha);
}

// A ground shadow under a thing standing at (x, y).
void GroundShadow(PaintSceneState& scene, float x, float y, float rx, float ry) {
  PaintPath path;
  PaintPathEllipse(path, x, y, rx, ry);
  PaintSceneFill(scene, path, {0.12f, 0.14f, 0.10f}, 0.22f);
}

// A glass pane: lit warm when its window is lit, else a cool reflection of the sky.
void Pane(PaintSceneState& scene, float x0, float y0, float x1, float y1, bool lit) {
  PaintPath pane;
  PaintPathRect(pane, x0, y0, x1, y1);
  if (lit) {
    PaintFillPath(*scene.canvas, pane,
                  PaintLinear({0, y0}, {1.0f, 0.90f, 0.62f}, {0, y1}, {1.0f, 0.72f, 0.40f}));
    PaintSceneGlow(scene, (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) * 1.3f, (y1 - y0) * 1.3f,
                   kWarmLight, 0.25f);
  } else {
    PaintSceneFillV(scene, pane, {0.62f, 0.74f, 0.86f}, {0.36f, 0.44f, 0.56f}, y0, y1);
    PaintPath shine;
    const PaintPoint s[] = {{x0 + (x1 - x0) * 0.15f, y1},
                            {x0 + (x1 - x0) * 0.55f, y0},
                            {x0 + (x1 - x0) * 0.75f, y0},
                            {x0 + (x1 - x0) * 0.35f, y1}};
    PaintPathPolygon(shine, s);
    PaintSceneFill(scene, shine, {0.9f, 0.95f, 1.0f}, 0.25f);
  }
}

}  // namespace

// tree x:n y:n size:n colour:c seed:n
bool PaintCmdTree(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), s = PaintNum(c, 2);
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 4)) * 13 + 5);
  const PaintRgb leaf = PaintCol(c, 3);
  GroundShadow(scene, x, y, s * 0.32f, s * 0.05f);
  Trunk(scene, x, y, y - s * 0.6f, s * 0.06f, kBark);
  Crown(scene, random, x, y - s * 0.72f, s * 0.40f, 0.85f, PaintScale(leaf, 1.2f),
        PaintScale(leaf, 0.62f), PaintMix(leaf, {1.0f, 1.0f, 0.7f}, 0.35f), 12);
  return true;
}

// cherry x:n y:n size:n stage:w seed:n   stage: buds, bloom, falling, green
bool PaintCmdCherry(PaintSceneState& scene, const PaintCommand& c, std::string& error) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), s = PaintNum(c, 2);
  const std::string& stage = PaintWord(c, 3);
  if (stage != "buds" && stage != "bloom" && stage != "falling" && stage != "green") {
    error = "cherry: 'stage' is buds, bloom, falling or green, not '" + stage + "'";
    return false;
  }
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 4)) * 17 + 3);
  const PaintRgb bark = {0.30f, 0.22f, 0.22f};
  GroundShadow(scene, x, y, s * 0.4f, s * 0.05f);
  const float top = y - s * 0.45f;
  Trunk(scene, x, y, top, s * 0.07f, bark);
  // Branches spread up and out from the top of the trunk.
  std::vector<PaintPoint> tips;
  PaintPath branches;
  const int count = 5;
  for (int i = 0; i < count; i++) {
    const float a = kPi * (1.12f + 0.76f * i / (count - 1)) + PaintRandomRange(random, -0.1f, 0.1f);
    const float len = s * PaintRandomRange(random, 0.38f, 0.55f);
    const PaintPoint end = {x + std::cos(a) * len, top + std::sin(a) * len * 0.7f};
    const PaintPoint mid = {x + std::cos(a) * len * 0.5f + PaintRandomRange(random, -8, 8),
                            top + std::sin(a) * len * 0.25f};
    const std::vector<PaintPoint> line = PaintCubicPoints({x, top + 4}, mid, mid, end, 8);
    PaintPathTaper(branches, line, s * 0.05f, s * 0.012f);
    tips.push_back(end);
    if (stage == "buds") {  // bare twigs
      for (int k = 0; k < 3; k++) {
        const float b = a + PaintRandomRange(random, -0.6f, 0.6f);
        const PaintPoint from = {(mid.x + end.x) / 2, (mid.y + end.y) / 2};
        const PaintPoint twig[] = {
            from, {from.x + std::cos(b) * len * 0.4f, from.y + std::sin(b) * len * 0.3f}};
        PaintPathTaper(branches, twig, s * 0.012f, s * 0.004f);
        tips.push_back(twig[1]);
      }
    }
  }
  PaintSceneFill(scene, branches, bark);
  const float cy = top - s * 0.22f;
  if (stage == "buds") {
    PaintPath buds;
    for (const PaintPoint& tip : tips) {
      for (int k = 0; k < 5; k++) {
        PaintPathEllipse(buds, tip.x + PaintRandomRange(random, -10, 10),
                         tip.y + PaintRandomRange(random, -8, 8), 1.8f, 1.8f);
      }
    }
    PaintSceneFill(scene, buds, {0.85f, 0.45f, 0.55f});
    return true;
  }
  const PaintRgb pink = {0.99f, 0.78f, 0.85f}, deep = {0.90f, 0.56f, 0.68f},
                 pale = {1.0f, 0.93f, 0.95f};
  const PaintRgb green = {0.50f, 0.74f, 0.36f}, darkGreen = {0.26f, 0.48f, 0.22f};
  if (stage == "green") {
    Crown(scene, random, x, cy, s * 0.55f, 0.6f, PaintScale(green, 1.15f), darkGreen,
          {0.8f, 0.95f, 0.6f}, 16);
    return true;
  }
  Crown(scene, random, x, cy, s * 0.55f, 0.6f, pink, deep, pale, 16,
        stage == "falling" ? 0.85f : 1.0f);
  if (stage == "falling") {
    for (int k = 0; k < 5; k++) {
      const float a = PaintRandomRange(random, 0, 2 * kPi), d = s * 0.3f * PaintRandomUnit(random);
      PaintRandom leaves = PaintRandomMake(static_cast<uint64_t>(k) + 77);
      Crown(scene, leaves, x + std::cos(a) * d, cy + std::sin(a) * d * 0.6f, s * 0.16f, 0.7f, green,
            darkGreen, {0.8f, 0.95f, 0.6f}, 5);
    }
  }
  // Blossom spilling out along the rim.
  PaintPath specks;
  for (int k = 0; k < 60; k++) {
    const float a = PaintRandomRange(random, 0, 2 * kPi);
    const float d = s * 0.55f * PaintRandomRange(random, 0.75f, 1.05f);
    PaintPathEllipse(specks, x + std::cos(a) * d, cy + std::sin(a) * d * 0.6f, 2.2f, 1.6f);
  }
  PaintSceneFill(scene, specks, pale, 0.9f);
  return true;
}

// pine x:n y:n size:n colour:c
bool PaintCmdPine(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), s = PaintNum(c, 2);
  const PaintRgb colour = PaintCol(c, 3);
  Trunk(scene, x, y, y - s * 0.4f, s * 0.05f, kBark);
  for (int i = 0; i < 4; i++) {
    const float ty = y - s * (0.25f + 0.2f * i), w = s * (0.42f - 0.08f * i);
    PaintPath tier;
    const PaintPoint t[] = {{x - w, ty}, {x, ty - s * 0.34f}, {x + w, ty}};
    PaintPathPolygon(tier, t);
    PaintSceneFillV(scene, tier, PaintScale(colour, 1.15f), PaintScale(colour, 0.7f),
                    ty - s * 0.34f, ty);
  }
  return true;
}

// bush x:n y:n w:n h:n colour:c seed:n
bool PaintCmdBush(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 5)) + 41);
  const PaintRgb colour = PaintCol(c, 4);
  PaintPath path;
  const int n = std::max(3, static_cast<int>(w / (h * 0.6f)));
  for (int i = 0; i < n; i++) {
    const float u = (i + 0.5f) / n;
    const float r = h * PaintRandomRange(random, 0.5f, 0.7f);
    PaintPathEllipse(path, x - w / 2 + w * u, y - r * 0.8f, r * 1.1f, r);
  }
  PaintPathRect(path, x - w / 2, y - h * 0.5f, x + w / 2, y);
  PaintSceneFillV(scene, path, PaintScale(colour, 1.2f), PaintScale(colour, 0.6f), y - h, y);
  return true;
}

// lamp x:n y:n height:n
bool PaintCmdLamp(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), h = PaintNum(c, 2);
  const PaintRgb metal = {0.28f, 0.30f, 0.34f};
  PaintPath pole;
  PaintPathRect(pole, x - 2.5f, y - h, x + 2.5f, y);
  PaintPathRect(pole, x - 5, y - 10, x + 5, y);
  const std::vector<PaintPoint> arm = PaintCubicPoints(
      {x, y - h + 6}, {x, y - h - 14}, {x + 14, y - h - 14}, {x + 22, y - h - 6}, 10);
  PaintPathStroke(pole, arm, 3);
  PaintSceneFill(scene, pole, metal);
  PaintPath head;
  const PaintPoint hood[] = {
      {x + 12, y - h - 6}, {x + 32, y - h - 6}, {x + 28, y - h - 12}, {x + 16, y - h - 12}};
  PaintPathPolygon(head, hood);
  PaintSceneFill(scene, head, metal);
  PaintPath bulb;
  PaintPathEllipse(bulb, x + 22, y - h - 4, 7, 3.5f);
  if (PaintLampsOn(scene)) {
    PaintSceneEmit(scene, bulb, {1.0f, 0.96f, 0.85f});
    PaintSceneGlow(scene, x + 22, y - h - 2, 70, 70, {1.0f, 0.86f, 0.6f}, 0.45f);
    PaintSceneGlow(scene, x + 22, y, 80, 18, {1.0f, 0.82f, 0.55f}, 0.30f);
  } else {
    PaintSceneFill(scene, bulb, {0.92f, 0.92f, 0.88f});
  }
  return true;
}

// One paper lantern centred at (x, y); lit lanterns (evening and night, or when `always`)
// glow through their paper.
void Lantern(PaintSceneState& scene, float x, float y, float size, PaintRgb colour,
             bool always = false) {
  const bool lit = always || scene.mood == PaintMood::Evening || scene.mood == PaintMood::Night;
  PaintPath body;
  PaintPathEllipse(body, x, y, size * 0.72f, size);
  if (lit) {
    const PaintRgb glow = PaintMix(colour, {1.0f, 0.9f, 0.6f}, 0.45f);
    PaintFillPath(*scene.canvas, body,
                  PaintRadial({x, y}, size * 0.72f, size, {1.0f, 0.95f, 0.75f}, glow));
    PaintSceneGlow(scene, x, y, size * 3.2f, size * 3.2f,
                   PaintMix(colour, {1.0f, 0.8f, 0.5f}, 0.5f), 0.35f);
  } else {
    PaintFillPath(*scene.canvas, body,
                  PaintLinear({x - size, y}, PaintSceneLit(scene, PaintScale(colour, 1.1f)),
                              {x + size, y}, PaintSceneLit(scene, PaintScale(colour, 0.7f))));
  }
  PaintPath ribs;
  for (int i = -2; i <= 2; i++) {
    const float ry = y + i * size * 0.33f;
    const float half = size * 0.72f * std::sqrt(std::max(0.0f, 1 - (i * 0.33f) * (i * 0.33f)));
    const PaintPoint rib[] = {{x - half, ry}, {x + half, ry}};
    PaintPathStroke(ribs, rib, std::max(0.8f, size * 0.05f));
  }
  PaintFillPath(
      *scene.canvas, ribs,
      PaintSolid(lit ? PaintScale(colour, 0.8f) : PaintSceneLit(scene, PaintScale(colour, 0.55f)),
                 0.6f));
  PaintPath caps;
  PaintPathRect(caps, x - size * 0.38f, y - size * 1.08f, x + size * 0.38f, y - size * 0.86f);
  PaintPathRect(caps, x - size * 0.38f, y + size * 0.86f, x + size * 0.38f, y + size * 1.08f);
  PaintSceneFill(scene, caps, {0.12f, 0.1f, 0.1f});
}

// lantern x:n y:n size:n colour:c lit:n
bool PaintCmdLantern(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  Lantern(scene, PaintNum(c, 0), PaintNum(c, 1), PaintNum(c, 2), PaintCol(c, 3),
          PaintNum(c, 4) != 0);
  return true;
}

// lanterns x0:n y0:n x1:n y1:n count:n sag:n size:n colour:c
bool PaintCmdLanterns(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x0 = PaintNum(c, 0), y0 = PaintNum(c, 1), x1 = PaintNum(c, 2), y1 = PaintNum(c, 3);
  const int count = std::max(1, static_cast<int>(PaintNum(c, 4)));
  const float sag = PaintNum(c, 5), size = PaintNum(c, 6);
  const auto at = [&](float t) {
    return PaintPoint{x0 + (x1 - x0) * t, y0 + (y1 - y0) * t + sag * 4 * t * (1 - t)};
  };
  std::vector<PaintPoint> wire;
  for (int i = 0; i <= 24; i++) wire.push_back(at(i / 24.0f));
  PaintPath path;
  PaintPathStroke(path, wire, 1.2f);
  PaintSceneFill(scene, path, {0.15f, 0.12f, 0.1f});
  for (int i = 0; i < count; i++) {
    const PaintPoint p = at((i + 0.5f) / count);
    Lantern(scene, p.x, p.y + size * 1.3f, size,
            i % 3 == 2 ? PaintRgb{0.96f, 0.92f, 0.84f} : PaintCol(c, 7));
  }
  return true;
}

// house x:n y:n w:n h:n wall:c roof:c seed:n   (x is the middle, y the ground)
bool PaintCmdHouse(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 6)) + 91);
  const PaintRgb wall = PaintCol(c, 4), roof = PaintCol(c, 5);
  PaintPath body;
  PaintPathRect(body, x - w / 2, y - h, x + w / 2, y);
  PaintSceneFillV(scene, body, wall, PaintScale(wall, 0.86f), y - h, y);
  PaintSceneRect(scene, x - w / 2, y - h, x + w / 2, y - h + h * 0.12f, {0.2f, 0.18f, 0.2f}, 0.35f);
  // Windows along the front, then the door.
  const int windows = std::max(1, static_cast<int>(w / 70));
  for (int i = 0; i < windows; i++) {
    const float wx = x - w / 2 + w * (i + 0.5f) / (windows + 0.6f) + 6;
    const float wy = y - h * 0.72f;
    PaintSceneRect(scene, wx - 3, wy - 3, wx + w * 0.16f + 3, wy + h * 0.34f + 3,
                   {0.35f, 0.28f, 0.22f});
    Pane(scene, wx, wy, wx + w * 0.16f, wy + h * 0.34f,
         PaintWindowsLit(scene, PaintRandomUnit(random)));
    PaintSceneRect(scene, wx + w * 0.08f - 1, wy, wx + w * 0.08f + 1, wy + h * 0.34f,
                   {0.35f, 0.28f, 0.22f});
  }
  PaintSceneRect(scene, x + w / 2 - w * 0.2f, y - h * 0.62f, x + w / 2 - w * 0.06f, y,
                 {0.45f, 0.32f, 0.22f});
  // A tiled roof with deep eaves.
  PaintPath roofPath;
  const PaintPoint r[] = {{x - w / 2 - w * 0.09f, y - h + 2},
                          {x - w * 0.32f, y - h - h * 0.42f},
                          {x + w * 0.32f, y - h - h * 0.42f},
                          {x + w / 2 + w * 0.09f, y - h + 2}};
  PaintPathPolygon(roofPath, r);
  PaintSceneFillV(scene, roofPath, PaintScale(roof, 1.2f), PaintScale(roof, 0.75f),
                  y - h - h * 0.42f, y - h);
  PaintPath tiles;
  for (int i = 1; i < 4; i++) {
    const float t = i / 4.0f;
    const float ty = y - h - h * 0.42f + h * 0.42f * t;
    const float half = w * 0.32f + (w * 0.59f - w * 0.32f) * t;
    const PaintPoint line[] = {{x - half, ty}, {x + half, ty}};
    PaintPathStroke(tiles, line, 1.2f);
  }
  PaintSceneFill(scene, tiles, PaintScale(roof, 0.55f), 0.7f);
  PaintSceneRect(scene, x - w * 0.33f, y - h - h * 0.45f, x + w * 0.33f, y - h - h * 0.40f,
                 PaintScale(roof, 0.6f));
  return true;
}

// building x:n y:n w:n h:n colour:c rows:n cols:n seed:n   (x left, y the ground)
bool PaintCmdBuilding(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb colour = PaintCol(c, 4);
  const int rows = std::max(1, static_cast<int>(PaintNum(c, 5))),
            cols = std::max(1, static_cast<int>(PaintNum(c, 6)));
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 7)) + 19);
  PaintPath body;
  PaintPathRect(body, x, y - h, x + w, y);
  PaintFillPath(*scene.canvas, body,
                PaintLinear({x, 0}, PaintSceneLit(scene, colour), {x + w, 0},
                            PaintSceneLit(scene, PaintScale(colour, 0.8f))));
  PaintSceneRect(scene, x - 2, y - h - 4, x + w + 2, y - h + 2, PaintScale(colour, 1.1f));
  const float cw = w / cols, rh = (h - 14) / rows;
  for (int r = 0; r < rows; r++) {
    for (int k = 0; k < cols; k++) {
      const float wx = x + k * cw + cw * 0.2f, wy = y - h + 10 + r * rh + rh * 0.15f;
      Pane(scene, wx, wy, wx + cw * 0.6f, wy + rh * 0.6f,
           PaintWindowsLit(scene, PaintRandomUnit(random)));
    }
  }
  return true;
}

// school x:n y:n w:n h:n colour:c floors:n seed:n   (x left, y the ground)
bool PaintCmdSchool(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb colour = PaintCol(c, 4);
  const int floors = std::max(1, static_cast<int>(PaintNum(c, 5)));
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 6)) + 23);
  // The clock tower in the middle stands above the roof line.
  const float tx = x + w / 2, tw = w * 0.12f;
  PaintPath tower;
  PaintPathRect(tower, tx - tw / 2, y - h - h * 0.3f, tx + tw / 2, y);
  PaintSceneFill(scene, tower, PaintScale(colour, 0.95f));
  PaintSceneRect(scene, tx - tw / 2 - 3, y - h - h * 0.3f - 5, tx + tw / 2 + 3,
                 y - h - h * 0.3f + 2, PaintScale(colour, 0.8f));
  PaintPath body;
  PaintPathRect(body, x, y - h, x + w, y);
  PaintSceneFillV(scene, body, colour, PaintScale(colour, 0.88f), y - h, y);
  PaintSceneRect(scene, x - 3, y - h - 4, x + w + 3, y - h + 3, PaintScale(colour, 0.82f));
  const float fh = h / floors;
  for (int f = 0; f < floors; f++) {
    const float fy = y - h + f * fh;
    PaintSceneRect(scene, x, fy + fh - 3, x + w, fy + fh, PaintScale(colour, 0.8f));
    for (float wx = x + 8; wx + 22 < x + w - 4; wx += 30) {
      if (wx + 22 > tx - tw / 2 - 2 && wx < tx + tw / 2 + 2) continue;
      PaintSceneRect(scene, wx - 1, fy + fh * 0.2f - 1, wx + 23, fy + fh * 0.72f + 1,
                     {0.6f, 0.62f, 0.64f});
      Pane(scene, wx, fy + fh * 0.2f, wx + 22, fy + fh * 0.72f,
           PaintWindowsLit(scene, PaintRandomUnit(random) * 2.5f));
    }
  }
  PaintPath clock;
  const float cy = y - h - h * 0.12f, cr = tw * 0.32f;
  PaintPathEllipse(clock, tx, cy, cr + 2, cr + 2);
  PaintSceneFill(scene, clock, {0.3f, 0.3f, 0.32f});
  PaintPath face;
  PaintPathEllipse(face, tx, cy, cr, cr);
  PaintSceneFill(scene, face, {0.97f, 0.96f, 0.92f});
  PaintPath hands;
  const PaintPoint hour[] = {{tx, cy}, {tx + cr * 0.45f, cy - cr * 0.25f}};
  const PaintPoint minute[] = {{tx, cy}, {tx - cr * 0.1f, cy - cr * 0.75f}};
  PaintPathStroke(hands, hour, 1.6f);
  PaintPathStroke(hands, minute, 1.2f);
  PaintSceneFill(scene, hands, {0.15f, 0.15f, 0.18f});
  // The entrance under the tower.
  PaintSceneRect(scene, tx - tw * 0.35f, y - fh * 0.8f, tx + tw * 0.35f, y, {0.42f, 0.46f, 0.5f});
  Pane(scene, tx - tw * 0.3f, y - fh * 0.75f, tx + tw * 0.3f, y - 2,
       PaintLampsOn(scene) && scene.mood != PaintMood::Midnight);
  return true;
}

// fence x0:n x1:n y:n h:n colour:c gap:n   (y the ground)
bool PaintCmdFence(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x0 = PaintNum(c, 0), x1 = PaintNum(c, 1), y = PaintNum(c, 2), h = PaintNum(c, 3);
  const float gap = std::max(4.0f, PaintNum(c, 5));
  const PaintRgb colour = PaintCol(c, 4);
  PaintPath posts;
  for (float x = x0; x <= x1; x += gap) PaintPathRect(posts, x - 2.5f, y - h, x + 2.5f, y);
  PaintPathRect(posts, x0, y - h * 0.85f, x1, y - h * 0.72f);
  PaintPathRect(posts, x0, y - h * 0.42f, x1, y - h * 0.30f);
  PaintSceneFillV(scene, posts, PaintScale(colour, 1.1f), PaintScale(colour, 0.7f), y - h, y);
  return true;
}

// rail x0:n x1:n y:n h:n colour:c gap:n   (a metal railing, y the ground)
bool PaintCmdRail(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x0 = PaintNum(c, 0), x1 = PaintNum(c, 1), y = PaintNum(c, 2), h = PaintNum(c, 3);
  const float gap = std::max(6.0f, PaintNum(c, 5));
  PaintPath bars;
  PaintPathRect(bars, x0, y - h, x1, y - h + 4);
  PaintPathRect(bars, x0, y - h * 0.2f, x1, y - h * 0.2f + 2);
  for (float x = x0; x <= x1; x += gap / 3)
    PaintPathRect(bars, x - 0.8f, y - h, x + 0.8f, y - h * 0.2f);
  for (float x = x0; x <= x1; x += gap) PaintPathRect(bars, x - 2, y - h, x + 2, y);
  PaintSceneFill(scene, bars, PaintCol(c, 4));
  return true;
}

// pole x:n y:n height:n wire:n   (a utility pole; wire 1 draws its wires off to the side)
bool PaintCmdPole(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), h = PaintNum(c, 2);
  PaintPath path;
  const PaintPoint pole[] = {{x - 4, y}, {x - 2.5f, y - h}, {x + 2.5f, y - h}, {x + 4, y}};
  PaintPathPolygon(path, pole);
  PaintPathRect(path, x - 18, y - h + 12, x + 18, y - h + 16);
  PaintSceneFill(scene, path, {0.55f, 0.55f, 0.54f});
  if (PaintNum(c, 3) == 0) return true;
  PaintPath wires;
  for (int i = 0; i < 3; i++) {
    const float wx = x - 15 + i * 15;
    const float dir = x < 320 ? 1.0f : -1.0f;
    const float end = dir > 0 ? 660.0f : -20.0f;
    const std::vector<PaintPoint> line =
        PaintCubicPoints({wx, y - h + 12}, {wx + (end - wx) * 0.3f, y - h + 40},
                         {wx + (end - wx) * 0.7f, y - h + 40}, {end, y - h + 6 + i * 3.0f}, 20);
    PaintPathStroke(wires, line, 1.0f);
  }
  PaintSceneFill(scene, wires, {0.15f, 0.15f, 0.16f}, 0.85f);
  return true;
}

// torii x:n y:n w:n h:n colour:c   (x the middle, y the ground)
bool PaintCmdTorii(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb red = PaintCol(c, 4);
  const float pw = w * 0.07f;
  PaintPath pillars;
  for (int side = -1; side <= 1; side += 2) {
    const float px = x + side * w * 0.36f;
    const PaintPoint p[] = {{px - pw / 2 + side * 3, y},
                            {px - pw / 2 + side * 0.5f - side * 2, y - h * 0.92f},
                            {px + pw / 2 - side * 2, y - h * 0.92f},
                            {px + pw / 2 + side * 3, y}};
    PaintPathPolygon(pillars, p);
  }
  PaintPathRect(pillars, x - w * 0.46f, y - h * 0.72f, x + w * 0.46f, y - h * 0.66f);
  PaintPathRect(pillars, x - pw * 0.4f, y - h * 0.86f, x + pw * 0.4f, y - h * 0.7f);
  PaintSceneFillV(scene, pillars, red, PaintScale(red, 0.7f), y - h, y);
  PaintPath beam;
  PaintPathMove(beam, x - w * 0.56f, y - h * 1.0f);
  PaintPathQuad(beam, {x, y - h * 0.9f}, {x + w * 0.56f, y - h * 1.0f});
  PaintPathLine(beam, x + w * 0.5f, y - h * 0.88f);
  PaintPathQuad(beam, {x, y - h * 0.82f}, {x - w * 0.5f, y - h * 0.88f});
  PaintPathClose(beam);
  PaintSceneFill(scene, beam, {0.16f, 0.13f, 0.13f});
  PaintSceneRect(scene, x - w * 0.48f, y - h * 0.88f, x + w * 0.48f, y - h * 0.82f, red);
  PaintSceneRect(scene, x - pw * 0.7f, y - h * 0.84f, x + pw * 0.7f, y - h * 0.74f,
                 {0.16f, 0.13f, 0.13f});
  return true;
}

// shrine x:n y:n w:n h:n colour:c   (x the middle, y the ground)
bool PaintCmdShrine(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb wood = PaintCol(c, 4);
  PaintSceneRect(scene, x - w * 0.55f, y - h * 0.08f, x + w * 0.55f, y, {0.62f, 0.6f, 0.56f});
  PaintPath body;
  PaintPathRect(body, x - w * 0.42f, y - h * 0.55f, x + w * 0.42f, y - h * 0.08f);
  PaintSceneFillV(scene, body, wood, PaintScale(wood, 0.7f), y - h * 0.55f, y);
  // Lattice doors.
  PaintPath lattice;
  for (float lx = x - w * 0.3f; lx <= x + w * 0.3f; lx += w * 0.05f) {
    PaintPathRect(lattice, lx - 0.8f, y - h * 0.48f, lx + 0.8f, y - h * 0.12f);
  }
  for (float ly = y - h * 0.48f; ly <= y - h * 0.12f; ly += h * 0.06f)
    PaintPathRect(lattice, x - w * 0.3f, ly - 0.8f, x + w * 0.3f, ly + 0.8f);
  PaintSceneRect(scene, x - w * 0.3f, y - h * 0.48f, x + w * 0.3f, y - h * 0.12f,
                 {0.18f, 0.12f, 0.1f});
  PaintSceneFill(scene, lattice, PaintScale(wood, 1.15f));
  // The great roof with upswept eaves.
  PaintPath roof;
  PaintPathMove(roof, x - w * 0.62f, y - h * 0.5f);
  PaintPathQuad(roof, {x - w * 0.45f, y - h * 0.58f}, {x - w * 0.3f, y - h * 0.9f});
  PaintPathLine(roof, x + w * 0.3f, y - h * 0.9f);
  PaintPathQuad(roof, {x + w * 0.45f, y - h * 0.58f}, {x + w * 0.62f, y - h * 0.5f});
  PaintPathLine(roof, x + w * 0.5f, y - h * 0.55f);
  PaintPathLine(roof, x - w * 0.5f, y - h * 0.55f);
  PaintPathClose(roof);
  PaintSceneFillV(scene, roof, {0.36f, 0.40f, 0.38f}, {0.18f, 0.2f, 0.2f}, y - h * 0.9f,
                  y - h * 0.5f);
  PaintSceneRect(scene, x - w * 0.32f, y - h * 0.94f, x + w * 0.32f, y - h * 0.89f,
                 {0.2f, 0.22f, 0.22f});
  // The sacred rope with its paper streamers, and the bell rope.
  PaintPath rope;
  const std::vector<PaintPoint> sag =
      PaintCubicPoints({x - w * 0.4f, y - h * 0.55f}, {x - w * 0.2f, y - h * 0.48f},
                       {x + w * 0.2f, y - h * 0.48f}, {x + w * 0.4f, y - h * 0.55f}, 16);
  PaintPathStroke(rope, sag, std::max(2.0f, h * 0.025f));
  PaintPathRect(rope, x - 1.5f, y - h * 0.5f, x + 1.5f, y - h * 0.2f);
  PaintSceneFill(scene, rope, {0.86f, 0.78f, 0.56f});
  PaintPath paper;
  for (int i = -2; i <= 2; i++) {
    const float px = x + i * w * 0.14f;
    const PaintPoint zig[] = {{px - 3, y - h * 0.5f},  {px + 3, y - h * 0.5f},
                              {px + 3, y - h * 0.44f}, {px - 1, y - h * 0.44f},
                              {px - 1, y - h * 0.4f},  {px - 3, y - h * 0.4f}};
    PaintPathPolygon(paper, zig);
  }
  PaintSceneFill(scene, paper, {0.98f, 0.98f, 0.96f});
  PaintSceneRect(scene, x - w * 0.12f, y - h * 0.2f, x + w * 0.12f, y - h * 0.08f,
                 {0.42f, 0.28f, 0.18f});
  return true;
}

// bench x:n y:n w:n colour:c   (x left, y the ground)
bool PaintCmdBench(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2);
  const PaintRgb wood = PaintCol(c, 3);
  PaintPath legs;
  PaintPathRect(legs, x + w * 0.08f, y - 26, x + w * 0.12f, y);
  PaintPathRect(legs, x + w * 0.88f, y - 26, x + w * 0.92f, y);
  PaintPathRect(legs, x + w * 0.1f, y - 58, x + w * 0.13f, y - 26);
  PaintPathRect(legs, x + w * 0.87f, y - 58, x + w * 0.9f, y - 26);
  PaintSceneFill(scene, legs, {0.25f, 0.25f, 0.27f});
  PaintPath slats;
  PaintPathRect(slats, x, y - 30, x + w, y - 25, 1.5f);
  PaintPathRect(slats, x + 2, y - 36, x + w - 2, y - 31, 1.5f);
  PaintPathRect(slats, x + 4, y - 56, x + w - 4, y - 50, 1.5f);
  PaintPathRect(slats, x + 4, y - 47, x + w - 4, y - 41, 1.5f);
  PaintSceneFill(scene, slats, wood);
  GroundShadow(scene, x + w / 2, y, w * 0.55f, 5);
  return true;
}

// petals count:n x0:n y0:n x1:n y1:n seed:n
bool PaintCmdPetals(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 5)) + 61);
  PaintPath pale, pink;
  for (int i = 0; i < static_cast<int>(PaintNum(c, 0)); i++) {
    const float x = PaintRandomRange(random, PaintNum(c, 1), PaintNum(c, 3));
    const float y = PaintRandomRange(random, PaintNum(c, 2), PaintNum(c, 4));
    const float s = PaintRandomRange(random, 1.6f, 3.2f);
    PaintPathEllipse(PaintRandomUnit(random) < 0.5f ? pale : pink, x, y, s, s * 0.6f,
                     PaintRandomRange(random, 0, kPi));
  }
  PaintSceneFill(scene, pale, {1.0f, 0.92f, 0.94f}, 0.95f);
  PaintSceneFill(scene, pink, {0.97f, 0.72f, 0.80f}, 0.95f);
  return true;
}

// grass count:n x0:n y0:n x1:n y1:n colour:c seed:n
bool PaintCmdGrass(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 6)) + 71);
  const PaintRgb colour = PaintCol(c, 5);
  PaintPath dark, light;
  for (int i = 0; i < static_cast<int>(PaintNum(c, 0)); i++) {
    const float x = PaintRandomRange(random, PaintNum(c, 1), PaintNum(c, 3));
    const float y = PaintRandomRange(random, PaintNum(c, 2), PaintNum(c, 4));
    const float h = PaintRandomRange(random, 6, 14) *
                    (0.5f + (y - PaintNum(c, 2)) / std::max(1.0f, PaintNum(c, 4) - PaintNum(c, 2)));
    for (int b = 0; b < 3; b++) {
      const float lean = (b - 1) * 0.5f + PaintRandomRange(random, -0.2f, 0.2f);
      const PaintPoint blade[] = {{x + b * 1.5f, y},
                                  {x + b * 1.5f + lean * h * 0.5f, y - h * 0.6f},
                                  {x + b * 1.5f + lean * h, y - h}};
      PaintPathTaper(b == 1 ? light : dark, blade, 1.8f, 0.3f);
    }
  }
  PaintSceneFill(scene, dark, PaintScale(colour, 0.75f));
  PaintSceneFill(scene, light, PaintScale(colour, 1.15f));
  return true;
}

// ferris x:n y:n r:n   (x, y the hub)
bool PaintCmdFerris(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), r = PaintNum(c, 2);
  const PaintRgb steel = {0.88f, 0.88f, 0.9f};
  PaintPath frame;
  const PaintPoint legA[] = {{x, y}, {x - r * 0.55f, y + r * 1.25f}};
  const PaintPoint legB[] = {{x, y}, {x + r * 0.55f, y + r * 1.25f}};
  PaintPathStroke(frame, legA, 5);
  PaintPathStroke(frame, legB, 5);
  PaintSceneFill(scene, frame, PaintScale(steel, 0.8f));
  PaintPath wheel;
  PaintPathEllipse(wheel, x, y, r, r);
  PaintPathEllipse(wheel, x, y, r - 3, r - 3, 0, true);
  PaintPathEllipse(wheel, x, y, r * 0.62f, r * 0.62f);
  PaintPathEllipse(wheel, x, y, r * 0.62f - 2, r * 0.62f - 2, 0, true);
  for (int i = 0; i < 16; i++) {
    const float a = 2 * kPi * i / 16;
    const PaintPoint spoke[] = {{x, y}, {x + std::cos(a) * r, y + std::sin(a) * r}};
    PaintPathStroke(wheel, spoke, 1.2f);
  }
  PaintSceneFill(scene, wheel, steel);
  constexpr PaintRgb kCars[] = {
      {0.92f, 0.36f, 0.36f}, {0.98f, 0.78f, 0.3f}, {0.4f, 0.7f, 0.9f}, {0.5f, 0.8f, 0.5f}};
  const bool lit = scene.mood == PaintMood::Evening || scene.mood == PaintMood::Night;
  for (int i = 0; i < 12; i++) {
    const float a = 2 * kPi * i / 12;
    const float gx = x + std::cos(a) * r, gy = y + std::sin(a) * r;
    PaintPath car;
    PaintPathRect(car, gx - r * 0.07f, gy, gx + r * 0.07f, gy + r * 0.13f, r * 0.03f);
    PaintSceneFill(scene, car, kCars[i % 4]);
    if (lit) {
      PaintPath light;
      PaintPathEllipse(light, gx, gy, 2, 2);
      PaintSceneEmit(scene, light, PaintMix(kCars[(i + 1) % 4], {1, 1, 1}, 0.5f));
      PaintSceneGlow(scene, gx, gy, 12, 12, kCars[(i + 1) % 4], 0.5f);
    }
  }
  PaintPath hub;
  PaintPathEllipse(hub, x, y, r * 0.08f, r * 0.08f);
  PaintSceneFill(scene, hub, PaintScale(steel, 0.6f));
  return true;
}

// train x:n y:n w:n colour:c stripe:c   (x left, y the rails)
bool PaintCmdTrain(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2);
  const PaintRgb body = PaintCol(c, 3), stripe = PaintCol(c, 4);
  const float h = 92;
  PaintSceneRect(scene, x, y - 14, x + w, y, {0.2f, 0.2f, 0.22f});
  PaintPath car;
  PaintPathRect(car, x, y - h, x + w, y - 12, 8);
  PaintSceneFillV(scene, car, body, PaintScale(body, 0.82f), y - h, y);
  PaintSceneRect(scene, x, y - 34, x + w, y - 26, stripe);
  const bool lit = PaintLampsOn(scene) && scene.mood != PaintMood::Midnight;
  for (float wx = x + 14; wx + 34 < x + w; wx += 52) {
    PaintSceneRect(scene, wx - 2, y - h + 14, wx + 36, y - 44, PaintScale(body, 0.6f));
    Pane(scene, wx, y - h + 16, wx + 34, y - 46, lit);
  }
  PaintPath wheels;
  for (float wx = x + 30; wx < x + w - 20; wx += w / 4) {
    PaintPathEllipse(wheels, wx, y - 6, 8, 8);
    PaintPathEllipse(wheels, wx + 22, y - 6, 8, 8);
  }
  PaintSceneFill(scene, wheels, {0.12f, 0.12f, 0.13f});
  return true;
}

// stall x:n y:n w:n colour:c   (a festival stall; x left, y the ground)
bool PaintCmdStall(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2);
  const PaintRgb colour = PaintCol(c, 3);
  const float h = w * 0.9f;
  const bool lit = scene.mood == PaintMood::Evening || scene.mood == PaintMood::Night;
  PaintPath back;
  PaintPathRect(back, x + 4, y - h * 0.78f, x + w - 4, y - h * 0.35f);
  if (lit) {
    PaintSceneEmit(scene, back, {0.98f, 0.78f, 0.45f});
    PaintSceneGlow(scene, x + w / 2, y - h * 0.5f, w * 0.9f, h * 0.6f, kWarmLight, 0.35f);
  } else {
    PaintSceneFill(scene, back, {0.55f, 0.42f, 0.32f});
  }
  PaintPath posts;
  PaintPathRect(posts, x, y - h * 0.8f, x + 5, y);
  PaintPathRect(posts, x + w - 5, y - h * 0.8f, x + w, y);
  PaintSceneFill(scene, posts, {0.45f, 0.32f, 0.2f});
  PaintPath counter;
  PaintPathRect(counter, x - 2, y - h * 0.36f, x + w + 2, y);
  PaintSceneFillV(scene, counter, {0.82f, 0.68f, 0.5f}, {0.6f, 0.46f, 0.32f}, y - h * 0.36f, y);
  // A striped awning with a scalloped edge.
  const int stripes = 7;
  for (int i = 0; i < stripes; i++) {
    const float sx = x - 8 + (w + 16) * i / stripes, ex = x - 8 + (w + 16) * (i + 1) / stripes;
    PaintPath s;
    PaintPathMove(s, sx + 6, y - h);
    PaintPathLine(s, ex + 6, y - h);
    PaintPathLine(s, ex, y - h * 0.8f);
    PaintPathQuad(s, {(sx + ex) / 2, y - h * 0.72f}, {sx, y - h * 0.8f});
    PaintPathClose(s);
    PaintSceneFill(scene, s, i % 2 ? PaintRgb{0.97f, 0.95f, 0.92f} : colour);
  }
  Lantern(scene, x + 10, y - h * 0.7f, 7, {0.9f, 0.3f, 0.25f});
  Lantern(scene, x + w - 10, y - h * 0.7f, 7, {0.9f, 0.3f, 0.25f});
  return true;
}
