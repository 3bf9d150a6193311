// The show's frames as the timer runs them: for each scene, every frame of
// one pass through the scene is a real tick (dispatch, drawing, the headless
// present, which only counts), timed in this thread's CPU time, with a
// memcpy of the 393,216-byte frame surface timed after each frame in the
// same run. Counters: mean_us and worst_us of the frames, memcpy_us, and
// memcpys, the mean frame in surface copies (the budget is 20). Then the
// whole show, 2,967 ticks under "-nosound", rendered headless.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "bench_common.h"
#include "platform/fonts/i_fonts.h"
#include "platform/headless/headless_show.h"

namespace {

using bench::ThreadNanoseconds;
using bench::TSurfaceCopy;

struct TSceneRun {
  const char* Option;
  unsigned Scene;  // the value of Scene while the scene plays
};

// Plays the scene from its start until it hands on, untimed: every glyph
// and every lazily made table is ready before the timed frames.
void PlayThrough(THeadlessShow& show, unsigned scene) {
  for (int t = 0; t < 5000 && show.Form->Scene == scene; ++t) show.Tick(0);
}

// Starts the scene afresh: the reset reads the scene option again.
void Restart(THeadlessShow& show) { show.Form->ResetShow(); }

void BM_ShowSceneFrames(benchmark::State& state, TSceneRun run) {
  static std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  THeadlessShow show({"-nosound", run.Option}, 1u, 0, TPixelLayout::Layout565, fonts.get());
  if (!show.Start()) {
    state.SkipWithError("show did not start");
    return;
  }
  show.Tick(0);  // the first frame of the program, TimeStep 0
  PlayThrough(show, run.Scene);
  Restart(show);
  TSurfaceCopy copy;
  double frames = 0.0, worst = 0.0, copies = 0.0;
  int64_t count = 0;
  for (auto _ : state) {
    const double t0 = ThreadNanoseconds();
    show.Tick(0);
    benchmark::ClobberMemory();
    const double frame = ThreadNanoseconds() - t0;
    state.SetIterationTime(frame / 1e9);
    state.PauseTiming();
    frames += frame;
    worst = std::max(worst, frame);
    copies += copy.Time();
    ++count;
    if (show.Form->Scene != run.Scene) Restart(show);
    state.ResumeTiming();
  }
  if (count == 0 || copies <= 0.0) return;
  state.counters["mean_us"] = frames / double(count) / 1e3;
  state.counters["worst_us"] = worst / 1e3;
  state.counters["memcpy_us"] = copies / double(count) / 1e3;
  state.counters["memcpys"] = frames / copies;
}

// One pass of each scene (the flash ten passes: it is 14 frames long). The
// Time column is the mean frame in thread CPU time.
BENCHMARK_CAPTURE(BM_ShowSceneFrames, Scene1, TSceneRun{"-scene1", 1})
    ->Iterations(631)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ShowSceneFrames, Scene2Flash, TSceneRun{"-scene2", 2})
    ->Iterations(140)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ShowSceneFrames, Scene3, TSceneRun{"-scene3", 3})
    ->Iterations(400)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ShowSceneFrames, Scene5, TSceneRun{"-scene5", 5})
    ->Iterations(1201)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ShowSceneFrames, Scene7, TSceneRun{"-scene7", 7})
    ->Iterations(690)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ShowSceneFrames, Hidden, TSceneRun{"-scene0", 99})
    ->Iterations(600)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The whole show headless, program start excluded: 2,967 ticks.
void BM_ShowWholeHeadless(benchmark::State& state) {
  static std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  int64_t ticks = 0;
  for (auto _ : state) {
    state.PauseTiming();
    THeadlessShow show({"-nosound"}, 1u, 0, TPixelLayout::Layout565, fonts.get());
    if (!show.Start()) {
      state.SkipWithError("show did not start");
      return;
    }
    state.ResumeTiming();
    ticks = 0;
    while (!show.Ended() && ticks < 10000) {
      show.Tick(0);
      ++ticks;
    }
  }
  state.counters["ticks"] = double(ticks);
}
BENCHMARK(BM_ShowWholeHeadless)
    ->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
