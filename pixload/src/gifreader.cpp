// GIF frames and their metadata through WIC's decoder and query readers.
#include <string.h>

#include "comscope.h"
#include "dib.h"
#include "fileread.h"
#include "gif.h"
#include "wic.h"

namespace pixload {

namespace {

// The canvas is held at 4 bytes a pixel while frames are composed.
constexpr uint64_t kMaxGifScreenPixels = 16ull * 1024 * 1024;

// An integer metadata item, of whatever integer or boolean type WIC gives.
bool QueryInt(IWICMetadataQueryReader* reader, const wchar_t* name, int& value) {
  if (!reader) return false;
  PROPVARIANT v;
  PropVariantInit(&v);
  bool ok = SUCCEEDED(reader->GetMetadataByName(name, &v));
  if (ok) {
    switch (v.vt) {
      case VT_UI1: value = v.bVal; break;
      case VT_UI2: value = v.uiVal; break;
      case VT_UI4: value = int(v.ulVal); break;
      case VT_I1: value = v.cVal; break;
      case VT_I2: value = v.iVal; break;
      case VT_I4: value = int(v.lVal); break;
      case VT_BOOL: value = v.boolVal ? 1 : 0; break;
      default: ok = false;
    }
  }
  PropVariantClear(&v);
  return ok;
}

// A byte-vector metadata item.
bool QueryBytes(IWICMetadataQueryReader* reader, const wchar_t* name, std::vector<uint8_t>& bytes) {
  PROPVARIANT v;
  PropVariantInit(&v);
  bool ok = SUCCEEDED(reader->GetMetadataByName(name, &v)) && v.vt == (VT_VECTOR | VT_UI1);
  if (ok) bytes.assign(v.caub.pElems, v.caub.pElems + v.caub.cElems);
  PropVariantClear(&v);
  return ok;
}

int LoopCount(IWICBitmapDecoder* decoder) {
  Com<IWICMetadataQueryReader> reader;
  if (FAILED(decoder->GetMetadataQueryReader(reader.out()))) return -1;
  std::vector<uint8_t> app, data;
  if (!QueryBytes(reader.get(), L"/appext/Application", app) || app.size() != 11 ||
      (memcmp(app.data(), "NETSCAPE2.0", 11) != 0 && memcmp(app.data(), "ANIMEXTS1.0", 11) != 0))
    return -1;
  // Data holds the sub-block as stored: length 3, id 1, the count (16 bits).
  if (!QueryBytes(reader.get(), L"/appext/Data", data) || data.size() < 4 || data[0] < 3 || data[1] != 1)
    return -1;
  return data[2] | (data[3] << 8);
}

// The frame as 4 channels, alpha 0 where the frame is transparent.
bool FramePixels(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, bool transparent,
                 int transparentIndex, Pixels& out) {
  WICPixelFormatGUID format;
  UINT w = 0, h = 0;
  if (FAILED(frame->GetPixelFormat(&format)) || FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0 ||
      uint64_t(w) * h > uint64_t(kMaxDecodedPixels))
    return false;
  if (!IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed)) {
    if (!CopyWicPixels(factory, frame, false, out)) return false;
    for (size_t i = 3; i < out.data.size(); i += 4) out.data[i] = out.data[i] >= 128 ? 255 : 0;
    return true;
  }
  Com<IWICPalette> palette;
  WICColor colors[256] = {};
  UINT count = 0;
  if (FAILED(factory->CreatePalette(palette.out())) || FAILED(frame->CopyPalette(palette.get())) ||
      FAILED(palette->GetColors(256, colors, &count)))
    return false;
  std::vector<uint8_t> indices(size_t(w) * h);
  if (FAILED(frame->CopyPixels(nullptr, w, UINT(indices.size()), indices.data()))) return false;
  out.width = int(w);
  out.height = int(h);
  out.channels = 4;
  out.data.resize(indices.size() * 4);
  uint8_t* d = out.data.data();
  for (uint8_t i : indices) {
    const WICColor c = i < count ? colors[i] : 0;
    const bool clear = (transparent && i == transparentIndex) || i >= count || (c >> 24) < 128;
    d[0] = uint8_t(c);
    d[1] = uint8_t(c >> 8);
    d[2] = uint8_t(c >> 16);
    d[3] = clear ? 0 : 255;
    d += 4;
  }
  return true;
}

}  // namespace

bool ReadGif(const std::vector<uint8_t>& bytes, int maxFrames, GifFile& file,
             const std::function<bool(const GifFrameInfo&, const Pixels&)>& sink) {
  if (bytes.size() < 13) return false;
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  if (!OpenWicDecoder(bytes, factory, stream, decoder)) return false;
  GUID container;
  if (FAILED(decoder->GetContainerFormat(&container)) || !IsEqualGUID(container, GUID_ContainerFormatGif))
    return false;
  UINT count = 0;
  if (FAILED(decoder->GetFrameCount(&count)) || count == 0) return false;
  // The logical screen descriptor follows the 6-byte signature.
  file.width = bytes[6] | (bytes[7] << 8);
  file.height = bytes[8] | (bytes[9] << 8);
  file.frameCount = int(count > 0xFFFF ? 0xFFFF : count);
  file.loopCount = LoopCount(decoder.get());
  if (file.width == 0 || file.height == 0 || uint64_t(file.width) * file.height > kMaxGifScreenPixels)
    return false;
  GifCanvas canvas(file.width, file.height);
  const int frames = maxFrames < file.frameCount ? maxFrames : file.frameCount;
  for (int i = 0; i < frames; ++i) {
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICMetadataQueryReader> meta;
    if (FAILED(decoder->GetFrame(UINT(i), frame.out()))) return i > 0;
    frame->GetMetadataQueryReader(meta.out());
    GifFrameInfo info;
    int transparent = 0, transparentIndex = -1;
    QueryInt(meta.get(), L"/imgdesc/Left", info.left);
    QueryInt(meta.get(), L"/imgdesc/Top", info.top);
    QueryInt(meta.get(), L"/grctlext/Delay", info.delayCs);
    QueryInt(meta.get(), L"/grctlext/Disposal", info.disposal);
    QueryInt(meta.get(), L"/grctlext/TransparencyFlag", transparent);
    QueryInt(meta.get(), L"/grctlext/TransparentColorIndex", transparentIndex);
    Pixels image;
    if (!FramePixels(factory.get(), frame.get(), transparent != 0, transparentIndex, image)) return i > 0;
    if (!sink(info, canvas.Draw(info, image))) break;
  }
  return true;
}

MemHandle LoadGif(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return 0;
  ComScope com;
  if (!com.usable()) return 0;
  GifFile file;
  Pixels first;
  bool got = false;
  try {
    if (!ReadGif(bytes, 1, file, [&](const GifFrameInfo&, const Pixels& canvas) {
          first = canvas;
          got = true;
          return false;
        }) ||
        !got)
      return 0;
  } catch (...) {
    return 0;
  }
  int fw = 0, fh = 0;
  if (!FittedSize(file.width, file.height, BoxOf(request), 24, &fw, &fh)) return 0;
  FillInfo(info, uint32_t(file.width), uint32_t(file.height), file.bitCount,
           file.frameCount > 1 ? file.frameCount : 0);
  return BuildPackedDib(first, fw, fh);
}

}  // namespace pixload
