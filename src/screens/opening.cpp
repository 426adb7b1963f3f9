// The maker's logo and the opening. The opening runs on one clock: every step waits for its
// time counted from OpeningStart, and OK or cancel at any wait skips to the end of the phase
// and of every phase after it, never back.
#include "screens/opening.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/transition.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "resources/pack.h"
#include "resources/text_format.h"
#include "resources/tz2.h"
#include "resources/tzg.h"
#include "scenario/game_state.h"
#include "screens/background.h"
#include "screens/event_picture.h"
#include "screens/main_flow.h"

uint32_t OpeningStart;
MemHandle OpeningLights[kOpeningLights];
OpeningNameBlock OpeningName;
int32_t NameLevel = -1;

namespace {

constexpr uint8_t kLogoMusic = 0, kOpeningMusic = 1;
constexpr uint8_t kLogoGround = 15;  // the emblem's white, all around it
constexpr int16_t kLogoY = 40;
constexpr uint8_t kShutterColour = 0;  // the emblem's black

// The glint's colour steps, five frames each: yellow, cyan, magenta, pink, then blue-white.
constexpr int kGlintSteps[5][3] = {
    {0, 0, -16}, {-16, 0, 16}, {16, -16, 0}, {0, 0, -16}, {-16, 0, 16}};

constexpr uint8_t kPetals = 4, kPetalsEntering = 5;
constexpr uint8_t kPicturesBackground = 49;  // lanterns rising over the river
constexpr uint8_t kSkyBackground = 19;
constexpr uint8_t kTitleBackground = 17;
constexpr int16_t kPictureX = 120, kPictureY = 90;
constexpr uint32_t kPictureColours = 124;  // the pictures' colours go from entry 124 on
constexpr int kOpeningPictures = 4;

// Phase A: picture 0 shown, then for pictures 1..3 the old one dissolved away and the new
// one dissolved in, then the last one left standing until 13700.
constexpr uint32_t kPicturesAt[] = {500, 2200, 3700, 6200, 7700, 10200, 11700, 13700};
// Phase B.
constexpr uint32_t kNameUntil = 15000, kScrollUntil = 41700, kTitleUntil = 48500;
constexpr uint16_t kScrollSeconds = 24;
// Phase E.
constexpr uint32_t kEndAt = 128000;

struct CharacterGroup {
  uint8_t background;
  uint8_t slot;
  uint16_t codes[3];
  uint32_t at[5];
};
constexpr CharacterGroup kCharacterGroups[] = {
    {35, 1, {0x181, 0x182, 0x186}, {50200, 51200, 52200, 53200, 56000}},
    {9, 0, {0x202, 0x204, 0x203}, {57000, 58000, 59000, 60000, 62000}},
    {15, 1, {0x301, 0x303, 0x302}, {63000, 64000, 65000, 66000, 68000}},
    {21, 0, {0x402, 0x403, 0x401}, {69000, 70000, 71000, 72000, 74000}},
    {29, 1, {0x501, 0x508, 0x50C}, {75000, 76000, 77000, 78000, 80000}},
    {10, 0, {0x604, 0x603, 0x602}, {81000, 82000, 83000, 84000, 86000}},
    {26, 1, {0x701, 0x702, 0x706}, {87000, 88000, 89000, 90000, 92000}},
    {14, 0, {0x801, 0x802, 0x803}, {93000, 94000, 95000, 96000, 99000}},
};

constexpr int kEventPictures = 7;
constexpr uint8_t kEventPictureNumbers[kEventPictures] = {32, 49, 65, 80, 96, 112, 128};
constexpr uint32_t kEventPicturesAt[kEventPictures][2] = {
    {101000, 103900}, {104900, 107800}, {108800, 111700}, {112700, 115600},
    {116600, 119500}, {120500, 123400}, {124400, 126000}};

// The lights start on the sun in the sky picture and drift apart down to the left, fading, over
// the first 70 steps of the scroll.
constexpr int kLightCentreX = 531, kLightCentreY = 37;
constexpr int kLightSteps = 70;
constexpr int kLightMove[kOpeningLights][2] = {{-317, 243}, {-190, 145}, {-126, 97}};
constexpr int kLightTintSteps = 60;
// The sky picture's colours 1..44 run from its brightest to its darkest: a light lifts a pixel
// toward 1, and anything outside that range under a light becomes 1.
constexpr int kSkyRamp = 44;
bool LightTinted;  // the lights have whitened the palette

// The name dissolves in 16 levels; level k marks the first k + 1 of these cells (row, column)
// of every 4 x 4 block, and a marked letter pixel becomes 0x22 or 0x23, which is not drawn.
constexpr int kNameLastStep = 300, kNameFadeFrom = 270, kNameLevels = 16;
constexpr uint8_t kNameMarkBits = 0x22;
constexpr uint8_t kNameMaskOrder[kNameLevels][2] = {{0, 3}, {2, 1}, {0, 1}, {2, 3}, {1, 2}, {3, 0},
                                                    {1, 0}, {3, 2}, {0, 2}, {2, 0}, {0, 0}, {2, 2},
                                                    {1, 3}, {3, 1}, {1, 1}, {3, 3}};

void SetWhite(int entry) {
  PalSetEntry(entry, 255, 255, 255);
}

// One frame of the glint: the colours of entries 5..13 step along kGlintSteps, each entry on
// every other frame and the higher entries first; entry 14 greys at frame 50.
void GlintFrame(int f) {
  if (f == 50) PalSetEntry(14, 208, 208, 208);
  for (int i = 5; i <= 13; i++) {
    if ((f + i) % 2 == 0) continue;
    const int phase = (f + i - 20) / 2;
    if (phase < 0) {
      SetWhite(i);
      continue;
    }
    const int k = phase / 5;
    if (k >= 5) continue;
    PalEntry& e = ScenePalette[i];
    e.red = static_cast<uint8_t>(e.red + kGlintSteps[k][0]);
    e.green = static_cast<uint8_t>(e.green + kGlintSteps[k][1]);
    e.blue = static_cast<uint8_t>(e.blue + kGlintSteps[k][2]);
  }
}

// Draws opening picture `picture` on the back frame in its frame at (120, 90).
void DrawPicture(MemHandle picture) {
  Tz2Draw(BackFrame, picture, kPictureX, kPictureY, kPictureColours);
}

// A block of the back frame's w x h pixels at (x, y), rows top first.
MemHandle CutBlock(const char* name, int16_t x, int16_t y, int16_t w, int16_t h) {
  const MemHandle block = MemAlloc(static_cast<uint32_t>(std::max(w * h, 1)), name);
  FrameGetBlock(block, BackFrame, x, y, w, h);
  return block;
}

// The three lights, cut side by side from "LIGHT.TZG".
void LoadLights() {
  uint32_t size = 0;
  MemHandle picture = PackLoad("LIGHT.TZG", &size);
  TzgDraw(BackFrame, picture, 0, 0);
  MemRelease(&picture);
  static constexpr const char* kNames[kOpeningLights] = {"OP LIGHT L", "OP LIGHT M", "OP LIGHT S"};
  int16_t x = 0;
  for (int i = 0; i < kOpeningLights; i++) {
    const int16_t side = kOpeningLightSize[i];
    OpeningLights[i] = CutBlock(kNames[i], x, 0, side, side);
    x = static_cast<int16_t>(x + side);
  }
}

// The name, drawn at its own place over a plain frame and cut out: its width rounded up to a
// multiple of 4 as far as the frame allows.
void LoadName() {
  uint32_t size = 0;
  MemHandle picture = PackLoad("OP_NAME.TZ2", &size);
  Tz2Header header{};
  Tz2ReadHeader(picture, header);
  int x = header.x, y = header.y, w = header.width, h = header.height;
  if (w % 4) w += 4 - w % 4;
  if (x + w > kFrameWidth) w = kFrameWidth - x;
  // A header placing the name below the frame's last row gives only the rows inside it.
  if (y + h > kFrameHeight) h = kFrameHeight - y;
  w = std::max(w, 0);
  h = std::max(h, 0);
  FrameFillRect(BackFrame, 0, 0, kFrameWidth - 1, kFrameHeight - 1, 230);
  Tz2Draw(BackFrame, picture, 0, 0, 0);
  MemRelease(&picture);
  OpeningName = {CutBlock("OP NAME", static_cast<int16_t>(x), static_cast<int16_t>(y),
                          static_cast<int16_t>(w), static_cast<int16_t>(h)),
                 static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(w),
                 static_cast<int16_t>(h)};
  NameLevel = -1;
}

void ReleaseBlocks() {
  for (MemHandle& light : OpeningLights) MemRelease(&light);
  MemRelease(&OpeningName.block);
  OpeningName = {};
}

// Phase A; false when input cut it short.
bool PlayPictures() {
  ClearInput();
  MemHandle pictures[kOpeningPictures];
  for (int n = 0; n < kOpeningPictures; n++) {
    uint32_t size = 0;
    pictures[n] = PackLoad(FormatText("OP%02d.TZ2", {n}).c_str(), &size);
  }
  BgLoad(kPicturesBackground);
  DrawPicture(pictures[0]);
  WeatherSet(kPetals);
  CdPlay(kOpeningMusic, false);
  OpeningStart = PlatTicks();

  bool interrupted = false;
  for (size_t i = 0; i < std::size(kPicturesAt); i++) {
    if (WaitInputUntil(kPicturesAt[i])) {
      interrupted = true;
      break;
    }
    if (i == 0) {
      ScreenShow(0);
      BgRedraw(0);
    } else if (i == std::size(kPicturesAt) - 1) {
      // The last picture stays until the phase ends.
    } else if (i % 2 == 1) {
      // The picture on the screen dissolves away; the next one waits on the back frame.
      ShowDither();
      DrawPicture(pictures[(i + 1) / 2]);
      PalShow();
    } else {
      ShowDither();
      if (i < std::size(kPicturesAt) - 2) BgRedraw(0);
    }
  }
  ScreenHide(0);
  WeatherStop();
  for (MemHandle& picture : pictures) MemRelease(&picture);
  BgForget();
  return !interrupted;
}

// Phase B: the name over the sky and the scroll down to the title. False when input cut it
// short; `titleShown` tells whether the title is on the screen then.
bool PlayNameAndTitle(bool& titleShown) {
  LoadLights();
  LoadName();
  BgLoad(kSkyBackground);
  bool interrupted = WaitInputUntil(kNameUntil);
  if (!interrupted) {
    PalSave();
    for (int i = 0; i < kPalInterfaceFirst; i++) SetWhite(i);
    PalFadeToWhite(1);
    PalRestore();
    FrameCopy(ScreenFrame, BackFrame);
    BgLoad(kTitleBackground);
    if (TitleScroll(kScrollSeconds)) {
      interrupted = true;
      PalDim();
    }
    titleShown = true;
  }
  ReleaseBlocks();
  if (interrupted) return false;
  if (WaitInputUntil(kTitleUntil)) {
    PalDim();
    return false;
  }
  titleShown = false;
  ScreenHide(0);
  WeatherStop();
  return true;
}

// Phase C: eight characters, each in three pictures over a place of their own.
bool PlayCharacters() {
  for (size_t n = 0; n < std::size(kCharacterGroups); n++) {
    const CharacterGroup& g = kCharacterGroups[n];
    BgLoad(g.background);
    if (WaitInputUntil(g.at[0])) break;
    ScreenShow(10);
    CharShow(g.slot, g.codes[0]);
    if (WaitInputUntil(g.at[1])) break;
    ShowDitherChars(3);
    BgRedraw(0);
    CharShow(g.slot, g.codes[1]);
    if (WaitInputUntil(g.at[2])) break;
    ShowDitherChars(3);
    BgRedraw(0);
    CharShow(g.slot, g.codes[2]);
    if (WaitInputUntil(g.at[3])) break;
    ShowDitherChars(3);
    if (WaitInputUntil(g.at[4])) break;
    ScreenHide(10);
    if (n == std::size(kCharacterGroups) - 1) return true;
  }
  ScreenHide(0);
  return false;
}

// Phase D: the seven event pictures in an order of the clock's choosing.
bool PlayEventPictures() {
  Random(1);
  uint8_t order[kEventPictures];
  std::copy(std::begin(kEventPictureNumbers), std::end(kEventPictureNumbers), order);
  for (int i = 0; i < kEventPictures; i++) {
    const int j = (Random(2) * kEventPictures) >> 8;
    std::swap(order[i], order[j]);
  }
  for (int k = 0; k < kEventPictures; k++) {
    ShowVPicture(order[k]);
    if (WaitInputUntil(kEventPicturesAt[k][0])) break;
    ScreenShow(10);
    if (WaitInputUntil(kEventPicturesAt[k][1])) break;
    if (k == kEventPictures - 1) return true;
    ScreenHide(10);
  }
  ScreenHide(0);
  return false;
}

}  // namespace

