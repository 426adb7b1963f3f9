// Backgrounds and characters: the background picture on the back frame, its kept copy, the
// six character slots with their colour ranges, and the colour filters.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "resources/memory.h"

// [SECTION] Numbers and layout

constexpr int kBgGroups = 5;  // background number = group * 50 + scene
constexpr int kBgScenesPerGroup = 50;
inline constexpr char kBgGroupLetters[] = "DENXZ";
constexpr int kCharSlots = 6;
inline constexpr int16_t SlotX[3] = {0, 320, 160};  // left, right, centre; slot s uses s mod 3
constexpr uint32_t kCharPaletteRecordSize = 144;    // 48 colours of blue, green, red
constexpr int kCharPaletteColours = 48;
constexpr uint32_t kBackGrpSize = 307200;

// The two character colour ranges.
constexpr int kCharRanges = 2;  // range A (124..171) and range B (172..219)
constexpr int kRangeA = 0;
constexpr int kRangeB = 1;
constexpr int32_t kRangeFree = -1;

// [SECTION] State that is not saved
// Lives for the whole run; BgLoad resets the ranges, the filters start again from
// UnfilteredPalette.

// "BACK GRP": a bare copy (no header) of the back frame's pixels right after the background
// was drawn; 0 = none.
extern MemHandle BackGrp;
// The character (code & 0xFF00) whose colours fill range A and range B; kRangeFree = none.
extern int32_t RangeChar[kCharRanges];
// The characters remembered for the two ranges by CharRangesRemember; kRangeFree = none.
extern int32_t RangePrevChar[kCharRanges];
// The background's colours as last set, with the colour filter applied.
extern PalEntry BackgroundPalette[kPaletteSize];
// The unfiltered colours of the background (0..123), the character ranges and the weather
// overlay; every colour filter starts from these.
extern PalEntry UnfilteredPalette[kPaletteSize];

// [SECTION] Operations

// Loads background n onto the back frame and empties every character slot. Numbers 0, 251,
// 253 and 254 fill the frame with one colour, 252 draws the splash background.
void BgLoad(uint8_t n);
// Redraws the kept background: 0 whole, 1 left half, 2 right half, 3 middle, removing the
// characters standing there. Without a kept picture the back frame is cleared instead.
void BgRedraw(uint8_t mode);
// Releases the kept background picture.
void BgForget();
// Empties the slots, forgets the colour ranges and fills the back frame with one colour.
void BgFill(uint8_t colour);
// Draws character picture `code` into a slot of the back frame; nothing when its low byte is
// 0xFF, the slot is above 5 or both colour ranges hold other characters.
void CharShow(uint8_t slot, uint16_t code);
// Empties the six character slots and frees both colour ranges.
void CharSlotsClear();
// Remembers (flag != 0) or forgets which characters hold the two colour ranges.
void CharRangesRemember(uint8_t flag);
// Frees each range whose character no longer stands in any slot.
void CharRangesRelease();
// Applies colour filter `mode` to entries 0..227, cross-fading when `animate`. Modes 7..255
// only record themselves in FilterMode.
void ColourFilter(uint8_t mode, bool animate);
// Sets the rain colours of the weather overlay for background n (only while it rains).
void WeatherColoursSet(uint8_t n);

// Copies the 307200 pixels of a frame into a block, and back (whole or a 320-wide strip).
void BgGrpStore(MemHandle block, MemHandle frame);
void BgGrpRestore(MemHandle frame, MemHandle block);
void BgGrpRestoreStrip(MemHandle frame, MemHandle block, int16_t x);

// Character number c's 48 colours for the background now composed (the record of its group in
// "CHR_PAL.DAT"), flags 0; false when the file has no such record.
bool CharPaletteRead(int c, PalEntry* out);
