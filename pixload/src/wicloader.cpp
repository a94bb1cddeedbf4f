// Still pictures through WIC: first frame, converted to 32-bit BGRA (or 8-bit
// grey), scaled down by WIC where the box asks for it, then packed.
#include <string.h>

#include "comscope.h"
#include "dib.h"
#include "fileread.h"
#include "wic.h"

namespace pixload {

bool OpenWicDecoder(const std::vector<uint8_t>& bytes, Com<IWICImagingFactory>& factory,
                    Com<IWICStream>& stream, Com<IWICBitmapDecoder>& decoder) {
  if (bytes.empty() || bytes.size() > 0xFFFFFFFFu) return false;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.out()))))
    return false;
  if (FAILED(factory->CreateStream(stream.out()))) return false;
  if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), DWORD(bytes.size())))) return false;
  return SUCCEEDED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                    decoder.out()));
}

int WicBitsPerPixel(IWICImagingFactory* factory, const GUID& format) {
  Com<IWICComponentInfo> info;
  Com<IWICPixelFormatInfo> pf;
  UINT bits = 0;
  if (SUCCEEDED(factory->CreateComponentInfo(format, info.out())) &&
      SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(pf.out()))) &&
      SUCCEEDED(pf->GetBitsPerPixel(&bits)))
    return int(bits);
  return 0;
}

namespace {

bool IsGreyFormat(const GUID& f) {
  return IsEqualGUID(f, GUID_WICPixelFormatBlackWhite) || IsEqualGUID(f, GUID_WICPixelFormat2bppGray) ||
         IsEqualGUID(f, GUID_WICPixelFormat4bppGray) || IsEqualGUID(f, GUID_WICPixelFormat8bppGray) ||
         IsEqualGUID(f, GUID_WICPixelFormat16bppGray);
}

}  // namespace

bool CopyWicPixels(IWICImagingFactory* factory, IWICBitmapSource* source, bool grey, Pixels& out) {
  UINT w = 0, h = 0;
  if (FAILED(source->GetSize(&w, &h)) || w == 0 || h == 0 || uint64_t(w) * h > uint64_t(kMaxDecodedPixels))
    return false;
  // Always through 32bppBGRA: Wine's converter has no way from 1-bit grey
  // to 8bppGray, but every format reaches BGRA.
  WICPixelFormatGUID have;
  if (FAILED(source->GetPixelFormat(&have))) return false;
  Com<IWICFormatConverter> conv;
  IWICBitmapSource* from = source;
  if (!IsEqualGUID(have, GUID_WICPixelFormat32bppBGRA)) {
    if (FAILED(factory->CreateFormatConverter(conv.out())) ||
        FAILED(conv->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                WICBitmapPaletteTypeCustom)))
      return false;
    from = conv.get();
  }
  out.width = int(w);
  out.height = int(h);
  out.channels = 4;
  out.data.assign(out.stride() * h, 0);
  if (FAILED(from->CopyPixels(nullptr, UINT(out.stride()), UINT(out.data.size()), out.data.data()))) return false;
  if (grey) {
    // One channel: the green of the grey.
    const size_t n = size_t(w) * h;
    for (size_t i = 0; i < n; ++i) out.data[i] = out.data[4 * i + 1];
    out.data.resize(n);
    out.channels = 1;
  }
  return true;
}

MemHandle LoadWithWic(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return 0;
  ComScope com;
  if (!com.usable()) return 0;
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  if (!OpenWicDecoder(bytes, factory, stream, decoder)) return 0;
  Com<IWICBitmapFrameDecode> frame;
  UINT w = 0, h = 0;
  WICPixelFormatGUID format;
  if (FAILED(decoder->GetFrame(0, frame.out())) || FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0 ||
      FAILED(frame->GetPixelFormat(&format)))
    return 0;
  const bool grey = IsGreyFormat(format);
  int fw = 0, fh = 0;
  if (!FittedSize(w, h, BoxOf(request), grey ? 8 : 24, &fw, &fh)) return 0;

  // Reduce through WIC's scaler on the frame as decoded, so that only the
  // reduced picture is converted; enlarge ourselves. Frames of fewer than 8
  // bits go whole through the converter and are reduced by us: Wine fails
  // partial copies of them.
  const int bits = WicBitsPerPixel(factory.get(), format);
  Com<IWICBitmapScaler> scaler;
  IWICBitmapSource* source = frame.get();
  if (uint64_t(fw) * fh < uint64_t(w) * h && bits >= 8) {
    if (FAILED(factory->CreateBitmapScaler(scaler.out())) ||
        FAILED(scaler->Initialize(source, UINT(fw), UINT(fh), WICBitmapInterpolationModeFant)))
      return 0;
    source = scaler.get();
  }
  Pixels pixels;
  if (!CopyWicPixels(factory.get(), source, grey, pixels)) return 0;
  FillInfo(info, w, h, bits ? bits : grey ? 8 : 32, 0);
  return BuildPackedDib(pixels, fw, fh);
}

}  // namespace pixload
