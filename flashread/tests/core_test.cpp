// The fit rule, the decoded bitmap's layout and the per-row read request.
#include <gtest/gtest.h>

#include <string.h>

#include <vector>

#include "dib_layout.h"
#include "dibrecords.h"
#include "fitrule.h"

namespace {

struct FitCase {
  int64_t w, h;
  int32_t mw, mh;
  int64_t fw, fh;
};

TEST(FitIntoBox, Table) {
  const FitCase cases[] = {
      {640, 480, 300, 300, 300, 225},   {480, 640, 300, 300, 225, 300},  {600, 600, 300, 300, 300, 300},
      {300, 300, 300, 300, 300, 300},   {100, 50, 300, 300, 300, 150},   {3, 2, 300, 300, 300, 200},
      {1000, 334, 300, 300, 300, 100},  {1000, 335, 300, 300, 300, 101}, {1000, 333, 300, 300, 300, 100},
      {1000, 1, 300, 300, 300, 0},      {1, 1000, 300, 300, 0, 300},     {640, 480, 0, 300, 640, 480},
      {640, 480, 300, -1, 640, 480},    {640, 480, -5, -5, 640, 480},    {200, 100, 400, 100, 200, 100},
      // Products beyond 32 bits: 2147483647 * 3000 and the like.
      {4000, 3000, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 1610612735},
      {0x7FFFFFFF, 0x7FFFFFFF, 300, 300, 300, 300},
      {1, 1, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
  };
  for (const FitCase& c : cases) {
    const FitSize f = FitIntoBox(c.w, c.h, c.mw, c.mh);
    EXPECT_EQ(f.width, c.fw) << c.w << "x" << c.h << " in " << c.mw << "x" << c.mh;
    EXPECT_EQ(f.height, c.fh) << c.w << "x" << c.h << " in " << c.mw << "x" << c.mh;
  }
}

struct LayoutCase {
  uint32_t w, h;
  int32_t n;
  bool ok;
  int64_t stride, offset, size;
};

TEST(DecodeLayout, Table) {
  const LayoutCase cases[] = {
      {3, 2, 1, true, 4, 1064, 1072},  {11, 3, 1, true, 12, 1064, 1100},
      {5, 1, 3, true, 16, 40, 56},     {1, 1, 3, true, 4, 40, 44},
      {10, 3, 3, true, 32, 40, 136},
      // The largest bitmaps still fit in a signed 32-bit block; one more row does not.
      {2147482580u, 1, 1, true, 2147482580, 1064, 2147483644},
      {2147482581u, 1, 1, false, 0, 0, 0},
      {60000, 11930, 3, true, 180000, 40, 40 + int64_t(180000) * 11930},
      {60000, 11931, 3, false, 0, 0, 0},
      {0xFFFFFFFF, 1, 1, false, 0, 0, 0},
      {1, 0x80000000u, 1, false, 0, 0, 0},
      {0, 5, 3, false, 0, 0, 0},       {5, 0, 1, false, 0, 0, 0},
      {3, 2, 2, false, 0, 0, 0},       {3, 2, 4, false, 0, 0, 0},  {3, 2, 0, false, 0, 0, 0},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.n);
    DecodeLayout l = {};
    ASSERT_EQ(ComputeDecodeLayout(c.w, c.h, c.n, &l), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(l.rowStride, c.stride);
    EXPECT_EQ(l.pixelOffset, c.offset);
    EXPECT_EQ(l.blockSize, c.size);
    EXPECT_LE(l.blockSize, DIB_MAX_BYTES);
  }
}

TEST(DecodeLayout, HeaderAndGreyPalette) {
  for (int32_t n : {1, 3}) {
    DecodeLayout l;
    ASSERT_TRUE(ComputeDecodeLayout(7, 5, n, &l));
    std::vector<uint8_t> block(size_t(l.blockSize), 0xEE);
    WriteDecodedHeader(block.data(), l);
    DibHeader h;
    memcpy(&h, block.data(), sizeof h);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 7);
    EXPECT_EQ(h.biHeight, 5);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, n == 1 ? 8 : 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, n == 1 ? 40u : 120u);
    EXPECT_EQ(h.biXPelsPerMeter, 72);
    EXPECT_EQ(h.biYPelsPerMeter, 72);
    EXPECT_EQ(h.biClrUsed, n == 1 ? 256u : 0u);
    EXPECT_EQ(h.biClrImportant, h.biClrUsed);
    for (uint32_t i = 0; i < h.biClrUsed; ++i) {
      const uint8_t* e = block.data() + 40 + 4 * i;
      ASSERT_TRUE(e[0] == i && e[1] == i && e[2] == i && e[3] == 0) << "entry " << i;
    }
    EXPECT_EQ(block[l.pixelOffset], 0xEE) << "rows are not touched";
  }
}

TEST(RowRequest, ComponentsColoursAndBytesOfTheRow) {
  uint8_t row[64];
  struct Expect {
    int32_t n;
    FPXComponentColor colour[3];
    int offset[3];
  };
  const Expect cases[] = {{1, {MONOCHROME}, {0}}, {3, {NIFRGB_R, NIFRGB_G, NIFRGB_B}, {2, 1, 0}}};
  for (const Expect& e : cases) {
    DecodeLayout l;
    ASSERT_TRUE(ComputeDecodeLayout(13, 2, e.n, &l));
    FPXImageDesc d;
    memset(&d, 0x5A, sizeof d);
    SetupRowRequest(&d, row, l);
    EXPECT_EQ(d.numberOfComponents, uint32_t(e.n));
    for (int32_t c = 0; c < e.n; ++c) {
      const FPXImageComponentDesc& cd = d.components[c];
      EXPECT_EQ(cd.myColor, e.colour[c]);
      EXPECT_EQ(cd.myDataType, DATA_TYPE_UNSIGNED_BYTE);
      EXPECT_EQ(cd.horzSubSampFactor, 1);
      EXPECT_EQ(cd.vertSubSampFactor, 1);
      EXPECT_EQ(cd.columnStride, e.n);
      EXPECT_EQ(cd.lineStride, e.n * 13);
      EXPECT_EQ(cd.theData, row + e.offset[c]);
    }
  }
}

}  // namespace
