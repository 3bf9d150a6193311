// One frame of scene 1, of scene 3 in each plasma mode and of the hidden
// scene on the headless display, each beside a memcpy of the 393,216-byte
// frame surface: the "memcpys" counter is the frame's cost in surface copies,
// both timed in this thread's CPU time so that a shared machine's load
// weighs on both alike. Presenting on the headless display only counts.
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <vector>

#include "music/beat.h"
#include "platform/headless/headless_show.h"

namespace {

constexpr size_t SurfaceBytes = 512 * 384 * 2;

double ThreadNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

void BM_Scenes130_MemcpySurface(benchmark::State& state) {
  std::vector<uint8_t> a(SurfaceBytes, 1), b(SurfaceBytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), SurfaceBytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Scenes130_MemcpySurface);

// A warm memcpy of the surface, timed after every frame.
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

// prepare puts the scene's state where an ordinary frame of it starts;
// frame runs the scene routine.
template <typename Prepare, typename Frame>
void RunFrames(benchmark::State& state, const char* option, Prepare prepare, Frame frame) {
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
    prepare(f);
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

void BM_Scene1Frame(benchmark::State& state) {
  // Mid-scene, the sparks flying; the scroller runs its course and is put back.
  RunFrames(
      state, "-scene1",
      [](TForm1& f) {
        f.Scene1Clock = 100.0;
        if (f.ScrollRows[20].Y < -380) f.SetScrollStartValues();
      },
      [](TForm1& f) { f.RunScene1(); });
}
BENCHMARK(BM_Scene1Frame);

void BM_Scene3Frame(benchmark::State& state, double clock) {
  RunFrames(
      state, "-scene3",
      [clock](TForm1& f) {
        f.Scene3Clock = clock;
        StoreBeat(240);
      },
      [](TForm1& f) { f.RunScene3(); });
}
BENCHMARK_CAPTURE(BM_Scene3Frame, ModeA, 5.0);
BENCHMARK_CAPTURE(BM_Scene3Frame, ModeB, 25.0);

void BM_HiddenSceneFrame(benchmark::State& state) {
  RunFrames(
      state, "-scene0",
      [](TForm1& f) {
        if (f.ScrollRows[60].Y < -380) f.SetScrollStartValues();
      },
      [](TForm1& f) { f.RunHiddenScene(); });
}
BENCHMARK(BM_HiddenSceneFrame);

}  // namespace
