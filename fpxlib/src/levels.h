// The image's structure: the source image's property set, its resolution
// levels, each with its size, channel colours and tile table.
#pragma once
#include <stdint.h>

#include "cfb.h"
#include "propset.h"

namespace fpx {

enum ColorSpace { CS_COLORLESS = 0, CS_MONO = 1, CS_YCC = 2, CS_RGB = 3 };
enum Compression { COMP_NONE = 0, COMP_SINGLE = 1, COMP_JPEG = 2 };

struct TileEntry {
  uint64_t offset;  // into the data stream, from its start
  uint32_t size;
  uint32_t compression;
  uint32_t subtype;
};

struct Level {
  uint32_t width = 0, height = 0;
  uint32_t tile_w = 0, tile_h = 0;
  uint32_t tiles_x = 0, tiles_y = 0;
  uint32_t channels = 0;
  uint32_t colour_space = 0;  // of the colour channels
  int32_t colours[4] = {0, 0, 0, 0};  // FPXComponentColor per channel
  bool uncalibrated = false;
  // Decoded tiles of an R, G, B level are kept in B, G, R order, the order of
  // the plug-in's bitmap rows, so that rows copy out whole.
  bool bgr = false;
  int32_t cached_colour(uint32_t i) const {
    static const int32_t kBgr[3] = {NIFRGB_B, NIFRGB_G, NIFRGB_R};
    return bgr ? kBgr[i] : colours[i];
  }
  Stream data;
  Buf<TileEntry> tiles;
};

struct ImageFile {
  CompoundFile cf;
  Buf<uint8_t> contents_bytes;  // the "\005Image Contents" stream
  PropertySet contents;
  ObjArray<Level> levels;  // 0 = smallest
  uint32_t width = 0, height = 0;

  ImageFile() = default;
  ImageFile(const ImageFile&) = delete;
  ImageFile& operator=(const ImageFile&) = delete;

  FPXStatus open(const char* path);
  // The JPEG table-set blob with index t (1..), or false.
  bool jpeg_tables(uint32_t t, ByteView* v) const;
};

// Limits on what a file may declare, so that no size taken from it is
// unbounded.
const uint32_t kMaxLevels = 32;
const uint32_t kMaxTileSide = 1024;
const uint32_t kMaxPropertyStream = 1u << 20;
const uint32_t kMaxHeaderStream = 64u << 20;

}  // namespace fpx
