// The message history: every story message shown and every option chosen, kept as
// (scenario, message) numbers in the game state so that the log view can draw them again.
#pragma once

#include <cstdint>

// Entries dropped at once, the oldest first, when the history is full.
constexpr uint16_t kHistoryDrop = 500;

// Appends (CurrentScenario, message), unless it repeats the newest entry. A full history first
// drops its oldest 500 entries.
void RecordHistory(uint8_t message);

// The log view over the scene: pages back and forward through the recorded messages, each
// drawn from its scenario's message block (loaded for the view only), up to the one before the
// newest (the newest is the message on screen). Up key, wheel up or a click in the upper half
// go back; down key, wheel down or a click in the lower half go forward; cancel, space, or
// wheel down on the last entry close it. Nothing happens with fewer than two entries.
void ShowMessageLog();
