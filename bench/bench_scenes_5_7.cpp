// One frame of scene 5 and of scene 7 on the headless display, each beside
// a memcpy of the 393,216-byte frame surface: the "memcpys" counter is the
// frame's cost in surface copies.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "platform/headless/headless_show.h"

namespace {

constexpr size_t SurfaceBytes = 512 * 384 * 2;

// Nanoseconds of one memcpy of the surface, measured once.
double MemcpyNanoseconds() {
  static const double ns = [] {
    std::vector<uint8_t> a(SurfaceBytes, 1), b(SurfaceBytes);
    const int reps = 2000;
    for (int i = 0; i < 50; ++i) std::memcpy(b.data(), a.data(), SurfaceBytes);
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i) {
      std::memcpy(b.data(), a.data(), SurfaceBytes);
      benchmark::DoNotOptimize(b.data());
      benchmark::ClobberMemory();
    }
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(t1 - t0).count() / reps;
  }();
  return ns;
}

void ReportMemcpys(benchmark::State& state, double frameNs) {
  state.counters["memcpys"] = frameNs / MemcpyNanoseconds();
}

void BM_Scenes57_MemcpySurface(benchmark::State& state) {
  std::vector<uint8_t> a(SurfaceBytes, 1), b(SurfaceBytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), SurfaceBytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Scenes57_MemcpySurface);

// The scene is kept inside its range so every frame is an ordinary one of
// the scene; both halves (or the fade) take their share of frames.
template <typename Frame>
void RunFrames(benchmark::State& state, const char* option, Frame frame) {
  THeadlessShow show({"-nosound", option}, 1u);
  if (!show.Start()) {
    state.SkipWithError("show did not start");
    return;
  }
  show.Tick(0);  // the program's first frame, with its glyphs cached
  TForm1& f = *show.Form;
  f.TimeStep = 1.0;
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) {
    frame(f);
    benchmark::ClobberMemory();
  }
  const auto t1 = std::chrono::steady_clock::now();
  if (state.iterations() > 0)
    ReportMemcpys(state, std::chrono::duration<double, std::nano>(t1 - t0).count() / double(state.iterations()));
}

void BM_Scene5Frame(benchmark::State& state) {
  RunFrames(state, "-scene5", [](TForm1& f) {
    if (f.Scene != 5) {
      f.Scene = 5;
      f.Scene5Position = 0.0;
      f.GlowsRenewed = false;
    }
    f.RunScene5();
  });
}
BENCHMARK(BM_Scene5Frame);

void BM_Scene7Frame(benchmark::State& state) {
  RunFrames(state, "-scene7", [](TForm1& f) {
    if (f.Scene != 7) {
      f.Scene = 7;
      f.Scene7Clock = 2.0;
    }
    f.RunScene7();
  });
}
BENCHMARK(BM_Scene7Frame);

}  // namespace
