// demogen paint calendar: the desk calendar and the clock faces of the time interludes.
//
// Calendar pictures share one palette of 200 colours: three ramps of 26 shades from the paper
// to the ink (0..25 black ink, 26..51 the Sunday red, 52..77 the Saturday blue, so that adding
// 26 or 52 to a page's pixels recolours it) and 122 colours of the desk behind (78..199). The
// page pieces print in the black ramp only, on paper 0. The tear-off frames mark the page on
// top with colour 209 and the page under it with 211, and carry copies of the desk wherever a
// page lifting off passed, so a frame drawn over the last one leaves nothing behind.
//
// Clock faces are 320 x 480 sprites for the character colour range A (48 colours from 124),
// one for each hour of the day, the hands at the hour, the face dimmer at night.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "demo/gen/paint/paint.h"
#include "demo/gen/paint/paint_local.h"
#include "resources/tz2.h"
#include "tools/common/tool.h"
#include "tools/tz2/quantise.h"

namespace {

constexpr int kPageW = 242, kPageH = 306;  // one page
constexpr int kPageX = 199, kPageY = 88;   // where the page lies on the screen
constexpr int kRamp = 26;                  // shades from paper to ink
constexpr int kBackdropFirst = 3 * kRamp;
constexpr int kBackdropColours = 122;
constexpr uint8_t kKeyTop = 209, kKeyUnder = 211, kClear = 255;
constexpr int kClockW = 320, kClockH = 480, kClockColours = 48, kClockFirst = 124;
constexpr int kHours = 24;

const PaintCommandSpec kCalendarSpecs[] = {
    {"page", "paper:c ink:c sunday:c saturday:c font:w=gothic"},
    {"clock", "face:c night:c rim:c hands:c"},
};

// A picture in palette indices, top row first, and where it belongs.
struct Indexed {
  int width = 0, height = 0;
  std::vector<uint8_t> px;
  uint16_t x = 0, y = 0;
  uint8_t& At(int px_, int py) { return px[static_cast<size_t>(py) * width + px_]; }
};

Indexed MakeIndexed(int w, int h, uint8_t fill) {
  return {w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h, fill)};
}

float Luminance(const uint8_t* p) {
  return (0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]) / 255.0f;
}

// Paints one line of lettering, black on white, with the place painter, and answers the ink
// shade of the w x h box at (x0, y0) as ramp indices 0 (paper) .. 25 (ink).
bool Letter(const std::string& text, float size, const std::string& font, int w, int h, int x0,
            int y0, int baseline, Indexed& out, std::string& error) {
  const std::string recipe =
      "light bright\nrect 0 0 640 480 #ffffff\nrect 600 440 640 480 #000000\n"
      "text " +
      std::to_string(x0 + w / 2) + " " + std::to_string(baseline) + " " + std::to_string(size) +
      " #000000 " + text + " font=" + font + " align=centre\n";
  PaintRecipe parsed;
  PaintCanvas canvas;
  if (!PaintRecipeParse(recipe, PaintSceneSpecs(), parsed, error) ||
      !PaintScene(parsed, PaintMood::Day, canvas, error)) {
    return false;
  }
  const std::vector<uint8_t> rgba = PaintCanvasRgba8(canvas);
  const float paper = Luminance(&rgba[0]);
  const float ink = Luminance(&rgba[(static_cast<size_t>(479) * 640 + 639) * 4]);
  out = MakeIndexed(w, h, 0);
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      const float l = Luminance(&rgba[(static_cast<size_t>(y0 + y) * 640 + x0 + x) * 4]);
      const float t = std::clamp((paper - l) / std::max(paper - ink, 0.01f), 0.0f, 1.0f);
      out.At(x, y) = static_cast<uint8_t>(std::lround(t * (kRamp - 1)));
    }
  }
  return true;
}

