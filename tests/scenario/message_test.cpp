// The message script as the player sees it: where characters land, the typewriter, the waits
// and their cursor, hidden text, pages, redraws, skipping, and text that runs off its block.
#include "scenario/message.h"

#include "scenario/text_fixture.h"

namespace {

using MessageTest = TextTest;

constexpr uint16_t kNoBreak = NoBreakTable[0];

const uint8_t* RunPrompt(const Code& code, bool showProgress = false) {
  return RunMessage(16, 10, code.data(), 229, 228, showProgress, false);
}

// The distinct values one probe showed, paint after paint.
std::vector<uint8_t> Shown(const std::vector<TextTest::Paint>& paints, size_t probe) {
  std::vector<uint8_t> seen;
  for (const auto& paint : paints) {
    if (seen.empty() || seen.back() != paint.probes[probe]) seen.push_back(paint.probes[probe]);
  }
  return seen;
}

// [SECTION] Layout

TEST_F(MessageTest, LineRules) {
  Code text;
  text.Char(C(U'あ'), 24).Char(kNoBreak).Op({kMsgNewLine});  // 25 cells; no empty line after
  text.Char(C(U'い'), 24).Text("うき");                      // an ordinary 25th goes down
  text.Op({kMsgMargin, 10, kMsgNewLine}).Text("え");         // margin 80
  text.Op({kMsgReturn}).Text("お");                          // x = 0
  text.Op({kMsgTextY, 0x2C, 0x01, kMsgNewLine, kMsgNewLine}).Text("か").End();
  EXPECT_EQ(RunPrompt(text), text.data() + text.bytes.size());
  EXPECT_EQ(CodeAt(592, 10), kNoBreak);
  EXPECT_EQ(CodeAt(568, 40), C(U'い'));
  EXPECT_EQ(Pixel(592, 40), kScreenColour);
  EXPECT_EQ(CodeAt(16, 70), C(U'う'));
  EXPECT_EQ(CodeAt(40, 70), C(U'き'));
  EXPECT_EQ(CodeAt(80, 100), C(U'え'));
  EXPECT_EQ(CodeAt(0, 130), C(U'お'));
  EXPECT_EQ(CodeAt(80, 360), C(U'か'));  // y = 300, two lines down
}

TEST_F(MessageTest, NamesColoursAndEmptyCells) {
  NameArrays[0][0] = C(U'ア');
  NameArrays[0][2] = C(U'イ');  // position 1 holds nothing
  NameArrays[4][5] = C(U'ウ');
  Code text;
  text.Op({0xD1, 0xD2, 0xD3, 0xF2, kMsgColour, 4, kMsgShadow, 9}).Text("あ");
  text.Char(0x0000).Char(kEmptyCell).Text("い").End();
  RunPrompt(text);
  EXPECT_EQ(CodeAt(16, 10), C(U'ア'));
  EXPECT_EQ(CodeAt(40, 10), C(U'イ'));
  EXPECT_EQ(CodeAt(64, 10), C(U'ウ'));
  EXPECT_EQ(CodeAt(88, 10, 232), C(U'あ'));   // colour code 4: red
  EXPECT_EQ(Pixel(90, 12), 229);              // shadow code 9: white
  EXPECT_EQ(CodeAt(160, 10, 232), C(U'い'));  // two empty cells in between
  EXPECT_EQ(Pixel(112, 10), kScreenColour);
  EXPECT_EQ(Pixel(136, 10), kScreenColour);
}

// [SECTION] The typewriter and the waits

TEST_F(MessageTest, AClickCompletesThePageUnlessSwitchedOff) {
  // Four full lines with the flag commands in front, then a page wait; a click may come while
  // the first line's end waits 10 ms. Counted: paints from line 2's first character to line 4's
  // last, 74 cell by cell, 0 when the click completed the page.
  const struct {
    std::vector<uint8_t> flags;
    bool click;
    size_t paints;
  } cases[] = {{{}, false, 74},
               {{}, true, 0},
               {{kMsgNoCompletion}, true, 74},
               {{kMsgClickCompletes, 0}, true, 74},
               {{kMsgClickCompletes, 0, kMsgClickCompletes, 1}, true, 0},
               {{kMsgNoCompletion, kMsgCompletion}, true, 0}};
  for (const auto& c : cases) {
    SetUp();
    Probes = {{16, 40}, {592, 100}};
    Code text{c.flags};
    for (int line = 0; line < 4; line++) text.Char(C(U'あ'), 24).Char(kNoBreak);
    text.Op({kMsgPageWait}).End();
    if (c.click) Press(3, VK_RETURN);
    Press(300, VK_RETURN);
    ASSERT_NE(RunPrompt(text, true), nullptr);
    size_t line2 = 0, line4 = 0;
    for (size_t i = 0; i < Paints.size(); i++) {
      if (!line2 && Paints[i].probes[0] == 229) line2 = i + 1;
      if (!line4 && Paints[i].probes[1] == 229) line4 = i + 1;
    }
    ASSERT_GT(line2, 0u);
    EXPECT_EQ(line4 - line2, c.paints)
        << ::testing::PrintToString(c.flags) << (c.click ? " with" : " without") << " a click";
  }
}

TEST_F(MessageTest, ReadTextPassesLineWaitsButStopsAtPageWaits) {
  Code text;
  text.Text("あい").Op({kMsgLineWait}).Text("う").Op({kMsgPageWait}).Text("え").End();
  for (bool read : {false, true}) {
    SetUp();
    Probes = {{16, 10}, {40, 10}};
    ReadTextFast = SkipAllowed = read ? 1 : 0;
    const uint32_t start = PlatTicks();
    Press(100, VK_RETURN);
    Press(400, VK_RETURN);
    RunPrompt(text, true);
    // Unread, both waits take a click; read, only the page wait does.
    EXPECT_EQ(PlatTicks() - start >= 400, !read);
    // Read text shows without cell-by-cell paints: both characters in the first paint.
    ASSERT_FALSE(Paints.empty());
    EXPECT_EQ(Paints[0].probes[1], read ? 229 : kScreenColour);
  }
  ReadTextFast = 0;
}

TEST_F(MessageTest, CursorBlinksOverTheSceneAndLeavesNoTrace) {
  Probes = {{40, 10}, {64, 10}};
  Press(400, VK_RETURN);
  Press(500, VK_RETURN);
  RunPrompt(Code().Text("あ").Op({kMsgLineWait}).Text("い").Op({kMsgPageWait}).End(), true);
  // On, off (the back frame's pixels show), on again, and gone after the click.
  EXPECT_EQ(Shown(Paints, 0),
            (std::vector<uint8_t>{kScreenColour, 229, kBackColour, 229, kBackColour, 229}));
  EXPECT_EQ(CodeAt(40, 10), C(U'い'));
  EXPECT_EQ(Pixel(64, 10), kBackColour);
  EXPECT_EQ(Pixel(66, 12), kBackColour);
}

TEST_F(MessageTest, SpaceHidesTheTextUntilAClickThenTheWaitGoesOn) {
  InstallMessages({Code().Text("あい").Op({kMsgPageWait}).End()});
  Probes = {{16, 10}, {64, 10}};
  // The scene brightens and dims again over 300 ms each; clicks meanwhile are not taken.
  Press(50, VK_SPACE);
  Press(500, VK_RETURN);   // shows the text again
  Press(1100, VK_RETURN);  // answers the page wait
  const uint32_t start = PlatTicks();
  ASSERT_NE(RunMessage(16, 10, MessageCode(0), 229, 228, true, true), nullptr);
  EXPECT_GE(PlatTicks() - start, 1100u);
  EXPECT_EQ(Shown(Paints, 0), (std::vector<uint8_t>{229, kBackColour, 229}));
  // The cursor came back with the page.
  const std::vector<uint8_t> cursor = Shown(Paints, 1);
  EXPECT_GE(std::count(cursor.begin(), cursor.end(), 229), 2);
  EXPECT_EQ(HeadlessPixel(16, 10), 0xFFFFFFu);  // white text on the window
}

TEST_F(MessageTest, HiddenTextShowsTheSceneAtOnceWhileTheWeatherIsSwitchedOff) {
  WeatherMode = 4;  // petals, not drawn: no overlay step repaints the window
  WeatherOn = 0;
  InstallMessages({Code().Text("あ").Op({kMsgPageWait}).End()});
  Probes = {{16, 10}};
  Press(50, VK_SPACE);
  Press(500, VK_RETURN);
  Press(1100, VK_RETURN);
  RunMessage(16, 10, MessageCode(0), 229, 228, true, true);
  EXPECT_EQ(Shown(Paints, 0), (std::vector<uint8_t>{229, kBackColour, 229}));
  WeatherMode = 0;
  WeatherOn = 1;
}

// [SECTION] Pages and redraws

TEST_F(MessageTest, PageWaitTurnsThePageAndRecordsItsStart) {
  const uint8_t* base = InstallMessages({Code().Text("あ").Op({kMsgPageWait}).Text("い").End()});
  const uint16_t start = static_cast<uint16_t>(MessageCode(0) - base);
  Press(100, VK_RETURN);
  RunMessage(16, 10, MessageCode(0), 229, 228, true, true);
  EXPECT_EQ(SaveState.pageOffset, start);  // a save resumes at the message's start
  EXPECT_EQ(PageOffset, start + 3);
  EXPECT_EQ(CheckpointState.pageOffset, start + 3);
  EXPECT_EQ(CheckpointState.textY, 10);
  EXPECT_EQ(CodeAt(16, 10), C(U'い'));  // the new page starts at the top
}

TEST_F(MessageTest, RedrawPageStepsOverSceneCommandsWithTheirOperands) {
  // Operand bytes below 0x20 would read as characters if a command's length were wrong.
  Code page;
  page.Op({kMsgColour, 3}).Text("あ").Op({0xBD, 0x01, 0x02, 0x03}).Text("い");
  page.Op({0xC4, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x43, 0x00, 0x01, 0x02}).Text("う");
  page.Op({0xC5, 1, 2, 3, 4, 5, 6, 7, 8, 9}).Text("え");
  page.Op({0x44, 0x01, 0x02, 0xA2, 0x03, 0x04, 0x80, 0x05, 0xB7, 0x06}).Text("お");
  page.Op({0xC8, 0x01, 0x01, 0x70, 0x25, 0xF4}).Text("か");
  page.Op({kMsgMargin, 60}).Text("き").Char(C(U'く'), 5);  // x and margin 480
  page.Op({kMsgMargin, 77}).Char(kNoBreak);                // x = 616 breaks even these
  page.Op({kMsgPageWait}).Text("け").End();
  const uint8_t* base = InstallMessages({Code().Text("ん").End(), page});
  const uint8_t* start = MessageCode(1);
  CheckpointState.pageOffset = static_cast<uint16_t>(start - base);
  CheckpointState.textX = 16;
  CheckpointState.textY = 10;
  CheckpointState.textColour = 229;
  const uint8_t* wait = start + page.bytes.size() - 4;
  ASSERT_EQ(*wait, kMsgPageWait);

  RedrawPage(wait);
  const char32_t expected[] = U"あいうえおか";
  for (int i = 0; i < 6; i++) EXPECT_EQ(CodeAt(16 + 24 * i, 10, 231), C(expected[i])) << i;
  EXPECT_EQ(CodeAt(480, 10, 231), C(U'き'));
  EXPECT_EQ(CodeAt(576, 10, 231), C(U'く'));
  EXPECT_EQ(CodeAt(480, 40, 231), C(U'く'));  // a line break goes to the margin, as typed
  EXPECT_EQ(CodeAt(16, 40, 231), 0);
  // The last character breaks to the margin 616, where nothing is drawn, and wraps again.
  EXPECT_EQ(TextX, 616);
  EXPECT_EQ(TextY, 100);
}

TEST_F(MessageTest, APageRedrawnAfterHidingItLooksAsTypedAndGoesOnFromThere) {
  // A margin set on the page before (it stays in force after the page wait) and one set on
  // the page itself, each followed by lines that wrap back to it.
  Code text;
  text.Op({kMsgMargin, 4}).Char(C(U'あ'), 30).Op({kMsgPageWait, 0x44, 0, 0});  // and clear
  text.Char(C(U'い'), 30).Op({kMsgMargin, 10}).Char(C(U'う'), 30).Op({kMsgNewLine});
  text.Op({kMsgLineWait}).Char(C(U'え'), 30).End();
  std::vector<uint8_t> typed;
  for (const bool hide : {false, true}) {
    SetUp();
    InstallMessages({text});
    Press(100, VK_RETURN);  // the page wait
    if (hide) {
      Press(300, VK_SPACE);  // at the line wait: the text goes, then comes back redrawn
      Press(900, VK_RETURN);
    }
    Press(1500, VK_RETURN);  // the line wait
    ASSERT_NE(RunMessage(16, 10, MessageCode(0), 229, 228, true, true), nullptr);
    if (!hide) {
      typed = FramePixels(ScreenFrame);
      EXPECT_EQ(CodeAt(32, 40), C(U'い'));   // the earlier page's margin, 32
      EXPECT_EQ(CodeAt(80, 100), C(U'え'));  // after the wait, where the text stood
    } else {
      EXPECT_TRUE(FramePixels(ScreenFrame) == typed) << "the redrawn page differs";
    }
  }
}

// [SECTION] Scene commands

TEST_F(MessageTest, SceneCommandsTakeExactlyTheirOperands) {
  BgShown = 5;
  CharCode[2] = 0x0301;
  Code text;
  text.Op({0xBD, 5, 0x01, 0x02});     // the background already shown: nothing happens
  text.Op({0xC1, 0x02, 0x03, 0x01});  // the slot already shows that character
  text.Op({0xBE, 0, 0, 255});         // a new background: the scene changes under the text
  text.Op({0xC8, 0x01, 0x02, 0xCC, 0x03, 0x04, 0x61, 90, 0x1F, 0x62, 90, 0x02});
  text.Op({0xF7, 0x09, 0xF4, 0xD7}).Text("あ").End();  // weather, skip, a spare code
  InstallMessages({text});
  EXPECT_NE(RunMessage(16, 10, MessageCode(0), 229, 228, false, true), nullptr);
  EXPECT_EQ(CodeAt(16, 10), C(U'あ'));
  const std::vector<uint8_t> requests(&ScriptVar(157), &ScriptVar(163));
  EXPECT_EQ(requests, (std::vector<uint8_t>{1, 1, 2, 1, 3, 4}));
  EXPECT_EQ(ScriptVar(90), 0x21);
  EXPECT_EQ(WeatherNext, 9);
  EXPECT_EQ(SkipAllowed, 1);
}

// [SECTION] Skipping and bad data

TEST_F(MessageTest, AClickStopsSkippingAndTheNextPageWaitHolds) {
  Code text;
  for (int i = 0; i < 200; i++) text.Op({0xF4});  // commands pump, 1 ms each when idle
  text.Op({kMsgPageWait}).End();
  for (bool click : {true, false}) {
    SkipToChoice = 1;
    const uint32_t start = PlatTicks();
    if (click) Press(50, VK_RETURN);
    Press(600, VK_RETURN);
    RunPrompt(text, true);
    EXPECT_EQ(SkipToChoice, click ? 0 : 1);
    EXPECT_EQ(PlatTicks() - start >= 600, click);  // left alone, skipping passes the wait
  }
  SkipToChoice = 0;
}

using MessageDeathTest = MessageTest;

TEST_F(MessageDeathTest, TextRunningOffItsBlockEndsTheGameNamingTheScenario) {
  InstallMessages({Code().Text("あ")});
  EXPECT_EXIT(RunMessage(16, 10, MessageCode(0), 229, 228, false, true),
              ::testing::ExitedWithCode(1), "データ異常です : 0012.SCN");
  InstallMessages({Code().Text("あ").Op({kMsgColour})});
  EXPECT_EXIT(RunMessage(16, 10, MessageCode(0), 229, 228, false, false),
              ::testing::ExitedWithCode(1), "データ異常です : 0012.SCN");
}

}  // namespace
