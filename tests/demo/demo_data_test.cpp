// The demo game's data as the engine will use it: every background and character picture the
// fixed screens name is in the archive, in every group, shaped for the colour range it is drawn
// in, with palettes that fit and character colours lit for each group.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "resources/pack.h"
#include "resources/tz2.h"
#include "resources/tzg.h"
#include "support/test_data.h"

namespace {

namespace fs = std::filesystem;

// Scenes the fixed screens load: title and name entry (17, 11, 19), the extras menu and the
// opening's first pictures (49), the opening's character groups (35, 9, 15, 21, 29, 10, 26, 14),
// the endings' backgrounds (31, 8, 9, 10, 11, 12, 13, 14, 15, 7, 21, 32, 17), the calendar's
// spring variants of two places (17, 18, 33, 34 and 20, 32, 35, 36) and the album's garden
// where the cat may appear (39). The variants and the garden can come in any group.
constexpr int kNamedScenes[] = {7,  8,  9,  10, 11, 12, 13, 14, 15, 17, 18, 19,
                                20, 21, 26, 29, 31, 32, 33, 34, 35, 36, 39, 49};

// Character pictures the opening shows, and the cat the album lets into the garden
// (5889 + 0..9).
constexpr int kNamedCodes[] = {0x181, 0x182, 0x186, 0x202, 0x204, 0x203, 0x301, 0x303,
                               0x302, 0x402, 0x403, 0x401, 0x501, 0x508, 0x50C, 0x604,
                               0x603, 0x602, 0x701, 0x702, 0x706, 0x801, 0x802, 0x803};

class DemoArt : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const fs::path pak = kDemoData / "LNTR3DAT.PAK";
    ASSERT_TRUE(fs::exists(pak)) << "the demo-data target is not built";
    std::vector<uint8_t> index;
    uint16_t count = 0;
    uint64_t size = 0;
    ASSERT_EQ(PackReadIndex(pak.string(), index, count, size), PackIndexResult::Ok);
    std::ifstream in(pak, std::ios::binary);
    for (uint32_t i = 0; i < count; i++) {
      const PackRecord record = PackRecordAt(index, i);
      std::vector<uint8_t> bytes(record.size);
      in.seekg(record.offset);
      in.read(reinterpret_cast<char*>(bytes.data()), record.size);
      ASSERT_TRUE(in) << PackKeyName(record.key);
      PackUnscramble(bytes);
      entries_[PackKeyName(record.key)] = std::move(bytes);
    }
  }
  static void TearDownTestSuite() { entries_.clear(); }

  // The entry's bytes, or nullptr.
  static const std::vector<uint8_t>* Entry(const std::string& name) {
    const auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
  }
  static std::string Background(int scene, char group) {
    char name[16];
    std::snprintf(name, sizeof name, "S%02d%c.TZ2", scene, group);
    return name;
  }
  static std::string Sprite(int code) {
    char name[16];
    std::snprintf(name, sizeof name, "C%04X.TZ2", code);
    return name;
  }

  static std::map<std::string, std::vector<uint8_t>> entries_;
};
std::map<std::string, std::vector<uint8_t>> DemoArt::entries_;

// Draws a picture into a frame as the engine would, expecting a clean decode; answers the mean
// brightness of the frame through the picture's own palette.
double Draw(const std::string& name, const std::vector<uint8_t>& bytes, uint32_t offset) {
  std::vector<uint8_t> frame(640 * 480, 0);
  PalEntry palette[kPaletteSize] = {};
  EXPECT_EQ(Tz2DecodeQuiet(frame, palette, bytes, 640, 480, 0, 0, -1, offset, true), PicError::None)
      << name;
  double sum = 0;
  for (uint8_t v : frame)
    sum += 0.3 * palette[v].red + 0.59 * palette[v].green + 0.11 * palette[v].blue;
  return sum / frame.size();
}

TEST_F(DemoArt, BackgroundsComeInAllFiveGroupsForTheBackgroundRange) {
  int places = 0;
  for (int scene = 1; scene < 50; scene++) {
    const bool named = std::find(std::begin(kNamedScenes), std::end(kNamedScenes), scene) !=
                       std::end(kNamedScenes);
    if (!named && !Entry(Background(scene, 'D'))) continue;
    places++;
    for (const char group : std::string("DENXZ")) {
      const std::string name = Background(scene, group);
      const std::vector<uint8_t>* bytes = Entry(name);
      ASSERT_NE(bytes, nullptr) << name << " is missing";
      Tz2Header h;
      ASSERT_TRUE(Tz2ParseHeader(*bytes, h));
      EXPECT_EQ(std::tuple(h.x, h.y, h.width, h.height, h.firstIndex, h.transparent),
                std::tuple(0, 0, 640, 480, 0, kTz2NoTransparent))
          << name;
      EXPECT_LE(h.colourCount, 124) << name << ": a background keeps to entries 0..123";
      Draw(name, *bytes, 0);
    }
  }
  EXPECT_GE(places, 30);
  // The groups look like their hour.
  for (int scene : {11, 17, 9}) {
    const auto brightness = [&](char group) {
      return Draw(Background(scene, group), *Entry(Background(scene, group)), 0);
    };
    EXPECT_GT(brightness('D'), brightness('N') * 1.8) << scene;
    EXPECT_GT(brightness('N'), brightness('Z')) << scene;
  }
}

