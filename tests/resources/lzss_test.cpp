// LZSS packed blocks: the decoder against a plain ring on random streams and on every way of
// copying, the packer's round trips and ratios, and damaged, cut or random streams, which must
// never be read past.
#include "resources/lzss.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "resources/lzss_stream.h"
#include "resources/memory.h"

namespace {

// Data of the kinds scenario blocks hold, plus the hard cases for a match finder: one byte,
// zeros (the ring starts zeroed), noise, text, and repeats a ring's length apart and beyond.
std::vector<std::vector<uint8_t>> Samples() {
  std::vector<std::vector<uint8_t>> samples = {{0x42},
                                               std::vector<uint8_t>(18, 0),
                                               std::vector<uint8_t>(70000, 0),
                                               std::vector<uint8_t>(50000),
                                               {} /* text */,
                                               std::vector<uint8_t>(20000)};
  std::mt19937 rng(7);
  for (auto& v : samples[3]) v = static_cast<uint8_t>(rng());
  for (int i = 0; samples[4].size() < 30000; i++) {
    const std::string line = "line " + std::to_string(i % 97) + ": the lantern burns low, ";
    samples[4].insert(samples[4].end(), line.begin(), line.end());
  }
  for (size_t i = 0; i < samples[5].size(); i++)
    samples[5][i] = static_cast<uint8_t>((i % 4095) * 7 + (i % 4097));
  return samples;
}

TEST(LzssUnpack, RefusesCountsItCannotHonour) {
  const std::vector<uint8_t> s = TestStream{}.Lit(1).Lit(2).Lit(3).bytes;
  std::vector<uint8_t> out(8, 0xEE);
  EXPECT_FALSE(LzssUnpack(out, TestBlock(0, s)));
  EXPECT_FALSE(LzssUnpack(out, TestBlock(-3, s)));
  EXPECT_FALSE(LzssUnpack(std::span<uint8_t>(out.data(), 2), TestBlock(3, s)));
  EXPECT_FALSE(LzssUnpack(out, std::vector<uint8_t>{3, 0, 0}));
  EXPECT_EQ(out, std::vector<uint8_t>(8, 0xEE));
  // More than nine bytes out of each stream byte is impossible, so such a count is damage.
  EXPECT_EQ(LzssBlockSize(TestBlock(4 * 9, s)), 36u);
  EXPECT_EQ(LzssBlockSize(TestBlock(4 * 9 + 1, s)), 0u);
}

TEST(LzssUnpack, RandomBlocksStayInsideTheirBuffers) {
  // Blocks of exact size: under the sanitizers any read past one or write past `out` stops
  // the test. Half of them have a count the stream might just hold.
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; round++) {
    std::vector<uint8_t> block(4 + rng() % 60);
    for (auto& v : block) v = static_cast<uint8_t>(rng());
    const uint32_t count = rng() % 600;
    for (int i = 0; i < 4 && round % 2; i++) block[i] = static_cast<uint8_t>(count >> 8 * i);
    std::vector<uint8_t> out(LzssBlockSize(block));
    ASSERT_TRUE(!LzssUnpack(out, block) || !out.empty()) << "round " << round;
  }
}

TEST(LzssUnpack, AgreesWithAPlainRingOnRandomStreams) {
  // The decoder copies out of a sliding window; a plain 4096-byte ring, zeroed for each block
  // and written from 0xFEE on, one byte at a time, must give the same bytes for inverted
  // literals and for references to any position (the write position itself included) at every
  // distance, over outputs that wrap the ring many times and end inside a reference.
  std::mt19937 rng(21);
  for (int round = 0; round < 40; round++) {
    TestStream s;
    std::vector<uint8_t> ring(4096, 0), expected;
    uint32_t r = 0xFEE;
    const auto put = [&](uint8_t v) {
      expected.push_back(v);
      ring[r] = v;
      r = (r + 1) & 4095;
    };
    const uint32_t target = 1000 + rng() % 60000, literalShare = rng() % 8;
    while (expected.size() < target) {
      if (rng() % 8 < literalShare) {
        const auto v = static_cast<uint8_t>(rng());
        s.Lit(v);
        put(v);
        continue;
      }
      const uint32_t len = 3 + rng() % 16, pick = rng() % 4;
      const uint32_t pos = pick == 0 ? r : pick == 1 ? (r - 1 - rng() % 20) & 4095 : rng() % 4096;
      s.Ref(pos, len);
      for (uint32_t k = 0; k < len; k++) put(ring[(pos + k) & 4095]);
    }
    const uint32_t count = static_cast<uint32_t>(expected.size()) - rng() % 3;
    expected.resize(count);
    std::vector<uint8_t> out(count);
    ASSERT_TRUE(LzssUnpack(out, TestBlock(static_cast<int32_t>(count), s.bytes)));
    ASSERT_EQ(out, expected) << "round " << round;
  }
}

// A literal map for the plain flavour: any permutation serves.
std::array<uint8_t, 256> ScrambledBytes() {
  std::array<uint8_t, 256> map{};
  for (int i = 0; i < 256; i++) map[i] = static_cast<uint8_t>(i * 7 + 3);
  return map;
}

