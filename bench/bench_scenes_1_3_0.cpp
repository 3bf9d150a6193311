// One frame of scene 1, of scene 3 in each plasma mode and of the hidden
// scene on the headless display, each beside a memcpy of the 393,216-byte
// frame surface: the "memcpys" counter is the frame's cost in surface copies,
// both timed in this thread's CPU time so that a shared machine's load
// weighs on both alike. Presenting on the headless display only counts.
#include <benchmark/benchmark.h>

#include "bench_common.h"
#include "music/beat.h"

namespace {

using bench::RunSceneFrames;

void BM_Scene1Frame(benchmark::State& state) {
  // Mid-scene, the sparks flying; the scroller runs its course and is put back.
  RunSceneFrames(
      state, "-scene1",
      [](TForm1& f) {
        f.Scene1Clock = 100.0;
        if (f.ScrollRows[20].Y < -380) f.SetScrollStartValues();
      },
      [](TForm1& f) { f.RunScene1(); });
}
BENCHMARK(BM_Scene1Frame);

void BM_Scene3Frame(benchmark::State& state, double clock) {
  RunSceneFrames(
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
  RunSceneFrames(
      state, "-scene0",
      [](TForm1& f) {
        if (f.ScrollRows[60].Y < -380) f.SetScrollStartValues();
      },
      [](TForm1& f) { f.RunHiddenScene(); });
}
BENCHMARK(BM_HiddenSceneFrame);

}  // namespace
