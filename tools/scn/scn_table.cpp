// The scenario language's command table and the one-command decoder the disassembler walks
// with and the assembler checks its own output against.
#include "tools/scn/scn_table.h"

#include <cstring>

namespace {

constexpr uint8_t E = kScnEvents;
constexpr uint8_t M = kScnMessages;
constexpr uint8_t B = kScnBoth;

// Ordered so that, among ops sharing a command word, the more specific form comes first: the
// assembler takes the first form a line matches.
constexpr ScnOp kOps[] = {
    // [SECTION] Flow of the event script
    {E, 1, {0x20}, "", "end"},
    {E, 2, {0x21, 0x00}, "", "quit"},
    {E, 2, {0x21, 0x01}, "mbb", "wave $0, $1, $2"},
    {E, 2, {0x21, 0x02}, "mbb", "ripple $0, $1, $2"},
    {E, 2, {0x21, 0x03}, "", "closing"},
    {E, 6, {0x21, 0x08, 0xFF, 0xFF, 0xFF, 0xFF}, "", "timer mark"},
    {E, 2, {0x21, 0x08}, "l", "timer $0"},
    {E, 1, {0x21}, "b", "ext $0"},
    {E, 1, {0x22}, "e", "call $0"},
    {E, 1, {0x23}, "b", "wait $0"},
    {E, 1, {0x24}, "mo", "choice $0"},
    {B, 1, {0x25}, "", "waitclick"},
    {E, 1, {0x26}, "", "checkpoint"},
    {E, 1, {0x27}, "", "restore"},
    {E, 1, {0x28}, "sb", "scenario $0, $1"},
    {E, 1, {0x29}, "e", "jump $0"},
    {E, 1, {0x2A}, "", "nextday"},
    {E, 1, {0x2B}, "bm", "tablechoice $0, $1"},
    {E, 1, {0x2C}, "", "tableclear"},
    {E, 1, {0x2D}, "sb", "storea $0, $1"},
    {E, 1, {0x2E}, "", "takea"},
    {E, 1, {0x2F}, "sb", "storeb $0, $1"},
    {E, 1, {0x30}, "", "takeb"},
    {E, 1, {0x31}, "", "allowskip"},
    {E, 1, {0x32}, "b", "calendar $0"},
    {E, 1, {0x33}, "b", "clock $0"},
    {E, 1, {0x34}, "vb", "addsat $0, $1"},
    {E, 1, {0x35}, "vb", "subsat $0, $1"},
    {E, 1, {0x55}, "d", "goto $0"},
    {E, 1, {0x56}, "vbd", "if $0 == $1 goto $2"},
    {E, 1, {0x57}, "vbd", "if $0 != $1 goto $2"},
    {E, 1, {0x58}, "vbd", "if $0 > $1 goto $2"},
    {E, 1, {0x59}, "vbd", "if $0 < $1 goto $2"},
    {E, 1, {0x5A}, "vbd", "if $0 >= $1 goto $2"},
    {E, 1, {0x5B}, "vbd", "if $0 <= $1 goto $2"},
    {E, 1, {0x5C}, "d", "if yes goto $0"},
    {E, 1, {0x5D}, "d", "if no goto $0"},
    {E, 1, {0x5E}, "vbd", "if bit $1 of $0 goto $2"},
    {E, 1, {0x5F}, "vbd", "if not bit $1 of $0 goto $2"},
    {E, 1, {0x60}, "d", "if clicked goto $0"},
    {B, 1, {0x61}, "vb", "set $0, $1"},
    {B, 1, {0x62}, "vb", "add $0, $1"},
    {E, 1, {0x63}, "vbb", "setbit $0, $1, $2"},
    {E, 1, {0x69}, "m", "say $0"},
    {E, 1, {0x6A}, "m", "say $0 then clear"},
    {E, 1, {0x6B}, "", "clear"},
    {E, 1, {0x6C}, "b", "op6c $0"},
    {E, 1, {0x90}, "s", "seen $0"},
    {E, 1, {0x91}, "", "nop"},
    {E, 1, {0x93}, "vb", "random $0, $1"},
    {E, 1, {0x94}, "", "saveprogress"},
    {E, 1, {0x95}, "b", "ending $0"},
    {E, 1, {0x96}, "b", "collect $0"},

    // [SECTION] Scene commands (the message text has its own numbers for some)
    {B, 1, {0x3C}, "b", "bg $0"},
    {B, 1, {0x3D}, "b", "bgredraw $0"},
    {B, 1, {0x3E}, "", "bgforget"},
    {B, 1, {0x3F}, "b", "bgfill $0"},
    {B, 1, {0x40}, "b", "hide $0"},
    {B, 1, {0x41}, "b", "hpic $0"},
    {B, 1, {0x42}, "b", "vpic $0"},
    {B, 1, {0x43}, "bc", "char $0, $1"},
    {B, 1, {0x44}, "bb", "reveal $0, $1"},
    {B, 1, {0x45}, "b", "show $0"},
    {B, 1, {0x46}, "b", "filter $0"},
    {B, 1, {0x47}, "b", "nextfilter $0"},
    {B, 1, {0x48}, "b", "filternow $0"},
    {E, 1, {0x49}, "bb", "push $0, $1"},
    {M, 1, {0xCE}, "bb", "push $0, $1"},
    {E, 1, {0x4A}, "b", "weather $0"},
    {M, 1, {0xCF}, "b", "weather $0"},
    {E, 1, {0x4B}, "b", "nextweather $0"},
    {M, 1, {0xF7}, "b", "nextweather $0"},
    {E, 1, {0x7D}, "b", "remember $0"},
    {M, 1, {0xF3}, "b", "remember $0"},
    {E, 1, {0x92}, "b", "quake $0"},
    {M, 1, {0xBC}, "b", "quake $0"},
    {E, 1, {0x97}, "", "claw"},
    {M, 1, {0xCA}, "", "claw"},
    {E, 1, {0x98}, "", "curtain"},
    {M, 1, {0xCB}, "", "curtain"},
    {E, 1, {0x99}, "", "splash"},
    {M, 1, {0xCD}, "", "splash"},
    {E, 1, {0x9A}, "b", "zoom $0"},
    {M, 1, {0xF8}, "b", "zoom $0"},
    {M, 1, {0xF4}, "", "allowskip"},
    {M, 1, {0xF5}, "b", "calendar $0"},
    {M, 1, {0xF6}, "b", "clock $0"},

    // [SECTION] Palette, music and sound
    {B, 1, {0x70}, "", "palshow"},
    {B, 1, {0x71}, "", "palblack"},
    {B, 1, {0x72}, "b", "fadeout $0"},
    {B, 1, {0x73}, "b", "fadein $0"},
    {B, 1, {0x74}, "", "palsave"},
    {B, 1, {0x75}, "", "palrestore"},
    {B, 1, {0x76}, "", "palwhite"},
    {B, 1, {0x77}, "b", "fadeoutwhite $0"},
    {B, 1, {0x78}, "b", "fadeinwhite $0"},
    {B, 1, {0x79}, "", "undim"},
    {B, 1, {0x7A}, "", "dim"},
    {B, 1, {0x7B}, "b", "fadeindim $0"},
    {B, 1, {0x7C}, "b", "fadeoutdim $0"},
    {B, 1, {0x80}, "b", "music $0"},
    {B, 1, {0x81}, "", "musicpause"},
    {B, 1, {0x82}, "", "musicstop"},
    {B, 1, {0x83}, "b", "op83 $0"},
    {B, 1, {0x84}, "b", "op84 $0"},
    {B, 1, {0x85}, "", "musicfade"},
    {B, 1, {0x86}, "", "musicwait"},
    {B, 1, {0x87}, "b", "musicnext $0"},
    {B, 1, {0x88}, "b", "musiconce $0"},
    {B, 1, {0xA0}, "b", "soundload $0"},
    {B, 1, {0xA1}, "", "soundfree"},
    {B, 1, {0xA2}, "bb", "soundplay $0, $1"},
    {B, 1, {0xA3}, "", "soundstop"},
    {B, 1, {0xA4}, "b", "opa4 $0"},
    {B, 1, {0xA5}, "b", "opa5 $0"},
    {B, 1, {0xA6}, "", "soundfinish"},
    {B, 1, {0xA7}, "bb", "soundfadein $0, $1"},
    {B, 1, {0xA8}, "", "soundfadeout"},

    // [SECTION] Text layout and waits (message text only)
    {M, 1, {0xB0}, "", "n"},
    {M, 1, {0xB1}, "", "cr"},
    {M, 1, {0xB2}, "", "w"},
    {M, 1, {0xB3}, "", "p"},
    {M, 1, {0xB4}, "k", "color $0"},
    {M, 1, {0xB5}, "k", "shadow $0"},
    {M, 1, {0xB6}, "b", "clickdone $0"},
    {M, 1, {0xB7}, "b", "pause $0"},
    {M, 1, {0xB8}, "", "lock"},
    {M, 1, {0xC7}, "", "unlock"},
    {M, 1, {0xB9}, "b", "margin $0"},
    {M, 1, {0xBA}, "w", "y $0"},
    {M, 1, {0xC9}, "", "redraw"},

    // [SECTION] Scene changes inside the text (message text only)
    {M, 1, {0xBB}, "", "flash"},
    {M, 1, {0xBD}, "bbb", "changebg $0, $1, $2"},
    {M, 1, {0xBE}, "bbb", "loadbg $0, $1, $2"},
    {M, 1, {0xBF}, "bbb", "changevpic $0, $1, $2"},
    {M, 1, {0xC0}, "bbb", "changehpic $0, $1, $2"},
    {M, 1, {0xC1}, "bc", "changechar $0, $1"},
    {M, 1, {0xC2}, "bc", "addchar $0, $1"},
    {M, 1, {0xC3}, "bc", "swapchar $0, $1"},
    {M, 1, {0xC4}, "bcbbb", "changescene $0, $1, $2, $3, $4"},
    {M, 1, {0xC5}, "bcbcbc", "changechars $0, $1, $2, $3, $4, $5"},
    {M, 1, {0xC6}, "bcbcbc", "returnchars $0, $1, $2, $3, $4, $5"},
    {M, 1, {0xC8}, "bb", "wave $0, $1"},
    {M, 1, {0xCC}, "bb", "ripple $0, $1"},
};

}  // namespace

