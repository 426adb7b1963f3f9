// Backgrounds and characters: loading and keeping the background, the six character slots and
// their drawing order, the two character colour ranges and the colour filters.
#include "screens/background.h"

#include <cstring>
#include <string>

#include "app/app.h"
#include "graphics/effects.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "resources/pack.h"
#include "resources/text_format.h"
#include "resources/tz2.h"
#include "scenario/game_state.h"
#include "screens/main_flow.h"

MemHandle BackGrp = 0;
int32_t RangeChar[kCharRanges] = {kRangeFree, kRangeFree};
int32_t RangePrevChar[kCharRanges] = {kRangeFree, kRangeFree};
PalEntry BackgroundPalette[kPaletteSize];
PalEntry UnfilteredPalette[kPaletteSize];

namespace {

constexpr int kBgColours = kPalCharacterAFirst;       // entries 0..123
constexpr int kFilteredColours = kPalInterfaceFirst;  // entries 0..227
constexpr uint16_t kNoOrder = 0xFFFF;
constexpr uint16_t kTopOrder = 5;
constexpr uint8_t kVarCharVariant = 1;  // bit 0: character 0 wears the second set of pictures

// The special background numbers that fill the frame, with the colour of entry 0.
struct FillBackground {
  uint8_t number, red, green, blue;
};
constexpr FillBackground kFillBackgrounds[] = {
    {0, 0, 0, 0}, {251, 255, 120, 0}, {253, 255, 0, 0}, {254, 255, 255, 255}};
constexpr uint8_t kSplashBackground = 252;

// Scenes that change with the calendar: the scenes of one place, and what each stretch of
// days shows there with the weather it asks for.
struct DayVariant {
  uint8_t scene, weather;
};
struct DayScene {
  uint8_t scenes[4];
  DayVariant variants[4];  // days ..31, 32..46, 47..58, 59..
};
constexpr DayScene kDayScenes[] = {
    {{17, 18, 33, 34}, {{34, 0}, {17, 4}, {33, 7}, {18, 0}}},
    {{20, 32, 35, 36}, {{36, 0}, {32, 4}, {20, 7}, {35, 0}}},
};

// Which of the four stretches of the calendar a day falls in.
int DayStretch(uint8_t day) {
  if (day <= 31) return 0;
  if (day <= 46) return 1;
  if (day <= 58) return 2;
  return 3;
}

// The scene shown for `scene` on the current day; sets the weather asked for when it changes.
int DaySceneFor(int scene) {
  for (const auto& place : kDayScenes) {
    for (uint8_t s : place.scenes) {
      if (s != scene) continue;
      const DayVariant& variant = place.variants[DayStretch(ScriptVar(kVarCalendarDay))];
      ScriptVar(kVarWeatherNext) = variant.weather;
      return variant.scene;
    }
  }
  return scene;
}

// Copies whole entries (colours and flags) first .. first + count - 1.
void CopyEntries(PalEntry* dst, const PalEntry* src, int first, int count) {
  std::memcpy(dst + first, src + first, sizeof(PalEntry) * static_cast<size_t>(count));
}

// Empties one character slot.
void SlotEmpty(int slot) {
  CharCode[slot] = kEmptyCode;
  CharOrder[slot] = kNoOrder;
}

// Empties all six character slots.
void SlotsEmptyAll() {
  for (int slot = 0; slot < kCharSlots; slot++) SlotEmpty(slot);
}

// Closes the gaps in the drawing order, keeping the slots' relative order.
void CharOrderCompact() {
  int count = 0;
  for (uint16_t order : CharOrder) count += order < kNoOrder ? 1 : 0;
  for (int v = 0; v < count;) {
    bool used = false;
    for (uint16_t order : CharOrder) used = used || order == v;
    if (used) {
      v++;
      continue;
    }
    for (uint16_t& order : CharOrder) {
      if (order > v && order < kNoOrder) order--;
    }
  }
}

// The colour range for character ch (code & 0xFF00), or -1 when both hold others.
int CharRangeChoose(int32_t ch) {
  if (RangeChar[kRangeA] == ch) return kRangeA;
  if (RangeChar[kRangeB] == ch) return kRangeB;
  const bool freeA = RangeChar[kRangeA] == kRangeFree;
  const bool freeB = RangeChar[kRangeB] == kRangeFree;
  if (freeA && RangePrevChar[kRangeA] == ch) return kRangeA;
  if (freeB && RangePrevChar[kRangeB] == ch) return kRangeB;
  if (freeA && RangePrevChar[kRangeA] == kRangeFree) return kRangeA;
  if (freeB && RangePrevChar[kRangeB] == kRangeFree) return kRangeB;
  if (freeA) return kRangeA;
  if (freeB) return kRangeB;
  return -1;
}

// The character palette group for the background now composed. Some scenes of groups 3 and 5
// share the daytime colours; numbers without a group (the filled ones, none) use group 0.
int CharPaletteGroup() {
  int group = BgShown / kBgScenesPerGroup;
  const int scene = BgShown % kBgScenesPerGroup;
  if (group >= kBgGroups) group = 0;
  if (scene == 25) group = 0;
  if ((scene == 27 || scene == 28 || scene == 37) && group == 3) group = 0;
  return group;
}

// Puts character number c's colours for the current background into the range starting at
// `first`; the picture's own colours stay when the file has no such record.
void CharPaletteLoad(int c, int first) {
  PalEntry colours[kCharPaletteColours];
  if (!CharPaletteRead(c, colours)) return;
  for (int i = 0; i < kCharPaletteColours; i++) {
    PalEntry& entry = ScenePalette[first + i];
    entry.red = colours[i].red;
    entry.green = colours[i].green;
    entry.blue = colours[i].blue;
  }
}

// The pixels of a frame block, locked; nullptr when the block is missing or too small.
uint8_t* FramePixelsLock(MemHandle frame) {
  if (MemSize(frame) < kFramePixelsOffset + kFramePixelCount) return nullptr;
  uint8_t* data = MemLock(frame);
  return data ? data + kFramePixelsOffset : nullptr;
}

// A kept-picture block, locked; nullptr when it is missing or too small.
uint8_t* BackGrpLock(MemHandle block) {
  if (MemSize(block) < kBackGrpSize) return nullptr;
  return MemLock(block);
}

}  // namespace

