// The album of kept scenes and the extras menu of the title.
#pragma once

#include <cstdint>

// Keeps the scene now composed in the album; false when it is kept already or the album is
// full.
bool AlbumAdd(bool withDate);
// Writes the album file.
void AlbumSave();
// The title's extras menu: the album of kept scenes and the other extras.
void ExtrasMenu();
