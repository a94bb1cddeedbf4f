// Helpers shared by the decoders: sized allocation of the output image and
// the wrapper that turns any escaping exception into a status.
#pragma once
#include "imgcodecs.h"

namespace imgcodecs {

// Sizes out for width x height x channels after checking the pixel limit.
CodecStatus AllocateImage(Image& out, uint64_t width, uint64_t height, int channels);

// Runs a decoder body: clears out first, catches everything (bad_alloc
// included) and leaves out empty unless the body returned Ok.
template <typename Body>
CodecStatus RunDecoder(Image& out, Body body) {
  out = Image();
  CodecStatus status;
  try {
    status = body();
  } catch (...) {
    status = CodecStatus::TooLarge;
  }
  if (status != CodecStatus::Ok) out = Image();
  return status;
}

// 5-bit to 8-bit channel expansion.
inline uint8_t Expand5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

}  // namespace imgcodecs
