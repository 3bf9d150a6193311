#include "tools/make_pictures/pictures.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "tools/make_pictures/font.h"

namespace pics {
namespace {

constexpr Color Rgb(double r, double g, double b) { return Color{r, g, b}; }

// A colour gradient through stops (position, colour), smooth between them:
// cubic Hermite per channel with tangents from the neighbouring stops.
struct Ramp {
  std::vector<std::pair<double, Color>> Stops;

  Color At(double t) const {
    if (t <= Stops.front().first) return Stops.front().second;
    if (t >= Stops.back().first) return Stops.back().second;
    size_t i = 0;
    while (Stops[i + 1].first < t) ++i;
    const double t0 = Stops[i].first, t1 = Stops[i + 1].first, h = t1 - t0, u = (t - t0) / h;
    const Color& c0 = Stops[i].second;
    const Color& c1 = Stops[i + 1].second;
    if (c0.r == c1.r && c0.g == c1.g && c0.b == c1.b) return c0;  // a flat stretch stays flat
    auto slope = [&](size_t k, double Color::*ch) {
      if (k == 0 || k + 1 == Stops.size()) return 0.0;  // flat at the ends
      const auto& a = Stops[k - 1];
      const auto& b = Stops[k + 1];
      return (b.second.*ch - a.second.*ch) / (b.first - a.first);
    };
    auto channel = [&](double Color::*ch) {
      const double p0 = Stops[i].second.*ch, p1 = Stops[i + 1].second.*ch;
      const double m0 = slope(i, ch) * h, m1 = slope(i + 1, ch) * h;
      const double u2 = u * u, u3 = u2 * u;
      const double v = (2 * u3 - 3 * u2 + 1) * p0 + (u3 - 2 * u2 + u) * m0 + (-2 * u3 + 3 * u2) * p1 + (u3 - u2) * m1;
      return std::clamp(v, 0.0, 255.0);
    };
    return Color{channel(&Color::r), channel(&Color::g), channel(&Color::b)};
  }
};

// ---- light1 .. light6: a white pixel in a 3 x 3 square of the key colour ----

Image SmallLight(Color border) {
  Image img(3, 3, border);
  img.At(1, 1) = Rgb(255, 255, 255);
  return img;
}

// ---- light8: a tiny red glow ----

Image Light8() {
  const Ramp ramp{{{0, Rgb(255, 255, 255)},
                   {1, Rgb(227, 193, 193)},
                   {2.1, Rgb(196, 132, 132)},
                   {3.1, Rgb(154, 72, 72)},
                   {4.2, Rgb(45, 21, 21)},
                   {5.6, Rgb(26, 13, 13)},
                   {7.2, Rgb(17, 9, 9)}}};
  Image img(10, 10, Rgb(17, 9, 9));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const double dx = x - 5, dy = y - 4;
      img.At(x, y) = ramp.At(std::sqrt(dx * dx + dy * dy));
    }
  return img;
}

// ---- plasmalight: a golden ellipse on dark brown ----

Image PlasmaLight() {
  const Color background = Rgb(16, 13, 6);
  const Color centre = Rgb(192, 156, 70), rim = Rgb(50, 40, 16);
  const double cx = 314.5, cy = 60, rx = 172.5, ry = 58.5;
  Image img(605, 120, background);
  for (int y = 0; y < img.H; ++y)
    for (int x = 0; x < img.W; ++x) {
      // Coverage of the ellipse by 4 x 4 samples; the shade from the pixel centre.
      int inside = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) {
          const double u = (x + (i + 0.5) / 4 - cx) / rx, v = (y + (j + 0.5) / 4 - cy) / ry;
          if (u * u + v * v <= 1) ++inside;
        }
      if (inside == 0) continue;
      const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
      const double t = std::min(1.0, std::sqrt(u * u + v * v));
      const Color shade = Mix(centre, rim, t * std::sqrt(t));
      img.At(x, y) = Mix(background, shade, inside / 16.0);
    }
  return img;
}

// ---- the three bursts ----

struct Ray {
  double AngleDeg, Length, Width;
};

// How strongly the thin rays light the point (dx, dy) from the centre: 0 to 1.
double RayLight(double dx, double dy, const std::vector<Ray>& rays) {
  const double d = std::sqrt(dx * dx + dy * dy);
  double best = 0;
  for (const Ray& r : rays) {
    const double ux = Cos(Deg(r.AngleDeg)), uy = -Sin(Deg(r.AngleDeg));
    const double along = dx * ux + dy * uy;
    if (along <= 0) continue;
    const double across = std::abs(dx * uy - dy * ux) / r.Width;
    const double profile = 1 / ((1 + across * across) * (1 + across * across));
    const double fade = 1 - SmoothStep(0, r.Length, d);
    best = std::max(best, profile * fade);
  }
  return best;
}

