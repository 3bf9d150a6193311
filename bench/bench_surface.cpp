// The cost of the frame surface operations, beside a memcpy of the surface
// (393,216 bytes) as the baseline: the "memcpys" counter is each
// operation's cost in surface memcpys, and bytes per second compare too.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "bench_common.h"
#include "render/plot.h"
#include "render/surface.h"

namespace {

using bench::SurfaceBytes;

// Nanoseconds of one warm memcpy of the surface: the best of a few batches.
double MemcpyNanoseconds() {
  static const double ns = [] {
    std::vector<uint8_t> a(SurfaceBytes, 1), b(SurfaceBytes);
    double best = 1e30;
    for (int batch = 0; batch < 5; ++batch) {
      const auto t0 = std::chrono::steady_clock::now();
      for (int i = 0; i < 200; ++i) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
      }
      best = std::min(best, std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() / 200);
    }
    return best;
  }();
  return ns;
}

// Runs op once per iteration and reports its cost beside the memcpy.
template <typename Op>
void Measure(benchmark::State& state, Op&& op) {
  const double baseline = MemcpyNanoseconds();
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    op();
    benchmark::ClobberMemory();
  }
  const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() /
                    double(std::max<int64_t>(1, int64_t(state.iterations())));
  state.counters["memcpys"] = ns / baseline;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(SurfaceBytes));
}

TSurface MakeSurface(int32_t pitch = 0) {
  TSurface s;
  s.Allocate(512, 384, TPixelLayout::Layout565, pitch);
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x) s.Row(y)[x] = uint16_t(x * 7 + y * 13);
  return s;
}

void BM_MemcpySurface(benchmark::State& state) {
  std::vector<uint8_t> a(SurfaceBytes, 1), b(SurfaceBytes);
  Measure(state, [&] {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  });
}
BENCHMARK(BM_MemcpySurface);

void BM_FillSurface(benchmark::State& state) {
  TSurface s = MakeSurface();
  Measure(state, [&] {
    FillSurface(s, 0xFC18);
    benchmark::DoNotOptimize(s.Storage.data());
  });
}
BENCHMARK(BM_FillSurface);

// The whole surface onto itself two pixels down and right (scene feedback).
void BM_SelfCopyDownRight(benchmark::State& state) {
  TSurface s = MakeSurface();
  Measure(state, [&] { CopySurface(&s, 2, 2, &s, false); });
}
BENCHMARK(BM_SelfCopyDownRight);

// Rows moving up: read top to bottom.
void BM_SelfCopyUp(benchmark::State& state) {
  TSurface s = MakeSurface();
  Measure(state, [&] { CopySurfaceRect(&s, 0, 0, SizedRect(0, 3, 512, 384), &s, false); });
}
BENCHMARK(BM_SelfCopyUp);

// Along the same rows, two pixels right, in two halves.
void BM_SelfCopySideways(benchmark::State& state) {
  TSurface s = MakeSurface();
  Measure(state, [&] {
    CopySurfaceRect(&s, 258, 0, SizedRect(256, 0, 512, 384), &s, false);
    CopySurfaceRect(&s, 2, 0, SizedRect(0, 0, 256, 384), &s, false);
  });
}
BENCHMARK(BM_SelfCopySideways);

// Into another surface whose pitch is wider than its rows.
void BM_CopyOtherSurface(benchmark::State& state) {
  TSurface a = MakeSurface(), b = MakeSurface(1100);
  Measure(state, [&] { CopySurface(&b, 0, 0, &a, false); });
}
BENCHMARK(BM_CopyOtherSurface);

// A transparent copy whose source has the key on a third of its pixels.
void BM_CopyKeyed(benchmark::State& state) {
  TSurface a = MakeSurface(), b = MakeSurface();
  a.ColorKey = 0;
  for (int32_t y = 0; y < 384; ++y)
    for (int32_t x = 0; x < 512; ++x)
      if ((x + y) % 3 == 0) a.Row(y)[x] = 0;
  Measure(state, [&] { CopySurface(&b, 0, 0, &a, true); });
}
BENCHMARK(BM_CopyKeyed);

void BM_SelfCopyKeyedDownRight(benchmark::State& state) {
  TSurface s = MakeSurface();
  s.ColorKey = 5;
  Measure(state, [&] { CopySurface(&s, 2, 2, &s, true); });
}
BENCHMARK(BM_SelfCopyKeyedDownRight);

// A keyed copy along the same rows, which goes pixel by pixel.
void BM_SelfCopyKeyedSideways(benchmark::State& state) {
  TSurface s = MakeSurface();
  s.ColorKey = 5;
  Measure(state, [&] { CopySurfaceRect(&s, 2, 0, SizedRect(0, 0, 512, 384), &s, true); });
}
BENCHMARK(BM_SelfCopyKeyedSideways);

// 38,401 plots at generator-random places, as scene 1 makes per frame.
void BM_PlotPixels(benchmark::State& state) {
  TSurface s = MakeSurface();
  Measure(state, [&] {
    uint32_t seed = 1;
    LockSurface(s);
    for (int i = 0; i <= 38400; ++i) {
      seed = seed * 134775813u + 1u;
      const int32_t y = int32_t((uint64_t(seed) * 384u) >> 32);
      seed = seed * 134775813u + 1u;
      const int32_t x = int32_t((uint64_t(seed) * 512u) >> 32);
      PlotPixel(x, y, 0x8080);
    }
    UnlockSurface();
  });
}
BENCHMARK(BM_PlotPixels);

}  // namespace
