// Show effects: the back frame copied onto the screen frame as cuts, line, tile, dither, slide
// and iris reveals, each paced by the clock and repainting only what a step changed.
#include "graphics/show.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/effect_frame.h"
#include "graphics/effect_passes.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/background.h"
#include "screens/main_flow.h"

// [SECTION] Sine functions

namespace {

// Entry k = the integer part of 32767 x sin(k/4 degrees), k = 0..360.
const uint16_t* SineTable() {
  static const auto table = [] {
    struct Table {
      uint16_t v[361];
    } t{};
    for (int k = 0; k <= 360; k++) {
      t.v[k] = static_cast<uint16_t>(32767.0 * std::sin(k * 3.14159265358979323846 / 720.0));
    }
    return t;
  }();
  return table.v;
}

// sin of an angle counted in 1/`quarter` of a right angle, from entry scale x folded angle.
int16_t SinFolded(uint32_t a, uint32_t quarter, int scale) {
  while (a > 4 * quarter) a -= 4 * quarter;
  if (a > 2 * quarter) return static_cast<int16_t>(-SinFolded(a - 2 * quarter, quarter, scale));
  if (a > quarter) a = 2 * quarter - a;
  return static_cast<int16_t>(SineTable()[a * scale]);
}

}  // namespace

// sin(a) for a in degrees, scaled by 32767.
int16_t SinDeg(uint16_t a) {
  return SinFolded(a, 90, 4);
}

// cos(a) for a in degrees, scaled by 32767.
int16_t CosDeg(uint16_t a) {
  return SinDeg(static_cast<uint16_t>(a + 90));
}

// sin(a / 2) for a in half degrees, scaled by 32767.
int16_t SinHalfDeg(uint16_t a) {
  return SinFolded(a, 180, 2);
}

// cos(a / 2) for a in half degrees, scaled by 32767.
int16_t CosHalfDeg(uint16_t a) {
  return SinHalfDeg(static_cast<uint16_t>(a + 180));
}

