// ZoRWPLoadDib through the plug-in's export: bitmap layout, fitting, every
// fixture against the reader's own row-by-row decoding, and failures.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include "dibtest.h"
#include "fpxlib.h"
#include "plugin.h"

namespace {

struct ReaderImage {
  bool readable = false;  // 1 or 3 components
  uint32_t w = 0, h = 0;
  int n = 0;
  std::vector<uint8_t> dib;  // the packed DIB the plug-in must give back
};

// Decodes a file with the reader linked into this test, row by row at full
// resolution, into a bottom-up DIB built here independently of the plug-in.
ReaderImage ReaderDecode(const std::string& path) {
  ReaderImage img;
  FPX_InitSystem();
  uint32_t limit = 20000000;
  FPX_SetToolkitMemoryLimit(&limit);
  FPX_SetResampleMethod(FPX_LINEAR_INTERPOLATION);
  uint32_t tw, th;
  FPXColorspace cs = {};
  FPXImage* image = nullptr;
  if (FPX_OpenImageByFilename(path.c_str(), nullptr, &img.w, &img.h, &tw, &th, &cs, &image) != FPX_OK) {
    FPX_ClearSystem();
    return img;
  }
  img.n = cs.numberOfComponents;
  if (img.n == 1 || img.n == 3) {
    img.readable = true;
    const uint32_t stride = (img.w * img.n + 3) / 4 * 4, palette = img.n == 1 ? 256 : 0;
    img.dib.assign(40 + 4 * palette + size_t(stride) * img.h, 0);
    DibHeader hd = {40, int32_t(img.w), int32_t(img.h), 1, uint16_t(8 * img.n), 0, stride * img.h, 72, 72,
                    palette, palette};
    memcpy(img.dib.data(), &hd, 40);
    for (uint32_t i = 0; i < palette; ++i) memset(&img.dib[40 + 4 * i], int(i), 3);
    for (uint32_t i = 0; i < img.h; ++i) {
      uint8_t* row = &img.dib[40 + 4 * palette + size_t(stride) * i];
      FPXImageDesc d = {};
      d.numberOfComponents = uint32_t(img.n);
      const FPXComponentColor colours[3] = {img.n == 1 ? MONOCHROME : NIFRGB_R, NIFRGB_G, NIFRGB_B};
      for (int c = 0; c < img.n; ++c)
        d.components[c] = {colours[c], DATA_TYPE_UNSIGNED_BYTE, 1, 1, img.n, img.n * int32_t(img.w),
                           row + (img.n == 3 ? 2 - c : 0)};
      EXPECT_EQ(FPX_ReadImageRectangle(image, 0, img.h - 1 - i, img.w - 1, img.h - 1 - i, 0xFFFFFFFFu, &d), FPX_OK)
          << "reading row " << i << " of " << path;
    }
  }
  FPX_CloseImage(image);
  FPX_ClearSystem();
  return img;
}

// Opens a file with the reader and gives its size and component count.
int ReaderOpenSize(const std::string& path, uint32_t* w, uint32_t* h) {
  FPX_InitSystem();
  uint32_t tw, th;
  FPXColorspace cs = {};
  FPXImage* image = nullptr;
  int n = -1;
  if (FPX_OpenImageByFilename(path.c_str(), nullptr, w, h, &tw, &th, &cs, &image) == FPX_OK) {
    n = cs.numberOfComponents;
    FPX_CloseImage(image);
  }
  FPX_ClearSystem();
  return n;
}

// A binary PGM/PPM (maxval 255) as top-down rows of grey or R,G,B bytes.
bool ReadPnm(const std::string& path, uint32_t* w, uint32_t* h, std::vector<uint8_t>* pixels) {
  const std::vector<uint8_t> b = ReadFileBytes(path);
  if (b.empty()) return false;
  char magic[3] = {};
  unsigned maxval;
  int used = 0;
  if (sscanf(reinterpret_cast<const char*>(b.data()), "%2s %u %u %u%n", magic, w, h, &maxval, &used) != 4) return false;
  pixels->assign(b.begin() + used + 1, b.end());
  return maxval == 255;
}

std::vector<uint8_t> TakeBlock(MemHandle h) {
  const void* p = ZoMemLock(h);
  DibHeader hd;
  memcpy(&hd, p, sizeof hd);
  ZoMemUnlock(h);
  const size_t size = 40 + 4 * size_t(hd.biClrUsed) + size_t(DibRowStride(hd.biWidth, hd.biBitCount)) * hd.biHeight;
  EXPECT_GE(ZoMemSize(h), size);
  std::vector<uint8_t> bytes(size);
  p = ZoMemLock(h);
  memcpy(bytes.data(), p, size);
  EXPECT_EQ(ZoMemUnlock(h), 0) << "handed out unlocked";
  ZoMemFree(h);
  return bytes;
}

class Load : public testing::Test {
 protected:
  void SetUp() override {
    api = LoadPlugin();
    ASSERT_NE(api.module, nullptr);
  }
  void TearDown() override { EXPECT_EQ(temp.Count(), 0); }

