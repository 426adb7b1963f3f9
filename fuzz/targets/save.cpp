// Save files: any bytes unsealed as a state image (and sealed back when sound), then as slot 0
// and slot 99 of the data directory through what the slot screen, a load and a new
// play-through read of them.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "fuzz/harness.h"
#include "scenario/game_state.h"
#include "screens/save_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  FuzzStartEngine();
  if (size == kGameStateSize) {
    std::vector<uint8_t> image(bytes.begin(), bytes.end());
    if (SaveUnseal(image.data())) {
      // Sealed again (new salt, new seal byte), it unseals to the same state.
      std::vector<uint8_t> plain = image;
      SaveSeal(image.data());
      FUZZ_CHECK(SaveUnseal(image.data()));
      constexpr size_t kSealByte = offsetof(GameState, sealByte);
      plain[kSealByte] = image[kSealByte];
      FUZZ_CHECK(std::equal(plain.begin() + kSaltBytes, plain.end(), image.begin() + kSaltBytes));
    }
  }

  SaveDir.clear();
  FuzzWriteData(SlotFileName(0), bytes);
  FuzzWriteData(SlotFileName(kProgressSlot), bytes);
  FuzzGuard([] {
    SlotInfo info;
    SlotReadInfo(0, info);
    FUZZ_CHECK(info.valid == 0 || info.valid == 1);
    if (SlotLoad(0)) SlotUpdateNames(0);
    ProgressLoad();
  });
  FuzzStopEngine();
  return 0;
}
