// A handlebank.dll stand-in whose every allocation fails, for the test of
// loads when memory runs out. Same names and ordinals as the real one.
#include <windows.h>

#define HANDLEBANK_BUILD
#include "handlebank.h"

extern "C" {
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
uintptr_t ZO_API ZoMemUseVirtual(uintptr_t) { return 0; }
MemHandle ZO_API MemAlloc_R(uint32_t, uintptr_t) { return 0; }
MemHandle ZO_API MemReAlloc_R(MemHandle, uintptr_t, uint32_t) { return 0; }
MemHandle ZO_API MemDuplicate_R(MemHandle) { return 0; }
MemHandle ZO_API MemAlloc_D(uint32_t, uintptr_t, uintptr_t, uintptr_t) { return 0; }
MemHandle ZO_API MemReAlloc_D(MemHandle, uintptr_t, uint32_t, uintptr_t, uintptr_t) { return 0; }
MemHandle ZO_API MemDuplicate_D(MemHandle, uintptr_t, uintptr_t) { return 0; }
void* ZO_API ZoMemLock(MemHandle) { return nullptr; }
int ZO_API ZoMemUnlock(MemHandle) { return 0; }
uintptr_t ZO_API ZoMemSize(MemHandle) { return 0; }
int ZO_API ZoMemFree(MemHandle) { return 0; }
}