bool WriteTz2(const std::string& path, const Indexed& picture, std::span<const PalEntry> palette,
              uint16_t transparent, uint16_t firstIndex = 0) {
  Tz2Picture tz2;
  tz2.pixels = picture.px;
  tz2.width = static_cast<uint16_t>(picture.width);
  tz2.height = static_cast<uint16_t>(picture.height);
  tz2.palette = palette;
  tz2.x = picture.x;
  tz2.y = picture.y;
  tz2.transparent = transparent;
  tz2.firstIndex = firstIndex;
  std::string reason;
  const std::vector<uint8_t> bytes = Tz2Encode(tz2, &reason);
  if (bytes.empty()) {
    ToolFail(path + ": " + reason);
    return false;
  }
  if (!ToolWriteBytes(path, bytes)) {
    ToolFail("cannot write " + path);
    return false;
  }
  return true;
}

PalEntry Entry(PaintRgb c) {
  auto byte = [](float v) {
    return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
  };
  return {byte(c.r), byte(c.g), byte(c.b), 0};
}

// [SECTION] Tear-off frames

// Whether (x, y) lies inside the polygon (even-odd rule).
bool Inside(std::span<const PaintPoint> poly, float x, float y) {
  bool in = false;
  for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const PaintPoint& a = poly[i];
    const PaintPoint& b = poly[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

// The back of a page: light paper grey, darker towards `dark` (a point of the polygon's far
// edge), with a darker rim.
uint8_t BackShade(std::span<const PaintPoint> poly, float x, float y, PaintPoint dark, float span) {
  const float d = std::hypot(x - dark.x, y - dark.y) / std::max(span, 1.0f);
  const float shade = 9 - 6 * std::clamp(d, 0.0f, 1.0f);
  for (float dx : {-1.5f, 1.5f}) {
    for (float dy : {-1.5f, 1.5f}) {
      if (!Inside(poly, x + dx, y + dy)) return 13;
    }
  }
  return static_cast<uint8_t>(std::lround(shade));
}

// Frame k over the screen rectangle (fx, fy, w, h): the desk everywhere, the page area keyed
// by `key(px, py)` in page coordinates, and `flap` (screen coordinates) drawn as a page's back.
template <typename Key>
Indexed TearFrame(const Indexed& desk, int fx, int fy, int w, int h, Key key,
                  std::vector<PaintPoint> flap, PaintPoint dark) {
  Indexed frame = MakeIndexed(w, h, kClear);
  float span = 1;
  for (const PaintPoint& p : flap) span = std::max(span, std::hypot(p.x - dark.x, p.y - dark.y));
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      const int sx = fx + x, sy = fy + y;
      const int px = sx - kPageX, py = sy - kPageY;
      uint8_t v = desk.px[static_cast<size_t>(sy) * 640 + sx];
      if (px >= 0 && px < kPageW && py >= 0 && py < kPageH) v = key(px, py);
      if (!flap.empty() && Inside(flap, sx + 0.5f, sy + 0.5f))
        v = BackShade(flap, sx + 0.5f, sy + 0.5f, dark, span);
      frame.At(x, y) = v;
    }
  }
  return frame;
}

