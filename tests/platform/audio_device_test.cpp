// The emulated sound devices below the engine: track files found and decoded, CD positions and
// modes on the clock, the wave buffer's passes and its done message.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "platform/audio_local.h"
#include "support/audio_fixture.h"

namespace {

using AudioDeviceTest = AudioTest;

std::vector<int16_t> Ramp(size_t count, int channels) {
  std::vector<int16_t> samples(count * channels);
  for (size_t i = 0; i < samples.size(); i++) samples[i] = static_cast<int16_t>(i * 7 - 1000);
  return samples;
}

TEST_F(AudioDeviceTest, WavFilesDecodeToSixteenBitFrames) {
  const auto stereo = Ramp(300, 2);
  WriteFile(dir.path / "s16.wav", WavBytes(44100, 2, 16, stereo));
  AudioFileInfo info;
  std::string error;
  AudioDecoderPtr d = AudioOpenFile((dir.path / "s16.wav").string(), info, error);
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
  WriteFile(dir.path / "u8.wav", u8);
  d = AudioOpenFile((dir.path / "u8.wav").string(), info, error);
  ASSERT_TRUE(d) << error;
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
    WriteFile(dir.path / name, bytes);
    AudioFileInfo info;
    std::string error;
    EXPECT_FALSE(AudioOpenFile((dir.path / name).string(), info, error)) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  // A data chunk claiming more than the file holds plays what is there.
  WriteFile(dir.path / "short.wav", good.substr(0, good.size() - 51));
  AudioFileInfo info;
  std::string error;
  ASSERT_TRUE(AudioOpenFile((dir.path / "short.wav").string(), info, error)) << error;
  EXPECT_EQ(info.frames, 74u);
}

TEST_F(AudioDeviceTest, TrackFilesAreFoundInAnyCase) {
  const std::string wav = WavBytes(750, 1, 8, {}, 750);
  WriteFile(dir.path / "track02.wav", wav);
  WriteFile(dir.path / "Track03.OGG", "OggS");
  WriteFile(dir.path / "TRACK03.WAV", wav);  // beside the Ogg file: the WAV is taken
  WriteFile(dir.path / "TRACK4.WAV", wav);   // not two digits
  WriteFile(dir.path / "TRACK05.MP3", wav);
  std::vector<std::string> tracks;
  ASSERT_TRUE(AudioFindTracks(dir.path.string(), tracks));
  ASSERT_EQ(tracks.size(), 100u);
  EXPECT_EQ(tracks[2], (dir.path / "track02.wav").string());
  EXPECT_EQ(tracks[3], (dir.path / "TRACK03.WAV").string());
  EXPECT_TRUE(tracks[4].empty());
  EXPECT_TRUE(tracks[5].empty());
  EXPECT_FALSE(AudioFindTracks((dir.path / "missing").string(), tracks));
}

TEST_F(AudioDeviceTest, CdPlaysARangeOfATrackOnTheClock) {
  WriteTrack(2, 0, 10, 0);
  ASSERT_EQ(PlatCdOpen(dir.path.string()), 0u);
  uint32_t mode = 0;
  PlatCdMode(mode);
  EXPECT_EQ(mode, MCI_MODE_STOP);
  // From 0:02:00 to 0:05:00: three seconds, heard from the two-second point.
  const uint32_t start = PlatTicks();
  ASSERT_EQ(PlatCdPlay(PlatTmsf(2, 0, 2, 0), PlatTmsf(2, 0, 5, 0)), 0u);
  PumpUntil(start + 1000);
  EXPECT_EQ(HeadlessAudioHeard().cdTrack, 2);
  EXPECT_EQ(HeadlessAudioHeard().cdPositionMs, 3000u);
  PumpUntil(start + 2999);
  PlatCdMode(mode);
  EXPECT_EQ(mode, MCI_MODE_PLAY);
  PumpUntil(start + 3001);
  PlatCdMode(mode);
  EXPECT_EQ(mode, MCI_MODE_STOP);
  EXPECT_EQ(TimeOf("CdEnd 2") - start, 3000u);

  // A "to" past the end, or in a later track, plays to the end of the file.
  ASSERT_EQ(PlatCdPlay(PlatTmsf(2, 0, 9, 0), PlatTmsf(2, 9, 0, 0)), 0u);
  ASSERT_EQ(PlatCdPlay(PlatTmsf(2, 0, 9, 0), PlatTmsf(3, 0, 0, 0)), 0u);
  const uint32_t tail = PlatTicks();
  PumpUntil(tail + 1001);
  EXPECT_EQ(TimeOf("CdEnd 2", tail) - tail, 1000u);
  // Empty and backward ranges are refused.
  EXPECT_EQ(PlatCdPlay(PlatTmsf(2, 0, 5, 0), PlatTmsf(2, 0, 5, 0)), MCIERR_OUTOFRANGE);
  EXPECT_EQ(PlatCdPlay(PlatTmsf(2, 0, 5, 0), PlatTmsf(1, 0, 9, 0)), MCIERR_OUTOFRANGE);

  // A seek stops the drive.
  ASSERT_EQ(PlatCdPlay(PlatTmsf(2, 0, 0, 0), PlatTmsf(2, 0, 9, 0)), 0u);
  EXPECT_EQ(PlatCdSeekTrack(2), 0u);
  PlatCdMode(mode);
  EXPECT_EQ(mode, MCI_MODE_STOP);
  EXPECT_EQ(PlatCdSeekTrack(9), MCIERR_OUTOFRANGE);
  EXPECT_EQ(PlatCdClose(), 0u);
}

TEST_F(AudioDeviceTest, AMissingDirectoryIsADriveWithoutADisc) {
  ASSERT_EQ(PlatCdOpen((dir.path / "nothing-here").string()), 0u);
  int m = 1, s = 1, f = 1;
  EXPECT_EQ(PlatCdTrackLength(2, m, s, f), MCIERR_OUTOFRANGE);
  EXPECT_EQ(m + s + f, 0);
  EXPECT_EQ(PlatCdPlay(PlatTmsf(2, 0, 0, 0), PlatTmsf(2, 0, 1, 0)), MCIERR_OUTOFRANGE);
  PlatCdClose();
}

TEST_F(AudioDeviceTest, WaveBufferPlaysItsPassesThenPostsDone) {
  ASSERT_EQ(PlatWaveOpen(22050, 8, 1), static_cast<uint32_t>(WAVERR_BADFORMAT));
  ASSERT_EQ(PlatWaveOpen(22050, 16, 1), 0u);
  const std::vector<uint8_t> samples(2205 * 2);  // 0.1 s
  const uint32_t start = PlatTicks();
  ASSERT_EQ(PlatWaveWrite(samples, 4), 0u);
  EXPECT_NE(PlatWaveWrite(samples, 1), 0u);  // one buffer at a time
  PumpUntil(start + 250);
  EXPECT_EQ(HeadlessAudioHeard().wavePass, 2u);
  // The done message comes once, at the end of the fourth pass.
  PcmDone = 0;
  PumpUntil(start + 399);
  EXPECT_EQ(PcmDone, 0);
  PumpUntil(start + 600);
  EXPECT_EQ(PcmDone, 1);
  EXPECT_EQ(TimeOf("WaveDone") - start, 400u);
  EXPECT_EQ(Count("WaveDone"), 1u);
  // A reset of an idle device posts nothing; a reset of a sounding buffer posts done at once.
  PcmDone = 0;
  PlatWaveReset();
  PumpUntil(PlatTicks() + 5);
  EXPECT_EQ(PcmDone, 0);
  ASSERT_EQ(PlatWaveWrite(samples, 0xFFFFFFFF), 0u);
  PlatWaveReset();
  PumpMessages();
  EXPECT_EQ(PcmDone, 1);
  PlatWaveClose();
  EXPECT_NE(PlatWaveWrite(samples, 1), 0u);
}

// Ogg Vorbis tracks, when the encoder is there to make one.
TEST_F(AudioDeviceTest, OggVorbisTracksDecode) {
  if (std::system("command -v oggenc >/dev/null 2>&1") != 0) GTEST_SKIP() << "no oggenc";
  std::vector<int16_t> tone(22050 * 2);
  for (size_t i = 0; i < tone.size(); i++) {
    tone[i] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 441.0 * i / 22050));
  }
  WriteFile(dir.path / "tone.wav", WavBytes(22050, 1, 16, tone));
  const std::string ogg = (dir.path / "TRACK02.OGG").string();
  ASSERT_EQ(
      std::system(("oggenc -Q -q 4 -o " + ogg + " " + (dir.path / "tone.wav").string()).c_str()),
      0);
  std::filesystem::remove(dir.path / "tone.wav");
  AudioFileInfo info;
  std::string error;
  AudioDecoderPtr d = AudioOpenFile(ogg, info, error);
  ASSERT_TRUE(d) << error;
  EXPECT_EQ(info.rate, 22050);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.frames, tone.size());
  ASSERT_TRUE(AudioSeek(*d, 11025));
  std::vector<int16_t> out(2000);
  ASSERT_EQ(AudioRead(*d, out.data(), out.size()), out.size());
  double error2 = 0;
  for (size_t i = 0; i < out.size(); i++) error2 += std::abs(out[i] - tone[11025 + i]);
  EXPECT_LT(error2 / out.size(), 600);  // lossy, but the same wave

  ASSERT_EQ(PlatCdOpen(dir.path.string()), 0u);
  int m, s, f;
  ASSERT_EQ(PlatCdTrackLength(2, m, s, f), 0u);
  EXPECT_EQ(std::tie(m, s, f), std::make_tuple(0, 2, 0));
  PlatCdClose();
}

}  // namespace
