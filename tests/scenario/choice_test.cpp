// Picking from lists: keys with wrap-around, the mouse over enabled and disabled items, the
// pointer glide, the story choices cut to twelve options, and the yes/no question.
#include "scenario/choice.h"

#include "app/presentation.h"
#include "scenario/text_fixture.h"

namespace {

using ChoiceTest = TextTest;

// Input while the pointer glides onto the list is dropped when the glide ends.
constexpr uint32_t kGlide = 300;

// Items as message code: one word each, then a newline, as the scripts write options.
std::vector<Code> Words(std::initializer_list<const char*> words) {
  std::vector<Code> items;
  for (const char* word : words) items.push_back(Code().Text(word).Op({kMsgNewLine}).End());
  return items;
}

// Lists the items from (64, 100) down (item i at y = 100 + 34 i), without cancel.
int16_t Select(const std::vector<Code>& items, const std::vector<uint8_t>& enabled,
               int16_t initial = -1) {
  std::vector<const uint8_t*> texts;
  for (const Code& item : items) texts.push_back(item.data());
  TextX = 64;
  TextY = 100;
  return SelectItem(texts.data(), static_cast<int16_t>(texts.size()), enabled.data(), initial,
                    false, false, true);
}

TEST_F(ChoiceTest, KeysWrapAroundAndOnlyAHighlightAnswers) {
  const auto items = Words({"あ", "い", "う"});
  // Enter with nothing highlighted does nothing, nor does cancel where it is not allowed; up
  // then takes the last, down on the last the first, left on the first the last again.
  uint32_t t = kGlide;
  for (int key : {VK_RETURN, VK_ESCAPE, VK_UP, VK_DOWN, VK_LEFT, VK_RETURN}) Press(t += 100, key);
  // The game keeps the pointer hidden outside lists, one step below showing.
  while (PlatShowCursor(false) >= 0) {
  }
  while (PlatShowCursor(true) < 0) {
  }
  PlatShowCursor(false);
  EXPECT_EQ(Select(items, {1, 1, 1}), 2);
  EXPECT_EQ(CodeAt(64, 134, 230), C(U'い'));
  EXPECT_EQ(CodeAt(64, 168), C(U'う'));  // the chosen one, in white
  // The pointer shows while the list is up, and hides again with the answer.
  ASSERT_FALSE(Paints.empty());
  EXPECT_TRUE(Paints.front().pointer);
  EXPECT_FALSE(HeadlessCursorVisible());
}

TEST_F(ChoiceTest, DisabledItemsAndEmptySpaceDoNotAnswerClicks) {
  const auto items = Words({"あ", "い", "う"});
  Click(kGlide + 100, 70, 140);   // on い, disabled
  Click(kGlide + 200, 300, 300);  // nowhere
  Click(kGlide + 300, 70, 172);   // on う
  EXPECT_EQ(Select(items, {1, 0, 1}), 2);
  EXPECT_EQ(CodeAt(64, 134, 230), C(U'い'));  // never white
}

TEST_F(ChoiceTest, PointerGlidesOntoTheHighlightedItemAtEveryWindowSize) {
  const auto items = Words({"あいう", "え"});
  PresentModeCommand(kModeFirstSize + 6);  // 1280 x 960: client points are twice the picture's
  ASSERT_EQ(ClientWidth, 1280);
  MoveCursorTo(0, 0);
  Press(500, VK_RETURN);
  EXPECT_EQ(Select(items, {1, 1}, 1), 1);
  // Item 1 spans x 64..90, y 134..160: the pointer rests 8 pixels in, halfway down.
  EXPECT_NEAR(MouseX, 72 * 2, 1);
  EXPECT_NEAR(MouseY, 147 * 2, 1);

  // Without the setting the pointer stays off the list, so the highlight waits for a key.
  MouseMove = 0;
  MoveCursorTo(0, 0);
  uint32_t t = kGlide;
  for (int key : {VK_RETURN, VK_DOWN, VK_RETURN}) Press(t += 100, key);
  EXPECT_EQ(Select(items, {1, 1}, 1), 0);
  MouseMove = 1;
}

// [SECTION] Story choices

class StoryChoiceTest : public ChoiceTest {
 protected:
  // Question 0, options 1..14 (one character each).
  void SetUp() override {
    ChoiceTest::SetUp();
    std::vector<Code> messages = {Code().Text("どれ？").Op({kMsgNewLine}).End()};
    for (char32_t c : std::u32string_view(U"あいうえおかきくけこさしすせ")) {
      messages.push_back(Code().Char(C(c)).Op({kMsgNewLine}).End());
    }
    InstallMessages(messages);
  }
};

TEST_F(StoryChoiceTest, FourteenOptionsOfferTheFirstTwelve) {
  // Operands q, n and 14 pairs (m, d); each d tells the options apart.
  std::vector<uint8_t> operands = {0, 14};
  for (uint8_t i = 0; i < 14; i++)
    operands.insert(operands.end(), {uint8_t(i + 1), uint8_t(10 * i)});
  Press(kGlide + 100, VK_UP);  // the last option offered
  Press(kGlide + 200, VK_RETURN);
  EXPECT_EQ(SelectOption(operands.data()), operands.data() + 2 + 24 + 110);
  EXPECT_EQ(ScriptVar(kVarChoiceIndex), 11);
  EXPECT_EQ(CodeAt(16, 10), C(U'ど'));
  // The options start 12 pixels under the question.
  EXPECT_EQ(CodeAt(16, 52, 230), C(U'あ'));
  EXPECT_EQ(CodeAt(16, 52 + 11 * 34), C(U'し'));
  // The question and the answer are in the history.
  ASSERT_EQ(HistoryCount, 2);
  EXPECT_EQ(History[1].message, 12);
}

TEST_F(StoryChoiceTest, BackwardJumpAndTableChoice) {
  const std::vector<uint8_t> operands = {0, 2, 1, 0xFE, 2, 0x05};
  Press(kGlide + 100, VK_DOWN);
  Press(kGlide + 200, VK_RETURN);
  EXPECT_EQ(SelectOption(operands.data()), operands.data() + 6 - 2);

  // The table offers options 3 and 7 (messages 5 and 9); the second is chosen.
  ScriptVar(kVarTableMessage + 3) = 5;
  ScriptVar(kVarTableMessage + 7) = 9;
  ScriptVar(kVarTableStep + 7) = 4;
  const uint8_t table[] = {3, 0};
  HistoryCount = 0;
  FrameFillRect(ScreenFrame, 0, 0, 639, 479, kScreenColour);
  Press(kGlide + 100, VK_UP);
  Press(kGlide + 200, VK_RETURN);
  EXPECT_EQ(SelectFromTable(table), table + 2 + 3 * 4);
  EXPECT_EQ(ScriptVar(kVarTableChoice), 7);
  ASSERT_EQ(HistoryCount, 2);
  EXPECT_EQ(History[1].message, 9);
  EXPECT_EQ(CodeAt(16, 52, 230), C(U'お'));
  EXPECT_EQ(CodeAt(16, 86), C(U'け'));
}

// [SECTION] Yes or no

TEST_F(ChoiceTest, YesNoStartsOnNoAndCancelMeansNo) {
  const Code question = Code().Text("ほんとう？").Op({kMsgNewLine}).End();
  Probes = {{224, 144}, {272, 212}, {272, 246}};
  Press(kGlide + 100, VK_ESCAPE);
  EXPECT_FALSE(AskYesNo(question.data()));
  // The question, then "yes" in grey and "no" in white; the text is gone afterwards.
  bool shown = false;
  for (const Paint& paint : Paints)
    shown = shown || paint.probes == std::vector<uint8_t>{229, 230, 229};
  EXPECT_TRUE(shown);
  EXPECT_EQ(Pixel(224, 144), kBackColour);

  Press(kGlide + 100, VK_RETURN);
  EXPECT_FALSE(AskYesNo(question.data()));
  Press(kGlide + 100, VK_UP);
  Press(kGlide + 200, VK_RETURN);
  EXPECT_TRUE(AskYesNo(question.data()));
}

}  // namespace
