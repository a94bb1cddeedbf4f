// The fit rule: the size at which a decoded image is handed back for the
// caller's box, keeping the aspect ratio and enlarging as readily as reducing.
#pragma once
#include <stdint.h>

struct FitSize {
  int64_t width;
  int64_t height;
};

// W x H fitted into MW x MH. A box with a side of 0 or less leaves W x H.
// Products are formed in 64 bits, so no image and box of 32-bit sides
// overflow; the caller checks the result against the bitmap limits.
// W and H must be positive.
FitSize FitToBox(int64_t width, int64_t height, int32_t maxWidth, int32_t maxHeight);
