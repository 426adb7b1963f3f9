// TZG pictures: the decoder on any bytes into a full frame and into a small odd-sized frame the
// picture overhangs; a damaged picture leaves the frame's pixels as they were.
#include "resources/tzg.h"

#include <cstring>
#include <vector>

#include "fuzz/harness.h"

namespace {

constexpr uint8_t kUntouched = 0xAB;

// Frames live for the whole run (a fresh 300 KB block per input costs more than the decoding).
void Decode(std::span<const uint8_t> src, uint16_t width, uint16_t height, int16_t x, int16_t y) {
  static std::vector<uint8_t> pixels(640 * 480), untouched(640 * 480, kUntouched);
  static std::vector<uint8_t> colourTable(1024);
  static std::vector<PalEntry> palette(256);
  const size_t count = static_cast<size_t>(width) * height;
  std::memset(pixels.data(), kUntouched, count);
  const PicError error = TzgDecodeQuiet(std::span(pixels).first(count), colourTable, palette, src,
                                        width, height, x, y, true);
  if (error == PicError::BadData) {
    FUZZ_CHECK(std::memcmp(pixels.data(), untouched.data(), count) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> src(data, size);
  Decode(src, 640, 480, 0, 0);
  Decode(src, 97, 53, -13, -7);
  return 0;
}
