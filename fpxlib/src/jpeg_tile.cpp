#include "jpeg_tile.h"

#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

#include "memory.h"

namespace fpx {

bool g_jpeg_fancy_upsampling = false;

struct JpegState {
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  jmp_buf jb;
  int64_t loaded = -1;  // table set currently in the decompressor
  bool charged = false;
};

namespace {

void on_error(j_common_ptr c) {
  JpegState* st = static_cast<JpegState*>(c->client_data);
  longjmp(st->jb, 1);
}
void on_message(j_common_ptr, int) {}
void on_output(j_common_ptr) {}

// True when the stream's header (up to its first scan) defines quantisation
// or Huffman tables, which then replace the loaded set.
bool defines_tables(ByteView s) {
  size_t p = 2;
  uint8_t a, m;
  uint16_t lenbe;
  while (s.u8(p, &a) && a == 0xFF && s.u8(p + 1, &m)) {
    if (m == 0xFF) {
      p++;
      continue;
    }
    if (m == 0xDB || m == 0xC4) return true;
    if (m == 0xDA || m == 0xD9) return false;
    if (!s.u16(p + 2, &lenbe)) return true;
    size_t len = size_t((lenbe >> 8) | ((lenbe & 0xFF) << 8));
    p += 2 + len;
  }
  return true;
}

// Everything that can longjmp lives here; it holds no objects with destructors.
int run_decode(JpegState* st, ByteView tile, ByteView tables, bool load_tables, bool convert,
               bool bgr, uint32_t tw, uint32_t th, uint32_t nch, uint8_t* out) {
  jpeg_decompress_struct* d = &st->d;
  if (setjmp(st->jb)) {
    jpeg_abort_decompress(d);
    st->loaded = -1;
    return 1;
  }
  if (load_tables) {
    st->loaded = -1;
    jpeg_mem_src(d, tables.data(), (unsigned long)tables.size());
    if (jpeg_read_header(d, FALSE) != JPEG_HEADER_TABLES_ONLY) {
      jpeg_abort_decompress(d);
      return 1;
    }
  }
  jpeg_mem_src(d, tile.data(), (unsigned long)tile.size());
  if (jpeg_read_header(d, TRUE) != JPEG_HEADER_OK) {
    jpeg_abort_decompress(d);
    return 1;
  }
  if (d->image_width != tw || d->image_height != th || d->num_components != int(nch)) {
    jpeg_abort_decompress(d);
    return 1;
  }
  switch (nch) {
    case 1: d->jpeg_color_space = d->out_color_space = JCS_GRAYSCALE; break;
    case 3:
      d->jpeg_color_space = convert ? JCS_YCbCr : JCS_RGB;
      d->out_color_space = bgr ? JCS_EXT_BGR : JCS_RGB;
      break;
    case 4:
      // Four channels with conversion are stored as YCCK: libjpeg turns them
      // back into inverted colour channels with the fourth passed through,
      // which is what the files' writer put in.
      d->jpeg_color_space = convert ? JCS_YCCK : JCS_CMYK;
      d->out_color_space = JCS_CMYK;
      break;
    default: d->jpeg_color_space = d->out_color_space = JCS_UNKNOWN; break;
  }
  d->do_fancy_upsampling = g_jpeg_fancy_upsampling ? TRUE : FALSE;
  d->dct_method = JDCT_ISLOW;
  jpeg_start_decompress(d);
  if (d->output_components != int(nch) || d->output_width != tw || d->output_height != th) {
    jpeg_abort_decompress(d);
    return 1;
  }
  JSAMPROW rows[16];
  while (d->output_scanline < th) {
    JDIMENSION n = 0;
    for (; n < 16 && d->output_scanline + n < th; n++)
      rows[n] = out + size_t(d->output_scanline + n) * tw * nch;
    if (jpeg_read_scanlines(d, rows, n) == 0) {
      jpeg_abort_decompress(d);
      return 1;
    }
  }
  jpeg_finish_decompress(d);
  return 0;
}

}  // namespace

JpegDecoder::~JpegDecoder() { destroy(); }

void JpegDecoder::destroy() {
  if (!st_) return;
  jpeg_destroy_decompress(&st_->d);
  if (st_->charged) mem_release(kJpegWorkBytes);
  free(st_);
  st_ = nullptr;
}

FPXStatus JpegDecoder::prepare() { return ensure(); }

FPXStatus JpegDecoder::ensure() {
  if (st_) return FPX_OK;
  if (!mem_acquire(kJpegWorkBytes + sizeof(JpegState))) return FPX_MEMORY_ALLOCATION_FAILED;
  st_ = static_cast<JpegState*>(calloc(1, sizeof(JpegState)));
  if (!st_) {
    mem_release(kJpegWorkBytes + sizeof(JpegState));
    return FPX_MEMORY_ALLOCATION_FAILED;
  }
  mem_release(sizeof(JpegState));
  st_->charged = true;
  st_->loaded = -1;
  st_->d.err = jpeg_std_error(&st_->err);
  st_->err.error_exit = on_error;
  st_->err.emit_message = on_message;
  st_->err.output_message = on_output;
  st_->d.client_data = st_;
  if (setjmp(st_->jb)) {
    free(st_);
    st_ = nullptr;
    mem_release(kJpegWorkBytes);
    return FPX_MEMORY_ALLOCATION_FAILED;
  }
  jpeg_create_decompress(&st_->d);
  return FPX_OK;
}

FPXStatus JpegDecoder::decode(ByteView tile, ByteView tables, uint32_t table_index, bool convert,
                              bool bgr, uint32_t tw, uint32_t th, uint32_t nch, uint8_t* out) {
  FPX_TRY(ensure());
  if (tile.size() < 4) return FPX_TILE_DECODE_ERROR;
  bool load = table_index != 0 && st_->loaded != int64_t(table_index);
  if (table_index != 0 && load && tables.size() < 4) return FPX_TILE_DECODE_ERROR;
  bool own = table_index == 0 || defines_tables(tile);
  if (run_decode(st_, tile, tables, load, convert, bgr, tw, th, nch, out) != 0) {
    // run_decode has aborted the decompression, which leaves the object
    // ready for the next stream; its tables are reloaded then.
    st_->loaded = -1;
    return FPX_TILE_DECODE_ERROR;
  }
  st_->loaded = own ? -1 : int64_t(table_index);
  return FPX_OK;
}

}  // namespace fpx
