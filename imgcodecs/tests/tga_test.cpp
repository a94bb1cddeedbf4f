#include <gtest/gtest.h>

#include "imgcodecs.h"
#include "testutil.h"

using imgcodecs::CodecStatus;
using imgcodecs::DecodeTga;
using imgcodecs::Image;

TEST(Tga, MatchesImageMagickForEachVariant) {
  REQUIRE_CONVERT();
  testutil::CheckVariants(DecodeTga, "tga",
                          {
                              {"24-bit raw", "-compress None", 24, 3},
                              {"24-bit RLE", "-compress RLE", 24, 3},
                              {"top-left origin", "-orient TopLeft -compress RLE", 24, 3},
                              {"colour-mapped raw", "-type Palette -compress None", 8, 3},
                              {"colour-mapped RLE", "-type Palette -compress RLE", 8, 3},
                              {"grey raw", "-type Grayscale -compress None", 8, 1},
                              {"grey RLE", "-type Grayscale -compress RLE", 8, 1},
                              {"32-bit with alpha", "-alpha set -channel A -fx 'i/w' +channel -compress None", 32, 4},
                              {"32-bit RLE with alpha", "-alpha set -channel A -fx 'j/h' +channel -compress RLE", 32, 4},
                          });
}

namespace {
// A 2 x 2 TGA header followed by the given bytes.
std::vector<uint8_t> Tga(uint8_t type, uint8_t depth, uint8_t descriptor, std::vector<uint8_t> body,
                         std::vector<uint8_t> map = {}, uint8_t mapBits = 0) {
  const uint16_t mapLength = static_cast<uint16_t>(map.empty() ? 0 : map.size() / (mapBits == 24 ? 3 : 2));
  std::vector<uint8_t> f = {0, uint8_t(map.empty() ? 0 : 1), type, 0, 0, uint8_t(mapLength), 0, mapBits,
                            0, 0, 0, 0, 2, 0, 2, 0, depth, descriptor};
  f.insert(f.end(), map.begin(), map.end());
  f.insert(f.end(), body.begin(), body.end());
  return f;
}
std::vector<uint8_t> Decoded(const std::vector<uint8_t>& file, CodecStatus expect = CodecStatus::Ok) {
  Image img;
  EXPECT_EQ(DecodeTga(file.data(), file.size(), img), expect);
  return img.pixels;
}
}  // namespace

// Grey pixels 1,2 (first stored row) and 3,4 under each origin setting.
TEST(Tga, OriginBitsPlacePixels) {
  const std::vector<uint8_t> body = {1, 2, 3, 4};
  EXPECT_EQ(Decoded(Tga(3, 8, 0x00, body)), (std::vector<uint8_t>{3, 4, 1, 2}));  // bottom-up
  EXPECT_EQ(Decoded(Tga(3, 8, 0x20, body)), (std::vector<uint8_t>{1, 2, 3, 4}));  // top-down
  EXPECT_EQ(Decoded(Tga(3, 8, 0x30, body)), (std::vector<uint8_t>{2, 1, 4, 3}));  // top-down, right-to-left
  EXPECT_EQ(Decoded(Tga(3, 8, 0x10, body)), (std::vector<uint8_t>{4, 3, 2, 1}));  // bottom-up, right-to-left
}

TEST(Tga, SixteenBitPixelsAndColourMap) {
  // 0x7C00 red, 0x03E0 green, 0x001F blue, 0x7FFF white, top-down.
  EXPECT_EQ(Decoded(Tga(2, 16, 0x20, {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F})),
            (std::vector<uint8_t>{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}));
  // 15-bit colour map of two entries, indices 1,0,1,5 (5 is outside: black).
  EXPECT_EQ(Decoded(Tga(1, 8, 0x20, {1, 0, 1, 5}, {0x1F, 0x00, 0x00, 0x7C}, 15)),
            (std::vector<uint8_t>{255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 0}));
}

TEST(Tga, RunPacketsCrossRowsAndOverrunsAreCut) {
  // One run of 3 and a raw packet of 1 across the two rows.
  EXPECT_EQ(Decoded(Tga(11, 8, 0x20, {0x82, 9, 0x00, 7})), (std::vector<uint8_t>{9, 9, 9, 7}));
  // A run of 128 for 4 pixels stops at the picture's end.
  EXPECT_EQ(Decoded(Tga(11, 8, 0x20, {0xFF, 5})), (std::vector<uint8_t>{5, 5, 5, 5}));
  // Packets missing: truncated.
  Decoded(Tga(11, 8, 0x20, {0x81, 5}), CodecStatus::Truncated);
}

TEST(Tga, RejectsBadHeaders) {
  Decoded(Tga(0, 8, 0, {}), CodecStatus::Malformed);
  Decoded(Tga(32, 8, 0, {1, 2, 3, 4}), CodecStatus::Unsupported);
  Decoded(Tga(2, 12, 0, {1, 2, 3, 4}), CodecStatus::Unsupported);
  Decoded(Tga(1, 8, 0, {1, 2, 3, 4}), CodecStatus::Malformed);  // colour-mapped without a map
  // 65535 x 65535 is over the pixel limit, even when the data would be there.
  std::vector<uint8_t> huge = Tga(11, 8, 0, std::vector<uint8_t>(40000000, 0));
  huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
  Decoded(huge, CodecStatus::TooLarge);
}
