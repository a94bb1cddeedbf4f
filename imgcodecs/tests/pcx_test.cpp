#include <gtest/gtest.h>

#include "imgcodecs.h"
#include "testutil.h"

using imgcodecs::CodecStatus;
using imgcodecs::DecodePcx;
using imgcodecs::Image;

TEST(Pcx, MatchesImageMagickForEachVariant) {
  REQUIRE_CONVERT();
  // The pattern is 37 pixels wide: odd, so lines carry a padding byte.
  testutil::CheckVariants(DecodePcx, "pcx",
                          {
                              {"24-bit, 3 planes", "", 24, 3},
                              {"8-bit with end palette", "-type Palette", 8, 3},
                              {"32-bit, 4 planes", "-alpha set -channel A -fx 'i/w' +channel", 32, 4},
                          });
}

namespace {
// A PCX header for width x height followed by body; palette fills the
// 16-entry header table.
std::vector<uint8_t> Pcx(int bits, int planes, int bytesPerLine, int width, int height, bool rle,
                         std::vector<uint8_t> body, std::vector<uint8_t> palette = {}) {
  std::vector<uint8_t> f(128, 0);
  f[0] = 0x0A; f[1] = 5; f[2] = rle; f[3] = static_cast<uint8_t>(bits);
  f[8] = static_cast<uint8_t>(width - 1); f[10] = static_cast<uint8_t>(height - 1);
  f[65] = static_cast<uint8_t>(planes); f[66] = static_cast<uint8_t>(bytesPerLine);
  for (size_t i = 0; i < palette.size() && i < 48; ++i) f[16 + i] = palette[i];
  f.insert(f.end(), body.begin(), body.end());
  return f;
}
std::vector<uint8_t> Decoded(const std::vector<uint8_t>& file, CodecStatus expect = CodecStatus::Ok) {
  Image img;
  EXPECT_EQ(DecodePcx(file.data(), file.size(), img), expect);
  return img.pixels;
}
}  // namespace

TEST(Pcx, MonoWithBlankPaletteIsBlackAndWhite) {
  // 10 x 2, 2 bytes per line: 1010000011 / 0111111111.
  Image img;
  const auto f = Pcx(1, 1, 2, 10, 2, false, {0xA0, 0xC0, 0x7F, 0xC0});
  ASSERT_EQ(DecodePcx(f.data(), f.size(), img), CodecStatus::Ok);
  EXPECT_EQ(img.fileBitCount, 1);
  const char* expect = "1010000011" "0111111111";
  for (int i = 0; i < 20; ++i) EXPECT_EQ(img.pixels[i * 3], expect[i] == '1' ? 255 : 0) << i;
}

TEST(Pcx, FourPlaneEgaUsesHeaderPalette) {
  // 3 x 1 with indices 1, 2, 15: plane p holds bit p of each index.
  std::vector<uint8_t> palette(48, 0);
  palette[3] = 10; palette[4] = 20; palette[5] = 30;   // 1
  palette[6] = 40; palette[7] = 50; palette[8] = 60;   // 2
  palette[45] = 70; palette[46] = 80; palette[47] = 90;  // 15
  const auto f = Pcx(1, 4, 2, 3, 1, true,
                     {0xA0, 0, 0x60, 0, 0x20, 0, 0x20, 0xC1, 0},  // last plane ends with a run of 1
                     palette);
  Image img;
  ASSERT_EQ(DecodePcx(f.data(), f.size(), img), CodecStatus::Ok);
  EXPECT_EQ(img.fileBitCount, 4);
  EXPECT_EQ(img.pixels, (std::vector<uint8_t>{10, 20, 30, 40, 50, 60, 70, 80, 90}));
}

TEST(Pcx, RunsContinueAcrossLines) {
  // 2 x 2 grey-less 8-bit without end palette decodes as grey; one run of 4
  // covers both lines.
  EXPECT_EQ(Decoded(Pcx(8, 1, 2, 2, 2, true, {0xC4, 7})), (std::vector<uint8_t>{7, 7, 7, 7}));
}

TEST(Pcx, RejectsBadHeadersAndShortData) {
  Decoded(Pcx(8, 1, 1, 2, 2, true, {0xC4, 7}), CodecStatus::Malformed);   // line shorter than width
  Decoded(Pcx(8, 2, 2, 2, 2, true, {0xC8, 7}), CodecStatus::Unsupported);  // 16-bit, 2 planes
  Decoded(Pcx(3, 1, 2, 2, 2, true, {0xC4, 7}), CodecStatus::Unsupported);
  Decoded(Pcx(8, 1, 2, 2, 2, true, {0xC3, 7}), CodecStatus::Truncated);
  Decoded(Pcx(8, 1, 2, 2, 2, true, {0xC4}), CodecStatus::Truncated);     // run without its value
  auto bad = Pcx(8, 1, 2, 2, 2, true, {0xC4, 7});
  bad[0] = 0x0B;
  Decoded(bad, CodecStatus::Malformed);
}
