// The message history: every story message shown and every option chosen, kept as
// (scenario, message) numbers in the game state so that the log view can draw them again.
#pragma once

#include <cstdint>

// Entries dropped at once, the oldest first, when the history is full.
constexpr uint16_t kHistoryDrop = 500;

// Appends (CurrentScenario, message), unless it repeats the newest entry. A full history first
// drops its oldest 500 entries.
void RecordHistory(uint8_t message);
