// Runs beside a handlebank.dll whose allocations all fail: every load gives
// 0 (the FlashPix plug-in's too), nothing crashes, and playback, which needs
// no handles, still starts.
#include <gtest/gtest.h>

#include "testutil.h"

using namespace pltest;

namespace {

TEST(PixloadNoMemory, EveryLoadGivesZero) {
  const char* files[] = {"quad.bmp", "quad.png", "quad.gif", "quad.tif", "quad.jpg", "quad.emf", "quad.wmf",
                         "quad.tga", "quad.pcx", "quad.sgi", "quad.psd", "quad.pcd", "anim.gif", "grey.png"};
  const DibLoadRequest box = Box(300, 300);
  for (const char* f : files) {
    DibImageInfo info = {};
    EXPECT_EQ(LoadDibFromFile(Sample(f).c_str(), &box, &info), 0u) << f;
  }
  DibImageInfo info = {};
  EXPECT_EQ(LoadDibFromFile(PIXLOAD_FPX "/rgb_640x480_jpeg90.fpx", &box, &info), 0u);
  EXPECT_EQ(LoadDibFromFile("Z:\\no\\such\\picture.tpx", &box, &info), 0u);
}

TEST(PixloadNoMemory, PlaybackNeedsNoHandles) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PixloadNoMemTest";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 300, 316, nullptr, nullptr, wc.hInstance, nullptr);
  const PlaybackRequest request = {1, 0, 16, 300, 300};
  EXPECT_NE(StartAnimation(w, Sample("anim.gif").c_str(), &request), 0u);
  StopAnimation();
  DestroyWindow(w);
}

}  // namespace