// [SECTION] The logo

void ShowLogo() {
  PalBlack();
  uint32_t size = 0;
  MemHandle picture = PackLoad("TAZU.TZG", &size);
  FrameFillRect(ScreenFrame, 0, 0, kFrameWidth - 1, kFrameHeight - 1, kLogoGround);
  TzgDraw(ScreenFrame, picture, 0, kLogoY);
  MemRelease(&picture);
  ScreenUpdate();

  // From black to white, then the emblem comes out of the white with entries 5..15 held white.
  PalEntry kept[kPaletteSize];
  std::copy(ScenePalette, ScenePalette + kPaletteSize, kept);
  for (int i = 0; i <= 15; i++) PalSetEntry(i, 0, 0, 0);
  CdPlay(kLogoMusic, false);
  PalFadeToWhite(2);
  Wait(10);
  std::copy(kept, kept + kPaletteSize, ScenePalette);
  for (int i = 5; i <= 15; i++) SetWhite(i);
  PalFadeInFromWhite(2);

  for (int f = 0; f < 80; f++) {
    const uint32_t tick = PlatTicks();
    GlintFrame(f);
    PalShow();
    WaitSince(tick, 5);
  }

  // The shutter: black rows close in from the top and the bottom, six at a time.
  for (int s = 0; s < 150; s += 6) {
    const uint32_t tick = PlatTicks();
    for (int y = s; y >= 0 && y > s - 30; y -= 5) {
      const auto top = static_cast<int16_t>(y), bottom = static_cast<int16_t>(479 - y);
      FrameFillRect(ScreenFrame, 0, top, kFrameWidth - 1, top, kShutterColour);
      FrameFillRect(ScreenFrame, 0, bottom, kFrameWidth - 1, bottom, kShutterColour);
    }
    WaitSince(tick, 1);
    ScreenUpdate();
  }

  Wait(90);
  PalFadeOut(2);
  FrameClearAndShow(ScreenFrame);
}

