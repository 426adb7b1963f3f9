// Presentation: the engine's 8-bit picture through the display palette into a streaming texture,
// placed where the paint asked, with the menu bar, an open menu and a message box over it.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_local.h"

namespace {

constexpr int kW = kSdlPictureWidth;
constexpr int kH = kSdlPictureHeight;
constexpr size_t kMaxPlacements = 16;
// Palette animation re-presents at most this often; a change in between is shown when due.
constexpr uint32_t kPaletteFrameMs = 8;

// One copy of picture rows to a canvas rectangle.
struct Placement {
  SDL_Rect src, dst;
};

// Cleared by SdlPresentInit; released by SdlPresentShutdown.
struct PresentState {
  SDL_Texture* texture = nullptr;
  std::vector<uint8_t> indices;  // the picture as last drawn, top row first
  std::vector<uint32_t> argb;    // the same through the palette
  std::array<uint32_t, 256> lut{};
  std::array<PalEntry, kPaletteSize> lutPalette{};
  bool lutValid = false;
  SDL_Rect dirty{0, 0, 0, 0};      // texture part not yet uploaded
  std::vector<Placement> pending;  // drawn during the paint under way
  std::vector<Placement> shown;    // what the last finished paint placed
  bool overBar = false;            // full screen: picture rows painted where the bar lies
  int overBarRows = 0;
  bool inNcPaint = false;
  uint32_t lastPresent = 0;  // SDL_GetTicks() of the last present
  bool presentDue = false;   // a palette change waits to be shown
};
PresentState gPresent;

// Grows the part of the texture waiting for upload.
void AddDirty(int x0, int y0, int x1, int y1) {
  SDL_Rect& d = gPresent.dirty;
  if (d.w <= 0 || d.h <= 0) {
    d = SDL_Rect{x0, y0, x1 - x0, y1 - y0};
    return;
  }
  const int left = std::min(d.x, x0), top = std::min(d.y, y0);
  const int right = std::max(d.x + d.w, x1), bottom = std::max(d.y + d.h, y1);
  d = SDL_Rect{left, top, right - left, bottom - top};
}

// Indices to colours for part of one row.
void ConvertSpan(int row, int x0, int x1) {
  const uint8_t* src = &gPresent.indices[static_cast<size_t>(row) * kW];
  uint32_t* dst = &gPresent.argb[static_cast<size_t>(row) * kW];
  for (int x = x0; x < x1; x++) dst[x] = gPresent.lut[src[x]];
}

// Brings the colour table in line with the display palette; a change converts everything.
bool SyncPalette() {
  if (gPresent.indices.empty()) return false;  // no window yet; the first paint converts
  if (gPresent.lutValid &&
      std::equal(gPresent.lutPalette.begin(), gPresent.lutPalette.end(), gPlat.palette)) {
    return false;
  }
  std::copy(gPlat.palette, gPlat.palette + kPaletteSize, gPresent.lutPalette.begin());
  for (int i = 0; i < 256; i++) {
    // Values past the palette show as its first entry.
    const PalEntry& c = gPlat.palette[i < kPaletteSize ? i : 0];
    gPresent.lut[i] = 0xFF000000u | static_cast<uint32_t>(c.red) << 16 |
                      static_cast<uint32_t>(c.green) << 8 | c.blue;
  }
  gPresent.lutValid = true;
  for (int row = 0; row < kH; row++) ConvertSpan(row, 0, kW);
  AddDirty(0, 0, kW, kH);
  return true;
}

// Takes picture rows [top, top + rows) into the kept copy, converting only what changed.
void TakeRows(const uint8_t* bottomUp, int top, int rows) {
  SyncPalette();
  for (int row = top; row < top + rows; row++) {
    const uint8_t* src = bottomUp + static_cast<size_t>(kH - 1 - row) * kW;
    uint8_t* dst = &gPresent.indices[static_cast<size_t>(row) * kW];
    if (std::memcmp(src, dst, kW) == 0) continue;  // most rows of an effect step stay as they were
    int x0 = 0;
    while (x0 < kW && src[x0] == dst[x0]) x0++;
    if (x0 == kW) continue;
    int x1 = kW;
    while (x1 > x0 && src[x1 - 1] == dst[x1 - 1]) x1--;
    std::memcpy(dst + x0, src + x0, static_cast<size_t>(x1 - x0));
    ConvertSpan(row, x0, x1);
    AddDirty(x0, row, x1, row + 1);
  }
}

// Sends the changed part of the converted picture to the texture.
void Upload() {
  SDL_Rect& d = gPresent.dirty;
  if (d.w <= 0 || d.h <= 0 || !gPresent.texture) return;
  SDL_UpdateTexture(gPresent.texture, &d, &gPresent.argb[static_cast<size_t>(d.y) * kW + d.x],
                    kW * static_cast<int>(sizeof(uint32_t)));
  d = SDL_Rect{0, 0, 0, 0};
}

// Records a copy of picture rows for the paint under way.
void AddPlacement(const Placement& placement) {
  if (gPresent.pending.size() >= kMaxPlacements) gPresent.pending.erase(gPresent.pending.begin());
  gPresent.pending.push_back(placement);
}

}  // namespace

// [SECTION] Geometry

// The size the renderer draws in.
void SdlCanvasSize(int& width, int& height) {
  if (gSdl.fullScreen) {
    width = kW;
    height = kH;
    return;
  }
  width = height = 0;
  if (gSdl.window) SDL_GetWindowSize(gSdl.window, &width, &height);
}

