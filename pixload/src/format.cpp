// Loader choice by file extension, case-insensitive.
#include "format.h"

#include <string.h>

namespace pixload {

const char* ExtensionOf(const char* path) {
  const char* dot = nullptr;
  for (const char* p = path; *p; ++p) {
    if (*p == '\\' || *p == '/' || *p == ':')
      dot = nullptr;
    else if (*p == '.')
      dot = p;
  }
  return dot ? dot + 1 : "";
}

namespace {

bool SameText(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b) {
    char x = *a, y = *b;
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return *a == *b;
}

}  // namespace

Loader LoaderForPath(const char* path) {
  static const struct {
    const char* ext;
    Loader loader;
  } kTable[] = {
      {"bmp", Loader::Wic},   {"png", Loader::Wic},   {"tif", Loader::Wic},    {"tiff", Loader::Wic},
      {"gif", Loader::Gif},   {"jpg", Loader::Jpeg},  {"jpeg", Loader::Jpeg},  {"jpe", Loader::Jpeg},
      {"emf", Loader::Emf},   {"wmf", Loader::Wmf},   {"tga", Loader::Codec},  {"pcx", Loader::Codec},
      {"sgi", Loader::Codec}, {"psd", Loader::Codec}, {"pcd", Loader::Codec},
  };
  const char* ext = ExtensionOf(path);
  for (const auto& e : kTable)
    if (SameText(ext, e.ext)) return e.loader;
  return Loader::Plugin;
}

}  // namespace pixload
