// Frame-stepped message text: typing, the text commands that matter over a wave, and the
// blinking wait cursor, one step per frame.
#include "scenario/stream_message.h"

#include <algorithm>

#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "resources/memory.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/message_code.h"
#include "scenario/scenario.h"
#include "screens/background.h"

uint8_t StreamRunning;

namespace {

constexpr uint16_t kTextLayerColour = 0x80;  // sets bit 7, which the display shows as white
constexpr uint16_t kNoShadow = 0xFFFF;
constexpr uint16_t kBlinkSteps = 4;  // the cursor is on for five steps and off for five
constexpr int kDeepCodesPerStep = 3;

// One message at a time. The position is an offset, because the message block may move
// between two steps.
struct StreamState {
  uint32_t position;
  TextLayout layout;
  uint16_t colour, shadow;  // colour codes; the text layer has one colour of its own
  uint8_t delay;            // steps that do nothing after each character (command 0xB6)
  uint8_t delayCounter;
  bool waiting;
  uint16_t cursorGlyph;
  uint16_t blinkCounter;
  bool cursorShown;  // blink phase
};
StreamState gStream;

// Skipping to the next choice, or text already read with fast reading on.
bool Skipping() {
  return SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1);
}

// Clears bit 7 under the cursor's 26 x 26 cell.
void EraseCursor() {
  const int x0 = gStream.layout.x, y0 = gStream.layout.y;
  const int x1 = std::min(x0 + kGlyphCell, kFrameWidth);
  const int y1 = std::min(y0 + kGlyphCell, kFrameHeight);
  if (x0 >= x1 || y0 >= y1) return;
  uint8_t* frame = MemLock(ScreenFrame);
  for (int y = y0; y < y1; y++) {
    uint8_t* row = frame + FramePixelOffset(x0, y);
    for (int x = 0; x < x1 - x0; x++) row[x] &= 0x7F;
  }
  MemUnlock(ScreenFrame);
  RectExtend(DirtyRect, x0, y0, x0 + kGlyphCell, y0 + kGlyphCell);
}

// A step while waiting: OK or cancel ends the wait; otherwise the cursor blinks.
void CursorStep() {
  if (InputTriggers & (InputOk | InputCancel)) {
    EraseCursor();
    gStream.waiting = false;
    gStream.cursorShown = false;
    ClearInput();
    return;
  }
  if (gStream.blinkCounter != 0) {
    gStream.blinkCounter--;
    return;
  }
  if (gStream.cursorShown) {
    EraseCursor();
  } else {
    DrawGlyph(gStream.layout.x, gStream.layout.y, gStream.cursorGlyph, kTextLayerColour, kNoShadow);
  }
  gStream.cursorShown = !gStream.cursorShown;
  gStream.blinkCounter = kBlinkSteps;
}

// A line or page wait begins: the cursor appears once the blink counter has run down.
void BeginWait(uint16_t glyph) {
  gStream.blinkCounter = kBlinkSteps;
  gStream.cursorGlyph = glyph;
  gStream.waiting = true;
  ClearInput();
}

enum class After { Go, Stop };

// Acts on one code from the cursor. `fast` is dropped at a wait.
After StreamCode(MessageCursor& cursor, bool& fast) {
  TextLayout& layout = gStream.layout;
  const uint8_t op = MessageNext(cursor);
  uint16_t character = 0;
  if (op < 0x20 || (MessageNameCharacter(op, character) && character != kNoCharacter)) {
    TextPutCharacter(layout, op < 0x20 ? MessageCharacter(cursor, op) : character, kTextLayerColour,
                     kNoShadow);
    gStream.delayCounter = gStream.delay;
    return After::Go;
  }
  switch (op) {
    case kMsgEnd:
      StreamRunning = 0;
      return After::Stop;
    case kMsgNewLine:
      if (!layout.wrapped) {
        layout.x = layout.margin;
        layout.y += kLineAdvance;
      }
      break;
    case kMsgReturn:
      TextNewLine(layout, op);
      break;
    case kMsgLineWait:
      fast = false;
      if (Skipping()) break;
      BeginWait(kCursorLine);
      return After::Stop;
    case kMsgPageWait:
      fast = false;
      if (SkipToChoice == 1) break;
      BeginWait(kCursorPage);
      return After::Stop;
    case kMsgColour:
      gStream.colour = MessageNext(cursor);
      break;
    case kMsgShadow:
      gStream.shadow = MessageNext(cursor);
      break;
    case kMsgClickCompletes:  // here: the steps to rest after each character
      gStream.delay = MessageNext(cursor);
      break;
    case kMsgMargin:
      layout.x = layout.margin = static_cast<uint16_t>(MessageNext(cursor) * 8);
      break;
    case kMsgTextY: {
      const uint8_t low = MessageNext(cursor);
      layout.y = static_cast<uint16_t>(low + MessageNext(cursor) * 256);
      break;
    }
    case 0xC8:
    case 0xCC: {
      const uint8_t request = op == 0xC8 ? kVarWaveRequest : kVarRippleRequest;
      const uint8_t a = MessageNext(cursor);
      const uint8_t b = MessageNext(cursor);
      ScriptVar(request) = 1;
      ScriptVar(request + 1) = a;
      ScriptVar(request + 2) = b;
      break;
    }
    case 0xF3:
      CharRangesRemember(MessageNext(cursor));
      break;
    case 0xF4:
      SkipAllowed = 1;
      break;
    case 0xF5:
    case 0xF6:
    case 0xF7:
      MessageNext(cursor);
      break;
    default:  // every other byte is stepped over alone
      break;
  }
  return After::Go;
}

}  // namespace

void StreamMessageStart(uint16_t x, uint16_t y, const uint8_t* code, uint16_t colour,
                        uint16_t shadow) {
  gStream = StreamState{};
  gStream.position = static_cast<uint32_t>(code - MemAddress(MessageData));
  gStream.layout = TextLayout{x, y, x, false};
  gStream.colour = colour;
  gStream.shadow = shadow;
  StreamRunning = 1;
  ClearInput();
}

void StreamMessageStep() {
  if (gStream.delayCounter != 0) {
    gStream.delayCounter--;
    return;
  }
  if (gStream.waiting) {
    if (Skipping()) InputTriggers |= InputOk;
    CursorStep();
    return;
  }
  const std::span<const uint8_t> block = MessageBlockBytes();
  MessageCursor cursor{block.data() + gStream.position, block.data() + block.size(),
                       CurrentScenario};
  bool fast = false;
  for (int n = 1;; n++) {
    if (InputTriggers & InputOk) {
      InputTriggers &= static_cast<uint16_t>(~InputOk);
      fast = true;
    }
    if (StreamCode(cursor, fast) == After::Stop) break;
    if (!(fast || Skipping() || (DisplayBpp > 8 && n < kDeepCodesPerStep))) break;
  }
  gStream.position = static_cast<uint32_t>(cursor.at - block.data());
}
