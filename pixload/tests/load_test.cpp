// LoadDibFromFile on real files of every extension: the PackedDib's layout,
// the fitted size, the colours where they must be, the information record;
// broken files give 0; files stay unlocked.
#include <gtest/gtest.h>

#include <algorithm>

#include "testutil.h"

using namespace pltest;

namespace {

struct Case {
  const char* file;
  uint32_t width, height;  // in the file
  int bits;                // reported bit depth
  int tolerance;           // lossy formats
};

// 120 x 80 quadrants, except the Photo CD base image and the plain WMF.
const Case kCases[] = {
    {"quad.bmp", 120, 80, 24, 0},   {"quad.png", 120, 80, 24, 0},  {"quad.gif", 120, 80, 8, 0},
    {"quad.tif", 120, 80, 24, 0},   {"quad.tiff", 120, 80, 24, 0}, {"quad.jpg", 120, 80, 24, 48},
    {"quad.jpeg", 120, 80, 24, 48}, {"quad.jpe", 120, 80, 24, 48}, {"quad.emf", 120, 80, 24, 0},
    {"quad.wmf", 120, 80, 24, 0},   {"plain.wmf", 240, 160, 24, 0}, {"quad.tga", 120, 80, 24, 0},
    {"quad.pcx", 120, 80, 24, 0},   {"quad.sgi", 120, 80, 24, 0},  {"quad.psd", 120, 80, 24, 0},
    {"quad.pcd", 768, 512, 24, 64},
};

void ExpectQuadrants(const Dib& d, int tolerance, const char* what) {
  const int w = d.h.biWidth, h = d.h.biHeight;
  EXPECT_TRUE(Near(d.at(w / 4, h / 4), kRed, tolerance)) << what << " top left " << d.at(w / 4, h / 4);
  EXPECT_TRUE(Near(d.at(3 * w / 4, h / 4), kLime, tolerance)) << what << " top right " << d.at(3 * w / 4, h / 4);
  EXPECT_TRUE(Near(d.at(w / 4, 3 * h / 4), kBlue, tolerance)) << what << " bottom left " << d.at(w / 4, 3 * h / 4);
  EXPECT_TRUE(Near(d.at(3 * w / 4, 3 * h / 4), kWhite, tolerance)) << what << " bottom right " << d.at(3 * w / 4, 3 * h / 4);
}

void ExpectWellFormed(const Dib& d, const char* what) {
  EXPECT_FALSE(d.wasLocked) << what;
  EXPECT_EQ(d.h.biSize, 40u) << what;
  EXPECT_EQ(d.h.biPlanes, 1) << what;
  EXPECT_EQ(d.h.biCompression, 0u) << what;
  EXPECT_GT(d.h.biHeight, 0) << what;
  EXPECT_EQ(d.h.biClrUsed, d.h.biBitCount == 8 ? 256u : 0u) << what;
  EXPECT_EQ(d.h.biSizeImage, d.stride() * size_t(d.h.biHeight)) << what;
  ASSERT_GE(d.block.size(), DIB_HEADER_SIZE + 4 * d.h.biClrUsed + d.h.biSizeImage) << what;
  // The bytes after the pixels of each row are zero.
  const size_t used = size_t(d.h.biWidth) * d.h.biBitCount / 8;
  for (int y = 0; y < d.h.biHeight; ++y)
    for (size_t i = used; i < d.stride(); ++i) ASSERT_EQ(d.row(y)[i], 0) << what << " row " << y;
}

TEST(PixloadLoad, EveryExtensionFittedIntoTheTipBox) {
  for (const Case& c : kCases) {
    const DibLoadRequest box = Box(300, 300);
    DibImageInfo info = {};
    const MemHandle h = LoadDibFromFile(Sample(c.file).c_str(), &box, &info);
    ASSERT_NE(h, 0u) << c.file;
    EXPECT_EQ(info.dwWidth, c.width) << c.file;
    EXPECT_EQ(info.dwHeight, c.height) << c.file;
    EXPECT_EQ(info.wBitCount, c.bits) << c.file;
    EXPECT_EQ(info.wFrameCount, 0) << c.file;
    const Dib d = Read(h);
    ExpectWellFormed(d, c.file);
    EXPECT_EQ(d.h.biWidth, 300) << c.file;  // 3:2 pictures, enlarged or reduced
    EXPECT_EQ(d.h.biHeight, 200) << c.file;
    ExpectQuadrants(d, c.tolerance, c.file);
    EXPECT_EQ(ZoMemFree(h), 1);
  }
}

TEST(PixloadLoad, SmallBoxReducesAndNoBoxKeepsTheSize) {
  for (const Case& c : kCases) {
    const DibLoadRequest small = Box(50, 50);
    DibImageInfo info = {};
    MemHandle h = LoadDibFromFile(Sample(c.file).c_str(), &small, &info);
    ASSERT_NE(h, 0u) << c.file;
    Dib d = Read(h);
    ExpectWellFormed(d, c.file);  // 50 x 33: rows of 152 bytes, 2 of them padding
    EXPECT_EQ(d.h.biWidth, 50) << c.file;
    EXPECT_EQ(d.h.biHeight, 33) << c.file;
    ExpectQuadrants(d, c.tolerance, c.file);
    EXPECT_EQ(info.dwWidth, c.width) << c.file;
    ZoMemFree(h);

    const DibLoadRequest none = Box(0, 300);
    h = LoadDibFromFile(Sample(c.file).c_str(), &none, &info);
    ASSERT_NE(h, 0u) << c.file;
    d = Read(h);
    EXPECT_EQ(uint32_t(d.h.biWidth), c.width) << c.file;
    EXPECT_EQ(uint32_t(d.h.biHeight), c.height) << c.file;
    ExpectQuadrants(d, c.tolerance, c.file);
    ZoMemFree(h);
  }
  // A null request fits nothing either.
  const MemHandle h = LoadDibFromFile(Sample("quad.png").c_str(), nullptr, nullptr);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(Read(h).h.biWidth, 120);
  ZoMemFree(h);
}

TEST(PixloadLoad, GreyAlphaBilevelAndTallPictures) {
  const DibLoadRequest box = Box(300, 300);
  DibImageInfo info = {};
  // Grey pictures come as 8 bits with the grey ramp.
  for (const char* f : {"grey.png", "grey.jpg"}) {
    const MemHandle h = LoadDibFromFile(Sample(f).c_str(), &box, &info);
    ASSERT_NE(h, 0u) << f;
    const Dib d = Read(h);
    ExpectWellFormed(d, f);
    EXPECT_EQ(d.h.biBitCount, 8) << f;
    EXPECT_EQ(info.wBitCount, 8) << f;
    ZoMemFree(h);
  }
  {  // Transparent right half: composed over white.
    const MemHandle h = LoadDibFromFile(Sample("alpha.png").c_str(), &box, &info);
    ASSERT_NE(h, 0u);
    const Dib d = Read(h);
    EXPECT_EQ(info.wBitCount, 32);
    EXPECT_EQ(d.h.biWidth, 300);
    EXPECT_EQ(d.h.biHeight, 200);
    EXPECT_TRUE(Near(d.at(75, 100), kRed, 0));
    EXPECT_TRUE(Near(d.at(225, 100), kWhite, 0));
    ZoMemFree(h);
  }
  // 1-bit indexed frames (Wine cannot copy parts of them), reduced and enlarged.
  for (const char* f : {"bw.png", "bw.tif"}) {
    for (int side : {60, 600}) {
      const DibLoadRequest b = Box(side, side);
      const MemHandle h = LoadDibFromFile(Sample(f).c_str(), &b, &info);
      ASSERT_NE(h, 0u) << f << " " << side;
      const Dib d = Read(h);
      EXPECT_EQ(d.h.biWidth, side) << f;
      EXPECT_EQ(d.h.biHeight, side * 2 / 3) << f;
      EXPECT_EQ(info.wBitCount, 1) << f;
      EXPECT_TRUE(Near(d.at(side / 4, side / 3), kBlack, 0)) << f << " " << side;
      EXPECT_TRUE(Near(d.at(3 * side / 4, side / 3), kWhite, 0)) << f << " " << side;
      ZoMemFree(h);
    }
  }
  {  // Turned a quarter: the height decides.
    const MemHandle h = LoadDibFromFile(Sample("tall.bmp").c_str(), &box, &info);
    ASSERT_NE(h, 0u);
    const Dib d = Read(h);
    EXPECT_EQ(d.h.biWidth, 200);
    EXPECT_EQ(d.h.biHeight, 300);
    EXPECT_TRUE(Near(d.at(150, 75), kRed, 0));  // the top left went to the top right
    EXPECT_TRUE(Near(d.at(50, 225), kWhite, 0));
    ZoMemFree(h);
  }
}

TEST(PixloadLoad, AnimatedGifGivesItsFirstFrameAndFrameCount) {
  const DibLoadRequest box = Box(300, 300);
  DibImageInfo info = {};
  const MemHandle h = LoadDibFromFile(Sample("anim.gif").c_str(), &box, &info);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(info.dwWidth, 40u);
  EXPECT_EQ(info.dwHeight, 30u);
  EXPECT_EQ(info.wBitCount, 8);
  EXPECT_EQ(info.wFrameCount, 3);
  const Dib d = Read(h);
  EXPECT_EQ(d.h.biWidth, 300);
  EXPECT_EQ(d.h.biHeight, 225);
  EXPECT_TRUE(Near(d.at(150, 110), kRed, 0));
  ZoMemFree(h);
}

// Broken copies of every sample: cut short, cut to a header's worth, emptied,
// garbage under the right name. None may crash; cut files give 0.
TEST(PixloadLoad, BrokenFilesGiveZero) {
  const std::string dir = TempFolder("pixload_broken");
  std::vector<std::string> names;
  for (const Case& c : kCases) names.push_back(c.file);
  names.push_back("anim.gif");
  names.push_back("grey.jpg");
  for (const std::string& name : names) {
    const std::vector<uint8_t> good = FileBytes(Sample(name));
    ASSERT_GT(good.size(), 100u) << name;
    struct Variant {
      const char* what;
      std::vector<uint8_t> bytes;
      bool mustFail;
    };
    std::vector<Variant> variants = {
        {"half", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), true},
        {"20 bytes", std::vector<uint8_t>(good.begin(), good.begin() + 20), true},
        {"empty", {}, true},
        {"garbage", std::vector<uint8_t>(4096), true},
        {"scrambled body", good, false},
    };
    uint32_t seed = 12345;
    for (auto& b : variants[3].bytes) b = uint8_t((seed = seed * 1103515245 + 12345) >> 24);
    for (size_t i = 24; i < good.size(); i += 7) variants[4].bytes[i] ^= uint8_t(0x5A + i);
    const std::string ext = name.substr(name.find('.'));
    for (const Variant& v : variants) {
      const std::string path = dir + "\\broken" + ext;
      ASSERT_TRUE(WriteBytes(path, v.bytes));
      for (int side : {300, 0}) {
        const DibLoadRequest box = Box(side, side);
        DibImageInfo info = {};
        const MemHandle h = LoadDibFromFile(path.c_str(), &box, &info);
        if (v.mustFail) {
          EXPECT_EQ(h, 0u) << name << ": " << v.what;
        }
        if (h) {
          ExpectWellFormed(Read(h), (name + ": " + v.what).c_str());
          ZoMemFree(h);
        } else {
          EXPECT_EQ(info.wFrameCount, 0) << name << ": " << v.what;
        }
      }
      EXPECT_TRUE(DeleteFileA(path.c_str())) << name << ": " << v.what << " stayed open";
    }
  }
  RemoveDirectoryA(dir.c_str());
  const DibLoadRequest box = Box(300, 300);
  DibImageInfo info = {};
  EXPECT_EQ(LoadDibFromFile((dir + "\\missing.png").c_str(), &box, &info), 0u);
  EXPECT_EQ(LoadDibFromFile("", &box, &info), 0u);
  EXPECT_EQ(LoadDibFromFile(nullptr, &box, &info), 0u);
  EXPECT_EQ(LoadDibFromFile(Sample("quad.ppm").c_str(), &box, &info), 0u);  // nobody reads .ppm
}

