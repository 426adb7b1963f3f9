// CD music: the music-index table, looped tracks restarted by the pump's poll (played short of
// their last 2 seconds and 37 frames), fades on the mixer, and requests kept while music is off.
#include <cstdio>

#include "app/app.h"
#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "platform/platform.h"
#include "resources/sjis.h"
#include "resources/text_format.h"
#include "scenario/game_state.h"

uint32_t CdState;
uint32_t CdDevice;
uint32_t CdPlaying;
uint16_t CdLoop = 1;
uint8_t& CurrentMusic = LiveState.currentMusic;
uint8_t LastMusic = kNoMusic;
uint16_t CdPollDelay;
std::array<CdAuxDevice, kCdMaxAux> CdAuxDevices;
int CdAuxCount;

AudioStartRequest AudioStartRequests;

namespace {

// Timer ticks (80 ms) between two status queries.
constexpr uint16_t kCdPollTicks = 10;
// The one driver whose CD-audio control is not the one that fades the drive.
constexpr uint16_t kSkippedAuxMaker = 26, kSkippedAuxProduct = 16;

// Lists the mixer controls of technology `technology`, in number order.
void ListAux(uint32_t technology) {
  const int count = PlatAuxCount();
  for (int device = 0; device < count && CdAuxCount < kCdMaxAux; device++) {
    PlatAuxCaps caps;
    if (!PlatAuxGetCaps(device, caps) || !(caps.technology & technology)) continue;
    if (caps.manufacturer == kSkippedAuxMaker && caps.product == kSkippedAuxProduct) continue;
    CdAuxDevices[CdAuxCount++] = CdAuxDevice{device, caps.support};
  }
}

// A play request kept for later: music off, or no device to play it on.
void Remember(uint8_t index) {
  CdLoop = 1;
  CurrentMusic = index;
  CdPlaying = 1;
}

// Both channels of a volume scaled by v/32; a control with one channel keeps its high word.
uint32_t ScaleAux(uint32_t volume, uint32_t support, uint32_t v) {
  const uint32_t left = ((volume & 0xFFFF) * v) >> 5;
  if (support & AUXCAPS_LRVOLUME) return left | (((volume >> 16) * v) >> 5) << 16;
  return left | (volume & 0xFFFF0000);
}

// The developer's command-line requests, once.
void RunStartRequests() {
  const AudioStartRequest request = AudioStartRequests;
  AudioStartRequests = AudioStartRequest{};
  if (request.music >= 0) CdPlay(static_cast<uint8_t>(request.music), true);
  if (request.sound >= 0) {
    PcmLoad(static_cast<uint8_t>(request.sound));
    PcmPlay(1, 0);
  }
}

}  // namespace

uint32_t CdOpen(bool quiet) {
  CdAuxCount = 0;
  ListAux(AUXCAPS_CDAUDIO);
  if (CdAuxCount == 0) ListAux(AUXCAPS_AUXIN);

  if (!quiet) CurrentMusic = kNoMusic;
  CdPlaying = 0;
  CdState = kCdOpen;
  CdLoop = 1;

  const uint32_t error = PlatCdOpen(DataDir);
  if (error == 0) {
    CdDevice = 1;
    return 0;
  }
  CdDevice = 0;
  CdState = 0;
  if (!quiet) {
    const bool busy = error == MCIERR_DEVICE_OPEN || error == MCIERR_MUST_USE_SHAREABLE;
    const std::string text = FormatText(
        "%s%s", {Sjis("ＣＤオーディオが使用できないため、音楽は演奏されません。\n"),
                 busy ? Sjis("音楽を演奏する場合は、他のＣＤを使用しているプログラムを終了して\n"
                             "再起動してください。\n")
                      : ""});
    PlatShowCursor(true);
    PlatMessageBox(text, Sjis("デバイスがオープンできません。"), MB_OK | MB_ICONSTOP);
    PlatShowCursor(false);
  }
  return error;
}

void CdClose() {
  if (CdState != kCdOpen) return;
  PlatCdStop();
  PlatCdClose();
  CdState = 0;
  CdDevice = 0;
}

