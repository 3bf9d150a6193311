// Plain per-pixel versions of the blending rules, written straight from
// their definition (channels widened to 8 bits, 8-bit arithmetic, truncated
// back), against which the fast operations are checked.
#pragma once
#include <algorithm>
#include <cstdint>

#include "render/surface.h"
#include "render/types.h"

namespace ref {

struct Wide {
  int R, G, B;
};

inline bool Is565(TPixelLayout l) { return l == TPixelLayout::Layout565; }

inline Wide Widen(uint16_t p, TPixelLayout l) {
  if (Is565(l)) return Wide{((p >> 11) & 31) << 3, ((p >> 5) & 63) << 2, (p & 31) << 3};
  return Wide{((p >> 10) & 31) << 3, ((p >> 5) & 31) << 3, (p & 31) << 3};
}

inline uint16_t Narrow(Wide w, TPixelLayout l) {
  if (Is565(l)) return uint16_t(((w.R >> 3) << 11) | ((w.G >> 2) << 5) | (w.B >> 3));
  return uint16_t(((w.R >> 3) << 10) | ((w.G >> 3) << 5) | (w.B >> 3));
}

inline uint16_t Add(uint16_t p, TColor rgb, TPixelLayout l) {
  const Wide c = Widen(p, l);
  const int kr = rgb & 0xFF, kg = (rgb >> 8) & 0xFF, kb = (rgb >> 16) & 0xFF;
  return Narrow(Wide{std::min(c.R + kr, 255), std::min(c.G + kg, 255), std::min(c.B + kb, 255)}, l);
}

inline uint16_t Subtract(uint16_t p, TColor rgb, TPixelLayout l) {
  const Wide c = Widen(p, l);
  const int kr = rgb & 0xFF, kg = (rgb >> 8) & 0xFF, kb = (rgb >> 16) & 0xFF;
  return Narrow(Wide{std::max(c.R - kr, 0), std::max(c.G - kg, 0), std::max(c.B - kb, 0)}, l);
}

inline uint16_t AddImage(uint16_t d, uint16_t s, int a, TPixelLayout l) {
  const Wide dw = Widen(d, l), sw = Widen(s, l);
  auto one = [&](int sc, int dc) { return std::min(sc * a / 256 + dc, 255); };
  return Narrow(Wide{one(sw.R, dw.R), one(sw.G, dw.G), one(sw.B, dw.B)}, l);
}

template <bool IsAdd>
void BlendRect(TSurface& f, TRect R, TColor rgb) {
  if ((rgb & 0xFFFFFF) == 0) return;
  if (R.Left >= R.Right || R.Top >= R.Bottom) return;
  R.Left = std::max(R.Left, 0), R.Top = std::max(R.Top, 0);
  R.Right = std::min(R.Right, f.Width), R.Bottom = std::min(R.Bottom, f.Height);
  for (int y = R.Top; y < R.Bottom; ++y)
    for (int x = R.Left; x < R.Right; ++x)
      f.Row(y)[x] = IsAdd ? Add(f.Row(y)[x], rgb, f.Layout) : Subtract(f.Row(y)[x], rgb, f.Layout);
}

// The image add step by step: 16.16 steps, cut columns and rows, floor sampling, key.
inline void DrawImageAdd(TSurface& f, const TSurface& img, bool transparent, TRect D, int32_t alpha) {
  const int a = alpha & 0xFF;
  if (D.Left >= D.Right || D.Top >= D.Bottom) return;
  const uint64_t sx = uint64_t(img.Width) * 65536 / uint64_t(int64_t(D.Right) - D.Left);
  const uint64_t sy = uint64_t(img.Height) * 65536 / uint64_t(int64_t(D.Bottom) - D.Top);
  const int64_t cx = std::max<int64_t>(0, -int64_t(D.Left)), cy = std::max<int64_t>(0, -int64_t(D.Top));
  const int64_t left = std::max<int64_t>(D.Left, 0), top = std::max<int64_t>(D.Top, 0);
  const int64_t right = std::min<int64_t>(D.Right, f.Width), bottom = std::min<int64_t>(D.Bottom, f.Height);
  for (int64_t j = 0; top + j < bottom; ++j)
    for (int64_t i = 0; left + i < right; ++i) {
      const uint16_t s = img.Pixel(int32_t((sx * uint64_t(cx + i)) >> 16), int32_t((sy * uint64_t(cy + j)) >> 16));
      if (transparent && s == uint16_t(img.ColorKey)) continue;
      uint16_t& d = f.Row(int32_t(top + j))[left + i];
      d = AddImage(d, s, a, f.Layout);
    }
}

}  // namespace ref
