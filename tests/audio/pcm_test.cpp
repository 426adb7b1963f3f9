// PCM sound on the headless wave device: single, counted and endless plays, the done message,
// recorded plays while PCM is off, fades, PcmFinish and the odd-length entry.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "scenario/scenario.h"
#include "support/audio_fixture.h"

namespace {

// 0.1 s of 16-bit mono at 22050 samples a second.
constexpr uint32_t kTenthBytes = 4410;

class PcmTest : public AudioTest {
 protected:
  void SetUp() override {
    AudioTest::SetUp();
    // Sound entries 1 to 3: a tenth of a second, a second, and a tenth and one byte.
    WriteStartArchives(dir.path, {{"MR_VD01.P16", std::string(kTenthBytes, '\x01')},
                                  {"MR_VD02.P16", std::string(44100, '\x01')},
                                  {"MR_VD03.P16", std::string(kTenthBytes + 1, '\x01')}});
    ASSERT_TRUE(PackOpen());
    SkipToChoice = 0;
    ReadTextFast = 0;
    SkipAllowed = 0;
  }
  void TearDown() override {
    SkipToChoice = 0;
    AudioTest::TearDown();
  }
};

TEST_F(PcmTest, EndlessPlayRepeatsUntilStopped) {
  PcmLoad(1);
  PcmPlay(0, 7);
  PumpUntil(PlatTicks() + 1000);
  EXPECT_GE(HeadlessAudioHeard().wavePass, 9u);
  EXPECT_EQ(PcmPlaying, 1);

  PcmStop();
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_FALSE(HeadlessAudioHeard().wave);
  // The stop waits for the buffer to come back before it closes the device.
  EXPECT_EQ(HeadlessAudioLines({"Wave"}), (Lines{"WaveOpen 22050 16 1", "WaveWrite 4410 endless",
                                                 "WaveReset", "WaveDone", "WaveClose"}));
  EXPECT_EQ(MemLockCount(PcmBlock), 0);
}

TEST_F(PcmTest, CountedPlaysEndWithTheDoneMessage) {
  PcmLoad(1);
  const uint32_t start = PlatTicks();
  PcmPlay(1, 0);
  PumpUntil(start + 50);
  EXPECT_EQ(PcmPlaying, 1);
  PumpUntil(start + 150);
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_EQ(TimeOf("WaveDone") - start, 100u);
  EXPECT_EQ(HeadlessAudioLines({"Wave"}).back(), "WaveClose");

  const uint32_t again = PlatTicks();
  PcmPlay(3, 0);
  PumpUntil(again + 400);
  EXPECT_EQ(TimeOf("WaveDone", again) - again, 300u);
  EXPECT_EQ(PcmPlaying, 0);
}

TEST_F(PcmTest, OffRecordsAPlayAndSwitchingOnStartsTheEndlessSound) {
  PcmLoad(2);
  PcmOn = 0;
  PcmPlay(0, 9);
  EXPECT_TRUE(HeadlessAudioLines({"Wave"}).empty());
  EXPECT_EQ(PcmPlaying, 1);

  SettingsCommand(kMenuPcm);
  EXPECT_EQ(HeadlessSettings().at("Wave"), "1");
  EXPECT_EQ(HeadlessAudioLines({"Wave"}),
            (Lines{"WaveOpen 22050 16 1", "WaveWrite 44100 endless"}));
  EXPECT_EQ(PcmArg, 9);

  // Off: the device stops and the sound is recorded as playing again.
  SettingsCommand(kMenuPcm);
  EXPECT_EQ(HeadlessSettings().at("Wave"), "0");
  EXPECT_FALSE(HeadlessAudioHeard().wave);
  EXPECT_EQ(PcmPlaying, 1);
}

TEST_F(PcmTest, ToggleLeavesFinishedAndSingleSoundsAlone) {
  PcmLoad(1);
  PcmPlay(0, 0);
  PcmStop();
  PcmPlay(1, 0);  // a single play is not repeated by a toggle either
  const size_t writes = Count("WaveWrite");
  SettingsCommand(kMenuPcm);
  SettingsCommand(kMenuPcm);
  EXPECT_EQ(Count("WaveWrite"), writes);
  EXPECT_EQ(PcmPlaying, 0);

  // An endless sound that was stopped stays stopped across both toggles.
  PcmPlay(0, 0);
  PcmStop();
  SettingsCommand(kMenuPcm);
  SettingsCommand(kMenuPcm);
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_FALSE(HeadlessAudioHeard().wave);
}

TEST_F(PcmTest, FinishWaitsForASinglePlayAndFadesOutOnInput) {
  PcmLoad(2);  // one second
  uint32_t start = PlatTicks();
  PcmPlay(1, 0);
  PcmFinish();
  EXPECT_EQ(PlatTicks() - start, 1000u);
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_EQ(Count("WaveSetVolume"), 0u);  // no fade: it ended by itself

  PcmPlay(2, 0);
  start = PlatTicks();
  HeadlessGetConfig().steps = {{start + 300, HeadlessAction::KeyDown, VK_RETURN},
                               {start + 350, HeadlessAction::KeyUp, VK_RETURN}};
  PcmFinish();
  // The fade begins at the press and takes 32 steps of 30 ms: the sound is cut short.
  EXPECT_GE(PlatTicks() - start, 300u + 32 * 30);
  EXPECT_LT(PlatTicks() - start, 2000u);
  const auto sets = HeadlessAudioLines({"WaveSetVolume"});
  ASSERT_GE(sets.size(), 33u);
  EXPECT_EQ(sets.front(), "WaveSetVolume f7fff7ff");
  EXPECT_EQ(sets[31], "WaveSetVolume 00000000");
  EXPECT_EQ(sets.back(), "WaveSetVolume ffffffff");
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_EQ(InputTriggers, 0);
  EXPECT_GE(TimeOf("WaveReset", start + 1) - start, 300u + 32 * 30);
}

TEST_F(PcmTest, FadeOutOfAnEndlessSound) {
  PcmLoad(1);
  PcmPlay(0, 0);
  const uint32_t start = PlatTicks();
  PcmFadeOut();
  EXPECT_GE(PlatTicks() - start, 32u * 30);
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_EQ(Count("WaveSetVolume"), 34u);  // 32 steps, the restore after the reset, the close
  EXPECT_EQ(HeadlessAudioHeard().waveVolume, 0xFFFFFFFFu);

  // While text is skipped it stops at once.
  PcmPlay(0, 0);
  SkipToChoice = 1;
  const uint32_t before = PlatTicks();
  PcmFadeOut();
  EXPECT_LE(PlatTicks() - before, 2u);
  EXPECT_EQ(PcmPlaying, 0);
}

TEST_F(PcmTest, FadeInRisesToTheSavedVolumeUnlessSkipping) {
  PcmLoad(2);
  PlatWaveSetVolume(0x80008000);
  HeadlessClearAudioCalls();
  SkipToChoice = 1;
  const uint32_t before = PlatTicks();
  PcmPlayFadeIn(0, 0);
  EXPECT_EQ(PlatTicks(), before);
  EXPECT_EQ(HeadlessAudioLines({"Wave"}),
            (Lines{"WaveOpen 22050 16 1", "WaveGetVolume -> 80008000", "WaveSetVolume 00000000",
                   "WaveWrite 44100 endless", "WaveSetVolume 80008000"}));
  PcmStop();

  SkipToChoice = 0;
  HeadlessClearAudioCalls();
  const uint32_t start = PlatTicks();
  PcmPlayFadeIn(0, 0);
  EXPECT_GE(PlatTicks() - start, 32u * 30);
  const auto sets = HeadlessAudioLines({"WaveSetVolume"});
  ASSERT_EQ(sets.size(), 34u);  // to 0, 32 steps up from 0, the saved volume
  EXPECT_EQ(sets[2], "WaveSetVolume 04000400");
  EXPECT_EQ(sets[32], "WaveSetVolume 7c007c00");
  EXPECT_EQ(sets[33], "WaveSetVolume 80008000");

  // Read text shown fast counts as skipping too.
  PcmStop();
  ReadTextFast = 1;
  SkipAllowed = 1;
  const uint32_t fast = PlatTicks();
  PcmPlayFadeIn(1, 0);
  EXPECT_EQ(PlatTicks(), fast);
}

TEST_F(PcmTest, OddLengthEntryPlaysWithoutItsLastByte) {
  PcmLoad(3);
  EXPECT_EQ(PcmSize, kTenthBytes);
  PcmPlay(1, 0);
  EXPECT_EQ(HeadlessAudioLines({"WaveWrite"}), Lines{"WaveWrite 4410 1"});
}

TEST_F(PcmTest, DeviceFailuresLeaveTheSoundIdle) {
  PcmLoad(1);
  HeadlessConfigureAudio({.waveOpenError = MMSYSERR_NODRIVER});
  PcmPlay(0, 0);
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_EQ(MemLockCount(PcmBlock), 0);

  HeadlessConfigureAudio({.waveWriteError = MMSYSERR_NODRIVER});
  PlatWaveSetVolume(0x40004000);
  PcmPlayFadeIn(0, 0);
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_EQ(MemLockCount(PcmBlock), 0);
  EXPECT_EQ(HeadlessAudioLines({"Wave"}).back(), "WaveClose");
  EXPECT_EQ(HeadlessAudioHeard().waveVolume, 0x40004000u);  // the volume it took away is back
}

TEST_F(PcmTest, LoadAndUnloadStopFirst) {
  PcmLoad(1);
  PcmPlay(0, 0);
  const int16_t blocks = MemTable.count;
  PcmLoad(2);
  EXPECT_EQ(MemTable.count, blocks);  // the first sound's block is gone
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_EQ(Count("WaveClose"), 1u);
  PcmPlay(0, 0);
  EXPECT_EQ(HeadlessAudioLines({"WaveWrite"}).back(), "WaveWrite 44100 endless");
  PcmUnload();
  EXPECT_EQ(MemTable.count, blocks - 1);
  EXPECT_FALSE(HeadlessAudioHeard().wave);
  // Nothing loaded: a play does nothing.
  PcmPlay(0, 0);
  EXPECT_EQ(PcmPlaying, 0);
}

TEST_F(PcmTest, StopWaitsAtMostTwoSecondsForTheBuffer) {
  // A sound shorter than its fade-in is done before it counts as playing, so no done message
  // is left to wait for when it is stopped.
  PcmLoad(1);
  PcmPlayFadeIn(1, 0);
  EXPECT_EQ(PcmPlaying, 1);
  const uint32_t start = PlatTicks();
  PcmStop();
  EXPECT_EQ(PcmPlaying, 0);
  EXPECT_NEAR(static_cast<double>(PlatTicks() - start), 2000, 5);
}

}  // namespace
