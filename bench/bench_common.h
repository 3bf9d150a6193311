// What the benchmarks share: the frame surface's size, this thread's CPU
// clock, and a memcpy of the surface, the yardstick that every frame and
// blending cost is measured against.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/headless/headless_show.h"

namespace bench {

inline constexpr size_t SurfaceBytes = 512 * 384 * 2;

// This thread's CPU time: other work on a shared machine does not count.
inline double ThreadNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// One warm copy of the surface, timed after a frame so that both figures see
// the same load: the first copy brings both buffers into the cache, as the
// frame's surface is after the frame.
struct TSurfaceCopy {
  std::vector<uint8_t> From = std::vector<uint8_t>(SurfaceBytes, 1);
  std::vector<uint8_t> To = std::vector<uint8_t>(SurfaceBytes);
  double Time() {
    std::memcpy(To.data(), From.data(), SurfaceBytes);
    benchmark::ClobberMemory();
    const double t0 = ThreadNanoseconds();
    std::memcpy(To.data(), From.data(), SurfaceBytes);
    benchmark::DoNotOptimize(To.data());
    benchmark::ClobberMemory();
    return ThreadNanoseconds() - t0;
  }
};

// Runs one scene routine as a benchmark on the headless display started with
// option: prepare (untimed) keeps the scene's state inside an ordinary frame
// of it, frame (timed) draws. The "memcpys" counter is the frame's cost in
// surface copies, each copy timed after its frame.
template <typename Prepare, typename Frame>
void RunSceneFrames(benchmark::State& state, const char* option, Prepare prepare, Frame frame) {
  THeadlessShow show({"-nosound", option}, 1u);
  if (!show.Start()) {
    state.SkipWithError("show did not start");
    return;
  }
  show.Tick(0);  // the program's first frame, with its glyphs cached
  TForm1& f = *show.Form;
  f.TimeStep = 1.0;
  TSurfaceCopy copy;
  double frames = 0.0, copies = 0.0;
  for (auto _ : state) {
    prepare(f);
    const double t0 = ThreadNanoseconds();
    frame(f);
    benchmark::ClobberMemory();
    frames += ThreadNanoseconds() - t0;
    state.PauseTiming();
    copies += copy.Time();
    state.ResumeTiming();
  }
  if (copies > 0.0) state.counters["memcpys"] = frames / copies;
}

}  // namespace bench
