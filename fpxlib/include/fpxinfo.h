// Inspection calls beyond the plug-in's needs, for fpxtool, tests and the
// benchmark: the levels of an open image and the reader's memory figures.
#pragma once
#include <stdint.h>

#include "fpxlib.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  FPX_SPACE_COLORLESS = 0,
  FPX_SPACE_MONOCHROME = 1,
  FPX_SPACE_PHOTOYCC = 2,
  FPX_SPACE_NIFRGB = 3
};

typedef struct {
  uint32_t width, height;
  uint32_t tileWidth, tileHeight;
  uint32_t numberOfComponents;
  uint32_t colourSpace;                 // FPX_SPACE_*
  FPXComponentColor colours[FPX_MAX_COMPONENTS];
  int32_t isUncalibrated;
  uint32_t tilesUncompressed, tilesSingleColour, tilesJpeg, tilesOther;
  uint32_t firstJpegSubtype;            // subtype word of the first JPEG tile, 0 if none
} FPXLevelInfo;

FPXStatus FPX_GetLevelCount(FPXImage* image, uint32_t* levels);
FPXStatus FPX_GetLevelInfo(FPXImage* image, uint32_t level, FPXLevelInfo* info);
// Tiles decoded since the image was opened (each cache miss counts one).
FPXStatus FPX_GetTileDecodeCount(FPXImage* image, uint64_t* count);
// The reader's accounted memory now and its peak since FPX_InitSystem.
FPXStatus FPX_GetMemoryUse(uint64_t* current, uint64_t* peak);
// Chooses libjpeg's smoothing ("fancy") chroma upsampling (1) or pixel
// replication (0, the default) for subsampled JPEG tiles.
FPXStatus FPX_SetJpegFancyUpsampling(int on);

#ifdef __cplusplus
}
#endif
