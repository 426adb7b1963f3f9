// More of the painter: curves, strokes and corners measured by area, blend modes, recipe text
// details, every face and body of the figures, and the demo's own recipes, which must all paint.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>

#include "demo/gen/paint/paint.h"

namespace {

namespace fs = std::filesystem;

float Mass(const PaintCanvas& c) {
  float sum = 0;
  for (size_t i = 3; i < c.px.size(); i += 4) sum += c.px[i];
  return sum;
}

float Alpha(const PaintCanvas& c, int x, int y) {
  float a = 0;
  PaintCanvasAt(c, x, y, &a);
  return a;
}

// [SECTION] Curves and strokes

TEST(PaintShapes, CurvesEndWhereTheyAreSent) {
  PaintPath p;
  PaintPathMove(p, 0, 0);
  PaintPathQuad(p, {10, 20}, {30, 5});
  EXPECT_FLOAT_EQ(p.points.back().x, 30);
  EXPECT_FLOAT_EQ(p.points.back().y, 5);
  PaintPathCubic(p, {40, 0}, {50, 30}, {60, 12});
  EXPECT_FLOAT_EQ(p.points.back().x, 60);
  EXPECT_FLOAT_EQ(p.points.back().y, 12);
  const std::vector<PaintPoint> pts = PaintCubicPoints({0, 0}, {0, 10}, {10, 10}, {10, 0}, 4);
  ASSERT_EQ(pts.size(), 5u);
  EXPECT_FLOAT_EQ(pts[2].x, 5);
  EXPECT_FLOAT_EQ(pts[2].y, 7.5f);  // the middle of a symmetric arch
}

TEST(PaintShapes, ContoursWithoutAreaAreDropped) {
  PaintPath p;
  PaintPathMove(p, 1, 1);
  PaintPathLine(p, 5, 5);
  PaintPathClose(p);
  EXPECT_TRUE(p.ends.empty());
  EXPECT_TRUE(p.points.empty());
  PaintCanvas c = PaintCanvasMake(8, 8);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}));
  EXPECT_EQ(Mass(c), 0);
}

TEST(PaintShapes, RoundedCornersTakeTheirArea) {
  PaintCanvas c = PaintCanvasMake(60, 60);
  PaintPath p;
  PaintPathRect(p, 10, 10, 50, 50, 10);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}));
  const float expected = 40 * 40 - (4 - std::numbers::pi_v<float>)*100;
  EXPECT_NEAR(Mass(c), expected, 0.01f * expected);
  EXPECT_LT(Alpha(c, 10, 10), 0.05f);
  EXPECT_FLOAT_EQ(Alpha(c, 30, 10), 1);
}

TEST(PaintShapes, StrokesAreAsWideAsAsked) {
  PaintCanvas c = PaintCanvasMake(60, 20);
  PaintPath p;
  const PaintPoint line[] = {{10, 10}, {50, 10}};
  PaintPathStroke(p, line, 4);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}));
  // 40 long and 4 wide, plus two half discs at the ends.
  EXPECT_NEAR(Mass(c), 40 * 4 + std::numbers::pi_v<float> * 4, 2);
  EXPECT_FLOAT_EQ(Alpha(c, 30, 8), 1);
  EXPECT_FLOAT_EQ(Alpha(c, 30, 11), 1);
  EXPECT_FLOAT_EQ(Alpha(c, 30, 12), 0);
  EXPECT_FLOAT_EQ(Alpha(c, 30, 7), 0);
}

TEST(PaintShapes, TapersNarrowAlongTheirLength) {
  PaintCanvas c = PaintCanvasMake(80, 40);
  PaintPath p;
  const PaintPoint line[] = {{10, 20}, {40, 20}, {70, 20}};
  PaintPathTaper(p, line, 12, 2);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}));
  EXPECT_FLOAT_EQ(Alpha(c, 12, 15), 1);  // 12 wide near the start
  EXPECT_FLOAT_EQ(Alpha(c, 66, 15), 0);  // 2 wide near the end
  EXPECT_FLOAT_EQ(Alpha(c, 66, 20), 1);
}

TEST(PaintShapes, RadialGradientFromTheMiddleOut) {
  PaintCanvas c = PaintCanvasMake(40, 40);
  PaintPath p;
  PaintPathRect(p, 0, 0, 40, 40);
  PaintFillPath(c, p, PaintRadial({20, 20}, 10, 10, {1, 1, 1}, {0, 0, 0}));
  EXPECT_GT(PaintCanvasAt(c, 20, 20).r, 0.9f);
  EXPECT_NEAR(PaintCanvasAt(c, 25, 19).r, 0.5f, 0.08f);
  EXPECT_FLOAT_EQ(PaintCanvasAt(c, 35, 20).r, 0);
}

// [SECTION] Blending

