// What stops a tip request before it loads anything: held keys, a held
// capture, the button-down rule.
#include "popup_fixture.h"

using namespace pt;

namespace {

class Request : public OverListView {};

// Shift or Control held (real key state, injected): no load, no popup.
TEST_F(Request, ShiftOrControlSuppressesTheThumbnail) {
  Open(LVS_REPORT);
  for (WORD vk : {VK_SHIFT, VK_CONTROL}) {
    SCOPED_TRACE(vk);
    const POINT pt = lv->ItemPoint(0);
    MoveTo(pt.x, pt.y);
    SendKey(vk, true);
    ASSERT_TRUE(PumpUntil([&] { return GetKeyState(vk) < 0; })) << "the key state arrived";
    const size_t before = Calls(PXD_LOAD).size();
    LPWSTR tip = reinterpret_cast<LPWSTR>(1);
    ASSERT_EQ(RequestTip(lib, L"C:\\pics\\first.bmp", &tip), S_OK);
    EXPECT_EQ(tip, nullptr);
    EXPECT_EQ(Calls(PXD_LOAD).size(), before);
    EXPECT_EQ(Popup(), nullptr);
    SendKey(vk, false);
    ASSERT_TRUE(PumpUntil([&] { return GetKeyState(vk) >= 0; }));
  }
  HoverAndRequest(0);
  EXPECT_EQ(Calls(PXD_LOAD).size(), 1u);
  EXPECT_TRUE(Up());
}

// A capture held by any window of the thread ends the request; while the
// popup holds it, even another file changes nothing.
TEST_F(Request, HeldCaptureEndsTheRequest) {
  Open(LVS_REPORT);
  SetCapture(lv->list());
  const POINT pt = lv->ItemPoint(0);
  MoveTo(pt.x, pt.y);
  RequestTip(lib, L"C:\\pics\\first.bmp");
  EXPECT_TRUE(Calls(PXD_LOAD).empty());
  ReleaseCapture();

  HoverAndRequest(0);
  ASSERT_TRUE(Up());
  const RECT placed = WindowRect(Popup());
  const POINT other = lv->ItemPoint(0);
  MoveTo(other.x + 3, other.y);  // still over the item: the popup stays
  RequestTip(lib, L"C:\\pics\\third.gif");
  EXPECT_EQ(Calls(PXD_LOAD).size(), 1u);
  const RECT now = WindowRect(Popup());
  EXPECT_TRUE(EqualRect(&placed, &now));
  EXPECT_TRUE(Up());
}

// The left button went down on the popup and the popup lost the capture
// before it came up: requests for the same file, in any letter case, do
// nothing; another file clears the flag and loads.
TEST_F(Request, ButtonDownOnThePopupHoldsTheSameFile) {
  Open(LVS_REPORT);
  HoverAndRequest(0, L"C:\\Pics\\First.BMP");
  ASSERT_TRUE(Up());
  SendButton(MOUSEEVENTF_LEFTDOWN);
  Pump(40);
  SetCapture(lv->list());  // another window takes the capture: the popup hides
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  SendButton(MOUSEEVENTF_LEFTUP);  // comes up at the list view, not the popup
  Pump(40);
  ReleaseCapture();
  Pump(20);

  RequestTip(lib, L"c:\\pics\\first.bmp");
  RequestTip(lib, L"C:\\PICS\\FIRST.bmp");  // the flag stayed set
  EXPECT_EQ(Calls(PXD_LOAD).size(), 1u);
  EXPECT_FALSE(IsWindowVisible(Popup()));

  HoverAndRequest(1, L"C:\\Pics\\second.png");
  EXPECT_EQ(Calls(PXD_LOAD).size(), 2u);
  EXPECT_TRUE(Up());
  MoveTo(5, 5);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(Popup()); }));
  HoverAndRequest(0, L"C:\\Pics\\second.png");  // the flag is clear: the same file loads again
  EXPECT_EQ(Calls(PXD_LOAD).size(), 3u);
}

}  // namespace
