// The DCT scale a JPEG is decoded at: the smallest of 1/8 .. 8/8 whose output
// still covers the fitted size, so that the final fit only reduces.
#pragma once
#include <stdint.h>

namespace pixload {

// Eighths (1..8) for a width x height JPEG fitted to fitWidth x fitHeight.
// libjpeg's scaled size is the ceiling of size * M / 8.
inline int JpegScaleEighths(int64_t width, int64_t height, int64_t fitWidth, int64_t fitHeight) {
  for (int m = 1; m < 8; ++m)
    if ((width * m + 7) / 8 >= fitWidth && (height * m + 7) / 8 >= fitHeight) return m;
  return 8;
}

}  // namespace pixload
