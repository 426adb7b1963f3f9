// The picture viewer.
#include "screens/viewer.h"

#include "app/app.h"
#include "app/input.h"
#include "graphics/frame.h"
#include "graphics/palette.h"
#include "resources/pack.h"
#include "resources/tz2.h"

void ViewPicture(const char* name) {
  uint32_t size = 0;
  MemHandle picture = PackLoad(name, &size, kPackData);
  FrameClear(BackFrame);
  // A damaged picture shows the decoder's own message box; the viewer then ends as failed, so
  // that a script checking artwork learns of it from the exit status (an empty picture too,
  // without a box: there is nothing to look at).
  const bool drawn = Tz2Draw(BackFrame, picture, 0, 0, 0);
  MemRelease(&picture);
  if (!drawn) ExitGameFailed();
  FrameCopy(ScreenFrame, BackFrame);
  PalShow();
  ScreenUpdate();
  for (;;) Wait(100);
}
