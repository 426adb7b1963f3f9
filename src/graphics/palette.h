// The 236-colour palette: the scene's target colours, what is shown, the start palette, and
// every brightness change (fades, dimming, cross-fades), which are palette changes, never
// pixel changes.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/platform.h"

// Entry ranges.
constexpr int kPalBackgroundFirst = 0;    // 0..123 background picture
constexpr int kPalCharacterAFirst = 124;  // 124..171 character range A
constexpr int kPalCharacterBFirst = 172;  // 172..219 character range B
constexpr int kPalWeatherFirst = 220;     // 220..227 weather overlay
constexpr int kPalInterfaceFirst = 228;   // 228..235 fixed interface colours

constexpr int PaletteLevels = 256;  // full colour; 0 is black

extern PalEntry ScenePalette[kPaletteSize];    // what the current picture should look like
extern PalEntry ShownPalette[kPaletteSize];    // what was last handed to the display
extern PalEntry SavedPalette[kPaletteSize];    // spare copy for PalSave / PalRestore
extern PalEntry InitialPalette[kPaletteSize];  // the start palette

enum : uint8_t { PalStateBlack = 0, PalStateNormal = 1, PalStateWhite = 2, PalStateDimmed = 3 };
extern uint8_t PaletteState;

// [SECTION] Start

// The start palette: entries 0..227 white, 228..235 the interface colours, all animatable.
void PalSetInitial();
// Copies the start palette into the scene, shown and saved palettes; state black.
void PalResetTables();

// [SECTION] Direct operations

// Copies red, green and blue of all entries; every flags byte of both arrays becomes 1.
void PalCopy(PalEntry* dst, PalEntry* src);
// The same for entries first .. first + count - 1; nothing for count 0 or less.
void PalCopyRange(PalEntry* dst, PalEntry* src, int first, int count);
void PalSetEntry(int entry, uint8_t red, uint8_t green, uint8_t blue);
// Shown = scene at `level` (0..256) mixed towards white by `white` (0..256); shows it.
void PalApply(int level, int white);
// The same for entries 0..227; the interface colours are shown as the scene has them.
void PalApplyKeepUi(int level, int white);
// Shown = scene at `level` for entries 0..227 and as the scene has them for the interface
// colours, handed to the display without a repaint even on a deep display: for an effect that
// draws the window itself right after.
void PalApplyUnpainted(int level);
// Shown = scene; state normal.
void PalShow();
// Shown all black; state black.
void PalBlack();
void PalSave();
void PalRestore();

// [SECTION] Timed fades
// Each waits until it is over; n counts 800 ms units. Each takes its immediate form when the
// skip flag is set, n is 0, or fast reading is on and the scene was read before.

void PalFadeIn(uint16_t n);
void PalFadeOut(uint16_t n);
void PalFadeInFromWhite(uint16_t n);
void PalFadeToWhite(uint16_t n);
// Entries 0..227 from `from` to `to`; the scene palette stays as it is.
void PalCrossFade(const PalEntry* from, const PalEntry* to, uint16_t n);
void PalFadeInDimmed(uint16_t n);
void PalFadeOutDimmed(uint16_t n);
// Darkens the picture to two thirds over 300 ms, and back.
void PalDim();
void PalUndim();
// To black from whatever is shown: normal, dimmed, white (through the scene's own colours
// turned white, which are put back afterwards) or already black.
void PalFadeOutAny(uint16_t n);
// Entries 0..227 to white and back at full level; the interface colours stay as the scene
// has them (text drawn in them stays on screen). State white, then normal.
void FadeToWhiteKeepUi(uint16_t n);
void FadeFromWhiteKeepUi(uint16_t n);
// The timed loop every palette animation shares: over `duration` milliseconds, `level(t)` gives
// the level at t and `apply` shows a level whenever it changes (`startLevel` is what is shown
// already); the weather overlay is kept off the screen frame in between on a deep display.
// Skipping to the next choice ends it at once.
void RunFade(uint32_t duration, int startLevel, const std::function<int(uint32_t)>& level,
             const std::function<void(int)>& apply);
