// The demo painter: coverage of shapes to the pixel, fills, clips, outlines, glows and blurs;
// the recipe parser and its line-numbered refusals; places under the five lights and figures.
#include "demo/gen/paint/paint.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

namespace {

float AlphaAt(const PaintCanvas& c, int x, int y) {
  float a = 0;
  PaintCanvasAt(c, x, y, &a);
  return a;
}

float CanvasMass(const PaintCanvas& c) {
  float sum = 0;
  for (size_t i = 3; i < c.px.size(); i += 4) sum += c.px[i];
  return sum;
}

// [SECTION] Drawing primitives

TEST(PaintRaster, RectangleCoversItsPixelsExactly) {
  PaintCanvas c = PaintCanvasMake(16, 16);
  PaintPath p;
  PaintPathRect(p, 2, 3, 10, 7.5f);
  PaintFillPath(c, p, PaintSolid({1, 0, 0}));
  EXPECT_FLOAT_EQ(AlphaAt(c, 2, 3), 1);
  EXPECT_FLOAT_EQ(AlphaAt(c, 9, 6), 1);
  EXPECT_NEAR(AlphaAt(c, 5, 7), 0.5f, 1e-4);  // the bottom edge halves its row
  EXPECT_FLOAT_EQ(AlphaAt(c, 10, 5), 0);
  EXPECT_FLOAT_EQ(AlphaAt(c, 1, 5), 0);
  EXPECT_FLOAT_EQ(AlphaAt(c, 5, 8), 0);
  const PaintRgb red = PaintCanvasAt(c, 4, 4);
  EXPECT_FLOAT_EQ(red.r, 1);
  EXPECT_FLOAT_EQ(red.g, 0);
  EXPECT_NEAR(CanvasMass(c), 8 * 4.5f, 1e-3);
}

TEST(PaintRaster, EllipseAreaMatchesItsFormula) {
  PaintCanvas c = PaintCanvasMake(64, 64);
  PaintPath p;
  PaintPathEllipse(p, 32, 32, 20, 12);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}));
  EXPECT_NEAR(CanvasMass(c), std::numbers::pi_v<float> * 20 * 12, 0.01f * 754);
  EXPECT_GT(AlphaAt(c, 32, 32), 0.99f);
  EXPECT_EQ(AlphaAt(c, 32, 50), 0);
}

TEST(PaintRaster, ShapesPastTheCanvasEdgeAreClipped) {
  PaintCanvas c = PaintCanvasMake(10, 10);
  PaintPath p;
  PaintPathRect(p, -20, -20, 5, 30);
  PaintFillPath(c, p, PaintSolid({0, 1, 0}));
  EXPECT_FLOAT_EQ(AlphaAt(c, 0, 0), 1);
  EXPECT_FLOAT_EQ(AlphaAt(c, 4, 9), 1);
  EXPECT_FLOAT_EQ(AlphaAt(c, 5, 0), 0);
  EXPECT_NEAR(CanvasMass(c), 50, 1e-3);
}

TEST(PaintRaster, OverlappingContoursPaintTheirUnionOnce) {
  PaintCanvas c = PaintCanvasMake(20, 10);
  PaintPath p;
  PaintPathRect(p, 0, 0, 12, 10);
  PaintPathRect(p, 8, 0, 20, 10);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}, 0.5f));
  EXPECT_NEAR(AlphaAt(c, 10, 5), 0.5f, 1e-4);  // the overlap is not painted twice
  EXPECT_NEAR(AlphaAt(c, 2, 5), 0.5f, 1e-4);
}

TEST(PaintRaster, HolesCutOut) {
  PaintCanvas c = PaintCanvasMake(40, 40);
  PaintPath ring;
  PaintPathEllipse(ring, 20, 20, 15, 15);
  PaintPathEllipse(ring, 20, 20, 8, 8, 0, true);
  PaintFillPath(c, ring, PaintSolid({1, 1, 1}));
  EXPECT_EQ(AlphaAt(c, 20, 20), 0);
  EXPECT_GT(AlphaAt(c, 20, 8), 0.99f);
}

