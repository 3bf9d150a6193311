// The canvas: text in the show's three fonts, the rounded rectangle in both
// pen modes, brushes, clipping, and settings that outlive ReleaseCanvas.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/fonts/font_names.h"
#include "platform/fonts/i_fonts.h"
#include "platform/headless/i_headless.h"
#include "render/canvas.h"
#include "render/display.h"

namespace {

IFontEngine& Engine() {
  static std::unique_ptr<IFontEngine> engine = CreateFontEngine();
  return *engine;
}

// A pixel pattern with every value different from its neighbours.
uint16_t Pattern(int32_t x, int32_t y) { return uint16_t(x * 157 + y * 9973 + 0x1234); }

// A 512 x 384 surface with its canvas.
struct TDrawing {
  TSurface S;
  TCanvas C;
  explicit TDrawing(TPixelLayout layout = TPixelLayout::Layout565, int32_t pitch = 0) {
    S.Allocate(512, 384, layout, pitch);
    C.Attach(&S, &Engine());
  }
  TDrawing(const TDrawing&) = delete;
  void FillPattern() {
    for (int32_t y = 0; y < S.Height; ++y)
      for (int32_t x = 0; x < S.Width; ++x) S.Row(y)[x] = Pattern(x, y);
  }
  void Font(const char* name, int32_t size, TColor color) {
    C.Font.SetName(name);
    C.Font.Size = size;
    C.Font.Color = color;
  }
  std::vector<uint16_t> Pixels() const {
    std::vector<uint16_t> p;
    for (int32_t y = 0; y < S.Height; ++y) p.insert(p.end(), S.Row(y), S.Row(y) + S.Width);
    return p;
  }
};

// Pixels that differ from value, as a 0/1 map.
std::vector<uint8_t> DifferFrom(const TSurface& s, uint16_t value) {
  std::vector<uint8_t> m(size_t(s.Width) * size_t(s.Height));
  for (int32_t y = 0; y < s.Height; ++y)
    for (int32_t x = 0; x < s.Width; ++x) m[size_t(y) * size_t(s.Width) + size_t(x)] = s.Pixel(x, y) != value;
  return m;
}

long Count(const std::vector<uint8_t>& m) {
  long n = 0;
  for (uint8_t v : m) n += v;
  return n;
}

// The glyph pixels a text leaves on a black surface when drawn in white with
// a clear brush.
std::vector<uint8_t> InkOf(const char* font, int32_t size, int32_t x, int32_t y, const char* text) {
  TDrawing d;
  FillSurface(d.S, 0);
  d.C.Brush.Style = TBrushStyle::bsClear;
  d.Font(font, size, 0xFFFFFF);
  d.C.TextOut(x, y, text);
  return DifferFrom(d.S, 0);
}

struct TBox {
  int32_t Left = 1 << 30, Top = 1 << 30, Right = -1, Bottom = -1;  // inclusive
};
TBox BoxOf(const std::vector<uint8_t>& m) {
  TBox b;
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x)
      if (m[size_t(y) * 512 + size_t(x)]) {
        b.Left = std::min(b.Left, x), b.Right = std::max(b.Right, x);
        b.Top = std::min(b.Top, y), b.Bottom = std::max(b.Bottom, y);
      }
  return b;
}

struct TTextCase {
  const char* Font;
  int32_t Size;
  int32_t X, Y;
  const char* Text;
};

// The texts of the scroller, scene 3 and scene 7 at their places.
const TTextCase ShowTexts[] = {
    {"verdana", 20, 160, 100, "still I wonder why"},
    {"fixedsys", 14, 5, 270, "butterbrot mit marmelade"},
    {"wingdings", 50, 10, 150, ":"},
    {"fixedsys", 40, 80, 151, "DRIFTMOSAIC-B"},
    {"fixedsys", 14, 95, 210, "512k intro by ZUB"},
    {"fixedsys", 14, 85, 230, "code, music: Vardek  support: jelko"},
};

}  // namespace

