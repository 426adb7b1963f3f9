// The settings file: any text read for the game's section, then written back with changed
// values; what was written reads back as exactly those values, and the other lines stay.
#include <string>

#include "fuzz/harness.h"
#include "platform/sdl/sdl_ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  SdlIniValues values;
  SdlIniParse(text, kSdlIniSection, values);

  // Every value read, one changed and one added, written back over the same file.
  SdlIniValues changed = values;
  changed["FontNo"] = "3";
  if (!values.empty()) changed.begin()->second += "x";
  std::string out;
  if (SdlIniMerge(text, kSdlIniSection, changed, out)) {
    SdlIniValues back;
    FUZZ_CHECK(SdlIniParse(out, kSdlIniSection, back));
    FUZZ_CHECK(back == changed);
  }
  return 0;
}
