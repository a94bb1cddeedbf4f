// The fit rule shared by every producer of fitted bitmaps: keep the aspect
// ratio, fill the box in one dimension, enlarge small pictures as readily as
// reducing large ones.
#pragma once
#include <stdint.h>

struct FitSize {
  int64_t width;
  int64_t height;
};

// The size a width x height picture takes in a maxWidth x maxHeight box.
// A box with a side of 0 or less leaves the size as it is. Products are taken
// in 64 bits, so no box and picture of 32-bit sizes overflow; the derived side
// may come out as 0 for a very wide or tall picture, which callers refuse.
static inline FitSize FitIntoBox(int64_t width, int64_t height, int64_t maxWidth, int64_t maxHeight) {
  FitSize s = {width, height};
  if (maxWidth <= 0 || maxHeight <= 0 || width <= 0 || height <= 0) return s;
  if (maxWidth * height <= maxHeight * width) {
    s.width = maxWidth;
    s.height = (maxWidth * height + width / 2) / width;
  } else {
    s.height = maxHeight;
    s.width = (maxHeight * width + height / 2) / height;
  }
  return s;
}
