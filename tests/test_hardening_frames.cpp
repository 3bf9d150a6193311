// The show under hostile timing: frames of 0 ms to almost three hours, a
// clock that wraps at 2^32 during the run, and surfaces lost in the middle
// of every scene. The frame surface has a wide pitch whose spare bytes hold
// a guard pattern: any drawing past the right edge of a row (or before the
// left edge of the next) changes it, and anything before the first row or
// after the last is caught by the sanitizer build.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/timer.h"
#include "platform/fonts/i_fonts.h"
#include "platform/headless/headless_show.h"

namespace {

constexpr int32_t GuardBytes = 64;  // 32 spare pixels at the end of each row
constexpr uint8_t Guard = 0xA5;
constexpr uint32_t Extreme[] = {0, 1, 39, 40, 41, 100, 2000, 10000000};

IFontEngine* Fonts() {
  static std::unique_ptr<IFontEngine> fonts = CreateFontEngine();
  return fonts.get();
}

// A started show whose frame surface rows carry guard bytes.
std::unique_ptr<THeadlessShow> GuardedShow(const std::vector<std::string>& args, uint32_t clockStart) {
  auto show = std::make_unique<THeadlessShow>(args, 7u, clockStart, TPixelLayout::Layout565, Fonts());
  show->Display.Mode.Pitch = 512 * 2 + GuardBytes;
  if (!show->Start()) return nullptr;
  TSurface& s = show->Form->DXDraw1.Surface;
  if (s.Pitch != 512 * 2 + GuardBytes) return nullptr;
  for (int32_t y = 0; y < s.Height; ++y)
    for (int32_t b = s.Width * 2; b < s.Pitch; ++b) s.Storage[size_t(y) * size_t(s.Pitch) + size_t(b)] = Guard;
  return show;
}

// The first row whose guard bytes were written, or -1.
int32_t SpoiledGuardRow(const TSurface& s) {
  for (int32_t y = 0; y < s.Height; ++y)
    for (int32_t b = s.Width * 2; b < s.Pitch; ++b)
      if (s.Storage[size_t(y) * size_t(s.Pitch) + size_t(b)] != Guard) return y;
  return -1;
}

bool AllBlack(const TSurface& s) {
  for (int32_t y = 0; y < s.Height; ++y)
    for (int32_t x = 0; x < s.Width; ++x)
      if (s.Row(y)[x] != 0) return false;
  return true;
}

// The TimeStep a tick of work ms that starts at start leaves, from the one
// before: the work counts only when the count moved past the start (no wrap
// in between), and the floor is 1.0.
double ExpectedStep(double before, uint32_t start, uint32_t work) {
  const uint32_t end = start + work;
  const double step = end > start ? double(work) / 40.0 : before;
  return step >= 1.0 ? step : 1.0;
}

// Runs ticks with the work pattern repeated, checking after every tick the
// guard bytes, TimeStep and that Scene holds a value the show can have.
void RunPattern(THeadlessShow& show, const std::vector<uint32_t>& pattern, int ticks, const std::string& what) {
  for (int t = 0; t < ticks && !show.Ended(); ++t) {
    const uint32_t work = pattern[size_t(t) % pattern.size()];
    const uint32_t start = show.TickStart();
    const double want = ExpectedStep(show.Form->TimeStep, start, work);
    show.Tick(work);
    ASSERT_EQ(SpoiledGuardRow(show.Form->DXDraw1.Surface), -1) << what << " tick " << t << " work " << work;
    ASSERT_EQ(show.Form->TimeStep, want) << what << " tick " << t << " work " << work;
    const unsigned scene = show.Form->Scene;
    ASSERT_TRUE((scene >= 1 && scene <= 8) || scene == 99) << what << " tick " << t << " scene " << scene;
  }
}

}  // namespace

