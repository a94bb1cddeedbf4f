#include "tiles.h"

#include <string.h>

namespace fpx {

FPXStatus decode_tile(ImageFile& img, const Level& lv, uint32_t t, JpegDecoder& jpeg,
                      Buf<uint8_t>& scratch, uint8_t* out) {
  if (t >= lv.tiles.size()) return FPX_INVALID_PARAMETER;
  const TileEntry& e = lv.tiles[t];
  const size_t npix = size_t(lv.tile_w) * lv.tile_h;
  const size_t nbytes = npix * lv.channels;
  switch (e.compression) {
    case COMP_SINGLE: {
      // The subtype's bytes are the channel values, first channel in the
      // lowest byte; a single channel's value is in the third byte.
      uint8_t v[4] = {uint8_t(e.subtype), uint8_t(e.subtype >> 8), uint8_t(e.subtype >> 16),
                      uint8_t(e.subtype >> 24)};
      if (lv.bgr) {
        uint8_t r = v[0];
        v[0] = v[2];
        v[2] = r;
      }
      if (lv.channels == 1) {
        memset(out, v[2], npix);
      } else {
        for (size_t i = 0; i < npix; i++) memcpy(out + i * lv.channels, v, lv.channels);
      }
      return FPX_OK;
    }
    case COMP_NONE: {
      if (e.size < nbytes) return FPX_TILE_DECODE_ERROR;
      FPXStatus s = img.cf.read(lv.data, e.offset, nbytes, out);
      if (s != FPX_OK) return FPX_TILE_DECODE_ERROR;
      if (lv.bgr) {
        for (size_t i = 0; i < npix; i++) {
          uint8_t r = out[3 * i];
          out[3 * i] = out[3 * i + 2];
          out[3 * i + 2] = r;
        }
      }
      return FPX_OK;
    }
    case COMP_JPEG: {
      if (e.size == 0 || e.size > kMaxTileBytes) return FPX_TILE_DECODE_ERROR;
      uint32_t interleave = e.subtype & 0xFF;
      bool convert = ((e.subtype >> 16) & 0xFF) != 0;
      uint32_t table = (e.subtype >> 24) & 0xFF;
      if (interleave != 0) return FPX_UNSUPPORTED;
      if (!scratch.resize_uninit(e.size)) return FPX_MEMORY_ALLOCATION_FAILED;
      FPXStatus s = img.cf.read(lv.data, e.offset, e.size, scratch.data());
      if (s != FPX_OK) return FPX_TILE_DECODE_ERROR;
      ByteView tables;
      if (table != 0 && !img.jpeg_tables(table, &tables)) return FPX_TILE_DECODE_ERROR;
      // Chroma subsampling is read from the stream's own frame header; the
      // subtype's byte only repeats it.
      return jpeg.decode(ByteView(scratch.data(), e.size), tables, table, convert, lv.bgr,
                         lv.tile_w, lv.tile_h, lv.channels, out);
    }
    default:
      return FPX_UNSUPPORTED;
  }
}

}  // namespace fpx
