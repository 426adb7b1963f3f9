// Character recipes: the look of a character and its numbered pictures, the body with its
// clothes and arms, and the order in which a figure is painted.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "demo/gen/paint/paint_figure_local.h"

namespace {

constexpr PaintCommandSpec kFigureSpecs[] = {
    {"figure", "width:n=300 height:n=480 top:n=0 kind:w=girl"},
    {"skin", "colour:c"},
    {"hair", "colour:c style:w=long fringe:w=even length:n=1 ahoge:n=0"},
    {"eyes", "colour:c shape:w=round"},
    {"outfit", "style:w top:c bottom:c accent:c trim:c from:n=0 to:n=255"},
    {"accessory", "kind:w colour:c from:n=0 to:n=255"},
    {"pose", "number:n face:w=neutral body:w=down lookx:n=0 looky:n=0 blush:n=0 tears:n=0"},
};
enum FigureCommand { kFigure, kSkin, kHair, kEyes, kOutfit, kAccessory, kPose };

constexpr const char* kKinds[] = {"girl", "boy", "cat"};
constexpr const char* kHairStyles[] = {"long", "wavy",  "ponytail", "twintails",
                                       "bob",  "short", "braid"};
constexpr const char* kFringes[] = {"even", "side", "parted", "short"};
constexpr const char* kEyeShapes[] = {"round", "narrow", "droopy", "sharp"};
constexpr const char* kOutfits[] = {"sailor", "blazer", "cardigan", "hoodie",
                                    "dress",  "apron",  "track",    "tee"};
constexpr const char* kAccessories[] = {"ribbon",  "bow",    "hairband", "clip",
                                        "glasses", "flower", "headdress"};
constexpr const char* kBodies[] = {"down", "clasp", "chin", "hips", "wave", "chest", "behind"};

template <size_t N>
// Whether a word is in a list.
bool OneOf(const std::string& word, const char* const (&list)[N]) {
  return std::find_if(std::begin(list), std::end(list), [&](const char* w) { return word == w; }) !=
         std::end(list);
}

template <size_t N>
// A list of words for a message: "a, b, c".
std::string ListOf(const char* const (&list)[N]) {
  std::string out;
  for (const char* w : list) out += (out.empty() ? "" : ", ") + std::string(w);
  return out;
}

// Reads a recipe into a look and its poses; false, with `error` naming the line, on a bad word.
bool ReadLook(const PaintRecipe& recipe, PaintLook& look, std::vector<PaintPose>& poses,
              std::string& error) {
  for (const PaintCommand& c : recipe.commands) {
    const auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(c.line) + ": " + why;
      return false;
    };
    const auto word = [&](int i) { return c.values[i].word; };
    switch (c.spec) {
      case kFigure:
        look.width = static_cast<int>(c.values[0].number);
        look.height = static_cast<int>(c.values[1].number);
        look.top = c.values[2].number;
        look.kind = word(3);
        if (look.width < 32 || look.width > 320 || look.height < 32 || look.height > 480) {
          return fail("figure: the picture is at most 320 x 480 (and at least 32 x 32)");
        }
        if (!OneOf(look.kind, kKinds)) return fail("figure: 'kind' is one of " + ListOf(kKinds));
        break;
      case kSkin:
        look.skin = c.values[0].colour;
        break;
      case kHair:
        look.hair = c.values[0].colour;
        look.hairStyle = word(1);
        look.fringe = word(2);
        look.hairLength = std::clamp(c.values[3].number, 0.2f, 1.6f);
        look.ahoge = c.values[4].number != 0;
        if (!OneOf(look.hairStyle, kHairStyles))
          return fail("hair: 'style' is one of " + ListOf(kHairStyles));
        if (!OneOf(look.fringe, kFringes))
          return fail("hair: 'fringe' is one of " + ListOf(kFringes));
        break;
      case kEyes:
        look.eyes = c.values[0].colour;
        look.eyeShape = word(1);
        if (!OneOf(look.eyeShape, kEyeShapes))
          return fail("eyes: 'shape' is one of " + ListOf(kEyeShapes));
        break;
      case kOutfit: {
        PaintOutfit o{word(0),
                      c.values[1].colour,
                      c.values[2].colour,
                      c.values[3].colour,
                      c.values[4].colour,
                      static_cast<int>(c.values[5].number),
                      static_cast<int>(c.values[6].number)};
        if (!OneOf(o.style, kOutfits)) return fail("outfit: 'style' is one of " + ListOf(kOutfits));
        look.outfits.push_back(o);
        break;
      }
      case kAccessory: {
        PaintAccessory a{word(0), c.values[1].colour, static_cast<int>(c.values[2].number),
                         static_cast<int>(c.values[3].number)};
        if (!OneOf(a.kind, kAccessories))
          return fail("accessory: 'kind' is one of " + ListOf(kAccessories));
        look.accessories.push_back(a);
        break;
      }
      case kPose: {
        PaintPose p;
        p.number = static_cast<int>(c.values[0].number);
        p.face = word(1);
        p.body = word(2);
        p.lookX = std::clamp(c.values[3].number, -1.0f, 1.0f);
        p.lookY = std::clamp(c.values[4].number, -1.0f, 1.0f);
        p.blush = static_cast<int>(c.values[5].number);
        p.tears = c.values[6].number != 0;
        if (p.number < 0 || p.number > 255) return fail("pose: 'number' is 0..255");
        for (const PaintPose& other : poses) {
          if (other.number == p.number)
            return fail("pose: picture " + std::to_string(p.number) + " is defined twice");
        }
        const bool cat = look.kind == "cat";
        if (!PaintFaceKnown(p.face)) return fail("pose: no face '" + p.face + "'");
        if (cat ? !PaintCatKnown(p.body) : !OneOf(p.body, kBodies)) {
          return fail("pose: no body '" + p.body + "'" +
                      (cat ? "" : "; bodies are " + ListOf(kBodies)));
        }
        poses.push_back(p);
        break;
      }
      default:
        return fail("not a character command");
    }
  }
  return true;
}

