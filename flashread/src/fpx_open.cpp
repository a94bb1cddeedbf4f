#include "fpx_open.h"

#include <windows.h>

namespace {
uint32_t kToolkitMemoryLimit = 20000000;
}

bool FpxOpen(const char* fileName, FpxOpening* o) {
  char tempFolder[MAX_PATH];
  if (GetTempPathA(MAX_PATH, tempFolder) == 0) return false;
  // Reserves the name: Windows creates the empty file.
  if (GetTempFileNameA(tempFolder, "fpx", 0, o->tempFile) == 0) return false;
  if (!CopyFileA(fileName, o->tempFile, FALSE)) {
    DeleteFileA(o->tempFile);
    return false;
  }
  // From the first start attempt on, the toolkit is cleared on every path.
  if (FPX_InitSystem() != FPX_OK || FPX_SetToolkitMemoryLimit(&kToolkitMemoryLimit) != FPX_OK) {
    FPX_ClearSystem();
    DeleteFileA(o->tempFile);
    return false;
  }
  uint32_t tileWidth = 0, tileHeight = 0;
  FPXColorspace colorspace = {};
  o->image = nullptr;
  if (FPX_OpenImageByFilename(o->tempFile, nullptr, &o->width, &o->height, &tileWidth, &tileHeight,
                              &colorspace, &o->image) != FPX_OK) {
    FPX_ClearSystem();
    DeleteFileA(o->tempFile);
    return false;
  }
  // Images with an alpha channel (2 or 4 components) are not read.
  if (colorspace.numberOfComponents != 1 && colorspace.numberOfComponents != 3) {
    FPX_CloseImage(o->image);
    FPX_ClearSystem();
    DeleteFileA(o->tempFile);
    return false;
  }
  o->components = colorspace.numberOfComponents;
  return true;
}

void FpxClose(FpxOpening* o) {
  FPX_CloseImage(o->image);
  FPX_ClearSystem();
  DeleteFileA(o->tempFile);
}
