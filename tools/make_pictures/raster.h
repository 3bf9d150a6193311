// A small floating-point raster for drawing the pictures: colours, shapes
// filled with supersampled coverage, thick strokes. Only +, -, *, / and sqrt
// are used (all exactly rounded), and sine and cosine come from our own
// series, so the output is the same wherever the generator runs.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace pics {

struct Color {
  double r = 0, g = 0, b = 0;
};

constexpr Color Mix(Color a, Color b, double t) {
  return Color{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

constexpr double Clamp01(double t) { return t < 0 ? 0 : (t > 1 ? 1 : t); }

// Smooth 0..1 step between edge0 and edge1.
inline double SmoothStep(double edge0, double edge1, double x) {
  const double t = Clamp01((x - edge0) / (edge1 - edge0));
  return t * t * (3 - 2 * t);
}

constexpr double Pi = 3.14159265358979323846;

// Sine by reduction to [-pi, pi] and a Taylor series (error below 1e-12).
inline double Sin(double x) {
  const double turns = std::floor(x / (2 * Pi) + 0.5);
  x -= turns * 2 * Pi;
  double term = x, sum = x;
  const double x2 = x * x;
  for (int n = 1; n < 14; ++n) {
    term *= -x2 / double((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}
inline double Cos(double x) { return Sin(x + Pi / 2); }
inline double Deg(double degrees) { return degrees * Pi / 180; }

struct Image {
  int W = 0, H = 0;
  std::vector<Color> Px;
  Image(int w, int h, Color fill) : W(w), H(h), Px(size_t(w) * size_t(h), fill) {}
  Color& At(int x, int y) { return Px[size_t(y) * size_t(W) + size_t(x)]; }
  const Color& At(int x, int y) const { return Px[size_t(y) * size_t(W) + size_t(x)]; }
};

// A region of the plane: true for points inside (pixel centres at +0.5).
using Shape = std::function<bool(double x, double y)>;

// Paints colour over the pixels of the bounding box, weighted by the share of
// n x n sample points that fall inside shape.
inline void Fill(Image& img, const Shape& shape, Color c, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1,
                 int n = 4) {
  if (x1 < 0) x1 = img.W;
  if (y1 < 0) y1 = img.H;
  x0 = std::max(x0, 0), y0 = std::max(y0, 0), x1 = std::min(x1, img.W), y1 = std::min(y1, img.H);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      int inside = 0;
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
          if (shape(x + (i + 0.5) / n, y + (j + 0.5) / n)) ++inside;
      if (inside == 0) continue;
      Color& p = img.At(x, y);
      p = Mix(p, c, double(inside) / (n * n));
    }
}

struct Pt {
  double x = 0, y = 0;
};

inline double DistToSegment(double px, double py, Pt a, Pt b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / len2 : 0;
  t = Clamp01(t);
  const double ex = px - (a.x + t * dx), ey = py - (a.y + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

// A set of polylines drawn with round pens: the points within radius of any segment.
struct Strokes {
  std::vector<std::vector<Pt>> Lines;
  double MinX = 1e9, MinY = 1e9, MaxX = -1e9, MaxY = -1e9;

  void Add(std::vector<Pt> line) {
    for (const Pt& p : line) {
      MinX = std::min(MinX, p.x), MaxX = std::max(MaxX, p.x);
      MinY = std::min(MinY, p.y), MaxY = std::max(MaxY, p.y);
    }
    Lines.push_back(std::move(line));
  }
  double Distance(double x, double y) const {
    double best = 1e9;
    for (const auto& line : Lines) {
      if (line.size() == 1) best = std::min(best, DistToSegment(x, y, line[0], line[0]));
      for (size_t i = 1; i < line.size(); ++i) best = std::min(best, DistToSegment(x, y, line[i - 1], line[i]));
    }
    return best;
  }
  // Paints the strokes at pen radius with antialiased edges.
  void Paint(Image& img, double radius, Color c, int n = 4) const {
    const int x0 = int(std::floor(MinX - radius - 1)), y0 = int(std::floor(MinY - radius - 1));
    const int x1 = int(std::ceil(MaxX + radius + 1)), y1 = int(std::ceil(MaxY + radius + 1));
    Fill(img, [&](double x, double y) { return Distance(x, y) <= radius; }, c, x0, y0, x1, y1, n);
  }
};

// Points along an ellipse arc from angle a0 to a1 (degrees, counter-clockwise
// on screen when a1 > a0, y pointing down).
inline std::vector<Pt> Arc(double cx, double cy, double rx, double ry, double a0, double a1, int steps = 48) {
  std::vector<Pt> pts;
  for (int i = 0; i <= steps; ++i) {
    const double a = Deg(a0 + (a1 - a0) * i / steps);
    pts.push_back(Pt{cx + rx * Cos(a), cy - ry * Sin(a)});
  }
  return pts;
}

inline Shape Disc(double cx, double cy, double r) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}
inline Shape Ellipse(double cx, double cy, double rx, double ry) {
  return [=](double x, double y) {
    const double u = (x - cx) / rx, v = (y - cy) / ry;
    return u * u + v * v <= 1;
  };
}
inline Shape Box(double x0, double y0, double x1, double y1) {
  return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}
// A closed polygon by the even-odd rule.
inline Shape Polygon(std::vector<Pt> pts) {
  return [pts = std::move(pts)](double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
      const Pt a = pts[i], b = pts[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
  };
}
// The shape grown by d in every direction, approximated by 8 + 1 offset samples.
inline Shape Grown(Shape s, double d) {
  return [s = std::move(s), d](double x, double y) {
    static const double k = 0.70710678118654752;
    return s(x, y) || s(x + d, y) || s(x - d, y) || s(x, y + d) || s(x, y - d) || s(x + d * k, y + d * k) ||
           s(x - d * k, y + d * k) || s(x + d * k, y - d * k) || s(x - d * k, y - d * k);
  };
}

// 8-bit channel value of a colour component, rounded and clamped.
inline uint8_t Channel(double v) {
  const double r = std::floor(v + 0.5);
  return uint8_t(r < 0 ? 0 : (r > 255 ? 255 : r));
}

}  // namespace pics