// A point relative to the base of the neck.
PaintPoint B(const PaintFrame& f, float x, float y) {
  return {f.cx + x, f.ny + y};
}

// [SECTION] Body

// Whether an outfit's sleeves reach the wrist.
bool LongSleeves(const std::string& style) {
  return style == "sailor" || style == "blazer" || style == "cardigan" || style == "hoodie" ||
         style == "track";
}

// Where a garment's top ends (its hem), below the neck base.
float HemOf(const std::string& style) {
  if (style == "blazer") return 186;
  if (style == "cardigan" || style == "tee") return 172;
  if (style == "hoodie") return 196;
  if (style == "track") return 260;
  if (style == "dress" || style == "apron") return 152;
  return 166;
}

// The upper body down to a garment's hem: shoulders, waist, hips.
PaintPath Torso(const PaintFrame& f, float hem, bool boy) {
  const float sh = boy ? 96 : 86, waist = boy ? 68 : 58, hip = boy ? 70 : 68;
  PaintPath p;
  PaintPathMove(p, f.cx - 16, f.ny - 6);
  PaintPathQuad(p, B(f, -44, 2), B(f, -sh + 14, 14));
  PaintPathQuad(p, B(f, -sh - 2, 22), B(f, -sh, 48));
  PaintPathLine(p, f.cx - sh + 8, f.ny + 96);
  PaintPathQuad(p, B(f, -waist - 4, 130), B(f, -waist, 160));
  PaintPathQuad(p, B(f, -hip + 2, 200), B(f, -hip - 2, hem));
  PaintPathQuad(p, B(f, 0, hem + 6), B(f, hip + 2, hem));
  PaintPathQuad(p, B(f, hip - 2, 200), B(f, waist, 160));
  PaintPathQuad(p, B(f, waist + 4, 130), B(f, sh - 8, 96));
  PaintPathLine(p, f.cx + sh, f.ny + 48);
  PaintPathQuad(p, B(f, sh + 2, 22), B(f, sh - 14, 14));
  PaintPathQuad(p, B(f, 44, 2), B(f, 16, -6));
  PaintPathClose(p);
  return p;
}

// A pleated skirt (or the dress's skirt) from the waist down.
void Skirt(PaintFrame& f, PaintRgb colour, bool plaid, PaintRgb lines) {
  PaintPath p;
  PaintPathMove(p, f.cx - 60, f.ny + 148);
  PaintPathLine(p, f.cx + 60, f.ny + 148);
  PaintPathQuad(p, B(f, 80, 196), B(f, 108, 262));
  PaintPathLine(p, f.cx - 108, f.ny + 262);
  PaintPathQuad(p, B(f, -80, 196), B(f, -60, 148));
  PaintPathClose(p);
  PaintShape(f, p, PaintLinear(B(f, 0, 148), colour, B(f, 0, 262), PaintScale(colour, 0.8f)),
             PaintInk(colour));
  PaintPath pleats;
  for (int i = -4; i <= 4; i++) {
    const PaintPoint line[] = {B(f, i * 11.0f, 162), B(f, i * 24.0f, 262)};
    PaintPathTaper(pleats, line, 0.4f, 1.6f);
  }
  PaintFillPath(*f.canvas, pleats, PaintSolid(PaintInk(colour), 0.6f), PaintBlend::Over, 1, &p);
  if (plaid) {
    PaintPath check;
    for (int i = 0; i < 4; i++)
      PaintPathRect(check, f.cx - 120, f.ny + 175 + i * 24, f.cx + 120, f.ny + 178 + i * 24);
    for (int i = -5; i <= 5; i++)
      PaintPathRect(check, f.cx + i * 20 - 1.5f, f.ny + 150, f.cx + i * 20 + 1.5f, f.ny + 270);
    PaintFillPath(*f.canvas, check, PaintSolid(lines, 0.45f), PaintBlend::Over, 1, &p);
  }
}

