// Compound-file (structured storage) container: sector tables, directory and
// stream reads. Streams are read on demand from the open file; only the sector
// tables and the directory are held in memory.
#pragma once
#include <stdio.h>
#include <stdint.h>

#include "memory.h"
#include "status.h"

namespace fpx {

struct DirEntry {
  uint16_t name[32];
  uint32_t name_len;  // in UTF-16 units, without the terminator
  uint8_t type;       // 1 storage, 2 stream, 5 root
  uint32_t left, right, child;
  uint32_t start;
  uint64_t size;
};

// One stream's sector chain, in regular or mini sectors.
struct Stream {
  Buf<uint32_t> chain;
  uint64_t size = 0;
  bool mini = false;
};

class CompoundFile {
 public:
  CompoundFile() = default;
  ~CompoundFile();
  CompoundFile(const CompoundFile&) = delete;
  CompoundFile& operator=(const CompoundFile&) = delete;

  FPXStatus open(const char* path);
  // Index of the child of storage `parent` named `name` (ASCII, compared
  // case-insensitively), or -1 in *found when absent.
  FPXStatus find_child(uint32_t parent, const char* name, int64_t* found) const;
  uint32_t root() const { return 0; }
  const DirEntry& entry(uint32_t i) const { return dir_[i]; }
  FPXStatus open_stream(uint32_t entry, Stream* s) const;
  // Reads len bytes at offset off of the stream into dst.
  FPXStatus read(const Stream& s, uint64_t off, size_t len, uint8_t* dst);
  // Reads a whole stream of at most max_size bytes.
  FPXStatus read_all(const Stream& s, size_t max_size, Buf<uint8_t>* out);

 private:
  FPXStatus read_at(uint64_t pos, size_t len, uint8_t* dst);
  FPXStatus read_sector(uint32_t sec, uint8_t* dst) { return read_at((uint64_t(sec) + 1) << shift_, ssz_, dst); }
  FPXStatus chain(const Buf<uint32_t>& table, uint32_t start, uint64_t max_len, bool until_end,
                  Buf<uint32_t>* out) const;
  FPXStatus read_chain_range(const Buf<uint32_t>& chain, uint32_t unit, uint64_t off, size_t len,
                             uint8_t* dst);

  FPXStatus raw_read(uint64_t pos, size_t len, uint8_t* dst);

  FILE* f_ = nullptr;
  uint64_t file_size_ = 0;
  uint64_t pos_ = UINT64_MAX;  // current file position, when known
  // A read-ahead window over the file: tiles lie mostly in sequence, so
  // small reads are served from it with one system read per window.
  Buf<uint8_t> win_;
  uint64_t win_pos_ = 0;
  size_t win_len_ = 0;
  uint32_t shift_ = 9, ssz_ = 512;
  uint32_t mini_shift_ = 6, cutoff_ = 4096;
  uint32_t file_sectors_ = 0;
  Buf<uint32_t> fat_, minifat_;
  Buf<DirEntry> dir_;
  Buf<uint32_t> ministream_;  // the root's chain, holding the mini sectors
  uint64_t ministream_size_ = 0;
};

}  // namespace fpx
