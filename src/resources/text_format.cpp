// The engine's own text formatter and the Shift-JIS width count it uses for %s.
// Knows kana modes, message-font digit codes and two-byte characters; nothing else.
#include "resources/text_format.h"

#include <algorithm>
#include <array>

uint16_t FormatKanaMode = kKanaAsIs;

namespace {

// [SECTION] Tables

// Full-width forms of the half-width katakana 0xA0..0xDF, as Shift-JIS codes. Entry 0 is the
// full-width blank; then "。「」、・ヲァィゥェォャュョッーアイウエオ...ワン゛゜" in code order.
constexpr std::array<uint16_t, 64> kKatakana = {
    0x8140, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340, 0x8342, 0x8344, 0x8346,
    0x8348, 0x8383, 0x8385, 0x8387, 0x8362, 0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349,
    0x834A, 0x834C, 0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C, 0x835E,
    0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B, 0x836C, 0x836D, 0x836E, 0x8371,
    0x8374, 0x8377, 0x837A, 0x837D, 0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388,
    0x8389, 0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B};
// The same places as hiragana: "　。「」、・をぁぃぅぇぉゃゅょっーあいうえお...わん゛゜".
constexpr std::array<uint16_t, 64> kHiragana = {
    0x8140, 0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x82F0, 0x829F, 0x82A1, 0x82A3, 0x82A5,
    0x82A7, 0x82E1, 0x82E3, 0x82E5, 0x82C1, 0x815B, 0x82A0, 0x82A2, 0x82A4, 0x82A6, 0x82A8,
    0x82A9, 0x82AB, 0x82AD, 0x82AF, 0x82B1, 0x82B3, 0x82B5, 0x82B7, 0x82B9, 0x82BB, 0x82BD,
    0x82BF, 0x82C2, 0x82C4, 0x82C6, 0x82C8, 0x82C9, 0x82CA, 0x82CB, 0x82CC, 0x82CD, 0x82D0,
    0x82D3, 0x82D6, 0x82D9, 0x82DC, 0x82DD, 0x82DE, 0x82DF, 0x82E0, 0x82E2, 0x82E4, 0x82E6,
    0x82E7, 0x82E8, 0x82E9, 0x82EA, 0x82EB, 0x82ED, 0x82F1, 0x814A, 0x814B};

// Digits by value, then the overflow mark and the padding blank.
constexpr int kDigitOverflow = 16;
constexpr int kDigitBlank = 17;
constexpr char kPlainDigits[] = "0123456789ABCDEF- ";
// Second bytes of the message-font digit codes (the first byte is always 0x00).
constexpr std::array<uint8_t, 18> kDigitCodes = {0x36, 0x37, 0x38, 0x39, 0x3A, 0x3B,
                                                 0x3C, 0x3D, 0x3E, 0x3F, 0x02, 0x03,
                                                 0x04, 0x05, 0x06, 0x07, 0xEC, 0x00};

constexpr int32_t kNoWidth = -1;
// Widths are kept within what a 16-bit write position could ever reach.
constexpr int32_t kMaxWidth = 32767;

bool IsHalfKana(uint8_t b) {
  return b >= 0xA0 && b <= 0xDF;
}

// [SECTION] Output

// Where the bytes go: a caller's fixed buffer (one byte kept for the zero) or a growing string.
// Pieces are written whole or not at all; once one is dropped every later one is too, so the
// output is always a clean prefix of the full result.
struct FormatSink {
  char* fixed = nullptr;
  size_t capacity = 0;
  std::string* grow = nullptr;
  size_t length = 0;
  bool cut = false;

  void Put(const char* bytes, size_t count) {
    if (cut) return;
    if (grow) {
      grow->append(bytes, count);
    } else if (capacity - length >= count) {
      std::copy_n(bytes, count, fixed + length);
    } else {
      cut = true;
      return;
    }
    length += count;
  }
  void PutByte(uint8_t b) {
    char c = static_cast<char>(b);
    Put(&c, 1);
  }
  void PutPair(uint16_t code) {
    const char pair[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    Put(pair, 2);
  }
  void PutBlanks(int32_t count) {
    for (int32_t i = 0; i < count; i++) PutByte(' ');
  }
};

// Copies one character of a text at `p` (ASCII, half-width kana in the kana mode, or a
// two-byte character) and moves `p` past it. Answers the bytes written. A lead byte right
// before the end of the text is written alone: the zero byte is never taken as its trail.
int PutChar(FormatSink& out, const uint8_t*& p, uint16_t mode) {
  uint8_t b = *p++;
  if (b < 0x80) {
    out.PutByte(b);
    return 1;
  }
  if (IsHalfKana(b)) {
    if (mode == kKanaAsIs) {
      out.PutByte(b);
      return 1;
    }
    out.PutPair(mode == kKanaKatakana ? kKatakana[b - 0xA0] : kHiragana[b - 0xA0]);
    return 2;
  }
  if (*p == 0) {
    out.PutByte(b);
    return 1;
  }
  out.PutPair(static_cast<uint16_t>(b << 8 | *p++));
  return 2;
}

// Width in half-width positions, without the 16-bit limit of the public answer.
size_t TextWidth(const char* text, uint16_t mode) {
  size_t width = 0;
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  while (*p) {
    uint8_t b = *p++;
    if (b < 0x80) {
      width += 1;
    } else if (IsHalfKana(b)) {
      width += mode == kKanaAsIs ? 1 : 2;
    } else if (*p == 0) {
      width += 1;
    } else {
      p++;
      width += 2;
    }
  }
  return width;
}

// [SECTION] Conversions

struct ConversionFlags {
  bool codes = false;  // '!': message-font digit codes
  bool left = false;   // '-'
  bool zero = false;   // width written with a leading 0
  int32_t width = kNoWidth;
};

// Walks the arguments; a missing argument reads as the number 0 or an empty text.
struct ArgCursor {
  const FormatArg* next;
  const FormatArg* end;

