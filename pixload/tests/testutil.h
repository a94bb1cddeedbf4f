// Helpers of the pixload tests: sample paths, loads, and reading PackedDibs.
#pragma once
#include <windows.h>

#include <stdint.h>
#include <string.h>

#include <ostream>
#include <string>
#include <vector>

#include "pixload.h"

namespace pltest {

inline std::string Sample(const std::string& name) { return std::string(PIXLOAD_SAMPLES) + "/" + name; }

inline DibLoadRequest Box(int w, int h) {
  DibLoadRequest r = {};
  r.cbSize = DIB_LOAD_REQUEST_SIZE;
  r.nMaxWidth = w;
  r.nMaxHeight = h;
  return r;
}

struct Bgr {
  int b, g, r;
};

// A copy of a PackedDib's block with its header, read as a consumer does.
struct Dib {
  DibHeader h = {};
  std::vector<uint8_t> block;
  bool wasLocked = false;  // the handle was handed out locked

  size_t stride() const { return size_t(DibRowStride(h.biWidth, h.biBitCount)); }
  const uint8_t* row(int y) const {  // y from the top
    return block.data() + DIB_HEADER_SIZE + 4 * h.biClrUsed + stride() * size_t(h.biHeight - 1 - y);
  }
  Bgr at(int x, int y) const {
    const uint8_t* p = row(y);
    if (h.biBitCount == 8) {
      const uint8_t* e = block.data() + DIB_HEADER_SIZE + 4 * p[x];
      return {e[0], e[1], e[2]};
    }
    p += size_t(x) * (h.biBitCount / 8);
    return {p[0], p[1], p[2]};
  }
};

inline Dib Read(MemHandle handle) {
  Dib d;
  const uintptr_t size = ZoMemSize(handle);
  auto* p = static_cast<const uint8_t*>(ZoMemLock(handle));
  if (!p) return d;
  d.block.assign(p, p + size);
  memcpy(&d.h, p, sizeof d.h);
  d.wasLocked = ZoMemUnlock(handle) != 0;  // still locked after our unlock
  return d;
}

inline std::ostream& operator<<(std::ostream& o, Bgr c) { return o << "(b " << c.b << " g " << c.g << " r " << c.r << ")"; }

inline bool Near(Bgr a, Bgr b, int tolerance) {
  return abs(a.b - b.b) <= tolerance && abs(a.g - b.g) <= tolerance && abs(a.r - b.r) <= tolerance;
}

const Bgr kRed = {0, 0, 255}, kLime = {0, 255, 0}, kBlue = {255, 0, 0}, kWhite = {255, 255, 255},
          kBlack = {0, 0, 0};

inline std::vector<uint8_t> FileBytes(const std::string& path) {
  std::vector<uint8_t> bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  LARGE_INTEGER size;
  GetFileSizeEx(f, &size);
  bytes.resize(size_t(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty()) ReadFile(f, bytes.data(), DWORD(bytes.size()), &got, nullptr);
  bytes.resize(got);
  CloseHandle(f);
  return bytes;
}

inline bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  if (!bytes.empty()) WriteFile(f, bytes.data(), DWORD(bytes.size()), &put, nullptr);
  CloseHandle(f);
  return put == bytes.size();
}

// A fresh folder under the temporary folder, for files a test writes.
inline std::string TempFolder(const char* name) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + name + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

}  // namespace pltest
