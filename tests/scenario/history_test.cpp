// The log view: which recorded messages it draws, from which message block, as the player
// pages with keys, clicks and the wheel, and how it hands the page back.
#include "scenario/history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "scenario/message.h"
#include "scenario/text_fixture.h"
#include "screens/main_flow.h"

namespace {

// Glyph codes of the recorded messages: scenario 0x21 holds 0x101 and 0x102, scenario 0x22
// holds 0x103 and 0x104; the resident scenario 0x12 its own 0x1F0.
constexpr uint16_t kFirst = 0x101;

class LogViewTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    WriteScenario(
        0x21, Bytes{0x20},
        MessageBlock({Code().Char(kFirst).End().bytes, Code().Char(kFirst + 1).End().bytes}));
    WriteScenario(
        0x22, Bytes{0x20},
        MessageBlock({Code().Char(kFirst + 2).End().bytes, Code().Char(kFirst + 3).End().bytes}));
    resident = InstallMessages({Code().Char(0x1F0).Op({kMsgPageWait}).End()});
    residentBytes.assign(resident, resident + MemSize(MessageData));
    const HistoryEntry entries[] = {{0x21, 0}, {0x21, 1}, {0x22, 0}, {0x22, 1}};
    std::copy(std::begin(entries), std::end(entries), History);
    HistoryCount = 4;
    // Row 1 of the first cell spells the code of the glyph drawn there.
    Probes.push_back({kStoryX, kStoryY});
    for (int i = 0; i < 12; i++) Probes.push_back({kStoryX + i, kStoryY + 1});
  }

  // The codes at the first text cell, paint by paint, each change once.
  std::vector<uint16_t> CodesShown() const {
    std::vector<uint16_t> codes;
    for (const Paint& paint : Paints) {
      uint16_t code = 0;
      if (paint.probes[0] == 229) {
        for (int i = 0; i < 12; i++)
          code = static_cast<uint16_t>(code << 1 | (paint.probes[1 + i] == 229));
      }
      if (code != 0 && (codes.empty() || codes.back() != code)) codes.push_back(code);
    }
    return codes;
  }

  static void Wheel(uint32_t after, int notches) {
    At(after, HeadlessAction::MouseWheel, 320, 240, notches);
  }

  const uint8_t* resident = nullptr;
  Bytes residentBytes;
};

TEST_F(LogViewTest, FewerThanTwoEntriesShowNothing) {
  for (uint16_t count : {0, 1}) {
    HistoryCount = count;
    Paints.clear();
    EXPECT_LT(Duration([] { ShowMessageLog(); }), 5u) << count;
    EXPECT_TRUE(CodesShown().empty()) << count;
    EXPECT_TRUE(ScreenShowsBack());
  }
}

TEST_F(LogViewTest, PagesBetweenTheOldestAndTheOneBeforeTheNewest) {
  struct Case {
    const char* name;
    void (*input)(LogViewTest&);
    std::vector<uint16_t> shown;
  };
  const Case cases[] = {
      {"keys",
       [](LogViewTest& t) {
         t.Press(100, VK_UP);
         t.Press(200, VK_UP);
         t.Press(300, VK_UP);  // at the oldest: stays
         t.Press(400, VK_DOWN);
         t.Press(500, VK_DOWN);
         t.Press(600, VK_DOWN);  // at the one before the newest: stays
         t.Press(700, VK_ESCAPE);
       },
       {kFirst + 2, kFirst + 1, kFirst, kFirst + 1, kFirst + 2}},
      {"wheel",
       [](LogViewTest& t) {
         t.Wheel(100, 1);
         t.Wheel(200, 1);
         t.Wheel(300, -1);
         t.Wheel(400, -1);
         t.Wheel(500, -1);  // past the last entry: closes
       },
       {kFirst + 2, kFirst + 1, kFirst, kFirst + 1, kFirst + 2}},
      {"clicks by halves",
       [](LogViewTest& t) {
         t.Click(100, 300, 100);  // upper half: back
         t.Click(200, 300, 100);
         t.Click(300, 300, 400);  // lower half: forward
         t.Press(400, VK_SPACE);
       },
       {kFirst + 2, kFirst + 1, kFirst, kFirst + 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Paints.clear();
    MouseX = 300;
    MouseY = 400;
    c.input(*this);
    while (HeadlessCursorVisible()) PlatShowCursor(false);
    ShowMessageLog();
    EXPECT_TRUE(std::any_of(Paints.begin(), Paints.end(), [](const Paint& p) { return p.pointer; }))
        << "the pointer shows while the log is open";
    EXPECT_EQ(CodesShown(), c.shown);
    // The resident scenario is as it was; the view's block is gone; the scene is back.
    EXPECT_EQ(CurrentScenario, 0x12);
    ASSERT_EQ(MemAddress(MessageData), resident);
    EXPECT_TRUE(std::equal(residentBytes.begin(), residentBytes.end(), resident));
    EXPECT_EQ(ViewMessageData, 0u);
    EXPECT_EQ(ViewMessageScenario, kNoScenario);
    EXPECT_TRUE(ScreenShowsBack());
    EXPECT_FALSE(HeadlessCursorVisible());
  }
}

TEST_F(LogViewTest, ArrowsGreyOutAtEitherEnd) {
  // Up arrow at (608, 4), down arrow at (608, 452): black where the view cannot go on.
  Probes = {{608, 4}, {608, 452}};
  MouseMove = 0;
  MouseY = 400;
  Press(100, VK_UP);
  Press(200, VK_UP);
  Press(300, VK_ESCAPE);
  ShowMessageLog();
  // Paints before the arrows show the cleared page.
  std::erase_if(Paints, [](const Paint& p) { return p.probes[0] == kBackColour; });
  ASSERT_FALSE(Paints.empty());
  // The pointer starts in the lower half, where the view cannot go on.
  EXPECT_EQ(Paints.front().probes, (std::vector<uint8_t>{230, 228}));
  const auto oldest =
      std::find_if(Paints.begin(), Paints.end(), [](const Paint& p) { return p.probes[0] == 228; });
  ASSERT_NE(oldest, Paints.end()) << "the up arrow went black at the oldest entry";
  EXPECT_EQ(oldest->probes[1], 230);
}

TEST_F(LogViewTest, UpAtAStoryClickWaitOpensTheLogAndGivesThePageBack) {
  PlayMode = PlayModeEventScript;
  Wheel(100, 1);
  Press(300, VK_ESCAPE);  // leaves the log
  Press(600, VK_RETURN);  // answers the page wait
  ASSERT_NE(RunMessage(kStoryX, kStoryY, MessageCode(0), 229, 228, true, true), nullptr);
  EXPECT_EQ(CodesShown(), (std::vector<uint16_t>{0x1F0, kFirst + 2, 0x1F0}));
  EXPECT_EQ(ScriptExit, kScriptRunning);
  PlayMode = PlayModeTitle;
}

TEST_F(LogViewTest, OutsideTheStoryUpAndTheWheelDoNotOpenIt) {
  PlayMode = PlayModeTitle;
  Wheel(100, 1);
  Press(150, VK_UP);
  Press(300, VK_RETURN);
  const uint32_t took =
      Duration([] { RunMessage(kStoryX, kStoryY, MessageCode(0), 229, 228, true, true); });
  EXPECT_EQ(CodesShown(), (std::vector<uint16_t>{0x1F0}));
  EXPECT_GE(took, 300u);
}

}  // namespace
