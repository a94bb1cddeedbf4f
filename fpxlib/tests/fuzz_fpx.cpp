// libFuzzer target: opens the input as a FlashPix file the way the plug-in
// does and reads rows of every level, bottom row first, in the plug-in's
// colours and in the stored ones. Reads are capped per level to keep each
// run short.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fpxinfo.h"
#include "fpxlib.h"

static std::string temp_path() {
  const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  return std::string(dir) + "/fuzz_fpx_" + std::to_string(getpid()) + ".fpx";
}

static void read_rows(FPXImage* im, uint32_t level, uint32_t w, uint32_t h,
                      const std::vector<int32_t>& colours) {
  const uint32_t n = uint32_t(colours.size());
  const uint32_t cw = w < 512 ? w : 512;
  const uint32_t rows = h < 80 ? h : 80;
  std::vector<uint8_t> row(size_t(cw) * n);
  for (uint32_t i = 0; i < rows; i++) {
    uint32_t y = h - 1 - i;
    FPXImageDesc d;
    memset(&d, 0, sizeof d);
    d.numberOfComponents = n;
    for (uint32_t k = 0; k < n; k++) {
      d.components[k].myColor = colours[k];
      d.components[k].horzSubSampFactor = d.components[k].vertSubSampFactor = 1;
      d.components[k].columnStride = int32_t(n);
      d.components[k].lineStride = int32_t(n * cw);
      d.components[k].theData = row.data() + k;
    }
    FPX_ReadImageRectangle(im, 0, y, cw - 1, y, level, &d);
  }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = temp_path();
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);

  uint32_t limit = 20000000, w, h, tw, th, levels = 0;
  FPXColorspace cs;
  FPXImage* im = nullptr;
  FPX_InitSystem();
  FPX_SetToolkitMemoryLimit(&limit);
  if (FPX_OpenImageByFilename(path.c_str(), nullptr, &w, &h, &tw, &th, &cs, &im) == FPX_OK) {
    if (cs.numberOfComponents < 1 || cs.numberOfComponents > 4) abort();
    FPX_GetLevelCount(im, &levels);
    std::vector<int32_t> stored;
    for (int k = 0; k < cs.numberOfComponents; k++) stored.push_back(cs.theComponents[k].myColor);
    std::vector<int32_t> plugin = cs.numberOfComponents == 1 ? std::vector<int32_t>{MONOCHROME}
                                                             : std::vector<int32_t>{NIFRGB_R, NIFRGB_G, NIFRGB_B};
    for (uint32_t l = 0; l < levels; l++) {
      FPXLevelInfo li;
      if (FPX_GetLevelInfo(im, l, &li) != FPX_OK) abort();
      read_rows(im, l, li.width, li.height, plugin);
      if (l == 0) read_rows(im, l, li.width, li.height, stored);
    }
    read_rows(im, 0xFFFFFFFFu, w, h, plugin);
    FPX_CloseImage(im);
  }
  FPX_ClearSystem();
  return 0;
}
