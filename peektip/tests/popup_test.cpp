// The popup over a real SysListView32: placement, painting, capture and
// hiding, forwarding of mouse input, threads and animation.
#include "popup_fixture.h"

#include <string.h>
#include <atomic>
#include <thread>

using namespace pt;

namespace {

class PopupTest : public OverListView {};

TEST_F(PopupTest, PlacedAtTheCursorInEveryView) {
  struct Case {
    const char* name;
    DWORD view;
  } cases[] = {{"report", LVS_REPORT}, {"list", LVS_LIST}, {"icon", LVS_ICON}, {"small icon", LVS_SMALLICON}};
  Open(LVS_REPORT);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lv->SetView(c.view);
    HoverAndRequest(1);
    ASSERT_TRUE(PumpUntil([&] { return Up(); })) << "popup shown with the capture";
    const RECT rc = WindowRect(Popup());
    EXPECT_EQ(rc.left, cursor.x);
    EXPECT_EQ(rc.top, cursor.y);
    EXPECT_EQ(rc.right - rc.left, 300);
    EXPECT_EQ(rc.bottom - rc.top, 241);
    MoveTo(5, 5);  // away from both: hidden, capture released
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()) && GetCapture() == nullptr; }));
  }
}

TEST_F(PopupTest, ClassRegisteredOnceWindowReused) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  HWND first = Popup();
  ASSERT_TRUE(Up());
  MoveTo(5, 5);
  HoverAndRequest(2, L"C:\\pics\\third.gif");
  EXPECT_EQ(Popup(), first);
  EXPECT_TRUE(Up());
  WNDCLASSA wc = {};
  ASSERT_TRUE(GetClassInfoA(lib.dll, "ZoDibWndClass", &wc));
  EXPECT_EQ(wc.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(wc.hbrBackground, nullptr);
  EXPECT_EQ(GetWindowLongA(first, GWL_STYLE) & (WS_CHILD | WS_POPUP | WS_CAPTION), WS_CHILD);
  EXPECT_EQ(GetWindowLongA(first, GWL_EXSTYLE) & 0x88, 0x88);
}

TEST_F(PopupTest, NothingShownOffTheItems) {
  Open(LVS_REPORT);
  const RECT last = lv->ItemRect(2);
  MoveTo(last.left + 20, last.bottom + 60);  // the list view, below every item
  ASSERT_EQ(RequestTip(lib, L"C:\\pics\\first.bmp"), S_OK);
  Pump(50);
  ASSERT_NE(Popup(), nullptr) << "the window exists";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(WindowRect(Popup()).right - WindowRect(Popup()).left, 0);
}

// Pulled back inside the screen at its right and bottom edges (1024 x 768).
TEST_F(PopupTest, PulledBackInsideTheScreen) {
  Open(LVS_REPORT, 800, 600);
  HoverAndRequest(1);
  ASSERT_TRUE(Up());
  const RECT rc = WindowRect(Popup());
  EXPECT_EQ(rc.left, 1024 - 300);
  EXPECT_EQ(rc.top, 768 - 241);
  EXPECT_EQ(rc.right, 1024);
  EXPECT_EQ(rc.bottom, 768);
}

// The popup stays while the pointer is over the item (only up to column 0's
// edge in report view) or over itself, and goes at the first move outside.
TEST_F(PopupTest, HidesWhenThePointerLeavesItemAndPopup) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  const RECT item = lv->ItemRect(0);
  ASSERT_LT(item.top + 1, cursor.y);
  MoveTo(item.left + 2, item.top + 1);  // over the item, left of and above the popup
  EXPECT_TRUE(Up());
  MoveTo(cursor.x + 150, cursor.y + 200);  // over the popup
  EXPECT_TRUE(Up());
  MoveTo(item.right + 40, item.top + 1);  // same row beyond column 0: outside both
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  EXPECT_EQ(GetCapture(), nullptr);
}

