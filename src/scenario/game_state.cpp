// The four state records, the names the rest of the engine reaches the live record's fields
// by, and the whole-record copies between the instances.
#include "scenario/game_state.h"

#include <cstring>
#include <initializer_list>

namespace {

// The live record before any game: no scenario, no music or sound, no pictures, empty slots and
// names, the story text's start position and colours.
constexpr GameState StartState() {
  GameState state{};
  for (auto& name : state.nameArrays) {
    for (uint16_t& c : name) c = kEmptyCode;
  }
  for (int slot = 0; slot < 6; slot++) {
    state.charOrder[slot] = kEmptyCode;
    state.charCode[slot] = kEmptyCode;
  }
  state.currentScenario = kNoScenario;
  state.currentMusic = 255;
  state.pcmEntry = 255;
  state.bgShown = kNoPicture;
  state.bgHeld = kNoPicture;
  state.vCgShown = kNoPicture;
  state.hCgShown = kNoPicture;
  state.textX = 16;
  state.textY = 10;
  state.textColour = 229;
  state.shadowColour = 228;
  return state;
}

}  // namespace

GameState LiveState = StartState();
GameState SaveState;
GameState CheckpointState;
GameState ChoiceState;
uint8_t CheckpointValid;

uint8_t (&ScriptVars)[kScriptVarCount] = LiveState.vars;
uint8_t& MusicNext = LiveState.vars[kVarMusicNext];
uint8_t& WeatherNext = LiveState.vars[kVarWeatherNext];

uint16_t (&NameArrays)[kNameCount][kNameLength] = LiveState.nameArrays;
uint8_t& WeatherMode = LiveState.weatherMode;
uint16_t (&CharOrder)[6] = LiveState.charOrder;
uint16_t& EventPc = LiveState.eventPc;
uint16_t& CurrentScenario = LiveState.currentScenario;
uint8_t& BgShown = LiveState.bgShown;
uint8_t& BgHeld = LiveState.bgHeld;
uint8_t& VCgShown = LiveState.vCgShown;
uint8_t& HCgShown = LiveState.hCgShown;
uint16_t (&CharCode)[6] = LiveState.charCode;
uint8_t& FilterMode = LiveState.filterMode;
uint16_t& PageOffset = LiveState.pageOffset;
uint16_t& TextX = LiveState.textX;
uint16_t& TextY = LiveState.textY;
uint16_t& TextColour = LiveState.textColour;
uint16_t& ShadowColour = LiveState.shadowColour;
uint8_t (&ScenarioSeen)[kSeenBytes] = LiveState.scenarioSeen;
uint16_t& HistoryCount = LiveState.historyCount;
HistoryEntry (&History)[kHistoryMax] = LiveState.history;

namespace {

void CopyState(GameState& to, const GameState& from) {
  std::memcpy(&to, &from, sizeof(GameState));
}

}  // namespace

const GameState& StartRecord() {
  static constexpr GameState kStart = StartState();
  return kStart;
}

// The live record to its start values, the three copies to zero.
void GameStateReset() {
  CopyState(LiveState, StartRecord());
  for (GameState* state : {&SaveState, &CheckpointState, &ChoiceState}) {
    std::memset(state, 0, sizeof(GameState));
  }
  CheckpointValid = 0;
}

// live -> SaveState.
void TakeSavePoint() {
  CopyState(SaveState, LiveState);
}

// live -> CheckpointState; the point is usable from now on.
void SetCheckpoint() {
  CopyState(CheckpointState, LiveState);
  CheckpointValid = 1;
}

// live -> ChoiceState.
void BeginChoice() {
  CopyState(ChoiceState, LiveState);
}

// ChoiceState -> CheckpointState.
void CommitChoice() {
  CopyState(CheckpointState, ChoiceState);
}

// CheckpointState -> ChoiceState.
void ResetChoice() {
  CopyState(ChoiceState, CheckpointState);
}

// Bit n of a seen set.
bool ScenarioSeenTest(const uint8_t (&seen)[kSeenBytes], uint32_t n) {
  if (n >= kSeenBytes * 8) return false;
  return (seen[n >> 3] & (1u << (n & 7))) != 0;
}

// Sets bit n of a seen set.
void ScenarioSeenMark(uint8_t (&seen)[kSeenBytes], uint32_t n) {
  if (n >= kSeenBytes * 8) return;
  seen[n >> 3] = static_cast<uint8_t>(seen[n >> 3] | (1u << (n & 7)));
}
