// Packed blocks (scenario event and message data, the message log) and the LZSS packer that
// the authoring tools use for blocks and pictures alike.
#include "resources/lzss.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "app/app.h"
#include "resources/sjis.h"

namespace {

constexpr uint32_t kBlockHeaderSize = 4;

// The ring of the block unpacker; pictures have their own. Cleared at the start of each decode.
uint8_t BlockRing[kLzssWindowSize];

}  // namespace

// [SECTION] Unpacking

ptrdiff_t LzssStreamLength(std::span<const uint8_t> src, uint32_t count, LzssCoding coding) {
  const bool flagMeansReference = coding == LzssCoding::Inverted;
  size_t at = 0;
  uint32_t left = count;
  while (left) {
    if (at == src.size()) return -1;
    uint32_t flags = src[at++];
    for (int bit = 0; bit < 8 && left; bit++, flags <<= 1) {
      if (((flags & 0x80) != 0) != flagMeansReference) {
        if (at == src.size()) return -1;
        at++;
        left--;
        continue;
      }
      if (src.size() - at < 2) return -1;
      const uint32_t word = ReadLe16(&src[at]) ^ (flagMeansReference ? 0xFFFF : 0);
      at += 2;
      left -= std::min(left, (word & 15) + kLzssMinMatch);
    }
  }
  return static_cast<ptrdiff_t>(at);
}

uint32_t LzssBlockSize(std::span<const uint8_t> block) {
  if (block.size() < kBlockHeaderSize) return 0;
  const int32_t count = static_cast<int32_t>(ReadLe32(block.data()));
  if (count <= 0) return 0;
  const uint64_t streamBytes = block.size() - kBlockHeaderSize;
  if (static_cast<uint64_t>(count) > streamBytes * kLzssMaxExpansion) return 0;
  return static_cast<uint32_t>(count);
}

bool LzssUnpack(std::span<uint8_t> dst, std::span<const uint8_t> block) {
  const uint32_t count = LzssBlockSize(block);
  if (count == 0 || count > dst.size()) return false;
  uint8_t* out = dst.data();
  size_t room = count;
  return LzssDecode<LzssCoding::Inverted>(block.subspan(kBlockHeaderSize), count, BlockRing,
                                          nullptr, [&](const uint8_t* run, uint32_t n) {
                                            // A fixed-size copy is cheaper than a short loop of
                                            // varying length; what it writes past the run is
                                            // overwritten by the runs that follow.
                                            if (room >= kLzssSinkReadable) {
                                              std::memcpy(out, run, kLzssSinkReadable);
                                            } else {
                                              for (uint32_t i = 0; i < n; i++) out[i] = run[i];
                                            }
                                            out += n;
                                            room -= n;
                                          });
}

MemHandle UnpackBlock(std::span<const uint8_t> block, const char* label) {
  // A count of 0 or below announces an empty block; anything else must be all there.
  const bool empty =
      block.size() >= kBlockHeaderSize && static_cast<int32_t>(ReadLe32(block.data())) <= 0;
  const uint32_t count = empty ? 0 : LzssBlockSize(block);
  if (!empty && count == 0) ExitGame(Sjis("データ異常です : 展開バッファ"));
  const MemHandle handle = MemAlloc(count, label);
  if (handle == 0) ExitGame(Sjis("メモリ不足です : 展開バッファ"));
  if (empty) return handle;
  uint8_t* data = MemLock(handle);
  const bool done = LzssUnpack(std::span<uint8_t>(data, count), block);
  MemUnlock(handle);
  if (!done) {
    MemFree(handle);
    ExitGame(Sjis("データ異常です : 展開バッファ"));
  }
  return handle;
}

// [SECTION] Packing

namespace {

constexpr uint32_t kHashBits = 15;
constexpr uint32_t kHashSize = 1u << kHashBits;
// Candidates looked at per position; beyond this the ratio barely moves and time does.
constexpr int kMaxChain = 96;
// Furthest back a match may start. The ring holds 4096 bytes, but one step short of a full lap
// keeps every source byte clearly behind the write position.
constexpr uint32_t kMaxDistance = kLzssRingSize - 1;
// Zeros placed before the data: the ring starts all zero, so a run of zeros at the start can
// already be a reference.
constexpr uint32_t kZeroLead = kLzssMaxMatch;

uint32_t Hash3(const uint8_t* p) {
  const uint32_t v = p[0] | p[1] << 8 | p[2] << 16;
  return (v * 2654435761u) >> (32 - kHashBits);
}

// Writes items into flag groups of the chosen flavour.
struct StreamWriter {
  LzssCoding coding;
  const uint8_t* literalMap;
  std::vector<uint8_t> out;
  size_t flagAt = 0;
  int items = 8;

