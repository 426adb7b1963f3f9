// Text typed one frame at a time into the screen's top bit, and the wave displays that show it
// white over a swaying picture.
#include "scenario/wave_message.h"

#include "app/presentation.h"
#include "graphics/show.h"
#include "scenario/stream_message.h"
#include "scenario/text_fixture.h"

namespace {

constexpr uint8_t kLayer = 0x80;  // the colour the stepped text draws with

class StreamTest : public TextTest {
 protected:
  // Starts `text` as the only message of the resident block.
  static void Start(const Code& text) {
    InstallMessages({text});
    StreamMessageStart(16, 10, MessageCode(0), 229, 228);
  }
  // Steps until the end mark has been read; the steps it took, or `limit` + 1.
  static int StepsToEnd(int limit = 200) {
    int steps = 0;
    while (StreamRunning && steps <= limit) {
      StreamMessageStep();
      steps++;
    }
    return steps;
  }
};

// [SECTION] Typing

TEST_F(StreamTest, StepsUntilTheEnd) {
  // Ten characters after `before`, or two around a wait (`wait`), and the end mark.
  const struct {
    std::vector<uint8_t> before;
    uint8_t wait;
    uint16_t bpp;
    bool click, readFast;
    int steps;
  } cases[] = {
      {{}, 0, 8, false, false, 11},                       // one code a step
      {{}, 0, 8, true, false, 1},                         // a click places the rest at once
      {{}, 0, 24, false, false, 4},                       // three a step on a deeper display
      {{kMsgClickCompletes, 2}, 0, 8, false, false, 32},  // two idle steps after a character
      {{kMsgClickCompletes, 2}, 0, 8, true, false, 1},    // which a click passes over
      {{}, kMsgLineWait, 8, false, true, 1},              // text read: no line wait
      {{}, kMsgPageWait, 8, false, true, 3},              // but a page wait, and its OK
      {{}, kMsgPageWait, 8, false, false, 201},           // which otherwise waits for a click
  };
  for (const auto& c : cases) {
    DisplayBpp = c.bpp;
    ReadTextFast = SkipAllowed = c.readFast;
    Start(c.wait ? Code{}.Text("あ").Op({c.wait}).Text("い").End()
                 : Code{c.before}.Char(C(U'あ'), 10).End());
    if (c.click) InputTriggers |= InputOk;
    EXPECT_EQ(StepsToEnd(), c.steps) << &c - cases;
  }
  DisplayBpp = 8;
}

TEST_F(StreamTest, TheWaitCursorBlinksEveryTenStepsUntilACancel) {
  Start(Code{}.Text("あ").Op({kMsgLineWait}).Text("い").End());
  std::string shown;
  for (int step = 1; step <= 24; step++) {
    StreamMessageStep();
    shown += CodeAt(40, 10, kLayer) == kCursorLine ? '#' : '.';
  }
  EXPECT_EQ(shown, "......#####.....#####...");  // the wait begins at step 2
  InputTriggers |= InputCancel;
  StreamMessageStep();  // the cursor goes, the wait ends
  EXPECT_EQ(Pixel(40, 10) & kLayer, 0);
  StreamMessageStep();
  EXPECT_EQ(CodeAt(40, 10, kLayer), C(U'い'));
}

TEST_F(StreamTest, OnlyNoBreakCharactersStayAtTheLastCell) {
  const struct {
    uint16_t code;
    int x, y;
  } cases[] = {{NoBreakTable[0], 600, 10}, {C(U'あ'), 600, 40}};
  for (const auto& c : cases) {
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, kScreenColour);
    Start(Code{}.Op({kMsgMargin, 75}).Char(c.code).End());  // x and margin 600
    StepsToEnd();
    EXPECT_EQ(CodeAt(c.x, c.y, kLayer), c.code) << std::hex << c.code;
  }
}

// [SECTION] The displays

class WaveTest : public StreamTest {
 protected:
  void SetUp() override {
    StreamTest::SetUp();
    // Columns of the back frame numbered 0..127, rows the same everywhere.
    uint8_t* back = MemLock(BackFrame);
    for (int y = 0; y < kFrameHeight; y++) {
      for (int x = 0; x < kFrameWidth; x++) back[FramePixelOffset(x, y)] = (x + y) % 128;
    }
    MemUnlock(BackFrame);
    for (int i = 0; i < 124; i++) PalSetEntry(i, 0, static_cast<uint8_t>(i), 100);
    PalSetEntry(124, 1, 2, 3);
    PalSetEntry(130, 200, 0, 0);
    InstallMessages({Code{}.Text("あ").End()});
    Self = this;
    HeadlessOnPresent(RecordFirst);
  }
  void TearDown() override {
    HeadlessOnPresent(nullptr);
    Self = nullptr;
    StreamTest::TearDown();
  }
  static uint8_t Screen(int x, int y) { return Pixel(x, y); }

  // The screen frame and one client pixel at the first paint of the display.
  std::vector<uint8_t> first;
  uint32_t firstRgb = 0;
  static inline WaveTest* Self = nullptr;
  static void RecordFirst() {
    if (!Self || !Self->first.empty()) return;
    Self->first = FramePixels(ScreenFrame);
    Self->firstRgb = HeadlessPixel(300, 300);
  }
  uint8_t First(int x, int y) const { return first[FramePixelOffset(x, y) - kFramePixelsOffset]; }
};

TEST_F(WaveTest, WithoutInOrOutTheWaveIsFullFromTheFirstFrameAndEndsWithTheText) {
  // At row 90 the curve is at its crest: 127 pixels sideways, or 15 rows down.
  const struct {
    bool ripple;
    int x, y;    // a pixel of row 90
    int sx, sy;  // the back frame's pixel it shows
  } cases[] = {{false, 200, 90, 73, 90}, {true, 200, 90, 200, 105}};
  for (const auto& c : cases) {
    first.clear();
    PaletteState = PalStateDimmed;
    const uint32_t took =
        Duration([&] { c.ripple ? RippleMessage(0, 0, 0) : WaveMessage(0, 0, 0); });
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(First(c.x, c.y), FramePixel(BackFrame, c.sx, c.sy)) << c.ripple;
    // Three frames of 10 ms: the character, the end mark, the text gone and the out-phase over.
    EXPECT_GE(took, 30u);
    EXPECT_LT(took, 40u);
    EXPECT_EQ(PaletteState, PalStateDimmed);
    EXPECT_EQ(ScenePalette[124], (PalEntry{1, 2, 3, PC_RESERVED}))
        << "the scene's colours are back";
  }
}

TEST_F(WaveTest, ScreenPixelsWithTheTopBitShowWhiteWhileTheWaveRuns) {
  // A scene whose picture uses colour 130 at (300, 300): the display takes it for text.
  FrameFillRect(ScreenFrame, 290, 290, 310, 310, 130);
  FrameFillRect(BackFrame, 290, 290, 310, 310, 130);
  WaveMessage(0, 0, 2);
  EXPECT_EQ(firstRgb, 0xFFFFFFu);
  // Coming to rest puts the back frame up again, through the frame's own colour table.
  EXPECT_EQ(Screen(300, 300), 130);
  EXPECT_EQ(HeadlessPixel(300, 300), 0x840000u);  // 200 at the dimmed level
}

}  // namespace
