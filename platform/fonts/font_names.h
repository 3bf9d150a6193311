// The show's font names and how each is supplied on this platform: which
// fontconfig pattern finds the face, which bitmap strike it prefers and how
// its characters map to Unicode.
#pragma once
#include <cstdint>

// ASCII case-insensitive comparison of two NUL-terminated names, reading at
// most the 32 characters a font name holds. Allocates nothing.
bool SameFontName(const char* a, const char* b);

// A name the show uses, with the face that stands in for it.
struct TFontFamily {
  const char* Name;     // as the show spells it
  const char* Pattern;  // fontconfig pattern of the stand-in face
  int32_t StrikeHeight; // preferred bitmap strike (cell height), 0 for none
  uint32_t (*CodePoint)(uint8_t ch);  // character byte -> Unicode
};

// The family for a name, or null for names without a stand-in of their own
// (those get fontconfig's best match for the name itself).
const TFontFamily* FindFontFamily(const char* name);

// Character bytes of the ordinary fonts are Latin-1.
uint32_t Latin1CodePoint(uint8_t ch);
// The symbol font's pictograms: ':' is the old personal computer. Bytes
// without a pictogram here stand for themselves.
uint32_t SymbolCodePoint(uint8_t ch);

// The em height in pixels for a size in points at 96 pixels per inch,
// rounded, kept within 1 .. 1024 so that absurd sizes cannot exhaust memory.
int32_t FontPixelHeight(int32_t points);

// Bitmap fonts are scaled by whole numbers: the largest factor whose cell
// height does not exceed the requested pixel height, at least 1.
int32_t BitmapScale(int32_t cellHeight, int32_t pixelHeight);
