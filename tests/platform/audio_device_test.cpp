// The sound files below the emulated devices: track files found in the data folder and decoded,
// damaged ones refused. (The devices themselves are played through the engine's CD and PCM
// tests.)
#include <gtest/gtest.h>

#include "platform/audio_local.h"
#include "support/audio_fixture.h"

namespace {

class AudioDeviceTest : public AudioTest {
 protected:
  // Writes `bytes` as the file `name` and opens it; `info` and `error` say what was found.
  AudioDecoderPtr Open(const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir.path / name, bytes);
    error.clear();
    return AudioOpenFile((dir.path / name).string(), info, error);
  }
  AudioFileInfo info;
  std::string error;
};

std::vector<int16_t> Ramp(size_t count, int channels) {
  std::vector<int16_t> samples(count * channels);
  for (size_t i = 0; i < samples.size(); i++) samples[i] = static_cast<int16_t>(i * 7 - 1000);
  return samples;
}

TEST_F(AudioDeviceTest, WavFilesDecodeToSixteenBitFrames) {
  const auto stereo = Ramp(300, 2);
  AudioDecoderPtr d = Open("s16.wav", WavBytes(44100, 2, 16, stereo));
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(info.rate, 44100);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.frames, 300u);
  std::vector<int16_t> out(1000);
  ASSERT_TRUE(AudioSeek(*d, 100));
  ASSERT_EQ(AudioRead(*d, out.data(), 500), 200u);  // stops at the end
  EXPECT_EQ(out[0], stereo[200]);
  EXPECT_EQ(out[399], stereo[599]);
  EXPECT_EQ(AudioRead(*d, out.data(), 10), 0u);
  EXPECT_FALSE(AudioSeek(*d, 301));

  // 8-bit samples are unsigned around 128.
  std::string u8 = WavBytes(8000, 1, 8, {}, 3);
  u8[u8.size() - 3] = 0;
  u8[u8.size() - 2] = '\x80';
  u8[u8.size() - 1] = '\xff';
  ASSERT_TRUE(d = Open("u8.wav", u8)) << error;
  ASSERT_EQ(AudioRead(*d, out.data(), 3), 3u);
  EXPECT_EQ(out[0], -32768);
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 32512);
}

TEST_F(AudioDeviceTest, DamagedOrForeignFilesAreRefused) {
  const std::string good = WavBytes(22050, 1, 16, Ramp(100, 1));
  std::string noData = good.substr(0, 36), wide = good, mono3 = good, zeroRate = good;
  wide[34] = 24;  // 24-bit samples
  mono3[22] = 3;  // three channels
  zeroRate.replace(24, 4, std::string(4, '\0'));
  const std::pair<const char*, std::string> cases[] = {{"empty", ""},
                                                       {"text", "hello, this is no sound at all"},
                                                       {"nodata", noData},
                                                       {"wide", wide},
                                                       {"mono3", mono3},
                                                       {"rate", zeroRate},
                                                       {"ogg", "OggS but nothing behind it"}};
  for (const auto& [name, bytes] : cases) {
    EXPECT_FALSE(Open(name, bytes)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  // A data chunk claiming more than the file holds plays what is there.
  ASSERT_TRUE(Open("short.wav", good.substr(0, good.size() - 51))) << error;
  EXPECT_EQ(info.frames, 74u);
}

TEST_F(AudioDeviceTest, TrackFilesAreFoundInAnyCase) {
  const std::string wav = WavBytes(750, 1, 8, {}, 750);
  WriteFileBytes(dir.path / "track02.wav", wav);
  WriteFileBytes(dir.path / "Track03.OGG", "OggS");
  WriteFileBytes(dir.path / "TRACK03.WAV", wav);  // beside the Ogg file: the WAV is taken
  WriteFileBytes(dir.path / "TRACK4.WAV", wav);   // not two digits
  WriteFileBytes(dir.path / "TRACK05.MP3", wav);
  std::vector<std::string> tracks;
  ASSERT_TRUE(AudioFindTracks(dir.path.string(), tracks));
  ASSERT_EQ(tracks.size(), 100u);
  EXPECT_EQ(tracks[2], (dir.path / "track02.wav").string());
  EXPECT_EQ(tracks[3], (dir.path / "TRACK03.WAV").string());
  EXPECT_TRUE(tracks[4].empty());
  EXPECT_TRUE(tracks[5].empty());
  EXPECT_FALSE(AudioFindTracks((dir.path / "missing").string(), tracks));
}

}  // namespace