// Empties the six character slots and frees both colour ranges.
void CharSlotsClear() {
  SlotsEmptyAll();
  RangeChar[kRangeA] = RangeChar[kRangeB] = kRangeFree;
}

// [SECTION] The kept background

// Copies the 307200 pixels of the frame into the block.
void BgGrpStore(MemHandle block, MemHandle frame) {
  uint8_t* dst = BackGrpLock(block);
  if (!dst) return;
  if (uint8_t* src = FramePixelsLock(frame)) {
    std::memcpy(dst, src, kFramePixelCount);
    MemUnlock(frame);
  }
  MemUnlock(block);
}

// Copies the block into the frame's pixels.
void BgGrpRestore(MemHandle frame, MemHandle block) {
  uint8_t* src = BackGrpLock(block);
  if (!src) return;
  if (uint8_t* dst = FramePixelsLock(frame)) {
    std::memcpy(dst, src, kFramePixelCount);
    MemUnlock(frame);
  }
  MemUnlock(block);
}

// Copies the 320-pixel-wide strip from column x, all rows, from the block into the frame.
void BgGrpRestoreStrip(MemHandle frame, MemHandle block, int16_t x) {
  constexpr int kStrip = 320;
  if (x < 0 || x > kFrameWidth - kStrip) return;
  uint8_t* src = BackGrpLock(block);
  if (!src) return;
  if (uint8_t* dst = FramePixelsLock(frame)) {
    for (int row = 0; row < kFrameHeight; row++) {
      const size_t at = static_cast<size_t>(row) * kFrameWidth + static_cast<size_t>(x);
      std::memcpy(dst + at, src + at, kStrip);
    }
    MemUnlock(frame);
  }
  MemUnlock(block);
}

// [SECTION] Backgrounds