namespace {

// [SECTION] Tables

// Left edge of the 320-pixel strip s (entry s mod 3).
constexpr int16_t StripX[3] = {0, 320, 160};
constexpr int kStripWidth = 320;

struct TilePos {
  int8_t col, row;
};
// The waypoints of the spiral on the 40 x 30 grid of 16 x 16 tiles, walked backwards.
constexpr TilePos SpiralPath[60] = {
    {-1, 0},  {39, 0},  {39, 29}, {0, 29},  {0, 1},   {38, 1},  {38, 28}, {1, 28},  {1, 2},
    {37, 2},  {37, 27}, {2, 27},  {2, 3},   {36, 3},  {36, 26}, {3, 26},  {3, 4},   {35, 4},
    {35, 25}, {4, 25},  {4, 5},   {34, 5},  {34, 24}, {5, 24},  {5, 6},   {33, 6},  {33, 23},
    {6, 23},  {6, 7},   {32, 7},  {32, 22}, {7, 22},  {7, 8},   {31, 8},  {31, 21}, {8, 21},
    {8, 9},   {30, 9},  {30, 20}, {9, 20},  {9, 10},  {29, 10}, {29, 19}, {10, 19}, {10, 11},
    {28, 11}, {28, 18}, {11, 18}, {11, 12}, {27, 12}, {27, 17}, {12, 17}, {12, 13}, {26, 13},
    {26, 16}, {13, 16}, {13, 14}, {25, 14}, {25, 15}, {14, 15}};

// Whether the window operations take their instant form.
bool ShowInstant() {
  return SkipToChoice == 1 || SpecLow == 1 || (ReadTextFast == 1 && SkipAllowed == 1);
}

// Left edge of strip s.
int StripLeft(uint16_t strip) {
  return StripX[strip % 3];
}

// [SECTION] Effects

// Interlaced reveal of columns x0 .. x0 + width - 1: rows 2i and 479 - 2i at step i.
void Interlace(int x0, int width) {
  const Effect e = EffectBegin();
  for (int i = 0; i < 240; i++) {
    const uint32_t start = PlatTicks();
    for (const int y : {2 * i, kFrameHeight - 1 - 2 * i}) {
      CopyRow(e, y, x0, width);
      RectSet(DirtyRect, x0, y, x0 + width, y + 1);
      RepaintDirty(e);
    }
    WaitSince(start, 1);
  }
  EffectEnd(e);
}

// Comb reveal of columns x0 .. x0 + width - 1: step j copies rows 16j - 17m, m = 0..15.
void Comb(int x0, int width) {
  const Effect e = EffectBegin();
  for (int j = 0; j < 46; j++) {
    const uint32_t start = PlatTicks();
    DirtyRect = kEmptyRect;
    for (int m = 0; m < 16; m++) {
      const int y = 16 * j - 17 * m;
      if (y < 0 || y >= kFrameHeight) continue;
      CopyRow(e, y, x0, width);
      RectExtend(DirtyRect, x0, y, x0 + width, y + 1);
    }
    RepaintDirty(e);
    WaitSince(start, 2);
  }
  EffectEnd(e);
}

// Reads character (code & 0xFF00) ch's 48 colours for the current background; false without.
bool CharColoursRead(int32_t ch, PalEntry* out) {
  return ch >= 0 && CharPaletteRead(ch >> 8, out);
}

// The colour ranges of a dither dissolve that blend from the previous characters' colours.
struct CharBlend {
  bool blends[kCharRanges];
  PalEntry from[kCharRanges][kCharPaletteColours];
  PalEntry to[kCharRanges][kCharPaletteColours];
};

// Sets up the character colours before a dither dissolve; true when a range blends.
bool DitherCharColours(CharBlend& b) {
  bool any = false;
  for (int r = 0; r < kCharRanges; r++) {
    const int32_t c = RangeChar[r], p = RangePrevChar[r];
    const int first = r == kRangeA ? kPalCharacterAFirst : kPalCharacterBFirst;
    b.blends[r] = false;
    if (p == kRangeFree && c != kRangeFree) {
      PalEntry colours[kCharPaletteColours];
      if (CharColoursRead(c, colours)) {
        std::copy(colours, colours + kCharPaletteColours, ScenePalette + first);
      }
    } else if (p != kRangeFree && c != kRangeFree && c != p) {
      b.blends[r] = CharColoursRead(p, b.from[r]) && CharColoursRead(c, b.to[r]);
    }
    any = any || b.blends[r];
  }
  if (!any) {
    if (FilterMode != 0) ColourFilter(FilterMode, false);
    PalShow();
  }
  return any;
}

// Blends the character ranges to pass k of 15 and shows the colours.
void DitherCharStep(const CharBlend& b, int k) {
  for (int r = 0; r < kCharRanges; r++) {
    if (!b.blends[r]) continue;
    PalEntry* to = ScenePalette + (r == kRangeA ? kPalCharacterAFirst : kPalCharacterBFirst);
    for (int i = 0; i < kCharPaletteColours; i++) {
      const PalEntry& f = b.from[r][i];
      const PalEntry& t = b.to[r][i];
      to[i].red = static_cast<uint8_t>((f.red * (15 - k) + t.red * k) / 15);
      to[i].green = static_cast<uint8_t>((f.green * (15 - k) + t.green * k) / 15);
      to[i].blue = static_cast<uint8_t>((f.blue * (15 - k) + t.blue * k) / 15);
    }
  }
  PalShow();
}

// Dither dissolve of columns x0 .. x0 + width - 1 with `waitMs` a pass; on a deep display only
// odd passes repaint and wait, twice as long. `whole` repaints the whole window each time.
void Dither(int x0, int width, uint32_t waitMs, bool whole, const CharBlend* blend = nullptr) {
  const bool deep = DeepDisplay();
  const Effect e = EffectBegin();
  uint32_t start = PlatTicks();
  for (int k = 0; k < 16; k++) {
    if (!deep) start = PlatTicks();
    const DitherCell cell = DitherOrder[k];
    for (int y = cell.y; y < kFrameHeight; y += 4) {
      for (int x = x0 + cell.x; x < x0 + width; x += 4) CopyPixel(e, x, y);
    }
    if (deep && k % 2 == 0) continue;
    if (blend) DitherCharStep(*blend, k);
    if (whole || e.weather || (blend && !deep)) {
      RepaintWhole(e);
    } else {
      RectSet(DirtyRect, x0, 0, x0 + width, kFrameHeight);
      ScreenUpdate(DirtyRect);
    }
    WaitSince(start, static_cast<int16_t>((deep ? 2 : 1) * waitMs / 10));
    start = PlatTicks();
  }
  EffectEnd(e);
}

// Copies tile (col, row) of the 16 x 16 grid and widens DirtyRect by it.
void CopyTile(const Effect& e, int col, int row) {
  if (col < 0 || col >= kTileCols || row < 0 || row >= kTileRows) return;
  const int x = col * kTileSize, y = row * kTileSize;
  for (int i = 0; i < kTileSize; i++) CopyRow(e, y + i, x, kTileSize);
  RectExtend(DirtyRect, x, y, x + kTileSize - 1, y + kTileSize - 1);
}

// Tiles from the centre outwards along the spiral waypoints, 8 tiles a repaint (mode 1).
void ShowSpiral() {
  PalShow();
  const Effect e = EffectBegin();
  DirtyRect = kEmptyRect;
  uint32_t last = PlatTicks();
  int col = SpiralPath[59].col, row = SpiralPath[59].row, count = 0;
  for (int w = 58; w >= 0; w--) {
    const TilePos target = SpiralPath[w];
    while (col != target.col || row != target.row) {
      CopyTile(e, col, row);
      if (++count % 8 == 0) {
        WaitSince(last, 2);
        last = PlatTicks();
        RepaintDirty(e);
      }
      col += (target.col > col) - (target.col < col);
      row += (target.row > row) - (target.row < row);
    }
  }
  RepaintWhole(e);
  EffectEnd(e);
}

// The 1200 tiles in random order, 32 tiles a repaint (mode 2).
void ShowRandomTiles() {
  PalShow();
  bool done[kTileCols * kTileRows] = {};
  const Effect e = EffectBegin();
  DirtyRect = kEmptyRect;
  Random(1);
  uint32_t last = PlatTicks();
  for (int step = 1; step <= kTileCols * kTileRows; step++) {
    Random(2);
    const int col = Random(2) * kTileCols / 256;
    const int row = Random(2) * kTileRows / 256;
    int tile = row * kTileCols + col;
    while (done[tile]) tile = (tile + 1) % (kTileCols * kTileRows);
    done[tile] = true;
    CopyTile(e, tile % kTileCols, tile / kTileCols);
    if (step % 32 == 0) {
      WaitSince(last, 1);
      last = PlatTicks();
      RepaintDirty(e);
    }
  }
  RepaintWhole(e);
  EffectEnd(e);
}

// Copies the ring |dx| + |dy| = r of diamond cell (col, row); nothing outside 0..32.
void CopyDiamondRing(const Effect& e, int col, int row, int r) {
  if (r < 0 || r > 32) return;
  const int cx = col * 32 + 16, cy = row * 32 + 15;
  for (int dx = -16; dx <= 15; dx++) {
    const int ady = r - (dx < 0 ? -dx : dx);
    if (ady < 0 || ady > 16) continue;
    if (ady <= 15) CopyPixel(e, cx + dx, cy - ady);
    if (ady != 0) CopyPixel(e, cx + dx, cy + ady);
  }
}

// Growing diamonds in 20 x 15 cells; `sweep` starts each column one step later (modes 3, 4).
void Diamonds(bool sweep) {
  PalShow();
  const bool deep = DeepDisplay();
  const Effect e = EffectBegin();
  const int steps = sweep ? 52 : 33;
  uint32_t start = PlatTicks();
  for (int step = 0; step < steps; step++) {
    if (!deep) start = PlatTicks();
    for (int col = 0; col < 20; col++) {
      for (int row = 0; row < 15; row++) CopyDiamondRing(e, col, row, sweep ? step - col : step);
    }
    if (deep && step % 2 == 1 && step != steps - 1) continue;
    RepaintWhole(e);
    WaitSince(start, 3);
    start = PlatTicks();
  }
  EffectEnd(e);
}

// Vertical comb (mode 7).
void ShowColumnComb() {
  PalShow();
  const Effect e = EffectBegin();
  ColumnComb(e, PixelOp::Copy);
  EffectEnd(e);
}

// A soft dithered edge sweeping from left to right (mode 8).
void ShowDitherSweep() {
  PalShow();
  const Effect e = EffectBegin();
  DitherSweep(e, PixelOp::Copy);
  EffectEnd(e);
}

// Lays `n` rows or `w` columns of the new picture over the screen for direction d; with
// `old`, the old picture (a frame block) is pushed out the same way.
void LaySlide(const Effect& e, const uint8_t* old, uint16_t d, int n, int w) {
  for (int y = 0; y < kFrameHeight; y++) {
    uint8_t* to = e.screen + FramePixelOffset(0, y);
    switch (d) {
      case 0:  // up from the bottom edge
        if (y >= kFrameHeight - n) {
          std::memcpy(to, e.back + FramePixelOffset(0, y - (kFrameHeight - n)), kFrameWidth);
        } else if (old) {
          std::memcpy(to, old + FramePixelOffset(0, y + n), kFrameWidth);
        }
        break;
      case 2:  // down from the top edge
        if (y < n) {
          std::memcpy(to, e.back + FramePixelOffset(0, y + kFrameHeight - n), kFrameWidth);
        } else if (old) {
          std::memcpy(to, old + FramePixelOffset(0, y - n), kFrameWidth);
        }
        break;
      case 1: {  // in from the left
        const uint8_t* from = e.back + FramePixelOffset(0, y);
        if (old) std::memmove(to + w, old + FramePixelOffset(0, y), kFrameWidth - w);
        std::memcpy(to, from + kFrameWidth - w, w);
        break;
      }
      default: {  // in from the right
        const uint8_t* from = e.back + FramePixelOffset(0, y);
        if (old) std::memmove(to, old + FramePixelOffset(w, y), kFrameWidth - w);
        std::memcpy(to + kFrameWidth - w, from, w);
        break;
      }
    }
  }
}

// The new picture slides (or, with `old`, pushes) in over `durationMs`.
void Slide(const Effect& e, const uint8_t* old, uint16_t d, uint32_t durationMs) {
  const uint32_t start = PlatTicks();
  int last = -1;
  for (;;) {
    const uint32_t t = ElapsedSince(start);
    if (t >= durationMs) break;
    const int n = static_cast<int>(480u * t / durationMs);
    const int w = static_cast<int>(640u * t / durationMs) & ~3;
    const int amount = (d % 2 == 0) ? n : w;
    if (amount != last) {
      last = amount;
      LaySlide(e, old, d % 4, n, w);
      RepaintWhole(e);
    }
    PumpMessages();
  }
}

// The new picture slides over the old one from edge d over speed x 500 ms (modes 14..17).
void ShowSlideIn(uint16_t d, uint16_t speed) {
  PalShow();
  const Effect e = EffectBegin();
  Slide(e, nullptr, d, speed * 500u);
  EffectEnd(e);
  FrameCopy(ScreenFrame, BackFrame);
  ScreenUpdate();
  PlatDrawMenuBar();
}

// The new picture opens vertically from the centre line, squeezed, over 200 ms (mode 9).
void ShowStretchOpen() {
  PalShow();
  const Effect e = EffectBegin();
  StretchFrames(e, 200, false);
  EffectEnd(e);
}

// A disc growing from the centre over 700 ms, then the corners at once (mode 13).
void ShowIris() {
  PalShow();
  const Effect e = EffectBegin();
  const uint32_t start = PlatTicks();
  int last = -1;
  for (;;) {
    const uint32_t t = std::min<uint32_t>(ElapsedSince(start), 700);
    const int radius = static_cast<int>(384 * t / 700);
    if (radius != last) {
      last = radius;
      int xp = 0, yp = std::min(radius, 240);
      for (int a = 1; a <= 180; a++) {
        const int xa = std::min(radius * SinHalfDeg(static_cast<uint16_t>(a)) / 32768, 320);
        const int ya = std::min(radius * CosHalfDeg(static_cast<uint16_t>(a)) / 32768, 240);
        if (ya == yp) {
          xp = xa;
          continue;
        }
        if (ya < yp && xp != 0 && yp != 0 && (xa > xp || a == 180)) {
          for (int y = 240 + ya; y <= 239 + yp; y++) CopyRow(e, y, 320 - xp, 2 * xp);
          for (int y = 240 - yp; y <= 239 - ya; y++) CopyRow(e, y, 320 - xp, 2 * xp);
        }
        xp = xa;
        yp = ya;
      }
      if (e.weather) {
        RepaintWhole(e);
      } else {
        const int q = std::min(radius, 240);
        RectSet(DirtyRect, 320 - q, 240 - q, 320 + q, 240 + q);
        ScreenUpdate(DirtyRect);
      }
    }
    if (t >= 700) break;
    PlatIdle();
  }
  EffectEnd(e);
  ShowBackFrame();
}

// The picture grows out of the centre over the whole window in 1200 ms while its colours rise
// from black, drawn straight into the window rather than through the screen frame (mode 30).
void ShowZoom() {
  PalBlack();
  FrameCopy(ScreenFrame, BackFrame);
  const Effect e = EffectBegin();
  ZoomFrames(e, false, false);
  PlatDrawMenuBar();
  EffectEnd(e);
  PalShow();
}

// Blinds (mode 10).
void ShowColumnBlinds() {
  PalShow();
  const Effect e = EffectBegin();
  ColumnBlinds(e, PixelOp::Copy);
  EffectEnd(e);
}

// Random lines (mode 18).
void ShowRandomLines() {
  PalShow();
  const Effect e = EffectBegin();
  RandomLines(e, PixelOp::Copy);
  EffectEnd(e);
}

// Cut to black, the picture, then a fade-in over n x 800 ms (modes 0 and 31).
void ShowFromBlack(uint16_t n, bool plainCopy) {
  PalBlack();
  if (plainCopy) {
    FrameCopy(ScreenFrame, BackFrame);
    ScreenUpdate();
  } else {
    ShowBackFrame();
  }
  PumpMessages();
  PalFadeIn(n);
}

// An instant cut without any weather handling (mode 11).
void ShowCut() {
  PalShow();
  FrameCopy(ScreenFrame, BackFrame);
  ScreenUpdate();
}

}  // namespace

