#include "memory.h"

namespace fpx {

MemStats& mem_stats() {
  static MemStats s = {uint64_t(256) << 20, 0, 0};
  return s;
}

bool mem_acquire(size_t n) {
  MemStats& s = mem_stats();
  if (n > s.limit || s.used > s.limit - n) return false;
  s.used += n;
  if (s.used > s.peak) s.peak = s.used;
  return true;
}

void mem_release(size_t n) {
  MemStats& s = mem_stats();
  s.used = n > s.used ? 0 : s.used - n;
}

}  // namespace fpx
