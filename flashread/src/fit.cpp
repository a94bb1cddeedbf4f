#include "fit.h"

FitSize FitToBox(int64_t width, int64_t height, int32_t maxWidth, int32_t maxHeight) {
  if (maxWidth <= 0 || maxHeight <= 0) return {width, height};
  const int64_t mw = maxWidth, mh = maxHeight;
  // Equal aspect ratios take the width branch and give exactly MW x MH.
  // The derived side is rounded to nearest, halves upward.
  if (mw * height <= mh * width) return {mw, (mw * height + width / 2) / width};
  return {(mh * width + height / 2) / height, mh};
}