// Brings the back frame on screen with display mode `mode`.
void ScreenShow(uint16_t mode) {
  if ((SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1)) && PlayMode != PlayModeEnding)
    mode = 11;
  if (SpecLow == 1) mode = 0;
  const int16_t m = static_cast<int16_t>(mode);
  switch (m < 0 || m > 32 ? 0 : m) {
    case 0:
    case 19:
    case 20:
    case 21:
      ShowFromBlack(1, false);
      break;
    case 1:
      ShowSpiral();
      break;
    case 2:
      ShowRandomTiles();
      break;
    case 3:
      Diamonds(false);
      break;
    case 4:
      Diamonds(true);
      break;
    case 5:
    case 12:
      PalShow();
      ShowDither();
      break;
    case 6:
      PalShow();
      ShowComb();
      break;
    case 7:
      ShowColumnComb();
      break;
    case 8:
      ShowDitherSweep();
      break;
    case 14:
    case 15:
    case 16:
    case 17:
      ShowSlideIn(static_cast<uint16_t>(m - 14), 1);
      break;
    case 22:
    case 23:
    case 24:
    case 25:
      ShowPush(static_cast<uint16_t>(m - 22), 12);
      break;
    case 26:
    case 27:
    case 28:
    case 29:
      ShowPush(static_cast<uint16_t>(m - 26), 4);
      break;
    case 9:
      ShowStretchOpen();
      break;
    case 13:
      ShowIris();
      break;
    case 10:
      ShowColumnBlinds();
      break;
    case 11:
      ShowCut();
      break;
    case 18:
      ShowRandomLines();
      break;
    case 31:
      ShowFromBlack(4, true);
      break;
    case 30:
      ShowZoom();
      break;
    case 32:
      PalCrossFade(SavedPalette, ScenePalette, 1);
      break;
  }
}

