// Presentation: the engine's 8-bit picture through the display palette into a streaming texture,
// placed where the paint asked, with the menu bar, an open menu and a message box over it.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/sdl/sdl_local.h"
#include "platform/sdl/sdl_stats.h"

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
  std::vector<SDL_Rect> dirty;     // texture parts not yet uploaded
  std::vector<Placement> pending;  // drawn during the paint under way
  std::vector<Placement> shown;    // what the last finished paint placed
  bool overBar = false;            // full screen: picture rows painted where the bar lies
  int overBarRows = 0;
  bool inNcPaint = false;
  uint32_t lastPresent = 0;  // SDL_GetTicks() of the last present
  bool presentDue = false;   // a palette change waits to be shown
  // Partial presents: what the last frame showed, to tell what the next one must send.
  bool wholeDue = true;                // the next frame composes and sends everything
  std::vector<Placement> sentShown;    // placements of the last frame
  bool sentBarVisible = false;         // the bar showed in it
  int sentOverBarRows = 0;             // picture rows over the bar in it
  bool sentOverlay = false;            // an open menu or a box showed in it
  int sentWidth = 0, sentHeight = 0;   // the renderer's output size then
  SDL_Surface* sentSurface = nullptr;  // the window image it went to
  SdlPresentStats stats;
};
PresentState gPresent;

// Parts of the texture waiting for upload are kept apart while they are few, so that falling
// petals or a blinking cursor send their own cells rather than the box around all of them.
constexpr size_t kDirtyParts = 128;
constexpr int kDirtyReach = 8;  // spans this close join one part

// Adds a changed span (or block) to the parts waiting for upload: it joins a part it touches
// from below or overlaps, else starts its own; too many parts become their bounding box.
void AddDirty(int x0, int y0, int x1, int y1) {
  std::vector<SDL_Rect>& parts = gPresent.dirty;
  const SDL_Rect r{x0, y0, x1 - x0, y1 - y0};
  for (auto d = parts.rbegin(); d != parts.rend(); ++d) {
    if (r.y <= d->y + d->h && r.y + r.h >= d->y && r.x <= d->x + d->w + kDirtyReach &&
        r.x + r.w + kDirtyReach >= d->x) {
      SDL_UnionRect(&*d, &r, &*d);
      return;
    }
  }
  parts.push_back(r);
  if (parts.size() > kDirtyParts) {
    SDL_Rect all = parts[0];
    for (const SDL_Rect& d : parts) SDL_UnionRect(&all, &d, &all);
    parts.assign(1, all);
  }
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

// Takes the picture part `part` (top-down) into the kept copy, converting only what changed.
void TakePart(const uint8_t* bottomUp, const SDL_Rect& part) {
  SyncPalette();
  const int left = part.x, right = part.x + part.w;
  for (int row = part.y; row < part.y + part.h; row++) {
    const uint8_t* src = bottomUp + static_cast<size_t>(kH - 1 - row) * kW;
    uint8_t* dst = &gPresent.indices[static_cast<size_t>(row) * kW];
    // Most rows of an effect step stay as they were.
    if (std::memcmp(src + left, dst + left, static_cast<size_t>(right - left)) == 0) continue;
    int x0 = left;
    while (x0 < right && src[x0] == dst[x0]) x0++;
    int x1 = right;
    while (x1 > x0 && src[x1 - 1] == dst[x1 - 1]) x1--;
    std::memcpy(dst + x0, src + x0, static_cast<size_t>(x1 - x0));
    ConvertSpan(row, x0, x1);
    AddDirty(x0, row, x1, row + 1);
  }
}

// Sends the changed parts of the converted picture to the texture.
void Upload() {
  if (gPresent.texture) {
    for (const SDL_Rect& d : gPresent.dirty) {
      SDL_UpdateTexture(gPresent.texture, &d, &gPresent.argb[static_cast<size_t>(d.y) * kW + d.x],
                        kW * static_cast<int>(sizeof(uint32_t)));
    }
  }
  gPresent.dirty.clear();
}

bool SameRect(const SDL_Rect& a, const SDL_Rect& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

bool SamePlacements(const std::vector<Placement>& a, const std::vector<Placement>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Placement& p, const Placement& q) {
                      return SameRect(p.src, q.src) && SameRect(p.dst, q.dst);
                    });
}

// The canvas part a change of picture pixels `changed` shows in through one placement. A copy
// at a whole scale (1:1, 2:1, ...) is redrawn exactly over the changed pixels' cells; any other
// scale is redrawn whole, so that no clipped stretch can sample a pixel differently from the
// whole one.
SDL_Rect ShownPart(const Placement& p, const SDL_Rect& changed) {
  SDL_Rect part;
  if (!SDL_IntersectRect(&p.src, &changed, &part)) return SDL_Rect{0, 0, 0, 0};
  const bool wholeX = p.dst.w % p.src.w == 0, wholeY = p.dst.h % p.src.h == 0;
  if (!wholeX || !wholeY) return p.dst;
  const int kx = p.dst.w / p.src.w, ky = p.dst.h / p.src.h;
  return SDL_Rect{p.dst.x + (part.x - p.src.x) * kx, p.dst.y + (part.y - p.src.y) * ky, part.w * kx,
                  part.h * ky};
}

