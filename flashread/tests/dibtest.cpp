#include "dibtest.h"

#include <string.h>

namespace {
uint32_t ReadPixel(const uint8_t* row, int32_t x, int32_t bits) {
  switch (bits) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 0xF : row[x / 2] >> 4;
    default: {
      uint32_t v = 0;
      for (int k = 0; k < bits / 8; ++k) v |= uint32_t(row[x * (bits / 8) + k]) << (8 * k);
      return v;
    }
  }
}
}  // namespace

TestDib::TestDib(int32_t w, int32_t h, int32_t bitCount, uint32_t paletteCount)
    : width(w), height(h), bits(bitCount), clrUsed(paletteCount) {
  bytes.assign(DIB_HEADER_SIZE + 4 * paletteCount + Stride() * h, 0);
  DibHeader hd = {};
  hd.biSize = 40;
  hd.biWidth = w;
  hd.biHeight = h;
  hd.biPlanes = 1;
  hd.biBitCount = static_cast<uint16_t>(bitCount);
  hd.biSizeImage = 0;  // readers must not rely on it
  hd.biXPelsPerMeter = 1234;
  hd.biYPelsPerMeter = 5678;
  hd.biClrUsed = paletteCount;
  hd.biClrImportant = paletteCount;
  memcpy(bytes.data(), &hd, sizeof hd);
  for (uint32_t i = 0; i < paletteCount; ++i) {
    uint8_t* e = bytes.data() + 40 + 4 * i;
    e[0] = uint8_t(i * 3), e[1] = uint8_t(i * 5), e[2] = uint8_t(i * 7), e[3] = 0;
  }
}

uint8_t* TestDib::Row(int32_t y) { return bytes.data() + 40 + 4 * clrUsed + Stride() * y; }

DibHeader TestDib::Header() const { return HeaderOf(bytes); }

uint32_t TestDib::Pixel(int32_t x, int32_t y) const { return PixelOf(bytes, x, y); }

void TestDib::SetPixel(int32_t x, int32_t y, uint32_t v) {
  uint8_t* row = Row(y);
  switch (bits) {
    case 1:
      row[x / 8] = uint8_t((row[x / 8] & ~(0x80 >> (x % 8))) | ((v & 1) << (7 - x % 8)));
      break;
    case 4:
      if (x % 2)
        row[x / 2] = uint8_t((row[x / 2] & 0xF0) | (v & 0xF));
      else
        row[x / 2] = uint8_t((row[x / 2] & 0x0F) | ((v & 0xF) << 4));
      break;
    default:
      for (int k = 0; k < bits / 8; ++k) row[x * (bits / 8) + k] = uint8_t(v >> (8 * k));
  }
}

std::vector<uint8_t> BlockBytes(MemHandle h, size_t size) {
  std::vector<uint8_t> out(size);
  const void* p = ZoMemLock(h);
  if (p == nullptr) return {};
  memcpy(out.data(), p, size);
  ZoMemUnlock(h);
  return out;
}

DibHeader HeaderOf(const std::vector<uint8_t>& block) {
  DibHeader h;
  memcpy(&h, block.data(), sizeof h);
  return h;
}

uint32_t PixelOf(const std::vector<uint8_t>& block, int32_t x, int32_t y) {
  const DibHeader h = HeaderOf(block);
  const uint8_t* row = block.data() + 40 + 4 * h.biClrUsed + DibRowStride(h.biWidth, h.biBitCount) * y;
  return ReadPixel(row, x, h.biBitCount);
}
