// The palette tables, the direct palette operations and the timed fades. Every fade is paced
// by the clock and applies a level only when it differs from the one shown.
#include "graphics/palette.h"

#include <algorithm>
#include <functional>

#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/weather.h"
#include "scenario/scenario.h"

PalEntry ScenePalette[kPaletteSize];
PalEntry ShownPalette[kPaletteSize];
PalEntry SavedPalette[kPaletteSize];
PalEntry InitialPalette[kPaletteSize];
uint8_t PaletteState;

namespace {

constexpr PalEntry kInterfaceColours[8] = {
    {0, 0, 0, PC_RESERVED},    {255, 255, 255, PC_RESERVED}, {159, 159, 159, PC_RESERVED},
    {63, 63, 63, PC_RESERVED}, {255, 0, 0, PC_RESERVED},     {0, 127, 255, PC_RESERVED},
    {0, 255, 0, PC_RESERVED},  {255, 255, 0, PC_RESERVED},
};

constexpr int kPictureEntries = kPalInterfaceFirst;  // 0..227: everything but the interface
constexpr uint32_t kFadeUnitMs = 800;
constexpr uint32_t kDimMs = 300;
constexpr int kDimLevel = 170;

// Hands all 236 shown entries to the display; a deep display needs a repaint to show them.
void Animate() {
  PlatSetPalette(0, ShownPalette);
  if (DisplayBpp > 8) ScreenUpdate();
}

uint8_t Level(uint8_t component, int level, int white) {
  int32_t v = static_cast<int32_t>(component) * level / 256;
  if (white != 0) v = v + (255 - v) * white / 256;
  return static_cast<uint8_t>(v);
}

void BuildShown(int count, int level, int white) {
  for (int i = 0; i < count; i++) {
    const PalEntry& scene = ScenePalette[i];
    ShownPalette[i] = PalEntry{Level(scene.red, level, white), Level(scene.green, level, white),
                               Level(scene.blue, level, white), PC_RESERVED};
  }
}

// The picture entries at two thirds, as a dimmed scene shows them.
uint8_t Dimmed(uint8_t component) {
  return static_cast<uint8_t>(component * 10u / 15u);
}

bool Immediate(uint16_t n) {
  return SkipToChoice == 1 || n == 0 || (ReadTextFast == 1 && SkipAllowed == 1);
}

// Runs `body` on a scene whose picture entries are dimmed, then puts the scene back.
void WithDimmedScene(const std::function<void()>& body) {
  PalEntry kept[kPaletteSize];
  std::copy(std::begin(ScenePalette), std::end(ScenePalette), kept);
  for (int i = 0; i < kPictureEntries; i++) {
    ScenePalette[i].red = Dimmed(ScenePalette[i].red);
    ScenePalette[i].green = Dimmed(ScenePalette[i].green);
    ScenePalette[i].blue = Dimmed(ScenePalette[i].blue);
  }
  body();
  std::copy(std::begin(kept), std::end(kept), ScenePalette);
}

}  // namespace

// The timed loop all fades share: `level(t)` gives the step's level at t of `duration`
// milliseconds, `apply` shows one level; `startLevel` is what is already shown.
void RunFade(uint32_t duration, int startLevel, const std::function<int(uint32_t)>& level,
             const std::function<void(int)>& apply) {
  const bool deep = DisplayBpp > 8;
  // On a deep display every step repaints the screen frame: keep the timer's overlay step
  // away and drive the overlay here, on while a step is painted and off in between.
  uint8_t weather = 0;
  if (deep) {
    ScreenBusy = 1;
    weather = WeatherOverlayOff();
  }
  const uint32_t start = PlatTicks();
  int previous = startLevel;
  for (bool last = false; !last;) {
    uint32_t t = ElapsedSince(start);
    if (SkipToChoice != 0) t = duration;
    if (t >= duration) {
      t = duration;
      last = true;
    }
    const int current = level(t);
    if (current != previous || last) {
      if (weather != 0) WeatherOverlayOn(weather);
      apply(current);
      if (weather != 0) WeatherOverlayOff();
      previous = current;
    }
    PumpMessages();
  }
  if (weather != 0) WeatherOverlayOn(weather);
  if (deep) ScreenBusy = 0;
}

// [SECTION] Start

