// Hand-made LZSS streams for the decoder tests: each item spelled out, flag bits and all, so
// that a test states exactly the bytes the decoder meets.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

struct TestStream {
  bool inverted = true;  // packed blocks and TZ2: items inverted, flag 1 = reference
  std::vector<uint8_t> bytes{};
  size_t flagAt = 0;
  int items = 8;

  // A literal as decoded (stored inverted in the inverted flavour).
  TestStream& Lit(uint8_t decoded) {
    Item(!inverted, {static_cast<uint8_t>(inverted ? ~decoded : decoded)});
    return *this;
  }
  // A reference to ring position `pos`, `len` 3..18 bytes.
  TestStream& Ref(uint32_t pos, uint32_t len) {
    const uint32_t word = (pos << 4 | (len - 3)) ^ (inverted ? 0xFFFF : 0);
    Item(inverted, {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8)});
    return *this;
  }
  void Item(bool flag, std::initializer_list<uint8_t> stored) {
    if (items == 8) {
      flagAt = bytes.size();
      bytes.push_back(0);
      items = 0;
    }
    if (flag) bytes[flagAt] |= static_cast<uint8_t>(0x80 >> items);
    items++;
    bytes.insert(bytes.end(), stored);
  }
};

// A packed block: the count, then the stream.
inline std::vector<uint8_t> TestBlock(int32_t count, const std::vector<uint8_t>& stream) {
  std::vector<uint8_t> block(4);
  for (int i = 0; i < 4; i++)
    block[i] = static_cast<uint8_t>(static_cast<uint32_t>(count) >> 8 * i);
  block.insert(block.end(), stream.begin(), stream.end());
  return block;
}

// A stream written beside what a plain 4096-byte ring, zeroed and written from 0xFEE on one
// byte at a time, makes of it: `out` holds the bytes the stream decodes to. `map` translates
// literals as the decoder's literal map does.
struct RingModel {
  TestStream stream;
  const uint8_t* map = nullptr;
  std::vector<uint8_t> out{};
  std::vector<uint8_t> ring = std::vector<uint8_t>(4096, 0);
  uint32_t r = 0xFEE;

  void Put(uint8_t v) {
    out.push_back(v);
    ring[r] = v;
    r = (r + 1) & 4095;
  }
  RingModel& Lit(uint8_t decoded) {
    stream.Lit(decoded);
    Put(map ? map[decoded] : decoded);
    return *this;
  }
  // A reference `distance` bytes back from the write position (1..4096).
  RingModel& Back(uint32_t distance, uint32_t len) {
    const uint32_t pos = (r - distance) & 4095;
    stream.Ref(pos, len);
    for (uint32_t k = 0; k < len; k++) Put(ring[(pos + k) & 4095]);
    return *this;
  }
};
