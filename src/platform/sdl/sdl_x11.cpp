// Questions to the X server of the window that SDL does not answer, asked through the X library
// SDL has loaded already (the game does not link it): whether the server renders directly, and
// whether a window manager runs there.
#include <SDL_syswm.h>
#include <dlfcn.h>

#include "platform/sdl/sdl_local.h"

namespace {

#ifdef SDL_VIDEO_DRIVER_X11
// The X library SDL loaded and the window's display, for as long as it lives.
class XLibrary {
 public:
  explicit XLibrary(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    handle_ = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    display_ = info.info.x11.display;
  }
  ~XLibrary() {
    if (handle_) dlclose(handle_);
  }
  XLibrary(const XLibrary&) = delete;
  XLibrary& operator=(const XLibrary&) = delete;

  Display* display() const { return handle_ ? display_ : nullptr; }
  template <typename F>
  F get(const char* name) const {
    return handle_ ? reinterpret_cast<F>(dlsym(handle_, name)) : nullptr;
  }

 private:
  void* handle_ = nullptr;
  Display* display_ = nullptr;
};
#endif

}  // namespace

int SdlXDirectRendering(SDL_Window* window) {
#ifdef SDL_VIDEO_DRIVER_X11
  const XLibrary x(window);
  const auto query = x.get<int (*)(Display*, const char*, int*, int*, int*)>("XQueryExtension");
  if (!x.display() || !query) return -1;
  for (const char* name : {"DRI3", "DRI2", "NV-GLX"}) {
    int opcode, event, error;
    if (query(x.display(), name, &opcode, &event, &error)) return 1;
  }
  return 0;
#else
  (void)window;
  return -1;
#endif
}

int SdlXWindowManager(SDL_Window* window) {
#ifdef SDL_VIDEO_DRIVER_X11
  // A manager that follows the desktop conventions names its check window on the root window.
  const XLibrary x(window);
  const auto internAtom = x.get<Atom (*)(Display*, const char*, Bool)>("XInternAtom");
  const auto root = x.get<Window (*)(Display*)>("XDefaultRootWindow");
  const auto getProperty =
      x.get<int (*)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                    unsigned long*, unsigned char**)>("XGetWindowProperty");
  const auto xFree = x.get<int (*)(void*)>("XFree");
  if (!x.display() || !internAtom || !root || !getProperty || !xFree) return -1;
  const Atom check = internAtom(x.display(), "_NET_SUPPORTING_WM_CHECK", True);
  if (check == 0) return 0;  // no client ever named it: nothing manages this display
  Atom type = 0;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* value = nullptr;
  constexpr Atom kAnyPropertyType = 0;
  const int status = getProperty(x.display(), root(x.display()), check, 0, 1, False,
                                 kAnyPropertyType, &type, &format, &items, &after, &value);
  if (value) xFree(value);
  return status == 0 && items > 0 ? 1 : 0;
#else
  (void)window;
  return -1;
#endif
}