TEST_F(DemoArt, CharacterPicturesFitASlotAndShareTheirCharactersPalette) {
  std::vector<int> codes(std::begin(kNamedCodes), std::end(kNamedCodes));
  for (int i = 0; i < 10; i++) codes.push_back(5889 + i);
  for (int code : codes) {
    const std::string name = Sprite(code);
    const std::vector<uint8_t>* bytes = Entry(name);
    ASSERT_NE(bytes, nullptr) << name << " is missing";
    Tz2Header h;
    ASSERT_TRUE(Tz2ParseHeader(*bytes, h));
    EXPECT_LE(h.x + h.width, 320) << name << ": a slot is 320 pixels wide";
    EXPECT_LE(h.y + h.height, 480) << name;
    EXPECT_EQ(std::tuple(h.firstIndex, h.transparent), std::tuple(124, 0)) << name;
    EXPECT_LE(h.colourCount, 48) << name << ": a character range holds 48 colours";
    Draw(name, *bytes, 172);
    // Every picture of a character has the colour count and colours of its first.
    const std::vector<uint8_t>* first = Entry(Sprite((code & ~0xFF) + 1));
    ASSERT_NE(first, nullptr) << name;
    const size_t end = kTz2HeaderSize + 3u * h.colourCount;
    ASSERT_GE(first->size(), end);
    EXPECT_TRUE(std::equal(first->begin() + 22, first->begin() + end, bytes->begin() + 22)) << name;
  }
  // Character 0 is drawn from character 1's pictures with bit 7 chosen by a script variable,
  // so each of character 1's pictures needs its twin.
  int pictures = 0;
  for (int low = 0; low < 0x80; low++) {
    const bool plain = Entry(Sprite(0x100 + low)) != nullptr;
    EXPECT_EQ(plain, Entry(Sprite(0x180 + low)) != nullptr) << "picture " << low;
    pictures += plain;
  }
  EXPECT_GE(pictures, 6);
}

TEST_F(DemoArt, CharacterPalettesCoverEveryCharacterAndGroup) {
  const std::vector<uint8_t>* file = Entry("CHR_PAL.DAT");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(file->size() % (5 * 144), 0u);
  ASSERT_GE(file->size(), (23u + 1) * 5 * 144) << "records for characters 0..23";
  // Character 0 wears character 1's colours.
  EXPECT_TRUE(std::equal(file->begin(), file->begin() + 5 * 144, file->begin() + 5 * 144));
  // Day colours are the sprite's own; the night record is darker.
  const std::vector<uint8_t>& sprite = *Entry(Sprite(0x201));
  const size_t day = 2 * 5 * 144, night = day + 2 * 144;
  int darker = 0;
  for (int k = 1; k < 48; k++) {
    for (int c = 0; c < 3; c++)
      EXPECT_EQ((*file)[day + 3 * k + c], sprite[kTz2HeaderSize + 3 * k + c]);
    darker += (*file)[night + 3 * k + 2] < (*file)[day + 3 * k + 2];  // red falls at night
  }
  EXPECT_GE(darker, 40);
}

TEST_F(DemoArt, CalendarPagesPrintInTheInkRampsAndTheFramesCarryBothKeys) {
  // Decodes an entry into a black frame at its header's position (pixel values, palette).
  auto decode = [](const std::string& name, std::vector<uint8_t>& frame, PalEntry* palette,
                   uint32_t offset = 0) {
    const std::vector<uint8_t>* bytes = Entry(name);
    ASSERT_NE(bytes, nullptr) << name << " is missing";
    frame.assign(640 * 480, 228);
    EXPECT_EQ(
        Tz2DecodeQuiet(frame, {palette, kPaletteSize}, *bytes, 640, 480, 0, 0, -1, offset, true),
        PicError::None)
        << name;
  };
  std::vector<uint8_t> frame;
  PalEntry palette[kPaletteSize] = {};
  // The desk sets the ramps: shade i of the Sunday ramp is redder, of the Saturday ramp bluer,
  // than shade i of the ink, and the paper (shade 0) is the same in all three.
  decode("CBAK.TZ2", frame, palette);
  EXPECT_EQ(palette[0], palette[26]);
  EXPECT_EQ(palette[0], palette[52]);
  for (int i = 5; i < 26; i += 5) {
    EXPECT_GT(palette[26 + i].red - palette[26 + i].blue, palette[i].red - palette[i].blue) << i;
    EXPECT_GT(palette[52 + i].blue - palette[52 + i].red, palette[i].blue - palette[i].red) << i;
  }
  // Every piece of a page prints below 26, with some ink.
  std::vector<std::string> pieces = {"CMON_03.TZ2", "CMON_04.TZ2", "CMON_05.TZ2"};
  for (int n = 0; n < 10; n++) {
    pieces.push_back("CLNO_0" + std::to_string(n) + ".TZ2");
    pieces.push_back("CSNO_0" + std::to_string(n) + ".TZ2");
  }
  for (int w = 0; w < 7; w++) pieces.push_back("CWEEK_0" + std::to_string(w) + ".TZ2");
  for (const std::string& name : pieces) {
    decode(name, frame, palette);
    int ink = 0, outside = 0;
    for (uint8_t v : frame) {
      if (v == 228) continue;
      if (v >= 26) outside++;
      if (v >= 20) ink++;
    }
    EXPECT_EQ(outside, 0) << name;
    EXPECT_GT(ink, 50) << name;
  }
  // Frames 0..5 key the page on top (209) or under (211) over the page's place; 0 is all top.
  for (int k = 0; k < 8; k++) {
    const std::string name = "CBAK_0" + std::to_string(k) + ".TZ2";
    decode(name, frame, palette);
    int top = 0, under = 0;
    for (uint8_t v : frame) {
      top += v == 209;
      under += v == 211;
    }
    EXPECT_EQ(top > 0, k < 6) << name;  // 5 keeps a torn edge of the old page
    EXPECT_EQ(under > 0, k >= 1 && k < 6) << name;
    if (k == 0) {
      EXPECT_EQ(top, 242 * 306) << name;
    }
  }
  // A clock face for every hour, in the character range A.
  for (int h = 0; h < 24; h++) {
    const std::string name = (h < 10 ? "OC_0" : "OC_") + std::to_string(h) + ".TZ2";
    Tz2Header header;
    ASSERT_NE(Entry(name), nullptr) << name;
    ASSERT_TRUE(Tz2ParseHeader(*Entry(name), header)) << name;
    EXPECT_LE(header.colourCount, 48) << name;
    EXPECT_EQ(header.firstIndex, 124) << name;
  }
}

