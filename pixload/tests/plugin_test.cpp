// The plug-in host: *.rll modules beside pixload.dll are asked whether they
// are plug-ins and which names they read; the stand-in claims .tpx, and the
// real FlashPix plug-in .fpx when the build has it. A file that is no module
// and a module that is no plug-in sit in the folder too.
#include <gtest/gtest.h>

#include "testutil.h"

using namespace pltest;

namespace {

TEST(PixloadPlugins, StandInLoadsItsNamesFitted) {
  const DibLoadRequest box = Box(300, 300);
  DibImageInfo info = {};
  const MemHandle h = LoadDibFromFile("Z:\\no\\such\\folder\\picture.TPX", &box, &info);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(info.dwWidth, 4u);
  EXPECT_EQ(info.dwHeight, 2u);
  EXPECT_EQ(info.wBitCount, 24);
  const Dib d = Read(h);
  EXPECT_EQ(d.h.biWidth, 300);
  EXPECT_EQ(d.h.biHeight, 150);
  EXPECT_TRUE(Near(d.at(10, 10), Bgr{10, 20, 30}, 0));
  ZoMemFree(h);
  // Names that no loader or plug-in claims.
  EXPECT_EQ(LoadDibFromFile("Z:\\no\\such\\picture.xyz", &box, &info), 0u);
  EXPECT_EQ(LoadDibFromFile("Z:\\no\\such\\picture", &box, &info), 0u);
}

TEST(PixloadPlugins, FlashPixThroughTheRealPlugin) {
  if (GetFileAttributesA("flashread.rll") == INVALID_FILE_ATTRIBUTES) GTEST_SKIP() << "no flashread.rll in this build";
  const DibLoadRequest box = Box(300, 300);
  DibImageInfo info = {};
  const MemHandle h = LoadDibFromFile(PIXLOAD_FPX "/rgb_640x480_jpeg90.fpx", &box, &info);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(info.dwWidth, 640u);
  EXPECT_EQ(info.dwHeight, 480u);
  EXPECT_EQ(info.wBitCount, 24);
  const Dib d = Read(h);
  EXPECT_FALSE(d.wasLocked);
  EXPECT_EQ(d.h.biWidth, 300);
  EXPECT_EQ(d.h.biHeight, 225);
  ZoMemFree(h);
  EXPECT_EQ(LoadDibFromFile("Z:\\no\\such\\picture.fpx", &box, &info), 0u);
}

}  // namespace
