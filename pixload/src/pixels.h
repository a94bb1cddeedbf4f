// A decoded picture in memory, between a decoder and the DIB builder.
#pragma once
#include <stdint.h>

#include <vector>

namespace pixload {

// Top-down rows, tightly packed. Channels: 1 grey, 3 blue-green-red,
// 4 blue-green-red-alpha (straight alpha).
struct Pixels {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<uint8_t> data;

  size_t stride() const { return size_t(width) * size_t(channels); }
  uint8_t* row(int y) { return data.data() + size_t(y) * stride(); }
  const uint8_t* row(int y) const { return data.data() + size_t(y) * stride(); }
};

// Largest picture any loader decodes into memory (pixels of the decoded,
// possibly already reduced, picture).
constexpr int64_t kMaxDecodedPixels = 64ll * 1024 * 1024;

// Replaces a 4-channel picture by 3 channels composed over white (the tip's
// background); 1 and 3 channels stay as they are.
void FlattenOverWhite(Pixels& p);

// Resamples src into dst's rows: area average where a side shrinks, nearest
// pixel where it grows. dst has src's channel count (4 is not accepted: flatten
// first). dstRows points at the first row to be written; rowStep is the byte
// distance to the next lower picture row (negative for bottom-up storage).
void Resample(const Pixels& src, int dstWidth, int dstHeight, uint8_t* dstTop, ptrdiff_t rowStep);

}  // namespace pixload
