// The SDL backend's choice of renderer: a graphics processor's only where the machine has one,
// SDL's software renderer wherever OpenGL would rasterise in software anyway.
#include "platform/sdl/sdl_render_pick.h"

#include <gtest/gtest.h>

namespace {

TEST(SdlRenderPickTest, SoftwareWithoutAGraphicsProcessor) {
  const struct {
    const char* what;
    SdlRenderFacts facts;
    SdlRenderPick pick;
  } cases[] = {
      // A virtual X display on a machine without a graphics device.
      {"Xvfb, no device", {"", "", false, "x11", 0, false}, SdlRenderPick::Software},
      // A device, but the X server offers no direct rendering (Xvfb on a machine with a GPU).
      {"no direct rendering", {"", "", false, "x11", 0, true}, SdlRenderPick::Software},
      {"LIBGL_ALWAYS_SOFTWARE", {"", "", true, "x11", 1, true}, SdlRenderPick::Software},
      {"offscreen, no device", {"", "", false, "offscreen", -1, false}, SdlRenderPick::Software},
      // A device and direct rendering: try it, and keep it unless its OpenGL is software.
      {"X with DRI", {"", "", false, "x11", 1, true}, SdlRenderPick::Probe},
      {"X, cannot tell", {"", "", false, "x11", -1, true}, SdlRenderPick::Probe},
      {"Wayland with a device", {"", "", false, "wayland", -1, true}, SdlRenderPick::Probe},
      // What the user asks for wins over the probe.
      {"SDL_RENDER_DRIVER software",
       {"", "software", false, "x11", 1, true},
       SdlRenderPick::Software},
      {"SDL_RENDER_DRIVER opengl",
       {"", "opengl", false, "x11", 0, false},
       SdlRenderPick::Accelerated},
      {"LNTR3_RENDERER gpu",
       {"gpu", "software", true, "x11", 0, false},
       SdlRenderPick::Accelerated},
      {"LNTR3_RENDERER Software",
       {"Software", "opengl", false, "x11", 1, true},
       SdlRenderPick::Software},
  };
  for (const auto& c : cases) EXPECT_EQ(SdlPickRenderer(c.facts), c.pick) << c.what;
}

TEST(SdlRenderPickTest, TellsSoftwareRasterisersByTheirRendererString) {
  const struct {
    const char* renderer;
    bool software;
  } cases[] = {
      {"llvmpipe (LLVM 15.0.6, 256 bits)", true},
      {"softpipe", true},
      {"Software Rasterizer", true},
      {"Mesa DRI swrast", true},
      {"Google SwiftShader", true},
      {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", false},
      {"NVIDIA GeForce GTX 1060/PCIe/SSE2", false},
      {"AMD Radeon RX 580 (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0)", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SdlIsSoftwareRasteriser(c.renderer), c.software) << c.renderer;
}

}  // namespace
