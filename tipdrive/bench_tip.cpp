// bench_tip: the latency of one tip as the shell sees it — from the call of
// GetInfoTip to its return, by which time the popup has been placed — for
// each file named, with the pointer resting on a list-view item. The files'
// handler is found in the registry, as the folder view finds it.
//
//   bench_tip.exe RUNS FILE...
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "infotip.h"

namespace {

void Pump(DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() - start < ms);
}

HWND VisiblePopup() {
  HWND h = FindWindowA("ZoDibWndClass", nullptr);
  return h && IsWindowVisible(h) ? h : nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: bench_tip RUNS FILE...\n");
    return 2;
  }
  const int runs = atoi(argv[1]);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX icc = {};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_LISTVIEW_CLASSES;
  InitCommonControlsEx(&icc);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "bench", WS_POPUP | WS_VISIBLE | LVS_REPORT, 100, 100, 400, 300,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  LVCOLUMNA col = {};
  col.mask = LVCF_WIDTH | LVCF_TEXT;
  col.cx = 300;
  col.pszText = const_cast<char*>("Name");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.pszText = const_cast<char*>("the file");
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  Pump(300);
  RECT rc = {};
  rc.left = LVIR_BOUNDS;
  SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc));
  POINT on = {rc.left + 10, (rc.top + rc.bottom) / 2};
  ClientToScreen(list, &on);

  int status = 0;
  for (int f = 2; f < argc; ++f) {
    std::vector<double> ms;
    bool shown = true;
    for (int r = 0; r < runs; ++r) {
      SetCursorPos(600, 600);
      Pump(100);
      SetCursorPos(on.x, on.y);
      Pump(50);
      const TipResult tip = RequestInfoTip(argv[f]);
      ms.push_back(tip.milliseconds);
      shown = shown && VisiblePopup() != nullptr;
      SetCursorPos(600, 600);
      Pump(150);
    }
    std::sort(ms.begin(), ms.end());
    printf("tip %-48s runs %d  min %7.1f ms  median %7.1f ms  max %7.1f ms  popup %s\n",
           strrchr(argv[f], '\\') ? strrchr(argv[f], '\\') + 1 : argv[f], runs, ms.front(), ms[ms.size() / 2],
           ms.back(), shown ? "placed" : "NOT SHOWN");
    if (!shown) status = 1;
  }
  DestroyWindow(list);
  CoUninitialize();
  return status;
}
