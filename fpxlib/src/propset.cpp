#include "propset.h"

namespace fpx {

namespace {
const uint32_t VT_I2 = 2, VT_I4 = 3, VT_UI2 = 18, VT_UI4 = 19, VT_INT = 22, VT_UINT = 23,
               VT_BLOB = 65;
}

FPXStatus PropertySet::parse(ByteView b) {
  props_.reset();
  uint16_t order;
  uint32_t nsections, sec_off;
  if (!b.u16(0, &order) || order != 0xFFFE) return FPX_INVALID_FORMAT;
  if (!b.u32(24, &nsections) || nsections < 1) return FPX_INVALID_FORMAT;
  // First section: FMTID (16 bytes) then its offset.
  if (!b.u32(28 + 16, &sec_off)) return FPX_INVALID_FORMAT;
  uint32_t sec_size, count;
  if (!b.u32(sec_off, &sec_size) || !b.u32(size_t(sec_off) + 4, &count)) return FPX_INVALID_FORMAT;
  ByteView sec;
  if (sec_size < 8 || !b.sub(sec_off, sec_size, &sec)) return FPX_INVALID_FORMAT;
  if (count > (sec_size - 8) / 8) return FPX_INVALID_FORMAT;
  if (!props_.reserve(count)) return FPX_MEMORY_ALLOCATION_FAILED;
  for (uint32_t i = 0; i < count; i++) {
    Property p;
    uint32_t off = 0;
    p.id = 0;
    sec.u32(8 + 8 * size_t(i), &p.id);
    sec.u32(12 + 8 * size_t(i), &off);
    if (!sec.u32(off, &p.type)) return FPX_INVALID_FORMAT;
    sec.sub(size_t(off) + 4, sec.size() - off - 4, &p.value);
    if (p.value.size() + off + 4 != sec.size()) return FPX_INVALID_FORMAT;
    props_.push(p);
  }
  return FPX_OK;
}

const Property* PropertySet::find(uint32_t id) const {
  for (size_t i = 0; i < props_.size(); i++)
    if (props_[i].id == id) return &props_[i];
  return nullptr;
}

bool PropertySet::get_uint(uint32_t id, uint32_t* v) const {
  const Property* p = find(id);
  if (!p) return false;
  uint16_t s;
  switch (p->type) {
    case VT_I2:
    case VT_UI2:
      if (!p->value.u16(0, &s)) return false;
      *v = s;
      return true;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
      return p->value.u32(0, v);
    default:
      return false;
  }
}

bool PropertySet::get_blob(uint32_t id, ByteView* v) const {
  const Property* p = find(id);
  uint32_t n;
  if (!p || p->type != VT_BLOB || !p->value.u32(0, &n)) return false;
  return p->value.sub(4, n, v);
}

}  // namespace fpx
