// SGI: 1 to 4 channels (grey, grey+alpha, RGB, RGBA; further channels are
// ignored), 8 or 16 bits per channel (16 reduced to its high byte), verbatim
// or run-length encoded with per-row offset tables. Rows are stored bottom-up.
#include <vector>

#include "bytereader.h"
#include "common.h"

namespace imgcodecs {
namespace {

// One RLE row of 1- or 2-byte elements from src into row (high bytes only).
// Runs that overrun the row are cut; a short row leaves zeros.
void DecodeRleRow(const uint8_t* src, size_t n, int bpc, uint8_t* row, unsigned width) {
  size_t i = 0;
  unsigned x = 0;
  auto element = [&](size_t at) { return src[at]; };  // high byte of a big-endian element
  while (x < width && i + bpc <= n) {
    const unsigned c = bpc == 2 ? src[i + 1] : src[i];
    i += bpc;
    unsigned count = c & 0x7f;
    if (count == 0) break;
    if (count > width - x) count = width - x;
    if (c & 0x80) {
      for (unsigned k = 0; k < count && i + bpc <= n; ++k, i += bpc) row[x++] = element(i);
    } else {
      if (i + bpc > n) break;
      const uint8_t v = element(i);
      i += bpc;
      for (unsigned k = 0; k < count; ++k) row[x++] = v;
    }
  }
}

CodecStatus Decode(const uint8_t* data, size_t size, Image& out) {
  ByteReader r(data, size);
  const uint8_t* h = r.take(512);
  if (!h) return CodecStatus::Truncated;
  if (LoadU16be(h) != 474) return CodecStatus::Malformed;
  const int storage = h[2], bpc = h[3];
  const unsigned dimension = LoadU16be(h + 4);
  unsigned width = LoadU16be(h + 6), height = LoadU16be(h + 8), depth = LoadU16be(h + 10);
  const uint32_t colormap = LoadU32be(h + 104);
  if (storage > 1 || (bpc != 1 && bpc != 2) || dimension < 1 || dimension > 3) return CodecStatus::Malformed;
  if (colormap != 0) return CodecStatus::Unsupported;  // dithered, screen and colour-map files
  if (dimension < 2) height = 1;
  if (dimension < 3) depth = 1;
  if (width == 0 || height == 0 || depth == 0) return CodecStatus::Malformed;

  const unsigned used = depth > 4 ? 4 : depth;
  const int channels = used == 1 ? 1 : (used == 3 ? 3 : 4);
  const uint64_t rowBytes = uint64_t(width) * bpc;
  const uint64_t tableEntries = uint64_t(height) * depth;
  if (storage == 0) {
    if (r.remaining() < rowBytes * tableEntries) return CodecStatus::Truncated;
  } else if (r.remaining() < tableEntries * 8) {
    return CodecStatus::Truncated;
  }
  CodecStatus st = AllocateImage(out, width, height, channels);
  if (st != CodecStatus::Ok) return st;
  out.fileBitCount = static_cast<int>(depth * bpc * 8);

  std::vector<uint8_t> row(width);
  const uint8_t* starts = storage ? r.at(512, tableEntries * 4) : nullptr;
  const uint8_t* lengths = storage ? r.at(512 + tableEntries * 4, tableEntries * 4) : nullptr;
  for (unsigned z = 0; z < used; ++z) {
    for (unsigned y = 0; y < height; ++y) {
      const uint64_t entry = uint64_t(z) * height + y;
      if (storage == 0) {
        const uint8_t* src = r.at(512 + entry * rowBytes, rowBytes);
        for (unsigned x = 0; x < width; ++x) row[x] = src[uint64_t(x) * bpc];
      } else {
        const uint32_t start = LoadU32be(starts + entry * 4), length = LoadU32be(lengths + entry * 4);
        const uint8_t* src = r.at(start, length);
        if (!src) return CodecStatus::Truncated;
        for (unsigned x = 0; x < width; ++x) row[x] = 0;
        DecodeRleRow(src, length, bpc, row.data(), width);
      }
      uint8_t* d = out.pixels.data() + uint64_t(height - 1 - y) * width * channels;
      for (unsigned x = 0; x < width; ++x, d += channels) {
        if (used == 2) {
          // Grey with alpha becomes RGBA.
          if (z == 0) d[0] = d[1] = d[2] = row[x];
          else d[3] = row[x];
        } else {
          d[z] = row[x];
        }
      }
    }
  }
  return CodecStatus::Ok;
}

}  // namespace

CodecStatus DecodeSgi(const uint8_t* data, size_t size, Image& out, const DecodeHint*) {
  return RunDecoder(out, [&] { return Decode(data, size, out); });
}

}  // namespace imgcodecs