  // A load with a temporary-file count around it.
  MemHandle Call(const std::string& path, const DibLoadRequest* request, DibImageInfo* info) {
    EXPECT_EQ(temp.Count(), 0);
    const MemHandle h = api.LoadDib(path.c_str(), request, info);
    EXPECT_EQ(temp.Count(), 0) << path;
    return h;
  }

  static DibLoadRequest Box(int32_t w, int32_t h) {
    DibLoadRequest r = {};
    r.cbSize = 44;
    r.nMaxWidth = w;
    r.nMaxHeight = h;
    return r;
  }

  PrivateTempFolder temp;
  PluginApi api;
};

TEST_F(Load, GreyImageIsBottomUpWithRampPalette) {
  uint8_t info[16];
  memset(info, 0xEE, sizeof info);
  const MemHandle h = Call(Fixture("mono_3x2_none.fpx"), nullptr, reinterpret_cast<DibImageInfo*>(info));
  ASSERT_NE(h, 0u);
  const std::vector<uint8_t> dib = TakeBlock(h);
  ASSERT_EQ(dib.size(), 40u + 1024 + 8);
  const DibHeader hd = HeaderOf(dib);
  EXPECT_EQ(hd.biSize, 40u);
  EXPECT_EQ(hd.biWidth, 3);
  EXPECT_EQ(hd.biHeight, 2);
  EXPECT_EQ(hd.biPlanes, 1);
  EXPECT_EQ(hd.biBitCount, 8);
  EXPECT_EQ(hd.biCompression, 0u);
  EXPECT_EQ(hd.biSizeImage, 8u);
  EXPECT_EQ(hd.biXPelsPerMeter, 72);
  EXPECT_EQ(hd.biYPelsPerMeter, 72);
  EXPECT_EQ(hd.biClrUsed, 256u);
  EXPECT_EQ(hd.biClrImportant, 256u);
  for (int i = 0; i < 256; ++i)
    ASSERT_TRUE(dib[40 + 4 * i] == i && dib[41 + 4 * i] == i && dib[42 + 4 * i] == i && dib[43 + 4 * i] == 0);
  uint32_t w, ht;
  std::vector<uint8_t> ref;
  ASSERT_TRUE(ReadPnm(Fixture("mono_3x2_none.pgm"), &w, &ht, &ref));
  const uint8_t* rows = &dib[1064];
  EXPECT_EQ(0, memcmp(rows, &ref[3], 3)) << "first stored row is the bottom row";
  EXPECT_EQ(0, memcmp(rows + 4, &ref[0], 3));
  EXPECT_EQ(rows[3], 0);
  EXPECT_EQ(rows[7], 0);
  const uint8_t expectInfo[16] = {3, 0, 0, 0, 2, 0, 0, 0, 8, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(0, memcmp(info, expectInfo, 16));
}

TEST_F(Load, ColourImageRunsBlueGreenRed) {
  DibImageInfo info = {};
  const MemHandle h = Call(Fixture("rgb_5x1_none.fpx"), nullptr, &info);
  ASSERT_NE(h, 0u);
  const std::vector<uint8_t> dib = TakeBlock(h);
  ASSERT_EQ(dib.size(), 56u);
  EXPECT_EQ(HeaderOf(dib).biBitCount, 24);
  EXPECT_EQ(HeaderOf(dib).biClrUsed, 0u);
  EXPECT_EQ(HeaderOf(dib).biSizeImage, 16u);
  uint32_t w, ht;
  std::vector<uint8_t> ref;
  ASSERT_TRUE(ReadPnm(Fixture("rgb_5x1_none.ppm"), &w, &ht, &ref));
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(dib[40 + 3 * x + 0], ref[3 * x + 2]) << "blue of " << x;
    EXPECT_EQ(dib[40 + 3 * x + 1], ref[3 * x + 1]) << "green of " << x;
    EXPECT_EQ(dib[40 + 3 * x + 2], ref[3 * x + 0]) << "red of " << x;
  }
  EXPECT_EQ(dib[55], 0) << "padding";
  EXPECT_EQ(info.dwWidth, 5u);
  EXPECT_EQ(info.wBitCount, 24);
}

// The fit rule through real loads: the bitmap has the fitted size and its
// pixels are the decoded image's nearest pixels; the information record
// keeps the size in the file.
TEST_F(Load, FitsIntoTheBox) {
  const struct {
    const char* file;
    int32_t mw, mh, fw, fh;
  } cases[] = {
      {"mono_3x2_none.fpx", 300, 300, 300, 200},     {"rgb_640x480_none.fpx", 300, 300, 300, 225},
      {"rgb_480x640_none.fpx", 300, 300, 225, 300},  {"mono_1000x334_none.fpx", 300, 300, 300, 100},
      {"rgb_1000x335_none.fpx", 300, 300, 300, 101}, {"mono_300x200_none.fpx", 300, 300, 300, 200},
      {"mono_300x200_none.fpx", 300, 200, 300, 200}, {"rgb_10x3_none.fpx", 0, 300, 10, 3},
      {"rgb_10x3_none.fpx", 300, -1, 10, 3},         {"rgb_10x3_none.fpx", 7, 7, 7, 2},
      // MH * W is beyond 32 bits; the width still decides.
      {"mono_3x2_none.fpx", 1000, 0x55555556, 1000, 667},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.file << " into " << c.mw << "x" << c.mh);
    const ReaderImage ref = ReaderDecode(Fixture(c.file));
    ASSERT_TRUE(ref.readable);
    const DibLoadRequest box = Box(c.mw, c.mh);
    DibImageInfo info = {};
    const MemHandle h = Call(Fixture(c.file), &box, &info);
    ASSERT_NE(h, 0u);
    const std::vector<uint8_t> dib = TakeBlock(h);
    EXPECT_EQ(info.dwWidth, ref.w);
    EXPECT_EQ(info.dwHeight, ref.h);
    EXPECT_EQ(info.wBitCount, 8 * ref.n);
    EXPECT_EQ(info.wFrameCount, 0);
    const DibHeader hd = HeaderOf(dib);
    ASSERT_EQ(hd.biWidth, c.fw);
    ASSERT_EQ(hd.biHeight, c.fh);
    if (uint32_t(c.fw) == ref.w && uint32_t(c.fh) == ref.h) {
      EXPECT_EQ(dib, ref.dib) << "returned as decoded";
      continue;
    }
    EXPECT_EQ(hd.biXPelsPerMeter, 72);
    EXPECT_EQ(hd.biClrUsed, ref.n == 1 ? 256u : 0u);
    const size_t off = 40 + 4 * hd.biClrUsed, n = size_t(ref.n);
    const size_t srcStride = (ref.w * n + 3) / 4 * 4, dstStride = (c.fw * n + 3) / 4 * 4;
    for (int32_t r = 0; r < c.fh; ++r)
      for (int32_t j = 0; j < c.fw; ++j) {
        const size_t sx = size_t(int64_t(j) * ref.w / c.fw), sy = size_t(int64_t(r) * ref.h / c.fh);
        ASSERT_EQ(0, memcmp(&dib[off + r * dstStride + j * n], &ref.dib[off + sy * srcStride + sx * n], n))
            << j << "," << r;
      }
  }
  // No information record: the bitmap still comes back.
  const DibLoadRequest box = Box(300, 300);
  const MemHandle h = Call(Fixture("rgb_10x3_none.fpx"), &box, nullptr);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(HeaderOf(TakeBlock(h)).biWidth, 300);
}

