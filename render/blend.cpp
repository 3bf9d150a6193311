// Blending colours and images into the frame surface.
//
// Every blend is defined per channel on values widened to 8 bits (a 5-bit
// channel c counts as c << 3, a 6-bit one as c << 2) and narrowed back by
// truncation. Worked through, each rule becomes a saturating operation on the
// narrow channel itself:
//   add colour k:       min(c + (k >> 3), 31)        (k >> 2, 63 for 6 bits)
//   subtract colour k:  max(c - ceil(k / 8), 0)      (ceil(k / 4) for 6 bits)
//   add image s at a:   min(d + floor(s * a / 256), 31 or 63)
// where s and d are the narrow source and destination channels. The fast
// paths below do these on eight pixels at once in SSE2 (part of every x86-64):
// each channel is isolated in its place and lowered with the processor's
// unsigned saturating subtract, which stops at zero (on bytes for red and
// blue together, on words for green); raising is lowering the complement
// (top - c), which stops at the channel's top.
#include "render/blend.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Where the channels of a layout lie in the 16-bit pixel.
struct TChannels {
  int RedShift, RedBits, GreenShift, GreenBits, BlueShift, BlueBits;
};

constexpr TChannels ChannelsOf(TPixelLayout layout) {
  return layout == TPixelLayout::Layout565 ? TChannels{11, 5, 5, 6, 0, 5} : TChannels{10, 5, 5, 5, 0, 5};
}

// The colour turned into per-channel steps on the narrow channels.
struct TSteps {
  uint32_t R, G, B;
};

TSteps AddSteps(const TChannels& ch, TColor rgb) {
  const uint32_t kr = rgb & 0xFF, kg = (rgb >> 8) & 0xFF, kb = (rgb >> 16) & 0xFF;
  return TSteps{kr >> (8 - ch.RedBits), kg >> (8 - ch.GreenBits), kb >> (8 - ch.BlueBits)};
}

// ceil(k / 2^(8 - bits)), at most the channel's largest value (a step of 32
// on a 5-bit channel clears it exactly as 31 does).
uint32_t SubtractStep(uint32_t k, int bits) {
  const int drop = 8 - bits;
  const uint32_t step = (k + (1u << drop) - 1) >> drop;
  return std::min(step, (1u << bits) - 1);
}

TSteps SubtractSteps(const TChannels& ch, TColor rgb) {
  const uint32_t kr = rgb & 0xFF, kg = (rgb >> 8) & 0xFF, kb = (rgb >> 16) & 0xFF;
  return TSteps{SubtractStep(kr, ch.RedBits), SubtractStep(kg, ch.GreenBits), SubtractStep(kb, ch.BlueBits)};
}

// The rectangle cut to the surface; false when nothing is left.
bool ClipToSurface(const TSurface& s, TRect& r) {
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  r.Right = std::min(r.Right, s.Width);
  r.Bottom = std::min(r.Bottom, s.Height);
  return r.Left < r.Right && r.Top < r.Bottom;
}

// ---- one pixel at a time: the rules in narrow-channel form ----

inline uint32_t Field(uint32_t p, int shift, int bits) { return (p >> shift) & ((1u << bits) - 1); }

inline uint16_t AddPixel(uint16_t p, const TChannels& ch, const TSteps& k) {
  const uint32_t r = std::min(Field(p, ch.RedShift, ch.RedBits) + k.R, (1u << ch.RedBits) - 1);
  const uint32_t g = std::min(Field(p, ch.GreenShift, ch.GreenBits) + k.G, (1u << ch.GreenBits) - 1);
  const uint32_t b = std::min(Field(p, ch.BlueShift, ch.BlueBits) + k.B, (1u << ch.BlueBits) - 1);
  return uint16_t((r << ch.RedShift) | (g << ch.GreenShift) | (b << ch.BlueShift));
}

