// LZSS over a 4096-byte ring: the block unpacker for scenario and log data, the shared decoding
// core of the TZ2 and TZG pictures, and the packer the authoring tools store data with.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "resources/memory.h"

// [SECTION] Coding
// A stream is groups of one plain flag byte and up to eight items, taken from bit 7 down.
// A literal is one byte, a reference a little-endian word: ring position in the top 12 bits,
// length - 3 in the low 4. Two flavours exist: packed blocks and TZ2 pictures store every item
// byte inverted and flag references with 1; TZG pictures store items as they are, flag literals
// with 1, and keep literals bit-interleaved (the picture decoder undoes that, see tzg.cpp).
enum class LzssCoding { Inverted, Plain };

constexpr uint32_t kLzssRingSize = 4096;
constexpr uint32_t kLzssRingMask = kLzssRingSize - 1;
constexpr uint32_t kLzssRingStart = 0xFEE;  // first write position; the ring starts all zero
constexpr uint32_t kLzssMinMatch = 3;
constexpr uint32_t kLzssMaxMatch = 18;
// Most output one stream byte can yield: a group of eight references is 17 bytes for 144.
constexpr uint64_t kLzssMaxExpansion = 9;

// Reads a little-endian 16-bit or 32-bit number; the caller has checked the bytes are there.
inline uint16_t ReadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t ReadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// [SECTION] Decoding core

// Decodes the first out.size() bytes of `src` into `out`, in one pass that stops on damage.
// The ring is `out` itself: a reference to ring position p repeats the output from d bytes
// back, d = (write position - p) mod 4096 (a full 4096 when p is the write position), with
// zeros for what lies before the start. `literalMap`, when given, translates every literal
// before it is output. False when the stream ends first (what was decoded up to there is in
// `out`). Never reads outside `src` nor writes outside `out`, and stops exactly after
// out.size() bytes, even in the middle of a reference or of a flag group.
bool LzssDecode(std::span<uint8_t> out, std::span<const uint8_t> src, LzssCoding coding,
                const uint8_t* literalMap = nullptr);

// [SECTION] Packed blocks
// A packed block is a 4-byte little-endian count of unpacked bytes, then the inverted stream.

// The unpacked size a block announces when it is plausible: at least the count field, the
// count positive as a signed number and within what the stream after it could produce.
// 0 otherwise.
uint32_t LzssBlockSize(std::span<const uint8_t> block);

// Unpacks a block into `dst`. False when the count is 0 or negative (as a signed number), larger
// than `dst`, or the stream ends before that many bytes are out.
bool LzssUnpack(std::span<uint8_t> dst, std::span<const uint8_t> block);

// A new memory block under `label` holding the unpacked data, returned unlocked. A count of 0
// or below gives an empty block. A block whose stream cannot produce its count is damaged data:
// fatal, like running out of memory; `source` (Shift-JIS, may be null), the file the block
// comes from, is named on a line of its own below the message.
MemHandle UnpackBlock(std::span<const uint8_t> block, const char* label,
                      const char* source = nullptr);

// [SECTION] Packing

// The stream for `data`, in the given flavour; with `literalMap`, each literal byte v is stored
// as literalMap[v] (the decoder's map must undo it). Finds matches of 3 to 18 bytes in the ring
// with hash chains.
std::vector<uint8_t> LzssPackStream(std::span<const uint8_t> data, LzssCoding coding,
                                    const uint8_t* literalMap = nullptr);

// A packed block for `data` (count, then the inverted stream), as LzssUnpack reads it.
std::vector<uint8_t> LzssPack(std::span<const uint8_t> data);
