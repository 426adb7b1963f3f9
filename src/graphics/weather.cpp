// The weather overlay: 60 rain drops or 30 (or 10) cherry petals over the screen frame. The
// pixels under every particle are kept in the weather buffer, one 256-byte slot a particle, and
// put back only where the screen still shows an overlay colour, so that a picture drawn over
// the overlay in the meantime stays as it was drawn.
#include "graphics/weather.h"

#include <algorithm>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/show.h"
#include "resources/memory.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"
#include "screens/background.h"

WeatherParticle WeatherParticles[kWeatherParticles];
uint32_t WeatherMoves = 0, WeatherLastMove = 0;
uint16_t WeatherPutOnRequest = 0, WeatherTakeOffRequest = 0;

// [SECTION] Petal shapes
// Frame 0 lies flat; the petal then turns about its long axis (1, 2: edge on, 3..5: its
// darker back, 6: edge on again, 7), tilting a little one way as it turns away and the other
// as it comes back.

namespace {

constexpr const char* kLargeRows[8][16] = {
    {"................", "...466642.......", "..688888664.....", "484468888886....",
     "6422466888886...", "42444442468884..", "24444444442886..", ".22444444442682.",
     ".........224264.", "............2262", ".............244", "..............26",
     "...............4", "...............2", "...............2", "................"},
    {"................", "....46642.......", "....888864......", "....4688886.....",
     "..4824688886....", "..6444424888....", "..42444442882...", "..24444444264...",
     ".........24262..", "...........244..", "............26..", ".............4..",
     ".............2..", ".............2..", "................", "................"},
    {"................", "......46........", "......886.......", "......488.......",
     "......268.......", "......4464......", "......4446......", "......4448......",
     "........26......", ".........2......", ".........2......", "................",
     "................", "................", "................", "................"},
    {"................", ".......13553....", "......35777773..", ".....577775335..",
     "....5777753113..", "....7773133331..", "....771333331...", "....51333333....",
     "...1131.........", "...31...........", "..15............", "..33............",
     "..51............", "..3.............", "..1.............", "..1............."},
    {"................", ".......135553...", ".....355777775..", "....577777753373",
     "...5777775531135", "..37775313333313", "..57713333333331", ".17513333333311.",
     ".351311.........", "1511............", "331.............", "51..............",
     "3...............", "1...............", "1...............", "................"},
    {"................", ".......13553....", "......357777....", ".....5777753....",
     "....5777753173..", "....7773133335..", "...17713333313..", "...35133333331..",
     "..15131.........", "..331...........", "..51............", "..3.............",
     "..1.............", "..1.............", "................", "................"},
    {"................", "........53......", ".......577......", ".......773......",
     ".......751......", "......3533......", "......5333......", "......7333......",
     "......51........", "......1.........", "......1.........", "................",
     "................", "................", "................", "................"},
    {"................", "....46642.......", "..48888864......", "..644688886.....",
     "..4224688886....", "..2444424888....", "...244444288....", "....44444426....",
     ".........2422...", "...........24...", "............62..", "............44..",
     "............26..", ".............4..", ".............2..", ".............2.."},
};

// The small petal bobs down a row as it comes back from its back.
constexpr const char* kSmallRows[8][8] = {
    {"........", ".68864..", "6246886.", "2444428.", ".....224", ".......4", "........",
     "........"},
    {"........", "..686...", ".62686..", ".24448..", ".....24.", "......4.", "........",
     "........"},
    {"........", "...84...", "...48...", "...42...", "....2...", "........", "........",
     "........"},
    {"........", "...575..", "..57515.", "..73331.", ".31.....", ".3......", "........",
     "........"},
    {"........", "..35775.", ".5775315", ".7133331", "311.....", "3.......", "........",
     "........"},
    {"........", "........", "...575..", "..57515.", "..73331.", ".31.....", ".3......",
     "........"},
    {"........", "........", "...37...", "...73...", "...13...", "...1....", "........",
     "........"},
    {"........", "........", "..686...", ".62686..", ".24448..", ".....24.", "......4.",
     "........"},
};

constexpr uint8_t Cell(char c) {
  return c == '.' ? 0 : static_cast<uint8_t>(c - '0');
}

constexpr WeatherPetalShapes BuildPetals() {
  WeatherPetalShapes t{};
  for (int f = 0; f < 8; f++) {
    for (int y = 0; y < 16; y++) {
      for (int x = 0; x < 16; x++) t.large[f][y][x] = Cell(kLargeRows[f][y][x]);
    }
    for (int y = 0; y < 8; y++) {
      for (int x = 0; x < 8; x++) t.small[f][y][x] = Cell(kSmallRows[f][y][x]);
    }
  }
  return t;
}

}  // namespace

