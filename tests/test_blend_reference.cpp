// The fast blending paths against the plain rules, bit for bit: every 16-bit
// pixel value, a spread of colours and strengths, random rectangles with
// clipping, both layouts, a pitch wider than the pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/blend.h"
#include "tests/test_blend_reference.h"

namespace {

constexpr TPixelLayout Layouts[] = {TPixelLayout::Layout565, TPixelLayout::Layout555};
constexpr int32_t Pitch = 1056;  // wider than 1024: the bytes past the pixels must stay

// A small fixed generator, so the cases are the same on every run.
struct Rng {
  uint64_t s = 0x9E3779B97F4A7C15ull;
  uint32_t Next() {
    s ^= s << 13, s ^= s >> 7, s ^= s << 17;
    return uint32_t(s >> 16);
  }
  int32_t Range(int32_t lo, int32_t hi) { return lo + int32_t(Next() % uint32_t(hi - lo + 1)); }
};

// A frame whose pixels hold every 16-bit value in turn (offset by start), with
// the padding past each row's pixels marked.
TSurface PatternFrame(TPixelLayout layout, uint32_t start, uint32_t stride) {
  TSurface f;
  f.Allocate(512, 384, layout, Pitch);
  std::memset(f.Storage.data(), 0xA5, f.Storage.size());
  for (int y = 0; y < 384; ++y)
    for (int x = 0; x < 512; ++x) f.Row(y)[x] = uint16_t(start + uint32_t(y * 512 + x) * stride);
  return f;
}

::testing::AssertionResult SameFrames(const TSurface& got, const TSurface& want) {
  for (int y = 0; y < want.Height; ++y) {
    if (std::memcmp(got.Row(y), want.Row(y), size_t(want.Pitch)) == 0) continue;
    for (int x = 0; x < want.Pitch / 2; ++x)
      if (got.Row(y)[x] != want.Row(y)[x])
        return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << "): got 0x" << std::hex
                                             << got.Row(y)[x] << ", want 0x" << want.Row(y)[x];
  }
  return ::testing::AssertionSuccess();
}

const TColor Colours[] = {
    0x000001, 0x000100, 0x010000, 0x010101, 0x070707, 0x080808, 0x030303, 0x040404, 0x0A020A, 0x0F0F0F,
    0x101010, 0x7F7F7F, 0x808080, 0xF8FCF8, 0xF9FDF9, 0xFEFEFE, 0xFFFFFF, 0x00FF00, 0xFF0000, 0x0000FF,
    0x123456, 0xABCDEF, 0xC0FFEE, 0x1000001, 0xFF00FF07, 0x3C2814,
};

TEST(BlendAgainstRules, AddAndSubtractEveryPixelValueWithManyColours) {
  for (TPixelLayout layout : Layouts)
    for (TColor c : Colours) {
      // 512 x 384 pixels cover all 65,536 values three times over (the rows after the first 128 repeat).
      TSurface fast = PatternFrame(layout, 0, 1), want = fast;
      AddToRect(fast, TRect{0, 0, 512, 384}, c);
      ref::BlendRect<true>(want, TRect{0, 0, 512, 384}, c);
      EXPECT_TRUE(SameFrames(fast, want)) << "add 0x" << std::hex << c << (layout == TPixelLayout::Layout565 ? " 565" : " 555");
      fast = PatternFrame(layout, 0, 1), want = fast;
      SubtractFromRect(fast, TRect{0, 0, 512, 384}, c);
      ref::BlendRect<false>(want, TRect{0, 0, 512, 384}, c);
      EXPECT_TRUE(SameFrames(fast, want)) << "subtract 0x" << std::hex << c;
    }
}

TEST(BlendAgainstRules, AddAndSubtractRandomRectanglesWithClipping) {
  Rng rng;
  for (TPixelLayout layout : Layouts) {
    TSurface fast = PatternFrame(layout, 12345, 40503), want = fast;
    for (int k = 0; k < 400; ++k) {
      const int32_t x = rng.Range(-600, 600), y = rng.Range(-450, 450);
      const TRect r{x, y, x + rng.Range(-20, 700), y + rng.Range(-20, 500)};
      const TColor c = rng.Next() | (rng.Next() << 16);
      if (k % 2 == 0) {
        AddToRect(fast, r, c);
        ref::BlendRect<true>(want, r, c);
      } else {
        SubtractFromRect(fast, r, c);
        ref::BlendRect<false>(want, r, c);
      }
      ASSERT_TRUE(SameFrames(fast, want)) << "case " << k << " rect " << r.Left << "," << r.Top << "," << r.Right
                                          << "," << r.Bottom;
    }
  }
}

// An image list with one prepared item holding the given surface.
TDXImageList ListWith(const TSurface& image, bool transparent, int index = 8) {
  TDXImageList list;
  list.Items[size_t(index)].Surface = image;
  list.Items[size_t(index)].Transparent = transparent;
  list.Prepared = true;
  return list;
}

TEST(BlendAgainstRules, ImageAddEverySourceValueOntoVariedPixels) {
  const int alphas[] = {0, 1, 2, 7, 8, 31, 32, 64, 100, 127, 128, 129, 200, 254, 255, 256, 511, -1};
  for (TPixelLayout layout : Layouts) {
    TSurface image;
    image.Allocate(256, 256, layout);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) image.Row(y)[x] = uint16_t(y * 256 + x);
    image.ColorKey = 0x28A2;
    for (bool keyed : {false, true}) {
      const TDXImageList list = ListWith(image, keyed);
      for (int a : alphas)
        for (uint32_t stride : {1u, 40503u}) {
          TSurface fast = PatternFrame(layout, 777, stride), want = fast;
          DrawImageAdd(fast, list, 8, TRect{0, 0, 256, 256}, 0, a);
          DrawImageAdd(fast, list, 8, TRect{256, 64, 512, 320}, 0, a);
          ref::DrawImageAdd(want, image, keyed, TRect{0, 0, 256, 256}, a);
          ref::DrawImageAdd(want, image, keyed, TRect{256, 64, 512, 320}, a);
          ASSERT_TRUE(SameFrames(fast, want)) << "alpha " << a << " keyed " << keyed << " stride " << stride;
        }
    }
  }
}

TEST(BlendAgainstRules, ImageAddRandomStretchesAndClipping) {
  Rng rng;
  for (TPixelLayout layout : Layouts)
    for (int k = 0; k < 160; ++k) {
      TSurface image;
      image.Allocate(rng.Range(1, 120), rng.Range(1, 120), layout);
      for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) image.Row(y)[x] = uint16_t(rng.Range(0, 5) == 0 ? 0 : rng.Next());
      image.ColorKey = k % 3 == 0 ? 0 : image.Row(0)[0];
      const TDXImageList list = ListWith(image, k % 2 == 0);
      const int32_t x = rng.Range(-300, 560), y = rng.Range(-200, 420);
      TRect d{x, y, x + rng.Range(-3, 400), y + rng.Range(-3, 300)};
      if (k % 50 == 7) d = TRect{-2000000000, -2000000000, 2000000000, 2000000000};
      const int a = rng.Range(0, 300);
      TSurface fast = PatternFrame(layout, uint32_t(k), 40503), want = fast;
      DrawImageAdd(fast, list, 8, d, 0, a);
      ref::DrawImageAdd(want, image, k % 2 == 0, d, a);
      ASSERT_TRUE(SameFrames(fast, want)) << "case " << k << " image " << image.Width << "x" << image.Height
                                          << " into " << d.Left << "," << d.Top << "," << d.Right << "," << d.Bottom;
    }
}

}  // namespace
