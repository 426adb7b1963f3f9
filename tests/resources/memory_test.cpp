// Named memory blocks: labels, the table kept in order when a block goes, lock counts, blocks
// freed once, and the fatal limit of 256 blocks.
#include "resources/memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace {

class MemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MemFreeAll();
    MemReset();
  }
  void TearDown() override { MemFreeAll(); }
};

std::string Label(int row) {
  return std::string(MemTable.rows[row].name);
}

TEST_F(MemoryTest, LabelsArePaddedOrCutAndFreeingKeepsTheRowsInOrder) {
  const MemHandle a = MemAlloc(1, "BACK GRP");
  const MemHandle b = MemAlloc(2, "exactly16chars!!");
  const MemHandle c = MemAlloc(3, "pk:ABCDEFGHIJKLMN.TZ2");
  EXPECT_TRUE(MemFree(b));
  ASSERT_EQ(MemTable.count, 2);
  EXPECT_EQ((std::array{MemTable.rows[0].handle, MemTable.rows[1].handle, MemTable.rows[2].handle}),
            (std::array<MemHandle, 3>{a, c, 0}));
  EXPECT_EQ((std::array{MemTable.rows[1].size, MemTable.rows[2].size}), (std::array{3u, 0u}));
  EXPECT_EQ(Label(0), "BACK GRP        ");
  EXPECT_EQ(Label(1), "pk:ABCDEFGHIJKLM");
  EXPECT_EQ(Label(2), std::string(16, ' '));
}

TEST_F(MemoryTest, BlocksAreZeroedLockedFreedOnceAndAtMost256) {
  MemHandle owned = MemAlloc(4096, "owned");
  const MemHandle other = MemAlloc(1234, "other");
  uint8_t* p = MemAddress(owned);
  EXPECT_EQ(MemLockCount(owned), 1);
  EXPECT_EQ(MemLock(owned), p);
  EXPECT_EQ(MemLockCount(owned), 2);
  EXPECT_EQ(std::count(p, p + 4096, 0), 4096);
  std::memset(p, 0xAB, 4096);
  MemRelease(&owned);
  EXPECT_EQ(owned, 0u);
  MemRelease(&owned);
  ASSERT_EQ(MemTable.count, 1);
  EXPECT_EQ(MemSize(other), 1234u);
  EXPECT_EQ(MemSize(0), 0u);
  EXPECT_TRUE(MemFree(other));
  EXPECT_FALSE(MemFree(other));  // already gone: nothing to free, no crash
  EXPECT_EQ(MemSize(other), 0u);
  EXPECT_EQ(MemLockCount(other), -1);
  // 256 blocks fit, locked or not; the next is fatal; freeing all empties the table.
  for (int i = 0; i < kMemTableRows; i++) ASSERT_NE(MemLock(MemAlloc(4, "many")), nullptr);
  EXPECT_EXIT(MemAlloc(4, "one too many"), ::testing::ExitedWithCode(1),
              "終了します: ハンドルオーバーです");
  MemFreeAll();
  EXPECT_EQ(MemTable.count, 0);
  EXPECT_EQ(MemTable.rows[0].handle, 0u);
}

}  // namespace
