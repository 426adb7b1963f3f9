// The message pump, waits, keyboard polling, mouse messages and the random generator.
// Game code runs nested inside waits; every window message is handled from here.
#include "app/input.h"

#include <algorithm>
#include <cstdlib>

#include "app/app.h"
#include "app/presentation.h"
#include "audio/audio.h"
#include "platform/platform.h"

uint8_t KeysHeld;
uint8_t PrevKeys;
uint8_t KeysPressed;
uint16_t InputTriggers;
uint16_t MouseButtons;
uint16_t MouseX, MouseY;
uint32_t MouseInClient;
uint32_t IgnoreNextInput;
uint16_t SkipToChoice;
uint16_t RandomSeed;

namespace {

// Polled keys in poll order, with the input bit each one sets.
struct PolledKey {
  int virtualKey;
  uint8_t bit;
};
constexpr PolledKey kPolledKeys[] = {
    {VK_UP, InputUp},         {VK_RIGHT, InputRight}, {VK_DOWN, InputDown},
    {VK_LEFT, InputLeft},     {VK_SPACE, InputSpace}, {VK_RETURN, InputOk},
    {VK_ESCAPE, InputCancel}, {VK_HOME, InputCancel},
};

}  // namespace

void InputReset() {
  KeysHeld = PrevKeys = KeysPressed = 0;
  InputTriggers = 0;
  MouseButtons = 0;
  MouseX = MouseY = 0;
  MouseInClient = 0;
  IgnoreNextInput = 0;
  SkipToChoice = 0;
}

// [SECTION] Pump

namespace {

// How a pump step idles when no message waits.
enum class Idle { Step, Until, ForInput };

bool Pump(Idle idle, uint32_t wakeAt) {
  PlatMsg msg;
  if (PlatPeekMessage(msg, false)) {
    if (msg.message == WM_QUIT) {
      ExitGame(nullptr);
      return true;
    }
    PlatPeekMessage(msg, true);
    WndProc(msg.message, msg.wParam, msg.lParam);
  } else if (idle == Idle::Until) {
    PlatIdleUntil(wakeAt);
  } else if (idle == Idle::ForInput) {
    PlatIdleForInput();
  } else {
    PlatIdle();
  }
  Random(2);
  PollKeys();
  CdPoll();
  return false;
}

// The first tick at which a wait of `span` ms from `start` is over (ElapsedSince > span).
uint32_t EndOfSpan(uint32_t start, int64_t span) {
  return start + static_cast<uint32_t>(std::max<int64_t>(span, 0)) + 1;
}

}  // namespace

bool PumpMessages() {
  return Pump(Idle::Step, 0);
}

bool PumpMessagesUntil(uint32_t wakeAt) {
  return Pump(Idle::Until, wakeAt);
}

bool PumpMessagesForInput() {
  return Pump(Idle::ForInput, 0);
}

void PollKeys() {
  if (!PlatHasFocus()) return;
  uint8_t held = 0;
  for (const PolledKey& key : kPolledKeys) {
    if (PlatKeyDown(key.virtualKey)) held |= key.bit;
  }
  KeysHeld = held;
  KeysPressed = held & ~PrevKeys;
  PrevKeys = held;
  if (IgnoreNextInput == 1) {
    IgnoreNextInput = 0;
    return;
  }
  InputTriggers |= KeysPressed;
}

void InputMouseMessage(uint32_t message, int64_t lParam) {
  if (message == WM_MOUSEMOVE) {
    MouseX = PlatLoWord(lParam);
    MouseY = PlatHiWord(lParam);
    if (ScreenMode == kModeFullScreen) MouseY = static_cast<uint16_t>(MouseY + MenuBarHeight);
    return;
  }
  if (IgnoreNextInput == 1) {
    IgnoreNextInput = 0;
    return;
  }
  if (MouseInClient == 0) return;
  switch (message) {
    case WM_LBUTTONDOWN:
      MouseButtons |= InputOk;
      break;
    case WM_LBUTTONUP:
      if (MouseButtons & InputOk) InputTriggers |= InputOk;
      MouseButtons &= ~InputOk;
      break;
    case WM_RBUTTONDOWN:
      MouseButtons |= InputCancel;
      break;
    case WM_RBUTTONUP:
      if (MouseButtons & InputCancel) InputTriggers |= InputCancel;
      MouseButtons &= ~InputCancel;
      break;
    default:
      break;
  }
}

