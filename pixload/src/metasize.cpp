#include "metasize.h"

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

bool EmfRecordsWellFormed(const uint8_t* d, size_t size) {
  for (size_t at = 0; at + 8 <= size;) {
    const uint32_t type = U32(d + at), bytes = U32(d + at + 4);
    if (bytes < 8 || bytes % 4 != 0 || bytes > size - at) return false;
    if (type == 14) return true;  // EMR_EOF
    at += bytes;
  }
  return false;
}

bool WmfRecordsWellFormed(const uint8_t* d, size_t size) {
  if (size < 18) return false;
  for (size_t at = 18; at + 6 <= size;) {
    const uint64_t words = U32(d + at);
    if (words < 3 || words * 2 > size - at) return false;
    if (U16(d + at + 4) == 0) return true;  // META_EOF
    at += size_t(words) * 2;
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
