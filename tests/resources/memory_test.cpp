// Named memory blocks: the table's rows, labels and compaction, lock counts, the fatal limits.
#include "resources/memory.h"

#include <gtest/gtest.h>

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

TEST_F(MemoryTest, LabelsArePaddedToSixteenAndTruncated) {
  MemAlloc(10, "BACK GRP");
  MemAlloc(10, "exactly16chars!!");
  MemAlloc(10, "pk:ABCDEFGHIJKLMN.TZ2");
  MemAlloc(10, "");
  EXPECT_EQ(Label(0), "BACK GRP        ");
  EXPECT_EQ(Label(1), "exactly16chars!!");
  EXPECT_EQ(Label(2), "pk:ABCDEFGHIJKLM");
  EXPECT_EQ(Label(3), std::string(16, ' '));
  EXPECT_EQ(MemTable.count, 4);
}

TEST_F(MemoryTest, FreeingCompactsRowsInOrder) {
  const MemHandle a = MemAlloc(1, "a");
  const MemHandle b = MemAlloc(2, "b");
  const MemHandle c = MemAlloc(3, "c");
  EXPECT_TRUE(MemFree(a));
  ASSERT_EQ(MemTable.count, 2);
  EXPECT_EQ(MemTable.rows[0].handle, b);
  EXPECT_EQ(MemTable.rows[0].size, 2u);
  EXPECT_EQ(Label(0)[0], 'b');
  EXPECT_EQ(MemTable.rows[1].handle, c);
  EXPECT_EQ(MemTable.rows[2].handle, 0u);
  EXPECT_EQ(MemTable.rows[2].size, 0u);
  EXPECT_EQ(Label(2), std::string(16, ' '));
}

TEST_F(MemoryTest, GoneBlocksAreFreedOnceAndHaveNoSize) {
  MemHandle owned = MemAlloc(100, "owned");
  const MemHandle other = MemAlloc(1234, "other");
  MemLock(owned);
  MemLock(owned);
  EXPECT_EQ(MemSize(owned), 100u);
  MemRelease(&owned);  // locks do not keep a block
  EXPECT_EQ(owned, 0u);
  MemRelease(&owned);
  EXPECT_EQ(MemTable.count, 1);
  EXPECT_EQ(MemTable.rows[0].handle, other);
  EXPECT_EQ(MemSize(other), 1234u);
  EXPECT_EQ(MemSize(0), 0u);
  EXPECT_TRUE(MemFree(other));
  EXPECT_FALSE(MemFree(other));  // already gone: nothing to free, no crash
  EXPECT_EQ(MemSize(other), 0u);
  EXPECT_EQ(MemLockCount(other), -1);
}

TEST_F(MemoryTest, AddressKeepsLockCounts) {
  const MemHandle block = MemAlloc(16, "addr");
  uint8_t* address = MemAddress(block);
  ASSERT_NE(address, nullptr);
  EXPECT_EQ(MemLockCount(block), 1);
  MemLock(block);
  EXPECT_EQ(MemAddress(block), address);
  EXPECT_EQ(MemLockCount(block), 2);
}

TEST_F(MemoryTest, BlocksAreZeroedAndUsable) {
  const MemHandle block = MemAlloc(4096, "data");
  uint8_t* p = MemLock(block);
  for (int i = 0; i < 4096; i++) ASSERT_EQ(p[i], 0);
  std::memset(p, 0xAB, 4096);
  MemUnlock(block);
  EXPECT_EQ(MemLock(block)[4095], 0xAB);
}

TEST_F(MemoryTest, TwoHundredFiftySixBlocksFitAndTheNextIsFatal) {
  for (int i = 0; i < kMemTableRows; i++) ASSERT_NE(MemAlloc(4, "many"), 0u);
  EXPECT_EQ(MemTable.count, 256);
  EXPECT_EXIT(MemAlloc(4, "one too many"), ::testing::ExitedWithCode(1),
              "終了します: ハンドルオーバーです");
}

TEST_F(MemoryTest, FreeAllEmptiesTheTable) {
  for (int i = 0; i < 10; i++) MemLock(MemAlloc(4, "x"));
  MemFreeAll();
  EXPECT_EQ(MemTable.count, 0);
  EXPECT_EQ(MemTable.rows[0].handle, 0u);
}

}  // namespace