// Light from the upper left: the figure's far side and the chest under the chin are darker.
void BodyShade(PaintFrame& f, const PaintPath& torso, PaintRgb colour) {
  PaintPath shade;
  PaintPathEllipse(shade, f.cx + 84, f.ny + 120, 44, 170);
  PaintPathEllipse(shade, f.cx, f.ny + 2, 40, 16);
  PaintFillPath(*f.canvas, shade, PaintSolid(PaintScale(colour, 0.8f), 0.7f), PaintBlend::Over, 1,
                &torso);
}

// The neck with the shadow under the chin.
void Neck(PaintFrame& f, const PaintLook& look) {
  PaintPath neck;
  const PaintPoint n[] = {B(f, -15, -64), B(f, 15, -64), B(f, 17, 6), B(f, -17, 6)};
  PaintPathPolygon(neck, n);
  PaintShape(f, neck, PaintSolid(look.skin), PaintInk(look.skin), 1.4f);
  PaintPath shadow;
  PaintPathEllipse(shadow, f.cx, f.ny - 52, 22, 14);
  PaintFillPath(*f.canvas, shadow,
                PaintSolid(PaintMix(PaintScale(look.skin, 0.82f), {0.9f, 0.5f, 0.5f}, 0.12f)),
                PaintBlend::Over, 1, &neck);
}

// The sailor collar and the scarf tied at its point.
void SailorCollar(PaintFrame& f, PaintRgb collar, PaintRgb scarf) {
  PaintPath p;
  const PaintPoint c[] = {B(f, -16, -6), B(f, -74, 16), B(f, -76, 46), B(f, -30, 62), B(f, 0, 86),
                          B(f, 30, 62),  B(f, 76, 46),  B(f, 74, 16),  B(f, 16, -6),  B(f, 0, 60)};
  PaintPathPolygon(p, c);
  PaintShape(f, p, PaintSolid(collar), PaintInk(collar));
  PaintPath stripe;
  const PaintPoint l[] = {B(f, -70, 40), B(f, -30, 54), B(f, 0, 76), B(f, 30, 54), B(f, 70, 40)};
  PaintPathStroke(stripe, l, 2.4f);
  PaintFillPath(*f.canvas, stripe, PaintSolid({0.96f, 0.96f, 0.98f}), PaintBlend::Over, 1, &p);
  PaintPath bow;
  const PaintPoint left[] = {B(f, 0, 70), B(f, -26, 60), B(f, -24, 82)};
  const PaintPoint right[] = {B(f, 0, 70), B(f, 26, 60), B(f, 24, 82)};
  const PaintPoint tails[] = {B(f, -5, 72), B(f, 5, 72),   B(f, 14, 124), B(f, 4, 118),
                              B(f, 0, 96),  B(f, -4, 118), B(f, -14, 124)};
  PaintPathPolygon(bow, tails);
  PaintPathPolygon(bow, left);
  PaintPathPolygon(bow, right);
  PaintShape(f, bow, PaintSolid(scarf), PaintInk(scarf));
  PaintPath knot;
  PaintPathEllipse(knot, f.cx, f.ny + 71, 6, 7);
  PaintShape(f, knot, PaintSolid(PaintScale(scarf, 0.85f)), PaintInk(scarf));
}

// A column of buttons at x, one at each height.
void Buttons(PaintFrame& f, float x, std::initializer_list<float> ys, PaintRgb colour) {
  PaintPath p;
  for (float y : ys) PaintPathEllipse(p, f.cx + x, f.ny + y, 3.2f, 3.2f);
  PaintShape(f, p, PaintSolid(colour), PaintInk(colour), 1.0f);
}

