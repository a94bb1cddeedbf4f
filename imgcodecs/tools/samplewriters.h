// Minimal writers for the five formats, used by imgsample (demo and
// whole-road samples) and by the tests for files ImageMagick cannot write
// (Photo CD). They write one plain variant each from 8-bit RGB.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

namespace imgsample {

struct Rgb {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;  // top-down R,G,B
};

// Quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
Rgb Quadrants(int width, int height);

std::vector<uint8_t> WriteTga(const Rgb& img);  // type 2, 24-bit, bottom-up
std::vector<uint8_t> WritePcx(const Rgb& img);  // 3 planes, RLE
std::vector<uint8_t> WriteSgi(const Rgb& img);  // 3 channels, RLE
std::vector<uint8_t> WritePsd(const Rgb& img);  // RGB, raw composite
// Photo CD image pack: the picture resampled to the 768 x 512 base image (or
// 512 x 768 stored turned, per rotation 0..3), with an empty pack header.
std::vector<uint8_t> WritePcd(const Rgb& img, int rotation = 0);

// PhotoYCC of one RGB colour, the inverse of the decoder's conversion.
void RgbToYcc(const uint8_t rgb[3], uint8_t ycc[3]);

// By lowercase format name (tga pcx sgi psd pcd); empty for unknown names.
std::vector<uint8_t> WriteFormat(const std::string& format, const Rgb& img);

}  // namespace imgsample
