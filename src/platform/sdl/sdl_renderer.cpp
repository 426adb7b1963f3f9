// The window's renderer: a graphics processor's when the machine has one, else SDL's software
// renderer drawing into the window's shared-memory image (with SDL's OpenGL window surface
// turned off), where a frame only sends the parts that changed. See sdl_render_pick.h.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/sdl_local.h"
#include "platform/sdl/sdl_render_pick.h"

namespace {

// A name compared without regard to case.
bool Is(std::string_view value, std::string_view name) {
  return value.size() == name.size() &&
         std::equal(value.begin(), value.end(), name.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == b;
         });
}

// Whether an environment switch is on ("1", "true", "yes").
bool SwitchOn(const char* value) {
  return value && (Is(value, "1") || Is(value, "true") || Is(value, "yes"));
}

// A device node a graphics driver renders through.
bool HasGpuDevice() {
  if (access("/dev/nvidia0", F_OK) == 0) return true;
  DIR* dir = opendir("/dev/dri");
  if (!dir) return false;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    if (std::strncmp(entry->d_name, "renderD", 7) == 0) found = true;
  }
  closedir(dir);
  return found;
}

SdlRenderFacts GatherFacts(SDL_Window* window) {
  SdlRenderFacts facts;
  if (const char* forced = SDL_getenv("LNTR3_RENDERER")) facts.forced = forced;
  if (const char* driver = SDL_GetHint(SDL_HINT_RENDER_DRIVER)) facts.renderDriver = driver;
  facts.glSoftware = SwitchOn(SDL_getenv("LIBGL_ALWAYS_SOFTWARE"));
  if (const char* video = SDL_GetCurrentVideoDriver()) facts.videoDriver = video;
  facts.gpuDevice = HasGpuDevice();
  if (facts.videoDriver == "x11") facts.directRendering = SdlXDirectRendering(window);
  return facts;
}

// With the accelerated renderer made: whether its OpenGL rasterises in software.
bool RendererIsSoftwareGl(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name ||
      std::strncmp(info.name, "opengl", 6) != 0) {
    return false;
  }
  using GetString = const unsigned char* (*)(unsigned);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  constexpr unsigned kGlRenderer = 0x1F01;
  const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
  return name && SdlIsSoftwareRasteriser(reinterpret_cast<const char*>(name));
}

}  // namespace

SdlRenderPick SdlPickRenderer(const SdlRenderFacts& facts) {
  if (Is(facts.forced, "software")) return SdlRenderPick::Software;
  if (Is(facts.forced, "gpu")) return SdlRenderPick::Accelerated;
  if (Is(facts.renderDriver, "software")) return SdlRenderPick::Software;
  if (!facts.renderDriver.empty()) return SdlRenderPick::Accelerated;
  if (facts.glSoftware || !facts.gpuDevice) return SdlRenderPick::Software;
  if (facts.videoDriver == "x11" && facts.directRendering == 0) return SdlRenderPick::Software;
  return SdlRenderPick::Probe;
}

bool SdlIsSoftwareRasteriser(std::string_view glRenderer) {
  std::string lower(glRenderer);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* name :
       {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader"}) {
    if (lower.find(name) != std::string::npos) return true;
  }
  return false;
}

// Gives the window its renderer; a software OpenGL found on the way is given up with the window
// it was made on, and the window made again without it.
bool SdlCreateRenderer(const SdlWindowShape& shape) {
  const SdlRenderPick pick = SdlPickRenderer(GatherFacts(gSdl.window));
  if (pick != SdlRenderPick::Software) {
    gSdl.renderer = SDL_CreateRenderer(gSdl.window, -1, SDL_RENDERER_ACCELERATED);
    if (gSdl.renderer && pick == SdlRenderPick::Probe && RendererIsSoftwareGl(gSdl.renderer)) {
      SDL_DestroyRenderer(gSdl.renderer);
      gSdl.renderer = nullptr;
      SDL_DestroyWindow(gSdl.window);
      gSdl.window = SDL_CreateWindow(shape.title.c_str(), shape.x, shape.y, shape.width,
                                     shape.height, SDL_WINDOW_HIDDEN);
      if (!gSdl.window) return false;
    }
  }
  if (!gSdl.renderer) {
    // The window's image is a shared-memory picture of the X server, not an OpenGL texture.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    gSdl.renderer = SDL_CreateRenderer(gSdl.window, -1, SDL_RENDERER_SOFTWARE);
  }
  SDL_RendererInfo info{};
  gSdl.partialPresent = gSdl.renderer && SDL_GetRendererInfo(gSdl.renderer, &info) == 0 &&
                        (info.flags & SDL_RENDERER_SOFTWARE) != 0;
  return gSdl.renderer != nullptr;
}