// [SECTION] The opening

bool PlayOpening() {
  bool titleShown = false;
  if (PlayPictures() && PlayNameAndTitle(titleShown) && PlayCharacters() && PlayEventPictures()) {
    PalFadeToWhite(1);
    BgLoad(kTitleBackground);
    LoadTitlePicture();
    FrameCopy(ScreenFrame, BackFrame);
    ScreenUpdate();
    WeatherSet(kPetals);
    if (!WaitInputUntil(kEndAt)) {
      PalFadeInFromWhite(3);
      WaitAnyInput();
      PalDim();
      titleShown = true;
    }
  }
  CdFadeOut();
  return titleShown;
}

bool TitleScroll(uint16_t seconds) {
  if (SpecLow == 1) {
    DrawOpeningLights(0);
    ScreenHide(0);
    LoadTitlePicture();
    PalShow();
    WeatherSet(kPetals);
    ScreenShow(0);
    return true;
  }

  // The name picture as it stands: each step moves it up and brings the title's place up
  // from below.
  MemHandle old = FrameCreate("op_disp22 buf");
  FrameCopy(old, ScreenFrame);
  DrawOpeningLights(0);
  ScreenBusy = 1;
  WeatherSet(kPetalsEntering);
  const uint8_t weather = WeatherOn ? WeatherMode : 0;
  if (weather != 0) WeatherOverlayOff();

  const uint32_t duration = seconds * 1000u;
  const uint32_t start = PlatTicks();
  bool interrupted = false;
  for (;;) {
    const uint32_t t = ElapsedSince(start);
    if (t >= duration) {
      FrameCopy(ScreenFrame, BackFrame);
      break;
    }
    const int step = static_cast<int>(static_cast<uint64_t>(t) * kFrameHeight / duration);
    if (step > 0) {
      const uint8_t* from = MemLock(old);
      const uint8_t* back = MemLock(BackFrame);
      uint8_t* screen = MemLock(ScreenFrame);
      const size_t keep = static_cast<size_t>(kFrameHeight - step) * kFrameWidth;
      const size_t rising = static_cast<size_t>(step) * kFrameWidth;
      // Bottom-up rows: the old picture's rows from `step` down lie at the block's start.
      // Rows are stored bottom-up: the old picture's rows step..479 start the block and go to
      // screen rows 0..479 - step; the back frame's rows 0..step - 1 end it and go to the
      // screen's bottom rows.
      std::copy_n(from + kFramePixelsOffset, keep, screen + FramePixelOffset(0, 479 - step));
      std::copy_n(back + FramePixelOffset(0, step - 1), rising, screen + kFramePixelsOffset);
      MemUnlock(ScreenFrame);
      MemUnlock(BackFrame);
      MemUnlock(old);
      if (weather != 0 && step > kFrameHeight / 2 && DisplayBpp <= 8) WeatherOverlayOn(weather);
      DrawOpeningLights(step);
      DrawOpeningName(step);
      ScreenUpdate();
    }
    PumpMessages();
    if (InputTriggers & (InputCancel | InputOk)) {
      interrupted = true;
      if (weather != 0) {
        WeatherMode = weather;
        WeatherOverlayOff();
      }
      ClearInput();
      break;
    }
  }

  MemRelease(&old);
  PlatDrawMenuBar();
  if (weather != 0) {
    WeatherOverlayOn(weather);
    ScreenUpdate();
  }
  ScreenBusy = 0;
  LoadTitlePicture();
  PalShow();
  if (!interrupted) interrupted = WaitInputUntil(kScrollUntil);
  ScreenShow(12);
  return interrupted;
}

