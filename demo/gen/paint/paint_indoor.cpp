// Indoor things of place recipes: floors, windows onto the mood's sky, curtains, shelves of
// books, school furniture, beds, lamps and the shop counter.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "demo/gen/paint/paint_local.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr PaintRgb kWarmLight = {1.0f, 0.82f, 0.52f};

// Room lamps burn in the evening, at night and on a grey day; a dark room has none.
bool RoomLightsOn(const PaintSceneState& scene) {
  return scene.mood == PaintMood::Evening || scene.mood == PaintMood::Night ||
         scene.mood == PaintMood::Rain;
}

}  // namespace

// floor x0:n y0:n x1:n y1:n colour:c vx:n boards:n   (boards run towards (vx, above y0))
bool PaintCmdFloor(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x0 = PaintNum(c, 0), y0 = PaintNum(c, 1), x1 = PaintNum(c, 2), y1 = PaintNum(c, 3);
  const PaintRgb wood = PaintCol(c, 4);
  const float vx = PaintNum(c, 5), vy = y0 - (y1 - y0) * 1.6f;
  PaintPath floor;
  PaintPathRect(floor, x0, y0, x1, y1);
  PaintSceneFillV(scene, floor, PaintScale(wood, 0.78f), PaintScale(wood, 1.08f), y0, y1);
  // Board seams from the front edge towards the vanishing point, cut at the back wall.
  PaintPath seams;
  const int boards = std::max(2, static_cast<int>(PaintNum(c, 6)));
  const float spread = (x1 - x0) * 1.8f;
  for (int i = 0; i <= boards; i++) {
    const float bx = vx - spread / 2 + spread * i / boards;
    const float t = (y0 - y1) / (vy - y1);
    const PaintPoint seam[] = {{bx, y1}, {bx + (vx - bx) * t, y0}};
    PaintPathStroke(seams, seam, 1.1f);
  }
  for (int k = 1; k < 5; k++) {
    const float t = static_cast<float>(k * k) / 25.0f;
    const float yy = y0 + (y1 - y0) * t;
    const PaintPoint joint[] = {{x0, yy}, {x1, yy}};
    PaintPathStroke(seams, joint, 0.8f);
  }
  PaintSceneFill(scene, seams, PaintScale(wood, 0.55f), 0.45f);
  // The shine of light on a polished floor.
  PaintPath shine;
  PaintPathEllipse(shine, vx, y0 + (y1 - y0) * 0.45f, (x1 - x0) * 0.3f, (y1 - y0) * 0.25f);
  PaintFillPath(
      *scene.canvas, shine,
      PaintRadial({vx, y0 + (y1 - y0) * 0.45f}, (x1 - x0) * 0.3f, (y1 - y0) * 0.25f,
                  PaintSceneLit(scene, {1, 1, 1}), PaintSceneLit(scene, {1, 1, 1}), 0.18f, 0));
  return true;
}