void InputHitTest(bool inClient) {
  MouseInClient = inClient ? 1 : 0;
  if (!inClient) InputTriggers = 0;
}

// [SECTION] Waits

uint32_t ElapsedSince(uint32_t start) {
  const int32_t difference = static_cast<int32_t>(PlatTicks() - start);
  return static_cast<uint32_t>(std::abs(static_cast<int64_t>(difference)));
}

void Wait(uint16_t n) {
  if (n == 0) return;
  const uint32_t start = PlatTicks();
  do {
    PumpMessagesUntil(EndOfSpan(start, n * 10));
  } while (ElapsedSince(start) <= n * 10u && SkipToChoice != 1);
}

void WaitSince(uint32_t start, int16_t n) {
  // A negative span is already over after the first step.
  const int64_t limit = static_cast<int64_t>(n) * 10;
  do {
    PumpMessagesUntil(EndOfSpan(start, limit));
  } while (static_cast<int64_t>(ElapsedSince(start)) <= limit && SkipToChoice != 1);
}

void WaitClick() {
  InputTriggers &= ~(InputOk | InputSpace);
  do {
    PumpMessagesForInput();
  } while (!(InputTriggers & (InputOk | InputSpace)));
  InputTriggers &= ~(InputOk | InputSpace);
}

void WaitAnyInput() {
  InputTriggers &= ~(InputCancel | InputOk | InputSpace);
  do {
    PumpMessagesForInput();
  } while (!(InputTriggers & (InputCancel | InputOk | InputSpace)));
}

bool WaitClickOrTimeout(uint32_t n) {
  const uint32_t start = PlatTicks();
  InputTriggers &= ~(InputOk | InputSpace);
  for (;;) {
    if (InputTriggers & (InputOk | InputSpace)) return true;
    PumpMessagesUntil(EndOfSpan(start, static_cast<int64_t>(n) * 10));
    if (ElapsedSince(start) > static_cast<uint64_t>(n) * 10 || SkipToChoice == 1) return false;
  }
}

// [SECTION] Helpers

uint8_t Random(uint16_t mode) {
  if (mode == 2) {
    const uint16_t b = ((RandomSeed >> 4) ^ (RandomSeed >> 15)) & 1;
    RandomSeed = static_cast<uint16_t>((RandomSeed << 1) + b);
    if (b)
      RandomSeed &= ~0x80;
    else
      RandomSeed |= 0x80;
  } else if (mode == 1) {
    RandomSeed ^= static_cast<uint16_t>(PlatTicks());
  } else {
    RandomSeed = static_cast<uint16_t>(PlatTicks());
  }
  return static_cast<uint8_t>((RandomSeed >> 8) ^ (RandomSeed & 0xFF));
}

int16_t SjisLength(const char* text) {
  int16_t length = 0;
  for (const auto* p = reinterpret_cast<const uint8_t*>(text); *p;) {
    if (*p >= 0x80) {
      // A lead byte with its trail; a lead byte at the very end stands alone.
      length += p[1] ? 2 : 1;
      p += p[1] ? 2 : 1;
    } else {
      length++;
      p++;
    }
  }
  return length;
}

void MoveCursorTo(uint16_t x, uint16_t y) {
  int clientY = y;
  if (ScreenMode == kModeFullScreen) clientY -= MenuBarHeight;
  PlatSetCursorPos(x, clientY);
  MouseX = x;
  MouseY = y;
}

void ClearInput() {
  InputTriggers = 0;
}

void InputWheel(int delta) {
  if (MouseInClient == 0 || delta == 0) return;
  InputTriggers |= delta > 0 ? InputWheelUp : InputWheelDown;
}
