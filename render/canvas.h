// The drawing canvas of a surface: text and a rounded rectangle, with a font,
// a brush and a pen whose settings persist from one use to the next.
#pragma once
#include <cstdint>
#include <cstring>

#include "render/surface.h"
#include "render/types.h"

enum class TBrushStyle : uint8_t { bsSolid, bsClear };
enum class TPenMode : uint8_t { pmCopy, pmXor };

constexpr uint8_t DEFAULT_CHARSET = 1;

struct TFont {
  char Name[32] = "MS Sans Serif";
  int32_t Size = 8;  // points
  TColor Color = 0;
  uint8_t Charset = DEFAULT_CHARSET;

  void SetName(const char* name) {
    std::strncpy(Name, name, sizeof Name - 1);
    Name[sizeof Name - 1] = 0;
  }
};

struct TBrush {
  TBrushStyle Style = TBrushStyle::bsSolid;
  TColor Color = 0xFFFFFF;
  // Setting the colour while the style is clear makes the brush solid again.
  void SetColor(TColor color) {
    Color = color;
    if (Style == TBrushStyle::bsClear) Style = TBrushStyle::bsSolid;
  }
};

struct TPen {
  TColor Color = 0;
  TPenMode Mode = TPenMode::pmCopy;
};

// One monochrome glyph as the font engine caches it: Bits holds Width x Height
// bytes, nonzero where the glyph has a pixel. Left/Top place the bitmap
// relative to the pen position on the baseline (Top is the rows above it).
struct TGlyph {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0, Advance = 0;
  const uint8_t* Bits = nullptr;
};

struct TFontMetrics {
  int32_t Ascent = 0;   // pixels from the top of the text cell to the baseline
  int32_t Height = 0;   // pixels of the whole text cell
};

// Supplies glyphs for the canvas. The real engine sits in the platform layer
// (FreeType + fontconfig); it must not allocate once a glyph is cached.
class IFontEngine {
 public:
  virtual ~IFontEngine() = default;
  virtual TFontMetrics Metrics(const TFont& font) = 0;
  // Null when the character has nothing to draw.
  virtual const TGlyph* Glyph(const TFont& font, uint8_t ch) = 0;
};

class TCanvas {
 public:
  TFont Font;
  TBrush Brush;
  TPen Pen;

  void Attach(TSurface* surface, IFontEngine* fonts) {
    Surface = surface;
    Fonts = fonts;
  }
  bool HasContext() const { return ContextHeld; }

  // Text with its top-left corner at (x, y) in the current font.
  void TextOut(int32_t x, int32_t y, const char* text);
  // Rounded rectangle within (left, top, right, bottom), right and bottom
  // exclusive, corners quarter-ellipses of width w and height h.
  void RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t w, int32_t h);

  // Gives the drawing context back; the settings stay.
  void Release() { ContextHeld = false; }

 private:
  void TakeContext() { ContextHeld = true; }
  TSurface* Surface = nullptr;
  IFontEngine* Fonts = nullptr;
  bool ContextHeld = false;
};