  uint32_t Number() {
    if (next == end) return 0;
    const FormatArg& arg = *next++;
    return arg.kind == FormatArg::Kind::Number ? arg.number : 0;
  }
  const char* Text() {
    if (next == end) return "";
    const FormatArg& arg = *next++;
    return arg.kind == FormatArg::Kind::Text && arg.text ? arg.text : "";
  }
};

void PutDigit(FormatSink& out, int index, bool codes) {
  if (codes) {
    out.PutPair(kDigitCodes[index]);
  } else {
    out.PutByte(static_cast<uint8_t>(kPlainDigits[index]));
  }
}

// %d and %x: unsigned, padded to the width; too many digits give width overflow marks.
void PutNumber(FormatSink& out, uint32_t value, uint32_t base, const ConversionFlags& f) {
  std::array<uint8_t, 32> digits;
  int32_t n = 0;
  do {
    digits[n++] = static_cast<uint8_t>(value % base);
    value /= base;
  } while (value != 0);
  if (f.width != kNoWidth && n > f.width) {
    for (int32_t i = 0; i < f.width; i++) PutDigit(out, kDigitOverflow, f.codes);
    return;
  }
  if (!f.left && n < f.width) {
    for (int32_t i = n; i < f.width; i++) PutDigit(out, f.zero ? 0 : kDigitBlank, f.codes);
  }
  for (int32_t i = n - 1; i >= 0; i--) PutDigit(out, digits[i], f.codes);
  // Left-justified padding is always plain blanks, twice as many for two-byte codes.
  if (f.left && n < f.width) out.PutBlanks((f.width - n) * (f.codes ? 2 : 1));
}

// %s: right- or left-justified to the width; a longer text is cut after the character that
// reaches the width.
void PutText(FormatSink& out, const char* text, uint16_t mode, const ConversionFlags& f) {
  const auto width = static_cast<size_t>(f.width);
  const size_t textWidth = TextWidth(text, mode);
  size_t written = 0;
  if (!f.left && f.width != kNoWidth && textWidth < width) {
    out.PutBlanks(static_cast<int32_t>(width - textWidth));
    written = width - textWidth;
  }
  const auto* p = reinterpret_cast<const uint8_t*>(text);
  while (*p) {
    written += PutChar(out, p, mode);
    if (f.width != kNoWidth && written >= width) break;
  }
  if (f.left && f.width != kNoWidth && textWidth < width) {
    out.PutBlanks(static_cast<int32_t>(width - textWidth));
  }
}

// Reads one conversion starting after its '%' and answers the position after it. A format
// that ends inside a conversion ends the conversion too.
const uint8_t* Convert(FormatSink& out, const uint8_t* p, ArgCursor& args, uint16_t mode) {
  ConversionFlags f;
  bool inWidth = false;
  while (*p) {
    uint8_t c = *p++;
    if (c >= '0' && c <= '9') {
      if (!inWidth) {
        f.width = c - '0';
        if (c == '0') f.zero = true;
        inWidth = true;
      } else {
        f.width = std::min(f.width * 10 + (c - '0'), kMaxWidth);
      }
      continue;
    }
    inWidth = false;
    if (c > 0x60) c = static_cast<uint8_t>(c - 0x20);
    switch (c) {
      case '!':
        f.codes = true;
        break;
      case '-':
        f.left = true;
        break;
      case 'C':
        out.PutByte(static_cast<uint8_t>(args.Number() & 0xFF));
        return p;
      case 'S':
        PutText(out, args.Text(), mode, f);
        return p;
      case 'D':
        PutNumber(out, args.Number(), 10, f);
        return p;
      case 'X':
        PutNumber(out, args.Number(), 16, f);
        return p;
      default:  // 'L' and anything unknown are skipped
        break;
    }
  }
  return p;
}

void FormatInto(FormatSink& out, const char* format, std::initializer_list<FormatArg> args) {
  FormatKanaMode = kKanaAsIs;
  ArgCursor cursor{args.begin(), args.end()};
  const auto* p = reinterpret_cast<const uint8_t*>(format ? format : "");
  while (*p) {
    switch (*p) {
      case '^':
        if (p[1] == 0) return;
        out.PutByte(p[1]);
        p += 2;
        break;
      case '%':
        p = Convert(out, p + 1, cursor, FormatKanaMode);
        break;
      case '&':
        FormatKanaMode = kKanaAsIs;
        p++;
        break;
      case '@':
        FormatKanaMode = kKanaKatakana;
        p++;
        break;
      case '#':
        FormatKanaMode = kKanaHiragana;
        p++;
        break;
      default:
        PutChar(out, p, FormatKanaMode);
        break;
    }
  }
}

}  // namespace

// [SECTION] Public

size_t FormatText(std::span<char> dest, const char* format, std::initializer_list<FormatArg> args) {
  if (dest.empty()) return 0;
  FormatSink out;
  out.fixed = dest.data();
  out.capacity = dest.size() - 1;
  FormatInto(out, format, args);
  dest[out.length] = 0;
  return out.length;
}

std::string FormatText(const char* format, std::initializer_list<FormatArg> args) {
  std::string result;
  FormatSink out;
  out.grow = &result;
  FormatInto(out, format, args);
  return result;
}

uint16_t SjisTextWidth(const char* text) {
  return static_cast<uint16_t>(TextWidth(text ? text : "", FormatKanaMode));
}
