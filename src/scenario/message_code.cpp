// Message code shared by every text walker: the line layout of characters, colour codes, name
// characters, and the cursor that keeps a walk inside the message block it started in.
#include "scenario/message_code.h"

#include <algorithm>

#include "app/app.h"
#include "resources/sjis.h"
#include "resources/text_format.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"

namespace {

constexpr uint8_t kFirstNameCommand = 0xD1;
constexpr uint8_t kLastNameCommand = 0xF2;
constexpr int kNameCommandStride = kNameLength + 1;  // six positions and one spare code

// The same words the scenario loader uses for data leading outside its blocks.
[[noreturn]] void MessageOverrun(uint16_t scenario) {
  ExitGame(FormatText(Sjis("データ異常です : %04x.SCN"), {scenario}).c_str());
}

}  // namespace

// [SECTION] Layout

// Whether the character may still take the cell at x = 592.
bool InNoBreakTable(uint16_t code) {
  return std::find(NoBreakTable.begin(), NoBreakTable.end(), code) != NoBreakTable.end();
}

// Colour code to palette index.
uint16_t MessageColour(uint8_t c) {
  return c <= 7 ? static_cast<uint16_t>(kTextBlack + c) : kTextWhite;
}

// Breaks the line before or after the character as the rules say, and draws it.
void TextPutCharacter(TextLayout& layout, uint16_t code, uint16_t colour, uint16_t shadow) {
  layout.wrapped = false;
  if (layout.x >= kNoBreakX && !(layout.x < kLineEndX && InNoBreakTable(code))) {
    layout.y += kLineAdvance;
    layout.x = layout.margin;
    layout.wrapped = true;
  }
  if (code != 0) DrawGlyph(layout.x, layout.y, code == kEmptyCell ? 0 : code, colour, shadow);
  layout.x += kCellAdvance;
  if (layout.x >= kLineEndX) {
    layout.y += kLineAdvance;
    layout.x = layout.margin;
    layout.wrapped = true;
  }
}

// A newline adds no empty line right after a character that wrapped.
void TextNewLine(TextLayout& layout, uint8_t op) {
  layout.x = op == kMsgReturn ? 0 : layout.margin;
  if (!layout.wrapped) layout.y += kLineAdvance;
}

// [SECTION] Walking a text

// Finds the message block holding a text: the resident one or the log view's.
bool MessageBlockOf(const uint8_t* code, const uint8_t** base, const uint8_t** end,
                    uint16_t* scenario) {
  if (MessageData) {
    const std::span<const uint8_t> bytes = MessageBlockBytes();
    if (code >= bytes.data() && code < bytes.data() + bytes.size()) {
      *base = bytes.data();
      *end = bytes.data() + bytes.size();
      *scenario = CurrentScenario;
      return true;
    }
  }
  if (ViewMessageData) {
    // Blocks never move, so the address outlives the lock.
    const uint8_t* view = MemLock(ViewMessageData);
    MemUnlock(ViewMessageData);
    if (code >= view && code < view + MemSize(ViewMessageData)) {
      *base = view;
      *end = view + MemSize(ViewMessageData);
      *scenario = ViewMessageScenario;
      return true;
    }
  }
  return false;
}

// A walk bounded by the block the text lies in.
MessageCursor MessageCursorAt(const uint8_t* code) {
  const uint8_t* base;
  MessageCursor cursor{code, nullptr, kNoScenario};
  MessageBlockOf(code, &base, &cursor.end, &cursor.scenario);
  return cursor;
}

// The next byte, or the fatal end of a text that runs off its block.
uint8_t MessageNext(MessageCursor& cursor) {
  if (cursor.at == cursor.end) MessageOverrun(cursor.scenario);
  return *cursor.at++;
}

// A two-byte character.
uint16_t MessageCharacter(MessageCursor& cursor, uint8_t first) {
  return static_cast<uint16_t>(first << 8 | MessageNext(cursor));
}

// Steps over a command's operands without acting on them.
void MessageSkipOperands(MessageCursor& cursor, uint8_t op) {
  for (int i = 0; i < MessageOperandCounts[op]; i++) MessageNext(cursor);
}

// 0xD1..0xF2: a position of one of the five names.
bool MessageNameCharacter(uint8_t op, uint16_t& character) {
  if (op < kFirstNameCommand || op > kLastNameCommand) return false;
  const int index = op - kFirstNameCommand;
  if (index % kNameCommandStride >= kNameLength) return false;
  character = NameArrays[index / kNameCommandStride][index % kNameCommandStride];
  return true;
}
