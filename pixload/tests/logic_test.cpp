// The plain functions behind the loaders: fit rule, JPEG scale choice, loader
// choice by extension, resampling, GIF frame composition, metafile headers.
#include <gtest/gtest.h>

#include <string.h>

#include "fitrule.h"
#include "format.h"
#include "gifcompose.h"
#include "jpegscale.h"
#include "metasize.h"
#include "pixels.h"

using namespace pixload;

namespace {

TEST(PixloadFitRule, Table) {
  const struct {
    int64_t w, h, mw, mh, fw, fh;
  } cases[] = {
      {640, 480, 300, 300, 300, 225}, {480, 640, 300, 300, 225, 300}, {600, 600, 300, 300, 300, 300},
      {300, 300, 300, 300, 300, 300}, {100, 50, 300, 300, 300, 150},  {3, 2, 300, 300, 300, 200},
      {4000, 3000, 300, 300, 300, 225}, {40, 30, 300, 284, 300, 225}, {40, 30, 300, 200, 267, 200},
      {3, 1, 2, 2, 2, 1},               // 2/3 = 0.67 rounds up
      {5, 2, 2, 2, 2, 1},               // 0.8 -> 1
      {7, 2, 2, 2, 2, 1},               // 4/7 = 0.57 -> 1
      {9, 2, 2, 2, 2, 0},               // 4/9 rounds to 0: callers refuse
      {640, 480, 0, 300, 640, 480},   {640, 480, 300, -1, 640, 480},  {640, 480, -5, -5, 640, 480},
      {2000000000, 1, 300, 300, 300, 0},  // products beyond 32 bits stay exact
  };
  for (const auto& c : cases) {
    const FitSize s = FitIntoBox(c.w, c.h, c.mw, c.mh);
    EXPECT_EQ(s.width, c.fw) << c.w << "x" << c.h << " in " << c.mw << "x" << c.mh;
    EXPECT_EQ(s.height, c.fh) << c.w << "x" << c.h << " in " << c.mw << "x" << c.mh;
  }
}

TEST(PixloadJpegScale, SmallestEighthThatCoversTheFit) {
  const struct {
    int64_t w, h, fw, fh;
    int eighths;
  } cases[] = {
      {4000, 3000, 300, 225, 1},  // 500 x 375
      {2000, 1500, 300, 225, 2},  // 1/8 gives 250 x 188: too small
      {1200, 900, 300, 225, 2},   // 300 x 225 exactly
      {1201, 900, 300, 225, 2},   // 301 x 225
      {1000, 750, 300, 225, 3},
      {640, 480, 300, 225, 4},    // 320 x 240
      {320, 240, 300, 225, 8},
      {120, 80, 300, 200, 8},     // enlarged: full size
      {9, 9, 1, 1, 1},            // ceiling: 2 x 2
  };
  for (const auto& c : cases)
    EXPECT_EQ(JpegScaleEighths(c.w, c.h, c.fw, c.fh), c.eighths) << c.w << "x" << c.h;
}

TEST(PixloadLoaderChoice, ByExtensionAnyCase) {
  const struct {
    const char* path;
    Loader loader;
  } cases[] = {
      {"a.bmp", Loader::Wic},        {"C:\\x\\A.PNG", Loader::Wic},   {"b.tif", Loader::Wic},
      {"b.TIFF", Loader::Wic},       {"c.gif", Loader::Gif},          {"d.jpg", Loader::Jpeg},
      {"d.JPEG", Loader::Jpeg},      {"d.Jpe", Loader::Jpeg},         {"e.emf", Loader::Emf},
      {"e.wmf", Loader::Wmf},        {"f.tga", Loader::Codec},        {"f.pcx", Loader::Codec},
      {"f.sgi", Loader::Codec},      {"f.psd", Loader::Codec},        {"f.PCD", Loader::Codec},
      {"g.fpx", Loader::Plugin},     {"noext", Loader::Plugin},       {"dir.png\\file", Loader::Plugin},
      {"x.jpg.txt", Loader::Plugin}, {"x.txt.jpg", Loader::Jpeg},     {"x.jpgx", Loader::Plugin},
      {"Z:/a.b/c.gif", Loader::Gif}, {"trailing.", Loader::Plugin},
  };
  for (const auto& c : cases) EXPECT_EQ(LoaderForPath(c.path), c.loader) << c.path;
}

Pixels Make(int w, int h, int ch, std::initializer_list<uint8_t> v) {
  Pixels p;
  p.width = w;
  p.height = h;
  p.channels = ch;
  p.data.assign(v);
  return p;
}

TEST(PixloadResample, AveragesWhenReducingRepeatsWhenEnlarging) {
  // 4 x 2 grey -> 2 x 1: each output the mean of a 2 x 2 block.
  const Pixels grey = Make(4, 2, 1, {0, 100, 200, 255, 50, 50, 0, 1});
  uint8_t out[2] = {};
  Resample(grey, 2, 1, out, 2);
  EXPECT_EQ(out[0], 50);   // (0+100+50+50)/4
  EXPECT_EQ(out[1], 114);  // (200+255+0+1)/4 = 114
  // 2 x 1 colour -> 4 x 2, written bottom-up into rows of 12 bytes.
  const Pixels two = Make(2, 1, 3, {1, 2, 3, 4, 5, 6});
  uint8_t big[2 * 12] = {};
  Resample(two, 4, 2, big + 12, -12);
  const uint8_t row[12] = {1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6};
  EXPECT_EQ(memcmp(big, row, 12), 0);
  EXPECT_EQ(memcmp(big + 12, row, 12), 0);
}

TEST(PixloadResample, FlattensAlphaOverWhite) {
  Pixels p = Make(3, 1, 4, {10, 20, 30, 255, 10, 20, 30, 0, 0, 0, 0, 128});
  FlattenOverWhite(p);
  ASSERT_EQ(p.channels, 3);
  const uint8_t want[9] = {10, 20, 30, 255, 255, 255, 127, 127, 127};
  EXPECT_EQ(memcmp(p.data.data(), want, 9), 0);
}

// GIF canvas 3 x 1; frames are 4-channel, alpha 0 marks transparent pixels.
const uint8_t R[4] = {0, 0, 255, 255}, G[4] = {0, 255, 0, 255}, B[4] = {255, 0, 0, 255}, T[4] = {0, 0, 0, 0};

Pixels Row(std::initializer_list<const uint8_t*> px) {
  Pixels p;
  p.width = int(px.size());
  p.height = 1;
  p.channels = 4;
  for (const uint8_t* c : px) p.data.insert(p.data.end(), c, c + 4);
  return p;
}

std::string Show(const Pixels& p) {
  std::string s;
  for (int x = 0; x < p.width; ++x) {
    const uint8_t* c = p.data.data() + 4 * x;
    s += c[3] == 0 ? '.' : c[2] == 255 ? 'R' : c[1] == 255 ? 'G' : c[0] == 255 ? 'B' : '?';
  }
  return s;
}

TEST(PixloadGifCompose, DisposalAndTransparencyTable) {
  struct Step {
    GifFrameInfo info;
    Pixels image;
    const char* canvas;
  };
  const struct {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"keep (1): later frames draw over",
       {{{0, 0, 10, 1}, Row({R, R, R}), "RRR"}, {{1, 0, 10, 1}, Row({G}), "RGR"}, {{2, 0, 10, 1}, Row({B}), "RGB"}}},
      {"unspecified (0) keeps too", {{{0, 0, 10, 0}, Row({R, R, R}), "RRR"}, {{0, 0, 10, 0}, Row({G}), "GRR"}}},
      {"transparent pixels show what lies below",
       {{{0, 0, 10, 1}, Row({R, R, R}), "RRR"}, {{0, 0, 10, 1}, Row({T, G, T}), "RGR"}}},
      {"background (2) clears the frame's rectangle before the next",
       {{{0, 0, 10, 1}, Row({R, R, R}), "RRR"}, {{1, 0, 10, 2}, Row({G}), "RGR"}, {{0, 0, 10, 1}, Row({T}), "R.R"}}},
      {"background (2) of a full frame leaves transparency",
       {{{0, 0, 10, 2}, Row({R, R, R}), "RRR"}, {{2, 0, 10, 1}, Row({B}), "..B"}}},
      {"previous (3) restores the canvas as it was before the frame",
       {{{0, 0, 10, 1}, Row({R, R, R}), "RRR"}, {{0, 0, 10, 3}, Row({G, G}), "GGR"}, {{2, 0, 10, 1}, Row({B}), "RRB"}}},
      {"previous (3) on the first frame restores the empty canvas",
       {{{0, 0, 10, 3}, Row({R, R, R}), "RRR"}, {{1, 0, 10, 1}, Row({G}), ".G."}}},
      {"frames are clipped to the canvas",
       {{{2, 0, 10, 1}, Row({R, G, B}), "..R"}, {{-1, 0, 10, 1}, Row({B, G}), "G.R"}, {{5, 5, 10, 1}, Row({B}), "G.R"}}},
  };
  for (const auto& c : cases) {
    GifCanvas canvas(3, 1);
    int i = 0;
    for (const Step& s : c.steps) EXPECT_EQ(Show(canvas.Draw(s.info, s.image)), s.canvas) << c.name << ", frame " << i++;
  }
}

