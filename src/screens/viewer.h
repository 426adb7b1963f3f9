// The picture viewer: shows one picture of the game data in the real window, for artists
// checking their work and for tests of the display.
#pragma once

// Shows the TZ2 picture `name` (loose file or data-archive entry) full screen on black with its
// own colours, then waits until the player quits. Never returns.
[[noreturn]] void ViewPicture(const char* name);
