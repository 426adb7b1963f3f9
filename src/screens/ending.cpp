// The ending scenes. Everything is timed from SceneStart, the moment the music starts, so the
// credits stay with the music however fast the machine draws. The first scene lets each credit
// group glow from white to pink and may be cut short by the player; the second shows one
// caption at a time in a strip at the bottom and runs to its end.
#include "screens/ending.h"

#include <algorithm>

#include "app/input.h"
#include "app/presentation.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "resources/memory.h"
#include "resources/pack.h"
#include "resources/tz2.h"
#include "scenario/game_state.h"
#include "scenario/message.h"
#include "scenario/scenario.h"
#include "screens/background.h"
#include "screens/event_picture.h"
#include "screens/main_flow.h"
#include "screens/screen_texts.h"

const EndingGroupTimes kEndingGroupTimes[kEndingGroups] = {
    {11666, 16666, 20000},    {23333, 28333, 31666},    {35000, 40000, 43333},
    {46666, 51666, 55000},    {58333, 63333, 66666},    {70000, 75000, 78333},
    {81666, 86666, 90800},    {93833, 98333, 101666},   {105000, 110000, 113333},
    {116666, 121666, 125000}, {128333, 133333, 136666}, {140000, 145000, 148333},
    {151666, 156666, 160000}, {163333, 170833, 173666},
};
const uint32_t kCaptionTimes[kEndingCaptions] = {
    37000,  46000,  54500,  64000,  77000,  90000,  100000,
    113000, 123000, 136000, 147000, 156000, 165000, 178000,
};

uint32_t SceneStart;
uint8_t CaptionIndex;

