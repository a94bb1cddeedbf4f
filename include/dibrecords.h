// The records that carry images between the libraries: the packed DIB in a
// memory handle, the load request and the image information. Their byte
// layouts are binding across separately built libraries.
#pragma once
#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 1)

// BITMAPINFOHEADER, 40 bytes; followed in a PackedDib by biClrUsed palette
// entries of 4 bytes (blue, green, red, 0) and then bottom-up rows.
struct DibHeader {
  uint32_t biSize;
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression;
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};

struct DibLoadRequest {
  uint32_t cbSize;  // 44
  uint32_t dwReserved;
  int32_t nMaxWidth;   // the box to fit into; 0 or less: no fitting
  int32_t nMaxHeight;
  uint32_t adwReserved[7];
};

struct DibImageInfo {
  uint32_t dwWidth;   // size of the picture in the file, before fitting
  uint32_t dwHeight;
  uint16_t wBitCount;
  uint16_t wFrameCount;  // 0 for a still image
};

#pragma pack(pop)

enum { DIB_HEADER_SIZE = 40, DIB_LOAD_REQUEST_SIZE = 44, DIB_IMAGE_INFO_STORAGE = 16 };

static_assert(sizeof(DibHeader) == 40, "BITMAPINFOHEADER is 40 bytes");
static_assert(offsetof(DibHeader, biWidth) == 4 && offsetof(DibHeader, biHeight) == 8 &&
                  offsetof(DibHeader, biPlanes) == 12 && offsetof(DibHeader, biBitCount) == 14 &&
                  offsetof(DibHeader, biCompression) == 16 && offsetof(DibHeader, biSizeImage) == 20 &&
                  offsetof(DibHeader, biXPelsPerMeter) == 24 && offsetof(DibHeader, biYPelsPerMeter) == 28 &&
                  offsetof(DibHeader, biClrUsed) == 32 && offsetof(DibHeader, biClrImportant) == 36,
              "BITMAPINFOHEADER field offsets");
static_assert(sizeof(DibLoadRequest) == 44, "DibLoadRequest is 44 bytes");
static_assert(offsetof(DibLoadRequest, nMaxWidth) == 8 && offsetof(DibLoadRequest, nMaxHeight) == 12 &&
                  offsetof(DibLoadRequest, adwReserved) == 16,
              "DibLoadRequest field offsets");
static_assert(sizeof(DibImageInfo) == 12, "DibImageInfo has 12 bytes of fields");
static_assert(offsetof(DibImageInfo, dwHeight) == 4 && offsetof(DibImageInfo, wBitCount) == 8 &&
                  offsetof(DibImageInfo, wFrameCount) == 10,
              "DibImageInfo field offsets");

// Bytes of one bitmap row: width * bits rounded up to whole 32-bit words.
// Computed in 64 bits; the caller checks the result against its own limits.
static inline int64_t DibRowStride(int64_t width, int64_t bitCount) {
  return ((width * bitCount + 31) / 32) * 4;
}

// Largest block a PackedDib may occupy: sizes are signed 32-bit quantities.
enum : int64_t { DIB_MAX_BYTES = 2147483647 };
