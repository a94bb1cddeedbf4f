// The image library's entry points that the shell extension imports by
// ordinal: loading a file as a fitted PackedDib, and playing animated images.
#pragma once
#include <stdint.h>
#include "dibrecords.h"
#include "handlebank.h"

#pragma pack(push, 1)
// How StartAnimation is asked to play: mode, the origin of the frames in the
// window (below the caption strip) and the box they must fit.
struct PlaybackRequest {
  uint32_t dwPlayMode;
  uint16_t xOrigin;
  uint16_t yOrigin;
  uint16_t cxMax;
  uint16_t cyMax;
};
#pragma pack(pop)
static_assert(sizeof(PlaybackRequest) == 12, "PlaybackRequest is 12 bytes");

#ifdef __cplusplus
extern "C" {
#endif

#ifdef PIXLOAD_BUILD
#define PIXLOAD_IMPORT
#else
#define PIXLOAD_IMPORT __declspec(dllimport)
#endif

// 3: the file as a PackedDib fitted to the request's box, unlocked and owned
// by the caller; 0 on failure. Fills info with the picture's own size, bit
// depth and frame count.
PIXLOAD_IMPORT MemHandle ZO_API LoadDibFromFile(const char* path, const DibLoadRequest* request,
                                               DibImageInfo* info);
// 6: plays the file's frames in hwnd until StopAnimation; returns at once.
PIXLOAD_IMPORT uint32_t ZO_API StartAnimation(void* hwnd, const char* path, const PlaybackRequest* request);
// 7: stops what StartAnimation began; does nothing when nothing plays.
PIXLOAD_IMPORT void ZO_API StopAnimation(void);

#ifdef __cplusplus
}
#endif
