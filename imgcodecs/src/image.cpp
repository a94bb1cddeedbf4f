// The image allocation shared by the decoders and the extension table.
#include <ctype.h>
#include <string.h>

#include "common.h"

namespace imgcodecs {

CodecStatus AllocateImage(Image& out, uint64_t width, uint64_t height, int channels) {
  if (width == 0 || height == 0) return CodecStatus::Malformed;
  if (width > kMaxPixels || height > kMaxPixels || width * height > kMaxPixels) return CodecStatus::TooLarge;
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.fileWidth = out.width;
  out.fileHeight = out.height;
  out.channels = channels;
  out.pixels.assign(static_cast<size_t>(width * height * static_cast<uint64_t>(channels)), 0);
  return CodecStatus::Ok;
}

namespace {
struct ExtensionEntry {
  const char* ext;
  DecodeFn fn;
};
const ExtensionEntry kExtensions[] = {
    {"tga", DecodeTga}, {"pcx", DecodePcx}, {"sgi", DecodeSgi}, {"rgb", DecodeSgi}, {"rgba", DecodeSgi},
    {"bw", DecodeSgi},  {"psd", DecodePsd}, {"pcd", DecodePcd},
};
}  // namespace

DecodeFn DecoderForExtension(const char* ext) {
  if (!ext) return nullptr;
  if (*ext == '.') ++ext;
  char lower[8];
  size_t n = strlen(ext);
  if (n == 0 || n >= sizeof lower) return nullptr;
  for (size_t i = 0; i <= n; ++i) lower[i] = static_cast<char>(tolower(static_cast<unsigned char>(ext[i])));
  for (const ExtensionEntry& e : kExtensions)
    if (strcmp(e.ext, lower) == 0) return e.fn;
  return nullptr;
}

CodecStatus DecodeByExtension(const char* ext, const uint8_t* data, size_t size, Image& out,
                              const DecodeHint* hint) {
  DecodeFn fn = DecoderForExtension(ext);
  if (!fn) {
    out = Image();
    return CodecStatus::Unsupported;
  }
  return fn(data, size, out, hint);
}

const char* StatusName(CodecStatus status) {
  switch (status) {
    case CodecStatus::Ok: return "Ok";
    case CodecStatus::Truncated: return "Truncated";
    case CodecStatus::Malformed: return "Malformed";
    case CodecStatus::Unsupported: return "Unsupported";
    case CodecStatus::TooLarge: return "TooLarge";
  }
  return "?";
}

}  // namespace imgcodecs
