#include "levels.h"

#include <stdio.h>
#include <string.h>

namespace fpx {

namespace {

FPXStatus child(const CompoundFile& cf, uint32_t parent, const char* name, uint32_t* out) {
  int64_t i;
  FPX_TRY(cf.find_child(parent, name, &i));
  if (i < 0) return FPX_INVALID_FORMAT;
  *out = uint32_t(i);
  return FPX_OK;
}

// Decodes one channel word of a subimage colour blob into an FPX colour.
FPXStatus channel_colour(uint32_t w, int32_t* colour, uint32_t* space) {
  uint32_t cs = (w >> 16) & 0x7FFF;
  uint32_t ch = w & 0xFFFF;
  *space = cs;
  if (ch == 0x7FFE) {
    *colour = ALPHA;
    return FPX_OK;
  }
  ch &= 0x7FFF;
  switch (cs) {
    case CS_MONO:
      if (ch != 0) return FPX_INVALID_FORMAT;
      *colour = MONOCHROME;
      return FPX_OK;
    case CS_YCC:
      if (ch > 2) return FPX_INVALID_FORMAT;
      *colour = int32_t(PHOTO_YCC_Y + ch);
      return FPX_OK;
    case CS_RGB:
      if (ch > 2) return FPX_INVALID_FORMAT;
      *colour = int32_t(NIFRGB_R + ch);
      return FPX_OK;
    case CS_COLORLESS:
      *colour = ALPHA;
      return FPX_OK;
    default:
      return FPX_UNSUPPORTED;
  }
}

FPXStatus parse_colour(ByteView blob, Level* lv) {
  uint32_t nsub, nch;
  if (!blob.u32(0, &nsub) || !blob.u32(4, &nch)) return FPX_INVALID_FORMAT;
  if (nch == 0) return FPX_INVALID_FORMAT;
  if (nch > 4) return FPX_UNSUPPORTED;
  lv->channels = nch;
  lv->colour_space = CS_COLORLESS;
  for (uint32_t c = 0; c < nch; c++) {
    uint32_t w, cs;
    if (!blob.u32(8 + 4 * c, &w)) return FPX_INVALID_FORMAT;
    FPX_TRY(channel_colour(w, &lv->colours[c], &cs));
    if (w & 0x80000000u) lv->uncalibrated = true;
    if (lv->colours[c] != ALPHA) {
      if (lv->colour_space != CS_COLORLESS && lv->colour_space != cs) return FPX_INVALID_FORMAT;
      lv->colour_space = cs;
    }
  }
  // Each colour may appear once.
  for (uint32_t a = 0; a < nch; a++)
    for (uint32_t b = a + 1; b < nch; b++)
      if (lv->colours[a] == lv->colours[b]) return FPX_INVALID_FORMAT;
  return FPX_OK;
}

}  // namespace

bool ImageFile::jpeg_tables(uint32_t t, ByteView* v) const {
  return contents.get_blob(0x03000001u | (t << 16), v);
}

FPXStatus ImageFile::open(const char* path) {
  FPX_TRY(cf.open(path));
  uint32_t store, ic;
  FPX_TRY(child(cf, cf.root(), "Data Object Store 000001", &store));
  FPX_TRY(child(cf, store, "\005Image Contents", &ic));
  {
    Stream s;
    FPX_TRY(cf.open_stream(ic, &s));
    FPX_TRY(cf.read_all(s, kMaxPropertyStream, &contents_bytes));
  }
  FPX_TRY(contents.parse(ByteView(contents_bytes.data(), contents_bytes.size())));
  uint32_t nlev;
  if (!contents.get_uint(0x01000000u, &nlev) || !contents.get_uint(0x01000002u, &width) ||
      !contents.get_uint(0x01000003u, &height))
    return FPX_INVALID_FORMAT;
  if (nlev == 0 || nlev > kMaxLevels || width == 0 || height == 0) return FPX_INVALID_FORMAT;
  // Stored levels are numbered as in the full pyramid, smallest first: a file
  // with fewer levels (e.g. only the full size) keeps the full size's number,
  // so the numbers in use are found from the properties.
  uint32_t numbers[kMaxLevels];
  uint32_t found = 0;
  for (uint32_t r = 0; r < kMaxLevels && found < nlev; r++) {
    if (contents.find(0x02000000u | (r << 16))) numbers[found++] = r;
  }
  if (found != nlev) return FPX_INVALID_FORMAT;
  if (!levels.create(nlev)) return FPX_MEMORY_ALLOCATION_FAILED;
  for (uint32_t i = 0; i < nlev; i++) {
    Level& lv = levels[i];
    const uint32_t r = numbers[i];
    uint32_t base = 0x02000000u | (r << 16);
    ByteView colour;
    if (!contents.get_uint(base, &lv.width) || !contents.get_uint(base + 1, &lv.height) ||
        !contents.get_blob(base + 2, &colour))
      return FPX_INVALID_FORMAT;
    FPX_TRY(parse_colour(colour, &lv));
    lv.bgr = lv.channels == 3 && lv.colours[0] == NIFRGB_R && lv.colours[1] == NIFRGB_G &&
             lv.colours[2] == NIFRGB_B;
    uint32_t fmt;
    if (contents.get_uint(base + 3, &fmt) && fmt != 17) return FPX_UNSUPPORTED;

    char name[32];
    snprintf(name, sizeof name, "Resolution %04u", r);
    uint32_t res, hdr_e, data_e;
    FPX_TRY(child(cf, store, name, &res));
    FPX_TRY(child(cf, res, "Subimage 0000 Header", &hdr_e));
    FPX_TRY(child(cf, res, "Subimage 0000 Data", &data_e));
    FPX_TRY(cf.open_stream(data_e, &lv.data));
    Stream hs;
    FPX_TRY(cf.open_stream(hdr_e, &hs));
    Buf<uint8_t> hb;
    FPX_TRY(cf.read_all(hs, kMaxHeaderStream, &hb));
    ByteView h(hb.data(), hb.size());
    uint32_t hlen, w, hgt, ntiles, tw, th, nch, ttoff, elen;
    if (!h.u32(28, &hlen) || !h.u32(32, &w) || !h.u32(36, &hgt) || !h.u32(40, &ntiles) ||
        !h.u32(44, &tw) || !h.u32(48, &th) || !h.u32(52, &nch) || !h.u32(56, &ttoff) ||
        !h.u32(60, &elen))
      return FPX_INVALID_FORMAT;
    if (w != lv.width || hgt != lv.height || w == 0 || hgt == 0) return FPX_INVALID_FORMAT;
    if (nch > 4) return FPX_UNSUPPORTED;
    if (nch != lv.channels) return FPX_INVALID_FORMAT;
    if (tw == 0 || th == 0 || tw > kMaxTileSide || th > kMaxTileSide) return FPX_INVALID_FORMAT;
    if (elen < 16) return FPX_INVALID_FORMAT;
    lv.tile_w = tw;
    lv.tile_h = th;
    lv.tiles_x = uint32_t((uint64_t(w) + tw - 1) / tw);
    lv.tiles_y = uint32_t((uint64_t(hgt) + th - 1) / th);
    uint64_t want;
    if (!mul_ok(lv.tiles_x, lv.tiles_y, &want) || want != ntiles) return FPX_INVALID_FORMAT;
    uint64_t tstart = uint64_t(ttoff) + 28, tbytes;
    if (!mul_ok(ntiles, elen, &tbytes) || !h.has(size_t(tstart), size_t(tbytes)))
      return FPX_INVALID_FORMAT;
    if (!lv.tiles.resize(ntiles)) return FPX_MEMORY_ALLOCATION_FAILED;
    for (uint32_t t = 0; t < ntiles; t++) {
      size_t o = size_t(tstart) + size_t(t) * elen;
      uint32_t off = 0;
      TileEntry& e = lv.tiles[t];
      h.u32(o, &off);
      h.u32(o + 4, &e.size);
      h.u32(o + 8, &e.compression);
      h.u32(o + 12, &e.subtype);
      e.offset = uint64_t(off) + 28;
    }
  }
  // The top level is the full-size image; each level below halves it.
  const Level& top = levels[nlev - 1];
  if (top.width != width || top.height != height) return FPX_INVALID_FORMAT;
  for (uint32_t r = 0; r + 1 < nlev; r++) {
    if (levels[r].width > levels[r + 1].width || levels[r].height > levels[r + 1].height)
      return FPX_INVALID_FORMAT;
  }
  return FPX_OK;
}

}  // namespace fpx
