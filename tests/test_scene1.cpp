// Scene 1: the noise, the sparks' re-aiming and their draw rule, the order
// and number of the frame's random draws, and the scene's length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/random.h"
#include "music/beat.h"
#include "platform/headless/headless_show.h"
#include "render/plot.h"
#include "scenes/scene_steps.h"

namespace {

uint32_t AdvanceSeed(uint32_t seed, int draws) {
  for (int k = 0; k < draws; ++k) seed = seed * 134775813u + 1u;
  return seed;
}

TEST(Scene1Noise, ColourIsTheBeatTimesTheCoinPlus8080) {
  EXPECT_EQ(NoiseColour(0, 240), 0x8080u);
  EXPECT_EQ(NoiseColour(1, 240), 0x89E0u);  // 32896 + 2400: red 224, green 137
  EXPECT_EQ(NoiseColour(1, 10), 32996u);
  EXPECT_EQ(NoiseColour(0, 10), 0x8080u);
}

TEST(Scene1Noise, Plots38401PixelsOfOneColourYBeforeX) {
  for (TPixelLayout layout : {TPixelLayout::Layout565, TPixelLayout::Layout555}) {
    constexpr uint16_t Marker = 0x0421;
    TSurface s;
    s.Allocate(512, 384, layout, 1040);
    std::memset(s.Storage.data(), 0x77, s.Storage.size());
    FillSurface(s, Marker);
    const TColor colour = 0x89E0;
    const uint16_t device = uint16_t(ConvertColor(layout, colour));
    ASSERT_NE(device, Marker);

    RandSeed = 99;
    ASSERT_TRUE(LockSurface(s));
    PlotNoise(colour);
    UnlockSurface();
    EXPECT_EQ(RandSeed, AdvanceSeed(99, 2 * 38401));

    // The same draws, replayed: y then x for each of the 38,401 pixels.
    std::vector<bool> hit(512 * 384, false);
    RandSeed = 99;
    for (int k = 0; k < 38401; ++k) {
      const int32_t y = RandomBelow(384);
      const int32_t x = RandomBelow(512);
      hit[size_t(y) * 512 + size_t(x)] = true;
    }
    for (int32_t y = 0; y < 384; ++y) {
      for (int32_t x = 0; x < 512; ++x)
        ASSERT_EQ(s.Pixel(x, y), hit[size_t(y) * 512 + size_t(x)] ? device : Marker) << x << "," << y;
      for (int32_t b = 1024; b < s.Pitch; ++b) ASSERT_EQ(s.Storage[size_t(y) * s.Pitch + b], 0x77);
    }
  }
}

// The show from its start without sound, seeded.
struct Scene1Show {
  THeadlessShow show{{"-nosound"}, 1u};
  TSpark reset[80];
  Scene1Show() {
    EXPECT_TRUE(show.Start());
    std::memcpy(reset, show.Form->Sparks, sizeof reset);
  }
  TForm1& form() { return *show.Form; }
};

// The draws of one frame when spark i draws exactly when drawn[i]:
// the coin, the noise, three glow coins per drawing spark, the band.
int FrameDraws(const bool (&drawn)[80]) {
  int draws = 1 + 2 * 38401 + 5;
  for (int i = 1; i <= 79; ++i) draws += drawn[i] ? 3 : 0;
  return draws;
}

TEST(Scene1Sparks, FirstFrameAfterAResetWithTimeStepOne) {
  Scene1Show s;
  s.form().TimeStep = 1.0;
  const uint32_t seed = RandSeed;
  s.form().RunScene1();  // c = 2.0, R = 2, A = 2
  const TSpark& one = s.form().Sparks[1];
  EXPECT_EQ(one.TargetX, 11);   // RoundEven(sin 2 * 2 * 6 = 10.91)
  EXPECT_EQ(one.TargetY, -5);   // RoundEven(cos 2 * 2 * 6 = -4.99)
  EXPECT_EQ(one.Countdown, 79.0);
  // Spark 2 counts down to 1.0 (re-aiming waits for the next frame); the
  // others count down by one and keep their targets.
  for (int i = 2; i <= 79; ++i) {
    EXPECT_EQ(s.form().Sparks[i].Countdown, double(i - 1)) << i;
    EXPECT_EQ(s.form().Sparks[i].TargetX, s.reset[i].TargetX) << i;
    EXPECT_EQ(s.form().Sparks[i].TargetY, s.reset[i].TargetY) << i;
  }
  // Every spark draws: spark 1's P3 is (0, 1) and P1 (2, 2); the others'
  // offsets are at least 0 and R div 2 is 1.
  bool drawn[80];
  for (bool& d : drawn) d = true;
  EXPECT_EQ(RandSeed, AdvanceSeed(seed, FrameDraws(drawn)));
}

TEST(Scene1Sparks, ProgramsVeryFirstFrameReaimsSparkOneWhichDrawsNothing) {
  Scene1Show s;
  ASSERT_EQ(s.form().TimeStep, 0.0);
  const uint32_t seed = RandSeed;
  s.show.Tick(0);  // c = 1.0, R = 1, A = 1
  EXPECT_EQ(s.form().Scene1Clock, 1.0);
  const TSpark& one = s.form().Sparks[1];
  EXPECT_EQ(one.TargetX, 5);  // RoundEven(sin 1 * 6 = 5.05)
  EXPECT_EQ(one.TargetY, 3);  // RoundEven(cos 1 * 6 = 3.24)
  EXPECT_EQ(one.Countdown, 79.0);
  bool drawn[80] = {};
  for (int i = 2; i <= 79; ++i) {
    EXPECT_EQ(s.form().Sparks[i].Countdown, double(i)) << i;
    // d = i; P1.x = 1 + TargetX div i > 0 always; P3.y = TargetY div i + 0.
    drawn[i] = s.reset[i].TargetY / i > 0;
  }
  // Spark 1 has P3.y = 3 div 79 + 1 div 2 = 0: none of its glows is drawn.
  EXPECT_EQ(RandSeed, AdvanceSeed(seed, FrameDraws(drawn)));
}

TEST(Scene1Sparks, ACountdownOfExactlyOneReaims) {
  Scene1Show s;
  s.form().TimeStep = 1.0;
  s.form().Sparks[5].Countdown = 1.0;
  s.form().Sparks[6].Countdown = 1.25;
  s.form().RunScene1();
  EXPECT_EQ(s.form().Sparks[5].Countdown, 79.0);
  EXPECT_EQ(s.form().Sparks[5].TargetX, 11);
  EXPECT_EQ(s.form().Sparks[6].Countdown, 0.25);
  EXPECT_EQ(s.form().Sparks[6].TargetX, s.reset[6].TargetX);
}

TEST(Scene1, LastsSixHundredThirtyFramesAtTimeStepOne) {
  Scene1Show s;
  s.form().TimeStep = 1.0;
  int frames = 0;
  while (s.form().Scene == 1 && frames < 2000) {
    s.show.Tick(0);
    ++frames;
    if (frames == 629) {
      EXPECT_EQ(s.form().Scene1Clock, 630.0);  // 630.0 does not end the scene
      EXPECT_EQ(s.form().Scene, 1);
    }
  }
  EXPECT_EQ(frames, 630);
  EXPECT_EQ(s.form().Scene1Clock, 631.0);
  EXPECT_EQ(s.form().Scene, 2);
}

TEST(Scene1Band, RedBandFromItsFiveDrawsMovesWithTheTrails) {
  Scene1Show s;
  s.form().TimeStep = 1.0;
  // The first frame after the reset: every spark draws (see above), so the
  // band's draws come after the coin, the noise and 79 * 3 glow coins.
  RandSeed = 2024;
  const uint32_t seed = RandSeed;
  s.form().RunScene1();
  RandSeed = AdvanceSeed(seed, 1 + 2 * 38401 + 79 * 3);
  const int32_t h = RandomBelow(300), w = RandomBelow(300), t = RandomBelow(100), l = RandomBelow(100);
  const int32_t k = RandomBelow(40) + 10;
  const TSurface& f = s.form().DXDraw1.Surface;
  auto red5 = [&](int32_t x, int32_t y) { return f.Pixel(x, y) >> 11; };
  // The band was added before the frame moved by (2, 2): every pixel of it
  // holds at least the band's red, whatever was below.
  const int32_t right = std::min(l + 512 - w, 510), bottom = std::min(t + 384 - h, 382);
  for (int32_t y = t; y < bottom; ++y)
    for (int32_t x = l; x < right; ++x) ASSERT_GE(red5(x + 2, y + 2), k >> 3) << x << "," << y;
  // Left of it the frame is mostly the black it started from.
  if (l > 0) {
    int black = 0;
    for (int32_t y = t; y < bottom; ++y) black += red5(l + 1, y + 2) == 0;
    EXPECT_GT(black, (bottom - t) / 2);
  }
}

}  // namespace
