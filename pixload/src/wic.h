// Windows Imaging Component: the factory, decoders over in-memory file
// contents, and the loaders built on them.
#pragma once
#include <windows.h>
#include <wincodec.h>

#include <stdint.h>

#include <vector>

#include "dibrecords.h"
#include "handlebank.h"
#include "pixels.h"

namespace pixload {

// A minimal owning COM pointer.
template <class T>
class Com {
 public:
  Com() = default;
  ~Com() { reset(); }
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** out() {
    reset();
    return &p_;
  }
  void reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// A decoder for the bytes (which must outlive it); false on any failure.
// COM must be initialised on the thread.
bool OpenWicDecoder(const std::vector<uint8_t>& bytes, Com<IWICImagingFactory>& factory,
                    Com<IWICStream>& stream, Com<IWICBitmapDecoder>& decoder);

// Bits per pixel of a WIC pixel format (0 when unknown).
int WicBitsPerPixel(IWICImagingFactory* factory, const GUID& format);

// Copies a whole source (no sub-rectangles: Wine fails those for 1- and 2-bit
// indexed frames) converted to 32bppBGRA; with grey set, reduced to one
// channel afterwards.
bool CopyWicPixels(IWICImagingFactory* factory, IWICBitmapSource* source, bool grey, Pixels& out);

// BMP, PNG, TIFF: the first frame, reduced by the WIC scaler when the box is
// smaller than the picture.
MemHandle LoadWithWic(const char* path, const DibLoadRequest* request, DibImageInfo* info);

}  // namespace pixload