std::vector<Indexed> TearFrames(const Indexed& desk) {
  const float right = kPageX + kPageW, bottom = kPageY + kPageH;
  std::vector<Indexed> frames;
  // 0: the page at rest.
  frames.push_back(
      TearFrame(desk, kPageX, kPageY, kPageW, kPageH, [](int, int) { return kKeyTop; }, {}, {}));
  // 1, 2: the lower right corner folds up, the next page showing under it.
  for (float s : {46.0f, 112.0f}) {
    auto key = [s](int px, int py) { return px + py > kPageW + kPageH - s ? kKeyUnder : kKeyTop; };
    frames.push_back(TearFrame(desk, kPageX, kPageY, kPageW, kPageH, key,
                               {{right - s, bottom}, {right, bottom - s}, {right - s, bottom - s}},
                               {right - s, bottom - s}));
  }
  // 3: the lower half lifts, its back rising over the page.
  {
    const float fold = kPageY + kPageH * 0.55f;
    auto key = [](int, int py) { return py > kPageH * 0.55f ? kKeyUnder : kKeyTop; };
    frames.push_back(TearFrame(
        desk, 192, 56, kPageX + kPageW - 192, kPageY + kPageH - 56, key,
        {{kPageX, fold}, {right, fold}, {right - 10, fold - 120}, {kPageX + 22, fold - 104}},
        {kPageX + 22, fold - 104}));
  }
  // 4: only the top of the page holds; the rest swings up and to the right.
  {
    const float fold = kPageY + kPageH * 0.22f;
    auto key = [](int, int py) { return py > kPageH * 0.22f ? kKeyUnder : kKeyTop; };
    frames.push_back(TearFrame(
        desk, 192, 24, 640 - 192, kPageY + kPageH - 24, key,
        {{kPageX, fold}, {right, fold}, {right + 150, 40}, {kPageX + 120, 30}}, {right + 150, 40}));
  }
  // 5: torn off, a ragged edge left at the top; the page flies off to the right.
  {
    auto key = [](int px, int py) {
      const int edge = 5 + ((px * 7) % 5);
      return py < edge ? kKeyTop : kKeyUnder;
    };
    frames.push_back(TearFrame(desk, 192, 24, 640 - 192, kPageY + kPageH - 24, key,
                               {{452, 60}, {600, 30}, {636, 150}, {500, 200}}, {636, 150}));
  }
  // 6: smaller, further right; its first column is the page's last, left alone.
  {
    Indexed frame =
        TearFrame(desk, 440, 24, 200, kPageY + kPageH - 24, [](int, int) { return kClear; },
                  {{590, 70}, {638, 60}, {639, 130}, {606, 140}}, {639, 130});
    for (int y = 0; y < frame.height; y++) frame.At(0, y) = kClear;
    frames.push_back(frame);
  }
  // 7: gone; the desk again.
  frames.push_back(
      TearFrame(desk, 584, 24, 56, kPageY + kPageH - 24, [](int, int) { return kClear; }, {}, {}));
  // Positions as the engine draws them: its table position plus the header's.
  const std::array<std::array<int, 2>, 8> table = {
      {{192, 80}, {192, 80}, {192, 80}, {192, 56}, {192, 24}, {192, 24}, {440, 24}, {584, 24}}};
  const std::array<std::array<int, 2>, 8> at = {{{kPageX, kPageY},
                                                 {kPageX, kPageY},
                                                 {kPageX, kPageY},
                                                 {192, 56},
                                                 {192, 24},
                                                 {192, 24},
                                                 {440, 24},
                                                 {584, 24}}};
  for (size_t k = 0; k < frames.size(); k++) {
    frames[k].x = static_cast<uint16_t>(at[k][0] - table[k][0]);
    frames[k].y = static_cast<uint16_t>(at[k][1] - table[k][1]);
  }
  return frames;
}

// [SECTION] Clock faces

void FillPolygon(PaintCanvas& canvas, std::vector<PaintPoint> points, PaintRgb colour) {
  PaintPath path;
  PaintPathPolygon(path, points);
  PaintFillPath(canvas, path, PaintSolid(colour));
}

void FillEllipse(PaintCanvas& canvas, float cx, float cy, float r, PaintRgb colour) {
  PaintPath path;
  PaintPathEllipse(path, cx, cy, r, r);
  PaintFillPath(canvas, path, PaintSolid(colour));
}

// A hand from the centre at `angle` (0 = twelve, clockwise), `length` long and `width` wide.
void Hand(PaintCanvas& canvas, float cx, float cy, float angle, float length, float width,
          PaintRgb colour) {
  const float sx = std::sin(angle), sy = -std::cos(angle);
  const float nx = -sy * width / 2, ny = sx * width / 2;
  FillPolygon(canvas,
              {{cx - sx * 14 + nx, cy - sy * 14 + ny},
               {cx + sx * length, cy + sy * length},
               {cx - sx * 14 - nx, cy - sy * 14 - ny}},
              colour);
}

