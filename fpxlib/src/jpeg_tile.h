// JPEG tiles through libjpeg: one decompressor per open image; the level's
// table set is loaded as a tables-only stream and kept while consecutive
// tiles use the same set.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "bytes.h"
#include "status.h"

namespace fpx {

struct JpegState;

// Upsampling choice for subsampled chroma; FALSE (replication) matches the
// reference decodings best (see the conformance test).
extern bool g_jpeg_fancy_upsampling;

class JpegDecoder {
 public:
  JpegDecoder() = default;
  ~JpegDecoder();
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;
  // Decodes one tile stream to tw x th pixels of nch interleaved bytes in
  // out. tables is the table set (index table_index) or an empty view when
  // the tile carries its own. convert: the stream holds YCbCr to be turned
  // back into the channels' own values. bgr: three channels R, G, B are
  // written in the order B, G, R.
  // Creates the decompressor now (it is charged to the memory accounting
  // once, for the life of the image).
  FPXStatus prepare();
  FPXStatus decode(ByteView tile, ByteView tables, uint32_t table_index, bool convert, bool bgr,
                   uint32_t tw, uint32_t th, uint32_t nch, uint8_t* out);

 private:
  FPXStatus ensure();
  void destroy();
  JpegState* st_ = nullptr;
};

// Bytes charged to the memory accounting for the decompressor's own memory,
// which libjpeg allocates itself. Measured on 64 x 64 tiles: about 8 KB kept
// between tiles and a few tens of KB more while a tile decodes; the charge
// is a generous bound.
const size_t kJpegWorkBytes = 192 * 1024;

}  // namespace fpx
