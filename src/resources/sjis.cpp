// Shift-JIS literals, converted on first use and kept.
#include "resources/sjis.h"

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/platform.h"

const char* Sjis(const char* utf8) {
  // Keyed by the literal's text, so that equal literals share one converted copy.
  static std::unordered_map<std::string, std::unique_ptr<std::string>> converted;
  auto& slot = converted[utf8];
  if (!slot) slot = std::make_unique<std::string>(PlatUtf8ToSjis(utf8));
  return slot->c_str();
}
