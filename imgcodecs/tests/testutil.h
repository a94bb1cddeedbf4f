// Shared test helpers: fixtures made with ImageMagick at test time, reference
// decodes through ImageMagick, and comparisons with decoded images.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "imgcodecs.h"

namespace testutil {

std::string TempPath(const std::string& name);
bool HaveConvert();
// Runs `convert ARGS` through the shell; true on success.
bool Convert(const std::string& args);
std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// A 37 x 21 8-bit picture with many distinct colours, as a PPM file.
std::string PatternPpm();
constexpr int kPatternW = 37, kPatternH = 21;

// ImageMagick's decode of path as 8-bit RGBA (empty on failure).
std::vector<uint8_t> ReferenceRgba(const std::string& path);

// img widened to RGBA (grey to g,g,g; missing alpha as 255).
std::vector<uint8_t> ToRgba(const imgcodecs::Image& img);

// Largest per-channel difference between img and an RGBA reference of the
// same size (compareAlpha false ignores the alpha channel); -1 when the
// sizes differ.
int MaxDifference(const imgcodecs::Image& img, const std::vector<uint8_t>& rgba, bool compareAlpha = true);

imgcodecs::CodecStatus DecodeFile(imgcodecs::DecodeFn fn, const std::string& path, imgcodecs::Image& img);

}  // namespace testutil

#define REQUIRE_CONVERT() \
  if (!testutil::HaveConvert()) GTEST_SKIP() << "ImageMagick convert not installed"

namespace testutil {

// One file variant that ImageMagick writes from the pattern.
struct Variant {
  const char* name;
  const char* args;      // convert options placed before the output name
  int fileBitCount;
  int channels;
  int tolerance = 0;     // per-channel difference allowed against the reference
  // Reference: ImageMagick's decode of the written file, or (where its reader
  // is known to be wrong for the variant) the source picture with the same
  // options applied.
  bool fromSource = false;
};

// For each variant: writes pattern -> FORMAT with convert, decodes with fn,
// and expects ImageMagick's own decode of the file (refSuffix picks a frame,
// e.g. "[0]"), the bit count and the channel layout. Also decodes every
// prefix shorter than half the file and expects a failure status.
void CheckVariants(imgcodecs::DecodeFn fn, const char* format, const std::vector<Variant>& variants,
                   const char* refSuffix = "");

}  // namespace testutil
