// The painter's drawing core: canvases, paths flattened to polygons, an exact-area coverage
// rasteriser, gradients, glows, blurs; plain float arithmetic in one order, the same every build.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "demo/gen/paint/paint.h"

// [SECTION] Colours, canvases, randomness

// A canvas filled with one colour.
PaintCanvas PaintCanvasMake(int width, int height, PaintRgb colour, float alpha) {
  PaintCanvas canvas;
  canvas.width = std::max(width, 0);
  canvas.height = std::max(height, 0);
  canvas.px.resize(static_cast<size_t>(canvas.width) * canvas.height * 4);
  for (size_t i = 0; i < canvas.px.size(); i += 4) {
    canvas.px[i] = colour.r * alpha;
    canvas.px[i + 1] = colour.g * alpha;
    canvas.px[i + 2] = colour.b * alpha;
    canvas.px[i + 3] = alpha;
  }
  return canvas;
}

// A 0..1 float as a byte, rounded.
static uint8_t ToByte(float v) {
  return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

// The canvas as bytes, optionally cut to opaque or transparent.
std::vector<uint8_t> PaintCanvasRgba8(const PaintCanvas& canvas, float alphaCut) {
  std::vector<uint8_t> out(static_cast<size_t>(canvas.width) * canvas.height * 4);
  for (size_t i = 0; i < out.size(); i += 4) {
    const float a = canvas.px[i + 3];
    if (a <= 0 || (alphaCut > 0 && a < alphaCut)) continue;  // stays transparent black
    const float k = 1.0f / a;
    out[i] = ToByte(canvas.px[i] * k);
    out[i + 1] = ToByte(canvas.px[i + 1] * k);
    out[i + 2] = ToByte(canvas.px[i + 2] * k);
    out[i + 3] = alphaCut > 0 ? 255 : ToByte(a);
  }
  return out;
}

// One pixel's straight colour.
PaintRgb PaintCanvasAt(const PaintCanvas& canvas, int x, int y, float* alpha) {
  if (alpha) *alpha = 0;
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return {};
  const float* p = &canvas.px[(static_cast<size_t>(y) * canvas.width + x) * 4];
  if (alpha) *alpha = p[3];
  if (p[3] <= 0) return {};
  return {p[0] / p[3], p[1] / p[3], p[2] / p[3]};
}

// Reads "#rrggbb".
bool PaintParseColour(std::string_view text, PaintRgb& colour) {
  if (text.size() != 7 || text[0] != '#') return false;
  int v[6];
  for (int i = 0; i < 6; i++) {
    const char c = text[1 + i];
    if (c >= '0' && c <= '9') {
      v[i] = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      v[i] = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      v[i] = c - 'A' + 10;
    } else {
      return false;
    }
  }
  colour = {(v[0] * 16 + v[1]) / 255.0f, (v[2] * 16 + v[3]) / 255.0f, (v[4] * 16 + v[5]) / 255.0f};
  return true;
}

// Linear mix of two colours.
PaintRgb PaintMix(PaintRgb a, PaintRgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A colour scaled and clamped.
PaintRgb PaintScale(PaintRgb c, float k) {
  return {std::clamp(c.r * k, 0.0f, 1.0f), std::clamp(c.g * k, 0.0f, 1.0f),
          std::clamp(c.b * k, 0.0f, 1.0f)};
}

// A generator for a seed.
PaintRandom PaintRandomMake(uint64_t seed) {
  return PaintRandom{seed * 0x9E3779B97F4A7C15ull + 1};
}

// The next number in 0..1 (splitmix64).
float PaintRandomUnit(PaintRandom& random) {
  uint64_t z = (random.state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<float>(z >> 40) / static_cast<float>(1ull << 24);
}

// The next number in lo..hi.
float PaintRandomRange(PaintRandom& random, float lo, float hi) {
  return lo + (hi - lo) * PaintRandomUnit(random);
}

// A hash of a lattice point to 0..1.
static float LatticeValue(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
               seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}

// Value noise: lattice values smoothly interpolated.
float PaintNoise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const float a = LatticeValue(ix, iy, seed), b = LatticeValue(ix + 1, iy, seed);
  const float c = LatticeValue(ix, iy + 1, seed), d = LatticeValue(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// [SECTION] Paths

// Starts a contour, closing any open one.
void PaintPathMove(PaintPath& path, float x, float y) {
  if (path.open) PaintPathClose(path);
  path.points.push_back({x, y});
  path.open = true;
}

// Adds a corner to the open contour.
void PaintPathLine(PaintPath& path, float x, float y) {
  if (!path.open) {
    PaintPathMove(path, x, y);
    return;
  }
  path.points.push_back({x, y});
}

// Segments enough that a curve of this span looks smooth at picture scale.
static int CurveSteps(float span) {
  return std::clamp(static_cast<int>(span / 6.0f) + 4, 4, 48);
}

// Adds a quadratic curve as straight steps.
void PaintPathQuad(PaintPath& path, PaintPoint c, PaintPoint p) {
  const PaintPoint s = path.points.empty() ? c : path.points.back();
  const int n = CurveSteps(std::hypot(c.x - s.x, c.y - s.y) + std::hypot(p.x - c.x, p.y - c.y));
  for (int i = 1; i <= n; i++) {
    const float t = static_cast<float>(i) / n, u = 1 - t;
    PaintPathLine(path, u * u * s.x + 2 * u * t * c.x + t * t * p.x,
                  u * u * s.y + 2 * u * t * c.y + t * t * p.y);
  }
}

std::vector<PaintPoint> PaintCubicPoints(PaintPoint p0, PaintPoint c1, PaintPoint c2, PaintPoint p1,
                                         int n) {
  std::vector<PaintPoint> out;
  out.reserve(n + 1);
  for (int i = 0; i <= n; i++) {
    const float t = static_cast<float>(i) / n, u = 1 - t;
    const float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    out.push_back(
        {a * p0.x + b * c1.x + c * c2.x + d * p1.x, a * p0.y + b * c1.y + c * c2.y + d * p1.y});
  }
  return out;
}

// Adds a cubic curve as straight steps.
void PaintPathCubic(PaintPath& path, PaintPoint c1, PaintPoint c2, PaintPoint p) {
  const PaintPoint s = path.points.empty() ? c1 : path.points.back();
  const float span = std::hypot(c1.x - s.x, c1.y - s.y) + std::hypot(c2.x - c1.x, c2.y - c1.y) +
                     std::hypot(p.x - c2.x, p.y - c2.y);
  const std::vector<PaintPoint> points = PaintCubicPoints(s, c1, c2, p, CurveSteps(span));
  for (size_t i = 1; i < points.size(); i++) PaintPathLine(path, points[i].x, points[i].y);
}

// Twice the signed area of points [first, end) of the path.
static float ContourArea(const std::vector<PaintPoint>& points, size_t first, size_t end) {
  float area = 0;
  for (size_t i = first; i < end; i++) {
    const PaintPoint& a = points[i];
    const PaintPoint& b = points[i + 1 < end ? i + 1 : first];
    area += a.x * b.y - b.x * a.y;
  }
  return area;
}

// Closes the open contour and sets its winding.
void PaintPathClose(PaintPath& path, bool hole) {
  if (!path.open) return;
  path.open = false;
  const size_t first = path.ends.empty() ? 0 : path.ends.back();
  const size_t end = path.points.size();
  if (end - first < 3) {
    path.points.resize(first);  // a contour without area paints nothing
    return;
  }
  // Solid contours wind positive, holes negative, whatever order their points came in.
  const float area = ContourArea(path.points, first, end);
  if ((area < 0) != hole) std::reverse(path.points.begin() + first, path.points.end());
  path.ends.push_back(end);
}

// Adds a closed polygon.
void PaintPathPolygon(PaintPath& path, std::span<const PaintPoint> points, bool hole) {
  if (points.empty()) return;
  PaintPathMove(path, points[0].x, points[0].y);
  for (size_t i = 1; i < points.size(); i++) PaintPathLine(path, points[i].x, points[i].y);
  PaintPathClose(path, hole);
}

void PaintPathEllipse(PaintPath& path, float cx, float cy, float rx, float ry, float rotation,
                      bool hole) {
  if (rx <= 0 || ry <= 0) return;
  const int n = std::clamp(static_cast<int>((rx + ry) * 0.9f) + 8, 12, 160);
  const float cr = std::cos(rotation), sr = std::sin(rotation);
  for (int i = 0; i < n; i++) {
    const float a = 2 * std::numbers::pi_v<float> * i / n;
    const float x = rx * std::cos(a), y = ry * std::sin(a);
    const float px = cx + x * cr - y * sr, py = cy + x * sr + y * cr;
    if (i == 0) {
      PaintPathMove(path, px, py);
    } else {
      PaintPathLine(path, px, py);
    }
  }
  PaintPathClose(path, hole);
}

// Adds a rectangle, its corners rounded by cubic quarter circles.
void PaintPathRect(PaintPath& path, float x0, float y0, float x1, float y1, float radius) {
  if (x1 < x0) std::swap(x0, x1);
  if (y1 < y0) std::swap(y0, y1);
  radius = std::min({radius, (x1 - x0) / 2, (y1 - y0) / 2});
  if (radius <= 0.5f) {
    const PaintPoint corners[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    PaintPathPolygon(path, corners);
    return;
  }
  const float k = 0.5523f * radius;  // cubic quarter circle
  PaintPathMove(path, x0 + radius, y0);
  PaintPathLine(path, x1 - radius, y0);
  PaintPathCubic(path, {x1 - radius + k, y0}, {x1, y0 + radius - k}, {x1, y0 + radius});
  PaintPathLine(path, x1, y1 - radius);
  PaintPathCubic(path, {x1, y1 - radius + k}, {x1 - radius + k, y1}, {x1 - radius, y1});
  PaintPathLine(path, x0 + radius, y1);
  PaintPathCubic(path, {x0 + radius - k, y1}, {x0, y1 - radius + k}, {x0, y1 - radius});
  PaintPathLine(path, x0, y0 + radius);
  PaintPathCubic(path, {x0, y0 + radius - k}, {x0 + radius - k, y0}, {x0 + radius, y0});
  PaintPathClose(path);
}

// One segment of a stroke as a quadrilateral, widths w0 and w1 at its ends.
static void StrokeSegment(PaintPath& path, PaintPoint a, PaintPoint b, float w0, float w1) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float len = std::hypot(dx, dy);
  if (len < 1e-4f) return;
  const float nx = -dy / len, ny = dx / len;
  const PaintPoint quad[] = {{a.x + nx * w0 / 2, a.y + ny * w0 / 2},
                             {b.x + nx * w1 / 2, b.y + ny * w1 / 2},
                             {b.x - nx * w1 / 2, b.y - ny * w1 / 2},
                             {a.x - nx * w0 / 2, a.y - ny * w0 / 2}};
  PaintPathPolygon(path, quad);
}

// Adds a stroke: a quadrilateral per segment and a disc per point.
void PaintPathStroke(PaintPath& path, std::span<const PaintPoint> line, float width, bool closed) {
  if (line.empty() || width <= 0) return;
  const size_t n = line.size();
  for (size_t i = 0; i + 1 < n; i++) StrokeSegment(path, line[i], line[i + 1], width, width);
  if (closed && n > 2) StrokeSegment(path, line[n - 1], line[0], width, width);
  for (size_t i = 0; i < n; i++) PaintPathEllipse(path, line[i].x, line[i].y, width / 2, width / 2);
}

// Adds a stroke whose width changes from end to end.
void PaintPathTaper(PaintPath& path, std::span<const PaintPoint> line, float w0, float w1) {
  const size_t n = line.size();
  if (n < 2) return;
  for (size_t i = 0; i + 1 < n; i++) {
    const float ta = static_cast<float>(i) / (n - 1), tb = static_cast<float>(i + 1) / (n - 1);
    const float wa = w0 + (w1 - w0) * ta, wb = w0 + (w1 - w0) * tb;
    StrokeSegment(path, line[i], line[i + 1], wa, wb);
    if (i > 0 && wa > 1.0f) PaintPathEllipse(path, line[i].x, line[i].y, wa / 2, wa / 2);
  }
  if (w0 > 1.0f) PaintPathEllipse(path, line[0].x, line[0].y, w0 / 2, w0 / 2);
  if (w1 > 1.0f) PaintPathEllipse(path, line[n - 1].x, line[n - 1].y, w1 / 2, w1 / 2);
}

// [SECTION] Fills

// A fill of one colour.
PaintFill PaintSolid(PaintRgb colour, float alpha) {
  PaintFill fill;
  fill.stops[0] = {0, colour, alpha};
  return fill;
}

PaintFill PaintLinear(PaintPoint a, PaintRgb ca, PaintPoint b, PaintRgb cb, float alphaA,
                      float alphaB) {
  PaintFill fill;
  fill.kind = PaintKind::Linear;
  fill.a = a;
  fill.b = b;
  fill.stops[0] = {0, ca, alphaA};
  fill.stops[1] = {1, cb, alphaB};
  fill.count = 2;
  return fill;
}

PaintFill PaintRadial(PaintPoint centre, float rx, float ry, PaintRgb inner, PaintRgb outer,
                      float alphaInner, float alphaOuter) {
  PaintFill fill;
  fill.kind = PaintKind::Radial;
  fill.a = centre;
  fill.rx = std::max(rx, 1e-3f);
  fill.ry = std::max(ry, 1e-3f);
  fill.stops[0] = {0, inner, alphaInner};
  fill.stops[1] = {1, outer, alphaOuter};
  fill.count = 2;
  return fill;
}

// Adds a gradient stop, kept in order.
void PaintFillStop(PaintFill& fill, float t, PaintRgb colour, float alpha) {
  if (fill.count >= static_cast<int>(fill.stops.size())) return;
  // The last stop of a two-stop gradient is its end; a new stop goes before it when earlier.
  if (fill.count > 0 && fill.stops[fill.count - 1].t > t) {
    fill.stops[fill.count] = fill.stops[fill.count - 1];
    fill.stops[fill.count - 1] = {t, colour, alpha};
  } else {
    fill.stops[fill.count] = {t, colour, alpha};
  }
  fill.count++;
}

// Evaluates a fill at a point.
PaintRgb PaintFillAt(const PaintFill& fill, float x, float y, float* alpha) {
  float t = 0;
  if (fill.kind == PaintKind::Linear) {
    const float dx = fill.b.x - fill.a.x, dy = fill.b.y - fill.a.y;
    const float len2 = dx * dx + dy * dy;
    t = len2 > 0 ? ((x - fill.a.x) * dx + (y - fill.a.y) * dy) / len2 : 0;
  } else if (fill.kind == PaintKind::Radial) {
    const float u = (x - fill.a.x) / fill.rx, v = (y - fill.a.y) / fill.ry;
    t = std::sqrt(u * u + v * v);
  }
  const PaintStop* s = fill.stops.data();
  if (fill.count <= 1 || t <= s[0].t) {
    *alpha = s[0].alpha;
    return s[0].colour;
  }
  for (int i = 1; i < fill.count; i++) {
    if (t <= s[i].t) {
      const float span = s[i].t - s[i - 1].t;
      const float k = span > 0 ? (t - s[i - 1].t) / span : 1;
      *alpha = s[i - 1].alpha + (s[i].alpha - s[i - 1].alpha) * k;
      return PaintMix(s[i - 1].colour, s[i].colour, k);
    }
  }
  *alpha = s[fill.count - 1].alpha;
  return s[fill.count - 1].colour;
}

// [SECTION] Rasteriser

namespace {

// Signed coverage accumulated per cell of a box of the canvas; a running sum along each row
// gives every pixel's covered area (the method of exact-area font rasterisers).
struct Coverage {
  int x0 = 0, y0 = 0, width = 0, height = 0;
  std::vector<float> cells;  // (width + 2) per row
};

// Adds one edge, already in box coordinates.
void CoverageLine(Coverage& cov, PaintPoint p0, PaintPoint p1) {
  if (p0.y == p1.y) return;
  float dir = 1;
  if (p0.y > p1.y) {
    std::swap(p0, p1);
    dir = -1;
  }
  const int stride = cov.width + 2;
  const float maxX = static_cast<float>(cov.width) + 0.999f;
  const float dxdy = (p1.x - p0.x) / (p1.y - p0.y);
  float x = p0.x;
  const int yStart = std::max(0, static_cast<int>(std::floor(p0.y)));
  const int yEnd = std::min(cov.height, static_cast<int>(std::ceil(p1.y)));
  if (p0.y < yStart) x += (yStart - p0.y) * dxdy;
  for (int y = yStart; y < yEnd; y++) {
    float* row = &cov.cells[static_cast<size_t>(y) * stride];
    const float dy =
        std::min(static_cast<float>(y + 1), p1.y) - std::max(static_cast<float>(y), p0.y);
    const float xNext = x + dxdy * dy;
    const float d = dy * dir;
    // Beyond the left edge an edge still covers everything right of it; beyond the right
    // edge it covers nothing that is drawn.
    float xa = std::clamp(std::min(x, xNext), 0.0f, maxX);
    float xb = std::clamp(std::max(x, xNext), 0.0f, maxX);
    const float xaFloor = std::floor(xa);
    const int xai = static_cast<int>(xaFloor);
    const float xbCeil = std::ceil(xb);
    const int xbi = static_cast<int>(xbCeil);
    if (xbi <= xai + 1) {
      const float mid = 0.5f * (xa + xb) - xaFloor;
      row[xai] += d - d * mid;
      row[xai + 1] += d * mid;
    } else {
      const float s = 1.0f / (xb - xa);
      const float xaf = xa - xaFloor;
      const float a0 = 0.5f * s * (1 - xaf) * (1 - xaf);
      const float xbf = xb - xbCeil + 1;
      const float am = 0.5f * s * xbf * xbf;
      row[xai] += d * a0;
      if (xbi == xai + 2) {
        row[xai + 1] += d * (1 - a0 - am);
      } else {
        const float a1 = s * (1.5f - xaf);
        row[xai + 1] += d * (a1 - a0);
        for (int xi = xai + 2; xi < xbi - 1; xi++) row[xi] += d * s;
        const float a2 = a1 + (xbi - xai - 3) * s;
        row[xbi - 1] += d * (1 - a2 - am);
      }
      row[xbi] += d * am;
    }
    x = xNext;
  }
}

// Blends one colour into a premultiplied pixel.
inline void BlendPixel(float* p, PaintRgb c, float a, PaintBlend blend) {
  switch (blend) {
    case PaintBlend::Over:
      p[0] = c.r * a + p[0] * (1 - a);
      p[1] = c.g * a + p[1] * (1 - a);
      p[2] = c.b * a + p[2] * (1 - a);
      p[3] = a + p[3] * (1 - a);
      break;
    case PaintBlend::Add:
      p[0] = std::min(p[0] + c.r * a, p[3]);
      p[1] = std::min(p[1] + c.g * a, p[3]);
      p[2] = std::min(p[2] + c.b * a, p[3]);
      break;
    case PaintBlend::Inside: {
      const float k = a * p[3];  // the paint keeps to what is already there
      p[0] = c.r * k + p[0] * (1 - a);
      p[1] = c.g * k + p[1] * (1 - a);
      p[2] = c.b * k + p[2] * (1 - a);
      break;
    }
  }
}

}  // namespace

namespace {

// Accumulates every edge of a path into a coverage box.
void CoveragePath(Coverage& cov, const PaintPath& path) {
  const float ox = static_cast<float>(cov.x0), oy = static_cast<float>(cov.y0);
  size_t first = 0;
  for (size_t end : path.ends) {
    for (size_t i = first; i < end; i++) {
      const PaintPoint& a = path.points[i];
      const PaintPoint& b = path.points[i + 1 < end ? i + 1 : first];
      CoverageLine(cov, {a.x - ox, a.y - oy}, {b.x - ox, b.y - oy});
    }
    first = end;
  }
}

// The box of the canvas a path can touch; false when it touches nothing.
bool CoverageBox(const PaintCanvas& canvas, const PaintPath& path, Coverage& cov, int margin = 0) {
  if (path.ends.empty() || canvas.width == 0) return false;
  float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
  const size_t used = path.ends.back();
  for (size_t i = 0; i < used; i++) {
    minX = std::min(minX, path.points[i].x);
    maxX = std::max(maxX, path.points[i].x);
    minY = std::min(minY, path.points[i].y);
    maxY = std::max(maxY, path.points[i].y);
  }
  cov.x0 = std::max(0, static_cast<int>(std::floor(minX)) - margin);
  cov.y0 = std::max(0, static_cast<int>(std::floor(minY)) - margin);
  const int x1 = std::min(canvas.width, static_cast<int>(std::ceil(maxX)) + 1 + margin);
  const int y1 = std::min(canvas.height, static_cast<int>(std::ceil(maxY)) + 1 + margin);
  if (x1 <= cov.x0 || y1 <= cov.y0) return false;
  cov.width = x1 - cov.x0;
  cov.height = y1 - cov.y0;
  cov.cells.assign(static_cast<size_t>(cov.width + 2) * cov.height, 0.0f);
  return true;
}

// Turns accumulated cells into the covered area of each pixel, in place.
void CoverageResolve(Coverage& cov) {
  const int stride = cov.width + 2;
  for (int y = 0; y < cov.height; y++) {
    float* row = &cov.cells[static_cast<size_t>(y) * stride];
    float sum = 0;
    for (int x = 0; x < cov.width; x++) {
      sum += row[x];
      // Contours wind one way, so overlaps add up beyond 1 and holes take away.
      row[x] = std::min(1.0f, std::fabs(sum));
    }
  }
}

// Grows covered areas by `width` pixels (a max filter along rows, then columns; the fraction
// of a pixel counts partly), for outlines around a whole shape.
void CoverageDilate(Coverage& cov, float width) {
  const int stride = cov.width + 2;
  const int whole = static_cast<int>(width);
  const float part = width - whole;
  std::vector<float> line;
  const auto grow = [&](float* first, int count, int step) {
    line.assign(count, 0.0f);
    for (int i = 0; i < count; i++) line[i] = first[i * step];
    for (int i = 0; i < count; i++) {
      float v = line[i];
      for (int k = 1; k <= whole + 1; k++) {
        const float w = k <= whole ? 1.0f : part;
        if (i - k >= 0) v = std::max(v, line[i - k] * w);
        if (i + k < count) v = std::max(v, line[i + k] * w);
      }
      first[i * step] = v;
    }
  };
  for (int y = 0; y < cov.height; y++)
    grow(&cov.cells[static_cast<size_t>(y) * stride], cov.width, 1);
  for (int x = 0; x < cov.width; x++) grow(&cov.cells[x], cov.height, stride);
}

// Paints resolved coverage (times an optional clip) with a fill.
void CoveragePaint(PaintCanvas& canvas, const Coverage& cov, const Coverage* mask,
                   const PaintFill& fill, PaintBlend blend, float opacity) {
  const int stride = cov.width + 2;
  const bool solid = fill.kind == PaintKind::Solid;
  const PaintRgb solidColour = fill.stops[0].colour;
  const float solidAlpha = fill.stops[0].alpha;
  const float ox = static_cast<float>(cov.x0), oy = static_cast<float>(cov.y0);
  for (int y = 0; y < cov.height; y++) {
    const float* row = &cov.cells[static_cast<size_t>(y) * stride];
    const float* clipRow = mask ? &mask->cells[static_cast<size_t>(y) * stride] : nullptr;
    float* out = &canvas.px[(static_cast<size_t>(y + cov.y0) * canvas.width + cov.x0) * 4];
    for (int x = 0; x < cov.width; x++, out += 4) {
      const float covered = clipRow ? row[x] * clipRow[x] : row[x];
      if (covered < 1.0f / 512) continue;
      if (solid) {
        BlendPixel(out, solidColour, covered * solidAlpha * opacity, blend);
      } else {
        float alpha;
        const PaintRgb c = PaintFillAt(fill, x + ox + 0.5f, y + oy + 0.5f, &alpha);
        BlendPixel(out, c, covered * alpha * opacity, blend);
      }
    }
  }
}

// The clip's coverage over the same box as `cov`.
Coverage ClipCoverage(const Coverage& cov, const PaintPath& clip) {
  Coverage mask = cov;
  std::fill(mask.cells.begin(), mask.cells.end(), 0.0f);
  CoveragePath(mask, clip);
  CoverageResolve(mask);
  return mask;
}

}  // namespace

void PaintFillPath(PaintCanvas& canvas, const PaintPath& path, const PaintFill& fill,
                   PaintBlend blend, float opacity, const PaintPath* clip) {
  Coverage cov;
  if (opacity <= 0 || !CoverageBox(canvas, path, cov)) return;
  CoveragePath(cov, path);
  CoverageResolve(cov);
  if (clip) {
    const Coverage mask = ClipCoverage(cov, *clip);
    CoveragePaint(canvas, cov, &mask, fill, blend, opacity);
  } else {
    CoveragePaint(canvas, cov, nullptr, fill, blend, opacity);
  }
}

void PaintFillInked(PaintCanvas& canvas, const PaintPath& path, const PaintFill& fill, PaintRgb ink,
                    float width, const PaintPath* clip) {
  Coverage cov;
  if (!CoverageBox(canvas, path, cov, static_cast<int>(std::ceil(width)) + 1)) return;
  CoveragePath(cov, path);
  CoverageResolve(cov);
  Coverage grown = cov;
  CoverageDilate(grown, width);
  Coverage mask;
  if (clip) mask = ClipCoverage(cov, *clip);
  CoveragePaint(canvas, grown, clip ? &mask : nullptr, PaintSolid(ink), PaintBlend::Over, 1);
  CoveragePaint(canvas, cov, clip ? &mask : nullptr, fill, PaintBlend::Over, 1);
}

void PaintStrokePath(PaintCanvas& canvas, const PaintPath& path, float width, PaintRgb colour,
                     float alpha, const PaintPath* clip) {
  PaintPath stroke;
  size_t first = 0;
  for (size_t end : path.ends) {
    PaintPathStroke(stroke, std::span<const PaintPoint>(path.points.data() + first, end - first),
                    width, true);
    first = end;
  }
  PaintFillPath(canvas, stroke, PaintSolid(colour, alpha), PaintBlend::Over, 1, clip);
}

void PaintGlow(PaintCanvas& canvas, float cx, float cy, float rx, float ry, PaintRgb colour,
               float strength) {
  if (rx <= 0 || ry <= 0 || strength <= 0) return;
  const int x0 = std::max(0, static_cast<int>(cx - rx)),
            x1 = std::min(canvas.width, static_cast<int>(cx + rx) + 1);
  const int y0 = std::max(0, static_cast<int>(cy - ry)),
            y1 = std::min(canvas.height, static_cast<int>(cy + ry) + 1);
  for (int y = y0; y < y1; y++) {
    const float v = (y + 0.5f - cy) / ry;
    float* out = &canvas.px[(static_cast<size_t>(y) * canvas.width + x0) * 4];
    for (int x = x0; x < x1; x++, out += 4) {
      const float u = (x + 0.5f - cx) / rx;
      const float d2 = u * u + v * v;
      if (d2 >= 1) continue;
      const float k = (1 - d2) * (1 - d2) * strength;  // smooth to the rim
      out[0] += colour.r * k * out[3];
      out[1] += colour.g * k * out[3];
      out[2] += colour.b * k * out[3];
      out[0] = std::min(out[0], out[3]);
      out[1] = std::min(out[1], out[3]);
      out[2] = std::min(out[2], out[3]);
    }
  }
}

namespace {

// The box of a canvas the blur works on: where anything is painted, widened by the spread.
struct BlurBox {
  int x0, y0, x1, y1;
};

// One box pass of radius r along the rows of the box, edges held.
void BoxRows(PaintCanvas& canvas, const BlurBox& box, int r, std::vector<float>& line) {
  const int len = box.x1 - box.x0;
  const float k = 1.0f / (2 * r + 1);
  line.resize(static_cast<size_t>(len) * 4);
  for (int y = box.y0; y < box.y1; y++) {
    float* row = &canvas.px[(static_cast<size_t>(y) * canvas.width + box.x0) * 4];
    std::copy(row, row + len * 4, line.begin());
    float sum[4] = {};
    for (int i = -r; i <= r; i++) {
      const float* p = &line[std::clamp(i, 0, len - 1) * 4];
      for (int c = 0; c < 4; c++) sum[c] += p[c];
    }
    for (int i = 0; i < len; i++) {
      for (int c = 0; c < 4; c++) row[i * 4 + c] = sum[c] * k;
      const float* out = &line[std::clamp(i - r, 0, len - 1) * 4];
      const float* in = &line[std::clamp(i + r + 1, 0, len - 1) * 4];
      for (int c = 0; c < 4; c++) sum[c] += in[c] - out[c];
    }
  }
}

// One box pass of radius r down the columns of the box, a row at a time (running sums for
// every column), edges held.
void BoxColumns(PaintCanvas& canvas, const BlurBox& box, int r, std::vector<float>& copy,
                std::vector<float>& sums) {
  const int w = box.x1 - box.x0, h = box.y1 - box.y0;
  const size_t rowFloats = static_cast<size_t>(w) * 4;
  const float k = 1.0f / (2 * r + 1);
  copy.resize(rowFloats * h);
  for (int y = 0; y < h; y++) {
    const float* src = &canvas.px[(static_cast<size_t>(box.y0 + y) * canvas.width + box.x0) * 4];
    std::copy(src, src + rowFloats, copy.begin() + y * rowFloats);
  }
  sums.assign(rowFloats, 0.0f);
  for (int i = -r; i <= r; i++) {
    const float* src = &copy[std::clamp(i, 0, h - 1) * rowFloats];
    for (size_t j = 0; j < rowFloats; j++) sums[j] += src[j];
  }
  for (int y = 0; y < h; y++) {
    float* dst = &canvas.px[(static_cast<size_t>(box.y0 + y) * canvas.width + box.x0) * 4];
    for (size_t j = 0; j < rowFloats; j++) dst[j] = sums[j] * k;
    const float* out = &copy[std::clamp(y - r, 0, h - 1) * rowFloats];
    const float* in = &copy[std::clamp(y + r + 1, 0, h - 1) * rowFloats];
    for (size_t j = 0; j < rowFloats; j++) sums[j] += in[j] - out[j];
  }
}

}  // namespace

// Softens what is painted with three box passes.
void PaintBlur(PaintCanvas& canvas, int radius) {
  if (radius <= 0 || canvas.width == 0) return;
  BlurBox box = {canvas.width, canvas.height, 0, 0};
  for (int y = 0; y < canvas.height; y++) {
    const float* row = &canvas.px[static_cast<size_t>(y) * canvas.width * 4];
    for (int x = 0; x < canvas.width; x++) {
      if (row[x * 4 + 3] <= 0) continue;
      box.x0 = std::min(box.x0, x);
      box.x1 = std::max(box.x1, x + 1);
      box.y0 = std::min(box.y0, y);
      box.y1 = y + 1;
    }
  }
  if (box.x1 <= box.x0) return;  // nothing painted, nothing to soften
  const int spread = 3 * radius + 1;
  box = {std::max(0, box.x0 - spread), std::max(0, box.y0 - spread),
         std::min(canvas.width, box.x1 + spread), std::min(canvas.height, box.y1 + spread)};
  std::vector<float> line, sums;
  for (int pass = 0; pass < 3; pass++) {
    BoxRows(canvas, box, radius, line);
    BoxColumns(canvas, box, radius, line, sums);
  }
}

// Puts a layer over the canvas.
void PaintComposite(PaintCanvas& canvas, const PaintCanvas& layer, float opacity) {
  if (layer.width != canvas.width || layer.height != canvas.height) return;
  for (size_t i = 0; i < canvas.px.size(); i += 4) {
    const float a = layer.px[i + 3] * opacity;
    if (a <= 0) continue;
    for (int c = 0; c < 3; c++)
      canvas.px[i + c] = layer.px[i + c] * opacity + canvas.px[i + c] * (1 - a);
    canvas.px[i + 3] = a + canvas.px[i + 3] * (1 - a);
  }
}
