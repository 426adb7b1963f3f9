// What the scenario tests share: unpacked event and message blocks built from bytes, scenario
// files packed the way the assembler packs them, and a fixture with a fresh game state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/input.h"
#include "resources/lzss.h"
#include "resources/text_format.h"
#include "scenario/event_script.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "support/engine_fixture.h"
#include "support/files.h"
#include "support/test_data.h"

using Bytes = std::vector<uint8_t>;

// Where the code or the texts of a block begin: after the header word and 256 entries.
constexpr uint16_t kBodyStart = 2 + 2 * 256;

// An unpacked block: header word, entry table (entry k -> kBodyStart + entries[k]; entries not
// given hold 0), then `body`.
inline Bytes ScenarioBlock(const Bytes& body, const std::map<int, uint16_t>& entries = {{0, 0}}) {
  Bytes block(kBodyStart, 0);
  for (const auto& [k, offset] : entries) {
    const uint16_t at = static_cast<uint16_t>(kBodyStart + offset);
    block[2 + 2 * k] = static_cast<uint8_t>(at);
    block[3 + 2 * k] = static_cast<uint8_t>(at >> 8);
  }
  block.insert(block.end(), body.begin(), body.end());
  return block;
}

// A scenario file holding both blocks packed, each on a 16-byte boundary.
inline Bytes ScenarioFile(const Bytes& events, const Bytes& messages) {
  Bytes file(16, 0);
  auto append = [&file](const Bytes& block, int field) {
    const size_t at = file.size();
    file[field] = static_cast<uint8_t>(at / 16);
    file[field + 1] = static_cast<uint8_t>(at / 16 >> 8);
    const Bytes packed = LzssPack(block);
    file.insert(file.end(), packed.begin(), packed.end());
    file.resize((file.size() + 15) / 16 * 16, 0);
  };
  append(events, 0);
  append(messages, 2);
  return file;
}

// A message block holding `messages` as messages 0, 1, ...
inline Bytes MessageBlock(const std::vector<Bytes>& messages) {
  Bytes body;
  std::map<int, uint16_t> entries;
  for (size_t k = 0; k < messages.size(); k++) {
    entries[static_cast<int>(k)] = static_cast<uint16_t>(body.size());
    body.insert(body.end(), messages[k].begin(), messages[k].end());
  }
  return ScenarioBlock(body, entries);
}

// Messages 0..n-1, each one character (code 0x0041 + k) and the end mark.
inline Bytes SimpleMessages(int n) {
  std::vector<Bytes> messages;
  for (int k = 0; k < n; k++) messages.push_back({0x00, static_cast<uint8_t>(0x41 + k), 0xAF});
  return MessageBlock(messages);
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  WriteFileBytes(path, bytes);
}

// The engine on the headless backend with a fresh game state and an empty data directory that
// scenario files and pictures can be written to.
class ScenarioTest : public EngineTest {
 protected:
  void SetUp() override {
    StartEngine(HeadlessConfig{}, WindowProc());
    GameStateReset();
    EventData = MessageData = ViewMessageData = 0;
    ViewMessageScenario = kNoScenario;
    ScriptExit = kScriptRunning;
    SkipAllowed = SkipToChoice = 0;
    DataDir = dir.path.string();
  }
  void TearDown() override {
    EventData = MessageData = ViewMessageData = 0;
    DataDir.clear();
    EngineTest::TearDown();
  }
  // What receives the window's messages.
  virtual PlatWndProc WindowProc() { return WndProc; }

  // Writes "%04x.SCN" for `number` into the data directory.
  void WriteScenario(uint16_t number, const Bytes& events,
                     const Bytes& messages = SimpleMessages(1)) {
    WriteFile(dir.path / FormatText("%04x.SCN", {number}), ScenarioFile(events, messages));
  }

  // Runs `code` as the resident event block of scenario 0x40, without any file, from entry 0
  // (at its start unless told otherwise), as the main flow runs the script: ScriptExit cleared.
  void Run(const Bytes& code, const std::map<int, uint16_t>& entries = {{0, 0}}) {
    MemRelease(&EventData);
    MemRelease(&MessageData);
    EventData = Block(ScenarioBlock(code, entries), "EVENT DATA");
    MessageData = Block(SimpleMessages(1), "MESSAGE DATA");
    CurrentScenario = 0x40;
    EventPc = EventEntry(0);
    ScriptExit = kScriptRunning;
    RunEventScript();
  }

  static MemHandle Block(const Bytes& bytes, const char* label) {
    const MemHandle handle = MemAlloc(static_cast<uint32_t>(bytes.size()), label);
    std::copy(bytes.begin(), bytes.end(), MemLock(handle));
    MemUnlock(handle);
    return handle;
  }

  TempDir dir;
};

// Scenario data that leads outside its block ends the game naming the file.
#define EXPECT_SCENARIO_FATAL(statement, file) \
  EXPECT_EXIT(statement, ::testing::ExitedWithCode(1), std::string("データ異常です : ") + (file))
