// Time of LoadDibFromFile into the 300 x 300 tip box for large pictures: a
// 12-megapixel JPEG and PNG (made at build time) and the 4000 x 3000 FlashPix
// fixture through flashread.rll when it sits beside pixload.dll. The first
// load of each file (cold: codec set-up) is shown apart from the median of
// the following ones.
#include <windows.h>

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "pixload.h"

namespace {

double Ms(LARGE_INTEGER a, LARGE_INTEGER b, LARGE_INTEGER f) { return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart); }

bool Bench(const char* label, const char* path, int runs) {
  DibLoadRequest box = {};
  box.cbSize = DIB_LOAD_REQUEST_SIZE;
  box.nMaxWidth = box.nMaxHeight = 300;
  LARGE_INTEGER freq;
  QueryPerformanceFrequency(&freq);
  std::vector<double> times;
  DibImageInfo info = {};
  int fw = 0, fh = 0;
  for (int i = 0; i <= runs; ++i) {
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    const MemHandle h = LoadDibFromFile(path, &box, &info);
    QueryPerformanceCounter(&t1);
    if (!h) {
      printf("%-34s FAILED (%s)\n", label, path);
      return false;
    }
    auto* d = static_cast<const DibHeader*>(ZoMemLock(h));
    fw = d->biWidth;
    fh = d->biHeight;
    ZoMemUnlock(h);
    ZoMemFree(h);
    times.push_back(Ms(t0, t1, freq));
  }
  const double first = times[0];
  times.erase(times.begin());
  std::sort(times.begin(), times.end());
  printf("%-34s %ux%u -> %dx%d  first %7.1f ms  median %7.1f ms  min %7.1f ms  (%d runs)\n", label,
         unsigned(info.dwWidth), unsigned(info.dwHeight), fw, fh, first, times[times.size() / 2], times[0], runs);
  return true;
}

}  // namespace

int main() {
  bool ok = Bench("JPEG 12 MP (DCT 1/8)", PIXLOAD_BENCH "/big.jpg", 10);
  ok = Bench("PNG 12 MP (WIC + scaler)", PIXLOAD_BENCH "/big.png", 3) && ok;
  if (GetFileAttributesA("flashread.rll") != INVALID_FILE_ATTRIBUTES ||
      GetFileAttributesA(PIXLOAD_BIN "/flashread.rll") != INVALID_FILE_ATTRIBUTES)
    ok = Bench("FlashPix 4000x3000 (flashread.rll)", PIXLOAD_FPX "/rgb_4000x3000_jpeg90_tex.fpx", 3) && ok;
  else
    printf("FlashPix: no flashread.rll beside pixload.dll, not timed\n");
  return ok ? 0 : 1;
}
