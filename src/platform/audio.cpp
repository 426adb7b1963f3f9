// The CD-audio, auxiliary-volume and wave devices of the seam. Both devices run on the tick
// counter here, the same for every backend; the backend's output hooks make them heard.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <optional>

#include "platform/audio_local.h"

namespace {

// [SECTION] State
// Cleared by PlatAudioInit; the output is given back when both devices are closed.

constexpr int kFramesPerSecond = 75;  // CD frames
constexpr uint32_t kEndless = 0xFFFFFFFF;
// How long past its clock time a buffer may still be sounding before the device stops
// waiting for the output to drain.
constexpr uint32_t kDrainLimitMs = 1000;

struct CdDevice {
  bool open = false;
  std::string directory;
  std::vector<std::string> tracks;                  // file per track number
  std::vector<std::optional<AudioFileInfo>> infos;  // read on first use
  bool playing = false;
  int track = 0;
  uint64_t first = 0, end = 0;  // sample frames of the play
  int rate = 1;
  uint32_t start = 0;  // tick the play began
};

struct WaveDevice {
  bool open = false;
  PlatWaveFormat format;
  bool pending = false;  // a buffer is with the device
  uint64_t frames = 0;   // one pass
  uint32_t loops = 0;
  uint32_t bytes = 0;
  uint32_t start = 0;
};

struct AudioState {
  const PlatAudioBackend* out = nullptr;
  bool outputOpen = false;
  CdDevice cd;
  WaveDevice wave;
  std::vector<uint32_t> auxVolume;
  uint32_t waveVolume = 0xFFFFFFFF;
};
AudioState gAudio;

const PlatAudioMachine& Machine() {
  return gAudio.out->machine();
}

// One line of the call record, when a backend keeps one.
__attribute__((format(printf, 1, 2))) void Trace(const char* format, ...) {
  if (!gAudio.out || !gAudio.out->trace) return;
  char line[160];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  gAudio.out->trace(PlatTicks(), line);
}

uint32_t Elapsed(uint32_t start) {
  return PlatTicks() - start;
}

// Milliseconds `frames` take at `rate`, rounded up.
uint64_t DurationMs(uint64_t frames, int rate) {
  return (frames * 1000 + static_cast<uint64_t>(rate) - 1) / static_cast<uint64_t>(rate);
}

void OpenOutput() {
  if (gAudio.outputOpen) return;
  gAudio.outputOpen = true;
  gAudio.out->open();
}

void ReleaseOutputIfIdle() {
  if (!gAudio.outputOpen || gAudio.cd.open || gAudio.wave.open) return;
  gAudio.outputOpen = false;
  gAudio.out->release();
}

// The CD mixer control is the first auxiliary device with CD-audio technology; without one
// the music plays at full volume.
uint32_t CdVolume() {
  const auto& aux = Machine().aux;
  for (size_t i = 0; i < aux.size() && i < gAudio.auxVolume.size(); i++) {
    if (!(aux[i].technology & AUXCAPS_CDAUDIO)) continue;
    const uint32_t v = gAudio.auxVolume[i];
    // A control without separate channels sets both from its low word.
    return (aux[i].support & AUXCAPS_LRVOLUME) ? v : (v & 0xFFFF) | (v & 0xFFFF) << 16;
  }
  return 0xFFFFFFFF;
}

void ApplyVolumes() {
  gAudio.out->setVolumes(CdVolume(), gAudio.waveVolume);
}

// [SECTION] CD helpers

void CdHalt() {
  if (!gAudio.cd.playing) return;
  gAudio.cd.playing = false;
  gAudio.out->cdStop();
}

bool CdHasTrack(int track) {
  return track >= 1 && track < static_cast<int>(gAudio.cd.tracks.size()) &&
         !gAudio.cd.tracks[track].empty();
}

// The track's sample format and length, read from its file once.
const AudioFileInfo* CdTrackInfo(int track) {
  if (!CdHasTrack(track)) return nullptr;
  auto& slot = gAudio.cd.infos[track];
  if (!slot) {
    AudioFileInfo info;
    std::string error;
    if (!AudioOpenFile(gAudio.cd.tracks[track], info, error)) {
      std::fprintf(stderr, "lanternia3: %s: %s\n", gAudio.cd.tracks[track].c_str(), error.c_str());
      info = AudioFileInfo{};
    }
    slot = info;
  }
  return slot->rate > 0 ? &*slot : nullptr;
}

uint64_t CdFramesToCd(uint64_t frames, int rate) {
  return frames * kFramesPerSecond / static_cast<uint64_t>(rate);
}

// Sample frame of a minutes/seconds/frames position inside a track.
uint64_t CdPositionToFrames(uint32_t tmsf, int rate) {
  const uint64_t minutes = (tmsf >> 8) & 0xFF, seconds = (tmsf >> 16) & 0xFF,
                 frames = (tmsf >> 24) & 0xFF;
  const uint64_t cdFrames = (minutes * 60 + seconds) * kFramesPerSecond + frames;
  return cdFrames * static_cast<uint64_t>(rate) / kFramesPerSecond;
}

std::string TmsfText(uint32_t tmsf) {
  char text[24];
  std::snprintf(text, sizeof text, "%u:%02u:%02u:%02u", tmsf & 0xFF, (tmsf >> 8) & 0xFF,
                (tmsf >> 16) & 0xFF, (tmsf >> 24) & 0xFF);
  return text;
}

bool CdPlayOver() {
  const CdDevice& cd = gAudio.cd;
  const uint64_t elapsed = Elapsed(cd.start);
  if (elapsed < DurationMs(cd.end - cd.first, cd.rate)) return false;
  return !gAudio.out->cdSounding() ||
         elapsed >= DurationMs(cd.end - cd.first, cd.rate) + kDrainLimitMs;
}

bool WavePlayOver() {
  const WaveDevice& wave = gAudio.wave;
  if (wave.loops == kEndless) return false;
  const uint64_t length = DurationMs(wave.frames * wave.loops, wave.format.samplesPerSecond);
  const uint64_t elapsed = Elapsed(wave.start);
  if (elapsed < length) return false;
  return !gAudio.out->waveSounding() || elapsed >= length + kDrainLimitMs;
}

// The buffer is given back: MM_WOM_DONE goes to the window.
void WaveReturnBuffer() {
  Trace("WaveDone");
  gAudio.wave.pending = false;
  gAudio.out->waveStop();
  PlatQueueMessage(MM_WOM_DONE);
}

}  // namespace

