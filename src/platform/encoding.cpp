// Shift-JIS (code page 932) to and from UTF-8, at the boundary between engine and host.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/platform.h"

namespace {

// Converts with iconv; a byte that does not convert becomes '?' so that a broken text still
// shows as much as it can.
std::string Convert(const char* to, const char* from, std::string_view in) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
  std::string out;
  out.reserve(in.size() * 2 + 4);
  char buffer[256];
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    const size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, dst - buffer);
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back('?');
      src++;
      srcLeft--;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string PlatSjisToUtf8(std::string_view sjis) {
  return Convert("UTF-8", "CP932", sjis);
}

std::string PlatUtf8ToSjis(std::string_view utf8) {
  return Convert("CP932", "UTF-8", utf8);
}
