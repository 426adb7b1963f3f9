// What the sound pieces of the platform share: the pretend hardware a backend describes, the
// track-file decoder (WAV and Ogg Vorbis) and a look at what the two devices are doing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform_local.h"

// [SECTION] Machine
// The sound hardware as the devices find it. The SDL output offers one CD-audio mixer control
// with left and right volume; the headless one whatever a test configures.
struct PlatAudioMachine {
  std::vector<PlatAuxCaps> aux{
      PlatAuxCaps{0, 0, AUXCAPS_CDAUDIO, AUXCAPS_VOLUME | AUXCAPS_LRVOLUME}};
  uint32_t cdOpenError = 0;     // answer of PlatCdOpen (0: it opens)
  uint32_t waveOpenError = 0;   // answer of PlatWaveOpen
  uint32_t waveWriteError = 0;  // answer of PlatWaveWrite
};

// The format a wave device was opened with.
struct PlatWaveFormat {
  int samplesPerSecond = 22050;
  int bitsPerSample = 16;
  int channels = 1;
};

// [SECTION] Track files
// A track file open for reading: the samples of one CD track, any rate, one or two channels.

struct AudioFileInfo {
  int rate = 0;
  int channels = 0;
  uint64_t frames = 0;  // sample frames (one sample per channel)
};

struct AudioDecoder;
struct AudioDecoderClose {
  void operator()(AudioDecoder* decoder) const;
};
using AudioDecoderPtr = std::unique_ptr<AudioDecoder, AudioDecoderClose>;

// Opens a WAV (PCM, 8 or 16 bits) or Ogg Vorbis file, chosen by its first bytes. nullptr with
// a reason in `error` when it is neither or is damaged.
AudioDecoderPtr AudioOpenFile(const std::string& path, AudioFileInfo& info, std::string& error);
// Reads up to `frames` sample frames as interleaved signed 16-bit samples; answers the frames
// read, 0 at the end or on a read error.
size_t AudioRead(AudioDecoder& decoder, int16_t* out, size_t frames);
// Moves to sample frame `frame`; false when the file cannot go there.
bool AudioSeek(AudioDecoder& decoder, uint64_t frame);

// The track files of a directory, indexed by track number (1..99; empty: none). When a track
// has both a WAV and an Ogg file, the WAV is taken. False when the directory cannot be read.
bool AudioFindTracks(const std::string& directory, std::vector<std::string>& tracks);

// [SECTION] Device status
// What a listener hears at this moment (for the headless observation).
struct PlatAudioStatus {
  int cdTrack = 0;            // track sounding, 0 for none
  uint32_t cdPositionMs = 0;  // position inside that track
  uint32_t cdVolume = 0;      // the CD mixer control (full when there is none)
  bool wave = false;          // a buffer is sounding
  uint32_t waveBytes = 0;     // its length
  uint32_t waveLoops = 0;     // passes asked for, 0xFFFFFFFF endless
  uint32_t wavePass = 0;      // pass now sounding, from 0
  uint32_t waveVolume = 0;
};
PlatAudioStatus PlatAudioGetStatus();
