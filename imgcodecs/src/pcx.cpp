// PCX: 1-bit mono, 2/4-bit and 4-plane 16-colour pictures with the header
// palette, 8-bit with the 256-colour palette at the end of the file (grey when
// it is missing), and 24/32-bit pictures stored as 3 or 4 planes per line.
#include <array>
#include <vector>

#include "bytereader.h"
#include "common.h"

namespace imgcodecs {
namespace {

// Decodes the byte stream; runs may continue across scanlines and planes.
class PcxStream {
 public:
  PcxStream(ByteReader& r, bool rle) : r_(r), rle_(rle) {}

  bool Fill(uint8_t* dst, size_t n) {
    if (!rle_) {
      const uint8_t* p = r_.take(n);
      if (!p) return false;
      for (size_t i = 0; i < n; ++i) dst[i] = p[i];
      return true;
    }
    size_t i = 0;
    while (i < n) {
      if (runLeft_ > 0) {
        size_t k = runLeft_ < n - i ? runLeft_ : n - i;
        for (size_t j = 0; j < k; ++j) dst[i + j] = runValue_;
        i += k;
        runLeft_ -= k;
        continue;
      }
      uint8_t c;
      if (!r_.u8(c)) return false;
      if ((c & 0xC0) == 0xC0) {
        if (!r_.u8(runValue_)) return false;
        runLeft_ = c & 0x3F;  // a zero count yields nothing
      } else {
        dst[i++] = c;
      }
    }
    return true;
  }

 private:
  ByteReader& r_;
  bool rle_;
  size_t runLeft_ = 0;
  uint8_t runValue_ = 0;
};

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

CodecStatus Decode(const uint8_t* data, size_t size, Image& out) {
  ByteReader r(data, size);
  const uint8_t* h = r.take(128);
  if (!h) return CodecStatus::Truncated;
  if (h[0] != 0x0A || h[2] > 1) return CodecStatus::Malformed;
  const bool rle = h[2] == 1;
  const int bits = h[3];
  const int xMin = Le16(h + 4), yMin = Le16(h + 6), xMax = Le16(h + 8), yMax = Le16(h + 10);
  const int planes = h[65];
  const unsigned bytesPerLine = Le16(h + 66);
  if (xMax < xMin || yMax < yMin) return CodecStatus::Malformed;
  const unsigned width = xMax - xMin + 1u, height = yMax - yMin + 1u;
  if (planes < 1 || (bits != 1 && bits != 2 && bits != 4 && bits != 8)) return CodecStatus::Unsupported;
  if (uint64_t(bytesPerLine) * 8 < uint64_t(width) * bits) return CodecStatus::Malformed;

  const bool paletted = planes == 1 || (bits * planes <= 4);
  const bool trueColour = bits == 8 && (planes == 3 || planes == 4);
  if (!paletted && !trueColour) return CodecStatus::Unsupported;

  // The colour table: 16 entries in the header, or 256 after a 0x0C marker
  // at the end for 8-bit pictures.
  std::vector<std::array<uint8_t, 3>> palette;
  bool grey = false;
  if (paletted) {
    if (bits == 8) {
      const uint8_t* tail = size >= 128 + 769 ? r.at(size - 769, 769) : nullptr;
      if (tail && tail[0] == 0x0C) {
        palette.resize(256);
        for (int i = 0; i < 256; ++i) palette[i] = {tail[1 + 3 * i], tail[2 + 3 * i], tail[3 + 3 * i]};
      } else {
        grey = true;
      }
    } else {
      palette.resize(16);
      for (int i = 0; i < 16; ++i) palette[i] = {h[16 + 3 * i], h[17 + 3 * i], h[18 + 3 * i]};
      // Mono pictures often leave the header palette blank: black and white.
      if (bits * planes == 1 && palette[0] == palette[1]) {
        palette[0] = {0, 0, 0};
        palette[1] = {255, 255, 255};
      }
    }
  }

  const uint64_t lineBytes = uint64_t(bytesPerLine) * planes;
  const uint64_t total = lineBytes * height;
  // A 2-byte run yields at most 63 bytes; refuse early what cannot be there.
  if (!rle && r.remaining() < total) return CodecStatus::Truncated;
  if (rle && uint64_t(r.remaining()) * 32 < total) return CodecStatus::Truncated;
  const int channels = grey ? 1 : (trueColour && planes == 4 ? 4 : 3);
  CodecStatus st = AllocateImage(out, width, height, channels);
  if (st != CodecStatus::Ok) return st;
  out.fileBitCount = bits * planes;

  std::vector<uint8_t> line(static_cast<size_t>(lineBytes));
  PcxStream stream(r, rle);
  const unsigned mask = (1u << bits) - 1;
  for (unsigned y = 0; y < height; ++y) {
    if (!stream.Fill(line.data(), line.size())) return CodecStatus::Truncated;
    uint8_t* d = out.pixels.data() + uint64_t(y) * width * channels;
    if (trueColour) {
      for (unsigned x = 0; x < width; ++x, d += channels)
        for (int c = 0; c < channels; ++c) d[c] = line[c * bytesPerLine + x];
    } else if (bits == 8) {
      for (unsigned x = 0; x < width; ++x) {
        if (grey) {
          d[x] = line[x];
        } else {
          const auto& c = palette[line[x]];
          d[3 * x] = c[0]; d[3 * x + 1] = c[1]; d[3 * x + 2] = c[2];
        }
      }
    } else {
      for (unsigned x = 0; x < width; ++x, d += 3) {
        const unsigned bit = x * bits;
        const unsigned shift = 8 - bits - (bit & 7);
        unsigned index = 0;
        for (int p = 0; p < planes; ++p)
          index |= ((line[p * bytesPerLine + bit / 8] >> shift) & mask) << (p * bits);
        const auto& c = palette[index & 15];
        d[0] = c[0]; d[1] = c[1]; d[2] = c[2];
      }
    }
  }
  return CodecStatus::Ok;
}

}  // namespace

CodecStatus DecodePcx(const uint8_t* data, size_t size, Image& out, const DecodeHint*) {
  return RunDecoder(out, [&] { return Decode(data, size, out); });
}

}  // namespace imgcodecs