inline uint16_t SubtractPixel(uint16_t p, const TChannels& ch, const TSteps& k) {
  const uint32_t r = Field(p, ch.RedShift, ch.RedBits), g = Field(p, ch.GreenShift, ch.GreenBits),
                 b = Field(p, ch.BlueShift, ch.BlueBits);
  return uint16_t(((r > k.R ? r - k.R : 0) << ch.RedShift) | ((g > k.G ? g - k.G : 0) << ch.GreenShift) |
                  ((b > k.B ? b - k.B : 0) << ch.BlueShift));
}

inline uint16_t AddImagePixel(uint16_t d, uint16_t s, const TChannels& ch, uint32_t a) {
  auto one = [&](int shift, int bits) {
    const uint32_t t = (Field(s, shift, bits) * a) >> 8;
    return std::min(Field(d, shift, bits) + t, (1u << bits) - 1) << shift;
  };
  return uint16_t(one(ch.RedShift, ch.RedBits) | one(ch.GreenShift, ch.GreenBits) | one(ch.BlueShift, ch.BlueBits));
}

#if defined(__SSE2__)

// ---- eight pixels at a time ----

// The masks of the channels in place, and the steps placed in them.
template <TPixelLayout L>
struct TLanes {
  static constexpr TChannels Ch = ChannelsOf(L);
  static constexpr uint16_t RedMask = uint16_t(((1u << Ch.RedBits) - 1) << Ch.RedShift);
  static constexpr uint16_t GreenMask = uint16_t(((1u << Ch.GreenBits) - 1) << Ch.GreenShift);
  static constexpr uint16_t BlueMask = uint16_t(((1u << Ch.BlueBits) - 1) << Ch.BlueShift);
  static constexpr uint16_t AllMask = uint16_t(RedMask | GreenMask | BlueMask);
  static constexpr bool RedOnTop = Ch.RedShift + Ch.RedBits == 16;
};

inline __m128i Set16(uint32_t v) { return _mm_set1_epi16(int16_t(uint16_t(v))); }

// Steps in the channels' places: red and blue together (each lies within
// one byte of the word), green on its own (it spans both bytes).
struct TLaneSteps {
  __m128i RedBlue, Green;
};

// Lowers every channel of eight pixels by its step, stopping at 0. With each
// channel isolated, an unsigned saturating subtract on bytes does red and
// blue at once, and one on 16-bit words does green.
template <TPixelLayout L>
inline __m128i LowerChannels(__m128i p, const TLaneSteps& k) {
  using T = TLanes<L>;
  const __m128i rb = _mm_subs_epu8(_mm_and_si128(p, Set16(T::RedMask | T::BlueMask)), k.RedBlue);
  const __m128i g = _mm_subs_epu16(_mm_and_si128(p, Set16(T::GreenMask)), k.Green);
  return _mm_or_si128(rb, g);
}

// Raising a channel with saturation is lowering its complement:
// min(c + k, top) = top - max((top - c) - k, 0). Bit 15 of a 5-5-5 pixel is
// in no mask and comes out 0.
template <TPixelLayout L>
inline __m128i RaiseChannels(__m128i p, const TLaneSteps& k) {
  using T = TLanes<L>;
  const __m128i rb = _mm_subs_epu8(_mm_andnot_si128(p, Set16(T::RedMask | T::BlueMask)), k.RedBlue);
  const __m128i g = _mm_subs_epu16(_mm_andnot_si128(p, Set16(T::GreenMask)), k.Green);
  return _mm_xor_si128(_mm_or_si128(rb, g), Set16(T::AllMask));
}

