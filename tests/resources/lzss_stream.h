// Hand-made LZSS streams for the decoder tests: each item spelled out, flag bits and all, so
// that a test states exactly the bytes the decoder meets.
#pragma once

#include <cstdint>
#include <vector>

struct TestStream {
  bool inverted = true;  // packed blocks and TZ2: items inverted, flag 1 = reference
  std::vector<uint8_t> bytes{};
  size_t flagAt = 0;
  int items = 8;

  void Flag(bool set) {
    if (items == 8) {
      flagAt = bytes.size();
      bytes.push_back(0);
      items = 0;
    }
    if (set) bytes[flagAt] |= static_cast<uint8_t>(0x80 >> items);
    items++;
  }
  // A literal as stored (the decoder inverts it back in the inverted flavour).
  TestStream& Lit(uint8_t decoded) {
    Flag(!inverted);
    bytes.push_back(inverted ? static_cast<uint8_t>(~decoded) : decoded);
    return *this;
  }
  // A reference to ring position `pos`, `len` 3..18 bytes.
  TestStream& Ref(uint32_t pos, uint32_t len) {
    Flag(inverted);
    uint32_t word = pos << 4 | (len - 3);
    if (inverted) word ^= 0xFFFF;
    bytes.push_back(static_cast<uint8_t>(word));
    bytes.push_back(static_cast<uint8_t>(word >> 8));
    return *this;
  }
};

// A packed block: the count, then the stream.
inline std::vector<uint8_t> TestBlock(int32_t count, const std::vector<uint8_t>& stream) {
  std::vector<uint8_t> block;
  for (int i = 0; i < 4; i++)
    block.push_back(static_cast<uint8_t>(static_cast<uint32_t>(count) >> 8 * i));
  block.insert(block.end(), stream.begin(), stream.end());
  return block;
}
