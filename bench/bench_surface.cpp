// The cost of the frame surface operations, beside a memcpy of the surface.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "render/surface.h"

namespace {

void BM_MemcpySurface(benchmark::State& state) {
  std::vector<uint8_t> a(512 * 384 * 2, 1), b(512 * 384 * 2);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MemcpySurface);

void BM_FillSurface(benchmark::State& state) {
  TSurface s;
  s.Allocate(512, 384, TPixelLayout::Layout565);
  for (auto _ : state) {
    FillSurface(s, 0xFC18);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FillSurface);

void BM_SelfCopyDownRight(benchmark::State& state) {
  TSurface s;
  s.Allocate(512, 384, TPixelLayout::Layout565);
  for (auto _ : state) {
    CopySurface(&s, 2, 2, &s, false);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SelfCopyDownRight);

}  // namespace