// Caption strip on the desktop colour with white text; the bitmap below it
// at (0, 16), top row first, palette images through their biClrUsed entries.
TEST_F(PopupTest, PaintsCaptionStripAndBitmap) {
  struct Case {
    const char* name;
    uint16_t bits;
    int w, h;
  } cases[] = {{"24-bit", 24, 300, 225}, {"8-bit palette", 8, 120, 90}, {"32-bit", 32, 64, 48}};
  Open(LVS_REPORT);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetImage(StillImage(c.w, c.h, c.bits, {640, 480, 24, 0}));
    HoverAndRequest(0);
    ASSERT_TRUE(Up());
    const RECT rc = WindowRect(Popup());
    EXPECT_EQ(rc.right - rc.left, c.w);
    EXPECT_EQ(rc.bottom - rc.top, c.h + 16);
    const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
    EXPECT_EQ(PixelAt(0, 0), desktop);
    EXPECT_EQ(PixelAt(c.w - 1, 15), desktop);
    EXPECT_EQ(PixelAt(0, 16), kPxdQuadrant[0]);
    EXPECT_EQ(PixelAt(c.w - 1, 16), kPxdQuadrant[1]);
    EXPECT_EQ(PixelAt(0, 16 + c.h - 1), kPxdQuadrant[2]);
    EXPECT_EQ(PixelAt(c.w - 1, 16 + c.h - 1), kPxdQuadrant[3]);
    // White text, centred in the strip.
    int left = c.w, right = -1;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < c.w; ++x)
        if (PixelAt(x, y) == RGB(255, 255, 255)) {
          if (x < left) left = x;
          if (x > right) right = x;
        }
    ASSERT_GE(right, left) << "no white text in the strip";
    EXPECT_NEAR(left, c.w - 1 - right, 3);
    MoveTo(5, 5);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  }
}

// Mended: a still image whose thumbnail cannot be locked at paint time gets
// the caption strip alone.
TEST_F(PopupTest, UnlockableThumbnailPaintsTheStripAlone) {
  Open(LVS_REPORT);
  const POINT pt = lv->ItemPoint(0);
  MoveTo(pt.x, pt.y);
  ASSERT_EQ(RequestTip(lib, L"C:\\pics\\first.bmp"), S_OK);  // sized; the paint is still queued
  const MemHandle thumb = Calls(PXD_LOAD).back().result;
  ASSERT_TRUE(PxdDiscard(thumb));
  Pump(100);
  ASSERT_TRUE(Up());
  const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
  EXPECT_EQ(PixelAt(0, 0), desktop);
  EXPECT_EQ(PixelAt(299, 15), desktop);
  EXPECT_NE(PixelAt(0, 16), kPxdQuadrant[0]);
  EXPECT_NE(PixelAt(299, 240), kPxdQuadrant[3]);
}

// A click released over the item reaches the list view as a press and a
// release at the mapped position; the next placement leaves the popup hidden.
TEST_F(PopupTest, ClickInsideTheItemForwardsAndSkipsTheNextShow) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  lv->received.clear();
  SendButton(MOUSEEVENTF_LEFTDOWN);
  Pump(50);
  EXPECT_TRUE(lv->received.empty()) << "nothing is posted for the press";
  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return lv->received.size() >= 2; }));
  POINT client = cursor;
  ScreenToClient(lv->list(), &client);
  const LPARAM at = MAKELPARAM(client.x, client.y);
  ASSERT_EQ(lv->received.size(), 2u);
  EXPECT_EQ(lv->received[0].msg, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(lv->received[1].msg, static_cast<UINT>(WM_LBUTTONUP));
  for (const Received& r : lv->received) {
    EXPECT_EQ(r.lParam, at);
    EXPECT_EQ(r.wParam, 0u);  // the release's key and button state
  }
  EXPECT_TRUE(Up()) << "the popup keeps the capture";

  MoveTo(5, 5);  // hidden
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  HoverAndRequest(2, L"C:\\pics\\third.gif");
  EXPECT_FALSE(IsWindowVisible(Popup())) << "placed hidden";
  EXPECT_EQ(GetCapture(), Popup());
  EXPECT_EQ(WindowRect(Popup()).top, cursor.y) << "but placed";
  MoveTo(5, 5);
  HoverAndRequest(1, L"C:\\pics\\second.png");
  EXPECT_TRUE(Up()) << "shown again once the skip is used";
}

