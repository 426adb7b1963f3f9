// Window presentation: the display palette, painting the screen frame at every window size and
// in full screen, switching modes from the size menu, and the menu bar in full screen.
#pragma once

#include <cstdint>

// Modes are named by their menu commands.
constexpr uint16_t kModeFullScreen = 40000;
constexpr uint16_t kModeFirstSize = 40001;  // 320 x 240
constexpr uint16_t kModeStartSize = 40003;  // 640 x 480, painted 1:1
constexpr uint16_t kModeLastSize = 40008;   // 1600 x 1200, reachable only from the settings
constexpr uint16_t kModeOtherSize = 40009;  // a client size matching no table entry

// [SECTION] Display state
extern uint16_t ScreenMode;
extern uint16_t ModeBeforeFullScreen;  // 40009 when no switch is under way
extern uint16_t ClientWidth, ClientHeight;
extern uint16_t LogicalWidth, LogicalHeight;
extern uint16_t MenuBarShown;            // full screen: the real menu bar is visible
extern uint32_t MinimisedDisplayChange;  // a display change arrived while minimised
extern uint16_t DisplayBpp;

struct WindowSize {
  uint16_t width, height;
};
// Client sizes of the commands 40001..40008.
extern const WindowSize WindowSizeTable[8];

// [SECTION] Window-procedure handlers
int64_t PresentCreate();
void PresentPaint();
// Full screen with the menu bar hidden: the picture's top rows go where the bar is.
bool PresentNcPaint();
void PresentSize(uint16_t width, uint16_t height);
void PresentDisplayChange();
// The full-screen part of the hit test.
void PresentHitTest(bool inClient);
void PresentMenuSelect();
// Commands 40000..40008.
void PresentModeCommand(uint16_t command);
// Reads the frame, menu-bar and caption sizes and the display size from the host.
void PresentReadMetrics();
// Loads entries 0..235 of the shown palette into the window palette.
void PresentReloadPalette();
// Sets the check marks of the size menu from ScreenMode.
void PresentCheckSizeItems();