// [SECTION] Life cycle

void PlatAudioInit(PlatBackendKind kind) {
  if (gAudio.out) {
    gAudio.cd.open = gAudio.wave.open = false;
    gAudio.out->cdStop();
    gAudio.out->waveStop();
    ReleaseOutputIfIdle();
  }
  gAudio = AudioState{};
  gAudio.out = kind == PlatBackendKind::Headless ? &kHeadlessAudio : &kSdlAudio;
  gAudio.auxVolume.assign(32, 0xFFFFFFFF);
}

void PlatAudioPump() {
  if (!gAudio.out) return;
  if (gAudio.wave.pending && WavePlayOver()) WaveReturnBuffer();
  if (gAudio.cd.playing && CdPlayOver()) {
    Trace("CdEnd %d", gAudio.cd.track);
    CdHalt();
  }
}

uint32_t PlatAudioNextEventIn() {
  if (!gAudio.out) return UINT32_MAX;
  // Past its length a device waits for the output to drain: look again now and then.
  constexpr uint64_t kDrainLookMs = 10;
  uint64_t left = UINT32_MAX;
  const WaveDevice& wave = gAudio.wave;
  if (wave.pending && wave.loops != kEndless) {
    const uint64_t length = DurationMs(wave.frames * wave.loops, wave.format.samplesPerSecond);
    const uint64_t elapsed = Elapsed(wave.start);
    left = std::min(left, elapsed < length ? length - elapsed : kDrainLookMs);
  }
  const CdDevice& cd = gAudio.cd;
  if (cd.playing) {
    const uint64_t length = DurationMs(cd.end - cd.first, cd.rate);
    const uint64_t elapsed = Elapsed(cd.start);
    left = std::min(left, elapsed < length ? length - elapsed : kDrainLookMs);
  }
  return static_cast<uint32_t>(left);
}

PlatAudioStatus PlatAudioGetStatus() {
  PlatAudioStatus status;
  if (!gAudio.out) return status;
  const CdDevice& cd = gAudio.cd;
  if (cd.playing) {
    status.cdTrack = cd.track;
    const uint64_t position = DurationMs(cd.first, cd.rate) + Elapsed(cd.start);
    status.cdPositionMs =
        static_cast<uint32_t>(std::min<uint64_t>(position, DurationMs(cd.end, cd.rate)));
  }
  status.cdVolume = CdVolume();
  const WaveDevice& wave = gAudio.wave;
  if (wave.pending) {
    status.wave = true;
    status.waveBytes = wave.bytes;
    status.waveLoops = wave.loops;
    const uint64_t pass = DurationMs(wave.frames, wave.format.samplesPerSecond);
    status.wavePass = pass ? static_cast<uint32_t>(Elapsed(wave.start) / pass) : 0;
  }
  status.waveVolume = gAudio.waveVolume;
  return status;
}