// Press, drag over the popup outside the item, release there: every move
// posts a press and a move; the release a press and a release; no skip.
TEST_F(PopupTest, DragForwardsMovesAndReleaseOutsideTheItemDoesNotSkip) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  lv->received.clear();
  SendButton(MOUSEEVENTF_LEFTDOWN);
  Pump(30);
  MoveTo(cursor.x + 100, cursor.y + 100);
  MoveTo(cursor.x + 120, cursor.y + 110);
  SendButton(MOUSEEVENTF_LEFTUP);
  PumpUntil([&] { return !lv->received.empty() && lv->received.back().msg == WM_LBUTTONUP; });
  POINT end = {cursor.x + 120, cursor.y + 110};
  ScreenToClient(lv->list(), &end);
  auto& r = lv->received;
  ASSERT_GE(r.size(), 6u);
  ASSERT_EQ(r.size() % 2, 0u);
  for (size_t i = 0; i + 2 < r.size(); i += 2) {
    EXPECT_EQ(r[i].msg, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(r[i + 1].msg, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(r[i].lParam, r[i + 1].lParam);
    EXPECT_EQ(r[i].wParam, static_cast<WPARAM>(MK_LBUTTON));
  }
  EXPECT_EQ(r[r.size() - 2].msg, static_cast<UINT>(WM_LBUTTONDOWN));
  EXPECT_EQ(r.back().msg, static_cast<UINT>(WM_LBUTTONUP));
  EXPECT_EQ(r.back().lParam, MAKELPARAM(end.x, end.y));

  MoveTo(5, 5);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  HoverAndRequest(1, L"C:\\pics\\second.png");
  EXPECT_TRUE(Up()) << "no skip after a release outside the item";
}

TEST_F(PopupTest, DoubleClickForwardsDoubleClickThenPressAndRelease) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  lv->received.clear();
  for (int i = 0; i < 2; ++i) {
    SendButton(MOUSEEVENTF_LEFTDOWN);
    Pump(15);
    SendButton(MOUSEEVENTF_LEFTUP);
    Pump(15);
  }
  PumpUntil([&] { return lv->received.size() >= 5; }, 1000);
  std::vector<UINT> msgs;
  for (const Received& r : lv->received) msgs.push_back(r.msg);
  EXPECT_EQ(msgs, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

// A right press hides the popup and reaches the list view.
TEST_F(PopupTest, RightPressReleasesAndForwards) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  lv->received.clear();
  SendButton(MOUSEEVENTF_RIGHTDOWN);
  ASSERT_TRUE(PumpUntil([&] { return !lv->received.empty(); }));
  EXPECT_FALSE(IsWindowVisible(Popup()));
  EXPECT_EQ(GetCapture(), nullptr);
  POINT client = cursor;
  ScreenToClient(lv->list(), &client);
  EXPECT_EQ(lv->received[0].msg, static_cast<UINT>(WM_RBUTTONDOWN));
  EXPECT_EQ(lv->received[0].wParam, static_cast<WPARAM>(MK_RBUTTON));
  EXPECT_EQ(lv->received[0].lParam, MAKELPARAM(client.x, client.y));
}

// A release whose press happened elsewhere hides the popup, posting nothing.
TEST_F(PopupTest, ReleaseWithoutPressOnThePopupHides) {
  Open(LVS_REPORT);
  const POINT pt = lv->ItemPoint(0);
  MoveTo(pt.x, pt.y);
  SendButton(MOUSEEVENTF_LEFTDOWN);  // pressed on the list view
  Pump(30);
  ASSERT_EQ(RequestTip(lib, L"C:\\pics\\first.bmp"), S_OK);
  Pump(30);
  ASSERT_TRUE(Up());
  lv->received.clear();
  SendButton(MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  EXPECT_EQ(GetCapture(), nullptr);
  Pump(50);
  for (const Received& r : lv->received) EXPECT_NE(r.msg, static_cast<UINT>(WM_LBUTTONDOWN));
}

// An animated image: a 300 x 300 popup, the thumbnail freed after sizing,
// StopAnimation before the show, StartAnimation with the popup, the path and
// the record 1, 0, 16, 300, 300, the strip 300 wide; losing the capture stops
// the animation.
TEST_F(PopupTest, AnimatedImagePlaysInThePopup) {
  Open(LVS_REPORT);
  SetImage(StillImage(120, 96, 8, {100, 80, 8, 12}));
  HoverAndRequest(0, L"C:\\pics\\moving.gif");
  ASSERT_TRUE(Up());
  const RECT rc = WindowRect(Popup());
  EXPECT_EQ(rc.right - rc.left, 300);
  EXPECT_EQ(rc.bottom - rc.top, 300);
  auto all = Calls();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].kind, PXD_LOAD);
  EXPECT_EQ(all[1].kind, PXD_STOP);
  EXPECT_EQ(all[2].kind, PXD_START);
  EXPECT_FALSE(PxdBlockAlive(all[0].result)) << "thumbnail freed after sizing";
  const PxdCall& start = all[2];
  EXPECT_EQ(start.hwnd, reinterpret_cast<uintptr_t>(Popup()));
  EXPECT_EQ(start.hwndThread, GetCurrentThreadId());
  EXPECT_STREQ(start.path, "C:\\pics\\moving.gif");
  const uint8_t record[12] = {1, 0, 0, 0, 0, 0, 16, 0, 44, 1, 44, 1};
  EXPECT_EQ(memcmp(start.playback, record, 12), 0);
  const COLORREF desktop = GetSysColor(COLOR_BACKGROUND);
  EXPECT_EQ(PixelAt(0, 0), desktop);
  EXPECT_EQ(PixelAt(299, 15), desktop);

  MoveTo(5, 5);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  EXPECT_EQ(Calls(PXD_STOP).size(), 2u);

  // Unloading frees nothing more and stops once again.
  ASSERT_TRUE(FreeLibrary(lib.dll));
  EXPECT_EQ(Calls(PXD_STOP).size(), 3u);
}