constinit const WeatherPetalShapes PetalShapes = BuildPetals();

// [SECTION] Colours

namespace {

using Rgb = uint8_t[3];
constexpr Rgb kRainBright[8] = {{255, 255, 255}, {239, 247, 255}, {223, 239, 255}, {207, 231, 255},
                                {191, 223, 255}, {175, 215, 255}, {159, 207, 255}, {143, 199, 255}};
constexpr Rgb kRainDull[8] = {{159, 159, 159}, {149, 154, 159}, {139, 149, 159}, {129, 144, 159},
                              {119, 139, 159}, {109, 134, 159}, {99, 129, 159},  {89, 124, 159}};
constexpr Rgb kPetalColours[8] = {{228, 152, 178}, {231, 154, 190}, {235, 166, 200},
                                  {239, 179, 211}, {243, 192, 222}, {247, 205, 233},
                                  {251, 218, 244}, {255, 231, 255}};

void SetOverlayColours(const Rgb (&colours)[8]) {
  for (int i = 0; i < 8; i++) {
    ScenePalette[kPalWeatherFirst + i] = {colours[i][0], colours[i][1], colours[i][2], PC_RESERVED};
  }
}

}  // namespace

void WeatherRainColours(uint8_t background, PalEntry colours[8]) {
  const auto& rain = background / kBgScenesPerGroup < 2 ? kRainBright : kRainDull;
  for (int i = 0; i < 8; i++) colours[i] = {rain[i][0], rain[i][1], rain[i][2], PC_RESERVED};
}

// [SECTION] The step

namespace {

constexpr uint32_t kSlotSize = 256;
constexpr uint32_t kMoveMs = 80;  // the timer's period: particles move at most this often
constexpr uint8_t kOverlayFirst = kPalWeatherFirst;
constexpr uint8_t kOverlayEnd = kPalInterfaceFirst;  // one past the last overlay colour
constexpr int kRainDrops = kWeatherParticles;
constexpr int kDropSteps = 32;  // a drop: 32 steps of one pixel across and two down

// What one step works on: the screen's pixels, the saved pixels and the part of the frame it
// changed.
struct StepCanvas {
  uint8_t* screen;
  uint8_t* saved;
  Rect touched = kEmptyRect;