TEST(FontNames, LookUpCaseInsensitivelyAndMapTheSymbolFont) {
  EXPECT_TRUE(SameFontName("Verdana", "verdana"));
  EXPECT_TRUE(SameFontName("FIXEDSYS", "fixedsys"));
  EXPECT_FALSE(SameFontName("fixedsys", "fixedsys2"));
  EXPECT_FALSE(SameFontName("", "verdana"));
  ASSERT_NE(FindFontFamily("WingDings"), nullptr);
  EXPECT_STREQ(FindFontFamily("WingDings")->Name, "wingdings");
  EXPECT_EQ(FindFontFamily("arial"), nullptr);
  EXPECT_EQ(FindFontFamily("wingdings")->CodePoint(':'), 0x1F5B3u);
  EXPECT_EQ(FindFontFamily("verdana")->CodePoint(':'), uint32_t(':'));
  EXPECT_EQ(FindFontFamily("fixedsys")->CodePoint(0xE9), 0xE9u);  // Latin-1 e acute
}

TEST(FontNames, PointsToPixelsAndBitmapScale) {
  // round(s * 96 / 72): 20 -> 26.67, 14 -> 18.67, 40 -> 53.33, 50 -> 66.67, 12 -> 16.
  const struct { int32_t points, px; } sizes[] = {{20, 27}, {14, 19}, {40, 53}, {50, 67}, {12, 16},
                                                  {8, 11},  {0, 1},   {-20, 27}, {100000, 1024}};
  for (const auto& c : sizes) EXPECT_EQ(FontPixelHeight(c.points), c.px) << c.points;
  // Cell height 16: the largest whole factor not above the pixel height, at least 1.
  const struct { int32_t px, k; } scales[] = {{19, 1}, {53, 3}, {15, 1}, {1, 1}, {32, 2}, {47, 2}, {48, 3}};
  for (const auto& c : scales) EXPECT_EQ(BitmapScale(16, c.px), c.k) << c.px;
  EXPECT_EQ(BitmapScale(0, 20), 1);
}

TEST(CanvasText, ClearBrushWritesOnlyGlyphPixels) {
  for (TPixelLayout layout : {TPixelLayout::Layout565, TPixelLayout::Layout555}) {
    const uint16_t white = layout == TPixelLayout::Layout565 ? 0xFFFF : 0x7FFF;
    for (const TTextCase& t : ShowTexts) {
      const std::vector<uint8_t> ink = InkOf(t.Font, t.Size, t.X, t.Y, t.Text);
      ASSERT_GT(Count(ink), 20) << t.Text;
      TDrawing d(layout);
      d.FillPattern();
      d.C.Brush.Style = TBrushStyle::bsClear;
      d.Font(t.Font, t.Size, 0xFFFFFF);
      d.C.TextOut(t.X, t.Y, t.Text);
      long wrong = 0;
      for (int32_t y = 0; y < 384; ++y)
        for (int32_t x = 0; x < 512; ++x)
          wrong += d.S.Pixel(x, y) != (ink[size_t(y) * 512 + size_t(x)] ? white : Pattern(x, y));
      EXPECT_EQ(wrong, 0) << t.Text;
    }
  }
}

TEST(CanvasText, SolidBrushFillsTheTextCellFirst) {
  // Terminus bold cells are 8 x 16; DejaVu Sans at 27 px has ascent 26,
  // descent 7 and "still I wonder why" advances 240 pixels.
  const struct {
    TTextCase Text;
    TRect Cell;
  } cases[] = {
      {{"fixedsys", 14, 5, 270, "ABC"}, {5, 270, 29, 286}},
      {{"fixedsys", 40, 80, 151, "AB"}, {80, 151, 128, 199}},
      {{"verdana", 20, 160, 100, "still I wonder why"}, {160, 100, 400, 133}},
  };
  for (const auto& c : cases) {
    const TTextCase& t = c.Text;
    const std::vector<uint8_t> ink = InkOf(t.Font, t.Size, t.X, t.Y, t.Text);
    TDrawing d;
    d.FillPattern();
    d.Font(t.Font, t.Size, 0xFFFFFF);
    d.C.Brush.SetColor(RGB(0, 0, 255));
    d.C.TextOut(t.X, t.Y, t.Text);
    long wrong = 0;
    for (int32_t y = 0; y < 384; ++y)
      for (int32_t x = 0; x < 512; ++x) {
        const bool inCell = x >= c.Cell.Left && x < c.Cell.Right && y >= c.Cell.Top && y < c.Cell.Bottom;
        const uint16_t want = ink[size_t(y) * 512 + size_t(x)] ? 0xFFFF : (inCell ? 0x001F : Pattern(x, y));
        wrong += d.S.Pixel(x, y) != want;
      }
    EXPECT_EQ(wrong, 0) << t.Text;
  }
}

