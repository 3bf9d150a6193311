// The glow swarm: the step rule, the order of its random draws, the guard for
// an angle of exactly zero and its start values.
#include <gtest/gtest.h>

#include "app/random.h"
#include "platform/headless/headless_show.h"
#include "render/blend.h"
#include "scenes/glows.h"

namespace {

// The generator's state after n more draws (every draw moves it the same way).
uint32_t Advanced(uint32_t seed, int n) {
  for (int i = 0; i < n; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

struct GlowFixture : ::testing::Test {
  THeadlessShow Show{{"-nosound", "-scene5"}, 7u};
  TForm1* F = nullptr;
  void SetUp() override {
    ASSERT_TRUE(Show.Start());
    F = Show.Form.get();
  }
};

}  // namespace

TEST(GlowStep, EachAxisIsRoundedAsOneSum) {
  // Terms worked out with sin/cos by hand: orbit sin(a)*a/40 or cos(a)*a/20,
  // jitter sin(p/a) or cos(p/a).
  const struct { double angle; int32_t phase; int32_t dx, dy; } cases[] = {
      {1.0, 0, 0, 1},      // x: 0.021 + 0 = 0.021;         y: 0.027 + 1 = 1.027
      {-1.0, 0, 0, 1},     // x: 0.021 + (-0) = 0.021;      y: -0.027 + 1 = 0.973
      {20.0, 9, 1, 1},     // x: 0.456 + 0.435 = 0.891 (alone each rounds to 0); y: 0.408 + 0.900
      {30.0, 35, 0, 1},    // x: -0.741 + 0.919 = 0.178;    y: 0.231 + 0.393 = 0.625 (alone 0 + 0)
      {-360.0, 0, 9, 6},   // x: 8.630 + 0;                 y: 5.106 + 1 = 6.106
      {0.0, 5, 0, 0},      // no jitter at an angle of exactly zero, and no orbit term either
      {0.0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const TGlowStep step = GlowStep(c.angle, c.phase);
    EXPECT_EQ(step.DX, c.dx) << "angle " << c.angle << " phase " << c.phase;
    EXPECT_EQ(step.DY, c.dy) << "angle " << c.angle << " phase " << c.phase;
  }
}

TEST_F(GlowFixture, EachGlowTakesOneStepWithThreeDrawsInOrder) {
  for (int i = 1; i <= 40; ++i) F->Glows[i] = TGlow{100 + 3 * i, 150 + i, -50.0 + 7 * i};
  TGlow before[41];
  std::copy(std::begin(F->Glows), std::end(F->Glows), before);
  TSurface expected = F->DXDraw1.Surface;
  F->TimeStep = 37.0;  // the swarm ignores it
  const uint32_t seed = 99u;
  RandSeed = seed;
  F->DrawGlows(321);
  const uint32_t after = RandSeed;

  // Replay: angle step, alpha, image for each glow in turn.
  RandSeed = seed;
  for (int i = 1; i <= 40; ++i) {
    TGlow g = before[i];
    g.Angle += (RandomBelow(3) + 1) * 0.07;
    const TGlowStep step = GlowStep(g.Angle, 321);
    g.X += step.DX;
    g.Y += step.DY;
    const int32_t alpha = RandomBelow(60) + 40;
    const int image = RandomBelow(3) + 8;
    DrawImageAdd(expected, F->DXImageList1, image, TRect{g.X - 80, g.Y - 70, g.X + 20, g.Y + 30}, 0, alpha);
    EXPECT_EQ(F->Glows[i].Angle, g.Angle) << i;
    EXPECT_EQ(F->Glows[i].X, g.X) << i;
    EXPECT_EQ(F->Glows[i].Y, g.Y) << i;
  }
  EXPECT_EQ(after, Advanced(seed, 120));
  EXPECT_EQ(RandSeed, after);
  EXPECT_EQ(HashSurface(F->DXDraw1.Surface), HashSurface(expected));
}

TEST_F(GlowFixture, AnAngleLandingOnZeroStillMovesAndDraws) {
  // A seed whose first draw of 3 is 0, so the step is 0.07 and -0.07 + 0.07 = 0.0.
  uint32_t seed = 1;
  for (;; ++seed) {
    RandSeed = seed;
    if (RandomBelow(3) == 0) break;
  }
  F->Glows[1] = TGlow{100, 120, -0.07};
  RandSeed = seed;
  F->DrawGlows(12345);
  EXPECT_EQ(F->Glows[1].Angle, 0.0);
  EXPECT_EQ(F->Glows[1].X, 100);  // sin(0) * 0 / 40 = 0, jitter left out
  EXPECT_EQ(F->Glows[1].Y, 120);  // cos(0) * 0 / 20 = 0, jitter left out
  EXPECT_EQ(RandSeed, Advanced(seed, 120));  // the other 39 glows were handled too
}

TEST_F(GlowFixture, StartValuesDrawXThenYThenAngle) {
  const uint32_t seed = 2024u;
  RandSeed = seed;
  F->SetGlowStartValues();
  RandSeed = seed;
  for (int i = 1; i <= 40; ++i) {
    const int32_t x = RandomBelow(3) + 270, y = RandomBelow(3) + 190;
    const double angle = RandomBelow(720) - 360;
    EXPECT_EQ(F->Glows[i].X, x) << i;
    EXPECT_EQ(F->Glows[i].Y, y) << i;
    EXPECT_EQ(F->Glows[i].Angle, angle) << i;
    EXPECT_GE(F->Glows[i].X, 270);
    EXPECT_LE(F->Glows[i].X, 272);
    EXPECT_GE(F->Glows[i].Angle, -360.0);
    EXPECT_LE(F->Glows[i].Angle, 359.0);
  }
}
