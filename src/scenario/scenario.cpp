// The scenario loader: reads a scenario file from the scenario archive, unpacks its event and
// message blocks, and keeps the seen set and the skip permission up to date.
#include "scenario/scenario.h"

#include <string>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "platform/platform.h"
#include "resources/lzss.h"
#include "resources/pack.h"
#include "resources/sjis.h"
#include "resources/text_format.h"
#include "scenario/game_state.h"

MemHandle EventData;
MemHandle MessageData;
uint16_t SkipAllowed;
MemHandle ViewMessageData;
uint16_t ViewMessageScenario = kNoScenario;

namespace {

constexpr uint32_t kBlockUnit = 16;
constexpr uint32_t kEntryTable = 2;  // entry k is the u16 at 2 + 2k

[[noreturn]] void DataError(uint16_t number) {
  ExitGame(FormatText(Sjis("データ異常です : %04x.SCN"), {number}).c_str());
}

// The unpacked block at the position stored at `field` of the file (in 16-byte units).
MemHandle UnpackAt(const uint8_t* file, uint32_t size, uint32_t field, const char* label,
                   uint16_t number) {
  if (size < field + 2) DataError(number);
  const uint32_t at = uint32_t{ReadLe16(file + field)} * kBlockUnit;
  if (at >= size) DataError(number);
  return UnpackBlock(std::span<const uint8_t>(file + at, size - at), label,
                     FormatText("%04x.SCN", {number}).c_str());
}

// Reads "%04x.SCN" and unpacks the block at header field `field` (0 events, 2 messages), or
// both when `both`: the message block goes to *second.
MemHandle ReadScenario(uint16_t number, uint32_t field, const char* label, MemHandle* second) {
  uint32_t size = 0;
  MemHandle file = PackLoad(FormatText("%04x.SCN", {number}).c_str(), &size, kPackScenario);
  const uint8_t* bytes = MemLock(file);
  const MemHandle block = UnpackAt(bytes, size, field, label, number);
  if (second) *second = UnpackAt(bytes, size, 2, "MESSAGE DATA", number);
  MemUnlock(file);
  MemRelease(&file);
  return block;
}

// Offset held by entry k of an unpacked block, checked against the block.
uint16_t EntryOffset(MemHandle block, uint8_t k) {
  const uint32_t size = MemSize(block);
  const uint32_t at = kEntryTable + 2u * k;
  if (!block || size < at + 2) ScenarioDataError();
  const uint16_t offset = ReadLe16(MemAddress(block) + at);
  if (offset >= size) ScenarioDataError();
  return offset;
}

}  // namespace

// [SECTION] Resident scenario

void LoadScenario(uint16_t number, bool start) {
  if (ScenarioSeenTest(ScenarioSeen, number) ||
      (number >= kSkipAlwaysFirst && number <= kSkipAlwaysLast)) {
    PlatMenuEnable(kMenuSkipToChoice, true);
    PlatDrawMenuBar();
    SkipAllowed = 1;
  } else {
    PlatMenuEnable(kMenuSkipToChoice, false);
    PlatDrawMenuBar();
    SkipAllowed = 0;
    SkipToChoice = 0;
  }
  ScenarioSeenMark(ScenarioSeen, CurrentScenario);

  if (number != CurrentScenario) {
    MemRelease(&EventData);
    MemRelease(&MessageData);
    EventData = ReadScenario(number, 0, "EVENT DATA", &MessageData);
    CurrentScenario = number;
  }

  if (start) {
    if (CdPlaying != 1) CdFadeOut();
    EventPc = EventEntry(0);
    ScriptVars[kVarScenarioStarted] = 1;
  }
}

void UnloadScenario(uint16_t keep) {
  if (CurrentScenario == keep) return;
  MemRelease(&EventData);
  MemRelease(&MessageData);
  CurrentScenario = kNoScenario;
}

// [SECTION] Reading the resident blocks

void ScenarioDataError() {
  DataError(CurrentScenario);
}

uint16_t EventEntry(uint8_t e) {
  return EntryOffset(EventData, e);
}

std::span<const uint8_t> MessageBlockBytes() {
  if (!MessageData) return {};
  return {MemAddress(MessageData), MemSize(MessageData)};
}

const uint8_t* MessageCode(uint8_t m) {
  return MemAddress(MessageData) + EntryOffset(MessageData, m);
}

// [SECTION] Message blocks for the log view

void LoadMessageBlock(uint16_t number) {
  if (number == ViewMessageScenario && ViewMessageData) return;
  MemRelease(&ViewMessageData);
  ViewMessageScenario = kNoScenario;
  ViewMessageData = ReadScenario(number, 2, "VIEW MES DATA", nullptr);
  ViewMessageScenario = number;
}

void UnloadMessageBlock() {
  MemRelease(&ViewMessageData);
  ViewMessageScenario = kNoScenario;
}

const uint8_t* ViewMessageCode(uint8_t m) {
  const uint32_t size = MemSize(ViewMessageData);
  const uint32_t at = kEntryTable + 2u * m;
  if (!ViewMessageData || size < at + 2) DataError(ViewMessageScenario);
  const uint16_t offset = ReadLe16(MemAddress(ViewMessageData) + at);
  if (offset >= size) DataError(ViewMessageScenario);
  return MemAddress(ViewMessageData) + offset;
}
