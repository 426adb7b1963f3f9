// The message history: appending (scenario, message) pairs to the live state, once per message
// shown in a row, making room by dropping the oldest quarter when the 2000 entries are full.
#include "scenario/history.h"

#include <algorithm>

#include "scenario/game_state.h"

// Appends one (scenario, message) pair unless it repeats the newest.
void RecordHistory(uint8_t message) {
  // Clamp a count a damaged save may carry, so the entries are never indexed past their end.
  HistoryCount = std::min<uint16_t>(HistoryCount, kHistoryMax);
  if (HistoryCount > 0) {
    const HistoryEntry& last = History[HistoryCount - 1];
    if (last.scenario == CurrentScenario && last.message == message) return;
  }
  if (HistoryCount >= kHistoryMax) {
    std::copy(History + kHistoryDrop, History + kHistoryMax, History);
    HistoryCount = kHistoryMax - kHistoryDrop;
  }
  History[HistoryCount] = HistoryEntry{CurrentScenario, message};
  HistoryCount++;
}
