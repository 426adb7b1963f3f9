// Save data: the game state record sealed into the five slot files and into slot 99, the
// progress kept from one play-through to the next, and the folder the files live in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// What the slot screen shows of a slot.
struct SlotInfo {
  uint16_t name[6];  // name 2 (the third of the five) of the saved image, 0xFFFF = none
  uint16_t year;
  uint8_t month, day, hour, minute, second;
  uint8_t playCounter;  // variable 153
  uint8_t valid;        // 1: 9028 bytes, the checksum holds, variable 154 is 0
};

constexpr uint16_t kSlotCount = 5;      // the player's slots 0..4
constexpr uint16_t kProgressSlot = 99;  // what lasts from one play-through to the next
constexpr uint32_t kSaltBytes = 179;    // bytes 0..178: the seal's salt

// [SECTION] The seal
// A sealed image starts with a random salt; every byte after it is scrambled with the salt
// byte its offset selects and the offset itself, and the sum of the plain image sits at 0x11C.

// The sealing of any file image: the random fields are filled first (each by
// SealRandomField), then SealScramble stores the plain byte sum at `checksumAt` and scrambles
// every byte from `saltBytes` on with the salt byte (offset mod saltBytes) and the offset.
// Each draw of random bytes starts by mixing in the clock.
void SealRandomField(uint8_t* field, size_t count);
void SealScramble(std::span<uint8_t> image, size_t saltBytes, size_t checksumAt);
// Undoes SealScramble in place (the checksum field becomes 0); true when the sum holds.
bool SealUnscramble(std::span<uint8_t> image, size_t saltBytes, size_t checksumAt);

// Seals a 9028-byte state image in place: new salt, new seal byte, scrambled, checksum.
void SaveSeal(uint8_t* image);
// Unscrambles a sealed image in place (the checksum field becomes 0); true when the checksum
// holds.
bool SaveUnseal(uint8_t* image);

// [SECTION] Slots
// A slot file that does not exist is created empty the first time it is needed. One that
// cannot be read is reported in a box and counts as empty; one of the wrong size or with a
// wrong checksum counts as empty.

// Seals a copy of SaveState, with the local date and time, into the slot's file. False, after
// a box naming the file and the reason, when it could not be written (the old file stays).
bool SlotSave(uint16_t slot);
// Clears the live state's variables, seen set and history, then reads the slot into
// CheckpointState and SaveState. False for an empty slot (its names are still taken into the
// three states) and for a slot that is not sound.
bool SlotLoad(uint16_t slot);
// The slot's name, date, play counter and validity for the slot screen.
void SlotReadInfo(uint16_t slot, SlotInfo& info);
// Writes the live state's names into a sound slot file (sealed again); false for a slot that is
// not sound, which is left as it is.
bool SlotUpdateNames(uint16_t slot);

// [SECTION] Progress

// Merges slot 99's lasting variables (80..139), seen scenarios and play counter into the live
// state, CheckpointState and SaveState.
void ProgressLoad();
// Merges SaveState's lasting variables, seen scenarios and the play counter into slot 99; the
// three states stay as they were except the play counter.
void ProgressSave();
// The live variables and seen set from CheckpointState, variables 0..79 cleared.
void PersistentRestore();

// [SECTION] Where the files live

// The folder of the slot files; empty: the data directory.
extern std::string SaveDir;

// A file of the save folder by name: its host path.
std::string SavePath(const std::string& fileName);
// "LNTR3_%02d.SAV".
std::string SlotFileName(uint16_t slot);
// The slot file's host path.
std::string SlotPath(uint16_t slot);
// The folder saves of the game in `dataDir` go to: `requested` when given; else the data
// directory when it can be written; else (only with `userFolder`) a folder of this game's own
// under $XDG_DATA_HOME (default ~/.local/share)/lanternia3; else the data directory all the same.
std::string SaveDirFor(const std::string& dataDir, const std::string& requested, bool userFolder);
// The reason of a failed read or write (an errno value) in the player's words, the system's
// own after it.
std::string SaveErrorReason(int error);
// An information box with a UTF-8 text, captioned with the game's name.
void SaveShowBox(const std::string& utf8Text);
// SaveDir resolved for the data directory, and what killed writes left there cleared.
void SaveDirInit(const std::string& dataDir, const std::string& requested, bool userFolder);
