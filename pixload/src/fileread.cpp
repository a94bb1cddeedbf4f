#include "fileread.h"

#include <windows.h>

namespace pixload {

bool ReadWholeFile(const char* path, std::vector<uint8_t>& out) {
  out.clear();
  const HANDLE f = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  LARGE_INTEGER size;
  if (GetFileSizeEx(f, &size) && size.QuadPart > 0 && uint64_t(size.QuadPart) <= kMaxFileBytes) {
    try {
      out.resize(size_t(size.QuadPart));
      size_t done = 0;
      while (done < out.size()) {
        DWORD got = 0;
        const DWORD want = DWORD(out.size() - done > (1u << 30) ? (1u << 30) : out.size() - done);
        if (!ReadFile(f, out.data() + done, want, &got, nullptr) || got == 0) break;
        done += got;
      }
      ok = done == out.size();
    } catch (...) {
      ok = false;
    }
  }
  CloseHandle(f);
  if (!ok) out.clear();
  return ok;
}

}  // namespace pixload
