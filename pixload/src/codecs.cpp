// TGA, PCX, SGI, PSD and Photo CD through the imgcodecs decoders, given the
// box as a hint so that they may subsample large pictures.
#include <imgcodecs.h>

#include "dib.h"
#include "fileread.h"
#include "format.h"
#include "loaders.h"

namespace pixload {

MemHandle LoadWithCodecs(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  try {
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) return 0;
    const Box box = BoxOf(request);
    imgcodecs::DecodeHint hint;
    hint.maxWidth = box.width > 0 && box.height > 0 ? box.width : 0;
    hint.maxHeight = box.width > 0 && box.height > 0 ? box.height : 0;
    imgcodecs::Image image;
    if (imgcodecs::DecodeByExtension(ExtensionOf(path), bytes.data(), bytes.size(), image, &hint) !=
            imgcodecs::CodecStatus::Ok ||
        image.width <= 0 || image.height <= 0)
      return 0;
    const int ch = image.channels;
    if ((ch != 1 && ch != 3 && ch != 4) ||
        image.pixels.size() < size_t(image.width) * size_t(image.height) * size_t(ch))
      return 0;
    // The size in the file; the decoder may have given a subsampled picture.
    const int fileW = image.fileWidth > 0 ? image.fileWidth : image.width;
    const int fileH = image.fileHeight > 0 ? image.fileHeight : image.height;
    int fw = 0, fh = 0;
    if (!FittedSize(fileW, fileH, box, ch == 1 ? 8 : 24, &fw, &fh)) return 0;
    // R,G,B[,A] to blue-green-red[-alpha].
    Pixels pixels;
    pixels.width = image.width;
    pixels.height = image.height;
    pixels.channels = ch;
    pixels.data.swap(image.pixels);
    pixels.data.resize(pixels.stride() * size_t(pixels.height));
    if (ch >= 3)
      for (size_t i = 0; i < pixels.data.size(); i += size_t(ch)) std::swap(pixels.data[i], pixels.data[i + 2]);
    FillInfo(info, uint32_t(fileW), uint32_t(fileH), image.fileBitCount > 0 ? image.fileBitCount : ch * 8, 0);
    return BuildPackedDib(pixels, fw, fh);
  } catch (...) {
    return 0;
  }
}

}  // namespace pixload
