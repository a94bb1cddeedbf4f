// The loaders, one per family of formats, each with the contract of
// LoadDibFromFile: a new unlocked PackedDib fitted to the request, or 0.
#pragma once
#include "dibrecords.h"
#include "handlebank.h"

namespace pixload {

MemHandle LoadWithWic(const char* path, const DibLoadRequest* request, DibImageInfo* info);  // wicloader.cpp
MemHandle LoadGif(const char* path, const DibLoadRequest* request, DibImageInfo* info);      // gifreader.cpp
MemHandle LoadJpeg(const char* path, const DibLoadRequest* request, DibImageInfo* info);     // jpegloader.cpp
MemHandle LoadEmf(const char* path, const DibLoadRequest* request, DibImageInfo* info);      // metafile.cpp
MemHandle LoadWmf(const char* path, const DibLoadRequest* request, DibImageInfo* info);      // metafile.cpp
MemHandle LoadWithCodecs(const char* path, const DibLoadRequest* request, DibImageInfo* info);  // codecs.cpp
MemHandle LoadWithPlugin(const char* path, const DibLoadRequest* request, DibImageInfo* info);  // pluginhost.cpp

}  // namespace pixload
