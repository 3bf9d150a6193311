#include "platform/headless/i_headless.h"

#include <png.h>

#include <chrono>
#include <cstdio>
#include <vector>

uint32_t UtcMillisecondsSinceMidnight() {
  using namespace std::chrono;
  const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  return uint32_t(ms % 86'400'000);
}

uint32_t THeadlessHost::MillisecondsSinceMidnight() {
  return SystemTimeOfDay ? UtcMillisecondsSinceMidnight() : TimeOfDay;
}

bool THeadlessDisplay::Open(bool fullScreen, const TDisplayMode&, TDisplayMode& obtained) {
  FullScreen = fullScreen;
  if (OpenFails) return false;
  obtained = Mode;
  return true;
}

void THeadlessDisplay::Present(const TSurface& frame) {
  ++Presented;
  if (OnPresent) OnPresent(frame);
}

bool THeadlessDisplay::TakeLost() {
  const bool was = Lost;
  Lost = false;
  return was;
}

uint64_t HashSurface(const TSurface& surface) {
  uint64_t h = 1469598103934665603ull;
  for (int32_t y = 0; y < surface.Height; ++y) {
    const uint16_t* row = surface.Row(y);
    for (int32_t x = 0; x < surface.Width; ++x) {
      h = (h ^ (row[x] & 0xFF)) * 1099511628211ull;
      h = (h ^ (row[x] >> 8)) * 1099511628211ull;
    }
  }
  return h;
}

bool WritePng(const TSurface& surface, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, uint32_t(surface.Width), uint32_t(surface.Height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> line(size_t(surface.Width) * 3);
  const bool is565 = surface.Layout == TPixelLayout::Layout565;
  for (int32_t y = 0; y < surface.Height; ++y) {
    const uint16_t* row = surface.Row(y);
    for (int32_t x = 0; x < surface.Width; ++x) {
      const uint32_t p = row[x];
      uint32_t r, g, b;
      if (is565) {
        r = (p >> 11) & 31; g = (p >> 5) & 63; b = p & 31;
        g = (g << 2) | (g >> 4);
      } else {
        r = (p >> 10) & 31; g = (p >> 5) & 31; b = p & 31;
        g = (g << 3) | (g >> 2);
      }
      line[size_t(x) * 3] = uint8_t((r << 3) | (r >> 2));
      line[size_t(x) * 3 + 1] = uint8_t(g);
      line[size_t(x) * 3 + 2] = uint8_t((b << 3) | (b >> 2));
    }
    png_write_row(png, line.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}
