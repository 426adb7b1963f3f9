// Glyphs of the game's font files (24 x 24 pixels, 1 bit per pixel, 72 bytes, rows of three
// bytes top first, leftmost pixel in the top bit) and how the font builder makes them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

constexpr int kFontGlyphSize = 24;
constexpr int kFontGlyphBytes = 72;

using FontGlyph = std::array<uint8_t, kFontGlyphBytes>;

// The ink bit of pixel (x, y); pixels outside the cell read as empty.
bool FontGlyphPixel(const FontGlyph& glyph, int x, int y);
// Sets pixel (x, y) to ink; pixels outside the cell are ignored.
void FontGlyphSet(FontGlyph& glyph, int x, int y);
// The glyph as 24 lines of '#' (ink) and '.' (empty), each ended by a newline.
std::string FontGlyphText(const FontGlyph& glyph);

// Draws one of the charset's symbols ("back", "cursor-line", "arrow-up", "arrow-down",
// "cursor-page", "blank"); false for a name the builder does not know.
bool FontDrawSymbol(std::string_view name, FontGlyph& glyph);

// A scalable font face opened through FreeType, set to one pixel size.
struct FontFace;
struct FontFaceClose {
  void operator()(FontFace* face) const;
};
using FontFacePtr = std::unique_ptr<FontFace, FontFaceClose>;

// Opens face `index` of a TrueType/OpenType file (collections hold several) with an em of
// `pixels` pixels centred in the cell; null with `error` set when it cannot.
FontFacePtr FontFaceOpen(const std::string& path, int index, int pixels, std::string& error);
// The face's family and style names, for reports.
std::string FontFaceName(const FontFace& face);
// Renders one character into a cleared glyph: the em box centred in the cell, the baseline
// where the face's ascent puts it. False when the face has no glyph for the character.
bool FontRenderCharacter(FontFace& face, char32_t character, FontGlyph& glyph);
