#include "cache.h"

namespace fpx {

TileCache::~TileCache() {
  for (size_t i = 0; i < slots_.size(); i++) free_pixels(slots_[i]);
}

void TileCache::free_pixels(Slot& s) {
  if (s.px) {
    free(s.px);
    mem_release(s.bytes);
  }
  s.px = nullptr;
  s.bytes = 0;
}

FPXStatus TileCache::init(uint32_t levels, const uint32_t* counts) {
  if (!level_start_.resize(levels) || !level_tiles_.resize(levels)) return FPX_MEMORY_ALLOCATION_FAILED;
  uint64_t total = 0;
  for (uint32_t l = 0; l < levels; l++) {
    level_start_[l] = uint32_t(total);
    level_tiles_[l] = counts[l];
    total += counts[l];
    if (total > 0x7FFFFFFF) return FPX_INVALID_FORMAT;
  }
  if (!index_.resize_uninit(size_t(total))) return FPX_MEMORY_ALLOCATION_FAILED;
  for (size_t i = 0; i < total; i++) index_[i] = -1;
  return FPX_OK;
}

// What the limit leaves beside everything else the reader holds, less room
// for the compressed tile buffer to grow; at most three quarters of the
// limit and at most the cap.
uint64_t TileCache::budget() const {
  const MemStats& m = mem_stats();
  const uint64_t others = m.used > bytes_ ? m.used - bytes_ : 0;
  const uint64_t headroom = 256 * 1024;
  if (others + headroom >= m.limit) return 0;
  uint64_t b = m.limit - others - headroom;
  if (b > m.limit / 4 * 3) b = m.limit / 4 * 3;
  return b < cap_ ? b : cap_;
}

void TileCache::unlink(int32_t i) {
  Slot& s = slots_[i];
  if (s.prev >= 0) slots_[s.prev].next = s.next; else head_ = s.next;
  if (s.next >= 0) slots_[s.next].prev = s.prev; else tail_ = s.prev;
  s.prev = s.next = -1;
}

void TileCache::push_front(int32_t i) {
  Slot& s = slots_[i];
  s.prev = -1;
  s.next = head_;
  if (head_ >= 0) slots_[head_].prev = i;
  head_ = i;
  if (tail_ < 0) tail_ = i;
}

void TileCache::evict(int32_t i) {
  Slot& s = slots_[i];
  unlink(i);
  index_[level_start_[s.level] + s.tile] = -1;
  bytes_ -= s.bytes;
  free_pixels(s);
  free_.push(i);  // cannot fail: free_ has room for every slot (reserved on growth)
}

uint8_t* TileCache::find(uint32_t level, uint32_t tile) {
  if (level >= level_start_.size() || tile >= level_tiles_[level]) return nullptr;
  int32_t i = index_[level_start_[level] + tile];
  if (i < 0) return nullptr;
  if (head_ != i) {
    unlink(i);
    push_front(i);
  }
  return slots_[i].px;
}

FPXStatus TileCache::insert(uint32_t level, uint32_t tile, size_t bytes, uint8_t** out) {
  if (level >= level_start_.size() || tile >= level_tiles_[level]) return FPX_INVALID_PARAMETER;
  // At the budget, the oldest tile's buffer is reused when it has the right
  // size, so a long read keeps a steady set of buffers.
  if (tail_ >= 0 && bytes_ + bytes > budget() && slots_[tail_].bytes == bytes) {
    int32_t i = tail_;
    Slot& s = slots_[i];
    unlink(i);
    index_[level_start_[s.level] + s.tile] = -1;
    bytes_ -= s.bytes;
    s.level = level;
    s.tile = tile;
    pending_ = i;
    *out = s.px;
    return FPX_OK;
  }
  while (tail_ >= 0 && bytes_ + bytes > budget()) evict(tail_);
  int32_t i;
  if (free_.size() > 0) {
    i = free_[free_.size() - 1];
    free_.resize(free_.size() - 1);
  } else {
    if (slots_.size() >= 0x7FFFFFFF) return FPX_MEMORY_ALLOCATION_FAILED;
    if (!slots_.reserve(slots_.size() + 1) || !free_.reserve(slots_.size() + 1))
      return FPX_MEMORY_ALLOCATION_FAILED;
    i = int32_t(slots_.size());
    slots_.resize(slots_.size() + 1);  // zeroed: no pixels
  }
  Slot& s = slots_[i];
  // Make room under the hard limit too, evicting more when needed.
  while (true) {
    if (mem_acquire(bytes)) {
      s.px = static_cast<uint8_t*>(malloc(bytes ? bytes : 1));
      if (s.px) break;
      mem_release(bytes);
    }
    if (tail_ < 0) {
      free_.push(i);
      return FPX_MEMORY_ALLOCATION_FAILED;
    }
    evict(tail_);
  }
  s.bytes = bytes;
  s.level = level;
  s.tile = tile;
  s.prev = s.next = -1;
  pending_ = i;
  *out = s.px;
  return FPX_OK;
}

void TileCache::commit() {
  if (pending_ < 0) return;
  Slot& s = slots_[pending_];
  bytes_ += s.bytes;
  index_[level_start_[s.level] + s.tile] = pending_;
  push_front(pending_);
  pending_ = -1;
  decodes_++;
}

void TileCache::drop() {
  if (pending_ < 0) return;
  free_pixels(slots_[pending_]);
  free_.push(pending_);
  pending_ = -1;
}

}  // namespace fpx
