// The 16-bit frame surface and the plain operations on its pixels.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/types.h"

enum class TPixelLayout : uint8_t { Layout565, Layout555 };

// A green mask of exactly 0x07E0 means 5-6-5; anything else is taken as 5-5-5.
constexpr TPixelLayout LayoutFromGreenMask(uint32_t greenMask) {
  return greenMask == 0x07E0 ? TPixelLayout::Layout565 : TPixelLayout::Layout555;
}
constexpr uint32_t GreenMaskOf(TPixelLayout layout) {
  return layout == TPixelLayout::Layout565 ? 0x07E0u : 0x03E0u;
}

// RGB colour to device colour: each channel keeps its top bits, no rounding.
// Bits above 23 of rgb are ignored.
constexpr uint32_t ConvertColor(TPixelLayout layout, TColor rgb) {
  const uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  return layout == TPixelLayout::Layout565 ? ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3)
                                           : ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
}

// A block of 16-bit pixels: the frame surface or an image surface. Rows are
// Pitch bytes apart; bytes of a row past Width pixels are never written.
struct TSurface {
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t Pitch = 0;  // bytes
  TPixelLayout Layout = TPixelLayout::Layout565;
  uint32_t ColorKey = 0;  // device colour skipped by transparent copies
  bool Lost = false;      // its memory was taken by the system; restore before use
  std::vector<uint8_t> Storage;

  // Allocates (or reallocates) the pixel memory; done at set-up, never per frame.
  void Allocate(int32_t width, int32_t height, TPixelLayout layout, int32_t pitch = 0);
  bool Exists() const { return Width > 0 && Height > 0 && !Storage.empty(); }

  uint16_t* Row(int32_t y) { return reinterpret_cast<uint16_t*>(Storage.data() + size_t(y) * size_t(Pitch)); }
  const uint16_t* Row(int32_t y) const {
    return reinterpret_cast<const uint16_t*>(Storage.data() + size_t(y) * size_t(Pitch));
  }
  uint16_t Pixel(int32_t x, int32_t y) const { return Row(y)[x]; }
};

// The device colour of an RGB colour in the surface's layout (high 16 bits zero).
uint32_t DeviceColor(const TSurface& surface, TColor rgb);

// Every pixel becomes the low 16 bits of value; the value is not converted.
void FillSurface(TSurface& surface, uint32_t value);

// Writes one pixel when (x, y) lies on the surface.
void PutPixel(TSurface& surface, int32_t x, int32_t y, uint32_t value);

// Copies the source rectangle S of source to (x, y) of destination, clipping
// both rectangles by the same amounts; overlapping copies behave as if all of
// S was read before anything was written. Transparent copies skip source
// pixels equal to the source's ColorKey.
void CopySurfaceRect(TSurface* destination, int32_t x, int32_t y, TRect S, const TSurface* source,
                     bool transparent);
void CopySurface(TSurface* destination, int32_t x, int32_t y, const TSurface* source, bool transparent);