void PalSetInitial() {
  std::fill(std::begin(InitialPalette), std::end(InitialPalette),
            PalEntry{255, 255, 255, PC_RESERVED});
  std::copy(std::begin(kInterfaceColours), std::end(kInterfaceColours),
            InitialPalette + kPalInterfaceFirst);
}

void PalResetTables() {
  std::copy(std::begin(InitialPalette), std::end(InitialPalette), ScenePalette);
  std::copy(std::begin(InitialPalette), std::end(InitialPalette), ShownPalette);
  std::copy(std::begin(InitialPalette), std::end(InitialPalette), SavedPalette);
  PaletteState = PalStateBlack;
}

// [SECTION] Direct operations

void PalCopy(PalEntry* dst, PalEntry* src) {
  PalCopyRange(dst, src, 0, kPaletteSize);
}

void PalCopyRange(PalEntry* dst, PalEntry* src, int first, int count) {
  if (count <= 0 || first < 0 || first >= kPaletteSize) return;
  count = std::min(count, kPaletteSize - first);
  for (int i = first; i < first + count; i++) {
    dst[i] = PalEntry{src[i].red, src[i].green, src[i].blue, PC_RESERVED};
    src[i].flags = PC_RESERVED;
  }
}

void PalSetEntry(int entry, uint8_t red, uint8_t green, uint8_t blue) {
  if (entry < 0 || entry >= kPaletteSize) return;
  ScenePalette[entry] = PalEntry{red, green, blue, PC_RESERVED};
}

void PalApply(int level, int white) {
  BuildShown(kPaletteSize, level, white);
  Animate();
}

void PalApplyKeepUi(int level, int white) {
  BuildShown(kPictureEntries, level, white);
  std::copy(ScenePalette + kPalInterfaceFirst, ScenePalette + kPaletteSize,
            ShownPalette + kPalInterfaceFirst);
  Animate();
}

void PalApplyUnpainted(int level) {
  BuildShown(kPictureEntries, level, 0);
  std::copy(ScenePalette + kPalInterfaceFirst, ScenePalette + kPaletteSize,
            ShownPalette + kPalInterfaceFirst);
  PlatSetPalette(0, ShownPalette);
}

void PalShow() {
  std::copy(std::begin(ScenePalette), std::end(ScenePalette), ShownPalette);
  Animate();
  PaletteState = PalStateNormal;
}

void PalBlack() {
  std::fill(std::begin(ShownPalette), std::end(ShownPalette), PalEntry{0, 0, 0, PC_RESERVED});
  Animate();
  PaletteState = PalStateBlack;
}

void PalSave() {
  std::copy(std::begin(ScenePalette), std::end(ScenePalette), SavedPalette);
}

void PalRestore() {
  std::copy(std::begin(SavedPalette), std::end(SavedPalette), ScenePalette);
}

// [SECTION] Timed fades

void PalFadeIn(uint16_t n) {
  if (PaletteState == PalStateNormal) return;
  if (Immediate(n)) return PalShow();
  const uint32_t d = n * kFadeUnitMs;
  RunFade(
      d, 0, [d](uint32_t t) { return static_cast<int>(256 * t / d); },
      [](int level) { PalApply(level, 0); });
  PaletteState = PalStateNormal;
}

void PalFadeOut(uint16_t n) {
  if (PaletteState == PalStateBlack) return;
  if (Immediate(n)) return PalBlack();
  const uint32_t d = n * kFadeUnitMs;
  RunFade(
      d, 256, [d](uint32_t t) { return static_cast<int>(256 * (d - t) / d); },
      [](int level) { PalApply(level, 0); });
  PaletteState = PalStateBlack;
}

void PalFadeInFromWhite(uint16_t n) {
  if (PaletteState == PalStateNormal) return;
  if (Immediate(n)) return PalShow();
  const uint32_t d = n * kFadeUnitMs;
  RunFade(
      d, 256, [d](uint32_t t) { return static_cast<int>(256 * (d - t) / d); },
      [](int white) { PalApply(256, white); });
  PaletteState = PalStateNormal;
}

void PalFadeToWhite(uint16_t n) {
  if (PaletteState == PalStateWhite) return;
  if (Immediate(n)) {
    PalApply(0, 256);
  } else {
    const uint32_t d = n * kFadeUnitMs;
    RunFade(
        d, 0, [d](uint32_t t) { return static_cast<int>(256 * t / d); },
        [](int white) { PalApply(256, white); });
  }
  PaletteState = PalStateWhite;
}

