// Screen effects played over the picture on screen: the shake with its sound, the splash of red
// blots that becomes a background of its own, the claw marks torn across a black screen, and
// the zoom pulse. Each keeps the weather timer off the screen frame while it draws.
#include "graphics/effects.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/input.h"
#include "audio/audio.h"
#include "graphics/effect_frame.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/weather.h"
#include "resources/pack.h"
#include "resources/text_format.h"
#include "resources/tzg.h"
#include "scenario/game_state.h"
#include "screens/background.h"

namespace {

// [SECTION] Quake

struct Offset {
  int16_t dx, dy;
};
// The shake lists, each ending with the unmoved picture.
constexpr Offset kQuakeLong[] = {{16, 16},  {-16, -16}, {16, -16},  {-16, 16}, {16, 16},
                                 {16, -16}, {16, 16},   {-16, -16}, {16, -16}, {-16, 16},
                                 {16, 16},  {16, -16},  {0, 0}};
constexpr Offset kQuakeMedium[] = {{16, 16}, {-16, -16}, {16, -16}, {-16, 16},
                                   {16, 16}, {16, -16},  {0, 0}};
constexpr Offset kQuakeShort[] = {{16, 16}, {-16, -16}, {16, -16}, {0, 0}};
constexpr Offset kQuakeDouble[] = {{16, 16}, {-16, -16}, {0, 0}};
constexpr Offset kQuakeBump[] = {{0, 16}, {0, 0}};

struct OffsetList {
  const Offset* offsets;
  size_t count;
};
template <size_t N>
constexpr OffsetList List(const Offset (&offsets)[N]) {
  return {offsets, N};
}

// The sound entries of n / 10 = 1..6 (6 and above the last).
constexpr uint8_t kQuakeSounds[] = {18, 31, 3, 2, 1, 39};
constexpr int kBand = 16;  // the uncovered edge of a shake

// The picture moved left by dx and down by dy, from the copy `saved`, as one copy of the pixel
// array shifted in memory order; the uncovered edges black.
void QuakeStep(uint8_t* pixels, const uint8_t* saved, Offset o) {
  const int shift = o.dy * kFrameWidth + o.dx;
  const int count = static_cast<int>(kFramePixelCount) - std::abs(shift);
  if (shift >= 0) {
    std::memcpy(pixels, saved + shift, static_cast<size_t>(count));
  } else {
    std::memcpy(pixels - shift, saved, static_cast<size_t>(count));
  }
  // Rows of `pixels` are bottom-up: the first rows are the bottom of the picture.
  if (o.dx != 0) {
    const int x0 = o.dx > 0 ? kFrameWidth - kBand : 0;
    for (int r = 0; r < kFrameHeight; r++)
      std::memset(pixels + r * kFrameWidth + x0, kColourBlack, kBand);
  }
  if (o.dy != 0) {
    const int r0 = o.dy > 0 ? kFrameHeight - kBand : 0;
    std::memset(pixels + r0 * kFrameWidth, kColourBlack, kBand * kFrameWidth);
  }
}

// [SECTION] Splash

// A 1-bit mask: rows of width / 8 bytes, the bottom row first, the leftmost pixel in the top
// bit.
struct Mask {
  int width, height;
  std::vector<uint8_t> bits;
  bool At(int x, int row) const {
    return bits[static_cast<size_t>(row * (width / 8) + x / 8)] & (0x80 >> (x % 8));
  }
};

// One blot of w x h: a wavy-edged body with a few drops thrown around it; `seed` picks the
// waves and drops, so each mask has its own outline.
Mask MakeBlot(int w, int h, uint32_t seed) {
  uint32_t state = seed;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0;
  };
  const double hx = w / 2.0, hy = h / 2.0;
  const double p1 = next() * 6.283, p2 = next() * 6.283, p3 = next() * 6.283;
  struct Drop {
    double x, y, r;
  };
  std::vector<Drop> drops;
  for (int i = 0, n = 5 + static_cast<int>(next() * 4); i < n; i++) {
    const double angle = next() * 6.283, reach = 0.78 + next() * 0.1;
    const double r = (0.05 + next() * 0.05) * std::min(hx, hy);
    drops.push_back(
        {hx + std::cos(angle) * reach * (hx - r), hy + std::sin(angle) * reach * (hy - r), r});
  }
  Mask mask{w, h, std::vector<uint8_t>(static_cast<size_t>(w / 8 * h), 0)};
  for (int row = 0; row < h; row++) {
    for (int x = 0; x < w; x++) {
      const double dx = (x + 0.5 - hx) / hx, dy = (row + 0.5 - hy) / hy;
      const double angle = std::atan2(dy, dx);
      const double edge =
          0.6 * (1 + 0.16 * std::sin(3 * angle + p1) + 0.09 * std::sin(7 * angle + p2) +
                 0.05 * std::sin(11 * angle + p3));
      bool set = dx * dx + dy * dy <= edge * edge;
      for (const Drop& d : drops) {
        const double ex = x + 0.5 - d.x, ey = row + 0.5 - d.y;
        set = set || ex * ex + ey * ey <= d.r * d.r;
      }
      if (set)
        mask.bits[static_cast<size_t>(row * (w / 8) + x / 8)] |=
            static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  return mask;
}

// The three blot outlines, 152 x 96, 128 x 104 and 128 x 112.
const std::array<Mask, 3>& SplashMasks() {
  static const std::array<Mask, 3> masks = {MakeBlot(152, 96, 7), MakeBlot(128, 104, 19),
                                            MakeBlot(128, 112, 31)};
  return masks;
}

// Stamps `mask` centred on column x and row y (rows counted from the bottom) in colour 0,
// widening DirtyRect by it.
void Stamp(uint8_t* pixels, const Mask& mask, int x, int y) {
  const int x0 = x - mask.width / 2, y0 = y - mask.height / 2;
  for (int i = 0; i < mask.height; i++) {
    const int row = y0 + i;
    if (row >= kFrameHeight) break;
    if (row < 0) continue;
    for (int j = 0; j < mask.width; j++) {
      const int column = x0 + j;
      if (column < 0 || column >= kFrameWidth) continue;
      if (mask.At(j, i)) pixels[row * kFrameWidth + column] = 0;
    }
  }
  RectExtend(DirtyRect, x0, kFrameHeight - mask.height - y0, x0 + mask.width, kFrameHeight - y0);
}

// [SECTION] Sounds of the effects

// Plays sound entry n once unless a sound is playing; answers the entry that was loaded before
// (kNoPcm when nothing was played or nothing was loaded).
uint8_t EffectSoundStart(uint8_t n) {
  if (PcmPlaying != 0) return kNoPcm;
  const uint8_t before = PcmEntry;
  PcmLoad(n);
  PcmPlay(1, 0);
  return before;
}

// Lets the loaded sound end and unloads it, then loads `before` again when there was one.
void EffectSoundEnd(uint8_t before) {
  if (PcmEntry != kNoPcm) {
    PcmFinish();
    PcmUnload();
  }
  if (before != kNoPcm) PcmLoad(before);
}

}  // namespace

// Shakes the screen (list n mod 10, sound n / 10).
void ScreenQuake(uint8_t n) {
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  uint8_t* pixels = MemLock(ScreenFrame) + kFramePixelsOffset;
  MemHandle saved = MemAlloc(kFramePixelCount, "quake buf");
  uint8_t* copy = MemLock(saved);
  std::memcpy(copy, pixels, kFramePixelCount);

  static constexpr OffsetList kLists[] = {List(kQuakeLong), List(kQuakeMedium), List(kQuakeShort),
                                          List(kQuakeDouble)};
  const OffsetList list = SkipToChoice == 1 || n % 10 >= 4 ? List(kQuakeBump) : kLists[n % 10];
  uint8_t before = kNoPcm;
  if (SkipToChoice != 1 && n / 10 != 0) {
    before = EffectSoundStart(kQuakeSounds[std::min(n / 10, 6) - 1]);
  }

  for (size_t i = 0; i < list.count; i++) {
    const uint32_t start = PlatTicks();
    const Offset o = list.offsets[i];
    QuakeStep(pixels, copy, o);
    if (weather != 0) WeatherOverlayOn(weather);
    ScreenUpdate();
    if (weather != 0) WeatherOverlayOff();
    if (o.dx == 0 && o.dy == 0) break;
    WaitSince(start, 4);
  }

  MemUnlock(saved);
  MemRelease(&saved);
  MemUnlock(ScreenFrame);
  if (weather != 0) WeatherOverlayOn(weather);
  ScreenBusy = 0;
  EffectSoundEnd(before);
}

// The claw effect: four claw pictures torn across a black screen, then a black scene.
void ScreenClaw() {
  ShowBackFrame();
  PalFadeOutDimmed(3);
  BgForget();
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  FrameClearAndShow(ScreenFrame);
  PcmLoad(18);
  PcmPlay(1, 0);
  for (int i = 1; i <= 4; i++) {
    const uint32_t start = PlatTicks();
    const std::string name = FormatText("CLAW%02dW.TZG", {i});
    uint32_t size = 0;
    MemHandle picture = PackLoad(name.c_str(), &size);
    TzgDraw(ScreenFrame, picture, 0, 0);
    MemRelease(&picture);
    PalShow();
    WaitSince(start, 2);
    ScreenUpdate();
  }
  PalFadeOut(1);
  PcmFinish();
  PcmUnload();
  BgLoad(0);
  FrameClearAndShow(ScreenFrame);
  PalApplyKeepUi(PaletteLevels, 0);
  if (weather != 0) WeatherOverlayOn(weather);
  ScreenBusy = 0;
}

// The splash: 1 animated with the scene reset, 0 the instant background.
void ScreenSplash(uint8_t animate) {
  if (animate == 1) {
    ShowBackFrame();
    PalFadeOutDimmed(1);
    BgForget();
    VCgShown = HCgShown = kNoPicture;
    for (int slot = 0; slot < kCharSlots; slot++) CharOrder[slot] = CharCode[slot] = kEmptyCode;
    FilterMode = 0;
    RangeChar[kRangeA] = RangeChar[kRangeB] = kRangeFree;
  }
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  FrameClearAndShow(ScreenFrame);
  PalSetEntry(0, 255, 0, 0);
  PalShow();

  // Eleven passes of blots from the top-right corner to the bottom-left, spreading less as
  // they go.
  uint8_t* pixels = MemLock(ScreenFrame) + kFramePixelsOffset;
  const auto& masks = SplashMasks();
  DirtyRect = kEmptyRect;
  uint32_t last = PlatTicks();
  for (int k = 0; k <= 10; k++) {
    const int r = 100 - 10 * k, cx = 640 - 64 * k, cy = 480 - 48 * k;
    for (int blot = 0; blot < r / 25 + 1; blot++) {
      const int m = Random(2) * 3 / 256;
      const int a = Random(2) * 360 / 256;
      const int b = Random(2) * 360 / 256;
      const int x = cx + (SinDeg(static_cast<uint16_t>(b)) >> 8) * r / 100;
      const int y = cy + (CosDeg(static_cast<uint16_t>(a)) >> 8) * r / 100;
      Stamp(pixels, masks[static_cast<size_t>(m)], x, y);
    }
    if (animate == 1) {
      WaitSince(last, 1);
      last = PlatTicks();
      ScreenUpdate(DirtyRect);
    }
  }
  MemUnlock(ScreenFrame);
  FrameCopy(BackFrame, ScreenFrame);
  if (weather != 0) WeatherOverlayOn(weather);
  ScreenBusy = 0;

  if (animate == 1) {
    BackGrp = MemAlloc(kBackGrpSize, "BACK GRP");
    BgGrpStore(BackGrp, BackFrame);
    BgShown = BgHeld = 252;
    PalCopy(BackgroundPalette, ScenePalette);
    PalCopyRange(UnfilteredPalette, ScenePalette, 0, kPalCharacterAFirst);
    Wait(30);
    PalDim();
  }
}

// A zoom pulse around anchor n (0..5; other anchors do nothing): the picture magnifies towards
// the anchor and springs back.
void ScreenZoomPulse(uint8_t n) {
  if (n > 5) return;
  const uint32_t duration =
      n == 0 ? (SkipToChoice == 1 ? 120 : 1200) : (SkipToChoice == 1 ? 200 : 2000);
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  const PlatRect client = ZoomClientRect();
  const uint8_t* frame = MemLock(ScreenFrame);
  const uint8_t* pixels = frame + kFramePixelsOffset;
  uint8_t before = kNoPcm;
  if (PcmPlaying == 0) before = EffectSoundStart(n == 0 ? 24 : 40);

  const uint32_t begin = PlatTicks();
  for (bool last = false; !last;) {
    const uint32_t start = PlatTicks();
    const uint32_t t = ElapsedSince(begin);
    last = t > duration;
    const int s = last ? 0 : SinDeg(static_cast<uint16_t>(180 * t / duration));
    const int u = 320 * s / 32768, v = 240 * s / 32768;
    // x, y (rows from the bottom), width and height of the source.
    int x = u / 2, y = v, w = kFrameWidth - u, h = kFrameHeight - v;
    switch (n) {
      case 0:
        x = 160 * s / 32768, y = 120 * s / 32768;
        w = kFrameWidth - 2 * x, h = kFrameHeight - 2 * y;
        break;
      case 1:
        x = 0;
        break;
      case 2:
        x = u;
        break;
      case 4:
        y = 0;
        break;
      case 5:
        y = v / 2;
        break;
      default:
        break;
    }
    if (weather != 0) WeatherOverlayOn(weather);
    PlatStretchPicture(pixels, PlatRect{x, kFrameHeight - y - h, x + w, kFrameHeight - y}, client,
                       frame + kFrameColourTableOffset);
    WaitSince(start, 2);
    if (weather != 0) WeatherOverlayOff();
  }

  MemUnlock(ScreenFrame);
  PlatDrawMenuBar();
  ScreenBusy = 0;
  EffectSoundEnd(before);
}
