// Cache of decoded tiles, least recently used first out, kept within a share
// of the memory limit so that reading an image row by row decodes each tile
// once.
#pragma once
#include "memory.h"
#include "status.h"

namespace fpx {

class TileCache {
 public:
  // levels: number of levels; tiles_in(l) gives each level's tile count.
  TileCache() = default;
  ~TileCache();
  TileCache(const TileCache&) = delete;
  TileCache& operator=(const TileCache&) = delete;
  FPXStatus init(uint32_t levels, const uint32_t* tile_counts);
  // Pixels of (level, tile), or null when absent; marks it recently used.
  uint8_t* find(uint32_t level, uint32_t tile);
  // A buffer of `bytes` for (level, tile), evicting older tiles as needed.
  // Call commit() once it holds the decoded tile, or drop() when decoding fails.
  FPXStatus insert(uint32_t level, uint32_t tile, size_t bytes, uint8_t** out);
  void commit();
  void drop();
  uint64_t decodes() const { return decodes_; }
  // Keeps the cache at most this large even when the limit allows more.
  void set_cap(uint64_t bytes) { cap_ = bytes; }

 private:
  struct Slot {
    uint8_t* px;  // malloc'ed, `bytes` long, charged to the accounting
    size_t bytes;
    uint32_t level, tile;
    int32_t prev, next;
  };
  void free_pixels(Slot& s);
  void unlink(int32_t i);
  void push_front(int32_t i);
  void evict(int32_t i);
  uint64_t budget() const;

  Buf<int32_t> index_;        // (level start + tile) -> slot or -1
  Buf<uint32_t> level_start_, level_tiles_;
  Buf<Slot> slots_;
  Buf<int32_t> free_;
  int32_t head_ = -1, tail_ = -1;
  int32_t pending_ = -1;
  uint64_t bytes_ = 0;
  uint64_t decodes_ = 0;
  uint64_t cap_ = UINT64_MAX;
};

}  // namespace fpx
