// Headless input scripts: any text through the parser; what it accepts is in time order.
#include <string>

#include "fuzz/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  HeadlessConfig config;
  std::string error;
  if (HeadlessParseScript(text, config, error)) {
    for (size_t i = 1; i < config.steps.size(); i++) {
      FUZZ_CHECK(config.steps[i - 1].time <= config.steps[i].time);
    }
  } else {
    FUZZ_CHECK(error.rfind("line ", 0) == 0);
  }
  return 0;
}
