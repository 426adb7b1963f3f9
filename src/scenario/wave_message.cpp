// Wave displays: every row of the scene moves along a sine curve each frame while the message is
// typed, frame by frame, into bit 7 of the screen frame, which the frame's colour table shows as
// white. The scene's own colours stay below 128. Also the closing picture.
#include "scenario/wave_message.h"

#include <algorithm>
#include <iterator>

#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "resources/memory.h"
#include "resources/pack.h"
#include "resources/tz2.h"
#include "scenario/message_code.h"
#include "scenario/scenario.h"
#include "scenario/stream_message.h"
#include "screens/background.h"

namespace {

// [SECTION] The text layer

constexpr uint8_t kTextBit = 0x80;
constexpr uint8_t kPictureBits = 0x7F;
constexpr int kOffPictureColour = 124;  // made black for the display; rows off the frame
constexpr int kDimLevel = PaletteLevels * 10 / 15;  // 170
constexpr int kFullAmplitude = 128;

// Values with bit 7 (and those past the palette) show white, the interface colours stay.
void TextLayerOn() {
  FrameMapColours(ScreenFrame, 128, kPalInterfaceFirst - 128, kTextWhite);
  FrameMapColours(ScreenFrame, kPaletteSize, 256 - kPaletteSize, kTextWhite);
}

void TextLayerOff() {
  FrameResetColourTable(ScreenFrame);
}

// Clears bit 7 of every pixel: the text disappears.
void ClearTextLayer() {
  uint8_t* pixels = MemLock(ScreenFrame) + kFramePixelsOffset;
  for (uint32_t i = 0; i < kFramePixelCount; i++) pixels[i] &= kPictureBits;
  MemUnlock(ScreenFrame);
}

// [SECTION] One frame of the wave

// Rows slide sideways by up to `amplitude` pixels; what they uncover gets colour 0. `screen` and
// `back` are the frames' blocks.
void WaveRows(uint8_t* screen, const uint8_t* back, int phase, int amplitude) {
  for (int y = 0; y < kFrameHeight; y++) {
    const int d = SinDeg(static_cast<uint16_t>(phase + y)) * amplitude >> 15;
    uint8_t* to = screen + FramePixelOffset(0, y);
    const uint8_t* from = back + FramePixelOffset(0, y);
    for (int x = 0; x < kFrameWidth; x++) {
      const int source = x - d;
      const uint8_t picture = source >= 0 && source < kFrameWidth ? from[source] & kPictureBits : 0;
      to[x] = static_cast<uint8_t>((to[x] & kTextBit) | picture);
    }
  }
}

// Rows are taken from up to amplitude / 8 rows above or below; past the frame colour 124.
void RippleRows(uint8_t* screen, const uint8_t* back, int phase, int amplitude) {
  for (int y = 0; y < kFrameHeight; y++) {
    const int r = y + (SinDeg(static_cast<uint16_t>(phase + y)) * amplitude >> 18);
    uint8_t* to = screen + FramePixelOffset(0, y);
    if (r < 0 || r >= kFrameHeight) {
      for (int x = 0; x < kFrameWidth; x++) {
        to[x] = static_cast<uint8_t>((to[x] & kTextBit) | kOffPictureColour);
      }
      continue;
    }
    const uint8_t* from = back + FramePixelOffset(0, r);
    for (int x = 0; x < kFrameWidth; x++) {
      to[x] = static_cast<uint8_t>((to[x] & kTextBit) | (from[x] & kPictureBits));
    }
  }
}

// [SECTION] The display

enum class Stage { In, Text, Out, Over };
enum : uint8_t { kModeNone = 0, kModeBrightness = 1, kModeAmplitude = 2 };

void WaveDisplay(bool ripple, uint8_t message, uint8_t modeIn, uint8_t modeOut) {
  // The display rewrites the whole screen frame every frame: the overlay stays off meanwhile.
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  TextLayerOn();
  PalEntry kept[kPaletteSize];
  std::copy(std::begin(ScenePalette), std::end(ScenePalette), kept);
  PalSetEntry(kOffPictureColour, 0, 0, 0);
  if (modeIn == kModeBrightness) {
    PalBlack();
  } else {
    PalApplyKeepUi(kDimLevel, 0);
  }
  const bool deep = DisplayBpp > 8;
  const bool fine = SpecLow == 0 && !deep;
  const int brightnessStep = deep ? 6 : 3;

  StreamMessageStart(kStoryX, kStoryY, MessageCode(message), kTextWhite, kTextBlack);
  int brightness = modeIn == kModeBrightness ? 0 : kDimLevel;
  int amplitude = modeIn == kModeAmplitude ? 0 : kFullAmplitude;
  int phase = 0;
  // An in or out mode the display does not know ends its phase at once.
  Stage stage = modeIn == kModeBrightness || modeIn == kModeAmplitude ? Stage::In : Stage::Text;

  while (stage != Stage::Over) {
    const uint32_t start = PlatTicks();
    uint8_t* screen = MemLock(ScreenFrame);
    const uint8_t* back = MemLock(BackFrame);
    if (ripple) {
      RippleRows(screen, back, phase, amplitude);
    } else {
      WaveRows(screen, back, phase, amplitude);
    }
    MemUnlock(BackFrame);
    MemUnlock(ScreenFrame);
    phase = (phase + (ripple ? 3 : 2)) % 360;

    bool repainted = false;
    // A brightness change, shown at once; a deep display repaints the window for it.
    auto setBrightness = [&](int level) {
      brightness = level;
      PalApplyKeepUi(brightness, 0);
      repainted = deep;
    };
    if (stage == Stage::In) {
      if (modeIn == kModeBrightness) {
        setBrightness(std::min(brightness + brightnessStep, kDimLevel));
        if (brightness == kDimLevel) stage = Stage::Text;
      } else {
        amplitude = std::min(amplitude + (fine ? 1 : 4), kFullAmplitude);
        if (amplitude == kFullAmplitude) stage = Stage::Text;
      }
    } else if (stage == Stage::Text && !StreamRunning) {
      ClearTextLayer();
      stage = Stage::Out;
    }
    if (stage == Stage::Out) {
      if (modeOut == kModeBrightness) {
        setBrightness(std::max(brightness - brightnessStep, 0));
        if (brightness == 0) stage = Stage::Over;
      } else if (modeOut == kModeAmplitude) {
        amplitude = std::max(amplitude - (fine ? 2 : 8), 0);
        if (amplitude == 0) stage = Stage::Over;
      } else {
        stage = Stage::Over;
      }
    }
    if (StreamRunning) {
      StreamMessageStep();
    } else if (SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1)) {
      stage = Stage::Over;
    }
    if (!repainted) ScreenUpdate();
    WaitSince(start, 1);
  }

