// A stand-in for handlebank.dll with the same name and ordinals, for tests
// that need an allocation or a lock to fail. Blocks come from the process
// heap; the test tells it which allocation fails, or whose first lock does,
// and reads back how many blocks and locks are still held.
#include <windows.h>

#include <stdint.h>

namespace {
struct Block {
  uintptr_t size;
  long locks;
  long number;  // 1 for the first allocation since FakeBankFailAt
};
long gAllocations = 0, gFailAlloc = 0, gFailLock = 0, gLive = 0, gLocks = 0;
}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

// Allocation number `alloc` fails; the lock of the block made by allocation
// number `lock` fails. 0: nothing fails. Restarts the numbering.
void WINAPI FakeBankFailAt(long alloc, long lock) {
  gFailAlloc = alloc;
  gFailLock = lock;
  gAllocations = 0;
}
long WINAPI FakeBankLiveBlocks(void) { return gLive; }
long WINAPI FakeBankHeldLocks(void) { return gLocks; }
long WINAPI FakeBankAllocations(void) { return gAllocations; }

uintptr_t WINAPI ZoMemUseVirtual(uintptr_t mode) { return mode; }

uintptr_t WINAPI MemAlloc_R(uint32_t, uintptr_t size) {
  const long number = ++gAllocations;
  if (number == gFailAlloc) return 0;
  auto* b = static_cast<Block*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Block) + size));
  if (b == nullptr) return 0;
  b->size = size;
  b->number = number;
  ++gLive;
  return reinterpret_cast<uintptr_t>(b);
}

uintptr_t WINAPI MemReAlloc_R(uintptr_t, uintptr_t, uint32_t) { return 0; }
uintptr_t WINAPI MemDuplicate_R(uintptr_t) { return 0; }
uintptr_t WINAPI MemAlloc_D(uint32_t flags, uintptr_t size, uintptr_t, uintptr_t) { return MemAlloc_R(flags, size); }
uintptr_t WINAPI MemReAlloc_D(uintptr_t, uintptr_t, uint32_t, uintptr_t, uintptr_t) { return 0; }
uintptr_t WINAPI MemDuplicate_D(uintptr_t, uintptr_t, uintptr_t) { return 0; }

void* WINAPI ZoMemLock(uintptr_t h) {
  auto* b = reinterpret_cast<Block*>(h);
  if (b == nullptr || b->number == gFailLock) return nullptr;
  ++b->locks;
  ++gLocks;
  return b + 1;
}

int WINAPI ZoMemUnlock(uintptr_t h) {
  auto* b = reinterpret_cast<Block*>(h);
  if (b == nullptr || b->locks == 0) return 0;
  --b->locks;
  --gLocks;
  return b->locks != 0;
}

uintptr_t WINAPI ZoMemSize(uintptr_t h) { return h ? reinterpret_cast<Block*>(h)->size : 0; }

int WINAPI ZoMemFree(uintptr_t h) {
  auto* b = reinterpret_cast<Block*>(h);
  if (b == nullptr) return 0;
  gLocks -= b->locks;
  --gLive;
  HeapFree(GetProcessHeap(), 0, b);
  return 1;
}

}  // extern "C"