// A fitted side of 0, or a fitted bitmap beyond 2 GB: 0, everything freed,
// the information already written.
TEST_F(Load, UnfittableSizesReturnZeroAfterTheInformation) {
  const struct {
    const char* file;
    int32_t mw, mh;
    uint32_t w, h;
    uint16_t bits;
  } cases[] = {
      {"rgb_1000x335_none.fpx", 1, 300, 1000, 335, 24},
      {"mono_1000x334_none.fpx", 1, 5, 1000, 334, 8},
      {"mono_3x2_none.fpx", 0x7FFFFFFF, 0x7FFFFFFF, 3, 2, 8},
      {"rgb_10x3_none.fpx", 100000, 100000, 10, 3, 24},
  };
  for (const auto& c : cases) {
    const DibLoadRequest box = Box(c.mw, c.mh);
    DibImageInfo info = {};
    EXPECT_EQ(Call(Fixture(c.file), &box, &info), 0u) << c.file;
    EXPECT_EQ(info.dwWidth, c.w);
    EXPECT_EQ(info.dwHeight, c.h);
    EXPECT_EQ(info.wBitCount, c.bits);
    EXPECT_EQ(info.wFrameCount, 0);
  }
}

bool ExactFixture(const std::string& name) {
  return (name.rfind("mono_", 0) == 0 || name.rfind("rgb_", 0) == 0) &&
         (name.find("_none") != std::string::npos || name.find("_single") != std::string::npos);
}