TEST_F(DemoArt, TheOpeningsSkySlopeAndTitleShareThePaletteItsLightsStepAlong) {
  // One palette for the three, and the sky kept to entries 1..44, bright to dark.
  std::vector<uint8_t> frame(640 * 480);
  PalEntry palettes[3][kPaletteSize] = {};
  const char* const kNames[] = {"S19D.TZ2", "S17D.TZ2", "TITLE.TZ2"};
  for (int i = 0; i < 3; i++) {
    ASSERT_EQ(Tz2DecodeQuiet(frame, palettes[i], *Entry(kNames[i]), 640, 480, 0, 0, -1, 0, true),
              PicError::None);
    if (i == 0) {
      EXPECT_EQ(
          std::count_if(frame.begin(), frame.end(), [](uint8_t p) { return p < 1 || p > 44; }), 0);
    }
    EXPECT_TRUE(std::equal(palettes[i], palettes[i] + 124, palettes[0])) << kNames[i];
  }
  const auto brightness = [&](int k) {
    return palettes[0][k].red + palettes[0][k].green + palettes[0][k].blue;
  };
  EXPECT_GE(brightness(2), brightness(44));
}

TEST_F(DemoArt, OverlaysFitWhereTheScreenEffectsAndTheOpeningDrawThem) {
  // Name, size, transparent colour (16: none), and a point whose colour is not the ground.
  const struct {
    const char* name;
    int width, height, transparent, x, y;
  } overlays[] = {
      {"CLAW01W.TZG", 640, 480, 0, 0, 0},   {"CLAW02W.TZG", 640, 480, 0, 0, 0},
      {"CLAW03W.TZG", 640, 480, 0, 0, 0},   {"CLAW04W.TZG", 640, 480, 0, 0, 0},
      {"BLDW1.TZG", 640, 240, 0, 0, 0},     {"BLDW2.TZG", 640, 480, 0, 320, 230},
      {"BLDW3.TZG", 640, 480, 0, 0, 0},     {"LIGHT.TZG", 640, 320, 16, 420, 100},
      {"TAZU.TZG", 640, 400, 16, 320, 190},
  };
  for (const auto& o : overlays) {
    const std::vector<uint8_t>* bytes = Entry(o.name);
    ASSERT_NE(bytes, nullptr) << o.name;
    TzgHeader h;
    ASSERT_TRUE(TzgReadHeader(*bytes, h)) << o.name;
    EXPECT_EQ(std::tuple(h.x0, h.y0, (h.x1 + 1) * 8, h.y1 + 1,
                         int{h.transparent} > 15 ? 16 : h.transparent),
              std::tuple(0, 0, o.width, o.height, o.transparent))
        << o.name;
    std::vector<uint8_t> frame(640 * 480, 255), table(1024);
    std::vector<PalEntry> palette(kPaletteSize);
    ASSERT_EQ(TzgDecodeQuiet(frame, table, palette, *bytes, 640, 480, 0, 0, true), PicError::None)
        << o.name;
    // Drawn at the top left; something other than the ground colour 0 somewhere, and at the
    // point given when it has one.
    EXPECT_TRUE(std::any_of(frame.begin(), frame.end(), [](uint8_t p) {
      return p != 0 && p != 255;
    })) << o.name;
    if (o.x != 0) {
      EXPECT_NE(frame[static_cast<size_t>(479 - o.y) * 640 + o.x], 0) << o.name;
    }
  }
}

}  // namespace
