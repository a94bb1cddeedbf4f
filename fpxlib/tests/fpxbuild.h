// Builds small FlashPix files in memory for the malformed-input tests: a
// version-3 compound file (every stream padded to at least 4096 bytes so
// that no mini stream is needed) holding one source image with the levels,
// tiles and properties given. Offsets of the parts are returned so that a
// test can damage exactly one of them.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

namespace fpxtest {

struct TileSpec {
  uint32_t compression = 0;  // 0 none, 1 single colour, 2 JPEG
  uint32_t subtype = 0;
  std::vector<uint8_t> bytes;
};

struct LevelSpec {
  uint32_t width = 0, height = 0;
  std::vector<uint32_t> channel_words;  // subimage colour channel words
  std::vector<TileSpec> tiles;          // row-major, 64 x 64
  uint32_t header_channels = 0;         // 0: the number of channel words
};

struct FpxSpec {
  std::vector<LevelSpec> levels;  // smallest first
  std::vector<std::vector<uint8_t>> jpeg_tables;  // table sets 1..n
};

struct Built {
  std::vector<uint8_t> bytes;
  // File offsets of: the FAT's first sector, the directory's first sector,
  // the start of each stream by name ("Subimage 0000 Header" of level i is
  // "L<i> header", its data "L<i> data"; "contents" for Image Contents).
  size_t fat = 0, dir = 0;
  std::vector<std::pair<std::string, size_t>> streams;
  std::vector<std::pair<std::string, size_t>> dir_entries;  // entry offsets by name
  size_t stream(const std::string& name) const;
  size_t entry(const std::string& name) const;
};

Built build_fpx(const FpxSpec& recipe);

// A one-level grey or RGB image of w x h with uncompressed tiles whose pixel
// (x, y), channel c is (x * 7 + y * 13 + c * 50) & 255.
FpxSpec simple_spec(uint32_t w, uint32_t h, uint32_t channels);
uint8_t simple_value(uint32_t x, uint32_t y, uint32_t c);

void put32(std::vector<uint8_t>& b, size_t off, uint32_t v);

}  // namespace fpxtest
