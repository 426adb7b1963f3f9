// The demo's painter: anti-aliased vector drawing into full-colour canvases, text recipes of
// places under five lights, and character figures in their poses.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// [SECTION] Colours, canvases, randomness

struct PaintRgb {
  float r = 0, g = 0, b = 0;  // 0..1
};

// Premultiplied RGBA, four floats a pixel, top row first.
struct PaintCanvas {
  int width = 0, height = 0;
  std::vector<float> px;
};

// A canvas of width x height, filled with `colour` at `alpha` (0: transparent).
PaintCanvas PaintCanvasMake(int width, int height, PaintRgb colour = {}, float alpha = 0);
// The canvas as straight RGBA bytes, top row first. alphaCut > 0 makes every pixel either
// opaque (alpha at least alphaCut, colour un-premultiplied) or fully transparent black.
std::vector<uint8_t> PaintCanvasRgba8(const PaintCanvas& canvas, float alphaCut = 0);
// The straight colour and alpha of one pixel (tests and probes).
PaintRgb PaintCanvasAt(const PaintCanvas& canvas, int x, int y, float* alpha = nullptr);

// "#rrggbb" as a colour; false when the text is not one.
bool PaintParseColour(std::string_view text, PaintRgb& colour);
// a + (b - a) * t, channel by channel.
PaintRgb PaintMix(PaintRgb a, PaintRgb b, float t);
// The colour scaled by k (shade below 1, brighten above), clamped to 0..1.
PaintRgb PaintScale(PaintRgb c, float k);

// A small deterministic generator (splitmix64), so every build paints the same picture.
struct PaintRandom {
  uint64_t state = 0;
};
PaintRandom PaintRandomMake(uint64_t seed);
// 0 <= value < 1.
float PaintRandomUnit(PaintRandom& random);
// lo <= value < hi.
float PaintRandomRange(PaintRandom& random, float lo, float hi);
// Smooth value noise in 0..1 over the plane, period-free, the same for the same seed.
float PaintNoise(float x, float y, uint32_t seed);

// [SECTION] Paths

struct PaintPoint {
  float x = 0, y = 0;
};

// Closed polygon contours (curves are flattened as they are added). Contours wind the same way
// unless added as holes, so overlapping contours of one path paint their union.
struct PaintPath {
  std::vector<PaintPoint> points;
  std::vector<size_t> ends;  // one past the last point of each contour
  bool open = false;         // a contour is being built
};

// Starts a contour at (x, y).
void PaintPathMove(PaintPath& path, float x, float y);
// Adds a straight edge to (x, y).
void PaintPathLine(PaintPath& path, float x, float y);
// Adds a quadratic curve through control c to p.
void PaintPathQuad(PaintPath& path, PaintPoint c, PaintPoint p);
// Adds a cubic curve through controls c1, c2 to p.
void PaintPathCubic(PaintPath& path, PaintPoint c1, PaintPoint c2, PaintPoint p);
// Ends the contour being built; a hole winds the other way and cuts out of the others.
void PaintPathClose(PaintPath& path, bool hole = false);
// Adds a closed polygon.
void PaintPathPolygon(PaintPath& path, std::span<const PaintPoint> points, bool hole = false);
// Adds an ellipse (rotation in radians).
void PaintPathEllipse(PaintPath& path, float cx, float cy, float rx, float ry, float rotation = 0,
                      bool hole = false);
// Adds an axis-aligned rectangle, corners rounded by `radius`.
void PaintPathRect(PaintPath& path, float x0, float y0, float x1, float y1, float radius = 0);
// Adds the outline of a polyline `width` wide, with round joins and ends.
void PaintPathStroke(PaintPath& path, std::span<const PaintPoint> line, float width,
                     bool closed = false);
// Adds a stroke whose width tapers from w0 at the first point to w1 at the last.
void PaintPathTaper(PaintPath& path, std::span<const PaintPoint> line, float w0, float w1);
// Points along a cubic curve (n + 1 of them, ends included).
std::vector<PaintPoint> PaintCubicPoints(PaintPoint p0, PaintPoint c1, PaintPoint c2, PaintPoint p1,
                                         int n);

// [SECTION] Fills and drawing

enum class PaintKind : uint8_t { Solid, Linear, Radial };

struct PaintStop {
  float t = 0;
  PaintRgb colour;
  float alpha = 1;
};

// What a shape is filled with: one colour, or up to four stops along a line (a to b) or
// outward from a centre (a, radii rx, ry).
struct PaintFill {
  PaintKind kind = PaintKind::Solid;
  PaintPoint a, b;
  float rx = 1, ry = 1;
  std::array<PaintStop, 4> stops{};
  int count = 1;
};

PaintFill PaintSolid(PaintRgb colour, float alpha = 1);
PaintFill PaintLinear(PaintPoint a, PaintRgb ca, PaintPoint b, PaintRgb cb, float alphaA = 1,
                      float alphaB = 1);
PaintFill PaintRadial(PaintPoint centre, float rx, float ry, PaintRgb inner, PaintRgb outer,
                      float alphaInner = 1, float alphaOuter = 1);
// Adds a stop to a gradient (stops must come in rising t).
void PaintFillStop(PaintFill& fill, float t, PaintRgb colour, float alpha = 1);
// The colour and alpha of a fill at a point.
PaintRgb PaintFillAt(const PaintFill& fill, float x, float y, float* alpha);

enum class PaintBlend : uint8_t {
  Over,    // paint over what is there
  Add,     // light added to what is there (glows)
  Inside,  // over, but only where the canvas is already opaque (shading on a figure)
};