// Every fixture: 1- and 3-component files give exactly the reader's decoding;
// uncompressed ones also match the reference pictures; the rest are refused.
TEST_F(Load, EveryFixtureAsTheReaderDecodesIt) {
  int loaded = 0, refused = 0;
  for (const std::string& name : FixtureNames()) {
    SCOPED_TRACE(name);
    const ReaderImage ref = ReaderDecode(Fixture(name));
    DibImageInfo info = {0xAAAAAAAA, 0xAAAAAAAA, 0xAAAA, 0xAAAA};
    const MemHandle h = Call(Fixture(name), nullptr, &info);
    if (!ref.readable) {
      EXPECT_EQ(h, 0u);
      EXPECT_EQ(info.dwWidth, 0xAAAAAAAAu) << "information untouched";
      ++refused;
      continue;
    }
    ASSERT_NE(h, 0u);
    ++loaded;
    const std::vector<uint8_t> dib = TakeBlock(h);
    ASSERT_EQ(dib.size(), ref.dib.size());
    for (size_t i = 0; i < dib.size(); ++i) ASSERT_EQ(dib[i], ref.dib[i]) << "byte " << i;
    EXPECT_EQ(info.dwWidth, ref.w);
    EXPECT_EQ(info.dwHeight, ref.h);
    if (!ExactFixture(name)) continue;
    uint32_t w, ht;
    std::vector<uint8_t> pnm;
    const std::string base = Fixture(name.substr(0, name.size() - 4));
    ASSERT_TRUE(ReadPnm(base + (ref.n == 1 ? ".pgm" : ".ppm"), &w, &ht, &pnm));
    ASSERT_EQ(w, ref.w);
    ASSERT_EQ(ht, ref.h);
    const size_t n = size_t(ref.n), stride = (w * n + 3) / 4 * 4, off = 40 + (n == 1 ? 1024 : 0);
    for (uint32_t y = 0; y < ht; ++y)
      for (uint32_t x = 0; x < w; ++x)
        for (size_t c = 0; c < n; ++c)
          ASSERT_EQ(dib[off + (ht - 1 - y) * stride + x * n + (n == 3 ? 2 - c : 0)], pnm[(y * w + x) * n + c])
              << x << "," << y;
  }
  EXPECT_GT(loaded, 40);
  EXPECT_GE(refused, 6) << "the alpha fixtures and the five-band file";
}

