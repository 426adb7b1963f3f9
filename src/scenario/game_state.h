// The game state record: everything a saved game restores, in the byte layout of the save
// files, its four instances, the script variables and the engine registers kept among them.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "the state record is the save file's little-endian image");

// [SECTION] Layout
// One record of 9028 bytes. Every field sits at its natural alignment, so the struct needs no
// packing and is byte for byte what a save file holds once unsealed.

constexpr int kNameCount = 5;
constexpr int kNameLength = 6;
constexpr int kScriptVarCount = 208;
constexpr int kSeenBytes = 512;  // one bit per scenario number 0..4095
constexpr int kHistoryMax = 2000;
constexpr uint16_t kEmptyCode = 0xFFFF;  // an empty name position or character slot
constexpr uint8_t kNoPicture = 255;      // no background or event picture
constexpr uint16_t kNoScenario = 65535;

struct HistoryEntry {
  uint16_t scenario;
  uint16_t message;
};

struct GameState {
  uint8_t salt[179];                             // written by the save seal
  uint8_t unused0B3;                             // not used
  uint16_t nameArrays[kNameCount][kNameLength];  // font codes, kEmptyCode = none
  uint8_t weatherMode;                           // 0 = none
  uint8_t unused0F1;                             // not used
  uint16_t charOrder[6];                         // drawing order per character slot
  uint16_t eventPc;                              // offset of the event opcode being run
  uint16_t currentScenario;                      // kNoScenario = none
  uint8_t currentMusic;                          // music index, 255 = none
  uint8_t pcmEntry;                              // loaded sound number, 255 = none
  uint16_t pcmPlaying;                           // playing flag of the sound
  uint16_t pcmLoops;                             // its loop count
  uint16_t pcmArg;                               // its second play argument
  uint8_t bgShown;                               // background composed now, 255 = none
  uint8_t bgHeld;                                // background the kept picture holds
  uint8_t vCgShown;                              // event picture "V" shown, 255 = none
  uint8_t hCgShown;                              // event picture "H" shown, 255 = none
  uint16_t charCode[6];                          // character code per slot, kEmptyCode = empty
  uint8_t filterMode;                            // colour filter in force, 0 = none
  uint8_t unused11B;                             // not used
  uint32_t checksum;                             // of a sealed save; 0 in memory
  uint8_t vars[kScriptVarCount];                 // the script variables
  uint16_t word1F0;                              // cleared when a slot is loaded
  uint16_t pageOffset;                           // message-block offset of the page on screen
  uint16_t textX, textY;                         // where the next character cell goes
  uint16_t textColour, shadowColour;             // palette indices of the text
  uint16_t word1FC;                              // not read by the scripts
  uint8_t scenarioSeen[kSeenBytes];              // bit n: scenario n was left once
  uint16_t historyCount;                         // entries of the message history
  uint16_t word400;                              // cleared when a slot is loaded
  HistoryEntry history[kHistoryMax];             // (scenario, message) of shown messages
  uint8_t unused2342;                            // not used
  uint8_t sealByte;                              // random byte written by the save seal
};

constexpr size_t kGameStateSize = 9028;
static_assert(sizeof(GameState) == kGameStateSize);
static_assert(offsetof(GameState, salt) == 0x000);
static_assert(offsetof(GameState, unused0B3) == 0x0B3);
static_assert(offsetof(GameState, nameArrays) == 0x0B4);
static_assert(offsetof(GameState, weatherMode) == 0x0F0);
static_assert(offsetof(GameState, unused0F1) == 0x0F1);
static_assert(offsetof(GameState, charOrder) == 0x0F2);
static_assert(offsetof(GameState, eventPc) == 0x0FE);
static_assert(offsetof(GameState, currentScenario) == 0x100);
static_assert(offsetof(GameState, currentMusic) == 0x102);
static_assert(offsetof(GameState, pcmEntry) == 0x103);
static_assert(offsetof(GameState, pcmPlaying) == 0x104);
static_assert(offsetof(GameState, pcmLoops) == 0x106);
static_assert(offsetof(GameState, pcmArg) == 0x108);
static_assert(offsetof(GameState, bgShown) == 0x10A);
static_assert(offsetof(GameState, bgHeld) == 0x10B);
static_assert(offsetof(GameState, vCgShown) == 0x10C);
static_assert(offsetof(GameState, hCgShown) == 0x10D);
static_assert(offsetof(GameState, charCode) == 0x10E);
static_assert(offsetof(GameState, filterMode) == 0x11A);
static_assert(offsetof(GameState, unused11B) == 0x11B);
static_assert(offsetof(GameState, checksum) == 0x11C);
static_assert(offsetof(GameState, vars) == 0x120);
static_assert(offsetof(GameState, word1F0) == 0x1F0);
static_assert(offsetof(GameState, pageOffset) == 0x1F2);
static_assert(offsetof(GameState, textX) == 0x1F4);
static_assert(offsetof(GameState, textY) == 0x1F6);
static_assert(offsetof(GameState, textColour) == 0x1F8);
static_assert(offsetof(GameState, shadowColour) == 0x1FA);
static_assert(offsetof(GameState, word1FC) == 0x1FC);
static_assert(offsetof(GameState, scenarioSeen) == 0x1FE);
static_assert(offsetof(GameState, historyCount) == 0x3FE);
static_assert(offsetof(GameState, word400) == 0x400);
static_assert(offsetof(GameState, history) == 0x402);
static_assert(offsetof(GameState, unused2342) == 0x2342);
static_assert(offsetof(GameState, sealByte) == 0x2343);

