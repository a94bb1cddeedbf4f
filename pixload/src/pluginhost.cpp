// Plug-in host: at first use, every *.rll module in this library's own
// folder that answers ZoRWPIsPlugin is kept; a file that no loader of ours
// reads goes to the first plug-in whose ZoRWPFileIsSupport accepts its name.
#include <windows.h>

#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "loaders.h"

namespace pixload {

namespace {

typedef uint32_t(WINAPI* IsPluginFn)(void* descriptor);
typedef uint32_t(WINAPI* FileIsSupportFn)(const char* path);
typedef MemHandle(WINAPI* LoadDibFn)(const char* path, const DibLoadRequest* request, DibImageInfo* info);

struct Plugin {
  HMODULE module;
  FileIsSupportFn isSupport;
  LoadDibFn load;
};

// Plug-ins stay loaded for the life of the process.
std::vector<Plugin>* g_plugins = nullptr;

bool EndsWithRll(const wchar_t* name) {
  const size_t n = wcslen(name);
  return n > 4 && _wcsicmp(name + n - 4, L".rll") == 0;
}

std::vector<Plugin>* ScanPlugins() {
  auto* found = new std::vector<Plugin>;
  HMODULE self = nullptr;
  wchar_t folder[MAX_PATH + 8];
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&ScanPlugins), &self))
    return found;
  const DWORD n = GetModuleFileNameW(self, folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return found;
  wchar_t* slash = wcsrchr(folder, L'\\');
  if (!slash) return found;
  slash[1] = 0;
  std::wstring pattern = std::wstring(folder) + L"*.rll";
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(pattern.c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return found;
  std::vector<std::wstring> names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWithRll(fd.cFileName))
      names.push_back(fd.cFileName);
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  for (const auto& name : names) {
    HMODULE m = LoadLibraryW((std::wstring(folder) + name).c_str());
    if (!m) continue;
    auto isPlugin = reinterpret_cast<IsPluginFn>(reinterpret_cast<void*>(GetProcAddress(m, "ZoRWPIsPlugin")));
    Plugin p = {m, reinterpret_cast<FileIsSupportFn>(reinterpret_cast<void*>(GetProcAddress(m, "ZoRWPFileIsSupport"))),
                reinterpret_cast<LoadDibFn>(reinterpret_cast<void*>(GetProcAddress(m, "ZoRWPLoadDib")))};
    // The descriptor is larger than any plug-in writes, and starts zeroed.
    alignas(8) unsigned char descriptor[512] = {};
    if (isPlugin && p.isSupport && p.load && isPlugin(descriptor) == 1)
      found->push_back(p);
    else
      FreeLibrary(m);
  }
  return found;
}

}  // namespace

MemHandle LoadWithPlugin(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  if (!g_plugins) g_plugins = ScanPlugins();
  for (const Plugin& p : *g_plugins)
    if (p.isSupport(path) == 1) return p.load(path, request, info);
  return 0;
}

}  // namespace pixload