TEST(PixloadGifCompose, ShortDelaysAreTenCentiseconds) {
  EXPECT_EQ(GifFrameDelayMs(0), 100);
  EXPECT_EQ(GifFrameDelayMs(1), 100);
  EXPECT_EQ(GifFrameDelayMs(2), 20);
  EXPECT_EQ(GifFrameDelayMs(50), 500);
}

void Put32(std::vector<uint8_t>& v, size_t at, int32_t x) { memcpy(v.data() + at, &x, 4); }
void Put16(std::vector<uint8_t>& v, size_t at, int16_t x) { memcpy(v.data() + at, &x, 2); }

std::vector<uint8_t> EmfHeader(int32_t frameW, int32_t frameH, int32_t boundsW, int32_t boundsH) {
  std::vector<uint8_t> v(88 + 20, 0);
  Put32(v, 0, 1);
  Put32(v, 4, 88);
  Put32(v, 16, boundsW - 1);
  Put32(v, 20, boundsH - 1);
  Put32(v, 32, frameW);
  Put32(v, 36, frameH);
  Put32(v, 40, 0x464D4520);
  Put32(v, 48, 108);  // bytes in all
  Put16(v, 56, 1);    // handle table: slot 0 only
  Put32(v, 72, 1000);  // device 1000 x 800 pixels on 250 x 200 mm: 4 a millimetre
  Put32(v, 76, 800);
  Put32(v, 80, 250);
  Put32(v, 84, 200);
  Put32(v, 88, 14);  // EMR_EOF
  Put32(v, 92, 20);
  return v;
}

