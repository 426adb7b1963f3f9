// Event pictures: the full-screen "V" and "H" pictures drawn on the back frame in place of the
// background and its characters.
#include "screens/event_picture.h"

#include <cstring>
#include <string>

#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/pack.h"
#include "resources/text_format.h"
#include "resources/tz2.h"
#include "scenario/game_state.h"
#include "screens/album.h"
#include "screens/background.h"
#include "screens/main_flow.h"

namespace {

constexpr uint8_t kVTintedFirst = 128;
constexpr int kVTints = 7;
constexpr int kVTintFirstEntry = 210;
// Red, green, blue of entries 210..216 for V pictures 128..134 (one row each).
// clang-format off
constexpr uint8_t kVTintColours[kVTints][kVTints][3] = {
    {{150, 146, 142}, {174, 174, 174}, {203, 201, 202}, {215, 218, 211},
     {239, 239, 231}, {255, 255, 255}, {138, 113, 101}},
    {{89, 121, 93}, {125, 154, 125}, {158, 203, 170}, {199, 231, 182},
     {219, 246, 214}, {235, 255, 231}, {44, 93, 36}},
    {{166, 134, 101}, {199, 178, 138}, {223, 207, 162}, {247, 235, 188},
     {251, 245, 207}, {255, 255, 227}, {125, 85, 52}},
    {{186, 117, 138}, {203, 146, 142}, {223, 178, 199}, {235, 199, 219},
     {247, 227, 247}, {255, 243, 255}, {105, 65, 85}},
    {{130, 97, 130}, {166, 125, 150}, {184, 160, 208}, {211, 191, 219},
     {239, 223, 227}, {252, 252, 252}, {81, 60, 97}},
    {{77, 105, 150}, {112, 130, 171}, {138, 154, 192}, {166, 182, 213},
     {203, 215, 234}, {219, 235, 255}, {69, 92, 125}},
    {{48, 28, 28}, {56, 40, 36}, {89, 69, 44}, {117, 69, 48},
     {146, 93, 73}, {170, 121, 97}, {48, 28, 28}},
};
// clang-format on

// Entries 0..219 (background and both character ranges) are the picture's own colours.
constexpr int kPictureColours = kPalWeatherFirst;
constexpr uint8_t kVarCharVariant = 1;  // bit 0: Mina's second set of pictures

enum class EventKind { V, H };

// The file number of V picture n: 128..134 share one picture, and while a game is played
// 17 and 18 are Mina's two sets, picked as her sprites are.
uint8_t VFileNumber(uint8_t n) {
  if (n >= kVTintedFirst && n < kVTintedFirst + kVTints) return kVTintedFirst;
  if (PlayMode == PlayModeEventScript && (n == 17 || n == 18))
    return (ScriptVar(kVarCharVariant) & 1) ? 18 : 17;
  return n;
}

// Keeps the scene now on the back frame in the album, as the player has seen it.
void AlbumKeep() {
  if (PlayMode != PlayModeEventScript) return;
  if (AlbumAdd(false)) AlbumSave();
}

void ShowEventPicture(EventKind kind, uint8_t n) {
  // The scene behind goes: no background, no remembered character colours, no weather asked.
  CharRangesRemember(0);
  ScriptVar(kVarWeatherNext) = 0;
  BgShown = kNoPicture;
  BgForget();
  uint8_t& shown = kind == EventKind::V ? VCgShown : HCgShown;
  (kind == EventKind::V ? HCgShown : VCgShown) = kNoPicture;
  if (n == shown) return;
  shown = n;
  FilterMode = 0;
  FrameClear(BackFrame);

  if (n != 0) {
    const uint8_t file = kind == EventKind::V ? VFileNumber(n) : n;
    const std::string name = FormatText(kind == EventKind::V ? "V%02x.TZ2" : "H%02x.TZ2", {file});
    uint32_t size = 0;
    MemHandle picture = PackLoad(name.c_str(), &size);
    Tz2Draw(BackFrame, picture, 0, 0, 0);
    MemRelease(&picture);
    if (kind == EventKind::V && file == kVTintedFirst) {
      for (int i = 0; i < kVTints; i++) {
        const uint8_t* rgb = kVTintColours[n - kVTintedFirst][i];
        PalEntry& entry = ScenePalette[kVTintFirstEntry + i];
        entry.red = rgb[0];
        entry.green = rgb[1];
        entry.blue = rgb[2];
      }
    }
    if (kind == EventKind::V) AlbumKeep();
  }

  std::memcpy(UnfilteredPalette, ScenePalette, sizeof(PalEntry) * kPictureColours);
  if (ScriptVar(kVarNextFilter) != 0) {
    ColourFilter(ScriptVar(kVarNextFilter), false);
    ScriptVar(kVarNextFilter) = 0;
  }
  if (kind == EventKind::H && n != 0) AlbumKeep();
}

}  // namespace

void ShowVPicture(uint8_t n) {
  ShowEventPicture(EventKind::V, n);
}

void ShowHPicture(uint8_t n) {
  ShowEventPicture(EventKind::H, n);
}
