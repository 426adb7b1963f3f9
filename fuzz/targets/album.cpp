// Album files: any bytes read as "LNTR3.ALB" at start-up (mostly refused by the checksum), and
// the same bytes taken as the plain album, sealed so that the load accepts what they say, then
// counted, grouped and tidied in every order. The seal must give back what it sealed.
#include "screens/album.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "fuzz/harness.h"
#include "screens/save_data.h"

namespace {

// Loads `file` as the album and works through what the extras do with the kept scenes.
void LoadAndTidy(std::span<const uint8_t> file) {
  FuzzWriteData(kAlbumFileName, file);
  FuzzGuard([] {
    AlbumLoad();
    FUZZ_CHECK(AlbumData.count <= kAlbumScenes);
    for (uint32_t i = 0; i < AlbumData.count; i++) {
      const int group = AlbumGroup(AlbumData.entries[i]);
      FUZZ_CHECK(group >= 0 && group <= 8);
    }
    for (int group = 0; group <= 8; group++) AlbumPictureCount(group);
    const uint32_t count = AlbumData.count;
    for (int order = 0; order < 3; order++) {
      AlbumReorder(order, order == 1);
      FUZZ_CHECK(AlbumData.count <= count);
    }
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartEngine();
  SaveDir.clear();
  LoadAndTidy({data, size});
  if (size == kAlbumFileSize) {
    // The count, caption switch and scenes come back as sealed; an impossible count is refused.
    std::vector<uint8_t> image(data, data + size);
    AlbumSeal(image.data());
    std::vector<uint8_t> plain = image;
    uint32_t count;
    std::memcpy(&count, data + offsetof(AlbumFile, count), sizeof count);
    FUZZ_CHECK(AlbumUnseal(plain.data()) == (count <= kAlbumScenes));
    const auto same = [&](size_t from, size_t to) {
      return std::equal(data + from, data + to, plain.begin() + from);
    };
    FUZZ_CHECK(count > kAlbumScenes ||
               (same(offsetof(AlbumFile, count), offsetof(AlbumFile, random233)) &&
                same(offsetof(AlbumFile, entries), offsetof(AlbumFile, random8428))));
    LoadAndTidy(image);
  }
  FuzzStopEngine();
  return 0;
}
