// Sound as a player gets it: the real SDL build writing its output through SDL's disk driver,
// checked for the right tones at the right times, and the demo's tracks and sound entries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/audio_local.h"
#include "support/audio_fixture.h"
#include "support/game_run.h"
#include "support/test_data.h"

namespace {

// The left channel of SDL's output: signed 16-bit stereo at 44100 Hz.
constexpr int kOutRate = 44100;

// Power of `frequency` over [from, from + length) seconds, relative to the window's energy.
double Share(const std::vector<int16_t>& left, double frequency, double from, double length) {
  const size_t first = static_cast<size_t>(from * kOutRate);
  const size_t count = static_cast<size_t>(length * kOutRate);
  if (first + count > left.size()) return 0;
  const double w = 2 * M_PI * frequency / kOutRate;
  double s1 = 0, s2 = 0, energy = 0;
  for (size_t i = 0; i < count; i++) {
    const double x = left[first + i];
    const double s = x + 2 * std::cos(w) * s1 - s2;
    s2 = s1;
    s1 = s;
    energy += x * x;
  }
  const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
  return energy > 0 ? power / (energy * count / 2) : 0;
}

TEST(SoundE2E, SdlOutputPlaysMusicAndSoundAtTheirTimes) {
  TempDir dir;
  const std::vector<int16_t> sound = Tone(1000, 0.5);
  std::string entry(reinterpret_cast<const char*>(sound.data()), sound.size() * 2);
  WriteStartArchives(dir.path, {{"MR_VD01.P16", entry}});
  // Music index 0 is track 2: a second of A4, then five of E5. Looped, it plays 3.51 s.
  std::vector<int16_t> track = Tone(440, 1.0);
  const std::vector<int16_t> rest = Tone(660, 5.0);
  track.insert(track.end(), rest.begin(), rest.end());
  WriteFileBytes(dir.path / "TRACK02.WAV", WavBytes(22050, 1, 16, track));

  const std::string raw = (dir.path / "out.raw").string();
  const std::string d = dir.path.string();
  // A display name of its own keeps this copy from finding another running one; the dummy
  // video driver needs no display. The game runs until the time-out ends it.
  const std::string command =
      "cd " + d + " && env -u WAYLAND_DISPLAY DISPLAY=:lntr3-sound-" + std::to_string(getpid()) +
      " HOME=" + d + " XDG_CONFIG_HOME=" + d +
      " SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + raw + " timeout 8 " +
      kGameBinary + " --no-opening --data " + d + " --play-music 0 --play-sound 1";
  std::string output;
  RunCommand(command, output);
  const std::string bytes = ReadFileText(raw);
  ASSERT_GT(bytes.size(), 6u * kOutRate * 4) << output;
  std::vector<int16_t> left(bytes.size() / 4);
  for (size_t i = 0; i < left.size(); i++) std::memcpy(&left[i], &bytes[4 * i], 2);
  // Everything is timed from the first sound.
  size_t onset = 0;
  while (onset < left.size() && std::abs(left[onset]) < 300) onset++;
  ASSERT_LT(onset, static_cast<size_t>(2 * kOutRate)) << "no sound in the first two seconds";
  const double t0 = static_cast<double>(onset) / kOutRate;

  EXPECT_GT(Share(left, 1000, t0 + 0.05, 0.3), 0.2);  // the sound, with the music under it
  EXPECT_GT(Share(left, 440, t0 + 0.05, 0.3), 0.2);
  EXPECT_GT(Share(left, 440, t0 + 0.6, 0.3), 0.8);  // the sound has ended
  EXPECT_LT(Share(left, 1000, t0 + 0.6, 0.3), 0.01);
  EXPECT_GT(Share(left, 660, t0 + 1.2, 2.0), 0.8);
  // The loop stops 2 s 37 frames before the track's end and starts again from the top.
  double restart = 0;
  for (double t = t0 + 3.55; t < t0 + 5.2; t += 0.1) {
    restart = std::max(restart, Share(left, 440, t, 0.2));
  }
  EXPECT_GT(restart, 0.8);
}

// The demo's data: a piece for every music index and the sound entries its story uses.
class DemoSoundTest : public AudioTest {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kDemoData / "LNTR3DAT.PAK")) GTEST_SKIP() << "no demo data";
    AudioTest::SetUp();
    DataDir = kDemoData.string();
  }
};

TEST_F(DemoSoundTest, EveryMusicIndexHasALoopingTrack) {
  ASSERT_EQ(CdOpen(false), 0u);
  for (int index = 0; index < kMusicCount; index++) {
    CdPlay(static_cast<uint8_t>(index), true);
    const int track = HeadlessAudioHeard().cdTrack;
    EXPECT_EQ(track, MusicTrackTable[index] + 2) << index;
    int m = 0, s = 0, f = 0;
    ASSERT_EQ(PlatCdTrackLength(track, m, s, f), 0u) << index;
    EXPECT_GE(m * 60 + s, 15) << index;  // long enough not to wear out at once
    EXPECT_LE(m * 60 + s, 90) << index;
    CdStop();
  }
  // Decoded, a track is music: loud enough, never clipped.
  AudioFileInfo info;
  std::string error;
  AudioDecoderPtr decoder = AudioOpenFile((kDemoData / "TRACK02.OGG").string(), info, error);
  ASSERT_TRUE(decoder) << error;
  std::vector<int16_t> samples(info.frames * info.channels);
  ASSERT_EQ(AudioRead(*decoder, samples.data(), info.frames), info.frames);
  double energy = 0;
  for (int16_t v : samples) energy += static_cast<double>(v) * v;
  EXPECT_GT(std::sqrt(energy / samples.size()) / 32768, 0.05);
  EXPECT_LT(*std::max_element(samples.begin(), samples.end()), 32700);
  EXPECT_GT(*std::min_element(samples.begin(), samples.end()), -32700);
}

TEST_F(DemoSoundTest, EverySoundEntryPlays) {
  ASSERT_TRUE(PackOpen());
  for (int number : {1, 2, 3, 5, 18, 23, 24, 31, 39, 40}) {
    PcmLoad(static_cast<uint8_t>(number));
    EXPECT_GT(PcmSize, 4410u) << number;  // at least a tenth of a second
    const uint32_t start = PlatTicks();
    PcmPlay(1, 0);
    PcmFinish();  // a single play: back when it has ended
    EXPECT_NEAR(static_cast<double>(PlatTicks() - start), PcmSize * 1000.0 / 44100, 2) << number;
    PcmUnload();
  }
}

}  // namespace
