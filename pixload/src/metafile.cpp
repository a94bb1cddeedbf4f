// EMF and WMF pictures rendered by GDI at the fitted size into a DIB section
// on a white background.
#include <windows.h>

#include <string.h>

#include "dib.h"
#include "fileread.h"
#include "loaders.h"
#include "metasize.h"

namespace pixload {

namespace {

// Renders through draw(dc) into a width x height 24-bit section and copies
// the result out top-down.
template <class Draw>
bool Render(int width, int height, Draw draw, Pixels& out) {
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = width;
  bmi.bmiHeader.biHeight = -height;  // top-down, like Pixels
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  HBITMAP section = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (section && bits) {
    HGDIOBJ old = SelectObject(dc, section);
    const size_t stride = size_t(DibRowStride(width, 24));
    memset(bits, 0xFF, stride * size_t(height));
    ok = draw(dc) != FALSE;
    GdiFlush();
    SelectObject(dc, old);
    if (ok) {
      out.width = width;
      out.height = height;
      out.channels = 3;
      out.data.resize(out.stride() * size_t(height));
      for (int y = 0; y < height; ++y)
        memcpy(out.row(y), static_cast<const uint8_t*>(bits) + stride * size_t(y), out.stride());
    }
  }
  if (section) DeleteObject(section);
  DeleteDC(dc);
  return ok;
}

}  // namespace

MemHandle LoadEmf(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() > 0xFFFFFFFFu) return 0;
  int w = 0, h = 0, fw = 0, fh = 0;
  if (!EmfPictureSize(bytes.data(), bytes.size(), &w, &h) || !EmfRecordsWellFormed(bytes.data(), bytes.size()) ||
      !FittedSize(w, h, BoxOf(request), 24, &fw, &fh))
    return 0;
  HENHMETAFILE emf = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  if (!emf) return 0;
  Pixels pixels;
  const RECT rc = {0, 0, fw, fh};
  const bool ok = Render(fw, fh, [&](HDC dc) { return PlayEnhMetaFile(dc, emf, &rc); }, pixels);
  DeleteEnhMetaFile(emf);
  if (!ok) return 0;
  FillInfo(info, uint32_t(w), uint32_t(h), 24, 0);
  return BuildPackedDib(pixels, fw, fh);
}

MemHandle LoadWmf(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.size() > 0xFFFFFFFFu) return 0;
  WmfLayout layout;
  int fw = 0, fh = 0;
  if (!WmfLayoutOf(bytes.data(), bytes.size(), &layout) ||
      !WmfRecordsWellFormed(bytes.data() + layout.recordsOffset, bytes.size() - layout.recordsOffset) ||
      !FittedSize(layout.width, layout.height, BoxOf(request), 24, &fw, &fh))
    return 0;
  HMETAFILE wmf = SetMetaFileBitsEx(UINT(bytes.size() - layout.recordsOffset), bytes.data() + layout.recordsOffset);
  if (!wmf) return 0;
  Pixels pixels;
  const bool ok = Render(fw, fh,
                         [&](HDC dc) {
                           // The records' window mapped onto the whole bitmap; records
                           // that set the window themselves take over.
                           SetMapMode(dc, MM_ANISOTROPIC);
                           SetWindowOrgEx(dc, layout.windowLeft, layout.windowTop, nullptr);
                           SetWindowExtEx(dc, layout.windowWidth, layout.windowHeight, nullptr);
                           SetViewportOrgEx(dc, 0, 0, nullptr);
                           SetViewportExtEx(dc, fw, fh, nullptr);
                           return PlayMetaFile(dc, wmf);
                         },
                         pixels);
  DeleteMetaFile(wmf);
  if (!ok) return 0;
  FillInfo(info, uint32_t(layout.width), uint32_t(layout.height), 24, 0);
  return BuildPackedDib(pixels, fw, fh);
}

}  // namespace pixload
