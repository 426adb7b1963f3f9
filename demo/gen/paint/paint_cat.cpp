// The cat of the character painter: a small stylised cat sitting, lying, stretching, washing,
// walking or curled up asleep, at the foot of its picture.
#include <cmath>

#include "demo/gen/paint/paint_figure_local.h"

namespace {

constexpr const char* kCatBodies[] = {"sit", "loaf", "stretch", "groom", "walk", "curl"};

struct Cat {
  PaintFrame* f;
  PaintRgb fur, stripes, eyes, white, ink;
  float ground;
};

// A part of the cat in its fur, lighter above, with the ink line.
void Fill(Cat& c, const PaintPath& path, PaintRgb colour, float top, float bottom) {
  PaintShape(*c.f, path,
             PaintLinear({c.f->cx, top}, PaintScale(colour, 1.08f), {c.f->cx, bottom},
                         PaintScale(colour, 0.82f)),
             c.ink, 1.8f);
}

// A tapering tail along a curve.
void Tail(Cat& c, PaintPoint a, PaintPoint b, PaintPoint d, PaintPoint e) {
  PaintPath tail;
  PaintPathTaper(tail, PaintCubicPoints(a, b, d, e, 16), 16, 9);
  Fill(c, tail, c.fur, std::min(a.y, e.y) - 10, std::max(a.y, e.y) + 10);
  PaintPath bands;
  const std::vector<PaintPoint> line = PaintCubicPoints(a, b, d, e, 16);
  for (size_t i = 4; i < line.size(); i += 4)
    PaintPathEllipse(bands, line[i].x, line[i].y, 5, 8, static_cast<float>(i));
  PaintFillPath(*c.f->canvas, bands, PaintSolid(c.stripes, 0.8f), PaintBlend::Over, 1, &tail);
}

// The head: ears, face, eyes by expression, nose, mouth and whiskers. `tilt` turns it.
void Head(Cat& c, float x, float y, const PaintPose& pose, float tilt) {
  const float r = 40;
  PaintPath ears;
  for (int side = -1; side <= 1; side += 2) {
    const float a = tilt + side * 0.62f;
    const PaintPoint base = {x + std::sin(a) * r * 0.8f, y - std::cos(a) * r * 0.8f};
    const PaintPoint ear[] = {{base.x - std::cos(a) * 16, base.y - std::sin(a) * 16},
                              {x + std::sin(a) * r * 1.45f, y - std::cos(a) * r * 1.45f},
                              {base.x + std::cos(a) * 16, base.y + std::sin(a) * 16}};
    PaintPathPolygon(ears, ear);
  }
  Fill(c, ears, c.fur, y - r * 1.5f, y);
  PaintPath head;
  PaintPathEllipse(head, x, y, r * 1.08f, r * 0.92f, tilt);
  Fill(c, head, c.fur, y - r, y + r);
  PaintPath marks;
  for (int i = -1; i <= 1; i++)
    PaintPathEllipse(marks, x + i * 10, y - r * 0.7f, 3, 10, tilt + i * 0.3f);
  PaintFillPath(*c.f->canvas, marks, PaintSolid(c.stripes), PaintBlend::Over, 1, &head);
  PaintPath muzzle;
  PaintPathEllipse(muzzle, x - 9, y + 16, 13, 10);
  PaintPathEllipse(muzzle, x + 9, y + 16, 13, 10);
  PaintFillPath(*c.f->canvas, muzzle, PaintSolid(c.white), PaintBlend::Over, 1, &head);
  const std::string& face = pose.face;
  const bool closed = face == "calm" || face == "laugh" || face == "sleepy";
  for (int side = -1; side <= 1; side += 2) {
    const float ex = x + side * 17 + pose.lookX * 4, ey = y - 2 + pose.lookY * 3;
    if (closed) {
      PaintPath lid;
      const bool happy = face == "laugh";
      PaintPathTaper(lid,
                     PaintCubicPoints({ex - 9, ey}, {ex - 3, ey + (happy ? -7 : 6)},
                                      {ex + 3, ey + (happy ? -7 : 6)}, {ex + 9, ey}, 8),
                     2.4f, 2.4f);
      PaintFillPath(*c.f->canvas, lid, PaintSolid(c.ink));
      continue;
    }
    const float open = face == "surprised" ? 1.15f
                       : face == "angry"   ? 0.55f
                       : face == "smile"   ? 0.7f
                                           : 0.9f;
    PaintPath eye;
    PaintPathEllipse(eye, ex, ey, 10, 11 * open);
    PaintShape(*c.f, eye,
               PaintLinear({ex, ey - 10}, PaintScale(c.eyes, 0.8f), {ex, ey + 10},
                           PaintMix(c.eyes, {1, 1, 1}, 0.35f)),
               c.ink, 1.6f);
    PaintPath pupil;
    PaintPathEllipse(pupil, ex, ey, face == "surprised" ? 6.5f : 2.8f, 9 * open);
    PaintFillPath(*c.f->canvas, pupil, PaintSolid({0.08f, 0.06f, 0.08f}), PaintBlend::Over, 1,
                  &eye);
    PaintPath light;
    PaintPathEllipse(light, ex - 3, ey - 4 * open, 2.4f, 2.4f);
    PaintFillPath(*c.f->canvas, light, PaintSolid({1, 1, 1}), PaintBlend::Over, 1, &eye);
  }
  PaintPath nose;
  const PaintPoint n[] = {{x - 4, y + 8}, {x + 4, y + 8}, {x, y + 13}};
  PaintPathPolygon(nose, n);
  PaintFillPath(*c.f->canvas, nose, PaintSolid({0.95f, 0.55f, 0.6f}));
  PaintPath lines;
  PaintPathTaper(
      lines, PaintCubicPoints({x - 8, y + 17}, {x - 5, y + 21}, {x - 1, y + 20}, {x, y + 15}, 6),
      1.4f, 1.4f);
  PaintPathTaper(
      lines, PaintCubicPoints({x + 8, y + 17}, {x + 5, y + 21}, {x + 1, y + 20}, {x, y + 15}, 6),
      1.4f, 1.4f);
  for (int side = -1; side <= 1; side += 2) {
    for (int k = 0; k < 3; k++) {
      const PaintPoint w[] = {{x + side * 18, y + 12 + k * 4.0f},
                              {x + side * 52, y + 4 + k * 9.0f}};
      PaintPathTaper(lines, w, 1.2f, 0.3f);
    }
  }
  PaintFillPath(*c.f->canvas, lines, PaintSolid(c.ink, 0.85f));
}

// A leg from the body down to its paw.
void Leg(Cat& c, PaintPoint top, PaintPoint paw, bool white) {
  PaintPath leg;
  const PaintPoint l[] = {top, paw};
  PaintPathTaper(leg, l, 20, 16);
  Fill(c, leg, c.fur, top.y, paw.y);
  PaintPath foot;
  PaintPathEllipse(foot, paw.x, paw.y, 11, 7);
  PaintShape(*c.f, foot, PaintSolid(white ? c.white : c.fur), c.ink, 1.4f);
}

}  // namespace