TEST(CanvasText, CellTopLeftIsAtXYAndTheBaselineAnAscentBelow) {
  // Capitals stand on the baseline: the lowest row of an "H" is the row
  // above it, ascent (26 for DejaVu Sans at 27 px, 12 for Terminus 8 x 16)
  // below the top of the cell.
  const struct { const char* font; int32_t size, ascent, x, y; } cases[] = {
      {"verdana", 20, 26, 160, 100}, {"verdana", 20, 26, 7, 300}, {"fixedsys", 14, 12, 5, 270},
      {"fixedsys", 40, 36, 80, 151},
  };
  for (const auto& c : cases) {
    const TBox box = BoxOf(InkOf(c.font, c.size, c.x, c.y, "H"));
    EXPECT_EQ(box.Bottom, c.y + c.ascent - 1) << c.font << " " << c.size;
    EXPECT_GE(box.Left, c.x) << c.font;
    EXPECT_LT(box.Left, c.x + 4) << c.font;
  }
  // Moving (x, y) moves the ink by the same amounts, also when it is cut by
  // the surface's edges.
  const std::vector<uint8_t> home = InkOf("verdana", 20, 200, 200, "Why?");
  const struct { int32_t x, y; } places[] = {{-13, 180}, {230, -20}, {470, 370}, {-40, -25}};
  for (const auto& p : places) {
    const std::vector<uint8_t> moved = InkOf("verdana", 20, p.x, p.y, "Why?");
    long wrong = 0;
    for (int32_t y = 0; y < 384; ++y)
      for (int32_t x = 0; x < 512; ++x) {
        const int32_t hx = x - p.x + 200, hy = y - p.y + 200;
        const bool want = hx >= 0 && hx < 512 && hy >= 0 && hy < 384 && home[size_t(hy) * 512 + size_t(hx)];
        wrong += moved[size_t(y) * 512 + size_t(x)] != want;
      }
    EXPECT_EQ(wrong, 0) << p.x << "," << p.y;
  }
}

TEST(CanvasText, FixedsysScalesTheEightBySixteenCellByWholeNumbers) {
  const std::vector<uint8_t> base = InkOf("fixedsys", 12, 0, 0, "Ag");  // 16 px: the cell itself
  ASSERT_GT(Count(base), 20);
  const struct { int32_t size, k; } cases[] = {{14, 1}, {40, 3}, {11, 1}, {24, 2}, {35, 2}, {36, 3}};
  for (const auto& c : cases) {
    const std::vector<uint8_t> ink = InkOf("fixedsys", c.size, 0, 0, "Ag");
    long wrong = 0;
    for (int32_t y = 0; y < 384; ++y)
      for (int32_t x = 0; x < 512; ++x) {
        const bool inBase = x / c.k < 16 && y / c.k < 16;
        const bool want = inBase && base[size_t(y / c.k) * 512 + size_t(x / c.k)];
        wrong += ink[size_t(y) * 512 + size_t(x)] != want;
      }
    EXPECT_EQ(wrong, 0) << c.size;
    TFont font;
    font.SetName("fixedsys");
    font.Size = c.size;
    EXPECT_EQ(Engine().Metrics(font).Height, 16 * c.k) << c.size;
    EXPECT_EQ(Engine().Glyph(font, 'A')->Advance, 8 * c.k) << c.size;
  }
}

TEST(CanvasText, SymbolColonIsAPictogramNotAColon) {
  const std::vector<uint8_t> symbol = InkOf("wingdings", 50, 10, 150, ":");
  const std::vector<uint8_t> colon = InkOf("verdana", 50, 10, 150, ":");
  const TBox s = BoxOf(symbol), c = BoxOf(colon);
  // A colon is two small dots in a narrow column; the computer fills a box
  // wider than it is tall.
  EXPECT_LT(c.Right - c.Left, 12);
  EXPECT_GT(s.Right - s.Left, 40);
  EXPECT_GT(s.Right - s.Left, s.Bottom - s.Top);
  EXPECT_GT(Count(symbol), 4 * Count(colon));
  EXPECT_EQ(InkOf("WINGDINGS", 50, 10, 150, ":"), symbol);
}

