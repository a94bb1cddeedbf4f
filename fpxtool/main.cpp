// fpxtool: shows what a FlashPix file holds and converts it to PNG or PPM,
// decoding through the same reader calls as the plug-in (one row per call,
// bottom row first).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "fpxinfo.h"
#include "fpxlib.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

namespace {

const char* colour_name(FPXComponentColor c) {
  static const char* names[] = {"PhotoYCC Y", "PhotoYCC C1", "PhotoYCC C2", "NIF RGB R",
                                "NIF RGB G",  "NIF RGB B",   "alpha",       "monochrome"};
  return c >= 0 && c <= 7 ? names[c] : "?";
}

const char* space_name(uint32_t s) {
  switch (s) {
    case FPX_SPACE_MONOCHROME: return "monochrome";
    case FPX_SPACE_PHOTOYCC: return "PhotoYCC";
    case FPX_SPACE_NIFRGB: return "NIF RGB";
    default: return "colourless";
  }
}

struct Session {
  FPXImage* image = nullptr;
  ~Session() {
    if (image) FPX_CloseImage(image);
    FPX_ClearSystem();
  }
};

int open_file(const char* path, Session& s, uint32_t* w, uint32_t* h, FPXColorspace* cs) {
  uint32_t limit = 20000000, tw, th;
  FPX_InitSystem();
  FPX_SetToolkitMemoryLimit(&limit);
  FPXStatus st = FPX_OpenImageByFilename(path, nullptr, w, h, &tw, &th, cs, &s.image);
  if (st != FPX_OK) {
    fprintf(stderr, "fpxtool: %s: cannot open (status %d)\n", path, int(st));
    s.image = nullptr;
    return 1;
  }
  return 0;
}

int info(const char* path) {
  Session s;
  uint32_t w, h, levels;
  FPXColorspace cs;
  if (open_file(path, s, &w, &h, &cs)) return 1;
  FPX_GetLevelCount(s.image, &levels);
  printf("file: %s\nsize: %u x %u\nlevels: %u\ncomponents: %d (", path, w, h, levels,
         cs.numberOfComponents);
  for (int c = 0; c < cs.numberOfComponents; c++)
    printf("%s%s", c ? ", " : "", colour_name(cs.theComponents[c].myColor));
  printf(")\nuncalibrated: %s\n", cs.isUncalibrated ? "yes" : "no");
  for (uint32_t l = levels; l-- > 0;) {
    FPXLevelInfo li;
    if (FPX_GetLevelInfo(s.image, l, &li) != FPX_OK) continue;
    printf("level %u: %u x %u, %u components, %s, tiles %ux%u:", l, li.width, li.height,
           li.numberOfComponents, space_name(li.colourSpace), li.tileWidth, li.tileHeight);
    if (li.tilesUncompressed) printf(" %u uncompressed", li.tilesUncompressed);
    if (li.tilesSingleColour) printf(" %u single-colour", li.tilesSingleColour);
    if (li.tilesJpeg) {
      uint32_t st = li.firstJpegSubtype;
      printf(" %u JPEG (subsampling 0x%02X, colour conversion %u, table set %u)", li.tilesJpeg,
             (st >> 8) & 0xFF, (st >> 16) & 0xFF, st >> 24);
    }
    if (li.tilesOther) printf(" %u other", li.tilesOther);
    printf("\n");
  }
  return 0;
}

bool ends_with(const std::string& s, const char* suf) {
  size_t n = strlen(suf);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; i++)
    if (tolower((unsigned char)s[s.size() - n + i]) != suf[i]) return false;
  return true;
}

int convert(const char* path, const std::string& out, long level_arg) {
  bool png = ends_with(out, ".png");
  if (!png && !ends_with(out, ".ppm") && !ends_with(out, ".pgm")) {
    fprintf(stderr, "fpxtool: output must end in .png or .ppm\n");
    return 2;
  }
  Session s;
  uint32_t w, h;
  FPXColorspace cs;
  if (open_file(path, s, &w, &h, &cs)) return 1;
  uint32_t res = 0xFFFFFFFFu;
  if (level_arg >= 0) {
    FPXLevelInfo li;
    if (FPX_GetLevelInfo(s.image, uint32_t(level_arg), &li) != FPX_OK) {
      fprintf(stderr, "fpxtool: %s has no level %ld\n", path, level_arg);
      return 1;
    }
    res = uint32_t(level_arg);
    w = li.width;
    h = li.height;
  }
  // Grey or RGB, with alpha when the file has an opacity channel (PNG only).
  int ncs = cs.numberOfComponents;
  bool alpha = ncs == 2 || ncs == 4;
  int colours = ncs <= 2 ? 1 : 3;
  int n = colours + ((alpha && png) ? 1 : 0);
  std::vector<unsigned char> pix(size_t(w) * h * n);
  FPX_SetResampleMethod(FPX_LINEAR_INTERPOLATION);
  for (uint32_t i = 0; i < h; i++) {
    uint32_t y = h - 1 - i;
    FPXImageDesc d;
    memset(&d, 0, sizeof d);
    d.numberOfComponents = uint32_t(n);
    for (int k = 0; k < n; k++) {
      FPXImageComponentDesc& c = d.components[k];
      c.myColor = k == colours ? ALPHA : colours == 1 ? MONOCHROME : NIFRGB_R + k;
      c.myDataType = DATA_TYPE_UNSIGNED_BYTE;
      c.horzSubSampFactor = c.vertSubSampFactor = 1;
      c.columnStride = n;
      c.lineStride = n * int32_t(w);
      c.theData = pix.data() + size_t(y) * w * n + k;
    }
    FPXStatus st = FPX_ReadImageRectangle(s.image, 0, y, w - 1, y, res, &d);
    if (st != FPX_OK) {
      fprintf(stderr, "fpxtool: %s: row %u: status %d\n", path, y, int(st));
      return 1;
    }
  }
  int ok;
  if (png) {
    ok = stbi_write_png(out.c_str(), int(w), int(h), n, pix.data(), n * int(w));
  } else {
    FILE* f = fopen(out.c_str(), "wb");
    ok = f != nullptr;
    if (f) {
      fprintf(f, "P%c\n%u %u\n255\n", n == 1 ? '5' : '6', w, h);
      ok = fwrite(pix.data(), 1, pix.size(), f) == pix.size();
      ok = (fclose(f) == 0) && ok;
    }
  }
  if (!ok) {
    fprintf(stderr, "fpxtool: cannot write %s\n", out.c_str());
    return 1;
  }
  return 0;
}

int usage() {
  fprintf(stderr,
          "usage: fpxtool info FILE\n"
          "       fpxtool convert FILE OUT.png|OUT.ppm [--level N]\n"
          "levels count from 0 (smallest); the default is the full-size image.\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "info") == 0) return info(argv[2]);
  if ((argc == 4 || argc == 6) && strcmp(argv[1], "convert") == 0) {
    long level = -1;
    if (argc == 6) {
      if (strcmp(argv[4], "--level") != 0) return usage();
      char* end;
      level = strtol(argv[5], &end, 10);
      if (*end || level < 0) return usage();
    }
    return convert(argv[2], argv[3], level);
  }
  return usage();
}
