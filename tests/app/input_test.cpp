// The pump, the waits, keyboard polling, mouse clicks and the random generator.
#include "app/input.h"

#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "resources/sjis.h"
#include "support/engine_fixture.h"

// Machines are described by designated initializers that leave the other members as they are.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using InputTest = EngineTest;

// Runs the script steps due now and handles every queued message.
void PumpAll() {
  for (int i = 0; i < 20; i++) PumpMessages();
}

TEST(RandomTest, StepsTheShiftRegisterOrTakesTheClock) {
  RandomSeed = 0;
  for (const auto& [value, seed] : {std::pair{0x80, 0x0080}, {0x81, 0x0180}, {0x83, 0x0380}}) {
    EXPECT_EQ(Random(2), value);
    EXPECT_EQ(RandomSeed, seed);
  }
  HeadlessAdvance(1);
  const uint16_t now = static_cast<uint16_t>(PlatTicks());
  RandomSeed = 0x1234;
  Random(0);
  EXPECT_EQ(RandomSeed, now);
  RandomSeed = 0x1234;
  Random(1);
  EXPECT_EQ(RandomSeed, 0x1234 ^ now);
}

TEST(SjisLengthTest, CountsTwoBytesPerLeadByte) {
  EXPECT_EQ(SjisLength(""), 0);
  EXPECT_EQ(SjisLength(Sjis("あいa")), 5);
  // A lead byte cut off by the terminator does not run past it.
  EXPECT_EQ(SjisLength("a\x82"), 2);
}

TEST_F(InputTest, WaitZeroDoesNotPumpAndWaitOneTakesMoreThanTenMs) {
  const uint64_t steps = HeadlessIdleSteps();
  const uint32_t start = PlatTicks();
  Wait(0);
  EXPECT_EQ(HeadlessIdleSteps(), steps);
  EXPECT_EQ(PlatTicks(), start);
  Wait(1);
  EXPECT_GT(PlatTicks() - start, 10u);
  EXPECT_LT(PlatTicks() - start, 15u);
}

TEST_F(InputTest, WaitSinceCountsFromTheGivenStart) {
  const uint32_t start = PlatTicks();
  HeadlessAdvance(300);
  const uint32_t before = PlatTicks();
  WaitSince(start, 50);  // 500 ms after start: about 200 ms more
  EXPECT_GT(PlatTicks() - start, 500u);
  EXPECT_LT(PlatTicks() - before, 210u);
}

TEST_F(InputTest, SkipToChoiceEndsTimedWaitsButNotClickWaits) {
  SkipToChoice = 1;
  const uint32_t before = PlatTicks();
  Wait(500);
  EXPECT_LE(PlatTicks() - before, 1u);
  EXPECT_FALSE(WaitClickOrTimeout(500));

  const uint32_t now = PlatTicks();
  HeadlessConfigure({.steps = {{now + 100, HeadlessAction::KeyDown, VK_RETURN}}});
  WaitClick();
  EXPECT_GE(PlatTicks() - now, 100u);
  EXPECT_EQ(InputTriggers & (InputOk | InputSpace), 0);
  SkipToChoice = 0;
}

TEST_F(InputTest, WaitClickOrTimeoutAnswersWhetherInputCame) {
  HeadlessConfigure({.steps = {{PlatTicks() + 50, HeadlessAction::KeyDown, VK_SPACE}}});
  EXPECT_TRUE(WaitClickOrTimeout(100));
  EXPECT_TRUE(InputTriggers & InputSpace);
  const uint32_t start = PlatTicks();
  EXPECT_FALSE(WaitClickOrTimeout(20));
  EXPECT_GT(PlatTicks() - start, 200u);
}

TEST_F(InputTest, WaitAnyInputLeavesTheEndingBitSet) {
  HeadlessConfigure({.steps = {{PlatTicks() + 10, HeadlessAction::KeyDown, VK_ESCAPE}}});
  WaitAnyInput();
  EXPECT_EQ(InputTriggers, InputCancel);
}

