// Every fixture decoded as the plug-in decodes it (one row per call, bottom
// row first, resolution -1) and compared with the reference decoding:
// uncompressed and single-colour tiles exactly, JPEG tiles by PSNR, PhotoYCC
// within 2 levels; files with opacity against their stored values.
#include <dirent.h>
#include <math.h>
#include <stdio.h>

#include <cmath>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "testutil.h"

using namespace fpxtest;

namespace {

std::vector<std::string> list_fixtures() {
  std::vector<std::string> out;
  for (std::string dir : {"", "external/"}) {
    DIR* d = opendir(fixture(dir).c_str());
    if (!d) continue;
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > 4 && n.substr(n.size() - 4) == ".fpx") out.push_back(dir + n);
    }
    closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

bool has(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

std::string stem(const std::string& n) { return n.substr(0, n.size() - 4); }

std::vector<int32_t> request_colours(int n) {
  if (n == 1) return {MONOCHROME};
  return {NIFRGB_R, NIFRGB_G, NIFRGB_B};
}

std::vector<int32_t> stored_colours(const FPXColorspace& cs) {
  std::vector<int32_t> c;
  for (int k = 0; k < cs.numberOfComponents; k++) c.push_back(cs.theComponents[k].myColor);
  return c;
}

void report(const std::string& name, const std::string& what) {
  printf("[conformance] %-44s %s\n", name.c_str(), what.c_str());
}

std::string fmt_psnr(double p) {
  char b[64];
  if (std::isinf(p)) return "exact";
  snprintf(b, sizeof b, "PSNR %.2f dB", p);
  return b;
}

class Fixture : public testing::TestWithParam<std::string> {};

TEST_P(Fixture, DecodesLikeTheReference) {
  const std::string name = GetParam();
  Opened o;
  open_like_plugin(fixture(name), &o);
  if (has(name, "five_bands")) {
    EXPECT_EQ(o.status, FPX_UNSUPPORTED);
    report(name, "refused (five components)");
    return;
  }
  ASSERT_EQ(o.status, FPX_OK);
  const int n = o.cs.numberOfComponents;
  const bool jpeg = has(name, "jpeg");
  const bool ycc = name.rfind("ycc", 0) == 0;

  if (n == 2 || n == 4) {
    // Opacity files: the plug-in refuses them by their count; the stored
    // values still decode and match the toolkit's own reading of them.
    EXPECT_TRUE((has(name, "monoa") && n == 2) || ((has(name, "rgba") || has(name, "ycca")) && n == 4));
    Pnm ref;
    ASSERT_TRUE(read_pnm(fixture(stem(name) + "_native.pam"), &ref));
    std::vector<uint8_t> got;
    ASSERT_EQ(decode_rows(o.image, o.width, o.height, stored_colours(o.cs), 0xFFFFFFFFu, &got), FPX_OK);
    double p = psnr(got, ref.px);
    if (jpeg) EXPECT_GE(p, 40.0); else EXPECT_EQ(got, ref.px);
    report(name, "stored values " + fmt_psnr(p) + ", " + std::to_string(n) + " components");
    return;
  }
  ASSERT_TRUE(n == 1 || n == 3);
  std::vector<uint8_t> got;
  ASSERT_EQ(decode_rows(o.image, o.width, o.height, request_colours(n), 0xFFFFFFFFu, &got), FPX_OK);
  Pnm ref;
  std::string refname = stem(name) + (n == 1 ? ".pgm" : ".ppm");
  if (!read_pnm(fixture(refname), &ref)) {
    report(name, "decoded (no reference decoding)");
    return;
  }
  ASSERT_EQ(ref.width, int(o.width));
  ASSERT_EQ(ref.height, int(o.height));
  ASSERT_EQ(ref.channels, n);
  double p = psnr(got, ref.px);
  int md = max_diff(got, ref.px);
  if (ycc) {
    // The stored values first, then the conversion to RGB.
    Pnm native;
    ASSERT_TRUE(read_pnm(fixture(stem(name) + "_native.ppm"), &native));
    std::vector<uint8_t> stored;
    ASSERT_EQ(decode_rows(o.image, o.width, o.height, stored_colours(o.cs), 0xFFFFFFFFu, &stored), FPX_OK);
    double pn = psnr(stored, native.px);
    if (jpeg) {
      EXPECT_GE(pn, 40.0);
      EXPECT_GE(p, 40.0);
    } else {
      EXPECT_EQ(stored, native.px);
      EXPECT_LE(md, 2);
    }
    report(name, "RGB " + fmt_psnr(p) + " max diff " + std::to_string(md) + "; stored YCC " + fmt_psnr(pn));
  } else if (jpeg) {
    EXPECT_GE(p, 40.0);
    report(name, fmt_psnr(p) + " max diff " + std::to_string(md));
  } else {
    EXPECT_EQ(md, 0);
    report(name, md == 0 ? "exact" : "DIFFERS max " + std::to_string(md));
  }
}

std::string test_name(const testing::TestParamInfo<std::string>& i) {
  std::string s = stem(i.param);
  for (char& c : s)
    if (!isalnum((unsigned char)c)) c = '_';
  return s;
}

INSTANTIATE_TEST_SUITE_P(AllFixtures, Fixture, testing::ValuesIn(list_fixtures()), test_name);

TEST(Fixtures, AreThere) { EXPECT_FALSE(list_fixtures().empty()) << "no fixtures under " << fixture(""); }

}  // namespace