void DrawOpeningLights(int step) {
  if (step > kLightSteps) {
    if (LightTinted) {
      PalApply(PaletteLevels, 0);
      LightTinted = false;
    }
    return;
  }
  const int s = std::min(step, kLightSteps);
  if (s > 0 && s < kLightTintSteps) {
    const int white = (kLightTintSteps - s) * 256 / kLightTintSteps;
    PalApply(PaletteLevels, white);
    if (white != 0) LightTinted = true;
  }
  uint8_t* screen = MemLock(ScreenFrame);
  const int fade = s * 15 / kLightSteps;
  for (int l = 0; l < kOpeningLights; l++) {
    if (OpeningLights[l] == 0) continue;
    const int side = kOpeningLightSize[l];
    const int left = kLightMove[l][0] * s / kLightSteps - side / 2 + kLightCentreX;
    const int top = kLightMove[l][1] * s / kLightSteps - side / 2 - step + kLightCentreY;
    const uint8_t* sprite = MemLock(OpeningLights[l]);
    for (int j = 0; j < side; j++) {
      const int y = top + j;
      if (y < 0 || y >= kFrameHeight) continue;
      for (int i = 0; i < side; i++) {
        const int x = left + i;
        const auto v = static_cast<uint8_t>(sprite[j * side + i] - fade);
        if (v < 1 || v > 15 || x < 0 || x >= kFrameWidth) continue;
        uint8_t& d = screen[FramePixelOffset(x, y)];
        const auto lifted = static_cast<uint8_t>(d - v);
        d = d > kSkyRamp || lifted == 0 || lifted > kSkyRamp ? 1 : lifted;
      }
    }
    MemUnlock(OpeningLights[l]);
  }
  MemUnlock(ScreenFrame);
}

