#include "gifcompose.h"

#include <string.h>

#include <algorithm>

namespace pixload {

int GifFrameDelayMs(int delayCs) { return (delayCs <= 1 ? 10 : delayCs) * 10; }

GifCanvas::GifCanvas(int width, int height) {
  canvas_.width = width;
  canvas_.height = height;
  canvas_.channels = 4;
  canvas_.data.assign(canvas_.stride() * size_t(height), 0);
}

const Pixels& GifCanvas::Draw(const GifFrameInfo& info, const Pixels& image) {
  const int cw = canvas_.width, ch = canvas_.height;
  // Clipped rectangle of a frame at (left, top) of the given size.
  auto clip = [&](int left, int top, int w, int h, int& x0, int& y0, int& x1, int& y1) {
    x0 = std::max(left, 0);
    y0 = std::max(top, 0);
    x1 = int(std::min<int64_t>(int64_t(left) + w, cw));
    y1 = int(std::min<int64_t>(int64_t(top) + h, ch));
  };
  int x0, y0, x1, y1;
  if (pendingDisposal_ == 2) {
    clip(pendingLeft_, pendingTop_, pendingWidth_, pendingHeight_, x0, y0, x1, y1);
    for (int y = y0; y < y1; ++y)
      if (x1 > x0) memset(canvas_.row(y) + size_t(x0) * 4, 0, size_t(x1 - x0) * 4);
  } else if (pendingDisposal_ == 3 && !saved_.data.empty()) {
    canvas_.data = saved_.data;
  }
  if (info.disposal == 3) saved_ = canvas_;
  if (image.channels == 4) {
    clip(info.left, info.top, image.width, image.height, x0, y0, x1, y1);
    for (int y = y0; y < y1; ++y) {
      const uint8_t* s = image.row(y - info.top) + size_t(x0 - info.left) * 4;
      uint8_t* d = canvas_.row(y) + size_t(x0) * 4;
      for (int x = x0; x < x1; ++x, s += 4, d += 4)
        if (s[3] >= 128) memcpy(d, s, 4);
    }
  }
  pendingDisposal_ = info.disposal;
  pendingLeft_ = info.left;
  pendingTop_ = info.top;
  pendingWidth_ = image.width;
  pendingHeight_ = image.height;
  return canvas_;
}

}  // namespace pixload