TEST(PaintBlending, AddedLightStaysWithinTheCanvas) {
  PaintCanvas c = PaintCanvasMake(10, 10, {0.8f, 0.2f, 0.2f}, 1);
  PaintPath p;
  PaintPathRect(p, 0, 0, 10, 10);
  PaintFillPath(c, p, PaintSolid({0.5f, 0.5f, 0.5f}), PaintBlend::Add);
  const PaintRgb lit = PaintCanvasAt(c, 5, 5);
  EXPECT_FLOAT_EQ(lit.r, 1);  // capped
  EXPECT_FLOAT_EQ(lit.g, 0.7f);
  PaintCanvas clear = PaintCanvasMake(10, 10);
  PaintFillPath(clear, p, PaintSolid({1, 1, 1}), PaintBlend::Add);
  EXPECT_EQ(Mass(clear), 0);  // light on nothing shows nothing
}

TEST(PaintBlending, InsidePaintsOnlyWhatIsThere) {
  PaintCanvas c = PaintCanvasMake(20, 10);
  PaintPath left, all;
  PaintPathRect(left, 0, 0, 10, 10);
  PaintPathRect(all, 0, 0, 20, 10);
  PaintFillPath(c, left, PaintSolid({1, 0, 0}));
  PaintFillPath(c, all, PaintSolid({0, 0, 1}), PaintBlend::Inside);
  EXPECT_FLOAT_EQ(PaintCanvasAt(c, 5, 5).b, 1);
  EXPECT_EQ(Alpha(c, 15, 5), 0);
}

TEST(PaintBlending, LayersGoOnAtTheirOpacity) {
  PaintCanvas base = PaintCanvasMake(4, 4, {0, 0, 0}, 1);
  PaintCanvas layer = PaintCanvasMake(4, 4, {1, 1, 1}, 1);
  PaintComposite(base, layer, 0.25f);
  EXPECT_NEAR(PaintCanvasAt(base, 1, 1).r, 0.25f, 1e-5);
  PaintCanvas other = PaintCanvasMake(5, 4, {1, 1, 1}, 1);
  PaintComposite(base, other, 1);  // another size: left alone
  EXPECT_NEAR(PaintCanvasAt(base, 1, 1).r, 0.25f, 1e-5);
}

// [SECTION] Recipe text

constexpr PaintCommandSpec kSpecs[] = {
    {"paint", "colour:c=#000000 size:n=1"},
    {"mark", "where:m"},
};

TEST(PaintRecipeText, ColoursAreNotComments) {
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(
      PaintRecipeParse("paint #abcdef   # a comment\r\npaint #12345# not a colour\r\n"
                       "#abcdef\n",
                       kSpecs, r, error))
      << error;
  ASSERT_EQ(r.commands.size(), 2u);
  EXPECT_NEAR(r.commands[0].values[0].colour.r, 0xAB / 255.0f, 1e-6);
  EXPECT_TRUE(r.commands[0].values[0].given);
  EXPECT_TRUE(r.commands[1].values[0].given);  // the default, since '#12345#' is no colour
  EXPECT_FLOAT_EQ(r.commands[1].values[0].colour.r, 0);
  // A line starting with a colour word is a comment (no command starts with '#').
}

TEST(PaintRecipeText, MoodsValues) {
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(PaintRecipeParse("mark all\nmark ZD\n", kSpecs, r, error)) << error;
  EXPECT_EQ(r.commands[0].values[0].moods, 0x1Fu);
  EXPECT_EQ(r.commands[1].values[0].moods, (1u << 0) | (1u << 4));
  EXPECT_FALSE(PaintRecipeParse("mark dn\n", kSpecs, r, error));  // letters are capitals
  EXPECT_EQ(error, "line 1: mark: 'where' wants mood letters from DENXZ, got 'dn'");
  EXPECT_FALSE(PaintRecipeParse("paint size=0x\n", kSpecs, r, error));
  EXPECT_FALSE(PaintRecipeParse("paint size=1e999\n", kSpecs, r, error));
  ASSERT_TRUE(PaintRecipeParse("paint size=-0x10\n", kSpecs, r, error));
  EXPECT_FLOAT_EQ(r.commands[0].values[1].number, -16);
}

TEST(PaintRecipeText, EveryMoodLetter) {
  for (int m = 0; m < kPaintMoods; m++) {
    PaintMood mood;
    ASSERT_TRUE(PaintMoodFromLetter(kPaintMoodLetters[m], mood));
    EXPECT_EQ(static_cast<int>(mood), m);
  }
  PaintMood mood;
  EXPECT_FALSE(PaintMoodFromLetter('Q', mood));
  EXPECT_FALSE(PaintMoodFromLetter('\0', mood));
}

// [SECTION] Figures

TEST(PaintFigures, EveryFaceAndBodyPaints) {
  const char* faces[] = {"neutral", "smile",     "grin",   "laugh",   "sad",
                         "cry",     "surprised", "angry",  "shy",     "think",
                         "wink",    "pout",      "sleepy", "worried", "calm"};
  const char* bodies[] = {"clasp", "chin", "hips", "wave", "chest", "behind"};  // and down
  std::string text =
      "figure width=300\nhair #202020 style=braid fringe=parted\naccessory glasses #000000\n";
  int n = 1;
  for (const char* face : faces) text += "pose " + std::to_string(n++) + " " + face + "\n";
  for (const char* body : bodies) text += "pose " + std::to_string(n++) + " body=" + body + "\n";
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(PaintRecipeParse(text, PaintFigureSpecs(), r, error)) << error;
  PaintCanvas first;
  ASSERT_TRUE(PaintFigure(r, 1, first, error)) << error;
  for (int pose = 2; pose < n; pose++) {
    PaintCanvas c;
    ASSERT_TRUE(PaintFigure(r, pose, c, error)) << "pose " << pose << ": " << error;
    EXPECT_NE(c.px, first.px) << "pose " << pose << " looks like pose 1";
  }
}

