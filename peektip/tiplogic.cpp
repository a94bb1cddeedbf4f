#include "tiplogic.h"

#include <stdio.h>
#include <string.h>

namespace peektip {

const char* const kTipExtensions[kTipExtensionCount] = {
    ".bmp", ".emf", ".gif", ".jpg", ".jpeg", ".jpe", ".pcd", ".pcx",
    ".png", ".psd", ".sgi", ".tga", ".tif", ".tiff", ".wmf", ".fpx"};

const char kQueryInfoKey[] = "{00021500-0000-0000-C000-000000000046}";

SIZE PopupSize(bool animated, const DibHeader& header) {
  if (animated) return SIZE{kThumbBox, kThumbBox};
  return SIZE{header.biWidth, header.biHeight + kCaptionHeight};
}

POINT PlacePopup(POINT cursor, SIZE size, const RECT& monitor) {
  POINT at = cursor;
  // Signed comparisons in 64 bits: no overflow near the coordinate limits.
  if (static_cast<long long>(at.x) + size.cx > monitor.right) at.x = monitor.right - size.cx;
  if (static_cast<long long>(at.y) + size.cy > monitor.bottom) at.y = monitor.bottom - size.cy;
  return at;
}

int FormatCaption(char* buf, const DibImageInfo& info, bool animated) {
  const unsigned long width = info.dwWidth;
  const unsigned long height = info.dwHeight;
  const unsigned bits = info.wBitCount;
  int n;
  if (animated)
    n = snprintf(buf, kCaptionBufferSize, "%lux%lux%ux%d", width, height, bits,
                 static_cast<int>(info.wFrameCount));
  else
    n = snprintf(buf, kCaptionBufferSize, "%lux%lux%u", width, height, bits);
  if (n < 0) {
    buf[0] = 0;
    return 0;
  }
  return n < kCaptionBufferSize ? n : kCaptionBufferSize - 1;
}

bool PointInRect(const RECT& rc, POINT pt) {
  return pt.x >= rc.left && pt.x < rc.right && pt.y >= rc.top && pt.y < rc.bottom;
}

bool CursorKeepsPopup(POINT cursor, const RECT& item, const RECT& popup) {
  return PointInRect(item, cursor) || PointInRect(popup, cursor);
}

RECT TrackedItemRect(const RECT& bounds, LONG listViewStyle, int column0Width) {
  RECT rc = bounds;
  if (listViewStyle & 1) rc.right = rc.left + column0Width;  // LVS_REPORT (1) and LVS_LIST (3)
  return rc;
}

LPARAM PackPoint(POINT pt) {
  const DWORD packed = (static_cast<DWORD>(pt.x) & 0xFFFF) | ((static_cast<DWORD>(pt.y) & 0xFFFF) << 16);
  return static_cast<LPARAM>(packed);
}

namespace {

bool IsClsidText(const char* text) { return text != nullptr && strlen(text) == 38; }

}  // namespace

int PlanRegistration(const char* clsidText, const char* modulePath, const char* friendlyName,
                     const char* threadingModel, RegistrationText& text, RegValue* out) {
  if (!IsClsidText(clsidText) || modulePath == nullptr) return 0;
  snprintf(text.classKey, sizeof text.classKey, "CLSID\\%s", clsidText);
  int n = 0;
  out[n++] = RegValue{text.classKey, nullptr, nullptr, friendlyName};
  out[n++] = RegValue{text.classKey, "InprocServer32", nullptr, modulePath};
  if (threadingModel != nullptr)
    out[n++] = RegValue{text.classKey, "InprocServer32", "ThreadingModel", threadingModel};
  for (int i = 0; i < kTipExtensionCount; ++i) {
    snprintf(text.extensionKeys[i], sizeof text.extensionKeys[i], "%s\\ShellEx", kTipExtensions[i]);
    out[n++] = RegValue{text.extensionKeys[i], kQueryInfoKey, nullptr, clsidText};
  }
  return n;
}

int PlanUnregistration(const char* clsidText, RegistrationText& text, const char** out) {
  if (!IsClsidText(clsidText)) return 0;
  snprintf(text.classKey, sizeof text.classKey, "CLSID\\%s", clsidText);
  int n = 0;
  out[n++] = text.classKey;
  for (int i = 0; i < kTipExtensionCount; ++i) {
    snprintf(text.handlerKeys[i], sizeof text.handlerKeys[i], "%s\\ShellEx\\%s", kTipExtensions[i],
             kQueryInfoKey);
    out[n++] = text.handlerKeys[i];
  }
  return n;
}

}  // namespace peektip