TEST(LzssDecode, EveryDistanceAndLengthAgreesWithAPlainRing) {
  // Each way a reference can be copied (short distances, chunks, whole laps of the ring), at
  // every length: at the start, reaching into the cleared ring; amid the output; and at its
  // end, where groups of the longest references run up to the last byte of the output or on
  // past it. Both flavours, one with a map; a few literals first move the flag groups.
  static const std::array<uint8_t, 256> map = ScrambledBytes();
  const uint32_t distances[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 24, 25, 640, 4095, 4096};
  std::mt19937 rng(3);
  for (const bool inverted : {true, false}) {
    for (const uint32_t d : distances) {
      for (int lead = 0; lead < 8; lead++) {
        RingModel m{.stream = {.inverted = inverted}, .map = inverted ? nullptr : map.data()};
        for (int i = 0; i < lead; i++) m.Lit(static_cast<uint8_t>(rng()));
        for (uint32_t len = 3; len <= 18; len++) m.Back(d, len);
        for (int i = 0; i < 300; i++) m.Lit(static_cast<uint8_t>(rng()));
        for (uint32_t len = 3; len <= 18; len++) m.Lit(static_cast<uint8_t>(rng())).Back(d, len);
        for (uint32_t len = 18; len >= 3; len--) m.Back(d, len);
        for (int i = 0; i < 16; i++) m.Back(d, 18);
        for (uint32_t cut = 0; cut < 160; cut++) {
          std::vector<uint8_t> out(m.out.size() - cut);
          ASSERT_TRUE(LzssDecode(out, m.stream.bytes,
                                 inverted ? LzssCoding::Inverted : LzssCoding::Plain, m.map));
          ASSERT_TRUE(std::equal(out.begin(), out.end(), m.out.begin()))
              << "distance " << d << (inverted ? ", inverted" : ", plain") << ", lead " << lead
              << ", cut " << cut;
        }
      }
    }
  }
}

TEST(LzssDecode, RefusesEveryCutStreamWithoutStrayingOutOfItsBuffers) {
  // Stream and output are exactly sized heap buffers, so that the sanitizers catch any access
  // past them wherever the stream ends: in a flag byte, a literal or either byte of a reference.
  std::mt19937 rng(8);
  for (const bool inverted : {true, false}) {
    RingModel m{.stream = {.inverted = inverted}};
    while (m.out.size() < 2500) {
      if (rng() % 3 == 0) {
        m.Lit(static_cast<uint8_t>(rng()));
      } else {
        m.Back(rng() % 2 ? 1 + rng() % 24 : 1 + rng() % 4096, 3 + rng() % 16);
      }
    }
    const LzssCoding coding = inverted ? LzssCoding::Inverted : LzssCoding::Plain;
    const std::vector<uint8_t>& whole = m.stream.bytes;
    for (size_t cut = 0; cut < whole.size(); cut++) {
      const std::vector<uint8_t> src(whole.begin(), whole.begin() + cut);
      std::vector<uint8_t> out(m.out.size());
      ASSERT_FALSE(LzssDecode(out, src, coding)) << "cut at " << cut;
    }
    std::vector<uint8_t> out(m.out.size());
    ASSERT_TRUE(LzssDecode(out, whole, coding));
    EXPECT_EQ(out, m.out);
  }
}

TEST(LzssPack, RoundTripsEverySampleAndFindsMatches) {
  const std::vector<std::vector<uint8_t>> samples = Samples();
  for (const std::vector<uint8_t>& data : samples) {
    const std::vector<uint8_t> block = LzssPack(data);
    ASSERT_EQ(LzssBlockSize(block), data.size());
    std::vector<uint8_t> out(data.size());
    ASSERT_TRUE(LzssUnpack(out, block));
    ASSERT_EQ(out, data) << "sample of " << data.size() << " bytes";
  }
  // Zeros cost one reference per 18 bytes, from the very first byte (the ring starts zeroed).
  EXPECT_EQ(LzssPack(samples[1]).size(), 4u + 1 + 2);
  EXPECT_LT(LzssPack(samples[2]).size(), 70000u / 8);
  EXPECT_LT(LzssPack(samples[4]).size(), samples[4].size() / 4);
  // Noise cannot shrink; it costs one flag byte per eight literals.
  EXPECT_LE(LzssPack(samples[3]).size(), 4 + samples[3].size() * 9 / 8 + 1);
  EXPECT_EQ(LzssPack({}), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(UnpackBlock, MakesAnUnlockedBlockOfTheDataAndStopsOnDamage) {
  MemFreeAll();
  MemReset();
  const std::vector<uint8_t> data = Samples()[4];
  const MemHandle handle = UnpackBlock(LzssPack(data), "EVENT DATA");
  ASSERT_EQ(MemSize(handle), data.size());
  EXPECT_EQ(MemLockCount(handle), 0);
  EXPECT_TRUE(std::equal(data.begin(), data.end(), MemLock(handle)));
  // A count of zero or below gives an empty block.
  for (const int32_t count : {0, -5}) {
    const MemHandle empty = UnpackBlock(TestBlock(count, {0x00}), "MESSAGE DATA");
    EXPECT_NE(empty, 0u);
    EXPECT_EQ(MemSize(empty), 0u);
  }
  std::vector<uint8_t> cut = LzssPack(data);
  cut.resize(cut.size() / 2);
  EXPECT_EXIT(UnpackBlock(cut, "EVENT DATA"), ::testing::ExitedWithCode(1),
              "終了します: データ異常です : 展開バッファ");
  EXPECT_EXIT(UnpackBlock(std::vector<uint8_t>{1, 0}, "EVENT DATA", "0012.SCN"),
              ::testing::ExitedWithCode(1), "データ異常です : 展開バッファ\n0012.SCN");
  MemFreeAll();
}

}  // namespace
