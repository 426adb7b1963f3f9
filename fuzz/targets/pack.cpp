// Archives: the index reader on any bytes, then the engine's archive opening and the load of
// every entry the index names (the same bytes serve as both archives of the data directory).
#include "resources/pack.h"

#include <string>
#include <vector>

#include "app/app.h"
#include "fuzz/harness.h"
#include "resources/memory.h"

namespace {

// Loads every storable name of archive `a` (a name with a path in it would look outside the
// data directory for a loose file first).
void LoadAll(int a) {
  const PackArchive& archive = Pack.archives[a];
  if (!archive.index) return;
  std::vector<std::string> names;
  {
    const uint8_t* index = MemLock(archive.index);
    const std::span<const uint8_t> records(index, size_t{archive.count} * kPackRecordSize);
    for (uint32_t i = 0; i < archive.count && names.size() < 64; i++) {
      const std::string name = PackKeyName(PackRecordAt(records, i).key);
      if (PackIsValidName(name)) names.push_back(name);
    }
    MemUnlock(archive.index);
  }
  for (const std::string& name : names) {
    uint32_t size = 0;
    MemHandle block = PackLoad(name.c_str(), &size, a);
    FUZZ_CHECK(size <= MemSize(block));
    MemRelease(&block);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzStartPlatform();
  FuzzEmptyDataDir();
  MemFreeAll();
  MemReset();
  const std::span<const uint8_t> bytes(data, size);
  FuzzWriteData(kPackFileNames[kPackData], bytes);
  FuzzWriteData(kPackFileNames[kPackScenario], bytes);

  std::vector<uint8_t> index;
  uint16_t count = 0;
  uint64_t fileSize = 0;
  if (PackReadIndex((FuzzDataDir() / kPackFileNames[kPackData]).string(), index, count, fileSize) ==
      PackIndexResult::Ok) {
    FUZZ_CHECK(index.size() >= size_t{count} * kPackRecordSize);
  }

  FuzzGuard([] {
    PackOpen();
    LoadAll(kPackData);
    LoadAll(kPackScenario);
    PackClose();
  });
  MemFreeAll();
  return 0;
}
