// Loading a FlashPix file as a packed DIB fitted into the caller's box.
#pragma once
#include "dibrecords.h"
#include "handlebank.h"

MemHandle LoadFlashPixDib(const char* fileName, const DibLoadRequest* request, DibImageInfo* info);