const std::vector<Ray> BurstRays = {
    {6, 66, 0.75},  {33, 52, 0.6},  {61, 70, 0.8},  {94, 58, 0.65}, {122, 68, 0.75}, {149, 50, 0.6},
    {178, 64, 0.8}, {207, 56, 0.6}, {236, 70, 0.75}, {262, 52, 0.65}, {291, 66, 0.8}, {322, 58, 0.6},
    {347, 48, 0.55},
};

// Effective distance of each pixel from the burst's heart: the distance from
// the centre, zero inside a square core of coreHalf, shortened along the rays.
std::vector<double> BurstDistances(double coreHalf, const std::vector<Ray>& rays, double rayStrength) {
  std::vector<double> e(100 * 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      const double dx = x + 0.5 - 50, dy = y + 0.5 - 50;
      double d = std::sqrt(dx * dx + dy * dy);
      if (std::abs(dx) <= coreHalf && std::abs(dy) <= coreHalf) d = 0;
      e[size_t(y) * 100 + size_t(x)] = d * (1 - rayStrength * RayLight(dx, dy, rays));
    }
  return e;
}

// Turns effective distances into at most 255 shades of the ramp over [0, eMax]
// (an 8-bit palette), the nearest shade for each pixel.
Color Shade(const Ramp& ramp, double e, double eMax) {
  const double level = std::floor(std::min(e, eMax) / eMax * 254 + 0.5);
  return ramp.At(level / 254 * eMax);
}

Image BigLight() {
  const Color key = Rgb(45, 21, 21);
  const Ramp ramp{{{0, Rgb(255, 253, 253)},
                   {10, Rgb(252, 236, 236)},
                   {20, Rgb(234, 132, 132)},
                   {30, Rgb(123, 74, 74)},
                   {44, Rgb(72, 35, 35)},
                   {60, Rgb(48, 24, 24)}}};
  std::vector<double> e = BurstDistances(10, BurstRays, 0.55);
  // The 554 farthest pixels (the corners) take the key colour itself.
  std::vector<int> order(e.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return e[size_t(a)] > e[size_t(b)]; });
  const int keyCount = 554;
  const double eMax = e[size_t(order[keyCount])];
  Image img(100, 100, key);
  for (size_t k = size_t(keyCount); k < order.size(); ++k) {
    const int p = order[k];
    img.Px[size_t(p)] = Shade(ramp, e[size_t(p)], eMax);
  }
  return img;
}

Image BigLight2() {
  const Ramp ramp{{{0, Rgb(216, 216, 216)},
                   {2.5, Rgb(216, 216, 216)},
                   {7, Rgb(210, 222, 208)},
                   {14, Rgb(128, 178, 122)},
                   {25, Rgb(45, 109, 42)},
                   {38, Rgb(14, 44, 13)},
                   {52, Rgb(2, 8, 2)},
                   {60, Rgb(0, 0, 0)}}};
  // A round core: no square.
  std::vector<double> e = BurstDistances(0, BurstRays, 0.5);
  Image img(100, 100, Rgb(0, 0, 0));
  for (size_t p = 0; p < e.size(); ++p) img.Px[p] = Shade(ramp, e[p], 60);
  return img;
}

Image BigLight3() {
  const Ramp ramp{{{0, Rgb(202, 234, 228)},
                   {8, Rgb(202, 234, 228)},
                   {16, Rgb(136, 196, 184)},
                   {25, Rgb(61, 142, 126)},
                   {36, Rgb(24, 70, 61)},
                   {48, Rgb(6, 20, 17)},
                   {60, Rgb(0, 0, 0)}}};
  Image img(100, 100, Rgb(0, 0, 0));
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) {
      // Each 10 x 10 block takes the glow at its own centre.
      const double dx = (x / 10) * 10 + 5 - 50, dy = (y / 10) * 10 + 5 - 50;
      img.At(x, y) = ramp.At(std::sqrt(dx * dx + dy * dy));
    }
  return img;
}

// ---- exitpic: black and white, an arrow in a square and the name ----