// Everything worn on the body, lower garment first.
void Clothes(PaintFrame& f, const PaintLook& look, const PaintOutfit& o) {
  const bool boy = look.kind == "boy";
  const std::string& s = o.style;
  const PaintRgb white = {0.97f, 0.97f, 0.98f};
  if (s == "hoodie") {  // the hood lies behind the neck
    PaintPath hood;
    PaintPathEllipse(hood, f.cx, f.ny - 6, 64, 26);
    PaintShape(f, hood, PaintSolid(PaintScale(o.top, 0.85f)), PaintInk(o.top));
  }
  Neck(f, look);
  if (s == "dress" || s == "apron") {
    Skirt(f, o.top, false, o.top);
    PaintPath lace;
    PaintPathRect(lace, f.cx - 120, f.ny + 240, f.cx + 120, f.ny + 262);
    PaintFillPath(*f.canvas, lace, PaintSolid(s == "apron" ? o.top : o.bottom));
  } else if (s != "track") {
    Skirt(f, o.bottom, s == "blazer", o.accent);
  }
  const PaintRgb body = s == "cardigan" ? white : o.top;  // a cardigan is worn over a blouse
  const PaintPath torso = Torso(f, HemOf(s), boy);
  PaintShape(f, torso, PaintSolid(body), PaintInk(body));
  BodyShade(f, torso, body);
  if (s == "sailor") {
    SailorCollar(f, o.accent, o.trim);
  } else if (s == "cardigan") {
    PaintPath panels;
    for (int side = -1; side <= 1; side += 2) {
      const PaintPoint p[] = {B(f, side * 86.0f, 40),  B(f, side * 80.0f, 96),
                              B(f, side * 62.0f, 150), B(f, side * 66.0f, 174),
                              B(f, side * 20.0f, 176), B(f, side * 22.0f, 96),
                              B(f, side * 40.0f, 54),  B(f, side * 62.0f, 30)};
      PaintPathPolygon(panels, p);
    }
    PaintShape(f, panels, PaintSolid(o.top), PaintInk(o.top));
    BodyShade(f, panels, o.top);
    PaintPath hem;
    PaintPathRect(hem, f.cx - 80, f.ny + 164, f.cx + 80, f.ny + 176);
    PaintFillPath(*f.canvas, hem, PaintSolid(PaintScale(o.top, 0.88f)), PaintBlend::Over, 1,
                  &panels);
    SailorCollar(f, o.accent, o.trim);
    Buttons(f, -24, {110, 136, 160}, PaintMix(o.top, {1, 1, 1}, 0.5f));
  } else if (s == "blazer") {
    PaintPath shirt;
    const PaintPoint v[] = {B(f, -18, -6), B(f, 18, -6), B(f, 10, 100), B(f, 0, 108),
                            B(f, -10, 100)};
    PaintPathPolygon(shirt, v);
    PaintShape(f, shirt, PaintSolid(o.trim), PaintInk(o.trim));
    PaintPath tie;
    const PaintPoint t[] = {B(f, -5, 8), B(f, 5, 8), B(f, 9, 86), B(f, 0, 98), B(f, -9, 86)};
    PaintPathPolygon(tie, t);
    PaintPathRect(tie, f.cx - 7, f.ny - 4, f.cx + 7, f.ny + 9, 2);
    PaintShape(f, tie, PaintSolid(o.accent), PaintInk(o.accent));
    PaintPath lapels;
    for (int side = -1; side <= 1; side += 2) {
      const PaintPoint l[] = {B(f, side * 18.0f, -6), B(f, side * 34.0f, 8), B(f, side * 26.0f, 40),
                              B(f, side * 16.0f, 100), B(f, side * 10.0f, 100)};
      PaintPathPolygon(lapels, l);
    }
    PaintShape(f, lapels, PaintSolid(PaintScale(o.top, 0.86f)), PaintInk(o.top));
    Buttons(f, 4, {126, 156}, {0.9f, 0.78f, 0.4f});
  } else if (s == "hoodie") {
    PaintPath collar;
    PaintPathMove(collar, f.cx - 30, f.ny - 4);
    PaintPathQuad(collar, B(f, 0, 30), B(f, 30, -4));
    PaintPathQuad(collar, B(f, 0, 16), B(f, -30, -4));
    PaintPathClose(collar);
    PaintShape(f, collar, PaintSolid(o.trim), PaintInk(o.top));
    PaintPath strings;
    const PaintPoint a[] = {B(f, -10, 14), B(f, -13, 70)};
    const PaintPoint b[] = {B(f, 10, 14), B(f, 14, 66)};
    PaintPathStroke(strings, a, 2.4f);
    PaintPathStroke(strings, b, 2.4f);
    PaintShape(f, strings, PaintSolid(o.accent), PaintInk(o.accent), 0.8f);
    PaintPath pocket;
    const PaintPoint p[] = {B(f, -44, 120), B(f, 44, 120), B(f, 56, 176), B(f, -56, 176)};
    PaintPathPolygon(pocket, p);
    PaintShape(f, pocket, PaintSolid(PaintScale(o.top, 0.92f)), PaintInk(o.top));
    PaintPath band;
    PaintPathRect(band, f.cx - 90, f.ny + 182, f.cx + 90, f.ny + 200);
    PaintFillPath(*f.canvas, band, PaintSolid(PaintScale(o.top, 0.85f)), PaintBlend::Over, 1,
                  &torso);
  } else if (s == "dress" || s == "apron") {
    PaintPath belt;
    PaintPathRect(belt, f.cx - 70, f.ny + 140, f.cx + 70, f.ny + 154);
    PaintFillPath(*f.canvas, belt, PaintSolid(o.accent), PaintBlend::Over, 1, &torso);
    if (s == "apron") {
      PaintPath apron;
      const PaintPoint bib[] = {B(f, -34, 40), B(f, 34, 40), B(f, 40, 150), B(f, -40, 150)};
      PaintPathPolygon(apron, bib);
      PaintPathMove(apron, f.cx - 64, f.ny + 146);
      PaintPathLine(apron, f.cx + 64, f.ny + 146);
      PaintPathQuad(apron, B(f, 80, 200), B(f, 84, 262));
      PaintPathLine(apron, f.cx - 84, f.ny + 262);
      PaintPathQuad(apron, B(f, -80, 200), B(f, -64, 146));
      PaintPathClose(apron);
      PaintShape(f, apron, PaintSolid(o.bottom), PaintInk(o.bottom));
      PaintPath straps;
      for (int side = -1; side <= 1; side += 2) {
        std::vector<PaintPoint> frill;
        for (int i = 0; i <= 10; i++) {
          const float t = i / 10.0f;
          frill.push_back(B(f, side * (34 + 18 * t) + 3 * std::sin(i * 2.0f), 40 - 36 * t));
        }
        PaintPathStroke(straps, frill, 7);
      }
      PaintShape(f, straps, PaintSolid(o.trim), PaintInk(o.trim), 1.0f);
    }
    PaintPath collar;
    PaintPathEllipse(collar, f.cx - 20, f.ny + 6, 24, 13, 0.25f);
    PaintPathEllipse(collar, f.cx + 20, f.ny + 6, 24, 13, -0.25f);
    PaintShape(f, collar, PaintSolid(o.trim), PaintInk(o.trim));
    PaintPath bow;
    const PaintPoint l[] = {B(f, 0, 22), B(f, -20, 12), B(f, -18, 34)};
    const PaintPoint r[] = {B(f, 0, 22), B(f, 20, 12), B(f, 18, 34)};
    PaintPathPolygon(bow, l);
    PaintPathPolygon(bow, r);
    PaintPathEllipse(bow, f.cx, f.ny + 22, 5, 5);
    PaintShape(f, bow, PaintSolid(o.accent), PaintInk(o.accent));
  } else if (s == "track") {
    PaintPath collar;
    PaintPathRect(collar, f.cx - 22, f.ny - 12, f.cx + 22, f.ny + 10, 4);
    PaintShape(f, collar, PaintSolid(o.top), PaintInk(o.top));
    PaintPath zip;
    const PaintPoint z[] = {B(f, 0, -10), B(f, 0, 260)};
    PaintPathStroke(zip, z, 2.2f);
    PaintPathRect(zip, f.cx - 3, f.ny + 20, f.cx + 3, f.ny + 32, 1);
    PaintShape(f, zip, PaintSolid(o.trim), PaintInk(o.trim), 0.8f);
    PaintPath stripes;
    for (int side = -1; side <= 1; side += 2) {
      const PaintPoint st[] = {B(f, side * 70.0f, 24), B(f, side * 58.0f, 160),
                               B(f, side * 66.0f, 260)};
      PaintPathStroke(stripes, st, 5);
    }
    PaintFillPath(*f.canvas, stripes, PaintSolid(o.accent), PaintBlend::Over, 1, &torso);
  } else if (s == "tee") {
    PaintPath neckline;
    PaintPathMove(neckline, f.cx - 22, f.ny - 6);
    PaintPathQuad(neckline, B(f, 0, 26), B(f, 22, -6));
    PaintPathClose(neckline);
    PaintShape(f, neckline, PaintSolid(look.skin), PaintInk(look.skin), 1.2f);
    PaintPath star;
    std::vector<PaintPoint> pts;
    for (int i = 0; i < 10; i++) {
      const float a = -std::numbers::pi_v<float> / 2 + i * std::numbers::pi_v<float> / 5;
      const float r = i % 2 ? 9 : 20;
      pts.push_back(B(f, -24 + std::cos(a) * r, 80 + std::sin(a) * r));
    }
    PaintPathPolygon(star, pts);
    PaintShape(f, star, PaintSolid(o.accent), PaintInk(o.accent), 1.0f);
    PaintPath hem;
    PaintPathRect(hem, f.cx - 90, f.ny + 162, f.cx + 90, f.ny + 180);
    PaintFillPath(*f.canvas, hem, PaintSolid(o.trim), PaintBlend::Over, 1, &torso);
  }
}