// Loads background n onto the back frame and empties every character slot.
void BgLoad(uint8_t n) {
  VCgShown = kNoPicture;
  HCgShown = kNoPicture;
  CharSlotsClear();
  const bool wasFiltered = FilterMode != 0;
  FilterMode = 0;
  BgHeld = n;
  MemRelease(&BackGrp);

  bool filled = false;
  for (const auto& fill : kFillBackgrounds) {
    if (fill.number != n) continue;
    ScenePalette[0].red = fill.red;
    ScenePalette[0].green = fill.green;
    ScenePalette[0].blue = fill.blue;
    BgFill(0);
    filled = true;
  }
  if (n == kSplashBackground) {
    ScreenSplash(0);
  } else if (!filled && n / kBgScenesPerGroup >= kBgGroups) {
    // 250 and 255 name no picture: an empty black scene rather than a file that cannot exist.
    FrameClear(BackFrame);
  } else if (!filled) {
    const int group = n / kBgScenesPerGroup;
    int scene = n % kBgScenesPerGroup;
    if (PlayMode == PlayModeEventScript) scene = DaySceneFor(scene);
    n = static_cast<uint8_t>(group * kBgScenesPerGroup + scene);
    const std::string name =
        FormatText("S%02d%c.TZ2", {scene, static_cast<uint8_t>(kBgGroupLetters[group])});
    uint32_t size = 0;
    MemHandle picture = PackLoad(name.c_str(), &size);
    FrameClear(BackFrame);
    Tz2Draw(BackFrame, picture, 0, 0, 0);
    MemRelease(&picture);
    WeatherColoursSet(n);
  }

  BackGrp = MemAlloc(kBackGrpSize, "BACK GRP");
  BgGrpStore(BackGrp, BackFrame);
  BgShown = BgHeld = n;
  CopyEntries(BackgroundPalette, ScenePalette, 0, kPaletteSize);
  CopyEntries(UnfilteredPalette, ScenePalette, 0, kBgColours);
  // The overlay's colours too, so that taking a filter off gives them back as they were. A
  // filter of the scene left behind ends here, and with it its tint of those colours.
  if (wasFiltered) {
    CopyEntries(ScenePalette, UnfilteredPalette, kPalWeatherFirst,
                kPalInterfaceFirst - kPalWeatherFirst);
  } else {
    CopyEntries(UnfilteredPalette, ScenePalette, kPalWeatherFirst,
                kPalInterfaceFirst - kPalWeatherFirst);
  }

  if (ScriptVar(kVarNextFilter) != 0) {
    ColourFilter(ScriptVar(kVarNextFilter), false);
    ScriptVar(kVarNextFilter) = 0;
  }
}

// Redraws the kept background: 0 whole, 1 left half, 2 right half, 3 middle.
void BgRedraw(uint8_t mode) {
  CopyEntries(ScenePalette, BackgroundPalette, 0, kBgColours);
  if (!BackGrp) {
    FrameClear(BackFrame);
    return;
  }
  switch (mode) {
    case 0:
      BgGrpRestore(BackFrame, BackGrp);
      BgShown = BgHeld;
      CharSlotsClear();
      break;
    case 1:
    case 2:
      // Slots s and s + 3 share the left (0) or right (1) position.
      BgGrpRestoreStrip(BackFrame, BackGrp, mode == 1 ? 0 : 320);
      SlotEmpty(mode - 1);
      SlotEmpty(mode + 2);
      CharRangesRelease();
      break;
    case 3:
      BgGrpRestoreStrip(BackFrame, BackGrp, 160);
      CharSlotsClear();
      break;
    default:
      break;
  }
  CopyEntries(ScenePalette, BackgroundPalette, 0, kBgColours);
}

// Releases the kept background picture.
void BgForget() {
  MemRelease(&BackGrp);
  BgHeld = kNoPicture;
}

// Empties the slots, forgets the colour ranges and fills the back frame with one colour.
void BgFill(uint8_t colour) {
  SlotsEmptyAll();
  CharRangesRemember(0);
  RangeChar[kRangeA] = RangeChar[kRangeB] = kRangeFree;
  FrameFillRect(BackFrame, 0, 0, kFrameWidth - 1, kFrameHeight - 1, colour);
  CopyEntries(UnfilteredPalette, ScenePalette, 0, kBgColours);
}

// Sets the rain colours of the weather overlay for background n (only while it rains).
void WeatherColoursSet(uint8_t n) {
  if (WeatherMode != WeatherRain) return;
  PalEntry rain[8];
  WeatherRainColours(n, rain);
  for (int i = 0; i < 8; i++) {
    ScenePalette[kPalWeatherFirst + i] = rain[i];
    // The filters start from the unfiltered colours, the rain's included.
    UnfilteredPalette[kPalWeatherFirst + i] = rain[i];
  }
}

// [SECTION] Characters

