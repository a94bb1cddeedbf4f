#include "metasize.h"

#include "dibrecords.h"

#include <stdlib.h>

namespace pixload {

namespace {

uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
int32_t S32(const uint8_t* p) { return int32_t(U32(p)); }
uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
int16_t S16(const uint8_t* p) { return int16_t(U16(p)); }

// Limit on either side of a metafile's picture; beyond it the header is taken
// as corrupt.
constexpr int64_t kMaxSide = 32768;

bool Usable(int64_t w, int64_t h) { return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide; }

}  // namespace

bool EmfPictureSize(const uint8_t* d, size_t size, int* width, int* height) {
  if (size < 88 || U32(d) != 1 || U32(d + 40) != 0x464D4520u) return false;
  const uint32_t headerSize = U32(d + 4);
  if (headerSize < 88 || headerSize > size) return false;
  const int64_t fw = int64_t(S32(d + 32)) - S32(d + 24), fh = int64_t(S32(d + 36)) - S32(d + 28);
  const int64_t devW = S32(d + 72), devH = S32(d + 76), mmW = S32(d + 80), mmH = S32(d + 84);
  if (fw > 0 && fh > 0 && devW > 0 && devH > 0 && mmW > 0 && mmH > 0) {
    const int64_t w = (fw * devW + mmW * 50) / (mmW * 100), h = (fh * devH + mmH * 50) / (mmH * 100);
    if (Usable(w, h)) {
      *width = int(w);
      *height = int(h);
      return true;
    }
  }
  // Bounds are inclusive device units of the reference device.
  const int64_t bw = int64_t(S32(d + 16)) - S32(d + 8) + 1, bh = int64_t(S32(d + 20)) - S32(d + 12) + 1;
  if (!Usable(bw, bh)) return false;
  *width = int(bw);
  *height = int(bh);
  return true;
}

namespace {

// A BITMAPINFO of cbBmi bytes and its cbBits bytes of pixels, as metafile
// records carry them: the header, palette and rows must all lie within.
bool DibFits(const uint8_t* bmi, uint64_t cbBmi, uint64_t cbBits) {
  if (cbBmi < 40 || U32(bmi) < 40 || U32(bmi) > cbBmi) return false;
  const int64_t w = S32(bmi + 4), h = S32(bmi + 8);
  const unsigned bits = U16(bmi + 14), compression = U32(bmi + 16);
  const uint64_t sizeImage = U32(bmi + 20), clrUsed = U32(bmi + 32);
  if (w <= 0 || h == 0 || w > kMaxSide || h > kMaxSide || h < -kMaxSide) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const uint64_t colours = clrUsed ? clrUsed : bits <= 8 ? (1u << bits) : 0;
  if (colours > 256 || U32(bmi) + 4 * colours + (compression == 3 ? 12 : 0) > cbBmi) return false;
  const uint64_t rows = uint64_t(DibRowStride(w, bits)) * uint64_t(h < 0 ? -h : h);
  if (compression == 0 || compression == 3) return rows <= cbBits;
  return (compression == 1 || compression == 2) && sizeImage <= cbBits;  // RLE
}

// A record's BITMAPINFO and pixels given by offsets in it (offBmi at o).
bool RecordDibFits(const uint8_t* r, uint64_t size, size_t o) {
  if (o + 16 > size) return false;
  const uint64_t offBmi = U32(r + o), cbBmi = U32(r + o + 4), offBits = U32(r + o + 8), cbBits = U32(r + o + 12);
  if (cbBmi == 0) return true;  // no source bitmap (a pattern-only blit)
  if (offBmi + cbBmi > size || offBits + cbBits > size) return false;
  return DibFits(r + offBmi, cbBmi, cbBits);
}

// RGNDATA of cb bytes: its header and nCount rectangles within.
bool RegionFits(const uint8_t* rgn, uint64_t cb) {
  return cb >= 32 && U32(rgn) == 32 && 32 + uint64_t(U32(rgn + 8)) * 16 <= cb;
}

}  // namespace

bool EmfRecordsWellFormed(const uint8_t* d, size_t size) {
  if (size < 88) return false;
  const uint64_t total = U32(d + 48), handles = U16(d + 56);
  if (total < 88 || total > size || handles == 0) return false;
  // An object index of a record: a created object's slot below the header's
  // handle count (slot 0 is the metafile's own), or a stock object.
  auto object = [&](uint32_t ih, bool stockAllowed) {
    if (ih & 0x80000000u) return stockAllowed && (ih & 0x7FFFFFFFu) <= 19;
    return ih >= 1 && ih < handles;
  };
  for (uint64_t at = 0; at + 8 <= total;) {
    const uint8_t* r = d + at;
    const uint32_t type = U32(r);
    const uint64_t n = U32(r + 4);
    if (n < 8 || n % 4 != 0 || n > total - at) return false;
    if (at == 0 && type != 1) return false;
    bool ok = true;
    switch (type) {
      case 14:  // EOF
        return at + n == total;
      case 2: case 3: case 4: case 5: case 6:  // poly records, 32-bit points
        ok = n >= 28 && 28 + uint64_t(U32(r + 24)) * 8 <= n;
        break;
      case 85: case 86: case 87: case 88: case 89:  // the same, 16-bit points
        ok = n >= 28 && 28 + uint64_t(U32(r + 24)) * 4 <= n;
        break;
      case 7: case 8: case 90: case 91: {  // poly-polylines and -polygons
        if (n < 32) return false;
        const uint64_t polys = U32(r + 24), points = U32(r + 28), pt = (type <= 8 ? 8 : 4);
        if (32 + polys * 4 + points * pt > n) return false;
        uint64_t sum = 0;
        for (uint64_t i = 0; i < polys; ++i) sum += U32(r + 32 + 4 * i);
        ok = sum <= points;
        break;
      }
      case 56: case 92:  // poly-draw: points and their types
        ok = n >= 28 && 28 + uint64_t(U32(r + 24)) * (type == 56 ? 9 : 5) <= n;
        break;
      case 37: case 40:  // select, delete object
        ok = n >= 12 && object(U32(r + 8), type == 37);
        break;
      case 48:  // select palette
        ok = n >= 12 && object(U32(r + 8), true);
        break;
      case 38: ok = n >= 28 && object(U32(r + 8), false); break;   // create pen
      case 39: ok = n >= 24 && object(U32(r + 8), false); break;   // create brush
      case 82: ok = n >= 104 && object(U32(r + 8), false); break;  // create font
      case 95:  // extended pen, with an optional bitmap
        ok = n >= 52 && object(U32(r + 8), false) && RecordDibFits(r, n, 12);
        break;
      case 93: case 94:  // pattern brushes
        ok = n >= 32 && object(U32(r + 8), false) && U32(r + 20) != 0 && RecordDibFits(r, n, 16);
        break;
      case 49:  // create palette
        ok = n >= 16 && object(U32(r + 8), false) && 16 + uint64_t(U16(r + 14)) * 4 <= n;
        break;
      case 50:  // set palette entries
        ok = n >= 20 && object(U32(r + 8), true) && 20 + uint64_t(U32(r + 16)) * 4 <= n;
        break;
      case 51: ok = n >= 16 && object(U32(r + 8), true); break;  // resize palette
      case 76: case 77: case 114: case 116:  // blits with a source bitmap
        ok = n >= (type == 76 ? 100u : 108u) && RecordDibFits(r, n, 84);
        break;
      case 80: case 81:  // DIB to device, stretched DIB
        ok = n >= (type == 80 ? 76u : 80u) && RecordDibFits(r, n, 48);
        break;
      case 78: case 79: case 96: case 97: case 108:  // mask/parallelogram blits, poly/small text
        return false;  // rare, and too intricate to check: not played
      case 83: case 84: {  // text out
        if (n < 76) return false;
        const uint64_t chars = U32(r + 44), offString = U32(r + 48), offDx = U32(r + 72);
        ok = offString + chars * (type == 84 ? 2 : 1) <= n && (offDx == 0 || offDx + chars * 4 <= n);
        break;
      }
      case 70: ok = n >= 12 && 12 + uint64_t(U32(r + 8)) <= n; break;  // comment
      case 75:  // select clip region
        ok = n >= 16 && (U32(r + 8) == 0 || (16 + uint64_t(U32(r + 8)) <= n && RegionFits(r + 16, U32(r + 8))));
        break;
      case 71: case 72: case 73: case 74: {  // fill, frame, invert, paint region
        const uint64_t head = type == 71 ? 32 : type == 72 ? 40 : 28;
        const uint64_t cb = n >= 28 ? U32(r + 24) : 0;
        ok = n >= head && head + cb <= n && RegionFits(r + head, cb) &&
             (type == 73 || type == 74 || object(U32(r + 28), true));
        break;
      }
      case 9: case 10: case 11: case 12: case 27: case 54:  // extents, origins, move, line
        ok = n >= 16;
        break;
      case 42: case 43: ok = n >= 24; break;  // ellipse, rectangle
      case 44: ok = n >= 32; break;           // round rectangle
      case 35: ok = n >= 32; break;           // set world transform
      case 36: ok = n >= 36; break;           // modify world transform
      default: break;
    }
    if (!ok) return false;
    at += n;
  }
  return false;
}

bool WmfRecordsWellFormed(const uint8_t* d, size_t size) {
  if (size < 18) return false;
  const unsigned objects = U16(d + 10);
  for (size_t at = 18; at + 6 <= size;) {
    const uint8_t* r = d + at;
    const uint64_t words = U32(r);
    if (words < 3 || words * 2 > size - at) return false;
    const uint64_t n = words * 2;  // bytes, parameters from r + 6
    const uint16_t fn = U16(r + 4);
    bool ok = true;
    switch (fn) {
      case 0:  // EOF
        return true;
      case 0x012D: case 0x01F0: case 0x0234:  // select, delete object, select palette
        ok = n >= 8 && U16(r + 6) < objects;
        break;
      case 0x0324: case 0x0325:  // polygon, polyline
        ok = n >= 8 && 8 + uint64_t(U16(r + 6)) * 4 <= n;
        break;
      case 0x0538: {  // poly-polygon
        if (n < 8) return false;
        const uint64_t polys = U16(r + 6);
        if (8 + polys * 2 > n) return false;
        uint64_t points = 0;
        for (uint64_t i = 0; i < polys; ++i) points += U16(r + 8 + 2 * i);
        ok = 8 + polys * 2 + points * 4 <= n;
        break;
      }
      case 0x0521:  // text out: length, string (padded to words), y, x
        ok = n >= 8 && 8 + ((uint64_t(U16(r + 6)) + 1) & ~1ull) + 4 <= n;
        break;
      case 0x0A32: {  // extended text out: y, x, count, options, [rect], string, [dx]
        if (n < 14) return false;
        const uint64_t count = U16(r + 10), options = U16(r + 12);
        const uint64_t head = 14 + ((options & 0x0006) ? 8 : 0);
        ok = head + count <= n;
        break;
      }
      case 0x0940: case 0x0B41: case 0x0F43: case 0x0D33: case 0x0142: {
        // Records carrying a DIB after fixed parameters (bitblt, stretchblt,
        // stretchdib, setdibtodev, DIB pattern brush). A blit without a
        // source (parameters only) carries none.
        const uint64_t fixed = fn == 0x0940 ? 22 : fn == 0x0B41 ? 26 : fn == 0x0F43 ? 28 : fn == 0x0D33 ? 24 : 10;
        if ((fn == 0x0940 || fn == 0x0B41) && words == uint64_t(fn >> 8) + 3) break;
        ok = n > fixed && DibFits(r + fixed, n - fixed, n - fixed - 40);
        break;
      }
      case 0x0626:  // escape: function, byte count, data
        ok = n >= 10 && 10 + uint64_t(U16(r + 8)) <= n;
        break;
      case 0x0922: case 0x0B23: case 0x06FF:
        return false;  // device-dependent bitmaps, region creation: not played
      default: break;
    }
    if (!ok) return false;
    at += size_t(n);
  }
  return false;
}

bool WmfLayoutOf(const uint8_t* d, size_t size, WmfLayout* out) {
  WmfLayout l;
  bool placeable = false;
  if (size >= 22 && U32(d) == kPlaceableKey) {
    placeable = true;
    l.recordsOffset = 22;
    const int left = S16(d + 6), top = S16(d + 8), right = S16(d + 10), bottom = S16(d + 12);
    const int inch = U16(d + 14);
    if (inch == 0) return false;
    l.windowLeft = left;
    l.windowTop = top;
    l.windowWidth = right - left;
    l.windowHeight = bottom - top;
    const int64_t w = (int64_t(abs(l.windowWidth)) * 96 + inch / 2) / inch;
    const int64_t h = (int64_t(abs(l.windowHeight)) * 96 + inch / 2) / inch;
    if (!Usable(w, h)) return false;
    l.width = int(w);
    l.height = int(h);
  }
  // The standard header: type 1 or 2, header size 9 words.
  const uint8_t* h = d + l.recordsOffset;
  const size_t n = size - l.recordsOffset;
  if (size < l.recordsOffset + 18 || (U16(h) != 1 && U16(h) != 2) || U16(h + 2) != 9) return false;
  if (!placeable) {
    // Plain files: the window that their records set.
    bool haveExt = false;
    for (size_t at = 18; at + 6 <= n;) {
      const uint64_t words = U32(h + at);
      const uint16_t fn = U16(h + at + 4);
      if (words < 3 || at + words * 2 > n) break;
      if (fn == 0x020B && words >= 5) {  // SetWindowOrg(y, x)
        l.windowTop = S16(h + at + 6);
        l.windowLeft = S16(h + at + 8);
      } else if (fn == 0x020C && words >= 5) {  // SetWindowExt(y, x)
        l.windowHeight = S16(h + at + 6);
        l.windowWidth = S16(h + at + 8);
        haveExt = true;
      } else if (fn == 0) {
        break;
      }
      at += size_t(words) * 2;
    }
    if (!haveExt || !Usable(abs(l.windowWidth), abs(l.windowHeight))) return false;
    l.width = abs(l.windowWidth);
    l.height = abs(l.windowHeight);
  }
  *out = l;
  return true;
}

}  // namespace pixload
