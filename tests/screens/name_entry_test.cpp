// The name entry: editing one part with the buttons and the grids, the stroke-count pages with
// their arrows, part E following part D, and the whole sequence storing or keeping the names.
#include "screens/name_entry.h"

#include <cstring>

#include "app/presentation.h"
#include "scenario/text_fixture.h"
#include "screens/save_screen.h"

namespace {

// Points inside the buttons (client = picture at the test's window size).
constexpr int kRow1 = 436, kRow2 = 462;
constexpr int kLeftX = 70, kRightX = 118, kDeleteX = 200, kDefaultX = 330;
constexpr int kStrokesX = 330, kFinishX = 490;
// Grid cell (row, column) of the upper panel.
constexpr int CellX(int column) {
  return 32 + 28 * column + 8;
}
constexpr int CellY(int row) {
  return 76 + 28 * row + 8;
}

class NameEntryTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    InstallFont(TestFontBytes(0x1B00));  // kanji too, so that every text has its size
    CurrentSlot = kSlotCount;            // no slot file to update
    MouseMove = 0;                       // no glide onto the finish button
  }
  // Steps every 100 ms from now on.
  void Clicks(std::initializer_list<std::pair<int, int>> points) {
    for (const auto& [x, y] : points) Click(t += 100, x, y);
  }
  uint32_t t = 0;
};

using Name = std::array<uint16_t, kNameLength>;
constexpr uint16_t E = kEmptyCode;

TEST_F(NameEntryTest, ButtonsAndGridEditTheName) {
  const uint16_t a = C(U'あ'), i = C(U'い'), ka = C(U'か'), ku = C(U'く');
  const struct {
    const char* what;
    Name start;
    std::vector<std::pair<int, int>> clicks;
    bool finished;
    Name result;
  } cases[] = {
      {"finish on an empty first position does nothing; あ, then finish",
       {E, E, E, E, E, E},
       {{kFinishX, kRow2}, {CellX(0), CellY(0)}, {kFinishX, kRow2}},
       true,
       {a, E, E, E, E, E}},
      {"delete at position 5 blanks only it",
       {a, i, ka, ku, a, i},
       {{kRightX, kRow1},
        {kRightX, kRow1},
        {kRightX, kRow1},
        {kRightX, kRow1},
        {kRightX, kRow1},
        {kDeleteX, kRow1},
        {kDeleteX, kRow1},
        {kFinishX, kRow2}},
       true,
       {a, i, ka, ku, a, E}},
      {"delete at position 1 closes the gap; the cursor does not pass a blank",
       {a, i, ka, E, E, E},
       {{kRightX, kRow1},
        {kDeleteX, kRow1},
        {kRightX, kRow1},
        {kRightX, kRow1},
        {CellX(7), CellY(0)},
        {kFinishX, kRow2}},
       true,
       {a, ka, C(U'く'), E, E, E}},
      {"default (悠) puts the cursor back at 0; い over it",
       {a, i, ka, E, E, E},
       {{kRightX, kRow1}, {kDefaultX, kRow1}, {CellX(1), CellY(0)}, {kFinishX, kRow2}},
       true,
       {i, E, E, E, E, E}},
      {"cancel keeps the name",
       {a, i, E, E, E, E},
       {{CellX(5), CellY(0)}},
       false,
       {a, i, E, E, E, E}},
  };
  for (const auto& c : cases) {
    t = 0;
    for (const auto& [x, y] : c.clicks) Click(t += 100, x, y);
    if (!c.finished) Press(t += 100, VK_ESCAPE);
    Name codes = c.start;
    EXPECT_EQ(EditName(codes.data(), kNameGiven, false), c.finished) << c.what;
    EXPECT_EQ(codes, c.finished ? c.result : c.start) << c.what;
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
    for (const auto& row : NameGrid) {
      for (int column = 0; column < kGridColumns - 1; column++) codes += row[column] != 0;
    }
    EXPECT_EQ(codes, p.codes) << p.page;
    EXPECT_EQ(NameGrid[0][20], p.top);
    EXPECT_EQ(NameGrid[7][20], p.bottom);
    EXPECT_EQ(CodeAt(592, 76), p.top);
    EXPECT_EQ(CodeAt(592, 272), p.bottom);
  }
}

TEST_F(NameEntryTest, StrokePagesAreReachedByNumberAndArrow) {
  // Mode "strokes", the number 10 (second row, second cell), the next page, then its first
  // kanji; a code of the second page of the ten-stroke list.
  ShowStrokePage(10, 1);
  const uint16_t expected = NameGrid[0][0];
  Clicks({{kStrokesX, kRow2},
          {32 + 72 + 10, 326 + 28 + 8},
          {CellX(20), CellY(7)},
          {CellX(0), CellY(0)},
          {kFinishX, kRow2}});
  Name codes = {E, E, E, E, E, E};
  ASSERT_TRUE(EditName(codes.data(), kNameFamily, false));
  EXPECT_EQ(codes[0], expected);
}

TEST_F(NameEntryTest, PartEIsPartDWithTheKanaSetsSwapped) {
  const struct {
    uint16_t d, e;
  } cases[] = {{64, 145},     {143, 224}, {145, 64},  {224, 143},
               {144, 144},    {63, 63},   {225, 225}, {kEmptyCode, kEmptyCode},
               {0x6CD, 0x6CD}};
  for (const auto& c : cases) {
    const uint16_t d[kNameLength] = {c.d, c.d, c.d, c.d, c.d, c.d};
    uint16_t e[kNameLength];
    DeriveKatakanaName(d, e);
    EXPECT_EQ(e[5], c.e) << c.d;
  }
}

TEST_F(NameEntryTest, NamesReachTheStatesOnlyOnYes) {
  for (int part = 0; part < kNameCount; part++) LoadDefaultNames(NameArrays[part], part);
  GameState before = LiveState;
  // Cancel on the first part: no name changes.
  Press(100, VK_ESCAPE);
  NameEntry();
  EXPECT_EQ(std::memcmp(before.nameArrays, NameArrays, sizeof before.nameArrays), 0);

  // Part A as is, part B as is, part D (kana only) with か over its first character, part C as
  // is, then "yes" (the pointer is off the list: up takes "no", up again "yes").
  t = 0;
  Clicks({{kFinishX, kRow2},
          {kFinishX, kRow2},
          {CellX(5), CellY(0)},
          {kFinishX, kRow2},
          {kFinishX, kRow2}});
  Press(t += 300, VK_UP);
  Press(t += 100, VK_UP);
  Press(t += 100, VK_RETURN);
  NameEntry();
  for (GameState* state : {&LiveState, &SaveState, &CheckpointState}) {
    EXPECT_EQ(state->nameArrays[kNameFamily][0], before.nameArrays[kNameFamily][0]);
    EXPECT_EQ(state->nameArrays[kNameKana][0], C(U'か'));
    EXPECT_EQ(state->nameArrays[kNameKatakana][0], C(U'カ'));
    EXPECT_EQ(state->nameArrays[kNameKatakana][1], before.nameArrays[kNameKatakana][1]);
  }
}

}  // namespace
