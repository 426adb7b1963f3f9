// LZSS packed blocks: the decoder's ring and item rules on hand-made streams, the packer's
// round trips and ratios, and damaged or random blocks, which must never be read past.
#include "resources/lzss.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "resources/lzss_stream.h"
#include "resources/memory.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

// Data of the kinds scenario blocks and pictures hold, plus the hard cases for a match finder.
std::vector<std::vector<uint8_t>> Samples() {
  std::mt19937 rng(7);
  std::vector<std::vector<uint8_t>> samples = {
      {0x42}, std::vector<uint8_t>(18, 0), std::vector<uint8_t>(70000, 0)};
  std::vector<uint8_t> random(50000);
  for (auto& v : random) v = static_cast<uint8_t>(rng());
  samples.push_back(random);
  std::string text;
  for (int i = 0; text.size() < 30000; i++) {
    text += "line " + std::to_string(i % 97) + ": the lantern burns low, ";
  }
  samples.push_back(Bytes(text));
  // Repeats exactly a ring's length apart and just beyond it, and runs over the wrap point.
  std::vector<uint8_t> far(20000);
  for (size_t i = 0; i < far.size(); i++)
    far[i] = static_cast<uint8_t>((i % 4095) * 7 + (i % 4097));
  samples.push_back(far);
  // Few symbols with random runs: like picture rows.
  std::vector<uint8_t> runs;
  while (runs.size() < 40000)
    runs.insert(runs.end(), 1 + rng() % 40, static_cast<uint8_t>(rng() % 6));
  samples.push_back(runs);
  return samples;
}

TEST(LzssUnpack, HandMadeStreams) {
  // Each block is unpacked into 8 bytes of 0xEE; earlier blocks must leave no trace in the ring.
  const struct {
    const char* what;
    TestStream stream;
    int32_t count;
    std::vector<uint8_t> expected;
  } cases[] = {
      {"literals are inverted, a reference copies from the ring start 0xFEE",
       TestStream{}.Lit('a').Lit('b').Ref(0xFEE, 4), 6, Bytes("ababab\xEE\xEE")},
      {"one behind repeats that byte", TestStream{}.Lit('x').Ref(0xFEE, 7), 8, Bytes("xxxxxxxx")},
      {"after a block of '#', the ring is all zero again", TestStream{}.Ref(0xFEE, 5).Ref(0x123, 3),
       8, std::vector<uint8_t>(8, 0)},
      {"the count ends inside a reference and a flag group", TestStream{}.Lit('q').Ref(0xFEE, 18),
       5, Bytes("qqqqq\xEE\xEE\xEE")},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> fill(8);
    TestStream hashes;
    for (int i = 0; i < 8; i++) hashes.Lit('#');
    ASSERT_TRUE(LzssUnpack(fill, TestBlock(8, hashes.bytes)));
    std::vector<uint8_t> out(8, 0xEE);
    EXPECT_TRUE(LzssUnpack(out, TestBlock(c.count, c.stream.bytes))) << c.what;
    EXPECT_EQ(out, c.expected) << c.what;
  }
}

TEST(LzssUnpack, RefusesCountsItCannotHonour) {
  TestStream s;
  s.Lit(1).Lit(2).Lit(3);
  std::vector<uint8_t> out(8, 0xEE);
  EXPECT_FALSE(LzssUnpack(out, TestBlock(0, s.bytes)));
  EXPECT_FALSE(LzssUnpack(out, TestBlock(-3, s.bytes)));
  EXPECT_FALSE(LzssUnpack(std::span<uint8_t>(out.data(), 2), TestBlock(3, s.bytes)));
  EXPECT_FALSE(LzssUnpack(out, std::vector<uint8_t>{3, 0, 0}));
  EXPECT_EQ(out, std::vector<uint8_t>(8, 0xEE));
  // More than nine bytes out of each stream byte is impossible, so such a count is damage.
  EXPECT_EQ(LzssBlockSize(TestBlock(4 * 9, s.bytes)), 36u);
  EXPECT_EQ(LzssBlockSize(TestBlock(4 * 9 + 1, s.bytes)), 0u);
}

