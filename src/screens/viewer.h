// The picture viewer: shows one picture of the game data in the real window, for artists
// checking their work and for tests of the display.
#pragma once

// Shows the TZ2 picture `name` (loose file or data-archive entry) full screen on black with its
// own colours, then waits until the player quits. A picture the decoder refuses ends the
// program with status 1 after the decoder's box (an empty one too, without a box). Never returns.
[[noreturn]] void ViewPicture(const char* name);
