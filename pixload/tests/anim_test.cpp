// GIF playback in a real window: the frames follow each other where the
// request puts them, StopAnimation stops them, a new start replaces the old,
// a destroyed window ends the playback.
#include <gtest/gtest.h>

#include <algorithm>

#include "testutil.h"

using namespace pltest;

namespace {

const PlaybackRequest kRequest = {1, 0, 16, 300, 300};

// anim.gif, 40 x 30 fitted into 300 x 284 below the 16-pixel strip: 300 x 225
// at (0, 16). Frames: red; lime; lime with a blue square at (20..30, 10..20).
const POINT kInSquare = {187, 16 + 112};
const POINT kOutside = {50, 16 + 50};

HWND MakeWindow(int x) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = "PixloadAnimTest";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(WS_EX_TOPMOST, "PixloadAnimTest", "", WS_POPUP | WS_VISIBLE, x, 100, 300, 316, nullptr,
                           nullptr, wc.hInstance, nullptr);
  UpdateWindow(w);
  return w;
}

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (int(end - GetTickCount()) > 0) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

COLORREF PixelAt(HWND w, POINT p) {
  HDC dc = GetDC(w);
  const COLORREF c = GetPixel(dc, p.x, p.y);
  ReleaseDC(w, dc);
  return c;
}

void PaintBlack(HWND w) {
  HDC dc = GetDC(w);
  RECT rc = {0, 0, 300, 316};
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(w, dc);
}

const COLORREF kRedPx = RGB(255, 0, 0), kLimePx = RGB(0, 255, 0), kBluePx = RGB(0, 0, 255), kBlackPx = RGB(0, 0, 0);

// The distinct colours seen at p over ms milliseconds, in order.
std::vector<COLORREF> Watch(HWND w, POINT p, DWORD ms) {
  std::vector<COLORREF> seen;
  const DWORD end = GetTickCount() + ms;
  while (int(end - GetTickCount()) > 0) {
    Pump(10);
    const COLORREF c = PixelAt(w, p);
    if (seen.empty() || seen.back() != c) seen.push_back(c);
  }
  return seen;
}

TEST(PixloadAnimation, FramesFollowEachOtherAndLoopUntilStopped) {
  HWND w = MakeWindow(100);
  Pump(100);
  ASSERT_NE(StartAnimation(w, Sample("anim.gif").c_str(), &kRequest), 0u);
  // Drawn at once, frames composed on the logical screen, looping.
  std::vector<COLORREF> seen = Watch(w, kInSquare, 1200);
  std::vector<COLORREF> expected;
  for (COLORREF c : {kRedPx, kLimePx, kBluePx, kRedPx, kLimePx, kBluePx, kRedPx}) expected.push_back(c);
  ASSERT_GE(seen.size(), expected.size());
  seen.resize(expected.size());
  EXPECT_EQ(seen, expected);
  // Outside the square the third frame keeps the second's lime.
  std::vector<COLORREF> outside = Watch(w, kOutside, 700);
  EXPECT_EQ(std::count(outside.begin(), outside.end(), kBluePx), 0);
  EXPECT_GT(std::count(outside.begin(), outside.end(), kLimePx), 0);
  // The caption strip above the frames is never drawn on.
  EXPECT_EQ(PixelAt(w, POINT{150, 8}), kBlackPx);

  StopAnimation();
  PaintBlack(w);
  Pump(500);
  EXPECT_EQ(PixelAt(w, kInSquare), kBlackPx);
  EXPECT_EQ(PixelAt(w, kOutside), kBlackPx);
  StopAnimation();  // twice is harmless
  DestroyWindow(w);
}

TEST(PixloadAnimation, StopWithoutStartAndBadStartsAreHarmless) {
  StopAnimation();
  HWND w = MakeWindow(100);
  EXPECT_EQ(StartAnimation(nullptr, Sample("anim.gif").c_str(), &kRequest), 0u);
  EXPECT_EQ(StartAnimation(w, nullptr, &kRequest), 0u);
  EXPECT_EQ(StartAnimation(w, Sample("anim.gif").c_str(), nullptr), 0u);
  EXPECT_EQ(StartAnimation(w, Sample("missing.gif").c_str(), &kRequest), 0u);
  EXPECT_EQ(StartAnimation(w, Sample("quad.png").c_str(), &kRequest), 0u);
  const std::vector<uint8_t> good = FileBytes(Sample("anim.gif"));
  const std::string dir = TempFolder("pixload_anim");
  const std::string cut = dir + "\\cut.gif";
  ASSERT_TRUE(WriteBytes(cut, std::vector<uint8_t>(good.begin(), good.begin() + 30)));
  EXPECT_EQ(StartAnimation(w, cut.c_str(), &kRequest), 0u);
  DeleteFileA(cut.c_str());
  RemoveDirectoryA(dir.c_str());
  StopAnimation();
  Pump(200);
  DestroyWindow(w);
}

TEST(PixloadAnimation, NewStartReplacesTheOldAndPlaysOnceFilesEnd) {
  HWND a = MakeWindow(50);
  HWND b = MakeWindow(400);
  Pump(100);
  ASSERT_NE(StartAnimation(a, Sample("anim.gif").c_str(), &kRequest), 0u);
  Pump(150);
  // once.gif: red, then blue, played once (loop count 1).
  ASSERT_NE(StartAnimation(b, Sample("once.gif").c_str(), &kRequest), 0u);
  PaintBlack(a);
  const std::vector<COLORREF> seen = Watch(b, kOutside, 600);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], kRedPx);
  EXPECT_EQ(seen[1], kBluePx);
  EXPECT_EQ(PixelAt(a, kInSquare), kBlackPx) << "the first playback went on";
  // Over: nothing more is drawn.
  PaintBlack(b);
  Pump(300);
  EXPECT_EQ(PixelAt(b, kOutside), kBlackPx);
  StopAnimation();
  DestroyWindow(a);
  DestroyWindow(b);
}

TEST(PixloadAnimation, DestroyedWindowEndsThePlayback) {
  HWND a = MakeWindow(100);
  Pump(100);
  ASSERT_NE(StartAnimation(a, Sample("anim.gif").c_str(), &kRequest), 0u);
  Pump(150);
  DestroyWindow(a);
  Pump(400);  // ticks meet a dead window and end the playback
  StopAnimation();
  HWND b = MakeWindow(100);
  Pump(100);
  ASSERT_NE(StartAnimation(b, Sample("anim.gif").c_str(), &kRequest), 0u);
  const std::vector<COLORREF> seen = Watch(b, kInSquare, 500);
  EXPECT_GE(seen.size(), 3u);
  StopAnimation();
  DestroyWindow(b);
}

}  // namespace