void CdPoll() {
  if (AudioStartRequests.music >= 0 || AudioStartRequests.sound >= 0) RunStartRequests();
  if (!MusicOn || CdState != kCdOpen || CurrentMusic == kNoMusic || CdLoop != 1 || CdPlaying != 1 ||
      CdPollDelay != 0) {
    return;
  }
  uint32_t mode = 0;
  PlatCdMode(mode);
  if (mode == MCI_MODE_STOP) {
    const uint8_t index = CurrentMusic;
    CdStop();
    CdPlay(index, true);
  }
  CdPollDelay = kCdPollTicks;
}

void CdShortenForLoop(int& m, int& s, int& f) {
  if (s >= 2) {
    s -= 2;
  } else if (m > 0) {
    s += 58;
    m -= 1;
  }
  if (f >= 37) {
    f -= 37;
  } else if (s > 0) {
    s -= 1;
    f += 38;
  } else if (m > 0) {
    s += 59;
    m -= 1;
    f += 38;
  }
}

void CdPlay(uint8_t index, bool loop) {
  // Indices past the table name no track.
  if (index == kNoMusic || index >= kMusicCount) return;
  if (index == CurrentMusic && CdPlaying == 1) return;
  if (!MusicOn) {
    Remember(index);
    return;
  }
  if (CdState == 0) {
    CdOpen(true);
    if (CdState == 0) {
      Remember(index);
      return;
    }
  }
  if (CdPlaying == 1) CdStop();

  CurrentMusic = index;
  const int track = MusicTrackTable[index] + 2;
  PlatCdSeekTrack(track);
  int m = 0, s = 0, f = 0;
  PlatCdTrackLength(track, m, s, f);
  if (loop) CdShortenForLoop(m, s, f);
  if (PlatCdPlay(PlatTmsf(track, 0, 0, 0), PlatTmsf(track, m, s, f)) == 0) CdPlaying = 1;
  CdPollDelay = kCdPollTicks;
  CdLoop = loop ? 1 : 0;
}

void CdStop() {
  if (CdPlaying == 0) return;
  if (CdState == kCdOpen && MusicOn) PlatCdStop();
  CdPlaying = 0;
  LastMusic = CurrentMusic;
  CurrentMusic = kNoMusic;
}

void CdSuspend() {
  CdPlaying = 2;
}

void CdFadeOut() {
  if (CdPlaying == 0) return;
  if (CdState != kCdOpen || !MusicOn || CurrentMusic == kNoMusic || CdAuxCount == 0) {
    CdStop();
    return;
  }
  std::array<uint32_t, kCdMaxAux> volumes{};
  for (int i = 0; i < CdAuxCount; i++) {
    if (CdAuxDevices[i].support & AUXCAPS_VOLUME) {
      PlatAuxGetVolume(CdAuxDevices[i].device, volumes[i]);
    }
  }
  for (int v = 31; v >= 0; v--) {
    for (int i = 0; i < CdAuxCount; i++) {
      const CdAuxDevice& aux = CdAuxDevices[i];
      if (!(aux.support & (AUXCAPS_VOLUME | AUXCAPS_LRVOLUME))) continue;
      PlatAuxSetVolume(aux.device, ScaleAux(volumes[i], aux.support, static_cast<uint32_t>(v)));
    }
    Wait(3);
  }
  CdStop();
  for (int i = 0; i < CdAuxCount; i++) {
    if (CdAuxDevices[i].support & AUXCAPS_VOLUME) {
      PlatAuxSetVolume(CdAuxDevices[i].device, volumes[i]);
    }
  }
}

void CdWaitEnd() {
  if (CdPlaying != 1) return;
  if (CdState == kCdOpen && MusicOn && CurrentMusic != kNoMusic && CdLoop == 0) {
    // Anything but playing ends the wait, so a device that stops answering cannot hold it.
    for (;;) {
      uint32_t mode = 0;
      PlatCdMode(mode);
      if (mode != MCI_MODE_PLAY) break;
      Wait(60);
    }
  }
  CdStop();
}

void CdToggleMusic() {
  const uint16_t now = MusicOn ? 0 : 1;
  MusicOn = now;
  PlatMenuCheck(kMenuMusic, now != 0);
  SettingsSave();
  // The stop runs under the old setting (it stops the device only if music was on), the play
  // under the new one (it only remembers if music is now off).
  const uint8_t index = CurrentMusic;
  MusicOn = now ? 0 : 1;
  CdStop();
  MusicOn = now;
  CdPlay(index, true);
}
