// Hand-made PACK archives: the bytes laid out here, entry by entry, rather than by the writer
// under test, so that loader and tools meet exactly what a test states (damage included).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The scrambling key written out on purpose, so the tests do not trust the code under test.
inline constexpr uint8_t kTestPackKey[11] = {0x4E, 0x27, 0xB9, 0x0C, 0x73, 0xE5,
                                             0x1A, 0x98, 0xD2, 0x36, 0xAF};

// One entry; `offset` and `size` override the true ones in the index.
struct RawPackEntry {
  std::string key;  // the 11 stored characters, "NAME    EXT"
  std::vector<uint8_t> data;
  std::optional<uint32_t> offset = std::nullopt;
  std::optional<uint32_t> size = std::nullopt;
};

// Header, each entry scrambled as its own run, then the index scrambled as one run, in the
// order given (sorted or not). `spare` is the unused twelfth byte of each index record.
std::vector<uint8_t> RawPackArchive(const std::vector<RawPackEntry>& entries, uint8_t spare = 0x7F);
