// bench_fpx: full decode of large fixtures exactly as the plug-in reads them
// (one row per call, bottom row first, resolution -1, B,G,R into a bottom-up
// bitmap) with the 20,000,000-byte limit. Prints time, MPix/s and the
// reader's own peak memory.
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "fpxinfo.h"
#include "fpxlib.h"

namespace {

struct Run {
  double seconds = 0;
  double cpu = 0;  // processor time of the run, less disturbed by other load
  uint64_t peak = 0;
  uint64_t decodes = 0;
  uint32_t w = 0, h = 0;
  bool ok = false;
};

Run decode(const std::string& path, std::vector<uint8_t>& bitmap) {
  Run r;
  auto t0 = std::chrono::steady_clock::now();
  clock_t c0 = clock();
  uint32_t limit = 20000000, tw, th;
  FPXColorspace cs;
  FPXImage* im = nullptr;
  FPX_InitSystem();
  FPX_SetToolkitMemoryLimit(&limit);
  if (FPX_OpenImageByFilename(path.c_str(), nullptr, &r.w, &r.h, &tw, &th, &cs, &im) != FPX_OK ||
      cs.numberOfComponents != 3) {
    FPX_ClearSystem();
    return r;
  }
  const uint32_t n = 3, stride = (n * r.w + 3) & ~3u;
  bitmap.resize(size_t(stride) * r.h);
  FPX_SetResampleMethod(FPX_LINEAR_INTERPOLATION);
  r.ok = true;
  for (uint32_t i = 0; i < r.h; i++) {
    FPXImageDesc d;
    memset(&d, 0, sizeof d);
    d.numberOfComponents = n;
    static const int32_t colours[3] = {NIFRGB_R, NIFRGB_G, NIFRGB_B};
    static const int offsets[3] = {2, 1, 0};
    for (uint32_t k = 0; k < n; k++) {
      d.components[k].myColor = colours[k];
      d.components[k].horzSubSampFactor = d.components[k].vertSubSampFactor = 1;
      d.components[k].columnStride = int32_t(n);
      d.components[k].lineStride = int32_t(n * r.w);
      d.components[k].theData = bitmap.data() + size_t(i) * stride + offsets[k];
    }
    if (FPX_ReadImageRectangle(im, 0, r.h - 1 - i, r.w - 1, r.h - 1 - i, 0xFFFFFFFFu, &d) != FPX_OK)
      r.ok = false;
  }
  FPX_GetTileDecodeCount(im, &r.decodes);
  FPX_CloseImage(im);
  FPX_GetMemoryUse(nullptr, &r.peak);
  FPX_ClearSystem();
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.cpu = double(clock() - c0) / CLOCKS_PER_SEC;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; i++) files.push_back(argv[i]);
  if (files.empty())
    files = {std::string(FPX_FIXTURES) + "/rgb_4000x3000_jpeg90_tex.fpx",
             std::string(FPX_FIXTURES) + "/rgb_2048x1536_jpeg90.fpx"};
  int status = 0;
  for (const std::string& f : files) {
    std::vector<uint8_t> bitmap;
    std::vector<double> times, cpus;
    Run last;
    for (int rep = 0; rep < 7; rep++) {
      last = decode(f, bitmap);
      if (!last.ok) break;
      times.push_back(last.seconds);
      cpus.push_back(last.cpu);
    }
    const char* name = strrchr(f.c_str(), '/') ? strrchr(f.c_str(), '/') + 1 : f.c_str();
    if (!last.ok) {
      printf("bench_fpx %s: FAILED to decode\n", name);
      status = 1;
      continue;
    }
    std::sort(times.begin(), times.end());
    std::sort(cpus.begin(), cpus.end());
    double med = times[times.size() / 2];
    double mpix = double(last.w) * last.h / 1e6;
    printf("bench_fpx %s: %ux%u row by row bottom-up: median %.4f s (best %.4f s) over %zu runs, "
           "%.1f MPix/s; CPU time median %.4f s (%.1f MPix/s); reader peak memory %llu bytes "
           "(limit 20000000); %llu tile decodes\n",
           name, last.w, last.h, med, times[0], times.size(), mpix / med, cpus[cpus.size() / 2],
           mpix / cpus[cpus.size() / 2],
           (unsigned long long)last.peak, (unsigned long long)last.decodes);
  }
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  printf("bench_fpx: process peak RSS %ld KiB (includes the output bitmaps)\n", ru.ru_maxrss);
  return status;
}
