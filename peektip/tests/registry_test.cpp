// Registration read back from the registry, registration the way an
// installer does it (regsvr32), creation from the registry the way the
// shell does it, and unloading through COM while the popup exists. Only the
// class key and the keys of the sixteen extensions are touched.
#include "popup_fixture.h"

#include <map>
#include <string>

using namespace pt;

namespace {

const char kClassKey[] = "CLSID\\" CLSID_THUMBNAILTIP_TEXT;
const char kHandler[] = "ShellEx\\{00021500-0000-0000-C000-000000000046}";
const char* const kExts[] = {".bmp", ".emf", ".gif", ".jpg", ".jpeg", ".jpe", ".pcd", ".pcx",
                             ".png", ".psd", ".sgi", ".tga", ".tif", ".tiff", ".wmf", ".fpx"};

bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A REG_SZ value, or "<none>".
std::string Value(const std::string& path, const char* name = nullptr) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<none>";
  char data[1100];
  DWORD size = sizeof data, type = 0;
  const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return "<none>";
  if (type != REG_SZ) return "<not REG_SZ>";
  return std::string(data, size > 0 && data[size - 1] == 0 ? size - 1 : size);
}

std::vector<std::string> Subkeys(const std::string& path) {
  std::vector<std::string> names;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(name);
  }
  RegCloseKey(key);
  return names;
}

void SetValue(const std::string& path, const char* data) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), lstrlenA(data) + 1);
  RegCloseKey(key);
}

// Everything registration writes, as path -> data.
std::map<std::string, std::string> Snapshot() {
  std::map<std::string, std::string> s;
  s[kClassKey] = Value(kClassKey);
  s["InprocServer32"] = Value(std::string(kClassKey) + "\\InprocServer32");
  s["ThreadingModel"] = Value(std::string(kClassKey) + "\\InprocServer32", "ThreadingModel");
  for (const char* e : kExts) s[e] = Value(std::string(e) + "\\" + kHandler);
  return s;
}

std::string ModulePath(HMODULE m) {
  char path[1024];
  GetModuleFileNameA(m, path, sizeof path);
  return path;
}

std::string TestFolderDll() {
  std::string exe = ModulePath(nullptr);
  return exe.substr(0, exe.find_last_of('\\') + 1) + "peektip.dll";
}

DWORD RunRegsvr32(const std::string& args) {
  std::string cmd = "regsvr32.exe " + args;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return ~0u;
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = ~0u;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

class Registry : public OverListView {
 protected:
  void SetUp() override {
    OverListView::SetUp();
    Clean();
  }
  void TearDown() override {
    Clean();
    OverListView::TearDown();
  }
  // Removes what registration writes, as an unregistration would.
  static void Clean() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, kClassKey);
    for (const char* e : kExts) RegDeleteTreeA(HKEY_CLASSES_ROOT, (std::string(e) + "\\" + kHandler).c_str());
  }
};

TEST_F(Registry, WritesTheNineteenValuesInExactCase) {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".sgi");  // an extension without a key of its own
  ASSERT_EQ(lib.registerServer(), S_OK);
  auto s = Snapshot();
  EXPECT_EQ(s[kClassKey], "ZoTest");
  EXPECT_EQ(s["InprocServer32"], ModulePath(lib.dll));
  EXPECT_EQ(s["ThreadingModel"], "Apartment");
  for (const char* e : kExts) EXPECT_EQ(s[e], CLSID_THUMBNAILTIP_TEXT) << e;
  EXPECT_EQ(Subkeys(kClassKey), std::vector<std::string>{"InprocServer32"});
  EXPECT_EQ(Subkeys(".sgi"), std::vector<std::string>{"ShellEx"});
  EXPECT_EQ(Subkeys(".sgi\\ShellEx"), std::vector<std::string>{"{00021500-0000-0000-C000-000000000046}"});
  bool found = false;
  for (const std::string& k : Subkeys("CLSID")) found |= k == CLSID_THUMBNAILTIP_TEXT;
  EXPECT_TRUE(found) << "the class key's name is the handlers' data, in upper case";
}

TEST_F(Registry, RegisteringAgainChangesNothingAndTakesOverOtherHandlers) {
  SetValue(std::string(".gif\\") + kHandler, "{00000000-1111-2222-3333-444444444444}");
  ASSERT_EQ(lib.registerServer(), S_OK);
  const auto once = Snapshot();
  EXPECT_EQ(once.at(".gif"), CLSID_THUMBNAILTIP_TEXT);
  ASSERT_EQ(lib.registerServer(), S_OK);
  EXPECT_EQ(Snapshot(), once);
}

TEST_F(Registry, UnregistrationRemovesClassTreeAndHandlersButKeepsExtensionKeys) {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, ".sgi");
  ASSERT_EQ(lib.registerServer(), S_OK);
  SetValue(std::string(kClassKey) + "\\InprocServer32\\Extra\\Deeper", "x");
  SetValue(std::string(kClassKey) + "\\Other", "y");
  SetValue(std::string(".tga\\") + kHandler + "\\Below", "z");
  EXPECT_EQ(lib.unregisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(kClassKey));
  for (const char* e : kExts) {
    EXPECT_FALSE(KeyExists(std::string(e) + "\\" + kHandler)) << e;
    EXPECT_TRUE(KeyExists(std::string(e) + "\\ShellEx")) << e;
  }
  EXPECT_TRUE(KeyExists(".sgi")) << "kept, although registration made it";
  // Nothing registered: nothing changes, still S_OK.
  EXPECT_EQ(lib.unregisterServer(), S_OK);
  EXPECT_TRUE(KeyExists(".sgi\\ShellEx"));
}

