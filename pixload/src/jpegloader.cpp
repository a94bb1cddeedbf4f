// JPEG through libjpeg-turbo, decoded straight at the DCT scale that still
// covers the fitted size (1/8 for a large photo into a tip), then fitted.
#include <setjmp.h>
#include <stdio.h>
#include <string.h>

#include <jpeglib.h>
#include <jerror.h>

#include "dib.h"
#include "fileread.h"
#include "jpegscale.h"
#include "loaders.h"

namespace pixload {

namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void OnError(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
// Warnings about data libjpeg recovers from are not shown, except running out
// of data: a truncated file is refused rather than shown half grey.
void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) OnError(cinfo);
}
void OnOutput(j_common_ptr) {}

// Decodes into out; false on any error. Kept free of objects with
// destructors between setjmp and the end, as longjmp skips none of them here.
bool Decode(const std::vector<uint8_t>& bytes, Box box, Pixels& out, int& width, int& height, int& bits,
            int& fitW, int& fitH) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  err.pub.output_message = OnOutput;
  JSAMPROW rowp[1];
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  width = int(cinfo.image_width);
  height = int(cinfo.image_height);
  bits = 8 * cinfo.num_components;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  const bool grey = cinfo.num_components == 1;
  if (!FittedSize(width, height, box, grey ? 8 : 24, &fitW, &fitH)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.scale_num = unsigned(JpegScaleEighths(width, height, fitW, fitH));
  cinfo.scale_denom = 8;
  cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_calc_output_dimensions(&cinfo);
  if (uint64_t(cinfo.output_width) * cinfo.output_height > uint64_t(kMaxDecodedPixels)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  out.width = int(cinfo.output_width);
  out.height = int(cinfo.output_height);
  out.channels = grey ? 1 : cmyk ? 4 : 3;
  try {
    out.data.assign(out.stride() * size_t(out.height), 0);
  } catch (...) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    rowp[0] = out.row(int(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, rowp, 1);
  }
  const bool adobeInverted = cmyk && cinfo.saw_Adobe_marker;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  if (cmyk) {
    // CMYK (Adobe files store it inverted) to blue-green-red.
    const size_t n = size_t(out.width) * size_t(out.height);
    uint8_t* d = out.data.data();
    const uint8_t* s = out.data.data();
    for (size_t i = 0; i < n; ++i, s += 4, d += 3) {
      unsigned c = s[0], m = s[1], y = s[2], k = s[3];
      if (!adobeInverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
      const uint8_t r = uint8_t(c * k / 255), g = uint8_t(m * k / 255), b = uint8_t(y * k / 255);
      d[0] = b;
      d[1] = g;
      d[2] = r;
    }
    out.channels = 3;
    out.data.resize(n * 3);
  }
  return true;
}

}  // namespace

MemHandle LoadJpeg(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return 0;
  Pixels pixels;
  int width = 0, height = 0, bits = 0, fw = 0, fh = 0;
  if (!Decode(bytes, BoxOf(request), pixels, width, height, bits, fw, fh)) return 0;
  FillInfo(info, uint32_t(width), uint32_t(height), bits, 0);
  return BuildPackedDib(pixels, fw, fh);
}

}  // namespace pixload
