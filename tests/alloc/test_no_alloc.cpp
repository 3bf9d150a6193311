// Nothing is allocated while the show runs: after a warm-up pass that has
// drawn every glyph once, a second pass of every scene counts the heap
// allocations made on this thread inside the frames, and finds none.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "platform/fonts/i_fonts.h"
#include "platform/headless/headless_show.h"

namespace {
thread_local bool Counting = false;
thread_local long Allocations = 0;
}  // namespace

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

extern "C" void* malloc(size_t n) {
  if (Counting) ++Allocations;
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t a, size_t b) {
  if (Counting) ++Allocations;
  return __libc_calloc(a, b);
}
extern "C" void* realloc(void* p, size_t n) {
  if (Counting) ++Allocations;
  return __libc_realloc(p, n);
}

void* operator new(size_t n) {
  if (Counting) ++Allocations;
  if (void* p = __libc_malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

struct TRun {
  const char* Option;
  int Ticks;
};

// Runs each start option for its ticks and returns the allocations counted
// inside the ticks.
long CountAllocations(IFontEngine* fonts, const TRun (&runs)[8]) {
  long total = 0;
  for (const TRun& run : runs) {
    THeadlessShow show({"-nosound", "-loop", run.Option}, 4242u, 0, TPixelLayout::Layout565, fonts);
    if (!show.Start()) return -1;
    Allocations = 0;
    for (int t = 0; t < run.Ticks && !show.Ended(); ++t) {
      Counting = true;
      show.Tick(t % 7 == 0 ? 55 : 3);  // some slow frames, so clocks take uneven steps
      Counting = false;
    }
    total += Allocations;
  }
  return total;
}

}  // namespace

// The counter itself must see both kinds of allocation, or the test below
// would pass for nothing.
TEST(NoAllocation, CounterSeesNewAndMalloc) {
  Allocations = 0;
  Counting = true;
  auto* p = new std::vector<int>(100);
  void* q = std::malloc(64);
  Counting = false;
  delete p;
  std::free(q);
  EXPECT_GE(Allocations, 3);
}

TEST(NoAllocation, NoSceneAllocatesOnceWarm) {
  std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  // Whole passes of the show (with its restart), and the hidden scene.
  const TRun runs[8] = {{"-scene1", 3200}, {"-scene3", 500}, {"-scene5", 1300}, {"-scene7", 800},
                        {"-scene2", 40},   {"-scene4", 40},  {"-scene6", 40},   {"-scene0", 2000}};
  ASSERT_GE(CountAllocations(fonts.get(), runs), 0);  // warm-up: glyphs cached
  EXPECT_EQ(CountAllocations(fonts.get(), runs), 0);
}
