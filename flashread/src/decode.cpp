#include "decode.h"

#include "dib_layout.h"
#include "fitrule.h"
#include "fpx_open.h"
#include "resample.h"

// Stored row i is image row H - 1 - i (rows count from the top). Row
// failures leave that row as the zero-filled block had it.
void DecodeRows(FPXImage* image, uint8_t* block, const DecodeLayout& layout) {
  FPX_SetResampleMethod(FPX_LINEAR_INTERPOLATION);
  const uint32_t lastColumn = static_cast<uint32_t>(layout.width - 1);
  const uint32_t fullResolution = 0xFFFFFFFFu;
  FPXImageDesc desc = {};
  uint8_t* row = block + layout.pixelOffset;
  for (int32_t i = 0; i < layout.height; ++i, row += layout.rowStride) {
    const uint32_t y = static_cast<uint32_t>(layout.height - 1 - i);
    SetupRowRequest(&desc, row, layout);
    FPX_ReadImageRectangle(image, 0, y, lastColumn, y, fullResolution, &desc);
  }
}

MemHandle LoadFlashPixDib(const char* fileName, const DibLoadRequest* request, DibImageInfo* info) {
  FpxOpening opening;
  if (!FpxOpen(fileName, &opening)) return 0;

  DecodeLayout layout;
  if (!ComputeDecodeLayout(opening.width, opening.height, opening.components, &layout)) {
    FpxClose(&opening);
    return 0;
  }
  const MemHandle decoded = MemAlloc_R(ZO_MEM_FLAGS, static_cast<uintptr_t>(layout.blockSize));
  if (decoded == 0) {
    FpxClose(&opening);
    return 0;
  }
  auto* block = static_cast<uint8_t*>(ZoMemLock(decoded));
  if (block == nullptr) {
    FpxClose(&opening);
    ZoMemFree(decoded);
    return 0;
  }
  WriteDecodedHeader(block, layout);
  DecodeRows(opening.image, block, layout);
  FpxClose(&opening);

  // The information gives the size in the file, written before fitting.
  if (info != nullptr) {
    info->dwWidth = opening.width;
    info->dwHeight = opening.height;
    info->wBitCount = layout.bitCount;
    info->wFrameCount = 0;
  }

  FitSize fit = {layout.width, layout.height};
  if (request != nullptr) fit = FitIntoBox(layout.width, layout.height, request->nMaxWidth, request->nMaxHeight);
  if (fit.width == layout.width && fit.height == layout.height) {
    ZoMemUnlock(decoded);
    return decoded;
  }
  MemHandle fitted = 0;
  // A fitted side of 0 (a very wide or tall image) or beyond 32 bits is refused.
  if (fit.width <= INT32_MAX && fit.height <= INT32_MAX)
    fitted = ResampleDib(block, static_cast<int32_t>(fit.width), static_cast<int32_t>(fit.height));
  ZoMemUnlock(decoded);
  ZoMemFree(decoded);
  return fitted;
}
