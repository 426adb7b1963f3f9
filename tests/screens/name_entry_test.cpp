// The name entry: editing one part with the buttons and the grids, the pointer at every window
// size, the stroke-count pages with their arrows, part E following part D, and the whole
// sequence storing or keeping the names.
#include "screens/name_entry.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "app/presentation.h"
#include "scenario/text_fixture.h"
#include "screens/name_lists.h"
#include "screens/save_screen.h"

namespace {

using Name = std::array<uint16_t, kNameLength>;
constexpr uint16_t E = kEmptyCode;

class NameEntryTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    InstallFont(TestFontBytes(0x1B00));  // kanji too, so that every text has its size
    CurrentSlot = kSlotCount;            // no slot file to update
    MouseMove = 0;                       // no glide onto the finish button
  }
  // Clicks 100 ms apart: '>' cursor right, 'x' delete, 'o' default, 's' the stroke-count mode,
  // '!' finish, 'v' the next-page arrow, '*' the first grid cell, a kana its cell of the
  // table's first page.
  void Clicks(std::u32string_view clicks) {
    static constexpr struct {
      char32_t key;
      int x, y;
    } kPlaces[] = {{U'>', 118, 436}, {U'x', 200, 436}, {U'o', 330, 436}, {U's', 330, 462},
                   {U'!', 490, 462}, {U'v', 600, 280}, {U'*', 40, 84}};
    for (char32_t c : clicks) {
      int x = 0, y = 0;
      for (const auto& place : kPlaces) {
        if (place.key == c) x = place.x, y = place.y;
      }
      for (int i = 0; i < 160 && x == 0; i++) {
        if (kNameKanaTable[i] == C(c)) x = 40 + 28 * (i % 20), y = 84 + 28 * (i / 20);
      }
      Click(t += 100, x, y);
    }
  }
  uint32_t t = 0;
};

TEST_F(NameEntryTest, ButtonsAndGridEditTheName) {
  const uint16_t a = C(U'あ'), i = C(U'い'), ka = C(U'か'), ku = C(U'く');
  const struct {
    std::u32string_view clicks;  // then cancel when not finished
    Name start;
    bool finished;
    Name result;
  } cases[] = {
      // Finish on an empty first position does nothing.
      {U"!あ!", {E, E, E, E, E, E}, true, {a, E, E, E, E, E}},
      // Delete at position 5 blanks only it, and again nothing.
      {U">>>>>xx!", {a, i, ka, ku, a, i}, true, {a, i, ka, ku, a, E}},
      // Delete closes the gap; the cursor does not pass a blank.
      {U">x>>く!", {a, i, ka, E, E, E}, true, {a, ka, ku, E, E, E}},
      // The default (悠) puts the cursor back at 0.
      {U">oい!", {a, i, ka, E, E, E}, true, {i, E, E, E, E, E}},
      // Cancel keeps the name.
      {U"か", {a, i, E, E, E, E}, false, {a, i, E, E, E, E}},
  };
  for (const auto& c : cases) {
    t = 0;
    Clicks(c.clicks);
    if (!c.finished) Press(t += 100, VK_ESCAPE);
    Name codes = c.start;
    EXPECT_EQ(EditName(codes.data(), kNameGiven, false), c.finished);
    EXPECT_EQ(codes, c.result) << c.clicks.size();
  }
}