TEST(CanvasText, UnknownFontsFallBackToABestMatch) {
  for (const char* name : {"no such font anywhere", "", "Courier:bold=1"}) {
    EXPECT_GT(Count(InkOf(name, 20, 10, 10, "Hello")), 20) << name;
    TFont font;
    font.SetName(name);
    font.Size = 20;
    EXPECT_GT(Engine().Metrics(font).Height, 20) << name;
  }
}

TEST(CanvasText, PenModeXorDoesNotChangeText) {
  const std::vector<uint8_t> ink = InkOf("fixedsys", 14, 5, 270, "butterbrot");
  TDrawing d;
  d.FillPattern();
  d.C.Pen.Mode = TPenMode::pmXor;
  d.C.Brush.Style = TBrushStyle::bsClear;
  d.Font("fixedsys", 14, RGB(0, 255, 0));
  d.C.TextOut(5, 270, "butterbrot");
  long wrong = 0;
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x)
      wrong += d.S.Pixel(x, y) != (ink[size_t(y) * 512 + size_t(x)] ? 0x07E0 : Pattern(x, y));
  EXPECT_EQ(wrong, 0);
}

TEST(CanvasText, CachedGlyphsNeedNoFreeType) {
  TDrawing d;
  auto drawAll = [&] {
    for (const TTextCase& t : ShowTexts) {
      d.Font(t.Font, t.Size, 0);
      d.C.TextOut(t.X, t.Y, t.Text);
    }
  };
  drawAll();
  TFont font;
  font.SetName("verdana");
  font.Size = 20;
  const TGlyph* w = Engine().Glyph(font, 'w');
  const uint64_t before = FreeTypeAllocationCount();
  drawAll();
  d.C.Brush.SetColor(0xFF);
  drawAll();
  EXPECT_EQ(FreeTypeAllocationCount(), before);
  EXPECT_EQ(Engine().Glyph(font, 'w'), w);
}

// Rows past the pixels of a row, and the memory around the surface, are
// never written, wherever the text and shapes fall.
TEST(Canvas, ClipsToTheSurfaceAndItsRows) {
  TDrawing d(TPixelLayout::Layout565, 1100);
  std::memset(d.S.Storage.data(), 0xAB, d.S.Storage.size());
  d.C.Brush.SetColor(0xFFFFFF);
  d.Font("wingdings", 50, 0);
  const struct { int32_t x, y; } places[] = {{-30, -40}, {480, 350}, {500, -10}, {-20, 370}, {2000, 0}};
  for (const auto& p : places) d.C.TextOut(p.x, p.y, ":");
  d.Font("fixedsys", 40, 0);
  for (const auto& p : places) d.C.TextOut(p.x, p.y, "DRIFT");
  d.C.Pen.Mode = TPenMode::pmXor;
  d.C.RoundRect(-100, -50, 600, 450, 80, 90);
  d.C.RoundRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX);
  long touched = 0;
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t b = 1024; b < 1100; ++b) touched += d.S.Storage[size_t(y) * 1100 + size_t(b)] != 0xAB;
  EXPECT_EQ(touched, 0);
}

namespace {

struct TShapeCase {
  int32_t l, t, r, b, w, h;
};

const TShapeCase Shapes[] = {
    {180, 150, 430, 220, 50, 60},   // the shape of scene 5
    {10, 10, 60, 30, 3, 4},          {0, 0, 512, 384, 1000, 1000},  // corners cut to the rectangle
    {-30, -20, 60, 40, 25, 25},      {500, 370, 600, 500, 10, 10},  // partly off the surface
    {10, 10, 11, 50, 5, 5},          {10, 10, 50, 11, 5, 5},        // one pixel wide or high
    {430, 220, 180, 150, 50, 60},    {100, 100, 103, 103, 0, 0},    // reversed; square corners
    {20, 20, 20, 80, 5, 5},          {600, 10, 700, 50, 5, 5},      // empty; wholly off
};

}  // namespace

