// The player's preferences, kept in the per-user settings store, and the window's menu with
// the handling of its commands.
#pragma once

#include <cstdint>
#include <span>

#include "platform/platform.h"

// [SECTION] Setting flags (0 or 1)
// Start values from SetDefaults, then the stored ones; every change is stored at once.
extern uint16_t MusicOn;
extern uint16_t PcmOn;
extern uint16_t ReadTextFast;
extern uint16_t MouseMove;
extern uint16_t WeatherOn;
extern uint16_t CalendarFast;
extern uint16_t SpecLow;
extern uint32_t FontNo;

// Menu commands.
enum : uint16_t {
  kMenuMusic = 40021,
  kMenuPcm = 40022,
  kMenuReadTextFast = 40023,
  kMenuMouseMove = 40024,
  kMenuWeather = 40025,
  kMenuCalendarFast = 40026,
  kMenuSkipToChoice = 40030,
  kMenuHelpKeyword = 40040,
  kMenuHelpOnHelp = 40041,
  kMenuVersion = 40042,
  kMenuQuit = 40050,
};

// The window's menu bar, in the order the host shows it.
std::span<const PlatMenuItem> SettingsMenu();

// Reads the eight stored values; a missing value takes its default, a missing key changes
// nothing.
void SettingsLoad();
// Stores the flags and the screen size.
void SettingsSave();
// The "Rekka" value, 0 when missing.
uint32_t ReadFirstRunFlag();
// Sets the check marks of 40021..40026 from the flags.
void SettingsCheckMenu();
// WM_COMMAND: every menu command.
void SettingsCommand(uint16_t command);