  static bool Inside(int x, int y) {
    return x >= 0 && x < kFrameWidth && y >= 0 && y < kFrameHeight;
  }
  uint8_t& Pixel(int x, int y) const {
    return screen[static_cast<size_t>(kFrameHeight - 1 - y) * kFrameWidth + x];
  }
  // Puts a saved pixel back where the screen still shows the overlay.
  void Restore(int x, int y, uint8_t kept) const {
    uint8_t& p = Pixel(x, y);
    if (kept < kOverlayFirst && p >= kOverlayFirst && p < kOverlayEnd) p = kept;
  }
  // Widens the touched part by a w x h box at (x, y) when it reaches into the frame.
  void Touch(int x, int y, int w, int h) {
    if (x + w <= 0 || x >= kFrameWidth || y + h <= 0 || y >= kFrameHeight) return;
    RectExtend(touched, x, y, x + w - 1, y + h - 1);
  }
};

// Whether the particles move in this step: always when the timer drives the overlay, at most
// once per timer period while another operation puts it on and takes it off.
bool TimeToMove() {
  const uint32_t now = PlatTicks();
  if (ScreenBusy != 0 && ElapsedSince(WeatherLastMove) <= kMoveMs) return false;
  WeatherLastMove = now;
  return true;
}

// Drop i's slot holds, for step j, the pixel at (x + j, y + 2j) at byte 2j and the one below
// it at byte 2j + 1.
void RainOff(StepCanvas& c) {
  for (int i = 0; i < kRainDrops; i++) {
    const WeatherParticle& d = WeatherParticles[i];
    const uint8_t* slot = c.saved + i * kSlotSize;
    for (int j = 0; j < kDropSteps; j++) {
      for (int k = 0; k < 2; k++) {
        const int x = d.x + j, y = d.y + 2 * j + k;
        if (StepCanvas::Inside(x, y)) c.Restore(x, y, slot[2 * j + k]);
      }
    }
    c.Touch(d.x, d.y, kDropSteps, 2 * kDropSteps);
  }
}

void RainMove(bool ending) {
  for (WeatherParticle& d : WeatherParticles) {
    d.x += 32;
    d.y += 64;
    if (d.x >= 672) d.x -= 704;
    if (!ending && d.y >= 544) d.y -= 608;
  }
  WeatherMoves++;
}

// Answers whether any point of a drop lay inside the frame.
bool RainOn(StepCanvas& c) {
  bool inside = false;
  for (int i = 0; i < kRainDrops; i++) {
    const WeatherParticle& d = WeatherParticles[i];
    uint8_t* slot = c.saved + i * kSlotSize;
    for (int j = 0; j < kDropSteps; j++) {
      // The head of the drop (its top-left corner) is the brightest.
      const uint8_t colour = static_cast<uint8_t>(kOverlayFirst + (kDropSteps - 1 - j) / 4);
      for (int k = 0; k < 2; k++) {
        const int x = d.x + j, y = d.y + 2 * j + k;
        if (!StepCanvas::Inside(x, y)) continue;
        inside = true;
        uint8_t& p = c.Pixel(x, y);
        slot[2 * j + k] = p;
        if (p < kOverlayFirst) p = colour;
      }
    }
    c.Touch(d.x, d.y, kDropSteps, 2 * kDropSteps);
  }
  return inside;
}

// Petal pair p keeps the large petal's 16 x 16 pixels in slot 2p and the small one's 8 x 8 in
// slot 2p + 1, rows top first.
template <int N>
void PetalOff(StepCanvas& c, int i) {
  const WeatherParticle& q = WeatherParticles[i];
  const uint8_t* slot = c.saved + i * kSlotSize;
  for (int row = 0; row < N; row++) {
    for (int col = 0; col < N; col++) {
      const int x = q.x + col, y = q.y + row;
      if (StepCanvas::Inside(x, y)) c.Restore(x, y, slot[row * N + col]);
    }
  }
  c.Touch(q.x, q.y, N, N);
}

// A swaying petal's phase and sway (across, down) by i mod 4, and a straight petal's course.
constexpr uint16_t kSwayPhase[4] = {0, 90, 45, 135};
constexpr int kSway[4][2] = {{20, 4}, {8, 2}, {15, 3}, {5, 1}};
constexpr int kStraight[4][2] = {{16, 8}, {6, 3}, {12, 6}, {4, 2}};

void PetalsMove(int n, bool ending) {
  for (int i = 0; i < n; i++) {
    WeatherParticle& q = WeatherParticles[i];
    const int c = i % 4;
    if ((i / 4) % 4 == 0) {
      const uint32_t a = ((WeatherMoves + 10 * (i / 16)) * 4 + kSwayPhase[c]) % 180;
      const int32_t s = SinDeg(static_cast<uint16_t>(a));  // 0..32767 over 0..179 degrees
      q.x += s * kSway[c][0] / 32768;
      q.y += s * kSway[c][1] / 32768 + kSway[c][1];
    } else {
      q.x += kStraight[c][0];
      q.y += kStraight[c][1];
    }
    if (ending) {
      q.x += 8;
      q.y += 4;
    } else {
      if (q.x >= 656) q.x -= 672;
      if (q.y >= 496) q.y -= 512;
    }
  }
  WeatherMoves++;
}

// Saves the pixels under a petal and paints it over the colours below `below`; answers whether
// it painted anything.
template <int N>
bool PetalOn(StepCanvas& c, int i, const uint8_t (&shape)[N][N], uint8_t below) {
  const WeatherParticle& q = WeatherParticles[i];
  uint8_t* slot = c.saved + i * kSlotSize;
  bool painted = false;
  for (int row = 0; row < N; row++) {
    for (int col = 0; col < N; col++) {
      const int x = q.x + col, y = q.y + row;
      if (!StepCanvas::Inside(x, y)) continue;
      uint8_t& p = c.Pixel(x, y);
      slot[row * N + col] = p;
      const uint8_t v = shape[row][col];
      if (v != 0 && p < below) {
        p = static_cast<uint8_t>(kOverlayFirst - 1 + v);
        painted = true;
      }
    }
  }
  c.Touch(q.x, q.y, N, N);
  return painted;
}

constexpr uint8_t kLargeBelow = kPalInterfaceFirst;   // in front of all but the interface
constexpr uint8_t kSmallBelow = kPalCharacterAFirst;  // behind the characters

// One step of either kind. `off`, `move` and `on` do the kind's work; `on` answers whether it
// left anything on the screen.
template <typename Off, typename Move, typename On>
void RunStep(bool ending, Off off, Move move, On on) {
  uint8_t* block = MemLock(ScreenFrame);
  StepCanvas c{block + kFramePixelsOffset, MemLock(WeatherBuffer)};
  if (WeatherPutOnRequest != 1) off(c);
  if (TimeToMove()) move();
  bool shown = false;
  if (WeatherTakeOffRequest == 1) {
    WeatherMode = WeatherNone;
  } else {
    shown = on(c);
  }
  WeatherPutOnRequest = 0;
  WeatherTakeOffRequest = 0;
  if (!shown && ending) WeatherMode = WeatherNone;  // the last particle has left the screen
  if (ScreenBusy == 0) {
    // What others left for the overlay to show goes with it (a notice drawn while it falls).
    if (!RectIsEmpty(DirtyRect)) {
      RectUnion(c.touched, DirtyRect);
      DirtyRect = kEmptyRect;
    }
    ScreenUpdate(c.touched);
  }
  MemUnlock(WeatherBuffer);
  MemUnlock(ScreenFrame);
}

void RainStep() {
  const bool ending = WeatherMode == WeatherRainEnding;
  RunStep(
      ending, [](StepCanvas& c) { RainOff(c); }, [ending] { RainMove(ending); },
      [](StepCanvas& c) { return RainOn(c); });
}

void PetalStep(int n) {
  const bool ending = WeatherMode == WeatherPetalsEnding;
  RunStep(
      ending,
      [n](StepCanvas& c) {
        for (int i = 0; i < n; i += 2) {
          PetalOff<16>(c, i);
          PetalOff<8>(c, i + 1);
        }
      },
      [n, ending] { PetalsMove(n, ending); },
      [n](StepCanvas& c) {
        const uint32_t f = WeatherMoves / 2;
        bool painted = false;
        for (int i = 0; i < n; i += 2) {
          painted |= PetalOn(c, i, PetalShapes.large[(f + i) % 8], kLargeBelow);
          painted |= PetalOn(c, i + 1, PetalShapes.small[(f + i + 1) % 8], kSmallBelow);
        }
        return painted;
      });
}

// How many particles a mode draws and of which kind: 0 none, 1 rain, 2 the 30 petals, 3 the
// 10 petals.
int OverlayKind(uint8_t mode) {
  if (mode >= WeatherRain && mode <= WeatherRainEnding) return 1;
  if (mode >= WeatherPetals && mode <= WeatherPetalsEnding) return 2;
  if (mode >= WeatherFewPetals && mode <= WeatherFewPetalsKeep) return 3;
  return 0;
}

}  // namespace

