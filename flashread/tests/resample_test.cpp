// ResampleDib called directly on packed DIBs built in memory.
#include <gtest/gtest.h>

#include <string.h>

#include "dibtest.h"
#include "resample.h"

namespace {

// Lock count of a block is zero when one lock and one unlock leave it at 0.
bool IsUnlocked(MemHandle h) {
  if (ZoMemLock(h) == nullptr) return false;
  return ZoMemUnlock(h) == 0;
}

void FillPattern(TestDib& dib) {
  const uint32_t mask = dib.bits >= 32 ? 0xFFFFFFFFu : (1u << dib.bits) - 1;
  uint32_t seed = 12345u + uint32_t(dib.bits);
  for (int32_t y = 0; y < dib.height; ++y)
    for (int32_t x = 0; x < dib.width; ++x) {
      seed = seed * 1103515245u + 12345u;
      dib.SetPixel(x, y, (seed >> 7) & mask);
    }
}

TEST(ResampleDib, RefusesBadArguments) {
  TestDib dib(4, 2, 8, 0);
  EXPECT_EQ(ResampleDib(nullptr, 2, 2), 0u);
  for (auto [w, h] : {std::pair{0, 2}, {2, 0}, {-1, 2}, {2, -5}}) EXPECT_EQ(ResampleDib(dib.bytes.data(), w, h), 0u);
  // A source without positive width and height cannot be sampled.
  for (auto [w, h] : {std::pair{0, 2}, {4, 0}, {-4, 2}, {4, -2}}) {
    DibHeader hd = dib.Header();
    hd.biWidth = w;
    hd.biHeight = h;
    memcpy(dib.bytes.data(), &hd, sizeof hd);
    EXPECT_EQ(ResampleDib(dib.bytes.data(), 2, 2), 0u) << w << "x" << h;
    EXPECT_EQ(ResampleDib(dib.bytes.data(), w, h), 0u) << w << "x" << h << " same size";
  }
}

TEST(ResampleDib, SameSizeIsAVerbatimCopy) {
  for (int bits : {1, 8, 24}) {
    TestDib dib(5, 3, bits, bits == 24 ? 0 : 2);
    FillPattern(dib);  // biSizeImage stays 0 and must be copied as it is
    const MemHandle h = ResampleDib(dib.bytes.data(), 5, 3);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(IsUnlocked(h));
    EXPECT_GE(ZoMemSize(h), dib.bytes.size());
    EXPECT_EQ(BlockBytes(h, dib.bytes.size()), dib.bytes) << bits;
    ZoMemFree(h);
  }
}

struct ScaleCase {
  int bits;
  uint32_t palette;
  int32_t sw, sh, tw, th;
};

// Every depth, reduced and enlarged, odd and word-aligned widths: each
// target pixel is the source pixel at floor(j*W/tw), floor(r*H/th); every
// bit after the row's pixels is zero; header and palette are as required.
TEST(ResampleDib, EveryDepthSamplesNearestAndPadsWithZero) {
  const ScaleCase cases[] = {
      {1, 2, 13, 5, 8, 3},   {1, 2, 7, 4, 9, 6},    {1, 2, 40, 2, 32, 2},  {1, 2, 3, 3, 17, 1},
      {4, 16, 9, 4, 5, 7},   {4, 16, 4, 4, 7, 2},   {4, 16, 33, 3, 8, 3},  {8, 256, 4, 2, 2, 3},
      {8, 0, 17, 9, 5, 11},  {8, 3, 1, 1, 6, 4},    {16, 0, 11, 7, 3, 5},  {16, 0, 2, 2, 9, 9},
      {24, 0, 10, 6, 3, 4},  {24, 0, 3, 2, 7, 5},   {24, 0, 1, 9, 4, 2},   {32, 0, 7, 3, 11, 2},
      {32, 0, 9, 9, 2, 2},   {16, 0, 5, 1, 3, 4},
  };
  for (const ScaleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << "bpp " << c.sw << "x" << c.sh << " -> " << c.tw << "x" << c.th);
    TestDib src(c.sw, c.sh, c.bits, c.palette);
    FillPattern(src);
    const MemHandle h = ResampleDib(src.bytes.data(), c.tw, c.th);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(IsUnlocked(h));
    const int64_t stride = DibRowStride(c.tw, c.bits);
    const size_t headerBytes = 40 + 4 * c.palette;
    const size_t size = headerBytes + size_t(stride * c.th);
    ASSERT_GE(ZoMemSize(h), size);
    const std::vector<uint8_t> out = BlockBytes(h, size);
    ZoMemFree(h);

    const DibHeader oh = HeaderOf(out), sh = src.Header();
    EXPECT_EQ(oh.biWidth, c.tw);
    EXPECT_EQ(oh.biHeight, c.th);
    EXPECT_EQ(oh.biSizeImage, uint32_t(stride * c.th));
    EXPECT_EQ(oh.biSize, sh.biSize);
    EXPECT_EQ(oh.biPlanes, sh.biPlanes);
    EXPECT_EQ(oh.biBitCount, sh.biBitCount);
    EXPECT_EQ(oh.biCompression, sh.biCompression);
    EXPECT_EQ(oh.biXPelsPerMeter, sh.biXPelsPerMeter);
    EXPECT_EQ(oh.biYPelsPerMeter, sh.biYPelsPerMeter);
    EXPECT_EQ(oh.biClrUsed, sh.biClrUsed);
    EXPECT_EQ(oh.biClrImportant, sh.biClrImportant);
    EXPECT_EQ(0, memcmp(out.data() + 40, src.bytes.data() + 40, 4 * c.palette)) << "palette";

    for (int32_t r = 0; r < c.th; ++r)
      for (int32_t j = 0; j < c.tw; ++j)
        ASSERT_EQ(PixelOf(out, j, r), src.Pixel(int32_t(int64_t(j) * c.sw / c.tw), int32_t(int64_t(r) * c.sh / c.th)))
            << "pixel " << j << "," << r;
    const int64_t usedBits = int64_t(c.tw) * c.bits;
    for (int32_t r = 0; r < c.th; ++r) {
      const uint8_t* row = out.data() + headerBytes + stride * r;
      for (int64_t bit = usedBits; bit < stride * 8; ++bit)
        ASSERT_EQ((row[bit / 8] >> (7 - bit % 8)) & 1, 0) << "row " << r << " bit " << bit;
    }
  }
}