// Height of the bar strip, all lines.
int SdlBarStripHeight() {
  if (gSdl.fullScreen) return kSdlBarLineHeight;
  int width, height;
  SdlCanvasSize(width, height);
  return SdlMenuBarLines(width) * kSdlBarLineHeight;
}

// Canvas row of client row 0.
int SdlClientTop() {
  return SdlBarStripHeight();
}

// Whether the bar is drawn now.
bool SdlBarVisible() {
  return !gSdl.fullScreen || SdlMenuActive() || !gPresent.overBar;
}

// Full screen: whether the engine painted the picture over the bar.
bool SdlPictureCoversBar() {
  return gPresent.overBar;
}

// [SECTION] Hooks

// Makes the picture texture and the kept copies.
bool SdlPresentInit() {
  gPresent = PresentState{};
  gPresent.indices.assign(static_cast<size_t>(kW) * kH, 0);
  gPresent.argb.assign(static_cast<size_t>(kW) * kH, 0xFF000000u);
  gPresent.texture = SDL_CreateTexture(gSdl.renderer, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, kW, kH);
  if (!gPresent.texture) return false;
  // Whole pixels only: every screen pixel takes one picture pixel, never a blend.
  SDL_SetTextureScaleMode(gPresent.texture, SDL_ScaleModeNearest);
  SDL_SetTextureBlendMode(gPresent.texture, SDL_BLENDMODE_NONE);
  AddDirty(0, 0, kW, kH);
  return true;
}

// Frees the texture and forgets what was painted.
void SdlPresentShutdown() {
  if (gPresent.texture) SDL_DestroyTexture(gPresent.texture);
  gPresent = PresentState{};
}

void SdlDrawPicture(const uint8_t* bottomUpPixels, const PlatRect& src, const PlatRect& dst) {
  if (!bottomUpPixels || dst.Empty() || gPresent.indices.empty()) return;
  const int top = std::clamp(src.top, 0, kH), bottom = std::clamp(src.bottom, top, kH);
  const int left = std::clamp(src.left, 0, kW), right = std::clamp(src.right, left, kW);
  if (bottom <= top || right <= left) return;
  TakeRows(bottomUpPixels, top, bottom - top);
  AddPlacement(Placement{
      SDL_Rect{left, top, right - left, bottom - top},
      SDL_Rect{dst.left, dst.top + SdlClientTop(), dst.right - dst.left, dst.bottom - dst.top}});
}

// Full screen with the bar hidden: picture rows where the bar lies.
void SdlDrawPictureOverMenuBar(const uint8_t* bottomUpPixels, int rows) {
  if (!gSdl.fullScreen || !bottomUpPixels || gPresent.indices.empty()) return;
  rows = std::clamp(rows, 0, kH);
  TakeRows(bottomUpPixels, 0, rows);
  gPresent.overBar = rows > 0;
  gPresent.overBarRows = rows;
  if (!gPlat.inPaint && !gPresent.inNcPaint) SdlPresentFrame();
}

// Composes everything and shows it.
void SdlPresentFrame() {
  if (!gSdl.renderer) return;
  SDL_SetRenderDrawColor(gSdl.renderer, 0, 0, 0, 255);
  SDL_RenderClear(gSdl.renderer);
  SyncPalette();
  Upload();
  for (const Placement& p : gPresent.shown) {
    SDL_RenderCopy(gSdl.renderer, gPresent.texture, &p.src, &p.dst);
  }
  if (SdlBarVisible()) {
    SdlMenuDrawBar();
  } else if (gPresent.overBarRows > 0) {
    const SDL_Rect rows{0, 0, kW, gPresent.overBarRows};
    SDL_RenderCopy(gSdl.renderer, gPresent.texture, &rows, &rows);
  }
  SdlMenuDrawOverlay();
  SdlBoxDrawOverlay();
  SDL_RenderPresent(gSdl.renderer);
  gPresent.lastPresent = SDL_GetTicks();
  gPresent.presentDue = false;
}

// Shows a deferred palette change once enough time has passed.
void SdlPresentIfDue() {
  if (gPresent.presentDue && SDL_GetTicks() - gPresent.lastPresent >= kPaletteFrameMs) {
    SdlPresentFrame();
  }
}

// The paint is over: its placements become what the window shows.
void SdlPresentHook() {
  if (!gPresent.pending.empty()) {
    gPresent.shown.swap(gPresent.pending);
    gPresent.pending.clear();
  }
  SdlPresentFrame();
}

// On a palette display new colours show at once; here the kept picture is converted again.
void SdlPaletteChanged() {
  if (gPlat.inPaint || gPresent.inNcPaint) return;  // the paint's own present takes them on
  if (!SyncPalette()) return;
  if (SDL_GetTicks() - gPresent.lastPresent >= kPaletteFrameMs) {
    SdlPresentFrame();
  } else {
    gPresent.presentDue = true;
  }
}

// Menu marks changed or the bar is to be redrawn.
void SdlMenuChangedHook() {
  if (gPresent.inNcPaint) {
    // The window procedure left the bar to the default handling: the real bar shows.
    gPresent.overBar = false;
    return;
  }
  if (gSdl.fullScreen) {
    // As on a real frame, redrawing the bar is a non-client paint; in full screen the engine
    // may cover the bar with the top of the picture there.
    gPresent.overBar = false;
    gPresent.inNcPaint = true;
    PlatSendMessage(WM_NCPAINT);
    gPresent.inNcPaint = false;
  }
  if (!gPlat.inPaint) SdlPresentFrame();
}

// Full screen on or off: forget placements made for the old layout.
void SdlPresentModeChanged() {
  gPresent.overBar = false;
  gPresent.overBarRows = 0;
  gPresent.shown.clear();
  gPresent.pending.clear();
}