TEST(PaintFigures, TheCatInEveryPose) {
  const char* bodies[] = {"sit", "loaf", "stretch", "groom", "walk", "curl"};
  std::string text = "figure kind=cat\nskin #f0a050\nhair #b8602a\n";
  int n = 1;
  for (const char* body : bodies)
    text += "pose " + std::to_string(n++) + " sleepy body=" + body + "\n";
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(PaintRecipeParse(text, PaintFigureSpecs(), r, error)) << error;
  for (int pose = 1; pose < n; pose++) {
    PaintCanvas c;
    ASSERT_TRUE(PaintFigure(r, pose, c, error)) << error;
    EXPECT_EQ(Alpha(c, 150, 100), 0) << "a cat is small: pose " << pose;
    float low = 0;
    for (int y = 380; y < 470; y++) low += Alpha(c, 150, y) + Alpha(c, 120, y);
    EXPECT_GT(low, 20) << "and sits at the bottom: pose " << pose;
  }
}

TEST(PaintFigures, ShorterCharactersStandLower) {
  const auto topOf = [](const std::string& text) {
    PaintRecipe r;
    std::string error;
    EXPECT_TRUE(PaintRecipeParse(text, PaintFigureSpecs(), r, error));
    PaintCanvas c;
    EXPECT_TRUE(PaintFigure(r, 1, c, error)) << error;
    for (int y = 0; y < c.height; y++) {
      if (Alpha(c, c.width / 2, y) > 0.5f) return y;
    }
    return c.height;
  };
  const int tall = topOf("hair #000000 style=short\npose 1\n");
  const int small = topOf("figure top=40\nhair #000000 style=short\npose 1\n");
  EXPECT_EQ(small - tall, 40);
}

TEST(PaintFigures, AccessoriesKeepToTheirPictures) {
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(
      PaintRecipeParse("hair #000000 style=short\naccessory glasses #ff0000 from=2 to=2\n"
                       "pose 1\npose 2\n",
                       PaintFigureSpecs(), r, error));
  PaintCanvas plain, glasses;
  ASSERT_TRUE(PaintFigure(r, 1, plain, error));
  ASSERT_TRUE(PaintFigure(r, 2, glasses, error));
  // The frame's outer edge crosses the temple beside the eye.
  const PaintRgb frame = PaintCanvasAt(glasses, 150 - 48, 166);
  EXPECT_GT(frame.r, 0.9f);
  EXPECT_LT(frame.g, 0.2f);
  const PaintRgb bare = PaintCanvasAt(plain, 150 - 48, 166);
  EXPECT_FALSE(bare.r > 0.9f && bare.g < 0.2f);
}

// [SECTION] The demo's recipes

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DemoRecipes, EveryPlaceParsesAndPaintsByDay) {
  const fs::path places = fs::path(LNTR3_SOURCE_DIR) / "demo" / "art" / "places";
  int count = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(places)) {
    PaintRecipe r;
    std::string error;
    ASSERT_TRUE(PaintRecipeParse(ReadText(e.path()), PaintSceneSpecs(), r, error))
        << e.path() << ": " << error;
    PaintCanvas c;
    ASSERT_TRUE(PaintScene(r, PaintMood::Day, c, error)) << e.path() << ": " << error;
    const int scene = std::stoi(e.path().filename().string().substr(0, 2));
    EXPECT_GT(scene, 0) << e.path() << ": scene 0 is the engine's black background";
    EXPECT_LT(scene, 50) << e.path();
    count++;
  }
  EXPECT_GE(count, 30);
}

TEST(DemoRecipes, EveryCharacterParsesWithItsPictures) {
  const fs::path characters = fs::path(LNTR3_SOURCE_DIR) / "demo" / "characters";
  int count = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(characters)) {
    if (e.path().extension() != ".txt") continue;
    PaintRecipe r;
    std::string error;
    ASSERT_TRUE(PaintRecipeParse(ReadText(e.path()), PaintFigureSpecs(), r, error))
        << e.path() << ": " << error;
    const std::vector<int> poses = PaintFigurePoses(r);
    EXPECT_GE(poses.size(), 10u) << e.path();
    for (int pose : poses) EXPECT_NE(pose, 0xFF) << e.path() << ": picture 0xFF means no picture";
    PaintCanvas c;
    ASSERT_TRUE(PaintFigure(r, poses.front(), c, error)) << e.path() << ": " << error;
    EXPECT_LE(c.width, 320) << e.path();
    count++;
  }
  EXPECT_GE(count, 9);
}

}  // namespace