PaintCanvas ClockFace(int hour, const PaintCommand& c) {
  const PaintRgb face = PaintCol(c, 0), night = PaintCol(c, 1), rim = PaintCol(c, 2),
                 hands = PaintCol(c, 3);
  const bool dark = hour < 6 || hour >= 18;
  const PaintRgb dial = dark ? PaintMix(face, night, 0.45f) : face;
  PaintCanvas canvas = PaintCanvasMake(kClockW, kClockH);
  constexpr float cx = kClockW / 2.0f, cy = 220, r = 120;
  FillEllipse(canvas, cx + 4, cy + 6, r + 8, {0.1f, 0.08f, 0.06f});  // its shadow on the wall
  FillEllipse(canvas, cx, cy, r + 8, rim);
  FillEllipse(canvas, cx, cy, r - 4, PaintScale(rim, 0.7f));
  FillEllipse(canvas, cx, cy, r - 8, dial);
  for (int tick = 0; tick < 60; tick++) {
    const float a = tick * static_cast<float>(M_PI) / 30;
    const bool hourTick = tick % 5 == 0;
    const float outer = r - 16, inner = outer - (hourTick ? 18 : 6), w = hourTick ? 6 : 2;
    const float sx = std::sin(a), sy = -std::cos(a), nx = -sy * w / 2, ny = sx * w / 2;
    FillPolygon(canvas,
                {{cx + sx * inner + nx, cy + sy * inner + ny},
                 {cx + sx * outer + nx, cy + sy * outer + ny},
                 {cx + sx * outer - nx, cy + sy * outer - ny},
                 {cx + sx * inner - nx, cy + sy * inner - ny}},
                hands);
  }
  Hand(canvas, cx, cy, static_cast<float>((hour % 12) * M_PI / 6), 62, 12, hands);
  Hand(canvas, cx, cy, 0, 92, 8, hands);
  FillEllipse(canvas, cx, cy, 8, rim);
  return canvas;
}

}  // namespace