TEST(CanvasRoundRect, XorTwiceRestoresAndStaysInItsRectangle) {
  for (TBrushStyle style : {TBrushStyle::bsSolid, TBrushStyle::bsClear})
    for (const TShapeCase& c : Shapes) {
      TDrawing d;
      d.FillPattern();
      d.C.Pen.Mode = TPenMode::pmXor;
      d.C.Pen.Color = 0xFFFFFF;
      d.C.Brush.SetColor(0xFF0000 + 17);
      d.C.Brush.Style = style;
      d.C.RoundRect(c.l, c.t, c.r, c.b, c.w, c.h);
      const int32_t l = std::min(c.l, c.r), r = std::max(c.l, c.r), t = std::min(c.t, c.b), b = std::max(c.t, c.b);
      long outside = 0;
      for (int32_t y = 0; y < 384; ++y)
        for (int32_t x = 0; x < 512; ++x)
          if (d.S.Pixel(x, y) != Pattern(x, y)) outside += x < l || x >= r || y < t || y >= b;
      EXPECT_EQ(outside, 0) << c.l << "," << c.t;
      d.C.RoundRect(c.l, c.t, c.r, c.b, c.w, c.h);
      long changed = 0;
      for (int32_t y = 0; y < 384; ++y)
        for (int32_t x = 0; x < 512; ++x) changed += d.S.Pixel(x, y) != Pattern(x, y);
      EXPECT_EQ(changed, 0) << c.l << "," << c.t;
    }
}

TEST(CanvasRoundRect, EveryPixelIsCombinedOnceWithTheRightColour) {
  // On black, XOR and copy give the same picture exactly when no pixel is
  // combined twice; outline and interior colours have no bits in common.
  for (const TShapeCase& c : Shapes) {
    TDrawing x, n;
    for (TDrawing* d : {&x, &n}) {
      FillSurface(d->S, 0);
      d->C.Pen.Color = RGB(255, 0, 0);              // 0xF800
      d->C.Brush.SetColor(0xFF0000 + 5);            // blue 255, red 5: 0x001F
      d->C.Pen.Mode = d == &x ? TPenMode::pmXor : TPenMode::pmCopy;
      d->C.RoundRect(c.l, c.t, c.r, c.b, c.w, c.h);
    }
    EXPECT_EQ(x.Pixels(), n.Pixels()) << c.l << "," << c.t;
    long other = 0;
    for (uint16_t p : x.Pixels()) other += p != 0 && p != 0xF800 && p != 0x001F;
    EXPECT_EQ(other, 0);
  }
}

TEST(CanvasRoundRect, SceneFiveShapeHasItsCornersAndSides) {
  // Corner ellipse 50 x 60: a pixel is in the shape when its centre lies in
  // the ellipse inscribed in the corner box. Row 0 (centre 0.5 from the top,
  // 29.5 above the ellipse's centre): half-width 25 * sqrt(1 - 29.5^2/30^2)
  // = 4.55, so pixel centres from 20.45 on: the row runs from 180 + 20 = 200
  // to 429 - 20 = 409. Row 1: 25 * sqrt(1 - 28.5^2/30^2) = 7.81, from 17.19:
  // 197 to 412. Row 2: 9.99 -> from 15.01: 195 to 414.
  TDrawing d;
  d.FillPattern();
  d.C.Pen.Mode = TPenMode::pmXor;
  d.C.Pen.Color = 0xFFFFFF;
  d.C.Brush.SetColor(0xFF0000 + 29);  // device 0x001F + red 29 >> 3 = 3: 0x181F
  d.C.RoundRect(180, 150, 430, 220, 50, 60);
  const uint16_t pen = 0xFFFF, brush = 0x181F;
  const struct { int32_t x, y; uint16_t mix; } pixels[] = {
      // the middle row: outline at 180 and 429, interior between
      {179, 185, 0}, {180, 185, pen}, {181, 185, brush}, {428, 185, brush}, {429, 185, pen}, {430, 185, 0},
      // the top row and the two below it
      {199, 150, 0}, {200, 150, pen}, {305, 150, pen}, {409, 150, pen}, {410, 150, 0},
      {196, 151, 0}, {197, 151, pen}, {199, 151, pen}, {200, 151, brush}, {409, 151, brush},
      {410, 151, pen}, {412, 151, pen}, {413, 151, 0}, {194, 152, 0}, {195, 152, pen}, {196, 152, pen},
      {197, 152, brush}, {305, 149, 0},
      // the bottom row mirrors the top
      {199, 219, 0}, {200, 219, pen}, {409, 219, pen}, {410, 219, 0}, {200, 218, brush}, {305, 220, 0},
      // corners of the bounding rectangle stay outside the shape
      {180, 150, 0}, {429, 150, 0}, {180, 219, 0}, {429, 219, 0},
  };
  for (const auto& p : pixels)
    EXPECT_EQ(d.S.Pixel(p.x, p.y), Pattern(p.x, p.y) ^ p.mix) << p.x << "," << p.y;
  // Left-right and top-bottom symmetric.
  long asymmetric = 0;
  for (int32_t y = 150; y < 220; ++y)
    for (int32_t x = 180; x < 430; ++x) {
      const uint16_t m = d.S.Pixel(x, y) ^ Pattern(x, y);
      asymmetric += m != (d.S.Pixel(609 - x, y) ^ Pattern(609 - x, y));
      asymmetric += m != (d.S.Pixel(x, 369 - y) ^ Pattern(x, 369 - y));
    }
  EXPECT_EQ(asymmetric, 0);
}