// Copies the back frame onto the screen at once.
void ShowBackFrame() {
  ScreenBusy = 1;
  FrameCopy(ScreenFrame, BackFrame);
  // The whole screen frame is new: nothing to take off, but the overlay goes back on.
  if (WeatherMode != 0) WeatherOverlayOn(WeatherMode);
  ScreenUpdate();
  ScreenBusy = 0;
}

// The same for one 320-pixel strip.
void ShowBackStrip(uint16_t strip) {
  const int x0 = StripLeft(strip);
  const Effect e = EffectBegin();
  for (int y = 0; y < kFrameHeight; y++) CopyRow(e, y, x0, kStripWidth);
  MemUnlock(BackFrame);
  MemUnlock(ScreenFrame);
  if (e.weather) {
    WeatherOverlayOn(e.weatherMode);
    ScreenUpdate();
  } else {
    RectSet(DirtyRect, x0, 0, x0 + kStripWidth, kFrameHeight);
    ScreenUpdate(DirtyRect);
  }
  ScreenBusy = 0;
}

// Interlaced reveal of the whole frame.
void ShowInterlace() {
  if (ShowInstant()) return ShowBackFrame();
  Interlace(0, kFrameWidth);
}

// Interlaced reveal of one strip.
void ShowInterlaceStrip(uint16_t strip) {
  if (ShowInstant()) return ShowBackStrip(strip);
  Interlace(StripLeft(strip), kStripWidth);
}

