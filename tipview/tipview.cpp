// tipview: a small shell-like host. It lists a folder's files in a
// SysListView32 and, when the mouse rests on an item, asks the item's
// registered info-tip handler for a tip exactly as a folder view does:
// HKCR\<ext>\ShellEx\{IQueryInfo} -> in-process COM object ->
// IPersistFile::Load -> IQueryInfo::GetInfoTip. Any text it returns is
// shown as an ordinary tooltip.
//
//   tipview.exe FOLDER [icon|report|list] [--layout FILE] [--log FILE]
//
// --layout writes each item's name and screen rectangle once the window is
// up; --log appends one line per tip request (file, HRESULT, milliseconds,
// text). Both serve the demo and the whole-road tests.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "folder.h"
#include "infotip.h"
#include "options.h"

namespace {

const char kWindowClass[] = "TipViewWindow";
const UINT_PTR kFreeLibrariesTimer = 1;

struct App {
  Options options;
  std::vector<std::string> files;
  HWND main = nullptr;
  HWND list = nullptr;
  HWND tooltip = nullptr;
  WNDPROC listProc = nullptr;
  int hoverItem = -1;  // the item whose tip was last asked for, until the mouse leaves it
};
App g_app;

void ShowTextTip(const std::wstring& text) {
  static std::wstring shown;  // the tooltip keeps a pointer to its text
  shown = text;
  TOOLINFOW ti = {};
  ti.cbSize = sizeof ti;
  ti.hwnd = g_app.main;
  ti.uId = 1;
  ti.lpszText = const_cast<wchar_t*>(shown.c_str());
  SendMessageW(g_app.tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  POINT pt;
  GetCursorPos(&pt);
  SendMessageW(g_app.tooltip, TTM_TRACKPOSITION, 0, MAKELPARAM(pt.x + 16, pt.y + 16));
  SendMessageW(g_app.tooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
}

void HideTextTip() {
  TOOLINFOW ti = {};
  ti.cbSize = sizeof ti;
  ti.hwnd = g_app.main;
  ti.uId = 1;
  SendMessageW(g_app.tooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
}

void AskForTip(int item) {
  const std::string path = JoinPath(g_app.options.folder, g_app.files[item]);
  const TipResult tip = RequestInfoTip(path);
  if (!g_app.options.logFile.empty()) AppendLog(g_app.options.logFile, g_app.files[item], tip);
  if (!tip.text.empty())
    ShowTextTip(tip.text);
  else
    HideTextTip();
}

void TrackHover(HWND hwnd) {
  TRACKMOUSEEVENT tme = {sizeof tme, TME_HOVER | TME_LEAVE, hwnd, HOVER_DEFAULT};
  TrackMouseEvent(&tme);
}

int ItemAt(HWND list, LPARAM lParam) {
  LVHITTESTINFO hit = {};
  hit.pt.x = static_cast<short>(LOWORD(lParam));
  hit.pt.y = static_cast<short>(HIWORD(lParam));
  return static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

// The list view's own messages, watched for the mouse resting on an item.
LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE: {
      const int item = ItemAt(hwnd, lParam);
      if (item != g_app.hoverItem) {
        if (g_app.hoverItem >= 0) HideTextTip();
        g_app.hoverItem = -1;
      }
      TrackHover(hwnd);
      break;
    }
    case WM_MOUSEHOVER: {
      const int item = ItemAt(hwnd, lParam);
      if (item >= 0 && item != g_app.hoverItem && item < static_cast<int>(g_app.files.size())) {
        g_app.hoverItem = item;
        AskForTip(item);
      }
      break;
    }
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
      // The mouse left the list view (or a tip's popup took the mouse): the
      // next rest on any item asks again.
      g_app.hoverItem = -1;
      break;
  }
  return CallWindowProcA(g_app.listProc, hwnd, msg, wParam, lParam);
}

HIMAGELIST MakeImageList(int size) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 1);
  ImageList_AddIcon(list, LoadIconA(nullptr, IDI_APPLICATION));
  return list;
}

void CreateList(HWND parent) {
  RECT rc;
  GetClientRect(parent, &rc);
  DWORD style = WS_CHILD | WS_VISIBLE | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE | LVS_SINGLESEL;
  style |= g_app.options.view == View::Report ? LVS_REPORT : g_app.options.view == View::List ? LVS_LIST : LVS_ICON;
  g_app.list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, 0, 0, rc.right, rc.bottom, parent,
                               reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr), nullptr);
  SendMessageA(g_app.list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(MakeImageList(32)));
  SendMessageA(g_app.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(MakeImageList(16)));
  if (g_app.options.view == View::Report) {
    LVCOLUMNA col = {};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = 260;
    col.pszText = const_cast<char*>("Name");
    SendMessageA(g_app.list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&col));
    col.cx = 100;
    col.pszText = const_cast<char*>("Size");
    SendMessageA(g_app.list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&col));
  }
  for (size_t i = 0; i < g_app.files.size(); ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(g_app.files[i].c_str());
    SendMessageA(g_app.list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (g_app.options.view == View::Report) {
      std::string size = FileSizeText(JoinPath(g_app.options.folder, g_app.files[i]));
      item.mask = LVIF_TEXT;
      item.iSubItem = 1;
      item.pszText = const_cast<char*>(size.c_str());
      SendMessageA(g_app.list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  g_app.listProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(g_app.list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListProc)));

  g_app.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                  0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  TOOLINFOW ti = {};
  ti.cbSize = sizeof ti;
  ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  ti.hwnd = parent;
  ti.uId = 1;
  ti.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(g_app.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  SendMessageW(g_app.tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
}

void WriteLayout() {
  std::vector<ItemRect> items;
  for (size_t i = 0; i < g_app.files.size(); ++i) {
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageA(g_app.list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rc));
    if (g_app.options.view != View::Icon) rc.right = rc.left + static_cast<LONG>(SendMessageA(g_app.list, LVM_GETCOLUMNWIDTH, 0, 0));
    MapWindowPoints(g_app.list, HWND_DESKTOP, reinterpret_cast<POINT*>(&rc), 2);
    items.push_back({g_app.files[i], rc.left, rc.top, rc.right, rc.bottom});
  }
  WriteLayoutFile(g_app.options.layoutFile, items);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      CreateList(hwnd);
      SetTimer(hwnd, kFreeLibrariesTimer, 5000, nullptr);
      return 0;
    case WM_SIZE:
      if (g_app.list) MoveWindow(g_app.list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_TIMER:
      // As the shell does now and then: let COM unload handlers nobody uses.
      if (wParam == kFreeLibrariesTimer) CoFreeUnusedLibraries();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  std::string error;
  if (!ParseOptions(__argc, __argv, &g_app.options, &error)) {
    MessageBoxA(nullptr, error.c_str(), "tipview", MB_OK);
    return 2;
  }
  g_app.files = ListFiles(g_app.options.folder);

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);

  WNDCLASSA wc = {};
  wc.lpfnWndProc = MainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassA(&wc);
  const std::string title = "tipview - " + g_app.options.folder;
  g_app.main = CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 640, 560, nullptr,
                               nullptr, instance, nullptr);
  if (!g_app.main) return 1;
  ShowWindow(g_app.main, show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(g_app.main);
  if (!g_app.options.layoutFile.empty()) WriteLayout();

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  CoUninitialize();
  return 0;
}
