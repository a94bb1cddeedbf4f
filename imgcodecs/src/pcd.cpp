// Photo CD: the 768 x 512 base image of an image pack. It is stored at sector
// 96 as 256 groups of two luminance rows followed by one row each of the two
// half-resolution chroma channels, in PhotoYCC. The pack header's rotation
// attribute turns the picture upright. With a size hint the base image is
// sampled at 1/2 or 1/4 when that still covers the fitted size.
#include <math.h>
#include <string.h>

#include <algorithm>

#include "bytereader.h"
#include "common.h"

namespace imgcodecs {
namespace {

constexpr uint64_t kSector = 2048;
constexpr uint64_t kBaseOffset = 96 * kSector;
constexpr unsigned kBaseWidth = 768, kBaseHeight = 512;
constexpr uint64_t kBaseBytes = uint64_t(kBaseWidth) * kBaseHeight * 3 / 2;
constexpr uint64_t kRotationOffset = kSector + 0x602;

uint8_t Clamp(double v) { return static_cast<uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : lround(v)); }

// PhotoYCC (8-bit luma, chroma centred on 156 and 137) to display RGB;
// values above reference white are clipped.
struct YccTables {
  double luma[256], c1b[256], c1g[256], c2r[256], c2g[256];
  YccTables() {
    for (int i = 0; i < 256; ++i) {
      const double c1 = 2.2179 * (i - 156), c2 = 1.8215 * (i - 137);
      luma[i] = 1.3584 * i;
      c1b[i] = c1;
      c1g[i] = -0.194 * c1;
      c2r[i] = c2;
      c2g[i] = -0.509 * c2;
    }
  }
};

CodecStatus Decode(const uint8_t* data, size_t size, const DecodeHint* hint, Image& out) {
  ByteReader r(data, size);
  const uint8_t* sig = r.at(kSector, 7);
  if (!sig) return CodecStatus::Truncated;
  if (memcmp(sig, "PCD_IPI", 7) != 0) return CodecStatus::Malformed;
  const uint8_t* rotationByte = r.at(kRotationOffset, 1);
  const uint8_t* base = r.at(kBaseOffset, kBaseBytes);
  if (!rotationByte || !base) return CodecStatus::Truncated;
  // 0 upright, 1 stored turned clockwise (turn back 90 degrees
  // counter-clockwise), 2 upside down, 3 turn 90 degrees clockwise.
  const int rotation = rotationByte[0] & 3;
  const bool quarter = rotation & 1;
  const unsigned shownW = quarter ? kBaseHeight : kBaseWidth, shownH = quarter ? kBaseWidth : kBaseHeight;

  // The sampling step: the largest of 1, 2, 4 not below the fitted size.
  unsigned step = 1;
  if (hint && hint->maxWidth > 0 && hint->maxHeight > 0) {
    const double fit = std::min(double(hint->maxWidth) / shownW, double(hint->maxHeight) / shownH);
    while (step < 4 && fit * step * 2 <= 1.0) step *= 2;
  }
  const unsigned srcW = kBaseWidth / step, srcH = kBaseHeight / step;
  const unsigned outW = quarter ? srcH : srcW, outH = quarter ? srcW : srcH;
  CodecStatus st = AllocateImage(out, outW, outH, 3);
  if (st != CodecStatus::Ok) return st;
  out.fileWidth = static_cast<int>(shownW);
  out.fileHeight = static_cast<int>(shownH);
  out.fileBitCount = 24;

  static const YccTables t;
  constexpr uint64_t groupBytes = kBaseWidth * 3;  // two luma rows + two half rows
  for (unsigned sy = 0; sy < srcH; ++sy) {
    const unsigned y = sy * step;
    const uint8_t* group = base + (y / 2) * groupBytes;
    const uint8_t* luma = group + (y & 1) * kBaseWidth;
    const uint8_t* c1 = group + 2 * kBaseWidth;
    const uint8_t* c2 = c1 + kBaseWidth / 2;
    for (unsigned sx = 0; sx < srcW; ++sx) {
      const unsigned x = sx * step;
      const double l = t.luma[luma[x]];
      const uint8_t a = c1[x / 2], b = c2[x / 2];
      // Where the stored pixel lands after turning the picture upright.
      unsigned dx, dy;
      switch (rotation) {
        case 0: dx = sx; dy = sy; break;
        case 1: dx = sy; dy = srcW - 1 - sx; break;
        case 2: dx = srcW - 1 - sx; dy = srcH - 1 - sy; break;
        default: dx = srcH - 1 - sy; dy = sx; break;
      }
      uint8_t* d = out.pixels.data() + (uint64_t(dy) * outW + dx) * 3;
      d[0] = Clamp(l + t.c2r[b]);
      d[1] = Clamp(l + t.c1g[a] + t.c2g[b]);
      d[2] = Clamp(l + t.c1b[a]);
    }
  }
  return CodecStatus::Ok;
}

}  // namespace

CodecStatus DecodePcd(const uint8_t* data, size_t size, Image& out, const DecodeHint* hint) {
  return RunDecoder(out, [&] { return Decode(data, size, hint, out); });
}

}  // namespace imgcodecs
