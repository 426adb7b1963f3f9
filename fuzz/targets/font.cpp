// Font files: any bytes as the alternative font the player picked, loaded the way the game
// loads it, then every glyph the file holds and some beyond drawn at the screen's edges.
#include "scenario/font.h"

#include "app/settings.h"
#include "fuzz/harness.h"
#include "graphics/frame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartEngine();
  FuzzWriteData("LNTR3_01.KNJ", std::span<const uint8_t>(data, size));
  FuzzGuard([&] {
    FindFonts();
    FUZZ_CHECK(FontPresent[0] == 1);
    FontNo = 1;
    SelectFont();
    FUZZ_CHECK(FontNo == 1 && FontBytes <= size);
    const uint32_t glyphs = FontBytes / kGlyphBytes;
    for (uint32_t code = 0; code <= glyphs + 2 && code < 200; code++) {
      DrawGlyph(static_cast<uint16_t>(code * 29 % 615), static_cast<uint16_t>(code * 13 % 455),
                static_cast<uint16_t>(code), 229, 228);
    }
    DrawGlyph(614, 454, 1, 229, 228);
    DrawGlyph(0, 0, 0xFFFF, 229, 228);
    ScreenUpdate();
  });
  FuzzStopEngine();
  return 0;
}
