// A tip request over a real list view, as the shell's folder view makes it.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "harness.h"

namespace pt {

class OverListView : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lib.Load());
    SetImage(StillImage(300, 225, 24, {640, 480, 24, 0}));
  }
  void TearDown() override {
    SendButton(MOUSEEVENTF_LEFTUP);
    SendButton(MOUSEEVENTF_RIGHTUP);
    SendKey(VK_SHIFT, false);
    SendKey(VK_CONTROL, false);
    Pump(20);
  }

  void SetImage(const PxdImage& im) { PxdSetImage(&im); }

  void Open(DWORD view, int x = 100, int y = 100) { lv.reset(new ListViewWindow(view, x, y)); }

  // Rests the pointer on item i and asks for the tip of path.
  void HoverAndRequest(int i, const wchar_t* path = L"C:\\pics\\first.bmp") {
    const POINT pt = lv->ItemPoint(i);
    MoveTo(pt.x, pt.y);
    cursor = pt;
    ASSERT_EQ(RequestTip(lib, path), S_OK);
    Pump(80);
  }

  HWND Popup() const { return FindPopup(); }
  bool Up() const {
    HWND p = Popup();
    return p != nullptr && IsWindowVisible(p) && GetCapture() == p;
  }

  // The screen pixel at (x, y) of the popup's client area.
  COLORREF PixelAt(int x, int y) const {
    HWND p = Popup();
    HDC dc = GetDC(p);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(p, dc);
    return c;
  }

  Library lib;
  std::unique_ptr<ListViewWindow> lv;
  POINT cursor = {};
};

}  // namespace pt
