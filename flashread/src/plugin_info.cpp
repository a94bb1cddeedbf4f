#include "plugin_info.h"

#include <mbstring.h>
#include <string.h>

const char kFilterText[FILTER_TEXT_SIZE] = "FPX FlashPix (*.FPX)\r*.FPX\r";

namespace {
const char kName[] = "Fpx File Plug-In";
const char kAbout[] = "About Information";
const uint32_t kCapability = 3;

const unsigned char* U(const char* s) { return reinterpret_cast<const unsigned char*>(s); }
}  // namespace

void FillPluginDescriptor(uint8_t* record) {
  memcpy(record + PD_CAPABILITY, &kCapability, sizeof kCapability);
  const size_t filterLength = strlen(kFilterText) + 1;
  memcpy(record + PD_FILTER1, kFilterText, filterLength);
  memcpy(record + PD_FILTER2, kFilterText, filterLength);
  memcpy(record + PD_NAME, kName, sizeof kName);
  memcpy(record + PD_ABOUT, kAbout, sizeof kAbout);
}

int ExtensionIsSupported(const char* fileName) {
  const unsigned char* dot = _mbsrchr(U(fileName), '.');
  if (dot == nullptr) return 0;
  // The working buffer holds 11 bytes and a terminator. A longer text can
  // only come from a dot in a folder name and never occurs in the filter.
  unsigned char ext[12];
  const size_t length = strlen(reinterpret_cast<const char*>(dot));
  if (length >= sizeof ext) return 0;
  memcpy(ext, dot, length + 1);
  _mbsupr(ext);
  return _mbsstr(U(kFilterText), ext) != nullptr ? 1 : 0;
}

size_t FormatDisplayName(const char** start) {
  const unsigned char* blank = _mbschr(U(kFilterText), ' ');
  const unsigned char* cr = _mbschr(U(kFilterText), '\r');
  *start = reinterpret_cast<const char*>(blank + 1);
  return static_cast<size_t>(cr - (blank + 1));
}