Image ExitPic() {
  const Color white = Rgb(255, 255, 255);
  Image img(1000, 100, Rgb(0, 0, 0));
  // Thin lines across the band.
  for (int y : {5, 9, 90, 94})
    for (int x = 0; x < img.W; ++x) img.At(x, y) = white;
  // The square with its arrow pointing left.
  const double sx0 = 345, sy0 = 21, sx1 = 405, sy1 = 79;
  Fill(img, [&](double x, double y) {
    const bool outer = x >= sx0 && x < sx1 && y >= sy0 && y < sy1;
    const bool inner = x >= sx0 + 4 && x < sx1 - 4 && y >= sy0 + 4 && y < sy1 - 4;
    return outer && !inner;
  }, white);
  Fill(img, Polygon({{355, 50}, {375, 32}, {375, 43}, {395, 43}, {395, 57}, {375, 57}, {375, 68}}), white);
  // The name in bold lower case.
  Strokes name;
  TextStyle style;
  style.Size = 30, style.Pen = 0.15, style.Gap = 0.16;
  AddText(name, "driftmosaic-b", 426, 71, style);
  name.Paint(img, style.Pen * style.Size, white);
  return img;
}

// ---- fire: a burning screen, two frightened people, the word ----

const Color Ink = Rgb(48, 26, 14);  // cartoon outlines: dark, but not the key colour

struct CartoonLayer {
  Image& Img;
  double Cx, Cy, R;  // the circle that frames the cartoon

  Shape Clip(Shape s) const {
    return [s = std::move(s), cx = Cx, cy = Cy, r = R](double x, double y) {
      return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r && s(x, y);
    };
  }
  // A shape with a dark outline of width w around it.
  void Inked(const Shape& s, Color fill, double w = 1.3) const {
    Fill(Img, Clip(Grown(s, w)), Ink, 0, 0, 110, 108);
    Fill(Img, Clip(s), fill, 0, 0, 110, 108);
  }
  void InkedStrokes(const Strokes& st, double radius, Color fill, double w = 1.3) const {
    Fill(Img, Clip([&](double x, double y) { return st.Distance(x, y) <= radius + w; }), Ink, 0, 0, 110, 108);
    Fill(Img, Clip([&](double x, double y) { return st.Distance(x, y) <= radius; }), fill, 0, 0, 110, 108);
  }
};

// One flame tongue standing on (bx, base): width w, height h, leaning by lean.
Shape Tongue(double bx, double base, double w, double h, double lean) {
  return [=](double x, double y) {
    const double t = (base - y) / h;  // 0 at the base, 1 at the tip
    if (t < -0.25 || t > 1) return false;
    const double tt = std::max(t, 0.0);
    const double half = w / 2 * std::sqrt(1 - tt) * (t < 0 ? std::sqrt(1 - (t / 0.25) * (t / 0.25)) : 1.0);
    const double centre = bx + lean * tt * tt + 1.2 * Sin(tt * Pi * 2.2);
    return std::abs(x - centre) <= half;
  };
}

Shape Union(std::vector<Shape> parts) {
  return [parts = std::move(parts)](double x, double y) {
    for (const Shape& s : parts)
      if (s(x, y)) return true;
    return false;
  };
}

Shape Flames(double scale, double shiftY) {
  // Tongues over the top of the screen, the middle ones tallest.
  struct T { double x, w, h, lean; };
  const T tongues[] = {{38, 12, 17, -4}, {46, 14, 27, -3}, {54, 16, 36, 2}, {62, 14, 26, 4}, {70, 12, 18, 5}};
  std::vector<Shape> parts;
  for (const T& t : tongues) parts.push_back(Tongue(t.x, 40 + shiftY, t.w * scale, t.h * scale, t.lean * scale));
  return Union(std::move(parts));
}

