// CD music on the headless devices: which track plays and how far, the loop restart by the
// poll, remembered requests while music is off, fades and the wait for a track's end.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "support/audio_fixture.h"

namespace {

using CdTest = AudioTest;

TEST_F(CdTest, LoopedIndexPlayedTwiceStartsOnce) {
  WriteTrack(7, 0, 10, 0);
  WriteTrack(2, 0, 10, 0);
  ASSERT_EQ(CdOpen(false), 0u);
  CdPlay(5, true);
  CdPlay(5, true);
  EXPECT_EQ(HeadlessAudioLines({"CdPlay"}), Lines{"CdPlay 7:00:00:00 7:00:07:38"});
  // Another index replaces it: stop, then the new track played to its end.
  CdPlay(0, false);
  EXPECT_EQ(HeadlessAudioLines({"CdPlay", "CdStop"}),
            (Lines{"CdPlay 7:00:00:00 7:00:07:38", "CdStop", "CdPlay 2:00:00:00 2:00:10:00"}));
  EXPECT_EQ(LastMusic, 5);
}

TEST_F(CdTest, IndicesFollowTheTableAndAMissingTrackFailsSilently) {
  for (int track : {2, 28, 29, 31}) WriteTrack(track, 0, 5, 0);
  ASSERT_EQ(CdOpen(false), 0u);
  const size_t boxes = HeadlessMessageBoxes().size();
  // Out of the table (34, none): nothing at all.
  for (int index : {0, 26, 27, 32, 34, int{kNoMusic}}) CdPlay(static_cast<uint8_t>(index), false);
  EXPECT_EQ(HeadlessAudioLines({"CdSeek"}),
            (Lines{"CdSeek 2", "CdSeek 28", "CdSeek 31", "CdSeek 29"}));
  EXPECT_EQ(CurrentMusic, 32);
  // Index 4 is track 6, which is not there.
  CdPlay(4, true);
  EXPECT_EQ(HeadlessAudioLines({"CdPlay"}).back(), "CdPlay 6:00:00:00 6:00:00:00 -> 282");
  EXPECT_EQ(CdPlaying, 0u);
  EXPECT_EQ(HeadlessMessageBoxes().size(), boxes);
}

TEST_F(CdTest, LoopedTracksStopTwoSecondsAndThirtySevenFramesShort) {
  WriteTrack(2, 3, 1, 10);
  ASSERT_EQ(CdOpen(false), 0u);
  CdPlay(0, true);
  EXPECT_EQ(HeadlessAudioLines({"CdPlay"}).back(), "CdPlay 2:00:00:00 2:02:58:48");
  // Shortening borrows seconds from minutes and frames from seconds or minutes, never going
  // below 0.
  const struct {
    int m, s, f, wantM, wantS, wantF;
  } cases[] = {{2, 0, 40, 1, 58, 3},
               {0, 1, 20, 0, 0, 58},
               {1, 2, 10, 0, 59, 48},
               {0, 0, 20, 0, 0, 20},
               {0, 2, 36, 0, 0, 36}};
  for (const auto& c : cases) {
    int m = c.m, s = c.s, f = c.f;
    CdShortenForLoop(m, s, f);
    EXPECT_EQ(std::tie(m, s, f), std::tie(c.wantM, c.wantS, c.wantF))
        << c.m << ":" << c.s << ":" << c.f;
  }
}

TEST_F(CdTest, MusicOffRemembersAndSwitchingOnPlaysLooped) {
  WriteTrack(5, 0, 30, 0);
  ASSERT_EQ(CdOpen(false), 0u);
  HeadlessClearAudioCalls();
  MusicOn = 0;
  CdPlay(3, false);
  EXPECT_TRUE(HeadlessAudioLines({"Cd"}).empty());
  EXPECT_EQ(CurrentMusic, 3);
  EXPECT_EQ(CdPlaying, 1u);

  SettingsCommand(kMenuMusic);
  EXPECT_EQ(HeadlessSettings().at("Music"), "1");
  // The remembered request comes back looped, whatever it asked for.
  EXPECT_EQ(HeadlessAudioLines({"CdPlay"}), Lines{"CdPlay 5:00:00:00 5:00:27:38"});

  // Off again: the device stops, the track stays remembered.
  SettingsCommand(kMenuMusic);
  EXPECT_EQ(Count("CdStop"), 1u);
  EXPECT_EQ(HeadlessAudioHeard().cdTrack, 0);
  EXPECT_EQ(CurrentMusic, 3);
  EXPECT_EQ(CdPlaying, 1u);
}

TEST_F(CdTest, PollRestartsALoopedTrackAfterItEnds) {
  WriteTrack(2, 0, 4, 0);  // looped, it plays 1.507 s
  ASSERT_EQ(CdOpen(false), 0u);
  const uint32_t start = PlatTicks();
  CdPlay(0, true);
  PumpUntil(start + 5000);

  const uint32_t end = TimeOf("CdEnd");
  ASSERT_NE(end, ~0u);
  EXPECT_NEAR(static_cast<double>(end - start), 1507, 2);
  // The status is asked every 10 timer ticks, so the restart comes within 800 ms (+ a tick).
  const uint32_t again = TimeOf("CdPlay", end);
  ASSERT_NE(again, ~0u);
  EXPECT_LE(again - end, 880u);
  EXPECT_EQ(HeadlessAudioLines({"CdPlay"})[1], "CdPlay 2:00:00:00 2:00:01:38");
  const uint32_t third = TimeOf("CdPlay", again + 1);
  ASSERT_NE(third, ~0u);
  EXPECT_NEAR(static_cast<double>(third - again), 1600, 90);
  // The device is asked about every 800 ms, not at every pump step.
  EXPECT_LE(Count("CdMode"), 7u);
}

TEST_F(CdTest, SuspendedTrackIsNotRestarted) {
  WriteTrack(2, 0, 4, 0);
  ASSERT_EQ(CdOpen(false), 0u);
  CdPlay(0, true);
  CdSuspend();
  PumpUntil(PlatTicks() + 4000);
  EXPECT_EQ(Count("CdPlay"), 1u);
  EXPECT_EQ(Count("CdMode"), 0u);
  // The same index plays again when asked.
  CdPlay(0, true);
  EXPECT_EQ(Count("CdPlay"), 2u);
}

TEST_F(CdTest, FadeWithoutAMixerControlStopsAtOnce) {
  HeadlessConfigureAudio({.aux = {}});
  WriteTrack(2, 0, 30, 0);
  ASSERT_EQ(CdOpen(false), 0u);
  CdPlay(0, true);
  const uint32_t before = PlatTicks();
  CdFadeOut();
  EXPECT_EQ(PlatTicks(), before);
  EXPECT_EQ(Count("AuxSetVolume"), 0u);
  EXPECT_EQ(Count("CdStop"), 1u);
  EXPECT_EQ(CurrentMusic, kNoMusic);
}

TEST_F(CdTest, FadeStepsTheMixerDownThenPutsItBack) {
  // A CD control is taken before line-in, never that of the excluded driver (26, 16). The
  // stereo CD control fades both channels; a mono line-in control keeps its high word.
  const PlatAuxCaps lineIn{1, 1, AUXCAPS_AUXIN, AUXCAPS_VOLUME},
      excluded{26, 16, AUXCAPS_CDAUDIO, AUXCAPS_VOLUME | AUXCAPS_LRVOLUME};
  const HeadlessAudioConfig stereo{
      .aux = {lineIn, excluded, {2, 2, AUXCAPS_CDAUDIO, AUXCAPS_VOLUME | AUXCAPS_LRVOLUME}}};
  const HeadlessAudioConfig mono{.aux = {excluded, lineIn}};
  const struct {
    const HeadlessAudioConfig& config;
    int device;
    uint32_t volume;
    const char *first, *silent, *back;
  } cases[] = {{stereo, 2, 0x8000FFFF, "AuxSetVolume 2 7c00f7ff", "AuxSetVolume 2 00000000",
                "AuxSetVolume 2 8000ffff"},
               {mono, 1, 0x12348000, "AuxSetVolume 1 12347c00", "AuxSetVolume 1 12340000",
                "AuxSetVolume 1 12348000"}};
  WriteTrack(2, 0, 30, 0);
  for (const auto& c : cases) {
    HeadlessConfigureAudio(c.config);
    ASSERT_EQ(CdOpen(false), 0u);
    PlatAuxSetVolume(c.device, c.volume);
    CdPlay(0, true);
    HeadlessClearAudioCalls();
    const uint32_t before = PlatTicks();
    CdFadeOut();
    EXPECT_GE(PlatTicks() - before, 32u * 30);
    EXPECT_LT(PlatTicks() - before, 32u * 40);
    const Lines sets = HeadlessAudioLines({"AuxSetVolume"});
    ASSERT_EQ(sets.size(), 33u);
    EXPECT_EQ(sets[0], c.first);  // 31/32 of each channel
    // The stop comes at silence, before the volume goes back.
    const Lines tail = HeadlessAudioLines({"CdStop", "AuxSetVolume"});
    EXPECT_EQ(Lines(tail.end() - 3, tail.end()), (Lines{c.silent, "CdStop", c.back}));
    CdClose();
  }
}

TEST_F(CdTest, DeviceThatWillNotOpenWarnsOnceAndRemembersRequests) {
  HeadlessConfigureAudio({.cdOpenError = MCIERR_DEVICE_OPEN});
  const size_t boxes = HeadlessMessageBoxes().size();
  EXPECT_EQ(CdOpen(false), MCIERR_DEVICE_OPEN);
  ASSERT_EQ(HeadlessMessageBoxes().size(), boxes + 1);
  const HeadlessBox& box = HeadlessMessageBoxes().back();
  const std::string unusable = "ＣＤオーディオが使用できないため、音楽は演奏されません。\n";
  EXPECT_EQ(box.caption, "デバイスがオープンできません。");
  EXPECT_EQ(box.text, unusable +
                          "音楽を演奏する場合は、他のＣＤを使用しているプログラムを終了して\n"
                          "再起動してください。\n");
  EXPECT_EQ(box.flags, MB_OK | MB_ICONSTOP);

  // A later request tries again without a word, and is remembered when that fails too.
  CdPlay(3, true);
  EXPECT_EQ(HeadlessMessageBoxes().size(), boxes + 1);
  EXPECT_EQ(Count("CdOpen"), 2u);
  EXPECT_EQ(CurrentMusic, 3);
  EXPECT_EQ(CdPlaying, 1u);

  // Once the device opens, the next request plays.
  HeadlessConfigureAudio(HeadlessAudioConfig{});
  WriteTrack(6, 0, 9, 0);
  CdPlay(4, false);
  EXPECT_EQ(HeadlessAudioLines({"CdPlay"}), Lines{"CdPlay 6:00:00:00 6:00:09:00"});

  // Another error gives only the first line.
  HeadlessConfigureAudio({.cdOpenError = MCIERR_HARDWARE});
  CdOpen(false);
  EXPECT_EQ(HeadlessMessageBoxes().back().text, unusable);
}

TEST_F(CdTest, WaitEndReturnsWhenATrackPlayedOnceEnds) {
  WriteTrack(2, 0, 3, 0);
  ASSERT_EQ(CdOpen(false), 0u);
  const uint32_t start = PlatTicks();
  CdPlay(0, false);
  CdWaitEnd();
  // The device is asked every 600 ms; a track played once is never restarted.
  EXPECT_GE(PlatTicks() - start, 3000u);
  EXPECT_LE(PlatTicks() - start, 3700u);
  EXPECT_EQ(LastMusic, 0);
  EXPECT_EQ(Count("CdPlay"), 1u);

  // A looped track is stopped at once.
  CdPlay(0, true);
  const uint32_t before = PlatTicks();
  CdWaitEnd();
  EXPECT_EQ(PlatTicks(), before);
  EXPECT_EQ(CdPlaying, 0u);
}

}  // namespace
