// Opening a FlashPix file for one plug-in call: the caller's file is copied
// into the Windows temporary folder and the toolkit reads the copy, so the
// toolkit never sees the caller's path and its state never outlives the call.
#pragma once
#include <stdint.h>

#include "fpxlib.h"

struct FpxOpening {
  char tempFile[260];
  FPXImage* image;
  uint32_t width;
  uint32_t height;
  int32_t components;  // 1 or 3
};

// The opening steps. On failure everything done so far has been undone
// (image closed, toolkit cleared, temporary file deleted) and false returned.
bool FpxOpen(const char* fileName, FpxOpening* opening);

// The closing steps: close the image, clear the toolkit, delete the copy.
void FpxClose(FpxOpening* opening);