TEST(PaintRaster, ContoursWindTheSameWayWhateverTheirPointOrder) {
  PaintCanvas c = PaintCanvasMake(20, 10);
  PaintPath p;
  const PaintPoint clockwise[] = {{0, 0}, {12, 0}, {12, 10}, {0, 10}};
  const PaintPoint counter[] = {{8, 0}, {8, 10}, {20, 10}, {20, 0}};
  PaintPathPolygon(p, clockwise);
  PaintPathPolygon(p, counter);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}));
  EXPECT_FLOAT_EQ(AlphaAt(c, 10, 5), 1);  // they do not cancel where they meet
}

TEST(PaintRaster, LinearGradientRunsBetweenItsEnds) {
  PaintCanvas c = PaintCanvasMake(100, 4);
  PaintPath p;
  PaintPathRect(p, 0, 0, 100, 4);
  PaintFillPath(c, p, PaintLinear({0, 0}, {0, 0, 0}, {100, 0}, {1, 1, 1}));
  EXPECT_NEAR(PaintCanvasAt(c, 0, 1).r, 0.005f, 0.01f);
  EXPECT_NEAR(PaintCanvasAt(c, 49, 1).r, 0.495f, 0.01f);
  EXPECT_NEAR(PaintCanvasAt(c, 99, 1).g, 0.995f, 0.01f);
}

TEST(PaintRaster, GradientStopsComeInOrder) {
  PaintFill fill = PaintLinear({0, 0}, {0, 0, 0}, {10, 0}, {0, 0, 1});
  PaintFillStop(fill, 0.5f, {1, 0, 0});
  float alpha;
  EXPECT_NEAR(PaintFillAt(fill, 5, 0, &alpha).r, 1, 1e-5);
  EXPECT_NEAR(PaintFillAt(fill, 10, 0, &alpha).b, 1, 1e-5);
  EXPECT_NEAR(PaintFillAt(fill, 7.5f, 0, &alpha).r, 0.5f, 1e-5);
}

TEST(PaintRaster, ClipKeepsPaintInside) {
  PaintCanvas c = PaintCanvasMake(20, 20);
  PaintPath shape, clip;
  PaintPathRect(shape, 0, 0, 20, 20);
  PaintPathRect(clip, 5, 5, 10, 10);
  PaintFillPath(c, shape, PaintSolid({1, 1, 1}), PaintBlend::Over, 1, &clip);
  EXPECT_FLOAT_EQ(AlphaAt(c, 7, 7), 1);
  EXPECT_FLOAT_EQ(AlphaAt(c, 2, 2), 0);
  EXPECT_FLOAT_EQ(AlphaAt(c, 12, 7), 0);
}

TEST(PaintRaster, InkedShapesHaveTheirOutlineOutside) {
  PaintCanvas c = PaintCanvasMake(30, 30);
  PaintPath p;
  PaintPathRect(p, 10, 10, 20, 20);
  PaintFillInked(c, p, PaintSolid({1, 1, 1}), {0, 0, 0}, 2);
  EXPECT_FLOAT_EQ(PaintCanvasAt(c, 15, 15).r, 1);  // inside: the fill
  EXPECT_FLOAT_EQ(PaintCanvasAt(c, 10, 15).r, 1);
  EXPECT_FLOAT_EQ(AlphaAt(c, 9, 15), 1);  // just outside: ink
  EXPECT_FLOAT_EQ(PaintCanvasAt(c, 9, 15).r, 0);
  EXPECT_FLOAT_EQ(AlphaAt(c, 8, 15), 1);
  EXPECT_FLOAT_EQ(AlphaAt(c, 6, 15), 0);  // beyond the width: nothing
}

