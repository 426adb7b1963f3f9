// Track files of the emulated CD: finding them in the data directory and reading their samples.
// WAV is read here; Ogg Vorbis through libvorbisfile.
#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/audio_local.h"

namespace {

// [SECTION] Byte helpers

uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The largest rate and channel count a track may have.
constexpr int kMaxRate = 384000;
constexpr int kMaxChannels = 2;

}  // namespace

// [SECTION] Decoder

enum class AudioKind { Wav, Ogg };

struct AudioDecoder {
  AudioKind kind = AudioKind::Wav;
  AudioFileInfo info;
  // WAV: the open file, where its samples start and the frame the next read gives.
  FILE* file = nullptr;
  uint64_t dataOffset = 0;
  int bytesPerSample = 2;
  uint64_t next = 0;
  OggVorbis_File ogg{};
  bool oggOpen = false;
};

void AudioDecoderClose::operator()(AudioDecoder* decoder) const {
  if (decoder->file) std::fclose(decoder->file);
  if (decoder->oggOpen) ov_clear(&decoder->ogg);
  delete decoder;
}

namespace {

// Walks the RIFF chunks for "fmt " and "data". A data chunk that claims more than the file
// holds is taken as far as the file goes (streams written without a final size do that).
bool OpenWav(AudioDecoder& d, std::string& error) {
  std::fseek(d.file, 0, SEEK_END);
  const long end = std::ftell(d.file);
  std::fseek(d.file, 12, SEEK_SET);
  bool haveFormat = false;
  uint64_t at = 12;
  for (;;) {
    uint8_t header[8];
    if (end < 0 || at + 8 > static_cast<uint64_t>(end) || std::fread(header, 1, 8, d.file) != 8) {
      error = haveFormat ? "no data chunk" : "no format chunk";
      return false;
    }
    const uint32_t size = ReadLe32(header + 4);
    at += 8;
    if (!std::memcmp(header, "fmt ", 4)) {
      uint8_t fmt[40] = {};
      if (size < 16 ||
          std::fread(fmt, 1, std::min<uint32_t>(size, 40), d.file) < std::min<uint32_t>(size, 40)) {
        error = "short format chunk";
        return false;
      }
      uint16_t tag = ReadLe16(fmt);
      if (tag == 0xFFFE && size >= 26) tag = ReadLe16(fmt + 24);  // extensible: sub-format
      d.info.channels = ReadLe16(fmt + 2);
      d.info.rate = static_cast<int>(std::min<uint32_t>(ReadLe32(fmt + 4), kMaxRate + 1));
      const int bits = ReadLe16(fmt + 14);
      if (tag != 1 || (bits != 8 && bits != 16)) {
        error = "not 8- or 16-bit PCM";
        return false;
      }
      if (d.info.channels < 1 || d.info.channels > kMaxChannels || d.info.rate < 1 ||
          d.info.rate > kMaxRate) {
        error = "unsupported channels or rate";
        return false;
      }
      d.bytesPerSample = bits / 8;
      haveFormat = true;
    } else if (!std::memcmp(header, "data", 4)) {
      if (!haveFormat) {
        error = "data before format";
        return false;
      }
      const uint64_t available = static_cast<uint64_t>(end) - at;
      const uint64_t bytes = std::min<uint64_t>(size, available);
      d.dataOffset = at;
      d.info.frames = bytes / (static_cast<uint64_t>(d.bytesPerSample) * d.info.channels);
      return std::fseek(d.file, static_cast<long>(at), SEEK_SET) == 0;
    }
    at += size + (size & 1);  // chunks are padded to even sizes
    if (std::fseek(d.file, static_cast<long>(at), SEEK_SET) != 0) {
      error = "damaged chunk";
      return false;
    }
  }
}

size_t ReadWav(AudioDecoder& d, int16_t* out, size_t frames) {
  frames = static_cast<size_t>(std::min<uint64_t>(frames, d.info.frames - d.next));
  const size_t samples = frames * d.info.channels;
  uint8_t buffer[4096];
  size_t done = 0;
  while (done < samples) {
    const size_t want = std::min(samples - done, sizeof buffer / d.bytesPerSample);
    const size_t got = std::fread(buffer, d.bytesPerSample, want, d.file);
    for (size_t i = 0; i < got; i++) {
      out[done + i] = d.bytesPerSample == 1 ? static_cast<int16_t>((buffer[i] - 128) * 256)
                                            : static_cast<int16_t>(ReadLe16(buffer + 2 * i));
    }
    done += got;
    if (got < want) break;
  }
  const size_t framesRead = done / d.info.channels;
  d.next += framesRead;
  return framesRead;
}

bool OpenOgg(AudioDecoder& d, const std::string& path, std::string& error) {
  if (ov_fopen(path.c_str(), &d.ogg) != 0) {
    error = "damaged Ogg Vorbis stream";
    return false;
  }
  d.oggOpen = true;
  const vorbis_info* info = ov_info(&d.ogg, -1);
  const ogg_int64_t total = ov_pcm_total(&d.ogg, -1);
  if (!info || info->channels < 1 || info->channels > kMaxChannels || info->rate < 1 ||
      info->rate > kMaxRate || total < 0) {
    error = "unsupported Ogg Vorbis stream";
    return false;
  }
  d.info.channels = info->channels;
  d.info.rate = static_cast<int>(info->rate);
  d.info.frames = static_cast<uint64_t>(total);
  return true;
}

size_t ReadOgg(AudioDecoder& d, int16_t* out, size_t frames) {
  const size_t frameBytes = 2 * static_cast<size_t>(d.info.channels);
  size_t done = 0;
  while (done < frames) {
    int link = 0;
    const size_t want = std::min<size_t>((frames - done) * frameBytes, 1 << 16);
    const long got = ov_read(&d.ogg, reinterpret_cast<char*>(out + done * d.info.channels),
                             static_cast<int>(want), 0, 2, 1, &link);
    if (got == OV_HOLE) continue;  // a gap in the stream: go on after it
    if (got <= 0) break;
    // A chained stream whose next part has another channel count ends here.
    const vorbis_info* info = ov_info(&d.ogg, link);
    if (!info || info->channels != d.info.channels) break;
    done += static_cast<size_t>(got) / frameBytes;
  }
  return done;
}

}  // namespace

