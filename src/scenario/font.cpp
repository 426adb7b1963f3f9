// The message font: choosing and loading the font file, and drawing glyphs straight into the
// screen frame, one 26 x 26 cell per character.
#include "scenario/font.h"

#include "app/settings.h"
#include "graphics/frame.h"
#include "platform/platform.h"
#include "resources/files.h"
#include "resources/pack.h"
#include "resources/text_format.h"
#include "scenario/message_code.h"

MemHandle FontBlock;
uint32_t FontBytes;
std::array<uint8_t, kAltFontCount> FontPresent;

namespace {

constexpr uint16_t kNoColour = 0xFFFF;
constexpr uint16_t kGlyphMaxX = 614;  // the shadow's last column is then 639
constexpr uint16_t kGlyphMaxY = 454;

// The file name of alternative font n.
std::string LooseFontName(uint32_t n) {
  return FormatText(kFontLooseName, {n});
}

}  // namespace

// [SECTION] Font files

// Loads the chosen font, falling back to the archive's, and stores the choice.
void SelectFont() {
  uint32_t n = FontNo;
  if (n < 1 || n > kAltFontCount || !FileExists(LooseFontName(n).c_str())) n = 0;
  MemRelease(&FontBlock);
  uint32_t size = 0;
  FontBlock = n == 0 ? PackLoad(kFontArchiveName, &size, kPackData)
                     : FileLoad(LooseFontName(n).c_str(), &size);
  FontBytes = FontBlock ? std::min(size, MemSize(FontBlock)) : 0;
  FontNo = n;
  // A settings store that cannot be written only loses the choice for the next run.
  PlatSettingsSetNumber("FontNo", FontNo);
}

// Notes which alternative fonts lie in the data directory.
void FindFonts() {
  for (uint32_t n = 1; n <= kAltFontCount; n++) {
    FontPresent[n - 1] = FileExists(LooseFontName(n).c_str()) ? 1 : 0;
  }
}

// Steps to the next present alternative, or back to the archive's font.
void NextFont() {
  for (uint32_t n = FontNo + 1; n <= kAltFontCount; n++) {
    if (FontPresent[n - 1]) {
      FontNo = n;
      SelectFont();
      return;
    }
  }
  if (FontNo != 0) {
    FontNo = 0;
    SelectFont();
  }
}

// [SECTION] Drawing

// One glyph with its shadow straight into the screen frame.
void DrawGlyph(uint16_t x, uint16_t y, uint16_t code, uint16_t colour, uint16_t shadow) {
  if (x > kGlyphMaxX || y > kGlyphMaxY) return;
  const uint32_t offset = kGlyphBytes * (code - 1u);
  // A code the font has no glyph for leaves its cell empty.
  if (code != 0 && FontBlock && offset + kGlyphBytes <= FontBytes &&
      MemSize(ScreenFrame) >= kFrameBlockSize) {
    const uint8_t* glyph = MemLock(FontBlock) + offset;
    uint8_t* frame = MemLock(ScreenFrame);
    for (int row = 0; row < kGlyphSize; row++) {
      for (int column = 0; column < kGlyphSize; column++) {
        if (!(glyph[row * 3 + column / 8] & (0x80 >> (column % 8)))) continue;
        if (shadow != kNoColour) {
          frame[FramePixelOffset(x + column + 2, y + row + 2)] = static_cast<uint8_t>(shadow);
        }
        if (colour != kNoColour) {
          frame[FramePixelOffset(x + column, y + row)] = static_cast<uint8_t>(colour);
        }
      }
    }
    MemUnlock(ScreenFrame);
    MemUnlock(FontBlock);
  }
  RectExtend(DirtyRect, x, y, x + kGlyphCell, y + kGlyphCell);
}

// A whole message without waits: characters, line rules, colours and positions only.
void DrawTextPlain(uint16_t x, uint16_t y, const uint8_t* code, uint16_t colour, uint16_t shadow) {
  MessageCursor cursor = MessageCursorAt(code);
  TextLayout layout{x, y, x, false};
  for (;;) {
    const uint8_t op = MessageNext(cursor);
    if (op == kMsgEnd) break;
    if (op < 0x20) {
      TextPutCharacter(layout, MessageCharacter(cursor, op), colour, shadow);
      continue;
    }
    uint16_t character;
    if (MessageNameCharacter(op, character)) {
      if (character != kNoCharacter) TextPutCharacter(layout, character, colour, shadow);
      continue;
    }
    switch (op) {
      case kMsgNewLine:
      case kMsgReturn:
        TextNewLine(layout, op);
        break;
      case kMsgColour:
        colour = MessageColour(MessageNext(cursor));
        break;
      case kMsgShadow:
        shadow = MessageColour(MessageNext(cursor));
        break;
      case kMsgMargin:
        layout.x = layout.margin = MessageNext(cursor) * 8;
        break;
      case kMsgTextY:
        layout.y = MessageNext(cursor);
        layout.y += MessageNext(cursor) * 256;
        break;
      default:
        MessageSkipOperands(cursor, op);
        break;
    }
  }
  PlatInvalidate(nullptr);
}
