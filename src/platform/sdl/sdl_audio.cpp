// SDL sound output: one audio device, opened when the game's sound devices first make a sound
// (a game that keeps music and sound off never starts the output and its thread), whose
// callback mixes the CD music (decoded from its track file as it plays) with the wave buffer.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/audio_local.h"

namespace {

// [SECTION] State
// Opened by the first sound after SdlAudioOpen, given back by SdlAudioRelease (and at process
// exit). Everything the callback touches is changed only while the device is locked.

constexpr int kOutputRate = 44100;
constexpr int kOutputChannels = 2;
constexpr int kOutputBufferFrames = 1024;  // about 23 ms a callback
constexpr size_t kDecodeFrames = 2048;     // track frames decoded at a time
constexpr uint32_t kEndless = 0xFFFFFFFF;

struct StreamFree {
  void operator()(SDL_AudioStream* stream) const { SDL_FreeAudioStream(stream); }
};
using StreamPtr = std::unique_ptr<SDL_AudioStream, StreamFree>;

// The music being played: the track file from its current frame and the converter that turns
// its samples into the output format.
struct SdlCdPlay {
  AudioDecoderPtr decoder;
  AudioFileInfo info;
  uint64_t left = 0;  // track frames still to decode
  StreamPtr stream;
  bool flushed = false;  // everything is in the converter
};

struct SdlSound {
  bool wanted = false;  // a sound device of the game is open
  SDL_AudioDeviceID device = 0;
  bool failed = false;  // the output could not be opened; the game stays silent
  std::unique_ptr<SdlCdPlay> cd;
  std::vector<int16_t> wave;  // one pass, converted to the output format
  size_t wavePos = 0;
  uint32_t waveLoops = 0;  // passes still to sound; kEndless: until stopped
  uint32_t cdVolume = 0xFFFFFFFF, waveVolume = 0xFFFFFFFF;
  std::vector<int16_t> decoded, converted;  // callback scratch

  ~SdlSound();
};
SdlSound gSnd;

// Locks the callback out for the lifetime of the guard.
struct DeviceLock {
  explicit DeviceLock(SDL_AudioDeviceID id) : device(id) {
    if (device) SDL_LockAudioDevice(device);
  }
  ~DeviceLock() {
    if (device) SDL_UnlockAudioDevice(device);
  }
  DeviceLock(const DeviceLock&) = delete;
  DeviceLock& operator=(const DeviceLock&) = delete;
  SDL_AudioDeviceID device;
};

int16_t Clamp16(int32_t v) {
  return static_cast<int16_t>(std::clamp(v, -32768, 32767));
}

// A 16-bit sample scaled by the channel's word of a volume (0xFFFF is full).
int32_t Scale(int32_t sample, uint32_t volume, int channel) {
  const uint32_t word = channel == 0 ? (volume & 0xFFFF) : (volume >> 16);
  return (sample * static_cast<int32_t>(word + (word >> 15))) >> 16;
}

// [SECTION] Callback

void MixCd(int16_t* out, size_t samples) {
  SdlCdPlay& cd = *gSnd.cd;
  const int wanted = static_cast<int>(samples * sizeof(int16_t));
  while (!cd.flushed && SDL_AudioStreamAvailable(cd.stream.get()) < wanted) {
    const size_t frames =
        cd.left ? AudioRead(*cd.decoder, gSnd.decoded.data(),
                            static_cast<size_t>(std::min<uint64_t>(cd.left, kDecodeFrames)))
                : 0;
    if (frames == 0) {
      SDL_AudioStreamFlush(cd.stream.get());
      cd.flushed = true;
      break;
    }
    cd.left -= frames;
    SDL_AudioStreamPut(cd.stream.get(), gSnd.decoded.data(),
                       static_cast<int>(frames * cd.info.channels * sizeof(int16_t)));
  }
  const int got = SDL_AudioStreamGet(cd.stream.get(), gSnd.converted.data(), wanted);
  const size_t count = got > 0 ? static_cast<size_t>(got) / sizeof(int16_t) : 0;
  for (size_t i = 0; i < count; i++) {
    out[i] = Clamp16(out[i] + Scale(gSnd.converted[i], gSnd.cdVolume, static_cast<int>(i & 1)));
  }
}

void MixWave(int16_t* out, size_t samples) {
  size_t i = 0;
  while (i < samples && gSnd.waveLoops > 0 && !gSnd.wave.empty()) {
    const size_t run = std::min(samples - i, gSnd.wave.size() - gSnd.wavePos);
    for (size_t k = 0; k < run; k++, i++) {
      out[i] = Clamp16(
          out[i] + Scale(gSnd.wave[gSnd.wavePos + k], gSnd.waveVolume, static_cast<int>(i & 1)));
    }
    gSnd.wavePos += run;
    if (gSnd.wavePos == gSnd.wave.size()) {
      gSnd.wavePos = 0;
      if (gSnd.waveLoops != kEndless) gSnd.waveLoops--;
    }
  }
}

void Callback(void*, Uint8* stream, int length) {
  auto* out = reinterpret_cast<int16_t*>(stream);
  const size_t samples = static_cast<size_t>(length) / sizeof(int16_t);
  std::fill(out, out + samples, 0);
  if (samples > gSnd.converted.size()) return;  // never: the device keeps its buffer size
  if (gSnd.cd) MixCd(out, samples);
  MixWave(out, samples);
}

// [SECTION] Device

void SdlAudioRelease() {
  gSnd.wanted = false;
  if (!gSnd.device) return;
  SDL_CloseAudioDevice(gSnd.device);  // waits for the callback to finish
  gSnd.device = 0;
  gSnd.cd.reset();
  gSnd.wave.clear();
  gSnd.waveLoops = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

SdlSound::~SdlSound() {
  SdlAudioRelease();
}

// The output itself, brought up for the first sound.
void StartOutput() {
  if (!gSnd.wanted || gSnd.device || gSnd.failed) return;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "lanternia3: no sound output (%s); the game stays silent\n",
                 SDL_GetError());
    gSnd.failed = true;
    return;
  }
  SDL_AudioSpec want{};
  want.freq = kOutputRate;
  want.format = AUDIO_S16SYS;
  want.channels = kOutputChannels;
  want.samples = kOutputBufferFrames;
  want.callback = Callback;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the hardware takes.
  gSnd.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!gSnd.device) {
    std::fprintf(stderr, "lanternia3: no sound output (%s); the game stays silent\n",
                 SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    gSnd.failed = true;
    return;
  }
  gSnd.decoded.assign(kDecodeFrames * kOutputChannels, 0);
  gSnd.converted.assign(static_cast<size_t>(have.size) / sizeof(int16_t) + kOutputChannels, 0);
  SDL_PauseAudioDevice(gSnd.device, 0);
}