void DrawOpeningName(int step) {
  if (step < 0 || step > kNameLastStep || OpeningName.block == 0) return;
  const int w = OpeningName.w, h = OpeningName.h;
  uint8_t* name = MemLock(OpeningName.block);
  if (step > kNameFadeFrom) {
    const int level = std::min((step - kNameFadeFrom) * 256 / 480, kNameLevels - 1);
    if (level > NameLevel) {
      NameLevel = level;
      uint8_t mask[4][4] = {};
      for (int k = 0; k <= level; k++)
        mask[kNameMaskOrder[k][0]][kNameMaskOrder[k][1]] = kNameMarkBits;
      for (int row = 0; row < h; row++) {
        for (int column = 0; column < w; column++)
          name[row * w + column] |= mask[row % 4][column % 4];
      }
    }
  }
  uint8_t* screen = MemLock(ScreenFrame);
  for (int row = 0; row < h; row++) {
    for (int column = 0; column < w; column++) {
      const uint8_t p = name[row * w + column];
      if (p <= 1) screen[FramePixelOffset(OpeningName.x + column, OpeningName.y + row)] = p;
    }
  }
  MemUnlock(ScreenFrame);
  MemUnlock(OpeningName.block);
}

bool WaitInputUntil(uint32_t ms) {
  for (;;) {
    PumpMessagesUntil(OpeningStart + ms);
    if (InputTriggers & (InputCancel | InputOk)) {
      ClearInput();
      return true;
    }
    if (ElapsedSince(OpeningStart) >= ms) return false;
  }
}
