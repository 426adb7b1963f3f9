// Heads of the character painter: face, eyes, brows and mouth for each expression, and the hair
// (back mass, tails and braid, the cap, the fringe and the side locks).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "demo/gen/paint/paint_figure_local.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

enum class Mouth : uint8_t {
  Neutral,
  Smile,
  Open,
  Laugh,
  Frown,
  Shout,
  Oh,
  Wavy,
  Flat,
  Pout,
  Small
};
enum class Closed : uint8_t { No, Happy, Relaxed };

// What an expression does to the eyes, brows and mouth.
struct Expression {
  const char* name;
  float open;       // eye opening, 1 normal
  Closed closed;    // closed eyes and their curve
  float iris;       // iris size, 1 normal
  float lid;        // upper lid slant: + angry (inner end low), - sad
  float browTilt;   // + inner ends down (angry), - inner ends up (sad, worried)
  float browRaise;  // + higher
  Mouth mouth;
  float lookX, lookY;
  int blush;
  bool wink, sweat, anger, tears;
};

constexpr Expression kExpressions[] = {
    {"neutral", 1, Closed::No, 1, 0, 0, 0, Mouth::Neutral, 0, 0, 0, false, false, false, false},
    {"smile", 0.92f, Closed::No, 1, 0, -0.2f, 1, Mouth::Smile, 0, 0, 0, false, false, false, false},
    {"grin", 0.95f, Closed::No, 1, 0, -0.3f, 2, Mouth::Open, 0, 0, 1, false, false, false, false},
    {"laugh", 0, Closed::Happy, 1, 0, -0.4f, 3, Mouth::Laugh, 0, 0, 1, false, false, false, false},
    {"sad", 0.72f, Closed::No, 1, -0.8f, -1, 0, Mouth::Frown, 0, 0.4f, 0, false, false, false,
     false},
    {"cry", 0.55f, Closed::No, 1, -0.8f, -1.2f, 1, Mouth::Shout, 0, 0.3f, 1, false, false, false,
     true},
    {"surprised", 1.15f, Closed::No, 0.72f, 0, -0.3f, 7, Mouth::Oh, 0, 0, 0, false, false, false,
     false},
    {"angry", 0.85f, Closed::No, 0.9f, 1, 1.2f, -2, Mouth::Shout, 0, 0, 0, false, false, true,
     false},
    {"shy", 0.82f, Closed::No, 1, -0.2f, -0.6f, 0, Mouth::Wavy, 0.8f, 0.3f, 2, false, false, false,
     false},
    {"think", 0.88f, Closed::No, 1, 0.2f, 0.3f, 2, Mouth::Flat, 0.6f, -0.8f, 0, false, false, false,
     false},
    {"wink", 0.95f, Closed::No, 1, 0, -0.3f, 2, Mouth::Open, 0, 0, 1, true, false, false, false},
    {"pout", 0.8f, Closed::No, 1, 0.5f, 0.8f, 0, Mouth::Pout, -0.4f, 0, 1, false, false, false,
     false},
    {"sleepy", 0.35f, Closed::No, 1, -0.2f, -0.3f, -1, Mouth::Small, 0, 0.3f, 0, false, false,
     false, false},
    {"worried", 0.9f, Closed::No, 0.95f, -0.4f, -1, 2, Mouth::Wavy, -0.3f, 0.2f, 0, false, true,
     false, false},
    {"calm", 0, Closed::Relaxed, 1, 0, -0.2f, 0, Mouth::Smile, 0, 0, 1, false, false, false, false},
};

// The expression of a face name; neutral for an unknown name.
const Expression& FindExpression(const std::string& name) {
  for (const Expression& e : kExpressions) {
    if (name == e.name) return e;
  }
  return kExpressions[0];
}

// A point relative to the middle of the face.
PaintPoint At(const PaintFrame& f, float x, float y) {
  return {f.cx + x, f.hy + y};
}

