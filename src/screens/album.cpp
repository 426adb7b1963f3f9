// The album and the extras. Only the names exist so far: the album comes with the extras
// menu. Until then nothing is kept and nothing is written.
#include "screens/album.h"

#include "app/pending.h"

// Keeps the scene now composed in the album (not yet: the album comes with the extras menu).
bool AlbumAdd(bool /*withDate*/) {
  return false;
}

// Writes the album file (not yet: the album comes with the extras menu).
void AlbumSave() {}

// The title's extras menu.
void ExtrasMenu() {
  ReportNotAvailable("ExtrasMenu");
}
