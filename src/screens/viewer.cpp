// The picture viewer.
#include "screens/viewer.h"

#include "app/input.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/pack.h"
#include "resources/tz2.h"

void ViewPicture(const char* name) {
  uint32_t size = 0;
  MemHandle picture = PackLoad(name, &size, kPackData);
  FrameClear(BackFrame);
  // A damaged picture shows the decoder's own message box and leaves the screen black.
  Tz2Draw(BackFrame, picture, 0, 0, 0);
  MemRelease(&picture);
  FrameCopy(ScreenFrame, BackFrame);
  PalShow();
  ScreenUpdate();
  for (;;) Wait(100);
}
