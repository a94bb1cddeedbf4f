#include <gtest/gtest.h>

#include "imgcodecs.h"
#include "samplewriters.h"

using imgcodecs::CodecStatus;
using imgcodecs::DecodeHint;
using imgcodecs::DecodePcd;
using imgcodecs::Image;

namespace {
// The colour at a fraction of the picture's width and height.
std::vector<int> At(const Image& img, double fx, double fy) {
  const int x = static_cast<int>(fx * img.width), y = static_cast<int>(fy * img.height);
  const uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 3];
  return {p[0], p[1], p[2]};
}
// Quadrant colours, top-left, top-right, bottom-left, bottom-right, each
// within 8 of the expected value (blue's chroma clips a little in PhotoYCC).
void ExpectQuadrants(const Image& img, const std::vector<std::vector<int>>& expect) {
  const double spots[4][2] = {{0.2, 0.2}, {0.8, 0.2}, {0.2, 0.8}, {0.8, 0.8}};
  for (int q = 0; q < 4; ++q) {
    const std::vector<int> got = At(img, spots[q][0], spots[q][1]);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], expect[q][c], 8) << "quadrant " << q << " channel " << c;
  }
}
const std::vector<int> kRed = {255, 0, 0}, kGreen = {0, 255, 0}, kBlue = {0, 0, 255}, kWhite = {255, 255, 255};
std::vector<uint8_t> Sample(int rotation = 0) { return imgsample::WritePcd(imgsample::Quadrants(64, 48), rotation); }
}  // namespace

TEST(Pcd, DecodesBaseImageColours) {
  const std::vector<uint8_t> f = Sample();
  Image img;
  ASSERT_EQ(DecodePcd(f.data(), f.size(), img), CodecStatus::Ok);
  EXPECT_EQ(img.width, 768);
  EXPECT_EQ(img.height, 512);
  EXPECT_EQ(img.channels, 3);
  EXPECT_EQ(img.fileBitCount, 24);
  ExpectQuadrants(img, {kRed, kGreen, kBlue, kWhite});
}

TEST(Pcd, ConvertsPhotoYccWithinRounding) {
  const uint8_t colours[][3] = {{128, 128, 128}, {200, 100, 50}, {30, 160, 220}, {0, 0, 0}, {250, 240, 10}};
  for (const auto& c : colours) {
    imgsample::Rgb flat;
    flat.width = flat.height = 2;
    for (int i = 0; i < 4; ++i) flat.pixels.insert(flat.pixels.end(), c, c + 3);
    const std::vector<uint8_t> f = imgsample::WritePcd(flat);
    Image img;
    ASSERT_EQ(DecodePcd(f.data(), f.size(), img), CodecStatus::Ok);
    const std::vector<int> got = At(img, 0.5, 0.5);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], c[k], 3) << int(c[0]) << "," << int(c[1]) << "," << int(c[2]);
  }
}

// The rotation attribute of a file whose stored image is upright quadrants:
// 1 turns it 90 degrees counter-clockwise, 3 clockwise (as other readers do).
TEST(Pcd, RotationAttributeTurnsThePicture) {
  struct Case {
    int attribute;
    int width, height;
    std::vector<std::vector<int>> quadrants;
  };
  const Case cases[] = {
      {1, 512, 768, {kGreen, kWhite, kRed, kBlue}},
      {2, 768, 512, {kWhite, kBlue, kGreen, kRed}},
      {3, 512, 768, {kBlue, kRed, kWhite, kGreen}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attribute);
    std::vector<uint8_t> f = Sample();
    f[0xE02] = static_cast<uint8_t>(c.attribute | 0x0C);  // upper bits are other attributes
    Image img;
    ASSERT_EQ(DecodePcd(f.data(), f.size(), img), CodecStatus::Ok);
    EXPECT_EQ(img.width, c.width);
    EXPECT_EQ(img.height, c.height);
    ExpectQuadrants(img, c.quadrants);
  }
  // Files written turned come out upright.
  for (int rotation = 1; rotation < 4; ++rotation) {
    const std::vector<uint8_t> f = Sample(rotation);
    Image img;
    ASSERT_EQ(DecodePcd(f.data(), f.size(), img), CodecStatus::Ok);
    ExpectQuadrants(img, {kRed, kGreen, kBlue, kWhite});
  }
}

TEST(Pcd, SizeHintSamplesButStillCoversTheBox) {
  struct Case {
    int rotation, boxW, boxH, width, height;
  };
  const Case cases[] = {
      {0, 300, 300, 384, 256}, {0, 100, 100, 192, 128}, {0, 400, 400, 768, 512},
      {0, 0, 0, 768, 512},     {1, 300, 300, 256, 384}, {0, 384, 400, 384, 256}, {0, 385, 400, 768, 512},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.boxW) + "x" + std::to_string(c.boxH));
    const std::vector<uint8_t> f = Sample(c.rotation);
    Image img;
    const DecodeHint hint{c.boxW, c.boxH};
    ASSERT_EQ(DecodePcd(f.data(), f.size(), img, &hint), CodecStatus::Ok);
    EXPECT_EQ(img.width, c.width);
    EXPECT_EQ(img.height, c.height);
    EXPECT_EQ(img.fileWidth, c.rotation ? 512 : 768);
    EXPECT_EQ(img.fileHeight, c.rotation ? 768 : 512);
    ExpectQuadrants(img, {kRed, kGreen, kBlue, kWhite});
  }
}

TEST(Pcd, RejectsShortOrForeignFiles) {
  std::vector<uint8_t> f = Sample();
  Image img;
  EXPECT_EQ(DecodePcd(f.data(), f.size() - 1, img), CodecStatus::Truncated);
  EXPECT_EQ(DecodePcd(f.data(), 2048, img), CodecStatus::Truncated);
  f[2048] = 'X';
  EXPECT_EQ(DecodePcd(f.data(), f.size(), img), CodecStatus::Malformed);
  EXPECT_TRUE(img.pixels.empty());
}
