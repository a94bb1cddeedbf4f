// Colour conversion of decoded pixels to the colours a read asks for.
#pragma once
#include <stddef.h>
#include <stdint.h>

namespace fpx {

inline int clamp360(float v) {
  int i = int(v);  // truncates toward zero, as the stored curve expects
  return i < 0 ? 0 : i > 360 ? 360 : i;
}

// n pixels of PhotoYCC (Y, C1, C2 at src[ch[0..2]], pixels `stride` bytes
// apart) to packed 8-bit R, G, B.
void photoycc_to_rgb(const uint8_t* src, size_t stride, const uint32_t ch[3], size_t n,
                     uint8_t* rgb);

// Luminance of 8-bit R, G, B (ITU-R BT.601 weights, rounded).
inline uint8_t luma(unsigned r, unsigned g, unsigned b) {
  return uint8_t((r * 19595u + g * 38470u + b * 7471u + 32768u) >> 16);
}

}  // namespace fpx