// The shadow colour of a hair colour.
PaintRgb HairShade(PaintRgb hair) {
  // Shadows in hair lean towards violet rather than grey.
  return PaintMix(PaintScale(hair, 0.68f), {0.25f, 0.2f, 0.45f}, 0.15f);
}

// [SECTION] Face

// The face from temple to chin, closed over the top of the head.
void FaceOutline(const PaintFrame& f, PaintPath& path) {
  PaintPathMove(path, f.cx - 58, f.hy - 50);
  PaintPathCubic(path, At(f, -61, 0), At(f, -55, 38), At(f, -34, 62));
  PaintPathQuad(path, At(f, -14, 80), At(f, 0, 81));
  PaintPathQuad(path, At(f, 14, 80), At(f, 34, 62));
  PaintPathCubic(path, At(f, 55, 38), At(f, 61, 0), At(f, 58, -50));
  PaintPathCubic(path, At(f, 50, -104), At(f, -50, -104), At(f, -58, -50));
  PaintPathClose(path);
}

// One eye; side -1 is on the left of the picture, +1 on the right.
void Eye(PaintFrame& f, const PaintLook& look, const Expression& e, const PaintPose& pose,
         float side) {
  const float ex = f.cx + side * 27, ey = f.hy + 16;
  const PaintRgb lash = PaintMix(PaintScale(look.hair, 0.3f), {0.12f, 0.08f, 0.1f}, 0.6f);
  const bool closed = e.closed != Closed::No || (e.wink && side > 0);
  // Shapes change the corners: narrow eyes are lower, droopy ones fall outwards, sharp rise.
  float outerY = -9, height = 1;
  if (look.eyeShape == "narrow") height = 0.8f;
  if (look.eyeShape == "droopy") outerY = -4;
  if (look.eyeShape == "sharp") outerY = -13;
  const auto P = [&](float x, float y) { return PaintPoint{ex + side * x, ey + y}; };
  if (closed) {
    const bool happy = e.closed == Closed::Happy || e.wink;
    std::vector<PaintPoint> arc =
        happy ? PaintCubicPoints(P(-15, 4), P(-8, -8), P(8, -8), P(17, 2), 12)
              : PaintCubicPoints(P(-15, 0), P(-6, 9), P(8, 9), P(17, -1), 12);
    PaintPath path;
    PaintPathTaper(path, arc, 2.2f, 3.6f);
    const PaintPoint flick[] = {arc.back(), P(22, happy ? 0 : -4)};
    PaintPathTaper(path, flick, 3.0f, 0.8f);
    PaintFillPath(*f.canvas, path, PaintSolid(lash));
    return;
  }
  const float open = e.open * height;
  // Sclera: upper and lower lid curves around a middle line at +2.
  const auto lid = [&](float x, float y, bool upper) {
    float yy = 2 + (y - 2) * open;
    if (upper) yy += e.lid * (-x) / 17 * 5;
    return P(x, yy);
  };
  std::vector<PaintPoint> upper = PaintCubicPoints(lid(-15, -4, true), lid(-8, -17, true),
                                                   lid(8, -18, true), lid(17, outerY, true), 14);
  std::vector<PaintPoint> lower = PaintCubicPoints(lid(17, outerY, false), lid(15, 9, false),
                                                   lid(6, 17, false), lid(-2, 16, false), 10);
  const std::vector<PaintPoint> inner = PaintCubicPoints(
      lid(-2, 16, false), lid(-9, 15, false), lid(-14, 8, false), lid(-15, -4, false), 6);
  PaintPath sclera;
  std::vector<PaintPoint> outline = upper;
  outline.insert(outline.end(), lower.begin() + 1, lower.end());
  outline.insert(outline.end(), inner.begin() + 1, inner.end() - 1);
  PaintPathPolygon(sclera, outline);
  PaintFillPath(*f.canvas, sclera,
                PaintLinear({ex, ey - 16}, {0.82f, 0.84f, 0.92f}, {ex, ey + 6}, {1, 1, 1}));
  // Iris, pupil and lights, inside the sclera.
  const float lookX = std::clamp(pose.lookX + e.lookX, -1.0f, 1.0f),
              lookY = std::clamp(pose.lookY + e.lookY, -1.0f, 1.0f);
  const float ix = ex + lookX * 5, iy = ey + 3 + lookY * 4;
  const float rx = 11 * e.iris, ry = 14.5f * e.iris;
  PaintPath iris;
  PaintPathEllipse(iris, ix, iy, rx, ry);
  PaintFill irisFill = PaintLinear({ix, iy - ry}, PaintScale(look.eyes, 0.42f), {ix, iy + ry},
                                   PaintMix(look.eyes, {1, 1, 1}, 0.4f));
  PaintFillStop(irisFill, 0.55f, look.eyes);
  PaintFillPath(*f.canvas, iris, irisFill, PaintBlend::Over, 1, &sclera);
  PaintStrokePath(*f.canvas, iris, 1.3f, PaintScale(look.eyes, 0.3f), 1, &sclera);
  PaintPath pupil;
  PaintPathEllipse(pupil, ix, iy + 1, rx * 0.45f, ry * 0.55f);
  PaintFillPath(*f.canvas, pupil, PaintSolid(PaintScale(look.eyes, 0.22f)), PaintBlend::Over, 1,
                &sclera);
  PaintPath lights;
  PaintPathEllipse(lights, ix - side * 0 - rx * 0.38f, iy - ry * 0.42f, rx * 0.36f, ry * 0.34f);
  PaintPathEllipse(lights, ix + rx * 0.4f, iy + ry * 0.42f, rx * 0.17f, rx * 0.17f);
  PaintFillPath(*f.canvas, lights, PaintSolid({1, 1, 1}), PaintBlend::Over, 1, &sclera);
  // Lashes: a heavy upper line with a flick at the outer corner, a light lower one.
  PaintPath lashes;
  PaintPathTaper(lashes, upper, 1.6f, 5.2f);
  const PaintPoint flick[] = {upper.back(), P(23, outerY - 4 + e.lid * -2)};
  PaintPathTaper(lashes, flick, 4.2f, 0.8f);
  PaintFillPath(*f.canvas, lashes, PaintSolid(lash));
  PaintPath low;
  const std::vector<PaintPoint> bottom(lower.begin(), lower.begin() + 6);
  PaintPathTaper(low, bottom, 1.6f, 0.4f);
  PaintFillPath(*f.canvas, low, PaintSolid(lash, 0.75f));
  PaintPath crease;
  const std::vector<PaintPoint> fold =
      PaintOffset(std::vector<PaintPoint>(upper.begin() + 7, upper.end()), 0, -5 * open);
  PaintPathTaper(crease, fold, 0.4f, 1.0f);
  PaintFillPath(*f.canvas, crease, PaintSolid(PaintInk(look.skin), 0.5f));
}

