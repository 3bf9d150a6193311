// One frame of scene 1, of scene 3 in each plasma mode and of the hidden
// scene on the headless display, beside a memcpy of the frame surface.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "music/beat.h"
#include "platform/headless/headless_show.h"

namespace {

constexpr size_t SurfaceBytes = 512 * 384 * 2;  // 393,216

void BM_Scenes_MemcpySurface(benchmark::State& state) {
  std::vector<uint8_t> a(SurfaceBytes, 1), b(SurfaceBytes);
  for (auto _ : state) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Scenes_MemcpySurface);

// The show set up without sound; presenting on the headless display only
// counts the frame.
struct TBenchShow {
  THeadlessShow show{{"-nosound"}, 1u};
  TBenchShow() {
    show.Start();
    show.Form->TimeStep = 1.0;
  }
  TForm1& form() { return *show.Form; }
};

void BM_Scene1Frame(benchmark::State& state) {
  TBenchShow s;
  for (auto _ : state) {
    s.form().Scene1Clock = 100.0;  // mid-scene, sparks flying
    s.form().RunScene1();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Scene1Frame);

void BM_Scene3Frame(benchmark::State& state, double clock) {
  TBenchShow s;
  for (auto _ : state) {
    s.form().Scene3Clock = clock;
    StoreBeat(240);
    s.form().RunScene3();
    benchmark::ClobberMemory();
  }
}
BENCHMARK_CAPTURE(BM_Scene3Frame, ModeA, 5.0);
BENCHMARK_CAPTURE(BM_Scene3Frame, ModeB, 25.0);

void BM_HiddenSceneFrame(benchmark::State& state) {
  TBenchShow s;
  for (auto _ : state) {
    s.form().RunHiddenScene();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_HiddenSceneFrame);

}  // namespace
