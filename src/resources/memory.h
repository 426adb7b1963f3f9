// Named memory blocks: every large buffer of the engine is a block registered with a short
// label in one table of at most 256 live rows. Running out of rows or memory is fatal.
#pragma once

#include <cstdint>

using MemHandle = uint32_t;  // 0 = no block

constexpr int kMemTableRows = 256;
constexpr int kMemLabelLength = 16;

struct MemEntry {
  MemHandle handle;
  uint32_t size;
  char name[kMemLabelLength + 1];  // blank-padded label, zero byte behind
};

// The table is one global; live rows are packed at the front in allocation order.
struct MemTableState {
  MemEntry rows[kMemTableRows];
  int16_t count;
};
extern MemTableState MemTable;

// Empties the table without freeing anything; done once before the first allocation.
bool MemReset();
// A new unlocked block of `size` bytes registered under `name` (first 16 characters). On a
// full table or no memory: fatal error through ExitGame; yields 0 should that ever return.
MemHandle MemAlloc(uint32_t size, const char* name);
// The block's address; raises its lock count.
uint8_t* MemLock(MemHandle handle);
// Lowers the lock count.
void MemUnlock(MemHandle handle);
// Lock and unlock for blocks in use for a long time; they count like MemLock/MemUnlock.
uint8_t* MemWire(MemHandle handle);
void MemUnwire(MemHandle handle);
// Removes the block from the table (when it is there) and gives it back, however often it is
// locked. True when the block existed and was freed.
bool MemFree(MemHandle handle);
// Drops the block a variable owns and sets the variable to 0; nothing when it holds 0.
void MemRelease(MemHandle* variable);
// The block's address, making sure it is locked at least once.
uint8_t* MemAddress(MemHandle handle);
// The registered size; 0 for a handle not in the table.
uint32_t MemSize(MemHandle handle);
// Frees every registered block and empties the table.
void MemFreeAll();
// The lock count of a block (for diagnosis and tests); -1 for no such block.
int MemLockCount(MemHandle handle);
