// Scenario files: any bytes as the scenario a game starts at, loaded and played through both
// interpreters (the event script and the message text it shows) on the headless backend, the
// player pressing Enter all along. A run ends at the script's end, at a refused file, after a
// bounded number of event steps or when the virtual clock runs out.
#include <vector>

#include "fuzz/harness.h"
#include "resources/memory.h"
#include "scenario/event_script.h"
#include "scenario/font.h"
#include "screens/main_flow.h"

namespace {

constexpr uint16_t kScenario = 0x40;
constexpr uint32_t kMaxEventSteps = 4000;
constexpr uint32_t kVirtualMs = 4000;

uint32_t EventSteps = 0;

void CountStep(uint16_t, uint8_t) {
  if (++EventSteps > kMaxEventSteps) throw FuzzEnd{-1};
}

// The pretend player: Enter pressed and let go every 40 virtual milliseconds.
HeadlessConfig Player() {
  HeadlessConfig config;
  config.timeLimit = kVirtualMs;
  for (uint32_t t = 20; t < kVirtualMs; t += 40) {
    config.steps.push_back({t, HeadlessAction::KeyDown, VK_RETURN});
    config.steps.push_back({t + 20, HeadlessAction::KeyUp, VK_RETURN});
  }
  return config;
}

// A font of 64 glyphs, each a different pattern, so that text draws ink.
void InstallFont() {
  std::vector<uint8_t> font(64 * kGlyphBytes);
  for (size_t i = 0; i < font.size(); i++) font[i] = static_cast<uint8_t>(i * 7 + i / 72);
  FontBlock = MemAlloc(static_cast<uint32_t>(font.size()), "KNJ_ALL.KNJ");
  std::copy(font.begin(), font.end(), MemLock(FontBlock));
  MemUnlock(FontBlock);
  FontBytes = static_cast<uint32_t>(font.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const HeadlessConfig player = Player();
  FuzzStartEngine(player);
  FuzzWriteData("0040.SCN", std::span<const uint8_t>(data, size));
  InstallFont();
  EventSteps = 0;
  EventStepHook = CountStep;
  FuzzGuard([] { PlayScenario(kScenario); });
  EventStepHook = nullptr;
  FuzzStopEngine();
  return 0;
}
