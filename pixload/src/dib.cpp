// PackedDib blocks from decoded pictures: header, grey palette, bottom-up
// rows written straight into the Handlebank block by the resampler.
#include "dib.h"

#include <string.h>

#include "fitrule.h"

namespace pixload {

Box BoxOf(const DibLoadRequest* request) {
  Box b;
  if (request) {
    b.width = request->nMaxWidth;
    b.height = request->nMaxHeight;
  }
  return b;
}

uint64_t PackedDibBytes(int64_t width, int64_t height, int bitCount, int clrUsed) {
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return 0;
  const int64_t bytes = DIB_HEADER_SIZE + 4 * int64_t(clrUsed) + DibRowStride(width, bitCount) * height;
  return bytes > DIB_MAX_BYTES ? 0 : uint64_t(bytes);
}

bool FittedSize(int64_t width, int64_t height, Box box, int bitCount, int* fitWidth, int* fitHeight) {
  const FitSize s = FitIntoBox(width, height, box.width, box.height);
  if (s.width <= 0 || s.height <= 0 || PackedDibBytes(s.width, s.height, bitCount, 256) == 0) return false;
  *fitWidth = int(s.width);
  *fitHeight = int(s.height);
  return true;
}

MemHandle BuildPackedDib(Pixels& src, int fw, int fh) {
  FlattenOverWhite(src);
  if (src.channels != 1 && src.channels != 3) return 0;
  const int bits = src.channels * 8;
  const int clrUsed = src.channels == 1 ? 256 : 0;
  const uint64_t bytes = PackedDibBytes(fw, fh, bits, clrUsed);
  if (bytes == 0) return 0;
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, uintptr_t(bytes));
  if (!h) return 0;
  auto* base = static_cast<uint8_t*>(ZoMemLock(h));
  if (!base) {
    ZoMemFree(h);
    return 0;
  }
  DibHeader hdr = {};
  hdr.biSize = DIB_HEADER_SIZE;
  hdr.biWidth = fw;
  hdr.biHeight = fh;
  hdr.biPlanes = 1;
  hdr.biBitCount = uint16_t(bits);
  hdr.biCompression = 0;
  const int64_t stride = DibRowStride(fw, bits);
  hdr.biSizeImage = uint32_t(stride * fh);
  hdr.biXPelsPerMeter = 72;
  hdr.biYPelsPerMeter = 72;
  hdr.biClrUsed = uint32_t(clrUsed);
  hdr.biClrImportant = uint32_t(clrUsed);
  memcpy(base, &hdr, sizeof hdr);
  uint8_t* pal = base + DIB_HEADER_SIZE;
  for (int i = 0; i < clrUsed; ++i) {
    pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = uint8_t(i);
    pal[4 * i + 3] = 0;
  }
  uint8_t* rows = pal + 4 * clrUsed;
  // Bottom-up: the picture's top row is the last stored row.
  Resample(src, fw, fh, rows + stride * (fh - 1), -stride);
  ZoMemUnlock(h);
  return h;
}

void FillInfo(DibImageInfo* info, uint32_t width, uint32_t height, int bitCount, int frames) {
  if (!info) return;
  info->dwWidth = width;
  info->dwHeight = height;
  info->wBitCount = uint16_t(bitCount);
  info->wFrameCount = uint16_t(frames);
}

}  // namespace pixload