TEST_F(NameEntryTest, PointerGlidesToFinishAndKeysMoveItAtEveryWindowSize) {
  PresentModeCommand(kModeFirstSize + 6);  // 1280 x 960: client points are twice the picture's
  ASSERT_EQ(ClientWidth, 1280);
  MouseMove = 1;
  // The pointer glides onto "finish", 8 pixels in, halfway down; Enter there finishes.
  MoveCursorTo(0, 0);
  Press(500, VK_RETURN);
  Name codes = {C(U'あ'), E, E, E, E, E};
  EXPECT_TRUE(EditName(codes.data(), kNameFamily, false));
  EXPECT_NEAR(MouseX, 488 * 2, 2);
  EXPECT_NEAR(MouseY, 466 * 2, 2);
  // Held right and down take it to the picture's far corner, however large the window.
  At(500, HeadlessAction::KeyDown, VK_RIGHT);
  At(500, HeadlessAction::KeyDown, VK_DOWN);
  At(1500, HeadlessAction::KeyUp, VK_RIGHT);
  At(1500, HeadlessAction::KeyUp, VK_DOWN);
  Press(1600, VK_ESCAPE);
  EXPECT_FALSE(EditName(codes.data(), kNameFamily, false));
  EXPECT_EQ(std::make_pair(int{MouseX}, int{MouseY}), std::make_pair(639 * 2, 479 * 2));
}

TEST_F(NameEntryTest, StrokeListOf260CodesTakesTwoPagesWithArrows) {
  // Ten strokes: 160 codes and a next-page arrow, then 100 and a previous-page arrow.
  const struct {
    int page, codes;
    uint16_t top, bottom;
  } pages[] = {{0, 160, 0, kNextPage}, {1, 100, kPreviousPage, 0}};
  for (const auto& p : pages) {
    ShowStrokePage(10, p.page);
    int codes = 0;
    for (const auto& row : NameGrid)
      codes += static_cast<int>(
          std::count_if(row, row + kGridColumns - 1, [](uint16_t c) { return c; }));
    EXPECT_EQ(codes, p.codes) << p.page;
    EXPECT_EQ(std::make_pair(NameGrid[0][20], NameGrid[7][20]), std::make_pair(p.top, p.bottom));
    EXPECT_EQ(std::make_pair(CodeAt(592, 76), CodeAt(592, 272)), std::make_pair(p.top, p.bottom));
  }
  // Picked on screen: the stroke mode, 10 (second row, second number), the next page, its first
  // kanji.
  const uint16_t expected = NameGrid[0][0];
  Clicks(U"s");
  Click(t += 100, 32 + 72 + 10, 326 + 28 + 8);
  Clicks(U"v*!");
  Name codes = {E, E, E, E, E, E};
  ASSERT_TRUE(EditName(codes.data(), kNameFamily, false));
  EXPECT_EQ(codes[0], expected);
}

TEST_F(NameEntryTest, PartEIsPartDWithTheKanaSetsSwapped) {
  const uint16_t d[] = {64, 143, 145, 224, 144, 63};
  const Name e = {145, 224, 64, 143, 144, 63};  // 々 (144) and others stay
  Name derived;
  DeriveKatakanaName(d, derived.data());
  EXPECT_EQ(derived, e);
}

TEST_F(NameEntryTest, NamesReachTheStatesOnlyOnYes) {
  for (int part = 0; part < kNameCount; part++) LoadDefaultNames(NameArrays[part], part);
  GameState before = LiveState;
  // Cancel on the first part: no name changes.
  Press(100, VK_ESCAPE);
  NameEntry();
  EXPECT_EQ(std::memcmp(before.nameArrays, NameArrays, sizeof before.nameArrays), 0);

  // Parts A and B as they are, か over the first character of D (kana only), C as it is, then
  // "yes" (the pointer is off the list: up takes "no", up again "yes").
  t = 0;
  Clicks(U"!!か!!");
  for (int key : {VK_UP, VK_UP, VK_RETURN}) Press(t += 200, key);
  NameEntry();
  for (GameState* state : {&LiveState, &SaveState, &CheckpointState}) {
    EXPECT_EQ(state->nameArrays[kNameFamily][0], before.nameArrays[kNameFamily][0]);
    EXPECT_EQ(state->nameArrays[kNameKana][0], C(U'か'));
    EXPECT_EQ(state->nameArrays[kNameKatakana][0], C(U'カ'));
    EXPECT_EQ(state->nameArrays[kNameKatakana][1], before.nameArrays[kNameKatakana][1]);
  }
}

}  // namespace
