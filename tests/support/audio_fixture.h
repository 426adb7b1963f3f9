// The sound tests' fixture: the engine on the headless backend with a data directory of track
// files and sound entries, the window timer running (it paces the music poll), and the device
// record cleared.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/input.h"
#include "audio/audio.h"
#include "resources/pack.h"
#include "support/engine_fixture.h"
#include "support/test_data.h"

using Lines = std::vector<std::string>;

// A WAV file: 16-bit when `samples` is given, silent 8-bit of `frames` frames otherwise.
inline std::string WavBytes(int rate, int channels, int bits, const std::vector<int16_t>& samples,
                            uint32_t silentFrames = 0) {
  const uint32_t dataBytes = samples.empty() ? silentFrames * channels * (bits / 8)
                                             : static_cast<uint32_t>(samples.size() * 2);
  std::string out;
  auto put = [&out](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; i++) out.push_back(static_cast<char>(v >> (8 * i)));
  };
  out += "RIFF";
  put(36 + dataBytes, 4);
  out += "WAVEfmt ";
  put(16, 4);
  put(1, 2);
  put(channels, 2);
  put(rate, 4);
  put(rate * channels * bits / 8, 4);
  put(channels * bits / 8, 2);
  put(bits, 2);
  out += "data";
  put(dataBytes, 4);
  out.append(samples.empty() ? dataBytes : 0, static_cast<char>(bits == 8 ? 0x80 : 0));
  for (int16_t s : samples) put(static_cast<uint16_t>(s), 2);
  return out;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
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
    char name[16];
    std::snprintf(name, sizeof name, "TRACK%02d.WAV", track);
    WriteFile(dir.path / name, WavBytes(750, 1, 8, {}, cdFrames * 10));
  }

  // The archives with sound entries "MR_VDnn.P16" of the given byte lengths, opened.
  void OpenArchives(const std::vector<std::pair<int, uint32_t>>& sounds) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (const auto& [number, bytes] : sounds) {
      char name[16];
      std::snprintf(name, sizeof name, "MR_VD%02d.P16", number);
      entries.emplace_back(name, std::string(bytes, '\x01'));
    }
    WriteStartArchives(dir.path, entries);
    ASSERT_TRUE(PackOpen());
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
