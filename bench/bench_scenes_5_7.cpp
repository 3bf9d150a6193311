// One frame of scene 5 and of scene 7 on the headless display, each beside
// a memcpy of the 393,216-byte frame surface: the "memcpys" counter is the
// frame's cost in surface copies, both in this thread's CPU time.
#include <benchmark/benchmark.h>

#include "bench_common.h"

namespace {

using bench::RunSceneFrames;

// Nothing to put back between frames.
void Untouched(TForm1&) {}

void BM_Scene5Frame(benchmark::State& state) {
  // The scene is kept inside its range so every frame is an ordinary one of
  // it; both halves take their share of frames.
  RunSceneFrames(
      state, "-scene5",
      [](TForm1& f) {
        if (f.Scene != 5) {
          f.Scene = 5;
          f.Scene5Position = 0.0;
          f.GlowsRenewed = false;
        }
      },
      [](TForm1& f) { f.RunScene5(); });
}
BENCHMARK(BM_Scene5Frame);

void BM_Scene7Frame(benchmark::State& state) {
  // Kept inside the scene, the fade taking its share of frames.
  RunSceneFrames(
      state, "-scene7",
      [](TForm1& f) {
        if (f.Scene != 7) {
          f.Scene = 7;
          f.Scene7Clock = 2.0;
        }
      },
      [](TForm1& f) { f.RunScene7(); });
}
BENCHMARK(BM_Scene7Frame);

// The layers alone, to show where a frame's time goes.
void BM_GlowSwarmOnly(benchmark::State& state) {
  // Fresh start values every 1200 calls, as often as the scene renews them.
  int calls = 0;
  RunSceneFrames(
      state, "-scene5",
      [&calls](TForm1& f) {
        if (++calls > 1200) {
          calls = 1;
          f.SetGlowStartValues();
        }
      },
      [&calls](TForm1& f) { f.DrawGlows(calls); });
}
BENCHMARK(BM_GlowSwarmOnly);

void BM_StreakBandOnly(benchmark::State& state) {
  RunSceneFrames(state, "-scene7", Untouched, [](TForm1& f) { f.DrawStreaks(); });
}
BENCHMARK(BM_StreakBandOnly);

}  // namespace
