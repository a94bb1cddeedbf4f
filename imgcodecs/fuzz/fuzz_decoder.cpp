// libFuzzer target for one decoder, chosen at build time by extension. Also
// decodes with a thumbnail hint and checks the output's invariants.
#include <stdlib.h>

#include "imgcodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace imgcodecs;
  const DecodeFn decode = DecoderForExtension(IMGCODECS_FUZZ_EXT);
  const DecodeHint box{300, 300};
  for (const DecodeHint* hint : {static_cast<const DecodeHint*>(nullptr), &box}) {
    Image img;
    const CodecStatus st = decode(data, size, img, hint);
    if (st == CodecStatus::Ok) {
      const bool valid = img.width > 0 && img.height > 0 &&
                         (img.channels == 1 || img.channels == 3 || img.channels == 4) &&
                         img.pixels.size() == size_t(img.width) * img.height * img.channels &&
                         img.fileWidth >= img.width && img.fileHeight >= img.height && img.fileBitCount > 0;
      if (!valid) abort();
    } else if (!img.pixels.empty() || img.width != 0) {
      abort();
    }
  }
  return 0;
}