// A request on a second thread abandons the first thread's popup, clears a
// pending skip, and shows a new popup that belongs to the second thread.
TEST_F(PopupTest, SecondThreadRecreatesThePopup) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  HWND first = Popup();
  SendButton(MOUSEEVENTF_LEFTDOWN);  // a click inside the item: skip pending
  Pump(20);
  SendButton(MOUSEEVENTF_LEFTUP);
  Pump(50);
  MoveTo(5, 5);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(first); }));

  const POINT pt = lv->ItemPoint(1);
  MoveTo(pt.x, pt.y);
  HWND second = nullptr;
  DWORD secondThread = 0;
  bool shown = false;
  RECT placed = {};
  std::atomic<bool> done(false);
  std::thread other([&] {
    CoInitialize(nullptr);
    RequestTip(lib, L"C:\\pics\\second.png");
    second = GetCapture();
    secondThread = GetCurrentThreadId();
    Pump(50);
    shown = second != nullptr && IsWindowVisible(second);
    placed = WindowRect(second);
    CoUninitialize();
    done = true;
  });
  // Keep this thread's messages moving while the other one works: it may
  // ask this thread to destroy the abandoned popup.
  while (!done) Pump(10);
  other.join();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_TRUE(shown) << "the skip was cleared";
  EXPECT_EQ(placed.left, pt.x);
  EXPECT_EQ(placed.top, pt.y);
  auto loads = Calls(PXD_LOAD);
  EXPECT_EQ(loads.back().callThread, secondThread);
}

// Mended: the popup never outlives the library's code. While it exists the
// library answers that it cannot unload; unloaded on the popup's thread
// anyway, it destroys the popup and unregisters the class first, so that a
// fresh load starts clean.
TEST_F(PopupTest, PopupKeepsTheLibraryAndGoesWithIt) {
  Open(LVS_REPORT);
  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  HWND popup = Popup();
  EXPECT_EQ(lib.canUnloadNow(), S_FALSE) << "no object lives, but the popup does";
  MoveTo(5, 5);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(popup); }));
  EXPECT_EQ(lib.canUnloadNow(), S_FALSE);
  DestroyWindow(popup);
  EXPECT_EQ(lib.canUnloadNow(), S_OK);

  HoverAndRequest(1, L"C:\\pics\\second.png");
  ASSERT_TRUE(Up());
  popup = Popup();
  const HINSTANCE old = lib.dll;
  ASSERT_TRUE(FreeLibrary(lib.dll));
  ASSERT_EQ(GetModuleHandleA("peektip.dll"), nullptr);
  EXPECT_FALSE(IsWindow(popup));
  WNDCLASSA wc;
  EXPECT_FALSE(GetClassInfoA(old, "ZoDibWndClass", &wc));
  Pump(50);

  ASSERT_TRUE(lib.Load());
  MoveTo(5, 5);
  HoverAndRequest(2, L"C:\\pics\\third.gif");
  EXPECT_TRUE(Up()) << "shown again after a reload";
}

}  // namespace
