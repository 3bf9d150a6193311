// One frame of scene 5 and of scene 7 on the headless display, each beside
// a memcpy of the 393,216-byte frame surface: the "memcpys" counter is the
// frame's cost in surface copies, both in this thread's CPU time.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <vector>

#include "platform/headless/headless_show.h"

namespace {

constexpr size_t SurfaceBytes = 512 * 384 * 2;

// This thread's CPU time: other work on a shared machine does not count.
double ThreadNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// A memcpy of the surface is timed after every frame, so that both figures
// see the same load on a shared machine. It is timed warm, as in the plain
// memcpy benchmark: the first copy brings both buffers into the cache.
struct TMemcpyBaseline {
  std::vector<uint8_t> From = std::vector<uint8_t>(SurfaceBytes, 1);
  std::vector<uint8_t> To = std::vector<uint8_t>(SurfaceBytes);
  double Total = 0.0;
  void Time() {
    std::memcpy(To.data(), From.data(), SurfaceBytes);
    benchmark::ClobberMemory();
    const double t0 = ThreadNanoseconds();
    std::memcpy(To.data(), From.data(), SurfaceBytes);
    benchmark::DoNotOptimize(To.data());
    benchmark::ClobberMemory();
    Total += ThreadNanoseconds() - t0;
  }
};

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
  TMemcpyBaseline baseline;
  double frames = 0.0;
  for (auto _ : state) {
    const double t0 = ThreadNanoseconds();
    frame(f);
    benchmark::ClobberMemory();
    frames += ThreadNanoseconds() - t0;
    state.PauseTiming();
    baseline.Time();
    state.ResumeTiming();
  }
  if (baseline.Total > 0.0) state.counters["memcpys"] = frames / baseline.Total;
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

namespace {

// The layers alone, to show where a frame's time goes.
void BM_GlowSwarmOnly(benchmark::State& state) {
  RunFrames(state, "-scene5", [calls = 0](TForm1& f) mutable {
    // Fresh start values every 1200 calls, as often as the scene renews them.
    if (++calls > 1200) {
      calls = 1;
      f.SetGlowStartValues();
    }
    f.DrawGlows(calls);
  });
}
BENCHMARK(BM_GlowSwarmOnly);

void BM_StreakBandOnly(benchmark::State& state) {
  RunFrames(state, "-scene7", [](TForm1& f) { f.DrawStreaks(); });
}
BENCHMARK(BM_StreakBandOnly);

}  // namespace
