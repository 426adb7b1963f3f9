// Named memory blocks: the labelled table over a small movable-block allocator of our own.
#include "resources/memory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>

#include "app/app.h"
#include "resources/sjis.h"

MemTableState MemTable;

namespace {

// [SECTION] Block allocator
// Stands in for the system's movable memory: a handle names a block with a lock count.
// Blocks never actually move; the lock count is kept so that callers' lock discipline
// behaves as it did on the original system.
struct SysBlock {
  uint8_t* data;
  uint32_t size;
  int locks;
};

std::unordered_map<MemHandle, SysBlock>& SysBlocks() {
  static std::unordered_map<MemHandle, SysBlock> blocks;
  return blocks;
}
MemHandle gNextHandle = 0x100;

MemHandle SysAlloc(uint32_t size) {
  // One spare byte so that a zero-sized block still has an address.
  auto* data = static_cast<uint8_t*>(std::calloc(size + 1, 1));
  if (!data) return 0;
  MemHandle handle;
  do {
    gNextHandle += 4;
    if (gNextHandle == 0) gNextHandle = 0x100;
    handle = gNextHandle;
  } while (SysBlocks().count(handle));
  SysBlocks()[handle] = SysBlock{data, size, 0};
  return handle;
}

SysBlock* SysFind(MemHandle handle) {
  auto it = SysBlocks().find(handle);
  return it == SysBlocks().end() ? nullptr : &it->second;
}

// Answers the lock count left, as the system's unlock does (0 once unlocked).
int SysUnlock(MemHandle handle) {
  SysBlock* block = SysFind(handle);
  if (!block) return 0;
  if (block->locks > 0) block->locks--;
  return block->locks;
}

bool SysFree(MemHandle handle) {
  auto it = SysBlocks().find(handle);
  if (it == SysBlocks().end()) return false;
  std::free(it->second.data);
  SysBlocks().erase(it);
  return true;
}

void ClearRow(MemEntry& row) {
  row.handle = 0;
  row.size = 0;
  std::memset(row.name, ' ', kMemLabelLength);
}

}  // namespace

// [SECTION] Table

bool MemReset() {
  for (MemEntry& row : MemTable.rows) {
    ClearRow(row);
    row.name[kMemLabelLength] = 0;
  }
  MemTable.count = 0;
  return true;
}

MemHandle MemAlloc(uint32_t size, const char* name) {
  if (MemTable.count >= kMemTableRows) {
    ExitGame(Sjis("ハンドルオーバーです"));
    return 0;
  }
  MemHandle handle = SysAlloc(size);
  if (handle == 0) {
    ExitGame(Sjis("メモリ不足です"));
    return 0;
  }
  MemEntry& row = MemTable.rows[MemTable.count];
  row.handle = handle;
  row.size = size;
  int i = 0;
  for (; name && name[i] && i < kMemLabelLength; i++) row.name[i] = name[i];
  for (; i < kMemLabelLength; i++) row.name[i] = ' ';
  MemTable.count++;
  return handle;
}

uint8_t* MemLock(MemHandle handle) {
  SysBlock* block = SysFind(handle);
  if (!block) return nullptr;
  block->locks++;
  return block->data;
}

void MemUnlock(MemHandle handle) {
  SysUnlock(handle);
}

uint8_t* MemWire(MemHandle handle) {
  return MemLock(handle);
}

void MemUnwire(MemHandle handle) {
  SysUnlock(handle);
}

bool MemFree(MemHandle handle) {
  for (int i = 0; i < MemTable.count; i++) {
    if (MemTable.rows[i].handle != handle) continue;
    for (int j = i; j + 1 < MemTable.count; j++) {
      MemTable.rows[j].handle = MemTable.rows[j + 1].handle;
      MemTable.rows[j].size = MemTable.rows[j + 1].size;
      std::memcpy(MemTable.rows[j].name, MemTable.rows[j + 1].name, kMemLabelLength);
    }
    ClearRow(MemTable.rows[MemTable.count - 1]);
    MemTable.count--;
    break;
  }
  while (SysUnlock(handle) != 0) {
  }
  return SysFree(handle);
}

void MemRelease(MemHandle* variable) {
  if (!variable || *variable == 0) return;
  MemUnlock(*variable);
  MemFree(*variable);
  *variable = 0;
}

uint8_t* MemAddress(MemHandle handle) {
  SysBlock* block = SysFind(handle);
  if (!block) return nullptr;
  // Lock to learn the address, then undo that lock unless it was the only one.
  uint8_t* address = MemLock(handle);
  if (SysUnlock(handle) != 0) return address;
  return MemLock(handle);
}

uint32_t MemSize(MemHandle handle) {
  for (int i = 0; i < MemTable.count; i++) {
    if (MemTable.rows[i].handle == handle) return MemTable.rows[i].size;
  }
  return 0;
}

void MemFreeAll() {
  while (MemTable.count > 0) MemFree(MemTable.rows[0].handle);
}

int MemLockCount(MemHandle handle) {
  SysBlock* block = SysFind(handle);
  return block ? block->locks : -1;
}
