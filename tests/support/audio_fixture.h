// The sound tests' fixture: the engine on the headless backend with a data directory of track
// files and sound entries, the window timer running (it paces the music poll), and the device
// record cleared.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/input.h"
#include "audio/audio.h"
#include "resources/pack.h"
#include "support/engine_fixture.h"
#include "support/files.h"
#include "support/test_data.h"

using Lines = std::vector<std::string>;

// `value` as `bytes` bytes, lowest first.
inline std::string LittleEndian(uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; i++) out.push_back(static_cast<char>(value >> (8 * i)));
  return out;
}

// A WAV file: 16-bit when `samples` is given, silent 8-bit of `silentFrames` frames otherwise.
inline std::string WavBytes(int rate, int channels, int bits, const std::vector<int16_t>& samples,
                            uint32_t silentFrames = 0) {
  const uint32_t block = channels * bits / 8;
  const uint32_t dataBytes =
      samples.empty() ? silentFrames * block : static_cast<uint32_t>(samples.size() * 2);
  std::string out = "RIFF" + LittleEndian(36 + dataBytes, 4) + "WAVEfmt " + LittleEndian(16, 4) +
                    LittleEndian(1, 2) + LittleEndian(channels, 2) + LittleEndian(rate, 4) +
                    LittleEndian(rate * block, 4) + LittleEndian(block, 2) + LittleEndian(bits, 2) +
                    "data" + LittleEndian(dataBytes, 4);
  out.append(samples.empty() ? dataBytes : 0, static_cast<char>(bits == 8 ? 0x80 : 0));
  for (int16_t s : samples) out += LittleEndian(static_cast<uint16_t>(s), 2);
  return out;
}

// A sine tone of amplitude 9000 at `rate` samples a second.
inline std::vector<int16_t> Tone(double frequency, double seconds, int rate = 22050) {
  std::vector<int16_t> samples(static_cast<size_t>(seconds * rate));
  for (size_t i = 0; i < samples.size(); i++) {
    samples[i] = static_cast<int16_t>(9000 * std::sin(2 * M_PI * frequency * i / rate));
  }
  return samples;
}

class AudioTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    AudioReset();
    HeadlessConfigureAudio(HeadlessAudioConfig{});
    PlatWaveSetVolume(0xFFFFFFFF);
    for (int device = 0; device < PlatAuxCount(); device++) PlatAuxSetVolume(device, 0xFFFFFFFF);
    DataDir = dir.path.string();
    PlatSetTimer(1, 80);
    HeadlessClearAudioCalls();
  }
  void TearDown() override {
    PcmClose();
    MemRelease(&PcmBlock);
    CdClose();
    PackClose();
    AudioReset();
    HeadlessClearAudioCalls();
    EngineTest::TearDown();
  }

  // A silent track of exactly minutes:seconds:frames (10 samples a CD frame).
  void WriteTrack(int track, int minutes, int seconds, int frames) {
    const uint32_t cdFrames = static_cast<uint32_t>((minutes * 60 + seconds) * 75 + frames);
    const std::string name = (track < 10 ? "TRACK0" : "TRACK") + std::to_string(track) + ".WAV";
    WriteFileBytes(dir.path / name, WavBytes(750, 1, 8, {}, cdFrames * 10));
  }

  // Pumps (the clock moving 1 ms a quiet step) until the virtual clock reaches `time`.
  static void PumpUntil(uint32_t time) {
    while (static_cast<int32_t>(PlatTicks() - time) < 0) PumpMessages();
  }

  // The time of the first recorded line starting with `prefix` at or after `from`; ~0u if none.
  static uint32_t TimeOf(const std::string& prefix, uint32_t from = 0) {
    for (const HeadlessAudioCall& call : HeadlessAudioCalls()) {
      if (call.time >= from && call.line.starts_with(prefix)) return call.time;
    }
    return ~0u;
  }

  static size_t Count(const std::string& prefix) { return HeadlessAudioLines({prefix}).size(); }

  TempDir dir;
};