template <TPixelLayout L, bool Add>
void SaturateRect(TSurface& frame, const TRect& r, const TSteps& steps) {
  constexpr TChannels ch = ChannelsOf(L);
  const TLaneSteps k{Set16((steps.R << ch.RedShift) | (steps.B << ch.BlueShift)), Set16(steps.G << ch.GreenShift)};
  auto blend = [&](__m128i p) { return Add ? RaiseChannels<L>(p, k) : LowerChannels<L>(p, k); };
  const int32_t n = r.Right - r.Left;
  for (int32_t y = r.Top; y < r.Bottom; ++y) {
    uint16_t* row = frame.Row(y) + r.Left;
    if (n < 8) {
      // A short row through a lane-sized copy: the same arithmetic.
      alignas(16) uint16_t tail[8] = {};
      std::memcpy(tail, row, size_t(n) * 2);
      __m128i* t = reinterpret_cast<__m128i*>(tail);
      _mm_store_si128(t, blend(_mm_load_si128(t)));
      std::memcpy(row, tail, size_t(n) * 2);
      continue;
    }
    // The last eight pixels are read first; written last, their overlap with
    // the run before gets the same values again.
    __m128i* last = reinterpret_cast<__m128i*>(row + n - 8);
    const __m128i lastValue = blend(_mm_loadu_si128(last));
    int32_t i = 0;
    for (; i + 16 <= n; i += 16) {
      __m128i* p = reinterpret_cast<__m128i*>(row + i);
      const __m128i a = blend(_mm_loadu_si128(p));
      const __m128i b = blend(_mm_loadu_si128(p + 1));
      _mm_storeu_si128(p, a);
      _mm_storeu_si128(p + 1, b);
    }
    if (i + 8 <= n) {
      __m128i* p = reinterpret_cast<__m128i*>(row + i);
      _mm_storeu_si128(p, blend(_mm_loadu_si128(p)));
    }
    _mm_storeu_si128(last, lastValue);
  }
}

// floor(c * a / 256) for one channel of eight source pixels, in the
// channel's place. Channels low in the word use the high half of a product
// with a scaled up (exactly the floor); high ones the low half, masked.
template <int ChShift, int Bits>
inline __m128i ScaledChannel(__m128i s, const __m128i& alphaLow, const __m128i& alphaHigh) {
  constexpr uint16_t mask = uint16_t(((1u << Bits) - 1) << ChShift);
  if constexpr (ChShift <= 8) {
    // (c << ChShift) * (a << (8 - ChShift)) >> 16 = floor(c * a / 256)
    const __m128i t = _mm_mulhi_epu16(_mm_and_si128(s, Set16(mask)), alphaLow);
    if constexpr (ChShift == 0) return t;
    else return _mm_slli_epi16(t, ChShift);
  } else {
    // c * (a << (ChShift - 8)) stays below 2^16; its bits from ChShift up are the floor in place
    __m128i c = _mm_srli_epi16(s, ChShift);
    if constexpr (ChShift + Bits < 16) c = _mm_and_si128(c, Set16((1u << Bits) - 1));
    return _mm_and_si128(_mm_mullo_epi16(c, alphaHigh), Set16(mask));
  }
}

// Eight pixels of the image add: d plus the scaled source, each channel
// saturating at its width.
template <TPixelLayout L>
inline __m128i AddImage8(__m128i d, __m128i s, const __m128i& alphaRed, const __m128i& alphaGreen,
                         const __m128i& alphaBlue) {
  constexpr TChannels ch = ChannelsOf(L);
  const TLaneSteps k{_mm_or_si128(ScaledChannel<ch.RedShift, ch.RedBits>(s, alphaRed, alphaRed),
                                  ScaledChannel<ch.BlueShift, ch.BlueBits>(s, alphaBlue, alphaBlue)),
                     ScaledChannel<ch.GreenShift, ch.GreenBits>(s, alphaGreen, alphaGreen)};
  return RaiseChannels<L>(d, k);
}

// The factor each channel's product takes: a shifted to meet the channel.
constexpr uint32_t AlphaFactor(int chShift, uint32_t a) {
  return chShift <= 8 ? a << (8 - chShift) : a << (chShift - 8);
}