// One eyebrow, tilted and raised by the expression.
void Brow(PaintFrame& f, const PaintLook& look, const Expression& e, float side) {
  const float ex = f.cx + side * 27, ey = f.hy - 14 - e.browRaise;
  const auto P = [&](float x, float y) { return PaintPoint{ex + side * x, ey + y}; };
  const std::vector<PaintPoint> line =
      PaintCubicPoints(P(-14, e.browTilt * 6), P(-6, -4 + e.browTilt * 3), P(6, -5), P(17, 1), 10);
  PaintPath path;
  PaintPathTaper(path, line, 2.8f, 1.0f);
  PaintFillPath(*f.canvas, path,
                PaintSolid(PaintMix(PaintScale(look.hair, 0.5f), {0.2f, 0.12f, 0.12f}, 0.3f)));
}

// The mouth of an expression, below the nose.
void MouthShape(PaintFrame& f, const PaintLook& look, Mouth mouth) {
  const float mx = f.cx, my = f.hy + 56;
  const auto P = [&](float x, float y) { return PaintPoint{mx + x, my + y}; };
  const PaintRgb line = PaintMix(PaintInk(look.skin), {0.5f, 0.2f, 0.2f}, 0.4f);
  const PaintRgb inside = {0.48f, 0.16f, 0.2f}, tongue = {0.96f, 0.56f, 0.58f};
  PaintPath path;
  const auto stroke = [&](std::vector<PaintPoint> pts, float w) {
    PaintPathTaper(path, pts, w * 0.7f, w * 0.7f);
    PaintFillPath(*f.canvas, path, PaintSolid(line));
  };
  const auto open = [&](PaintPoint a, PaintPoint b, float depth, float lift) {
    PaintPath m;
    PaintPathMove(m, a.x, a.y);
    PaintPathQuad(m, {(a.x + b.x) / 2, a.y - lift}, b);
    PaintPathCubic(m, {b.x - 2, b.y + depth}, {a.x + 2, a.y + depth}, a);
    PaintPathClose(m);
    PaintFillPath(*f.canvas, m, PaintSolid(inside));
    PaintPath t;
    PaintPathEllipse(t, (a.x + b.x) / 2, a.y + depth * 0.72f, (b.x - a.x) * 0.3f, depth * 0.35f);
    PaintFillPath(*f.canvas, t, PaintSolid(tongue), PaintBlend::Over, 1, &m);
    PaintStrokePath(*f.canvas, m, 1.4f, line);
  };
  switch (mouth) {
    case Mouth::Neutral:
      stroke(PaintCubicPoints(P(-7, 0), P(-3, 2), P(3, 2), P(7, -0.5f), 8), 2.2f);
      break;
    case Mouth::Smile:
      stroke(PaintCubicPoints(P(-10, -2), P(-5, 4), P(5, 4), P(10, -2), 10), 2.4f);
      break;
    case Mouth::Open:
      open(P(-11, -1), P(11, -1), 13, -1);
      break;
    case Mouth::Laugh:
      open(P(-14, -3), P(14, -3), 18, -1);
      break;
    case Mouth::Frown:
      stroke(PaintCubicPoints(P(-8, 3), P(-3, -2), P(3, -2), P(8, 3), 8), 2.2f);
      break;
    case Mouth::Shout:
      open(P(-9, 1), P(9, 1), 10, 3);
      break;
    case Mouth::Oh: {
      PaintPath o;
      PaintPathEllipse(o, mx, my + 3, 4.5f, 6);
      PaintFillPath(*f.canvas, o, PaintSolid(inside));
      PaintStrokePath(*f.canvas, o, 1.4f, line);
      break;
    }
    case Mouth::Wavy: {
      std::vector<PaintPoint> w;
      for (int i = 0; i <= 12; i++) w.push_back(P(-9 + 1.5f * i, 1.5f * std::sin(i * 1.05f)));
      stroke(w, 2.0f);
      break;
    }
    case Mouth::Flat:
      stroke({P(-2, 1), P(10, 0)}, 2.0f);
      break;
    case Mouth::Pout:
      stroke(PaintCubicPoints(P(-4, 1), P(-2, -2), P(2, -2), P(4, 1), 6), 2.2f);
      break;
    case Mouth::Small:
      stroke({P(-3, 1), P(3, 1)}, 1.8f);
      break;
  }
}