// [SECTION] Arms

struct ArmPose {
  PaintPoint elbow, wrist, hand;
  bool open = false;  // an open, waving hand
};

// Joint positions of the arm on `side` (-1 left of the picture, +1 right) for a body pose.
ArmPose ArmFor(const std::string& body, float side) {
  const auto down = ArmPose{{side * 90, 120}, {side * 88, 196}, {side * 86, 212}};
  if (body == "clasp") return {{side * 88, 116}, {side * 24, 176}, {side * 8, 184}};
  if (body == "hips") return {{side * 116, 100}, {side * 72, 156}, {side * 64, 160}};
  if (body == "behind") return {{side * 88, 110}, {side * 62, 170}, {side * 56, 176}};
  if (side > 0) {
    if (body == "chin") return {{54, 120}, {26, 10}, {20, -26}};
    if (body == "wave") return {{118, -4}, {124, -92}, {124, -112}, true};
    if (body == "chest") return {{86, 112}, {30, 72}, {16, 64}};
  }
  return down;
}

void Arm(PaintFrame& f, const PaintLook& look, const PaintOutfit& o, const std::string& body,
         float side) {
  const ArmPose a = ArmFor(body, side);
  const PaintPoint s = B(f, side * 76, 34), e = B(f, a.elbow.x, a.elbow.y),
                   w = B(f, a.wrist.x, a.wrist.y);
  const PaintPoint h = B(f, a.hand.x, a.hand.y);
  const bool longSleeve = LongSleeves(o.style);
  const PaintRgb skin = look.skin;
  const PaintPoint upper[] = {s, e};
  const PaintPoint fore[] = {e, w};
  PaintPath sleevePath, skinPath;
  if (longSleeve) {
    PaintPathTaper(sleevePath, upper, 32, 27);
    PaintPathTaper(sleevePath, fore, 27, 23);
  } else {
    const PaintPoint mid = {s.x + (e.x - s.x) * 0.45f, s.y + (e.y - s.y) * 0.45f};
    const PaintPoint arm[] = {mid, e};
    PaintPathTaper(skinPath, arm, 22, 19);
    PaintPathTaper(skinPath, fore, 19, 15);
    PaintShape(f, skinPath, PaintSolid(skin), PaintInk(skin), 1.4f);
    const PaintPoint puff[] = {s, {s.x + (e.x - s.x) * 0.5f, s.y + (e.y - s.y) * 0.5f}};
    PaintPathTaper(sleevePath, puff, 36, 30);
  }
  const PaintRgb sleeveColour = o.top;
  PaintShape(f, sleevePath, PaintSolid(sleeveColour), PaintInk(sleeveColour));
  // A shaded band down the back of the arm.
  PaintPath shade;
  const float nx = side * 8;
  const PaintPoint back[] = {{s.x + nx, s.y + 6}, {e.x + nx, e.y}, {w.x + nx * 0.7f, w.y}};
  PaintPathTaper(
      shade, longSleeve ? std::span<const PaintPoint>(back) : std::span<const PaintPoint>(back, 2),
      9, 6);
  PaintFillPath(*f.canvas, shade, PaintSolid(PaintScale(sleeveColour, 0.8f), 0.8f),
                PaintBlend::Over, 1, &sleevePath);
  if (longSleeve && (o.style == "sailor" || o.style == "track")) {
    PaintPath cuff;
    const PaintPoint c[] = {{e.x + (w.x - e.x) * 0.86f, e.y + (w.y - e.y) * 0.86f}, w};
    PaintPathTaper(cuff, c, 25, 24);
    PaintShape(f, cuff, PaintSolid(o.accent), PaintInk(o.accent));
  }
  if (o.style == "track") {
    PaintPath stripe;
    const PaintPoint st[] = {
        {s.x + side * 9, s.y}, {e.x + side * 8, e.y}, {w.x + side * 6, w.y - 10}};
    PaintPathStroke(stripe, st, 4);
    PaintFillPath(*f.canvas, stripe, PaintSolid(o.accent), PaintBlend::Over, 1, &sleevePath);
  }
  // The hand last, in front of its cuff.
  PaintPath hand;
  const float angle = std::atan2(h.y - w.y, h.x - w.x) - std::numbers::pi_v<float> / 2;
  if (body != "behind" || side == 0) {
    PaintPathEllipse(hand, h.x, h.y, a.open ? 12 : 10, a.open ? 13 : 12, angle);
    if (a.open) {
      for (int i = 0; i < 4; i++) {
        const float fx = h.x - 9 + i * 6, fy = h.y - 14 - (i == 1 || i == 2 ? 6 : 2);
        PaintPathEllipse(hand, fx, fy, 3.2f, 8, (i - 1.5f) * 0.12f);
      }
      PaintPathEllipse(hand, h.x + side * 13, h.y + 2, 4, 7, side * 0.8f);
    }
    PaintShape(f, hand, PaintSolid(skin), PaintInk(skin), 1.4f);
  }
}