TEST(PixloadMetafiles, EmfSizeFromFrameOrBounds) {
  int w = 0, h = 0;
  std::vector<uint8_t> emf = EmfHeader(3000, 2000, 7, 7);  // 30 x 20 mm
  ASSERT_TRUE(EmfPictureSize(emf.data(), emf.size(), &w, &h));
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, 80);
  EXPECT_TRUE(EmfRecordsWellFormed(emf.data(), emf.size()));
  emf = EmfHeader(0, 0, 64, 48);  // no frame: the bounds
  ASSERT_TRUE(EmfPictureSize(emf.data(), emf.size(), &w, &h));
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  emf = EmfHeader(0, 0, -5, 48);
  EXPECT_FALSE(EmfPictureSize(emf.data(), emf.size(), &w, &h));
  emf = EmfHeader(3000, 2000, 7, 7);
  EXPECT_FALSE(EmfPictureSize(emf.data(), 87, &w, &h));
  EXPECT_FALSE(EmfRecordsWellFormed(emf.data(), emf.size() - 4));  // EOF record cut
  Put32(emf, 4, 90);  // header size not a whole number of words
  EXPECT_FALSE(EmfRecordsWellFormed(emf.data(), emf.size()));
}

// Records whose numbers would make GDI read outside them are refused.
TEST(PixloadMetafiles, RecordsReachingOutsideAreRefused) {
  // An EMF: header (2 handles), one record under test, EOF.
  auto emf = [](std::vector<uint32_t> record) {
    std::vector<uint8_t> v = EmfHeader(3000, 2000, 7, 7);
    v.resize(88);
    for (uint32_t x : record) v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)});
    const uint32_t eof[5] = {14, 20, 0, 16, 20};
    v.insert(v.end(), reinterpret_cast<const uint8_t*>(eof), reinterpret_cast<const uint8_t*>(eof) + 20);
    Put32(v, 48, int32_t(v.size()));
    Put16(v, 56, 2);
    return v;
  };
  const struct {
    const char* what;
    std::vector<uint32_t> record;
    bool ok;
  } emfCases[] = {
      {"select created object 1", {37, 12, 1}, true},
      {"select stock object", {37, 12, 0x80000005}, true},
      {"select object beyond the handle table", {37, 12, 2}, false},
      {"select a stock number that is none", {37, 12, 0x90000000}, false},
      {"delete a stock object", {40, 12, 0x80000005}, false},
      {"polyline of 1 point", {4, 36, 0, 0, 0, 0, 1, 5, 5}, true},
      {"polyline claiming 2 points", {4, 36, 0, 0, 0, 0, 2, 5, 5}, false},
      {"rectangle too short", {43, 12, 0}, false},
  };
  for (const auto& c : emfCases) {
    const std::vector<uint8_t> v = emf(c.record);
    EXPECT_EQ(EmfRecordsWellFormed(v.data(), v.size()), c.ok) << c.what;
  }
  std::vector<uint8_t> v = emf({37, 12, 1});
  Put32(v, 48, int32_t(v.size() + 4));  // header's total beyond the data
  EXPECT_FALSE(EmfRecordsWellFormed(v.data(), v.size()));

  // A WMF with 1 object: header, one record, EOF.
  auto wmf = [](std::vector<uint16_t> record) {
    std::vector<uint8_t> v(18, 0);
    Put16(v, 0, 1);
    Put16(v, 2, 9);
    Put16(v, 10, 1);
    for (uint16_t x : record) v.insert(v.end(), {uint8_t(x), uint8_t(x >> 8)});
    v.insert(v.end(), {3, 0, 0, 0, 0, 0});
    return v;
  };
  const struct {
    const char* what;
    std::vector<uint16_t> record;
    bool ok;
  } wmfCases[] = {
      {"select object 0", {4, 0, 0x012D, 0}, true},
      {"select object 1 of 1", {4, 0, 0x012D, 1}, false},
      {"polygon of 1 point", {6, 0, 0x0324, 1, 5, 5}, true},
      {"polygon claiming 3 points", {6, 0, 0x0324, 3, 5, 5}, false},
      {"poly-polygon counting more points than it holds", {7, 0, 0x0538, 1, 2, 5, 5}, false},
      {"escape with its data", {6, 0, 0x0626, 15, 2, 0}, true},
      {"escape claiming more data", {6, 0, 0x0626, 15, 4, 0}, false},
  };
  for (const auto& c : wmfCases) {
    const std::vector<uint8_t> w = wmf(c.record);
    EXPECT_EQ(WmfRecordsWellFormed(w.data(), w.size()), c.ok) << c.what;
  }
}

