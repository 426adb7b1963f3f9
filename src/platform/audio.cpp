// CD music, auxiliary volume and wave output on the host. The sound backend is not built yet:
// the CD device and the wave device report themselves not ready and no mixer control exists,
// which the engine handles as a machine without sound.
#include <cstdio>

#include "platform/platform_local.h"

namespace {

void ReportMissingSound() {
  static bool reported = false;
  if (reported) return;
  reported = true;
  std::fprintf(stderr, "lanternia3: sound output not available yet\n");
}

}  // namespace

uint32_t PlatCdOpen() {
  ReportMissingSound();
  return MCIERR_HARDWARE;
}
uint32_t PlatCdClose() {
  return 0;
}
uint32_t PlatCdSeekTrack(int) {
  return MCIERR_DEVICE_NOT_READY;
}
uint32_t PlatCdTrackLength(int, int& minutes, int& seconds, int& frames) {
  minutes = seconds = frames = 0;
  return MCIERR_DEVICE_NOT_READY;
}
uint32_t PlatCdPlay(uint32_t, uint32_t) {
  return MCIERR_DEVICE_NOT_READY;
}
uint32_t PlatCdStop() {
  return 0;
}
uint32_t PlatCdMode(uint32_t& mode) {
  mode = MCI_MODE_NOT_READY;
  return 0;
}

int PlatAuxCount() {
  return 0;
}
bool PlatAuxGetCaps(int, PlatAuxCaps&) {
  return false;
}
bool PlatAuxGetVolume(int, uint32_t& volume) {
  volume = 0;
  return false;
}
bool PlatAuxSetVolume(int, uint32_t) {
  return false;
}

uint32_t PlatWaveOpen(int, int, int) {
  ReportMissingSound();
  return MCIERR_HARDWARE;
}
uint32_t PlatWaveWrite(std::span<const uint8_t>, uint32_t) {
  return MCIERR_HARDWARE;
}
void PlatWaveReset() {}
void PlatWaveClose() {}
bool PlatWaveGetVolume(uint32_t& volume) {
  volume = 0;
  return false;
}
bool PlatWaveSetVolume(uint32_t) {
  return false;
}