TEST(CanvasRoundRect, CopyModeSetsPixelsAndAClearBrushLeavesTheInside) {
  TDrawing d;
  d.FillPattern();
  d.C.Pen.Color = RGB(0, 255, 0);
  d.C.Brush.Style = TBrushStyle::bsClear;
  d.C.RoundRect(10, 10, 40, 30, 6, 6);
  EXPECT_EQ(d.S.Pixel(10, 20), 0x07E0);
  EXPECT_EQ(d.S.Pixel(25, 10), 0x07E0);
  EXPECT_EQ(d.S.Pixel(39, 20), 0x07E0);
  EXPECT_EQ(d.S.Pixel(25, 29), 0x07E0);
  EXPECT_EQ(d.S.Pixel(20, 20), Pattern(20, 20));
  EXPECT_EQ(d.S.Pixel(10, 10), Pattern(10, 10));  // a rounded corner
  d.C.Brush.SetColor(RGB(255, 255, 255));
  d.C.RoundRect(10, 10, 40, 30, 6, 6);
  EXPECT_EQ(d.S.Pixel(20, 20), 0xFFFF);
  EXPECT_EQ(d.S.Pixel(10, 20), 0x07E0);
}

TEST(Canvas, BrushColourOnAClearBrushMakesItSolid) {
  TBrush brush;
  brush.Style = TBrushStyle::bsClear;
  brush.SetColor(0x123456);
  EXPECT_EQ(brush.Style, TBrushStyle::bsSolid);
  EXPECT_EQ(brush.Color, 0x123456u);
  brush.Style = TBrushStyle::bsClear;
  EXPECT_EQ(brush.Style, TBrushStyle::bsClear);
}

