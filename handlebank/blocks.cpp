// Allocation, reallocation, duplication, locking, sizing and freeing. Each
// operation is one platform call in global mode; a block carries no header
// and the library keeps no bookkeeping of its own.
#include <string.h>

#include "handlebank.h"
#include "mode.h"

using handlebank::VirtualMode;

namespace {

// Virtual mode: the size of the block whose base is h, or 0 when h is not the
// base of a committed read-write region (0, an address inside a block, a
// released block). Refusing such addresses keeps a stray handle from making
// the library report or copy some other region.
SIZE_T VirtualBlockSize(MemHandle h) {
  if (h == 0) return 0;
  MEMORY_BASIC_INFORMATION mbi;
  if (VirtualQuery(reinterpret_cast<void*>(h), &mbi, sizeof mbi) != sizeof mbi) return 0;
  if (mbi.BaseAddress != reinterpret_cast<void*>(h) || mbi.AllocationBase != mbi.BaseAddress ||
      mbi.State != MEM_COMMIT || mbi.Type != MEM_PRIVATE || mbi.Protect != PAGE_READWRITE)
    return 0;
  return mbi.RegionSize;
}

MemHandle VirtualNew(uintptr_t size) {
  return reinterpret_cast<MemHandle>(VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

}  // namespace

extern "C" {

MemHandle ZO_API MemAlloc_R(uint32_t flags, uintptr_t size) {
  if (VirtualMode()) return VirtualNew(size);
  return reinterpret_cast<MemHandle>(GlobalAlloc(flags, size));
}

MemHandle ZO_API MemReAlloc_R(MemHandle h, uintptr_t size, uint32_t flags) {
  if (!VirtualMode()) return reinterpret_cast<MemHandle>(GlobalReAlloc(reinterpret_cast<HGLOBAL>(h), size, flags));
  // Virtual mode: always a new region; the old one stays intact on failure.
  const SIZE_T oldSize = VirtualBlockSize(h);
  if (oldSize == 0) return 0;
  const MemHandle fresh = VirtualNew(size);
  if (fresh == 0) return 0;
  memcpy(reinterpret_cast<void*>(fresh), reinterpret_cast<void*>(h), size < oldSize ? size : oldSize);
  VirtualFree(reinterpret_cast<void*>(h), 0, MEM_RELEASE);
  return fresh;
}

MemHandle ZO_API MemDuplicate_R(MemHandle h) {
  if (h == 0) return 0;
  const uintptr_t size = ZoMemSize(h);
  const MemHandle copy = MemAlloc_R(ZO_MEM_FLAGS, size);
  if (copy == 0) return 0;
  void* from = ZoMemLock(h);
  void* to = ZoMemLock(copy);
  if (from == nullptr || to == nullptr) {  // a discarded or invalid source
    if (from) ZoMemUnlock(h);
    if (to) ZoMemUnlock(copy);
    ZoMemFree(copy);
    return 0;
  }
  memcpy(to, from, size);
  ZoMemUnlock(h);
  ZoMemUnlock(copy);
  return copy;
}

MemHandle ZO_API MemAlloc_D(uint32_t flags, uintptr_t size, uintptr_t, uintptr_t) { return MemAlloc_R(flags, size); }

MemHandle ZO_API MemReAlloc_D(MemHandle h, uintptr_t size, uint32_t flags, uintptr_t, uintptr_t) {
  return MemReAlloc_R(h, size, flags);
}

MemHandle ZO_API MemDuplicate_D(MemHandle h, uintptr_t, uintptr_t) { return MemDuplicate_R(h); }

void* ZO_API ZoMemLock(MemHandle h) {
  if (VirtualMode()) return reinterpret_cast<void*>(h);
  return GlobalLock(reinterpret_cast<HGLOBAL>(h));
}

int ZO_API ZoMemUnlock(MemHandle h) {
  if (VirtualMode()) return 1;
  return GlobalUnlock(reinterpret_cast<HGLOBAL>(h));
}

uintptr_t ZO_API ZoMemSize(MemHandle h) {
  if (VirtualMode()) return VirtualBlockSize(h);
  return GlobalSize(reinterpret_cast<HGLOBAL>(h));
}

int ZO_API ZoMemFree(MemHandle h) {
  if (VirtualMode()) {
    if (VirtualBlockSize(h) == 0) return 0;
    return VirtualFree(reinterpret_cast<void*>(h), 0, MEM_RELEASE) ? 1 : 0;
  }
  return GlobalFree(reinterpret_cast<HGLOBAL>(h)) == nullptr ? 1 : 0;
}

}  // extern "C"
