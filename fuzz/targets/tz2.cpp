// TZ2 pictures: the decoder on any bytes into a full frame at the picture's own position and
// into a small odd-sized frame it overhangs; a refused picture leaves frame and palette as they
// were.
#include "resources/tz2.h"

#include <cstring>
#include <vector>

#include "fuzz/harness.h"

namespace {

constexpr uint8_t kUntouched = 0xAB;
constexpr PalEntry kUntouchedColour{1, 2, 3, 4};

// Frames and palettes live for the whole run (a fresh 300 KB block per input costs more than
// the decoding); they are filled again before every use.
void Decode(std::span<const uint8_t> src, uint16_t width, uint16_t height, int16_t x, int16_t y,
            int32_t transparent) {
  static std::vector<uint8_t> pixels(640 * 480), untouched(640 * 480, kUntouched);
  static std::vector<PalEntry> palette(256), untouchedPalette(256, kUntouchedColour);
  const size_t count = static_cast<size_t>(width) * height;
  std::memset(pixels.data(), kUntouched, count);
  palette = untouchedPalette;
  const PicError error = Tz2DecodeQuiet(std::span(pixels).first(count), palette, src, width, height,
                                        x, y, transparent, 20, true);
  if (error != PicError::None) {
    FUZZ_CHECK(std::memcmp(pixels.data(), untouched.data(), count) == 0);
    FUZZ_CHECK(palette == untouchedPalette);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> src(data, size);
  Decode(src, 640, 480, 0, 0, -1);
  Decode(src, 97, 53, -13, -7, 5);
  return 0;
}
