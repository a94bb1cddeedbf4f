// TGA: colour-mapped (1, 9), true-colour (2, 10) and grey (3, 11) images,
// raw or run-length encoded, 8/15/16/24/32 bits, any origin corner.
#include <array>
#include <vector>

#include "bytereader.h"
#include "common.h"

namespace imgcodecs {
namespace {

using Rgba = std::array<uint8_t, 4>;

// One stored pixel or colour-map entry (little-endian BGR order) as RGBA.
Rgba ColourFrom(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 2: {
      unsigned v = p[0] | (p[1] << 8);
      return {Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31), 255};
    }
    case 3: return {p[2], p[1], p[0], 255};
    default: return {p[2], p[1], p[0], p[3]};
  }
}

// Bytes of a 15/16/24/32-bit entry, 0 for other sizes.
int EntryBytes(int bits) {
  switch (bits) {
    case 15: case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
  }
}

CodecStatus Decode(const uint8_t* data, size_t size, Image& out) {
  ByteReader r(data, size);
  uint8_t idLength, mapType, type, mapBits, depth, descriptor;
  uint16_t mapFirst, mapLength, xOrigin, yOrigin, width, height;
  if (!(r.u8(idLength) && r.u8(mapType) && r.u8(type) && r.u16le(mapFirst) && r.u16le(mapLength) &&
        r.u8(mapBits) && r.u16le(xOrigin) && r.u16le(yOrigin) && r.u16le(width) && r.u16le(height) &&
        r.u8(depth) && r.u8(descriptor)))
    return CodecStatus::Truncated;

  const bool rle = type & 8;
  const int kind = type & ~8;  // 1 colour-mapped, 2 true-colour, 3 grey
  if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
    return type == 0 ? CodecStatus::Malformed : CodecStatus::Unsupported;
  if (mapType > 1 || (kind == 1 && mapType != 1)) return CodecStatus::Malformed;
  if (width == 0 || height == 0) return CodecStatus::Malformed;
  const int alphaBits = descriptor & 15;

  int pixelBytes = 0;
  int channels = 3;
  if (kind == 1) {
    if (depth != 8 && depth != 16) return CodecStatus::Unsupported;
    pixelBytes = depth / 8;
  } else if (kind == 2) {
    pixelBytes = EntryBytes(depth);
    if (!pixelBytes) return CodecStatus::Unsupported;
    if (depth == 32 && alphaBits > 0) channels = 4;
  } else {
    if (depth != 8 && depth != 16) return CodecStatus::Unsupported;
    pixelBytes = depth / 8;
    channels = depth == 16 ? 4 : 1;  // 16-bit grey carries alpha in its second byte
  }

  if (!r.skip(idLength)) return CodecStatus::Truncated;
  std::vector<Rgba> palette;
  if (mapType == 1) {
    const int entryBytes = EntryBytes(mapBits);
    if (!entryBytes) return CodecStatus::Malformed;
    const uint8_t* map = r.take(uint64_t(mapLength) * entryBytes);
    if (!map) return CodecStatus::Truncated;
    if (kind == 1) {
      palette.resize(mapLength);
      for (unsigned i = 0; i < mapLength; ++i) palette[i] = ColourFrom(map + i * entryBytes, entryBytes);
      if (mapBits == 32 && alphaBits > 0) channels = 4;
    }
  }

  const uint64_t pixelCount = uint64_t(width) * height;
  // Cheap plausibility before allocating: raw data must be all there, and a
  // run packet of 1 + pixelBytes bytes yields at most 128 pixels.
  if (!rle && r.remaining() < pixelCount * pixelBytes) return CodecStatus::Truncated;
  if (rle && uint64_t(r.remaining()) * 128 < pixelCount) return CodecStatus::Truncated;
  CodecStatus st = AllocateImage(out, width, height, channels);
  if (st != CodecStatus::Ok) return st;
  out.fileBitCount = depth;

  const bool topDown = descriptor & 0x20;
  const bool rightToLeft = descriptor & 0x10;
  uint8_t* pixels = out.pixels.data();

  auto store = [&](uint64_t index, const uint8_t* p) {
    const unsigned row = static_cast<unsigned>(index / width);
    const unsigned col = static_cast<unsigned>(index % width);
    const unsigned y = topDown ? row : height - 1 - row;
    const unsigned x = rightToLeft ? width - 1 - col : col;
    uint8_t* d = pixels + (uint64_t(y) * width + x) * channels;
    if (kind == 3) {
      d[0] = p[0];
      if (channels == 4) { d[1] = d[2] = p[0]; d[3] = p[1]; }
      return;
    }
    Rgba c;
    if (kind == 1) {
      const unsigned entry = pixelBytes == 2 ? unsigned(p[0] | (p[1] << 8)) : p[0];
      // Entries outside the map show as black rather than failing the picture.
      c = (entry >= mapFirst && entry - mapFirst < palette.size()) ? palette[entry - mapFirst] : Rgba{0, 0, 0, 255};
    } else {
      c = ColourFrom(p, pixelBytes);
    }
    for (int i = 0; i < channels; ++i) d[i] = c[i];
  };

  if (!rle) {
    const uint8_t* src = r.take(pixelCount * pixelBytes);
    for (uint64_t i = 0; i < pixelCount; ++i) store(i, src + i * pixelBytes);
    return CodecStatus::Ok;
  }
  // Packets may run across scanlines; a packet that overruns the picture is cut.
  uint64_t i = 0;
  while (i < pixelCount) {
    uint8_t header;
    if (!r.u8(header)) return CodecStatus::Truncated;
    uint64_t count = (header & 0x7f) + 1u;
    if (count > pixelCount - i) count = pixelCount - i;
    if (header & 0x80) {
      const uint8_t* p = r.take(pixelBytes);
      if (!p) return CodecStatus::Truncated;
      for (uint64_t k = 0; k < count; ++k) store(i++, p);
    } else {
      const uint8_t* p = r.take(count * pixelBytes);
      if (!p) return CodecStatus::Truncated;
      for (uint64_t k = 0; k < count; ++k) store(i++, p + k * pixelBytes);
    }
  }
  return CodecStatus::Ok;
}

}  // namespace

CodecStatus DecodeTga(const uint8_t* data, size_t size, Image& out, const DecodeHint*) {
  return RunDecoder(out, [&] { return Decode(data, size, out); });
}

}  // namespace imgcodecs
