// Drawing helpers of the SDL backend: the Japanese UI font for menus and message boxes (with a
// cache of rendered texts) and the flat and 3D shapes of the classic desktop look.
#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "platform/sdl/sdl_local.h"

namespace {

// Pixel size of the UI font.
constexpr int kFontSize = 14;
// Rendered texts kept; the cache is emptied when it grows past this (menus and boxes use a few
// dozen, so this only bounds pathological cases).
constexpr size_t kCacheLimit = 256;

// Owned SDL texture.
struct TextureDeleter {
  void operator()(SDL_Texture* texture) const { SDL_DestroyTexture(texture); }
};
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

struct CachedText {
  TexturePtr texture;
  int width = 0, height = 0;
};

// Cleared by SdlDrawInit; released by SdlDrawShutdown.
struct DrawState {
  TTF_Font* font = nullptr;
  bool ttfUp = false;
  std::map<std::pair<std::string, uint32_t>, CachedText> cache;
};
DrawState gDraw;

// Packs a colour into one number for the text cache key.
uint32_t ColourKey(SDL_Color c) {
  return static_cast<uint32_t>(c.r) << 24 | static_cast<uint32_t>(c.g) << 16 |
         static_cast<uint32_t>(c.b) << 8 | c.a;
}

// The texture of a text in a colour, rendered once.
const CachedText* Rendered(std::string_view utf8, SDL_Color colour) {
  if (!gDraw.font || utf8.empty() || !gSdl.renderer) return nullptr;
  auto key = std::make_pair(std::string(utf8), ColourKey(colour));
  auto it = gDraw.cache.find(key);
  if (it != gDraw.cache.end()) return &it->second;
  if (gDraw.cache.size() >= kCacheLimit) gDraw.cache.clear();
  SDL_Surface* surface = TTF_RenderUTF8_Blended(gDraw.font, key.first.c_str(), colour);
  if (!surface) return nullptr;
  CachedText text;
  text.texture.reset(SDL_CreateTextureFromSurface(gSdl.renderer, surface));
  text.width = surface->w;
  text.height = surface->h;
  SDL_FreeSurface(surface);
  if (!text.texture) return nullptr;
  SDL_SetTextureBlendMode(text.texture.get(), SDL_BLENDMODE_BLEND);
  return &gDraw.cache.emplace(std::move(key), std::move(text)).first->second;
}

// The renderer draw colour.
void SetColour(SDL_Color c) {
  SDL_SetRenderDrawColor(gSdl.renderer, c.r, c.g, c.b, c.a);
}

}  // namespace

// Starts the font renderer and opens the first UI font that exists.
bool SdlDrawInit() {
  gDraw.cache.clear();
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "lanternia3: cannot start the font renderer: %s\n", TTF_GetError());
    return false;
  }
  gDraw.ttfUp = true;
  // The configured font first, then the Japanese fonts Debian commonly has.
  const char* candidates[] = {
      std::getenv("LNTR3_UI_FONT"),
      LNTR3_UI_FONT,
      "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
      "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
      "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
  };
  for (const char* path : candidates) {
    if (!path || !*path) continue;
    gDraw.font = TTF_OpenFont(path, kFontSize);
    if (gDraw.font) return true;
  }
  std::fprintf(stderr,
               "lanternia3: no Japanese UI font found (looked for %s and the usual Debian CJK "
               "fonts; install fonts-ipafont-gothic or set LNTR3_UI_FONT)\n",
               LNTR3_UI_FONT);
  return false;
}

// Drops cached texts, closes the font and the font renderer.
void SdlDrawShutdown() {
  gDraw.cache.clear();
  if (gDraw.font) TTF_CloseFont(gDraw.font);
  gDraw.font = nullptr;
  if (gDraw.ttfUp) TTF_Quit();
  gDraw.ttfUp = false;
}