AudioDecoderPtr AudioOpenFile(const std::string& path, AudioFileInfo& info, std::string& error) {
  AudioDecoderPtr d(new AudioDecoder);
  d->file = std::fopen(path.c_str(), "rb");
  if (!d->file) {
    error = "cannot open";
    return nullptr;
  }
  uint8_t magic[12] = {};
  const size_t got = std::fread(magic, 1, sizeof magic, d->file);
  bool ok = false;
  if (got == 12 && !std::memcmp(magic, "RIFF", 4) && !std::memcmp(magic + 8, "WAVE", 4)) {
    d->kind = AudioKind::Wav;
    ok = OpenWav(*d, error);
  } else if (got >= 4 && !std::memcmp(magic, "OggS", 4)) {
    d->kind = AudioKind::Ogg;
    std::fclose(d->file);
    d->file = nullptr;
    ok = OpenOgg(*d, path, error);
  } else {
    error = "neither WAV nor Ogg Vorbis";
  }
  if (!ok) return nullptr;
  info = d->info;
  return d;
}

size_t AudioRead(AudioDecoder& decoder, int16_t* out, size_t frames) {
  if (decoder.kind == AudioKind::Wav) return ReadWav(decoder, out, frames);
  return ReadOgg(decoder, out, frames);
}

bool AudioSeek(AudioDecoder& decoder, uint64_t frame) {
  if (frame > decoder.info.frames) return false;
  if (decoder.kind == AudioKind::Wav) {
    const uint64_t offset =
        decoder.dataOffset + frame * decoder.bytesPerSample * decoder.info.channels;
    if (std::fseek(decoder.file, static_cast<long>(offset), SEEK_SET) != 0) return false;
    decoder.next = frame;
    return true;
  }
  return ov_pcm_seek(&decoder.ogg, static_cast<ogg_int64_t>(frame)) == 0;
}

// [SECTION] Track list

bool AudioFindTracks(const std::string& directory, std::vector<std::string>& tracks) {
  tracks.assign(100, std::string());
  std::error_code error;
  std::filesystem::directory_iterator it(directory, error);
  if (error) return false;
  for (const auto& entry : it) {
    std::string name = entry.path().filename().string();
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // "TRACKnn.WAV" or "TRACKnn.OGG"
    if (name.size() != 11 || name.compare(0, 5, "TRACK") || name[7] != '.' ||
        !std::isdigit(static_cast<unsigned char>(name[5])) ||
        !std::isdigit(static_cast<unsigned char>(name[6]))) {
      continue;
    }
    const std::string extension = name.substr(8);
    if (extension != "WAV" && extension != "OGG") continue;
    const int track = (name[5] - '0') * 10 + (name[6] - '0');
    if (track < 1 || !entry.is_regular_file(error)) continue;
    std::string& slot = tracks[track];
    if (slot.empty() || extension == "WAV") slot = entry.path().string();
  }
  return true;
}