// Every frame under 40 ms of work gives TimeStep 1.0, so the whole show keeps
// its 2,967 ticks, with the count wrapping inside the very first frame.
TEST(HardenedShow, WholeShowAcrossTheWrapKeepsItsLengthAndItsClipping) {
  // The first tick starts 5 ms before the wrap and works 39 ms.
  auto show = GuardedShow({"-nosound"}, 0xFFFFFFFFu - 44u);
  ASSERT_NE(show, nullptr);
  ASSERT_EQ(show->TickStart(), 0xFFFFFFFBu);
  int ticks = 0;
  std::map<unsigned, int> perScene;
  const uint32_t pattern[] = {39, 0, 1, 40};
  while (!show->Ended() && ticks < 4000) {
    ++perScene[show->Form->Scene];
    show->Tick(pattern[ticks % 4]);
    ++ticks;
    ASSERT_EQ(SpoiledGuardRow(show->Form->DXDraw1.Surface), -1) << "tick " << ticks;
    ASSERT_EQ(show->Form->TimeStep, 1.0) << "tick " << ticks;
  }
  EXPECT_TRUE(show->Ended());
  EXPECT_EQ(ticks, 2967);
  EXPECT_EQ(perScene, (std::map<unsigned, int>{{1, 631}, {2, 14}, {3, 400}, {4, 15}, {5, 1201}, {6, 15}, {7, 690}, {8, 1}}));
}

// The hidden scene never ends and the looping show starts over, whatever the
// frames take: each of the extreme durations alone, and all of them in turn.
TEST(HardenedShow, ExtremeFrameDurationsInTheHiddenSceneAndTheLoop) {
  const std::vector<std::vector<uint32_t>> patterns = {
      {Extreme, Extreme + 8}, {0}, {41}, {2000}, {10000000}, {1, 10000000, 39}};
  const uint32_t nearWrap = 0xFFFFFFFFu - 5u;
  for (const char* option : {"-scene0", "-loop"}) {
    for (size_t p = 0; p < patterns.size(); ++p) {
      const std::string what = std::string(option) + " pattern " + std::to_string(p);
      auto show = GuardedShow({"-nosound", option}, nearWrap);
      ASSERT_NE(show, nullptr) << what;
      // The mixed pattern runs longest; the plain ones take a few hundred ticks.
      RunPattern(*show, patterns[p], p == 0 ? 1500 : 200, what);
      EXPECT_FALSE(show->Ended()) << what;
      if (std::string(option) == "-scene0") {
        EXPECT_EQ(show->Form->Scene, 99) << what;
      }
    }
  }
}

// A 10,000,000 ms frame moves every scene past its end at once: the looping
// show then runs each scene for one frame and starts over after scene 7.
TEST(HardenedShow, HugeFramesRunEachSceneOnceAndStartOver) {
  auto show = GuardedShow({"-nosound", "-loop"}, 0);
  ASSERT_NE(show, nullptr);
  std::vector<unsigned> scenes;
  for (int t = 0; t < 20; ++t) {
    scenes.push_back(show->Form->Scene);
    show->Tick(10000000);
    ASSERT_EQ(SpoiledGuardRow(show->Form->DXDraw1.Surface), -1) << t;
  }
  // The first frame of the program has TimeStep 0 and stays in scene 1;
  // the reset on scene 8 sets Scene to 1 in the same tick.
  const std::vector<unsigned> want = {1, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3, 4, 5, 6, 7, 8, 1, 2, 3};
  EXPECT_EQ(scenes, want);
}

