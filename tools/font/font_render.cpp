// The font builder's glyph maker: characters rendered through FreeType into 24 x 24 one-bit
// cells, and the cursor and arrow symbols drawn here so every font shows them alike.
#include "tools/font/font_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

struct FontFace {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int pixels = kFontGlyphSize;
  int top = 0;       // row of the em box's top edge in the cell
  int baseline = 0;  // row of the baseline in the cell
};

// Tests one pixel's bit.
bool FontGlyphPixel(const FontGlyph& glyph, int x, int y) {
  if (x < 0 || y < 0 || x >= kFontGlyphSize || y >= kFontGlyphSize) return false;
  return glyph[static_cast<size_t>(y * 3 + x / 8)] & (0x80 >> (x % 8));
}

// Sets one pixel's bit.
void FontGlyphSet(FontGlyph& glyph, int x, int y) {
  if (x < 0 || y < 0 || x >= kFontGlyphSize || y >= kFontGlyphSize) return;
  glyph[static_cast<size_t>(y * 3 + x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
}

// Prints the glyph as rows of '#' and '.'.
std::string FontGlyphText(const FontGlyph& glyph) {
  std::string text;
  for (int y = 0; y < kFontGlyphSize; y++) {
    for (int x = 0; x < kFontGlyphSize; x++) text += FontGlyphPixel(glyph, x, y) ? '#' : '.';
    text += '\n';
  }
  return text;
}

namespace {

// Where a symbol points; the drawing is made pointing right and turned.
enum class FontPointing { Right, Left, Up, Down };

// A filled triangle pointing `way`: base 16 pixels (rows 4..19 when pointing right), reaching
// `length` pixels from column `from` towards its tip. Sampled at pixel centres.
void FontDrawTriangle(FontGlyph& glyph, FontPointing way, int from, int length) {
  constexpr double kCentre = 12.0, kHalfBase = 8.0;
  for (int along = 0; along < length; along++) {
    const double reach = (1.0 - (along + 0.5) / length) * kHalfBase;
    for (int across = 0; across < kFontGlyphSize; across++) {
      if (std::fabs(across + 0.5 - kCentre) > reach + 0.25) continue;
      const int a = from + along;
      switch (way) {
        case FontPointing::Right:
          FontGlyphSet(glyph, a, across);
          break;
        case FontPointing::Left:
          FontGlyphSet(glyph, kFontGlyphSize - 1 - a, across);
          break;
        case FontPointing::Down:
          FontGlyphSet(glyph, across, a);
          break;
        case FontPointing::Up:
          FontGlyphSet(glyph, across, kFontGlyphSize - 1 - a);
          break;
      }
    }
  }
}

}  // namespace

// Draws the builder's own symbols. The shadow falls 2 pixels right and down, so every symbol
// keeps inside columns and rows 3..20.
bool FontDrawSymbol(std::string_view name, FontGlyph& glyph) {
  glyph.fill(0);
  if (name == "blank") return true;
  if (name == "cursor-line") {
    FontDrawTriangle(glyph, FontPointing::Right, 6, 13);
  } else if (name == "back") {
    FontDrawTriangle(glyph, FontPointing::Left, 6, 13);
  } else if (name == "arrow-up") {
    FontDrawTriangle(glyph, FontPointing::Up, 6, 13);
  } else if (name == "arrow-down") {
    FontDrawTriangle(glyph, FontPointing::Down, 6, 13);
  } else if (name == "cursor-page") {
    // A downward triangle resting on a bar: the page ends here.
    FontDrawTriangle(glyph, FontPointing::Down, 4, 11);
    for (int y = 17; y <= 19; y++) {
      for (int x = 4; x <= 19; x++) FontGlyphSet(glyph, x, y);
    }
  } else {
    return false;
  }
  return true;
}

// Releases the face and its FreeType library.
void FontFaceClose::operator()(FontFace* face) const {
  if (face->face) FT_Done_Face(face->face);
  if (face->library) FT_Done_FreeType(face->library);
  delete face;
}

// Opens a face and works out where its em box and baseline sit in the cell.
FontFacePtr FontFaceOpen(const std::string& path, int index, int pixels, std::string& error) {
  FontFacePtr font(new FontFace);
  if (FT_Init_FreeType(&font->library)) {
    error = "FreeType could not start";
    return nullptr;
  }
  if (FT_New_Face(font->library, path.c_str(), index, &font->face)) {
    error = "cannot open face " + std::to_string(index) + " of '" + path + "'";
    return nullptr;
  }
  if (!FT_IS_SCALABLE(font->face)) {
    error = "'" + path + "' is not a scalable font";
    return nullptr;
  }
  if (FT_Set_Pixel_Sizes(font->face, 0, static_cast<FT_UInt>(pixels))) {
    error = "cannot set the size " + std::to_string(pixels) + " in '" + path + "'";
    return nullptr;
  }
  // The ideographic em box usually runs from 0.88 em above the baseline to 0.12 em below it;
  // the typographic ascent and descent say so when they span one em, as in CJK faces.
  double ascent = 0.88;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(font->face, FT_SFNT_OS2));
  const double em = font->face->units_per_EM;
  if (os2 && os2->version != 0xFFFF && os2->sTypoAscender > 0) {
    const double span = os2->sTypoAscender - os2->sTypoDescender;
    if (std::fabs(span - em) <= em * 0.1) ascent = os2->sTypoAscender / span;
  }
  font->pixels = pixels;
  font->top = (kFontGlyphSize - pixels) / 2;
  font->baseline = font->top + static_cast<int>(std::lround(pixels * ascent));
  return font;
}

// Family and style as the face names them.
std::string FontFaceName(const FontFace& face) {
  std::string name = face.face->family_name ? face.face->family_name : "?";
  if (face.face->style_name) name += std::string(" ") + face.face->style_name;
  return name;
}

// Renders with FreeType's auto-hinter in one-bit mode: at 24 pixels it puts strokes on whole
// pixels, one pixel wide and evenly spaced, the look of a hand-made bitmap font, whatever hints
// (or none) the face carries for small sizes.
bool FontRenderCharacter(FontFace& font, char32_t character, FontGlyph& glyph) {
  glyph.fill(0);
  const FT_UInt index = FT_Get_Char_Index(font.face, character);
  if (index == 0) return false;
  constexpr FT_Int32 kLoad = FT_LOAD_NO_BITMAP | FT_LOAD_FORCE_AUTOHINT | FT_LOAD_TARGET_MONO;
  if (FT_Load_Glyph(font.face, index, kLoad)) return false;
  FT_GlyphSlot slot = font.face->glyph;
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO)) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  // Centre the advance in the cell (full-width glyphs advance one em).
  const int advance = static_cast<int>((slot->advance.x + 32) >> 6);
  const int left = (kFontGlyphSize - advance) / 2 + slot->bitmap_left;
  const int top = font.baseline - slot->bitmap_top;
  for (unsigned row = 0; row < bitmap.rows; row++) {
    const unsigned char* line = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
    for (unsigned column = 0; column < bitmap.width; column++) {
      if (line[column / 8] & (0x80 >> (column % 8))) {
        FontGlyphSet(glyph, left + static_cast<int>(column), top + static_cast<int>(row));
      }
    }
  }
  return true;
}
