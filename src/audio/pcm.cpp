// PCM sound: one sound entry at a time, loaded from the data archive and played once, n times
// or endlessly through the wave device, with fades; requests are recorded while PCM is off.
#include "app/input.h"
#include "app/settings.h"
#include "audio/audio.h"
#include "platform/platform.h"
#include "resources/pack.h"
#include "resources/text_format.h"
#include "scenario/game_state.h"
#include "scenario/scenario.h"

uint8_t& PcmEntry = LiveState.pcmEntry;
uint16_t& PcmPlaying = LiveState.pcmPlaying;
uint16_t& PcmLoops = LiveState.pcmLoops;
uint16_t& PcmArg = LiveState.pcmArg;
MemHandle PcmBlock;
uint32_t PcmSize;
uint8_t PcmDone;
uint32_t SavedWaveVolume;

namespace {

// The format every sound entry has: 16-bit mono at 22050 samples a second.
constexpr int kPcmRate = 22050;
constexpr int kPcmBits = 16;
constexpr int kPcmChannels = 1;
// How long PcmStop waits for the buffer to come back.
constexpr uint32_t kStopWaitMs = 2000;

// Text is being skipped: fades and waits take their immediate form.
bool Skipping() {
  return SkipToChoice == 1 || (ReadTextFast == 1 && SkipAllowed == 1);
}

// Both channels of a volume scaled by v/32.
uint32_t ScaleVolume(uint32_t volume, uint32_t v) {
  return (((volume & 0xFFFF) * v) >> 5) | ((((volume >> 16) * v) >> 5) << 16);
}

// The fade-out of PcmFinish; `early` ends it when the sound is gone or text is being skipped.
void FadeOut(bool early) {
  for (int v = 31; v >= 0; v--) {
    if (early && (PcmPlaying == 0 || SkipToChoice == 1)) break;
    PlatWaveSetVolume(ScaleVolume(SavedWaveVolume, static_cast<uint32_t>(v)));
    Wait(3);
  }
}

void Play(uint16_t loops, uint16_t arg, bool fade) {
  if (PcmEntry == kNoPcm || !PcmBlock) return;
  SavedWaveVolume = 0;
  if (PcmPlaying != 0) PcmStop();
  if (PcmOn) {
    const uint8_t* samples = MemWire(PcmBlock);
    if (PlatWaveOpen(kPcmRate, kPcmBits, kPcmChannels) != 0) {
      MemUnwire(PcmBlock);
      return;
    }
    if (fade) {
      PlatWaveGetVolume(SavedWaveVolume);
      if (SavedWaveVolume != 0) PlatWaveSetVolume(0);
    }
    // The device repeats the one buffer itself; 0 asks for a repeat without end.
    if (PlatWaveWrite({samples, PcmSize}, loops == 0 ? 0xFFFFFFFF : loops) != 0) {
      if (fade && SavedWaveVolume != 0) PlatWaveSetVolume(SavedWaveVolume);
      PlatWaveClose();
      MemUnwire(PcmBlock);
      return;
    }
    if (fade) {
      if (Skipping()) {
        PlatWaveSetVolume(SavedWaveVolume);
      } else if (SavedWaveVolume != 0) {
        for (uint32_t i = 0; i < 32; i++) {
          PlatWaveSetVolume(ScaleVolume(SavedWaveVolume, i));
          Wait(3);
        }
        PlatWaveSetVolume(SavedWaveVolume);
      }
    }
  }
  PcmPlaying = 1;
  PcmLoops = loops;
  PcmArg = arg;
}

}  // namespace

void PcmLoad(uint8_t n) {
  if (PcmPlaying != 0) PcmStop();
  if (PcmEntry != kNoPcm) PcmUnload();
  PcmEntry = n;
  const std::string name = FormatText("MR_VD%02d.P16", {n});
  uint32_t size = 0;
  PcmBlock = PackLoad(name.c_str(), &size, kPackData);
  // An odd last byte is half a sample.
  PcmSize = PcmBlock ? size & ~1u : 0;
}

void PcmUnload() {
  if (PcmPlaying != 0) PcmStop();
  if (PcmBlock) {
    MemRelease(&PcmBlock);
    PcmSize = 0;
  }
  PcmPlaying = 0;
  PcmEntry = kNoPcm;
}

void PcmPlay(uint16_t loops, uint16_t arg) {
  Play(loops, arg, false);
}

void PcmPlayFadeIn(uint16_t loops, uint16_t arg) {
  Play(loops, arg, true);
}

void PcmDoneMessage() {
  PcmDone = 1;
  if (PcmPlaying != 0) PcmClose();
}

void PcmClose() {
  if (PcmPlaying == 0) return;
  if (PcmOn) {
    PlatWaveReset();
    if (SavedWaveVolume != 0) PlatWaveSetVolume(SavedWaveVolume);
    PlatWaveClose();
    MemUnwire(PcmBlock);
  }
  PcmPlaying = 0;
}

void PcmStop() {
  if (PcmPlaying == 0) return;
  if (!PcmOn) {
    PcmClose();
    return;
  }
  PcmDone = 0;
  PcmClose();
  const uint32_t start = PlatTicks();
  while (PcmDone != 1 && ElapsedSince(start) <= kStopWaitMs && PcmOn != 0) PumpMessages();
}

void PcmFinish() {
  if (!PcmOn || PcmPlaying != 1) return;
  if (Skipping()) {
    PcmStop();
    return;
  }
  if (PcmLoops != 0) {
    // The sound ends by itself, or the player ends it.
    ClearInput();
    PcmPlaying = 3;
    uint32_t volume = 0;
    PlatWaveGetVolume(volume);
    while (!(InputTriggers & (InputCancel | InputOk))) {
      PumpMessages();
      if (PcmPlaying == 0) return;
      if (SkipToChoice == 1) {
        PcmStop();
        return;
      }
    }
    PlatWaveGetVolume(SavedWaveVolume);
    if (SavedWaveVolume != 0) FadeOut(true);
    PlatWaveReset();
    if (SavedWaveVolume != 0) PlatWaveSetVolume(SavedWaveVolume);
    PcmStop();
    ClearInput();
    return;
  }
  PlatWaveGetVolume(SavedWaveVolume);
  if (SavedWaveVolume != 0) FadeOut(false);
  PlatWaveReset();
  if (SavedWaveVolume != 0) PlatWaveSetVolume(SavedWaveVolume);
  PcmStop();
}

void PcmFadeOut() {
  PcmLoops = 0;
  PcmFinish();
}

void PcmToggleSetting() {
  const uint16_t old = PcmOn;
  const uint16_t now = old ? 0 : 1;
  PcmOn = now;
  PlatMenuCheck(kMenuPcm, now != 0);
  SettingsSave();
  // Only a sound that is playing (or recorded as playing) comes back under the new setting;
  // one stopped earlier stays stopped.
  const bool wasPlaying = PcmPlaying != 0;
  PcmOn = old;
  PcmStop();
  PcmOn = now;
  if (wasPlaying && PcmLoops != 1) PcmPlay(PcmLoops, PcmArg);
}

void AudioReset() {
  CdState = 0;
  CdDevice = 0;
  CdPlaying = 0;
  CdLoop = 1;
  CurrentMusic = kNoMusic;
  LastMusic = kNoMusic;
  CdPollDelay = 0;
  CdAuxCount = 0;
  PcmEntry = kNoPcm;
  PcmPlaying = 0;
  PcmLoops = 0;
  PcmArg = 0;
  PcmBlock = 0;
  PcmSize = 0;
  PcmDone = 0;
  SavedWaveVolume = 0;
}
