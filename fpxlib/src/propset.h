// Property-set streams: the first section's properties, by ID, with their
// values kept as views into the stream bytes.
#pragma once
#include <stdint.h>

#include "bytes.h"
#include "memory.h"
#include "status.h"

namespace fpx {

struct Property {
  uint32_t id;
  uint32_t type;   // VT_* code
  ByteView value;  // the bytes after the type word, to the end of the section
};

class PropertySet {
 public:
  // Parses `bytes`, which must outlive the set.
  FPXStatus parse(ByteView bytes);
  const Property* find(uint32_t id) const;
  // Integer-typed property (VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT).
  bool get_uint(uint32_t id, uint32_t* v) const;
  // VT_BLOB property: its bytes.
  bool get_blob(uint32_t id, ByteView* v) const;

 private:
  Buf<Property> props_;
};

}  // namespace fpx