// [SECTION] CD audio

uint32_t PlatCdOpen(std::string_view directory) {
  if (const uint32_t error = Machine().cdOpenError) {
    Trace("CdOpen -> %u", error);
    return error;
  }
  CdDevice& cd = gAudio.cd;
  CdHalt();
  cd = CdDevice{};
  cd.open = true;
  cd.directory = directory;
  // An unreadable directory is a drive without a disc: open, with nothing to play.
  AudioFindTracks(cd.directory, cd.tracks);
  cd.tracks.resize(100);
  cd.infos.assign(cd.tracks.size(), std::nullopt);
  Trace("CdOpen");
  OpenOutput();
  ApplyVolumes();
  return 0;
}

uint32_t PlatCdClose() {
  if (!gAudio.cd.open) return MCIERR_HARDWARE;
  CdHalt();
  gAudio.cd.open = false;
  Trace("CdClose");
  ReleaseOutputIfIdle();
  return 0;
}

uint32_t PlatCdSeekTrack(int track) {
  if (!gAudio.cd.open) return MCIERR_HARDWARE;
  // A seek stops what plays, as on a drive.
  CdHalt();
  const uint32_t error = CdTrackInfo(track) ? 0u : uint32_t{MCIERR_OUTOFRANGE};
  Trace(error ? "CdSeek %d -> %u" : "CdSeek %d", track, error);
  return error;
}

uint32_t PlatCdTrackLength(int track, int& minutes, int& seconds, int& frames) {
  minutes = seconds = frames = 0;
  if (!gAudio.cd.open) return MCIERR_HARDWARE;
  const AudioFileInfo* info = CdTrackInfo(track);
  if (!info) {
    Trace("CdLength %d -> %u", track, MCIERR_OUTOFRANGE);
    return MCIERR_OUTOFRANGE;
  }
  const uint64_t cdFrames = CdFramesToCd(info->frames, info->rate);
  minutes = static_cast<int>(std::min<uint64_t>(cdFrames / (60 * kFramesPerSecond), 99));
  seconds = static_cast<int>(cdFrames / kFramesPerSecond % 60);
  frames = static_cast<int>(cdFrames % kFramesPerSecond);
  Trace("CdLength %d -> %d:%02d:%02d", track, minutes, seconds, frames);
  return 0;
}

uint32_t PlatCdPlay(uint32_t fromTmsf, uint32_t toTmsf) {
  if (!gAudio.cd.open) return MCIERR_HARDWARE;
  const std::string range = TmsfText(fromTmsf) + " " + TmsfText(toTmsf);
  const int track = static_cast<int>(fromTmsf & 0xFF);
  const int toTrack = static_cast<int>(toTmsf & 0xFF);
  const AudioFileInfo* info = CdTrackInfo(track);
  uint64_t first = 0, end = 0;
  if (info) {
    first = CdPositionToFrames(fromTmsf, info->rate);
    // A play into a later track ends with this one: every file is a track of its own.
    end = toTrack > track ? info->frames
                          : std::min(CdPositionToFrames(toTmsf, info->rate), info->frames);
  }
  if (!info || toTrack < track || end <= first) {
    Trace("CdPlay %s -> %u", range.c_str(), MCIERR_OUTOFRANGE);
    return MCIERR_OUTOFRANGE;
  }
  CdHalt();
  CdDevice& cd = gAudio.cd;
  cd.playing = true;
  cd.track = track;
  cd.first = first;
  cd.end = end;
  cd.rate = info->rate;
  cd.start = PlatTicks();
  Trace("CdPlay %s", range.c_str());
  gAudio.out->cdStart(cd.tracks[track], first, end);
  return 0;
}

uint32_t PlatCdStop() {
  if (!gAudio.cd.open) return MCIERR_HARDWARE;
  CdHalt();
  Trace("CdStop");
  return 0;
}

