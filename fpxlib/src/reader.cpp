// The public calls: system state, opening, closing and rectangle reads with
// conversion to the colours the descriptor asks for.
#include <new>
#include <string.h>

#include "cache.h"
#include "colour.h"
#include "fpxinfo.h"
#include "fpxlib.h"
#include "levels.h"
#include "tiles.h"

struct FPXImage {
  fpx::ImageFile file;
  fpx::TileCache cache;
  fpx::JpegDecoder jpeg;
  fpx::Buf<uint8_t> scratch;
};

namespace fpx {
namespace {

struct System {
  bool initialised = false;
  FPXResampleMethod resample = FPX_LINEAR_INTERPOLATION;
};
System& sys() {
  static System s;
  return s;
}

const uint64_t kDefaultLimit = uint64_t(256) << 20;

enum OpKind { OP_CHAN, OP_YCC_RGB, OP_LUMA_RGB, OP_LUMA_YCC, OP_OPAQUE };

struct Op {
  OpKind kind;
  uint32_t chan;     // OP_CHAN: source channel; OP_YCC_RGB: 0 R, 1 G, 2 B
  uint8_t* base;     // the component's byte of the rectangle's top-left pixel
  int64_t col, line; // strides
};

struct Plan {
  uint32_t n;
  Op ops[FPX_MAX_COMPONENTS];
  bool need_ycc;      // some op uses the PhotoYCC-to-RGB conversion
  bool fast3;         // three channels to three components, all 3 bytes apart
  bool whole;         // every channel to its own component, interleaved exactly as cached
  uint32_t rgb[3];    // source channels of R, G, B (OP_LUMA_RGB)
  uint32_t ycc[3];    // source channels of Y, C1, C2
};

// The channel of decoded (cached) tiles that holds colour c, or -1.
int find_colour(const Level& lv, int32_t c) {
  for (uint32_t i = 0; i < lv.channels; i++)
    if (lv.cached_colour(i) == c) return int(i);
  return -1;
}

FPXStatus make_plan(const Level& lv, const FPXImageDesc* d, Plan* p) {
  p->n = d->numberOfComponents;
  p->need_ycc = false;
  int rgb[3], ycc[3];
  for (int k = 0; k < 3; k++) {
    rgb[k] = find_colour(lv, NIFRGB_R + k);
    ycc[k] = find_colour(lv, PHOTO_YCC_Y + k);
  }
  bool has_rgb = rgb[0] >= 0 && rgb[1] >= 0 && rgb[2] >= 0;
  bool has_ycc = ycc[0] >= 0 && ycc[1] >= 0 && ycc[2] >= 0;
  int mono = find_colour(lv, MONOCHROME);
  for (int k = 0; k < 3; k++) {
    p->rgb[k] = has_rgb ? uint32_t(rgb[k]) : 0;
    p->ycc[k] = has_ycc ? uint32_t(ycc[k]) : 0;
  }
  for (uint32_t k = 0; k < p->n; k++) {
    const FPXImageComponentDesc& c = d->components[k];
    Op& op = p->ops[k];
    op.base = c.theData;
    op.col = c.columnStride;
    op.line = c.lineStride;
    int direct = find_colour(lv, c.myColor);
    if (direct >= 0) {
      op.kind = OP_CHAN;
      op.chan = uint32_t(direct);
      continue;
    }
    switch (c.myColor) {
      case NIFRGB_R:
      case NIFRGB_G:
      case NIFRGB_B:
        if (mono >= 0) {
          op.kind = OP_CHAN;
          op.chan = uint32_t(mono);
        } else if (has_ycc) {
          op.kind = OP_YCC_RGB;
          op.chan = uint32_t(c.myColor - NIFRGB_R);
          p->need_ycc = true;
        } else {
          return FPX_UNSUPPORTED;
        }
        break;
      case MONOCHROME:
        if (has_rgb) {
          op.kind = OP_LUMA_RGB;
        } else if (has_ycc) {
          op.kind = OP_LUMA_YCC;
          p->need_ycc = true;
        } else {
          return FPX_UNSUPPORTED;
        }
        break;
      case ALPHA:
        op.kind = OP_OPAQUE;
        break;
      default:
        return FPX_UNSUPPORTED;
    }
  }
  p->fast3 = lv.channels == 3 && p->n == 3;
  for (uint32_t k = 0; k < p->n; k++)
    if (p->ops[k].kind != OP_CHAN || p->ops[k].col != 3) p->fast3 = false;
  p->whole = p->n == lv.channels;
  const uintptr_t start0 = uintptr_t(p->ops[0].base) - p->ops[0].chan;
  for (uint32_t k = 0; k < p->n && p->whole; k++) {
    const Op& o = p->ops[k];
    p->whole = o.kind == OP_CHAN && o.col == int64_t(lv.channels) && o.line == p->ops[0].line &&
               uintptr_t(o.base) - o.chan == start0;
  }
  return FPX_OK;
}

// Three channels copied to three components that are 3 bytes apart: the
// plug-in's RGB-to-BGR row.
void emit3(const uint8_t* src, uint32_t n, uint8_t* d0, uint8_t* d1, uint8_t* d2, uint32_t c0,
           uint32_t c1, uint32_t c2) {
  for (uint32_t i = 0; i < n; i++, src += 3) {
    d0[3 * i] = src[c0];
    d1[3 * i] = src[c1];
    d2[3 * i] = src[c2];
  }
}

// Writes n pixels of a decoded tile row to the descriptor's buffers at
// rectangle position (x, y).
void emit_run(const Plan& p, const uint8_t* src, uint32_t nch, uint32_t n, uint32_t x,
              uint32_t y) {
  if (p.whole) {
    const Op& o = p.ops[0];
    uint8_t* d = reinterpret_cast<uint8_t*>(uintptr_t(o.base) - o.chan) + int64_t(y) * o.line +
                 int64_t(x) * nch;
    memcpy(d, src, size_t(n) * nch);
    return;
  }
  if (p.fast3) {
    const Op* o = p.ops;
    emit3(src, n, o[0].base + int64_t(y) * o[0].line + int64_t(x) * 3,
          o[1].base + int64_t(y) * o[1].line + int64_t(x) * 3,
          o[2].base + int64_t(y) * o[2].line + int64_t(x) * 3, o[0].chan, o[1].chan, o[2].chan);
    return;
  }
  uint8_t rgb[3 * 1024];
  if (p.need_ycc) photoycc_to_rgb(src, nch, p.ycc, n, rgb);
  for (uint32_t k = 0; k < p.n; k++) {
    const Op& op = p.ops[k];
    uint8_t* d = op.base + int64_t(y) * op.line + int64_t(x) * op.col;
    const int64_t cs = op.col;
    switch (op.kind) {
      case OP_CHAN: {
        const uint8_t* s = src + op.chan;
        if (cs == 1 && nch == 1) {
          memcpy(d, s, n);
        } else {
          for (uint32_t i = 0; i < n; i++) d[i * cs] = s[size_t(i) * nch];
        }
        break;
      }
      case OP_YCC_RGB:
        for (uint32_t i = 0; i < n; i++) d[i * cs] = rgb[3 * i + op.chan];
        break;
      case OP_LUMA_RGB:
        for (uint32_t i = 0; i < n; i++) {
          const uint8_t* s = src + size_t(i) * nch;
          d[i * cs] = luma(s[p.rgb[0]], s[p.rgb[1]], s[p.rgb[2]]);
        }
        break;
      case OP_LUMA_YCC:
        for (uint32_t i = 0; i < n; i++) d[i * cs] = luma(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
        break;
      case OP_OPAQUE:
        for (uint32_t i = 0; i < n; i++) d[i * cs] = 255;
        break;
    }
  }
}

FPXStatus get_tile(FPXImage* im, uint32_t level, uint32_t t, const uint8_t** px) {
  uint8_t* p = im->cache.find(level, t);
  if (p) {
    *px = p;
    return FPX_OK;
  }
  const Level& lv = im->file.levels[level];
  FPX_TRY(im->cache.insert(level, t, size_t(lv.tile_w) * lv.tile_h * lv.channels, &p));
  FPXStatus s = decode_tile(im->file, lv, t, im->jpeg, im->scratch, p);
  if (s != FPX_OK) {
    im->cache.drop();
    return s;
  }
  im->cache.commit();
  *px = p;
  return FPX_OK;
}

FPXStatus read_rect(FPXImage* im, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1,
                    uint32_t resolution, FPXImageDesc* desc) {
  if (!sys().initialised) return FPX_NOT_INITIALIZED;
  if (!im || !desc) return FPX_INVALID_PARAMETER;
  const uint32_t nlev = uint32_t(im->file.levels.size());
  uint32_t level = resolution == 0xFFFFFFFFu ? nlev - 1 : resolution;
  if (level >= nlev) return FPX_BAD_RESOLUTION;
  const Level& lv = im->file.levels[level];
  if (x0 > x1 || y0 > y1 || x1 >= lv.width || y1 >= lv.height) return FPX_BAD_RECTANGLE;
  uint32_t n = desc->numberOfComponents;
  if (n < 1 || n > FPX_MAX_COMPONENTS) return FPX_INVALID_PARAMETER;
  for (uint32_t k = 0; k < n; k++) {
    const FPXImageComponentDesc& c = desc->components[k];
    if (c.myDataType != DATA_TYPE_UNSIGNED_BYTE || c.horzSubSampFactor != 1 ||
        c.vertSubSampFactor != 1 || !c.theData || c.myColor < PHOTO_YCC_Y || c.myColor > MONOCHROME)
      return FPX_INVALID_PARAMETER;
  }
  Plan plan;
  FPX_TRY(make_plan(lv, desc, &plan));
  const uint32_t tw = lv.tile_w, th = lv.tile_h;
  for (uint32_t ty = y0 / th; ty <= y1 / th; ty++) {
    uint32_t ty0 = ty * th;
    uint32_t ry0 = y0 > ty0 ? y0 : ty0;
    uint32_t ry1 = y1 < ty0 + th - 1 ? y1 : ty0 + th - 1;
    for (uint32_t tx = x0 / tw; tx <= x1 / tw; tx++) {
      uint32_t tx0 = tx * tw;
      uint32_t rx0 = x0 > tx0 ? x0 : tx0;
      uint32_t rx1 = x1 < tx0 + tw - 1 ? x1 : tx0 + tw - 1;
      const uint8_t* px;
      FPX_TRY(get_tile(im, level, ty * lv.tiles_x + tx, &px));
      for (uint32_t y = ry0; y <= ry1; y++) {
        const uint8_t* src = px + (size_t(y - ty0) * tw + (rx0 - tx0)) * lv.channels;
        emit_run(plan, src, lv.channels, rx1 - rx0 + 1, rx0 - x0, y - y0);
      }
    }
  }
  return FPX_OK;
}

FPXStatus open_image(const char* path, const char* storage, uint32_t* width, uint32_t* height,
                     uint32_t* tw, uint32_t* th, FPXColorspace* cs, FPXImage** out) {
  if (!sys().initialised) return FPX_NOT_INITIALIZED;
  if (!path || !out) return FPX_INVALID_PARAMETER;
  *out = nullptr;
  if (storage) return FPX_UNSUPPORTED;
  if (!mem_acquire(sizeof(FPXImage))) return FPX_MEMORY_ALLOCATION_FAILED;
  FPXImage* im = new (std::nothrow) FPXImage();
  if (!im) {
    mem_release(sizeof(FPXImage));
    return FPX_MEMORY_ALLOCATION_FAILED;
  }
  FPXStatus s = im->file.open(path);
  uint32_t counts[kMaxLevels];
  if (s == FPX_OK) {
    for (size_t l = 0; l < im->file.levels.size(); l++)
      counts[l] = uint32_t(im->file.levels[l].tiles.size());
    s = im->cache.init(uint32_t(im->file.levels.size()), counts);
  }
  bool any_jpeg = false;
  for (size_t l = 0; s == FPX_OK && l < im->file.levels.size(); l++) {
    const Level& lv = im->file.levels[l];
    for (size_t t = 0; t < lv.tiles.size() && !any_jpeg; t++) any_jpeg = lv.tiles[t].compression == COMP_JPEG;
  }
  if (s == FPX_OK && any_jpeg) s = im->jpeg.prepare();
  // Row-by-row reads need one row of tiles at a time; a cache of a few rows
  // (at least 4 MB) serves them and other nearby reads without touching
  // more fresh memory than that.
  uint64_t cap = 4u << 20;
  for (size_t l = 0; s == FPX_OK && l < im->file.levels.size(); l++) {
    const Level& lv = im->file.levels[l];
    uint64_t row = uint64_t(lv.tiles_x) * lv.tile_w * lv.tile_h * lv.channels;
    if (4 * row > cap) cap = 4 * row;
  }
  im->cache.set_cap(cap);
  if (s != FPX_OK) {
    delete im;
    mem_release(sizeof(FPXImage));
    return s;
  }
  const Level& top = im->file.levels[im->file.levels.size() - 1];
  if (width) *width = im->file.width;
  if (height) *height = im->file.height;
  if (tw) *tw = top.tile_w;
  if (th) *th = top.tile_h;
  if (cs) {
    memset(cs, 0, sizeof *cs);
    cs->isUncalibrated = top.uncalibrated ? 1 : 0;
    cs->numberOfComponents = int16_t(top.channels);
    for (uint32_t c = 0; c < top.channels; c++) {
      cs->theComponents[c].myColor = top.colours[c];
      cs->theComponents[c].myDataType = DATA_TYPE_UNSIGNED_BYTE;
    }
  }
  *out = im;
  return FPX_OK;
}

}  // namespace
}  // namespace fpx

using namespace fpx;

// Every entry point catches whatever the standard library might throw, so no
// exception leaves the reader.
#define FPX_GUARD(body)                          \
  try {                                          \
    body                                         \
  } catch (const std::bad_alloc&) {              \
    return FPX_MEMORY_ALLOCATION_FAILED;         \
  } catch (...) {                                \
    return FPX_INVALID_PARAMETER;                \
  }

extern "C" {

FPXStatus FPX_InitSystem(void) {
  sys().initialised = true;
  sys().resample = FPX_LINEAR_INTERPOLATION;
  MemStats& m = mem_stats();
  m.limit = kDefaultLimit;
  m.peak = m.used;
  return FPX_OK;
}

FPXStatus FPX_ClearSystem(void) {
  sys().initialised = false;
  return FPX_OK;
}

FPXStatus FPX_SetToolkitMemoryLimit(uint32_t* limit) {
  if (!sys().initialised) return FPX_NOT_INITIALIZED;
  if (!limit || *limit == 0) return FPX_INVALID_PARAMETER;
  mem_stats().limit = *limit;
  return FPX_OK;
}

FPXStatus FPX_SetResampleMethod(FPXResampleMethod method) {
  if (!sys().initialised) return FPX_NOT_INITIALIZED;
  if (method != FPX_NEAREST_NEIGHBOR && method != FPX_LINEAR_INTERPOLATION)
    return FPX_INVALID_PARAMETER;
  // Reads are at the stored levels' own sizes, so both methods give the same pixels.
  sys().resample = method;
  return FPX_OK;
}

FPXStatus FPX_OpenImageByFilename(const char* fileName, const char* storagePath, uint32_t* width,
                                  uint32_t* height, uint32_t* tileWidth, uint32_t* tileHeight,
                                  FPXColorspace* colorspace, FPXImage** image) {
  FPX_GUARD(return open_image(fileName, storagePath, width, height, tileWidth, tileHeight,
                              colorspace, image););
}

FPXStatus FPX_CloseImage(FPXImage* image) {
  if (!image) return FPX_INVALID_PARAMETER;
  delete image;
  mem_release(sizeof(FPXImage));
  return FPX_OK;
}

FPXStatus FPX_ReadImageRectangle(FPXImage* image, uint32_t x0, uint32_t y0, uint32_t x1,
                                 uint32_t y1, uint32_t resolution, FPXImageDesc* desc) {
  FPX_GUARD(return read_rect(image, x0, y0, x1, y1, resolution, desc););
}

FPXStatus FPX_GetLevelCount(FPXImage* image, uint32_t* levels) {
  if (!image || !levels) return FPX_INVALID_PARAMETER;
  *levels = uint32_t(image->file.levels.size());
  return FPX_OK;
}

FPXStatus FPX_GetLevelInfo(FPXImage* image, uint32_t level, FPXLevelInfo* info) {
  if (!image || !info) return FPX_INVALID_PARAMETER;
  if (level >= image->file.levels.size()) return FPX_BAD_RESOLUTION;
  const Level& lv = image->file.levels[level];
  memset(info, 0, sizeof *info);
  info->width = lv.width;
  info->height = lv.height;
  info->tileWidth = lv.tile_w;
  info->tileHeight = lv.tile_h;
  info->numberOfComponents = lv.channels;
  info->colourSpace = lv.colour_space;
  info->isUncalibrated = lv.uncalibrated ? 1 : 0;
  for (uint32_t c = 0; c < lv.channels; c++) info->colours[c] = lv.colours[c];
  for (size_t t = 0; t < lv.tiles.size(); t++) {
    switch (lv.tiles[t].compression) {
      case COMP_NONE: info->tilesUncompressed++; break;
      case COMP_SINGLE: info->tilesSingleColour++; break;
      case COMP_JPEG:
        if (info->tilesJpeg++ == 0) info->firstJpegSubtype = lv.tiles[t].subtype;
        break;
      default: info->tilesOther++; break;
    }
  }
  return FPX_OK;
}

FPXStatus FPX_GetTileDecodeCount(FPXImage* image, uint64_t* count) {
  if (!image || !count) return FPX_INVALID_PARAMETER;
  *count = image->cache.decodes();
  return FPX_OK;
}

FPXStatus FPX_GetMemoryUse(uint64_t* current, uint64_t* peak) {
  if (current) *current = mem_stats().used;
  if (peak) *peak = mem_stats().peak;
  return FPX_OK;
}

FPXStatus FPX_SetJpegFancyUpsampling(int on) {
  g_jpeg_fancy_upsampling = on != 0;
  return FPX_OK;
}

}  // extern "C"
