#include "resample.h"

#include <stdlib.h>
#include <string.h>

#include "dibrecords.h"

namespace {

// Copies one target row of whole-byte pixels: `Bytes` bytes per pixel,
// `offsets` holding each target column's byte offset in the source row.
template <int Bytes>
uint8_t* CopyRowBytes(const uint8_t* src, const int32_t* offsets, int32_t width, uint8_t* out) {
  for (int32_t j = 0; j < width; ++j) {
    const uint8_t* p = src + offsets[j];
    for (int k = 0; k < Bytes; ++k) out[k] = p[k];
    out += Bytes;
  }
  return out;
}

uint8_t* CopyRow1(const uint8_t* src, const int32_t* cols, int32_t width, uint8_t* out) {
  for (int32_t j = 0; j < width; ++j) {
    const int32_t x = cols[j];
    const unsigned bit = (src[x >> 3] >> (7 - (x & 7))) & 1u;
    const int shift = 7 - (j & 7);
    if ((j & 7) == 0)
      *out = static_cast<uint8_t>(bit << 7);
    else
      *out |= static_cast<uint8_t>(bit << shift);
    if ((j & 7) == 7) ++out;
  }
  if (width & 7) ++out;
  return out;
}

uint8_t* CopyRow4(const uint8_t* src, const int32_t* cols, int32_t width, uint8_t* out) {
  for (int32_t j = 0; j < width; ++j) {
    const int32_t x = cols[j];
    const uint8_t b = src[x >> 1];
    const unsigned nibble = (x & 1) ? (b & 0x0Fu) : (b >> 4);
    if ((j & 1) == 0) {
      *out = static_cast<uint8_t>(nibble << 4);
    } else {
      *out |= static_cast<uint8_t>(nibble);
      ++out;
    }
  }
  if (width & 1) ++out;
  return out;
}

MemHandle CopySameSize(const uint8_t* source, int64_t size) {
  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, static_cast<uintptr_t>(size));
  if (h == 0) return 0;
  void* p = ZoMemLock(h);
  if (p == nullptr) {
    ZoMemFree(h);
    return 0;
  }
  memcpy(p, source, static_cast<size_t>(size));
  ZoMemUnlock(h);
  return h;
}

}  // namespace

MemHandle ResampleDib(const void* source, int32_t targetWidth, int32_t targetHeight) {
  if (source == nullptr || targetWidth <= 0 || targetHeight <= 0) return 0;
  DibHeader sh;
  memcpy(&sh, source, sizeof sh);
  // Only bottom-up bitmaps with a real size can be sampled.
  if (sh.biWidth <= 0 || sh.biHeight <= 0) return 0;

  const auto* src = static_cast<const uint8_t*>(source);
  const int64_t bits = sh.biBitCount;
  const int64_t headerBytes = DIB_HEADER_SIZE + 4 * int64_t(sh.biClrUsed);
  const int64_t srcStride = DibRowStride(sh.biWidth, bits);

  if (targetWidth == sh.biWidth && targetHeight == sh.biHeight) {
    const int64_t size = headerBytes + srcStride * sh.biHeight;
    if (size > DIB_MAX_BYTES) return 0;
    return CopySameSize(src, size);
  }

  const int64_t dstStride = DibRowStride(targetWidth, bits);
  const int64_t rowBytes = (int64_t(targetWidth) * bits + 7) >> 3;
  const int64_t pad = dstStride - rowBytes;
  const int64_t imageBytes = dstStride * targetHeight;
  const int64_t size = headerBytes + imageBytes;
  // A source that claims more than a bitmap can hold cannot be addressed
  // either: refuse both before allocating.
  if (size > DIB_MAX_BYTES || headerBytes + srcStride * sh.biHeight > DIB_MAX_BYTES) return 0;

  const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, static_cast<uintptr_t>(size));
  if (h == 0) return 0;
  auto* dst = static_cast<uint8_t*>(ZoMemLock(h));
  if (dst == nullptr) {
    ZoMemFree(h);
    return 0;
  }
  auto* cols = static_cast<int32_t*>(malloc(sizeof(int32_t) * static_cast<size_t>(targetWidth)));
  if (cols == nullptr) {
    ZoMemUnlock(h);
    ZoMemFree(h);
    return 0;
  }

  // Source column of every target column, floor(j * W / tw), from a running
  // sum; for whole-byte pixels the table holds the byte offset instead.
  const int32_t bytesPerPixel = (bits >= 8 && bits % 8 == 0) ? static_cast<int32_t>(bits / 8) : 1;
  const bool wholeBytes = bits == 8 || bits == 16 || bits == 24 || bits == 32;
  int64_t sum = 0;
  for (int32_t j = 0; j < targetWidth; ++j) {
    const int32_t x = static_cast<int32_t>(sum / targetWidth);
    cols[j] = wholeBytes ? x * bytesPerPixel : x;
    sum += sh.biWidth;
  }

  memcpy(dst, src, static_cast<size_t>(headerBytes));
  DibHeader th = sh;
  th.biWidth = targetWidth;
  th.biHeight = targetHeight;
  th.biSizeImage = static_cast<uint32_t>(imageBytes);
  memcpy(dst, &th, sizeof th);

  const uint8_t* pixels = src + headerBytes;
  uint8_t* out = dst + headerBytes;
  uint8_t* (*copyRow)(const uint8_t*, const int32_t*, int32_t, uint8_t*) = nullptr;
  switch (bits) {
    case 1: copyRow = CopyRow1; break;
    case 4: copyRow = CopyRow4; break;
    case 8: copyRow = CopyRowBytes<1>; break;
    case 16: copyRow = CopyRowBytes<2>; break;
    case 24: copyRow = CopyRowBytes<3>; break;
    case 32: copyRow = CopyRowBytes<4>; break;
    default: break;  // no copying method: the pixel area stays zero
  }
  if (copyRow != nullptr) {
    int64_t rowSum = 0;
    for (int32_t r = 0; r < targetHeight; ++r) {
      const uint8_t* row = pixels + (rowSum / targetHeight) * srcStride;
      out = copyRow(row, cols, targetWidth, out);
      // The block is zero-filled already; the pad is written anyway so every
      // row is complete whatever the allocator hands back.
      for (int64_t k = 0; k < pad; ++k) *out++ = 0;
      rowSum += sh.biHeight;
    }
  }

  free(cols);
  ZoMemUnlock(h);
  return h;
}
