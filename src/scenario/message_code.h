// Message code, the byte form of every text the engine draws: its command bytes, the line
// layout every text walker shares, and the cursor that keeps each walk inside its block.
#pragma once

#include <array>
#include <cstdint>

// [SECTION] Codes
// A byte below 0x20 starts a two-byte character (first x 256 + second); 0xAF ends a text;
// anything else is a command, possibly followed by operand bytes.

enum : uint8_t {
  kMsgEnd = 0xAF,
  kMsgNewLine = 0xB0,
  kMsgReturn = 0xB1,  // back to x = 0
  kMsgLineWait = 0xB2,
  kMsgPageWait = 0xB3,
  kMsgColour = 0xB4,
  kMsgShadow = 0xB5,
  kMsgClickCompletes = 0xB6,
  kMsgPause = 0xB7,
  kMsgNoCompletion = 0xB8,
  kMsgMargin = 0xB9,  // x and margin = n x 8
  kMsgTextY = 0xBA,   // y = l + h x 256
  kMsgCompletion = 0xC7,
  kMsgRedraw = 0xC9,
};

constexpr uint16_t kNoCharacter = 0xFFFF;  // an empty name position
constexpr uint16_t kEmptyCell = 0x1FFF;    // an empty cell that still reports its area
constexpr uint16_t kCursorLine = 0xFA;     // glyph codes of the two wait cursors
constexpr uint16_t kCursorPage = 0xFD;

// [SECTION] Layout

constexpr uint16_t kCellAdvance = 24;
constexpr uint16_t kLineAdvance = 30;
constexpr uint16_t kLineEndX = 616;  // the cursor reaching this x breaks the line
constexpr uint16_t kNoBreakX = 592;  // from here only NoBreakTable characters stay on the line
constexpr uint16_t kStoryX = 16;
constexpr uint16_t kStoryY = 10;
constexpr uint16_t kTextWhite = 229;
constexpr uint16_t kTextBlack = 228;

// Punctuation, closing brackets and small kana: they may still take the cell at x = 592.
inline constexpr std::array<uint16_t, 37> NoBreakTable = {
    0x00E4, 0x00E6, 0x00E8, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5,
    0x00EA, 0x00E9, 0x00ED, 0x00EE, 0x00EC, 0x00F7, 0x0087, 0x0088, 0x0089, 0x008A,
    0x008B, 0x008C, 0x008D, 0x008E, 0x008F, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC,
    0x00DD, 0x00DE, 0x00DF, 0x00E0, 0x00FF, 0x0100, 0x0101};

bool InNoBreakTable(uint16_t code);

// Operand bytes of each command, as the walkers that draw without acting step over them.
inline constexpr std::array<uint8_t, 256> MessageOperandCounts = [] {
  std::array<uint8_t, 256> counts{};
  for (int op : {0x43, 0xBD, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xC3}) counts[op] = 3;
  for (int op : {0x44, 0x61, 0x62, 0xA2, 0xA7, 0xBA, 0xC8, 0xCC, 0xCE}) counts[op] = 2;
  counts[0xC4] = 6;
  counts[0xC5] = counts[0xC6] = 9;
  for (int op : {0x3C, 0x3D, 0x3F, 0x40, 0x41, 0x42, 0x45, 0x46, 0x47, 0x48, 0x72, 0x73,
                 0x77, 0x78, 0x7B, 0x7C, 0x80, 0x83, 0x84, 0x87, 0x88, 0xA0, 0xA4, 0xA5,
                 0xB4, 0xB5, 0xB6, 0xB7, 0xB9, 0xBC, 0xCF, 0xF3, 0xF5, 0xF6, 0xF7, 0xF8}) {
    counts[op] = 1;
  }
  return counts;
}();

// The palette index of colour code c: 0..7 the interface colours 228..235, anything else white.
uint16_t MessageColour(uint8_t c);

// The cursor of one text walk, in pixels; `wrapped` is set when the last character moved to
// a new line, so that a newline right after it adds no empty line.
struct TextLayout {
  uint16_t x, y, margin;
  bool wrapped;
};

// Places character `code` with the line rules and draws it (0 draws nothing, kEmptyCell an
// empty cell that widens DirtyRect).
void TextPutCharacter(TextLayout& layout, uint16_t code, uint16_t colour, uint16_t shadow);
// kMsgNewLine and kMsgReturn.
void TextNewLine(TextLayout& layout, uint8_t op);

// [SECTION] Walking a text

// A walk over message code. `end` is one past the message block the text lies in; the
// program's own fixed texts lie in no block and have none (nullptr): they end in 0xAF.
struct MessageCursor {
  const uint8_t* at;
  const uint8_t* end;
  uint16_t scenario;  // whose message block, for the fatal message
};

// A cursor at `code`, bounded by the message block that holds it.
MessageCursor MessageCursorAt(const uint8_t* code);
// The message block that holds `code` (resident or the log view's), or false.
bool MessageBlockOf(const uint8_t* code, const uint8_t** base, const uint8_t** end,
                    uint16_t* scenario);
// The next byte. A text that runs off the end of its block is fatal, naming the scenario.
uint8_t MessageNext(MessageCursor& cursor);
// The character a byte below 0x20 starts, taking its second byte.
uint16_t MessageCharacter(MessageCursor& cursor, uint8_t first);
// Steps over the operands of command `op`.
void MessageSkipOperands(MessageCursor& cursor, uint8_t op);
// True when `op` is a name-character command (0xD1.. for names 0..4, six positions each, one
// spare code between names); `character` gets what that position holds.
bool MessageNameCharacter(uint8_t op, uint16_t& character);