void WeatherStep() {
  if (MemSize(WeatherBuffer) < kWeatherBufferSize || WeatherMode == WeatherNone) return;
  if (WeatherOn == 0) {
    // With the setting off nothing is drawn, but a running mode stays; an ending one ends.
    if (WeatherMode == WeatherRainEnding || WeatherMode == WeatherPetalsEnding) {
      WeatherMode = WeatherNone;
    }
    WeatherPutOnRequest = 0;
    WeatherTakeOffRequest = 0;
    return;
  }
  // "sWtr": every caller runs on the one thread and a step never starts another, so it is
  // always free here; it marks the step under way.
  WeatherSemaphore = 0;
  switch (OverlayKind(WeatherMode)) {
    case 1:
      RainStep();
      break;
    case 2:
      PetalStep(30);
      break;
    case 3:
      PetalStep(10);
      break;
    default:
      break;
  }
  WeatherSemaphore = 1;
}

// [SECTION] Starting and stopping

namespace {

// Longest wait for the timer to take the overlay off: three of its periods. A timer that does
// not come (stopped, or held off by busy drawing) leaves the work to a step run here.
constexpr uint32_t kStopWaitMs = 3 * kMoveMs;

// Whether the weather should skip its slow parts: skipping to the next choice, or fast reading
// of text already read.
bool Hurried() {
  return SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1);
}

bool Ending(uint8_t mode) {
  return mode == WeatherRainEnding || mode == WeatherPetalsEnding;
}

