// The headless backend seen from tests and tools: a virtual clock, scripted input, painted
// frames kept in memory, message boxes on standard error, settings in memory.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

// [SECTION] Input script
// One step of an input script: at `time` (virtual milliseconds since start) do `action`.
enum class HeadlessAction {
  KeyDown,     // a = virtual key
  KeyUp,       // a = virtual key
  MouseMove,   // a, b = client x, y (y < 0 lies on the menu bar)
  MouseDown,   // a, b as above; c = 0 left, 1 right
  MouseUp,     // a, b, c as above
  MouseWheel,  // a, b as above; c = notches, up (away from the player) positive
  Menu,        // a = command
  Answer,      // a = IDOK or IDCANCEL: answers the next message box
  Close,       // the window's close box
  Quit,        // a quit message in the queue
  Focus,       // a = 1 gained, 0 lost (activation messages follow)
  Minimise,    // a = 1 minimised, 0 restored
  Snapshot,    // path: the picture the player sees now, written as a PNG
};

struct HeadlessStep {
  uint32_t time;
  HeadlessAction action;
  int a = 0, b = 0, c = 0;
  std::string path{};  // Snapshot: where the PNG goes (relative to the working directory)
};

// How the pretend machine looks; set before start by a script's untimed lines.
struct HeadlessConfig {
  int displayBpp = 8;
  int modeTestResult = DISP_CHANGE_SUCCESSFUL;  // answer of a display-mode test or change
  int desktopWidth = 1920, desktopHeight = 1080;
  bool has640x480 = true;
  bool runningCopy = false;      // pretend another copy runs
  uint32_t timeLimit = 3600000;  // virtual ms after which the run is stopped (status 3)
  PlatLocalTime startTime{1998, 4, 3, 1, 9, 0, 0, 0};         // local time at tick 0
  std::vector<std::pair<std::string, std::string>> settings;  // seeded settings store
  bool settingsKey = false;         // the settings key exists even with no value seeded
  bool settingsReadOnly = false;    // every write of the settings store fails
  std::vector<int> answers;         // for the first message boxes, from the very start
  std::vector<HeadlessStep> steps;  // sorted by time
};

// Parses an input script. On error answers false and sets `error` to "line N: reason".
bool HeadlessParseScript(const std::string& text, HeadlessConfig& config, std::string& error);

// [SECTION] Observation
// What a test can look at after (or while) the engine runs on the headless backend.

struct HeadlessBox {
  std::string caption, text;  // UTF-8
  uint32_t flags;
  int answer;
};

// Replaces the configuration of the running backend (tests that do not use a script).
void HeadlessConfigure(const HeadlessConfig& config);
HeadlessConfig& HeadlessGetConfig();
// Moves the virtual clock on.
void HeadlessAdvance(uint32_t milliseconds);
// Presses or releases a key now.
void HeadlessSetKey(int virtualKey, bool down);
void HeadlessSetFocus(bool focus);
// Answers for the next message boxes, in order (OK when none is queued).
void HeadlessQueueAnswer(int answer);
const std::vector<HeadlessBox>& HeadlessMessageBoxes();
// Painted frames: how many, and the last one as RGB triples of the client size (palette
// applied), the picture a player would see.
int HeadlessPaintCount();
const std::vector<uint8_t>& HeadlessLastFrame();
void HeadlessFrameSize(int& width, int& height);
// The RGB colour of client pixel (x, y) of the last painted frame.
uint32_t HeadlessPixel(int x, int y);
bool HeadlessCursorVisible();
// The settings store as it is now (the backend keeps it in memory only).
const std::map<std::string, std::string>& HeadlessSettings();
// Calls `hook` after every present: a finished paint or a picture drawn straight into the
// window. Lets a test look at the window in the middle of an effect; nullptr removes it.
void HeadlessOnPresent(void (*hook)());
// Records the colour of one display-palette entry at every palette change from now on.
void HeadlessWatchPaletteEntry(int index);
const std::vector<PalEntry>& HeadlessWatchedColours();
// Number of pump steps that found nothing to do.
uint64_t HeadlessIdleSteps();

// [SECTION] Sound
// The CD and wave devices run on the virtual clock, with track lengths read from the track
// files and sound lengths from the buffers. Every call the engine makes of them, and every
// device event, is recorded as one line with its time:
//   CdOpen, CdClose, CdSeek 5, CdLength 5 -> 3:01:10, CdPlay 5:00:00:00 5:02:58:48, CdStop,
//   CdMode -> play|stop, CdEnd 5 (the play reached its end), AuxGetVolume 0 -> ffffffff,
//   AuxSetVolume 0 7bff7bff, WaveOpen 22050 16 1, WaveWrite 44100 1 (bytes, passes) or
//   WaveWrite 44100 endless, WaveReset, WaveClose, WaveGetVolume -> ffffffff,
//   WaveSetVolume 00000000, WaveDone (MM_WOM_DONE posted).
// A failing call ends in "-> error number".

// The pretend sound hardware.
struct HeadlessAudioConfig {
  // Mixer controls; by default one CD-audio control with left and right volume.
  std::vector<PlatAuxCaps> aux{
      PlatAuxCaps{0, 0, AUXCAPS_CDAUDIO, AUXCAPS_VOLUME | AUXCAPS_LRVOLUME}};
  uint32_t cdOpenError = 0;     // non-zero: the CD device cannot be opened
  uint32_t waveOpenError = 0;   // non-zero: the wave device cannot be opened
  uint32_t waveWriteError = 0;  // non-zero: buffers are refused
};
// Replaces the sound hardware; what the devices are doing stays.
void HeadlessConfigureAudio(const HeadlessAudioConfig& config);

struct HeadlessAudioCall {
  uint32_t time;  // virtual milliseconds
  std::string line;
};
const std::vector<HeadlessAudioCall>& HeadlessAudioCalls();
void HeadlessClearAudioCalls();
// The recorded lines (without times) that begin with one of `prefixes`; all when none given.
std::vector<std::string> HeadlessAudioLines(std::initializer_list<std::string_view> prefixes = {});

// What a listener hears now.
struct HeadlessAudioNow {
  int cdTrack;            // CD track sounding, 0 for none
  uint32_t cdPositionMs;  // position inside that track
  uint32_t cdVolume;      // left low word, right high word
  bool wave;              // a wave buffer is sounding
  uint32_t waveBytes;     // its length
  uint32_t waveLoops;     // passes asked for, 0xFFFFFFFF endless
  uint32_t wavePass;      // pass now sounding, from 0
  uint32_t waveVolume;
};
HeadlessAudioNow HeadlessAudioHeard();