// window x:n y:n w:n h:n frame:c panes:n seed:n   (x, y the top left of the glass)
bool PaintCmdWindow(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb frame = PaintCol(c, 4);
  const int panes = std::max(1, static_cast<int>(PaintNum(c, 5)));
  // The view outside is lit as outdoors.
  const bool indoor = scene.indoor;
  scene.indoor = false;
  PaintSceneSky(scene, x, y, x + w, y + h, y + h * 1.2f, static_cast<uint32_t>(PaintNum(c, 6)),
                true);
  if (scene.mood == PaintMood::Evening) {
    PaintSceneGlow(scene, x + w * 0.7f, y + h * 0.75f, w * 0.5f, h * 0.35f, {1.0f, 0.6f, 0.3f},
                   0.5f);
  }
  if (scene.mood == PaintMood::Night || scene.mood == PaintMood::Midnight) {
    PaintPath moon;
    PaintPathEllipse(moon, x + w * 0.72f, y + h * 0.22f, 7, 7);
    PaintSceneEmit(scene, moon, {0.98f, 0.97f, 0.88f});
    PaintSceneGlow(scene, x + w * 0.72f, y + h * 0.22f, 30, 30, {0.6f, 0.7f, 1.0f}, 0.3f);
  }
  // Roofs of the town far off along the bottom of the view.
  PaintPath roofs;
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 6)) + 5);
  PaintPathMove(roofs, x, y + h);
  for (float rx = x; rx < x + w; rx += PaintRandomRange(random, 14, 30)) {
    const float top = y + h * PaintRandomRange(random, 0.74f, 0.88f);
    PaintPathLine(roofs, rx, top);
    PaintPathLine(roofs, rx + 12, top);
  }
  PaintPathLine(roofs, x + w, y + h * 0.85f);
  PaintPathLine(roofs, x + w, y + h);
  PaintPathClose(roofs);
  PaintFillPath(*scene.canvas, roofs,
                PaintSolid(PaintMix(PaintSceneLit(scene, {0.45f, 0.52f, 0.6f}),
                                    PaintSkyAt(scene, 1), 0.35f)));
  scene.indoor = indoor;
  // Frame, mullions and sill.
  PaintPath wood;
  PaintPathRect(wood, x - 8, y - 8, x + w + 8, y);
  PaintPathRect(wood, x - 8, y + h, x + w + 8, y + h + 8);
  PaintPathRect(wood, x - 8, y, x, y + h);
  PaintPathRect(wood, x + w, y, x + w + 8, y + h);
  for (int i = 1; i < panes; i++) {
    const float mx = x + w * i / panes;
    PaintPathRect(wood, mx - 3, y, mx + 3, y + h);
  }
  PaintPathRect(wood, x, y + h * 0.48f - 2, x + w, y + h * 0.48f + 2);
  PaintSceneFill(scene, wood, frame);
  PaintSceneRect(scene, x - 14, y + h + 8, x + w + 14, y + h + 16, PaintScale(frame, 0.85f));
  PaintSceneRect(scene, x - 14, y + h + 16, x + w + 14, y + h + 20, {0.2f, 0.16f, 0.14f}, 0.25f);
  // The light that comes in.
  if (scene.mood == PaintMood::Day) {
    PaintSceneGlow(scene, x + w / 2, y + h / 2, w * 1.2f, h * 1.2f, {1.0f, 1.0f, 0.95f}, 0.12f);
  } else if (scene.mood == PaintMood::Evening) {
    PaintSceneGlow(scene, x + w / 2, y + h * 0.6f, w * 1.6f, h * 1.4f, {1.0f, 0.62f, 0.3f}, 0.22f);
  } else if (scene.mood == PaintMood::Midnight) {
    PaintSceneGlow(scene, x + w / 2, y + h * 0.8f, w * 1.3f, h * 1.3f, {0.45f, 0.55f, 0.9f}, 0.18f);
  }
  return true;
}

// curtain x:n y:n w:n h:n colour:c   (gathered, hanging from y)
bool PaintCmdCurtain(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb colour = PaintCol(c, 4);
  PaintPath cloth;
  PaintPathMove(cloth, x, y);
  PaintPathLine(cloth, x + w, y);
  PaintPathLine(cloth, x + w, y + h);
  const int folds = std::max(2, static_cast<int>(w / 14));
  for (int i = folds; i > 0; i--) {
    const float fx = x + w * (i - 0.5f) / folds;
    PaintPathQuad(cloth, {fx, y + h + 6}, {x + w * (i - 1.0f) / folds, y + h});
  }
  PaintPathClose(cloth);
  PaintSceneFill(scene, cloth, colour);
  PaintPath shadows;
  for (int i = 0; i < folds; i++) {
    const float fx = x + w * (i + 0.7f) / folds;
    const PaintPoint fold[] = {{fx, y}, {fx, y + h}};
    PaintPathTaper(shadows, fold, w / folds * 0.25f, w / folds * 0.45f);
  }
  PaintSceneFill(scene, shadows, PaintScale(colour, 0.72f), 0.8f);
  PaintSceneRect(scene, x - 6, y - 6, x + w + 6, y + 2, {0.55f, 0.5f, 0.46f});
  return true;
}

