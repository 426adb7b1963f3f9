// The message interpreter: one message drawn from its message code with the typewriter display,
// click completion, the line and page waits, page bookkeeping for saves and redraws.
#include "scenario/message.h"

#include "app/input.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/platform.h"
#include "scenario/event_script.h"
#include "scenario/font.h"
#include "scenario/game_state.h"
#include "scenario/history.h"
#include "scenario/message_local.h"
#include "scenario/scenario.h"
#include "screens/game_menu.h"
#include "screens/main_flow.h"

namespace {

// Characters drawn in a row before the interpreter pumps messages again.
constexpr uint16_t kCharactersPerPump = 100;
constexpr uint32_t kCursorBlockBytes = kGlyphCell * kGlyphCell;
constexpr uint32_t kCursorPhaseMs = 31;  // eight phases: on for three, off for four
constexpr int kCursorPhases = 8;
constexpr int kCursorOffPhase = 3;
constexpr int kCursorOnPhase = 7;

// Phases from `phase` to the next one that takes the cursor off or puts it on.
constexpr int PhasesUntilChange(int phase) {
  return phase < kCursorOffPhase  ? kCursorOffPhase - phase
         : phase < kCursorOnPhase ? kCursorOnPhase - phase
                                  : kCursorPhases - phase + kCursorOffPhase;
}

// At a click wait of the story, the up key or the wheel turned up opens the message log.
constexpr uint16_t kOpenLog = InputUp | InputWheelUp;

// What a text command tells the interpreter loop to do next.
enum class Next { Go, Stop };

// Text already read, with fast reading on.
bool ReadFast() {
  return ReadTextFast == 1 && SkipAllowed == 1;
}

// Offset of `code` in the resident message block; story text lies nowhere else.
uint16_t StoryOffset(const uint8_t* code) {
  const std::span<const uint8_t> block = MessageBlockBytes();
  if (code < block.data() || code >= block.data() + block.size()) ScenarioDataError();
  return static_cast<uint16_t>(code - block.data());
}

// What the page start record does not hold but a redraw needs to lay the page out as it was
// typed: the left margin in force at the start (a {margin} of an earlier page stays in force
// after a page wait) and whether the line had just wrapped. Kept with the record it belongs to;
// a record from elsewhere (a restored checkpoint) takes its x as the margin.
struct PageStartLayout {
  uint16_t offset, x, y, margin;
  bool wrapped;
};
PageStartLayout PageStartExtra{0xFFFF, 0, 0, 0, false};

// The page on screen starts at `offset`: the live state and the page start record agree.
void StartPage(uint16_t offset, uint16_t x, uint16_t y, uint16_t colour, uint16_t shadow,
               uint16_t margin, bool wrapped) {
  PageStartExtra = PageStartLayout{offset, x, y, margin, wrapped};
  PageOffset = offset;
  CheckpointState.pageOffset = offset;
  CheckpointState.textX = x;
  CheckpointState.textY = y;
  CheckpointState.textColour = colour;
  CheckpointState.shadowColour = shadow;
}

// One character at the text position, then the typewriter's screen update.
void PutCharacter(MessageRun& run, uint16_t code) {
  TextLayout layout{TextX, TextY, run.margin, run.wrapped};
  TextPutCharacter(layout, code, TextColour, ShadowColour);
  TextX = layout.x;
  TextY = layout.y;
  run.wrapped = layout.wrapped;
  if (run.typewriter && SkipToChoice != 1 && run.showProgress && !ReadFast()) {
    ScreenUpdate(DirtyRect);
    Wait(run.wrapped ? 1 : 0);
  }
}

// 0xB2 and 0xB3: the click wait at the text position. A hidden text or the game menu redraws
// the page up to the command, which then waits again.
Next ClickWait(MessageRun& run, const uint8_t* command, uint16_t glyph) {
  ScreenUpdate(DirtyRect);
  const bool redraw = WaitWithCursor(TextX, TextY, glyph, TextColour, ShadowColour, run.storyText);
  if (ScriptExit != kScriptRunning) return Next::Stop;
  if (redraw) {
    RedrawPage(command);
    run.cursor.at = command;
    return Next::Go;
  }
  run.typewriter = true;
  if (glyph == kCursorPage && run.storyText) {
    StartPage(StoryOffset(run.cursor.at), kStoryX, kStoryY, TextColour, ShadowColour, run.margin,
              run.wrapped);
    TextX = kStoryX;
    TextY = kStoryY;
  }
  return Next::Go;
}

// The commands that shape the text itself.
Next TextCommand(MessageRun& run, const uint8_t* command, uint8_t op) {
  MessageCursor& cursor = run.cursor;
  switch (op) {
    case kMsgNewLine:
    case kMsgReturn: {
      TextLayout layout{TextX, TextY, run.margin, run.wrapped};
      TextNewLine(layout, op);
      TextX = layout.x;
      TextY = layout.y;
      return Next::Go;
    }
    case kMsgLineWait:
      if (SpecLow == 1) return Next::Go;
      return ClickWait(run, command, kCursorLine);
    case kMsgPageWait:
      return ClickWait(run, command, kCursorPage);
    case kMsgColour:
      TextColour = MessageColour(MessageNext(cursor));
      return Next::Go;
    case kMsgShadow:
      ShadowColour = MessageColour(MessageNext(cursor));
      return Next::Go;
    case kMsgClickCompletes:
      run.clickCompletes = MessageNext(cursor) != 0;
      return Next::Go;
    case kMsgPause: {
      const uint8_t n = MessageNext(cursor);
      if (run.typewriter) {
        if (!ReadFast()) Wait(n);
        if (SkipToChoice != 1) ClearInput();
      }
      return Next::Go;
    }
    case kMsgNoCompletion:
      run.noCompletion = true;
      return Next::Go;
    case kMsgCompletion:
      run.noCompletion = false;
      return Next::Go;
    case kMsgMargin:
      TextX = run.margin = static_cast<uint16_t>(MessageNext(cursor) * 8);
      return Next::Go;
    case kMsgTextY: {
      const uint8_t low = MessageNext(cursor);
      TextY = static_cast<uint16_t>(low + MessageNext(cursor) * 256);
      return Next::Go;
    }
    case kMsgRedraw:
      RedrawPage(command);
      return Next::Go;
    default:
      MessageSceneCommand(run, op);
      return Next::Go;
  }
}

}  // namespace