TEST(PaintRaster, GlowLightsTheMiddleAndStopsAtItsRadius) {
  PaintCanvas c = PaintCanvasMake(40, 40, {0.1f, 0.1f, 0.1f}, 1);
  PaintGlow(c, 20, 20, 10, 10, {1, 0.5f, 0}, 0.5f);
  EXPECT_NEAR(PaintCanvasAt(c, 20, 20).r, 0.6f, 0.02f);
  EXPECT_NEAR(PaintCanvasAt(c, 20, 20).b, 0.1f, 1e-5);
  EXPECT_FLOAT_EQ(PaintCanvasAt(c, 20, 31).r, 0.1f);
}

TEST(PaintRaster, BlurSpreadsWithoutLosingPaint) {
  PaintCanvas c = PaintCanvasMake(40, 40);
  PaintPath p;
  PaintPathRect(p, 10, 10, 30, 30);
  PaintFillPath(c, p, PaintSolid({1, 1, 1}));
  const float before = CanvasMass(c);
  PaintBlur(c, 2);  // three passes: paint reaches 6 pixels out
  EXPECT_NEAR(CanvasMass(c), before, 0.01f * before);
  EXPECT_GT(AlphaAt(c, 5, 20), 0);
  EXPECT_EQ(AlphaAt(c, 3, 20), 0);
  EXPECT_LT(AlphaAt(c, 10, 20), 1);
  EXPECT_NEAR(AlphaAt(c, 20, 20), 1, 1e-4);
}

TEST(PaintRaster, SpriteBytesAreOpaqueOrTransparent) {
  PaintCanvas c = PaintCanvasMake(4, 1);
  PaintPath p;
  PaintPathRect(p, 0, 0, 1, 1);
  PaintFillPath(c, p, PaintSolid({1, 0.5f, 0}, 0.7f));
  PaintPath q;
  PaintPathRect(q, 1, 0, 2, 1);
  PaintFillPath(c, q, PaintSolid({0, 0, 1}, 0.3f));
  const std::vector<uint8_t> cut = PaintCanvasRgba8(c, 0.5f);
  EXPECT_EQ(cut[0], 255);
  EXPECT_EQ(cut[1], 128);
  EXPECT_EQ(cut[3], 255);
  EXPECT_EQ(cut[4 + 2], 0);  // below the cut: transparent black
  EXPECT_EQ(cut[4 + 3], 0);
  const std::vector<uint8_t> soft = PaintCanvasRgba8(c);
  EXPECT_EQ(soft[4 + 2], 255);
  EXPECT_EQ(soft[4 + 3], 77);
}

TEST(PaintColour, HexColoursParse) {
  PaintRgb c;
  ASSERT_TRUE(PaintParseColour("#FF8000", c));
  EXPECT_FLOAT_EQ(c.r, 1);
  EXPECT_NEAR(c.g, 128 / 255.0f, 1e-6);
  EXPECT_FLOAT_EQ(c.b, 0);
  EXPECT_FALSE(PaintParseColour("#ff80", c));
  EXPECT_FALSE(PaintParseColour("ff8000", c));
  EXPECT_FALSE(PaintParseColour("#gg0000", c));
}

