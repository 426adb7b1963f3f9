// Host events into window messages: mouse moves and clicks (after a hit test), focus changes,
// the close box, and the keys that open the menu. Key state itself is polled, not queued.
#include <algorithm>

#include "platform/sdl/sdl_local.h"

namespace {

// Cleared at start; tracks keyboard gestures across events.
struct EventState {
  bool altAlone = false;           // Alt went down and nothing else happened since
  int pointerX = 0, pointerY = 0;  // canvas position of the last pointer event, for the wheel
  bool waitRanOut = false;         // the last event wait ended by its time, with SDL just pumped
};
EventState gEvents;

// A mouse event in client coordinates: hit test first, then the message when it is the client.
void MouseMessage(uint32_t message, int canvasX, int canvasY, uint64_t wParam = 0) {
  gEvents.pointerX = canvasX;
  gEvents.pointerY = canvasY;
  if (gSdl.fullScreen) {
    // The black margins round the scaled screen count as its nearest edge: the whole display
    // is the game's, and throwing the pointer to the top reaches the menu bar.
    canvasX = std::clamp(canvasX, 0, kSdlPictureWidth - 1);
    canvasY = std::clamp(canvasY, 0, kSdlPictureHeight - 1);
  }
  const int x = canvasX;
  const int y = canvasY - SdlClientTop();
  const int64_t position = PlatMakeLParam(x, y);
  const int64_t hit = PlatSendMessage(WM_NCHITTEST, 0, position);
  if (message == WM_LBUTTONDOWN && hit != HTCLIENT) {
    // A press on the bar opens the menu (the hit test may just have made the bar visible).
    const int entry = SdlMenuBarEntryAt(canvasX, canvasY);
    if (entry >= 0) SdlMenuOpenByMouse(entry);
    return;
  }
  if (hit != HTCLIENT) return;
  if (message == WM_MOUSEMOVE && !gPlat.queue.empty() &&
      gPlat.queue.back().message == WM_MOUSEMOVE) {
    // Moves not yet taken fold into the newest, as a real queue does.
    gPlat.queue.back().lParam = position;
    return;
  }
  PlatQueueMessage(message, wParam, position);
}

// Alt+F4 closes; F10 and Alt+letter go to the menu; other keys are polled.
void HandleKeyDown(const SDL_KeyboardEvent& key) {
  const SDL_Keycode sym = key.keysym.sym;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
  if (sym == SDLK_LALT || sym == SDLK_RALT) {
    gEvents.altAlone = !key.repeat;
    return;
  }
  gEvents.altAlone = false;
  if (key.repeat) return;
  if (sym == SDLK_F4 && alt) {
    SdlQueueClose();
  } else if (sym == SDLK_F10 && !alt) {
    SdlMenuOpenByKeyboard();
  } else if (alt && ((sym >= 'a' && sym <= 'z') || (sym >= '0' && sym <= '9'))) {
    SdlMenuOpenByAccessKey(static_cast<char>(sym));
  }
}

// A released key counts again; Alt let go on its own opens the bar.
void HandleKeyUp(const SDL_KeyboardEvent& key) {
  gSdl.keySuppressed[key.keysym.scancode] = false;
  if ((key.keysym.sym == SDLK_LALT || key.keysym.sym == SDLK_RALT) && gEvents.altAlone) {
    // Alt pressed and let go on its own puts the keyboard on the menu bar.
    gEvents.altAlone = false;
    SdlMenuOpenByKeyboard();
  }
}

// One host event outside modal loops.
void HandleEvent(const SDL_Event& event) {
  if (event.type == gSdl.raiseEvent) {
    SdlInstanceRaise();
    return;
  }
  switch (event.type) {
    case SDL_QUIT:
      SdlQueueClose();
      break;
    case SDL_WINDOWEVENT:
      SdlHandleWindowEvent(event);
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      // Textures the renderer kept were lost: the bar is rendered again, everything sent.
      SdlMenuDropBar();
      SdlPresentInvalidateAll();
      SdlPresentFrame();
      break;
    case SDL_KEYDOWN:
      HandleKeyDown(event.key);
      break;
    case SDL_KEYUP:
      HandleKeyUp(event.key);
      break;
    case SDL_MOUSEMOTION:
      MouseMessage(WM_MOUSEMOVE, event.motion.x, event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      gEvents.altAlone = false;
      const bool down = event.type == SDL_MOUSEBUTTONDOWN;
      if (event.button.button == SDL_BUTTON_LEFT) {
        MouseMessage(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, event.button.x, event.button.y);
      } else if (event.button.button == SDL_BUTTON_RIGHT) {
        MouseMessage(down ? WM_RBUTTONDOWN : WM_RBUTTONUP, event.button.x, event.button.y);
      }
      break;
    }
    case SDL_MOUSEWHEEL: {
      int notches = event.wheel.y;
      if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      if (notches == 0) break;
      const auto delta = static_cast<uint16_t>(static_cast<int16_t>(notches * kWheelNotch));
      MouseMessage(WM_MOUSEWHEEL, gEvents.pointerX, gEvents.pointerY, uint64_t{delta} << 16);
      break;
    }
    default:
      break;
  }
}

}  // namespace

// Everything the host has for us: events (requests of another copy among them), a due frame.
void SdlPumpEvents() {
  // A wait that has just run out found the host with nothing to say: no need to ask again.
  if (gEvents.waitRanOut) {
    gEvents.waitRanOut = false;
  } else {
    SDL_Event event;
    while (SDL_PollEvent(&event)) HandleEvent(event);
  }
  SdlPresentIfDue();
}

// Sleeps in the host's event wait, so that input or a request wakes the game at once.
void SdlWaitEvents(uint32_t timeoutMs) {
  timeoutMs = std::min(timeoutMs, SdlPresentDueIn());
  if (timeoutMs == 0) return;
  // SDL takes a signed count; a day is as good as forever here.
  gEvents.waitRanOut =
      SDL_WaitEventTimeout(nullptr, static_cast<int>(std::min<uint32_t>(timeoutMs, 86400000))) == 0;
}

// Focus, close and expose events of the game window.
bool SdlHandleWindowEvent(const SDL_Event& event) {
  if (event.type != SDL_WINDOWEVENT || !gSdl.window ||
      event.window.windowID != SDL_GetWindowID(gSdl.window)) {
    return false;
  }
  switch (event.window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      PlatQueueMessage(WM_ACTIVATEAPP, 1);
      PlatQueueMessage(WM_ACTIVATE, WA_ACTIVE);
      return false;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      gEvents.altAlone = false;
      PlatQueueMessage(WM_ACTIVATE, WA_INACTIVE);
      PlatQueueMessage(WM_ACTIVATEAPP, 0);
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      SdlQueueClose();
      return true;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // The host may have lost what was shown; the kept frame goes up again.
      SdlPresentInvalidateAll();
      SdlPresentFrame();
      return false;
    default:
      return false;
  }
}

// Marks every key down now as held over from a modal loop.
void SdlSuppressHeldKeys() {
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  for (int i = 0; i < count && i < SDL_NUM_SCANCODES; i++) {
    if (state[i]) gSdl.keySuppressed[i] = true;
  }
  gEvents.altAlone = false;
}

// A close request, queued once however often it arrives.
void SdlQueueClose() {
  for (const PlatMsg& msg : gPlat.queue) {
    if (msg.message == WM_SYSCOMMAND && (msg.wParam & 0xFFF0) == SC_CLOSE) return;
  }
  PlatQueueMessage(WM_SYSCOMMAND, SC_CLOSE);
}
