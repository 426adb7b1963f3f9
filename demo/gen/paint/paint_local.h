// Shared insides of the place painter: the scene being painted, its light, and the helpers the
// command handlers of the sky, outdoor and indoor files use.
#pragma once

#include <string>

#include "demo/gen/paint/paint.h"

// The place being painted: canvas, mood and the light that follows from them.
struct PaintSceneState {
  PaintCanvas* canvas = nullptr;
  PaintMood mood = PaintMood::Day;
  bool indoor = false;
  bool bright = false;  // indoors under lamps that never go out: daylight colours at every hour
  float horizon = 300;  // where the sky meets the land
  float sunX = 480, sunY = 90;  // where the light comes from (set by sun, sunset, moon)
};

using PaintSceneHandler = bool (*)(PaintSceneState& scene, const PaintCommand& command,
                                   std::string& error);

struct PaintSceneCommand {
  PaintCommandSpec spec;
  PaintSceneHandler handler;
};

// Values of a command by parameter index.
inline float PaintNum(const PaintCommand& c, int i) {
  return c.values[i].number;
}
inline PaintRgb PaintCol(const PaintCommand& c, int i) {
  return c.values[i].colour;
}
inline const std::string& PaintWord(const PaintCommand& c, int i) {
  return c.values[i].word;
}
inline const std::vector<PaintPoint>& PaintPts(const PaintCommand& c, int i) {
  return c.values[i].points;
}

// Paints one place command (spec an index of PaintSceneSpecs) onto the scene's canvas, unless
// its moods leave the scene's mood out. False, with `error` naming the line, when refused.
bool PaintSceneStep(PaintSceneState& scene, const PaintCommand& command, std::string& error);

// [SECTION] Light

// A colour as seen under the scene's light (daylight albedo in, lit colour out).
PaintRgb PaintSceneLit(const PaintSceneState& scene, PaintRgb albedo);
// The sky's colour at a height (0 top, 1 horizon) for the scene's mood.
PaintRgb PaintSkyAt(const PaintSceneState& scene, float t);
// True when lamps and windows are lit: evening (some), night (all), never by day, rain or at
// midnight (all windows dark; street lamps stay lit, see PaintLampsOn).
bool PaintWindowsLit(const PaintSceneState& scene, float chance);
// True when street lamps burn: evening, night, rain and midnight.
bool PaintLampsOn(const PaintSceneState& scene);
// Random chance helper for windows: lit with probability p for this mood.
float PaintWindowChance(const PaintSceneState& scene);

// [SECTION] Drawing helpers (colours are daylight albedos; they are lit here)

void PaintSceneFill(PaintSceneState& scene, const PaintPath& path, PaintRgb albedo,
                    float alpha = 1);
// A vertical gradient from `top` at y0 to `bottom` at y1.
void PaintSceneFillV(PaintSceneState& scene, const PaintPath& path, PaintRgb top, PaintRgb bottom,
                     float y0, float y1, float alpha = 1);
// A rectangle in one colour.
void PaintSceneRect(PaintSceneState& scene, float x0, float y0, float x1, float y1, PaintRgb albedo,
                    float alpha = 1);
// A light source's own colour (not lit by the scene): glows and lit windows.
void PaintSceneEmit(PaintSceneState& scene, const PaintPath& path, PaintRgb colour,
                    float alpha = 1);
// Warm light spilling from a window or lamp.
void PaintSceneGlow(PaintSceneState& scene, float x, float y, float rx, float ry, PaintRgb colour,
                    float strength);
// The mood's sky painted into a rectangle (behind windows, or the sky itself).
void PaintSceneSky(PaintSceneState& scene, float x0, float y0, float x1, float y1, float horizon,
                   uint32_t seed, bool clouds);

// [SECTION] Command handlers of the other files

bool PaintCmdTree(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdCherry(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdPine(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdBush(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdLamp(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdLantern(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdLanterns(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdHouse(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdBuilding(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdSchool(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdFence(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdRail(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdPole(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdTorii(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdShrine(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdBench(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdPetals(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdText(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdGrass(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdFerris(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdTrain(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdStall(PaintSceneState&, const PaintCommand&, std::string&);

bool PaintCmdFloor(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdWindow(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdCurtain(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdShelf(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdDesk(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdChair(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdBed(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdBoard(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdDoor(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdCeilingLight(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdPendant(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdPlant(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdFrame(PaintSceneState&, const PaintCommand&, std::string&);
bool PaintCmdCounter(PaintSceneState&, const PaintCommand&, std::string&);
