#define PIXLOAD_BUILD
#define PXD_BUILD
#include "pixload_double.h"

#include <windows.h>
#include <string.h>

namespace {

const int kMaxCalls = 256;
CRITICAL_SECTION g_lock;
PxdImage g_image = {300, 225, 24, 0, {640, 480, 24, 0}, 0, 0};
PxdCall g_calls[kMaxCalls];
int g_callCount;
MemHandle g_handed[kMaxCalls];  // every block handed out
int g_handedCount;

PxdCall* NewCall(int kind, const char* path) {
  PxdCall* call = g_callCount < kMaxCalls ? &g_calls[g_callCount++] : &g_calls[kMaxCalls - 1];
  memset(call, 0, sizeof *call);
  call->kind = kind;
  call->callThread = GetCurrentThreadId();
  if (path != nullptr) lstrcpynA(call->path, path, sizeof call->path);
  return call;
}

uint32_t ColourAt(int x, int y, int w, int h) {  // y from the top
  return kPxdQuadrant[(y >= h / 2 ? 2 : 0) + (x >= w / 2 ? 1 : 0)];
}

MemHandle MakeDib(const PxdImage& im) {
  const uint32_t clrUsed = im.bitCount == 8 ? (im.clrUsed < 4 ? 4 : im.clrUsed) : im.clrUsed;
  const int64_t stride = DibRowStride(im.width, im.bitCount);
  const int64_t size = DIB_HEADER_SIZE + 4 * int64_t(clrUsed) + stride * im.height;
  MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, static_cast<uintptr_t>(size));
  if (h == 0) return 0;
  unsigned char* p = static_cast<unsigned char*>(ZoMemLock(h));
  DibHeader* hdr = reinterpret_cast<DibHeader*>(p);
  hdr->biSize = 40;
  hdr->biWidth = im.width;
  hdr->biHeight = im.height;
  hdr->biPlanes = 1;
  hdr->biBitCount = im.bitCount;
  hdr->biSizeImage = static_cast<uint32_t>(stride * im.height);
  hdr->biClrUsed = clrUsed;
  hdr->biClrImportant = clrUsed;
  unsigned char* palette = p + DIB_HEADER_SIZE;
  for (int i = 0; i < 4 && uint32_t(i) < clrUsed; ++i) {
    palette[4 * i + 0] = (kPxdQuadrant[i] >> 16) & 0xFF;  // blue
    palette[4 * i + 1] = (kPxdQuadrant[i] >> 8) & 0xFF;
    palette[4 * i + 2] = kPxdQuadrant[i] & 0xFF;
  }
  unsigned char* rows = palette + 4 * clrUsed;
  for (int r = 0; r < im.height; ++r) {
    const int y = im.height - 1 - r;  // bottom-up
    unsigned char* row = rows + r * stride;
    for (int x = 0; x < im.width; ++x) {
      const uint32_t c = ColourAt(x, y, im.width, im.height);
      if (im.bitCount == 8) {
        row[x] = static_cast<unsigned char>((y >= im.height / 2 ? 2 : 0) + (x >= im.width / 2 ? 1 : 0));
      } else {
        const int bpp = im.bitCount / 8;
        row[x * bpp + 0] = (c >> 16) & 0xFF;
        row[x * bpp + 1] = (c >> 8) & 0xFF;
        row[x * bpp + 2] = c & 0xFF;
      }
    }
  }
  ZoMemUnlock(h);
  return h;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) InitializeCriticalSection(&g_lock);
  return TRUE;
}

extern "C" MemHandle ZO_API LoadDibFromFile(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  EnterCriticalSection(&g_lock);
  PxdCall* call = NewCall(PXD_LOAD, path);
  if (request != nullptr) call->request = *request;
  for (int i = 0; i < g_handedCount; ++i) call->liveBlocks += PxdBlockAlive(g_handed[i]);
  MemHandle h = 0;
  if (!g_image.fail) h = MakeDib(g_image);
  if ((!g_image.fail || g_image.writeInfoOnFail) && info != nullptr) *info = g_image.info;
  call->result = h;
  if (h != 0 && g_handedCount < kMaxCalls) g_handed[g_handedCount++] = h;
  LeaveCriticalSection(&g_lock);
  return h;
}

extern "C" uint32_t ZO_API StartAnimation(void* hwnd, const char* path, const PlaybackRequest* request) {
  EnterCriticalSection(&g_lock);
  PxdCall* call = NewCall(PXD_START, path);
  if (request != nullptr) memcpy(call->playback, request, sizeof call->playback);
  call->hwnd = reinterpret_cast<uintptr_t>(hwnd);
  call->hwndThread = GetWindowThreadProcessId(static_cast<HWND>(hwnd), nullptr);
  LeaveCriticalSection(&g_lock);
  return 1;
}

extern "C" void ZO_API StopAnimation(void) {
  EnterCriticalSection(&g_lock);
  NewCall(PXD_STOP, nullptr);
  LeaveCriticalSection(&g_lock);
}

extern "C" void ZO_API PxdSetImage(const PxdImage* image) {
  EnterCriticalSection(&g_lock);
  g_image = *image;
  LeaveCriticalSection(&g_lock);
}

extern "C" int ZO_API PxdCallCount(void) { return g_callCount; }

extern "C" int ZO_API PxdGetCall(int index, PxdCall* out) {
  if (index < 0 || index >= g_callCount) return 0;
  EnterCriticalSection(&g_lock);
  *out = g_calls[index];
  LeaveCriticalSection(&g_lock);
  return 1;
}

// Handlebank runs in global mode here: a freed handle has no size.
extern "C" int ZO_API PxdBlockAlive(MemHandle h) {
  return h != 0 && GlobalSize(reinterpret_cast<HGLOBAL>(h)) != 0 ? 1 : 0;
}

extern "C" int ZO_API PxdDiscard(MemHandle h) {
  return GlobalReAlloc(reinterpret_cast<HGLOBAL>(h), 0, GMEM_MOVEABLE) != nullptr ? 1 : 0;
}
