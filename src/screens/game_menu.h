// The game menu: opened with cancel from a wait of the story text or a choice; saving, loading,
// the message log, going back to the last choice and leaving the game.
#pragma once

// Runs the menu until an item leaves it or the player cancels. Callers test ScriptExit
// afterwards: a game loaded or ended from the menu stops the script.
void GameMenu();
