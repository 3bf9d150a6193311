#include "platform/fonts/font_names.h"

#include <cstdlib>

#include "app/rounding.h"

namespace {

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// "verdana" is a humanist sans-serif, "fixedsys" the heavy 8 x 16 raster
// system font, "wingdings" a font of pictograms.
const TFontFamily Families[] = {
    {"verdana", "DejaVu Sans", 0, Latin1CodePoint},
    {"fixedsys", "Terminus:bold", 16, Latin1CodePoint},
    {"wingdings", ":charset=1f5b3", 0, SymbolCodePoint},
};

}  // namespace

bool SameFontName(const char* a, const char* b) {
  for (int i = 0; i < 32; ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    if (a[i] == 0) return true;
  }
  return true;
}

const TFontFamily* FindFontFamily(const char* name) {
  for (const TFontFamily& family : Families)
    if (SameFontName(family.Name, name)) return &family;
  return nullptr;
}

uint32_t Latin1CodePoint(uint8_t ch) { return ch; }

uint32_t SymbolCodePoint(uint8_t ch) {
  switch (ch) {
    case ':': return 0x1F5B3;  // OLD PERSONAL COMPUTER
    default: return ch;
  }
}

int32_t FontPixelHeight(int32_t points) {
  const int32_t px = RoundEven(std::abs(double(points)) * 96.0 / 72.0);
  return px < 1 ? 1 : (px > 1024 ? 1024 : px);
}

int32_t BitmapScale(int32_t cellHeight, int32_t pixelHeight) {
  if (cellHeight <= 0) return 1;
  const int32_t k = pixelHeight / cellHeight;
  return k < 1 ? 1 : k;
}