  void StartItem(bool reference) {
    if (items == 8) {
      flagAt = out.size();
      out.push_back(0);
      items = 0;
    }
    const bool setBit = coding == LzssCoding::Inverted ? reference : !reference;
    if (setBit) out[flagAt] |= static_cast<uint8_t>(0x80 >> items);
    items++;
  }
  void Literal(uint8_t v) {
    StartItem(false);
    if (literalMap) v = literalMap[v];
    out.push_back(coding == LzssCoding::Inverted ? static_cast<uint8_t>(~v) : v);
  }
  void Reference(uint32_t ringPos, uint32_t length) {
    StartItem(true);
    uint32_t word = (ringPos << 4) | (length - kLzssMinMatch);
    if (coding == LzssCoding::Inverted) word ^= 0xFFFF;
    out.push_back(static_cast<uint8_t>(word));
    out.push_back(static_cast<uint8_t>(word >> 8));
  }
};

// Finds matches in a buffer of kZeroLead zeros followed by the data, through hash chains.
struct MatchFinder {
  std::vector<uint8_t> buf;
  std::vector<int32_t> head;
  std::vector<int32_t> prev;
  uint32_t inserted = 0;  // positions [0, inserted) are in the chains

  explicit MatchFinder(std::span<const uint8_t> data)
      : buf(kZeroLead + data.size() + 2, 0), head(kHashSize, -1), prev(buf.size(), -1) {
    std::copy(data.begin(), data.end(), buf.begin() + kZeroLead);
  }

  // Puts every position below `upto` that still has three bytes behind it into the chains.
  void InsertUpTo(uint32_t upto, uint32_t limit) {
    for (; inserted < upto && inserted + kLzssMinMatch <= limit; inserted++) {
      const uint32_t h = Hash3(&buf[inserted]);
      prev[inserted] = head[h];
      head[h] = static_cast<int32_t>(inserted);
    }
  }

  // Longest match for position `at` (at most `maxLen` bytes); sets `source`.
  uint32_t Longest(uint32_t at, uint32_t maxLen, uint32_t& source) const {
    if (maxLen < kLzssMinMatch) return 0;
    uint32_t best = 0;
    int32_t cand = head[Hash3(&buf[at])];
    for (int chain = 0; cand >= 0 && chain < kMaxChain; chain++, cand = prev[cand]) {
      const uint32_t c = static_cast<uint32_t>(cand);
      if (at - c > kMaxDistance) break;
      if (buf[c + best] != buf[at + best]) continue;
      uint32_t len = 0;
      while (len < maxLen && buf[c + len] == buf[at + len]) len++;
      if (len > best) {
        best = len;
        source = c;
        if (len == maxLen) break;
      }
    }
    return best >= kLzssMinMatch ? best : 0;
  }
};

}  // namespace

std::vector<uint8_t> LzssPackStream(std::span<const uint8_t> data, LzssCoding coding,
                                    const uint8_t* literalMap) {
  StreamWriter writer{coding, literalMap, {}};
  writer.out.reserve(data.size() / 2 + 16);
  MatchFinder finder(data);
  const uint32_t end = kZeroLead + static_cast<uint32_t>(data.size());
  // The lead zeros are history only: they are searched but never output.
  finder.InsertUpTo(kZeroLead, end);
  uint32_t at = kZeroLead;
  while (at < end) {
    const uint32_t maxLen = std::min(kLzssMaxMatch, end - at);
    uint32_t source = 0;
    uint32_t len = finder.Longest(at, maxLen, source);
    if (len) {
      // One step of lazy matching: a longer match at the next byte is worth a literal here.
      finder.InsertUpTo(at + 1, end);
      uint32_t nextSource = 0;
      const uint32_t nextLen =
          finder.Longest(at + 1, std::min(kLzssMaxMatch, end - at - 1), nextSource);
      if (nextLen > len) len = 0;
    }
    if (len) {
      // Ring position of the source byte: the data's byte i is written at kLzssRingStart + i.
      const uint32_t ringPos = (kLzssRingStart + source - kZeroLead) & kLzssRingMask;
      writer.Reference(ringPos, len);
      at += len;
    } else {
      writer.Literal(finder.buf[at]);
      at++;
    }
    finder.InsertUpTo(at, end);
  }
  return std::move(writer.out);
}

std::vector<uint8_t> LzssPack(std::span<const uint8_t> data) {
  const std::vector<uint8_t> stream = LzssPackStream(data, LzssCoding::Inverted);
  std::vector<uint8_t> block(kBlockHeaderSize + stream.size());
  const uint32_t count = static_cast<uint32_t>(data.size());
  for (uint32_t i = 0; i < kBlockHeaderSize; i++) block[i] = static_cast<uint8_t>(count >> 8 * i);
  std::copy(stream.begin(), stream.end(), block.begin() + kBlockHeaderSize);
  return block;
}