// Ordered-dither dissolve of the whole frame, 40 ms a pass.
void ShowDither() {
  if (ShowInstant()) return ShowBackFrame();
  Dither(0, kFrameWidth, 40, true);
}

// Dither dissolve blending the character colours; `wait` x 10 ms a pass.
void ShowDitherChars(uint16_t wait) {
  if (ShowInstant()) {
    PalShow();
    return ShowBackFrame();
  }
  static CharBlend blend;
  const bool blends = DitherCharColours(blend);
  Dither(0, kFrameWidth, wait * 10u, true, blends ? &blend : nullptr);
}

// The same within one strip.
void ShowDitherStripChars(uint16_t strip, uint16_t wait) {
  if (ShowInstant()) {
    PalShow();
    return ShowBackStrip(strip);
  }
  static CharBlend blend;
  const bool blends = DitherCharColours(blend);
  Dither(StripLeft(strip), kStripWidth, wait * 10u, false, blends ? &blend : nullptr);
}

// Comb reveal of the whole frame.
void ShowComb() {
  if (ShowInstant()) return ShowBackFrame();
  Comb(0, kFrameWidth);
}

// Comb reveal of one strip.
void ShowCombStrip(uint16_t strip) {
  if (ShowInstant()) return ShowBackStrip(strip);
  Comb(StripLeft(strip), kStripWidth);
}

// Pushes the new picture in, the old one out, over `speed` seconds.
void ShowPush(uint16_t direction, uint16_t speed) {
  PalShow();
  MemHandle old = FrameCreate("op_disp22 buf");
  FrameCopy(old, ScreenFrame);
  const Effect e = EffectBegin();
  Slide(e, MemLock(old), direction, speed * 1000u);
  MemUnlock(old);
  // The last step falls short of the whole picture by at least one row or column: finish it
  // under the overlay, then show it, so nothing of the old picture stays in the window.
  FrameCopy(ScreenFrame, BackFrame);
  EffectEnd(e);
  ScreenUpdate();
  MemRelease(&old);
  PlatDrawMenuBar();
}