TEST(Canvas, SettingsPersistAcrossReleaseAndDrawingTakesTheContext) {
  THeadlessDisplay display;
  TDXDraw draw;
  draw.Attach(&display, &Engine());
  ASSERT_TRUE(draw.Initialize());
  TCanvas& canvas = draw.SurfaceCanvas();
  canvas.Font.SetName("fixedsys");
  canvas.Font.Size = 40;
  canvas.Font.Color = RGB(255, 255, 0);
  canvas.Brush.SetColor(RGB(0, 0, 255));
  canvas.Pen.Mode = TPenMode::pmXor;
  canvas.Pen.Color = 0xFFFFFF;
  EXPECT_FALSE(canvas.HasContext());  // settings alone take no context
  canvas.TextOut(0, 0, "x");
  EXPECT_TRUE(canvas.HasContext());
  draw.ReleaseCanvas();
  EXPECT_FALSE(canvas.HasContext());
  draw.ReleaseCanvas();  // without a context: nothing happens
  FillSurface(draw.Surface, 0);

  TCanvas& again = draw.SurfaceCanvas();
  EXPECT_EQ(&again, &canvas);
  EXPECT_STREQ(again.Font.Name, "fixedsys");
  again.TextOut(80, 151, "DRIFT");
  again.RoundRect(180, 150, 430, 220, 50, 60);
  EXPECT_TRUE(again.HasContext());
  draw.ReleaseCanvas();

  // The same drawing with every setting made afresh.
  TDrawing ref;
  FillSurface(ref.S, 0);
  ref.Font("fixedsys", 40, RGB(255, 255, 0));
  ref.C.Brush.SetColor(RGB(0, 0, 255));
  ref.C.Pen.Mode = TPenMode::pmXor;
  ref.C.Pen.Color = 0xFFFFFF;
  ref.C.TextOut(80, 151, "DRIFT");
  ref.C.RoundRect(180, 150, 430, 220, 50, 60);
  long differ = 0;
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) differ += draw.Surface.Pixel(x, y) != ref.S.Pixel(x, y);
  EXPECT_EQ(differ, 0);
  // XOR still in force: a second shape takes the first one away.
  again.RoundRect(180, 150, 430, 220, 50, 60);
  ref.C.RoundRect(180, 150, 430, 220, 50, 60);
  EXPECT_EQ(draw.Surface.Pixel(429, 185), ref.S.Pixel(429, 185));
  EXPECT_EQ(draw.Surface.Pixel(429, 185), 0);
  EXPECT_EQ(draw.Surface.Pixel(300, 185), 0);
}

// The texts of scenes 3 and 7 and a scroll row, each on the background its
// scene gives it, written as canvas-texts.png for the README.
TEST(CanvasPicture, TextsOfTheShowAtTheirPlaces) {
  TDrawing d;
  FillSurface(d.S, DeviceColor(d.S, RGB(200, 100, 10)));  // scene 7's first fill
  auto band = [&](int32_t top, int32_t bottom, TColor rgb) {
    for (int32_t y = top; y < bottom; ++y)
      for (int32_t x = 0; x < 512; ++x) d.S.Row(y)[x] = uint16_t(DeviceColor(d.S, rgb));
  };
  band(0, 140, RGB(230, 230, 230));  // a light ground for the black scroller
  band(262, 300, RGB(0, 70, 0));     // scene 3's dark green
  d.C.Brush.Style = TBrushStyle::bsClear;
  d.Font("verdana", 20, 0);
  const char* rows[] = {"still", "I wonder", "why", "most", "demos"};
  for (int32_t i = 0; i < 5; ++i) d.C.TextOut(160, 22 + 20 * i - 20, rows[i]);
  d.Font("wingdings", 50, 0xFFFFFF);
  d.C.TextOut(10, 150, ":");
  d.Font("fixedsys", 40, 0xFFFFFF);
  d.C.TextOut(80, 151, "DRIFTMOSAIC-B");
  d.C.Font.Size = 14;
  d.C.TextOut(95, 210, "512k intro by ZUB");
  d.C.TextOut(85, 230, "code, music: Vardek  support: jelko");
  d.Font("fixedsys", 14, 0);
  d.C.TextOut(5, 270, "butterbrot mit marmelade");
  d.C.Release();
  EXPECT_TRUE(WritePng(d.S, "canvas-texts.png"));
  // Terminus glyphs stay inside their cells: 8 x 16 at 14 points, 24 x 48
  // ("DRIFTMOSAIC-B", 13 cells from x = 80) at 40.
  for (const TTextCase& t : ShowTexts) {
    if (std::strcmp(t.Font, "fixedsys") != 0) continue;
    const int32_t k = t.Size == 40 ? 3 : 1;
    const TBox box = BoxOf(InkOf(t.Font, t.Size, t.X, t.Y, t.Text));
    EXPECT_GE(box.Left, t.X) << t.Text;
    EXPECT_LT(box.Right, t.X + 8 * k * int32_t(std::strlen(t.Text))) << t.Text;
    EXPECT_GE(box.Top, t.Y) << t.Text;
    EXPECT_LT(box.Bottom, t.Y + 16 * k) << t.Text;
  }
}
