// Loading a FlashPix file as a packed DIB fitted into the caller's box.
#pragma once
#include "dib_layout.h"
#include "dibrecords.h"
#include "fpxlib.h"
#include "handlebank.h"

// Reads the whole image row by row straight into the locked block's stored
// rows, one toolkit call per row.
void DecodeRows(FPXImage* image, uint8_t* block, const DecodeLayout& layout);

MemHandle LoadFlashPixDib(const char* fileName, const DibLoadRequest* request, DibImageInfo* info);