// Fills a path, anti-aliased by exact area coverage; with a clip, only inside the clip path.
void PaintFillPath(PaintCanvas& canvas, const PaintPath& path, const PaintFill& fill,
                   PaintBlend blend = PaintBlend::Over, float opacity = 1,
                   const PaintPath* clip = nullptr);
// Fills a path with an outline `width` wide in `ink` around the whole shape (outside it), as
// drawn figures are inked.
void PaintFillInked(PaintCanvas& canvas, const PaintPath& path, const PaintFill& fill, PaintRgb ink,
                    float width, const PaintPath* clip = nullptr);
// Strokes the outline of every contour of a path, `width` wide, centred on the edge.
void PaintStrokePath(PaintCanvas& canvas, const PaintPath& path, float width, PaintRgb colour,
                     float alpha = 1, const PaintPath* clip = nullptr);
// A soft round light: colour added with strength falling to 0 at radii rx, ry.
void PaintGlow(PaintCanvas& canvas, float cx, float cy, float rx, float ry, PaintRgb colour,
               float strength);
// Blurs the canvas with three box passes of the radius (a soft gaussian).
void PaintBlur(PaintCanvas& canvas, int radius);
// Puts `layer` (same size) over the canvas at `opacity`.
void PaintComposite(PaintCanvas& canvas, const PaintCanvas& layer, float opacity = 1);

// [SECTION] Recipes

// Five lights a place is painted under; background group letters D, E, N, X, Z.
enum class PaintMood : uint8_t { Day, Evening, Night, Rain, Midnight };
constexpr int kPaintMoods = 5;
constexpr char kPaintMoodLetters[] = "DENXZ";
// The mood of a group letter; false for any other letter.
bool PaintMoodFromLetter(char letter, PaintMood& mood);

enum class PaintType : uint8_t { Number, Colour, Word, Moods, Points };

struct PaintValue {
  PaintType type = PaintType::Number;
  float number = 0;
  PaintRgb colour;
  std::string word;
  uint32_t moods = 0;  // bit per mood
  std::vector<PaintPoint> points;
  bool given = false;  // written in the recipe or by a default
};

// One recipe line: a command with its parameters in the order of its table entry.
struct PaintCommand {
  int line = 0;
  int spec = 0;  // index of the command in its table
  std::vector<PaintValue> values;
  uint32_t moods = 0x1F;  // the moods it is painted in (bit per mood), from "moods="
};

// A command of a recipe language: its name and its parameters, "name:t" (required),
// "name:t=default" or "name:t=" (optional, no default) separated by spaces, t one of n (number),
// c (colour), w (word), m (mood letters), p (points, the rest of the line). Every command also
// takes "moods=" (the moods it is painted in).
struct PaintCommandSpec {
  const char* name;
  const char* params;
};

struct PaintRecipe {
  std::vector<PaintCommand> commands;
};

// Parses a recipe: one command a line, '#' starts a comment, values by position or as
// name=value. False, with `error` starting "line N: ", on the first line that does not fit.
bool PaintRecipeParse(std::string_view text, std::span<const PaintCommandSpec> specs,
                      PaintRecipe& recipe, std::string& error);

// [SECTION] Places and figures

// The commands of place recipes.
std::span<const PaintCommandSpec> PaintSceneSpecs();
// Paints a place recipe under a mood into a 640 x 480 canvas. False, with `error` naming the
// line, when a value is out of range.
bool PaintScene(const PaintRecipe& recipe, PaintMood mood, PaintCanvas& canvas, std::string& error);

// The commands of character recipes.
std::span<const PaintCommandSpec> PaintFigureSpecs();
// The picture numbers (low byte of the character code) a character recipe defines.
std::vector<int> PaintFigurePoses(const PaintRecipe& recipe);
// Paints picture `pose` of a character recipe on a transparent canvas of the recipe's size
// (at most 320 x 480). False, with `error`, when the recipe has no such pose or a bad value.
bool PaintFigure(const PaintRecipe& recipe, int pose, PaintCanvas& canvas, std::string& error);

// How a character's colours change in front of a background group: a colour seen in daylight
// becomes the colour seen under the mood.
PaintRgb PaintCharacterLight(PaintMood mood, PaintRgb colour);

// [SECTION] Event pictures

// The commands of event picture recipes: "event" (the light), "place" (a place recipe),
// "zoom" and "figure", then every place command.
std::span<const PaintCommandSpec> PaintEventSpecs();
// Paints an event picture recipe into a 640 x 480 canvas: a place under the recipe's light,
// framed closer by "zoom", with characters painted large over it and place commands on top.
// Character recipes are named relative to `folder`. `tint` gets, for each pixel, how much of it
// shows the outfit colour a figure names with "tint=" (0..1). False, with `error` naming the
// line.
bool PaintEvent(const PaintRecipe& recipe, const std::string& folder, PaintCanvas& canvas,
                std::vector<float>& tint, std::string& error);

// [SECTION] Overlays

// A 16-colour overlay picture: colour indices, top row first, and the colours they stand for
// (index 0 the ground).
struct PaintOverlayPicture {
  int width = 0, height = 0;
  std::array<PaintRgb, 16> palette{};
  int colours = 0;  // colours 0 .. colours - 1 given
  std::vector<uint8_t> pixels;
};

// The commands of overlay recipes.
std::span<const PaintCommandSpec> PaintOverlaySpecs();
// Paints an overlay recipe over its ground colour and gives each pixel the nearest of its
// colours. False, with `error`, when the size or the colours do not fit.
bool PaintOverlay(const PaintRecipe& recipe, PaintOverlayPicture& out, std::string& error);
