// Speed and memory of a thumbnail load: ZoRWPLoadDib of a 4000 x 3000 JPEG
// FlashPix file into a 300 x 300 box, split into copy, decode and resample,
// and ResampleDib's throughput on 24-bit bitmaps.
//   bench_flashread.exe [fixture.fpx]
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "decode.h"
#include "dib_layout.h"
#include "fpx_open.h"
#include "resample.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) / double(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS m = {};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m);
  return m;
}

double MiB(size_t bytes) { return double(bytes) / (1024.0 * 1024.0); }

typedef MemHandle(WINAPI* LoadDibFn)(const char*, const DibLoadRequest*, DibImageInfo*);

// A synthetic 24-bit packed DIB in a Handlebank block.
MemHandle MakeDib(int32_t w, int32_t h) {
  DecodeLayout l;
  ComputeDecodeLayout(uint32_t(w), uint32_t(h), 3, &l);
  const MemHandle m = MemAlloc_R(ZO_MEM_FLAGS, uintptr_t(l.blockSize));
  auto* p = static_cast<uint8_t*>(ZoMemLock(m));
  WriteDecodedHeader(p, l);
  uint32_t seed = 1;
  for (int64_t i = l.pixelOffset; i < l.blockSize; ++i) p[i] = uint8_t((seed = seed * 1103515245u + 12345u) >> 16);
  ZoMemUnlock(m);
  return m;
}

void ResampleThroughput(int32_t sw, int32_t sh, int32_t tw, int32_t th, int reps) {
  const MemHandle src = MakeDib(sw, sh);
  const void* p = ZoMemLock(src);
  std::vector<double> t;
  for (int i = 0; i < reps; ++i) {
    const double t0 = Now();
    const MemHandle out = ResampleDib(p, tw, th);
    t.push_back(Now() - t0);
    ZoMemFree(out);
  }
  ZoMemUnlock(src);
  ZoMemFree(src);
  const double s = Median(t);
  printf("ResampleDib 24-bit %dx%d -> %dx%d: %.3f ms (%.1f Mpixel/s of target)\n", sw, sh, tw, th, s * 1e3,
         double(tw) * th / s / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  const char* file = argc > 1 ? argv[1] : FLASHREAD_BENCH_FIXTURE;
  const int reps = 5;

  // End to end through the plug-in's export, memory measured on the first
  // load before anything else has grown the process.
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  *strrchr(exe, '\\') = 0;
  HMODULE plugin = LoadLibraryA((std::string(exe) + "\\flashread.rll").c_str());
  if (plugin == nullptr) {
    fprintf(stderr, "flashread.rll not found beside the bench\n");
    return 1;
  }
  auto load = reinterpret_cast<LoadDibFn>(reinterpret_cast<void*>(GetProcAddress(plugin, "ZoRWPLoadDib")));
  const DibLoadRequest box = {44, 0, 300, 300, {}};
  DibImageInfo info = {};
  const PROCESS_MEMORY_COUNTERS before = Memory();
  std::vector<double> total;
  for (int i = 0; i < reps; ++i) {
    const double t0 = Now();
    const MemHandle h = load(file, &box, &info);
    total.push_back(Now() - t0);
    if (h == 0) {
      fprintf(stderr, "load of %s failed\n", file);
      return 1;
    }
    ZoMemFree(h);
    if (i == 0) {
      const PROCESS_MEMORY_COUNTERS after = Memory();
      printf("first load: peak working set %.1f MiB, %.1f MiB above the %.1f MiB before it"
             " (decoded bitmap %.1f MiB, reader limit %.1f MiB)\n",
             MiB(after.PeakWorkingSetSize), MiB(after.PeakWorkingSetSize - before.WorkingSetSize),
             MiB(before.WorkingSetSize), MiB(40 + size_t(info.dwWidth) * 3 * info.dwHeight), MiB(20000000));
    }
  }

  // The same load in its pieces: the temporary copy, opening and decoding
  // every row, and fitting.
  std::vector<double> copy, decode, resample;
  for (int i = 0; i < reps; ++i) {
    char folder[MAX_PATH], temp[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    double t0 = Now();
    GetTempFileNameA(folder, "fpx", 0, temp);
    CopyFileA(file, temp, FALSE);
    DeleteFileA(temp);
    copy.push_back(Now() - t0);

    t0 = Now();
    FpxOpening o;
    if (!FpxOpen(file, &o)) return 1;
    DecodeLayout l;
    ComputeDecodeLayout(o.width, o.height, o.components, &l);
    const MemHandle h = MemAlloc_R(ZO_MEM_FLAGS, uintptr_t(l.blockSize));
    auto* block = static_cast<uint8_t*>(ZoMemLock(h));
    WriteDecodedHeader(block, l);
    DecodeRows(o.image, block, l);
    FpxClose(&o);
    decode.push_back(Now() - t0 - copy.back());  // FpxOpen makes its own copy

    t0 = Now();
    const MemHandle fitted = ResampleDib(block, 300, 225);
    resample.push_back(Now() - t0);
    ZoMemUnlock(h);
    ZoMemFree(h);
    ZoMemFree(fitted);
  }
  const double tt = Median(total), tc = Median(copy), td = Median(decode), tr = Median(resample);
  printf("ZoRWPLoadDib %ux%u into 300x300 (median of %d): %.1f ms\n", info.dwWidth, info.dwHeight, reps, tt * 1e3);
  printf("  copy %.1f ms, decode %.1f ms, resample %.3f ms (%.2f %% of the load)\n", tc * 1e3, td * 1e3, tr * 1e3,
         100.0 * tr / tt);

  ResampleThroughput(4000, 3000, 300, 225, 20);
  ResampleThroughput(300, 200, 300, 300, 200);
  return 0;
}