// A drop shape (tear, sweat) hanging from (x, y).
void Drop(PaintFrame& f, float x, float y, float s) {
  PaintPath d;
  PaintPathMove(d, x, y);
  PaintPathCubic(d, {x + s * 0.9f, y + s * 1.2f}, {x + s * 0.8f, y + s * 2}, {x, y + s * 2});
  PaintPathCubic(d, {x - s * 0.8f, y + s * 2}, {x - s * 0.9f, y + s * 1.2f}, {x, y});
  PaintPathClose(d);
  PaintShape(f, d, PaintLinear({x, y}, {0.86f, 0.94f, 1.0f}, {x, y + s * 2}, {0.55f, 0.75f, 0.95f}),
             {0.35f, 0.5f, 0.75f}, 1.2f);
  PaintPath shine;
  PaintPathEllipse(shine, x - s * 0.25f, y + s * 1.3f, s * 0.18f, s * 0.3f);
  PaintFillPath(*f.canvas, shine, PaintSolid({1, 1, 1}));
}

}  // namespace

// Whether an expression of this name exists.
bool PaintFaceKnown(const std::string& face) {
  for (const Expression& e : kExpressions) {
    if (face == e.name) return true;
  }
  return false;
}

// Ears, face, cheeks, eyes, nose, mouth and tears of a picture.
void PaintHead(PaintFrame& f, const PaintLook& look, const PaintPose& pose) {
  const Expression& e = FindExpression(pose.face);
  const PaintRgb skin = look.skin,
                 shade = PaintMix(PaintScale(skin, 0.86f), {0.9f, 0.5f, 0.5f}, 0.12f);
  // Ears, then the face with a shadow under the fringe.
  PaintPath ears;
  PaintPathEllipse(ears, f.cx - 60, f.hy + 10, 8, 13, -0.2f);
  PaintPathEllipse(ears, f.cx + 60, f.hy + 10, 8, 13, 0.2f);
  PaintShape(f, ears, PaintSolid(shade), PaintInk(skin), 1.4f);
  PaintPath face;
  FaceOutline(f, face);
  PaintShape(f, face,
             PaintLinear(At(f, 0, -40), skin, At(f, 0, 80), PaintMix(skin, {1, 1, 1}, 0.15f)),
             PaintInk(skin), 1.8f);
  PaintPath under;
  PaintPathEllipse(under, f.cx, f.hy - 16, 64, 18);
  PaintFillPath(*f.canvas, under, PaintSolid(shade, 0.8f), PaintBlend::Over, 1, &face);
  PaintPath sides;
  PaintPathEllipse(sides, f.cx - 66, f.hy + 20, 16, 50);
  PaintPathEllipse(sides, f.cx + 66, f.hy + 20, 16, 50);
  PaintFillPath(*f.canvas, sides, PaintSolid(shade, 0.6f), PaintBlend::Over, 1, &face);
  // Cheeks.
  const int blush = std::max(pose.blush, e.blush);
  if (blush > 0) {
    PaintPath cheeks;
    PaintPathEllipse(cheeks, f.cx - 36, f.hy + 38, 13, 6);
    PaintPathEllipse(cheeks, f.cx + 36, f.hy + 38, 13, 6);
    PaintFillPath(*f.canvas, cheeks, PaintSolid({1.0f, 0.55f, 0.58f}, blush > 1 ? 0.55f : 0.35f));
    if (blush > 1) {
      PaintPath hatch;
      for (int side = -1; side <= 1; side += 2) {
        for (int i = 0; i < 3; i++) {
          const float x = f.cx + side * 36 + (i - 1) * 6;
          const PaintPoint line[] = {{x + 2, f.hy + 34}, {x - 2, f.hy + 42}};
          PaintPathTaper(hatch, line, 1.4f, 0.6f);
        }
      }
      PaintFillPath(*f.canvas, hatch, PaintSolid({0.88f, 0.36f, 0.4f}, 0.8f));
    }
  }
  Eye(f, look, e, pose, -1);
  Eye(f, look, e, pose, 1);
  PaintPath nose;
  const PaintPoint n[] = {At(f, 1, 34), At(f, 3, 39)};
  PaintPathTaper(nose, n, 0.6f, 1.8f);
  PaintFillPath(*f.canvas, nose, PaintSolid(PaintInk(skin), 0.55f));
  MouthShape(f, look, e.mouth);
  if (e.tears || pose.tears) {
    Drop(f, f.cx - 38, f.hy + 30, 4.5f);
    Drop(f, f.cx + 40, f.hy + 34, 3.5f);
  }
}

