// Tile decoders: uncompressed, single colour and JPEG tiles to tw x th
// pixels of the level's channels, interleaved, as stored.
#pragma once
#include "jpeg_tile.h"
#include "levels.h"

namespace fpx {

// Decodes tile t of level lv into out (tile_w * tile_h * channels bytes).
// scratch holds the compressed bytes between calls.
FPXStatus decode_tile(ImageFile& img, const Level& lv, uint32_t t, JpegDecoder& jpeg,
                      Buf<uint8_t>& scratch, uint8_t* out);

// Upper bound on one compressed tile, well above any 1024 x 1024 x 4 tile.
const uint32_t kMaxTileBytes = 8u << 20;

}  // namespace fpx
