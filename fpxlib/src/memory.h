// The reader's own memory accounting. Every buffer the reader keeps (sector
// tables, tile tables, compressed and decoded tiles) is charged here against
// the limit set with FPX_SetToolkitMemoryLimit; the peak is kept for the
// benchmark and for fpxtool.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <new>
#include <type_traits>

namespace fpx {

struct MemStats {
  uint64_t limit;
  uint64_t used;
  uint64_t peak;
};
MemStats& mem_stats();
// Charges n bytes; false (nothing charged) when that would pass the limit.
bool mem_acquire(size_t n);
void mem_release(size_t n);

// A growable array of trivially copyable T whose storage is charged to the
// accounting. Allocation failures and limit refusals return false.
template <class T>
class Buf {
  static_assert(std::is_trivially_copyable<T>::value, "Buf holds plain data only");

 public:
  Buf() = default;
  Buf(const Buf&) = delete;
  Buf& operator=(const Buf&) = delete;
  Buf(Buf&& o) noexcept : p_(o.p_), n_(o.n_), cap_(o.cap_) { o.p_ = nullptr; o.n_ = o.cap_ = 0; }
  Buf& operator=(Buf&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = o.p_; n_ = o.n_; cap_ = o.cap_;
      o.p_ = nullptr; o.n_ = o.cap_ = 0;
    }
    return *this;
  }
  ~Buf() { reset(); }
  void reset() {
    if (p_) {
      free(p_);
      mem_release(cap_ * sizeof(T));
    }
    p_ = nullptr;
    n_ = cap_ = 0;
  }
  // Resizes to n elements; new elements are zeroed.
  bool resize(size_t n) {
    if (n > cap_ && !reserve(cap_ > 0 && n < cap_ * 2 ? cap_ * 2 : n)) return false;
    if (n > n_) memset(p_ + n_, 0, (n - n_) * sizeof(T));
    n_ = n;
    return true;
  }
  // Resizes without zeroing new elements (the caller fills them).
  bool resize_uninit(size_t n) {
    if (n > cap_ && !reserve(cap_ > 0 && n < cap_ * 2 ? cap_ * 2 : n)) return false;
    n_ = n;
    return true;
  }
  bool reserve(size_t n) {
    if (n <= cap_) return true;
    if (n > SIZE_MAX / sizeof(T)) return false;
    size_t extra = (n - cap_) * sizeof(T);
    if (!mem_acquire(extra)) return false;
    T* q = static_cast<T*>(realloc(p_, n * sizeof(T)));
    if (!q) {
      mem_release(extra);
      return false;
    }
    p_ = q;
    cap_ = n;
    return true;
  }
  bool push(const T& v) {
    if (n_ == cap_ && !reserve(cap_ < 8 ? 8 : cap_ * 2)) return false;
    p_[n_++] = v;
    return true;
  }
  size_t size() const { return n_; }
  T* data() { return p_; }
  const T* data() const { return p_; }
  T& operator[](size_t i) { return p_[i]; }
  const T& operator[](size_t i) const { return p_[i]; }

 private:
  T* p_ = nullptr;
  size_t n_ = 0, cap_ = 0;
};

// A fixed-size array of objects with constructors and destructors, charged
// to the accounting.
template <class T>
class ObjArray {
 public:
  ObjArray() = default;
  ObjArray(const ObjArray&) = delete;
  ObjArray& operator=(const ObjArray&) = delete;
  ~ObjArray() { reset(); }
  void reset() {
    if (p_) {
      delete[] p_;
      mem_release(n_ * sizeof(T));
    }
    p_ = nullptr;
    n_ = 0;
  }
  bool create(size_t n) {
    reset();
    if (n == 0) return true;
    if (n > SIZE_MAX / sizeof(T) || !mem_acquire(n * sizeof(T))) return false;
    p_ = new (std::nothrow) T[n];
    if (!p_) {
      mem_release(n * sizeof(T));
      return false;
    }
    n_ = n;
    return true;
  }
  size_t size() const { return n_; }
  T& operator[](size_t i) { return p_[i]; }
  const T& operator[](size_t i) const { return p_[i]; }

 private:
  T* p_ = nullptr;
  size_t n_ = 0;
};

}  // namespace fpx
