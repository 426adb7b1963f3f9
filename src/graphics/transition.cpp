// Screen transitions: the picture on screen closes to black along a spiral of tiles, dissolves,
// shrinks into diamonds, is pushed off an edge, melts, is covered by a curtain, zooms away or
// fades, each paced by the clock; then the scene counts as gone.
#include "graphics/transition.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/input.h"
#include "app/settings.h"
#include "graphics/effect_frame.h"
#include "graphics/effect_passes.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/weather.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/background.h"
#include "screens/main_flow.h"

namespace {

// [SECTION] Tables

struct TilePos {
  int8_t col, row;
};
// The waypoints of the closing spiral on the tile grid: clockwise inwards from the top left.
constexpr TilePos HideSpiralPath[60] = {
    {0, 0},   {39, 0},  {39, 29}, {0, 29},  {0, 1},   {38, 1},  {38, 28}, {1, 28},  {1, 2},
    {37, 2},  {37, 27}, {2, 27},  {2, 3},   {36, 3},  {36, 26}, {3, 26},  {3, 4},   {35, 4},
    {35, 25}, {4, 25},  {4, 5},   {34, 5},  {34, 24}, {5, 24},  {5, 6},   {33, 6},  {33, 23},
    {6, 23},  {6, 7},   {32, 7},  {32, 22}, {7, 22},  {7, 8},   {31, 8},  {31, 21}, {8, 21},
    {8, 9},   {30, 9},  {30, 20}, {9, 20},  {9, 10},  {29, 10}, {29, 19}, {10, 19}, {10, 11},
    {28, 11}, {28, 18}, {11, 18}, {11, 12}, {27, 12}, {27, 17}, {12, 17}, {12, 13}, {26, 13},
    {26, 16}, {13, 16}, {13, 14}, {25, 14}, {25, 15}, {13, 15}};

constexpr uint8_t kBlack = kColourBlack;
constexpr uint8_t kCurtainColour = kPalWeatherFirst;  // entry 220, made red for the curtain
constexpr int kCurtainPoints = 17;
constexpr uint8_t kRedBackground = 253;

// [SECTION] Drawing black

// The rectangle with inclusive corners in black, clipped to the frame.
void BlackRect(const Effect& e, int x0, int y0, int x1, int y1) {
  x0 = std::max(x0, 0), y0 = std::max(y0, 0);
  x1 = std::min(x1, kFrameWidth - 1), y1 = std::min(y1, kFrameHeight - 1);
  if (x1 < x0) return;
  for (int y = y0; y <= y1; y++) BlackRow(e, y, x0, x1 - x0 + 1);
}

// Tile (col, row) in black, widening DirtyRect by it.
void BlackTile(const Effect& e, int col, int row) {
  const int x = col * kTileSize, y = row * kTileSize;
  for (int i = 0; i < kTileSize; i++) BlackRow(e, y + i, x, kTileSize);
  RectExtend(DirtyRect, x, y, x + kTileSize, y + kTileSize);
}

// Both frames cleared, the screen shown at once.
void ClearBoth() {
  FrameClearAndShow(ScreenFrame);
  FrameClear(BackFrame);
}

// [SECTION] Tiles

// Tile by tile along the spiral, 8 tiles a repaint (t = 1).
void HideSpiral() {
  const Effect e = EffectBegin();
  DirtyRect = kEmptyRect;
  uint32_t last = PlatTicks();
  int col = HideSpiralPath[0].col, row = HideSpiralPath[0].row, count = 0;
  for (int w = 1; w < 60; w++) {
    const TilePos target = HideSpiralPath[w];
    while (col != target.col || row != target.row) {
      BlackTile(e, col, row);
      if (++count % 8 == 0) {
        RepaintDirty(e);
        WaitSince(last, 2);
        last = PlatTicks();
      }
      col += (target.col > col) - (target.col < col);
      row += (target.row > row) - (target.row < row);
    }
  }
  RepaintWhole(e);
  EffectEnd(e);
}

// The 1200 tiles in random order, 32 tiles a repaint (t = 2).
void HideRandomTiles() {
  bool black[kTileCount] = {};
  const Effect e = EffectBegin();
  DirtyRect = kEmptyRect;
  Random(1);
  uint32_t last = PlatTicks();
  for (int count = 0; count < kTileCount; count++) {
    Random(2);
    const int col = Random(2) * kTileCols / 256;
    const int row = Random(2) * kTileRows / 256;
    int tile = row * kTileCols + col;
    while (black[tile]) tile = (tile + 1) % kTileCount;
    black[tile] = true;
    BlackTile(e, tile % kTileCols, tile / kTileCols);
    if (count % 32 == 0) {
      RepaintDirty(e);
      WaitSince(last, 1);
      last = PlatTicks();
    }
  }
  RepaintWhole(e);
  EffectEnd(e);
}

// [SECTION] Scattered pixels

// The ring abs(dx) + abs(dy) = r of the 32 x 32 cell (i, j); nothing outside 0..32.
void BlackDiamondRing(const Effect& e, int i, int j, int r) {
  if (r < 0 || r > 32) return;
  const int cx = 32 * i + 16, cy = 32 * j + 16;
  for (int dx = -16; dx <= 15; dx++) {
    const int ady = r - std::abs(dx);
    if (ady < 0 || ady > 16) continue;
    if (ady <= 15) BlackPixel(e, cx + dx, cy + ady);
    if (ady != 0) BlackPixel(e, cx + dx, cy - ady);
  }
}

// Growing black diamonds in every cell; `sweep` starts each cell column one step later
// (t = 3, 4). A deep display shows every other step.
void HideDiamonds(bool sweep) {
  const bool deep = DeepDisplay();
  const Effect e = EffectBegin();
  const int steps = sweep ? 52 : 33;
  uint32_t start = PlatTicks();
  for (int k = 0; k < steps; k++) {
    if (!deep) start = PlatTicks();
    for (int i = 0; i < 20; i++) {
      for (int j = 0; j < 15; j++) BlackDiamondRing(e, i, j, sweep ? k - i : k);
    }
    // The plain diamonds show on even steps, the sweep on odd ones.
    if (deep && k % 2 == (sweep ? 0 : 1)) continue;
    RepaintWhole(e);
    WaitSince(start, 3);
    start = PlatTicks();
  }
  EffectEnd(e);
}

// Whole columns blacked in a comb, then both frames cleared (t = 7).
void HideColumnComb() {
  const Effect e = EffectBegin();
  ColumnComb(e, PixelOp::Black);
  ClearBoth();
  EffectEnd(e);
}

// A soft black edge sweeping from left to right (t = 8).
void HideDitherSweep() {
  const Effect e = EffectBegin();
  DitherSweep(e, PixelOp::Black);
  EffectEnd(e);
}

// Blinds of black columns (t = 10).
void HideColumnBlinds() {
  PalShow();
  const Effect e = EffectBegin();
  ColumnBlinds(e, PixelOp::Black);
  EffectEnd(e);
}

// Rows blacked at random in every band (t = 18).
void HideRandomLines() {
  const Effect e = EffectBegin();
  RandomLines(e, PixelOp::Black);
  EffectEnd(e);
}

// [SECTION] Timed shapes

// The picture squeezed vertically into the centre line over 300 ms, without pumping (t = 9).
void HideStretchClose() {
  PalShow();
  const Effect e = EffectBegin();
  StretchFrames(e, 300, true);
  EffectEnd(e);
}

// A circle around the centre closes over 700 ms, everything outside it black; without pumping
// (t = 13). Each pass walks the quarter circle in half degrees and blacks the band between two
// rows left and right of the circle.
void HideIris() {
  constexpr uint32_t kIrisMs = 700;
  const Effect e = EffectBegin();
  RectSet(DirtyRect, 0, 0, kFrameWidth - 1, kFrameHeight - 1);
  const uint32_t start = PlatTicks();
  int previous = 384;
  for (uint32_t t = 0; t < kIrisMs; t = ElapsedSince(start)) {
    const int radius = 384 - static_cast<int>(t * 384 / kIrisMs);
    if (radius == previous) {
      PlatIdle();
      continue;
    }
    previous = radius;
    const int y0 = CosHalfDeg(0) * radius >> 15;
    int xp = 0, yp = std::min(y0, 240);
    bool first = true;
    for (int a = 1; a <= 180; a++) {
      const int ya = std::min(CosHalfDeg(static_cast<uint16_t>(a)) * radius >> 15, 240);
      const int xa = std::min(SinHalfDeg(static_cast<uint16_t>(a)) * radius >> 15, 320);
      if (ya == yp) xp = xa;
      // Rows of the same width are gathered into one band.
      if (ya >= yp || xp == 0 || yp == 0 || (xa <= xp && a != 180)) continue;
      if (first) {
        if (yp <= 239) {
          BlackRect(e, 0, 0, 639, 240 - yp);
          BlackRect(e, 0, yp + 239, 639, 479);
        }
        first = false;
      }
      if (xp <= 320) {
        BlackRect(e, 0, 240 - yp, 320 - xp, 240 - ya);
        BlackRect(e, 0, ya + 239, 320 - xp, yp + 239);
        BlackRect(e, xp + 319, 240 - yp, 639, 240 - ya);
        BlackRect(e, xp + 319, ya + 240, 639, yp + 239);
      }
      xp = xa, yp = ya;
    }
    if (e.weather) {
      RepaintWhole(e);
    } else {
      DirtyRect =
          Rect{std::max(DirtyRect.x0, 0), std::max(DirtyRect.y0, 0),
               std::min(DirtyRect.x1, kFrameWidth - 1), std::min(DirtyRect.y1, kFrameHeight - 1)};
      ScreenUpdate(DirtyRect);
      RectSet(DirtyRect, 320 - y0, 240 - y0, 320 + y0, 240 + y0);
    }
  }
  ClearBoth();
  EffectEnd(e);
}

// The picture moves off edge d (0 up, 1 right, 2 down, 3 left) over speed x 500 ms while black
// comes in behind it (t = 14..17).
void HideSlideOut(int d, uint32_t speed) {
  PalShow();
  const Effect e = EffectBegin();
  const uint32_t duration = speed * 500;
  const uint32_t start = PlatTicks();
  int last = 0;
  for (uint32_t t = ElapsedSince(start); t < duration; t = ElapsedSince(start)) {
    const int n = static_cast<int>(480 * t / duration);
    const int w = static_cast<int>(640 * t / duration) / 4 * 4;
    const int amount = d % 2 == 0 ? n : w;
    if (amount > 0 && amount != last) {
      last = amount;
      for (int y = 0; y < kFrameHeight; y++) {
        uint8_t* to = e.screen + FramePixelOffset(0, y);
        const int from = d == 0 ? y + n : d == 2 ? y - n : y;
        if (from < 0 || from >= kFrameHeight) {
          std::memset(to, kBlack, kFrameWidth);
          continue;
        }
        const uint8_t* row = e.back + FramePixelOffset(0, from);
        if (d == 1) {
          std::memset(to, kBlack, static_cast<size_t>(w));
          std::memcpy(to + w, row, static_cast<size_t>(kFrameWidth - w));
        } else if (d == 3) {
          std::memcpy(to, row + w, static_cast<size_t>(kFrameWidth - w));
          std::memset(to + kFrameWidth - w, kBlack, static_cast<size_t>(w));
        } else {
          std::memcpy(to, row, kFrameWidth);
        }
      }
      // Each rebuild rewrites the whole frame, so the overlay is put on and never taken off.
      if (e.weather) WeatherOverlayOn(e.weatherMode);
      ScreenUpdate();
    }
    PumpMessages();
  }
  ClearBoth();
  PlatDrawMenuBar();
  EffectEnd(e);
}

// Columns fall at growing random speeds, the picture sliding down in each (t = 19). No weather
// handling: the busy flag only.
void HideMelt() {
  constexpr int kGroups = 8, kGroupColumns = 80;
  int depth[kFrameWidth], speed[kFrameWidth];
  std::fill(std::begin(depth), std::end(depth), 0);
  std::fill(std::begin(speed), std::end(speed), 1);
  ScreenBusy = 1;
  uint8_t* screen = MemLock(ScreenFrame);
  for (bool moved = true; moved;) {
    const uint32_t start = PlatTicks();
    bool movedNow[kFrameWidth] = {};
    moved = false;
    Random(1);
    for (int g = 0; g < kGroups; g++) {
      for (int pick = 0; pick < 40; pick++) {
        int c = Random(2) * kGroupColumns / 256;
        int tries = 0;
        while (tries < kGroupColumns) {
          const int x = g * kGroupColumns + c;
          if (!movedNow[x] && depth[x] < kFrameHeight) break;
          c = (c + 7) % kGroupColumns;
          tries++;
        }
        if (tries == kGroupColumns) continue;
        const int x = g * kGroupColumns + c;
        const int s = speed[x], old = depth[x];
        depth[x] += s;
        speed[x] += Random(2) * 4 / 256;
        movedNow[x] = moved = true;
        if (depth[x] < kFrameHeight) {
          for (int y = kFrameHeight - 1; y >= depth[x]; y--) {
            screen[FramePixelOffset(x, y)] = screen[FramePixelOffset(x, y - s)];
          }
          for (int y = old; y < depth[x]; y++) screen[FramePixelOffset(x, y)] = kBlack;
        } else {
          for (int y = std::max(kFrameHeight - s, 0); y < kFrameHeight; y++) {
            screen[FramePixelOffset(x, y)] = kBlack;
          }
        }
      }
    }
    ScreenUpdate();
    WaitSince(start, 2);
  }
  MemUnlock(ScreenFrame);
  FrameClear(BackFrame);
  ScreenBusy = 0;
}

// [SECTION] Curtains

// The 17 control points of a curtain's lower edge, each with its depth and speed.
struct Curtain {
  int16_t position[kCurtainPoints];
  int16_t speed[kCurtainPoints];
  Curtain() {
    std::fill(std::begin(position), std::end(position), int16_t{0});
    std::fill(std::begin(speed), std::end(speed), int16_t{1});
  }
};

// One frame of a curtain: `raises` random points speed up, every point moves on. Fills the
// edge row of each column, and answers the highest point before the move (from `top`) and the
// lowest after it.
void CurtainMove(Curtain& c, int raises, int& top, int& bottom, int edge[kFrameWidth]) {
  Random(1);
  for (int i = 0; i < raises; i++) c.speed[Random(2) * kCurtainPoints / 256]++;
  bottom = 0;
  for (int i = 0; i < kCurtainPoints; i++) {
    top = std::min<int>(top, c.position[i]);
    c.position[i] = static_cast<int16_t>(c.position[i] + c.speed[i]);
    bottom = std::max<int>(bottom, c.position[i]);
  }
  int p[2 * kCurtainPoints - 1];
  for (int i = 0; i < kCurtainPoints; i++) {
    p[2 * i] = c.position[i];
    if (i + 1 < kCurtainPoints) p[2 * i + 1] = (c.position[i] + c.position[i + 1]) / 2;
  }
  // A chain of quarter-sine arcs, 20 columns between two points.
  for (int s = 0; s < 2 * kCurtainPoints - 2; s++) {
    for (int k = 0; k < 20; k++) {
      edge[20 * s + k] = s % 2 == 0 ? p[s + 1] + ((p[s] - p[s + 1]) * EaseTable[19 - k] >> 16)
                                    : p[s] + ((p[s + 1] - p[s]) * EaseTable[k] >> 16);
    }
  }
}

// The red curtain comes down over the picture, painted in entry 220 made red. Answers the
// effect frame still open.
Effect RedCurtain() {
  PalSetEntry(kCurtainColour, 255, 0, 0);
  PalShow();
  const Effect e = EffectBegin();
  Curtain curtain;
  int edge[kFrameWidth];
  for (bool done = false; !done;) {
    const uint32_t start = PlatTicks();
    int top = kFrameHeight, bottom = 0;
    CurtainMove(curtain, 4, top, bottom, edge);
    done = true;
    for (int x = 0; x < kFrameWidth; x++) {
      const int y = std::min(edge[x], kFrameHeight - 1);
      done = done && edge[x] >= kFrameHeight;
      for (int row = top; row <= y; row++) e.screen[FramePixelOffset(x, row)] = kCurtainColour;
    }
    RectSet(DirtyRect, 0, top, kFrameWidth - 1, std::min(bottom, kFrameHeight - 1));
    RepaintDirty(e);
    WaitSince(start, 2);
  }
  return e;
}

// A black curtain pushing the picture down ahead of its edge (t = 21). No weather handling:
// the busy flag only.
void HideCurtainPush() {
  ScreenBusy = 1;
  uint8_t* screen = MemLock(ScreenFrame);
  const uint8_t* back = MemLock(BackFrame);
  Curtain curtain;
  int edge[kFrameWidth];
  for (bool done = false; !done;) {
    const uint32_t start = PlatTicks();
    int top = kFrameHeight - 1, bottom = 0;
    CurtainMove(curtain, 16, top, bottom, edge);
    done = true;
    for (int x = 0; x < kFrameWidth; x++) {
      const int y = edge[x];
      done = done && y >= kFrameHeight;
      for (int row = top; row < kFrameHeight; row++) {
        screen[FramePixelOffset(x, row)] =
            row <= y ? kBlack : back[FramePixelOffset(x, row - y - 1)];
      }
    }
    RectSet(DirtyRect, 0, top, kFrameWidth - 1, kFrameHeight - 1);
    ScreenUpdate(DirtyRect);
    WaitSince(start, 2);
  }
  MemUnlock(BackFrame);
  MemUnlock(ScreenFrame);
  ClearBoth();
  ScreenBusy = 0;
}

// [SECTION] Zoom and fade

// The reverse of the zoom show: the picture grows out of the window from its centre while its
// colours fall to black over 1200 ms, drawn straight into the window (t = 30).
void HideZoom() {
  const Effect e = EffectBegin();
  ZoomFrames(e, true, true);
  ClearBoth();
  PlatDrawMenuBar();
  EffectEnd(e);
}

// Fades the picture out over n x 800 ms (from its dimmed colours when it is not shown in full)
// and clears both frames.
void HideFade(uint16_t n) {
  if (PaletteState == PalStateNormal) {
    PalFadeOut(n);
  } else {
    PalFadeOutDimmed(n);
  }
  ClearBoth();
}

// The cut: both frames black at once, without weather handling (t = 11).
void HideCut() {
  ClearBoth();
}

}  // namespace