// The outfit worn in a picture: the last one whose range holds it.
const PaintOutfit& OutfitFor(const PaintLook& look, int pose) {
  static const PaintOutfit kPlain = {
      "tee", {0.9f, 0.9f, 0.92f}, {0.3f, 0.35f, 0.5f}, {0.8f, 0.3f, 0.3f}, {0.9f, 0.9f, 0.92f}};
  const PaintOutfit* found = &kPlain;
  for (const PaintOutfit& o : look.outfits) {
    if (pose >= o.from && pose <= o.to) found = &o;
  }
  return *found;
}

// [SECTION] Accessories

// Ribbons, bands, clips, glasses and the rest, over the hair.
void Accessories(PaintFrame& f, const PaintLook& look, int number) {
  const auto H = [&](float x, float y) { return PaintPoint{f.cx + x, f.hy + y}; };
  for (const PaintAccessory& a : look.accessories) {
    if (number < a.from || number > a.to) continue;
    const PaintRgb c = a.colour;
    if (a.kind == "ribbon" || a.kind == "bow") {
      const bool big = a.kind == "bow";
      std::vector<PaintPoint> at;
      if (look.hairStyle == "ponytail" && !big)
        at = {H(32, -98)};
      else if (look.hairStyle == "twintails" && !big)
        at = {H(-58, -72), H(58, -72)};
      else
        at = {big ? H(-34, -100) : H(44, -92)};
      for (const PaintPoint& p : at) {
        const float s = big ? 1.5f : 1.0f;
        PaintPath bow;
        const PaintPoint l[] = {p, {p.x - 24 * s, p.y - 14 * s}, {p.x - 22 * s, p.y + 12 * s}};
        const PaintPoint r[] = {p, {p.x + 24 * s, p.y - 14 * s}, {p.x + 22 * s, p.y + 12 * s}};
        PaintPathPolygon(bow, l);
        PaintPathPolygon(bow, r);
        PaintShape(f, bow,
                   PaintLinear({p.x, p.y - 14 * s}, PaintScale(c, 1.1f), {p.x, p.y + 12 * s},
                               PaintScale(c, 0.8f)),
                   PaintInk(c));
        PaintPath knot;
        PaintPathEllipse(knot, p.x, p.y, 6 * s, 7 * s);
        PaintShape(f, knot, PaintSolid(c), PaintInk(c));
      }
    } else if (a.kind == "hairband") {
      PaintPath band;
      const std::vector<PaintPoint> arc =
          PaintCubicPoints(H(-74, -20), H(-66, -104), H(66, -104), H(74, -20), 24);
      PaintPathTaper(band, arc, 9, 9);
      PaintShape(f, band, PaintSolid(c), PaintInk(c), 1.4f);
    } else if (a.kind == "clip") {
      PaintPath clip;
      PaintPathRect(clip, f.cx - 56, f.hy - 50, f.cx - 30, f.hy - 44, 2);
      PaintPathRect(clip, f.cx - 54, f.hy - 40, f.cx - 28, f.hy - 34, 2);
      PaintShape(f, clip, PaintSolid(c), PaintInk(c), 1.0f);
    } else if (a.kind == "flower") {
      PaintPath petals;
      const PaintPoint centre = H(56, -52);
      for (int i = 0; i < 5; i++) {
        const float t = 2 * std::numbers::pi_v<float> * i / 5;
        PaintPathEllipse(petals, centre.x + std::cos(t) * 8, centre.y + std::sin(t) * 8, 7, 7);
      }
      PaintShape(f, petals, PaintSolid(c), PaintInk(c), 1.0f);
      PaintPath heart;
      PaintPathEllipse(heart, centre.x, centre.y, 4.5f, 4.5f);
      PaintShape(f, heart, PaintSolid({1.0f, 0.86f, 0.4f}), PaintInk({1.0f, 0.86f, 0.4f}), 0.8f);
    } else if (a.kind == "headdress") {
      PaintPath band;
      std::vector<PaintPoint> top =
          PaintCubicPoints(H(-62, -66), H(-40, -106), H(40, -106), H(62, -66), 20);
      for (size_t i = 0; i < top.size(); i++) top[i].y -= (i % 2) * 5.0f;
      PaintPathTaper(band, top, 14, 14);
      PaintShape(f, band, PaintSolid(c), PaintInk(c), 1.2f);
    } else if (a.kind == "glasses") {
      PaintPath frames;
      for (int side = -1; side <= 1; side += 2) {
        PaintPathRect(frames, f.cx + side * 27 - 21, f.hy + 1, f.cx + side * 27 + 21, f.hy + 33, 9);
      }
      PaintPath glass = frames;
      PaintFillPath(*f.canvas, glass, PaintSolid({0.85f, 0.92f, 1.0f}, 0.18f));
      PaintPath glare;
      for (int side = -1; side <= 1; side += 2) {
        const PaintPoint g[] = {{f.cx + side * 27 - 10, f.hy + 30},
                                {f.cx + side * 27 + 4, f.hy + 4}};
        PaintPathStroke(glare, g, 4);
      }
      PaintFillPath(*f.canvas, glare, PaintSolid({1, 1, 1}, 0.35f), PaintBlend::Over, 1, &frames);
      PaintStrokePath(*f.canvas, frames, 2.2f, c);
      PaintPath bridge;
      const PaintPoint br[] = {H(-6, 12), H(0, 9), H(6, 12)};
      PaintPathStroke(bridge, br, 2);
      PaintFillPath(*f.canvas, bridge, PaintSolid(c));
    }
  }
}

}  // namespace