// The display loses its surfaces once in the middle of every scene: that
// frame is presented black (the restore), the next one shows drawing again,
// and the show still takes its 2,967 ticks.
TEST(HardenedShow, SurfacesLostInTheMiddleOfEveryScene) {
  auto show = GuardedShow({"-nosound"}, 0);
  ASSERT_NE(show, nullptr);
  // Ticks into each scene at which the surfaces are lost (about its middle).
  const std::map<unsigned, int> middle = {{1, 315}, {2, 7}, {3, 200}, {4, 7}, {5, 600}, {6, 7}, {7, 345}};
  std::vector<bool> presentedBlack;
  show->Display.OnPresent = [&](const TSurface& frame) { presentedBlack.push_back(AllBlack(frame)); };
  std::map<unsigned, int> inScene;
  std::map<unsigned, std::vector<bool>> around;  // the lost frame and the one after
  int ticks = 0;
  unsigned lostIn = 0;
  while (!show->Ended() && ticks < 4000) {
    const unsigned scene = show->Form->Scene;
    const auto m = middle.find(scene);
    const bool lose = m != middle.end() && inScene[scene] == m->second;
    if (lose) show->Display.Lost = true;
    presentedBlack.clear();
    show->Tick(0);
    ++ticks;
    ++inScene[scene];
    if (lose) lostIn = scene;
    if (lostIn != 0) {
      ASSERT_EQ(presentedBlack.size(), 1u) << "scene " << scene;
      around[lostIn].push_back(presentedBlack[0]);
      if (around[lostIn].size() == 2) lostIn = 0;
    }
  }
  EXPECT_EQ(ticks, 2967);
  for (const auto& [scene, tick] : middle)
    EXPECT_EQ(around[scene], (std::vector<bool>{true, false})) << "scene " << scene;
  EXPECT_EQ(SpoiledGuardRow(show->Form->DXDraw1.Surface), -1);
}

// The hidden scene goes on after a lost surface too.
TEST(HardenedShow, SurfacesLostInTheHiddenScene) {
  auto show = GuardedShow({"-nosound", "-scene0"}, 0);
  ASSERT_NE(show, nullptr);
  std::vector<bool> black;
  show->Display.OnPresent = [&](const TSurface& frame) { black.push_back(AllBlack(frame)); };
  for (int t = 0; t < 60; ++t) {
    if (t == 30) show->Display.Lost = true;
    show->Tick(0);
  }
  ASSERT_EQ(black.size(), 60u);
  EXPECT_TRUE(black[30]);
  EXPECT_FALSE(black[31]);
  EXPECT_FALSE(black[59]);
}

// The frame timer across focus changes, as the message loop drives it: it is
// polled every millisecond while the application is active, not at all while
// the focus is away, and restarted when the focus comes back. Each tick then
// comes exactly 40 ms after the later of the tick before and the return of
// the focus, so never closer than 40 ms; the count wraps during the run.
TEST(HardenedTimer, FocusLostAndRegainedRepeatedlyKeepsTicksFortyMsApart) {
  TDXTimer timer;
  timer.Enabled = true;
  uint32_t now = 0xFFFFFFFFu - 3000u;
  timer.Restart(now);
  uint32_t state = 12345;  // the test's own generator for the focus pattern
  auto next = [&](uint32_t n) {
    state = state * 1103515245u + 12345u;
    return (state >> 8) % n;
  };
  int ticks = 0, regains = 0;
  bool active = true;
  uint32_t reference = now;  // the last tick or return of the focus
  for (int ms = 0; ms < 60000; ++ms, ++now) {
    if (next(150) == 0) {  // a focus change about every 150 ms
      active = !active;
      if (active) {
        timer.Restart(now);
        reference = now;
        ++regains;
      }
    }
    if (!active) continue;
    if (timer.Due(now)) {
      ASSERT_EQ(uint32_t(now - reference), 40u) << ms;
      ASSERT_EQ(timer.Remaining(now), 0u) << ms;
      timer.Fired(now);
      reference = now;
      ++ticks;
    } else {
      ASSERT_EQ(timer.Remaining(now), 40u - uint32_t(now - reference)) << ms;
    }
  }
  EXPECT_GT(regains, 100);
  EXPECT_GT(ticks, 300);
}

TEST(HardenedTimer, DisabledOrNotStartedNeverTicks) {
  TDXTimer timer;
  EXPECT_FALSE(timer.Due(1000));
  timer.Enabled = true;
  EXPECT_FALSE(timer.Due(1000));  // not restarted yet
  timer.Restart(0xFFFFFFF0u);
  EXPECT_FALSE(timer.Due(0xFFFFFFF0u + 39u));
  EXPECT_EQ(timer.Remaining(0xFFFFFFF0u + 39u), 1u);
  EXPECT_TRUE(timer.Due(0xFFFFFFF0u + 40u));  // 24 after the wrap
  EXPECT_EQ(timer.Remaining(24u), 0u);
  timer.Enabled = false;
  EXPECT_FALSE(timer.Due(100u));
}