uint32_t PlatCdMode(uint32_t& mode) {
  if (!gAudio.cd.open) {
    mode = MCI_MODE_NOT_READY;
    return MCIERR_HARDWARE;
  }
  PlatAudioPump();  // a play that is over reads as stopped at once
  mode = gAudio.cd.playing ? MCI_MODE_PLAY : MCI_MODE_STOP;
  Trace("CdMode -> %s", gAudio.cd.playing ? "play" : "stop");
  return 0;
}

// [SECTION] Auxiliary volume

int PlatAuxCount() {
  return static_cast<int>(std::min<size_t>(Machine().aux.size(), gAudio.auxVolume.size()));
}

bool PlatAuxGetCaps(int device, PlatAuxCaps& caps) {
  if (device < 0 || device >= PlatAuxCount()) return false;
  caps = Machine().aux[device];
  return true;
}

bool PlatAuxGetVolume(int device, uint32_t& volume) {
  volume = 0;
  PlatAuxCaps caps;
  if (!PlatAuxGetCaps(device, caps) || !(caps.support & AUXCAPS_VOLUME)) return false;
  volume = gAudio.auxVolume[device];
  Trace("AuxGetVolume %d -> %08x", device, volume);
  return true;
}

bool PlatAuxSetVolume(int device, uint32_t volume) {
  PlatAuxCaps caps;
  if (!PlatAuxGetCaps(device, caps) || !(caps.support & AUXCAPS_VOLUME)) return false;
  gAudio.auxVolume[device] = volume;
  Trace("AuxSetVolume %d %08x", device, volume);
  ApplyVolumes();
  return true;
}

// [SECTION] Wave output

uint32_t PlatWaveOpen(int samplesPerSecond, int bitsPerSample, int channels) {
  uint32_t error = Machine().waveOpenError;
  if (!error && (bitsPerSample != 16 || channels < 1 || channels > 2 || samplesPerSecond < 1 ||
                 samplesPerSecond > 384000)) {
    error = WAVERR_BADFORMAT;
  }
  if (error) {
    Trace("WaveOpen %d %d %d -> %u", samplesPerSecond, bitsPerSample, channels, error);
    return error;
  }
  // Opening again drops what the earlier opening played; only one buffer sounds at a time.
  if (gAudio.wave.pending) {
    gAudio.wave.pending = false;
    gAudio.out->waveStop();
  }
  gAudio.wave = WaveDevice{};
  gAudio.wave.open = true;
  gAudio.wave.format = PlatWaveFormat{samplesPerSecond, bitsPerSample, channels};
  Trace("WaveOpen %d %d %d", samplesPerSecond, bitsPerSample, channels);
  OpenOutput();
  ApplyVolumes();
  return 0;
}

uint32_t PlatWaveWrite(std::span<const uint8_t> samples, uint32_t loops) {
  WaveDevice& wave = gAudio.wave;
  uint32_t error = wave.open ? Machine().waveWriteError : MMSYSERR_INVALHANDLE;
  if (!error && wave.pending) error = MMSYSERR_INVALHANDLE;  // one buffer at a time
  const unsigned bytes = static_cast<unsigned>(samples.size());
  if (error) {
    Trace("WaveWrite %u %u -> %u", bytes, loops, error);
    return error;
  }
  wave.pending = true;
  wave.bytes = bytes;
  wave.frames = samples.size() / (2 * static_cast<size_t>(wave.format.channels));
  wave.loops = loops;
  wave.start = PlatTicks();
  if (loops == kEndless) {
    Trace("WaveWrite %u endless", bytes);
  } else {
    Trace("WaveWrite %u %u", bytes, loops);
  }
  gAudio.out->waveStart(samples, wave.format, loops);
  return 0;
}

void PlatWaveReset() {
  if (!gAudio.wave.open) return;
  Trace("WaveReset");
  if (gAudio.wave.pending) WaveReturnBuffer();
}

void PlatWaveClose() {
  if (!gAudio.wave.open) return;
  if (gAudio.wave.pending) {
    gAudio.wave.pending = false;
    gAudio.out->waveStop();
  }
  gAudio.wave.open = false;
  Trace("WaveClose");
  ReleaseOutputIfIdle();
}

bool PlatWaveGetVolume(uint32_t& volume) {
  volume = gAudio.waveVolume;
  Trace("WaveGetVolume -> %08x", volume);
  return true;
}

bool PlatWaveSetVolume(uint32_t volume) {
  gAudio.waveVolume = volume;
  Trace("WaveSetVolume %08x", volume);
  ApplyVolumes();
  return true;
}