// [SECTION] Running a message

// The message interpreter: one cursor over the message, up to its 0xAF.
const uint8_t* RunMessage(uint16_t x, uint16_t y, const uint8_t* code, uint16_t colour,
                          uint16_t shadow, bool showProgress, bool storyText) {
  if (SkipToChoice != 1) ClearInput();
  MessageRun run{MessageCursorAt(code), x, true, true, false, false, showProgress, storyText};
  if (storyText) {
    StartPage(StoryOffset(code), x, y, colour, shadow, x, false);
    TakeSavePoint();
  }
  TextX = x;
  TextY = y;
  TextColour = colour;
  ShadowColour = shadow;

  uint16_t counter = 0;
  for (;;) {
    if (SkipToChoice != 1) {
      if (!run.noCompletion && run.clickCompletes && (InputTriggers & (InputOk | InputCancel))) {
        run.typewriter = false;
        ClearInput();
      }
      if (SpecLow == 1) run.typewriter = false;
    }
    const uint8_t* command = run.cursor.at;
    const uint8_t op = MessageNext(run.cursor);
    uint16_t character = 0;
    const bool isCharacter =
        op < 0x20 || (MessageNameCharacter(op, character) && character != kNoCharacter);
    if (op == kMsgEnd) {
      if (SkipToChoice == 1 && showProgress) ScreenUpdate(DirtyRect);
      return run.cursor.at;
    }
    if (isCharacter) {
      PutCharacter(run, op < 0x20 ? MessageCharacter(run.cursor, op) : character);
      // Long runs of characters pump only now and then.
      if (counter++ <= kCharactersPerPump) continue;
    } else if (TextCommand(run, command, op) == Next::Stop) {
      return nullptr;
    }
    PumpMessages();
    counter = 0;
    if (SkipToChoice == 1 && (InputTriggers & (InputOk | InputCancel))) {
      // A click stops skipping.
      SkipToChoice = 0;
      ClearInput();
    }
  }
}