// shelf x:n y:n w:n h:n colour:c rows:n seed:n   (a bookcase; x, y its top left)
bool PaintCmdShelf(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb wood = PaintCol(c, 4);
  const int rows = std::max(1, static_cast<int>(PaintNum(c, 5)));
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 6)) + 13);
  PaintSceneRect(scene, x, y, x + w, y + h, wood);
  PaintSceneRect(scene, x + 6, y + 6, x + w - 6, y + h - 6, PaintScale(wood, 0.45f));
  constexpr PaintRgb kBooks[] = {{0.72f, 0.24f, 0.22f}, {0.24f, 0.36f, 0.6f},  {0.3f, 0.52f, 0.36f},
                                 {0.86f, 0.78f, 0.6f},  {0.56f, 0.36f, 0.22f}, {0.5f, 0.3f, 0.5f},
                                 {0.9f, 0.62f, 0.3f},   {0.2f, 0.22f, 0.26f}};
  const float rh = (h - 12) / rows;
  for (int r = 0; r < rows; r++) {
    const float base = y + 6 + rh * (r + 1) - 4;
    float bx = x + 8;
    while (bx < x + w - 16) {
      const float bw = PaintRandomRange(random, 5, 12);
      const float bh = rh * PaintRandomRange(random, 0.6f, 0.86f);
      if (PaintRandomUnit(random) < 0.1f) {  // a gap
        bx += bw * 2;
        continue;
      }
      const PaintRgb colour = kBooks[static_cast<int>(PaintRandomUnit(random) * 8) % 8];
      PaintPath book;
      PaintPathRect(book, bx, base - bh, bx + bw, base, 1);
      PaintSceneFillV(scene, book, PaintScale(colour, 1.1f), PaintScale(colour, 0.8f), base - bh,
                      base);
      PaintSceneRect(scene, bx + 1, base - bh * 0.75f, bx + bw - 1, base - bh * 0.7f,
                     {0.95f, 0.85f, 0.55f}, 0.6f);
      bx += bw + 0.8f;
    }
    PaintSceneRect(scene, x + 4, base, x + w - 4, base + 4, PaintScale(wood, 1.1f));
  }
  return true;
}

// desk x:n y:n w:n h:n colour:c   (x, y the top left of the top, h down to the floor)
bool PaintCmdDesk(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb wood = PaintCol(c, 4);
  PaintPath legs;
  PaintPathRect(legs, x + 4, y, x + 8, y + h);
  PaintPathRect(legs, x + w - 8, y, x + w - 4, y + h);
  PaintSceneFill(scene, legs, {0.45f, 0.46f, 0.5f});
  PaintSceneRect(scene, x + 8, y + 8, x + w - 8, y + h * 0.3f, {0.5f, 0.52f, 0.56f});
  PaintPath top;
  const PaintPoint slab[] = {{x + 6, y - 10}, {x + w - 6, y - 10}, {x + w, y}, {x, y}};
  PaintPathPolygon(top, slab);
  PaintSceneFill(scene, top, PaintScale(wood, 1.1f));
  PaintSceneRect(scene, x, y, x + w, y + 6, PaintScale(wood, 0.8f));
  return true;
}

