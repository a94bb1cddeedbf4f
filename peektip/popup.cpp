#include "popup.h"

#include <commctrl.h>

#include "pixload.h"
#include "server.h"
#include "tiplogic.h"
#include "tipstate.h"

using peektip::kCaptionHeight;
using peektip::kThumbBox;

namespace {

const char kPopupClass[] = "ZoDibWndClass";

void RegisterPopupClass() {
  WNDCLASSA wc = {};
  wc.style = CS_DBLCLKS;  // a quick second press arrives as WM_LBUTTONDBLCLK
  wc.lpfnWndProc = DibWndProc;
  wc.hInstance = g_hDllInstance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kPopupClass;  // no background brush: nothing is erased
  RegisterClassA(&wc);
}

// The bounds of the monitor under pt; the primary screen if there is none.
RECT MonitorBoundsAt(POINT pt) {
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  HMONITOR monitor = MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
  if (monitor != nullptr && GetMonitorInfoA(monitor, &mi)) return mi.rcMonitor;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Posts msg (and then second, if any) to the list view at the cursor's
// position mapped into its client area.
void ForwardToListView(POINT screen, WPARAM wParam, UINT msg, UINT second) {
  HWND listView = g_tipState.hwndListView;
  POINT pt = screen;
  MapWindowPoints(HWND_DESKTOP, listView, &pt, 1);
  const LPARAM lParam = peektip::PackPoint(pt);
  PostMessageA(listView, msg, wParam, lParam);
  if (second != 0) PostMessageA(listView, second, wParam, lParam);
}

void PaintPopup(HWND hwnd) {
  TipState& s = g_tipState;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  char text[peektip::kCaptionBufferSize] = "";
  RECT strip = {0, 0, kThumbBox, kCaptionHeight};
  int length;
  if (s.fAnimated) {
    length = peektip::FormatCaption(text, s.dibInfo, true);
  } else {
    const BYTE* block = s.hThumbDib != 0 ? static_cast<const BYTE*>(ZoMemLock(s.hThumbDib)) : nullptr;
    if (block != nullptr) {
      const DibHeader* header = reinterpret_cast<const DibHeader*>(block);
      const BYTE* rows = block + DIB_HEADER_SIZE + 4 * static_cast<size_t>(header->biClrUsed);
      SetDIBitsToDevice(dc, 0, kCaptionHeight, header->biWidth, header->biHeight, 0, 0, 0, header->biHeight,
                        rows, reinterpret_cast<const BITMAPINFO*>(block), DIB_RGB_COLORS);
      strip.right = header->biWidth;
      ZoMemUnlock(s.hThumbDib);
    } else {
      // The thumbnail cannot be locked: the caption strip alone, as wide as
      // the popup.
      RECT client;
      GetClientRect(hwnd, &client);
      strip.right = client.right;
    }
    length = peektip::FormatCaption(text, s.dibInfo, false);
  }
  FillRect(dc, &strip, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BACKGROUND + 1)));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, RGB(255, 255, 255));
  DrawTextA(dc, text, length, &strip, DT_CENTER | DT_VCENTER);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  EndPaint(hwnd, &ps);
}

}  // namespace

