// DllRegisterServer / DllUnregisterServer: the class key with its in-process
// server and the info-tip handler entries of the image extensions, all under
// HKEY_CLASSES_ROOT.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>

#include "peektip_clsid.h"
#include "server.h"
#include "tiplogic.h"

namespace {

const int kModulePathSize = 1024;
const int kKeyPathSize = 1024;
const int kClsidTextSize = 39;  // 38 characters and the terminator
const DWORD kSubkeyNameSize = 256;

// The class id text in ANSI characters; empty and the failure returned when
// COM cannot give it or it does not convert.
HRESULT ClsidToAnsi(REFCLSID clsid, char* buffer, int size) {
  buffer[0] = 0;
  LPOLESTR wide = nullptr;
  HRESULT hr = StringFromCLSID(clsid, &wide);
  if (FAILED(hr)) return hr;
  if (wide == nullptr) return E_OUTOFMEMORY;
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, size, nullptr, nullptr) <= 0) {
    buffer[0] = 0;
    hr = HRESULT_FROM_WIN32(GetLastError());
    if (SUCCEEDED(hr)) hr = E_FAIL;
  }
  CoTaskMemFree(wide);
  return hr;
}

// Creates or opens HKCR\keyPath[\subkey] and, when a value is given, writes
// it as REG_SZ. FALSE when the key cannot be created or opened.
BOOL SetClassesRootValue(const char* keyPath, const char* subkey, const char* valueName, const char* value) {
  char path[kKeyPathSize];
  const int n = subkey != nullptr ? snprintf(path, sizeof path, "%s\\%s", keyPath, subkey)
                                  : snprintf(path, sizeof path, "%s", keyPath);
  if (n < 0 || n >= kKeyPathSize) return FALSE;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return FALSE;
  if (value != nullptr)
    RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(lstrlenA(value) + 1));
  RegCloseKey(key);
  return TRUE;
}

// Deletes subkey of parent with everything under it, depth first. Returns
// the first error; what could not be deleted stays.
LONG DeleteKeyTree(HKEY parent, const char* subkey) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, &key);
  if (rc != ERROR_SUCCESS) return rc;
  for (;;) {
    char name[kSubkeyNameSize];
    DWORD size = kSubkeyNameSize;
    FILETIME written;
    // Always index 0: the subkey just deleted is gone.
    if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, &written) != ERROR_SUCCESS) {
      RegCloseKey(key);
      return RegDeleteKeyA(parent, subkey);
    }
    rc = DeleteKeyTree(key, name);
    if (rc != ERROR_SUCCESS) {
      RegCloseKey(key);
      return rc;
    }
  }
}

HRESULT RegisterTipServer(REFCLSID clsid, const char* modulePath, const char* friendlyName,
                          const char* threadingModel) {
  char clsidText[kClsidTextSize];
  const HRESULT hr = ClsidToAnsi(clsid, clsidText, sizeof clsidText);
  if (FAILED(hr)) return hr;  // without the class id text nothing is written
  peektip::RegistrationText text;
  peektip::RegValue values[peektip::kMaxRegValues];
  const int count = peektip::PlanRegistration(clsidText, modulePath, friendlyName, threadingModel, text, values);
  if (count == 0) return E_UNEXPECTED;
  // An entry that cannot be written is skipped; the others are still tried.
  for (int i = 0; i < count; ++i)
    SetClassesRootValue(values[i].keyPath, values[i].subkey, values[i].valueName, values[i].data);
  return S_OK;
}

HRESULT UnregisterTipServer(REFCLSID clsid) {
  char clsidText[kClsidTextSize];
  const HRESULT hr = ClsidToAnsi(clsid, clsidText, sizeof clsidText);
  if (FAILED(hr)) return hr;
  peektip::RegistrationText text;
  const char* trees[peektip::kMaxRegValues];
  const int count = peektip::PlanUnregistration(clsidText, text, trees);
  if (count == 0) return E_UNEXPECTED;
  for (int i = 0; i < count; ++i) DeleteKeyTree(HKEY_CLASSES_ROOT, trees[i]);
  return S_OK;
}

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer(void) {
  char modulePath[kModulePathSize];
  const DWORD n = GetModuleFileNameA(g_hDllInstance, modulePath, sizeof modulePath);
  if (n == 0 || n >= sizeof modulePath) return S_FALSE;  // a cut path names no file
  const HRESULT hr = RegisterTipServer(CLSID_ThumbnailTip, modulePath, "ZoTest", "Apartment");
  if (SUCCEEDED(hr)) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer(void) { return UnregisterTipServer(CLSID_ThumbnailTip); }