// chair x:n y:n size:n colour:c   (x left, y the floor)
bool PaintCmdChair(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), s = PaintNum(c, 2);
  const PaintRgb wood = PaintCol(c, 3);
  PaintPath frame;
  PaintPathRect(frame, x + s * 0.05f, y - s * 0.5f, x + s * 0.12f, y);
  PaintPathRect(frame, x + s * 0.88f, y - s * 0.5f, x + s * 0.95f, y);
  PaintPathRect(frame, x + s * 0.1f, y - s * 1.1f, x + s * 0.17f, y - s * 0.5f);
  PaintPathRect(frame, x + s * 0.83f, y - s * 1.1f, x + s * 0.9f, y - s * 0.5f);
  PaintSceneFill(scene, frame, {0.45f, 0.46f, 0.5f});
  PaintPath wood2;
  PaintPathRect(wood2, x + s * 0.08f, y - s * 1.1f, x + s * 0.92f, y - s * 0.82f, 3);
  PaintPathRect(wood2, x, y - s * 0.56f, x + s, y - s * 0.46f, 2);
  PaintSceneFill(scene, wood2, wood);
  return true;
}

// bed x:n y:n w:n h:n colour:c blanket:c   (x, y the top left of the mattress, h to the floor)
bool PaintCmdBed(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb sheet = PaintCol(c, 4), blanket = PaintCol(c, 5);
  const PaintRgb wood = {0.62f, 0.44f, 0.28f};
  PaintSceneRect(scene, x - 6, y - h * 0.9f, x + 6, y + h, PaintScale(wood, 0.9f));
  PaintSceneRect(scene, x, y + h * 0.45f, x + w, y + h, wood);
  PaintPath mattress;
  PaintPathRect(mattress, x, y, x + w, y + h * 0.5f, 6);
  PaintSceneFillV(scene, mattress, sheet, PaintScale(sheet, 0.85f), y, y + h * 0.5f);
  PaintPath pillow;
  PaintPathRect(pillow, x + 6, y - h * 0.22f, x + w * 0.26f, y + h * 0.06f, 10);
  PaintSceneFillV(scene, pillow, {1, 1, 1}, PaintScale(sheet, 0.85f), y - h * 0.22f, y + h * 0.06f);
  PaintPath cover;
  PaintPathMove(cover, x + w * 0.32f, y - h * 0.06f);
  PaintPathQuad(cover, {x + w * 0.6f, y - h * 0.14f}, {x + w + 4, y - h * 0.04f});
  PaintPathLine(cover, x + w + 4, y + h * 0.62f);
  PaintPathLine(cover, x + w * 0.3f, y + h * 0.62f);
  PaintPathClose(cover);
  PaintSceneFillV(scene, cover, PaintScale(blanket, 1.1f), PaintScale(blanket, 0.75f), y - h * 0.1f,
                  y + h * 0.6f);
  PaintPath fold;
  PaintPathRect(fold, x + w * 0.3f, y - h * 0.08f, x + w * 0.38f, y + h * 0.62f, 3);
  PaintSceneFill(scene, fold, PaintScale(blanket, 1.25f));
  return true;
}

// board x:n y:n w:n h:n seed:n   (a blackboard with chalk marks)
bool PaintCmdBoard(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  PaintSceneRect(scene, x - 8, y - 8, x + w + 8, y + h + 8, {0.56f, 0.4f, 0.24f});
  PaintPath board;
  PaintPathRect(board, x, y, x + w, y + h);
  PaintSceneFillV(scene, board, {0.18f, 0.34f, 0.26f}, {0.14f, 0.28f, 0.22f}, y, y + h);
  PaintRandom random = PaintRandomMake(static_cast<uint64_t>(PaintNum(c, 4)) + 29);
  PaintPath chalk;
  for (int line = 0; line < 4; line++) {
    float cx = x + 24 + PaintRandomRange(random, 0, 30);
    const float cy = y + 22 + line * h * 0.2f;
    const float end = x + w * PaintRandomRange(random, 0.4f, 0.85f);
    while (cx < end) {
      const float gw = PaintRandomRange(random, 6, 12);
      const PaintPoint glyph[] = {{cx, cy + PaintRandomRange(random, -3, 3)},
                                  {cx + gw * 0.5f, cy - 5},
                                  {cx + gw, cy + PaintRandomRange(random, -3, 4)}};
      PaintPathStroke(chalk, glyph, 1.3f);
      cx += gw + PaintRandomRange(random, 3, 8);
    }
  }
  PaintSceneFill(scene, chalk, {0.92f, 0.94f, 0.9f}, 0.75f);
  PaintSceneRect(scene, x - 4, y + h + 2, x + w + 4, y + h + 12, {0.62f, 0.46f, 0.3f});
  PaintSceneRect(scene, x + w * 0.7f, y + h - 2, x + w * 0.7f + 26, y + h + 4, {0.3f, 0.3f, 0.45f});
  return true;
}

