#include "dib_layout.h"

#include <string.h>

#include "dibrecords.h"

bool ComputeDecodeLayout(uint32_t width, uint32_t height, int32_t components, DecodeLayout* layout) {
  if (components != 1 && components != 3) return false;
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return false;
  DecodeLayout l;
  l.width = static_cast<int32_t>(width);
  l.height = static_cast<int32_t>(height);
  l.components = components;
  l.bitCount = components == 1 ? 8 : 24;
  l.paletteCount = components == 1 ? 256 : 0;
  l.rowStride = DibRowStride(width, l.bitCount);
  l.pixelOffset = DIB_HEADER_SIZE + 4 * int64_t(l.paletteCount);
  l.blockSize = l.pixelOffset + l.rowStride * int64_t(height);
  if (l.blockSize > DIB_MAX_BYTES) return false;
  *layout = l;
  return true;
}

void WriteDecodedHeader(uint8_t* block, const DecodeLayout& layout) {
  DibHeader h;
  h.biSize = DIB_HEADER_SIZE;
  h.biWidth = layout.width;
  h.biHeight = layout.height;
  h.biPlanes = 1;
  h.biBitCount = layout.bitCount;
  h.biCompression = 0;
  h.biSizeImage = static_cast<uint32_t>(layout.rowStride * layout.height);
  h.biXPelsPerMeter = 72;
  h.biYPelsPerMeter = 72;
  h.biClrUsed = layout.paletteCount;
  h.biClrImportant = layout.paletteCount;
  memcpy(block, &h, sizeof h);
  uint8_t* entry = block + DIB_HEADER_SIZE;
  for (uint32_t i = 0; i < layout.paletteCount; ++i, entry += 4) {
    entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
    entry[3] = 0;
  }
}

void SetupRowRequest(FPXImageDesc* desc, uint8_t* row, const DecodeLayout& layout) {
  static const FPXComponentColor kGrey[1] = {MONOCHROME};
  static const FPXComponentColor kColour[3] = {NIFRGB_R, NIFRGB_G, NIFRGB_B};
  // Bitmap rows store blue, green, red: red is the third byte of a pixel.
  static const int kGreyOffset[1] = {0};
  static const int kColourOffset[3] = {2, 1, 0};
  const int32_t n = layout.components;
  const FPXComponentColor* colours = n == 1 ? kGrey : kColour;
  const int* offsets = n == 1 ? kGreyOffset : kColourOffset;
  desc->numberOfComponents = static_cast<uint32_t>(n);
  for (int32_t c = 0; c < n; ++c) {
    FPXImageComponentDesc& d = desc->components[c];
    d.myColor = colours[c];
    d.myDataType = DATA_TYPE_UNSIGNED_BYTE;
    d.horzSubSampFactor = 1;
    d.vertSubSampFactor = 1;
    d.columnStride = n;
    d.lineStride = n * layout.width;
    d.theData = row + offsets[c];
  }
}
