#include <gtest/gtest.h>

#include "imgcodecs.h"
#include "testutil.h"

using imgcodecs::CodecStatus;
using imgcodecs::DecodePsd;
using imgcodecs::Image;

TEST(Psd, MatchesImageMagickForEachVariant) {
  REQUIRE_CONVERT();
  testutil::CheckVariants(DecodePsd, "psd",
                          {
                              {"RGB PackBits", "-compress RLE", 24, 3},
                              {"RGB raw", "-compress None", 24, 3},
                              {"RGB 16-bit", "-depth 16 -compress RLE", 48, 3},
                              {"RGB 16-bit raw", "-depth 16 -compress None", 48, 3},
                              // ImageMagick reads back neither its RGBA composite nor its indexed files.
                              {"RGBA", "-alpha set -channel A -fx 'i/w' +channel", 32, 4, 1, true},
                              {"indexed", "-type Palette", 8, 3, 1, true},
                              {"grey", "-type Grayscale", 8, 1},
                              {"grey with alpha", "-type Grayscale -alpha set -channel A -fx 'j/h' +channel", 16, 4, 1, true},
                              {"CMYK", "-colorspace CMYK", 32, 3, 1},
                              {"with layers", "\\( +clone -negate \\) \\( +clone -flip \\)", 24, 3},
                          },
                          "[0]");
}

namespace {
void Be16(std::vector<uint8_t>& v, unsigned x) { v.push_back(uint8_t(x >> 8)); v.push_back(uint8_t(x)); }
void Be32(std::vector<uint8_t>& v, uint32_t x) { Be16(v, x >> 16); Be16(v, x & 0xFFFF); }

// A PSD of width x height with the given channels, depth and mode, empty
// sections (layers: layerBytes of filler) and the image data section body.
std::vector<uint8_t> Psd(unsigned channels, uint32_t width, uint32_t height, unsigned depth, unsigned mode,
                         unsigned compression, std::vector<uint8_t> body, uint32_t layerBytes = 0) {
  std::vector<uint8_t> f = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  Be16(f, channels);
  Be32(f, height);
  Be32(f, width);
  Be16(f, depth);
  Be16(f, mode);
  Be32(f, 0);
  Be32(f, 0);
  Be32(f, layerBytes);
  f.insert(f.end(), layerBytes, 0xEE);
  Be16(f, compression);
  f.insert(f.end(), body.begin(), body.end());
  return f;
}
CodecStatus Decode(const std::vector<uint8_t>& f, Image& img) { return DecodePsd(f.data(), f.size(), img); }
}  // namespace

TEST(Psd, BitmapModeOneIsBlack) {
  // 10 x 1 at 1 bit, 2 bytes per row; layer section skipped by its length.
  Image img;
  ASSERT_EQ(Decode(Psd(1, 10, 1, 1, 0, 0, {0xA0, 0x40}, 7), img), CodecStatus::Ok);
  EXPECT_EQ(img.fileBitCount, 1);
  EXPECT_EQ(img.pixels, (std::vector<uint8_t>{0, 255, 0, 255, 255, 255, 255, 255, 255, 0}));
}

TEST(Psd, PackBitsRowsAreCutOrPadded) {
  // 4 x 2 grey. Row 0: a repeat of 6 (cut to 4); row 1: one literal, then
  // the row's data ends (the rest stays 0). A -128 byte is a no-op.
  std::vector<uint8_t> body;
  Be16(body, 2);
  Be16(body, 3);
  body.insert(body.end(), {0xFB, 8, 0x80, 0x00, 5});
  Image img;
  ASSERT_EQ(Decode(Psd(1, 4, 2, 8, 1, 1, body), img), CodecStatus::Ok);
  EXPECT_EQ(img.pixels, (std::vector<uint8_t>{8, 8, 8, 8, 5, 0, 0, 0}));
}

TEST(Psd, RejectsBadFiles) {
  Image img;
  EXPECT_EQ(Decode(Psd(3, 2, 2, 8, 3, 0, std::vector<uint8_t>(11)), img), CodecStatus::Truncated);
  EXPECT_EQ(Decode(Psd(3, 2, 2, 8, 3, 2, std::vector<uint8_t>(12)), img), CodecStatus::Unsupported);  // zip
  EXPECT_EQ(Decode(Psd(3, 2, 2, 32, 3, 0, std::vector<uint8_t>(48)), img), CodecStatus::Unsupported);
  EXPECT_EQ(Decode(Psd(1, 2, 2, 8, 9, 0, std::vector<uint8_t>(4)), img), CodecStatus::Unsupported);  // Lab
  EXPECT_EQ(Decode(Psd(2, 2, 2, 8, 3, 0, std::vector<uint8_t>(8)), img), CodecStatus::Malformed);  // RGB, 2 channels
  EXPECT_EQ(Decode(Psd(1, 2, 2, 8, 2, 0, std::vector<uint8_t>(4)), img), CodecStatus::Malformed);  // indexed, no table
  EXPECT_EQ(Decode(Psd(3, 30000, 30000, 8, 3, 1, std::vector<uint8_t>(180000)), img), CodecStatus::TooLarge);
  // Row byte counts that point past the end.
  std::vector<uint8_t> body;
  Be16(body, 900);
  EXPECT_EQ(Decode(Psd(1, 1, 1, 8, 1, 1, body), img), CodecStatus::Truncated);
  // A layer section longer than the file.
  auto f = Psd(1, 1, 1, 8, 1, 0, {1});
  f[33] = 0x7F;
  EXPECT_EQ(Decode(f, img), CodecStatus::Truncated);
  EXPECT_TRUE(img.pixels.empty());
}
