// The cost of blending, to read beside BM_MemcpySurface, a memcpy of the
// whole 393,216-byte surface: a full-surface add or subtract should stay
// within 4 memcpys, and the 40 glows of 100 x 100 that a frame may hold
// within 20 together.
#include <benchmark/benchmark.h>

#include "render/blend.h"

namespace {

TSurface PatternFrame(TPixelLayout layout) {
  TSurface f;
  f.Allocate(512, 384, layout);
  for (int y = 0; y < 384; ++y)
    for (int x = 0; x < 512; ++x) f.Row(y)[x] = uint16_t(x * 131 + y * 977);
  return f;
}

void BM_AddToRect_FullSurface(benchmark::State& state) {
  TSurface f = PatternFrame(TPixelLayout(state.range(0)));
  for (auto _ : state) {
    AddToRect(f, TRect{0, 0, 512, 384}, RGB(9, 5, 17));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_AddToRect_FullSurface)->Arg(0)->Arg(1)->ArgName("layout555");

void BM_SubtractFromRect_FullSurface(benchmark::State& state) {
  TSurface f = PatternFrame(TPixelLayout(state.range(0)));
  for (auto _ : state) {
    SubtractFromRect(f, TRect{0, 0, 512, 384}, RGB(3, 9, 1));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SubtractFromRect_FullSurface)->Arg(0)->Arg(1)->ArgName("layout555");

// A prepared list whose item 8 is a 100 x 100 burst-like image with a key.
TDXImageList GlowList(TPixelLayout layout, int w, int h) {
  TDXImageList list;
  TSurface& img = list.Items[8].Surface;
  img.Allocate(w, h, layout);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.Row(y)[x] = uint16_t((x * 40503u) ^ (y * 2654435761u));
  img.ColorKey = img.Row(0)[0];
  list.Items[8].Transparent = true;
  list.Prepared = true;
  return list;
}

// 40 glows of 100 x 100 at scattered places, some cut by the edges.
void BM_DrawImageAdd_40Glows100(benchmark::State& state) {
  const TPixelLayout layout = TPixelLayout(state.range(0));
  TSurface f = PatternFrame(layout);
  const TDXImageList list = GlowList(layout, 100, 100);
  for (auto _ : state) {
    for (int k = 0; k < 40; ++k) {
      const int x = (k * 97) % 560 - 60, y = (k * 61) % 420 - 40;
      DrawImageAdd(f, list, 8, SizedRect(x, y, 100, 100), 0, 90 + k);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawImageAdd_40Glows100)->Arg(0)->Arg(1)->ArgName("layout555");

// Streaks and sparks: the image shrunk into small rectangles, and a wide stretch.
void BM_DrawImageAdd_Stretched(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1)), count = int(state.range(2));
  TSurface f = PatternFrame(TPixelLayout::Layout565);
  const TDXImageList list = GlowList(TPixelLayout::Layout565, 100, 100);
  for (auto _ : state) {
    for (int k = 0; k < count; ++k) {
      const int x = (k * 37) % 540 - 20, y = (k * 53) % 400 - 10;
      DrawImageAdd(f, list, 8, SizedRect(x, y, w, h), 0, 200);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DrawImageAdd_Stretched)->Args({20, 10, 181})->Args({8, 8, 474})->Args({605, 120, 1});

}  // namespace