  TextLayerOff();
  switch (modeOut) {
    case kModeNone:
      std::copy(std::begin(kept), std::end(kept), ScenePalette);
      ClearTextLayer();
      PaletteState = PalStateDimmed;
      ScreenUpdate();
      break;
    case kModeBrightness:
      std::copy(std::begin(kept), std::end(kept), ScenePalette);
      PalBlack();
      BgLoad(0);
      FrameClearAndShow(ScreenFrame);
      PalFadeInDimmed(1);
      break;
    case kModeAmplitude:
      FrameCopy(ScreenFrame, BackFrame);
      std::copy(std::begin(kept), std::end(kept), ScenePalette);
      PalApplyKeepUi(kDimLevel, 0);
      PaletteState = PalStateDimmed;
      ScreenUpdate();
      break;
    default:
      break;
  }
  ScreenBusy = 1;
  if (weather != 0) WeatherOverlayOn(weather);
  ScreenBusy = 0;
}

}  // namespace

void WaveMessage(uint8_t message, uint8_t modeIn, uint8_t modeOut) {
  WaveDisplay(false, message, modeIn, modeOut);
}

void RippleMessage(uint8_t message, uint8_t modeIn, uint8_t modeOut) {
  WaveDisplay(true, message, modeIn, modeOut);
}

// [SECTION] The closing picture

void ShowClosingPicture() {
  PalFadeToWhite(1);
  PalSetEntry(0, 255, 254, 253);
  FrameFillRect(BackFrame, 0, 0, kFrameWidth - 1, kFrameHeight - 1, 0);
  uint32_t size = 0;
  MemHandle picture = PackLoad("title2.tz2", &size);
  Tz2Draw(BackFrame, picture, 0, 0, kPalCharacterAFirst);
  MemRelease(&picture);
  ShowBackFrame();
  Wait(100);
  WeatherSet(WeatherPetals);
  PalFadeInFromWhite(2);
  Wait(300);
  PalFadeToWhite(2);
  WeatherStop();
}
