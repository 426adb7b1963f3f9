// LZSS blocks: the size check, the unpacker and the engine's block loader on any bytes, and both
// stream flavours through the decoding core.
#include "resources/lzss.h"

#include <algorithm>
#include <vector>

#include "fuzz/harness.h"
#include "resources/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartPlatform();
  MemReset();
  const std::span<const uint8_t> input(data, size);

  // A packed block: exactly sized buffers, so that the sanitizers see any stray access.
  if (const uint32_t count = LzssBlockSize(input); count > 0) {
    std::vector<uint8_t> out(count);
    LzssUnpack(out, input);
  }
  FuzzGuard([&] {
    MemHandle block = UnpackBlock(input, "FUZZ");
    MemRelease(&block);
  });
  MemFreeAll();

  // The bare streams, the output size taken from the first byte.
  if (size >= 1) {
    std::vector<uint8_t> out(static_cast<size_t>(data[0]) * 37);
    LzssDecode(out, input.subspan(1), LzssCoding::Inverted);
    LzssDecode(out, input.subspan(1), LzssCoding::Plain);
  }
  return 0;
}
