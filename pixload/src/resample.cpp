// Area-average reduction and nearest-pixel enlargement of decoded pictures.
#include <stddef.h>

#include <vector>

#include "pixels.h"

namespace pixload {

void FlattenOverWhite(Pixels& p) {
  if (p.channels != 4) return;
  const size_t n = size_t(p.width) * size_t(p.height);
  uint8_t* d = p.data.data();
  const uint8_t* s = p.data.data();
  for (size_t i = 0; i < n; ++i, s += 4, d += 3) {
    const unsigned a = s[3], w = 255 * (255 - a);
    const uint8_t b = uint8_t((s[0] * a + w + 127) / 255);
    const uint8_t g = uint8_t((s[1] * a + w + 127) / 255);
    const uint8_t r = uint8_t((s[2] * a + w + 127) / 255);
    d[0] = b;
    d[1] = g;
    d[2] = r;
  }
  p.channels = 3;
  p.data.resize(n * 3);
}

namespace {

// Source spans [first[i], end[i]) of each destination index: the source
// pixels it covers when reducing, the nearest one when enlarging.
struct Spans {
  std::vector<int> first, end;
  Spans(int src, int dst) : first(size_t(dst)), end(size_t(dst)) {
    for (int i = 0; i < dst; ++i) {
      const int a = int(int64_t(i) * src / dst), b = int(int64_t(i + 1) * src / dst);
      first[size_t(i)] = a;
      end[size_t(i)] = b > a ? b : a + 1;
    }
  }
};

}  // namespace

void Resample(const Pixels& src, int dw, int dh, uint8_t* dstTop, ptrdiff_t rowStep) {
  const int ch = src.channels;
  if (dw <= 0 || dh <= 0 || src.width <= 0 || src.height <= 0 || ch < 1 || ch > 3) return;
  if (dw == src.width && dh == src.height) {
    for (int y = 0; y < dh; ++y) {
      const uint8_t* s = src.row(y);
      uint8_t* d = dstTop + rowStep * y;
      for (size_t i = 0; i < src.stride(); ++i) d[i] = s[i];
    }
    return;
  }
  const Spans xs(src.width, dw), ys(src.height, dh);
  std::vector<uint64_t> sums(size_t(dw) * size_t(ch));
  for (int y = 0; y < dh; ++y) {
    const int y0 = ys.first[size_t(y)], y1 = ys.end[size_t(y)];
    for (auto& v : sums) v = 0;
    for (int sy = y0; sy < y1; ++sy) {
      const uint8_t* s = src.row(sy);
      uint64_t* acc = sums.data();
      for (int x = 0; x < dw; ++x, acc += ch) {
        const uint8_t* p = s + size_t(xs.first[size_t(x)]) * size_t(ch);
        const uint8_t* e = s + size_t(xs.end[size_t(x)]) * size_t(ch);
        for (; p < e; p += ch)
          for (int c = 0; c < ch; ++c) acc[c] += p[c];
      }
    }
    uint8_t* d = dstTop + rowStep * y;
    const uint64_t* acc = sums.data();
    for (int x = 0; x < dw; ++x, acc += ch, d += ch) {
      const uint64_t n = uint64_t(xs.end[size_t(x)] - xs.first[size_t(x)]) * uint64_t(y1 - y0);
      for (int c = 0; c < ch; ++c) d[c] = uint8_t((acc[c] + n / 2) / n);
    }
  }
}

}  // namespace pixload
