// Lettering: words set in a TrueType font, their outlines filled by the painter like any other
// shape, so titles come out anti-aliased in the same way as the pictures under them.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cstdlib>

#include "demo/gen/paint/paint_local.h"
#include "tools/charset/charset.h"

namespace {

// The fonts the demo's data is made with; the same variables as the font build honours.
std::string FontFile(const std::string& name) {
  if (name == "gothic") {
    const char* path = std::getenv("LNTR3_FONT_GOTHIC");
    return path ? path : "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";
  }
  if (name == "mincho") {
    const char* path = std::getenv("LNTR3_FONT_MINCHO");
    return path ? path : "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf";
  }
  return "";
}

// One glyph's outline walked into contours of screen points.
struct Walk {
  float x0, y0;  // pen position: the glyph origin on the baseline
  float scale;   // 26.6 units to pixels
  std::vector<PaintPath> contours;
  PaintPoint At(const FT_Vector* v) const { return {x0 + v->x * scale, y0 - v->y * scale}; }
};

int MoveTo(const FT_Vector* to, void* user) {
  auto& w = *static_cast<Walk*>(user);
  w.contours.emplace_back();
  const PaintPoint p = w.At(to);
  PaintPathMove(w.contours.back(), p.x, p.y);
  return 0;
}
int LineTo(const FT_Vector* to, void* user) {
  auto& w = *static_cast<Walk*>(user);
  const PaintPoint p = w.At(to);
  PaintPathLine(w.contours.back(), p.x, p.y);
  return 0;
}
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto& w = *static_cast<Walk*>(user);
  PaintPathQuad(w.contours.back(), w.At(control), w.At(to));
  return 0;
}
int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto& w = *static_cast<Walk*>(user);
  PaintPathCubic(w.contours.back(), w.At(c1), w.At(c2), w.At(to));
  return 0;
}

// Twice the signed area of a contour's points, screen coordinates.
float Area(const std::vector<PaintPoint>& p) {
  float a = 0;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++)
    a += p[j].x * p[i].y - p[i].x * p[j].y;
  return a;
}

}  // namespace

// text x:n y:n size:n colour:c text:w font:w=mincho ink:c=#000000 inkwidth:n=0
//      align:w=left spacing:n=0
// The text ('_' for a blank) on the baseline at y, starting at x (or centred on it, or ending
// there), `size` pixels to the em, `spacing` pixels between letters, outlined with `ink`.
bool PaintCmdText(PaintSceneState& scene, const PaintCommand& c, std::string& error) {
  const std::string file = FontFile(PaintWord(c, 5));
  if (file.empty()) {
    error = "unknown font '" + PaintWord(c, 5) + "' (gothic or mincho)";
    return false;
  }
  FT_Library library;
  if (FT_Init_FreeType(&library)) {
    error = "cannot start the font renderer";
    return false;
  }
  FT_Face face;
  if (FT_New_Face(library, file.c_str(), 0, &face)) {
    FT_Done_FreeType(library);
    error = "cannot read the font " + file;
    return false;
  }
  const float size = PaintNum(c, 2), spacing = PaintNum(c, 9);
  FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(size * 64), 72, 72);

  // Lay the glyphs out once at x = 0 to learn the width, then shift for the alignment.
  Walk walk{0, PaintNum(c, 1), 1.0f / 64, {}};
  std::vector<bool> trueType;  // per contour: its glyph's filled contours turn clockwise
  const std::string& text = PaintWord(c, 4);
  float pen = 0;
  bool ok = true;
  for (size_t at = 0; at < text.size() && ok;) {
    char32_t ch = Utf8Next(text, at);
    if (ch == U'_') ch = U' ';
    if (FT_Load_Char(face, ch, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING)) {
      error = "the font has no such character";
      ok = false;
      break;
    }
    walk.x0 = pen;
    static const FT_Outline_Funcs kFuncs = {MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    FT_Outline_Decompose(&face->glyph->outline, &kFuncs, &walk);
    // Outer contours wind one way in the font, holes the other; which way is the font's own.
    const bool clockwise =
        FT_Outline_Get_Orientation(&face->glyph->outline) == FT_ORIENTATION_TRUETYPE;
    trueType.resize(walk.contours.size(), clockwise);
    pen += face->glyph->advance.x / 64.0f + spacing;
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  if (!ok) return false;

  const float width = pen - spacing;
  const std::string& align = PaintWord(c, 8);
  const float shift = PaintNum(c, 0) - (align == "centre"  ? width / 2
                                        : align == "right" ? width
                                                           : 0);
  PaintPath path;
  for (size_t i = 0; i < walk.contours.size(); i++) {
    PaintPath& contour = walk.contours[i];
    if (contour.points.size() < 3) continue;
    for (PaintPoint& p : contour.points) p.x += shift;
    // Clockwise with y up is a positive area with y down.
    const bool hole = (Area(contour.points) > 0) != trueType[i];
    PaintPathPolygon(path, contour.points, hole);
  }
  const PaintFill fill = PaintSolid(PaintCol(c, 3));
  if (PaintNum(c, 7) > 0) {
    PaintFillInked(*scene.canvas, path, fill, PaintCol(c, 6), PaintNum(c, 7));
  } else {
    PaintFillPath(*scene.canvas, path, fill);
  }
  return true;
}
