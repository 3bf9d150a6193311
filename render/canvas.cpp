// Text and the rounded rectangle, drawn straight into the 16-bit pixels of
// the canvas's surface. Everything clips to the surface; nothing allocates
// (glyphs come from the font engine's cache).
#include "render/canvas.h"

#include <algorithm>
#include <cmath>

namespace {

// A run of pixels x0 .. x1 (inclusive) on one row; empty when x0 > x1.
struct TSpan {
  int64_t X0 = 0, X1 = -1;
  bool Empty() const { return X0 > X1; }
};

TSpan Intersect(TSpan a, TSpan b) { return {std::max(a.X0, b.X0), std::min(a.X1, b.X1)}; }

// Writes or XORs value into the pixels of the span that lie on the row.
void Combine(uint16_t* row, int32_t width, TSpan span, uint16_t value, bool xorMode) {
  const int64_t x0 = std::max<int64_t>(span.X0, 0), x1 = std::min<int64_t>(span.X1, width - 1);
  if (xorMode) {
    for (int64_t x = x0; x <= x1; ++x) row[x] ^= value;
  } else {
    for (int64_t x = x0; x <= x1; ++x) row[x] = value;
  }
}

// Fills the rectangle [left, right) x [top, bottom) with value, clipped.
void FillClipped(TSurface& s, int64_t left, int64_t top, int64_t right, int64_t bottom, uint16_t value) {
  const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, s.Height);
  for (int64_t y = y0; y < y1; ++y) Combine(s.Row(int32_t(y)), s.Width, {left, right - 1}, value, false);
}

// Writes value wherever the glyph has a pixel, its bitmap's top-left corner
// at (x, y), clipped.
void DrawGlyph(TSurface& s, int64_t x, int64_t y, const TGlyph& g, uint16_t value) {
  const int64_t c0 = std::max<int64_t>(0, -x), c1 = std::min<int64_t>(g.Width, s.Width - x);
  const int64_t r0 = std::max<int64_t>(0, -y), r1 = std::min<int64_t>(g.Height, s.Height - y);
  if (c0 >= c1) return;
  for (int64_t r = r0; r < r1; ++r) {
    const uint8_t* bits = g.Bits + r * g.Width;
    uint16_t* row = s.Row(int32_t(y + r)) + (x + c0);
    // A select rather than a branch, so that the loop vectorises.
    for (int64_t c = 0; c < c1 - c0; ++c) row[c] = bits[c0 + c] ? value : row[c];
  }
}

// floor(sqrt(q)) for q below 2^96.
uint64_t IntegerSqrt(unsigned __int128 q) {
  uint64_t r = uint64_t(std::sqrt(double(q)));
  while (r > 0 && (unsigned __int128)r * r > q) --r;
  while ((unsigned __int128)(r + 1) * (r + 1) <= q) ++r;
  return r;
}

// How far row i (counted from the nearer of the top and bottom edges) of a
// rounded rectangle is inset on each side by a corner ellipse of w x h that
// fits in the corner's w x h box. A pixel belongs to the shape when its centre
// lies inside the ellipse. In doubled coordinates (so that pixel centres are
// odd) the ellipse has semi-axes w and h, and the pixel j of the row, with
// dx = 2j + 1 - w and dy = 2i + 1 - h, lies inside when
// dx^2 h^2 + dy^2 w^2 <= w^2 h^2, i.e. |dx| <= D = floor(sqrt(w^2 (h^2 - dy^2)) / h).
int64_t CornerInset(int64_t w, int64_t h, int64_t i) {
  const int64_t dy = h - (2 * i + 1);
  if (w <= 1 || dy <= 0) return 0;  // no corner, or the straight sides
  const unsigned __int128 q = (unsigned __int128)(w * w) * (unsigned __int128)(h * h - dy * dy);
  const int64_t d = int64_t(IntegerSqrt(q)) / h;
  const int64_t gap = w - 1 - d;  // the smallest j has 2j + 1 >= w - d
  return gap > 0 ? (gap + 1) / 2 : 0;
}

