// A cursor over an in-memory file. Every read checks the remaining length and
// reports failure instead of reading past the end; offsets are 64-bit so that
// sums of file fields cannot wrap.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace imgcodecs {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t size() const { return size_; }
  size_t pos() const { return pos_; }
  size_t remaining() const { return size_ - pos_; }

  bool seek(uint64_t offset) {
    if (offset > size_) return false;
    pos_ = static_cast<size_t>(offset);
    return true;
  }
  bool skip(uint64_t n) {
    if (n > remaining()) return false;
    pos_ += static_cast<size_t>(n);
    return true;
  }
  // n bytes at the cursor (and advances), or nullptr when fewer remain.
  const uint8_t* take(uint64_t n) {
    if (n > remaining()) return nullptr;
    const uint8_t* p = data_ + pos_;
    pos_ += static_cast<size_t>(n);
    return p;
  }
  // n bytes at an absolute offset, or nullptr when they are not all inside.
  const uint8_t* at(uint64_t offset, uint64_t n) const {
    if (offset > size_ || n > size_ - offset) return nullptr;
    return data_ + offset;
  }

  bool u8(uint8_t& v) {
    if (remaining() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool u16le(uint16_t& v) {
    const uint8_t* p = take(2);
    if (!p) return false;
    v = static_cast<uint16_t>(p[0] | (p[1] << 8));
    return true;
  }
  bool u16be(uint16_t& v) {
    const uint8_t* p = take(2);
    if (!p) return false;
    v = static_cast<uint16_t>((p[0] << 8) | p[1]);
    return true;
  }
  bool u32be(uint32_t& v) {
    const uint8_t* p = take(4);
    if (!p) return false;
    v = (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

inline uint16_t LoadU16be(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t LoadU32be(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

}  // namespace imgcodecs