// The table above.
std::span<const ScnOp> ScnOps() {
  return kOps;
}

// Everything before the first blank of the form.
std::string_view ScnOpName(const ScnOp& op) {
  std::string_view form = op.form;
  return form.substr(0, form.find(' '));
}

// 16-bit kinds take two bytes, the 32-bit one four, the option list its own count.
int ScnKindSize(char kind) {
  switch (kind) {
    case 's':
    case 'c':
    case 'w':
      return 2;
    case 'l':
      return 4;
    case 'o':
      return 0;
    default:
      return 1;
  }
}

// Finds the name whose six codes hold the byte.
bool ScnNameCode(uint8_t byte, int& name, int& position) {
  for (int n = 0; n < kScnNames; n++) {
    if (byte >= kScnNameBase[n] && byte < kScnNameBase[n] + kScnNameLength) {
      name = n;
      position = byte - kScnNameBase[n];
      return true;
    }
  }
  return false;
}

// Picks the op with the longest matching prefix, then reads its operands in order.
ScnDecodeResult ScnDecode(uint8_t scope, const uint8_t* p, const uint8_t* end, ScnInstr& out) {
  out = ScnInstr{};
  const size_t avail = static_cast<size_t>(end - p);
  const ScnOp* best = nullptr;
  for (const ScnOp& op : kOps) {
    if (!(op.scope & scope) || op.length > avail) continue;
    if (std::memcmp(op.prefix, p, op.length) != 0) continue;
    if (!best || op.length > best->length) best = &op;
  }
  if (!best) return ScnDecodeResult::Unknown;
  out.op = best;
  const uint8_t* q = p + best->length;
  int slot = 0;
  for (const char* kind = best->operands; *kind; kind++) {
    if (*kind == 'o') {
      if (q == end) return ScnDecodeResult::Truncated;
      const int count = *q++;
      const int taken = count < kScnMaxOptions ? count : kScnMaxOptions;
      if (static_cast<size_t>(end - q) < static_cast<size_t>(taken) * 2) {
        return ScnDecodeResult::Truncated;
      }
      for (int i = 0; i < taken; i++, q += 2) {
        out.options[i][0] = q[0];
        out.options[i][1] = q[1];
      }
      out.optionCount = taken;
      out.size = static_cast<uint32_t>(q - p);
      if (count == 0 || count > kScnMaxOptions) return ScnDecodeResult::BadOptions;
      continue;
    }
    const int size = ScnKindSize(*kind);
    if (end - q < size) return ScnDecodeResult::Truncated;
    uint32_t value = 0;
    if (*kind == 's' || *kind == 'c') {
      value = static_cast<uint32_t>(q[0] << 8 | q[1]);
    } else {
      for (int i = size - 1; i >= 0; i--) value = value << 8 | q[i];
    }
    out.values[slot++] = value;
    q += size;
  }
  out.size = static_cast<uint32_t>(q - p);
  return ScnDecodeResult::Ok;
}
