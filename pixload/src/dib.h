// Building the PackedDib that a load hands out, and the fitted size it gets.
#pragma once
#include <stdint.h>

#include "dibrecords.h"
#include "handlebank.h"
#include "pixels.h"

namespace pixload {

// The box a request asks for; 0 x 0 (no fitting) for a null request.
struct Box {
  int width = 0;
  int height = 0;
};
Box BoxOf(const DibLoadRequest* request);

// The size a width x height picture gets in the box, or false when it comes
// out empty or too large for a PackedDib of the given bit count.
bool FittedSize(int64_t width, int64_t height, Box box, int bitCount, int* fitWidth, int* fitHeight);

// Bytes of a PackedDib: header, palette, rows; 0 when over DIB_MAX_BYTES.
uint64_t PackedDibBytes(int64_t width, int64_t height, int bitCount, int clrUsed);

// A new unlocked PackedDib of fitWidth x fitHeight made from src (1 channel:
// 8 bits with a grey palette; 3 or 4: 24 bits, alpha composed over white,
// which may flatten src in place). 0 on failure.
MemHandle BuildPackedDib(Pixels& src, int fitWidth, int fitHeight);

// Writes the information record when there is one.
void FillInfo(DibImageInfo* info, uint32_t width, uint32_t height, int bitCount, int frames);

}  // namespace pixload
