// demogen synth: recipe lines and their mistakes, the shape of a rendered track (a loop of
// whole CD frames, then exactly what a looped play leaves out) and the sound entries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "support/test_data.h"

namespace {

const std::string kTool = kGenBinary;

std::string Write(const TempDir& dir, const char* name, const std::string& text) {
  const std::string path = (dir.path / name).string();
  std::ofstream(path) << text;
  return path;
}

std::vector<uint8_t> Read(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SynthToolTest, ListGivesEachPieceItsCdTrack) {
  TempDir dir;
  const std::string recipes = Write(dir, "music.txt",
                                    "# comment\n"
                                    "0  calm\n"
                                    "27 bright key=F#m   # the table sends 27 to track 31\n"
                                    "32 sad\n");
  std::string output;
  ASSERT_EQ(RunCommand(kTool + " synth list " + recipes, output), 0) << output;
  EXPECT_EQ(output, "0 2\n27 31\n32 29\n");
  Write(dir, "bad.txt", "34 calm\n");
  EXPECT_EQ(RunCommand(kTool + " synth list " + (dir.path / "bad.txt").string(), output), 1);
}

TEST(SynthToolTest, MistakesNameTheirLine) {
  struct Case {
    const char* line;
    const char* reason;
  };
  for (const Case& c :
       {Case{"0 gloomy", "unknown mood"}, Case{"0 calm key=H", "bad key"},
        Case{"0 calm prog=I-X-V", "bad chord 'X'"}, Case{"0 calm prog=I-V9", "bad chord 'V9'"},
        Case{"0 calm tempo=500", "bad field"}, Case{"0 calm lead", "NAME=VALUE"},
        Case{"1 calm", "no recipe for music 0"}}) {
    TempDir dir;
    const std::string recipes = Write(dir, "music.txt", std::string("# first\n") + c.line + "\n");
    std::string output;
    EXPECT_EQ(RunCommand(kTool + " synth music " + recipes + " 0 " + (dir.path / "x.wav").string(),
                         output),
              1)
        << c.line;
    EXPECT_NE(output.find(c.reason), std::string::npos) << output;
    if (std::string(c.line) != "1 calm") {
      EXPECT_NE(output.find("line 2: "), std::string::npos) << output;
    }
  }
}

TEST(SynthToolTest, ATrackIsWholeCdFramesOfLoopThenTheTail) {
  TempDir dir;
  // Two bars at 100 beats a minute: 4.8 s, not a whole number of CD frames (294 samples).
  const std::string recipes =
      Write(dir, "music.txt", "5 tense tempo=100 bars=2 key=Bbm prog=i-V\n");
  std::string output;
  const std::string wav = (dir.path / "a.wav").string();
  ASSERT_EQ(RunCommand(kTool + " synth music " + recipes + " 5 " + wav, output), 0) << output;
  const std::vector<uint8_t> bytes = Read(wav);
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  const size_t samples = (bytes.size() - 44) / 2;
  const size_t loop = samples - 54978;  // a looped play leaves out 2 s 37 frames
  EXPECT_EQ(loop % 294, 0u);
  EXPECT_GE(loop, 105840u);  // 4.8 s
  EXPECT_LT(loop, 105840u + 294);
  int peak = 0;
  double energy = 0;
  for (size_t i = 0; i < loop; i++) {
    const int v = static_cast<int16_t>(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8);
    peak = std::max(peak, std::abs(v));
    energy += static_cast<double>(v) * v;
  }
  EXPECT_LT(peak, 29000);  // headroom for the encoder
  EXPECT_GT(std::sqrt(energy / loop), 1600);

  // The same recipe gives the same bytes.
  const std::string again = (dir.path / "b.wav").string();
  ASSERT_EQ(RunCommand(kTool + " synth music " + recipes + " 5 " + again, output), 0);
  EXPECT_EQ(Read(again), bytes);
}

TEST(SynthToolTest, SoundListsBecomeSoundEntries) {
  TempDir dir;
  const std::string list = Write(dir, "sounds.txt",
                                 "1 chime\n2 steps\n3 knock\n5 rain\n18 thunder\n23 heartbeat\n"
                                 "24 wind\n31 giggle\n39 surprise\n40 sigh 7\n");
  std::string output;
  ASSERT_EQ(RunCommand(kTool + " synth sounds " + list + " " + dir.path.string(), output), 0)
      << output;
  for (const char* name :
       {"MR_VD01.P16", "MR_VD02.P16", "MR_VD03.P16", "MR_VD05.P16", "MR_VD18.P16", "MR_VD23.P16",
        "MR_VD24.P16", "MR_VD31.P16", "MR_VD39.P16", "MR_VD40.P16"}) {
    const auto size = std::filesystem::file_size(dir.path / name);
    EXPECT_GT(size, 4410u) << name;
    EXPECT_EQ(size % 2, 0u) << name;
  }
  // The heartbeat repeats once a second: exactly 22050 samples.
  EXPECT_EQ(std::filesystem::file_size(dir.path / "MR_VD23.P16"), 44100u);
  Write(dir, "bad.txt", "1 trumpet\n");
  EXPECT_EQ(RunCommand(kTool + " synth sounds " + (dir.path / "bad.txt").string() + " " +
                           dir.path.string(),
                       output),
            1);
  EXPECT_NE(output.find("line 1: unknown sound 'trumpet'"), std::string::npos) << output;
}

}  // namespace
