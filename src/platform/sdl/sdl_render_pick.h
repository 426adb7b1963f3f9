// Which renderer the window gets, decided from what the machine has, without SDL: a graphics
// processor's renderer when there is one, else SDL's software renderer drawing straight into
// the window's image. A software OpenGL (Mesa's llvmpipe and the like) counts as no graphics
// processor: it costs more than the software renderer and brings a compiler and threads along.
#pragma once

#include <string>
#include <string_view>

// What can be found out before any renderer exists.
struct SdlRenderFacts {
  std::string forced;        // LNTR3_RENDERER: "software", "gpu", or empty to decide here
  std::string renderDriver;  // SDL_RENDER_DRIVER as the user set it, or empty
  bool glSoftware = false;   // LIBGL_ALWAYS_SOFTWARE asks for a software OpenGL
  std::string videoDriver;   // SDL's video driver: "x11", "wayland", "offscreen", ...
  int directRendering = -1;  // X: the server offers direct rendering (1), does not (0), unknown
  bool gpuDevice = false;    // a render node (/dev/dri/renderD*) or a vendor device node exists
};

enum class SdlRenderPick {
  Software,     // SDL's software renderer on the window's image
  Accelerated,  // the accelerated renderer, as asked for
  Probe,        // the accelerated renderer, kept only when its OpenGL is no software one
};

SdlRenderPick SdlPickRenderer(const SdlRenderFacts& facts);

// Whether an OpenGL renderer string names a software rasteriser.
bool SdlIsSoftwareRasteriser(std::string_view glRenderer);