// The renderer's canvas rectangle in window pixels (full screen scales the canvas).
SDL_Rect WindowRect(const SDL_Rect& canvas) {
  if (!gSdl.fullScreen) return canvas;
  SDL_Rect viewport;
  float sx = 1, sy = 1;
  SDL_RenderGetViewport(gSdl.renderer, &viewport);
  SDL_RenderGetScale(gSdl.renderer, &sx, &sy);
  const auto scale = [](int v, float f) { return static_cast<int>(static_cast<float>(v) * f); };
  return SDL_Rect{scale(viewport.x + canvas.x, sx), scale(viewport.y + canvas.y, sy),
                  scale(canvas.w, sx), scale(canvas.h, sy)};
}

// Adds a canvas rectangle to a frame's damage, merging it into an overlapping one.
void AddDamage(std::vector<SDL_Rect>& damage, SDL_Rect rect, int canvasW, int canvasH) {
  const SDL_Rect canvas{0, 0, canvasW, canvasH};
  if (!SDL_IntersectRect(&rect, &canvas, &rect)) return;
  for (SDL_Rect& other : damage) {
    if (SDL_HasIntersection(&other, &rect)) {
      SDL_UnionRect(&other, &rect, &other);
      return;
    }
  }
  damage.push_back(rect);
}

// Draws everything the canvas shows, in order, within the renderer's clip.
void Compose() {
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
}

// Everything, composed and shown the renderer's way.
void PresentWhole(int canvasW, int canvasH) {
  SDL_SetRenderDrawColor(gSdl.renderer, 0, 0, 0, 255);
  SDL_RenderClear(gSdl.renderer);
  Compose();
  SDL_RenderPresent(gSdl.renderer);
  gPresent.stats.sentPixels += static_cast<uint64_t>(canvasW) * static_cast<uint64_t>(canvasH);
  gPresent.stats.wholeFrames++;
}

// Only the damaged rectangles, composed within them and sent to the window's image.
void PresentParts(const std::vector<SDL_Rect>& damage) {
  std::vector<SDL_Rect> sent;
  for (const SDL_Rect& rect : damage) {
    SDL_RenderSetClipRect(gSdl.renderer, &rect);
    // The black under the picture shows only where no placement covers the part.
    const bool covered =
        std::any_of(gPresent.shown.begin(), gPresent.shown.end(), [&](const Placement& p) {
          SDL_Rect inside;
          return SDL_IntersectRect(&p.dst, &rect, &inside) && SameRect(inside, rect);
        });
    if (!covered) {
      SDL_SetRenderDrawColor(gSdl.renderer, 0, 0, 0, 255);
      SDL_RenderFillRect(gSdl.renderer, &rect);
    }
    Compose();
    sent.push_back(WindowRect(rect));
    gPresent.stats.sentPixels += static_cast<uint64_t>(rect.w) * static_cast<uint64_t>(rect.h);
  }
  SDL_RenderSetClipRect(gSdl.renderer, nullptr);
  SDL_RenderFlush(gSdl.renderer);
  SDL_UpdateWindowSurfaceRects(gSdl.window, sent.data(), static_cast<int>(sent.size()));
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
  SDL_Rect part{left, top, right - left, bottom - top};
  if (gPlat.inPaint) {
    // Only the paint's update rectangle changes, as on a real window: the picture pixels that
    // land there, and for a stretch one more on each side (the renderer does its sampling).
    const PlatRect& area = gPlat.painting;
    const int srcW = src.right - src.left, srcH = src.bottom - src.top;
    const int dstW = dst.right - dst.left, dstH = dst.bottom - dst.top;
    const int slackX = srcW == dstW ? 0 : 1, slackY = srcH == dstH ? 0 : 1;
    const auto map = [](int v, int from, int to, int n, int d) {
      return to + static_cast<int>(static_cast<int64_t>(v - from) * n / d);
    };
    const int x0 = map(area.left, dst.left, src.left, srcW, dstW) - slackX;
    const int y0 = map(area.top, dst.top, src.top, srcH, dstH) - slackY;
    const int x1 = map(area.right - 1, dst.left, src.left, srcW, dstW) + 1 + slackX;
    const int y1 = map(area.bottom - 1, dst.top, src.top, srcH, dstH) + 1 + slackY;
    const SDL_Rect clip{x0, y0, x1 - x0, y1 - y0};
    if (area.Empty() || !SDL_IntersectRect(&part, &clip, &part)) part = SDL_Rect{0, 0, 0, 0};
  }
  TakePart(bottomUpPixels, part);
  AddPlacement(Placement{
      SDL_Rect{left, top, right - left, bottom - top},
      SDL_Rect{dst.left, dst.top + SdlClientTop(), dst.right - dst.left, dst.bottom - dst.top}});
}

