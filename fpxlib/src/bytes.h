// Bounds-checked little-endian reads over a byte range. Every access to file
// bytes goes through ByteView, so a bad length or offset is a failed read,
// never an out-of-range access.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace fpx {

class ByteView {
 public:
  ByteView() = default;
  ByteView(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  size_t size() const { return n_; }
  const uint8_t* data() const { return p_; }
  bool has(size_t off, size_t len) const { return off <= n_ && len <= n_ - off; }
  bool u8(size_t off, uint8_t* v) const {
    if (!has(off, 1)) return false;
    *v = p_[off];
    return true;
  }
  bool u16(size_t off, uint16_t* v) const {
    if (!has(off, 2)) return false;
    *v = uint16_t(p_[off] | (p_[off + 1] << 8));
    return true;
  }
  bool u32(size_t off, uint32_t* v) const {
    if (!has(off, 4)) return false;
    *v = uint32_t(p_[off]) | (uint32_t(p_[off + 1]) << 8) | (uint32_t(p_[off + 2]) << 16) |
         (uint32_t(p_[off + 3]) << 24);
    return true;
  }
  bool u64(size_t off, uint64_t* v) const {
    uint32_t lo, hi;
    if (!u32(off, &lo) || !u32(off + 4, &hi)) return false;
    *v = (uint64_t(hi) << 32) | lo;
    return true;
  }
  // The sub-range [off, off+len), or false when it does not lie inside.
  bool sub(size_t off, size_t len, ByteView* out) const {
    if (!has(off, len)) return false;
    *out = ByteView(p_ + off, len);
    return true;
  }

 private:
  const uint8_t* p_ = nullptr;
  size_t n_ = 0;
};

// Overflow-checked arithmetic on sizes taken from the file.
inline bool add_ok(uint64_t a, uint64_t b, uint64_t* r) {
  if (a > UINT64_MAX - b) return false;
  *r = a + b;
  return true;
}
inline bool mul_ok(uint64_t a, uint64_t b, uint64_t* r) {
  if (a != 0 && b > UINT64_MAX / a) return false;
  *r = a * b;
  return true;
}

}  // namespace fpx
