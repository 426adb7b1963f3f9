// CD music and PCM sound: music by index from the emulated CD, once or looped by the pump's
// poll, with fades on the mixer; one digitised sound at a time from the data archive.
#pragma once

#include <array>
#include <cstdint>

#include "resources/memory.h"

// [SECTION] CD music state
// CdOpen sets the device fields at start-up; they live until CdClose at shutdown.

constexpr uint32_t kCdOpen = 4;  // CdState while the device is open
constexpr uint8_t kNoMusic = 255;

extern uint32_t CdState;       // kCdOpen when the device is open, 0 when not
extern uint32_t CdDevice;      // device id, 0 when not open
extern uint32_t CdPlaying;     // 0 stopped; 1 playing (or remembered); 2 finishing, no restart
extern uint16_t CdLoop;        // 1: the current track repeats
extern uint8_t& CurrentMusic;  // music index requested now, kNoMusic none (in the game state)
extern uint8_t LastMusic;      // the music index stopped last
extern uint16_t CdPollDelay;   // timer ticks until the next status query

// The mixer controls the fades go through: device number and support flags.
struct CdAuxDevice {
  int device;
  uint32_t support;
};
constexpr int kCdMaxAux = 32;
extern std::array<CdAuxDevice, kCdMaxAux> CdAuxDevices;
extern int CdAuxCount;

// Music index -> CD track - 2 (track 1 is the data track).
constexpr int kMusicCount = 34;
constexpr std::array<uint8_t, kMusicCount> MusicTrackTable = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16,
    17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 29, 30, 31, 32, 33, 27, 28};

// [SECTION] CD music

// Finds the mixer controls and opens the device; answers the device error (0 = open). Not
// quiet: clears the current music and, on failure, tells the player music stays silent.
uint32_t CdOpen(bool quiet);
// At shutdown: stops and closes the device.
void CdClose();
// From every pump step: restarts a looped track the device reports stopped (every 800 ms).
void CdPoll();
// Plays music `index` once or looped; the same looped index already playing goes on. With the
// music setting off the request is only remembered.
void CdPlay(uint8_t index, bool loop);
void CdStop();
// The current track may end by itself; the poll no longer restarts it.
void CdSuspend();
// Fades the music out over about a second, then stops.
void CdFadeOut();
// Waits until a track played once has ended, then stops.
void CdWaitEnd();
// Menu 40021: flips the music setting, then stops or starts the remembered track.
void CdToggleMusic();

// The CD length arithmetic of a looped play: shortens minutes/seconds/frames by 2 seconds and
// 37 frames, borrowing where it can and leaving what cannot give.
void CdShortenForLoop(int& minutes, int& seconds, int& frames);

// [SECTION] PCM sound state
// The first four are fields of the game state record (saved with the game); cleared by
// AudioReset.

constexpr uint8_t kNoPcm = 255;

extern uint8_t& PcmEntry;     // number of the loaded sound, kNoPcm none
extern uint16_t& PcmPlaying;  // 0 idle; 1 playing (or recorded); 3 playing while PcmFinish waits
extern uint16_t& PcmLoops;    // loop count of the last play request, 0 endless
extern uint16_t& PcmArg;      // second argument of the last play request, kept for a restart
extern MemHandle PcmBlock;    // the loaded entry
extern uint32_t PcmSize;      // its length in bytes, even
extern uint8_t PcmDone;       // set by the done message
extern uint32_t SavedWaveVolume;  // device volume read before a fade, 0 none

// [SECTION] PCM sound

// Loads "MR_VD%02d.P16" (fatal when missing); stops and unloads what was loaded.
void PcmLoad(uint8_t n);
void PcmUnload();
// Plays the loaded sound `loops` times (0 endless); with the PCM setting off only records it.
void PcmPlay(uint16_t loops, uint16_t arg);
// The same, fading in over about a second unless text is being skipped.
void PcmPlayFadeIn(uint16_t loops, uint16_t arg);
// Stops at once and waits (at most 2 s) for the device to give the buffer back.
void PcmStop();
// Resets and closes the device; also what the done message does.
void PcmClose();
// Lets a sound played a number of times end by itself or on OK/cancel, an endless one fade.
void PcmFinish();
// Fades out and stops now.
void PcmFadeOut();
// MM_WOM_DONE: the buffer is back.
void PcmDoneMessage();
// Menu 40022: flips the PCM setting, then stops or restarts the sound.
void PcmToggleSetting();

// [SECTION] Shared

// Start values of every audio field (no music, no sound); SetDefaults's part for sound.
void AudioReset();

// Developer requests from the command line, played at the first poll after start-up:
// a music index (looped) and a sound number (once); -1 for none.
struct AudioStartRequest {
  int music = -1;
  int sound = -1;
};
extern AudioStartRequest AudioStartRequests;
