#include "cfb.h"

#include <string.h>

#include "bytes.h"

namespace fpx {

namespace {
const uint32_t kEndOfChain = 0xFFFFFFFE;
const uint32_t kNoStream = 0xFFFFFFFF;
const uint8_t kMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

int seek64(FILE* f, uint64_t pos) {
#ifdef _WIN32
  return _fseeki64(f, (long long)pos, SEEK_SET);
#else
  return fseeko(f, (off_t)pos, SEEK_SET);
#endif
}

uint16_t upper(uint16_t c) { return (c >= 'a' && c <= 'z') ? uint16_t(c - 32) : c; }
}  // namespace

CompoundFile::~CompoundFile() {
  if (f_) fclose(f_);
}

const size_t kWindow = 64 * 1024;

FPXStatus CompoundFile::read_at(uint64_t pos, size_t len, uint8_t* dst) {
  uint64_t end;
  if (!add_ok(pos, len, &end) || end > file_size_) return FPX_FILE_READ_ERROR;
  if (pos >= win_pos_ && end <= win_pos_ + win_len_) {
    memcpy(dst, win_.data() + (pos - win_pos_), len);
    return FPX_OK;
  }
  if (len >= kWindow / 2 || win_.size() < kWindow) return raw_read(pos, len, dst);
  size_t n = size_t(file_size_ - pos < kWindow ? file_size_ - pos : kWindow);
  win_len_ = 0;
  FPX_TRY(raw_read(pos, n, win_.data()));
  win_pos_ = pos;
  win_len_ = n;
  memcpy(dst, win_.data(), len);
  return FPX_OK;
}

FPXStatus CompoundFile::raw_read(uint64_t pos, size_t len, uint8_t* dst) {
  uint64_t end = pos + len;
  if (pos != pos_ && seek64(f_, pos) != 0) {
    pos_ = UINT64_MAX;
    return FPX_FILE_READ_ERROR;
  }
  if (fread(dst, 1, len, f_) != len) {
    pos_ = UINT64_MAX;
    return FPX_FILE_READ_ERROR;
  }
  pos_ = end;
  return FPX_OK;
}

// Follows a chain through `table` from `start`. With until_end the chain must
// end in ENDOFCHAIN; otherwise exactly max_len links are taken. A link that
// leaves the table or the file, or that revisits a sector, is malformed.
FPXStatus CompoundFile::chain(const Buf<uint32_t>& table, uint32_t start, uint64_t max_len,
                              bool until_end, Buf<uint32_t>* out) const {
  out->reset();
  if (max_len == 0 && !until_end) return FPX_OK;
  Buf<uint8_t> seen;
  if (!seen.resize(table.size())) return FPX_MEMORY_ALLOCATION_FAILED;
  uint32_t s = start;
  while (true) {
    if (s == kEndOfChain) {
      if (until_end) return FPX_OK;
      return FPX_INVALID_FORMAT;  // shorter than the stream size says
    }
    if (s >= table.size() || seen[s]) return FPX_INVALID_FORMAT;
    seen[s] = 1;
    if (out->size() >= max_len) return until_end ? FPX_INVALID_FORMAT : FPX_OK;
    if (!out->push(s)) return FPX_MEMORY_ALLOCATION_FAILED;
    if (!until_end && out->size() == max_len) return FPX_OK;
    s = table[s];
  }
}

FPXStatus CompoundFile::open(const char* path) {
  f_ = fopen(path, "rb");
  if (!f_) return FPX_FILE_NOT_FOUND;
  setvbuf(f_, nullptr, _IONBF, 0);  // reads are buffered by the window
  if (!win_.resize_uninit(kWindow)) return FPX_MEMORY_ALLOCATION_FAILED;
  if (seek64(f_, 0) != 0) return FPX_FILE_READ_ERROR;
#ifdef _WIN32
  if (_fseeki64(f_, 0, SEEK_END) != 0) return FPX_FILE_READ_ERROR;
  long long sz = _ftelli64(f_);
#else
  if (fseeko(f_, 0, SEEK_END) != 0) return FPX_FILE_READ_ERROR;
  long long sz = (long long)ftello(f_);
#endif
  if (sz < 0) return FPX_FILE_READ_ERROR;
  file_size_ = uint64_t(sz);
  pos_ = UINT64_MAX;

  uint8_t hb[512];
  if (file_size_ < 512) return FPX_INVALID_FORMAT;
  FPX_TRY(read_at(0, 512, hb));
  ByteView h(hb, sizeof hb);
  if (memcmp(hb, kMagic, 8) != 0) return FPX_INVALID_FORMAT;
  uint16_t major = 0, order = 0, sshift = 0, mshift = 0;
  uint32_t nfat = 0, dir_start = 0, cutoff = 0, mfat_start = 0, nmfat = 0, difat_start = 0, ndifat = 0;
  h.u16(0x1A, &major);
  h.u16(0x1C, &order);
  h.u16(0x1E, &sshift);
  h.u16(0x20, &mshift);
  h.u32(0x2C, &nfat);
  h.u32(0x30, &dir_start);
  h.u32(0x38, &cutoff);
  h.u32(0x3C, &mfat_start);
  h.u32(0x40, &nmfat);
  h.u32(0x44, &difat_start);
  h.u32(0x48, &ndifat);
  if (order != 0xFFFE) return FPX_INVALID_FORMAT;
  if (!((major == 3 && sshift == 9) || (major == 4 && sshift == 12))) return FPX_INVALID_FORMAT;
  if (mshift != 6 || cutoff != 4096) return FPX_INVALID_FORMAT;
  shift_ = sshift;
  ssz_ = 1u << sshift;
  mini_shift_ = mshift;
  cutoff_ = cutoff;
  uint64_t nsec = (file_size_ - ssz_ + ssz_ - 1) >> shift_;  // sectors after the header
  if (file_size_ < ssz_ || nsec > 0xFFFFFFF0u) return FPX_INVALID_FORMAT;
  file_sectors_ = uint32_t(nsec);
  uint32_t per = ssz_ / 4;

  // The FAT sector list: 109 entries in the header, then the DIFAT chain.
  if (nfat == 0 || nfat > file_sectors_) return FPX_INVALID_FORMAT;
  Buf<uint32_t> fat_secs;
  if (!fat_secs.reserve(nfat)) return FPX_MEMORY_ALLOCATION_FAILED;
  for (uint32_t i = 0; i < 109 && fat_secs.size() < nfat; i++) {
    uint32_t v = 0;
    h.u32(0x4C + 4 * i, &v);
    fat_secs.push(v);
  }
  Buf<uint8_t> sec;
  if (!sec.resize(ssz_)) return FPX_MEMORY_ALLOCATION_FAILED;
  uint32_t d = difat_start;
  for (uint32_t k = 0; fat_secs.size() < nfat; k++) {
    if (k >= ndifat || d >= file_sectors_) return FPX_INVALID_FORMAT;
    FPX_TRY(read_sector(d, sec.data()));
    ByteView sv(sec.data(), ssz_);
    for (uint32_t i = 0; i + 1 < per && fat_secs.size() < nfat; i++) {
      uint32_t v = 0;
      sv.u32(4 * i, &v);
      fat_secs.push(v);
    }
    sv.u32(ssz_ - 4, &d);
  }
  // A loop in the DIFAT chain is caught by the bound on k: each step adds
  // entries until nfat is reached or ndifat steps are used up.

  if (!fat_.resize(uint64_t(nfat) * per)) return FPX_MEMORY_ALLOCATION_FAILED;
  for (uint32_t i = 0; i < nfat; i++) {
    if (fat_secs[i] >= file_sectors_) return FPX_INVALID_FORMAT;
    FPX_TRY(read_sector(fat_secs[i], sec.data()));
    ByteView sv(sec.data(), ssz_);
    for (uint32_t j = 0; j < per; j++) sv.u32(4 * j, &fat_[uint64_t(i) * per + j]);
  }

  // Directory.
  Buf<uint32_t> dchain;
  FPX_TRY(chain(fat_, dir_start, file_sectors_, true, &dchain));
  if (dchain.size() == 0) return FPX_INVALID_FORMAT;
  uint32_t per_dir = ssz_ / 128;
  if (!dir_.resize(uint64_t(dchain.size()) * per_dir)) return FPX_MEMORY_ALLOCATION_FAILED;
  for (size_t i = 0; i < dchain.size(); i++) {
    if (dchain[i] >= file_sectors_) return FPX_INVALID_FORMAT;
    FPX_TRY(read_sector(dchain[i], sec.data()));
    ByteView sv(sec.data(), ssz_);
    for (uint32_t j = 0; j < per_dir; j++) {
      DirEntry& e = dir_[i * per_dir + j];
      size_t o = 128 * j;
      uint16_t nl = 0;
      sv.u16(o + 0x40, &nl);
      e.name_len = (nl >= 2 && nl <= 64) ? nl / 2 - 1 : 0;
      for (int k = 0; k < 32; k++) sv.u16(o + 2 * k, &e.name[k]);
      sv.u8(o + 0x42, &e.type);
      sv.u32(o + 0x44, &e.left);
      sv.u32(o + 0x48, &e.right);
      sv.u32(o + 0x4C, &e.child);
      sv.u32(o + 0x74, &e.start);
      sv.u64(o + 0x78, &e.size);
      if (major == 3) e.size &= 0xFFFFFFFFu;
    }
  }
  if (dir_[0].type != 5) return FPX_INVALID_FORMAT;

  // Mini FAT and the mini stream (the root's own stream).
  if (nmfat > 0 && mfat_start != kEndOfChain) {
    Buf<uint32_t> mchain;
    FPX_TRY(chain(fat_, mfat_start, nmfat, false, &mchain));
    if (!minifat_.resize(uint64_t(mchain.size()) * per)) return FPX_MEMORY_ALLOCATION_FAILED;
    for (size_t i = 0; i < mchain.size(); i++) {
      if (mchain[i] >= file_sectors_) return FPX_INVALID_FORMAT;
      FPX_TRY(read_sector(mchain[i], sec.data()));
      ByteView sv(sec.data(), ssz_);
      for (uint32_t j = 0; j < per; j++) sv.u32(4 * j, &minifat_[i * per + j]);
    }
  }
  ministream_size_ = dir_[0].size;
  if (ministream_size_ > file_size_) return FPX_INVALID_FORMAT;
  uint64_t mlen = (ministream_size_ + ssz_ - 1) >> shift_;
  if (mlen > 0) FPX_TRY(chain(fat_, dir_[0].start, mlen, false, &ministream_));
  return FPX_OK;
}

FPXStatus CompoundFile::find_child(uint32_t parent, const char* name, int64_t* found) const {
  *found = -1;
  if (parent >= dir_.size()) return FPX_INVALID_FORMAT;
  size_t qlen = strlen(name);
  Buf<uint8_t> seen;
  Buf<uint32_t> stack;
  if (!seen.resize(dir_.size())) return FPX_MEMORY_ALLOCATION_FAILED;
  uint32_t top = dir_[parent].child;
  if (top == kNoStream) return FPX_OK;
  if (!stack.push(top)) return FPX_MEMORY_ALLOCATION_FAILED;
  // Search the whole sibling tree rather than trusting its ordering; each
  // entry may be visited once, so a cycle is reported as malformed.
  while (stack.size() > 0) {
    uint32_t i = stack[stack.size() - 1];
    stack.resize(stack.size() - 1);
    if (i >= dir_.size() || seen[i] || i == 0) return FPX_INVALID_FORMAT;
    seen[i] = 1;
    const DirEntry& e = dir_[i];
    if (e.name_len == qlen) {
      size_t k = 0;
      while (k < qlen && upper(e.name[k]) == upper(uint8_t(name[k]))) k++;
      if (k == qlen && e.type != 0) {
        *found = i;
        return FPX_OK;
      }
    }
    if (e.left != kNoStream && !stack.push(e.left)) return FPX_MEMORY_ALLOCATION_FAILED;
    if (e.right != kNoStream && !stack.push(e.right)) return FPX_MEMORY_ALLOCATION_FAILED;
  }
  return FPX_OK;
}

FPXStatus CompoundFile::open_stream(uint32_t idx, Stream* s) const {
  if (idx >= dir_.size() || dir_[idx].type != 2) return FPX_INVALID_FORMAT;
  const DirEntry& e = dir_[idx];
  if (e.size > file_size_) return FPX_INVALID_FORMAT;
  s->size = e.size;
  s->mini = e.size < cutoff_;
  if (s->mini) {
    uint64_t n = (e.size + 63) >> mini_shift_;
    if ((n << mini_shift_) > ministream_size_ + 63) return FPX_INVALID_FORMAT;
    return chain(minifat_, e.start, n, false, &s->chain);
  }
  return chain(fat_, e.start, (e.size + ssz_ - 1) >> shift_, false, &s->chain);
}

// Reads [off, off+len) of a stream made of `unit`-byte pieces named by chain.
FPXStatus CompoundFile::read_chain_range(const Buf<uint32_t>& ch, uint32_t unit, uint64_t off,
                                         size_t len, uint8_t* dst) {
  while (len > 0) {
    uint64_t k = off / unit;
    uint32_t in = uint32_t(off % unit);
    if (k >= ch.size()) return FPX_INVALID_FORMAT;
    // Join runs of consecutive sectors into one read.
    size_t n = unit - in;
    uint64_t k2 = k;
    while (n < len && k2 + 1 < ch.size() && ch[k2 + 1] == ch[k2] + 1) {
      k2++;
      n += unit;
    }
    if (n > len) n = len;
    if (unit == ssz_) {
      if (ch[k] >= file_sectors_) return FPX_INVALID_FORMAT;
      FPX_TRY(read_at(((uint64_t(ch[k]) + 1) << shift_) + in, n, dst));
    } else {
      FPX_TRY(read_chain_range(ministream_, ssz_, (uint64_t(ch[k]) << mini_shift_) + in, n, dst));
    }
    dst += n;
    off += n;
    len -= n;
  }
  return FPX_OK;
}

FPXStatus CompoundFile::read(const Stream& s, uint64_t off, size_t len, uint8_t* dst) {
  uint64_t end;
  if (!add_ok(off, len, &end) || end > s.size) return FPX_INVALID_FORMAT;
  return read_chain_range(s.chain, s.mini ? (1u << mini_shift_) : ssz_, off, len, dst);
}

FPXStatus CompoundFile::read_all(const Stream& s, size_t max_size, Buf<uint8_t>* out) {
  if (s.size > max_size) return FPX_INVALID_FORMAT;
  if (!out->resize(size_t(s.size))) return FPX_MEMORY_ALLOCATION_FAILED;
  return read(s, 0, size_t(s.size), out->data());
}

}  // namespace fpx