std::vector<uint8_t> Wmf(bool placeable, int16_t extX, int16_t extY) {
  std::vector<uint8_t> v(placeable ? 22 : 0, 0);
  if (placeable) {
    Put32(v, 0, int32_t(kPlaceableKey));
    Put16(v, 6, -10);  // bbox -10,-20 .. 182,76 at 96 per inch: 192 x 96 units = 192 x 96 pixels
    Put16(v, 8, -20);
    Put16(v, 10, 182);
    Put16(v, 12, 76);
    Put16(v, 14, 96);
  }
  const size_t at = v.size();
  v.resize(at + 18 + 10 + 6, 0);
  Put16(v, at, 1);
  Put16(v, at + 2, 9);
  Put32(v, at + 18, 5);  // SetWindowExt(y, x)
  Put16(v, at + 22, 0x020C);
  Put16(v, at + 24, extY);
  Put16(v, at + 26, extX);
  Put32(v, at + 28, 3);  // EOF
  return v;
}

TEST(PixloadMetafiles, WmfLayoutPlaceableAndPlain) {
  WmfLayout l;
  std::vector<uint8_t> wmf = Wmf(true, 999, 999);
  ASSERT_TRUE(WmfLayoutOf(wmf.data(), wmf.size(), &l));
  EXPECT_EQ(l.recordsOffset, 22u);
  EXPECT_EQ(l.windowLeft, -10);
  EXPECT_EQ(l.windowTop, -20);
  EXPECT_EQ(l.windowWidth, 192);
  EXPECT_EQ(l.windowHeight, 96);
  EXPECT_EQ(l.width, 192);
  EXPECT_EQ(l.height, 96);
  EXPECT_TRUE(WmfRecordsWellFormed(wmf.data() + 22, wmf.size() - 22));
  Put16(wmf, 14, 192);  // 192 units per inch: half the pixels
  ASSERT_TRUE(WmfLayoutOf(wmf.data(), wmf.size(), &l));
  EXPECT_EQ(l.width, 96);
  EXPECT_EQ(l.height, 48);
  Put16(wmf, 14, 0);
  EXPECT_FALSE(WmfLayoutOf(wmf.data(), wmf.size(), &l));

  wmf = Wmf(false, 240, -160);  // plain: the window its records set; a negative extent flips
  ASSERT_TRUE(WmfLayoutOf(wmf.data(), wmf.size(), &l));
  EXPECT_EQ(l.recordsOffset, 0u);
  EXPECT_EQ(l.windowWidth, 240);
  EXPECT_EQ(l.windowHeight, -160);
  EXPECT_EQ(l.width, 240);
  EXPECT_EQ(l.height, 160);
  EXPECT_TRUE(WmfRecordsWellFormed(wmf.data(), wmf.size()));
  EXPECT_FALSE(WmfRecordsWellFormed(wmf.data(), wmf.size() - 2));  // EOF cut
  Put32(wmf, 18, 50000);                                             // a record running past the end
  EXPECT_FALSE(WmfRecordsWellFormed(wmf.data(), wmf.size()));
  EXPECT_FALSE(WmfLayoutOf(wmf.data(), wmf.size(), &l));  // its window is then never found
}

}  // namespace
