// Hand-made PACK archives.
#include "support/archives.h"

#include <cstring>

namespace {

void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> RawPackArchive(const std::vector<RawPackEntry>& entries, uint8_t spare) {
  std::vector<uint8_t> file = {'T', 'A', 'Z', 'U', 'P', 'A', 'C', 'K'};
  file.push_back(static_cast<uint8_t>(entries.size()));
  file.push_back(static_cast<uint8_t>(entries.size() >> 8));
  std::vector<uint8_t> index(entries.size() * 24, 0);
  for (size_t e = 0; e < entries.size(); e++) {
    const RawPackEntry& entry = entries[e];
    std::memcpy(&index[e * 24], entry.key.data(), 11);
    index[e * 24 + 11] = spare;
    PutLe32(index, e * 24 + 12, entry.offset.value_or(static_cast<uint32_t>(file.size())));
    PutLe32(index, e * 24 + 16, entry.size.value_or(static_cast<uint32_t>(entry.data.size())));
    for (size_t i = 0; i < entry.data.size(); i++)
      file.push_back(static_cast<uint8_t>(entry.data[i] + kTestPackKey[i % 11]));
  }
  for (size_t i = 0; i < index.size(); i++)
    file.push_back(static_cast<uint8_t>(index[i] + kTestPackKey[i % 11]));
  return file;
}
