// Scene 5: its length, the order of its random draws, the phase it gives the
// swarm, the one renewal of the glows and the brightness of each frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/random.h"
#include "platform/headless/headless_show.h"
#include "scenes/glows.h"

namespace {

uint32_t Advanced(uint32_t seed, int n) {
  for (int i = 0; i < n; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

// A frame draws 1 (phase) + 120 (glows) + 1 (flash) + 1 (brush), and 120
// more on the frame that renews the glows.
constexpr int FrameDraws = 123;
constexpr int RenewalFrameDraws = 243;

// Whether the frame that starts from this seed draws the flash.
bool Flashes(uint32_t seed) {
  RandSeed = Advanced(seed, 121);
  return RandomBelow(19) == 0;
}

uint32_t SeedWhere(bool flash, uint32_t from = 1) {
  uint32_t s = from;
  while (Flashes(s) != flash) ++s;
  return s;
}

// A white or black 5-6-5 pixel after subtracting or adding an RGB colour,
// channel by channel on 8-bit values: 31 counts as 248, the green 63 as 252.
uint16_t WhiteMinus(int r, int g, int b) {
  return uint16_t((std::max(248 - r, 0) >> 3) << 11 | (std::max(252 - g, 0) >> 2) << 5 | std::max(248 - b, 0) >> 3);
}
uint16_t BlackPlus(int r, int g, int b) {
  return uint16_t((std::min(r, 255) >> 3) << 11 | (std::min(g, 255) >> 2) << 5 | std::min(b, 255) >> 3);
}

struct Scene5Fixture : ::testing::Test {
  THeadlessShow Show{{"-nosound", "-scene5"}, 5u};
  TForm1* F = nullptr;
  void SetUp() override {
    ASSERT_TRUE(Show.Start());
    F = Show.Form.get();
    F->TimeStep = 1.0;
  }
  // Glows far off the surface, so they draw nothing.
  void GlowsAway() {
    for (int i = 1; i <= 40; ++i) F->Glows[i] = TGlow{-20000, -20000, 5.0};
  }
};

// The swarm after one call with this phase, drawing from RandSeed.
void StepGlows(TGlow (&glows)[41], int32_t phase) {
  for (int i = 1; i <= 40; ++i) {
    glows[i].Angle += (RandomBelow(3) + 1) * 0.07;
    const TGlowStep step = GlowStep(glows[i].Angle, phase);
    glows[i].X += step.DX;
    glows[i].Y += step.DY;
    RandomBelow(60);
    RandomBelow(3);
  }
}

}  // namespace

TEST_F(Scene5Fixture, Lasts1201FramesAndPresentsTheLastInFull) {
  EXPECT_EQ(F->Scene5Position, 0.0);
  int frames = 0;
  while (F->Scene == 5 && frames < 5000) {
    const int presented = Show.Display.Presented;
    const uint32_t seed = RandSeed;
    const bool renews = !F->GlowsRenewed && F->Scene5Position + 1.0 >= 600.0 && !Flashes(seed);
    RandSeed = seed;
    F->RunScene5();
    ++frames;
    EXPECT_EQ(Show.Display.Presented, presented + 1);
    EXPECT_EQ(RandSeed, Advanced(seed, renews ? RenewalFrameDraws : FrameDraws)) << frames;
  }
  EXPECT_EQ(frames, 1201);
  EXPECT_EQ(F->Scene5Position, 1201.0);
  EXPECT_EQ(F->Scene, 6);
  EXPECT_TRUE(F->GlowsRenewed);
}

TEST_F(Scene5Fixture, PhaseIsTheRoundedPositionPlusZeroOrTwo) {
  // Angles near zero make the jitter sin/cos(phase / angle) swing with every
  // unit of phase, so the glows tell which phase they were given.
  int differFromPlusOne = 0;
  bool sawPlusTwo = false, sawPlusZero = false;
  int zeros = 0, twos = 0;
  for (uint32_t seed = 1; zeros < 6 || twos < 6; seed += 7919) {
    RandSeed = seed;
    if ((RandomBelow(2) ? twos : zeros)++ >= 6) continue;  // six of each phase draw
    for (int i = 1; i <= 40; ++i) F->Glows[i] = TGlow{-10000 + 10 * i, 600, 0.0};
    F->Scene5Position = 99.25;  // 100.25, rounded 100
    TGlow expected[41], plusOne[41];
    std::copy(std::begin(F->Glows), std::end(F->Glows), expected);
    std::copy(std::begin(F->Glows), std::end(F->Glows), plusOne);
    RandSeed = seed;
    F->RunScene5();

    RandSeed = seed;
    const int32_t r = RandomBelow(2);
    (r ? sawPlusTwo : sawPlusZero) = true;
    StepGlows(expected, 100 + 2 * r);
    RandSeed = Advanced(seed, 1);
    StepGlows(plusOne, 101);
    for (int i = 1; i <= 40; ++i) {
      EXPECT_EQ(F->Glows[i].X, expected[i].X) << "seed " << seed << " glow " << i;
      EXPECT_EQ(F->Glows[i].Y, expected[i].Y) << "seed " << seed << " glow " << i;
      differFromPlusOne += plusOne[i].X != expected[i].X || plusOne[i].Y != expected[i].Y;
    }
  }
  EXPECT_TRUE(sawPlusTwo && sawPlusZero);
  EXPECT_GT(differFromPlusOne, 0);  // the comparison can tell p + 1 apart
}

TEST_F(Scene5Fixture, RenewalNeedsTheSecondHalfAndAFrameWithoutFlash) {
  const struct { double start; bool flash; bool renewed; } cases[] = {
      {599.0, false, true},   // 600.0 exactly is the second half
      {598.5, false, false},  // 599.5
      {599.0, true, false},   // a flash puts it off
      {650.0, false, true},
  };
  for (const auto& c : cases) {
    const uint32_t seed = SeedWhere(c.flash);
    F->Scene5Position = c.start;
    F->GlowsRenewed = false;
    RandSeed = seed;
    F->RunScene5();
    EXPECT_EQ(F->GlowsRenewed, c.renewed) << c.start;
    EXPECT_EQ(RandSeed, Advanced(seed, c.renewed ? RenewalFrameDraws : FrameDraws)) << c.start;
    if (c.renewed) {
      // Fresh start values, drawn right after the draw of 19.
      RandSeed = Advanced(seed, 122);
      for (int i = 1; i <= 40; ++i) {
        const int32_t x = RandomBelow(3) + 270, y = RandomBelow(3) + 190;
        const double angle = RandomBelow(720) - 360;
        EXPECT_EQ(F->Glows[i].X, x);
        EXPECT_EQ(F->Glows[i].Y, y);
        EXPECT_EQ(F->Glows[i].Angle, angle);
      }
    }
  }
}

TEST_F(Scene5Fixture, RenewalWaitsOutAFlashAndHappensOnce) {
  // A seed whose frame at 600.0 flashes and whose next frame does not.
  uint32_t seed = 1;
  while (!(Flashes(seed) && !Flashes(Advanced(seed, FrameDraws)))) ++seed;
  F->Scene5Position = 599.0;
  RandSeed = seed;
  F->RunScene5();  // 600.0, flash
  EXPECT_FALSE(F->GlowsRenewed);
  EXPECT_EQ(RandSeed, Advanced(seed, FrameDraws));
  F->RunScene5();  // 601.0, no flash: renewed
  EXPECT_TRUE(F->GlowsRenewed);
  EXPECT_EQ(RandSeed, Advanced(seed, FrameDraws + RenewalFrameDraws));
  for (int n = 0; n < 40; ++n) {  // never again, flash or not
    const uint32_t before = RandSeed;
    F->RunScene5();
    EXPECT_EQ(RandSeed, Advanced(before, FrameDraws));
  }
}

TEST_F(Scene5Fixture, BrightnessAndXorRectangleFollowTheHalves) {
  // Corner pixels away from the glows, the rectangle and the fire picture;
  // (422, 185) lies inside the rectangle, right of the fire picture.
  const struct { double start; bool flash; bool white; uint16_t corner; } cases[] = {
      {100.0, false, true, WhiteMinus(10, 20, 30)},
      {598.4, false, true, WhiteMinus(10, 20, 30)},  // 599.4: first half
      {599.0, false, true, WhiteMinus(10, 2, 10)},   // 600.0: second half
      {900.0, false, true, WhiteMinus(10, 2, 10)},
      {100.0, true, false, BlackPlus(200, 130, 90)},
      {900.0, true, false, BlackPlus(200, 130, 90)},
  };
  for (const auto& c : cases) {
    GlowsAway();
    F->GlowsRenewed = true;  // the renewal's draws are tested above
    F->Scene5Position = c.start;
    FillSurface(F->DXDraw1.Surface, c.white ? 0xFFFF : 0);
    const uint32_t seed = SeedWhere(c.flash);
    RandSeed = seed;
    F->RunScene5();
    const TSurface& s = F->DXDraw1.Surface;
    EXPECT_EQ(s.Pixel(0, 0), c.corner) << c.start;
    EXPECT_EQ(s.Pixel(511, 383), c.corner) << c.start;
    EXPECT_EQ(s.Pixel(511, 0), c.corner) << c.start;
    // Interior XOR with the brush: blue 255, red 0 to 29 from the last draw.
    RandSeed = Advanced(seed, 122);
    const uint16_t brush = uint16_t((RandomBelow(30) >> 3) << 11 | 31);
    EXPECT_EQ(s.Pixel(422, 185), c.corner ^ brush) << c.start;
  }
}