// The shape of a rounded rectangle, row by row.
struct TRoundShape {
  int64_t Left, Top, Right, Bottom;  // right and bottom exclusive
  int64_t W, H;                      // corner ellipse, cut to the rectangle

  TSpan Row(int64_t y) const {
    if (y < Top || y >= Bottom) return {};
    const int64_t i = std::min(y - Top, Bottom - 1 - y);
    // Never narrower than the middle pixel or two, so that every row of
    // the rectangle has its outline.
    const int64_t inset = std::min(CornerInset(W, H, i), (Right - Left - 1) / 2);
    return {Left + inset, Right - 1 - inset};
  }
  // The pixels of the row whose four neighbours all lie in the shape.
  TSpan Interior(int64_t y) const {
    const TSpan row = Row(y);
    return Intersect(Intersect({row.X0 + 1, row.X1 - 1}, Row(y - 1)), Row(y + 1));
  }
};

TRoundShape MakeRoundShape(int64_t l, int64_t t, int64_t r, int64_t b, int64_t w, int64_t h) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  // Corners larger than the rectangle are cut to it; the cap keeps the
  // ellipse arithmetic within 128 bits.
  constexpr int64_t MaxCorner = int64_t(1) << 24;
  w = std::clamp<int64_t>(w, 0, std::min(r - l, MaxCorner));
  h = std::clamp<int64_t>(h, 0, std::min(b - t, MaxCorner));
  return {l, t, r, b, w, h};
}

}  // namespace

void TCanvas::TextOut(int32_t x, int32_t y, const char* text) {
  TakeContext();
  if (Surface == nullptr || !Surface->Exists() || Fonts == nullptr || text == nullptr) return;
  const TFontMetrics metrics = Fonts->Metrics(Font);
  if (Brush.Style == TBrushStyle::bsSolid) {
    int64_t width = 0;
    for (const char* c = text; *c != 0; ++c)
      if (const TGlyph* g = Fonts->Glyph(Font, uint8_t(*c))) width += g->Advance;
    FillClipped(*Surface, x, y, x + width, int64_t(y) + metrics.Height, uint16_t(DeviceColor(*Surface, Brush.Color)));
  }
  // Text ignores the pen mode: glyph pixels are always written as they are.
  const uint16_t ink = uint16_t(DeviceColor(*Surface, Font.Color));
  int64_t pen = x;
  const int64_t baseline = int64_t(y) + metrics.Ascent;
  for (const char* c = text; *c != 0; ++c) {
    const TGlyph* g = Fonts->Glyph(Font, uint8_t(*c));
    if (g == nullptr) continue;
    if (g->Bits != nullptr) DrawGlyph(*Surface, pen + g->Left, baseline - g->Top, *g, ink);
    pen += g->Advance;
  }
}

void TCanvas::RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t w, int32_t h) {
  TakeContext();
  if (Surface == nullptr || !Surface->Exists()) return;
  const TRoundShape shape = MakeRoundShape(left, top, right, bottom, w, h);
  const bool xorMode = Pen.Mode == TPenMode::pmXor;
  const bool filled = Brush.Style == TBrushStyle::bsSolid;
  const uint16_t pen = uint16_t(DeviceColor(*Surface, Pen.Color));
  const uint16_t brush = uint16_t(DeviceColor(*Surface, Brush.Color));
  const int64_t y0 = std::max<int64_t>(shape.Top, 0), y1 = std::min<int64_t>(shape.Bottom, Surface->Height);
  for (int64_t y = y0; y < y1; ++y) {
    uint16_t* row = Surface->Row(int32_t(y));
    const TSpan span = shape.Row(y), inner = shape.Interior(y);
    if (inner.Empty()) {
      Combine(row, Surface->Width, span, pen, xorMode);
      continue;
    }
    // The outline is the row minus its interior: at most two runs.
    Combine(row, Surface->Width, {span.X0, inner.X0 - 1}, pen, xorMode);
    Combine(row, Surface->Width, {inner.X1 + 1, span.X1}, pen, xorMode);
    if (filled) Combine(row, Surface->Width, inner, brush, xorMode);
  }
}