// [SECTION] Hair

namespace {

// A lock of hair from a root (two corners) to a tip, its sides bowed by `bend`.
void Lock(PaintPath& fill, PaintPath& lines, PaintPoint rootA, PaintPoint rootB, PaintPoint tip,
          float bend) {
  const PaintPoint midA = {(rootA.x + tip.x) / 2 + bend, (rootA.y + tip.y) / 2};
  const PaintPoint midB = {(rootB.x + tip.x) / 2 + bend, (rootB.y + tip.y) / 2};
  std::vector<PaintPoint> a = PaintCubicPoints(rootA, midA, midA, tip, 10);
  std::vector<PaintPoint> b = PaintCubicPoints(tip, midB, midB, rootB, 10);
  std::vector<PaintPoint> outline = a;
  outline.insert(outline.end(), b.begin() + 1, b.end());
  PaintPathPolygon(fill, outline);
  PaintPathTaper(lines, std::vector<PaintPoint>(a.begin() + 3, a.end()), 0.3f, 1.5f);
  std::reverse(b.begin(), b.end());
  PaintPathTaper(lines, std::vector<PaintPoint>(b.begin() + 3, b.end()), 0.3f, 1.5f);
}

// Fills hair with its gradient and its ink.
void HairFill(PaintFrame& f, const PaintLook& look, const PaintPath& path, float y0, float y1,
              bool back) {
  const PaintRgb top = back ? HairShade(look.hair) : PaintScale(look.hair, 1.06f);
  const PaintRgb bottom = back ? PaintScale(HairShade(look.hair), 0.85f) : HairShade(look.hair);
  PaintShape(f, path, PaintLinear({f.cx, y0}, top, {f.cx, y1}, bottom),
             PaintScale(look.hair, 0.38f), 1.8f);
}

// A tail (ponytail or twin tail) along centre points with widths.
void Tail(PaintFrame& f, const PaintLook& look, std::span<const PaintPoint> centre,
          std::span<const float> widths) {
  const PaintPath path = PaintRibbon(centre, widths);
  HairFill(f, look, path, centre.front().y, centre.back().y, false);
  PaintPath strands;
  for (int k = -1; k <= 1; k += 2) {
    std::vector<PaintPoint> line;
    for (size_t i = 1; i + 1 < centre.size(); i++)
      line.push_back({centre[i].x + k * widths[i] * 0.18f, centre[i].y});
    PaintPathTaper(strands, line, 0.5f, 1.2f);
  }
  PaintFillPath(*f.canvas, strands, PaintSolid(PaintScale(look.hair, 0.45f), 0.7f));
}

}  // namespace