// demogen paint calendar RECIPE DESK DIR
int PaintCalendar(const ToolArgs& args) {
  const std::string& recipePath = args.operands[0];
  const std::string& deskPath = args.operands[1];
  const std::string dir = args.operands[2];
  std::vector<uint8_t> bytes;
  if (!ToolReadBytes(recipePath, bytes)) return ToolFail("cannot read " + recipePath);
  PaintRecipe recipe;
  std::string error;
  if (!PaintRecipeParse(std::string(bytes.begin(), bytes.end()), kCalendarSpecs, recipe, error))
    return ToolFail(recipePath + ": " + error);
  const PaintCommand* page = nullptr;
  const PaintCommand* clock = nullptr;
  for (const PaintCommand& c : recipe.commands) (c.spec == 0 ? page : clock) = &c;
  if (!page || !clock) return ToolFail(recipePath + ": wants a page and a clock line");

  // The palette: three ramps, then the desk.
  std::vector<PalEntry> palette;
  for (int ramp = 0; ramp < 3; ramp++) {
    const PaintRgb to = PaintCol(*page, 1 + ramp);
    for (int i = 0; i < kRamp; i++)
      palette.push_back(
          Entry(PaintMix(PaintCol(*page, 0), to, static_cast<float>(i) / (kRamp - 1))));
  }
  PaintRecipe deskRecipe;
  PaintCanvas deskCanvas;
  if (!ToolReadBytes(deskPath, bytes)) return ToolFail("cannot read " + deskPath);
  if (!PaintRecipeParse(std::string(bytes.begin(), bytes.end()), PaintSceneSpecs(), deskRecipe,
                        error) ||
      !PaintScene(deskRecipe, PaintMood::Day, deskCanvas, error)) {
    return ToolFail(deskPath + ": " + error);
  }
  const std::vector<uint8_t> deskRgba = PaintCanvasRgba8(deskCanvas);
  const QuantPicture deskPicture{640, 480, deskRgba};
  QuantResult reduced;
  if (!QuantReduce({&deskPicture, 1}, kBackdropColours, 1.0f, reduced, error))
    return ToolFail(deskPath + ": " + error);
  palette.insert(palette.end(), reduced.palette.begin(), reduced.palette.end());
  Indexed desk = MakeIndexed(640, 480, 0);
  for (size_t i = 0; i < desk.px.size(); i++)
    desk.px[i] = static_cast<uint8_t>(kBackdropFirst + reduced.pixels[0][i]);

  const std::string font = PaintWord(*page, 4);
  auto path = [&dir](const std::string& name) { return dir + "/" + name; };
  if (!WriteTz2(path("cbak.tz2"), desk, palette, kTz2NoTransparent)) return kToolFailed;
  const std::vector<Indexed> frames = TearFrames(desk);
  for (size_t k = 0; k < frames.size(); k++) {
    const std::string name = "cbak_0" + std::to_string(k) + ".tz2";
    if (!WriteTz2(path(name), frames[k], palette, kClear)) return kToolFailed;
  }

  // The pieces of a page: month headers (a whole sheet of paper, drawn first), large and small
  // digits, weekday names.
  struct Piece {
    std::string name, text;
    float size;
    int w, h, baseline;
  };
  std::vector<Piece> pieces;
  const char* months[] = {"3月", "4月", "5月"};
  for (int m = 0; m < 3; m++)
    pieces.push_back({"cmon_0" + std::to_string(3 + m), months[m], 64, kPageW, kPageH, 78});
  const char* digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
  const char* weekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
  for (int d = 0; d < 10; d++) {
    pieces.push_back({"clno_0" + std::to_string(d), digits[d], 172, 112, 145, 134});
    pieces.push_back({"csno_0" + std::to_string(d), digits[d], 156, 84, 140, 128});
  }
  for (int w = 0; w < 7; w++)
    pieces.push_back({"cweek_0" + std::to_string(w), weekdays[w], 24, 78, 44, 32});
  for (const Piece& piece : pieces) {
    Indexed out;
    if (!Letter(piece.text, piece.size, font, piece.w, piece.h, 20, 20, 20 + piece.baseline, out,
                error))
      return ToolFail(recipePath + ": " + error);
    if (piece.name.rfind("cmon", 0) == 0) {
      // A rule under the month.
      for (int x = 16; x < kPageW - 16; x++) out.At(x, 96) = out.At(x, 97) = kRamp - 1;
    }
    if (!WriteTz2(path(piece.name + ".tz2"), out, palette, kTz2NoTransparent)) return kToolFailed;
  }

  // The clock faces, one palette for all, for the character range A.
  std::vector<std::vector<uint8_t>> faces;
  for (int h = 0; h < kHours; h++) faces.push_back(PaintCanvasRgba8(ClockFace(h, *clock), 0.5f));
  std::vector<QuantPicture> quant;
  for (const auto& rgba : faces) quant.push_back({kClockW, kClockH, rgba});
  QuantResult clocks;
  if (!QuantReduce(quant, kClockColours, 0.5f, clocks, error)) return ToolFail(error);
  for (int h = 0; h < kHours; h++) {
    Indexed face{kClockW, kClockH, clocks.pixels[static_cast<size_t>(h)]};
    const std::string name = (h < 10 ? "oc_0" : "oc_") + std::to_string(h) + ".tz2";
    const uint16_t transparent =
        clocks.transparent < 0 ? kTz2NoTransparent : static_cast<uint16_t>(clocks.transparent);
    if (!WriteTz2(path(name), face, clocks.palette, transparent, kClockFirst)) return kToolFailed;
  }
  return 0;
}