// [SECTION] The four instances
// All four live for the whole run. The live record starts with its "none" markers set; the
// copies start zero.

extern GameState LiveState;        // what every part of the game reads and writes
extern GameState SaveState;        // taken when a story message starts; what a save writes
extern GameState CheckpointState;  // where going back and loading restore from
extern GameState ChoiceState;      // the live state as it was when the current choice was put

// 1 once CheckpointState holds a point that going back may use.
extern uint8_t CheckpointValid;

// The whole record as bytes (save files, tests).
inline uint8_t* StateBytes(GameState& state) {
  return reinterpret_cast<uint8_t*>(&state);
}

// The live record's start values: no scenario, no pictures, empty slots and names.
const GameState& StartRecord();
// The live record to its start values, the three copies to zero, no checkpoint.
void GameStateReset();
// live -> SaveState.
void TakeSavePoint();
// live -> CheckpointState, and the checkpoint becomes valid.
void SetCheckpoint();
// live -> ChoiceState.
void BeginChoice();
// ChoiceState -> CheckpointState.
void CommitChoice();
// CheckpointState -> ChoiceState.
void ResetChoice();

// [SECTION] Script variables
// Operand bytes address the variables; numbers 208..255 reach on into the fields that follow
// them in the record (0x1F0 onwards), as the scripts of the game may rely on.

// Variable a of a state record, a = 0..255.
inline uint8_t& StateVar(GameState& state, uint8_t a) {
  return StateBytes(state)[offsetof(GameState, vars) + a];
}
// Variable a of the live state.
inline uint8_t& ScriptVar(uint8_t a) {
  return StateVar(LiveState, a);
}
// The 208 variables of the live state.
extern uint8_t (&ScriptVars)[kScriptVarCount];

// Variables with a fixed meaning for the engine.
enum : uint8_t {
  kVarScratchEnd = 80,        // 0..79 are cleared when a checkpoint is restored
  kVarCollectSet = 130,       // 130..139: the 80-bit set of opcode 0x96
  kVarMusicNext = 140,        // music to start at the next scene change, 0 = none
  kVarScenarioStarted = 141,  // set to 1 when a scenario is started
  kVarNextFilter = 142,       // colour filter for the next picture
  kVarGameFinished = 143,     // cleared when a new game begins; set by opcode 0x94
  kVarChoiceIndex = 144,      // option chosen at the last opcode 0x24
  kVarSaveYear = 146,         // 146..152: date and time of a save
  kVarPlayCounter = 153,      //
  kVarEmptySlot = 154,        // 1: this state stands for an empty slot
  kVarCollectResult = 155,    // 1 when the last opcode 0x96 made 17 bits
  kVarWaveRequest = 157,      // 157..159: flag, mode in, mode out for the next message
  kVarRippleRequest = 160,    // 160..162: the same for the vertical wave
  kVarJumpA = 163,            // 163..166: stored scenario jump A (high, low, entry, spare)
  kVarJumpB = 167,            // 167..170: stored scenario jump B
  kVarCalendarDay = 171,      // current day of the calendar
  kVarWeekday = 173,          //
  kVarTableChoice = 176,      // table index chosen at the last opcode 0x2B
  kVarTableMessage = 177,     // 177..188: message of option i, 0 = not offered
  kVarTableStep = 189,        // 189..200: jump step of option i
  kVarWeatherNext = 201,      // weather to start at the next scene change, 0 = none
};
constexpr int kTableOptions = 12;
constexpr int kCollectBits = 80;

extern uint8_t& MusicNext;    // variable 140
extern uint8_t& WeatherNext;  // variable 201

// [SECTION] Fields of the live state under their own names

extern uint16_t (&NameArrays)[kNameCount][kNameLength];
extern uint8_t& WeatherMode;
extern uint16_t (&CharOrder)[6];
extern uint16_t& EventPc;
extern uint16_t& CurrentScenario;
extern uint8_t& BgShown;
extern uint8_t& BgHeld;
extern uint8_t& VCgShown;
extern uint8_t& HCgShown;
extern uint16_t (&CharCode)[6];
extern uint8_t& FilterMode;
extern uint16_t& PageOffset;
extern uint16_t& TextX;
extern uint16_t& TextY;
extern uint16_t& TextColour;
extern uint16_t& ShadowColour;
extern uint8_t (&ScenarioSeen)[kSeenBytes];
extern uint16_t& HistoryCount;
extern HistoryEntry (&History)[kHistoryMax];

// Whether scenario n is marked in a seen set; n of 4096 and above never is.
bool ScenarioSeenTest(const uint8_t (&seen)[kSeenBytes], uint32_t n);
// Marks scenario n in a seen set; nothing for n of 4096 and above.
void ScenarioSeenMark(uint8_t (&seen)[kSeenBytes], uint32_t n);
