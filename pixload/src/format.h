// Which loader reads a file, chosen by its extension.
#pragma once

namespace pixload {

enum class Loader {
  Plugin,    // none of ours: ask the plug-ins
  Wic,       // .bmp .png .tif .tiff
  Gif,       // .gif (WIC frames, composed)
  Jpeg,      // .jpg .jpeg .jpe
  Emf,       // .emf
  Wmf,       // .wmf
  Codec,     // .tga .pcx .sgi .psd .pcd
};

// The extension of a path without the dot ("" when the file name has none);
// a dot in a folder name does not count.
const char* ExtensionOf(const char* path);

Loader LoaderForPath(const char* path);

}  // namespace pixload
