// Shared insides of the character painter: how a character looks (from its recipe), one
// picture's expression and body pose, and the drawing steps the figure files share.
#pragma once

#include <string>
#include <vector>

#include "demo/gen/paint/paint.h"

// Clothes worn in a range of picture numbers.
struct PaintOutfit {
  std::string style;  // sailor, blazer, cardigan, hoodie, dress, apron, track, tee
  PaintRgb top, bottom, accent, trim;
  int from = 0, to = 255;
};

struct PaintAccessory {
  std::string kind;  // ribbon, bow, hairband, clip, glasses, flower, headdress
  PaintRgb colour;
  int from = 0, to = 255;
};

// Everything a character recipe says about the character.
struct PaintLook {
  int width = 300, height = 480;
  float top = 0;              // the figure stands this much lower (a shorter character)
  std::string kind = "girl";  // girl, boy or cat
  PaintRgb skin = {1.0f, 0.90f, 0.84f};
  PaintRgb hair = {0.4f, 0.28f, 0.22f};
  std::string hairStyle = "long", fringe = "even";
  float hairLength = 1;
  bool ahoge = false;
  PaintRgb eyes = {0.35f, 0.5f, 0.7f};
  std::string eyeShape = "round";  // round, narrow, droopy, sharp
  std::vector<PaintOutfit> outfits;
  std::vector<PaintAccessory> accessories;
};

// One picture: its expression, body pose and extras.
struct PaintPose {
  int number = 0;
  std::string face = "neutral";
  std::string body = "down";
  float lookX = 0, lookY = 0;  // where the eyes turn, -1..1
  int blush = 0;               // 0 none, 1 pink cheeks, 2 with lines
  bool tears = false;
};

// Where the figure stands on its canvas.
struct PaintFrame {
  PaintCanvas* canvas = nullptr;
  float cx = 150;  // the middle
  float hy = 150;  // the middle of the face
  float ny = 250;  // the base of the neck
};

// Line colour for a fill: the fill darkened, a touch warmer.
PaintRgb PaintInk(PaintRgb fill);
// A filled shape with an outline in its ink.
void PaintShape(PaintFrame& f, const PaintPath& path, const PaintFill& fill, PaintRgb ink,
                float line = 1.6f, const PaintPath* clip = nullptr);
// The outline of a centre line with widths along it (tails, sleeves, braids).
PaintPath PaintRibbon(std::span<const PaintPoint> centre, std::span<const float> widths);
// Shifts points by (dx, dy).
std::vector<PaintPoint> PaintOffset(std::vector<PaintPoint> points, float dx, float dy);

// Face and hair (paint_face.cpp).
void PaintHairBack(PaintFrame& f, const PaintLook& look);
void PaintHead(PaintFrame& f, const PaintLook& look, const PaintPose& pose);
void PaintHairFront(PaintFrame& f, const PaintLook& look, const PaintPose& pose);
bool PaintFaceKnown(const std::string& face);
// The braid that hangs over the shoulder, in front of the body.
void PaintHairBraid(PaintFrame& f, const PaintLook& look);

// The cat (paint_cat.cpp).
bool PaintCatKnown(const std::string& body);
void PaintCat(PaintFrame& f, const PaintLook& look, const PaintPose& pose);
