// GIF files through WIC: the logical screen, the frames with their metadata,
// composed; the still a load hands out is the first composed frame.
#pragma once
#include <stdint.h>

#include <functional>
#include <vector>

#include "dibrecords.h"
#include "gifcompose.h"
#include "handlebank.h"
#include "pixels.h"

namespace pixload {

struct GifFile {
  int width = 0;        // logical screen
  int height = 0;
  int frameCount = 0;
  int bitCount = 8;
  int loopCount = -1;   // NETSCAPE2.0 loop count: 0 for ever, -1 when the file has none
};

// Reads the header and the first maxFrames frames; sink gets each composed
// canvas (4 channels) with its frame's metadata and may stop the reading by
// returning false. COM must be initialised on the thread.
bool ReadGif(const std::vector<uint8_t>& bytes, int maxFrames, GifFile& file,
             const std::function<bool(const GifFrameInfo&, const Pixels&)>& sink);

MemHandle LoadGif(const char* path, const DibLoadRequest* request, DibImageInfo* info);

}  // namespace pixload
