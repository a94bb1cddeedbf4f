#include "testutil.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace testutil {

std::string TempPath(const std::string& name) {
  const char* dir = getenv("IMGCODECS_TMP");
  std::string base = dir && *dir ? dir : "/tmp/imgcodecs-tests";
  mkdir(base.c_str(), 0755);
  return base + "/" + name;
}

bool HaveConvert() {
  static const bool have = system("convert -version >/dev/null 2>&1") == 0;
  return have;
}

bool Convert(const std::string& args) { return system(("convert " + args + " 2>/dev/null").c_str()) == 0; }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return bytes;
  uint8_t buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  fclose(f);
  return bytes;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

std::string PatternPpm() {
  const std::string path = TempPath("pattern.ppm");
  std::string head = "P6 " + std::to_string(kPatternW) + " " + std::to_string(kPatternH) + " 255\n";
  std::vector<uint8_t> bytes(head.begin(), head.end());
  for (int y = 0; y < kPatternH; ++y)
    for (int x = 0; x < kPatternW; ++x) {
      bytes.push_back(static_cast<uint8_t>(x * 7));
      bytes.push_back(static_cast<uint8_t>(y * 12));
      bytes.push_back(static_cast<uint8_t>(x * y * 5 + 3));
    }
  WriteFile(path, bytes);
  return path;
}

std::vector<uint8_t> ReferenceRgba(const std::string& path) {
  const std::string out = path + ".ref.rgba";
  if (!Convert("'" + path + "' -auto-orient -depth 8 rgba:'" + out + "'")) return {};
  return ReadFile(out);
}

std::vector<uint8_t> ToRgba(const imgcodecs::Image& img) {
  std::vector<uint8_t> rgba;
  const size_t n = size_t(img.width) * img.height;
  rgba.reserve(n * 4);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = &img.pixels[i * img.channels];
    if (img.channels == 1) rgba.insert(rgba.end(), {p[0], p[0], p[0], 255});
    else rgba.insert(rgba.end(), {p[0], p[1], p[2], img.channels == 4 ? p[3] : uint8_t(255)});
  }
  return rgba;
}

int MaxDifference(const imgcodecs::Image& img, const std::vector<uint8_t>& rgba, bool compareAlpha) {
  const std::vector<uint8_t> ours = ToRgba(img);
  if (ours.size() != rgba.size()) return -1;
  int worst = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    if (!compareAlpha && i % 4 == 3) continue;
    const int d = abs(int(ours[i]) - int(rgba[i]));
    if (d > worst) worst = d;
  }
  return worst;
}

imgcodecs::CodecStatus DecodeFile(imgcodecs::DecodeFn fn, const std::string& path, imgcodecs::Image& img) {
  const std::vector<uint8_t> bytes = ReadFile(path);
  return fn(bytes.data(), bytes.size(), img, nullptr);
}

}  // namespace testutil

#include <gtest/gtest.h>

namespace testutil {

void CheckVariants(imgcodecs::DecodeFn fn, const char* format, const std::vector<Variant>& variants,
                   const char* refSuffix) {
  const std::string src = PatternPpm();
  int index = 0;
  for (const Variant& v : variants) {
    SCOPED_TRACE(std::string(format) + " variant: " + v.name);
    const std::string path = TempPath(std::string(format) + "-" + std::to_string(index++) + "." + format);
    ASSERT_TRUE(Convert("'" + src + "' " + v.args + " " + format + ":'" + path + "'"));
    std::vector<uint8_t> ref;
    if (v.fromSource) {
      const std::string refPath = path + ".src.rgba";
      if (Convert("'" + src + "' " + v.args + " -depth 8 rgba:'" + refPath + "'")) ref = ReadFile(refPath);
    } else {
      ref = ReferenceRgba(path + refSuffix);
    }
    ASSERT_EQ(ref.size(), size_t(kPatternW) * kPatternH * 4);
    const std::vector<uint8_t> bytes = ReadFile(path);
    imgcodecs::Image img;
    ASSERT_EQ(fn(bytes.data(), bytes.size(), img, nullptr), imgcodecs::CodecStatus::Ok);
    EXPECT_EQ(img.width, kPatternW);
    EXPECT_EQ(img.height, kPatternH);
    EXPECT_EQ(img.channels, v.channels);
    EXPECT_EQ(img.fileBitCount, v.fileBitCount);
    EXPECT_LE(MaxDifference(img, ref), v.tolerance);
    EXPECT_GE(MaxDifference(img, ref), 0);
    for (size_t n = 0; n < bytes.size() / 2; ++n) {
      imgcodecs::Image part;
      const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + n);
      ASSERT_NE(fn(prefix.data(), prefix.size(), part, nullptr), imgcodecs::CodecStatus::Ok) << "prefix " << n;
      ASSERT_TRUE(part.pixels.empty());
    }
  }
}

}  // namespace testutil
