// The effect frame shared by the show effects, the transitions and the screen effects.
#include "graphics/effect_frame.h"

#include "app/app.h"
#include "app/presentation.h"
#include "graphics/frame.h"
#include "graphics/weather.h"
#include "resources/memory.h"

Effect EffectBegin() {
  Effect e{};
  ScreenBusy = 1;
  e.weatherMode = WeatherOverlayOff();
  e.weather = e.weatherMode != 0;
  e.screen = MemLock(ScreenFrame);
  e.back = MemLock(BackFrame);
  return e;
}

void EffectEnd(const Effect& e) {
  MemUnlock(BackFrame);
  MemUnlock(ScreenFrame);
  if (e.weather) WeatherOverlayOn(e.weatherMode);
  ScreenBusy = 0;
}

void RepaintDirty(const Effect& e) {
  if (!e.weather) {
    ScreenUpdate(DirtyRect);
    return;
  }
  WeatherOverlayOn(e.weatherMode);
  ScreenUpdate();
  WeatherOverlayOff();
  DirtyRect = kEmptyRect;
}

void RepaintWhole(const Effect& e) {
  if (e.weather) WeatherOverlayOn(e.weatherMode);
  ScreenUpdate();
  if (e.weather) WeatherOverlayOff();
}

bool DeepDisplay() {
  return DisplayBpp > 8;
}

PlatRect ZoomClientRect() {
  if (ScreenMode == kModeFullScreen) {
    return PlatRect{0, -MenuBarHeight, kFrameWidth, kFrameHeight - MenuBarHeight};
  }
  return PlatRect{0, 0, ClientWidth, ClientHeight};
}
