#include "samplewriters.h"

#include <math.h>
#include <string.h>

namespace imgsample {
namespace {

void Put16le(std::vector<uint8_t>& o, unsigned v) { o.push_back(v & 255); o.push_back((v >> 8) & 255); }
void Put16be(std::vector<uint8_t>& o, unsigned v) { o.push_back((v >> 8) & 255); o.push_back(v & 255); }
void Put32be(std::vector<uint8_t>& o, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) o.push_back((v >> s) & 255);
}
void Set32be(std::vector<uint8_t>& o, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) o[at + i] = (v >> (24 - 8 * i)) & 255;
}
uint8_t Sat(double v) { return static_cast<uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : lround(v)); }

}  // namespace

Rgb Quadrants(int width, int height) {
  Rgb img;
  img.width = width;
  img.height = height;
  img.pixels.resize(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2, bottom = y >= height / 2;
      uint8_t* p = &img.pixels[(size_t(y) * width + x) * 3];
      p[0] = right == bottom ? 255 : 0;
      p[1] = right ? 255 : 0;
      p[2] = bottom ? 255 : 0;
    }
  return img;
}

std::vector<uint8_t> WriteTga(const Rgb& img) {
  std::vector<uint8_t> o = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16le(o, img.width);
  Put16le(o, img.height);
  o.push_back(24);
  o.push_back(0);  // bottom-up
  for (int y = img.height - 1; y >= 0; --y)
    for (int x = 0; x < img.width; ++x) {
      const uint8_t* p = &img.pixels[(size_t(y) * img.width + x) * 3];
      o.push_back(p[2]); o.push_back(p[1]); o.push_back(p[0]);
    }
  return o;
}

std::vector<uint8_t> WritePcx(const Rgb& img) {
  std::vector<uint8_t> o(128, 0);
  const unsigned bpl = (img.width + 1) & ~1u;  // even bytes per line
  o[0] = 0x0A; o[1] = 5; o[2] = 1; o[3] = 8;
  o[8] = (img.width - 1) & 255; o[9] = (img.width - 1) >> 8;
  o[10] = (img.height - 1) & 255; o[11] = (img.height - 1) >> 8;
  o[65] = 3; o[66] = bpl & 255; o[67] = bpl >> 8; o[68] = 1;
  std::vector<uint8_t> line(bpl * 3);
  for (int y = 0; y < img.height; ++y) {
    for (int c = 0; c < 3; ++c)
      for (unsigned x = 0; x < bpl; ++x)
        line[c * bpl + x] = x < unsigned(img.width) ? img.pixels[(size_t(y) * img.width + x) * 3 + c] : 0;
    for (size_t i = 0; i < line.size();) {
      size_t n = 1;
      while (i + n < line.size() && n < 63 && line[i + n] == line[i]) ++n;
      if (n > 1 || (line[i] & 0xC0) == 0xC0) o.push_back(0xC0 | n);
      o.push_back(line[i]);
      i += n;
    }
  }
  return o;
}

std::vector<uint8_t> WriteSgi(const Rgb& img) {
  std::vector<uint8_t> o(512, 0);
  o[0] = 0x01; o[1] = 0xDA; o[2] = 1; o[3] = 1;
  o[5] = 3;
  o[6] = img.width >> 8; o[7] = img.width & 255;
  o[8] = img.height >> 8; o[9] = img.height & 255;
  o[11] = 3;
  o[15] = 0; o[16] = 0; o[17] = 0; o[18] = 0; o[19] = 255;  // pixmax 255
  const size_t rows = size_t(img.height) * 3;
  const size_t tables = o.size();
  o.resize(tables + rows * 8, 0);
  for (int c = 0; c < 3; ++c)
    for (int y = 0; y < img.height; ++y) {
      const int srcY = img.height - 1 - y;  // bottom-up
      const size_t start = o.size();
      int x = 0;
      while (x < img.width) {
        const uint8_t v = img.pixels[(size_t(srcY) * img.width + x) * 3 + c];
        int n = 1;
        while (x + n < img.width && n < 127 && img.pixels[(size_t(srcY) * img.width + x + n) * 3 + c] == v) ++n;
        o.push_back(n);
        o.push_back(v);
        x += n;
      }
      o.push_back(0);
      const size_t entry = size_t(c) * img.height + y;
      Set32be(o, tables + entry * 4, static_cast<uint32_t>(start));
      Set32be(o, tables + rows * 4 + entry * 4, static_cast<uint32_t>(o.size() - start));
    }
  return o;
}