// door x:n y:n w:n h:n colour:c glass:n   (x, y the top left)
bool PaintCmdDoor(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb wood = PaintCol(c, 4);
  PaintSceneRect(scene, x - 6, y - 6, x + w + 6, y + h, PaintScale(wood, 0.75f));
  PaintPath door;
  PaintPathRect(door, x, y, x + w, y + h);
  PaintSceneFillV(scene, door, wood, PaintScale(wood, 0.85f), y, y + h);
  if (PaintNum(c, 5) != 0) {
    PaintSceneRect(scene, x + w * 0.15f, y + h * 0.08f, x + w * 0.85f, y + h * 0.4f,
                   {0.7f, 0.8f, 0.86f});
  } else {
    PaintSceneRect(scene, x + w * 0.15f, y + h * 0.08f, x + w * 0.85f, y + h * 0.4f,
                   PaintScale(wood, 0.9f));
  }
  PaintSceneRect(scene, x + w * 0.15f, y + h * 0.5f, x + w * 0.85f, y + h * 0.9f,
                 PaintScale(wood, 0.9f));
  PaintPath knob;
  PaintPathEllipse(knob, x + w * 0.84f, y + h * 0.47f, 4, 4);
  PaintSceneFill(scene, knob, {0.85f, 0.75f, 0.4f});
  return true;
}

// ceilinglight x:n y:n w:n on:n   (a fluorescent fitting centred at x; on 1: never off)
bool PaintCmdCeilingLight(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2);
  PaintSceneRect(scene, x - w / 2, y, x + w / 2, y + 6, {0.86f, 0.86f, 0.84f});
  PaintPath tube;
  PaintPathRect(tube, x - w / 2 + 4, y + 6, x + w / 2 - 4, y + 11, 2);
  if (RoomLightsOn(scene) || PaintNum(c, 3) != 0) {
    PaintSceneEmit(scene, tube, {1.0f, 1.0f, 0.96f});
    PaintSceneGlow(scene, x, y + 10, w * 1.1f, 60, {1.0f, 0.97f, 0.88f}, 0.35f);
  } else {
    PaintSceneFill(scene, tube, {0.95f, 0.95f, 0.95f});
  }
  return true;
}

// pendant x:n y:n size:n colour:c drop:n   (a hanging lamp; y the ceiling)
bool PaintCmdPendant(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), s = PaintNum(c, 2), drop = PaintNum(c, 4);
  PaintSceneRect(scene, x - 0.8f, y, x + 0.8f, y + drop, {0.15f, 0.15f, 0.15f});
  PaintPath shade;
  PaintPathMove(shade, x - s * 0.2f, y + drop);
  PaintPathLine(shade, x + s * 0.2f, y + drop);
  PaintPathQuad(shade, {x + s * 0.5f, y + drop + s * 0.2f}, {x + s * 0.6f, y + drop + s * 0.55f});
  PaintPathLine(shade, x - s * 0.6f, y + drop + s * 0.55f);
  PaintPathQuad(shade, {x - s * 0.5f, y + drop + s * 0.2f}, {x - s * 0.2f, y + drop});
  PaintPathClose(shade);
  const bool on = RoomLightsOn(scene);
  if (on) {
    PaintFillPath(*scene.canvas, shade,
                  PaintLinear({0, y + drop}, PaintScale(PaintCol(c, 3), 0.9f),
                              {0, y + drop + s * 0.55f}, {1.0f, 0.92f, 0.7f}));
    PaintSceneGlow(scene, x, y + drop + s * 0.6f, s * 3, s * 2.4f, kWarmLight, 0.45f);
  } else {
    PaintSceneFillV(scene, shade, PaintCol(c, 3), PaintScale(PaintCol(c, 3), 0.7f), y + drop,
                    y + drop + s * 0.55f);
  }
  return true;
}

