// Window presentation and display modes: what the window shows of the screen frame and how
// the size menu and full screen change it.
#include "app/presentation.h"

#include "app/app.h"
#include "app/settings.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "platform/platform.h"
#include "resources/memory.h"

uint16_t ScreenMode = kModeStartSize;
uint16_t ModeBeforeFullScreen;
uint16_t ClientWidth = 640, ClientHeight = 480;
uint16_t LogicalWidth = 640, LogicalHeight = 480;
uint16_t MenuBarShown;
uint32_t MinimisedDisplayChange;
uint16_t DisplayBpp;

const WindowSize WindowSizeTable[8] = {{320, 240}, {480, 360},  {640, 480},  {800, 600},
                                       {960, 720}, {1024, 768}, {1280, 960}, {1600, 1200}};

namespace {

// Greys every size item that does not fit the display; a size equal to it stays enabled.
void EnableFittingSizes() {
  for (int i = 0; i < 8; i++) {
    const bool fits =
        WindowSizeTable[i].width <= ScreenWidth && WindowSizeTable[i].height <= ScreenHeight;
    PlatMenuEnable(kModeFirstSize + i, fits);
  }
}

}  // namespace

void PresentReadMetrics() {
  const PlatMetrics m = PlatGetMetrics();
  FixedFrameX = static_cast<uint16_t>(m.fixedFrameX);
  FixedFrameY = static_cast<uint16_t>(m.fixedFrameY);
  MenuBarHeight = static_cast<uint16_t>(m.menuBarHeight);
  CaptionHeight = static_cast<uint16_t>(m.captionHeight);
  ScreenHeight = static_cast<uint16_t>(m.screenHeight);
  ScreenWidth = static_cast<uint16_t>(m.screenWidth);
}