std::vector<uint8_t> WritePsd(const Rgb& img) {
  std::vector<uint8_t> o = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
  Put16be(o, 3);
  Put32be(o, img.height);
  Put32be(o, img.width);
  Put16be(o, 8);
  Put16be(o, 3);
  Put32be(o, 0);  // colour mode data
  Put32be(o, 0);  // resources
  Put32be(o, 0);  // layers
  Put16be(o, 0);  // raw
  for (int c = 0; c < 3; ++c)
    for (size_t i = 0; i < size_t(img.width) * img.height; ++i) o.push_back(img.pixels[i * 3 + c]);
  return o;
}

void RgbToYcc(const uint8_t rgb[3], uint8_t ycc[3]) {
  const double l = 0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2];
  ycc[0] = Sat(l / 1.3584);
  ycc[1] = Sat((rgb[2] - l) / 2.2179 + 156);
  ycc[2] = Sat((rgb[0] - l) / 1.8215 + 137);
}

std::vector<uint8_t> WritePcd(const Rgb& img, int rotation) {
  const bool quarter = rotation & 1;
  // The stored base image is 768 x 512; a quarter-turned picture is shown
  // 512 x 768, so sample the upright picture at the shown size and store it
  // turned the other way.
  const int shownW = quarter ? 512 : 768, shownH = quarter ? 768 : 512;
  std::vector<uint8_t> o(96 * 2048 + 768 * 512 * 3 / 2, 0);
  memcpy(&o[2048], "PCD_IPI", 7);
  o[2048 + 0x602] = rotation & 3;
  auto shown = [&](int sx, int sy) {  // stored (sx, sy) -> upright picture sample
    int ux, uy;
    switch (rotation & 3) {
      case 0: ux = sx; uy = sy; break;
      case 1: ux = sy; uy = 767 - sx; break;
      case 2: ux = 767 - sx; uy = 511 - sy; break;
      default: ux = 511 - sy; uy = sx; break;
    }
    const int px = ux * img.width / shownW, py = uy * img.height / shownH;
    return &img.pixels[(size_t(py) * img.width + px) * 3];
  };
  uint8_t* base = &o[96 * 2048];
  for (int y = 0; y < 512; y += 2) {
    uint8_t* group = base + (y / 2) * 768 * 3;
    for (int x = 0; x < 768; ++x) {
      uint8_t ycc[3];
      RgbToYcc(shown(x, y), ycc);
      group[x] = ycc[0];
      RgbToYcc(shown(x, y + 1), ycc);
      group[768 + x] = ycc[0];
    }
    for (int x = 0; x < 768; x += 2) {
      // Chroma of the 2 x 2 block's average colour.
      int sum[3] = {0, 0, 0};
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
          for (int c = 0; c < 3; ++c) sum[c] += shown(x + dx, y + dy)[c];
      const uint8_t avg[3] = {uint8_t(sum[0] / 4), uint8_t(sum[1] / 4), uint8_t(sum[2] / 4)};
      uint8_t ycc[3];
      RgbToYcc(avg, ycc);
      group[1536 + x / 2] = ycc[1];
      group[1536 + 384 + x / 2] = ycc[2];
    }
  }
  return o;
}

std::vector<uint8_t> WriteFormat(const std::string& format, const Rgb& img) {
  if (format == "tga") return WriteTga(img);
  if (format == "pcx") return WritePcx(img);
  if (format == "sgi") return WriteSgi(img);
  if (format == "psd") return WritePsd(img);
  if (format == "pcd") return WritePcd(img);
  return {};
}

}  // namespace imgsample