TEST(ResampleDib, EightBitFourByTwoToTwoByThree) {
  TestDib src(4, 2, 8, 256);
  const uint8_t rows[2][4] = {{10, 11, 12, 13}, {20, 21, 22, 23}};
  memcpy(src.Row(0), rows[0], 4);
  memcpy(src.Row(1), rows[1], 4);
  const MemHandle h = ResampleDib(src.bytes.data(), 2, 3);
  ASSERT_NE(h, 0u);
  const std::vector<uint8_t> out = BlockBytes(h, 40 + 1024 + 12);
  ZoMemFree(h);
  EXPECT_EQ(HeaderOf(out).biSizeImage, 12u);
  const std::vector<uint8_t> pixels(out.begin() + 1064, out.end());
  EXPECT_EQ(pixels, (std::vector<uint8_t>{10, 12, 0, 0, 10, 12, 0, 0, 20, 22, 0, 0}));
}

TEST(ResampleDib, DepthWithoutCopyingMethodLeavesPixelsZero) {
  for (int bits : {0, 2, 7, 48}) {
    TestDib src(6, 4, bits, 4);
    std::fill(src.bytes.begin() + 56, src.bytes.end(), 0xAB);
    const MemHandle h = ResampleDib(src.bytes.data(), 3, 5);
    ASSERT_NE(h, 0u) << bits;
    const int64_t stride = DibRowStride(3, bits);
    const std::vector<uint8_t> out = BlockBytes(h, size_t(56 + stride * 5));
    ZoMemFree(h);
    EXPECT_EQ(HeaderOf(out).biWidth, 3);
    EXPECT_EQ(HeaderOf(out).biHeight, 5);
    EXPECT_EQ(HeaderOf(out).biSizeImage, uint32_t(stride * 5));
    EXPECT_EQ(0, memcmp(out.data() + 40, src.bytes.data() + 40, 16)) << "palette copied";
    for (size_t i = 56; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << bits << " at " << i;
  }
}

// Sizes beyond a signed 32-bit block are refused instead of wrapping.
TEST(ResampleDib, RefusesBitmapsBeyondTwoGigabytes) {
  TestDib src(4, 4, 24, 0);
  EXPECT_EQ(ResampleDib(src.bytes.data(), 40000, 20000), 0u);       // 2.4 GB of rows
  EXPECT_EQ(ResampleDib(src.bytes.data(), 0x7FFFFFFF, 1), 0u);      // width * bits beyond 32 bits
  EXPECT_EQ(ResampleDib(src.bytes.data(), 1, 0x7FFFFFFF), 0u);
  // A source header claiming more rows than any block holds is not read.
  DibHeader hd = src.Header();
  hd.biWidth = 0x40000000;
  memcpy(src.bytes.data(), &hd, sizeof hd);
  EXPECT_EQ(ResampleDib(src.bytes.data(), 2, 2), 0u);
}

}  // namespace
