// The message font: 24 x 24 one-bit glyphs from the data archive or a loose alternative file,
// the font choice kept in the settings, and drawing glyphs with their drop shadow.
#pragma once

#include <array>
#include <cstdint>

#include "resources/memory.h"

// [SECTION] Font files
// A font file is a plain array of glyphs, no header: glyph g at 72 x g, 24 rows of 3 bytes top
// first, the leftmost pixel in the top bit. Character code k >= 1 draws glyph k - 1.

constexpr int kGlyphSize = 24;
constexpr uint32_t kGlyphBytes = 72;
constexpr int kGlyphCell = 26;  // a glyph and its shadow, 2 pixels right and down
constexpr uint32_t kAltFontCount = 7;
inline constexpr const char* kFontArchiveName = "KNJ_ALL.KNJ";
inline constexpr const char* kFontLooseName = "LNTR3_%02d.KNJ";

// The loaded font; replaced by SelectFont, released at shutdown.
extern MemHandle FontBlock;
// Bytes of FontBlock that belong to the font file (the block may run on past them).
extern uint32_t FontBytes;
// FontPresent[n - 1]: the alternative font n lies in the data directory (FindFonts).
extern std::array<uint8_t, kAltFontCount> FontPresent;

// Loads the font FontNo names into FontBlock: 1..7 the loose file when it exists, anything else
// (or a missing file) the archive's font with FontNo = 0. Stores FontNo in the settings.
// A missing archive font is fatal inside the archive reader.
void SelectFont();
// Fills FontPresent from the data directory.
void FindFonts();
// Switches to the next present alternative after FontNo, or back to font 0 after the last.
void NextFont();

// [SECTION] Drawing

// Draws character `code` at (x, y) of the screen frame: ink in `colour`, the shadow in
// `shadow` (0xFFFF skips a layer), and widens DirtyRect by the 26 x 26 cell. Nothing at all
// when x > 614 or y > 454; code 0 only widens DirtyRect. A code past the end of the font
// draws nothing.
void DrawGlyph(uint16_t x, uint16_t y, uint16_t code, uint16_t colour, uint16_t shadow);
// Draws a whole message's characters from (x, y), with the line rules of the message script
// and its colour and position commands, but no waits and no other commands; then invalidates
// the whole window.
void DrawTextPlain(uint16_t x, uint16_t y, const uint8_t* code, uint16_t colour, uint16_t shadow);