// [SECTION] Shared helpers

// The line colour of a fill colour.
PaintRgb PaintInk(PaintRgb fill) {
  return PaintMix(PaintScale(fill, 0.42f), {0.25f, 0.1f, 0.12f}, 0.35f);
}

void PaintShape(PaintFrame& f, const PaintPath& path, const PaintFill& fill, PaintRgb ink,
                float line, const PaintPath* clip) {
  if (line > 0) {
    PaintFillInked(*f.canvas, path, fill, ink, line, clip);
  } else {
    PaintFillPath(*f.canvas, path, fill, PaintBlend::Over, 1, clip);
  }
}

// A smooth band along a centre line, as wide as given at each point.
PaintPath PaintRibbon(std::span<const PaintPoint> centre, std::span<const float> widths) {
  std::vector<PaintPoint> left, right;
  const size_t n = centre.size();
  for (size_t i = 0; i < n; i++) {
    const PaintPoint a = centre[i > 0 ? i - 1 : 0], b = centre[i + 1 < n ? i + 1 : n - 1];
    const float dx = b.x - a.x, dy = b.y - a.y, len = std::max(1e-3f, std::hypot(dx, dy));
    const float w = widths[std::min(i, widths.size() - 1)] / 2;
    left.push_back({centre[i].x - dy / len * w, centre[i].y + dx / len * w});
    right.push_back({centre[i].x + dy / len * w, centre[i].y - dx / len * w});
  }
  // Smooth both sides through their points.
  std::vector<PaintPoint> outline;
  const auto smooth = [&](const std::vector<PaintPoint>& side) {
    for (size_t i = 0; i + 1 < side.size(); i++) {
      const PaintPoint p0 = side[i], p1 = side[i + 1];
      const PaintPoint before = side[i > 0 ? i - 1 : 0],
                       after = side[std::min(i + 2, side.size() - 1)];
      const PaintPoint c1 = {p0.x + (p1.x - before.x) / 6, p0.y + (p1.y - before.y) / 6};
      const PaintPoint c2 = {p1.x - (after.x - p0.x) / 6, p1.y - (after.y - p0.y) / 6};
      const std::vector<PaintPoint> seg = PaintCubicPoints(p0, c1, c2, p1, 8);
      outline.insert(outline.end(), seg.begin() + (i > 0 ? 1 : 0), seg.end());
    }
  };
  smooth(left);
  std::reverse(right.begin(), right.end());
  smooth(right);
  PaintPath path;
  PaintPathPolygon(path, outline);
  return path;
}

