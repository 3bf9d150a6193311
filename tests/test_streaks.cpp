// The light streaks: moving, jumping back only past their length without
// carrying the excess, the order of the draws and what each one draws.
#include <gtest/gtest.h>

#include "app/random.h"
#include "app/rounding.h"
#include "platform/headless/headless_show.h"
#include "render/blend.h"

namespace {

uint32_t Advanced(uint32_t seed, int n) {
  for (int i = 0; i < n; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

struct StreakFixture : ::testing::Test {
  THeadlessShow Show{{"-nosound", "-scene7"}, 11u};
  TForm1* F = nullptr;
  void SetUp() override {
    ASSERT_TRUE(Show.Start());
    F = Show.Form.get();
    // Every streak at the start, slow: none jumps back in one call.
    for (int i = 100; i <= 280; ++i) F->Streaks[i] = TStreak{1.0, 1};
  }
};

}  // namespace

TEST_F(StreakFixture, JumpsBackOnlyAboveItsLengthAndRestartsAtOne) {
  const struct { double x; uint8_t kind; double step; double want; bool jumps; } cases[] = {
      {539.0, 1, 1.0, 540.0, false},  // exactly 540 stays
      {539.0, 3, 1.0, 1.0, true},     // 542 restarts at 1.0, not at 2.0
      {540.0, 1, 1.0, 1.0, true},
      {538.5, 2, 0.75, 540.0, false},
      {100.0, 2, 2.5, 105.0, false},
      {300.0, 3, 0.0, 300.0, false},  // the program's first frame has TimeStep 0
      {10.0, 1, 50.0, 60.0, false},   // after a stall
      {500.0, 2, 50.0, 1.0, true},
  };
  const uint32_t seed = 555u;
  for (const auto& c : cases) {
    for (int i = 100; i <= 280; ++i) F->Streaks[i] = TStreak{1.0, 1};
    F->Streaks[150] = TStreak{c.x, c.kind};
    F->TimeStep = c.step;
    RandSeed = seed;
    F->DrawStreaks();
    EXPECT_EQ(F->Streaks[150].StreakX, c.want) << c.x << " kind " << int(c.kind);
    // 50 alphas for streaks 100 to 149, then the new kind if it jumps, then its alpha.
    RandSeed = Advanced(seed, 50);
    const uint8_t kind = c.jumps ? uint8_t(RandomBelow(3) + 1) : c.kind;
    EXPECT_EQ(F->Streaks[150].Kind, kind) << c.x;
    EXPECT_EQ(F->Streaks[149].StreakX, 1.0 + c.step);
  }
}

TEST_F(StreakFixture, RestartedStreakJumpsAgainAfterItsLength) {
  // 1 + kind * n > 540 first for n = 540, 270 and 180.
  const struct { uint8_t kind; int frames; } cases[] = {{1, 540}, {2, 270}, {3, 180}};
  for (const auto& c : cases) {
    F->Streaks[200] = TStreak{1.0, c.kind};
    F->TimeStep = 1.0;
    int frames = 0;
    do {
      F->Streaks[200].Kind = c.kind;  // the speed under test, whatever a jump drew
      F->DrawStreaks();
      ++frames;
    } while (F->Streaks[200].StreakX != 1.0 && frames < 1000);
    EXPECT_EQ(frames, c.frames) << int(c.kind);
  }
}

TEST_F(StreakFixture, DrawsKindThenAlphaAndEachStreakInItsRow) {
  for (int i = 100; i <= 280; ++i) F->Streaks[i] = TStreak{double(2 * i - 40), uint8_t(i % 3 + 1)};
  F->Streaks[120].StreakX = 539.5;  // jumps back
  TStreak before[281];
  std::copy(std::begin(F->Streaks), std::end(F->Streaks), before);
  TSurface expected = F->DXDraw1.Surface;
  F->TimeStep = 1.25;
  const uint32_t seed = 4711u;
  RandSeed = seed;
  F->DrawStreaks();
  const uint32_t after = RandSeed;

  RandSeed = seed;
  int draws = 0;
  for (int i = 100; i <= 280; ++i) {
    TStreak s = before[i];
    s.StreakX += s.Kind * 1.25;
    if (s.StreakX > 540) {
      s.StreakX = 1.0;
      s.Kind = uint8_t(RandomBelow(3) + 1);
      ++draws;
    }
    const int32_t alpha = RandomBelow(55) + 100;
    ++draws;
    const int32_t x = RoundEven(s.StreakX);
    DrawImageAdd(expected, F->DXImageList1, s.Kind + 7, TRect{x - 70, i, x - 50, i + 10}, 0, alpha);
    EXPECT_EQ(F->Streaks[i].StreakX, s.StreakX) << i;
    EXPECT_EQ(F->Streaks[i].Kind, s.Kind) << i;
  }
  EXPECT_EQ(draws, 182);
  EXPECT_EQ(after, Advanced(seed, 182));
  EXPECT_EQ(HashSurface(F->DXDraw1.Surface), HashSurface(expected));
}

TEST_F(StreakFixture, StartValuesDrawPositionThenKind) {
  const uint32_t seed = 31337u;
  RandSeed = seed;
  F->SetStreakStartValues();
  EXPECT_EQ(F->StreakLength, 540);
  RandSeed = seed;
  for (int i = 100; i <= 280; ++i) {
    const double x = RandomBelow(540) + 1;
    const uint8_t kind = uint8_t(RandomBelow(3) + 1);
    EXPECT_EQ(F->Streaks[i].StreakX, x) << i;
    EXPECT_EQ(F->Streaks[i].Kind, kind) << i;
  }
}
