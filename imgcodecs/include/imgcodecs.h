// Small portable decoders for TGA, PCX, SGI, PSD (merged composite) and the
// 768 x 512 base image of Photo CD files. Every decoder works on a memory
// buffer, checks each length and offset against it, never throws and returns
// a status; on failure the output image is left empty.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <vector>

namespace imgcodecs {

// A decoded picture: top-down rows, tightly packed, channel order R,G,B[,A]
// (or a single grey channel).
struct Image {
  int width = 0;
  int height = 0;
  int channels = 0;          // 1 grey, 3 RGB, 4 RGBA
  std::vector<uint8_t> pixels;
  int fileBitCount = 0;      // bits per pixel as stored in the file (8 for paletted/grey, 24, 32, 48...)
  int fileWidth = 0;         // the picture's size in the file; larger than width/height
  int fileHeight = 0;        // only when a size hint let the decoder subsample
};

enum class CodecStatus { Ok, Truncated, Malformed, Unsupported, TooLarge };

// Optional hint: the box the picture will be fitted into. A decoder may then
// return a smaller image that still covers the fitted size (never smaller).
// Zero means no hint.
struct DecodeHint {
  int maxWidth = 0;
  int maxHeight = 0;
};

// Decoders refuse pictures of more than this many pixels with TooLarge.
constexpr uint64_t kMaxPixels = 64ull * 1024 * 1024;

using DecodeFn = CodecStatus (*)(const uint8_t* data, size_t size, Image& out, const DecodeHint* hint);

CodecStatus DecodeTga(const uint8_t* data, size_t size, Image& out, const DecodeHint* hint = nullptr);
CodecStatus DecodePcx(const uint8_t* data, size_t size, Image& out, const DecodeHint* hint = nullptr);
CodecStatus DecodeSgi(const uint8_t* data, size_t size, Image& out, const DecodeHint* hint = nullptr);
CodecStatus DecodePsd(const uint8_t* data, size_t size, Image& out, const DecodeHint* hint = nullptr);
CodecStatus DecodePcd(const uint8_t* data, size_t size, Image& out, const DecodeHint* hint = nullptr);

// The decoder for a file extension (with or without the dot, any case):
// .tga .pcx .sgi (also .rgb .rgba .bw) .psd .pcd; nullptr for others.
DecodeFn DecoderForExtension(const char* ext);

// Decodes by extension; Unsupported when no decoder handles it.
CodecStatus DecodeByExtension(const char* ext, const uint8_t* data, size_t size, Image& out,
                              const DecodeHint* hint = nullptr);

const char* StatusName(CodecStatus status);

}  // namespace imgcodecs