// Full screen with the bar hidden: picture rows where the bar lies.
void SdlDrawPictureOverMenuBar(const uint8_t* bottomUpPixels, int rows) {
  if (!gSdl.fullScreen || !bottomUpPixels || gPresent.indices.empty()) return;
  rows = std::clamp(rows, 0, kH);
  TakePart(bottomUpPixels, SDL_Rect{0, 0, kW, rows});
  gPresent.overBar = rows > 0;
  gPresent.overBarRows = rows;
  if (!gPlat.inPaint && !gPresent.inNcPaint) SdlPresentFrame();
}

// Composes and shows the window: all of it, or with partial presents what changed.
void SdlPresentFrame() {
  if (!gSdl.renderer) return;
  SyncPalette();
  const bool barChanged = SdlBarVisible() && SdlMenuUpdateBar();
  int canvasW, canvasH;
  SdlCanvasSize(canvasW, canvasH);
  const bool overlay = SdlMenuActive() || SdlBoxActive();
  int outputW = 0, outputH = 0;
  SDL_GetRendererOutputSize(gSdl.renderer, &outputW, &outputH);
  SDL_Surface* surface = gSdl.partialPresent ? SDL_GetWindowSurface(gSdl.window) : nullptr;
  const bool whole = !gSdl.partialPresent || gPresent.wholeDue || overlay || gPresent.sentOverlay ||
                     surface != gPresent.sentSurface || outputW != gPresent.sentWidth ||
                     outputH != gPresent.sentHeight || SdlBarVisible() != gPresent.sentBarVisible ||
                     gPresent.overBarRows != gPresent.sentOverBarRows ||
                     !SamePlacements(gPresent.shown, gPresent.sentShown);
  std::vector<SDL_Rect> damage;
  if (!whole) {
    for (const SDL_Rect& changed : gPresent.dirty) {
      for (const Placement& p : gPresent.shown) {
        AddDamage(damage, ShownPart(p, changed), canvasW, canvasH);
      }
      if (!SdlBarVisible() && gPresent.overBarRows > 0) {
        const SDL_Rect rows{0, 0, kW, gPresent.overBarRows};
        AddDamage(damage, ShownPart(Placement{rows, rows}, changed), canvasW, canvasH);
      }
    }
    if (barChanged)
      AddDamage(damage, SDL_Rect{0, 0, canvasW, SdlBarStripHeight()}, canvasW, canvasH);
  }
  Upload();
  if (whole) {
    PresentWhole(canvasW, canvasH);
    gPresent.stats.frames++;
  } else if (!damage.empty()) {
    PresentParts(damage);
    gPresent.stats.frames++;
  }
  gPresent.wholeDue = false;
  gPresent.sentShown = gPresent.shown;
  gPresent.sentBarVisible = SdlBarVisible();
  gPresent.sentOverBarRows = gPresent.overBarRows;
  gPresent.sentOverlay = overlay;
  gPresent.sentWidth = outputW;
  gPresent.sentHeight = outputH;
  gPresent.sentSurface = surface;
  gPresent.lastPresent = SDL_GetTicks();
  gPresent.presentDue = false;
}

void SdlPresentInvalidateAll() {
  gPresent.wholeDue = true;
}

uint32_t SdlPresentDueIn() {
  if (!gPresent.presentDue) return UINT32_MAX;
  const uint32_t since = SDL_GetTicks() - gPresent.lastPresent;
  return since >= kPaletteFrameMs ? 0 : kPaletteFrameMs - since;
}

SdlPresentStats SdlGetPresentStats() {
  SdlPresentStats stats = gPresent.stats;
  stats.partial = gSdl.partialPresent;
  return stats;
}

std::vector<uint32_t> SdlWindowImage(int& width, int& height) {
  width = height = 0;
  SDL_Surface* surface = gSdl.partialPresent ? SDL_GetWindowSurface(gSdl.window) : nullptr;
  if (!surface) return {};
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB888, 0);
  if (!rgb) return {};
  width = rgb->w;
  height = rgb->h;
  std::vector<uint32_t> image(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int y = 0; y < height; y++) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) +
                                                        static_cast<ptrdiff_t>(y) * rgb->pitch);
    for (int x = 0; x < width; x++) image[static_cast<size_t>(y) * width + x] = row[x] & 0xFFFFFF;
  }
  SDL_FreeSurface(rgb);
  return image;
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
  gPresent.wholeDue = true;
  gPresent.overBar = false;
  gPresent.overBarRows = 0;
  gPresent.shown.clear();
  gPresent.pending.clear();
}