// n destination pixels of one row from n source pixels; keyed pixels stay.
template <TPixelLayout L, bool Keyed>
void AddImageRow(uint16_t* dst, const uint16_t* src, int32_t n, uint32_t a, uint16_t key) {
  constexpr TChannels ch = ChannelsOf(L);
  const __m128i ar = Set16(AlphaFactor(ch.RedShift, a)), ag = Set16(AlphaFactor(ch.GreenShift, a)),
                ab = Set16(AlphaFactor(ch.BlueShift, a)), keys = Set16(key);
  auto eight = [&](__m128i d, __m128i s) {
    if constexpr (!Keyed) {
      return AddImage8<L>(d, s, ar, ag, ab);
    } else if constexpr (L == TPixelLayout::Layout565) {
      // A black source adds nothing and every bit is a channel bit, so keyed
      // pixels can simply be added as black.
      const __m128i skip = _mm_cmpeq_epi16(s, keys);
      return AddImage8<L>(d, _mm_andnot_si128(skip, s), ar, ag, ab);
    } else {
      // Keyed pixels keep their bit 15 too.
      const __m128i skip = _mm_cmpeq_epi16(s, keys);
      const __m128i v = AddImage8<L>(d, s, ar, ag, ab);
      return _mm_or_si128(_mm_and_si128(skip, d), _mm_andnot_si128(skip, v));
    }
  };
  auto load = [](const uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  if (n < 8) {
    alignas(16) uint16_t dt[8] = {}, st[8] = {};
    std::memcpy(dt, dst, size_t(n) * 2);
    std::memcpy(st, src, size_t(n) * 2);
    _mm_store_si128(reinterpret_cast<__m128i*>(dt), eight(load(dt), load(st)));
    std::memcpy(dst, dt, size_t(n) * 2);
    return;
  }
  // The last eight first, stored last (see SaturateRect).
  const __m128i lastValue = eight(load(dst + n - 8), load(src + n - 8));
  for (int32_t i = 0; i + 8 <= n; i += 8)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), eight(load(dst + i), load(src + i)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + n - 8), lastValue);
}

#endif  // __SSE2__

template <TPixelLayout L, bool Add>
void BlendRect(TSurface& frame, const TRect& r, const TSteps& k) {
#if defined(__SSE2__)
  SaturateRect<L, Add>(frame, r, k);
#else
  constexpr TChannels ch = ChannelsOf(L);
  for (int32_t y = r.Top; y < r.Bottom; ++y) {
    uint16_t* row = frame.Row(y);
    for (int32_t x = r.Left; x < r.Right; ++x) row[x] = Add ? AddPixel(row[x], ch, k) : SubtractPixel(row[x], ch, k);
  }
#endif
}

template <bool Add>
void BlendColor(TSurface& frame, TRect R, TColor rgb) {
  if ((rgb & 0xFFFFFF) == 0) return;
  if (R.Left >= R.Right || R.Top >= R.Bottom) return;
  if (!frame.Exists() || !ClipToSurface(frame, R)) return;
  const TChannels ch = ChannelsOf(frame.Layout);
  const TSteps k = Add ? AddSteps(ch, rgb) : SubtractSteps(ch, rgb);
  if (frame.Layout == TPixelLayout::Layout565)
    BlendRect<TPixelLayout::Layout565, Add>(frame, R, k);
  else
    BlendRect<TPixelLayout::Layout555, Add>(frame, R, k);
}

template <TPixelLayout L, bool Keyed>
void AddRow(uint16_t* dst, const uint16_t* src, int32_t n, uint32_t a, uint16_t key) {
#if defined(__SSE2__)
  AddImageRow<L, Keyed>(dst, src, n, a, key);
#else
  constexpr TChannels ch = ChannelsOf(L);
  for (int32_t i = 0; i < n; ++i)
    if (!Keyed || src[i] != key) dst[i] = AddImagePixel(dst[i], src[i], ch, a);
#endif
}

using TAddRow = void (*)(uint16_t*, const uint16_t*, int32_t, uint32_t, uint16_t);

