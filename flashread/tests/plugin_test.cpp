// The plug-in's exports other than loading: descriptor, extension test,
// save request and file information, including their temporary files.
#include <gtest/gtest.h>

#include <string.h>

#include "plugin.h"

namespace {

class Plugin : public testing::Test {
 protected:
  void SetUp() override {
    api = LoadPlugin();
    ASSERT_NE(api.module, nullptr);
  }
  void TearDown() override { EXPECT_EQ(temp.Count(), 0) << "temporary files left behind"; }

  // GetDibInfo with a temporary-file count around it: none before or after.
  int Info(const std::string& path, uint8_t* record) {
    EXPECT_EQ(temp.Count(), 0);
    const int r = api.GetDibInfo(path.c_str(), record);
    EXPECT_EQ(temp.Count(), 0) << path;
    return r;
  }

  PrivateTempFolder temp;
  PluginApi api;
};

TEST_F(Plugin, IsPluginWritesTheDescriptorAndNothingElse) {
  uint8_t record[300];
  memset(record, 0xFF, sizeof record);
  std::vector<uint8_t> expect(record, record + sizeof record);
  const uint8_t cap[4] = {3, 0, 0, 0};
  const char filter[] = "FPX FlashPix (*.FPX)\r*.FPX\r";
  memcpy(&expect[0], cap, 4);
  memcpy(&expect[4], filter, sizeof filter);      // bytes 4..31
  memcpy(&expect[104], filter, sizeof filter);    // 104..131
  memcpy(&expect[204], "Fpx File Plug-In", 17);   // 204..220
  memcpy(&expect[224], "About Information", 18);  // 224..241
  EXPECT_EQ(api.IsPlugin(record), 1);
  EXPECT_EQ(std::vector<uint8_t>(record, record + sizeof record), expect);
}

TEST_F(Plugin, FileIsSupportSearchesTheFilterText) {
  const struct {
    const char* name;
    int expect;
  } cases[] = {
      {"a.fpx", 1}, {"B.FPX", 1}, {"c.Fpx", 1}, {"C:\\pictures\\holiday.fPx", 1},
      // Substrings of the filter text pass too.
      {"d.fp", 1}, {"e.f", 1}, {"f.", 1}, {"g.fpx)", 1}, {"h.fpx)\r*", 1},
      {"a.jpg", 0}, {"a.px", 0}, {"fpx", 0}, {"x.y\\pic", 0}, {"a.fpxx", 0}, {"a.fp x", 0}, {"", 0},
      // Longer than 11 bytes: refused, whatever the filter holds.
      {"C:\\a.b\\long folder name\\pic", 0}, {"a.fpx        ", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(api.FileIsSupport(c.name), c.expect) << c.name;
  // A very long text after the dot must not run past any buffer.
  const std::string longName = "x." + std::string(100000, 'f');
  EXPECT_EQ(api.FileIsSupport(longName.c_str()), 0);
}

TEST_F(Plugin, SaveDibAnswersOneAndWritesNothing) {
  uint8_t buffer[64];
  memset(buffer, 0xCC, sizeof buffer);
  const int before = temp.Count("*");
  EXPECT_EQ(api.SaveDib(0, 0, 0), 1);
  EXPECT_EQ(api.SaveDib(reinterpret_cast<uintptr_t>(buffer), 12345, reinterpret_cast<uintptr_t>(buffer)), 1);
  EXPECT_EQ(api.SaveDib(1, 2, 3), 1);  // no pointer is followed
  EXPECT_EQ(temp.Count("*"), before);
  for (uint8_t b : buffer) ASSERT_EQ(b, 0xCC);
}

TEST_F(Plugin, GetDibInfoFillsTheRecord) {
  const struct {
    const char* file;
    uint32_t w, h;
    uint16_t bits;
    uint32_t imageSize;
  } cases[] = {
      {"rgb_10x3_none.fpx", 10, 3, 24, 96},
      {"mono_11x3_none.fpx", 11, 3, 8, 36},
      {"rgb_640x480_jpeg90.fpx", 640, 480, 24, 640 * 3 * 480},
      {"external/pillow_input_bw_one_band.fpx", 70, 46, 8, 72 * 46},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    uint8_t record[64];
    memset(record, 0xFF, sizeof record);
    ASSERT_EQ(Info(Fixture(c.file), record), int(c.w));
    uint32_t w, h, fileSize, imageSize;
    uint16_t bits, planes;
    memcpy(&w, record + 0, 4);
    memcpy(&h, record + 4, 4);
    memcpy(&bits, record + 8, 2);
    memcpy(&planes, record + 10, 2);
    memcpy(&fileSize, record + 12, 4);
    memcpy(&imageSize, record + 16, 4);
    EXPECT_EQ(w, c.w);
    EXPECT_EQ(h, c.h);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(planes, 1);
    EXPECT_EQ(fileSize, ReadFileBytes(Fixture(c.file)).size());
    EXPECT_EQ(imageSize, c.imageSize);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(record + 20), 16), "FlashPix (*.FPX)");
    for (size_t i = 36; i < sizeof record; ++i) ASSERT_EQ(record[i], 0xFF) << "byte " << i;
  }
  EXPECT_EQ(Info(Fixture("rgb_10x3_none.fpx"), nullptr), 10);
}

// Every way the opening can fail: -1, the record untouched, no temporary file.
TEST_F(Plugin, GetDibInfoFailures) {
  const std::string notFpx = temp.root() + "not_flashpix.fpx";
  WriteFileBytes(notFpx, std::vector<uint8_t>(4096, 'x'));
  for (const std::string& path :
       {Fixture("monoa_300x200_none.fpx"), Fixture("rgba_300x200_jpeg90.fpx"), Fixture("ycca_64x64_none.fpx"),
        Fixture("external/pillow_input_bw_five_bands.fpx"), Fixture("no_such_file.fpx"), notFpx}) {
    uint8_t record[40];
    memset(record, 0xAB, sizeof record);
    EXPECT_EQ(Info(path, record), -1) << path;
    EXPECT_EQ(Info(path, nullptr), -1) << path;
    for (uint8_t b : record) ASSERT_EQ(b, 0xAB) << path;
  }
}

TEST_F(Plugin, GetDibInfoWithoutATemporaryName) {
  temp.PointAtMissingFolder(true);
  uint8_t record[40];
  memset(record, 0xAB, sizeof record);
  EXPECT_EQ(api.GetDibInfo(Fixture("rgb_10x3_none.fpx").c_str(), record), -1);
  for (uint8_t b : record) ASSERT_EQ(b, 0xAB);
  temp.PointAtMissingFolder(false);
  EXPECT_EQ(Info(Fixture("rgb_10x3_none.fpx"), record), 10) << "works again once the folder is back";
}

}  // namespace
