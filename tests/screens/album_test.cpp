// The album: keeping scenes, its file at the next start, clearing, tidying, the picker's steps
// and the picture counts.
#include "screens/album.h"

#include <cstring>

#include "platform/headless/headless.h"
#include "scenario/text_fixture.h"
#include "screens/save_data.h"

namespace {

class AlbumTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    AlbumData = AlbumFile{};
    boxesBefore_ = HeadlessMessageBoxes().size();
  }
  void TearDown() override {
    AlbumData = AlbumFile{};
    SaveDir.clear();
    TextTest::TearDown();
  }
  // Background `bg` with one character in the middle slot, on calendar day `day`.
  static void Scene(uint8_t bg, uint16_t code, uint8_t day = 5) {
    BgShown = bg;
    VCgShown = HCgShown = kNoPicture;
    for (int slot = 0; slot < 6; slot++) CharCode[slot] = CharOrder[slot] = kEmptyCode;
    CharCode[2] = code;
    CharOrder[2] = 5;
    ScriptVar(kVarCalendarDay) = day;
    ScriptVar(kVarWeekday) = 3;
  }
  // An entry tagged with `tag` in its weekday.
  static AlbumEntry Entry(uint8_t tag, uint8_t bg, uint8_t v, uint8_t h, uint8_t day,
                          uint16_t code = kEmptyCode) {
    AlbumEntry entry{bg, v, h, 0, 0, day, tag, 0, {}, {}};
    for (int slot = 0; slot < 6; slot++) entry.code[slot] = entry.order[slot] = kEmptyCode;
    entry.code[0] = code;
    entry.order[0] = code == kEmptyCode ? kEmptyCode : 5;
    return entry;
  }
  static void Fill(std::initializer_list<AlbumEntry> entries) {
    AlbumData.count = 0;
    for (const AlbumEntry& entry : entries) AlbumData.entries[AlbumData.count++] = entry;
  }
  static std::string Tags() {
    std::string tags;
    for (uint32_t i = 0; i < AlbumData.count; i++) tags += char('A' + AlbumData.entries[i].weekday);
    return tags;
  }
  std::filesystem::path File() const { return dir.path / kAlbumFileName; }
  size_t NewBoxes() const { return HeadlessMessageBoxes().size() - boxesBefore_; }

  size_t boxesBefore_ = 0;
};

TEST_F(AlbumTest, ASceneIsKeptOnceAndTheAlbumTakesNoMoreThan256) {
  ScriptVar(1) = 1;  // character 0 wears Mina's summer pictures
  Scene(53, 0x0084);
  ASSERT_TRUE(AlbumAdd(false));
  EXPECT_EQ(AlbumData.entries[0].code[2], 0x0184);
  const struct {
    const char* what;
    uint8_t bg;
    uint16_t code;
    uint8_t day;
    bool withDate, added;
  } cases[] = {
      {"the same scene", 53, 0x0084, 5, false, false},
      {"the same picture under its own number", 53, 0x0184, 5, true, false},
      {"another day, the date not asked", 53, 0x0084, 9, false, false},
      {"another day with the date", 53, 0x0084, 9, true, true},
      {"another pose", 53, 0x0185, 5, false, true},
      {"another background", 54, 0x0184, 5, false, true},
  };
  for (const auto& c : cases) {
    Scene(c.bg, c.code, c.day);
    EXPECT_EQ(AlbumAdd(c.withDate), c.added) << c.what;
  }
  ASSERT_EQ(AlbumData.count, 4u);
  for (int i = 4; i < kAlbumScenes; i++) {
    Scene(static_cast<uint8_t>(i % 200), static_cast<uint16_t>(0x0201 + i / 200));
    ASSERT_TRUE(AlbumAdd(false)) << i;
  }
  Scene(1, 0x0801);
  EXPECT_FALSE(AlbumAdd(false));
  EXPECT_EQ(AlbumData.count, 256u);
}

