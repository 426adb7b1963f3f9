// The window procedure: every window message of the game is handled here, re-entered from the
// pump inside waits. Handlers set flags, draw or change the display; only the start message
// carries the game itself.
#include "app/app.h"
#include "app/input.h"
#include "app/presentation.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "graphics/weather.h"
#include "platform/platform.h"
#include "scenario/game_state.h"
#include "screens/main_flow.h"
#include "screens/viewer.h"

namespace {

void ReloadAndRepaint() {
  PresentReloadPalette();
  PlatInvalidate(nullptr);
}

// Every 80 ms: the music poll delay, then a weather step unless the screen frame is being
// rewritten or a modal box is open.
void TimerTick() {
  if (CdPollDelay != 0) CdPollDelay--;
  if (WeatherMode != 0 && ScreenBusy == 0 && ModalBoxOpen == 0) WeatherStep();
}

// A tick with neither a delay to count down nor weather to move changes nothing.
bool TimerQuiet() {
  return CdPollDelay == 0 && WeatherMode == 0;
}

}  // namespace

void StartWindowTimer() {
  PlatSetTimer(1, 80, TimerQuiet);
}

int64_t WndProc(uint32_t message, uint64_t wParam, int64_t lParam) {
  switch (message) {
    case WM_CREATE:
      return PresentCreate();
    case WM_DESTROY:
      ExitGame(nullptr);
    case WM_MOVE:
      ReloadAndRepaint();
      return PlatDefWindowProc(message, wParam, lParam);
    case WM_SIZE:
      PresentSize(PlatLoWord(lParam), PlatHiWord(lParam));
      return PlatDefWindowProc(message, wParam, lParam);
    case WM_ACTIVATE:
      if (MinimisedDisplayChange) {
        MinimisedDisplayChange = 0;
        PlatPostMessage(WM_DISPLAYCHANGE);
      }
      IgnoreNextInput = 1;
      InputTriggers = 0;
      ReloadAndRepaint();
      return PlatDefWindowProc(message, wParam, lParam);
    case WM_PAINT:
      PresentPaint();
      return 0;
    case WM_ACTIVATEAPP:
      InputTriggers = 0;
      if (wParam == 0 && ScreenMode == kModeFullScreen) {
        PlatSendMessage(WM_COMMAND, kModeStartSize);
      }
      return PlatDefWindowProc(message, wParam, lParam);
    case WM_DISPLAYCHANGE:
      PresentDisplayChange();
      PlatDefWindowProc(message, wParam, lParam);
      DisplayChangeSeen = 1;
      return 0;
    case WM_NCHITTEST: {
      const int64_t hit = PlatDefWindowProc(message, wParam, lParam);
      InputHitTest(hit == HTCLIENT);
      PresentHitTest(hit == HTCLIENT);
      return hit;
    }
    case WM_NCPAINT:
      if (PresentNcPaint()) return 0;
      return PlatDefWindowProc(message, wParam, lParam);
    case WM_COMMAND:
      SettingsCommand(PlatLoWord(static_cast<int64_t>(wParam)));
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        AskQuit();
        return 0;
      }
      return PlatDefWindowProc(message, wParam, lParam);
    case WM_TIMER:
      if (wParam == 1) TimerTick();
      return 0;
    case WM_MENUSELECT:
      PresentMenuSelect();
      return PlatDefWindowProc(message, wParam, lParam);
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      InputMouseMessage(message, lParam);
      return 0;
    case WM_MOUSEWHEEL:
      InputWheel(static_cast<int16_t>(PlatHiWord(static_cast<int64_t>(wParam))));
      return 0;
    case WM_QUERYNEWPALETTE:
      ReloadAndRepaint();
      return 0;
    case WM_PALETTECHANGED:
      return 0;
    case MM_WOM_DONE:
      PcmDoneMessage();
      return 0;
    case WM_USER:
      IgnoreNextInput = 0;
      if (!InitGame()) ExitGameFailed();
      if (!AppConfig.viewPicture.empty()) ViewPicture(AppConfig.viewPicture.c_str());
      if (StartScenario >= 0) PlayScenario(static_cast<uint16_t>(StartScenario));
      MainFlow();
    default:
      return PlatDefWindowProc(message, wParam, lParam);
  }
}