// The points moved by (dx, dy).
std::vector<PaintPoint> PaintOffset(std::vector<PaintPoint> points, float dx, float dy) {
  for (PaintPoint& p : points) {
    p.x += dx;
    p.y += dy;
  }
  return points;
}

// [SECTION] Entry points

// The command table of character recipes.
std::span<const PaintCommandSpec> PaintFigureSpecs() {
  return kFigureSpecs;
}

// The picture numbers of a recipe, in recipe order.
std::vector<int> PaintFigurePoses(const PaintRecipe& recipe) {
  PaintLook look;
  std::vector<PaintPose> poses;
  std::string error;
  std::vector<int> numbers;
  if (!ReadLook(recipe, look, poses, error)) return numbers;
  for (const PaintPose& p : poses) numbers.push_back(p.number);
  return numbers;
}

// Paints one picture of a character: hair, body, arms, head, accessories, in that order.
bool PaintFigure(const PaintRecipe& recipe, int number, PaintCanvas& canvas, std::string& error) {
  PaintLook look;
  std::vector<PaintPose> poses;
  if (!ReadLook(recipe, look, poses, error)) return false;
  const auto pose = std::find_if(poses.begin(), poses.end(),
                                 [&](const PaintPose& p) { return p.number == number; });
  if (pose == poses.end()) {
    error = "no picture " + std::to_string(number) + " (no 'pose' line for it)";
    return false;
  }
  canvas = PaintCanvasMake(look.width, look.height);
  PaintFrame f;
  f.canvas = &canvas;
  f.cx = look.width / 2.0f;
  f.hy = 150 + look.top;
  f.ny = f.hy + 100;
  if (look.kind == "cat") {
    PaintCat(f, look, *pose);
    return true;
  }
  const PaintOutfit& outfit = OutfitFor(look, number);
  PaintHairBack(f, look);
  if (pose->body == "behind") {
    Arm(f, look, outfit, pose->body, -1);
    Arm(f, look, outfit, pose->body, 1);
  }
  Clothes(f, look, outfit);
  PaintHairBraid(f, look);
  if (pose->body != "behind") {
    Arm(f, look, outfit, pose->body, -1);
    if (pose->body != "chin") Arm(f, look, outfit, pose->body, 1);
  }
  PaintHead(f, look, *pose);
  PaintHairFront(f, look, *pose);
  Accessories(f, look, number);
  if (pose->body == "chin") Arm(f, look, outfit, pose->body, 1);
  return true;
}
