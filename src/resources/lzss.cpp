// The LZSS decoding core, packed blocks (scenario event and message data, the message log) and
// the LZSS packer that the authoring tools use for blocks and pictures alike.
#include "resources/lzss.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>

#include "app/app.h"
#include "resources/sjis.h"

namespace {

constexpr uint32_t kBlockHeaderSize = 4;

// The decoder takes a whole flag group at a time, without checking each item, while the group
// cannot reach the end of either buffer: it reads at most the flag byte, eight references and
// one 8-byte literal chunk, and writes at most eight longest references and one 24-byte copy
// chunk. Closer to either end it goes item by item.
constexpr ptrdiff_t kFastStreamRoom = 1 + 8 * 2 + 8;
constexpr ptrdiff_t kFastOutputRoom = 8 * kLzssMaxMatch + 24;

// Copies 8 bytes; with a fixed size this is one load and one store.
inline void Copy8(uint8_t* to, const uint8_t* from) {
  uint64_t chunk;
  std::memcpy(&chunk, from, 8);
  std::memcpy(to, &chunk, 8);
}

// Stores an 8-byte pattern three times from `to`.
inline void Fill24(uint8_t* to, uint64_t pattern) {
  std::memcpy(to, &pattern, 8);
  std::memcpy(to + 8, &pattern, 8);
  std::memcpy(to + 16, &pattern, 8);
}

// Writes the `len` bytes (3..18) that a reference at `distance` bytes back from `to` produces,
// where all of them lie in the buffer; up to 24 bytes are written, those past `len` to be
// overwritten. A copy reads only bytes that are already final, and never reads back in wider
// pieces what was just written in narrower ones (that waits for the stores). Most references
// are far back and copied in 8-byte chunks; a run of one byte, the commonest short one, takes
// the same path from a pattern built in a register, so that telling the two apart costs no
// branch; a run of two or four bytes is built the same way; other distances below 8 go byte
// by byte.
inline void CopyReference(uint8_t* to, uint32_t distance, uint32_t len) {
  if (distance >= 8 || distance == 1) [[likely]] {
    uint64_t run[3];
    run[0] = run[1] = run[2] = to[-1] * 0x0101010101010101u;
    const uint8_t* from = distance == 1 ? reinterpret_cast<const uint8_t*>(run) : to - distance;
    Copy8(to, from);
    Copy8(to + 8, from + 8);
    Copy8(to + 16, from + 16);
    return;
  }
  const uint8_t* from = to - distance;
  switch (distance) {
    case 2: {
      uint16_t pair;
      std::memcpy(&pair, from, 2);
      Fill24(to, pair * 0x0001000100010001u);
      return;
    }
    case 4: {
      uint32_t quad;
      std::memcpy(&quad, from, 4);
      Fill24(to, quad * 0x0000000100000001u);
      return;
    }
    default:
      for (uint32_t k = 0; k < len; k++) to[k] = from[k];
  }
}

// The same, `len` bytes exactly, one at a time, for references that reach before the start
// of the output (zeros there) or past its end. `done` bytes are out before `to`.
inline void CopyReferenceNear(uint8_t* to, size_t done, uint32_t distance, uint32_t len) {
  for (uint32_t k = 0; k < len; k++) {
    to[k] = done + k >= distance ? to[k - static_cast<ptrdiff_t>(distance)] : 0;
  }
}

template <LzssCoding kCoding, bool kMapped>
bool Decode(std::span<uint8_t> output, std::span<const uint8_t> src, const uint8_t* literalMap) {
  constexpr bool kFlagMeansReference = kCoding == LzssCoding::Inverted;
  constexpr uint32_t kItemMask = kCoding == LzssCoding::Inverted ? 0xFFFF : 0;
  constexpr uint64_t kLiteralMask = kCoding == LzssCoding::Inverted ? ~uint64_t{0} : 0;
  const uint8_t* p = src.data();
  const uint8_t* const end = p + src.size();
  uint8_t* const begin = output.data();
  uint8_t* const outEnd = begin + output.size();
  uint8_t* out = begin;
  // The distance back of the reference `word` from `out`, 1..4096.
  const auto distanceOf = [begin](const uint8_t* at, uint32_t word) {
    const auto done = static_cast<uint32_t>(at - begin);
    return ((kLzssRingStart + done - (word >> 4) - 1) & kLzssRingMask) + 1;
  };
  const auto literal = [literalMap](uint8_t stored) {
    const auto v = static_cast<uint8_t>(stored ^ kItemMask);
    return kMapped ? literalMap[v] : v;
  };
  // The flag bits of a group, set for a reference.
  const auto references = [](uint8_t flags) -> uint32_t {
    return kFlagMeansReference ? flags : ~flags & 0xFFu;
  };
  while (out != outEnd) {
    if (end - p >= kFastStreamRoom && outEnd - out >= kFastOutputRoom) {
      // One bit per item from bit 31 down, and a stop bit after the eighth.
      uint32_t items = references(*p++) << 24 | 1u << 23;
      for (;;) {
        // The literals up to the next reference (or the stop) as one chunk of eight; what
        // lies past them is overwritten by what follows.
        const int literals = std::countl_zero(items);
        if constexpr (kMapped) {
          for (int i = 0; i < 8; i++) out[i] = literal(p[i]);
        } else {
          uint64_t chunk;
          std::memcpy(&chunk, p, 8);
          chunk ^= kLiteralMask;
          std::memcpy(out, &chunk, 8);
        }
        out += literals;
        p += literals;
        items <<= literals;
        if (items == 1u << 31) break;
        items <<= 1;
        const uint32_t word = ReadLe16(p) ^ kItemMask;
        p += 2;
        const uint32_t distance = distanceOf(out, word);
        const uint32_t len = (word & 15) + kLzssMinMatch;
        if (distance > static_cast<size_t>(out - begin)) [[unlikely]] {
          CopyReferenceNear(out, static_cast<size_t>(out - begin), distance, len);
        } else {
          CopyReference(out, distance, len);
        }
        out += len;
      }
      continue;
    }
    // Near the end of the stream or of the output: item by item, each checked.
    if (p == end) return false;
    uint32_t bits = references(*p++);
    for (int item = 0; item < 8 && out != outEnd; item++, bits <<= 1) {
      if (!(bits & 0x80)) {
        if (p == end) return false;
        *out++ = literal(*p++);
        continue;
      }
      if (end - p < 2) return false;
      const uint32_t word = ReadLe16(p) ^ kItemMask;
      p += 2;
      const uint32_t room = static_cast<uint32_t>(outEnd - out);
      const uint32_t len = std::min((word & 15) + kLzssMinMatch, room);
      CopyReferenceNear(out, static_cast<size_t>(out - begin), distanceOf(out, word), len);
      out += len;
    }
  }
  return true;
}

}  // namespace