TEST_F(Load, OpeningFailuresLeaveNothing) {
  const std::string notFpx = temp.root() + "not_flashpix.fpx";
  WriteFileBytes(notFpx, std::vector<uint8_t>(4096, 'x'));
  const DibLoadRequest box = Box(300, 300);
  for (const std::string& path : {Fixture("no_such_file.fpx"), notFpx, Fixture("rgba_300x200_none.fpx"),
                                  Fixture("monoa_3x2_none.fpx"), Fixture("external/pillow_input_bw_five_bands.fpx")}) {
    DibImageInfo info = {1, 2, 3, 4};
    EXPECT_EQ(Call(path, &box, &info), 0u) << path;
    EXPECT_EQ(Call(path, nullptr, nullptr), 0u) << path;
    EXPECT_TRUE(info.dwWidth == 1 && info.dwHeight == 2 && info.wBitCount == 3 && info.wFrameCount == 4);
  }
  temp.PointAtMissingFolder(true);
  DibImageInfo info = {1, 2, 3, 4};
  EXPECT_EQ(api.LoadDib(Fixture("rgb_10x3_none.fpx").c_str(), &box, &info), 0u);
  EXPECT_EQ(info.dwWidth, 1u);
  temp.PointAtMissingFolder(false);
}

// A real file whose declared size makes a bitmap of more than 2 GB: the
// 4000 x 3000 fixture with its full-size level rewritten to 64512 x 48128
// in tiles of 1024 (the same tile count, so the reader accepts it).
TEST_F(Load, OversizedImageIsRefused) {
  std::vector<uint8_t> bytes = ReadFileBytes(Fixture("rgb_4000x3000_jpeg90_tex.fpx"));
  ASSERT_FALSE(bytes.empty());
  auto replaceAll = [&bytes](std::vector<uint32_t> from, std::vector<uint32_t> to) {
    int count = 0;
    const size_t n = from.size() * 4;
    for (size_t i = 0; i + n <= bytes.size(); ++i)
      if (memcmp(&bytes[i], from.data(), n) == 0) {
        memcpy(&bytes[i], to.data(), n);
        ++count;
      }
    return count;
  };
  ASSERT_EQ(replaceAll({4000, 3000, 2961, 64, 64, 3}, {64512, 48128, 2961, 1024, 1024, 3}), 1);
  ASSERT_GE(replaceAll({0x13, 4000}, {0x13, 64512}), 2);  // VT_UI4 property values
  ASSERT_GE(replaceAll({0x13, 3000}, {0x13, 48128}), 2);
  const std::string big = temp.root() + "big.fpx";
  WriteFileBytes(big, bytes);
  uint32_t w = 0, h = 0;
  ASSERT_EQ(ReaderOpenSize(big, &w, &h), 3) << "the reader accepts the rewritten file";
  ASSERT_EQ(w, 64512u);
  ASSERT_EQ(h, 48128u);

  DibImageInfo info = {1, 2, 3, 4};
  const DibLoadRequest box = Box(300, 300);
  EXPECT_EQ(Call(big, &box, &info), 0u);
  EXPECT_EQ(Call(big, nullptr, nullptr), 0u);
  EXPECT_TRUE(info.dwWidth == 1 && info.dwHeight == 2 && info.wBitCount == 3 && info.wFrameCount == 4);
  // The file information is still given; its image size is the host's
  // unsigned 32-bit field and wraps.
  uint8_t record[36];
  EXPECT_EQ(api.GetDibInfo(big.c_str(), record), 64512);
  uint32_t imageSize;
  memcpy(&imageSize, record + 16, 4);
  EXPECT_EQ(imageSize, uint32_t(uint64_t(64512) * 3 * 48128));
}

}  // namespace