TEST(PaintRandomness, SameSeedSameSequence) {
  PaintRandom a = PaintRandomMake(7), b = PaintRandomMake(7), c = PaintRandomMake(8);
  bool differs = false;
  for (int i = 0; i < 100; i++) {
    const float x = PaintRandomUnit(a);
    EXPECT_EQ(x, PaintRandomUnit(b));
    EXPECT_GE(x, 0);
    EXPECT_LT(x, 1);
    differs |= x != PaintRandomUnit(c);
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(PaintNoise(3.3f, 1.2f, 5), PaintNoise(3.3f, 1.2f, 5));
  EXPECT_GE(PaintNoise(3.3f, 1.2f, 5), 0);
  EXPECT_LE(PaintNoise(3.3f, 1.2f, 5), 1);
}

// [SECTION] Recipes

constexpr PaintCommandSpec kSpecs[] = {
    {"dot", "x:n y:n colour:c=#ffffff size:n=1"},
    {"name", "word:w"},
    {"shape", "colour:c points:p"},
};

TEST(PaintRecipe, ValuesByPositionAndByName) {
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(
      PaintRecipeParse("# a comment\n\ndot 3 -4.5 size=0x10  # trailing\n"
                       "dot x=1 y=2 colour=#102030 moods=NZ\n"
                       "shape #ff0000 0,0 10,0 5,8\n",
                       kSpecs, r, error))
      << error;
  ASSERT_EQ(r.commands.size(), 3u);
  EXPECT_EQ(r.commands[0].line, 3);
  EXPECT_FLOAT_EQ(r.commands[0].values[1].number, -4.5f);
  EXPECT_FLOAT_EQ(r.commands[0].values[2].colour.r, 1);  // the default
  EXPECT_FLOAT_EQ(r.commands[0].values[3].number, 16);
  EXPECT_EQ(r.commands[0].moods, 0x1Fu);
  EXPECT_NEAR(r.commands[1].values[2].colour.g, 0x20 / 255.0f, 1e-6);
  EXPECT_EQ(r.commands[1].moods, (1u << 2) | (1u << 4));
  ASSERT_EQ(r.commands[2].values[1].points.size(), 3u);
  EXPECT_FLOAT_EQ(r.commands[2].values[1].points[2].y, 8);
}

// The error of parsing `text`, which must fail.
std::string RecipeError(const std::string& text) {
  PaintRecipe r;
  std::string error;
  EXPECT_FALSE(PaintRecipeParse(text, kSpecs, r, error)) << text;
  return error;
}

TEST(PaintRecipe, RefusalsNameTheLine) {
  EXPECT_EQ(RecipeError("dot 1 2\n\ndott 1 2\n"), "line 3: unknown command 'dott'");
  EXPECT_EQ(RecipeError("dot 1 big\n"), "line 1: dot: 'y' wants a number, got 'big'");
  EXPECT_EQ(RecipeError("dot 1\n").substr(0, 25), "line 1: dot: missing 'y' ");
  EXPECT_EQ(RecipeError("name a\nname a b\n").substr(0, 31), "line 2: name: too many values (");
  EXPECT_EQ(RecipeError("dot 1 2 colour=red\n"),
            "line 1: dot: 'colour' wants a colour #rrggbb, got 'red'");
  EXPECT_EQ(RecipeError("dot 1 2 shade=3\n"), "line 1: dot: no parameter 'shade'");
  EXPECT_EQ(RecipeError("\n\n\n\ndot 1 2 moods=DQ\n"),
            "line 5: dot: 'moods' wants mood letters from DENXZ, got 'DQ'");
  EXPECT_EQ(RecipeError("shape #000000 1,2 3;4\n"),
            "line 1: shape: 'points' wants points x,y, got '3;4'");
}

TEST(PaintRecipe, PlaceCommandsCheckTheirWords) {
  PaintRecipe r;
  std::string error;
  ASSERT_TRUE(
      PaintRecipeParse("light outdoor\ncherry 1 2 3 stage=winter\n", PaintSceneSpecs(), r, error));
  PaintCanvas c;
  EXPECT_FALSE(PaintScene(r, PaintMood::Day, c, error));
  EXPECT_EQ(error.substr(0, 23), "line 2: cherry: 'stage'");
  ASSERT_TRUE(PaintRecipeParse("# nothing\nlight sideways\n", PaintSceneSpecs(), r, error));
  EXPECT_FALSE(PaintScene(r, PaintMood::Day, c, error));
  EXPECT_EQ(error.substr(0, 21), "line 2: light: 'kind'");
  ASSERT_TRUE(PaintRecipeParse("poly #000000 0,0 1,1\n", PaintSceneSpecs(), r, error));
  EXPECT_FALSE(PaintScene(r, PaintMood::Day, c, error));
  EXPECT_EQ(error, "line 1: poly: wants at least three points");
}

// [SECTION] Places

// Mean brightness of a canvas, 0..1.
float Brightness(const PaintCanvas& c) {
  double sum = 0;
  for (size_t i = 0; i < c.px.size(); i += 4)
    sum += 0.3 * c.px[i] + 0.59 * c.px[i + 1] + 0.11 * c.px[i + 2];
  return static_cast<float>(sum / (c.px.size() / 4));
}

PaintCanvas Place(const std::string& text, PaintMood mood) {
  PaintRecipe r;
  std::string error;
  EXPECT_TRUE(PaintRecipeParse(text, PaintSceneSpecs(), r, error)) << error;
  PaintCanvas c;
  EXPECT_TRUE(PaintScene(r, mood, c, error)) << error;
  return c;
}

TEST(PaintPlace, CommandsKeepToTheirMoods) {
  const std::string text = "rect 0 0 640 480 #000000\nrect 0 0 640 480 #ff0000 lit=1 moods=N\n";
  EXPECT_FLOAT_EQ(PaintCanvasAt(Place(text, PaintMood::Night), 5, 5).r, 1);
  EXPECT_FLOAT_EQ(PaintCanvasAt(Place(text, PaintMood::Day), 5, 5).r, 0);
}

TEST(PaintPlace, TheFiveLightsLookApart) {
  const std::string text =
      "light outdoor\nsky horizon=300\nsun 500 80\nsunset 500 260\nmoon 100 80\n"
      "hills 330 40 #6a9a5a\nrect 0 330 640 480 #7aa858\nlamp 300 450 150\n";
  const float day = Brightness(Place(text, PaintMood::Day));
  const float evening = Brightness(Place(text, PaintMood::Evening));
  const float night = Brightness(Place(text, PaintMood::Night));
  const float midnight = Brightness(Place(text, PaintMood::Midnight));
  EXPECT_GT(day, evening);
  EXPECT_GT(evening, night);
  EXPECT_GT(night, midnight);
  // Evening light is warm, night light is blue.
  const PaintRgb ground = PaintCanvasAt(Place(text, PaintMood::Evening), 600, 470);
  EXPECT_GT(ground.r, ground.b * 1.5f);
  const PaintRgb dark = PaintCanvasAt(Place(text, PaintMood::Night), 600, 470);
  EXPECT_GT(dark.b, dark.r);
  // Rain greys the colours.
  const PaintRgb wet = PaintCanvasAt(Place(text, PaintMood::Rain), 600, 470);
  const PaintRgb dry = PaintCanvasAt(Place(text, PaintMood::Day), 600, 470);
  EXPECT_LT(wet.g - wet.r, dry.g - dry.r);
}

TEST(PaintPlace, LampsBurnAfterDark) {
  const std::string text = "rect 0 0 640 480 #404040\nlamp 300 400 150\n";
  const float day = PaintCanvasAt(Place(text, PaintMood::Day), 322, 240).r;
  const float night = PaintCanvasAt(Place(text, PaintMood::Night), 322, 240).r;
  EXPECT_GT(night, day);
}

TEST(PaintLight, CharactersKeepDaylightAndDarkenAtNight) {
  const PaintRgb skin = {1.0f, 0.9f, 0.84f};
  const PaintRgb day = PaintCharacterLight(PaintMood::Day, skin);
  EXPECT_FLOAT_EQ(day.g, skin.g);
  const PaintRgb night = PaintCharacterLight(PaintMood::Night, skin);
  EXPECT_LT(night.r, skin.r);
  EXPECT_GT(night.b / night.r, skin.b / skin.r);
  const PaintRgb evening = PaintCharacterLight(PaintMood::Evening, skin);
  EXPECT_LT(evening.b / evening.r, skin.b / skin.r);
  const PaintRgb midnight = PaintCharacterLight(PaintMood::Midnight, skin);
  EXPECT_LT(midnight.r + midnight.g, night.r + night.g);
}

// [SECTION] Figures

constexpr const char* kGirl =
    "figure width=300 height=480\nhair #8a5234 style=ponytail\neyes #4f9a5e\n"
    "outfit sailor top=#f6f6fa bottom=#2c3a66 accent=#2c3a66 trim=#d8404a\n"
    "pose 1 neutral\npose 0x81 surprised body=wave\n";

PaintRecipe Figure(const std::string& text) {
  PaintRecipe r;
  std::string error;
  EXPECT_TRUE(PaintRecipeParse(text, PaintFigureSpecs(), r, error)) << error;
  return r;
}

TEST(PaintFigure, PosesAreListedAndPainted) {
  const PaintRecipe r = Figure(kGirl);
  EXPECT_EQ(PaintFigurePoses(r), (std::vector<int>{1, 0x81}));
  PaintCanvas a, b;
  std::string error;
  ASSERT_TRUE(PaintFigure(r, 1, a, error)) << error;
  ASSERT_TRUE(PaintFigure(r, 0x81, b, error)) << error;
  EXPECT_EQ(a.width, 300);
  EXPECT_EQ(a.height, 480);
  EXPECT_EQ(AlphaAt(a, 0, 0), 0);  // transparent around the figure
  EXPECT_EQ(AlphaAt(a, 299, 5), 0);
  EXPECT_GT(AlphaAt(a, 150, 160), 0.99f);  // the face
  EXPECT_GT(AlphaAt(a, 150, 400), 0.99f);  // the body
  EXPECT_NE(a.px, b.px);                   // another expression, another arm
  EXPECT_EQ(AlphaAt(a, 275, 60), 0);
  EXPECT_GT(AlphaAt(b, 274, 140), 0.99f);  // the waving hand
}

TEST(PaintFigure, RefusalsNameTheLine) {
  PaintCanvas c;
  std::string error;
  EXPECT_FALSE(PaintFigure(Figure(kGirl), 2, c, error));
  EXPECT_EQ(error, "no picture 2 (no 'pose' line for it)");
  EXPECT_FALSE(PaintFigure(Figure("figure width=400\npose 1\n"), 1, c, error));
  EXPECT_EQ(error.substr(0, 16), "line 1: figure: ");
  EXPECT_FALSE(PaintFigure(Figure("hair #000000\npose 1\npose 1 smile\n"), 1, c, error));
  EXPECT_EQ(error, "line 3: pose: picture 1 is defined twice");
  EXPECT_FALSE(PaintFigure(Figure("\npose 1 giggle\n"), 1, c, error));
  EXPECT_EQ(error, "line 2: pose: no face 'giggle'");
  EXPECT_FALSE(PaintFigure(Figure("hair #000000 style=mohawk\n"), 1, c, error));
  EXPECT_EQ(error.substr(0, 22), "line 1: hair: 'style' ");
  EXPECT_FALSE(PaintFigure(Figure("figure kind=cat\npose 1 body=wave\n"), 1, c, error));
  EXPECT_EQ(error, "line 2: pose: no body 'wave'");
}

TEST(PaintFigure, OutfitsFollowThePictureNumber) {
  const std::string text =
      std::string(kGirl) +
      "outfit tee top=#ff0000 bottom=#5a7ab8 accent=#f08a5a trim=#f0c890 from=0x80\n";
  const PaintRecipe r = Figure(text);
  PaintCanvas a, b;
  std::string error;
  ASSERT_TRUE(PaintFigure(r, 1, a, error));
  ASSERT_TRUE(PaintFigure(r, 0x81, b, error));
  const PaintRgb uniform = PaintCanvasAt(a, 190, 360), tee = PaintCanvasAt(b, 190, 360);
  EXPECT_GT(uniform.b, 0.6f);  // the white blouse
  EXPECT_GT(tee.r, 0.6f);
  EXPECT_LT(tee.b, 0.3f);
}

}  // namespace
