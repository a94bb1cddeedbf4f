// The calls' contracts: argument checks, rectangles and levels, exactly the
// described bytes written, colour conversions, the tile cache and the
// memory limit.
#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fpxbuild.h"
#include "fpxinfo.h"
#include "testutil.h"

using namespace fpxtest;

namespace {

FPXImageDesc desc_for(const std::vector<int32_t>& colours, uint8_t* data, int32_t col, int32_t line) {
  FPXImageDesc d;
  memset(&d, 0, sizeof d);
  d.numberOfComponents = uint32_t(colours.size());
  for (size_t k = 0; k < colours.size(); k++) {
    d.components[k].myColor = colours[k];
    d.components[k].myDataType = DATA_TYPE_UNSIGNED_BYTE;
    d.components[k].horzSubSampFactor = d.components[k].vertSubSampFactor = 1;
    d.components[k].columnStride = col;
    d.components[k].lineStride = line;
    d.components[k].theData = data + k;
  }
  return d;
}

const std::vector<int32_t> kRgb = {NIFRGB_R, NIFRGB_G, NIFRGB_B};

TEST(Api, CallsBeforeInitAndBadOpenArguments) {
  FPX_ClearSystem();
  FPXImage* im = nullptr;
  uint32_t w, h, tw, th, limit = 1000000;
  FPXColorspace cs;
  std::string f = fixture("rgb_10x3_none.fpx");
  EXPECT_EQ(FPX_OpenImageByFilename(f.c_str(), nullptr, &w, &h, &tw, &th, &cs, &im), FPX_NOT_INITIALIZED);
  EXPECT_EQ(FPX_SetToolkitMemoryLimit(&limit), FPX_NOT_INITIALIZED);
  FPX_InitSystem();
  EXPECT_EQ(FPX_SetToolkitMemoryLimit(nullptr), FPX_INVALID_PARAMETER);
  EXPECT_EQ(FPX_SetResampleMethod(7), FPX_INVALID_PARAMETER);
  EXPECT_EQ(FPX_OpenImageByFilename("/nonexistent/x.fpx", nullptr, &w, &h, &tw, &th, &cs, &im), FPX_FILE_NOT_FOUND);
  EXPECT_EQ(FPX_OpenImageByFilename(f.c_str(), "/Data Object Store 000001", &w, &h, &tw, &th, &cs, &im),
            FPX_UNSUPPORTED);
  EXPECT_EQ(FPX_OpenImageByFilename(f.c_str(), nullptr, &w, &h, &tw, &th, &cs, nullptr), FPX_INVALID_PARAMETER);
  ASSERT_EQ(FPX_OpenImageByFilename(f.c_str(), nullptr, &w, &h, &tw, &th, &cs, &im), FPX_OK);
  EXPECT_EQ(w, 10u);
  EXPECT_EQ(h, 3u);
  EXPECT_EQ(tw, 64u);
  EXPECT_EQ(cs.numberOfComponents, 3);
  EXPECT_EQ(cs.theComponents[0].myColor, NIFRGB_R);
  EXPECT_EQ(cs.theComponents[2].myColor, NIFRGB_B);
  EXPECT_EQ(FPX_CloseImage(im), FPX_OK);
  FPX_ClearSystem();
}

TEST(Api, BadLevelsRectanglesAndDescriptorsAreRefused) {
  Opened o;
  open_like_plugin(fixture("rgb_640x480_none.fpx"), &o);  // 5 levels
  ASSERT_EQ(o.status, FPX_OK);
  std::vector<uint8_t> buf(640 * 480 * 3);
  struct C {
    const char* what;
    uint32_t x0, y0, x1, y1, res;
    void (*edit)(FPXImageDesc&);
    FPXStatus want;
  } cases[] = {
      {"full image at -1", 0, 0, 639, 479, 0xFFFFFFFFu, nullptr, FPX_OK},
      {"full image at level 4", 0, 0, 639, 479, 4, nullptr, FPX_OK},
      {"level 5 of 5", 0, 0, 0, 0, 5, nullptr, FPX_BAD_RESOLUTION},
      {"level -2", 0, 0, 0, 0, 0xFFFFFFFEu, nullptr, FPX_BAD_RESOLUTION},
      {"x1 past the width", 0, 0, 640, 0, 0xFFFFFFFFu, nullptr, FPX_BAD_RECTANGLE},
      {"y1 past the height", 0, 0, 0, 480, 0xFFFFFFFFu, nullptr, FPX_BAD_RECTANGLE},
      {"past a small level's width", 0, 0, 40, 0, 0, nullptr, FPX_BAD_RECTANGLE},
      {"inverted columns", 5, 0, 4, 0, 0xFFFFFFFFu, nullptr, FPX_BAD_RECTANGLE},
      {"inverted rows", 0, 5, 0, 4, 0xFFFFFFFFu, nullptr, FPX_BAD_RECTANGLE},
      {"no components", 0, 0, 0, 0, 0xFFFFFFFFu, [](FPXImageDesc& d) { d.numberOfComponents = 0; }, FPX_INVALID_PARAMETER},
      {"five components", 0, 0, 0, 0, 0xFFFFFFFFu, [](FPXImageDesc& d) { d.numberOfComponents = 5; }, FPX_INVALID_PARAMETER},
      {"data type", 0, 0, 0, 0, 0xFFFFFFFFu, [](FPXImageDesc& d) { d.components[1].myDataType = 1; }, FPX_INVALID_PARAMETER},
      {"subsampling", 0, 0, 0, 0, 0xFFFFFFFFu, [](FPXImageDesc& d) { d.components[0].horzSubSampFactor = 2; }, FPX_INVALID_PARAMETER},
      {"null buffer", 0, 0, 0, 0, 0xFFFFFFFFu, [](FPXImageDesc& d) { d.components[2].theData = nullptr; }, FPX_INVALID_PARAMETER},
      {"unknown colour", 0, 0, 0, 0, 0xFFFFFFFFu, [](FPXImageDesc& d) { d.components[0].myColor = 8; }, FPX_INVALID_PARAMETER},
      {"PhotoYCC from RGB", 0, 0, 0, 0, 0xFFFFFFFFu, [](FPXImageDesc& d) { d.components[0].myColor = PHOTO_YCC_Y; }, FPX_UNSUPPORTED},
  };
  for (const C& c : cases) {
    SCOPED_TRACE(c.what);
    FPXImageDesc d = desc_for(kRgb, buf.data(), 3, 640 * 3);
    if (c.edit) c.edit(d);
    EXPECT_EQ(FPX_ReadImageRectangle(o.image, c.x0, c.y0, c.x1, c.y1, c.res, &d), c.want);
  }
  EXPECT_EQ(FPX_ReadImageRectangle(o.image, 0, 0, 0, 0, 0xFFFFFFFFu, nullptr), FPX_INVALID_PARAMETER);
  EXPECT_EQ(FPX_ReadImageRectangle(nullptr, 0, 0, 0, 0, 0xFFFFFFFFu, nullptr), FPX_INVALID_PARAMETER);
}

// Rectangles anywhere, at every level, with unusual strides: the described
// bytes equal the level's row-by-row decoding and no other byte changes.
TEST(Api, AnyRectangleAtAnyLevelWritesExactlyTheDescribedBytes) {
  for (const char* name : {"rgb_640x480_jpeg90.fpx", "mono_1000x334_none.fpx", "ycc_300x200_none_fromrgb.fpx"}) {
    SCOPED_TRACE(name);
    Opened o;
    open_like_plugin(fixture(name), &o);
    ASSERT_EQ(o.status, FPX_OK);
    uint32_t levels;
    FPX_GetLevelCount(o.image, &levels);
    const bool mono = o.cs.numberOfComponents == 1;
    const std::vector<int32_t> colours = mono ? std::vector<int32_t>{MONOCHROME} : kRgb;
    const uint32_t n = uint32_t(colours.size());
    for (uint32_t l = 0; l < levels; l++) {
      FPXLevelInfo li;
      ASSERT_EQ(FPX_GetLevelInfo(o.image, l, &li), FPX_OK);
      std::vector<uint8_t> full;
      ASSERT_EQ(decode_rows(o.image, li.width, li.height, colours, l, &full), FPX_OK);
      const uint32_t W = li.width, H = li.height;
      const uint32_t rects[][4] = {{0, 0, W - 1, H - 1}, {W / 3, H / 4, W - 1, H / 2}, {W - 1, H - 1, W - 1, H - 1},
                                   {W > 70 ? 60u : 0u, 0, W > 70 ? 70u : W - 1, H - 1}};
      for (const auto& r : rects) {
        const uint32_t rw = r[2] - r[0] + 1, rh = r[3] - r[1] + 1;
        const int32_t col = int32_t(n) + 1, line = int32_t(rw) * col + 5;  // gaps between pixels and lines
        std::vector<uint8_t> buf(size_t(line) * rh + 16, 0xA5);
        FPXImageDesc d = desc_for(colours, buf.data() + 8, col, line);
        ASSERT_EQ(FPX_ReadImageRectangle(o.image, r[0], r[1], r[2], r[3], l, &d), FPX_OK);
        std::vector<uint8_t> want(buf.size(), 0xA5);
        for (uint32_t y = 0; y < rh; y++)
          for (uint32_t x = 0; x < rw; x++)
            for (uint32_t k = 0; k < n; k++)
              want[8 + size_t(y) * line + size_t(x) * col + k] = full[((size_t(r[1]) + y) * W + r[0] + x) * n + k];
        ASSERT_EQ(buf, want) << "level " << l << " rect " << r[0] << "," << r[1] << "-" << r[2] << "," << r[3];
      }
    }
  }
}

TEST(Api, RowOrderAndWholeRectangleGiveTheSameBytes) {
  Opened o;
  open_like_plugin(fixture("rgb_300x200_jpeg90_422.fpx"), &o);
  ASSERT_EQ(o.status, FPX_OK);
  std::vector<uint8_t> rows, whole(300 * 200 * 3), topdown(300 * 200 * 3);
  ASSERT_EQ(decode_rows(o.image, 300, 200, kRgb, 0xFFFFFFFFu, &rows), FPX_OK);
  FPXImageDesc d = desc_for(kRgb, whole.data(), 3, 900);
  ASSERT_EQ(FPX_ReadImageRectangle(o.image, 0, 0, 299, 199, 0xFFFFFFFFu, &d), FPX_OK);
  FPX_SetResampleMethod(FPX_NEAREST_NEIGHBOR);
  for (uint32_t y = 0; y < 200; y++) {
    FPXImageDesc r = desc_for(kRgb, topdown.data() + y * 900, 3, 900);
    ASSERT_EQ(FPX_ReadImageRectangle(o.image, 0, y, 299, y, 3, &r), FPX_OK);
  }
  EXPECT_EQ(rows, whole);
  EXPECT_EQ(rows, topdown);
}

// Conversions between what is stored and what is asked for.
TEST(Api, ColourConversions) {
  auto decode = [](const char* name, const std::vector<int32_t>& colours, std::vector<uint8_t>* out) {
    out->clear();
    Opened o;
    open_like_plugin(fixture(name), &o);
    ASSERT_EQ(o.status, FPX_OK);
    ASSERT_EQ(decode_rows(o.image, o.width, o.height, colours, 0xFFFFFFFFu, out), FPX_OK);
  };
  auto luma = [](const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> y(rgb.size() / 3);
    for (size_t i = 0; i < y.size(); i++)
      y[i] = uint8_t((rgb[3 * i] * 19595u + rgb[3 * i + 1] * 38470u + rgb[3 * i + 2] * 7471u + 32768u) >> 16);
    return y;
  };
  std::vector<uint8_t> a, b;
  // Monochrome to RGB repeats the grey value; alpha of an opaque image is 255.
  decode("mono_300x200_none.fpx", {NIFRGB_B, NIFRGB_G, NIFRGB_R, ALPHA}, &a);
  decode("mono_300x200_none.fpx", {MONOCHROME}, &b);
  for (size_t i = 0; i < b.size(); i++) {
    ASSERT_EQ(a[4 * i], b[i]);
    ASSERT_EQ(a[4 * i + 2], b[i]);
    ASSERT_EQ(a[4 * i + 3], 255);
  }
  // RGB and PhotoYCC to monochrome give the luminance of the RGB decoding.
  for (const char* name : {"rgb_300x200_none_flat.fpx", "ycc_300x200_none_fromrgb.fpx"}) {
    decode(name, kRgb, &a);
    decode(name, {MONOCHROME}, &b);
    EXPECT_EQ(b, luma(a)) << name;
  }
  // Colours asked for in any order land in their own components.
  decode("rgb_10x3_none.fpx", {NIFRGB_G, NIFRGB_R, NIFRGB_B}, &a);
  decode("rgb_10x3_none.fpx", kRgb, &b);
  for (size_t i = 0; i < 30; i++) {
    ASSERT_EQ(a[3 * i], b[3 * i + 1]);
    ASSERT_EQ(a[3 * i + 1], b[3 * i]);
  }
}

// Replicated chroma matches the reference decodings; libjpeg's smoothing
// upsampler does not (which is why it is off).
TEST(Api, ChromaReplicationMatchesTheReferences) {
  for (const char* name : {"rgb_640x480_jpeg90", "rgb_300x200_jpeg90_422"}) {
    Pnm ref;
    ASSERT_TRUE(read_pnm(fixture(std::string(name) + ".ppm"), &ref));
    double p[2];
    for (int fancy = 0; fancy < 2; fancy++) {
      Opened o;
      open_like_plugin(fixture(std::string(name) + ".fpx"), &o);
      FPX_SetJpegFancyUpsampling(fancy);
      std::vector<uint8_t> px;
      EXPECT_EQ(decode_rows(o.image, o.width, o.height, kRgb, 0xFFFFFFFFu, &px), FPX_OK);
      p[fancy] = psnr(px, ref.px);
    }
    FPX_SetJpegFancyUpsampling(0);
    EXPECT_GE(p[0], 40.0) << name;
    EXPECT_GT(p[0], p[1] + 10) << name;
  }
}

TEST(Api, RowByRowReadDecodesEachTileOnceWithinTheLimit) {
  Opened o;
  open_like_plugin(fixture("rgb_2048x1536_jpeg90.fpx"), &o);
  ASSERT_EQ(o.status, FPX_OK);
  std::vector<uint8_t> px;
  ASSERT_EQ(decode_rows(o.image, o.width, o.height, kRgb, 0xFFFFFFFFu, &px), FPX_OK);
  uint64_t decodes, peak;
  FPX_GetTileDecodeCount(o.image, &decodes);
  FPX_GetMemoryUse(nullptr, &peak);
  EXPECT_EQ(decodes, 32u * 24u);
  EXPECT_LE(peak, 20000000u);
}

TEST(Api, MemoryLimitIsHonoured) {
  // A tight limit still decodes correctly (tiles are dropped and decoded
  // again) and the reader never holds more than the limit.
  std::vector<uint8_t> ref;
  {
    Opened o;
    open_like_plugin(fixture("rgb_640x480_jpeg90.fpx"), &o);
    ASSERT_EQ(decode_rows(o.image, 640, 480, kRgb, 0xFFFFFFFFu, &ref), FPX_OK);
  }
  uint32_t limit = 600000, w, h, tw, th;
  FPXColorspace cs;
  FPXImage* im = nullptr;
  FPX_InitSystem();
  ASSERT_EQ(FPX_SetToolkitMemoryLimit(&limit), FPX_OK);
  ASSERT_EQ(FPX_OpenImageByFilename(fixture("rgb_640x480_jpeg90.fpx").c_str(), nullptr, &w, &h, &tw, &th, &cs, &im),
            FPX_OK);
  std::vector<uint8_t> px;
  EXPECT_EQ(decode_rows(im, 640, 480, kRgb, 0xFFFFFFFFu, &px), FPX_OK);
  EXPECT_EQ(px, ref);
  uint64_t peak;
  FPX_GetMemoryUse(nullptr, &peak);
  EXPECT_LE(peak, limit);
  FPX_CloseImage(im);
  FPX_ClearSystem();

  // Below what an open needs, the open fails cleanly.
  limit = 2000;
  FPX_InitSystem();
  FPX_SetToolkitMemoryLimit(&limit);
  EXPECT_EQ(FPX_OpenImageByFilename(fixture("rgb_640x480_jpeg90.fpx").c_str(), nullptr, &w, &h, &tw, &th, &cs, &im),
            FPX_MEMORY_ALLOCATION_FAILED);
  FPX_ClearSystem();
}

// Single-colour tiles of one to four channels (crafted: the fixtures have
// only one- and three-channel ones).
TEST(Api, SingleColourTilesOfEveryChannelCount) {
  const uint32_t words[4][4] = {{0x00010000},
                                {0x00018000, 0x00017FFE},
                                {0x00030000, 0x00030001, 0x00030002},
                                {0x00038000, 0x00038001, 0x00038002, 0x00037FFE}};
  const int32_t colours[4][4] = {{MONOCHROME}, {MONOCHROME, ALPHA}, {NIFRGB_R, NIFRGB_G, NIFRGB_B},
                                 {NIFRGB_R, NIFRGB_G, NIFRGB_B, ALPHA}};
  for (uint32_t n = 1; n <= 4; n++) {
    SCOPED_TRACE(n);
    FpxSpec s = simple_spec(70, 10, n);
    s.levels[0].channel_words.assign(words[n - 1], words[n - 1] + n);
    s.levels[0].tiles[1] = {1, 0x44332211u, {}};
    std::string path = write_temp("single.fpx", build_fpx(s).bytes);
    Opened o;
    open_like_plugin(path, &o);
    ASSERT_EQ(o.status, FPX_OK);
    ASSERT_EQ(o.cs.numberOfComponents, int(n));
    std::vector<int32_t> cols(colours[n - 1], colours[n - 1] + n);
    std::vector<uint8_t> px;
    ASSERT_EQ(decode_rows(o.image, 70, 10, cols, 0xFFFFFFFFu, &px), FPX_OK);
    for (uint32_t c = 0; c < n; c++) {
      // A single channel's value is the subtype's third byte; otherwise channel c is byte c.
      uint8_t want = n == 1 ? 0x33 : uint8_t(0x11 * (c + 1));
      EXPECT_EQ(px[(5 * 70 + 66) * n + c], want);
      EXPECT_EQ(px[(5 * 70 + 3) * n + c], simple_value(3, 5, c));
    }
    remove(path.c_str());
  }
}

}  // namespace