void Person(const CartoonLayer& c, double cx, double base, Color shirt, Color hair, double lean) {
  const Color skin = Rgb(250, 204, 158), trousers = Rgb(52, 62, 124);
  // Legs, a little apart.
  Strokes legs;
  legs.Add({{cx - 2.5, base - 14}, {cx - 5, base - 1}});
  legs.Add({{cx + 2.5, base - 14}, {cx + 5, base - 1}});
  c.InkedStrokes(legs, 2.2, trousers);
  // Arms thrown up in fright.
  Strokes arms;
  arms.Add({{cx - 4, base - 24}, {cx - 9 + lean, base - 31}, {cx - 11 + lean, base - 40}});
  arms.Add({{cx + 4, base - 24}, {cx + 9 + lean, base - 31}, {cx + 11 + lean, base - 40}});
  c.InkedStrokes(arms, 1.9, shirt);
  c.Inked(Disc(cx - 11 + lean, base - 41.5, 2.3), skin);
  c.Inked(Disc(cx + 11 + lean, base - 41.5, 2.3), skin);
  // Body.
  c.Inked(Ellipse(cx, base - 19, 6, 8.5), shirt);
  // Hair standing on end, then the head.
  Strokes spikes;
  for (int k = -2; k <= 2; ++k) spikes.Add({{cx + k * 2.2, base - 38}, {cx + k * 3.4 + lean * 0.3, base - 46.5 + std::abs(k) * 0.8}});
  c.InkedStrokes(spikes, 1.1, hair, 1.0);
  const double hy = base - 35;
  c.Inked(Disc(cx, hy, 7), skin);
  // Wide eyes, raised brows, a round open mouth.
  for (double side : {-1.0, 1.0}) {
    c.Inked(Disc(cx + side * 2.8, hy - 1.2, 2.1), Rgb(255, 255, 255), 0.7);
    Fill(c.Img, Disc(cx + side * 2.8 + lean * 0.15, hy - 1.0, 0.95), Ink);
    Strokes brow;
    brow.Add({{cx + side * 1.4, hy - 4.6}, {cx + side * 4.0, hy - 5.6}});
    brow.Paint(c.Img, 0.6, Ink);
  }
  c.Inked(Ellipse(cx, hy + 3.4, 1.7, 2.1), Rgb(150, 28, 28), 0.8);
}

void Computer(const CartoonLayer& c) {
  // Desk, monitor body, stand.
  c.Inked(Box(8, 76, 100, 81), Rgb(150, 92, 48));
  c.Inked(Polygon({{46, 67}, {62, 67}, {66, 76}, {42, 76}}), Rgb(196, 188, 168));
  c.Inked(Box(31, 38, 77, 68), Rgb(220, 214, 194));
  // The screen glowing with fire inside.
  Fill(c.Img, Box(36, 43, 72, 63), Ink);
  for (int y = 44; y < 62; ++y)
    for (int x = 37; x < 71; ++x) {
      const double t = (y - 44) / 17.0;
      c.Img.At(x, y) = Mix(Rgb(90, 24, 20), Rgb(255, 186, 60), t * t);
    }
  Fill(c.Img, Union({Tongue(44, 62, 7, 12, -1), Tongue(53, 62, 9, 16, 1), Tongue(63, 62, 7, 11, 2)}),
       Rgb(255, 236, 120), 36, 43, 72, 63);
  // Flames bursting out of the top, red outside, orange, then yellow.
  c.Inked(Flames(1.0, 0), Rgb(228, 44, 22));
  Fill(c.Img, c.Clip(Flames(0.68, 0)), Rgb(255, 176, 36), 0, 0, 110, 108);
  Fill(c.Img, c.Clip(Flames(0.38, 0)), Rgb(255, 240, 130), 0, 0, 110, 108);
  // A power light still on.
  Fill(c.Img, Disc(72, 65.2, 1.1), Rgb(60, 220, 60));
}

Image Fire() {
  Image img(267, 108, Rgb(0, 0, 0));
  const double cx = 54, cy = 54;
  // The orange circle with a deeper rim.
  Fill(img, Disc(cx, cy, 50), Rgb(214, 100, 22));
  Fill(img, Disc(cx, cy, 47.4), Rgb(255, 153, 51));
  const CartoonLayer layer{img, cx, cy, 47.4};
  Computer(layer);
  Person(layer, 19, 92, Rgb(60, 150, 220), Rgb(120, 66, 30), -1);
  Person(layer, 89, 92, Rgb(70, 170, 80), Rgb(236, 200, 80), 1);
  // The word, red with a white edge.
  TextStyle style;
  style.Pen = 0.15, style.Gap = 0.1, style.Squeeze = 0.86;
  const double width = 147;
  style.Size = 20;
  style.Size *= width / TextWidth("feueralarm", style);
  Strokes word;
  AddText(word, "feueralarm", 114, 54 + style.Size * 0.72, style);
  const double pen = style.Pen * style.Size;
  word.Paint(img, pen + 2.0, Rgb(255, 255, 255));
  word.Paint(img, pen, Rgb(226, 22, 18));
  return img;
}

// ---- symbol: the monogram ----

struct PenPoint {
  Pt P;
  double R;
};