TAddRow PickAddRow(TPixelLayout layout, bool keyed) {
  if (layout == TPixelLayout::Layout565)
    return keyed ? AddRow<TPixelLayout::Layout565, true> : AddRow<TPixelLayout::Layout565, false>;
  return keyed ? AddRow<TPixelLayout::Layout555, true> : AddRow<TPixelLayout::Layout555, false>;
}

const TPictureCollectionItem* DrawableImage(const TSurface& frame, const TDXImageList& list, int index) {
  if (!list.Prepared || index < 0 || index >= ImageCount || !frame.Exists()) return nullptr;
  const TPictureCollectionItem& item = list.Items[size_t(index)];
  return item.Surface.Exists() ? &item : nullptr;
}

}  // namespace

void AddToRect(TSurface& frame, TRect R, TColor rgb) { BlendColor<true>(frame, R, rgb); }

void SubtractFromRect(TSurface& frame, TRect R, TColor rgb) { BlendColor<false>(frame, R, rgb); }

void DrawImage(TSurface& frame, const TDXImageList& list, int index, int32_t x, int32_t y) {
  const TPictureCollectionItem* item = DrawableImage(frame, list, index);
  if (item == nullptr) return;
  CopySurfaceRect(&frame, x, y, TRect{0, 0, item->Surface.Width, item->Surface.Height}, &item->Surface,
                  item->Transparent);
}

void DrawImageAdd(TSurface& frame, const TDXImageList& list, int index, TRect D, int32_t pattern, int32_t alpha) {
  (void)pattern;  // one pattern per image: the whole picture
  const TPictureCollectionItem* item = DrawableImage(frame, list, index);
  if (item == nullptr) return;
  if (D.Left >= D.Right || D.Top >= D.Bottom) return;
  const TSurface& image = item->Surface;
  const uint32_t a = uint32_t(alpha) & 0xFF;
  // 16.16 steps through the image per destination pixel.
  const int64_t dw = int64_t(D.Right) - D.Left, dh = int64_t(D.Bottom) - D.Top;
  const uint64_t sx = uint64_t(image.Width) * 65536u / uint64_t(dw);
  const uint64_t sy = uint64_t(image.Height) * 65536u / uint64_t(dh);
  // Columns and rows cut off at the left and top, then the visible part.
  const int64_t cx = std::max<int64_t>(0, -int64_t(D.Left)), cy = std::max<int64_t>(0, -int64_t(D.Top));
  const int32_t left = std::max(D.Left, 0), top = std::max(D.Top, 0);
  const int32_t right = std::min(D.Right, frame.Width), bottom = std::min(D.Bottom, frame.Height);
  if (left >= right || top >= bottom) return;
  const int32_t n = right - left;  // at most the frame's width

  // Source column of each destination column, once per call.
  constexpr int32_t MaxColumns = 4096;
  if (n > MaxColumns) return;  // wider than any frame surface
  uint16_t columns[MaxColumns];
  for (int32_t i = 0; i < n; ++i) columns[i] = uint16_t((sx * uint64_t(cx + i)) >> 16);
  // A one-to-one stretch reads the image row in place; others gather it.
  const bool direct = sx == 65536;
  uint16_t gathered[MaxColumns];

  const TAddRow addRow = PickAddRow(frame.Layout, item->Transparent);
  const uint16_t key = uint16_t(image.ColorKey);
  int64_t lastRow = -1;
  for (int32_t j = 0; j < bottom - top; ++j) {
    const int64_t sr = int64_t((sy * uint64_t(cy + j)) >> 16);
    const uint16_t* src = image.Row(int32_t(sr));
    if (direct) {
      src += columns[0];
    } else {
      if (sr != lastRow)
        for (int32_t i = 0; i < n; ++i) gathered[i] = src[columns[i]];
      lastRow = sr;
      src = gathered;
    }
    addRow(frame.Row(top + j) + left, src, n, a, key);
  }
}