namespace {

constexpr uint8_t kEndingMusic = 31;
constexpr uint8_t kFirstPicture = 0x93, kSecondPicture = 0x98;  // when no event picture is up
// The backgrounds shown in the shrunken frame after groups 0..12.
constexpr uint8_t kGroupBackgrounds[kEndingGroups - 1] = {31, 8,  9, 10, 11, 12, 13,
                                                          14, 15, 7, 21, 32, 17};

constexpr uint16_t kGround = 232, kShade = 233, kInk = 234;  // scene entries the scenes colour
constexpr int kShrunkW = 448, kShrunkH = 336;                // 70 %
constexpr uint32_t kShrinkMs = 2000;
constexpr uint32_t kGlowMs = 800;
constexpr int16_t kCaptionY = 420;
constexpr Rect kCaptionStrip{0, 420, 639, 450};
constexpr uint32_t kLastCaption = 9999999;
inline constexpr char kMakerPicture[] = "tazu.tz2";
constexpr int32_t kMakerTransparent = 124;

// Caption 12, drawn again under the maker's picture.
const uint8_t* RememberedCaption;

bool Reached(uint32_t t) {
  return static_cast<int32_t>(PlatTicks() - (SceneStart + t)) >= 0;
}

uint8_t* Pixels(MemHandle frame) {
  return MemLock(frame) + kFramePixelsOffset;
}

void FillFrame(MemHandle frame, uint8_t colour) {
  FrameFillRect(frame, 0, 0, kFrameWidth - 1, kFrameHeight - 1, colour);
}

// Draws one credit group or caption on the screen frame with the overlay off, and repaints
// what it touched; answers where the next one starts.
const uint8_t* DrawCredit(const uint8_t* text, uint16_t y, const Rect* ground = nullptr,
                          uint8_t groundColour = 0) {
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  RectCopy(DirtyRect, kEmptyRect);
  if (ground) {
    FrameFillRect(ScreenFrame, static_cast<int16_t>(ground->x0), static_cast<int16_t>(ground->y0),
                  static_cast<int16_t>(ground->x1), static_cast<int16_t>(ground->y1), groundColour);
    RectUnion(DirtyRect, *ground);
  }
  const uint8_t* next = RunMessage(0, y, text, kInk, kShade, false, false);
  if (weather != 0) WeatherOverlayOn(weather);
  ScreenUpdate(DirtyRect);
  ScreenBusy = 0;
  return next;
}

void SetTextWhite() {
  PalSetEntry(kShade, 255, 255, 255);
  PalSetEntry(kInk, 255, 255, 255);
}

// The text colours from white towards pink over 800 ms, in the scene and on screen at once;
// on a deep display each step repaints the text.
void Glow() {
  RunFade(
      kGlowMs, -1, [](uint32_t t) { return static_cast<int>(256 * t / kGlowMs); },
      [](int l) {
        PalSetEntry(kInk, 255, static_cast<uint8_t>(255 - 245 * l / 256),
                    static_cast<uint8_t>(255 - 128 * l / 256));
        PalSetEntry(kShade, 255, static_cast<uint8_t>(255 - 61 * l / 256),
                    static_cast<uint8_t>(255 - 26 * l / 256));
        ShownPalette[kInk] = ScenePalette[kInk];
        ShownPalette[kShade] = ScenePalette[kShade];
        PlatSetPalette(0, ShownPalette);
        if (DisplayBpp > 8) ScreenUpdate();
      });
}

// The back frame: the ground with background n shrunk into its corner.
void ComposeShrunkBackground(uint8_t n) {
  BgLoad(n);
  FillFrame(BackFrame, kGround);
  if (BackGrp == 0) return;
  ScaleDown(Pixels(BackFrame), MemLock(BackGrp), kShrunkW, kShrunkH);
  MemUnlock(BackGrp);
  MemUnlock(BackFrame);
}

// The maker's picture over colour 0 of the back frame.
void DrawMakerPicture() {
  uint32_t size = 0;
  MemHandle picture = PackLoad(kMakerPicture, &size);
  if (picture == 0) return;
  const uint8_t* bytes = MemLock(picture);
  Tz2Decode({Pixels(BackFrame), kFramePixelCount}, ScenePalette, {bytes, MemSize(picture)},
            kFrameWidth, kFrameHeight, 0, 0, kMakerTransparent, 0, true);
  MemUnlock(BackFrame);
  MemUnlock(picture);
  MemRelease(&picture);
}

// The opening both scenes share, up to the end of the shrink. False when the player cut the
// first scene short while it waited.
bool Opening(uint8_t which) {
  SkipToChoice = 0;
  SkipAllowed = 0;
  if (PaletteState == PalStateDimmed) PalUndim();
  Wait(120);
  CdSuspend();
  CdFadeOut();
  Wait(60);
  CdPlay(kEndingMusic, false);
  SceneStart = PlatTicks();
  // No event picture on screen: the marker says none, or still holds the 0 of a fresh state.
  if (VCgShown == kNoPicture || VCgShown == 0) {
    ShowVPicture(which == 0 ? kFirstPicture : kSecondPicture);
    ScreenShow(0);
  }
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  PalSetEntry(kGround, 255, 255, 255);
  if (which == 0) {
    SetTextWhite();
  } else {
    PalSetEntry(kInk, 255, 10, 127);
    PalSetEntry(kShade, 255, 194, 229);
  }
  PalShow();
  bool cut = false;
  if (which == 0) {
    cut = WaitSceneOrInput(kShrinkStartMs);
  } else {
    WaitScene(kShrinkStartMs);
  }
  if (!cut) ShrinkPicture(weather);
  if (weather != 0) WeatherOverlayOn(weather);
  ScreenBusy = 0;
  return !cut;
}

// Groups of credits that glow in, each followed by a background; then the maker's picture.
// Any input while it waits ends it.
void FirstScene() {
  const uint8_t* text = kTextEndingCredits;
  for (int g = 0; g < kEndingGroups; g++) {
    const EndingGroupTimes& times = kEndingGroupTimes[g];
    SetTextWhite();
    text = DrawCredit(text, 0);
    if (WaitSceneOrInput(times.glow)) return;
    Glow();
    if (g == kEndingGroups - 1) break;
    if (WaitSceneOrInput(times.leave)) return;
    PalFadeToWhite(1);
    ComposeShrunkBackground(kGroupBackgrounds[g]);
    ShowBackFrame();
    if (WaitSceneOrInput(times.back)) return;
    SetTextWhite();
    PalFadeInFromWhite(2);
  }
  if (WaitSceneOrInput(kMakerMs)) return;
  PalFadeToWhite(2);
  PalSetEntry(0, 255, 255, 255);
  FillFrame(ScreenFrame, 0);
  FillFrame(BackFrame, 0);
  DrawMakerPicture();
  ShowBackFrame();
  ScreenUpdate();
  if (WaitSceneOrInput(kMakerShownMs)) return;
  WeatherSet(WeatherPetals);
  PalFadeInFromWhite(2);
  WaitClick();
}

// Captions in the strip at the bottom while the backgrounds change above them; then the maker's
// picture under caption 12 and the last caption.
void SecondScene() {
  const uint8_t* text = kTextEndingCaptions;
  for (int g = 0; g < kEndingGroups; g++) {
    const EndingGroupTimes& times = kEndingGroupTimes[g];
    text = ShowCaption(text, times.leave);
    if (g == kEndingGroups - 1) break;
    WaitScene(times.leave);
    FadeToWhiteKeepUi(1);
    ComposeShrunkBackground(kGroupBackgrounds[g]);
    FrameCopyRect(BackFrame, ScreenFrame, kCaptionStrip);
    WeatherSet(WeatherPetals);
    ShowBackFrame();
    text = ShowCaption(text, times.back);
    WaitScene(times.back);
    FadeFromWhiteKeepUi(2);
  }
  WaitScene(kMakerMs);
  FadeToWhiteKeepUi(2);
  PalSetEntry(0, 255, 255, 255);
  FillFrame(BackFrame, 0);
  DrawMakerPicture();
  ScreenBusy = 1;
  const uint8_t weather = WeatherOverlayOff();
  FrameCopy(ScreenFrame, BackFrame);
  if (RememberedCaption) RunMessage(0, kCaptionY, RememberedCaption, kInk, kShade, false, false);
  FrameCopyRect(BackFrame, ScreenFrame, kCaptionStrip);
  if (weather != 0) WeatherOverlayOn(weather);
  ScreenUpdate();
  ScreenBusy = 0;
  WaitScene(kMakerShownMs);
  FadeFromWhiteKeepUi(2);
  ShowCaption(text, kLastCaption);
  WaitClick();
}

// Black screen and frames, the start palette, the music fading out.
void Close() {
  WeatherStop();
  FrameClearAndShow(ScreenFrame);
  FrameClear(BackFrame);
  PalSetInitial();
  PalCopy(ScenePalette, InitialPalette);
  PalShow();
  CdSuspend();
  CdFadeOut();
}

}  // namespace