void SdlAudioOpen() {
  gSnd.wanted = true;
}

// [SECTION] Hooks

const PlatAudioMachine& SdlAudioMachine() {
  static const PlatAudioMachine machine;
  return machine;
}

void SdlCdStart(const std::string& path, uint64_t first, uint64_t end) {
  StartOutput();
  if (!gSnd.device) return;
  auto play = std::make_unique<SdlCdPlay>();
  std::string error;
  play->decoder = AudioOpenFile(path, play->info, error);
  if (!play->decoder || !AudioSeek(*play->decoder, first)) {
    std::fprintf(stderr, "lanternia3: %s: %s\n", path.c_str(),
                 error.empty() ? "cannot seek" : error.c_str());
    return;
  }
  play->left = end - first;
  play->stream.reset(SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(play->info.channels),
                                        play->info.rate, AUDIO_S16SYS, kOutputChannels,
                                        kOutputRate));
  if (!play->stream) return;
  DeviceLock lock(gSnd.device);
  gSnd.cd.swap(play);  // the old play is freed after the lock is left
}

void SdlCdStop() {
  std::unique_ptr<SdlCdPlay> old;
  DeviceLock lock(gSnd.device);
  gSnd.cd.swap(old);
}

bool SdlCdSounding() {
  DeviceLock lock(gSnd.device);
  return gSnd.cd && !(gSnd.cd->flushed && SDL_AudioStreamAvailable(gSnd.cd->stream.get()) == 0);
}

void SdlWaveStart(std::span<const uint8_t> samples, const PlatWaveFormat& format, uint32_t loops) {
  StartOutput();
  if (!gSnd.device) return;
  // The whole buffer is converted once; the callback then only copies.
  StreamPtr stream(SDL_NewAudioStream(AUDIO_S16LSB, static_cast<Uint8>(format.channels),
                                      format.samplesPerSecond, AUDIO_S16SYS, kOutputChannels,
                                      kOutputRate));
  if (!stream) return;
  const size_t frameBytes = 2 * static_cast<size_t>(format.channels);
  const size_t bytes = samples.size() / frameBytes * frameBytes;
  std::vector<int16_t> converted;
  if (bytes > 0) {
    SDL_AudioStreamPut(stream.get(), samples.data(), static_cast<int>(bytes));
    SDL_AudioStreamFlush(stream.get());
    converted.resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream.get())) / sizeof(int16_t));
    const int got = SDL_AudioStreamGet(stream.get(), converted.data(),
                                       static_cast<int>(converted.size() * sizeof(int16_t)));
    converted.resize(got > 0 ? static_cast<size_t>(got) / sizeof(int16_t) : 0);
  }
  DeviceLock lock(gSnd.device);
  gSnd.wave.swap(converted);
  gSnd.wavePos = 0;
  gSnd.waveLoops = loops;
}

void SdlWaveStop() {
  std::vector<int16_t> old;
  DeviceLock lock(gSnd.device);
  gSnd.wave.swap(old);
  gSnd.waveLoops = 0;
}

bool SdlWaveSounding() {
  DeviceLock lock(gSnd.device);
  return gSnd.waveLoops > 0 && !gSnd.wave.empty();
}

void SdlSetVolumes(uint32_t cdVolume, uint32_t waveVolume) {
  DeviceLock lock(gSnd.device);
  gSnd.cdVolume = cdVolume;
  gSnd.waveVolume = waveVolume;
}

}  // namespace

const PlatAudioBackend kSdlAudio = {
    .machine = SdlAudioMachine,
    .open = SdlAudioOpen,
    .release = SdlAudioRelease,
    .cdStart = SdlCdStart,
    .cdStop = SdlCdStop,
    .cdSounding = SdlCdSounding,
    .waveStart = SdlWaveStart,
    .waveStop = SdlWaveStop,
    .waveSounding = SdlWaveSounding,
    .setVolumes = SdlSetVolumes,
    .trace = nullptr,
};