// Draws the page on screen again from its start, without waits or commands.
void RedrawPage(const uint8_t* upTo) {
  PageOffset = CheckpointState.pageOffset;
  TextX = CheckpointState.textX;
  TextY = CheckpointState.textY;
  TextColour = CheckpointState.textColour;
  ShadowColour = CheckpointState.shadowColour;
  const std::span<const uint8_t> block = MessageBlockBytes();
  if (PageOffset >= block.size() || block.data() + PageOffset == upTo) {
    PlatInvalidate(nullptr);
    return;
  }
  MessageCursor cursor{block.data() + PageOffset, block.data() + block.size(), CurrentScenario};
  // Laid out exactly as typed: the same margin and wrap state at the start, and {margin} moving
  // the margin with the text position, so the page looks the same and goes on from there.
  const PageStartLayout& extra = PageStartExtra;
  const bool known = extra.offset == PageOffset && extra.x == TextX && extra.y == TextY;
  TextLayout layout{TextX, TextY, known ? extra.margin : TextX, known && extra.wrapped};
  while (cursor.at != upTo) {
    const uint8_t op = MessageNext(cursor);
    if (op == kMsgEnd) break;
    uint16_t character;
    if (op < 0x20) {
      TextPutCharacter(layout, MessageCharacter(cursor, op), TextColour, ShadowColour);
    } else if (MessageNameCharacter(op, character)) {
      if (character != kNoCharacter) {
        TextPutCharacter(layout, character, TextColour, ShadowColour);
      }
    } else if (op == kMsgNewLine || op == kMsgReturn) {
      TextNewLine(layout, op);
    } else if (op == kMsgColour) {
      TextColour = MessageColour(MessageNext(cursor));
    } else if (op == kMsgShadow) {
      ShadowColour = MessageColour(MessageNext(cursor));
    } else if (op == kMsgMargin) {
      layout.x = layout.margin = static_cast<uint16_t>(MessageNext(cursor) * 8);
    } else if (op == kMsgTextY) {
      const uint8_t low = MessageNext(cursor);
      layout.y = static_cast<uint16_t>(low + MessageNext(cursor) * 256);
    } else {
      MessageSkipOperands(cursor, op);
    }
  }
  TextX = layout.x;
  TextY = layout.y;
  PlatInvalidate(nullptr);
}

// [SECTION] Waiting for the player

// Shows the bare scene, undimmed, until the next click.
void HideTextUntilClick() {
  FrameCopy(ScreenFrame, BackFrame);
  if (WeatherMode == 0 || WeatherOn != 1) {
    ScreenUpdate();
  } else {
    // The overlay's next step shows it, with the particles back on.
    RectSet(DirtyRect, 0, 0, kFrameWidth - 1, kFrameHeight - 1);
  }
  PalUndim();
  WaitClick();
  PalDim();
}

// The click wait with its blinking cursor over a saved 26 x 26 block of the scene.
bool WaitWithCursor(uint16_t x, uint16_t y, uint16_t glyph, uint16_t colour, uint16_t shadow,
                    bool allowMenu) {
  if (SkipToChoice == 1) return false;
  // Text already read passes its line waits; page waits stay.
  if (ReadFast() && glyph != kCursorPage) return false;

  MemHandle saved = MemAlloc(kCursorBlockBytes, "cursor buf 1");
  FrameGetBlock(saved, BackFrame, x, y, kGlyphCell, kGlyphCell);
  DrawGlyph(x, y, glyph, colour, shadow);
  ScreenUpdate(DirtyRect);
  ClearInput();

  bool redraw = false;
  // The phases between two changes of the cursor pass in one wait: the cursor shows at the
  // same times, and an idle wait wakes only when there is something to draw.
  for (int phase = 0;; phase = (phase + PhasesUntilChange(phase)) % kCursorPhases) {
    if (phase == kCursorOffPhase) {
      FramePutBlock(ScreenFrame, saved, x, y, kGlyphCell, kGlyphCell);
      ScreenUpdate(DirtyRect);
    } else if (phase == kCursorOnPhase) {
      DrawGlyph(x, y, glyph, colour, shadow);
      ScreenUpdate(DirtyRect);
    }
    const uint32_t start = PlatTicks();
    const uint32_t length = kCursorPhaseMs * static_cast<uint32_t>(PhasesUntilChange(phase));
    while (!(InputTriggers & (InputCancel | InputOk | InputSpace | kOpenLog)) &&
           ElapsedSince(start) < length && SkipToChoice != 1) {
      PumpMessagesUntil(start + length);
    }
    if (InputTriggers & InputOk) break;
    if (InputTriggers & InputCancel) {
      if (allowMenu && PlayMode == PlayModeEventScript) {
        GameMenu();
        redraw = true;
      }
      break;
    }
    if (InputTriggers & kOpenLog) {
      InputTriggers &= ~kOpenLog;
      if (allowMenu && PlayMode == PlayModeEventScript) {
        ShowMessageLog();
        redraw = true;
        break;
      }
    }
    if (InputTriggers & InputSpace) {
      HideTextUntilClick();
      redraw = true;
      break;
    }
    // One more look at the messages between phases; the next phase's wait does the sleeping.
    PumpMessagesUntil(PlatTicks());
    if (SkipToChoice == 1) break;
  }

  if (!redraw) {
    FramePutBlock(ScreenFrame, saved, x, y, kGlyphCell, kGlyphCell);
    ScreenUpdate(DirtyRect);
  }
  MemRelease(&saved);
  ClearInput();
  return redraw;
}