TEST(LzssUnpack, EveryCutOfAValidBlockIsRefused) {
  const std::vector<uint8_t> data = Samples()[4];
  const std::vector<uint8_t> block = LzssPack(std::span(data).first(3000));
  std::vector<uint8_t> out(3000);
  for (size_t cut = 0; cut < block.size(); cut++) {
    const std::vector<uint8_t> head(block.begin(), block.begin() + cut);
    ASSERT_FALSE(LzssUnpack(out, head)) << "cut at " << cut;
    ASSERT_EQ(LzssStreamLength(std::span(head).subspan(std::min<size_t>(cut, 4)), 3000,
                               LzssCoding::Inverted),
              -1);
  }
  EXPECT_EQ(LzssStreamLength(std::span(block).subspan(4), 3000, LzssCoding::Inverted),
            static_cast<ptrdiff_t>(block.size() - 4));
}

TEST(LzssUnpack, RandomBlocksStayInsideTheirBuffers) {
  // Under the sanitizers any read past the block or write past `out` stops the test.
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; round++) {
    std::vector<uint8_t> block(rng() % 64);
    for (auto& v : block) v = static_cast<uint8_t>(rng());
    if (block.size() >= 4 && round % 2) {
      const uint32_t count = rng() % 600;
      for (int i = 0; i < 4; i++) block[i] = static_cast<uint8_t>(count >> 8 * i);
    }
    std::vector<uint8_t> out(LzssBlockSize(block));
    if (LzssUnpack(out, block)) {
      ASSERT_GT(out.size(), 0u);
      ASSERT_LE(LzssStreamLength(std::span(block).subspan(4), static_cast<uint32_t>(out.size()),
                                 LzssCoding::Inverted),
                static_cast<ptrdiff_t>(block.size() - 4));
    }
  }
}

TEST(LzssUnpack, AgreesWithAPlainRingOnRandomStreams) {
  // The decoder copies out of a sliding window; a plain 4096-byte ring, one byte at a time,
  // must give the same bytes for references to any position (the write position itself
  // included) at every distance, over outputs that wrap the ring many times.
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
  EXPECT_LT(LzssPack(samples[2]).size(), 70000u / 8);
  EXPECT_EQ(LzssPack(samples[1]).size(), 4u + 1 + 2);
  EXPECT_LT(LzssPack(samples[4]).size(), samples[4].size() / 4);
  EXPECT_LT(LzssPack(samples[6]).size(), samples[6].size() / 3);
  // Noise cannot shrink; it costs one flag byte per eight literals.
  EXPECT_LE(LzssPack(samples[3]).size(), 4 + samples[3].size() * 9 / 8 + 1);
  EXPECT_EQ(LzssPack({}), (std::vector<uint8_t>{0, 0, 0, 0}));
}

class UnpackBlockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemFreeAll();
    MemReset();
  }
  void TearDown() override { MemFreeAll(); }
};

TEST_F(UnpackBlockTest, MakesAnUnlockedLabelledBlockOfTheUnpackedData) {
  const std::vector<uint8_t> data = Samples()[4];
  const MemHandle handle = UnpackBlock(LzssPack(data), "EVENT DATA");
  ASSERT_NE(handle, 0u);
  EXPECT_EQ(MemSize(handle), data.size());
  EXPECT_EQ(MemLockCount(handle), 0);
  EXPECT_EQ(std::string(MemTable.rows[0].name), "EVENT DATA      ");
  EXPECT_TRUE(std::equal(data.begin(), data.end(), MemLock(handle)));
  // A count of zero or below gives an empty block.
  EXPECT_EQ(MemSize(UnpackBlock(TestBlock(0, {}), "MESSAGE DATA")), 0u);
  EXPECT_EQ(MemSize(UnpackBlock(TestBlock(-5, {0x00}), "MESSAGE DATA")), 0u);
  EXPECT_EQ(MemTable.count, 3);
}

TEST_F(UnpackBlockTest, ADamagedBlockIsFatal) {
  std::vector<uint8_t> block = LzssPack(Samples()[4]);
  block.resize(block.size() / 2);
  EXPECT_EXIT(UnpackBlock(block, "EVENT DATA"), ::testing::ExitedWithCode(1),
              "終了します: データ異常です : 展開バッファ");
  EXPECT_EXIT(UnpackBlock(std::vector<uint8_t>{1, 0}, "EVENT DATA"), ::testing::ExitedWithCode(1),
              "データ異常です");
}

}  // namespace