// Draws character picture `code` into a slot of the back frame.
void CharShow(uint8_t slot, uint16_t code) {
  if ((code & 0xFF) == 0xFF || slot >= kCharSlots) return;
  const int32_t ch = code & 0xFF00;
  const int range = CharRangeChoose(ch);
  if (range < 0) return;
  RangeChar[range] = ch;
  const int first = range == kRangeA ? kPalCharacterAFirst : kPalCharacterBFirst;

  uint16_t fileCode = code;
  if (ch == 0) {
    fileCode =
        static_cast<uint16_t>(0x0100 | (code & 0x7F) | (ScriptVar(kVarCharVariant) & 1) << 7);
  }
  const std::string name = FormatText("C%04x.TZ2", {fileCode});
  uint32_t size = 0;
  MemHandle picture = PackLoad(name.c_str(), &size);
  Tz2Header header;
  Tz2ReadHeader(picture, header);
  int x = SlotX[slot % 3];
  if (x + header.x + header.width > kFrameWidth) x = kFrameWidth - header.x - header.width;
  Tz2Draw(BackFrame, picture, static_cast<int16_t>(x), 0, static_cast<uint32_t>(first));
  MemRelease(&picture);

  CharPaletteLoad(code >> 8, first);
  CopyEntries(UnfilteredPalette, ScenePalette, first, kCharPaletteColours);
  if (FilterMode != 0) ColourFilter(FilterMode, false);

  CharCode[slot] = code;
  CharOrder[slot] = kNoOrder;
  CharOrderCompact();
  CharOrder[slot] = kTopOrder;
}

// Remembers (flag != 0) or forgets which characters hold the two colour ranges.
void CharRangesRemember(uint8_t flag) {
  for (int r = 0; r < kCharRanges; r++) RangePrevChar[r] = flag ? RangeChar[r] : kRangeFree;
}

// Frees each range whose character no longer stands in any slot.
void CharRangesRelease() {
  for (int32_t& holder : RangeChar) {
    if (holder == kRangeFree) continue;
    bool shown = false;
    for (uint16_t code : CharCode) {
      shown = shown || (code != kEmptyCode && (code & 0xFF00) == holder);
    }
    if (!shown) holder = kRangeFree;
  }
}

// [SECTION] Colour filters

// Applies colour filter `mode` to entries 0..227, cross-fading when `animate`.
void ColourFilter(uint8_t mode, bool animate) {
  if (mode <= 6) {
    PalEntry filtered[kPaletteSize];
    // The interface colours ride along unchanged (an immediate cross-fade takes all 236).
    CopyEntries(filtered, ScenePalette, 0, kPaletteSize);
    CopyEntries(filtered, UnfilteredPalette, 0, kFilteredColours);
    for (int i = 0; i < kFilteredColours; i++) {
      PalEntry& e = filtered[i];
      const int y = (30 * e.red + 59 * e.green + 11 * e.blue + 50) / 100;
      int r = e.red, g = e.green, b = e.blue;
      switch (mode) {
        case 1:
          r = y, g = y * 230 / 255, b = y * 150 / 255;
          break;
        case 2:
          r = y, g = 0, b = 0;
          break;
        case 3:
          r = 0, g = y, b = 0;
          break;
        case 4:
          r = 0, g = 0, b = y;
          break;
        case 5:
          r = 255 - r, g = 255 - g, b = 255 - b;
          break;
        case 6:
          r = r * 10 / 15, g = g * 10 / 15, b = b * 10 / 15;
          break;
        default:
          break;
      }
      e.red = static_cast<uint8_t>(r);
      e.green = static_cast<uint8_t>(g);
      e.blue = static_cast<uint8_t>(b);
    }
    if (animate) PalCrossFade(ScenePalette, filtered, 1);
    for (int i = 0; i < kFilteredColours; i++) {
      for (PalEntry* dst : {&ScenePalette[i], &BackgroundPalette[i]}) {
        dst->red = filtered[i].red;
        dst->green = filtered[i].green;
        dst->blue = filtered[i].blue;
      }
    }
  }
  FilterMode = mode;
}

bool CharPaletteRead(int c, PalEntry* out) {
  if (!CharPalettes || c < 0) return false;
  const uint32_t index = static_cast<uint32_t>(c) * kBgGroups + CharPaletteGroup();
  if (index * kCharPaletteRecordSize + kCharPaletteRecordSize > MemSize(CharPalettes)) return false;
  const uint8_t* record = MemLock(CharPalettes);
  if (!record) return false;
  record += index * kCharPaletteRecordSize;
  for (int i = 0; i < kCharPaletteColours; i++) {
    out[i] = PalEntry{record[i * 3 + 2], record[i * 3 + 1], record[i * 3], 0};
  }
  MemUnlock(CharPalettes);
  return true;
}
