// Device-independent bitmaps as the pictures are stored: a 14-byte file
// header, a 40-byte info header, a colour table of 2 or 256 entries for 1- and
// 8-bit pictures, then the rows bottom-up, each padded to 4 bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/make_pictures/raster.h"

namespace pics {

// 24-bit: every pixel rounded to 8 bits per channel.
std::vector<uint8_t> EncodeBmp24(const Image& img);
// 8-bit: the distinct colours of the image (at most 256, after rounding) make
// the colour table in ascending order of their 0x00BBGGRR value; unused entries are zero.
std::vector<uint8_t> EncodeBmp8(const Image& img);
// 1-bit: black (index 0) and white (index 1); a pixel is white when its red is at least 128.
std::vector<uint8_t> EncodeBmp1(const Image& img);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace pics
