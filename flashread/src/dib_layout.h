// The shape of a decoded bitmap and the per-row read request: plain
// computations, no toolkit or allocator calls.
#pragma once
#include <stdint.h>

#include "fpxlib.h"

struct DecodeLayout {
  int32_t width;
  int32_t height;
  int32_t components;     // 1 (grey) or 3 (colour)
  uint16_t bitCount;      // 8 or 24
  uint32_t paletteCount;  // 256 or 0
  int64_t rowStride;
  int64_t pixelOffset;    // header plus palette
  int64_t blockSize;
};

// The layout of a W x H image of 1 or 3 components. False when the image
// has no pixels or its bitmap would not fit in DIB_MAX_BYTES.
bool ComputeDecodeLayout(uint32_t width, uint32_t height, int32_t components, DecodeLayout* layout);

// Writes the header and, for grey images, the 256-entry grey ramp.
void WriteDecodedHeader(uint8_t* block, const DecodeLayout& layout);

// Sets up the request that reads one image row into the stored row at
// `row`: one byte per component, blue-green-red order for colour.
void SetupRowRequest(FPXImageDesc* desc, uint8_t* row, const DecodeLayout& layout);