void ShowDibWnd() {
  TipState& s = g_tipState;
  if (s.hThumbDib == 0) return;

  SIZE size;
  if (s.fAnimated) {
    // The image library plays the file from its path; the thumbnail has
    // served its purpose.
    size = peektip::PopupSize(true, DibHeader{});
    ZoMemFree(s.hThumbDib);
    s.hThumbDib = 0;
  } else {
    const DibHeader* header = static_cast<const DibHeader*>(ZoMemLock(s.hThumbDib));
    if (header == nullptr) return;
    size = peektip::PopupSize(false, *header);
    ZoMemUnlock(s.hThumbDib);
  }

  if (!s.fClassRegistered) {
    RegisterPopupClass();
    s.fClassRegistered = 1;  // tried once only
  }
  // A popup of another thread cannot be placed or captured from here.
  if (s.hwndPopup != nullptr && GetWindowThreadProcessId(s.hwndPopup, nullptr) != GetCurrentThreadId()) {
    s.fSkipShow = 0;
    DestroyWindow(s.hwndPopup);
    s.hwndPopup = nullptr;
  }
  if (s.hwndPopup == nullptr) {
    s.hwndPopup = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, nullptr, WS_CHILD | WS_VISIBLE,
                                  0, 0, 0, 0, GetDesktopWindow(), nullptr, g_hDllInstance, nullptr);
    if (s.hwndPopup == nullptr) return;
  }

  POINT pt;
  GetCursorPos(&pt);
  HWND listView = WindowFromPoint(pt);
  char className[260];
  if (listView == nullptr || GetClassNameA(listView, className, sizeof className) <= 0) return;
  if (lstrcmpiA(className, WC_LISTVIEWA) != 0) return;

  LVHITTESTINFO hit = {};
  hit.pt = pt;
  MapWindowPoints(HWND_DESKTOP, listView, &hit.pt, 1);
  hit.flags = LVHT_ONITEMICON | LVHT_ONITEMLABEL;
  hit.iItem = -1;
  SendMessageA(listView, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  if (hit.iItem == -1) return;

  RECT bounds = {};
  bounds.left = LVIR_BOUNDS;
  SendMessageA(listView, LVM_GETITEMRECT, static_cast<WPARAM>(hit.iItem), reinterpret_cast<LPARAM>(&bounds));
  const LONG style = GetWindowLongA(listView, GWL_STYLE);
  const int column0 = (style & 1) ? static_cast<int>(SendMessageA(listView, LVM_GETCOLUMNWIDTH, 0, 0)) : 0;
  RECT item = peektip::TrackedItemRect(bounds, style, column0);
  if (IsRectEmpty(&item)) return;
  MapWindowPoints(listView, HWND_DESKTOP, reinterpret_cast<POINT*>(&item), 2);

  const POINT at = peektip::PlacePopup(pt, size, MonitorBoundsAt(pt));
  s.hwndListView = listView;
  s.rcItem = item;
  s.rcPopup = RECT{at.x, at.y, at.x + size.cx, at.y + size.cy};
  SetWindowPos(s.hwndPopup, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE);
  if (s.fSkipShow)
    s.fSkipShow = 0;
  else
    ShowWindow(s.hwndPopup, SW_SHOW);
  if (s.fAnimated) {
    PlaybackRequest playback = {1, 0, static_cast<uint16_t>(kCaptionHeight), static_cast<uint16_t>(kThumbBox),
                                static_cast<uint16_t>(kThumbBox)};
    StartAnimation(s.hwndPopup, s.szCurFile, &playback);
  } else {
    InvalidateRect(s.hwndPopup, nullptr, FALSE);
  }
  SetCapture(s.hwndPopup);
}

LRESULT CALLBACK DibWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TipState& s = g_tipState;
  POINT pt;
  switch (msg) {
    case WM_NCCREATE: {
      const LRESULT created = DefWindowProcA(hwnd, msg, wParam, lParam);
      if (created) ServerWindowCreated();  // its WM_NCDESTROY will follow
      return created;
    }
    case WM_NCDESTROY:
      ServerWindowDestroyed();
      return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_DESTROY:
      s.hwndPopup = nullptr;
      return 0;
    case WM_PAINT:
      PaintPopup(hwnd);
      return 0;
    case WM_MOUSEMOVE:
      GetCursorPos(&pt);
      if (s.fButtonDown)
        ForwardToListView(pt, wParam, WM_LBUTTONDOWN, WM_MOUSEMOVE);
      else if (!peektip::CursorKeepsPopup(pt, s.rcItem, s.rcPopup))
        ReleaseCapture();
      return 0;
    case WM_LBUTTONDOWN:
      s.fButtonDown = 1;
      return 0;
    case WM_LBUTTONUP:
      if (s.fButtonDown) {
        s.fButtonDown = 0;
        GetCursorPos(&pt);
        if (peektip::PointInRect(s.rcItem, pt)) s.fSkipShow = 1;
        ForwardToListView(pt, wParam, WM_LBUTTONDOWN, WM_LBUTTONUP);
      } else {
        ReleaseCapture();
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      s.fButtonDown = 1;
      GetCursorPos(&pt);
      ForwardToListView(pt, wParam, WM_LBUTTONDBLCLK, 0);
      return 0;
    case WM_RBUTTONDOWN:
      GetCursorPos(&pt);
      ReleaseCapture();
      ForwardToListView(pt, wParam, WM_RBUTTONDOWN, 0);
      return 0;
    case WM_CAPTURECHANGED:
      if (s.fAnimated) StopAnimation();
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void RetirePopupsForUnload() {
  // Collect first: destroying a window while walking the list loses the walk.
  HWND popups[64];
  int count = 0;
  for (HWND w = FindWindowExA(nullptr, nullptr, kPopupClass, nullptr); w != nullptr && count < 64;
       w = FindWindowExA(nullptr, w, kPopupClass, nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId() &&
        reinterpret_cast<HINSTANCE>(GetClassLongPtrA(w, GCLP_HMODULE)) == g_hDllInstance)
      popups[count++] = w;
  }
  for (int i = 0; i < count; ++i) {
    if (GetWindowThreadProcessId(popups[i], nullptr) == GetCurrentThreadId()) {
      DestroyWindow(popups[i]);
    } else {
      // Another thread's window cannot be destroyed from here: take it off
      // this code and let its own thread close it.
      SetWindowLongPtrA(popups[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
      PostMessageA(popups[i], WM_CLOSE, 0, 0);
    }
  }
  if (g_tipState.fClassRegistered) {
    UnregisterClassA(kPopupClass, g_hDllInstance);
    g_tipState.fClassRegistered = 0;
  }
  g_tipState.hwndPopup = nullptr;
}
