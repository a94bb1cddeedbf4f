// What the tests of the thumbnail tip share: loading the library beside the
// image-library double, tip objects, message pumping, real input, and a list
// view to hover over.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

#include "peektip_clsid.h"
#include "pixload_double.h"

namespace pt {

const IID kIID_IQueryInfo = {0x00021500, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

typedef HRESULT(STDAPICALLTYPE* GetClassObjectFn)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* PlainFn)(void);

// peektip.dll loaded from the test folder, beside the double.
struct Library {
  HMODULE dll = nullptr;
  GetClassObjectFn getClassObject = nullptr;
  PlainFn canUnloadNow = nullptr;
  PlainFn registerServer = nullptr;
  PlainFn unregisterServer = nullptr;

  template <class Fn>
  Fn Proc(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
  }

  bool Load() {
    dll = LoadLibraryA("peektip.dll");
    if (dll == nullptr) return false;
    getClassObject = Proc<GetClassObjectFn>("DllGetClassObject");
    canUnloadNow = Proc<PlainFn>("DllCanUnloadNow");
    registerServer = Proc<PlainFn>("DllRegisterServer");
    unregisterServer = Proc<PlainFn>("DllUnregisterServer");
    return getClassObject && canUnloadNow && registerServer && unregisterServer;
  }

  // A new tip object through the factory, handed out as IPersistFile.
  IPersistFile* NewTip() const {
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(CLSID_ThumbnailTip, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
      return nullptr;
    IPersistFile* tip = nullptr;
    factory->CreateInstance(nullptr, IID_IPersistFile, reinterpret_cast<void**>(&tip));
    factory->Release();
    return tip;
  }
};

inline std::wstring Widen(const char* s) { return std::wstring(s, s + strlen(s)); }

// Load(path) then GetInfoTip on one new tip object, as the shell does.
inline HRESULT RequestTip(const Library& lib, const wchar_t* path, LPWSTR* tipOut = nullptr) {
  IPersistFile* file = lib.NewTip();
  if (file == nullptr) return E_FAIL;
  file->Load(path, STGM_READ);
  IQueryInfo* info = nullptr;
  file->QueryInterface(kIID_IQueryInfo, reinterpret_cast<void**>(&info));
  LPWSTR tip = reinterpret_cast<LPWSTR>(1);
  const HRESULT hr = info->GetInfoTip(0, &tip);
  if (tipOut != nullptr) *tipOut = tip;
  info->Release();
  file->Release();
  return hr;
}

// The double's record of calls.
inline std::vector<PxdCall> Calls(int kind = 0) {
  std::vector<PxdCall> out;
  for (int i = 0, n = PxdCallCount(); i < n; ++i) {
    PxdCall c;
    if (PxdGetCall(i, &c) && (kind == 0 || c.kind == kind)) out.push_back(c);
  }
  return out;
}

inline PxdImage StillImage(int w, int h, uint16_t bits, DibImageInfo info) {
  PxdImage im = {};
  im.width = w;
  im.height = h;
  im.bitCount = bits;
  im.clrUsed = bits == 8 ? 4 : 0;
  im.info = info;
  return im;
}

inline void Pump(DWORD ms = 50) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// Pumps until done() holds or ms pass; returns done().
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms = 2000) {
  const DWORD end = GetTickCount() + ms;
  while (!done() && static_cast<LONG>(end - GetTickCount()) > 0) Pump(10);
  return done();
}

inline void SendKey(WORD vk, bool down) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

inline void SendButton(DWORD flags) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

// Moves the real pointer and lets the move arrive.
inline void MoveTo(int x, int y) {
  SetCursorPos(x, y);
  Pump(60);
}

// A message the list view received.
struct Received {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// A top-level window at a fixed place with a SysListView32 filling it, in the
// view the test asks for, with an image list so that icon view hit tests
// find items. It is activated, as a folder window is when the user hovers
// over it: a capture taken by a thread in the background sees the mouse only
// over that thread's windows. Mouse messages that reach the list view are recorded and kept
// from it, so that it starts no drag loop of its own.
class ListViewWindow {
 public:
  explicit ListViewWindow(DWORD view, int x = 100, int y = 100, int w = 500, int h = 400) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "PtHost";
    RegisterClassA(&wc);
    frame_ = CreateWindowExA(WS_EX_TOPMOST, "PtHost", "host", WS_POPUP, x, y, w, h, nullptr, nullptr,
                             wc.hInstance, nullptr);
    list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | view, 0, 0, w, h, frame_, nullptr,
                            wc.hInstance, nullptr);
    images_ = ImageList_Create(32, 32, ILC_COLOR24, 4, 4);
    HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
    ImageList_AddIcon(images_, icon);
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    LVCOLUMNA col = {};
    col.mask = LVCF_WIDTH | LVCF_TEXT;
    col.cx = 150;
    col.pszText = const_cast<char*>("Name");
    SendMessageA(list_, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    col.cx = 120;
    col.pszText = const_cast<char*>("Size");
    SendMessageA(list_, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
    const char* names[] = {"first.bmp", "second.png", "third.gif"};
    for (int i = 0; i < 3; ++i) {
      LVITEMA item = {};
      item.mask = LVIF_TEXT | LVIF_IMAGE;
      item.iItem = i;
      item.pszText = const_cast<char*>(names[i]);
      item.iImage = 0;
      SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    self_ = this;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListViewWindow::Record)));
    ShowWindow(frame_, SW_SHOW);
    SetForegroundWindow(frame_);
    Pump(100);
  }
  // The window is left to the end of the test's process: under Wine without
  // a window manager, taking an activated window down waits two seconds.
  ~ListViewWindow() { self_ = nullptr; }

