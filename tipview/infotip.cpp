#include "infotip.h"

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

std::wstring Widen(const std::string& s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, &w[0], n);
  return w;
}

double Now() {
  LARGE_INTEGER f, t;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

}  // namespace

bool InfoTipHandlerFor(const std::string& extension, CLSID* clsid) {
  if (extension.empty()) return false;
  const std::string key = extension + "\\ShellEx\\{00021500-0000-0000-C000-000000000046}";
  char text[64] = {};
  DWORD size = sizeof text - 1;
  if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return false;
  return SUCCEEDED(CLSIDFromString(Widen(text).c_str(), clsid));
}

TipResult RequestInfoTip(const std::string& path) {
  TipResult result;
  CLSID clsid;
  if (!InfoTipHandlerFor(PathFindExtensionA(path.c_str()), &clsid)) {
    result.hr = REGDB_E_CLASSNOTREG;
    return result;
  }
  IPersistFile* file = nullptr;
  result.hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(result.hr)) return result;
  IQueryInfo* info = nullptr;
  result.hr = file->Load(Widen(path).c_str(), STGM_READ);
  if (SUCCEEDED(result.hr)) result.hr = file->QueryInterface(IID_IQueryInfo, reinterpret_cast<void**>(&info));
  if (SUCCEEDED(result.hr)) {
    wchar_t* tip = nullptr;
    const double start = Now();
    result.hr = info->GetInfoTip(QITIPF_DEFAULT, &tip);
    result.milliseconds = Now() - start;
    if (tip) {
      result.text = tip;
      CoTaskMemFree(tip);
    }
    info->Release();
  }
  file->Release();
  return result;
}