// Takes the scene off the screen with transition t.
void ScreenHide(int16_t t) {
  if ((SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1)) && PlayMode != PlayModeEnding)
    t = 11;
  if (SpecLow == 1) t = 0;
  bool emptySlots = true;
  switch (t) {
    case 1:
      HideSpiral();
      FrameClear(BackFrame);
      break;
    case 2:
      HideRandomTiles();
      FrameClear(BackFrame);
      break;
    case 3:
    case 4:
      HideDiamonds(t == 4);
      FrameClear(BackFrame);
      break;
    case 5:
      FrameClear(BackFrame);
      ShowDither();
      break;
    case 6:
      FrameClear(BackFrame);
      ShowComb();
      break;
    case 7:
      HideColumnComb();
      break;
    case 8:
      HideDitherSweep();
      FrameClear(BackFrame);
      break;
    case 9:
      HideStretchClose();
      break;
    case 10:
      HideColumnBlinds();
      FrameClear(BackFrame);
      break;
    case 11:
      HideCut();
      break;
    case 13:
      HideIris();
      break;
    case 14:
    case 15:
    case 16:
    case 17:
      HideSlideOut(t - 14, 1);
      emptySlots = false;
      break;
    case 18:
      FrameClear(BackFrame);
      HideRandomLines();
      break;
    case 19:
      HideMelt();
      break;
    case 20:
      HideRedCurtain(0);
      break;
    case 21:
      HideCurtainPush();
      break;
    case 30:
      HideZoom();
      break;
    case 31:
      HideFade(4);
      break;
    case 32:
      PalSave();
      emptySlots = false;
      break;
    default:  // 0, 12, 22..29 and every number outside 0..32
      HideFade(1);
      break;
  }
  if (emptySlots) CharSlotsClear();
  BgShown = VCgShown = HCgShown = kNoPicture;
}

// The red curtain; with p = 1 it stays as a red scene.
void HideRedCurtain(uint8_t p) {
  const Effect e = RedCurtain();
  if (p == 1) {
    PalSetEntry(0, 255, 0, 0);
    PalShow();
    BgFill(0);
    FrameCopy(ScreenFrame, BackFrame);
    BgShown = kRedBackground;
    VCgShown = HCgShown = kNoPicture;
  } else {
    FrameClear(BackFrame);
    PalFadeOut(1);
    FrameClearAndShow(ScreenFrame);
  }
  EffectEnd(e);
  CharSlotsClear();
}
