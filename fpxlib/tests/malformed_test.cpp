// Malformed input: crafted files with one fault each, and truncations of
// real files. Every case ends in an error status (never a crash; the tests
// run under ASan and UBSan).
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fpxbuild.h"
#include "fpxinfo.h"
#include "testutil.h"

using namespace fpxtest;

namespace {

// Opens bytes as a file; when the open succeeds, reads every level row by
// row and returns the first read failure in *read_status.
FPXStatus open_and_read(const std::vector<uint8_t>& bytes, const std::string& name,
                        FPXStatus* read_status) {
  std::string path = write_temp(name, bytes);
  Opened o;
  open_like_plugin(path, &o);
  *read_status = FPX_OK;
  if (o.status == FPX_OK) {
    EXPECT_GE(o.cs.numberOfComponents, 1);
    EXPECT_LE(o.cs.numberOfComponents, 4);
    uint32_t levels = 0;
    FPX_GetLevelCount(o.image, &levels);
    for (uint32_t l = 0; l < levels; l++) {
      FPXLevelInfo li;
      EXPECT_EQ(FPX_GetLevelInfo(o.image, l, &li), FPX_OK);
      std::vector<int32_t> colours;
      for (int k = 0; k < o.cs.numberOfComponents; k++) colours.push_back(o.cs.theComponents[k].myColor);
      std::vector<uint8_t> px;
      FPXStatus s = decode_rows(o.image, li.width, li.height, colours, l, &px);
      if (s != FPX_OK && *read_status == FPX_OK) *read_status = s;
    }
  }
  remove(path.c_str());
  return o.status;
}

struct Case {
  const char* name;
  std::function<void(FpxSpec&)> spec_fault;   // applied before building
  std::function<void(Built&)> byte_fault;     // applied to the built bytes
  FPXStatus open_status;
  FPXStatus read_status;                      // when the open succeeds
};

uint32_t le32(const std::vector<uint8_t>& b, size_t o) {
  return uint32_t(b[o]) | uint32_t(b[o + 1]) << 8 | uint32_t(b[o + 2]) << 16 | uint32_t(b[o + 3]) << 24;
}
// The FAT entry of the sector at file offset `off`.
size_t fat_slot(const Built& b, size_t off) { return b.fat + 4 * ((off - 512) / 512); }

// Property section of the Image Contents stream starts 48 bytes in.
size_t section(const Built& b) { return b.stream("contents") + 48; }

const Case kCases[] = {
    {"valid file (the builder itself)", nullptr, nullptr, FPX_OK, FPX_OK},
    {"five components", [](FpxSpec& s) { s.levels[0].channel_words = {0x00030000, 0x00030001, 0x00030002, 0x00037FFE, 0x00037FFE}; },
     nullptr, FPX_UNSUPPORTED, FPX_OK},
    {"header declares five channels", [](FpxSpec& s) { s.levels[0].header_channels = 5; }, nullptr,
     FPX_UNSUPPORTED, FPX_OK},
    {"header channel count differs", [](FpxSpec& s) { s.levels[0].header_channels = 1; }, nullptr,
     FPX_INVALID_FORMAT, FPX_OK},
    {"no channels", [](FpxSpec& s) { s.levels[0].channel_words.clear(); }, nullptr, FPX_INVALID_FORMAT, FPX_OK},
    {"unknown colour space", [](FpxSpec& s) { s.levels[0].channel_words = {0x00090000}; s.levels[0].header_channels = 1; },
     nullptr, FPX_UNSUPPORTED, FPX_OK},
    {"huge dimensions, tile count does not match",
     [](FpxSpec& s) { s.levels[0].width = 0xFFFFFFFFu; s.levels[0].height = 0xFFFFFFFFu; }, nullptr,
     FPX_INVALID_FORMAT, FPX_OK},
    {"dimensions whose tile product overflows 32 bits",
     [](FpxSpec& s) { s.levels[0].width = 0x40000000u; s.levels[0].height = 0x100000u; }, nullptr,
     FPX_INVALID_FORMAT, FPX_OK},
    {"zero width", [](FpxSpec& s) { s.levels[0].width = 0; }, nullptr, FPX_INVALID_FORMAT, FPX_OK},
    {"a declared level's storage missing", [](FpxSpec& s) { s.levels.insert(s.levels.begin(), s.levels[0]); },
     [](Built& b) { put32(b.bytes, b.entry("L0") + 2 * 13, 'X'); }, FPX_INVALID_FORMAT, FPX_OK},
    {"tile offset past the data stream", [](FpxSpec& s) { s.levels[0].tiles[1].bytes.resize(64 * 64 * 3); },
     [](Built& b) { put32(b.bytes, b.stream("L0 header") + 64 + 16, 0x7FFFFFF0u); }, FPX_OK, FPX_TILE_DECODE_ERROR},
    {"uncompressed tile shorter than a tile", nullptr,
     [](Built& b) { put32(b.bytes, b.stream("L0 header") + 64 + 4, 100); }, FPX_OK, FPX_TILE_DECODE_ERROR},
    {"unknown tile compression", nullptr, [](Built& b) { put32(b.bytes, b.stream("L0 header") + 64 + 8, 7); },
     FPX_OK, FPX_UNSUPPORTED},
    {"JPEG tile of garbage",
     [](FpxSpec& s) { s.levels[0].tiles[0] = {2, 0x00012200, std::vector<uint8_t>(700, 0x5A)}; }, nullptr, FPX_OK,
     FPX_TILE_DECODE_ERROR},
    {"JPEG tile naming a missing table set",
     [](FpxSpec& s) { s.levels[0].tiles[0] = {2, 0x03012200, {0xFF, 0xD8, 0xFF, 0xD9}}; }, nullptr, FPX_OK,
     FPX_TILE_DECODE_ERROR},
    {"JPEG table set of garbage",
     [](FpxSpec& s) {
       s.jpeg_tables = {std::vector<uint8_t>(64, 0xFF)};
       s.levels[0].tiles[0] = {2, 0x01012200, {0xFF, 0xD8, 0xFF, 0xD9}};
     },
     nullptr, FPX_OK, FPX_TILE_DECODE_ERROR},
    {"tile table outside the header stream", nullptr,
     [](Built& b) { put32(b.bytes, b.stream("L0 header") + 56, 0x10000); }, FPX_INVALID_FORMAT, FPX_OK},
    {"tile entries shorter than 16 bytes", nullptr, [](Built& b) { put32(b.bytes, b.stream("L0 header") + 60, 8); },
     FPX_INVALID_FORMAT, FPX_OK},
    {"not a compound file", nullptr, [](Built& b) { b.bytes[0] = 'X'; }, FPX_INVALID_FORMAT, FPX_OK},
    {"bad sector size", nullptr, [](Built& b) { b.bytes[0x1E] = 16; }, FPX_INVALID_FORMAT, FPX_OK},
    {"FAT sector count beyond the file", nullptr, [](Built& b) { put32(b.bytes, 0x2C, 0x00FFFFFF); },
     FPX_INVALID_FORMAT, FPX_OK},
    {"DIFAT chain looping on itself",
     nullptr,
     [](Built& b) {
       put32(b.bytes, 0x2C, 200);  // more FAT sectors than the header holds
       put32(b.bytes, 0x44, 0);
       put32(b.bytes, 0x48, 0xFFFFFFFFu);
       put32(b.bytes, 512 + 508, 0);  // sector 0 names itself as the next DIFAT sector
     },
     FPX_INVALID_FORMAT, FPX_OK},
    {"sector chain that loops", nullptr,
     [](Built& b) {
       size_t d = b.stream("L0 data");
       put32(b.bytes, fat_slot(b, d) + 4, uint32_t((d - 512) / 512));  // second sector -> first
     },
     FPX_INVALID_FORMAT, FPX_OK},
    {"sector chain running past the FAT", nullptr,
     [](Built& b) { put32(b.bytes, fat_slot(b, b.stream("L0 data")), 0x00FFFFFF); }, FPX_INVALID_FORMAT, FPX_OK},
    {"sector chain ending early", nullptr,
     [](Built& b) { put32(b.bytes, fat_slot(b, b.stream("L0 header")), 0xFFFFFFFEu); }, FPX_INVALID_FORMAT, FPX_OK},
    {"stream larger than the file", nullptr,
     [](Built& b) { put32(b.bytes, b.entry("L0 data") + 0x78, 0x7FFFFFFF); }, FPX_INVALID_FORMAT, FPX_OK},
    {"directory sibling cycle around a missing name", nullptr,
     [](Built& b) {
       // The data stream's right sibling is the header again, and the data
       // stream is renamed, so the search must notice the loop to end.
       put32(b.bytes, b.entry("L0 data") + 0x48, le32(b.bytes, b.entry("L0") + 0x4C));
       b.bytes[b.entry("L0 data") + 2 * 17] = 'X';
     },
     FPX_INVALID_FORMAT, FPX_OK},
    {"directory child pointing at the root", nullptr, [](Built& b) { put32(b.bytes, b.entry("L0") + 0x4C, 0); },
     FPX_INVALID_FORMAT, FPX_OK},
    {"directory pointer past the directory", nullptr,
     [](Built& b) { put32(b.bytes, b.entry("store") + 0x4C, 1000); }, FPX_INVALID_FORMAT, FPX_OK},
    {"property section larger than its stream", nullptr,
     [](Built& b) { put32(b.bytes, section(b), 0x00100000); }, FPX_INVALID_FORMAT, FPX_OK},
    {"property count beyond the section", nullptr, [](Built& b) { put32(b.bytes, section(b) + 4, 0x10000000); },
     FPX_INVALID_FORMAT, FPX_OK},
    {"property offset beyond the section", nullptr, [](Built& b) { put32(b.bytes, section(b) + 12, 0x7FFFFFFF); },
     FPX_INVALID_FORMAT, FPX_OK},
    {"blob length beyond the section", nullptr,
     [](Built& b) {
       // The colour blob is the sixth property; its length follows its type word.
       size_t v = section(b) + le32(b.bytes, section(b) + 12 + 8 * 5);
       put32(b.bytes, v + 4, 0xFFFFFFF0u);
     },
     FPX_INVALID_FORMAT, FPX_OK},
    {"level count property of the wrong type", nullptr,
     [](Built& b) { put32(b.bytes, section(b) + le32(b.bytes, section(b) + 12), 65); }, FPX_INVALID_FORMAT, FPX_OK},
};

TEST(Malformed, EachFaultGivesItsError) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    FpxSpec recipe = simple_spec(100, 70, 3);
    if (c.spec_fault) c.spec_fault(recipe);
    Built b = build_fpx(recipe);
    if (c.byte_fault) c.byte_fault(b);
    FPXStatus rs;
    EXPECT_EQ(open_and_read(b.bytes, "case.fpx", &rs), c.open_status);
    if (c.open_status == FPX_OK) EXPECT_EQ(rs, c.read_status);
  }
}

// Cutting a file anywhere gives errors, never a crash; a cut into the
// header or the sector tables always fails the open.
TEST(Malformed, TruncationAtManyPoints) {
  for (const char* name : {"rgb_10x3_jpeg90.fpx", "mono_65x65_none.fpx", "ycc_10x3_none_fromrgb.fpx",
                           "rgb_131x70_single.fpx"}) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> whole;
    ASSERT_TRUE(read_file(fixture(name), &whole));
    for (size_t len = 0; len < whole.size(); len += (len < 2048 ? 61 : 509)) {
      std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(len));
      FPXStatus rs;
      FPXStatus os = open_and_read(cut, "cut.fpx", &rs);
      if (len < 1024) EXPECT_NE(os, FPX_OK) << "length " << len;
    }
  }
}

TEST(Malformed, RealFileRefusedForFiveComponents) {
  FPXStatus rs;
  std::vector<uint8_t> b;
  ASSERT_TRUE(read_file(fixture("external/pillow_input_bw_five_bands.fpx"), &b));
  EXPECT_EQ(open_and_read(b, "five.fpx", &rs), FPX_UNSUPPORTED);
}

}  // namespace