// The shell hears of new associations after registration, not after
// unregistration.
TEST_F(Registry, RegistrationNotifiesTheShell) {
  static int notified = 0;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_APP + 7) ++notified;
    return DefWindowProcA(h, m, w, l);
  };
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "PtNotify";
  RegisterClassA(&wc);
  HWND sink = CreateWindowA("PtNotify", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  SHChangeNotifyEntry entry = {nullptr, TRUE};
  const ULONG id = SHChangeNotifyRegister(sink, SHCNRF_ShellLevel | SHCNRF_InterruptLevel, SHCNE_ASSOCCHANGED,
                                          WM_APP + 7, 1, &entry);
  ASSERT_NE(id, 0u);
  ASSERT_EQ(lib.registerServer(), S_OK);
  EXPECT_TRUE(PumpUntil([&] { return notified == 1; }, 3000));
  notified = 0;
  ASSERT_EQ(lib.unregisterServer(), S_OK);
  Pump(300);
  EXPECT_EQ(notified, 0);
  SHChangeNotifyDeregister(id);
  DestroyWindow(sink);
}

// regsvr32 /s, then CoCreateInstance from the registry as the shell does,
// then regsvr32 /u /s.
TEST_F(Registry, RegsvrThenCreateFromTheRegistry) {
  FreeLibrary(lib.dll);  // this test lets COM load the library
  const std::string dll = TestFolderDll();
  ASSERT_EQ(RunRegsvr32("/s \"" + dll + "\""), 0u);
  EXPECT_EQ(Value(std::string(kClassKey) + "\\InprocServer32"), dll);
  EXPECT_EQ(Value(std::string(".jpg\\") + kHandler), CLSID_THUMBNAILTIP_TEXT);

  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  IQueryInfo* info = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_ThumbnailTip, nullptr, CLSCTX_INPROC_SERVER, kIID_IQueryInfo,
                             reinterpret_cast<void**>(&info)),
            S_OK);
  IPersistFile* file = nullptr;
  ASSERT_EQ(info->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
  EXPECT_EQ(file->Load(L"C:\\from\\registry.png", STGM_READ), S_OK);
  LPWSTR tip = reinterpret_cast<LPWSTR>(1);
  EXPECT_EQ(info->GetInfoTip(0, &tip), S_OK);
  EXPECT_EQ(tip, nullptr);
  ASSERT_EQ(Calls(PXD_LOAD).size(), 1u);
  EXPECT_STREQ(Calls(PXD_LOAD)[0].path, "C:\\from\\registry.png");
  file->Release();
  info->Release();
  CoUninitialize();

  ASSERT_EQ(RunRegsvr32("/u /s \"" + dll + "\""), 0u);
  EXPECT_FALSE(KeyExists(kClassKey));
  EXPECT_FALSE(KeyExists(std::string(".jpg\\") + kHandler));
}

// Mended: COM does not unload the library while its popup exists, and does
// once the popup is gone.
TEST_F(Registry, CoFreeUnusedLibrariesKeepsTheLibraryWhileThePopupExists) {
  ASSERT_EQ(lib.registerServer(), S_OK);
  FreeLibrary(lib.dll);
  ASSERT_EQ(GetModuleHandleA("peektip.dll"), nullptr);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  Open(LVS_REPORT);
  const POINT pt = lv->ItemPoint(0);
  MoveTo(pt.x, pt.y);
  IPersistFile* file = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_ThumbnailTip, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile,
                             reinterpret_cast<void**>(&file)),
            S_OK);
  file->Load(L"C:\\pics\\first.bmp", 0);
  IQueryInfo* info = nullptr;
  file->QueryInterface(kIID_IQueryInfo, reinterpret_cast<void**>(&info));
  LPWSTR tip = nullptr;
  info->GetInfoTip(0, &tip);
  info->Release();
  file->Release();
  Pump(50);
  ASSERT_TRUE(Up());
  HWND popup = Popup();

  CoFreeUnusedLibraries();
  EXPECT_NE(GetModuleHandleA("peektip.dll"), nullptr) << "kept while the popup is up";
  MoveTo(5, 5);
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(popup); }));
  CoFreeUnusedLibraries();
  EXPECT_NE(GetModuleHandleA("peektip.dll"), nullptr) << "kept while the hidden popup exists";
  Pump(50);  // the popup's procedure still answers
  EXPECT_TRUE(IsWindow(popup));

  DestroyWindow(popup);
  CoFreeUnusedLibraries();
  EXPECT_EQ(GetModuleHandleA("peektip.dll"), nullptr) << "unloaded once the popup is gone";
  CoUninitialize();
  ASSERT_TRUE(lib.Load());
}

}  // namespace
