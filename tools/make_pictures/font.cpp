#include "tools/make_pictures/font.h"

#include <vector>

namespace pics {
namespace {

// Glyph space: x to the right from the left centre line, y up from the
// baseline, one unit per x-height; ascenders reach 1.45.
using Line = std::vector<Pt>;

struct Glyph {
  char Ch;
  double Advance;  // width of the centre lines
  std::vector<Line> Lines;
};

Line Seg(double x0, double y0, double x1, double y1) { return {Pt{x0, y0}, Pt{x1, y1}}; }

Line ArcUp(double cx, double cy, double rx, double ry, double a0, double a1) {
  Line pts;
  const int steps = 40;
  for (int i = 0; i <= steps; ++i) {
    const double a = Deg(a0 + (a1 - a0) * i / steps);
    pts.push_back(Pt{cx + rx * Cos(a), cy + ry * Sin(a)});
  }
  return pts;
}

Line Join(Line a, const Line& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<Glyph>& Glyphs() {
  static const std::vector<Glyph> glyphs = {
      {'a', 0.8, {ArcUp(0.4, 0.5, 0.4, 0.5, 0, 360), Seg(0.8, 0, 0.8, 1)}},
      {'b', 0.8, {Seg(0, 0, 0, 1.45), ArcUp(0.4, 0.5, 0.4, 0.5, 0, 360)}},
      {'c', 0.74, {ArcUp(0.42, 0.5, 0.42, 0.5, 42, 318)}},
      {'d', 0.8, {ArcUp(0.4, 0.5, 0.4, 0.5, 0, 360), Seg(0.8, 0, 0.8, 1.45)}},
      {'e', 0.84, {Join(Seg(0.02, 0.52, 0.84, 0.52), ArcUp(0.42, 0.5, 0.42, 0.5, 2, 318))}},
      {'f', 0.66, {Join(Seg(0.18, 0, 0.18, 1.12), ArcUp(0.48, 1.12, 0.3, 0.3, 180, 55)), Seg(-0.02, 0.96, 0.6, 0.96)}},
      {'i', 0, {Seg(0, 0, 0, 1), Line{Pt{0, 1.4}}}},
      {'l', 0, {Seg(0, 0, 0, 1.45)}},
      {'m', 1.32, {Seg(0, 0, 0, 1),
                   Join(ArcUp(0.33, 0.6, 0.33, 0.4, 180, 0), Seg(0.66, 0.6, 0.66, 0)),
                   Join(ArcUp(0.99, 0.6, 0.33, 0.4, 180, 0), Seg(1.32, 0.6, 1.32, 0))}},
      {'o', 0.84, {ArcUp(0.42, 0.5, 0.42, 0.5, 0, 360)}},
      {'r', 0.66, {Seg(0, 0, 0, 1), ArcUp(0.44, 0.52, 0.44, 0.48, 180, 60)}},
      {'s', 0.7, {Join(ArcUp(0.35, 0.75, 0.34, 0.25, 25, 270), ArcUp(0.35, 0.25, 0.35, 0.25, 90, -150))}},
      {'t', 0.66, {Join(Seg(0.2, 1.32, 0.2, 0.3), ArcUp(0.5, 0.3, 0.3, 0.3, 180, 300)), Seg(-0.02, 0.96, 0.6, 0.96)}},
      {'u', 0.8, {Join(Seg(0, 1, 0, 0.5), ArcUp(0.4, 0.5, 0.4, 0.5, 180, 360)), Seg(0.8, 0, 0.8, 1)}},
      {'-', 0.46, {Seg(0, 0.5, 0.46, 0.5)}},
      {' ', 0.3, {}},
  };
  return glyphs;
}

const Glyph* Find(char ch) {
  for (const Glyph& g : Glyphs())
    if (g.Ch == ch) return &g;
  return nullptr;
}

}  // namespace

double TextWidth(std::string_view text, const TextStyle& style) {
  Strokes ignored;
  return AddText(ignored, text, 0, 0, style);
}

double AddText(Strokes& strokes, std::string_view text, double x, double y, const TextStyle& style) {
  const double s = style.Size, pen = style.Pen * s;
  double cursor = x + pen;  // centre line of the first letter
  double right = x;
  for (size_t k = 0; k < text.size(); ++k) {
    const Glyph* g = Find(text[k]);
    if (g == nullptr) continue;
    for (const Line& line : g->Lines) {
      Line out;
      for (const Pt& p : line) out.push_back(Pt{cursor + p.x * s * style.Squeeze, y - p.y * s});
      strokes.Add(out);
    }
    right = cursor + g->Advance * s * style.Squeeze + pen;
    cursor = right + style.Gap * s + pen;
  }
  return right - x;
}

}  // namespace pics