// A column for a particle: at random over 352 pixels, from -32 (left) or from 288 (right).
int32_t ScatteredX(bool right) {
  return Random(2) * 352 / 256 + (right ? 320 : 0) - 32;
}

}  // namespace

void WeatherStop() {
  if (WeatherOn == 1) {
    if (WeatherMode == WeatherNone) {
      // Nothing on the screen: no request may stay behind for the next weather's first step.
      WeatherTakeOffRequest = 0;
      return;
    }
    WeatherTakeOffRequest = 1;
    const uint32_t start = PlatTicks();
    while (WeatherMode != WeatherNone && WeatherOn != 0) {
      if (ElapsedSince(start) > kStopWaitMs) {
        WeatherStep();
        break;
      }
      PumpMessages();
    }
    return;
  }
  WeatherPutOnRequest = 0;
  WeatherTakeOffRequest = 0;
  WeatherMode = WeatherNone;
}

void WeatherSet(uint8_t mode) {
  if (MemSize(WeatherBuffer) < kWeatherBufferSize || mode == WeatherMode) return;
  if (mode == WeatherNone) {
    WeatherStop();
    return;
  }
  if (Hurried()) {
    // A new weather starts at once; an ending one is cut short.
    if (Ending(WeatherMode)) WeatherStop();
    if (mode == WeatherAwaitEnd || Ending(mode)) {
      WeatherStop();
      return;
    }
  }
  if (mode == WeatherAwaitEnd) {
    if (!Ending(WeatherMode)) {
      WeatherStop();
      return;
    }
    while (WeatherMode != WeatherNone && WeatherOn != 0) PumpMessages();
    return;
  }

  const bool places = mode == WeatherRain || mode == WeatherRainEnter || mode == WeatherPetals ||
                      mode == WeatherPetalsEnter || mode == WeatherFewPetals ||
                      mode == WeatherFewPetalsEnter;
  // The overlay on the screen goes before particles are placed anew or drawn another way, so
  // that none of it stays behind.
  const int kind = OverlayKind(mode);
  if (kind != 0 && WeatherMode != WeatherNone && (places || kind != OverlayKind(WeatherMode))) {
    WeatherTakeOffRequest = 1;
    WeatherStep();
    WeatherPutOnRequest = 1;
  }

  if (kind == 1) {
    PalEntry rain[8];
    WeatherRainColours(BgShown, rain);
    std::copy(rain, rain + 8, ScenePalette + kPalWeatherFirst);
    Random(1);
    if (places) {
      for (int i = 0; i < kWeatherParticles; i++) {
        WeatherParticles[i].x = ScatteredX(i % 2 == 1);
        WeatherParticles[i].y = mode == WeatherRain ? 16 * i : -496 * i;
      }
    }
  } else if (kind != 0) {
    SetOverlayColours(kPetalColours);
    Random(1);
    if (places) {
      const bool thirty = kind == 2;
      const bool entering = mode == WeatherPetalsEnter || mode == WeatherFewPetalsEnter;
      for (int i = 0; i < kWeatherParticles; i++) {
        WeatherParticles[i].x = ScatteredX((i & 4) == 0);
        WeatherParticles[i].y = entering ? -40 * i : (thirty ? 16 : 48) * i;
      }
    }
  }
  if (places) {
    WeatherPutOnRequest = 1;
    WeatherTakeOffRequest = 0;
    WeatherMoves = 0;
  }
  if (kind != 0) {
    if (mode == WeatherRainEnter) mode = WeatherRain;
    if (mode == WeatherPetalsEnter) mode = WeatherPetals;
    if (mode == WeatherFewPetalsEnter) mode = WeatherFewPetals;
    WeatherMode = mode;
  }

  std::copy(ScenePalette + kPalWeatherFirst, ScenePalette + kPalInterfaceFirst,
            UnfilteredPalette + kPalWeatherFirst);
  if (PaletteState == PalStateNormal) PalShow();
  if (PaletteState == PalStateDimmed) PalApplyKeepUi(170, 0);
  WeatherLastMove = PlatTicks();
}

// [SECTION] Taking the overlay off and putting it back

uint8_t WeatherOverlayOff() {
  const uint8_t mode = WeatherMode;
  if (mode != WeatherNone) {
    WeatherTakeOffRequest = 1;
    WeatherStep();
  }
  return mode;
}

void WeatherOverlayOn(uint8_t mode) {
  WeatherPutOnRequest = 1;
  WeatherMode = mode;
  WeatherStep();
}
