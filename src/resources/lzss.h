// LZSS over a 4096-byte ring: the block unpacker for scenario and log data, the shared decoding
// core of the TZ2 and TZG pictures, and the packer the authoring tools store data with.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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
// The ring is kept unrolled in a linear window: the 4096 bytes before the write head are the
// ring's contents (all zero at the start, standing for the cleared ring), so a reference to
// ring position p is the byte d = (write position - p) mod 4096 behind the head (4096 when
// p is the write position itself). Copies can then run forwards in fixed chunks without
// wrapping; bytes written past the head are never read as history. When the head nears the
// end, the last 4096 bytes slide back to the front.
constexpr uint32_t kLzssWindowSpan = 16384;  // output between two slides
constexpr uint32_t kLzssWindowSlack = 64;    // room for chunked copies and reads past the head
constexpr uint32_t kLzssWindowSize = kLzssRingSize + kLzssWindowSpan + kLzssWindowSlack;
constexpr uint32_t kLzssSinkReadable = 32;

// Copies 16 bytes; with a fixed size this is one load and one store.
inline void LzssCopy16(uint8_t* to, const uint8_t* from) {
  uint8_t chunk[16];
  std::memcpy(chunk, from, 16);
  std::memcpy(to, chunk, 16);
}

// Decodes `count` bytes of `src` in `window` (kLzssWindowSize bytes; its ring part is cleared
// here) and hands them on in order as runs: sink(const uint8_t* bytes, uint32_t n), a literal
// being a run of one. The kLzssSinkReadable bytes from the start of a run may all be read;
// those past the run mean nothing. `literalMap`, when given, translates every literal before it is
// output and stored. Never reads outside `src`; false when the stream ends too early (the bytes
// decoded up to then have been handed on). Stops exactly after `count` bytes, even in the
// middle of a reference or of a flag group.
template <LzssCoding kCoding, typename Sink>
bool LzssDecode(std::span<const uint8_t> src, uint32_t count, uint8_t* window,
                const uint8_t* literalMap, Sink&& sink) {
  constexpr uint32_t kItemMask = kCoding == LzssCoding::Inverted ? 0xFFFF : 0;
  constexpr bool kFlagMeansReference = kCoding == LzssCoding::Inverted;
  for (uint32_t i = 0; i < kLzssRingSize; i++) window[i] = 0;
  const uint8_t* p = src.data();
  const uint8_t* const end = p + src.size();
  uint32_t left = count;
  uint32_t head = kLzssRingSize;  // where the next byte goes in the window
  uint32_t r = kLzssRingStart;    // the same place as a ring position
  while (left) {
    if (p == end) return false;
    uint32_t flags = *p++;
    for (int bit = 0; bit < 8 && left; bit++, flags <<= 1) {
      if (head >= kLzssRingSize + kLzssWindowSpan) {
        for (uint32_t i = 0; i < kLzssRingSize; i++) window[i] = window[head - kLzssRingSize + i];
        head = kLzssRingSize;
      }
      uint8_t* const to = window + head;
      if (((flags & 0x80) != 0) != kFlagMeansReference) {
        if (p == end) return false;
        uint8_t v = static_cast<uint8_t>(*p++ ^ kItemMask);
        if (literalMap) v = literalMap[v];
        *to = v;
        sink(static_cast<const uint8_t*>(to), 1u);
        head++;
        r = (r + 1) & kLzssRingMask;
        left--;
        continue;
      }
      if (end - p < 2) return false;
      const uint32_t word = ReadLe16(p) ^ kItemMask;
      p += 2;
      uint32_t distance = (r - (word >> 4)) & kLzssRingMask;
      if (distance == 0) distance = kLzssRingSize;
      uint32_t len = (word & 15) + kLzssMinMatch;
      if (len > left) len = left;
      const uint8_t* const from = to - distance;
      if (distance >= 16) {
        // Both chunks read only bytes written before them: exact for all 18 bytes.
        LzssCopy16(to, from);
        LzssCopy16(to + 16, from + 16);
      } else {
        // Close behind the head: the copy repeats what it has just produced, byte by byte.
        for (uint32_t i = 0; i < len; i++) to[i] = from[i];
      }
      sink(static_cast<const uint8_t*>(to), len);
      head += len;
      r = (r + len) & kLzssRingMask;
      left -= len;
    }
  }
  return true;
}

// How many bytes of `src` a decode of `count` bytes reads, without decoding; -1 when the
// stream ends first. Lets a decoder refuse a truncated stream before it touches anything.
ptrdiff_t LzssStreamLength(std::span<const uint8_t> src, uint32_t count, LzssCoding coding);

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
// fatal, like running out of memory.
MemHandle UnpackBlock(std::span<const uint8_t> block, const char* label);

// [SECTION] Packing

// The stream for `data`, in the given flavour; with `literalMap`, each literal byte v is stored
// as literalMap[v] (the decoder's map must undo it). Finds matches of 3 to 18 bytes in the ring
// with hash chains.
std::vector<uint8_t> LzssPackStream(std::span<const uint8_t> data, LzssCoding coding,
                                    const uint8_t* literalMap = nullptr);

// A packed block for `data` (count, then the inverted stream), as LzssUnpack reads it.
std::vector<uint8_t> LzssPack(std::span<const uint8_t> data);
