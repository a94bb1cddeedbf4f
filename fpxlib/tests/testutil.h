// Helpers shared by the reader's tests: fixture paths, PNM files, plug-in
// style row-by-row decoding, image comparison and crafted-file building.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "fpxlib.h"

namespace fpxtest {

std::string fixture(const std::string& name);
bool read_file(const std::string& path, std::vector<uint8_t>* out);
std::string write_temp(const std::string& name, const std::vector<uint8_t>& bytes);

struct Pnm {
  int width = 0, height = 0, channels = 0;
  std::vector<uint8_t> px;
};
bool read_pnm(const std::string& path, Pnm* out);

// Opens `path` as the plug-in does (limit 20,000,000 bytes); returns the status.
struct Opened {
  FPXImage* image = nullptr;
  uint32_t width = 0, height = 0;
  FPXColorspace cs{};
  FPXStatus status = FPX_OK;
  ~Opened();
};
void open_like_plugin(const std::string& path, Opened* o);

// One row per call, bottom row first, resolution -1, top-down result with n
// interleaved components of the given colours. Returns the first failing
// status, or FPX_OK.
FPXStatus decode_rows(FPXImage* image, uint32_t w, uint32_t h, const std::vector<int32_t>& colours,
                      uint32_t resolution, std::vector<uint8_t>* out);

double psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);
int max_diff(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace fpxtest
