// The album of kept scenes and the extras menu of the title.
#pragma once

#include <cstddef>
#include <cstdint>

// The title's extras menu: the album of kept scenes and the other extras.
void ExtrasMenu();

// [SECTION] The album file
// "LNTR3.ALB" in the save folder, kept whole in memory from start-up on: up to 256 kept scenes
// and the caption switch, sealed like a save file (a random salt of 227 bytes, the rest
// scrambled with it, a plain byte sum).

inline constexpr char kAlbumFileName[] = "LNTR3.ALB";
constexpr int kAlbumScenes = 256;
constexpr size_t kAlbumSaltBytes = 227;

// One kept scene, 32 bytes.
struct AlbumEntry {
  uint8_t bg, vCg, hCg;  // background and event pictures shown, 255 = none
  uint8_t weather, filter;
  uint8_t day, weekday;  // variables 171 and 173
  uint8_t pending;       // 0 in the file; marks entries still to place while tidying
  uint16_t code[6];      // character per slot, 0xFFFF = empty; character 0 stored as 1
  uint16_t order[6];     // drawing order per slot
};
static_assert(sizeof(AlbumEntry) == 32);

struct AlbumFile {
  uint8_t salt[kAlbumSaltBytes];
  uint8_t unused227;
  uint32_t count;      // kept scenes, 0..256
  uint8_t captionOff;  // 0: kept scenes show their date
  uint8_t random233[3];
  AlbumEntry entries[kAlbumScenes];
  uint8_t random8428[5];
  uint8_t unused8433[3];
  uint32_t checksum;  // of a sealed file; 0 in memory
  uint8_t random8440[6];
  uint8_t unused8446[2];
};
constexpr size_t kAlbumFileSize = 8448;
static_assert(sizeof(AlbumFile) == kAlbumFileSize);
static_assert(offsetof(AlbumFile, count) == 228 && offsetof(AlbumFile, entries) == 236);
static_assert(offsetof(AlbumFile, random8428) == 8428 && offsetof(AlbumFile, checksum) == 8436);

extern AlbumFile AlbumData;

// Seals an 8448-byte album image in place: new random fields, scrambled, checksum.
void AlbumSeal(uint8_t* image);
// Unscrambles a sealed image in place; true when the checksum holds and the count is 0..256.
bool AlbumUnseal(uint8_t* image);

// [SECTION] Operations

// Reads the album at start-up. A missing, short, long or damaged file is an empty album; one
// that cannot be read is also reported in a box.
void AlbumLoad();
// Writes the album (atomically). A file that cannot be written is reported in a box naming it
// and the reason; the album stays as it is in memory and the game goes on.
void AlbumSave();
// Keeps the scene of the live state; false when it is kept already (with `withDate`, the same
// day and weekday too) or the album is full. The caller saves.
bool AlbumAdd(bool withDate);
// Asks, then empties the album and turns the captions back on.
void AlbumClear();
// Composes a kept scene on the back frame, with its date caption when captions are on, and
// starts its weather.
void AlbumShowScene(const AlbumEntry& entry);
// Asks for an order and whether to drop duplicates, then reorders the album.
void AlbumTidy();
// The reordering of AlbumTidy: `order` 0 by day, 1 by character group, 2 by kind (background,
// V, H); `dropDuplicates` keeps the first of scenes with the same pictures and characters.
void AlbumReorder(int order, bool dropDuplicates);
// The scene picker: true when a scene was picked (`index` names it), false on cancel (`index`
// given back as it came).
bool AlbumPickScene(int& index);
// Where picker button `item` (0: ten back, 1: one back, 3: one on, 4: ten on) moves `index` in
// an album of `count` scenes.
int AlbumPickStep(int index, int item, int count);
// The character group of a kept scene, 0..7 the eight friends, 8 the others.
int AlbumGroup(const AlbumEntry& entry);
// How many different event pictures of group g (0..8) the kept scenes show.
int AlbumPictureCount(int group);
