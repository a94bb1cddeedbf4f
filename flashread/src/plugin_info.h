// What the plug-in tells its host about itself: the descriptor, the file
// extensions it reads and the format's display name.
#pragma once
#include <stddef.h>
#include <stdint.h>

// The filter text: format tag, blank, display name, CR, pattern, CR, then
// zero bytes up to 100.
enum { FILTER_TEXT_SIZE = 100 };
extern const char kFilterText[FILTER_TEXT_SIZE];

// PluginDescriptor byte offsets; nothing is written at or beyond byte 242.
enum {
  PD_CAPABILITY = 0,
  PD_FILTER1 = 4,
  PD_FILTER2 = 104,
  PD_NAME = 204,
  PD_ABOUT = 224,
};

// DibFileInfo byte offsets.
enum {
  DFI_WIDTH = 0,
  DFI_HEIGHT = 4,
  DFI_BIT_COUNT = 8,
  DFI_PLANES = 10,
  DFI_FILE_SIZE = 12,
  DFI_IMAGE_SIZE = 16,
  DFI_FORMAT_NAME = 20,
};

// Fills a PluginDescriptor: capability, both filter texts, name and about
// text, each up to and including its terminator.
void FillPluginDescriptor(uint8_t* record);

// 1 when the text from the last dot of `fileName` on, upper-cased, occurs in
// the filter text (multibyte-aware in the current multibyte code page); 0
// without a dot or when that text is longer than 11 bytes.
int ExtensionIsSupported(const char* fileName);

// The display name cut out of the filter text: after its first blank,
// before its first carriage return. Returns its length (16) and its start.
size_t FormatDisplayName(const char** start);
