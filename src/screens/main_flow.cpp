// The main game flow.
#include "screens/main_flow.h"

#include "app/input.h"

uint16_t PlayMode;

void MainFlow() {
  // The screens of the game are not wired in yet: keep the window alive on a black screen
  // until the player quits from the menu or closes the window.
  PlayMode = PlayModeTitle;
  for (;;) Wait(100);
}
