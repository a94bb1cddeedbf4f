// The picture size of enhanced and Windows metafiles, read from their headers.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace pixload {

// EMF: the frame rectangle (hundredths of a millimetre) in pixels of the
// reference device the header names; the bounds when the frame is unusable.
bool EmfPictureSize(const uint8_t* data, size_t size, int* width, int* height);

// How a WMF is mapped: the logical window its records draw in, and its size
// in pixels at 96 dots per inch (placeable files) or one pixel per logical
// unit (plain files, whose window comes from their SetWindowOrg/Ext records).
struct WmfLayout {
  size_t recordsOffset = 0;  // 22 for a placeable file, else 0
  int windowLeft = 0, windowTop = 0;
  int windowWidth = 0, windowHeight = 0;  // signed: negative extents flip
  int width = 0, height = 0;
};

enum : uint32_t { kPlaceableKey = 0x9AC6CDD7u };

// The records of each kind chain to the end of the data, every size within
// it, and end with the end-of-file record: truncated files are refused before
// GDI plays them.
bool EmfRecordsWellFormed(const uint8_t* data, size_t size);
bool WmfRecordsWellFormed(const uint8_t* data, size_t size);

bool WmfLayoutOf(const uint8_t* data, size_t size, WmfLayout* layout);

}  // namespace pixload