// The hair behind the head and body: the long fall, bob or tails.
void PaintHairBack(PaintFrame& f, const PaintLook& look) {
  const std::string& s = look.hairStyle;
  const float len = look.hairLength;
  const auto P = [&](float x, float y) { return At(f, x, y); };
  if (s == "long" || s == "wavy") {
    const float bottom = 150 + 170 * len, wide = s == "wavy" ? 116 : 100;
    PaintPath path;
    PaintPathMove(path, f.cx - 76, f.hy - 50);
    const int steps = 14;
    for (int i = 0; i <= steps; i++) {
      const float t = static_cast<float>(i) / steps;
      const float wave = s == "wavy" ? 7 * std::sin(t * 9) : 0;
      PaintPathLine(path, f.cx - 76 - (wide - 76) * std::min(1.0f, t * 2.2f) + wave,
                    f.hy - 50 + (bottom - 30 + 50) * t);
    }
    // A ragged hem of locks.
    for (int i = 0; i <= 8; i++) {
      const float x = -wide + 2 * wide * i / 8.0f;
      PaintPathLine(path, f.cx + x, f.hy + bottom + (i % 2 ? 0 : -26));
    }
    for (int i = steps; i >= 0; i--) {
      const float t = static_cast<float>(i) / steps;
      const float wave = s == "wavy" ? 7 * std::sin(t * 9 + 1) : 0;
      PaintPathLine(path, f.cx + 76 + (wide - 76) * std::min(1.0f, t * 2.2f) + wave,
                    f.hy - 50 + (bottom - 30 + 50) * t);
    }
    PaintPathClose(path);
    HairFill(f, look, path, f.hy - 60, f.hy + bottom, true);
  } else if (s == "bob" || s == "short" || s == "ponytail" || s == "braid" || s == "twintails") {
    const float drop = s == "bob" ? 96 : s == "short" ? 56 : 66;
    const float wide = s == "bob" ? 84 : 76;
    PaintPath path;
    PaintPathMove(path, f.cx - 74, f.hy - 50);
    PaintPathCubic(path, P(-wide - 2, 10), P(-wide, drop - 30), P(-wide + 16, drop));
    PaintPathQuad(path, P(0, drop + 14), P(wide - 16, drop));
    PaintPathCubic(path, P(wide, drop - 30), P(wide + 2, 10), P(74, -50));
    PaintPathClose(path);
    HairFill(f, look, path, f.hy - 60, f.hy + drop, true);
  }
  if (s == "ponytail") {
    const PaintPoint centre[] = {P(30, -96),  P(86, -74), P(112, 10),
                                 P(108, 120), P(92, 200), P(70, 150 + 110 * len)};
    const float widths[] = {26, 46, 60, 56, 40, 6};
    Tail(f, look, centre, widths);
  } else if (s == "twintails") {
    for (int side = -1; side <= 1; side += 2) {
      const PaintPoint centre[] = {P(side * 58, -70),  P(side * 90, -52),
                                   P(side * 110, 20),  P(side * 114, 130),
                                   P(side * 104, 220), P(side * 94, 150 + 150 * len)};
      const float widths[] = {22, 38, 50, 46, 36, 6};
      Tail(f, look, centre, widths);
    }
  }
}