// [SECTION] Unpacking

bool LzssDecode(std::span<uint8_t> out, std::span<const uint8_t> src, LzssCoding coding,
                const uint8_t* literalMap) {
  if (coding == LzssCoding::Inverted) {
    return literalMap ? Decode<LzssCoding::Inverted, true>(out, src, literalMap)
                      : Decode<LzssCoding::Inverted, false>(out, src, nullptr);
  }
  return literalMap ? Decode<LzssCoding::Plain, true>(out, src, literalMap)
                    : Decode<LzssCoding::Plain, false>(out, src, nullptr);
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
  return LzssDecode(dst.first(count), block.subspan(kBlockHeaderSize), LzssCoding::Inverted);
}

namespace {

// The unpacker's fatal end: its own message, and below it the file the block came from.
[[noreturn]] void UnpackFatal(const char* utf8Message, const char* sjisSource) {
  std::string text = Sjis(utf8Message);
  if (sjisSource) text += std::string("\n") + sjisSource;
  ExitGame(text.c_str());
}

}  // namespace

MemHandle UnpackBlock(std::span<const uint8_t> block, const char* label, const char* source) {
  // A count of 0 or below announces an empty block; anything else must be all there.
  const bool empty =
      block.size() >= kBlockHeaderSize && static_cast<int32_t>(ReadLe32(block.data())) <= 0;
  const uint32_t count = empty ? 0 : LzssBlockSize(block);
  if (!empty && count == 0) UnpackFatal("データ異常です : 展開バッファ", source);
  const MemHandle handle = MemAlloc(count, label);
  if (handle == 0) UnpackFatal("メモリ不足です : 展開バッファ", source);
  if (empty) return handle;
  uint8_t* data = MemLock(handle);
  const bool done = LzssUnpack(std::span<uint8_t>(data, count), block);
  MemUnlock(handle);
  if (!done) {
    MemFree(handle);
    UnpackFatal("データ異常です : 展開バッファ", source);
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
