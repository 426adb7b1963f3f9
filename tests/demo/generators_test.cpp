// The demo's generators as the demo build uses them: places lit for the five groups, figures on
// a transparent ground with their outfits, recipe mistakes named by line, and music tracks and
// sound entries of the lengths the engine plays.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "demo/gen/paint/paint.h"
#include "support/files.h"

namespace {

namespace fs = std::filesystem;

// [SECTION] Painter

PaintCanvas Place(const std::string& text, PaintMood mood) {
  PaintRecipe r;
  std::string error;
  EXPECT_TRUE(PaintRecipeParse(text, PaintSceneSpecs(), r, error)) << error;
  PaintCanvas c;
  EXPECT_TRUE(PaintScene(r, mood, c, error)) << error;
  return c;
}

TEST(DemoPainter, PlacesTakeTheLightOfTheirGroup) {
  const std::string text =
      "light outdoor\nsky horizon=300\nsun 500 80\nsunset 500 260\nmoon 100 80\n"
      "hills 330 40 #6a9a5a\nrect 0 330 640 480 #7aa858\nlamp 300 450 150\n"
      "rect 0 0 8 8 #ff0000 lit=1 moods=N\n"
      "rect 600 0 640 100 #000000 colour2=#ffffff lit=1\n";
  // (How each group's light looks is checked on the demo's own places.) The lamp burns after
  // dark; a command keeps to its groups.
  const PaintCanvas day = Place(text, PaintMood::Day), night = Place(text, PaintMood::Night);
  EXPECT_GT(PaintCanvasAt(night, 322, 290).r, PaintCanvasAt(day, 322, 290).r);
  EXPECT_FLOAT_EQ(PaintCanvasAt(night, 2, 2).r, 1);
  EXPECT_LT(PaintCanvasAt(day, 2, 2).r, 1);
  // A gradient runs from its first colour at the top to its second at the bottom.
  EXPECT_LT(PaintCanvasAt(day, 620, 2).g, 0.1f);
  EXPECT_NEAR(PaintCanvasAt(day, 620, 50).g, 0.5f, 0.1f);
  EXPECT_GT(PaintCanvasAt(day, 620, 98).g, 0.9f);
}

constexpr const char* kGirl =
    "figure width=300 height=480\nhair #8a5234 style=ponytail\neyes #4f9a5e\n"
    "outfit sailor top=#f6f6fa bottom=#2c3a66 accent=#2c3a66 trim=#d8404a\n"
    "outfit tee top=#ff0000 bottom=#5a7ab8 accent=#f08a5a trim=#f0c890 from=0x80\n"
    "pose 1 neutral\npose 0x81 surprised body=wave\n";

TEST(DemoPainter, FiguresStandOnATransparentGroundInTheirOutfits) {
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(PaintRecipeParse(kGirl, PaintFigureSpecs(), r, error)) << error;
  EXPECT_EQ(PaintFigurePoses(r), (std::vector<int>{1, 0x81}));
  PaintCanvas a, b;
  ASSERT_TRUE(PaintFigure(r, 1, a, error)) << error;
  ASSERT_TRUE(PaintFigure(r, 0x81, b, error)) << error;
  ASSERT_EQ(a.width, 300);
  ASSERT_EQ(a.height, 480);
  const auto alpha = [](const PaintCanvas& c, int x, int y) {
    float value = 0;
    PaintCanvasAt(c, x, y, &value);
    return value;
  };
  EXPECT_EQ(alpha(a, 0, 0), 0);
  EXPECT_GT(alpha(a, 150, 160), 0.99f);  // the face
  EXPECT_GT(alpha(a, 150, 400), 0.99f);  // the body
  EXPECT_EQ(alpha(a, 275, 60), 0);
  EXPECT_GT(alpha(b, 274, 140), 0.99f);  // the waving hand
  // Pictures from 0x80 on wear the red tee, the others the white blouse.
  EXPECT_GT(PaintCanvasAt(a, 190, 360).b, 0.6f);
  EXPECT_GT(PaintCanvasAt(b, 190, 360).r, 0.6f);
  EXPECT_LT(PaintCanvasAt(b, 190, 360).b, 0.3f);
}

TEST(DemoPainter, MistakesAreNamedByTheirLine) {
  // Scene or figure recipe, its text, the start of the message.
  const std::tuple<bool, const char*, const char*> cases[] = {
      {true, "light outdoor\n\nsky horizon=high\n", "line 3: sky: 'horizon' wants a number"},
      {true, "poly #000000 0,0 1,1\n", "line 1: poly: wants at least three points"},
      {true, "lamps 1 2\n", "line 1: unknown command 'lamps'"},
      {false, "figure width=400\npose 1\n", "line 1: figure: "},
      {false, "hair #000000\npose 1\npose 1 smile\n", "line 3: pose: picture 1 is defined twice"},
      {false, "\npose 1 giggle\n", "line 2: pose: no face 'giggle'"},
      {false, "figure kind=cat\npose 1 body=wave\n", "line 2: pose: no body 'wave'"},
  };
  for (const auto& [scene, text, message] : cases) {
    PaintRecipe r;
    PaintCanvas canvas;
    std::string error;
    const bool parsed =
        PaintRecipeParse(text, scene ? PaintSceneSpecs() : PaintFigureSpecs(), r, error);
    const bool painted = parsed && (scene ? PaintScene(r, PaintMood::Day, canvas, error)
                                          : PaintFigure(r, 1, canvas, error));
    EXPECT_FALSE(painted) << text;
    EXPECT_EQ(error.rfind(message, 0), 0u) << text << " gave: " << error;
  }
}

// [SECTION] Synthesiser

// Runs "demogen synth ARGS" in the folder; answers the exit status.
int Synth(const TempDir& dir, const std::string& args, std::string& output) {
  return RunCommand("cd " + dir.path.string() + " && " + kGenBinary + " synth " + args, output);
}

TEST(DemoSynth, ATrackIsWholeCdFramesOfLoopThenTheTail) {
  TempDir dir;
  // Two bars at 97 beats a minute: 4.948 s, 109113.4 samples, not a whole number of CD
  // frames (294 samples): the loop is rounded up to 372 of them.
  std::ofstream(dir.path / "music.txt") << "# comment\n27 tense tempo=97 bars=2 prog=i-V\n";
  std::string output;
  ASSERT_EQ(Synth(dir, "list music.txt", output), 0) << output;
  EXPECT_EQ(output, "27 31\n");  // music 27 plays from CD track 31
  ASSERT_EQ(Synth(dir, "music music.txt 27 a.wav", output), 0) << output;
  const std::vector<uint8_t> bytes = ReadFileBytes(dir.path / "a.wav");
  ASSERT_GT(bytes.size(), 44u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  const size_t samples = (bytes.size() - 44) / 2;
  const size_t loop = samples - 54978;  // a looped play leaves out 2 s 37 frames
  EXPECT_EQ(loop, 372u * 294);
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
  ASSERT_EQ(Synth(dir, "music music.txt 27 b.wav", output), 0);
  EXPECT_EQ(ReadFileBytes(dir.path / "b.wav"), bytes);
  std::ofstream(dir.path / "bad.txt") << "# first\n27 calm tempo=500\n";
  EXPECT_EQ(Synth(dir, "music bad.txt 27 c.wav", output), 1);
  EXPECT_NE(output.find("line 2: bad field"), std::string::npos) << output;
}

TEST(DemoSynth, SoundListsBecomeSoundEntries) {
  TempDir dir;
  std::ofstream(dir.path / "sounds.txt") << "1 chime\n18 thunder\n23 heartbeat\n40 sigh 7\n";
  std::string output;
  ASSERT_EQ(Synth(dir, "sounds sounds.txt .", output), 0) << output;
  // (The demo's entries are played by the sound tests.) The heartbeat repeats once a second:
  // exactly 22050 samples.
  EXPECT_EQ(fs::file_size(dir.path / "MR_VD23.P16"), 44100u);
  std::ofstream(dir.path / "bad.txt") << "1 trumpet\n";
  EXPECT_EQ(Synth(dir, "sounds bad.txt .", output), 1);
  EXPECT_NE(output.find("line 1: unknown sound 'trumpet'"), std::string::npos) << output;
}

}  // namespace
