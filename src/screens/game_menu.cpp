// The game menu. Only the name exists so far; the menu comes later.
// The operation says once that it is not there yet and does nothing else.
#include "screens/game_menu.h"

#include "app/pending.h"

// Runs the menu until an item leaves it or the player cancels.
void GameMenu() {
  ReportNotAvailable("GameMenu");
}