void PalCrossFade(const PalEntry* from, const PalEntry* to, uint16_t n) {
  if (Immediate(n)) {
    std::copy(to, to + kPaletteSize, ScenePalette);
    return PalShow();
  }
  const uint32_t d = n * kFadeUnitMs;
  const bool dimmed = PaletteState == PalStateDimmed;
  auto blend = [](uint8_t a, uint8_t b, int level) {
    return static_cast<uint8_t>((a * (256 - level) + b * level) / 256);
  };
  RunFade(
      d, 0, [d](uint32_t t) { return static_cast<int>(256 * t / d); },
      [&](int level) {
        for (int i = 0; i < kPictureEntries; i++) {
          PalEntry c{blend(from[i].red, to[i].red, level), blend(from[i].green, to[i].green, level),
                     blend(from[i].blue, to[i].blue, level), PC_RESERVED};
          if (dimmed) c = PalEntry{Dimmed(c.red), Dimmed(c.green), Dimmed(c.blue), PC_RESERVED};
          ShownPalette[i] = c;
        }
        Animate();
      });
}

void PalFadeInDimmed(uint16_t n) {
  if (PaletteState != PalStateBlack) return;
  WithDimmedScene([n] {
    // The inner fade runs from black: the state is still black here.
    PalFadeIn(n);
  });
  PaletteState = PalStateDimmed;
}

void PalFadeOutDimmed(uint16_t n) {
  if (PaletteState == PalStateBlack) return;
  WithDimmedScene([n] { PalFadeOut(n); });
  PaletteState = PalStateBlack;
}

void PalDim() {
  if (PaletteState != PalStateNormal && PaletteState != PalStateWhite) return;
  if (SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1)) {
    PalApplyKeepUi(kDimLevel, 0);
  } else {
    std::copy(ScenePalette + kPalInterfaceFirst, ScenePalette + kPaletteSize,
              ShownPalette + kPalInterfaceFirst);
    RunFade(
        kDimMs, 256, [](uint32_t t) { return static_cast<int>(256 * (900 - t) / 900); },
        [](int level) {
          BuildShown(kPictureEntries, level, 0);
          Animate();
        });
  }
  PaletteState = PalStateDimmed;
}

void PalUndim() {
  if (PaletteState != PalStateDimmed) return;
  if (SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1)) return PalShow();
  RunFade(
      kDimMs, kDimLevel, [](uint32_t t) { return static_cast<int>(256 * (t + 600) / 900); },
      [](int level) { PalApplyKeepUi(level, 0); });
  PaletteState = PalStateNormal;
}

void PalFadeOutAny(uint16_t n) {
  switch (PaletteState) {
    case PalStateNormal:
      return PalFadeOut(n);
    case PalStateDimmed:
      return PalFadeOutDimmed(n);
    case PalStateWhite: {
      // A white screen fades as a scene all of whose colours are white.
      PalEntry kept[kPaletteSize];
      std::copy(std::begin(ScenePalette), std::end(ScenePalette), kept);
      std::fill(std::begin(ScenePalette), std::end(ScenePalette),
                PalEntry{255, 255, 255, PC_RESERVED});
      PalFadeOut(n);
      std::copy(std::begin(kept), std::end(kept), ScenePalette);
      return;
    }
    default:
      return PalBlack();
  }
}

void FadeToWhiteKeepUi(uint16_t n) {
  if (Immediate(n)) {
    PalApplyKeepUi(256, 256);
  } else {
    const uint32_t d = n * kFadeUnitMs;
    RunFade(
        d, 0, [d](uint32_t t) { return static_cast<int>(256 * t / d); },
        [](int white) { PalApplyKeepUi(256, white); });
  }
  PaletteState = PalStateWhite;
}

void FadeFromWhiteKeepUi(uint16_t n) {
  if (Immediate(n)) {
    PalApplyKeepUi(256, 0);
  } else {
    const uint32_t d = n * kFadeUnitMs;
    RunFade(
        d, 256, [d](uint32_t t) { return static_cast<int>(256 * (d - t) / d); },
        [](int white) { PalApplyKeepUi(256, white); });
  }
  PaletteState = PalStateNormal;
}