TEST_F(AlbumTest, AnAlbumComesBackWholeAndAnyDamageMakesItEmptyAtTheNextStart) {
  Scene(53, 0x0184);
  AlbumAdd(false);
  AlbumData.captionOff = 1;
  AlbumSave();
  const AlbumFile kept = AlbumData;
  AlbumData = AlbumFile{};
  AlbumLoad();
  EXPECT_EQ(AlbumData.count, 1u);
  EXPECT_EQ(AlbumData.captionOff, 1);
  EXPECT_EQ(std::memcmp(&AlbumData.entries[0], &kept.entries[0], sizeof(AlbumEntry)), 0);

  const std::string sealed = ReadFileText(File());
  ASSERT_EQ(sealed.size(), kAlbumFileSize);
  std::string flipped = sealed, overfull(kAlbumFileSize, 0);
  flipped[4000] ^= 1;
  AlbumFile big = kept;
  big.count = 300;  // sealed by hand: the checksum holds, the count cannot
  AlbumSeal(reinterpret_cast<uint8_t*>(&big));
  std::memcpy(overfull.data(), &big, kAlbumFileSize);
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {{"one byte changed", flipped},
               {"a byte short", sealed.substr(1)},
               {"a byte long", sealed + "x"},
               {"a count past 256", overfull},
               {"missing", ""}};
  for (const auto& c : cases) {
    std::filesystem::remove(File());
    if (!c.bytes.empty()) WriteFileBytes(File(), c.bytes);
    AlbumData = kept;
    AlbumLoad();
    EXPECT_EQ(AlbumData.count, 0u) << c.what;
  }
  EXPECT_EQ(NewBoxes(), 0u);

  // A folder that cannot be made: a box names the file, the album stays as it was.
  WriteFileBytes(dir.path / "plain", "x");
  SaveDir = (dir.path / "plain" / "saves").string();
  AlbumData = kept;
  AlbumSave();
  ASSERT_EQ(NewBoxes(), 1u);
  EXPECT_NE(HeadlessMessageBoxes().back().text.find("アルバムを保存できませんでした。\n" + SaveDir),
            std::string::npos)
      << HeadlessMessageBoxes().back().text;
  EXPECT_EQ(AlbumData.count, 1u);
}

TEST_F(AlbumTest, ClearingEmptiesTheAlbumAndTurnsTheCaptionsBackOn) {
  const struct {
    const char* what;
    std::vector<int> keys;
    uint32_t count;
    uint8_t captionOff;
  } cases[] = {{"yes", {VK_DOWN, VK_RETURN, VK_RETURN}, 0, 0}, {"cancel", {VK_ESCAPE}, 1, 1}};
  for (const auto& c : cases) {
    Scene(53, 0x0184);
    AlbumData = AlbumFile{};
    AlbumAdd(false);
    AlbumData.captionOff = 1;
    uint32_t t = 0;
    for (int key : c.keys) Press(t += 300, key);
    AlbumClear();
    EXPECT_EQ(AlbumData.count, c.count) << c.what;
    EXPECT_EQ(AlbumData.captionOff, c.captionOff) << c.what;
  }
  // What was cleared is what the next start finds.
  AlbumData = AlbumFile{};
  AlbumData.count = 5;
  AlbumLoad();
  EXPECT_EQ(AlbumData.count, 0u);
  EXPECT_EQ(AlbumData.captionOff, 0);
  EXPECT_TRUE(std::filesystem::exists(File()));
}

TEST_F(AlbumTest, TidyingOrdersByDayGroupOrKindAndDropsDuplicatesOnRequest) {
  // A: background, Shiori, day 20; B: V picture of Haruka's, day 5; C: background, character
  // 18 (counted as Mina), day 5; D: A again on day 9; E: H picture of Mina's, no day; F:
  // nothing on screen, day 1.
  const auto album = {Entry(0, 53, 255, 255, 20, 0x0301), Entry(1, 255, 0x21, 255, 5),
                      Entry(2, 60, 255, 255, 5, 0x1201),  Entry(3, 53, 255, 255, 9, 0x0301),
                      Entry(4, 255, 255, 0x15, 255),      Entry(5, 255, 255, 255, 1)};
  const struct {
    int order;
    bool drop;
    const char* tags;
  } cases[] = {{0, false, "FBCDAE"},
               {0, true, "FBCAE"},
               {1, false, "CEBADF"},
               {1, true, "CEBAF"},
               {2, false, "ACDBEF"}};
  for (const auto& c : cases) {
    Fill(album);
    AlbumReorder(c.order, c.drop);
    EXPECT_EQ(Tags(), c.tags) << c.order << " " << c.drop;
    EXPECT_EQ(AlbumData.entries[0].pending, 0);
  }
}

TEST(AlbumPicker, ButtonsStepTheIndexWithinTheAlbum) {
  const struct {
    int index, item, count, next;
  } cases[] = {{0, 0, 25, 0},   {7, 0, 25, 0},   {10, 0, 25, 0},  {11, 0, 25, 1}, {0, 1, 25, 0},
               {3, 1, 25, 2},   {23, 3, 25, 24}, {24, 3, 25, 24}, {0, 4, 25, 10}, {13, 4, 25, 23},
               {14, 4, 25, 24}, {24, 4, 25, 24}, {0, 4, 1, 0},    {5, 2, 25, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(AlbumPickStep(c.index, c.item, c.count), c.next)
        << c.index << " " << c.item << " " << c.count;
  }
}

TEST_F(AlbumTest, PictureCountsCountEachEventPictureOnce) {
  Fill({Entry(0, 255, 0x10, 255, 1), Entry(1, 255, 0x10, 255, 2), Entry(2, 255, 0x12, 255, 1),
        Entry(3, 255, 255, 0x11, 1), Entry(4, 255, 0x93, 255, 1), Entry(5, 53, 255, 255, 1)});
  const int expected[9] = {3, 0, 0, 0, 0, 0, 0, 0, 1};
  for (int group = 0; group < 9; group++) {
    EXPECT_EQ(AlbumPictureCount(group), expected[group]) << group;
  }
}

}  // namespace