namespace {

// Moves the window so that its client area is width x height, centred on the display.
void MoveCentred(int windowWidth, int windowHeight) {
  PlatMoveWindow((ScreenWidth - windowWidth) / 2, (ScreenHeight - windowHeight) / 2, windowWidth,
                 windowHeight);
}

void EnterFullScreen() {
  if (ScreenMode == kModeFullScreen) return;
  ModeBeforeFullScreen = ScreenMode;
  ScreenMode = kModeFullScreen;
  PlatDisplayMode mode;
  mode.width = 640;
  mode.height = 480;
  if (PlatChangeDisplayMode(mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
    ScreenMode = ModeBeforeFullScreen;
    ModeBeforeFullScreen = kModeOtherSize;
    return;
  }
  if (PlatIsZoomed()) PlatRestoreWindow();
  PlatSetTopmost(true);
  PlatSetFullScreen(true);
  ClientWidth = 640;
  ClientHeight = 480;
  PlatMoveWindow(-FixedFrameX, -(CaptionHeight + FixedFrameY), 640 + 2 * FixedFrameX,
                 480 + 2 * FixedFrameY + CaptionHeight + MenuBarHeight);
  PlatInvalidate(nullptr);
  MenuBarShown = 0;
  PresentCheckSizeItems();
  SettingsSave();
  PlatShowCursor(false);
  ModeBeforeFullScreen = kModeOtherSize;
}

void LeaveFullScreen(uint16_t command) {
  PlatMenuCheck(kModeFullScreen, false);
  ModeBeforeFullScreen = command;
  ScreenMode = kModeOtherSize;
  PlatSetTopmost(false);
  PlatSetFullScreen(false);
  PlatDisplayMode mode;
  mode.width = static_cast<int>(DesktopWidth);
  mode.height = static_cast<int>(DesktopHeight);
  PlatChangeDisplayMode(mode, CDS_FULLSCREEN);
  ScreenMode = kModeStartSize;
  ModeBeforeFullScreen = kModeOtherSize;
  PlatShowCursor(true);
}

void SelectWindowSize(uint16_t command) {
  if (ScreenMode == command) return;
  if (ScreenMode == kModeFullScreen) LeaveFullScreen(command);
  const WindowSize size = WindowSizeTable[command - kModeFirstSize];
  if (size.width > ScreenWidth || size.height > ScreenHeight) {
    SettingsSave();
    return;
  }
  int windowWidth, windowHeight;
  if (ScreenMode != command) {
    ClientWidth = ClientHeight = 0;
    ScreenMode = command;
  }
  PresentCheckSizeItems();
  PlatAdjustWindowRect(size.width, size.height, windowWidth, windowHeight);
  MoveCentred(windowWidth, windowHeight);
  if (ClientWidth != size.width || ClientHeight != size.height) {
    // The menu bar took more room than one line (a narrow window): grow by the shortfall once.
    ScreenMode = command;
    MoveCentred(windowWidth - ClientWidth + size.width, windowHeight - ClientHeight + size.height);
  }
  PlatDrawMenuBar();
  PlatInvalidate(nullptr);
  SettingsSave();
}

}  // namespace

// [SECTION] Handlers

int64_t PresentCreate() {
  DisplayBpp = static_cast<uint16_t>(PlatDisplayBpp());
  PalResetTables();
  PresentReloadPalette();
  ScreenFrame = FrameCreate("VmemDIB");
  BackFrame = FrameCreate("VbufDIB");
  PresentReadMetrics();
  PlatMenuEnable(kModeFullScreen, PlatHasDisplayMode(640, 480));
  EnableFittingSizes();
  PlatMenuEnable(kMenuSkipToChoice, false);
  ScreenMode = kModeStartSize;
  PresentCheckSizeItems();
  MinimisedDisplayChange = 0;
  PlatInvalidate(nullptr);
  return 0;
}

void PresentPaint() {
  const PlatRect update = PlatBeginPaint();
  const int updateTop = update.Empty() ? 480 : update.top;
  if (DisplayBpp > 8) PresentReloadPalette();
  if (MemSize(ScreenFrame) >= kFrameBlockSize) {
    const uint8_t* frame = MemLock(ScreenFrame);
    const uint8_t* pixels = frame + kFramePixelsOffset;
    const PlatColourTable table = frame + kFrameColourTableOffset;
    if (ScreenMode == kModeFullScreen) {
      if (MenuBarShown == 0 && MenuBarHeight > updateTop) PlatDrawMenuBar();
      PlatDrawPicture(pixels, MenuBarHeight, 480 - MenuBarHeight, 0, 0, 640, 480 - MenuBarHeight,
                      table);
    } else if (ScreenMode == kModeStartSize) {
      PlatDrawPicture(pixels, 0, 480, 0, 0, 640, 480, table);
    } else {
      PlatDrawPicture(pixels, 0, 480, 0, 0, ClientWidth, ClientHeight, table);
    }
    MemUnlock(ScreenFrame);
  }
  PlatEndPaint();
}

bool PresentNcPaint() {
  if (ScreenMode != kModeFullScreen || MenuBarShown != 0) return false;
  if (MemSize(ScreenFrame) < kFrameBlockSize) return false;
  PresentReloadPalette();
  const uint8_t* frame = MemLock(ScreenFrame);
  PlatDrawPictureOverMenuBar(frame + kFramePixelsOffset, MenuBarHeight,
                             frame + kFrameColourTableOffset);
  MemUnlock(ScreenFrame);
  return true;
}

void PresentSize(uint16_t width, uint16_t height) {
  if (ScreenMode == kModeFullScreen) return;
  ClientWidth = width;
  ClientHeight = height;
  ScreenMode = kModeOtherSize;
  for (int i = 0; i < 8; i++) {
    if (WindowSizeTable[i].width == width && WindowSizeTable[i].height == height) {
      ScreenMode = static_cast<uint16_t>(kModeFirstSize + i);
    }
  }
  PlatInvalidate(nullptr);
}

void PresentDisplayChange() {
  if (PlatIsMinimised()) {
    MinimisedDisplayChange = 1;
    return;
  }
  PresentReadMetrics();
  if (ScreenMode != kModeFullScreen) {
    EnableFittingSizes();
    if (ModeBeforeFullScreen == kModeOtherSize) PresentModeCommand(kModeStartSize);
  }
}

void PresentHitTest(bool inClient) {
  if (ScreenMode != kModeFullScreen) return;
  if (!inClient && MenuBarShown == 0) {
    PlatShowCursor(true);
    MenuBarShown = 1;
    PlatDrawMenuBar();
  } else if (inClient && MenuBarShown == 1) {
    PlatShowCursor(false);
    MenuBarShown = 0;
    PlatDrawMenuBar();
  }
}

void PresentMenuSelect() {
  if (ScreenMode != kModeFullScreen || MenuBarShown != 0) return;
  MenuBarShown = 1;
  PlatShowCursor(true);
  PlatDrawMenuBar();
}

void PresentModeCommand(uint16_t command) {
  if (command == kModeFullScreen) {
    EnterFullScreen();
  } else if (command >= kModeFirstSize && command <= kModeLastSize) {
    SelectWindowSize(command);
  }
}

void PresentReloadPalette() {
  PlatSetPalette(0, ShownPalette);
}

void PresentCheckSizeItems() {
  for (uint16_t id = kModeFullScreen; id <= kModeLastSize; id++) {
    PlatMenuCheck(id, id == ScreenMode);
  }
}