// A braid over the right shoulder, for the braid style.
void PaintHairBraid(PaintFrame& f, const PaintLook& look) {
  if (look.hairStyle != "braid") return;
  const int links = 7 + static_cast<int>(look.hairLength * 3);
  for (int i = 0; i < links; i++) {
    const float t = static_cast<float>(i) / links;
    const float x = f.cx + 56 + 14 * t, y = f.hy + 50 + (190 * look.hairLength) * t;
    const float r = 15 - 6 * t;
    PaintPath link;
    PaintPathEllipse(link, x + (i % 2 ? 3 : -3), y, r, r * 1.25f, i % 2 ? 0.5f : -0.5f);
    HairFill(f, look, link, y - r, y + r, false);
  }
}

// The hair in front: cap, side locks, fringe, shine, brows and the expression's marks.
void PaintHairFront(PaintFrame& f, const PaintLook& look, const PaintPose& pose) {
  const auto P = [&](float x, float y) { return At(f, x, y); };
  const PaintRgb ink = PaintScale(look.hair, 0.38f);
  // The cap over the top of the head.
  PaintPath cap;
  PaintPathMove(cap, f.cx - 72, f.hy - 20);
  PaintPathCubic(cap, P(-80, -76), P(-46, -114), P(0, -114));
  PaintPathCubic(cap, P(46, -114), P(80, -76), P(72, -20));
  PaintPathLine(cap, f.cx + 62, f.hy - 20);
  PaintPathQuad(cap, P(0, -64), P(-62, -20));
  PaintPathClose(cap);
  HairFill(f, look, cap, f.hy - 114, f.hy, false);
  // Side locks framing the face.
  const float sideLen = look.hairStyle == "short" ? 40
                        : look.hairStyle == "bob" ? 86
                                                  : 96 + 20 * look.hairLength;
  PaintPath sideFill, sideLines;
  for (int side = -1; side <= 1; side += 2) {
    Lock(sideFill, sideLines, P(side * 70, -40), P(side * 50, -44), P(side * 64, sideLen),
         side * 4.0f);
    Lock(sideFill, sideLines, P(side * 74, -30), P(side * 60, -34), P(side * 76, sideLen - 20),
         side * 6.0f);
  }
  HairFill(f, look, sideFill, f.hy - 44, f.hy + sideLen, false);
  PaintFillPath(*f.canvas, sideLines, PaintSolid(ink, 0.8f));
  // The fringe: locks from the hairline over the forehead.
  PaintPath bangs, lines;
  const std::string& fringe = look.fringe;
  const int n = fringe == "short" ? 8 : 7;
  for (int i = 0; i < n; i++) {
    const float u = (i + 0.5f) / n * 2 - 1;  // -1 .. 1 across the forehead
    const float rx = u * 62, ry = -76 + std::fabs(u) * 20;
    float tipX = rx + u * 6, tipY = -6 + (i % 2 ? 4 : -4) + std::fabs(u) * 8, bend = 0;
    if (fringe == "side") {
      tipX = rx + 18 - std::fabs(u) * 4;
      tipY += u * 10;
      bend = 6;
    } else if (fringe == "parted") {
      tipX = rx + u * 18;
      tipY += 8 - 20 * (1 - std::fabs(u));
      bend = u * 6;
    } else if (fringe == "short") {
      tipY -= 20;
    }
    Lock(bangs, lines, P(rx - 17, ry), P(rx + 17, ry - 2), P(tipX, tipY), bend);
  }
  HairFill(f, look, bangs, f.hy - 76, f.hy, false);
  PaintFillPath(*f.canvas, lines, PaintSolid(ink, 0.85f));
  // Brows show through the fringe, as they do in drawings.
  const Expression& e = FindExpression(pose.face);
  Brow(f, look, e, -1);
  Brow(f, look, e, 1);
  // The shine: a band of light across the crown, ragged below, kept to the hair.
  PaintPath hairArea = cap;
  hairArea.points.insert(hairArea.points.end(), bangs.points.begin(), bangs.points.end());
  for (size_t end : bangs.ends) hairArea.ends.push_back(end + cap.points.size());
  PaintPath shine;
  const int steps = 18;
  for (int i = 0; i <= steps; i++) {
    const float a = kPi * (1.1f + 0.8f * i / steps);
    PaintPathLine(shine, f.cx + std::cos(a) * 60, f.hy - 40 + std::sin(a) * 50);
  }
  for (int i = steps; i >= 0; i--) {
    const float a = kPi * (1.1f + 0.8f * i / steps);
    const float r = i % 2 ? 44 : 52;
    PaintPathLine(shine, f.cx + std::cos(a) * r, f.hy - 40 + std::sin(a) * (r - 8));
  }
  PaintPathClose(shine);
  PaintFillPath(*f.canvas, shine, PaintSolid(PaintMix(look.hair, {1, 1, 1}, 0.4f), 0.7f),
                PaintBlend::Over, 1, &hairArea);
  if (look.ahoge) {
    PaintPath tuft;
    const std::vector<PaintPoint> line =
        PaintCubicPoints(P(-4, -112), P(6, -140), P(30, -146), P(22, -128), 12);
    PaintPathTaper(tuft, line, 6, 1);
    PaintShape(f, tuft, PaintSolid(look.hair), ink, 1.4f);
  }
  if (e.sweat) Drop(f, f.cx + 66, f.hy - 20, 6);
  if (e.anger) {
    PaintPath mark;
    const float ax = f.cx - 50, ay = f.hy - 70;
    for (int q = 0; q < 4; q++) {
      const float a = kPi / 4 + q * kPi / 2;
      const float dx = std::cos(a) * 9, dy = std::sin(a) * 9;
      const std::vector<PaintPoint> tick =
          PaintCubicPoints({ax + dx * 0.4f, ay + dy * 0.4f}, {ax + dx * 1.4f, ay + dy * 0.2f},
                           {ax + dx * 0.2f, ay + dy * 1.4f}, {ax + dx * 1.3f, ay + dy * 1.3f}, 6);
      PaintPathTaper(mark, tick, 3, 2);
    }
    PaintFillPath(*f.canvas, mark, PaintSolid({0.9f, 0.2f, 0.22f}));
  }
}