TEST_F(InputTest, AHeldKeyTriggersOnceHomeActsAsEscapeAndNothingCountsWithoutFocus) {
  HeadlessSetKey(VK_RETURN, true);
  PollKeys();
  EXPECT_EQ(InputTriggers, InputOk);
  ClearInput();
  PollKeys();
  PollKeys();
  EXPECT_EQ(InputTriggers, 0);
  EXPECT_EQ(KeysHeld, InputOk);
  HeadlessSetKey(VK_RETURN, false);
  PollKeys();
  HeadlessSetKey(VK_HOME, true);
  PollKeys();
  EXPECT_EQ(InputTriggers, InputCancel);
  HeadlessSetKey(VK_HOME, false);
  ClearInput();
  HeadlessSetFocus(false);
  HeadlessSetKey(VK_SPACE, true);
  PollKeys();
  EXPECT_EQ(InputTriggers, 0);
  HeadlessSetKey(VK_SPACE, false);
  HeadlessSetFocus(true);
}

TEST_F(InputTest, AClickCountsOnlyWhenPressedAndReleasedInside) {
  const uint32_t now = PlatTicks();
  HeadlessConfigure({.steps = {{now, HeadlessAction::MouseDown, 100, -5, 0},  // on the menu bar
                               {now, HeadlessAction::MouseUp, 100, 100, 0}}});
  PumpAll();
  EXPECT_EQ(InputTriggers & InputOk, 0);

  HeadlessConfigure({.steps = {{PlatTicks(), HeadlessAction::MouseDown, 100, 100, 0},
                               {PlatTicks(), HeadlessAction::MouseUp, 110, 100, 0},
                               {PlatTicks(), HeadlessAction::MouseDown, 50, 50, 1},
                               {PlatTicks(), HeadlessAction::MouseUp, 50, 50, 1}}});
  PumpAll();
  EXPECT_EQ(InputTriggers & (InputOk | InputCancel), InputOk | InputCancel);
}

TEST_F(InputTest, LeavingTheClientAreaClearsTriggers) {
  InputTriggers = InputOk;
  PlatSendMessage(WM_NCHITTEST, 0, PlatMakeLParam(10, -3));
  EXPECT_EQ(MouseInClient, 0u);
  EXPECT_EQ(InputTriggers, 0);
  PlatSendMessage(WM_NCHITTEST, 0, PlatMakeLParam(10, 3));
  EXPECT_EQ(MouseInClient, 1u);
}

TEST_F(InputTest, ReactivationSwallowsHeldKeyAndFirstButton) {
  HeadlessSetKey(VK_RETURN, true);
  PollKeys();
  HeadlessSetKey(VK_RETURN, false);
  PollKeys();
  ClearInput();
  HeadlessSetFocus(false);
  HeadlessSetFocus(true);
  HeadlessSetKey(VK_RETURN, true);
  PumpAll();  // the activation messages set IgnoreNextInput; the next poll sees Enter held
  EXPECT_EQ(InputTriggers, 0);
  HeadlessSetKey(VK_RETURN, false);

  HeadlessSetFocus(false);
  HeadlessSetFocus(true);
  // Deliver the activation without a poll in between, as a click would activate the window.
  PlatMsg msg;
  while (PlatPeekMessage(msg, true) &&
         (msg.message == WM_ACTIVATE || msg.message == WM_ACTIVATEAPP)) {
    WndProc(msg.message, msg.wParam, msg.lParam);
  }
  EXPECT_EQ(IgnoreNextInput, 1u);
  PlatSendMessage(WM_NCHITTEST, 0, PlatMakeLParam(10, 10));
  WndProc(WM_LBUTTONDOWN, 0, PlatMakeLParam(10, 10));
  WndProc(WM_LBUTTONUP, 0, PlatMakeLParam(10, 10));
  EXPECT_EQ(InputTriggers & InputOk, 0);
}

}  // namespace
