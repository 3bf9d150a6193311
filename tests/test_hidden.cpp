// The hidden scene: the sprinkle, the smear, its random draws, and that it
// never ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/random.h"
#include "platform/headless/headless_show.h"
#include "render/plot.h"
#include "scenes/scene_steps.h"

namespace {

uint32_t AdvanceSeed(uint32_t seed, int draws) {
  for (int k = 0; k < draws; ++k) seed = seed * 134775813u + 1u;
  return seed;
}

TEST(HiddenSprinkle, Plots4000PixelsColourThenYThenX) {
  for (TPixelLayout layout : {TPixelLayout::Layout565, TPixelLayout::Layout555}) {
    constexpr uint16_t Marker = 0xFFFF;  // no sprinkle colour converts to it: blue stays below 128
    TSurface s;
    s.Allocate(512, 384, layout, 1030);
    std::memset(s.Storage.data(), 0x33, s.Storage.size());
    FillSurface(s, Marker);
    RandSeed = 4242;
    ASSERT_TRUE(LockSurface(s));
    PlotSprinkle();
    UnlockSurface();
    EXPECT_EQ(RandSeed, AdvanceSeed(4242, 3 * 4000));

    std::vector<uint32_t> want(512 * 384, Marker);
    RandSeed = 4242;
    for (int k = 1; k <= 4000; ++k) {
      const TColor c = TColor(RandomBelow(0x800000));
      ASSERT_EQ(c & 0x800000u, 0u);  // the top bit of blue is never set
      const int32_t y = RandomBelow(384);
      const int32_t x = RandomBelow(512);
      want[size_t(y) * 512 + size_t(x)] = ConvertColor(layout, c);
    }
    for (int32_t y = 0; y < 384; ++y) {
      for (int32_t x = 0; x < 512; ++x) ASSERT_EQ(s.Pixel(x, y), want[size_t(y) * 512 + size_t(x)]) << x << "," << y;
      for (int32_t b = 1024; b < s.Pitch; ++b) ASSERT_EQ(s.Storage[size_t(y) * s.Pitch + b], 0x33);
    }
  }
}

TEST(HiddenSmear, MovesUpDownLeftAndRightAsIfEachCopyReadItsSourceFirst) {
  TSurface s;
  s.Allocate(512, 384, TPixelLayout::Layout565);
  auto tag = [](int32_t x, int32_t y) { return uint16_t(x * 3 + y * 1031); };
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) s.Row(y)[x] = tag(x, y);
  SmearHidden(s);

  // Where each pixel's value came from, following the four copies in turn.
  struct TFrom { int32_t x, y; };
  std::vector<TFrom> from(512 * 384);
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) from[size_t(y) * 512 + x] = {x, y};
  auto copy = [&](int32_t dx, int32_t dy, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
    const std::vector<TFrom> before = from;  // every source pixel read before any write
    for (int32_t y = y0; y <= y1; ++y)
      for (int32_t x = x0; x <= x1; ++x) from[size_t(y + dy) * 512 + (x + dx)] = before[size_t(y) * 512 + x];
  };
  copy(0, -2, 0, 511, 2, 193);    // rows 2-193 to 0-191
  copy(0, 3, 0, 511, 192, 380);   // rows 192-380 to 195-383
  copy(-2, 0, 2, 257, 0, 383);    // columns 2-257 to 0-255
  copy(2, 0, 256, 509, 0, 383);   // columns 256-509 to 258-511
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) {
      const TFrom f = from[size_t(y) * 512 + x];
      ASSERT_EQ(s.Pixel(x, y), tag(f.x, f.y)) << x << "," << y;
    }
  // Rows 192-194 are written by neither vertical copy: they keep their own
  // rows (moved sideways only).
  EXPECT_EQ(from[193 * 512 + 100].y, 193);
  EXPECT_EQ(from[193 * 512 + 257].x, 257);  // columns 256-257 are not written sideways
}

TEST(HiddenScene, NeverEndsWhateverTheTimeStep) {
  THeadlessShow show({"-scene0", "-nosound", "-loop"}, 11u);
  ASSERT_TRUE(show.Start());
  ASSERT_EQ(show.Form->Scene, 99);
  const uint32_t work[] = {0, 3, 100, 2000, 0};
  for (int frame = 0; frame < 2000; ++frame) {
    const uint32_t before = RandSeed;
    show.Tick(work[frame % 5]);
    ASSERT_EQ(show.Form->Scene, 99) << frame;
    // The sprinkle's three draws per pixel, then the band's three.
    ASSERT_EQ(RandSeed, AdvanceSeed(before, 3 * 4000 + 3)) << frame;
  }
  EXPECT_FALSE(show.Ended());
}

TEST(HiddenScene, BandAlwaysCoversColumns140To353) {
  THeadlessShow show({"-scene0", "-nosound"}, 11u);
  ASSERT_TRUE(show.Start());
  show.Form->TimeStep = 1.0;
  for (int frame = 0; frame < 5; ++frame) {
    FillSurface(show.Form->DXDraw1.Surface, 0);
    const uint32_t before = RandSeed;
    show.Form->RunHiddenScene();
    RandSeed = AdvanceSeed(before, 3 * 4000);
    const int32_t w = RandomBelow(100), b = RandomBelow(100), k = RandomBelow(9) + 105;
    const TSurface& f = show.Form->DXDraw1.Surface;
    const int32_t right = std::min(140 - b + 412 - w, 512);
    ASSERT_LE(140 - b, 140);
    ASSERT_GE(right, 354);
    for (int32_t y = 0; y < 384; ++y)
      for (int32_t x = 140 - b; x < right; ++x) ASSERT_GE(f.Pixel(x, y) >> 11, k >> 3) << x << "," << y;
    // Left of the band the cleared frame keeps mostly black.
    int black = 0;
    for (int32_t y = 0; y < 384; ++y) black += (f.Pixel(139 - b, y) >> 11) == 0;
    EXPECT_GT(black, 300) << frame;
  }
}

}  // namespace