// plant x:n y:n size:n pot:c   (x the middle, y the floor)
bool PaintCmdPlant(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), s = PaintNum(c, 2);
  PaintPath leaves;
  for (int i = 0; i < 9; i++) {
    const float a = -kPi / 2 + (i - 4) * 0.3f;
    const float len = s * (0.55f + 0.2f * std::cos(i * 1.7f));
    PaintPathEllipse(leaves, x + std::cos(a) * len * 0.5f, y - s * 0.4f + std::sin(a) * len * 0.5f,
                     len * 0.5f, s * 0.09f, a);
  }
  PaintSceneFillV(scene, leaves, {0.45f, 0.7f, 0.38f}, {0.22f, 0.44f, 0.22f}, y - s, y - s * 0.4f);
  PaintPath pot;
  const PaintPoint p[] = {{x - s * 0.22f, y - s * 0.42f},
                          {x + s * 0.22f, y - s * 0.42f},
                          {x + s * 0.16f, y},
                          {x - s * 0.16f, y}};
  PaintPathPolygon(pot, p);
  PaintSceneFillV(scene, pot, PaintCol(c, 3), PaintScale(PaintCol(c, 3), 0.7f), y - s * 0.42f, y);
  return true;
}

// frame x:n y:n w:n h:n colour:c seed:n   (a small landscape in a frame)
bool PaintCmdFrame(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  PaintSceneRect(scene, x - 5, y - 5, x + w + 5, y + h + 5, PaintCol(c, 4));
  PaintPath view;
  PaintPathRect(view, x, y, x + w, y + h);
  PaintSceneFillV(scene, view, {0.6f, 0.78f, 0.92f}, {0.95f, 0.9f, 0.8f}, y, y + h * 0.7f);
  PaintPath hill;
  PaintPathMove(hill, x, y + h);
  PaintPathQuad(hill, {x + w * 0.35f, y + h * 0.3f}, {x + w, y + h * 0.7f});
  PaintPathLine(hill, x + w, y + h);
  PaintPathClose(hill);
  PaintSceneFill(scene, hill, {0.42f, 0.62f, 0.4f});
  return true;
}

// counter x:n y:n w:n h:n colour:c top:c   (x, y the top left of the top)
bool PaintCmdCounter(PaintSceneState& scene, const PaintCommand& c, std::string&) {
  const float x = PaintNum(c, 0), y = PaintNum(c, 1), w = PaintNum(c, 2), h = PaintNum(c, 3);
  const PaintRgb wood = PaintCol(c, 4);
  PaintPath front;
  PaintPathRect(front, x, y, x + w, y + h);
  PaintSceneFillV(scene, front, wood, PaintScale(wood, 0.72f), y, y + h);
  PaintPath planks;
  for (float px = x + 20; px < x + w; px += 26) PaintPathRect(planks, px, y + 10, px + 1.5f, y + h);
  PaintSceneFill(scene, planks, PaintScale(wood, 0.6f), 0.7f);
  PaintPath top;
  const PaintPoint slab[] = {
      {x - 6, y - 14}, {x + w + 6, y - 14}, {x + w + 10, y + 2}, {x - 10, y + 2}};
  PaintPathPolygon(top, slab);
  PaintSceneFillV(scene, top, PaintCol(c, 5), PaintScale(PaintCol(c, 5), 0.85f), y - 14, y + 2);
  PaintSceneRect(scene, x - 10, y + 2, x + w + 10, y + 8, PaintScale(PaintCol(c, 5), 0.7f));
  return true;
}
