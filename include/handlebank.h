// Memory blocks by handle: the one allocator through which bitmaps travel
// between the libraries. Global-heap mode by default; virtual-memory mode
// when the first caller of ZoMemUseVirtual asks for it.
#pragma once
#include <stdint.h>

#ifdef _WIN32
#define ZO_API __stdcall
#else
#define ZO_API
#endif

// A block's handle: the HGLOBAL in global mode, the region's base address in
// virtual mode. 0 names no block. 32 bits wide on the 32-bit target.
typedef uintptr_t MemHandle;

// Flags every block of the system is requested with: movable, zero-filled
// (GMEM_MOVEABLE | GMEM_ZEROINIT).
enum { ZO_MEM_FLAGS = 0x0042 };

#ifdef __cplusplus
extern "C" {
#endif

#ifdef HANDLEBANK_BUILD
#define ZO_MEM_IMPORT
#else
#define ZO_MEM_IMPORT __declspec(dllimport)
#endif

ZO_MEM_IMPORT uintptr_t ZO_API ZoMemUseVirtual(uintptr_t mode);                                   // 1
ZO_MEM_IMPORT MemHandle ZO_API MemAlloc_R(uint32_t flags, uintptr_t size);                         // 2
ZO_MEM_IMPORT MemHandle ZO_API MemReAlloc_R(MemHandle h, uintptr_t size, uint32_t flags);          // 3
ZO_MEM_IMPORT MemHandle ZO_API MemDuplicate_R(MemHandle h);                                         // 4
ZO_MEM_IMPORT MemHandle ZO_API MemAlloc_D(uint32_t flags, uintptr_t size, uintptr_t, uintptr_t);  // 5
ZO_MEM_IMPORT MemHandle ZO_API MemReAlloc_D(MemHandle h, uintptr_t size, uint32_t flags,
                                            uintptr_t, uintptr_t);                                  // 6
ZO_MEM_IMPORT MemHandle ZO_API MemDuplicate_D(MemHandle h, uintptr_t, uintptr_t);                  // 7
ZO_MEM_IMPORT void* ZO_API ZoMemLock(MemHandle h);                                                  // 8
ZO_MEM_IMPORT int ZO_API ZoMemUnlock(MemHandle h);                                                  // 9
ZO_MEM_IMPORT uintptr_t ZO_API ZoMemSize(MemHandle h);                                              // 10
ZO_MEM_IMPORT int ZO_API ZoMemFree(MemHandle h);                                                    // 11

#ifdef __cplusplus
}
#endif
