// PSD (version 1): the merged composite of the image data section, raw or
// PackBits, 1/8/16 bits per channel. Bitmap, grey, duotone and multichannel
// show as grey (grey keeps a second channel as alpha), indexed through its
// colour table, RGB with optional alpha, CMYK converted to RGB. The colour
// mode data, resources and layer sections are skipped by their lengths.
#include <algorithm>
#include <vector>

#include "bytereader.h"
#include "common.h"

namespace imgcodecs {
namespace {

enum Mode { kBitmap = 0, kGrey = 1, kIndexed = 2, kRgb = 3, kCmyk = 4, kMultichannel = 7, kDuotone = 8 };

// PackBits into dst[0..n); overruns are cut, short rows leave zeros.
void UnpackBits(const uint8_t* src, size_t srcLen, uint8_t* dst, size_t n) {
  size_t i = 0, o = 0;
  while (o < n && i < srcLen) {
    const int c = static_cast<int8_t>(src[i++]);
    if (c >= 0) {
      size_t count = size_t(c) + 1;
      if (count > srcLen - i) count = srcLen - i;
      if (count > n - o) count = n - o;
      for (size_t k = 0; k < count; ++k) dst[o++] = src[i++];
    } else if (c != -128) {
      if (i >= srcLen) break;
      const uint8_t v = src[i++];
      size_t count = size_t(1 - c);
      if (count > n - o) count = n - o;
      for (size_t k = 0; k < count; ++k) dst[o++] = v;
    }
  }
}

bool SkipSection(ByteReader& r) {
  uint32_t length;
  return r.u32be(length) && r.skip(length);
}

CodecStatus Decode(const uint8_t* data, size_t size, Image& out) {
  ByteReader r(data, size);
  const uint8_t* h = r.take(26);
  if (!h) return CodecStatus::Truncated;
  if (h[0] != '8' || h[1] != 'B' || h[2] != 'P' || h[3] != 'S') return CodecStatus::Malformed;
  const unsigned version = LoadU16be(h + 4);
  if (version == 2) return CodecStatus::Unsupported;  // large-document variant
  if (version != 1) return CodecStatus::Malformed;
  const unsigned channelCount = LoadU16be(h + 12);
  const uint32_t height = LoadU32be(h + 14), width = LoadU32be(h + 18);
  const unsigned depth = LoadU16be(h + 22), mode = LoadU16be(h + 24);
  if (channelCount < 1 || channelCount > 56 || width == 0 || height == 0) return CodecStatus::Malformed;
  if (depth != 1 && depth != 8 && depth != 16) return CodecStatus::Unsupported;
  if (depth == 1 && mode != kBitmap) return CodecStatus::Malformed;

  // Channels used from the composite and the output layout.
  unsigned use;
  int channels;
  switch (mode) {
    case kBitmap: case kMultichannel: case kDuotone: use = 1; channels = 1; break;
    case kGrey: use = channelCount >= 2 ? 2 : 1; channels = use == 2 ? 4 : 1; break;
    case kIndexed: use = 1; channels = 3; break;
    case kRgb:
      if (channelCount < 3) return CodecStatus::Malformed;
      use = channelCount >= 4 ? 4 : 3; channels = use; break;
    case kCmyk:
      if (channelCount < 4) return CodecStatus::Malformed;
      use = 4; channels = 3; break;
    default: return CodecStatus::Unsupported;
  }
  if (mode == kBitmap && depth != 1) return CodecStatus::Malformed;

  // Colour mode data: the 768-byte table (256 R, then G, then B) for indexed.
  uint32_t modeLength;
  if (!r.u32be(modeLength)) return CodecStatus::Truncated;
  const uint8_t* modeData = r.take(modeLength);
  if (!modeData) return CodecStatus::Truncated;
  if (mode == kIndexed && modeLength < 768) return CodecStatus::Malformed;
  if (!SkipSection(r) || !SkipSection(r)) return CodecStatus::Truncated;  // resources, layers

  uint16_t compression;
  if (!r.u16be(compression)) return CodecStatus::Truncated;
  if (compression > 1) return CodecStatus::Unsupported;  // zip
  const uint64_t rowBytes = depth == 1 ? (uint64_t(width) + 7) / 8 : uint64_t(width) * (depth / 8);
  const uint64_t rows = uint64_t(height) * channelCount;
  if (uint64_t(width) * height > kMaxPixels) return CodecStatus::TooLarge;
  // Only the used channels' rows need to be present.
  const uint64_t usedRows = uint64_t(height) * use;
  const uint8_t* counts = nullptr;
  if (compression == 0) {
    if (r.remaining() < rowBytes * usedRows) return CodecStatus::Truncated;
  } else {
    counts = r.take(rows * 2);
    if (!counts) return CodecStatus::Truncated;
    // A 2-byte packet yields at most 128 bytes.
    if (uint64_t(r.remaining()) * 64 < rowBytes * usedRows) return CodecStatus::Truncated;
  }
  CodecStatus st = AllocateImage(out, width, height, channels);
  if (st != CodecStatus::Ok) return st;
  out.fileBitCount = mode == kBitmap ? 1 : mode == kIndexed ? 8 : static_cast<int>(use * depth);

  // The used planes at 8 bits, one after the other.
  const uint64_t planeSize = uint64_t(width) * height;
  std::vector<uint8_t> planes(static_cast<size_t>(planeSize * use));
  std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
  uint64_t offset = r.pos();
  for (unsigned c = 0; c < use; ++c) {
    for (uint32_t y = 0; y < height; ++y) {
      const uint64_t index = uint64_t(c) * height + y;
      const uint8_t* src;
      if (compression == 0) {
        src = r.at(offset, rowBytes);
        offset += rowBytes;
      } else {
        const uint16_t length = LoadU16be(counts + index * 2);
        const uint8_t* packed = r.at(offset, length);
        if (!packed) return CodecStatus::Truncated;
        offset += length;
        std::fill(row.begin(), row.end(), 0);
        UnpackBits(packed, length, row.data(), row.size());
        src = row.data();
      }
      if (!src) return CodecStatus::Truncated;
      uint8_t* d = planes.data() + c * planeSize + uint64_t(y) * width;
      if (depth == 1) {
        for (uint32_t x = 0; x < width; ++x) d[x] = (src[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
      } else if (depth == 16) {
        for (uint32_t x = 0; x < width; ++x) d[x] = src[2 * uint64_t(x)];
      } else {
        for (uint32_t x = 0; x < width; ++x) d[x] = src[x];
      }
    }
  }

  uint8_t* d = out.pixels.data();
  const uint8_t* p0 = planes.data();
  for (uint64_t i = 0; i < planeSize; ++i) {
    switch (mode) {
      case kIndexed: {
        const uint8_t v = p0[i];
        d[0] = modeData[v]; d[1] = modeData[256 + v]; d[2] = modeData[512 + v];
        break;
      }
      case kGrey:
        if (channels == 4) { d[0] = d[1] = d[2] = p0[i]; d[3] = p0[planeSize + i]; }
        else d[0] = p0[i];
        break;
      case kRgb:
        for (unsigned c = 0; c < use; ++c) d[c] = p0[c * planeSize + i];
        break;
      case kCmyk: {
        // Stored inverted: 255 is no ink. Simple multiplicative conversion.
        const unsigned k = p0[3 * planeSize + i];
        for (unsigned c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>((p0[c * planeSize + i] * k + 127) / 255);
        break;
      }
      default: d[0] = p0[i]; break;
    }
    d += channels;
  }
  return CodecStatus::Ok;
}

}  // namespace

CodecStatus DecodePsd(const uint8_t* data, size_t size, Image& out, const DecodeHint*) {
  return RunDecoder(out, [&] { return Decode(data, size, out); });
}

}  // namespace imgcodecs
