// A stand-in plug-in for the host tests: claims ".tpx" names and loads every
// one as a 4 x 2 picture of one colour, fitted to the request's box. It
// answers ZoRWPIsPlugin only when the host's descriptor is large and zeroed.
#include <windows.h>

#include <string.h>

#include "fitrule.h"
#include "pixload.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

uint32_t WINAPI ZoRWPIsPlugin(unsigned char* descriptor) {
  for (int i = 0; i < 512; ++i)
    if (descriptor[i] != 0) return 0;
  descriptor[0] = 3;
  return 1;
}

uint32_t WINAPI ZoRWPFileIsSupport(const char* path) {
  const char* dot = strrchr(path, '.');
  return dot && _stricmp(dot, ".tpx") == 0 ? 1 : 0;
}

MemHandle WINAPI ZoRWPLoadDib(const char*, const DibLoadRequest* request, DibImageInfo* info) {
  FitSize s = {4, 2};
  if (request) s = FitIntoBox(4, 2, request->nMaxWidth, request->nMaxHeight);
  const int64_t stride = DibRowStride(s.width, 24);
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, uintptr_t(40 + stride * s.height));
  auto* p = h ? static_cast<unsigned char*>(ZoMemLock(h)) : nullptr;
  if (!p) {
    if (h) ZoMemFree(h);
    return 0;
  }
  DibHeader hdr = {40, int32_t(s.width), int32_t(s.height), 1, 24, 0, uint32_t(stride * s.height), 72, 72, 0, 0};
  memcpy(p, &hdr, sizeof hdr);
  for (int64_t y = 0; y < s.height; ++y)
    for (int64_t x = 0; x < s.width; ++x) {
      unsigned char* px = p + 40 + y * stride + x * 3;
      px[0] = 10, px[1] = 20, px[2] = 30;
    }
  ZoMemUnlock(h);
  if (info) *info = DibImageInfo{4, 2, 24, 0};
  return h;
}

}  // extern "C"
