#include <gtest/gtest.h>

#include "imgcodecs.h"
#include "testutil.h"

using imgcodecs::CodecStatus;
using imgcodecs::DecodeSgi;
using imgcodecs::Image;

TEST(Sgi, MatchesImageMagickForEachVariant) {
  REQUIRE_CONVERT();
  testutil::CheckVariants(DecodeSgi, "sgi",
                          {
                              {"RGB RLE", "-compress RLE", 24, 3},
                              {"RGB verbatim", "-compress None", 24, 3},
                              {"RGB 16-bit", "-depth 16", 48, 3},
                              {"RGB 16-bit RLE", "-depth 16 -compress RLE", 48, 3},
                              {"grey", "-type Grayscale", 8, 1},
                              {"RGBA", "-alpha set -channel A -fx 'i/w' +channel", 32, 4},
                          });
}

namespace {
// An SGI header (dimension 3) for width x height x depth, RLE or verbatim,
// followed by body.
std::vector<uint8_t> Sgi(int storage, int bpc, int width, int height, int depth, std::vector<uint8_t> body) {
  std::vector<uint8_t> f(512, 0);
  f[0] = 0x01; f[1] = 0xDA; f[2] = static_cast<uint8_t>(storage); f[3] = static_cast<uint8_t>(bpc);
  f[5] = 3; f[7] = static_cast<uint8_t>(width); f[9] = static_cast<uint8_t>(height);
  f[11] = static_cast<uint8_t>(depth);
  f.insert(f.end(), body.begin(), body.end());
  return f;
}
void PutBe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<uint8_t>(x >> s));
}
}  // namespace

TEST(Sgi, RleRowsMayShareDataAndOverrunsAreCut) {
  // 3 x 2 grey: both rows point at one run of 5 (cut to 3), then a literal row.
  std::vector<uint8_t> body;
  const uint32_t tables = 512 + 16;
  PutBe32(body, tables);      // row 0 (bottom)
  PutBe32(body, tables + 3);  // row 1 (top)
  PutBe32(body, 3);
  PutBe32(body, 5);
  body.insert(body.end(), {0x05, 9, 0x00, 0x83, 1, 2, 3, 0x00});
  const auto f = Sgi(1, 1, 3, 2, 1, body);
  Image img;
  ASSERT_EQ(DecodeSgi(f.data(), f.size(), img), CodecStatus::Ok);
  EXPECT_EQ(img.pixels, (std::vector<uint8_t>{1, 2, 3, 9, 9, 9}));  // top row first
}

TEST(Sgi, GreyWithAlphaBecomesRgba) {
  // 1 x 1, two verbatim channels.
  const auto f = Sgi(0, 1, 1, 1, 2, {50, 128});
  Image img;
  ASSERT_EQ(DecodeSgi(f.data(), f.size(), img), CodecStatus::Ok);
  EXPECT_EQ(img.pixels, (std::vector<uint8_t>{50, 50, 50, 128}));
}

TEST(Sgi, RejectsBadFiles) {
  const auto check = [](std::vector<uint8_t> f, CodecStatus expect) {
    Image img;
    EXPECT_EQ(DecodeSgi(f.data(), f.size(), img), expect);
  };
  check(Sgi(0, 1, 2, 2, 1, {1, 2, 3}), CodecStatus::Truncated);
  check(Sgi(0, 3, 2, 2, 1, {1, 2, 3, 4}), CodecStatus::Malformed);
  auto colormap = Sgi(0, 1, 1, 1, 1, {1});
  colormap[107] = 1;
  check(colormap, CodecStatus::Unsupported);
  // A row offset past the end of the file.
  std::vector<uint8_t> body;
  PutBe32(body, 100000);
  PutBe32(body, 2);
  check(Sgi(1, 1, 1, 1, 1, body), CodecStatus::Truncated);
  // 65535 x 65535 x 1 RLE: the tables fit the claim but the pixel limit refuses it.
  auto huge = Sgi(1, 1, 0, 0, 1, std::vector<uint8_t>(65535 * 8, 0));
  huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
  check(huge, CodecStatus::TooLarge);
}

TEST(Sgi, SixteenBitRleKeepsHighBytes) {
  // 3 x 1 grey at 16 bits: a repeat of 2 words, then one literal word.
  std::vector<uint8_t> body;
  PutBe32(body, 512 + 8);
  PutBe32(body, 10);
  body.insert(body.end(), {0x00, 0x02, 0xAB, 0x12, 0x00, 0x81, 0x34, 0x56, 0x00, 0x00});
  const auto f = Sgi(1, 2, 3, 1, 1, body);
  Image img;
  ASSERT_EQ(DecodeSgi(f.data(), f.size(), img), CodecStatus::Ok);
  EXPECT_EQ(img.pixels, (std::vector<uint8_t>{0xAB, 0xAB, 0x34}));
  EXPECT_EQ(img.fileBitCount, 16);
}
