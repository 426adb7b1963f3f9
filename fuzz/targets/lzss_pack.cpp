// The LZSS packer of the authoring tools: any bytes packed, as a block and as both stream
// flavours, unpack to themselves. (Apart from the decoders: setting up the packer's match
// tables costs far more than a decode.)
#include <algorithm>
#include <array>
#include <vector>

#include "fuzz/harness.h"
#include "resources/lzss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  if (size == 0) return 0;
  std::vector<uint8_t> back(size);
  FUZZ_CHECK(LzssUnpack(back, LzssPack(input)));
  FUZZ_CHECK(std::equal(input.begin(), input.end(), back.begin()));

  // A literal map and its inverse, as the TZG pictures use them.
  std::array<uint8_t, 256> map, inverse;
  for (int v = 0; v < 256; v++) map[v] = static_cast<uint8_t>(v * 37 + 11);
  for (int v = 0; v < 256; v++) inverse[map[v]] = static_cast<uint8_t>(v);
  FUZZ_CHECK(LzssDecode(back, LzssPackStream(input, LzssCoding::Plain, map.data()),
                        LzssCoding::Plain, inverse.data()));
  FUZZ_CHECK(std::equal(input.begin(), input.end(), back.begin()));
  return 0;
}
