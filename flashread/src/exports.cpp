// The plug-in's five entry points, called by the image library that loads
// flashread.rll. No exception may reach the host: each body is guarded.
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "decode.h"
#include "fpx_open.h"
#include "plugin_info.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

int WINAPI ZoRWPIsPlugin(uint8_t* descriptor) {
  FillPluginDescriptor(descriptor);
  return 1;
}

int WINAPI ZoRWPFileIsSupport(const char* fileName) {
  try {
    return ExtensionIsSupported(fileName);
  } catch (...) {
    return 0;
  }
}

MemHandle WINAPI ZoRWPLoadDib(const char* fileName, const DibLoadRequest* request, DibImageInfo* info) {
  try {
    return LoadFlashPixDib(fileName, request, info);
  } catch (...) {
    return 0;
  }
}

// Saving is not offered: the request is answered and nothing is written.
int WINAPI ZoRWPSaveDib(uintptr_t, uintptr_t, uintptr_t) { return 1; }

int WINAPI ZoRWPGetDibInfo(const char* fileName, uint8_t* record) {
  try {
    FpxOpening opening;
    if (!FpxOpen(fileName, &opening)) return -1;
    const uint32_t width = opening.width, height = opening.height;
    const uint16_t bitCount = opening.components == 3 ? 24 : 8;
    FpxClose(&opening);
    if (record == nullptr) return static_cast<int>(width);

    // The display name is written as its 16 bytes, without a terminator.
    const char* name;
    const size_t nameLength = FormatDisplayName(&name);
    memcpy(record + DFI_FORMAT_NAME, name, nameLength);
    const uint16_t planes = 1;
    memcpy(record + DFI_WIDTH, &width, 4);
    memcpy(record + DFI_HEIGHT, &height, 4);
    memcpy(record + DFI_BIT_COUNT, &bitCount, 2);
    memcpy(record + DFI_PLANES, &planes, 2);

    FILE* f = fopen(fileName, "rb");
    if (f == nullptr) return -1;
    fseek(f, 0, SEEK_END);
    const uint32_t fileSize = static_cast<uint32_t>(ftell(f));
    fclose(f);
    // Unsigned 32-bit, as the host's record holds it.
    const uint32_t imageSize = ((bitCount * width + 31) / 32) * 4 * height;
    memcpy(record + DFI_FILE_SIZE, &fileSize, 4);
    memcpy(record + DFI_IMAGE_SIZE, &imageSize, 4);
    return static_cast<int>(width);
  } catch (...) {
    return -1;
  }
}

}  // extern "C"
