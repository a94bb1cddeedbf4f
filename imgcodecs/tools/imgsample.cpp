// imgsample FORMAT OUT [WIDTH HEIGHT]: writes a picture of four quadrants
// (red top-left, green top-right, blue bottom-left, white bottom-right) as
// tga, pcx, sgi, psd or pcd. Photo CD is always 768 x 512 (WIDTH x HEIGHT
// only sets the pattern's resolution before resampling).
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "samplewriters.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 5) {
    fprintf(stderr, "usage: imgsample tga|pcx|sgi|psd|pcd OUT [WIDTH HEIGHT]\n");
    return 2;
  }
  int width = 64, height = 48;
  if (argc == 5) {
    width = atoi(argv[3]);
    height = atoi(argv[4]);
    if (width < 2 || height < 2 || width > 8192 || height > 8192) {
      fprintf(stderr, "imgsample: size must be 2..8192\n");
      return 2;
    }
  }
  std::vector<uint8_t> bytes = imgsample::WriteFormat(argv[1], imgsample::Quadrants(width, height));
  if (bytes.empty()) {
    fprintf(stderr, "imgsample: unknown format %s\n", argv[1]);
    return 2;
  }
  FILE* f = fopen(argv[2], "wb");
  if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || fclose(f) != 0) {
    fprintf(stderr, "imgsample: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
