// What the message interpreter's files share: the state of one RunMessage call, and the scene
// commands that run in mid-text.
#pragma once

#include <cstdint>

#include "scenario/message_code.h"

// One RunMessage call. Lives on its stack; the text position itself is in the live state.
struct MessageRun {
  MessageCursor cursor;
  uint16_t margin;      // left edge a line break returns to
  bool typewriter;      // show the text cell by cell; off once a click completed the page
  bool clickCompletes;  // a click completes the page (command 0xB6)
  bool noCompletion;    // clicks never complete the page (0xB8 on, 0xC7 off)
  bool wrapped;         // the last character moved to a new line
  bool showProgress;
  bool storyText;
};

// After a scene change: drops the input collected meanwhile (unless skipping) and shows the
// rest of the page cell by cell again.
void MessageSettle(MessageRun& run);

// Runs scene command `op` (its operands follow the cursor). False when `op` is no scene
// command of the message script. Commands that repaint the scene redraw the page up to the
// cursor afterwards.
bool MessageSceneCommand(MessageRun& run, uint8_t op);