// Whether the cat has a body pose of this name.
bool PaintCatKnown(const std::string& body) {
  for (const char* b : kCatBodies) {
    if (body == b) return true;
  }
  return false;
}

// The whole cat in one of its poses, standing on the bottom of the picture.
void PaintCat(PaintFrame& f, const PaintLook& look, const PaintPose& pose) {
  Cat c{&f,
        look.skin,
        look.hair,
        look.eyes,
        {0.98f, 0.97f, 0.95f},
        PaintInk(look.hair),
        static_cast<float>(look.height) - 16};
  const float x = f.cx, g = c.ground;
  const std::string& body = pose.body;
  PaintPath shadow;
  PaintPathEllipse(shadow, x, g + 2, body == "stretch" || body == "walk" ? 100 : 70, 9);
  PaintFillPath(*f.canvas, shadow, PaintSolid({0.1f, 0.1f, 0.12f}, 0.3f));
  if (body == "sit" || body == "groom") {
    Tail(c, {x + 40, g - 12}, {x + 90, g}, {x + 40, g + 8}, {x - 40, g - 2});
    PaintPath trunk;
    PaintPathEllipse(trunk, x, g - 62, 48, 62);
    Fill(c, trunk, c.fur, g - 124, g);
    PaintPath chest;
    PaintPathEllipse(chest, x - 4, g - 70, 24, 40);
    PaintFillPath(*f.canvas, chest, PaintSolid(c.white), PaintBlend::Over, 1, &trunk);
    Leg(c, {x - 18, g - 50}, {x - 18, g - 4}, true);
    if (body == "groom") {
      Head(c, x - 4, g - 136, pose, -0.15f);
      Leg(c, {x + 18, g - 60}, {x + 2, g - 118}, true);
    } else {
      Leg(c, {x + 18, g - 50}, {x + 18, g - 4}, true);
      Head(c, x, g - 138, pose, pose.lookX * 0.25f);
    }
  } else if (body == "loaf") {
    Tail(c, {x + 70, g - 14}, {x + 100, g - 2}, {x + 60, g + 6}, {x + 10, g - 2});
    PaintPath trunk;
    PaintPathEllipse(trunk, x + 10, g - 40, 76, 42);
    Fill(c, trunk, c.fur, g - 82, g);
    PaintPath stripes;
    for (int i = 0; i < 4; i++) PaintPathEllipse(stripes, x + 24 + i * 16, g - 70, 5, 16, 0.3f);
    PaintFillPath(*f.canvas, stripes, PaintSolid(c.stripes), PaintBlend::Over, 1, &trunk);
    PaintPath paws;
    PaintPathEllipse(paws, x - 50, g - 6, 14, 8);
    PaintPathEllipse(paws, x - 24, g - 4, 14, 8);
    PaintShape(f, paws, PaintSolid(c.white), c.ink, 1.4f);
    Head(c, x - 36, g - 76, pose, 0);
  } else if (body == "curl") {
    PaintPath trunk;
    PaintPathEllipse(trunk, x, g - 38, 70, 40);
    Fill(c, trunk, c.fur, g - 78, g);
    Tail(c, {x + 60, g - 30}, {x + 70, g + 4}, {x - 20, g + 8}, {x - 60, g - 10});
    Head(c, x - 26, g - 46, pose, -0.5f);
  } else if (body == "stretch") {
    Tail(c, {x + 70, g - 96}, {x + 100, g - 150}, {x + 120, g - 160}, {x + 110, g - 190});
    PaintPath trunk;
    PaintPathEllipse(trunk, x + 20, g - 70, 70, 32, 0.35f);
    Fill(c, trunk, c.fur, g - 110, g - 30);
    Leg(c, {x + 64, g - 80}, {x + 70, g - 4}, false);
    Leg(c, {x - 30, g - 40}, {x - 86, g - 6}, true);
    Leg(c, {x - 20, g - 40}, {x - 70, g - 2}, true);
    Head(c, x - 50, g - 56, pose, -0.2f);
  } else {  // walk
    Tail(c, {x + 60, g - 90}, {x + 96, g - 120}, {x + 100, g - 170}, {x + 86, g - 186});
    Leg(c, {x + 46, g - 70}, {x + 52, g - 4}, false);
    Leg(c, {x - 40, g - 70}, {x - 50, g - 4}, true);
    PaintPath trunk;
    PaintPathEllipse(trunk, x, g - 84, 72, 34);
    Fill(c, trunk, c.fur, g - 118, g - 50);
    PaintPath stripes;
    for (int i = 0; i < 4; i++) PaintPathEllipse(stripes, x - 10 + i * 18, g - 112, 5, 14, 0.2f);
    PaintFillPath(*f.canvas, stripes, PaintSolid(c.stripes), PaintBlend::Over, 1, &trunk);
    Leg(c, {x + 30, g - 64}, {x + 34, g - 2}, false);
    Leg(c, {x - 56, g - 64}, {x - 64, g - 2}, true);
    Head(c, x - 78, g - 120, pose, -0.1f + pose.lookX * 0.2f);
  }
}
