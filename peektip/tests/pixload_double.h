// A stand-in for the image library with the same name and ordinals: it
// returns the bitmaps a test asks for, allocated through Handlebank, and
// records every call with its arguments for the test to read.
#pragma once
#include <stdint.h>

#include "pixload.h"

#pragma pack(push, 4)
// What the following loads return.
struct PxdImage {
  int32_t width;   // bitmap size
  int32_t height;
  uint16_t bitCount;  // 8, 24 or 32
  uint32_t clrUsed;   // palette entries (8 bits: at least 4)
  DibImageInfo info;  // written into the caller's record
  int32_t fail;       // 1: return 0
  int32_t writeInfoOnFail;  // with fail: still write info
};

enum PxdKind { PXD_LOAD = 1, PXD_START = 2, PXD_STOP = 3 };

struct PxdCall {
  int32_t kind;
  char path[260];
  DibLoadRequest request;  // LOAD: the record as passed
  uint8_t playback[12];    // START: the 12 bytes as passed
  uintptr_t hwnd;          // START
  uint32_t hwndThread;     // START: the thread that owns hwnd
  uint32_t callThread;     // the calling thread
  MemHandle result;        // LOAD
  int32_t liveBlocks;      // LOAD: blocks of earlier loads still allocated
};
#pragma pack(pop)

#ifdef __cplusplus
extern "C" {
#endif
#ifdef PXD_BUILD
#define PXD_API
#else
#define PXD_API __declspec(dllimport)
#endif

PXD_API void ZO_API PxdSetImage(const PxdImage* image);
PXD_API int ZO_API PxdCallCount(void);
PXD_API int ZO_API PxdGetCall(int index, PxdCall* out);
// 1 while the block of handle h is still allocated.
PXD_API int ZO_API PxdBlockAlive(MemHandle h);
// Discards the block of h: it stays a handle but can no longer be locked.
PXD_API int ZO_API PxdDiscard(MemHandle h);

#ifdef __cplusplus
}
#endif

// The colours of the four quadrants of every bitmap the double makes, as
// COLORREF values (0x00BBGGRR): top-left, top-right, bottom-left, bottom-right.
static const uint32_t kPxdQuadrant[4] = {0x00281EC8u, 0x003CB414u, 0x00DC3C1Eu, 0x000ADCF0u};