// Random damage, seeded: bytes overwritten anywhere (headers included) and
// random lengths. Any result is allowed except a crash or a malformed bitmap.
TEST(PixloadLoad, RandomlyDamagedFilesNeverCrash) {
  const std::string dir = TempFolder("pixload_damaged");
  uint32_t seed = 2024;
  auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
  std::vector<std::string> names;
  for (const Case& c : kCases) names.push_back(c.file);
  names.push_back("anim.gif");
  for (const std::string& name : names) {
    const std::vector<uint8_t> good = FileBytes(Sample(name));
    const std::string path = dir + "\\damaged" + name.substr(name.find('.'));
    for (int round = 0; round < 40; ++round) {
      std::vector<uint8_t> bytes = good;
      const int hits = 1 + int(next() % 8);
      for (int i = 0; i < hits; ++i) {
        // Early bytes (headers) are hit as often as the rest.
        const size_t at = (i % 2 ? next() % bytes.size() : next() % std::min<size_t>(bytes.size(), 128));
        bytes[at] = uint8_t(next());
      }
      if (round % 4 == 3) bytes.resize(next() % bytes.size());
      ASSERT_TRUE(WriteBytes(path, bytes));
      const DibLoadRequest box = Box(300, 300);
      DibImageInfo info = {};
      const MemHandle h = LoadDibFromFile(path.c_str(), &box, &info);
      if (h) {
        ExpectWellFormed(Read(h), (name + " round " + std::to_string(round)).c_str());
        ZoMemFree(h);
      }
    }
    DeleteFileA(path.c_str());
  }
  RemoveDirectoryA(dir.c_str());
}

// Loads share the file with any other opener and leave it closed.
TEST(PixloadLoad, FilesAreSharedAndNotLocked) {
  const std::string dir = TempFolder("pixload_share");
  for (const Case& c : kCases) {
    const std::string path = dir + "\\" + c.file;
    ASSERT_TRUE(WriteBytes(path, FileBytes(Sample(c.file)))) << c.file;
    // Someone holds it open for writing and deleting, sharing everything.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << c.file;
    const DibLoadRequest box = Box(300, 300);
    DibImageInfo info = {};
    const MemHandle h = LoadDibFromFile(path.c_str(), &box, &info);
    EXPECT_NE(h, 0u) << c.file << " while another opener holds it";
    ZoMemFree(h);
    CloseHandle(held);
    // Afterwards nobody but us has it: an exclusive open succeeds.
    HANDLE alone = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(alone, INVALID_HANDLE_VALUE) << c.file << " still open after the load";
    CloseHandle(alone);
    EXPECT_TRUE(DeleteFileA(path.c_str())) << c.file;
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
