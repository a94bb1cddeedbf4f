// FlashPix reader: the calls the plug-in makes to open a FlashPix file and
// read rectangles of it in the colours it asks for. Portable C++, no Win32.
#pragma once
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t FPXStatus;
enum {
  FPX_OK = 0,
  FPX_INVALID_PARAMETER = 1,   // null pointer, bad descriptor, unknown colour
  FPX_FILE_NOT_FOUND = 2,      // the file cannot be opened for reading
  FPX_FILE_READ_ERROR = 3,     // reading failed or the file ended early
  FPX_INVALID_FORMAT = 4,      // not a FlashPix file, or malformed structure
  FPX_UNSUPPORTED = 5,         // valid but not supported (e.g. more than four components)
  FPX_BAD_RESOLUTION = 6,      // resolution level out of range
  FPX_BAD_RECTANGLE = 7,       // rectangle outside the image or inverted
  FPX_MEMORY_ALLOCATION_FAILED = 8,  // allocation failed or the memory limit is exceeded
  FPX_TILE_DECODE_ERROR = 9,   // a tile's data could not be decoded
  FPX_NOT_INITIALIZED = 10     // call before FPX_InitSystem
};

typedef int32_t FPXComponentColor;
enum {
  PHOTO_YCC_Y = 0,
  PHOTO_YCC_C1 = 1,
  PHOTO_YCC_C2 = 2,
  NIFRGB_R = 3,
  NIFRGB_G = 4,
  NIFRGB_B = 5,
  ALPHA = 6,
  MONOCHROME = 7
};

typedef int32_t FPXDataType;
enum { DATA_TYPE_UNSIGNED_BYTE = 0 };

typedef int32_t FPXResampleMethod;
enum { FPX_NEAREST_NEIGHBOR = 0, FPX_LINEAR_INTERPOLATION = 1 };

enum { FPX_MAX_COMPONENTS = 4 };

typedef struct {
  FPXComponentColor myColor;
  FPXDataType myDataType;
} FPXComponentColorType;

// The colours stored in the file, as reported when it is opened.
typedef struct {
  int32_t isUncalibrated;
  int16_t numberOfComponents;
  FPXComponentColorType theComponents[FPX_MAX_COMPONENTS];
} FPXColorspace;

// Where and how one component of a rectangle read is written.
typedef struct {
  FPXComponentColor myColor;
  FPXDataType myDataType;
  int32_t horzSubSampFactor;  // 1: no subsampling (the only value supported)
  int32_t vertSubSampFactor;
  int32_t columnStride;       // bytes from one pixel to the next
  int32_t lineStride;         // bytes from one line to the next
  unsigned char* theData;     // the component's byte of the top-left pixel
} FPXImageComponentDesc;

typedef struct {
  uint32_t numberOfComponents;
  FPXImageComponentDesc components[FPX_MAX_COMPONENTS];
} FPXImageDesc;

typedef struct FPXImage FPXImage;

// Starts and clears the reader's process-wide state (memory limit, tile cache
// accounting, resample method). Not reentrant across threads.
FPXStatus FPX_InitSystem(void);
FPXStatus FPX_ClearSystem(void);
// Caps the reader's own memory (tile cache and working buffers) at *limit bytes.
FPXStatus FPX_SetToolkitMemoryLimit(uint32_t* limit);
FPXStatus FPX_SetResampleMethod(FPXResampleMethod method);

// Opens a file read-only. storagePath must be null (the source image of the
// file is read). Width and height are those of the full-resolution level.
FPXStatus FPX_OpenImageByFilename(const char* fileName, const char* storagePath, uint32_t* width,
                                  uint32_t* height, uint32_t* tileWidth, uint32_t* tileHeight,
                                  FPXColorspace* colorspace, FPXImage** image);
FPXStatus FPX_CloseImage(FPXImage* image);

// Reads columns x0..x1 and rows y0..y1 (inclusive, rows from the top) of
// resolution level `resolution` (0 = smallest, levels - 1 = full size; all
// bits set = full size) into the buffers the descriptor names, converting to
// the colours it asks for.
FPXStatus FPX_ReadImageRectangle(FPXImage* image, uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1,
                                 uint32_t resolution, FPXImageDesc* desc);

#ifdef __cplusplus
}
#endif