// Points along a cubic Bezier, pen radius from r0 to r1 (with a swell in between).
void AddCurve(std::vector<PenPoint>& pen, Pt a, Pt b, Pt c, Pt d, double r0, double r1, double swell = 0) {
  const int steps = 120;
  for (int i = 0; i <= steps; ++i) {
    const double t = double(i) / steps, s = 1 - t;
    const Pt p{s * s * s * a.x + 3 * s * s * t * b.x + 3 * s * t * t * c.x + t * t * t * d.x,
               s * s * s * a.y + 3 * s * s * t * b.y + 3 * s * t * t * c.y + t * t * t * d.y};
    pen.push_back(PenPoint{p, r0 + (r1 - r0) * t + swell * 4 * t * s});
  }
}

// Points around an ellipse, the pen at radius r plus extra on the left side.
void AddOval(std::vector<PenPoint>& pen, double cx, double cy, double rx, double ry, double r, double extra) {
  const int steps = 240;
  for (int i = 0; i <= steps; ++i) {
    const double a = Deg(360.0 * i / steps);
    const double left = std::max(0.0, -Cos(a - Deg(20)));
    pen.push_back(PenPoint{{cx + rx * Cos(a), cy - ry * Sin(a)}, r + extra * left * left});
  }
}

// Signed distance to the pen's ink: negative inside.
double PenDistance(const std::vector<PenPoint>& pen, double x, double y) {
  double best = 1e9;
  for (const PenPoint& q : pen) {
    const double dx = x - q.P.x, dy = y - q.P.y;
    const double d2 = dx * dx + dy * dy;
    const double reach = q.R + best;
    if (reach > 0 && d2 >= reach * reach) continue;
    best = std::min(best, std::sqrt(d2) - q.R);
  }
  return best;
}

Image Symbol() {
  const Color fuchsia = Rgb(255, 0, 255), fill = Rgb(114, 114, 174), outline = Rgb(22, 20, 34);
  const Color light = Rgb(156, 156, 208), dark = Rgb(84, 84, 136);
  std::vector<PenPoint> pen;
  // "d": a round bowl, heavier on its left, and a tall stem.
  AddOval(pen, 68, 57, 25, 22, 4.0, 2.0);
  AddCurve(pen, {101, 5}, {98, 30}, {95, 58}, {96, 80}, 3.0, 5.5);
  // "m": two arches springing from the stem of the "d", the last leg curling out.
  AddCurve(pen, {96, 60}, {103, 36}, {136, 32}, {138, 56}, 3.0, 4.5);
  AddCurve(pen, {138, 56}, {138, 64}, {138, 72}, {138, 80}, 4.5, 5.0);
  AddCurve(pen, {138, 58}, {146, 36}, {178, 32}, {180, 56}, 3.0, 4.5);
  AddCurve(pen, {180, 56}, {180, 70}, {184, 80}, {198, 78}, 4.5, 2.0);
  // The long stroke across the lower half, thin at both ends.
  AddCurve(pen, {6, 74}, {80, 62}, {160, 80}, {242, 62}, 1.0, 1.0, 2.6);
  Image img(247, 105, fuchsia);
  for (int y = 0; y < img.H; ++y)
    for (int x = 0; x < img.W; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double d = PenDistance(pen, px, py);
      if (d > 2.6) continue;
      if (d > 0) {
        img.At(x, y) = outline;
        continue;
      }
      // Light from the upper left: a bright edge above, a shade below.
      const double up = PenDistance(pen, px + 1.6, py + 1.6), down = PenDistance(pen, px - 1.6, py - 1.6);
      img.At(x, y) = up > 0 ? light : (down > 0 ? dark : fill);
    }
  return img;
}

}  // namespace

std::vector<Picture> DrawAllPictures() {
  std::vector<Picture> all;
  all.push_back({"light1", 8, SmallLight(Rgb(0, 0, 128))});
  all.push_back({"light2", 8, SmallLight(Rgb(128, 0, 0))});
  all.push_back({"light3", 8, SmallLight(Rgb(128, 128, 128))});
  all.push_back({"light4", 8, SmallLight(Rgb(0, 128, 128))});
  all.push_back({"light5", 8, SmallLight(Rgb(0, 0, 255))});
  all.push_back({"light6", 8, SmallLight(Rgb(255, 0, 0))});
  all.push_back({"light8", 8, Light8()});
  all.push_back({"plasmalight", 24, PlasmaLight()});
  all.push_back({"biglight", 8, BigLight()});
  all.push_back({"biglight2", 8, BigLight2()});
  all.push_back({"biglight3", 8, BigLight3()});
  all.push_back({"exitpic", 1, ExitPic()});
  all.push_back({"fire", 24, Fire()});
  all.push_back({"symbol", 8, Symbol()});
  return all;
}

}  // namespace pics
