#include "testutil.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

namespace fpxtest {

std::string fixture(const std::string& name) { return std::string(FPX_FIXTURES) + "/" + name; }

bool read_file(const std::string& path, std::vector<uint8_t>* out) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  out->clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  fclose(f);
  return true;
}

std::string write_temp(const std::string& name, const std::vector<uint8_t>& bytes) {
  const char* tmp = getenv("TMPDIR");
  std::string path = std::string(tmp ? tmp : "/tmp") + "/fpxtest_" + std::to_string(getpid()) + "_" + name;
  FILE* f = fopen(path.c_str(), "wb");
  if (f) {
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
  }
  return path;
}

namespace {
bool token(const std::vector<uint8_t>& d, size_t* p, std::string* t) {
  while (*p < d.size() && (isspace(d[*p]) || d[*p] == '#')) {
    if (d[*p] == '#')
      while (*p < d.size() && d[*p] != '\n') ++*p;
    else
      ++*p;
  }
  t->clear();
  while (*p < d.size() && !isspace(d[*p])) t->push_back(char(d[(*p)++]));
  return !t->empty();
}
}  // namespace

bool read_pnm(const std::string& path, Pnm* out) {
  std::vector<uint8_t> d;
  if (!read_file(path, &d) || d.size() < 3) return false;
  size_t p = 0;
  std::string t;
  token(d, &p, &t);
  if (t == "P5" || t == "P6") {
    std::string w, h, m;
    token(d, &p, &w);
    token(d, &p, &h);
    token(d, &p, &m);
    out->width = atoi(w.c_str());
    out->height = atoi(h.c_str());
    out->channels = t == "P5" ? 1 : 3;
    p++;
  } else if (t == "P7") {
    while (token(d, &p, &t) && t != "ENDHDR") {
      std::string v;
      token(d, &p, &v);
      if (t == "WIDTH") out->width = atoi(v.c_str());
      if (t == "HEIGHT") out->height = atoi(v.c_str());
      if (t == "DEPTH") out->channels = atoi(v.c_str());
      if (t == "TUPLTYPE") continue;
    }
    p++;
  } else {
    return false;
  }
  size_t n = size_t(out->width) * out->height * out->channels;
  if (p + n > d.size()) return false;
  out->px.assign(d.begin() + long(p), d.begin() + long(p + n));
  return true;
}

Opened::~Opened() {
  if (image) FPX_CloseImage(image);
  FPX_ClearSystem();
}

void open_like_plugin(const std::string& path, Opened* o) {
  uint32_t limit = 20000000, tw, th;
  FPX_InitSystem();
  FPX_SetToolkitMemoryLimit(&limit);
  o->status = FPX_OpenImageByFilename(path.c_str(), nullptr, &o->width, &o->height, &tw, &th,
                                      &o->cs, &o->image);
  if (o->status != FPX_OK) o->image = nullptr;
}

FPXStatus decode_rows(FPXImage* image, uint32_t w, uint32_t h, const std::vector<int32_t>& colours,
                      uint32_t resolution, std::vector<uint8_t>* out) {
  const uint32_t n = uint32_t(colours.size());
  out->assign(size_t(w) * h * n, 0);
  FPX_SetResampleMethod(FPX_LINEAR_INTERPOLATION);
  FPXStatus first = FPX_OK;
  for (uint32_t i = 0; i < h; i++) {
    uint32_t y = h - 1 - i;
    FPXImageDesc d;
    memset(&d, 0, sizeof d);
    d.numberOfComponents = n;
    for (uint32_t k = 0; k < n; k++) {
      d.components[k].myColor = colours[k];
      d.components[k].myDataType = DATA_TYPE_UNSIGNED_BYTE;
      d.components[k].horzSubSampFactor = d.components[k].vertSubSampFactor = 1;
      d.components[k].columnStride = int32_t(n);
      d.components[k].lineStride = int32_t(n * w);
      d.components[k].theData = out->data() + size_t(y) * w * n + k;
    }
    FPXStatus s = FPX_ReadImageRectangle(image, 0, y, w - 1, y, resolution, &d);
    if (s != FPX_OK && first == FPX_OK) first = s;
  }
  return first;
}

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return 0;
  double se = 0;
  for (size_t i = 0; i < a.size(); i++) {
    double d = double(a[i]) - double(b[i]);
    se += d * d;
  }
  if (se == 0) return INFINITY;
  return 10 * log10(255.0 * 255.0 * double(a.size()) / se);
}

int max_diff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return 256;
  int m = 0;
  for (size_t i = 0; i < a.size(); i++) m = std::max(m, abs(int(a[i]) - int(b[i])));
  return m;
}

}  // namespace fpxtest
