// Headless sound: nothing is heard; the devices run on the virtual clock and every call made of
// them is written into a record that tests read to tell what a player would hear, and when.
#include "platform/audio_local.h"
#include "platform/headless/headless.h"

namespace {

// [SECTION] State
// Lives for the whole process: the record is cleared only by HeadlessClearAudioCalls.
struct HeadlessSound {
  PlatAudioMachine machine;
  std::vector<HeadlessAudioCall> calls;
};
HeadlessSound gHs;

// [SECTION] Hooks

const PlatAudioMachine& HsMachine() {
  return gHs.machine;
}
void HsOpen() {}
void HsRelease() {}
void HsCdStart(const std::string&, uint64_t, uint64_t) {}
void HsCdStop() {}
bool HsCdSounding() {
  return false;
}
void HsWaveStart(std::span<const uint8_t>, const PlatWaveFormat&, uint32_t) {}
void HsWaveStop() {}
bool HsWaveSounding() {
  return false;
}
void HsSetVolumes(uint32_t, uint32_t) {}
void HsTrace(uint32_t time, const std::string& line) {
  gHs.calls.push_back(HeadlessAudioCall{time, line});
}

}  // namespace

const PlatAudioBackend kHeadlessAudio = {
    .machine = HsMachine,
    .open = HsOpen,
    .release = HsRelease,
    .cdStart = HsCdStart,
    .cdStop = HsCdStop,
    .cdSounding = HsCdSounding,
    .waveStart = HsWaveStart,
    .waveStop = HsWaveStop,
    .waveSounding = HsWaveSounding,
    .setVolumes = HsSetVolumes,
    .trace = HsTrace,
};

// [SECTION] Observation

void HeadlessConfigureAudio(const HeadlessAudioConfig& config) {
  gHs.machine.aux = config.aux;
  gHs.machine.cdOpenError = config.cdOpenError;
  gHs.machine.waveOpenError = config.waveOpenError;
  gHs.machine.waveWriteError = config.waveWriteError;
}

const std::vector<HeadlessAudioCall>& HeadlessAudioCalls() {
  return gHs.calls;
}

void HeadlessClearAudioCalls() {
  gHs.calls.clear();
}

std::vector<std::string> HeadlessAudioLines(std::initializer_list<std::string_view> prefixes) {
  std::vector<std::string> lines;
  for (const HeadlessAudioCall& call : gHs.calls) {
    bool wanted = prefixes.size() == 0;
    for (std::string_view prefix : prefixes) wanted = wanted || call.line.starts_with(prefix);
    if (wanted) lines.push_back(call.line);
  }
  return lines;
}

HeadlessAudioNow HeadlessAudioHeard() {
  const PlatAudioStatus s = PlatAudioGetStatus();
  return HeadlessAudioNow{s.cdTrack,   s.cdPositionMs, s.cdVolume, s.wave,
                          s.waveBytes, s.waveLoops,    s.wavePass, s.waveVolume};
}