  // Switches the view (LVS_REPORT, LVS_LIST, LVS_ICON, LVS_SMALLICON).
  void SetView(DWORD view) {
    const LONG style = GetWindowLongA(list_, GWL_STYLE);
    SetWindowLongA(list_, GWL_STYLE, (style & ~LVS_TYPEMASK) | view);
    SendMessageA(list_, LVM_ARRANGE, LVA_DEFAULT, 0);
    InvalidateRect(list_, nullptr, TRUE);
    Pump(50);
  }

  HWND list() const { return list_; }

  // Screen rectangle of item i as the popup tracks it: LVIR_BOUNDS, cut at
  // column 0 in report and list views.
  RECT ItemRect(int i) const {
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageA(list_, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
    if (GetWindowLongA(list_, GWL_STYLE) & 1)
      rc.right = rc.left + static_cast<int>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0));
    MapWindowPoints(list_, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  }
  // A screen point well inside item i's label or icon.
  POINT ItemPoint(int i) const {
    RECT rc = {};
    rc.left = LVIR_LABEL;
    SendMessageA(list_, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
    POINT pt = {rc.left + 6, (rc.top + rc.bottom) / 2};
    if (pt.x >= rc.right) pt.x = (rc.left + rc.right) / 2;
    ClientToScreen(list_, &pt);
    return pt;
  }

  std::vector<Received> received;  // mouse button and move messages, in order

 private:
  static LRESULT CALLBACK Record(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ListViewWindow* self = self_;
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) {
      self->received.push_back(Received{msg, wp, lp});
      return 0;
    }
    return CallWindowProcA(self->original_, hwnd, msg, wp, lp);
  }

  static ListViewWindow* self_;
  HWND frame_ = nullptr;
  HWND list_ = nullptr;
  HIMAGELIST images_ = nullptr;
  WNDPROC original_ = nullptr;
};

inline ListViewWindow* ListViewWindow::self_ = nullptr;

// The popup of this process, if one exists.
inline HWND FindPopup() {
  for (HWND w = FindWindowExA(nullptr, nullptr, "ZoDibWndClass", nullptr); w != nullptr;
       w = FindWindowExA(nullptr, w, "ZoDibWndClass", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == GetCurrentProcessId()) return w;
  }
  return nullptr;
}

inline RECT WindowRect(HWND w) {
  RECT rc = {};
  GetWindowRect(w, &rc);
  return rc;
}

}  // namespace pt