// Measures a text in the UI font.
void SdlTextSize(std::string_view utf8, int& width, int& height) {
  width = 0;
  height = SdlTextHeight();
  if (!gDraw.font || utf8.empty()) return;
  const std::string text(utf8);
  if (TTF_SizeUTF8(gDraw.font, text.c_str(), &width, &height) != 0) width = 0;
}

// Height of one line of the UI font.
int SdlTextHeight() {
  return gDraw.font ? TTF_FontHeight(gDraw.font) : kFontSize;
}

// Draws a text with its top-left corner at (x, y).
void SdlDrawText(std::string_view utf8, int x, int y, SDL_Color colour) {
  const CachedText* text = Rendered(utf8, colour);
  if (!text) return;
  const SDL_Rect dst{x, y, text->width, text->height};
  SDL_RenderCopy(gSdl.renderer, text->texture.get(), nullptr, &dst);
}

void SdlDrawLabel(std::string_view utf8, int accessOffset, int accessLength, int x, int y,
                  SDL_Color colour) {
  SdlDrawText(utf8, x, y, colour);
  if (accessOffset < 0 || accessLength <= 0 ||
      static_cast<size_t>(accessOffset + accessLength) > utf8.size()) {
    return;
  }
  int before = 0, width = 0, h = 0;
  SdlTextSize(utf8.substr(0, accessOffset), before, h);
  SdlTextSize(utf8.substr(accessOffset, accessLength), width, h);
  const int underline = y + (gDraw.font ? TTF_FontAscent(gDraw.font) : kFontSize) + 1;
  SetColour(colour);
  SDL_RenderDrawLine(gSdl.renderer, x + before, underline, x + before + width - 1, underline);
}

// A greyed label: white shadow one pixel down-right, grey on top.
void SdlDrawGreyLabel(std::string_view utf8, int accessOffset, int accessLength, int x, int y) {
  SdlDrawLabel(utf8, accessOffset, accessLength, x + 1, y + 1, kSdlLight);
  SdlDrawLabel(utf8, accessOffset, accessLength, x, y, kSdlShadow);
}

// A filled rectangle.
void SdlFill(int x, int y, int w, int h, SDL_Color colour) {
  if (w <= 0 || h <= 0) return;
  SetColour(colour);
  const SDL_Rect rect{x, y, w, h};
  SDL_RenderFillRect(gSdl.renderer, &rect);
}

// A two-pixel 3D frame.
void SdlDrawBevel(int x, int y, int w, int h, bool raised) {
  // Outer ring: light/dark; inner ring: face-light/shadow, as the classic controls are drawn.
  const SDL_Color outerTopLeft = raised ? kSdlFace : kSdlShadow;
  const SDL_Color outerBottomRight = raised ? kSdlDark : kSdlLight;
  const SDL_Color innerTopLeft = raised ? kSdlLight : kSdlDark;
  const SDL_Color innerBottomRight = raised ? kSdlShadow : kSdlFace;
  SdlFill(x, y, w, 1, outerTopLeft);
  SdlFill(x, y, 1, h, outerTopLeft);
  SdlFill(x, y + h - 1, w, 1, outerBottomRight);
  SdlFill(x + w - 1, y, 1, h, outerBottomRight);
  SdlFill(x + 1, y + 1, w - 2, 1, innerTopLeft);
  SdlFill(x + 1, y + 1, 1, h - 2, innerTopLeft);
  SdlFill(x + 1, y + h - 2, w - 2, 1, innerBottomRight);
  SdlFill(x + w - 2, y + 1, 1, h - 2, innerBottomRight);
}

// A check mark in a 7 x 7 cell.
void SdlDrawCheck(int x, int y, SDL_Color colour) {
  // A 7 x 7 tick, three pixels thick: down-right for three columns, then up-right.
  SetColour(colour);
  for (int i = 0; i < 7; i++) {
    const int top = i < 3 ? y + 2 + i : y + 4 - (i - 2);
    SDL_RenderDrawLine(gSdl.renderer, x + i, top, x + i, top + 2);
  }
}
