#include <gtest/gtest.h>

#include "imgcodecs.h"
#include "samplewriters.h"
#include "testutil.h"

using namespace imgcodecs;

TEST(Extensions, MapToDecoders) {
  const struct {
    const char* ext;
    DecodeFn fn;
  } cases[] = {{".tga", DecodeTga}, {"TGA", DecodeTga}, {".Pcx", DecodePcx}, {".sgi", DecodeSgi},
               {".rgb", DecodeSgi}, {".psd", DecodePsd}, {".PCD", DecodePcd}, {".png", nullptr},
               {"", nullptr},       {".tgaxxxxxxxx", nullptr}, {nullptr, nullptr}};
  for (const auto& c : cases) EXPECT_EQ(DecoderForExtension(c.ext), c.fn) << (c.ext ? c.ext : "null");
  Image img;
  const uint8_t junk[4] = {1, 2, 3, 4};
  EXPECT_EQ(DecodeByExtension(".bmp", junk, 4, img), CodecStatus::Unsupported);
}

TEST(Extensions, EmptyInputFailsEverywhere) {
  for (const char* ext : {"tga", "pcx", "sgi", "psd", "pcd"}) {
    Image img;
    img.width = 5;  // a stale image is cleared
    EXPECT_EQ(DecodeByExtension(ext, nullptr, 0, img), CodecStatus::Truncated) << ext;
    EXPECT_EQ(img.width, 0);
  }
}

// imgsample's files (used by the demo and whole-road tests) decode to their
// quadrants here and, where ImageMagick reads the format, there as well.
TEST(Imgsample, FilesDecodeToQuadrants) {
  const imgsample::Rgb q = imgsample::Quadrants(20, 10);
  for (const char* ext : {"tga", "pcx", "sgi", "psd"}) {
    SCOPED_TRACE(ext);
    const std::vector<uint8_t> f = imgsample::WriteFormat(ext, q);
    Image img;
    ASSERT_EQ(DecodeByExtension(ext, f.data(), f.size(), img), CodecStatus::Ok);
    ASSERT_EQ(img.channels, 3);
    EXPECT_EQ(img.pixels, q.pixels);
    if (testutil::HaveConvert()) {
      const std::string path = testutil::TempPath(std::string("imgsample.") + ext);
      testutil::WriteFile(path, f);
      EXPECT_EQ(testutil::MaxDifference(img, testutil::ReferenceRgba(path)), 0);
    }
  }
}
