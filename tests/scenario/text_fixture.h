// Text on screen under test: the scenario fixture with a synthetic font whose glyphs spell their
// own code, message code from the charset, scripted input, and what every paint showed.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string_view>
#include <vector>

#include "app/input.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/headless/headless.h"
#include "resources/memory.h"
#include "scenario/font.h"
#include "scenario/message_code.h"
#include "scenario/scenario_support.h"
#include "support/frame_probe.h"
#include "tools/charset/charset.h"

// [SECTION] Synthetic font
// Glyph of code c: pixel (0, 0) marks it; row 1 holds c in 12 bits, the top bit leftmost. The
// shadow of (0, 0) lands on (2, 2), where no glyph has ink.
inline Bytes TestFontBytes(int codes = 0x200) {
  Bytes font(static_cast<size_t>(codes) * kGlyphBytes, 0);
  for (int code = 1; code <= codes; code++) {
    uint8_t* glyph = &font[static_cast<size_t>(code - 1) * kGlyphBytes];
    glyph[0] = 0x80;
    const int bits = code << 4;  // 12 bits from the top of bytes 3 and 4
    glyph[3] = static_cast<uint8_t>(bits >> 8);
    glyph[4] = static_cast<uint8_t>(bits);
  }
  return font;
}

// [SECTION] Message code

// Builds message code: characters by the charset, codes and commands by number.
struct Code {
  Bytes bytes;

  Code& Text(std::string_view utf8) {
    size_t at = 0;
    while (at < utf8.size()) {
      const char32_t c = Utf8Next(utf8, at);
      const auto code = CharsetCode(c);
      EXPECT_TRUE(code.has_value()) << "no code for U+" << std::hex << static_cast<int>(c);
      Char(code.value_or(1));
    }
    return *this;
  }
  Code& Char(uint16_t code, int times = 1) {
    for (int i = 0; i < times; i++) {
      bytes.push_back(static_cast<uint8_t>(code >> 8));
      bytes.push_back(static_cast<uint8_t>(code));
    }
    return *this;
  }
  Code& Op(std::initializer_list<uint8_t> ops) {
    bytes.insert(bytes.end(), ops);
    return *this;
  }
  Code& End() { return Op({kMsgEnd}); }
  const uint8_t* data() const { return bytes.data(); }
};

inline uint16_t C(char32_t character) {
  return CharsetCode(character).value_or(1);
}

// [SECTION] Fixture

class TextTest : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    InstallFont(TestFontBytes());
    // Text is shown over a dimmed scene; a black palette would first fade in at a choice.
    PaletteState = PalStateDimmed;
    // A plain colour under the text, so that ink and shadow both show.
    FrameFillRect(ScreenFrame, 0, 0, 639, 479, kScreenColour);
    FrameFillRect(BackFrame, 0, 0, 639, 479, kBackColour);
    DirtyRect = kEmptyRect;
    Paints.clear();
    Recorder = this;
  }
  void TearDown() override {
    Recorder = nullptr;
    FontBlock = 0;
    ScenarioTest::TearDown();
  }
  PlatWndProc WindowProc() override { return RecordingWndProc; }

  static constexpr uint8_t kScreenColour = 3;
  static constexpr uint8_t kBackColour = 7;

  // Makes `bytes` the loaded font.
  static void InstallFont(const Bytes& bytes) {
    MemRelease(&FontBlock);
    FontBlock = Block(bytes, "KNJ_ALL.KNJ");
    FontBytes = static_cast<uint32_t>(bytes.size());
  }
  // The screen frame's pixel.
  static uint8_t Pixel(int x, int y) { return FramePixel(ScreenFrame, x, y); }
  // The code of the glyph drawn in `colour` with its top-left corner at (x, y), or 0.
  static uint16_t CodeAt(int x, int y, uint8_t colour = 229) {
    if (Pixel(x, y) != colour) return 0;
    uint16_t code = 0;
    for (int i = 0; i < 12; i++)
      code = static_cast<uint16_t>(code << 1 | (Pixel(x + i, y + 1) == colour));
    return code;
  }

  // Makes `messages` the resident message block of scenario 0x12; answers its base.
  static const uint8_t* InstallMessages(const std::vector<Code>& messages) {
    std::vector<Bytes> blocks;
    for (const Code& message : messages) blocks.push_back(message.bytes);
    MemRelease(&MessageData);
    MessageData = Block(MessageBlock(blocks), "MESSAGE DATA");
    CurrentScenario = 0x12;
    return MemAddress(MessageData);
  }

  // Input `after` virtual ms from now (steps must be added in time order).
  static void At(uint32_t after, HeadlessAction action, int a = 0, int b = 0, int c = 0) {
    HeadlessGetConfig().steps.push_back(HeadlessStep{PlatTicks() + after, action, a, b, c});
  }
  // A key pressed `after` ms from now and released 20 ms later.
  static void Press(uint32_t after, int key) {
    At(after, HeadlessAction::KeyDown, key);
    At(after + 20, HeadlessAction::KeyUp, key);
  }
  // A left click at client (x, y).
  static void Click(uint32_t after, int x, int y) {
    At(after, HeadlessAction::MouseMove, x, y);
    At(after + 5, HeadlessAction::MouseDown, x, y, 0);
    At(after + 10, HeadlessAction::MouseUp, x, y, 0);
  }

 public:
  // What one paint showed at the probe points.
  struct Paint {
    std::vector<uint8_t> probes;
    bool pointer;  // the mouse pointer was visible
  };
  std::vector<std::pair<int, int>> Probes;
  std::vector<Paint> Paints;

 private:
  static inline TextTest* Recorder = nullptr;
  static int64_t RecordingWndProc(uint32_t message, uint64_t wParam, int64_t lParam) {
    const int64_t result = WndProc(message, wParam, lParam);
    if (message == WM_PAINT && Recorder) {
      Paint paint{{}, HeadlessCursorVisible()};
      for (auto [x, y] : Recorder->Probes) paint.probes.push_back(Pixel(x, y));
      Recorder->Paints.push_back(paint);
    }
    return result;
  }
};