// [SECTION] Steps of the scenes

void WaitScene(uint32_t t) {
  while (!Reached(t)) PumpMessagesUntil(SceneStart + t);
}

bool WaitSceneOrInput(uint32_t t) {
  ClearInput();
  for (;;) {
    if (InputTriggers & (InputOk | InputCancel)) {
      ClearInput();
      return true;
    }
    if (Reached(t)) return false;
    PumpMessagesUntil(SceneStart + t);
  }
}

void ScaleDown(uint8_t* dst, const uint8_t* src, int w, int h) {
  w = std::clamp(w, 0, kFrameWidth);
  h = std::clamp(h, 0, kFrameHeight);
  // Rows from the top of the picture: the frames are stored bottom-up.
  auto row = [](auto* pixels, int y) { return pixels + (kFrameHeight - 1 - y) * kFrameWidth; };
  int out = 0;
  for (int y = 0, rows = kFrameHeight; y < kFrameHeight && out < h; y++) {
    const bool keep = rows <= h;
    if (keep) rows += kFrameHeight;
    rows -= h;
    if (!keep) continue;
    const uint8_t* from = row(src, y);
    uint8_t* to = row(dst, out++);
    int x = 0;
    for (int c = 0, columns = kFrameWidth; c < kFrameWidth && x < w; c++) {
      const bool take = columns <= w;
      if (take) columns += kFrameWidth;
      columns -= w;
      if (take) to[x++] = from[c];
    }
  }
}

void ShrinkPicture(uint8_t weather) {
  const uint32_t start = PlatTicks();
  int previous = 1000;
  for (bool last = false; !last;) {
    const uint32_t t = std::min(ElapsedSince(start), kShrinkMs);
    int z = static_cast<int>(1000 - t * 15 / 100);
    if (z <= 700) {
      z = 700;
      last = true;
    }
    if (z != previous) {
      FillFrame(ScreenFrame, kGround);
      ScaleDown(Pixels(ScreenFrame), Pixels(BackFrame), kFrameWidth * z / 1000,
                kFrameHeight * z / 1000);
      MemUnlock(BackFrame);
      MemUnlock(ScreenFrame);
      if (weather != 0) {
        WeatherOverlayOn(weather);
        ScreenUpdate();
        WeatherOverlayOff();
      } else {
        ScreenUpdate();
      }
      previous = z;
    }
    PumpMessages();
  }
}

const uint8_t* ShowCaption(const uint8_t* text, uint32_t until) {
  if (CaptionIndex >= kEndingCaptions || *text == 0xAF) return text;
  const uint32_t at = kCaptionTimes[CaptionIndex];
  if (at > until) return text;
  WaitScene(at);
  if (CaptionIndex == 12) RememberedCaption = text;
  const uint8_t ground = CaptionIndex == kEndingCaptions - 1 ? 0 : kGround;
  CaptionIndex++;
  return DrawCredit(text, kCaptionY, &kCaptionStrip, ground);
}

// [SECTION] Scenes

void EndingScene(uint8_t which) {
  const uint16_t kept = PlayMode;
  PlayMode = PlayModeEnding;
  CaptionIndex = 0;
  RememberedCaption = nullptr;
  if (Opening(which)) {
    if (which == 0) {
      FirstScene();
    } else {
      SecondScene();
    }
  }
  PalFadeOutAny(1);
  Close();
  PlayMode = kept;
}
