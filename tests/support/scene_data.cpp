// Scene test data: pictures encoded with the engine's own TZ2 encoder, character palettes and
// the scene set.
#include "support/scene_data.h"

#include <gtest/gtest.h>

#include "app/app.h"
#include "resources/text_format.h"
#include "resources/tz2.h"
#include "scenario/game_state.h"
#include "screens/background.h"
#include "screens/main_flow.h"
#include "support/files.h"

TestPicture SolidPicture(uint16_t w, uint16_t h, uint8_t value, PalEntry colour) {
  TestPicture picture;
  picture.width = w;
  picture.height = h;
  picture.pixels.assign(size_t{w} * h, value);
  picture.palette.assign(value + 1u, PalEntry{1, 1, 1, 0});
  picture.palette.back() = colour;
  return picture;
}

TestPicture SpritePicture(uint16_t w, uint16_t h, uint8_t value, uint16_t clearColumns,
                          uint16_t clearRows, PalEntry colour) {
  TestPicture picture = SolidPicture(w, h, value, colour);
  picture.transparent = 0;
  for (size_t y = 0; y < h; y++) {
    for (size_t x = 0; x < w; x++) {
      if (x < clearColumns || y < clearRows) picture.pixels[y * w + x] = 0;
    }
  }
  return picture;
}

void WritePicture(const std::filesystem::path& dir, const std::string& name,
                  const TestPicture& picture) {
  Tz2Picture tz2;
  tz2.pixels = picture.pixels;
  tz2.width = picture.width;
  tz2.height = picture.height;
  tz2.palette = picture.palette;
  tz2.x = picture.x;
  tz2.y = picture.y;
  tz2.transparent = picture.transparent;
  std::string reason;
  const std::vector<uint8_t> bytes = Tz2Encode(tz2, &reason);
  ASSERT_FALSE(bytes.empty()) << name << ": " << reason;
  WriteFileBytes(dir / name, bytes);
}

MemHandle CharPaletteBlock(int records) {
  const MemHandle block =
      MemAlloc(static_cast<uint32_t>(records) * kCharPaletteRecordSize, "CHR_PAL.DAT");
  uint8_t* p = MemLock(block);
  for (int i = 0; i < records; i++) {
    for (int j = 0; j < kCharPaletteColours; j++) {
      uint8_t* c = p + i * kCharPaletteRecordSize + j * 3;
      c[0] = 200;  // blue
      c[1] = static_cast<uint8_t>(j);
      c[2] = static_cast<uint8_t>(i);
    }
  }
  MemUnlock(block);
  return block;
}

void WriteSceneSet(const std::filesystem::path& dir) {
  WritePicture(dir, "S01D.TZ2", SolidPicture(640, 480, kBg1, {0, 0, 160, 0}));
  WritePicture(dir, "S02D.TZ2", SolidPicture(640, 480, kBg2, {0, 160, 0, 0}));
  WritePicture(dir, "S01E.TZ2", SolidPicture(640, 480, kBg51, {160, 0, 0, 0}));
  const struct {
    uint16_t code, width;
    uint8_t value;
  } sprites[] = {{0x0A01, 200, 1}, {0x0A02, 200, 2}, {0x0B01, 400, 3}, {0x0B02, 400, 4},
                 {0x0C01, 200, 5}, {0x0D01, 200, 6}, {0x0E01, 300, 7}};
  for (const auto& s : sprites) {
    TestPicture sprite = SpritePicture(s.width, 300, s.value, 20, kCharTop);
    sprite.x = s.width == 200 ? 40 : 0;
    WritePicture(dir, FormatText("C%04x.TZ2", {s.code}), sprite);
  }
}

void ResetScene() {
  PlayMode = PlayModeEventScript;
  BackGrp = 0;
  CharSlotsClear();
  RangePrevChar[kRangeA] = RangePrevChar[kRangeB] = kRangeFree;
  CharPalettes = CharPaletteBlock(80);
}
