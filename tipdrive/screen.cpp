#include "screen.h"

#include <cstdio>
#include <cstring>

namespace {

// Draws into a 32-bit top-down DIB section and returns its pixels.
template <typename Draw>
Picture WithDib(int width, int height, Draw draw) {
  Picture out;
  if (width <= 0 || height <= 0) return out;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(dc, dib);
    draw(dc, screen);
    GdiFlush();
    out.width = width;
    out.height = height;
    out.pixels.resize(static_cast<size_t>(width) * height);
    memcpy(out.pixels.data(), bits, out.pixels.size() * 4);
    for (uint32_t& p : out.pixels) p &= 0xFFFFFF;
    SelectObject(dc, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return out;
}

}  // namespace

Picture CaptureScreen(const RECT& rc) {
  return WithDib(rc.right - rc.left, rc.bottom - rc.top, [&](HDC dc, HDC screen) {
    BitBlt(dc, 0, 0, rc.right - rc.left, rc.bottom - rc.top, screen, rc.left, rc.top, SRCCOPY);
  });
}

Picture RenderStrip(const std::string& text, int width) {
  return WithDib(width, 16, [&](HDC dc, HDC) {
    RECT strip = {0, 0, width, 16};
    FillRect(dc, &strip, reinterpret_cast<HBRUSH>(COLOR_BACKGROUND + 1));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &strip, DT_CENTER | DT_VCENTER);
  });
}

bool SaveBmp(const Picture& p, const std::string& path) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  const uint32_t imageBytes = static_cast<uint32_t>(p.pixels.size() * 4);
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  fh.bfSize = fh.bfOffBits + imageBytes;
  BITMAPINFOHEADER ih = {};
  ih.biSize = sizeof ih;
  ih.biWidth = p.width;
  ih.biHeight = -p.height;
  ih.biPlanes = 1;
  ih.biBitCount = 32;
  ih.biSizeImage = imageBytes;
  const bool ok = fwrite(&fh, sizeof fh, 1, f) == 1 && fwrite(&ih, sizeof ih, 1, f) == 1 &&
                  fwrite(p.pixels.data(), 4, p.pixels.size(), f) == p.pixels.size();
  fclose(f);
  return ok;
}
