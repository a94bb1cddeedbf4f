// Nearest-neighbour resampling of a packed DIB into a new Handlebank block.
#pragma once
#include <stdint.h>

#include "handlebank.h"

// Makes a new PackedDib of targetWidth x targetHeight from the locked
// PackedDib at `source` (1, 4, 8, 16, 24 or 32 bits per pixel, bottom-up,
// uncompressed). Returns the new block unlocked, or 0 with nothing left
// allocated. The source is only read.
MemHandle ResampleDib(const void* source, int32_t targetWidth, int32_t targetHeight);
