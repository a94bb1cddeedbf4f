// Helpers for building and reading packed DIBs in tests.
#pragma once
#include <stdint.h>

#include <vector>

#include "dibrecords.h"
#include "handlebank.h"

// A packed DIB in plain memory: header, palette, bottom-up rows.
struct TestDib {
  std::vector<uint8_t> bytes;
  int32_t width = 0, height = 0, bits = 0;
  uint32_t clrUsed = 0;

  TestDib(int32_t w, int32_t h, int32_t bitCount, uint32_t paletteCount);
  int64_t Stride() const { return DibRowStride(width, bits); }
  uint8_t* Row(int32_t storedRow);
  DibHeader Header() const;
  // Pixel value at (x, stored row y), whatever the bit depth.
  uint32_t Pixel(int32_t x, int32_t y) const;
  void SetPixel(int32_t x, int32_t y, uint32_t value);
};

// Reads a Handlebank block's bytes (lock, copy, unlock).
std::vector<uint8_t> BlockBytes(MemHandle h, size_t size);

DibHeader HeaderOf(const std::vector<uint8_t>& block);
// Pixel of a packed DIB held in `block`, as TestDib::Pixel reads it.
uint32_t PixelOf(const std::vector<uint8_t>& block, int32_t x, int32_t y);
